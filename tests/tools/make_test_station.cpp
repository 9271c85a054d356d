// Writes a small station for tests that run the real program on it:
//   make-test-station DIR START_DAY START_HOUR HOURS
//       songs and a spot of tiny MP3 files, with HTML pages switched on;
//   make-test-station DIR START_DAY START_HOUR HOURS PRESET
//       real audio files with awkward names (quotes, commas, a colon, a backslash,
//       accents, a crossfade and an intro mark) and the Playlist Format preset PRESET,
//       for a playout engine to read.
#include <cstdlib>
#include <iostream>

#include "outputs/html_pages.h"
#include "station/rotation.h"
#include "support/station_builder.h"

namespace {

using namespace spindle;

void PlayoutMusic(const test::TempDir& dir, test::StationBuilder& b) {
    const std::pair<const char*, const char*> files[] = {
        {"cbr-128k-stereo.mp3", "Zo\xC3\xAB & \"The Quotes\" - Song, Part 1.mp3"},
        {"vbr-xing-stereo.mp3", "Back\\slash Band - Colon: Time~1.5.mp3"},
        {"vorbis.ogg", "Comma, Inc - Ballad#0002.ogg"},
        {"plain.wav", "Plain - Tune.wav"},
    };
    for (const auto& [fixture, name] : files) {
        std::filesystem::create_directories(dir.Path() / "music/Playout");
        std::filesystem::copy_file(test::DataPath(std::string("audio/") + fixture),
                                   dir.Path() / "music/Playout" / name);
    }
    b.AddCategory("Playout", {(dir.Path() / "music/Playout").string()});
    b.AddRotation(
        "Hour",
        {MakeBreakNoteItem("Weather"), MakeCategoryItem("Playout"), MakeCategoryItem("Playout"),
         MakeCategoryItem("Playout"), MakeCategoryItem("Playout")},
        true);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::cerr << "usage: make-test-station DIR START_DAY START_HOUR HOURS [PRESET]\n";
        return 2;
    }
    const std::filesystem::path target = argv[1];
    std::filesystem::create_directories(target);
    const test::TempDir dir(target);
    test::StationBuilder b(dir);
    Options& o = b.Opt();
    if (argc == 6) {
        PlayoutMusic(dir, b);
        if (!ApplyFormatPreset(o, argv[5])) {
            std::cerr << "make-test-station: no preset named " << argv[5] << "\n";
            return 2;
        }
        o.CrossfadeAllowance = "0.5";
    } else {
        b.AddCategory("Hits", {b.MusicFolder("Hits",
                                             {"Band - Song", "Other Band - Tune", "Third - Hit",
                                              "Fourth - Anthem", "Fifth - Ballad"},
                                             215)});
        b.AddSpotGroup("Sponsors", {b.SpotFolder("Sponsors", {"Bakery - Fresh Bread"}, 90)});
        b.AddRotation("Hour",
                      {MakeCategoryItem("Hits"), MakeSpotGroupItem("Sponsors"),
                       MakeCategoryItem("Hits"), MakeBreakNoteItem("Weather")},
                      true);
        DefaultHtmlCode(o, "KXYZ", "https://kxyz.example");
        o.HTMLEnabled = true;
        o.HTMLSpots = true;
    }
    b.AddSchedule("All", "1111111", "...DEFAULT...");
    test::RunFrom(o, std::atoll(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    o.TimeCheck = false;
    b.Save();
    return 0;
}
