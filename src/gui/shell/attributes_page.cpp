#include "gui/shell/attributes_page.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include "base/format.h"
#include "base/text_case.h"
#include "forms/attribute_edits.h"
#include "gui/shell/attribute_dialog.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "scan/track_tags_cache.h"
#include "ui_attributes_page.h"

namespace spindle::gui {
namespace {

QString Joined(const std::vector<std::string>& values) {
    QStringList list;
    for (const std::string& value : values) {
        list << Q(value);
    }
    return list.join(QStringLiteral(", "));
}

}  // namespace

AttributesPage::AttributesPage(Station& station, QWidget* parent)
    : QWidget(parent), station_(station), ui_(std::make_unique<Ui::AttributesPage>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    // In the order of ArtistTitleSource.
    for (const char* source :
         {N_("The file name"), N_("The tags, with the file name where a tag is missing")}) {
        ui_->artistTitleSource->addItem(Tr(source));
    }
    ui_->attributeList->setHeaderLabels({Tr(N_("Name")), Tr(N_("Values")), Tr(N_("Comes from"))});
    ui_->attributeList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QPalette warning = ui_->databaseProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    ui_->databaseProblem->setPalette(warning);
    connect(ui_->artistTitleSource, &QComboBox::currentIndexChanged, this,
            &AttributesPage::ArtistTitleSourceChosen);
    connect(ui_->addAttribute, &QPushButton::clicked, this, [this] { EditAttribute(true); });
    connect(ui_->editAttribute, &QPushButton::clicked, this, [this] { EditAttribute(false); });
    connect(ui_->attributeList, &QTreeWidget::itemActivated, this,
            [this] { EditAttribute(false); });
    connect(ui_->removeAttribute, &QPushButton::clicked, this, &AttributesPage::RemoveAttribute);
    connect(ui_->attributeList, &QTreeWidget::currentItemChanged, this,
            &AttributesPage::UpdateEnabling);
    Show();
}

AttributesPage::~AttributesPage() = default;

void AttributesPage::Show() {
    showing_ = true;
    attributes_.clear();
    artistTitleSource_ = static_cast<int>(ArtistTitleSource::FileName);
    // Only read: a folder without the database shows the defaults and stays without one.
    StationDb db(station_.DataFolder(), StationDb::Mode::IfExists);
    std::string problem = db.Problem();
    if (db.IsOpen()) {
        DbRead<std::vector<AttributeDef>> attributes = db.Attributes();
        const DbRead<ArtistTitleSource> source = ReadArtistTitleSource(db);
        problem = !attributes ? attributes.Problem : source.Problem;
        attributes_ = std::move(attributes.Value);
        artistTitleSource_ = static_cast<int>(source.Value);
    }
    usable_ = problem.empty();
    ui_->databaseProblem->setText(Q(problem));
    ui_->databaseProblem->setVisible(!usable_);
    ui_->artistTitleSource->setCurrentIndex(artistTitleSource_);
    const int current = ui_->attributeList->indexOfTopLevelItem(ui_->attributeList->currentItem());
    ui_->attributeList->clear();
    for (const AttributeDef& a : attributes_) {
        new QTreeWidgetItem(ui_->attributeList,
                            {Q(a.Name), Joined(a.Values), Q(AttributeSourceText(a))});
    }
    if (!attributes_.empty()) {
        ui_->attributeList->setCurrentItem(ui_->attributeList->topLevelItem(
            std::clamp(current, 0, static_cast<int>(attributes_.size()) - 1)));
    }
    UpdateEnabling();
    showing_ = false;
}

void AttributesPage::UpdateEnabling() {
    ui_->namesGroup->setEnabled(usable_);
    ui_->addAttribute->setEnabled(usable_);
    const bool chosen = usable_ && ui_->attributeList->currentItem() != nullptr;
    ui_->editAttribute->setEnabled(chosen);
    ui_->removeAttribute->setEnabled(chosen);
}

void AttributesPage::ArtistTitleSourceChosen(int index) {
    if (showing_ || index == artistTitleSource_) {
        return;
    }
    const DbStatus kept =
        SetArtistTitleSource(station_.DataFolder(), static_cast<ArtistTitleSource>(index));
    if (!kept) {
        station_.Op().Show(MessageKind::Error, kept.Problem, Buttons::Ok);
        Show();
        return;
    }
    artistTitleSource_ = index;
    emit ReloadAllAsked();  // every track's artist and title change with it
}

std::optional<RuleTexts> AttributesPage::Rules() const {
    StationDb db(station_.DataFolder(), StationDb::Mode::IfExists);
    DbRead<RuleTexts> rules = db.IsOpen() ? db.Rules() : DbRead<RuleTexts>{{db.Problem()}};
    if (!rules) {
        station_.Op().Show(MessageKind::Error, rules.Problem, Buttons::Ok);
        return std::nullopt;
    }
    return std::move(rules.Value);
}

void AttributesPage::EditAttribute(bool isNew) {
    const int row = ui_->attributeList->indexOfTopLevelItem(ui_->attributeList->currentItem());
    if (!usable_ || (!isNew && row < 0)) {
        return;
    }
    const AttributeDef* before = isNew ? nullptr : &attributes_[static_cast<std::size_t>(row)];
    const std::optional<RuleTexts> rules = isNew ? RuleTexts{} : Rules();
    if (!rules) {
        return;
    }
    AttributeDialog dialog(station_, before, attributes_, *rules, this);
    dialog.setObjectName(QStringLiteral("attributeDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const bool readTags = WantsTagsRead(before, dialog.Result());
    Show();
    if (isNew) {
        ui_->attributeList->setCurrentItem(
            ui_->attributeList->topLevelItem(ui_->attributeList->topLevelItemCount() - 1));
    }
    if (readTags) {
        emit ReloadAllAsked();
    }
}

bool AttributesPage::WantsTagsRead(const AttributeDef* before, const AttributeDef& after) const {
    if (SameText(after.Source, "hand") ||
        (before != nullptr && SameText(before->Source, after.Source))) {
        return false;
    }
    return station_.Op().Show(MessageKind::Confirmation,
                              spindle::tr("The attribute's values come from the tags, which are "
                                          "read as the files load.  Do you wish to reload all "
                                          "files?"),
                              Buttons::OkCancel) == Answer::Ok;
}

void AttributesPage::RemoveAttribute() {
    const int row = ui_->attributeList->indexOfTopLevelItem(ui_->attributeList->currentItem());
    if (!usable_ || row < 0) {
        return;
    }
    const std::string name = attributes_[static_cast<std::size_t>(row)].Name;
    // Refused before the question: the operator has the rules to change first.
    const std::optional<RuleTexts> rules = Rules();
    if (!rules) {
        return;
    }
    if (const std::string problem = AttributeRemovalProblem(name, *rules, station_.Settings());
        !problem.empty()) {
        station_.Op().Show(MessageKind::Error, problem, Buttons::Ok);
        return;
    }
    if (station_.Op().Show(MessageKind::Confirmation,
                           Format(spindle::tr("Remove the attribute \"%0:s\"?  The values set on "
                                              "tracks by hand go with it."),
                                  name),
                           Buttons::YesNo) != Answer::Yes) {
        return;
    }
    const DbStatus removed = [&] {
        StationDb db(station_.DataFolder(), StationDb::Mode::IfExists);
        return spindle::RemoveAttribute(db, name, station_.Settings());
    }();
    if (!removed) {
        station_.Op().Show(MessageKind::Error, removed.Problem, Buttons::Ok);
    }
    Show();
}

}  // namespace spindle::gui
