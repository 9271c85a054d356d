#include "outputs/demo_station.h"

#include <fstream>
#include <random>
#include <system_error>

#include "base/unattended_operator.h"
#include "fileinfo/silent_mp3.h"
#include "outputs/html_pages.h"
#include "station/rotation.h"
#include "station/station.h"

namespace spindle {
namespace {

namespace fs = std::filesystem;

struct Genre {
    const char* Folder;
    std::vector<const char*> Artists;
    int Tracks;
};

const std::vector<Genre>& Genres() {
    static const std::vector<Genre> kGenres = {
        {"Current Hits",
         {"Léa Fontaine", "The Velvet Harbour", "Nova Reyes", "Kite Season", "Marisol Vega",
          "Blue Static", "Ana Müller", "Paper Lanterns", "Dex Holloway", "The Brightsiders",
          "Søren Holm", "Juniper Vale", "Citrus Avenue", "Mara Velvet", "Echo Parade",
          "Chloé Marchand", "Northbound", "Ivy Calloway"},
         90},
        {"Rock",
         {"Iron Meridian", "The Velvet Harbour", "Stone Cathedral", "Rust & Ruin", "Highway Saints",
          "Cold Ember", "Black Orchard", "The Wandering Sons", "Voltage Ridge", "Grey Atlas",
          "Dex Holloway", "Thunder Bay Union", "Lost Frequencies Club"},
         70},
        {"Jazz",
         {"José Marín Trio", "Eleanor Blake", "The Midnight Quartet", "Sam Okafor", "Blue Static",
          "Café Noir Ensemble", "Rosa Lind", "Theo Strand", "Harbor Lights Big Band",
          "Nina Castell", "The Blue Room Sextet", "Oskar Lindqvist", "Mae Thornton", "Felix Arden"},
         80},
        {"Country",
         {"Wade Callahan", "Dusty Road Ramblers", "Lily Mae Harper", "Cedar Creek", "Hank Bellamy",
          "The Prairie Rose", "Juniper Vale", "Cody Rains"},
         40},
        {"Gold",
         {"The Silverettes", "Johnny Ray", "Ray", "Frankie Lomax", "The Moonglows Revue",
          "Dolores Kingsley", "Big Earl & the Tones", "Peggy Sue Martin", "Vic Damone Jr.",
          "The Crystal Tones", "Bobby Lark"},
         70},
    };
    return kGenres;
}

const char* kWords[] = {"Summer",  "Midnight", "River", "Golden",  "Electric", "Hearts",
                        "Highway", "Dreams",   "Fire",  "Rain",    "Shadows",  "Ocean",
                        "Paper",   "Silver",   "Wild",  "Morning", "City",     "Stars",
                        "Echo",    "Home",     "Road",  "Light",   "Dance",    "Blue",
                        "Weekend", "Forever",  "Sweet", "Lonely",  "Northern", "Radio"};

void WriteFile(const fs::path& path, unsigned seconds) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    const std::string bytes = SilentMp3Bytes(seconds);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::string MakeDemoStation(const fs::path& given, const fs::path& dataFolder) {
    std::error_code ec;
    // Every path the station stores is absolute, so cron may run it from any folder.
    const fs::path folder = fs::absolute(given, ec).lexically_normal();
    if (ec) {
        return "cannot find " + given.string() + ": " + ec.message();
    }
    const fs::path data = dataFolder.empty() ? folder / "data" : dataFolder;
    const bool taken =
        dataFolder.empty() ? fs::exists(data, ec) && !fs::is_empty(data, ec) : HoldsStation(data);
    if (taken) {
        return "a station already lives in " + data.string();
    }
    fs::create_directories(data, ec);
    if (ec) {
        return "cannot create " + data.string() + ": " + ec.message();
    }
    std::mt19937 gen(20261207);
    auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };

    UnattendedOperator op;
    Station station(data, op, FormatSettings::English());
    station.Opt.StartDay = DateOf(NowLocal());

    // Music: genre folders of "Artist - Title.mp3", some with a crossfade or intro mark.
    std::vector<std::pair<std::string, std::string>> introCandidates;  // artist, title
    for (const Genre& genre : Genres()) {
        const fs::path dir = folder / "music" / genre.Folder;
        for (int t = 0; t < genre.Tracks; ++t) {
            const std::string artist =
                genre.Artists[static_cast<std::size_t>(t) % genre.Artists.size()];
            std::string title = std::string(kWords[pick(30)]) + " " + kWords[pick(30)];
            if (t % 9 == 0) {
                title += " (Radio Edit)";
            }
            std::string name = artist + " - " + title;
            if (t % 11 == 3) {
                name += "~3";  // overlap the next item by three seconds
            } else if (t % 13 == 5) {
                name += "#" + std::string(t % 2 == 0 ? "0012" : "0008");  // intro seconds
            }
            if (t % 7 == 0) {
                introCandidates.emplace_back(artist, title);
            }
            WriteFile(dir / (name + ".mp3"), 150 + static_cast<unsigned>(pick(150)));
        }
        auto category = std::make_unique<TCategoryDetails>();
        category->Name = genre.Folder;
        category->Notes = std::string(genre.Folder) + " music";
        category->Folders = {dir.string()};
        station.Categories.push_back(std::move(category));
    }

    // Spots: IDs, jingles, sponsors, song intros for some songs, the top-of-hour block.
    struct SpotSet {
        const char* Name;
        std::vector<std::string> Files;
        unsigned Low;
        unsigned High;
        std::uint8_t Type;
        std::uint8_t Sort;
    };
    std::vector<std::string> intros;
    for (const auto& [artist, title] : introCandidates) {
        intros.push_back(artist + " - " + title);
    }
    const std::vector<SpotSet> spots = {
        {"Station IDs",
         {"ID - KXYZ Home of the Hits", "ID - KXYZ All Day", "ID - Your Station KXYZ",
          "ID - KXYZ Nonstop", "ID - KXYZ Weekend"},
         6,
         12,
         kSpotNormal,
         kSortRandomly},
        {"Jingles",
         {"Jingle - Sunrise", "Jingle - Drive Time", "Jingle - Weekend Mix",
          "Jingle - Request Line", "Jingle - Sweeper"},
         4,
         9,
         kSpotNormal,
         kSortAllFoldersCombined},
        {"Sponsors",
         {"Bakery Rosé - Fresh Bread", "Harbour Motors - Spring Deals", "Café Lumière - Breakfast",
          "City Hardware - Tools", "Green Valley Farms - Produce", "Northside Dental - Smile"},
         30,
         60,
         kSpotNormal,
         kSortPerFolder},
        {"Song Intros", intros, 5, 12, kSpotSongIntro, kSortAllFoldersCombined},
        {"Top of Hour",
         {"1 - Legal ID", "2 - News Sounder"},
         8,
         15,
         kSpotBlock,
         kSortAllFoldersCombined},
    };
    for (const SpotSet& set : spots) {
        const fs::path dir = folder / "spots" / set.Name;
        for (const std::string& file : set.Files) {
            WriteFile(
                dir / (file + ".mp3"),
                set.Low + static_cast<unsigned>(pick(static_cast<int>(set.High - set.Low + 1))));
        }
        auto group = std::make_unique<TSpotDetails>();
        group->Name = set.Name;
        group->Folders = {dir.string()};
        group->GroupType = set.Type;
        group->SortType = set.Sort;
        station.SpotGroups.push_back(std::move(group));
    }

    // Rotations: notes, voice tracks and timed items among the music.
    auto rotation = [&](const char* name, const char* notes, bool isDefault,
                        std::vector<std::string> items) {
        auto r = std::make_unique<TRotationDetails>();
        r->Name = name;
        r->Notes = notes;
        r->Default = isDefault;
        for (std::string& text : items) {
            r->Items.push_back({std::move(text), nullptr});
        }
        station.Rotations.push_back(std::move(r));
    };
    rotation("Daytime", "Hits with rock and gold", true,
             {MakeSpotGroupItem("Top of Hour"), MakeCategoryItem("Current Hits"),
              MakeCategoryItem("Rock"),         MakeSpotGroupItem("Jingles"),
              MakeCategoryItem("Current Hits"), MakeBreakNoteItem("Weather"),
              MakeSpotGroupItem("Song Intros"), MakeCategoryItem("Gold"),
              MakeCategoryItem("Current Hits"), MakeSpotGroupItem("Sponsors", 20),
              MakeVoiceTrackItem(30),           MakeCategoryItem("Rock"),
              MakeCategoryItem("Current Hits"), MakeSpotGroupItem("Station IDs"),
              MakeCategoryItem("Country"),      MakeBreakNoteItem("30:Traffic and travel", 40),
              MakeCategoryItem("Current Hits"), MakeCategoryItem("Gold"),
              MakeSpotGroupItem("Jingles"),     MakeCategoryItem("Current Hits")});
    rotation(
        "Evening", "Jazz and gold after dark", false,
        {MakeSpotGroupItem("Station IDs"), MakeCategoryItem("Jazz"), MakeCategoryItem("Gold"),
         MakeCategoryItem("Jazz"), MakeVoiceTrackItem(20), MakeCategoryItem("Current Hits"),
         MakeCategoryItem("Jazz"), MakeSpotGroupItem("Sponsors"), MakeCategoryItem("Gold"),
         MakeCategoryItem("Current Hits"), MakeSpotGroupItem("Jingles"), MakeCategoryItem("Jazz")});
    rotation(
        "Overnight", "Automated overnight", false,
        {MakeSpotGroupItem("Station IDs"), MakeCategoryItem("Gold"), MakeCategoryItem("Country"),
         MakeCategoryItem("Jazz"), MakeCategoryItem("Rock"), MakeSpotGroupItem("Jingles"),
         MakeCategoryItem("Gold"), MakeCategoryItem("Current Hits")});

    auto schedule = std::make_unique<TScheduleDetails>();
    schedule->Name = "Every Day";
    schedule->Notes = "The whole week";
    schedule->Days.fill(true);
    for (int h = 0; h < 24; ++h) {
        const char* name = h < 6 ? "Overnight" : (h < 19 ? kDefaultRotationPlaceholder : "Evening");
        schedule->Hours[static_cast<std::size_t>(h)].Text = ScheduleEntryText(h, 0, name);
    }
    schedule->TimedSpots = {
        {ScheduleEntryText(7, 30, "Sponsors"), nullptr},
        {ScheduleEntryText(8, 0, "<Break Note>Morning traffic report"), nullptr},
        {ScheduleEntryText(12, 0, "<Break Note>60:News at noon"), nullptr},
        {ScheduleEntryText(17, 30, "Sponsors"), nullptr}};
    schedule->SortTimedSpots();
    station.Schedules.push_back(std::move(schedule));

    station.Related.SetLines(
        {"The Velvet Harbour;Mara Velvet;", "Johnny Ray;Ray;", "Blue Static;Sam Okafor;"});

    Options& o = station.Opt;
    o.TotalDays = 7;
    o.TotalHours = 0;
    o.SystemSongInterval = "360";
    o.SystemArtistInterval = "60";
    o.NewerTracks = 1;
    o.TimeCheckMinutes = 2;
    o.HTMLEnabled = true;
    o.HTMLSpots = true;
    o.HTMLStartTime = true;
    o.TrackLog = true;
    o.SpotLog = true;
    DefaultHtmlCode(o, "KXYZ Demo Radio", "https://kxyz.example");

    station.Changed = ChangedFlags{true, true, true, true, true, false, true};
    // Loaded once and saved, the station keeps its tracks' lengths and averages: opened
    // afterwards, it has nothing to save.
    Station loaded(data, op, FormatSettings::English());
    if (station.SaveAll()) {
        loaded.Startup = true;
        loaded.LoadAll();
        loaded.Startup = false;
        if (loaded.SaveAll()) {
            return {};
        }
    }
    return "the demo station's data files could not be written in " + data.string();
}

}  // namespace spindle
