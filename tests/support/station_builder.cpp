#include "support/station_builder.h"

#include "station/rotation.h"
#include "support/audio_files.h"

namespace spindle::test {

std::vector<std::string> FileNames(const std::vector<FileRec>& files) {
    std::vector<std::string> names;
    for (const FileRec& f : files) {
        names.push_back(f.FileName);
    }
    return names;
}

StationBuilder::StationBuilder(const TempDir& dir) : dir_(dir), data_(dir.Path() / "data") {
    dir.MakeFolder("data");
    station_ = std::make_unique<Station>(data_, op_, FormatSettings::English());
    station_->Random.Seed(1);
    station_->Opt.StartDay = DateOf(NowLocal());
    // As a station stored before the newer scheduling settings, without repeat
    // intervals; tests turn them on.
    station_->Opt.SystemSongInterval = station_->Opt.SystemArtistInterval = "0";
    station_->Opt.CreditedArtists = false;
    station_->Opt.FitHours = false;
    station_->Opt.RelaxedRuleReport = false;
}

std::string StationBuilder::AudioFolder(const std::string& top, const std::string& folder,
                                        const std::vector<std::string>& names, unsigned seconds) {
    for (const std::string& name : names) {
        WriteMp3(dir_, top + "/" + folder + "/" + name + ".mp3", seconds);
    }
    return (dir_.Path() / top / folder).string();
}

TCategoryDetails& StationBuilder::AddCategory(const std::string& name,
                                              const std::vector<std::string>& folders) {
    auto c = std::make_unique<TCategoryDetails>();
    c->Name = name;
    c->Folders = folders;
    station_->Categories.push_back(std::move(c));
    return *station_->Categories.back();
}

TSpotDetails& StationBuilder::AddSpotGroup(const std::string& name,
                                           const std::vector<std::string>& folders,
                                           std::uint8_t type) {
    auto s = std::make_unique<TSpotDetails>();
    s->Name = name;
    s->Folders = folders;
    s->GroupType = type;
    station_->SpotGroups.push_back(std::move(s));
    return *station_->SpotGroups.back();
}

TRotationDetails& StationBuilder::AddRotation(const std::string& name,
                                              const std::vector<std::string>& items,
                                              bool isDefault) {
    auto r = std::make_unique<TRotationDetails>();
    r->Name = name;
    r->Default = isDefault;
    for (const std::string& text : items) {
        r->Items.push_back({text, nullptr});
    }
    station_->Rotations.push_back(std::move(r));
    return *station_->Rotations.back();
}

TScheduleDetails& StationBuilder::AddSchedule(const std::string& name, const std::string& days,
                                              const std::string& rotation,
                                              const std::vector<std::string>& timedSpots) {
    auto s = std::make_unique<TScheduleDetails>();
    s->Name = name;
    for (std::size_t d = 0; d < 7 && d < days.size(); ++d) {
        s->Days[d] = days[d] == '1';
    }
    for (int h = 0; h < 24; ++h) {
        s->Hours[static_cast<std::size_t>(h)].Text = ScheduleEntryText(h, 0, rotation);
    }
    for (const std::string& t : timedSpots) {
        s->TimedSpots.push_back({t, nullptr});
    }
    station_->Schedules.push_back(std::move(s));
    return *station_->Schedules.back();
}

void StationBuilder::Save() {
    Station& s = *station_;
    s.Changed = ChangedFlags{true, true, true, true, true, true, true};
    s.SaveAll();
    // Reload so that tracks are scanned and every reference is resolved, then save the
    // scanned track lists.
    s.LoadAll();
    s.SaveAll();
    s.Changed = ChangedFlags{true, true, true, true, true, true, true};
    s.SaveAll();
}

}  // namespace spindle::test
