#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace spindle {

// Random access to the bytes of a file or a buffer. Readers of audio headers go
// through it, so none can read past the end and tests can hand them any bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies up to `count` bytes from `offset`; returns how many were copied (fewer at
    // the end, 0 past it).
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const override;

private:
    std::string_view bytes_;
};

// An open file; IsOpen() is false when the path could not be opened for reading. The
// first 64 KiB are read with one call the first time any byte is asked for: headers are
// read in small pieces near the start, and a first scan of a library should cost each
// file no more than opening it and reading it once.
class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const override;
    // The last write as a local DOS date-time (0 when unknown), from the same look at
    // the file that gave its size.
    std::uint32_t DosDate() const { return dosDate_; }
    // The last write and the last status change, in nanoseconds since the epoch.
    std::int64_t MTime() const { return mtime_; }
    std::int64_t CTime() const { return ctime_; }
    // The first bytes of the file (up to 64 KiB), read now unless they were already.
    std::string_view Head() const;

private:
    void ReadHead() const;
    std::size_t ReadFile(std::uint64_t offset, unsigned char* buffer, std::size_t count) const;

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint32_t dosDate_ = 0;
    std::int64_t mtime_ = 0;
    std::int64_t ctime_ = 0;
    mutable std::string head_;
    mutable bool headRead_ = false;
};

// Up to `count` bytes from `offset` (fewer at the end of the input).
std::string ReadBytes(const ByteSource& source, std::uint64_t offset, std::size_t count);
// Exactly `count` bytes from `offset` into `buffer`, or false.
bool ReadExact(const ByteSource& source, std::uint64_t offset, void* buffer, std::size_t count);
// Where `needle` first stands in `haystack`, or npos.
std::size_t FindBytes(std::string_view haystack, std::string_view needle);
// Rounds half to even, the rounding of every reader that rounds.
double RoundHalfEven(double value);
// Whole seconds rounded half to even, of which, like every duration, only the low 16
// bits are kept, also of absurd values a damaged header gives.
std::uint32_t RoundedSeconds(double seconds);

// Big- and little-endian values from a byte buffer the caller has bounds-checked.
inline std::uint32_t ReadBE32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}
inline std::uint16_t ReadBE16(const unsigned char* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t ReadLE32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
inline std::uint16_t ReadLE16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint64_t ReadLE64(const unsigned char* p) {
    return std::uint64_t{ReadLE32(p)} | (std::uint64_t{ReadLE32(p + 4)} << 32);
}
inline const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

}  // namespace spindle
