#include "station/data_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "base/datetime.h"
#include "base/format.h"
#include "base/format_datetime.h"
#include "base/translate.h"

namespace spindle {
namespace {

std::string ReadHolder(int fd) {
    std::string text;
    char buf[512];
    ssize_t n = ::pread(fd, buf, sizeof buf, 0);
    if (n > 0) {
        text.assign(buf, static_cast<std::size_t>(n));
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// The holder's details, unless the process they name has ended: a holder that could
// open the file only for reading left its predecessor's there.
std::string LiveHolder(const std::string& text) {
    const std::size_t at = text.find(", process ");
    if (at != std::string::npos) {
        const long pid = std::atol(text.c_str() + at + 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            return {};
        }
    }
    return text;
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& dataFolder, const std::string& holder) {
    const std::filesystem::path file = dataFolder / ".spindle.lock";
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        // A folder shared by several users: the file another one made locks as well
        // opened for reading, though it cannot then name its holder.
        const int error = errno;
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            problem_ =
                Format(tr("Cannot open \"%0:s\": %1:s"), file.string(), std::strerror(error));
            return;
        }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        const std::string current = LiveHolder(ReadHolder(fd));
        ::close(fd);
        if (error == EWOULDBLOCK) {
            problem_ = Format(tr("Another run is using the data folder \"%0:s\" (%1:s)."),
                              dataFolder.string(), current.empty() ? tr("unknown") : current);
        } else {
            problem_ =
                Format(tr("Cannot lock \"%0:s\": %1:s"), file.string(), std::strerror(error));
        }
        return;
    }
    fd_ = fd;
    // The file names its holder for whoever finds the folder busy.
    const std::string text =
        holder + ", process " + std::to_string(::getpid()) + ", since " +
        FormatDateTime("yyyy-mm-dd hh:nn:ss", NowLocal(), FormatSettings::English()) + "\n";
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd_, text.data(), text.size(), 0);
    }
}

DataFolderLock::~DataFolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // closing releases the lock
    }
}

}  // namespace spindle
