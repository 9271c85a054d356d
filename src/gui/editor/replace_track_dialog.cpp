#include "gui/editor/replace_track_dialog.h"
#include "gui/help/help_window.h"

#include <QHeaderView>
#include <QPushButton>

#include "base/format.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_replace_track_dialog.h"

namespace spindle::gui {

ReplaceTrackDialog::ReplaceTrackDialog(const ReplacementList& list, const QString& summary,
                                       QWidget* parent)
    : QDialog(parent), list_(list), ui_(std::make_unique<Ui::ReplaceTrackDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    setWindowTitle(Tr(N_("Replace Track")));
    ui_->summary->setText(summary);
    ui_->candidates->setHeaderLabels(
        {Tr(N_("Artist")), Tr(N_("Title")), Tr(N_("Length")), Tr(N_("What it breaks"))});
    ui_->candidates->header()->resizeSection(0, 170);
    ui_->candidates->header()->resizeSection(1, 200);
    ui_->candidates->header()->resizeSection(2, 60);
    QPushButton* replace = ui_->buttons->button(QDialogButtonBox::Ok);
    replace->setText(Tr(N_("&Replace")));
    replace->setAccessibleName(Tr(N_("Replace")));
    connect(ui_->search, &QLineEdit::textChanged, this, &ReplaceTrackDialog::ShowCandidates);
    connect(ui_->cleanOnly, &QCheckBox::toggled, this, &ReplaceTrackDialog::ShowCandidates);
    connect(ui_->candidates, &QTreeWidget::currentItemChanged, this,
            [replace](const QTreeWidgetItem* current) { replace->setEnabled(current != nullptr); });
    connect(ui_->candidates, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Chosen()) {
            accept();
        }
    });
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddHelpButton(ui_->buttons, this, QStringLiteral("editor.html#replace"));
    ShowCandidates();
    ui_->search->setFocus();
}

ReplaceTrackDialog::~ReplaceTrackDialog() = default;

void ReplaceTrackDialog::ShowCandidates() {
    QTreeWidget* view = ui_->candidates;
    view->clear();
    const auto shown = ShownCandidates(list_, ui_->cleanOnly->isChecked(), S(ui_->search->text()));
    for (const std::size_t k : shown) {
        const ReplacementCandidate& c = list_.Candidates[k];
        QStringList breaks;
        for (const std::string& rule : c.Breaks) {
            breaks << Q(rule);
        }
        auto* row = new QTreeWidgetItem(
            view, {Q(c.Artist), Q(c.Title), Q(PlaylistDocument::DurationText(c.Duration)),
                   c.Clean() ? Tr(N_("Breaks nothing")) : breaks.join(QLatin1Char('\n'))});
        row->setData(0, Qt::UserRole, static_cast<qulonglong>(k));
    }
    // The best shown is the one Replace (or Enter in the search) takes.
    view->setCurrentItem(view->topLevelItem(0));
    ui_->buttons->button(QDialogButtonBox::Ok)->setEnabled(!shown.empty());
    QString nothing;
    if (shown.empty()) {
        nothing = ui_->search->text().isEmpty()
                      ? Q(Format(spindle::tr("Every track of %0:s breaks a rule here: untick "
                                             "\"Only tracks that break no rule\" to see them."),
                                 list_.Category))
                      : Tr(N_("No track's artist or title holds the search."));
    }
    ui_->nothingShown->setText(nothing);
    ui_->nothingShown->setVisible(shown.empty());
}

std::optional<std::size_t> ReplaceTrackDialog::Chosen() const {
    const QTreeWidgetItem* row = ui_->candidates->currentItem();
    if (row == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row->data(0, Qt::UserRole).toULongLong());
}

}  // namespace spindle::gui
