#include "fileinfo/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "base/datetime.h"

namespace spindle {

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (offset >= bytes_.size()) {
        return 0;
    }
    const std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
}

FileByteSource::FileByteSource(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    dosDate_ = DosDateTimeFromUnix(st.st_mtime);
    mtime_ = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    ctime_ = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

FileByteSource::~FileByteSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t FileByteSource::ReadFile(std::uint64_t offset, unsigned char* buffer,
                                     std::size_t count) const {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(fd_, buffer + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void FileByteSource::ReadHead() const {
    constexpr std::uint64_t kHead = 64 * 1024;
    headRead_ = true;
    // The size is known, so a whole small file comes in one call.
    head_.resize(static_cast<std::size_t>(std::min(size_, kHead)));
    head_.resize(ReadFile(0, reinterpret_cast<unsigned char*>(head_.data()), head_.size()));
}

std::string_view FileByteSource::Head() const {
    if (fd_ >= 0 && !headRead_) {
        ReadHead();
    }
    return head_;
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (fd_ < 0 || offset >= size_) {
        return 0;
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
    if (!headRead_) {
        ReadHead();
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    if (offset < head_.size()) {
        done = std::min<std::size_t>(count, head_.size() - static_cast<std::size_t>(offset));
        std::memcpy(out, head_.data() + offset, done);
        if (done == count || head_.size() < std::min<std::uint64_t>(size_, 64 * 1024)) {
            return done;  // all asked for, or the file ended early
        }
    }
    return done + ReadFile(offset + done, out + done, count - done);
}

std::string ReadBytes(const ByteSource& source, std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    bytes.resize(source.ReadAt(offset, bytes.data(), count));
    return bytes;
}

bool ReadExact(const ByteSource& source, std::uint64_t offset, void* buffer, std::size_t count) {
    return source.ReadAt(offset, buffer, count) == count;
}

std::size_t FindBytes(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle);
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::uint32_t RoundedSeconds(double seconds) {
    const double rounded = RoundHalfEven(seconds);
    if (!(rounded > 0)) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::min(rounded, 9.0e18)) &
                                      0xFFFF);
}

}  // namespace spindle
