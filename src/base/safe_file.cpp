#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace spindle {
namespace {

constexpr std::size_t kBufferLimit = 1 << 16;

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void SyncFolder(const std::filesystem::path& folder) {
    const int dfd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

// A copy of the previous file under the backup name, made so that the backup name
// never holds a partial copy either.
bool CopyToBackup(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::string& detail) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        detail = ErrnoText("open");
        return false;
    }
    SafeFileWriter out(to);
    std::vector<char> buf(kBufferLimit);
    bool ok = out.IsOpen();
    while (ok) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = out.Write(std::string_view(buf.data(), static_cast<std::size_t>(n)));
    }
    ::close(in);
    if (!ok) {
        detail = out.Result().Detail.empty() ? ErrnoText("copy") : out.Result().Detail;
        out.Abandon();
        return false;
    }
    const SaveResult r = out.Commit();
    detail = r.Detail;
    return static_cast<bool>(r);
}

}  // namespace

SafeFileWriter::SafeFileWriter(std::filesystem::path target, std::filesystem::path backup,
                               Durability durability)
    : target_(std::move(target)), backup_(std::move(backup)), durability_(durability) {
    const std::filesystem::path folder = target_.parent_path();
    std::string pattern = (folder / ("." + target_.filename().string() + ".tmp-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        result_ = {SaveFailure::Write, ErrnoText("create")};
        return;
    }
    temp_ = name.data();
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat st {};
    mode_t mode = 0666;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd_, mode);
}

SafeFileWriter::~SafeFileWriter() {
    Abandon();
}

bool SafeFileWriter::Flush() {
    if (fd_ < 0) {
        return false;
    }
    if (!WriteAll(fd_, buffer_)) {
        result_ = {SaveFailure::Write, ErrnoText("write")};
        buffer_.clear();
        return false;
    }
    buffer_.clear();
    return true;
}

bool SafeFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0 || !result_) {
        return false;
    }
    buffer_.append(bytes);
    return buffer_.size() < kBufferLimit || Flush();
}

SaveResult SafeFileWriter::Commit() {
    if (fd_ < 0 || !result_) {
        SaveResult failed = result_ ? SaveResult{SaveFailure::Write, "not open"} : result_;
        Abandon();
        return failed;
    }
    if (!Flush()) {
        SaveResult failed = result_;
        Abandon();
        return failed;
    }
    if (durability_ == Durability::Synced && ::fsync(fd_) != 0) {
        SaveResult failed{SaveFailure::Write, ErrnoText("fsync")};
        Abandon();
        return failed;
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        SaveResult failed{SaveFailure::Write, ErrnoText("close")};
        Abandon();
        return failed;
    }
    fd_ = -1;
    if (!backup_.empty()) {
        // The previous file stays under its own name until the new one replaces it;
        // the backup is a second name for it (or a copy where links are not allowed).
        ::unlink(backup_.c_str());
        struct stat st {};
        if (::lstat(target_.c_str(), &st) == 0) {
            std::string detail;
            const bool linked =
                S_ISREG(st.st_mode) && ::link(target_.c_str(), backup_.c_str()) == 0;
            if (!linked && !CopyToBackup(target_, backup_, detail)) {
                Abandon();
                return {SaveFailure::Backup, detail};
            }
        }
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        SaveResult failed{SaveFailure::Write, ErrnoText("rename")};
        Abandon();
        return failed;
    }
    temp_.clear();
    if (durability_ == Durability::Synced) {
        SyncFolder(target_.parent_path());
    }
    return {};
}

void SafeFileWriter::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    buffer_.clear();
}

SaveResult ReplaceFile(const std::filesystem::path& target, std::string_view contents,
                       const std::filesystem::path& backup) {
    SafeFileWriter writer(target, backup);
    if (!writer.IsOpen()) {
        return writer.Result();
    }
    writer.Write(contents);
    return writer.Commit();
}

std::filesystem::path BackupPathFor(const std::filesystem::path& path) {
    std::filesystem::path backup = path;
    backup.replace_extension(".bak");
    return backup;
}

}  // namespace spindle
