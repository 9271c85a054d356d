#include "gui/shell/option_pages.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <filesystem>

#include "base/command_words.h"
#include "base/text_file.h"
#include "forms/options_page_rules.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "outputs/html_pages.h"
#include "ui_advanced_options_page.h"
#include "ui_html_options_page.h"
#include "ui_playlist_options_page.h"

namespace spindle::gui {
namespace {

void AddPeriods(QComboBox* box) {
    for (const char* period : {N_("Hour"), N_("Day"), N_("Week")}) {
        box->addItem(Tr(period));
    }
}

// A number field that takes digits only and reads "0" when left empty.
void DigitsOnly(QLineEdit* field, int digits) {
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), field));
    QObject::connect(field, &QLineEdit::editingFinished, field, [field] {
        if (field->text().isEmpty()) {
            field->setText(QStringLiteral("0"));
        }
    });
}

std::vector<std::string> Lines(const QString& text) {
    return SplitLines(S(text));
}

QString Joined(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) {
        list << Q(line);
    }
    return list.join(QLatin1Char('\n'));
}

}  // namespace

void OptionsPageBase::Edited() {
    if (showing_) {
        return;
    }
    UpdateEnabling();
    Store();
    station_.Changed.Options = true;
    emit OptionsEdited();
}

void OptionsPageBase::ChooseFolderWith(QToolButton* button, QLineEdit* field, const char* prompt) {
    connect(button, &QToolButton::clicked, this, [this, field, prompt] {
        const QString chosen = QFileDialog::getExistingDirectory(this, Tr(prompt), field->text());
        if (!chosen.isEmpty()) {
            field->setText(chosen);
            Edited();
        }
    });
}

// ---- Playlists ----

PlaylistOptionsPage::PlaylistOptionsPage(Station& station, QWidget* parent)
    : OptionsPageBase(station, parent), ui_(std::make_unique<Ui::PlaylistOptionsPage>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    for (const std::string& preset : FormatPresetNames()) {
        ui_->playlistFormat->addItem(Q(preset));
    }
    ui_->playlistFormat->setInsertPolicy(QComboBox::NoInsert);
    AddPeriods(ui_->playlistPeriod);
    AddPeriods(ui_->timeResetPeriod);
    ChooseFolderWith(ui_->playlistFolderBrowse, ui_->playlistFolder,
                     N_("Select a destination playlist folder"));

    auto edited = [this] { Edited(); };
    connect(ui_->playlistFormat, &QComboBox::editTextChanged, this, edited);
    connect(ui_->playlistFormat, &QComboBox::activated, this, [this] { FormatChosen(); });
    connect(ui_->playlistFormat->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { FormatChosen(); });
    connect(ui_->playlistPeriod, &QComboBox::currentIndexChanged, this,
            [this] { PeriodChanged(); });
    for (QLineEdit* field :
         {ui_->breakNoteString, ui_->markerString, ui_->filenameFormat, ui_->playlistFolder,
          ui_->pathSubFrom1, ui_->pathSubTo1, ui_->pathSubFrom2, ui_->pathSubTo2}) {
        connect(field, &QLineEdit::textEdited, this, edited);
    }
    connect(ui_->includeHM, &QCheckBox::toggled, this, edited);
    connect(ui_->vtFilenames, &QCheckBox::toggled, this, edited);
    connect(ui_->timeResetPeriod, &QComboBox::currentIndexChanged, this, edited);
    connect(ui_->deleteOldPlaylists, &QSpinBox::valueChanged, this, edited);
    Show();
}

PlaylistOptionsPage::~PlaylistOptionsPage() = default;

void PlaylistOptionsPage::Show() {
    showing_ = true;
    const Options& o = station_.Opt;
    ui_->playlistFormat->setEditText(Q(o.PlaylistFormat));
    ui_->breakNoteString->setText(Q(o.BreakNoteString));
    ui_->includeHM->setChecked(o.IncludeHM);
    ui_->markerString->setText(Q(o.MarkerString));
    ui_->vtFilenames->setChecked(o.VTFilenames);
    ui_->filenameFormat->setText(Q(o.FilenameFormat));
    ui_->playlistPeriod->setCurrentIndex(o.PlaylistPeriod);
    ui_->timeResetPeriod->setCurrentIndex(o.TimeResetPeriod);
    ui_->playlistFolder->setText(Q(o.PlaylistFolder));
    ui_->deleteOldPlaylists->setValue(o.DeleteOldPlaylists);
    ui_->pathSubFrom1->setText(Q(o.PathSubFrom1));
    ui_->pathSubTo1->setText(Q(o.PathSubTo1));
    ui_->pathSubFrom2->setText(Q(o.PathSubFrom2));
    ui_->pathSubTo2->setText(Q(o.PathSubTo2));
    UpdateEnabling();
    showing_ = false;
}

void PlaylistOptionsPage::UpdateEnabling() {
    ui_->markerString->setEnabled(ui_->includeHM->isChecked());
    ui_->markerStringLabel->setEnabled(ui_->includeHM->isChecked());
}

void PlaylistOptionsPage::Store() {
    Options& o = station_.Opt;
    o.PlaylistFormat = S(ui_->playlistFormat->currentText());
    o.BreakNoteString = S(ui_->breakNoteString->text());
    o.IncludeHM = ui_->includeHM->isChecked();
    o.MarkerString = S(ui_->markerString->text());
    o.VTFilenames = ui_->vtFilenames->isChecked();
    o.FilenameFormat = S(ui_->filenameFormat->text());
    o.PlaylistPeriod = ui_->playlistPeriod->currentIndex();
    o.TimeResetPeriod = ui_->timeResetPeriod->currentIndex();
    o.PlaylistFolder = S(ui_->playlistFolder->text());
    o.DeleteOldPlaylists = ui_->deleteOldPlaylists->value();
    o.PathSubFrom1 = S(ui_->pathSubFrom1->text());
    o.PathSubTo1 = S(ui_->pathSubTo1->text());
    o.PathSubFrom2 = S(ui_->pathSubFrom2->text());
    o.PathSubTo2 = S(ui_->pathSubTo2->text());
}

void PlaylistOptionsPage::FormatChosen() {
    // A preset's name puts the preset's formats in place; any other text is the
    // operator's own format and stays.
    if (showing_ || !ApplyFormatPreset(station_.Opt, S(ui_->playlistFormat->currentText()))) {
        return;
    }
    Show();
    station_.Changed.Options = true;
    emit OptionsEdited();
}

void PlaylistOptionsPage::PeriodChanged() {
    if (showing_) {
        return;
    }
    const int period = ui_->playlistPeriod->currentIndex();
    if (AsksPeriodSync(period, ui_->timeResetPeriod->currentIndex()) &&
        station_.Op().Show(
            MessageKind::Confirmation,
            spindle::tr("The Playlist Period and Time Reset Period now differ.  Would you "
                        "like to synchronize the Time Reset Period with the Playlist "
                        "Period?"),
            Buttons::YesNo) == Answer::Yes) {
        const QSignalBlocker quiet(ui_->timeResetPeriod);
        ui_->timeResetPeriod->setCurrentIndex(period);
    }
    Edited();
}

// ---- HTML ----

HtmlOptionsPage::HtmlOptionsPage(Station& station, QWidget* parent)
    : OptionsPageBase(station, parent), ui_(std::make_unique<Ui::HtmlOptionsPage>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    DigitsOnly(ui_->htmlSpotsOver, 4);
    ChooseFolderWith(ui_->htmlFolderBrowse, ui_->htmlFolder,
                     N_("Select a destination playlist folder"));
    auto edited = [this] { Edited(); };
    connect(ui_->htmlEnabled, &QCheckBox::toggled, this, &HtmlOptionsPage::EnabledToggled);
    for (QCheckBox* box :
         {ui_->htmlSpots, ui_->htmlStartTime, ui_->htmlVT, ui_->htmlCategoryNames}) {
        connect(box, &QCheckBox::toggled, this, edited);
    }
    for (QLineEdit* field : {ui_->htmlTitle, ui_->htmlFolder, ui_->htmlSpotsOver}) {
        connect(field, &QLineEdit::textChanged, this, edited);
    }
    connect(ui_->htmlHeader, &QPushButton::clicked, this, [this] { EditCode(true); });
    connect(ui_->htmlFooter, &QPushButton::clicked, this, [this] { EditCode(false); });
    connect(ui_->htmlDefault, &QPushButton::clicked, this, [this] { FillDefaults(); });
    Show();
}

HtmlOptionsPage::~HtmlOptionsPage() = default;

void HtmlOptionsPage::Show() {
    showing_ = true;
    const Options& o = station_.Opt;
    ui_->htmlEnabled->setChecked(o.HTMLEnabled);
    ui_->htmlTitle->setText(Q(o.HTMLTitle));
    ui_->htmlFolder->setText(Q(o.HTMLFolder));
    ui_->htmlSpots->setChecked(o.HTMLSpots);
    ui_->htmlSpotsOver->setText(Q(o.HTMLSpotsOver));
    ui_->htmlStartTime->setChecked(o.HTMLStartTime);
    ui_->htmlVT->setChecked(o.HTMLVT);
    ui_->htmlCategoryNames->setChecked(o.HTMLCategoryNames);
    UpdateEnabling();
    showing_ = false;
}

void HtmlOptionsPage::UpdateEnabling() {
    // Every control of the group, captions included, dims with the switch.
    ui_->htmlGroup->setEnabled(ui_->htmlEnabled->isChecked());
}

void HtmlOptionsPage::Store() {
    Options& o = station_.Opt;
    o.HTMLEnabled = ui_->htmlEnabled->isChecked();
    o.HTMLTitle = S(ui_->htmlTitle->text());
    o.HTMLFolder = S(ui_->htmlFolder->text());
    o.HTMLSpots = ui_->htmlSpots->isChecked();
    o.HTMLSpotsOver = S(ui_->htmlSpotsOver->text());
    o.HTMLStartTime = ui_->htmlStartTime->isChecked();
    o.HTMLVT = ui_->htmlVT->isChecked();
    o.HTMLCategoryNames = ui_->htmlCategoryNames->isChecked();
}

void HtmlOptionsPage::EnabledToggled(bool on) {
    Edited();
    if (!showing_ && on && station_.Opt.HTMLUserHeader.empty()) {
        FillDefaults();
    }
}

bool HtmlOptionsPage::FillDefaults() {
    const auto name =
        station_.Op().Query(spindle::tr("HTML Playlist"), spindle::tr("Station name:"), "");
    if (!name || name->empty()) {
        return false;
    }
    const auto address = station_.Op().Query(spindle::tr("HTML Playlist"),
                                             spindle::tr("Home page address:"), "https://");
    if (!address) {
        return false;
    }
    DefaultHtmlCode(station_.Opt, *name, *address);
    Show();
    station_.Changed.Options = true;
    emit OptionsEdited();
    return true;
}

void HtmlOptionsPage::EditCode(bool header) {
    std::vector<std::string>& code =
        header ? station_.Opt.HTMLUserHeader : station_.Opt.HTMLUserFooter;
    QDialog editor(this);
    editor.setObjectName(header ? QStringLiteral("htmlHeaderEditor")
                                : QStringLiteral("htmlFooterEditor"));
    editor.setWindowTitle(header ? Tr(N_("HTML Header")) : Tr(N_("HTML Footer")));
    auto* layout = new QVBoxLayout(&editor);
    auto* text = new QPlainTextEdit(Joined(code), &editor);
    text->setAccessibleName(editor.windowTitle());
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &editor);
    connect(buttons, &QDialogButtonBox::accepted, &editor, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &editor, &QDialog::reject);
    layout->addWidget(buttons);
    editor.resize(640, 360);
    if (editor.exec() == QDialog::Accepted) {
        code = Lines(text->toPlainText());
        station_.Changed.Options = true;
        emit OptionsEdited();
    }
}

// ---- Advanced ----

AdvancedOptionsPage::AdvancedOptionsPage(Station& station, QWidget* parent)
    : OptionsPageBase(station, parent), ui_(std::make_unique<Ui::AdvancedOptionsPage>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    for (const char* order : {N_("Artist first"), N_("Title first")}) {
        ui_->artistFirst->addItem(Tr(order));
    }
    for (const std::string_view name : ExtensionSet::Names()) {
        auto* item = new QListWidgetItem(Q(name), ui_->extensions);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    }
    ui_->extensions->setResizeMode(QListView::Adjust);
    ui_->extensions->setAccessibleName(ui_->extensionsGroup->title());
    ChooseFolderWith(ui_->logFolderBrowse, ui_->logFolder, N_("Select a destination log folder"));
    ChooseFolderWith(ui_->voiceTrackFolderBrowse, ui_->voiceTrackFolder,
                     N_("Select a folder to store Voice Tracks"));
    connect(ui_->recordingAppBrowse, &QToolButton::clicked, this,
            &AdvancedOptionsPage::ChooseRecordingApp);

    auto edited = [this] { Edited(); };
    for (QLineEdit* field : {ui_->artistDelim, ui_->logFolder, ui_->voiceTrackFolder,
                             ui_->recordingApp, ui_->playerCommand}) {
        connect(field, &QLineEdit::textEdited, this, edited);
    }
    for (QCheckBox* box : {ui_->trackLog, ui_->spotLog, ui_->useColour, ui_->stayOnTop,
                           ui_->toolTips, ui_->playEnabled}) {
        connect(box, &QCheckBox::toggled, this, edited);
    }
    connect(ui_->artistFirst, &QComboBox::currentIndexChanged, this, [this] {
        Edited();
        if (!showing_) {
            emit ReloadAllAsked();  // every artist key changes with the order
        }
    });
    connect(ui_->extensions, &QListWidget::itemChanged, this, [this] {
        if (!showing_) {
            extensionsEdited_ = true;
            Edited();
        }
    });
    auto setAll = [this](bool on) {
        for (int i = 0; i < ui_->extensions->count(); ++i) {
            ui_->extensions->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        }
    };
    connect(ui_->selectAll, &QPushButton::clicked, this, [setAll] { setAll(true); });
    connect(ui_->selectNone, &QPushButton::clicked, this, [setAll] { setAll(false); });
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->extensions), static_cast<QWidget*>(ui_->selectAll),
          static_cast<QWidget*>(ui_->selectNone)}) {
        w->installEventFilter(this);
    }
    Show();
}

AdvancedOptionsPage::~AdvancedOptionsPage() = default;

void AdvancedOptionsPage::Show() {
    showing_ = true;
    const Options& o = station_.Opt;
    ui_->artistDelim->setText(Q(o.ArtistDelim));
    ui_->artistFirst->setCurrentIndex(o.ArtistFirst);
    ui_->logFolder->setText(Q(o.LogFolder));
    ui_->trackLog->setChecked(o.TrackLog);
    ui_->spotLog->setChecked(o.SpotLog);
    ui_->voiceTrackFolder->setText(Q(o.VoiceTrackFolder));
    ui_->recordingApp->setText(Q(o.RecordingApp));
    ui_->playerCommand->setText(Q(o.PlayerCommand));
    for (int i = 0; i < ui_->extensions->count(); ++i) {
        ui_->extensions->item(i)->setCheckState(
            o.Extensions.IsSelected(static_cast<std::size_t>(i)) ? Qt::Checked : Qt::Unchecked);
    }
    ui_->useColour->setChecked(o.UseColour);
    ui_->stayOnTop->setChecked(o.StayOnTop);
    ui_->toolTips->setChecked(o.ToolTips);
    ui_->playEnabled->setChecked(o.PlayEnabled);
    showing_ = false;
}

void AdvancedOptionsPage::Store() {
    Options& o = station_.Opt;
    o.ArtistDelim = S(ui_->artistDelim->text());
    o.ArtistFirst = ui_->artistFirst->currentIndex();
    o.LogFolder = S(ui_->logFolder->text());
    o.TrackLog = ui_->trackLog->isChecked();
    o.SpotLog = ui_->spotLog->isChecked();
    o.VoiceTrackFolder = S(ui_->voiceTrackFolder->text());
    o.RecordingApp = S(ui_->recordingApp->text());
    o.PlayerCommand = S(ui_->playerCommand->text());
    o.Extensions.SelectNone();
    for (int i = 0; i < ui_->extensions->count(); ++i) {
        if (ui_->extensions->item(i)->checkState() == Qt::Checked) {
            o.Extensions.Select(S(ui_->extensions->item(i)->text()));
        }
    }
    o.UseColour = ui_->useColour->isChecked();
    o.StayOnTop = ui_->stayOnTop->isChecked();
    o.ToolTips = ui_->toolTips->isChecked();
    o.PlayEnabled = ui_->playEnabled->isChecked();
}

bool AdvancedOptionsPage::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the extension group (not moving within it) settles the change.
    if (event->type() == QEvent::FocusOut) {
        QWidget* next = QApplication::focusWidget();
        if (next == nullptr || !ui_->extensionsGroup->isAncestorOf(next)) {
            ExtensionsLeft();
        }
    }
    return OptionsPageBase::eventFilter(watched, event);
}

void AdvancedOptionsPage::ExtensionsLeft() {
    if (!extensionsEdited_) {
        return;
    }
    extensionsEdited_ = false;
    if (station_.Op().Show(
            MessageKind::Confirmation,
            spindle::tr("File extensions have changed.  Do you wish to reload all files?"),
            Buttons::YesNo) == Answer::Yes) {
        emit ReloadAllAsked();
    }
}

void AdvancedOptionsPage::ChooseRecordingApp() {
    // The chooser opens where the current program lies, else beside the data folder.
    const std::vector<std::string> words = CommandWords(S(ui_->recordingApp->text()));
    const std::filesystem::path current(words.empty() ? std::string() : words.front());
    std::error_code ec;
    const QString start =
        current.has_parent_path() && std::filesystem::is_directory(current.parent_path(), ec)
            ? Q(current.parent_path().string())
            : Q(station_.DataFolder().parent_path().string());
    const QString chosen = QFileDialog::getOpenFileName(this, Tr(N_("Recording program")), start);
    if (!chosen.isEmpty()) {
        ui_->recordingApp->setText(Q(QuotedWord(S(chosen))));
        Edited();
    }
}

}  // namespace spindle::gui
