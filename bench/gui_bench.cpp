// spindle-gui-bench DATA_FOLDER: the desktop program's start-up and a 7-day Create
// Playlist from its window, each beside the same work done the way spindle-cli does it
// (in this process, without windows). Prints table rows for bench/RESULTS.md.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

#include "base/datetime.h"
#include "base/unattended_operator.h"
#include "editor/document_save.h"
#include "editor/instant_replace.h"
#include "generator/run_report.h"
#include "gui/editor/editor_window.h"
#include "gui/library/file_view_window.h"
#include "gui/shell/main_window.h"
#include "gui/shell/startup.h"
#include "outputs/generation.h"

using namespace spindle;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Seconds(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

void SetWeek(Station& s) {
    s.Opt.StartDay = DateOf(NowLocal()) + 1;
    s.Opt.StartHour = 0;
    s.Opt.TotalDays = 7;
    s.Opt.TotalHours = 0;
    s.FixedSeed = 7;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: spindle-gui-bench DATA_FOLDER\n";
        return 2;
    }
    const std::filesystem::path data = argv[1];
    constexpr int kRounds = 9;
    std::vector<double> guiStart, cliStart, guiRun, cliRun;
    for (int round = 0; round < kRounds; ++round) {
        // Start-up: load behind the splash and show the main window (the splash's
        // minimum time is a fixed wait, left out) against the bare load.
        UnattendedOperator op;
        Station cli(data, op, FormatSettings::English());
        cliStart.push_back(Seconds([&] {
            cli.Startup = true;
            cli.LoadAll();
            cli.Startup = false;
        }));
        Station gui(data, op, FormatSettings::English());
        gui::StartupSequence startup(gui, nullptr, [] { return std::int64_t{1} << 40; });
        QSignalSpy shown(&startup, &gui::StartupSequence::WindowShown);
        guiStart.push_back(Seconds([&] {
            startup.Start();
            if (shown.isEmpty() && !shown.wait(60000)) {
                std::cerr << "the main window did not appear\n";
                std::exit(1);
            }
        }));

        // Seven days generated: Create Playlist from the window, from its trigger to the
        // end reported back on the window's thread, against the bare run.
        SetWeek(cli);
        RunReport report(op, nullptr);
        cliRun.push_back(Seconds([&] {
            if (!RunGeneration(cli, report)) {
                std::cerr << "the run without windows failed:\n";
                for (const std::string& line : report.Lines()) {
                    std::cerr << "  " << line << '\n';
                }
                std::exit(1);
            }
        }));
        SetWeek(gui);
        gui::MainWindow& window = *startup.Window();
        QSignalSpy finished(&window, &gui::MainWindow::RunFinished);
        auto* create = window.findChild<QAction*>(QStringLiteral("actionCreatePlaylist"));
        guiRun.push_back(Seconds([&] {
            create->trigger();
            if (!finished.wait(120000) || !finished.at(0).at(0).toBool()) {
                std::cerr << "the run from the window failed\n";
                std::exit(1);
            }
        }));
        window.Progress()->hide();
    }
    // The file viewer on one Category holding the whole library: shown with its rows,
    // then sorted by each column both ways (the slowest sort counts).
    UnattendedOperator viewOp;
    Station viewed(data, viewOp, FormatSettings::English());
    viewed.LoadAll();
    auto everything = std::make_unique<TCategoryDetails>();
    everything->Name = "Everything";
    for (const auto& c : viewed.Categories) {
        for (const FileRec& f : c->Files) {
            everything->Files.push_back(f);
            everything->Files.back().Index =
                static_cast<std::int32_t>(everything->Files.size() - 1);
        }
    }
    TCustomDetails* largest = everything.get();
    double editorOpen = 0, editorNext = 0, editorReplace = 0, editorSave = 0, outputPass = 0;
    std::size_t editorItems = 0;
    std::vector<double> opens;
    double slowestSort = 0;
    for (int round = 0; round < 5; ++round) {
        std::unique_ptr<gui::FileViewWindow> view;
        opens.push_back(Seconds([&] {
            view = std::make_unique<gui::FileViewWindow>(viewed, *largest);
            view->show();
            QApplication::processEvents();
        }));
        for (int column = 0; column < 5; ++column) {
            for (int twice = 0; twice < 2; ++twice) {
                slowestSort = std::max(slowestSort, Seconds([&] {
                                           view->Model()->ClickColumn(column);
                                           QApplication::processEvents();
                                       }));
            }
        }
    }
    const double open = Median(opens);

    // The Playlist Editor on a 90-day log of the same library: opened to a shown hour,
    // the next hour shown, and one instant replacement.
    {
        Station season(data, viewOp, FormatSettings::English());
        season.LoadAll();
        season.Opt.StartDay = DateOf(NowLocal()) + 1;
        season.Opt.StartHour = 0;
        season.Opt.TotalDays = 90;
        season.Opt.TotalHours = 0;
        season.FixedSeed = 7;
        RunReport seasonReport(viewOp, nullptr);
        if (!RunGeneration(season, seasonReport)) {
            std::cerr << "the 90-day run failed\n";
            return 1;
        }
        const std::string log = season.Opt.LogFolderPath() + season.Opt.LogBaseName + ".plg";
        std::vector<double> openLog, nextHour, replace;
        for (int round = 0; round < 5; ++round) {
            gui::EditorWindow editor(season);
            openLog.push_back(Seconds([&] {
                editor.OpenLog(log);
                editor.show();
                QApplication::processEvents();
            }));
            auto* next = editor.findChild<QAction*>(QStringLiteral("actionNextHour"));
            for (int hour = 0; hour < 20; ++hour) {
                nextHour.push_back(Seconds([&] {
                    next->trigger();
                    QApplication::processEvents();
                }));
            }
        }
        PlaylistDocument doc;
        doc.Load(log, true, season.Settings());
        const std::uint32_t song = season.Opt.SongIntervalMinutes() * 60;
        const std::uint32_t artist = season.Opt.ArtistIntervalMinutes() * 60;
        for (int day = 1; day < 80; day += 2) {
            const HourView view = doc.ViewOf({day, 12});
            for (const HourRow& row : view.Rows) {
                if (row.Colour == RowColour::Track) {
                    replace.push_back(Seconds(
                        [&] { InstantReplace(doc, season, row.Id, false, song, artist, {}); }));
                    break;
                }
            }
        }
        // Save & Create Playlist on the edited log (the log written, then its outputs),
        // beside the engine's output pass alone on the same log, as a run makes them.
        std::vector<double> saves, passes;
        const std::string base = log.substr(0, log.size() - 4);
        for (int round = 0; round < 3; ++round) {
            RunReport saveReport(viewOp, nullptr);
            doc.SetModified(true);
            saves.push_back(Seconds([&] { SaveDocument(doc, season, base, saveReport); }));
            RunReport passReport(viewOp, nullptr);
            passes.push_back(Seconds([&] { SaveDocument(doc, season, base, passReport); }));
        }
        editorSave = Median(saves);
        outputPass = Median(passes);
        editorOpen = Median(openLog);
        editorNext = Median(nextHour);
        editorReplace = Median(replace);
        editorItems = doc.Items().size();
    }

    const double gs = Median(guiStart), cs = Median(cliStart), gr = Median(guiRun),
                 cr = Median(cliRun);
    std::printf("| measure | desktop program | same work as spindle-cli does it | ratio |\n");
    std::printf("|---|---|---|---|\n");
    std::printf(
        "| start-up to a shown main window (load behind the splash; the splash's 4 s minimum "
        "left out) | %.3f s | %.3f s (load) | %.2f |\n",
        gs, cs, gs / cs);
    std::printf(
        "| Create Playlist, 7 days, from the window to the run's end | %.3f s | %.3f s | "
        "%.2f |\n",
        gr, cr, gr / cr);
    std::printf("| file viewer on a Category of %zu tracks, opened and shown | %.3f s | | |\n",
                largest->Files.size(), open);
    std::printf("| the same, slowest sort by one column (any column, either way) | %.3f s | | |\n",
                slowestSort);
    std::printf(
        "| Playlist Editor on a 90-day log (%zu items), opened to a shown hour | %.3f s | | |\n",
        editorItems, editorOpen);
    std::printf("| the same, the next hour shown | %.1f ms | | |\n", editorNext * 1000);
    std::printf("| the same, one instant replacement under the repeat intervals | %.2f ms | | |\n",
                editorReplace * 1000);
    std::printf(
        "| the same, edited and saved with its playlists, pages and summaries | %.3f s | %.3f s "
        "(output pass) | %.2f |\n",
        editorSave, outputPass, editorSave / outputPass);
    std::printf("\n| target | result | |\n|---|---|---|\n");
    std::printf("| desktop start-up within 1.2 x of the CLI's load | %.2f x | %s |\n", gs / cs,
                gs / cs <= 1.2 ? "met" : "NOT met");
    std::printf("| desktop 7-day run within 1.2 x of the CLI's | %.2f x | %s |\n", gr / cr,
                gr / cr <= 1.2 ? "met" : "NOT met");
    std::printf("| file viewer shown under 0.3 s | %.3f s | %s |\n", open,
                open < 0.3 ? "met" : "NOT met");
    std::printf("| file viewer sorted under 0.2 s | %.3f s | %s |\n", slowestSort,
                slowestSort < 0.2 ? "met" : "NOT met");
    std::printf("| editor opened under 0.5 s | %.3f s | %s |\n", editorOpen,
                editorOpen < 0.5 ? "met" : "NOT met");
    std::printf("| next hour under 16 ms | %.1f ms | %s |\n", editorNext * 1000,
                editorNext < 0.016 ? "met" : "NOT met");
    std::printf("| instant replace under 5 ms | %.2f ms | %s |\n", editorReplace * 1000,
                editorReplace < 0.005 ? "met" : "NOT met");
    std::printf("| editor save within 1.2 x of the output pass | %.2f x | %s |\n",
                editorSave / outputPass, editorSave / outputPass <= 1.2 ? "met" : "NOT met");
    return 0;
}
