#include "gui/library/group_dialog.h"
#include "gui/help/help_window.h"
#include "gui/library/rules_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>

#include "base/format.h"
#include "base/format_datetime.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "forms/options_page_rules.h"
#include "gui/widgets/accessible_controls.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_category_dialog.h"
#include "ui_spot_group_dialog.h"

namespace spindle::gui {
namespace {

template <typename T>
T* Child(const QObject* form, const char* name) {
    return form->findChild<T*>(QString::fromLatin1(name));
}

QString TimeText(std::uint32_t seconds, const FormatSettings& settings) {
    return Q(FormatDateTime("hh:nn:ss", seconds / 86400.0, settings));
}

std::vector<std::string> FolderLines(const QPlainTextEdit* folders) {
    std::vector<std::string> lines;
    for (std::string& line : SplitLines(S(folders->toPlainText()))) {
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

}  // namespace

GroupDialog::GroupDialog(Station& station, GroupKind kind, TCustomDetails* existing,
                         QWidget* parent)
    : QDialog(parent), station_(station), kind_(kind), existing_(existing) {}

void GroupDialog::SetUpShared() {
    TranslateForm(this);
    const bool category = kind_ == GroupKind::Category;
    if (existing_ == nullptr) {
        setWindowTitle(category ? Tr(N_("New Category")) : Tr(N_("New Spot Group")));
    } else {
        setWindowTitle(Q(Format(category ? spindle::tr("%0:s Category Properties")
                                         : spindle::tr("%0:s Spot Group Properties"),
                                existing_->Name)));
    }
    auto* name = Child<QLineEdit>(this, "name");
    auto* folders = Child<QPlainTextEdit>(this, "folders");
    AddHelpButton(Child<QDialogButtonBox>(this, "buttons"), this,
                  category ? QStringLiteral("library.html#category")
                           : QStringLiteral("library.html#spot-group"));
    auto* ok = Child<QDialogButtonBox>(this, "buttons")->button(QDialogButtonBox::Ok);
    connect(Child<QDialogButtonBox>(this, "buttons"), &QDialogButtonBox::accepted, this,
            &QDialog::accept);
    connect(Child<QDialogButtonBox>(this, "buttons"), &QDialogButtonBox::rejected, this,
            &QDialog::reject);
    auto complete = [this, name, folders, ok] {
        ok->setEnabled(
            GroupPropertiesComplete(S(name->text()), S(folders->toPlainText().trimmed())));
        UpdateAverage();
    };
    connect(name, &QLineEdit::textChanged, this, complete);
    connect(folders, &QPlainTextEdit::textChanged, this, complete);
    connect(Child<QCheckBox>(this, "subfolders"), &QCheckBox::toggled, this,
            [this] { UpdateAverage(); });
    ConnectFolderButtons(folders);

    // Isolated mode loads saved track lists only: the folders cannot be changed.
    if (station_.Isolated) {
        for (const char* control :
             {"folders", "subfolders", "addFolder", "addFiles", "clearFolders", "groupType"}) {
            Child<QWidget>(this, control)->setEnabled(false);
        }
    }
    GroupFields shown;
    if (existing_ != nullptr) {
        shown = FieldsOf(*existing_);
    }
    Show(shown);
    name->setEnabled(existing_ == nullptr);
    (existing_ == nullptr ? static_cast<QWidget*>(name) : Child<QWidget>(this, "notes"))
        ->setFocus();
    complete();
}

// The buttons that add to the folders and files, or clear them.
void GroupDialog::ConnectFolderButtons(QPlainTextEdit* folders) {
    connect(Child<QPushButton>(this, "addFolder"), &QPushButton::clicked, this, [this, folders] {
        const QString folder = QFileDialog::getExistingDirectory(
            this, kind_ == GroupKind::Category ? Tr(N_("Select a folder containing Category items"))
                                               : Tr(N_("Select a folder containing Spot items")));
        if (!folder.isEmpty()) {
            folders->appendPlainText(folder);
        }
    });
    connect(Child<QPushButton>(this, "addFiles"), &QPushButton::clicked, this, [this, folders] {
        for (const QString& file : QFileDialog::getOpenFileNames(
                 this, Tr(N_("Add Files")), {}, Q(FileDialogFilter(station_.Opt.Extensions)))) {
            folders->appendPlainText(file);
        }
    });
    connect(Child<QPushButton>(this, "clearFolders"), &QPushButton::clicked, folders,
            &QPlainTextEdit::clear);
}

void GroupDialog::Show(const GroupFields& f) {
    showing_ = true;
    Child<QLineEdit>(this, "name")->setText(Q(f.Name));
    Child<QLineEdit>(this, "notes")->setText(Q(f.Notes));
    QStringList lines;
    for (const std::string& line : f.Folders) {
        lines << Q(line);
    }
    Child<QPlainTextEdit>(this, "folders")->setPlainText(lines.join(QLatin1Char('\n')));
    Child<QCheckBox>(this, "subfolders")->setChecked(f.Subfolders);
    ShowValue(Child<QLabel>(this, "fileCount"),
              QString::number(existing_ != nullptr ? existing_->Files.size() : 0));
    ShowOwn(f);
    showing_ = false;
    UpdateEnabling();
    UpdateAverage();
}

GroupFields GroupDialog::Fields() const {
    GroupFields f;
    f.Name = S(Child<QLineEdit>(this, "name")->text());
    f.Notes = S(Child<QLineEdit>(this, "notes")->text());
    f.Folders = FolderLines(Child<QPlainTextEdit>(this, "folders"));
    f.Subfolders = Child<QCheckBox>(this, "subfolders")->isChecked();
    TakeOwn(f);
    return f;
}

void GroupDialog::UpdateEnabling() {}

bool GroupDialog::StoreOwn(const GroupFields&) {
    return true;
}

void GroupDialog::UpdateAverage() {
    if (showing_) {
        return;
    }
    // The stored average holds only while nothing that decides it has changed.
    const bool stored = existing_ != nullptr && ShowsStoredAverage(*existing_, Fields());
    ShowValue(Child<QLabel>(this, "averageTime"),
              TimeText(stored ? existing_->AverageTime : 0, station_.Settings()));
}

bool GroupDialog::TryAccept() {
    const GroupFields fields = Fields();
    const std::vector<Verdict> refusals =
        CheckGroupProperties(station_, kind_, existing_ == nullptr, fields.Name, fields.Folders);
    for (const Verdict& v : refusals) {
        station_.Op().Show(MessageKind::Error, v.Message, Buttons::Ok);
    }
    if (!refusals.empty()) {
        const char* field = refusals.front().Field == "Name" ? "name" : "folders";
        Child<QWidget>(this, field)->setFocus();
        return false;
    }
    if (!StoreOwn(fields)) {
        return false;
    }
    result_ = &ApplyGroupFields(station_, kind_, existing_, fields);
    return true;
}

void GroupDialog::accept() {
    if (TryAccept()) {
        QDialog::accept();
    }
}

// ---- Category ----

CategoryDialog::CategoryDialog(Station& station, TCategoryDetails* existing, QWidget* parent)
    : GroupDialog(station, GroupKind::Category, existing, parent),
      ui_(std::make_unique<Ui::CategoryDialog>()) {
    ui_->setupUi(this);
    for (const char* type : {N_("Normal"), N_("Block")}) {
        ui_->groupType->addItem(Tr(type));
    }
    repeats_ = {Repeat{ui_->songRepeatOption, ui_->songRepeatInterval, ui_->songRepeatTrackBar,
                       ui_->songRepeatUnit},
                Repeat{ui_->artistRepeatOption, ui_->artistRepeatInterval,
                       ui_->artistRepeatTrackBar, ui_->artistRepeatUnit}};
    for (Repeat& r : repeats_) {
        for (const char* choice : {N_("System Default"), N_("Specify")}) {
            r.Option->addItem(Tr(choice));
        }
        r.Field->setValidator(
            new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), this));
        connect(r.Option, &QComboBox::currentIndexChanged, this, [this, &r](int index) {
            if (!showing_) {
                if (index != kRepeatSpecify) {
                    r.Own = r.Field->text().toUInt();  // what was specified, for coming back
                }
                ShowInterval(r);
            }
            UpdateEnabling();
        });
        connect(r.Field, &QLineEdit::textEdited, this,
                [this, f = r.Field, b = r.Bar, u = r.Unit] { IntervalTyped(f, b, u); });
        connect(r.Bar, &QSlider::valueChanged, this, [this, f = r.Field, b = r.Bar, u = r.Unit] {
            if (!showing_ && b->hasFocus()) {
                f->setText(QString::number(kIntervalScale[static_cast<std::size_t>(b->value())]));
                u->setText(Q(IntervalUnitLabel(f->text().toUInt())));
            }
        });
    }
    connect(ui_->groupType, &QComboBox::currentIndexChanged, this, [this] {
        UpdateEnabling();
        UpdateAverage();
    });
    std::vector<std::string> tracks;
    if (existing != nullptr) {
        for (const FileRec& file : existing->Files) {
            tracks.push_back(file.FileName);
        }
    }
    ui_->rulesPage->Load(station.DataFolder(), existing != nullptr ? existing->ListName() : "",
                         std::move(tracks), station.Settings(), station.Op());
    connect(ui_->rulesPage, &RulesPage::IntervalOpened, this, [this](bool song) {
        ui_->pages->setCurrentWidget(ui_->categoryPage);
        repeats_[song ? 0 : 1].Option->setFocus();
    });
    SetUpShared();
}

CategoryDialog::~CategoryDialog() = default;

bool CategoryDialog::StoreOwn(const GroupFields& fields) {
    if (const DbStatus stored = ui_->rulesPage->Save(fields.Name); !stored) {
        station_.Op().Show(
            MessageKind::Error,
            Format(spindle::tr("The Category's rules could not be saved: %0:s"), stored.Problem),
            Buttons::Ok);
        ui_->pages->setCurrentWidget(ui_->rulesPage);
        return false;
    }
    return true;
}

void CategoryDialog::IntervalTyped(QLineEdit* field, QSlider* bar, QLabel* unit) {
    field->setText(Q(NumberFieldText(S(field->text()))));
    if (!bar->hasFocus()) {
        const QSignalBlocker quiet(bar);
        bar->setValue(IntervalPosition(field->text().toUInt()));
    }
    unit->setText(Q(IntervalUnitLabel(field->text().toUInt())));
}

std::uint32_t CategoryDialog::StationInterval(const Repeat& r) const {
    return &r == &repeats_[0] ? station_.Opt.SongIntervalMinutes()
                              : station_.Opt.ArtistIntervalMinutes();
}

void CategoryDialog::ShowInterval(Repeat& r) {
    const bool specify = r.Option->currentIndex() == kRepeatSpecify;
    r.Field->setText(QString::number(specify ? r.Own : StationInterval(r)));
    IntervalTyped(r.Field, r.Bar, r.Unit);
}

void CategoryDialog::ShowOwn(const GroupFields& f) {
    ui_->groupType->setCurrentIndex(f.GroupType);
    repeats_[0].Option->setCurrentIndex(f.SongRepeatOption);
    repeats_[0].Own = f.SongRepeatInterval;
    repeats_[1].Option->setCurrentIndex(f.ArtistRepeatOption);
    repeats_[1].Own = f.ArtistRepeatInterval;
    for (Repeat& r : repeats_) {
        ShowInterval(r);
    }
}

void CategoryDialog::TakeOwn(GroupFields& f) const {
    // Under "System Default" the field shows the station's interval; the Category keeps
    // its own.
    auto own = [](const Repeat& r) {
        return r.Option->currentIndex() == kRepeatSpecify ? r.Field->text().toUInt() : r.Own;
    };
    f.GroupType = static_cast<std::uint8_t>(ui_->groupType->currentIndex());
    f.SongRepeatOption = static_cast<std::uint8_t>(repeats_[0].Option->currentIndex());
    f.ArtistRepeatOption = static_cast<std::uint8_t>(repeats_[1].Option->currentIndex());
    f.SongRepeatInterval = own(repeats_[0]);
    f.ArtistRepeatInterval = own(repeats_[1]);
}

void CategoryDialog::UpdateEnabling() {
    // A Block plays its tracks as a unit: no repeat intervals at all.
    const bool block = ui_->groupType->currentIndex() == kCategoryBlock;
    ui_->songRepeatGroup->setEnabled(!block);
    ui_->artistRepeatGroup->setEnabled(!block);
    for (const Repeat& r : repeats_) {
        const bool specify = r.Option->currentIndex() == kRepeatSpecify;
        r.Field->setEnabled(specify);
        r.Bar->setEnabled(specify);
        r.Unit->setEnabled(specify);
    }
}

// ---- Spot Group ----

SpotGroupDialog::SpotGroupDialog(Station& station, TSpotDetails* existing, QWidget* parent)
    : GroupDialog(station, GroupKind::SpotGroup, existing, parent),
      ui_(std::make_unique<Ui::SpotGroupDialog>()) {
    ui_->setupUi(this);
    for (const char* type :
         {N_("Normal"), N_("Song Intro"), N_("Song Outro"), N_("Block"), N_("Voice Intro")}) {
        ui_->groupType->addItem(Tr(type));
    }
    for (const char* sort : {N_("All Folders Combined"), N_("Per Folder"), N_("Randomly")}) {
        ui_->sortType->addItem(Tr(sort));
    }
    if (existing != nullptr) {
        for (const FileRec& f : existing->Files) {
            ui_->nextItem->addItem(Q(ExtractFileName(f.FileName)));
        }
    }
    auto changed = [this] {
        UpdateEnabling();
        UpdateAverage();
    };
    connect(ui_->groupType, &QComboBox::currentIndexChanged, this, changed);
    connect(ui_->sortType, &QComboBox::currentIndexChanged, this, changed);
    connect(ui_->firstItem, &QCheckBox::toggled, this, [this](bool on) {
        if (on && ui_->nextItem->count() > 0) {
            ui_->nextItem->setCurrentIndex(0);
        }
        UpdateEnabling();
    });
    // New folders make the stored files, and so the next item, unknown.
    connect(findChild<QPlainTextEdit*>(QStringLiteral("folders")), &QPlainTextEdit::textChanged,
            this, [this] {
                if (!showing_ && existing_ != nullptr && Fields().Folders != existing_->Folders) {
                    ui_->nextItem->clear();
                }
            });
    if (station.Isolated) {
        ui_->sortType->setEnabled(false);
    }
    SetUpShared();
}

SpotGroupDialog::~SpotGroupDialog() = default;

void SpotGroupDialog::ShowOwn(const GroupFields& f) {
    ui_->groupType->setCurrentIndex(f.GroupType);
    ui_->sortType->setCurrentIndex(f.SortType);
    ui_->firstItem->setChecked(f.FirstItem);
    if (f.NextItem < static_cast<std::uint32_t>(ui_->nextItem->count())) {
        ui_->nextItem->setCurrentIndex(static_cast<int>(f.NextItem));
    }
}

void SpotGroupDialog::TakeOwn(GroupFields& f) const {
    f.GroupType = static_cast<std::uint8_t>(ui_->groupType->currentIndex());
    f.SortType = static_cast<std::uint8_t>(ui_->sortType->currentIndex());
    f.FirstItem = ui_->firstItem->isChecked();
    f.NextItem = static_cast<std::uint32_t>(std::max(ui_->nextItem->currentIndex(), 0));
}

void SpotGroupDialog::UpdateEnabling() {
    const SpotDialogEnabling e = SpotDialogRules(
        ui_->groupType->currentIndex(), ui_->sortType->currentIndex(), ui_->firstItem->isChecked());
    ui_->sortType->setEnabled(e.SortType && !station_.Isolated);
    ui_->sortTypeLabel->setEnabled(e.SortType);
    ui_->firstItem->setEnabled(e.FirstItem);
    ui_->nextItem->setEnabled(e.NextItem);
    ui_->nextItemLabel->setEnabled(e.NextItem);
}

}  // namespace spindle::gui
