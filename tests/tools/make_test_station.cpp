// Writes a small station with HTML pages switched on, for tests that run the real
// program on it: make-test-station DIR START_DAY START_HOUR HOURS
#include <cstdlib>
#include <iostream>

#include "library/rotation.h"
#include "outputs/html_pages.h"
#include "support/station_builder.h"

int main(int argc, char** argv) {
    using namespace spindle;
    if (argc != 5) {
        std::cerr << "usage: make-test-station DIR START_DAY START_HOUR HOURS\n";
        return 2;
    }
    const std::filesystem::path target = argv[1];
    std::filesystem::create_directories(target);
    const test::TempDir dir(target);
    test::StationBuilder b(dir);
    b.AddCategory("Hits", {b.MusicFolder("Hits",
                                         {"Band - Song", "Other Band - Tune", "Third - Hit",
                                          "Fourth - Anthem", "Fifth - Ballad"},
                                         215)});
    b.AddSpotGroup("Sponsors", {b.SpotFolder("Sponsors", {"Bakery - Fresh Bread"}, 90)});
    b.AddRotation("Hour",
                  {MakeCategoryItem("Hits"), MakeSpotGroupItem("Sponsors"),
                   MakeCategoryItem("Hits"), MakeBreakNoteItem("Weather")},
                  true);
    b.AddSchedule("All", "1111111", "...DEFAULT...");
    Options& o = b.Opt();
    DefaultHtmlCode(o, "KXYZ", "https://kxyz.example");
    o.HTMLEnabled = true;
    o.HTMLSpots = true;
    o.StartDay = std::atoll(argv[2]);
    o.StartHour = std::atoi(argv[3]);
    o.TotalDays = std::atoi(argv[4]) / 24;
    o.TotalHours = std::atoi(argv[4]) % 24;
    o.TimeCheck = false;
    b.Save();
    return 0;
}
