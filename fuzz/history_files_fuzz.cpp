// What the playout and the streaming statistics hand back: the as-run log and the
// listener figures, read from any bytes; every line read keeps its promises.
#include <cstdlib>

#include "fuzz_support.h"
#include "history/outside_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spindle;
    const std::string_view text = fuzz::Text(data, size);
    const AsRunRead asRun = ReadAsRunLog(text);
    for (const AsRunLine& line : asRun.Lines) {
        if (line.Path.empty() || line.Path.find('\n') != std::string::npos || line.At <= 0) {
            std::abort();
        }
    }
    const ListenerFigures figures = ReadListenerFigures(text);
    for (const auto& [hour, listeners] : figures.Hours) {
        if (hour % 3600 != 0 || !(listeners >= 0)) {
            std::abort();
        }
    }
    return 0;
}
