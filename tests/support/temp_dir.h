#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace spindle::test {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    // An existing folder used the same way but left in place afterwards.
    explicit TempDir(std::filesystem::path existing) : path_(std::move(existing)), keep_(true) {}
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(std::string_view name) const { return (path_ / name).string(); }

    // Writes a file (folders made as needed) and gives its full path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    std::string MakeFolder(std::string_view name) const;

private:
    std::filesystem::path path_;
    bool keep_ = false;
};

std::string ReadAll(const std::filesystem::path& path);

// The regular files directly in a folder (not in its sub-folders), by name, and their bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

// The text of a data file of list-text lines, each ended CR LF.
std::string ListLines(const std::vector<std::vector<std::string>>& lines);

// Where the committed fixtures live.
inline std::filesystem::path DataPath(std::string_view name) {
    return std::filesystem::path(SPINDLE_TEST_DATA_DIR) / name;
}

// Whether `text` is the expected output kept in tests/data/golden/`name`. Run with
// SPINDLE_UPDATE_GOLDEN=1 to write the files anew after an intended change, and read the
// difference before committing them.
::testing::AssertionResult MatchesGolden(const std::string& text, std::string_view name);

}  // namespace spindle::test
