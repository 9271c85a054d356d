#include "station/related.h"

#include "base/text_case.h"

namespace spindle {
namespace {

std::string Trim(const std::string& s) {
    std::size_t start = 0;
    std::size_t end = s.size();
    while (start < end && s[start] == ' ') {
        ++start;
    }
    while (end > start && s[end - 1] == ' ') {
        --end;
    }
    return s.substr(start, end - start);
}

}  // namespace

void RelatedArtists::SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    foldedLines_.clear();
    foldedLines_.reserve(lines_.size());
    for (const std::string& line : lines_) {
        foldedLines_.push_back(FoldCase(line));
    }
    keys_.clear();
}

bool RelatedArtists::Tidy() {
    std::vector<std::string> tidy;
    bool changed = false;
    for (const std::string& line : lines_) {
        std::string t = Trim(line);
        if (t.empty() || t == ";") {
            changed = true;
            continue;
        }
        if (t.back() != ';') {
            t += ';';
        }
        changed = changed || t != line;
        tidy.push_back(std::move(t));
    }
    if (changed) {
        SetLines(std::move(tidy));
    }
    return changed;
}

std::string RelatedArtists::Search(std::string_view artist) const {
    // Both sides are folded alike, so a capital accented letter matches its line too.
    const std::string needle = FoldCase(artist) + ";";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& folded = foldedLines_[i];
        // Only the first occurrence counts: at the very start the artist is the line's
        // own representative, and the search goes on with the next line.
        const std::size_t at = folded.find(needle);
        if (at != std::string::npos && at > 0) {
            return lines_[i].substr(0, lines_[i].find(';'));
        }
    }
    return std::string(artist);
}

const std::string& RelatedArtists::Key(std::string_view artist) const {
    auto it = keys_.find(std::string(artist));
    if (it == keys_.end()) {
        it = keys_.emplace(std::string(artist), Search(artist)).first;
    }
    return it->second;
}

}  // namespace spindle
