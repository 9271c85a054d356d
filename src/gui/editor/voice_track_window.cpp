#include "gui/editor/voice_track_window.h"
#include "gui/help/help_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "base/format.h"
#include "base/format_datetime.h"
#include "editor/voice_tracks.h"
#include "gui/editor/editor_window.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "station/station.h"

namespace spindle::gui {
namespace {

QString Starred(const QString& text) {
    return QStringLiteral("** ") + text + QStringLiteral(" **");
}

}  // namespace

VoiceTrackWindow::VoiceTrackWindow(EditorWindow& editor)
    : QDialog(&editor, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), editor_(editor) {
    setObjectName(QStringLiteral("voiceTrackWindow"));
    setWindowTitle(Tr(N_("Voice Tracking")));
    SetHelpPage(this, QStringLiteral("editor.html#voice-tracks"));
    dateTime_ = new QLabel(this);
    dateTime_->setObjectName(QStringLiteral("dateTime"));
    dateTime_->setAlignment(Qt::AlignCenter);
    QFont bold = dateTime_->font();
    bold.setBold(true);
    dateTime_->setFont(bold);
    QLayout* tracks = MakeTrackRows();
    QLayout* timing = MakeTimingRow();
    QLayout* buttons = MakeButtonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dateTime_);
    layout->addLayout(tracks);
    layout->addLayout(timing);
    layout->addLayout(buttons);
    ConnectControls();
}

// The tracks either side of the placeholder.
QLayout* VoiceTrackWindow::MakeTrackRows() {
    auto* tracks = new QGridLayout;
    previous_ = NamedField("previousTrack", Tr(N_("Previous Track")), true, this);
    following_ = NamedField("followingTrack", Tr(N_("Following Track")), true, this);
    tracks->addWidget(new QLabel(Tr(N_("Previous Track")), this), 0, 0);
    tracks->addWidget(previous_, 0, 1);
    tracks->addWidget(new QLabel(Tr(N_("Following Track")), this), 1, 0);
    tracks->addWidget(following_, 1, 1);
    return tracks;
}

// Auto Next, Auto Record and the intro timing that overrides the Options'.
QLayout* VoiceTrackWindow::MakeTimingRow() {
    const Options& o = editor_.CurrentStation().Opt;
    autoNext_ = new QCheckBox(Tr(N_("Auto Next")), this);
    autoNext_->setObjectName(QStringLiteral("autoNext"));
    autoNext_->setChecked(o.AutoNext);
    autoRecord_ = new QCheckBox(Tr(N_("Auto Record")), this);
    autoRecord_->setObjectName(QStringLiteral("autoRecord"));
    autoRecord_->setChecked(o.AutoRecord);
    override_ = new QCheckBox(Tr(N_("Override Default")), this);
    override_->setObjectName(QStringLiteral("introTimingOverride"));
    auto* timingLabel = new QLabel(Tr(N_("Intro Timing")), this);
    introTiming_ = new QSpinBox(this);
    introTiming_->setObjectName(QStringLiteral("introTiming"));
    introTiming_->setRange(-9, 9);
    introTiming_->setAccessibleName(timingLabel->text());
    timingLabel->setBuddy(introTiming_);
    auto* secs = new QLabel(Tr(N_("secs")), this);
    auto* timing = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(autoNext_), static_cast<QWidget*>(autoRecord_),
                       static_cast<QWidget*>(override_), static_cast<QWidget*>(timingLabel),
                       static_cast<QWidget*>(introTiming_), static_cast<QWidget*>(secs)}) {
        timing->addWidget(w);
    }
    timing->addStretch();
    for (QWidget* w : {static_cast<QWidget*>(timingLabel), static_cast<QWidget*>(introTiming_),
                       static_cast<QWidget*>(secs)}) {
        w->setEnabled(false);
        connect(override_, &QCheckBox::toggled, w, &QWidget::setEnabled);
    }
    return timing;
}

QLayout* VoiceTrackWindow::MakeButtonRow() {
    next_ = new QPushButton(Tr(N_("Next")), this);
    next_->setObjectName(QStringLiteral("next"));
    record_ = new QPushButton(Tr(N_("Record")), this);
    record_->setObjectName(QStringLiteral("record"));
    record_->setDefault(true);
    close_ = new QPushButton(Tr(N_("Close")), this);
    close_->setObjectName(QStringLiteral("close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {next_, record_, close_}) {
        b->setAccessibleName(b->text());
        buttons->addWidget(b);
    }
    return buttons;
}

void VoiceTrackWindow::ConnectControls() {
    // The two boxes are kept with the Options.
    Station& station = editor_.CurrentStation();
    connect(autoNext_, &QCheckBox::toggled, this, [&station](bool on) {
        station.Opt.AutoNext = on;
        station.Changed.Options = true;
    });
    connect(autoRecord_, &QCheckBox::toggled, this, [&station](bool on) {
        station.Opt.AutoRecord = on;
        station.Changed.Options = true;
    });
    connect(next_, &QPushButton::clicked, this, [this] {
        if (Next() && autoRecord_->isChecked()) {
            Record();
        }
    });
    connect(record_, &QPushButton::clicked, this, &VoiceTrackWindow::Record);
    connect(close_, &QPushButton::clicked, this, &QDialog::hide);
}

void VoiceTrackWindow::showEvent(QShowEvent* event) {
    editor_.SetNavigationEnabled(false);
    SetButtonsEnabled(true);
    override_->setChecked(false);
    // The walk starts at the hour shown.
    scan_.reset();
    const PlaylistDocument& doc = editor_.Document();
    if (const auto first = doc.FindFirstOfHour(editor_.Shown()); first && *first > 0) {
        scan_ = doc.Items()[*first - 1].Id;
    }
    if (!Next()) {
        dateTime_->setText(Starred(Tr(N_("No Voice Track Markers found"))));
    }
    QDialog::showEvent(event);
}

void VoiceTrackWindow::hideEvent(QHideEvent* event) {
    editor_.SetNavigationEnabled(true);
    QDialog::hideEvent(event);
}

void VoiceTrackWindow::SetButtonsEnabled(bool on) {
    for (QPushButton* b : {next_, record_, close_}) {
        b->setEnabled(on);
    }
}

bool VoiceTrackWindow::Next() {
    const PlaylistDocument& doc = editor_.Document();
    marker_ = FindNextMarker(doc, scan_);
    if (!marker_) {
        dateTime_->setText(Starred(Tr(N_("Complete"))));
        previous_->clear();
        following_->clear();
        next_->setEnabled(false);
        record_->setEnabled(false);
        return false;
    }
    scan_ = marker_;
    editor_.ShowItem(*marker_);
    const auto& rows = editor_.Rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [this](const HourRow& r) { return r.Id == *marker_; });
    if (row == rows.end()) {
        dateTime_->setText(Q(
            Format(spindle::tr("Error finding '%0:s' in current view"), doc.Find(*marker_)->Path)));
        return true;
    }
    const LogHour hour = editor_.Shown();
    const TDateTime at = doc.StartDate() + hour.Day + hour.Hour / 24.0 + row->StartOffset / 86400.0;
    dateTime_->setText(
        Q(FormatDateTime("dddddd, hh:nnam/pm", at, editor_.CurrentStation().Settings())));
    previous_->setText(row == rows.begin() ? Tr(N_("<Top of Hour>")) : Q((row - 1)->Filename));
    following_->setText(row + 1 == rows.end() ? Tr(N_("<Bottom of Hour>"))
                                              : Q((row + 1)->Filename));
    return true;
}

void VoiceTrackWindow::Record() {
    SetButtonsEnabled(false);
    if (marker_ && editor_.Document().Find(*marker_) != nullptr &&
        editor_.SelectedIds() != std::vector<std::uint64_t>{*marker_}) {
        editor_.SelectIds({*marker_});
    }
    const std::optional<int> intro =
        override_->isChecked() ? std::optional<int>(introTiming_->value()) : std::nullopt;
    editor_.RecordVoiceTrack(intro, [this](bool made) {
        SetButtonsEnabled(true);
        emit Recorded(made);
        if (made && autoNext_->isChecked() && Next() && autoRecord_->isChecked()) {
            Record();
        }
    });
}

}  // namespace spindle::gui
