#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/list_text.h"
#include "forms/library_edits.h"
#include "station/station.h"
#include "support/audio_files.h"
#include "support/scripted_operator.h"
#include "support/station_builder.h"
#include "support/temp_dir.h"

namespace spindle::test {

// A station written by hand in the data files' own formats.
class SavedStation : public ::testing::Test {
protected:
    void SetUp() override {
        dir.MakeFolder("data");
        WriteMp3(dir, "music/Jazz/Band - Tune.mp3", 200);
        WriteMp3(dir, "music/Jazz/Other - Tune.mp3", 100);
        WriteMp3(dir, "music/Rock/Loud - Song.mp3", 240);
        WriteMp3(dir, "music/IDs/ID1.mp3", 12);
        const std::string m = (dir.Path() / "music").string();
        Define("Categories.dat", {{"Jazz", "Late, \"smooth\"", EncodeListText({m + "/Jazz"}), "150",
                                   "0", "0", "1", "60", "0", "0", "1"},
                                  {"Rock", "", EncodeListText({m + "/Rock"}), "240", "0", "0", "0",
                                   "0", "0", "1", "0"}});
        Define("Spots.dat",
               {{"IDs", "", EncodeListText({m + "/IDs"}), "12", "0", "0", "0", "0", "0"}});
        Data("Jazz.dat", m + "/Jazz/Band - Tune.mp3*46360.25?200|46000.5\r\n" + m +
                             "/Jazz/Other - Tune.mp3*0?100|46000.5\r\n");
        Data("Rock.dat", m + "/Rock/Loud - Song.mp3*46361.125?240|46000.5\r\n");
        Data("{IDs}.dat", m + "/IDs/ID1.mp3*0?12|46000.5\r\n");
        Define("Rotations.dat",
               {{"Morning", "", "1",
                 EncodeListText({"00:00:00\t{IDs}", "00:00:12\tJazz", "00:03:30\tRock",
                                 "00:07:30 ** (15)News", "00:08:00\t{(30)IDs}"})}});
        std::vector<std::string> hours;
        for (int h = 0; h < 24; ++h) {
            hours.push_back(ScheduleEntryText(h, 0, h < 12 ? "Morning" : "...DEFAULT..."));
        }
        Define("Schedules.dat", {{"Week", "weekdays", "1111100", EncodeListText(hours),
                                  EncodeListText({"07:05\tIDs", "08:00\t<Break Note>Traffic"})}});
        Data("Related.dat", "Band;Other;\r\n");
        Load();
    }

    void Data(const std::string& name, const std::string& text) { dir.Write("data/" + name, text); }
    void Define(const std::string& name, const std::vector<std::vector<std::string>>& lines) {
        Data(name, test::ListLines(lines));
    }
    std::string Read(const std::string& name) { return ReadAll(dir.Path() / "data" / name); }
    // Renames one entry after another, as the operator would.
    void Rename(ListKind kind, std::initializer_list<std::pair<std::size_t, const char*>> steps) {
        for (const auto& [index, name] : steps) {
            ASSERT_TRUE(RenameEntry(*station, kind, index, name)) << name;
        }
    }
    void Load() {
        station = std::make_unique<Station>(dir.Path() / "data", op, FormatSettings::English());
        station->Random.Seed(5);
        station->LoadAll();
    }

    TempDir dir;
    ScriptedOperator op;
    std::unique_ptr<Station> station;
};

}  // namespace spindle::test
