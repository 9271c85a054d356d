#include "gui/editor/insert_dialogs.h"
#include "gui/help/help_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <algorithm>

#include "base/paths.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "station/station.h"
#include "ui_insert_item_dialog.h"
#include "ui_select_item_dialog.h"

namespace spindle::gui {
namespace {

QString WithoutExtension(const std::string& path) {
    const std::string name = ExtractFileName(path);
    return Q(name.substr(0, name.size() - ExtractFileExt(name).size()));
}

// Makes the row showing exactly `text` the current one; false when there is none.
bool SelectExactly(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty()) {
        return false;
    }
    list->setCurrentItem(found.front());
    return true;
}

std::vector<int> CheckedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked) {
            rows.push_back(i);
        }
    }
    return rows;
}

}  // namespace

// ---- SelectItemDialog ----

SelectItemDialog::SelectItemDialog(Station& station, QWidget* parent)
    : QDialog(parent), station_(station), ui_(std::make_unique<Ui::SelectItemDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    for (const char* kind : {N_("Category"), N_("Spot Group"), N_("Timed Spot"), N_("Break Note"),
                             N_("Voice Intro"), N_("Other")}) {
        ui_->selectFrom->addItem(Tr(kind));
    }
    OpenFile = [](QWidget* owner, const QString& folder) {
        return QFileDialog::getOpenFileName(owner, Tr(N_("Open")), folder);
    };
    // A click or Enter on a kind chooses it; moving through the kinds does not.
    auto choose = [this](QListWidgetItem* item) {
        ChooseKind(static_cast<SelectKind>(ui_->selectFrom->row(item)));
    };
    connect(ui_->selectFrom, &QListWidget::itemClicked, this, choose);
    connect(ui_->selectFrom, &QListWidget::itemActivated, this, choose);
    connect(ui_->catSpotList, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        chosen_.Group = S(name);
        ShowFiles();
    });
    connect(ui_->fileList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(entries_.size())) {
            const Entry& e = entries_[static_cast<std::size_t>(row)];
            chosen_.Path = e.Path;
            chosen_.Duration = e.Duration;
            chosen_.Shown = S(e.Shown);
        }
        UpdateOk();
    });
    connect(ui_->fileList, &QListWidget::itemDoubleClicked, this, [this] {
        if (Complete()) {
            accept();
        }
    });
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("editor.html#insert"));
    // Enter on a kind chooses it rather than closing the dialog.
    QPushButton* ok = ui_->buttons->button(QDialogButtonBox::Ok);
    const QWidget* kinds = ui_->selectFrom;
    connect(qApp, &QApplication::focusChanged, ok,
            [ok, kinds](QWidget*, QWidget* now) { ok->setDefault(now != kinds); });
    // It opens on the Category list, not on a kind that shows nothing.
    ChooseKind(SelectKind::Category);
}

SelectItemDialog::~SelectItemDialog() = default;

bool SelectItemDialog::Complete() const {
    return kindChosen_ && ui_->fileList->currentRow() >= 0;
}

void SelectItemDialog::UpdateOk() {
    ui_->buttons->button(QDialogButtonBox::Ok)->setEnabled(Complete());
}

void SelectItemDialog::ChooseKind(SelectKind kind) {
    ui_->selectFrom->setCurrentRow(static_cast<int>(kind));
    kindChosen_ = false;
    chosen_ = Selection{};
    chosen_.Kind = kind;
    entries_.clear();
    ui_->fileList->clear();
    const bool fromGroup = kind == SelectKind::Category || kind == SelectKind::SpotGroup ||
                           kind == SelectKind::TimedSpot;
    ui_->catSpotList->setEnabled(fromGroup);
    ui_->catSpotLabel->setEnabled(fromGroup);
    if (fromGroup) {
        kindChosen_ = true;
        ShowGroups();
    } else {
        ui_->catSpotList->clear();
        Entry entry;
        if (kind == SelectKind::BreakNote) {
            if (station_.Opt.BreakNoteString.empty()) {
                station_.Op().Show(MessageKind::Information,
                                   spindle::tr("Break Note Entry is disabled.  Please enter a "
                                               "Break Note string in the Playlist Options."),
                                   Buttons::Ok);
            } else if (const auto text =
                           station_.Op().Query(spindle::tr("Break Note Entry"),
                                               spindle::tr("Enter a Break Note description"),
                                               station_.Opt.BreakNoteString)) {
                entry = {Q(*text), *text, BreakNoteSeconds(*text)};
            }
        } else {
            const QString file = OpenFile(this, startFolder_);
            if (!file.isEmpty()) {
                entry = {Q(ExtractFileName(S(file))), S(file), 0};
            }
        }
        if (!entry.Path.empty()) {
            kindChosen_ = true;
            entries_.push_back(entry);
            ui_->fileList->addItem(entry.Shown);
            ui_->fileList->setCurrentRow(0);
        }
    }
    UpdateOk();
}

void SelectItemDialog::ShowGroups() {
    const bool category = chosen_.Kind == SelectKind::Category;
    ui_->catSpotLabel->setText(category ? Tr(N_("&Select a Category"))
                                        : Tr(N_("&Select a Spot Group")));
    ui_->catSpotList->setAccessibleName(ui_->catSpotLabel->text().remove(QLatin1Char('&')));
    QSignalBlocker quiet(ui_->catSpotList);
    ui_->catSpotList->clear();
    if (category) {
        for (const auto& c : station_.Categories) {
            ui_->catSpotList->addItem(Q(c->Name));
        }
    } else {
        for (const auto& g : station_.SpotGroups) {
            ui_->catSpotList->addItem(Q(g->Name));
        }
    }
}

void SelectItemDialog::ShowFiles() {
    entries_.clear();
    const std::vector<FileRec>* files = nullptr;
    if (chosen_.Kind == SelectKind::Category) {
        if (const auto* c = station_.FindCategory(chosen_.Group)) {
            files = &c->Files;
        }
    } else if (const auto* g = station_.FindSpotGroup(chosen_.Group)) {
        files = &g->Files;
    }
    if (files != nullptr) {
        for (const FileRec& f : *files) {
            entries_.push_back({WithoutExtension(f.FileName), f.FileName, f.Duration});
        }
    }
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return QString::localeAwareCompare(a.Shown, b.Shown) < 0;
    });
    QSignalBlocker quiet(ui_->fileList);
    ui_->fileList->clear();
    for (const Entry& e : entries_) {
        ui_->fileList->addItem(e.Shown);
    }
    UpdateOk();
}

bool SelectItemDialog::ChooseGroup(const QString& name) {
    return SelectExactly(ui_->catSpotList, name);
}

bool SelectItemDialog::ChooseFile(const QString& shown) {
    return SelectExactly(ui_->fileList, shown);
}

// ---- InsertItemDialog ----

InsertItemDialog::InsertItemDialog(SelectItemDialog& select, const QStringList& days,
                                   QWidget* parent)
    : QDialog(parent), select_(select), ui_(std::make_unique<Ui::InsertItemDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    auto fill = [this](QListWidget* list, const QStringList& texts) {
        for (const QString& text : texts) {
            auto* item = new QListWidgetItem(text, list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(Qt::Unchecked);
        }
        connect(list, &QListWidget::itemChanged, this, &InsertItemDialog::UpdateOk);
    };
    QStringList hours;
    for (int h = 0; h < 24; ++h) {
        hours << QString("%1:00").arg(h, 2, 10, QChar('0'));
    }
    QStringList minutes;
    for (int m = 0; m <= 60; ++m) {
        minutes << QString::number(m);
    }
    fill(ui_->days, days);
    fill(ui_->hours, hours);
    fill(ui_->minutes, minutes);
    connect(ui_->selectItem, &QPushButton::clicked, this, &InsertItemDialog::SelectItem);
    connect(ui_->otherPositions, &QRadioButton::toggled, this, &InsertItemDialog::UpdateOk);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("editor.html#insert"));
    UpdateOk();
}

InsertItemDialog::~InsertItemDialog() = default;

void InsertItemDialog::SelectItem() {
    if (select_.exec() != QDialog::Accepted || !select_.Complete()) {
        return;
    }
    chosen_ = select_.Chosen();
    ui_->selectedItem->setText(Q(chosen_.Shown));
    // A timed spot keeps its minute: it goes in at chosen minutes only.
    const bool timed = chosen_.Kind == SelectKind::TimedSpot;
    ui_->currentPosition->setEnabled(!timed);
    if (timed) {
        ui_->otherPositions->setChecked(true);
    }
    UpdateOk();
}

bool InsertItemDialog::OtherPositions() const {
    return ui_->otherPositions->isChecked();
}

void InsertItemDialog::SetOtherPositions(bool other) {
    (other ? ui_->otherPositions : ui_->currentPosition)->setChecked(true);
}

void InsertItemDialog::Check(const std::vector<int>& days, const std::vector<int>& hours,
                             const std::vector<int>& minutes) {
    for (const auto& [list, rows] : {std::pair{ui_->days, &days}, std::pair{ui_->hours, &hours},
                                     std::pair{ui_->minutes, &minutes}}) {
        for (const int row : *rows) {
            if (QListWidgetItem* item = list->item(row)) {
                item->setCheckState(Qt::Checked);
            }
        }
    }
}

std::vector<int> InsertItemDialog::Days() const {
    return CheckedRows(ui_->days);
}

std::vector<int> InsertItemDialog::Hours() const {
    return CheckedRows(ui_->hours);
}

std::vector<int> InsertItemDialog::Minutes() const {
    return CheckedRows(ui_->minutes);
}

void InsertItemDialog::UpdateOk() {
    const bool other = OtherPositions();
    ui_->positions->setEnabled(other);
    const bool ok = !ui_->selectedItem->text().isEmpty() &&
                    (!other || (!Days().empty() && !Hours().empty() && !Minutes().empty()));
    ui_->buttons->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

}  // namespace spindle::gui
