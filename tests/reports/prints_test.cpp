#include "reports/prints.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fileinfo/name_conventions.h"
#include "station/details.h"
#include "support/temp_dir.h"

namespace spindle {
namespace {

// Every character half its font's size wide; lines 1.2 times the size.
class FixedMetrics : public FontMetrics {
public:
    double TextWidth(std::string_view text, const PrintFont& font) const override {
        return static_cast<double>(text.size()) * font.Points / 2;
    }
    double LineHeight(const PrintFont& font) const override { return font.Points * 1.2; }
};

const FixedMetrics kMetrics;
const FormatSettings kEn = FormatSettings::English();
constexpr double kMonday = 46363;  // 7 December 2026

PageLayout Layout(double height = 780) {
    return PageLayout(kMetrics, 540, height, "KXYZ Playlist", "(created ...)", "Spindle 0.1.0");
}

std::vector<std::string> Texts(const PrintPage& page) {
    std::vector<std::string> texts;
    for (const PrintCell& cell : page.Cells) {
        texts.push_back(cell.Text);
    }
    return texts;
}

bool Has(const PrintPage& page, const std::string& text) {
    return std::ranges::count(Texts(page), text) > 0;
}

// Lines past the page's foot go to the next page, which gets its header and number; a
// page break at the top of a page or right after another leaves no blank page; a long
// text is clipped.
TEST(PageLayout, BreaksPagesWithHeadersAndNeverABlankOne) {
    PageLayout layout = Layout(300);
    layout.NewPage();
    for (int i = 0; i < 30; ++i) {
        layout.Cell(layout.LeftMargin(), 50, "line " + std::to_string(i) + " is rather long",
                    kRowFont);
        layout.NewLine();
    }
    layout.NewPage();
    layout.NewPage();
    layout.Finish();
    const auto& pages = layout.Pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(Has(pages[0], "Page 1"));
    EXPECT_TRUE(Has(pages[1], "Page 2"));
    EXPECT_TRUE(Has(pages[1], "KXYZ Playlist"));
    for (const PrintPage& page : pages) {
        for (const PrintCell& cell : page.Cells) {
            EXPECT_LE(cell.Y + cell.Height, 300.0 + 1e-9) << cell.Text;
            if (cell.Text.rfind("line", 0) == 0) {
                EXPECT_TRUE(cell.Clipped);
            }
        }
    }
    EXPECT_EQ(pages[0].Cells.back().Text, "Spindle 0.1.0");  // the footer
    EXPECT_EQ(pages[1].Rules.size(), 2u);                    // under the header, at the end
}

// Four hours of a log: an hour marker, a short and a long track, a spot, two texts.
PlaylistDocument FourHours(const test::TempDir& dir) {
    std::vector<std::vector<std::string>> lines{
        {"A", "46362.5", std::to_string(kMonday + 14.0 / 24), "1"}};
    for (int h = 14; h < 18; ++h) {
        lines.push_back({"B", "0", std::to_string(kMonday + h / 24.0)});
        lines.push_back({"3", "1", "0", "Hour Marker", "0", ""});
        lines.push_back(
            {"0", "2", "0", "/m/Band - Song " + std::to_string(h) + ".mp3", "215", "Hits"});
        lines.push_back({"1", "3", "0", "/s/Bakery - Bread.mp3", "30", "Sponsors"});
        lines.push_back(
            {"0", "4", "0",
             "/m/The Extraordinarily Long Named Philharmonic Orchestra and Choir - Symphony.mp3",
             "3725", "Classics"});
        lines.push_back({"4", "5", "0", "Promo for the 5.30 show", "0", "Break Note"});
        lines.push_back({"6", "6", "0", "Back.announce 3 songs", "20", "VoiceTrack"});
    }
    PlaylistDocument doc;
    doc.Load(dir.Write("p.plg", test::ListLines(lines)), true, kEn);
    return doc;
}

// Three hours on the first page, the fourth on the next; lengths follow the names; spots
// show their group in braces; texts print whole; without spots only tracks are printed.
TEST(Prints, PlaylistHoursLengthsAndOwners) {
    test::TempDir dir;
    const PlaylistDocument doc = FourHours(dir);
    PageLayout three = Layout();
    LayOutPlaylist(three, doc, {0, 0, 14, 16, true}, kEn);
    ASSERT_EQ(three.Pages().size(), 1u);
    const PrintPage& page = three.Pages()[0];
    // "2:03:35 PM": after the first track.
    for (const char* text :
         {"Monday, December 7, 2026, 2:00 PM", "Band - Song 16", "(3:35)", "(1:02:05)",
          "{Sponsors}", "Hits", "2:03:35 PM", "Promo for the 5.30 show", "Back.announce 3 songs"}) {
        EXPECT_TRUE(Has(page, text)) << text;
    }
    EXPECT_FALSE(Has(page, "Band - Song 17") || Has(page, "Hour Marker"));
    for (std::size_t k = 1; k < page.Cells.size(); ++k) {  // a long name gives way to its length
        if (page.Cells[k].Text == "Classics") {
            const PrintCell& length = page.Cells[k - 1];
            EXPECT_TRUE(length.Text == "(1:02:05)" && !length.Clipped);
            EXPECT_LE(length.X + length.Width, page.Cells[k].X);
        }
    }

    PageLayout four = Layout();
    LayOutPlaylist(four, doc, {0, 0, 0, 23, false}, kEn);
    ASSERT_EQ(four.Pages().size(), 2u);
    EXPECT_TRUE(Has(four.Pages()[1], "Band - Song 17"));
    EXPECT_TRUE(Has(four.Pages()[1], "Page 2"));
    for (const PrintPage& p : four.Pages()) {
        EXPECT_FALSE(Has(p, "{Sponsors}") || Has(p, "Promo for the 5.30 show"));
    }
    EXPECT_TRUE(SelectionProblem({1, 0, 0, 23, true}));
    EXPECT_TRUE(SelectionProblem({0, 0, 16, 14, true}));
    EXPECT_FALSE(SelectionProblem({0, 0, 14, 16, true}));
}

// Each spot report ends in the summary's own grand total.
TEST(Prints, SpotReportsAddUpToTheSummary) {
    test::TempDir dir;
    const std::string csv = dir.Write(
        "Spot.csv",
        "\"KXYZ Spot Summary\",\"for  the week commencing Monday, December 7, 2026, 12am\"\r\n"
        "\"Bakery - Bread\",\"Sponsors\",30,\"12/7/2026 00:05\"\r\n"
        "\"Bakery - Bread\",\"Sponsors\",30,\"12/7/2026 01:05\"\r\n"
        "\"Bakery - Bread\",\"Total for Sponsors\",60,2\r\n"
        "\"Bakery - Bread\",\"Grand Total\",60,2\r\n"
        "\"ID\",\"IDs\",10,\"12/7/2026 00:00\"\r\n"
        "\"ID\",\"Total for IDs\",10,1\r\n"
        "\"ID\",\"Grand Total\",10,1\r\n"
        "\"\",\"Grand Total\",70,3\r\n");
    const auto file = ReadSummaryFile(csv);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Title, "KXYZ Spot Summary");
    for (const SpotReport report : {SpotReport::Groups, SpotReport::Files, SpotReport::Detailed}) {
        PageLayout layout = Layout();
        LayOutSpotSummary(layout, *file, report);
        const auto texts = Texts(layout.Pages().back());
        const auto grand = std::find(texts.begin(), texts.end(), "Grand Total");
        ASSERT_LE(grand + 3, texts.end());
        EXPECT_EQ(*(grand + 1), "3");
        EXPECT_EQ(*(grand + 2), "0:01:10");
        EXPECT_EQ(std::find(texts.begin(), texts.end(), "12/7/2026 01:05") != texts.end(),
                  report == SpotReport::Detailed);
    }
    // The track summary: a long artist is cut where its column ends, before the title's.
    PageLayout tracks = Layout();
    const std::string artist(60, 'A');
    LayOutTrackSummary(tracks, {"KXYZ Track Summary", "x", {{artist, "Song", "3"}}});
    const auto& cells = tracks.Pages()[0].Cells;
    auto cell = [&](const std::string& text) {
        const auto found = std::ranges::find(cells, text, &PrintCell::Text);
        return found != cells.end() ? *found : PrintCell{};
    };
    EXPECT_TRUE(Has(tracks.Pages()[0], "Used Count"));
    EXPECT_TRUE(cell(artist).Clipped);
    EXPECT_LE(cell(artist).X + cell(artist).Width, cell("Song").X);
    EXPECT_LE(cell("Artist").X + cell("Artist").Width, cell("Title").X);
}

TEST(Prints, MissingIntrosMatchSongsOrArtists) {
    TCategoryDetails hits;
    TSpotDetails intros;
    hits.Files = {FileRec{"/m/Band - Song.mp3"}, FileRec{"/m/Other - Tune.mp3"}};
    intros.Files = {FileRec{"/i/Band - Song (Intro).mp3"}, FileRec{"/i/other.mp3"}};
    const NameRules rules{" - ", 0};
    using V = std::vector<std::string>;
    EXPECT_EQ(MissingIntros(hits, intros, IntroMatch::SongsOnly, rules), V{"Other - Tune.mp3"});
    EXPECT_EQ(MissingIntros(hits, intros, IntroMatch::ArtistsOnly, rules), V{"Band - Song.mp3"});
    std::size_t seen = 0;
    EXPECT_EQ(MissingIntros(hits, intros, IntroMatch::SongsOrArtists, rules,
                            [&](std::size_t n) { seen = n; }),
              V{"All category files have intros!"});
    EXPECT_EQ(seen, 2u);
    EXPECT_EQ(MissingIntrosText("Hits", "Intros", {"a.mp3"}),
              "\nCategory  : Hits\nSpot Group: Intros\n\na.mp3\n");
}

}  // namespace
}  // namespace spindle
