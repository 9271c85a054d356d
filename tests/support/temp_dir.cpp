#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/list_text.h"

namespace spindle::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/spindle-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = name.data();
}

TempDir::~TempDir() {
    if (keep_) {
        return;
    }
    std::error_code ec;
    // Tests may take permissions away to simulate failures; give them back first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}

std::string TempDir::MakeFolder(std::string_view name) const {
    const std::filesystem::path folder = path_ / name;
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = ReadAll(entry.path());
        }
    }
    return files;
}

::testing::AssertionResult MatchesGolden(const std::string& text, std::string_view name) {
    const std::filesystem::path file = DataPath("golden") / name;
    if (std::getenv("SPINDLE_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    const std::string expected = ReadAll(file);
    if (text == expected) {
        return ::testing::AssertionSuccess();
    }
    const std::size_t at = static_cast<std::size_t>(
        std::mismatch(text.begin(), text.end(), expected.begin(), expected.end()).first -
        text.begin());
    return ::testing::AssertionFailure()
           << name << " differs from byte " << at << ": expected \"" << expected.substr(at, 120)
           << "\", got \"" << text.substr(at, 120) << "\"";
}

std::string ListLines(const std::vector<std::vector<std::string>>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += EncodeListText(line) + "\r\n";
    }
    return text;
}

}  // namespace spindle::test
