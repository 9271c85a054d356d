// List text: decoding any bytes ends, and what is encoded decodes to the same items.
#include <cstdlib>

#include "base/list_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::vector<std::string> items = DecodeListText(fuzz::Text(data, size));
    std::vector<std::string> clean;
    for (const std::string& item : items) {
        // A NUL cannot travel in list text; everything else must.
        if (item.find('\0') == std::string::npos) {
            clean.push_back(item);
        }
    }
    if (DecodeListText(EncodeListText(clean)) != clean) {
        std::abort();
    }
    return 0;
}
