#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "scan/track_tags_cache.h"

namespace spindle {

struct Reading {
    std::uint16_t Duration = 0;
    std::uint32_t DosDate = 0;
    bool Clean = false;  // read without a word and with a duration: usable as it is
    // With tags to read: what the scan found of the file's tags; none when the reading
    // failed, so the caller reads them itself.
    std::unique_ptr<TagReading> Tags;
    std::atomic<bool> Done{false};
};

// The durations of many new files, read on a few threads while this thread finds the
// files and then takes their readings in, in order: opening a file and reading its head
// is mostly waiting on the file system, which the threads overlap, and the work between
// the readings is done meanwhile instead of before and after them. A reading that had
// something to say, or found no duration, is not clean; the caller reads that file again
// in order with the real operator, so what the person sees and answers is as before. Few
// files are left to the caller altogether (no threads, nothing read ahead).
// With a TagScan the threads read each file's tags beside its duration, and may be
// offered files for their tags alone (the saved tracks, whose durations are known).
class ReadAhead {
public:
    // Room for `most` files; the threads start once enough files to be worth them are
    // offered.
    ReadAhead(std::size_t most, const TagScan* tags);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether the offered files are read ahead (else the caller reads them itself).
    bool Active() const { return !helpers_.empty(); }

    // The next file to read, in the order its reading will be asked for; the path as
    // kept here, for as long as this lives. Without `duration` only its tags are read.
    std::string_view Offer(std::string path, bool duration = true);

    // No more files: the threads stop once every offered file is read.
    void Close();

    // The reading of the `i`th file offered. Until it is there this thread reads files
    // nobody has taken yet.
    Reading& Taken(std::size_t i);

private:
    static constexpr std::size_t kWorthThreads = 256;
    static constexpr std::size_t kClosed = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

    void Start();
    // Whether file `i` is offered, waiting for it while more may come.
    bool Offered(std::size_t i);
    void Read(std::size_t i);

    const std::size_t most_;
    const TagScan* tags_;
    std::vector<std::string> paths_;  // offered; grown and sized by the offering thread only
    std::vector<char> durations_;     // beside paths_: whether the file's duration is read
    std::unique_ptr<Reading[]> readings_;
    std::atomic<std::size_t> published_{0};  // the count offered, and kClosed at the end
    std::atomic<std::size_t> next_{0};       // the next file for a thread to take
    std::vector<std::thread> helpers_;
};

}  // namespace spindle
