// CSV: any bytes read into records without a crash, with either delimiter, and every
// record starts on a line no earlier than the one before.
#include <cstdlib>

#include "base/csv_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string_view text = fuzz::Text(data, size);
    for (const char delimiter : {CsvDelimiterOf(text), ',', ';'}) {
        int line = 0;
        for (const CsvRecord& record : ReadCsv(text, delimiter)) {
            if (record.Line < line || record.Fields.empty()) {
                std::abort();
            }
            line = record.Line;
        }
    }
    return 0;
}
