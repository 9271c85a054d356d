#include "fuzz_support.h"

#include <unistd.h>

#include <fstream>

namespace spindle::fuzz {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("spindle-fuzz-" + std::to_string(::getpid()));
    return folder;
}

void Reset() {
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    std::filesystem::create_directories(Folder(), ec);
}

std::string Put(const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = Folder() / name;
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

}  // namespace spindle::fuzz
