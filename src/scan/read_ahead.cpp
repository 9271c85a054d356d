#include "scan/read_ahead.h"

#include <algorithm>
#include <optional>

#include "base/operator.h"
#include "base/paths.h"
#include "base/text_case.h"
#include "fileinfo/byte_source.h"
#include "fileinfo/file_duration.h"

namespace spindle {
namespace {

// An operator for readings done ahead: it answers nothing and notes that something
// would have been said, so the file is read again with the person there.
class QuietOperator final : public Operator {
public:
    Answer Show(MessageKind, std::string_view, Buttons) override {
        spoke = true;
        return Answer::Cancel;
    }
    std::optional<std::string> Query(std::string_view, std::string_view,
                                     std::string_view) override {
        spoke = true;
        return std::nullopt;
    }
    bool spoke = false;
};

}  // namespace

ReadAhead::ReadAhead(std::size_t most, const TagScan* tags) : most_(most), tags_(tags) {
    paths_.reserve(most);  // never moved while the threads read them
    durations_.reserve(most);
}

ReadAhead::~ReadAhead() {
    Close();
    for (std::thread& t : helpers_) {
        t.join();
    }
}

std::string_view ReadAhead::Offer(std::string path, bool duration) {
    paths_.push_back(std::move(path));
    durations_.push_back(duration ? 1 : 0);
    const std::size_t count = paths_.size();
    if (!Active() && count == kWorthThreads) {
        Start();
    }
    if (Active()) {
        published_.store(count, std::memory_order_release);
        if (count % 16 == 0) {
            published_.notify_all();
        }
    }
    return paths_.back();
}

void ReadAhead::Close() {
    if (Active() && (published_.load() & kClosed) == 0) {
        published_.store(paths_.size() | kClosed, std::memory_order_release);
        published_.notify_all();
    }
}

Reading& ReadAhead::Taken(std::size_t i) {
    Reading& r = readings_[i];
    while (!r.Done.load(std::memory_order_acquire)) {
        if (const std::size_t j = next_++; j < paths_.size()) {
            Read(j);
        } else {
            r.Done.wait(false, std::memory_order_acquire);
        }
    }
    return r;
}

void ReadAhead::Start() {
    readings_ = std::make_unique<Reading[]>(most_);
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
    for (unsigned t = 0; t < threads; ++t) {
        helpers_.emplace_back([this] {
            for (std::size_t i = next_++; Offered(i); i = next_++) {
                Read(i);
            }
        });
    }
}

bool ReadAhead::Offered(std::size_t i) {
    for (std::size_t p = published_.load(std::memory_order_acquire);;
         p = published_.load(std::memory_order_acquire)) {
        if (i < (p & ~kClosed)) {
            return true;
        }
        if ((p & kClosed) != 0) {
            return false;
        }
        published_.wait(p, std::memory_order_acquire);
    }
}

void ReadAhead::Read(std::size_t i) {
    const std::string& path = paths_[i];
    Reading& r = readings_[i];
    const bool duration =
        durations_[i] != 0 && !SameText(ExtractFileExt(path), ".m3u");  // lists read other files
    // With tags to read, the file is opened once for both, and its tags come from the bytes
    // its duration was read from where they can.
    std::optional<FileByteSource> file;
    if (duration && tags_ != nullptr) {
        file.emplace(path);
    }
    if (duration) {
        // A reading that throws is left to the caller, whose thread may report it.
        try {
            QuietOperator quiet;
            r.Duration = file ? FileDuration(path, *file, false, quiet, &r.DosDate)
                              : FileDuration(path, false, quiet, &r.DosDate);
            r.Clean = !quiet.spoke && r.Duration != 0;
        } catch (...) {
            r.Clean = false;
        }
    }
    if (tags_ != nullptr) {
        try {
            r.Tags = std::make_unique<TagReading>(tags_->Read(path, file ? &*file : nullptr));
        } catch (...) {
            r.Tags.reset();
        }
    }
    r.Done.store(true, std::memory_order_release);
    r.Done.notify_all();
}

}  // namespace spindle
