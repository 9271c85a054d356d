#pragma once

#include <filesystem>
#include <string>

namespace spindle {

// Holds an advisory lock on a station's data folder while a run or the desktop program
// works on it, so that two of them never generate the same period or save over each
// other. The lock is the file ".spindle.lock" in the data folder; it names its holder
// and is released when the holder ends, however it ends.
class DataFolderLock {
public:
    // Tries to take the lock for `holder` (a short description: program and purpose).
    DataFolderLock(const std::filesystem::path& dataFolder, const std::string& holder);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    // When not held: who holds it, as the holder wrote it, or why it could not be taken.
    const std::string& Problem() const { return problem_; }

private:
    int fd_ = -1;
    std::string problem_;
};

}  // namespace spindle
