#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace spindle {

// Where a safe save stopped. The previous file is whole under its own name in every case.
enum class SaveFailure {
    None,
    Backup,  // the ".bak" copy of the previous file could not be made; nothing changed
    Write,   // the new contents could not be written or put in place
};

struct SaveResult {
    SaveFailure Failure = SaveFailure::None;
    std::string Detail;  // the system's reason, for logs
    explicit operator bool() const { return Failure == SaveFailure::None; }
};

// Writes a file so that no failure leaves it half-written: the new contents go to a
// temporary file in the same folder, are flushed to disk, the previous file (if any)
// becomes `backup` (when one is named), and only then does the new file take its name.
class SafeFileWriter {
public:
    // Whether Commit waits for the contents to reach the disk. Files the program can
    // make again (pages for listeners) need only be whole, not durable.
    enum class Durability { Synced, WholeOnly };

    SafeFileWriter(std::filesystem::path target, std::filesystem::path backup = {},
                   Durability durability = Durability::Synced);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // False when the temporary file could not be created (see Result()).
    bool IsOpen() const { return fd_ >= 0; }
    bool Write(std::string_view bytes);
    // Flushes, keeps the backup, puts the file in place. Call once.
    SaveResult Commit();
    // Drops the temporary file; the previous file stays as it was.
    void Abandon();
    const SaveResult& Result() const { return result_; }

private:
    bool Flush();

    std::filesystem::path target_;
    std::filesystem::path backup_;
    std::filesystem::path temp_;
    std::string buffer_;
    int fd_ = -1;
    Durability durability_;
    SaveResult result_;
};

SaveResult ReplaceFile(const std::filesystem::path& target, std::string_view contents,
                       const std::filesystem::path& backup = {});

// The ".bak" companion of a data file: "Categories.dat" -> "Categories.bak".
std::filesystem::path BackupPathFor(const std::filesystem::path& path);

}  // namespace spindle
