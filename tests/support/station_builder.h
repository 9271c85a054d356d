#pragma once

#include <memory>
#include <string>
#include <vector>

#include "station/station.h"
#include "support/scripted_operator.h"
#include "support/temp_dir.h"

namespace spindle::test {

// Builds a station's data folder through the library's own records and saves, with
// real (tiny) MP3 files: music under <dir>/music, spots under <dir>/spots, data
// under <dir>/data.
// A run from day number `day` at `hour`, for `hours` hours.
inline void RunFrom(Options& o, std::int64_t day, int hour, int hours) {
    o.StartDay = day;
    o.StartHour = hour;
    o.TotalDays = hours / 24;
    o.TotalHours = hours % 24;
}

// The file names of a track list, in its order.
std::vector<std::string> FileNames(const std::vector<FileRec>& files);

class StationBuilder {
public:
    explicit StationBuilder(const TempDir& dir);

    // A music folder with one file per "Artist - Title" name, each `seconds` long.
    std::string MusicFolder(const std::string& folder, const std::vector<std::string>& names,
                            unsigned seconds) {
        return AudioFolder("music", folder, names, seconds);
    }
    std::string SpotFolder(const std::string& folder, const std::vector<std::string>& names,
                           unsigned seconds) {
        return AudioFolder("spots", folder, names, seconds);
    }

    TCategoryDetails& AddCategory(const std::string& name, const std::vector<std::string>& folders);
    TSpotDetails& AddSpotGroup(const std::string& name, const std::vector<std::string>& folders,
                               std::uint8_t type = kSpotNormal);
    TRotationDetails& AddRotation(const std::string& name, const std::vector<std::string>& items,
                                  bool isDefault = false);
    // A schedule for the given days (Monday first) whose every hour plays `rotation`
    // ("...DEFAULT..." for the Default Rotation).
    TScheduleDetails& AddSchedule(const std::string& name, const std::string& days,
                                  const std::string& rotation,
                                  const std::vector<std::string>& timedSpots = {});

    // Scans the groups, resolves rotations and schedules, and saves everything.
    void Save();

    Station& Get() { return *station_; }
    Options& Opt() { return station_->Opt; }
    const std::filesystem::path& DataFolder() const { return data_; }

private:
    std::string AudioFolder(const std::string& top, const std::string& folder,
                            const std::vector<std::string>& names, unsigned seconds);

    const TempDir& dir_;
    std::filesystem::path data_;
    ScriptedOperator op_;
    std::unique_ptr<Station> station_;
};

}  // namespace spindle::test
