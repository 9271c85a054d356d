// The editor's document driven by thousands of random edits on a generated week: after
// each, every item is accounted for, an undo gives back exactly what was, hour totals are
// the sums of their rows, and no instant replacement repeats a song within its interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "base/text_case.h"
#include "base/unattended_operator.h"
#include "editor/instant_replace.h"
#include "station/rotation.h"
#include "support/run_fixture.h"
#include "support/station_builder.h"

namespace spindle {
namespace {

// An item whole, to compare.
auto Fields(const EditorItem& x) {
    return std::tie(x.Id, x.Path, x.Day, x.Hour, x.Type, x.GroupName, x.Duration, x.Sequence,
                    x.State, x.Minute);
}

TEST(EditProperties, RandomEditsKeepTheDocumentSound) {
    test::TempDir dir;
    test::StationBuilder b(dir);
    std::vector<std::string> songs;
    for (int i = 0; i < 40; ++i) {
        songs.push_back("Artist" + std::to_string(i % 25) + " - Song" + std::to_string(i));
    }
    b.AddCategory("Hits", {b.MusicFolder("Hits", songs, 200)});
    b.AddSpotGroup("IDs", {b.SpotFolder("IDs", {"ID1", "ID2", "ID3"}, 10)});
    b.AddRotation("A",
                  {MakeSpotGroupItem("IDs"), MakeCategoryItem("Hits"), MakeCategoryItem("Hits"),
                   MakeSpotGroupItem("IDs", 30), MakeCategoryItem("Hits")},
                  true);
    b.AddSchedule("All", "1111111", "A");
    test::RunFrom(b.Opt(), 46363, 0, 7 * 24);
    b.Opt().TimeCheck = false;
    b.Save();
    UnattendedOperator op;
    ASSERT_TRUE(test::Generate(b.Get(), op).Ok);
    PlaylistDocument doc;
    const Options& o = b.Opt();
    doc.Load(o.LogFolderPath() + o.LogBaseName + ".plg", true, b.Get().Settings());
    const std::uint32_t song = 3 * 3600;

    std::mt19937 random(7);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int step = 0; step < 2000; ++step) {
        const LogHour hour{static_cast<int>(pick(7)), static_cast<int>(pick(24))};
        const HourView view = doc.ViewOf(hour);
        if (view.Rows.empty()) {
            continue;
        }
        std::vector<std::uint64_t> some;
        for (std::size_t n = 1 + pick(3); n > 0; --n) {
            some.push_back(view.Rows[pick(view.Rows.size())].Id);
        }
        const std::vector<EditorItem> before = doc.Items();
        const bool undoable = doc.CanUndo();
        bool edited = true;
        switch (pick(6)) {
            case 0:
                doc.Delete(some);
                break;
            case 1:
                doc.Copy(some);
                edited = !doc.Paste(hour, {some[0]}).empty();
                break;
            case 2:
                edited = !doc.Move(hour, {some[0]}, some.back()).empty();
                break;
            case 3:
                edited = doc.Exchange(some[0], some.back());
                break;
            case 4: {
                doc.BeginEdit();
                const ReplaceOutcome done =
                    InstantReplace(doc, b.Get(), some[0], false, song, 0, {});
                edited = done.Replaced();  // a refusal leaves the last Undo as it was
                if (done.Replaced() && doc.Find(done.Id)->Type == kItemTrack) {
                    // No live item with the same file within the song interval around it
                    // (spots come from their group without intervals).
                    const auto& items = doc.Items();
                    const std::size_t at = *doc.IndexOf(done.Id);
                    const std::string path = LowerCase(items[at].Path);
                    for (const int stepBy : {-1, 1}) {
                        std::uint64_t sum = 0;
                        for (long i = static_cast<long>(at) + stepBy;
                             i >= 0 && i < static_cast<long>(items.size()) && sum < song;
                             i += stepBy) {
                            const EditorItem& near = items[static_cast<std::size_t>(i)];
                            if (near.State == EditState::Removed) {
                                continue;
                            }
                            sum += near.Duration;
                            ASSERT_FALSE(sum < song && LowerCase(near.Path) == path) << step;
                        }
                    }
                } else if (!done.Replaced() && !PlaylistDocument::IsTimed(*doc.Find(some[0]))) {
                    EXPECT_FALSE(done.Message.empty()) << step;  // a refusal says why
                }
                break;
            }
            default:
                if (undoable) {
                    doc.Undo();
                }
                edited = false;
                break;
        }
        // Every item is accounted for: none is lost, ids stay unique, new ones are new.
        std::set<std::uint64_t> now;
        for (const EditorItem& item : doc.Items()) {
            ASSERT_TRUE(now.insert(item.Id).second) << step;
        }
        if (edited) {
            for (const EditorItem& item : before) {
                ASSERT_TRUE(now.count(item.Id)) << "item " << item.Id << " lost at step " << step;
            }
        }
        // The hour's total is the sum of its rows.
        const HourView after = doc.ViewOf(hour);
        std::uint32_t sum = 0;
        for (const EditorItem& item : doc.Items()) {
            if (item.Day == hour.Day && item.Hour == hour.Hour &&
                item.State != EditState::Removed) {
                sum += item.Duration;
            }
        }
        ASSERT_EQ(after.Total, sum) << step;
        // Now and then, an undo gives back exactly what was.
        if (edited && pick(4) == 0) {
            doc.Undo();
            ASSERT_TRUE(std::ranges::equal(doc.Items(), before, {}, Fields, Fields)) << step;
        }
    }
}

}  // namespace
}  // namespace spindle
