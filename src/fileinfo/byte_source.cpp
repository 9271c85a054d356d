#include "fileinfo/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

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
}

FileByteSource::~FileByteSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (fd_ < 0 || offset >= size_) {
        return 0;
    }
    constexpr std::size_t kHead = 4096;
    if (offset + count <= kHead) {
        if (!headRead_) {
            headRead_ = true;
            head_.resize(kHead);
            std::size_t got = 0;
            while (got < kHead) {
                const ssize_t n =
                    ::pread(fd_, head_.data() + got, kHead - got, static_cast<off_t>(got));
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0) {
                    break;
                }
                got += static_cast<std::size_t>(n);
            }
            head_.resize(got);
        }
        if (offset >= head_.size()) {
            return 0;
        }
        const std::size_t n = std::min<std::size_t>(count, head_.size() - offset);
        std::memcpy(buffer, head_.data() + offset, n);
        return n;
    }
    std::size_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
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

}  // namespace spindle
