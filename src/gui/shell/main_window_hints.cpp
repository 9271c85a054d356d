#include "gui/shell/main_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "base/format.h"
#include "gui/widgets/qt_text.h"
#include "outputs/demo_station.h"
#include "ui_main_window.h"

// The main window's hints on empty pages, the first start's offers and the status counts.

namespace spindle::gui {

void MainWindow::AddEmptyPageHints() {
    static const char* const kHints[][2] = {
        {N_("Categories sort the station's music: each holds the songs of one or more folders."),
         N_("New Category...")},
        {N_("Spot Groups hold the commercials, jingles, station IDs, song intros and outros."),
         N_("New Spot Group...")},
        {N_("A Rotation is an hour template: the Categories and Spot Groups in playing order."),
         N_("New Rotation...")},
        {N_("A Schedule says which Rotation plays at each hour of each weekday."),
         N_("New Schedule...")}};
    for (std::size_t i = 0; i < hints_.size(); ++i) {
        QWidget* page = View(kLists[i])->parentWidget();
        auto* hint = new QWidget(page);
        auto* row = new QHBoxLayout(hint);
        row->setContentsMargins(0, 0, 0, 0);
        auto* text = new QLabel(Tr(kHints[i][0]), hint);
        text->setWordWrap(true);
        row->addWidget(text, 1);
        auto* create = new QPushButton(Tr(kHints[i][1]), hint);
        connect(create, &QPushButton::clicked, this, [this, i] {
            ui_->pages->setCurrentIndex(static_cast<int>(i));
            New();
        });
        row->addWidget(create);
        if (kLists[i] == ListKind::Categories) {
            // A data folder with nothing in it yet: a station can also come ready-made.
            firstStart_ = new QWidget(hint);
            auto* more = new QHBoxLayout(firstStart_);
            more->setContentsMargins(0, 0, 0, 0);
            auto* demo = new QPushButton(Tr(N_("Make a demo station")), firstStart_);
            auto* windows = new QPushButton(Tr(N_("Bring a station from Windows...")), firstStart_);
            more->addWidget(demo);
            more->addWidget(windows);
            connect(demo, &QPushButton::clicked, this, &MainWindow::MakeDemo);
            connect(windows, &QPushButton::clicked, this, &MainWindow::ExplainMigration);
            row->addWidget(firstStart_);
        }
        static_cast<QBoxLayout*>(page->layout())->insertWidget(0, hint);
        hints_[i] = hint;
    }
}

void MainWindow::MakeDemo() {
    const std::filesystem::path folder = station_.DataFolder();
    const std::string problem = MakeDemoStation(folder / "Demo", folder);
    if (!problem.empty()) {
        station_.Op().Show(MessageKind::Error, problem, Buttons::Ok);
        return;
    }
    station_.LoadAll();
    Refresh();
    ShowStartPage();
}

void MainWindow::ExplainMigration() {
    const std::string folder = station_.DataFolder().string();
    station_.Op().Show(
        MessageKind::Information,
        Format(spindle::tr("Copy the station's data folder and its music from Windows to this "
                           "machine, then map each Windows folder to where its files are now, "
                           "for instance:\n\nspindle-cli migrate --data \"%0:s\" --dry-run "
                           "--map 'C:\\Music=/srv/music'\n\nThe dry run changes nothing and says "
                           "what it finds; without --dry-run the station is rewritten. The "
                           "manual page spindle-cli(1) says more."),
               folder),
        Buttons::Ok);
}

void MainWindow::ShowEmptyPageHints() {
    for (std::size_t i = 0; i < hints_.size(); ++i) {
        // Isolated, no group is added: the hint would offer what New refuses.
        const bool groups = i < 2;
        hints_[i]->setVisible(ListSize(kLists[i]) == 0 && !(groups && station_.Isolated));
    }
    firstStart_->setVisible(station_.Categories.empty() && station_.SpotGroups.empty() &&
                            station_.Rotations.empty() && station_.Schedules.empty() &&
                            !HoldsStation(station_.DataFolder()));
}

void MainWindow::UpdateCounts() {
    artistsCount_->setText(Q(Format(spindle::tr("%0:d unique Artists"),
                                    static_cast<long long>(station_.Artists.Count()))));
    tracksCount_->setText(Q(Format(spindle::tr("%0:d total Category tracks"),
                                   static_cast<long long>(station_.TotalCategoryTracks()))));
}

void MainWindow::SetUpStatusBar() {
    artistsCount_ = new QLabel(this);
    tracksCount_ = new QLabel(this);
    statusBar()->addWidget(artistsCount_);
    statusBar()->addWidget(tracksCount_);
}

}  // namespace spindle::gui
