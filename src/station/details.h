#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "station/file_rec.h"

namespace spindle {

enum class GroupKind { Category, SpotGroup };

// Whether a name of a Category, Spot Group, Rotation or Schedule holds one of the twelve
// characters a name may not hold.
inline constexpr std::string_view kInvalidNameCharacters = "\\/:*?\"<>|+;=";
inline bool HasInvalidNameCharacter(std::string_view name) {
    return name.find_first_of(kInvalidNameCharacters) != std::string_view::npos;
}

// What Categories and Spot Groups share.
class TCustomDetails {
public:
    virtual ~TCustomDetails() = default;

    GroupKind Kind() const { return kind_; }
    bool IsBlock() const;

    std::string Name;
    std::string Notes;
    std::vector<std::string> Folders;  // folders and single files, full paths
    bool Subfolders = false;
    std::uint8_t GroupType = 0;
    std::uint16_t AverageTime = 0;  // seconds: the total for a Block group, else the mean
    std::vector<FileRec> Files;     // in play order
    // Saved tracks of a folder the last scan could not reach (a share not mounted, a
    // folder renamed): kept with their history and saved back, never scheduled.
    std::vector<FileRec> Absent;
    // The entries of Folders that scan found missing or could not read.
    std::vector<std::string> Unreached;
    // The name the saved definitions give the group, empty before its first save. Its
    // track list bears that name until a save of the definitions carries it to Name.
    std::string SavedName;
    const std::string& ListName() const { return SavedName.empty() ? Name : SavedName; }
    // Index of the next track to take. Kept at full width: a Category may hold more
    // than 65535 tracks.
    std::uint32_t NextItem = 0;

protected:
    explicit TCustomDetails(GroupKind kind) : kind_(kind) {}
    TCustomDetails(const TCustomDetails&) = default;
    TCustomDetails& operator=(const TCustomDetails&) = default;

private:
    GroupKind kind_;
};

enum CategoryGroupType : std::uint8_t { kCategoryNormal = 0, kCategoryBlock = 1 };
enum RepeatOption : std::uint8_t { kRepeatSystemDefault = 0, kRepeatSpecify = 1 };

class TCategoryDetails final : public TCustomDetails {
public:
    TCategoryDetails() : TCustomDetails(GroupKind::Category) {}
    TCategoryDetails(const TCategoryDetails&) = default;
    TCategoryDetails& operator=(const TCategoryDetails&) = default;

    std::uint8_t SongRepeatOption = kRepeatSystemDefault;
    std::uint32_t SongRepeatInterval = 0;  // minutes
    std::uint8_t ArtistRepeatOption = kRepeatSystemDefault;
    std::uint32_t ArtistRepeatInterval = 0;  // minutes
};

enum SpotGroupType : std::uint8_t {
    kSpotNormal = 0,
    kSpotSongIntro = 1,
    kSpotSongOutro = 2,
    kSpotBlock = 3,
    kSpotVoiceIntro = 4,
};

enum SpotSortType : std::uint8_t {
    kSortAllFoldersCombined = 0,
    kSortPerFolder = 1,
    kSortRandomly = 2,
};

class TSpotDetails final : public TCustomDetails {
public:
    TSpotDetails() : TCustomDetails(GroupKind::SpotGroup) {}
    TSpotDetails(const TSpotDetails&) = default;
    TSpotDetails& operator=(const TSpotDetails&) = default;

    std::uint8_t SortType = kSortAllFoldersCombined;
    bool FirstItem = false;  // "Always start with first item"
    std::uint32_t SavedNextItem = 0;
};

}  // namespace spindle
