#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace spindle {

// Groups of artists that repeat protection counts as one: one group a line, names
// separated by ";", the first name standing for the group.
class RelatedArtists {
public:
    const std::vector<std::string>& Lines() const { return lines_; }
    void SetLines(std::vector<std::string> lines);

    // Trims every line, drops empty ones and lone ";", ends each with ";". True when
    // anything changed.
    bool Tidy();

    // The name under which an artist's play record is kept: the first name of the first
    // line that holds "artist;" after its first character, else the artist itself.
    // Remembered per artist until the lines change.
    const std::string& Key(std::string_view artist) const;

private:
    std::string Search(std::string_view artist) const;

    std::vector<std::string> lines_;
    std::vector<std::string> foldedLines_;
    mutable std::unordered_map<std::string, std::string> keys_;
};

}  // namespace spindle
