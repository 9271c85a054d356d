#include "editor/preview.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "base/paths.h"
#include "base/safe_file.h"

namespace spindle {

std::vector<std::string> PreviewFiles(const HourView& view,
                                      const std::vector<std::uint64_t>& selected) {
    std::vector<std::string> files;
    for (const HourRow& row : view.Rows) {
        if (std::find(selected.begin(), selected.end(), row.Id) == selected.end()) {
            continue;
        }
        // Notes, markers and placeholders have no file; recordings and other files do.
        if (!row.Owner.empty() && row.Owner[0] == '<' && row.Owner != "<other>" &&
            row.Owner != "<Voice Track>") {
            continue;
        }
        files.push_back(IncludeTrailingDelimiter(row.Folder) + row.Filename);
    }
    return files;
}

std::string PreviewListPath() {
    namespace fs = std::filesystem;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    fs::path folder = runtime != nullptr && *runtime != '\0'
                          ? fs::path(runtime) / "spindle"
                          : fs::temp_directory_path() / ("spindle-" + std::to_string(getuid()));
    std::error_code ec;
    fs::create_directories(folder, ec);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    return (folder / "preview.m3u").string();
}

bool WritePreviewList(const std::string& path, const std::vector<std::string>& files) {
    std::string text = "#EXTM3U\n";
    for (const std::string& file : files) {
        text += file + "\n";
    }
    return static_cast<bool>(ReplaceFile(path, text));
}

}  // namespace spindle
