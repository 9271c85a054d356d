#include "gui/shell/attribute_dialog.h"

#include <QPushButton>
#include <iterator>

#include "base/format.h"
#include "base/text_case.h"
#include "forms/attribute_edits.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_attribute_dialog.h"

namespace spindle::gui {
namespace {

constexpr const char* kFields[] = {"name", "values", "source", "banding"};

// What each field holds, for a screen reader; a verdict on the field is said instead.
constexpr const char* kDescriptions[] = {
    N_("What rules and imports call the attribute"),
    N_("The values a track may have, one a line, in their order"),
    N_("The tag field whose text gives a track its value"),
    N_("The numbers where one value ends and the next begins"),
};

}  // namespace

AttributeDialog::AttributeDialog(Station& station, const AttributeDef* before,
                                 std::vector<AttributeDef> defined, RuleTexts rules,
                                 QWidget* parent)
    : QDialog(parent),
      station_(station),
      ui_(std::make_unique<Ui::AttributeDialog>()),
      before_(before != nullptr ? std::make_unique<AttributeDef>(*before) : nullptr),
      defined_(std::move(defined)),
      rules_(std::move(rules)) {
    ui_->setupUi(this);
    TranslateForm(this);
    setWindowTitle(before != nullptr
                       ? Q(Format(spindle::tr("%0:s Attribute Properties"), before->Name))
                       : Tr(N_("New Attribute")));
    ui_->name->setPlaceholderText(Tr(N_("Tempo")));
    ui_->values->setPlaceholderText(Tr(N_("Slow\nMedium\nFast")));
    ui_->sourceKey->setPlaceholderText(Tr(N_("MOOD")));
    for (const AttributeSourceChoice& choice : AttributeSourceChoices()) {
        ui_->source->addItem(Tr(choice.Label));
    }
    for (const char* field : kFields) {
        QLabel* verdict = VerdictOf(field);
        verdict->setWordWrap(true);
        verdict->setMinimumWidth(240);
        verdict->setAlignment(Qt::AlignLeading | Qt::AlignTop);
        QPalette warning = verdict->palette();
        warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
        verdict->setPalette(warning);
    }
    if (before != nullptr) {
        // Rules and imports know an attribute by its name.
        ui_->name->setText(Q(before->Name));
        ui_->name->setReadOnly(true);
        ui_->name->setFrame(false);
        ui_->nameVerdict->setPalette(palette());  // a note, not a warning
        QStringList values;
        for (const std::string& value : before->Values) {
            values << Q(value);
        }
        ui_->values->setPlainText(values.join(QLatin1Char('\n')));
        const std::size_t choice = SourceChoiceOf(before->Source);
        ui_->source->setCurrentIndex(static_cast<int>(choice));
        if (AttributeSourceChoices()[choice].Source.empty()) {
            ui_->sourceKey->setText(Q(before->Source));
        }
        ui_->banding->setText(Q(before->Banding));
    }
    auto edited = [this] {
        touched_ = true;
        UpdateEnabling();
        ShowVerdict();
    };
    connect(ui_->name, &QLineEdit::textEdited, this, edited);
    connect(ui_->values, &QPlainTextEdit::textChanged, this, edited);
    connect(ui_->source, &QComboBox::currentIndexChanged, this, edited);
    connect(ui_->sourceKey, &QLineEdit::textEdited, this, edited);
    connect(ui_->banding, &QLineEdit::textEdited, this, edited);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateEnabling();
    touched_ = before != nullptr;
    ShowVerdict();
}

AttributeDialog::~AttributeDialog() = default;

AttributeDef AttributeDialog::Edited() const {
    AttributeDef a;
    a.Name = S(ui_->name->text().trimmed());
    for (const QString& line : ui_->values->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            a.Values.push_back(S(line.trimmed()));
        }
    }
    const AttributeSourceChoice& choice =
        AttributeSourceChoices()[static_cast<std::size_t>(ui_->source->currentIndex())];
    a.Source =
        choice.Source.empty() ? S(ui_->sourceKey->text().trimmed()) : std::string(choice.Source);
    // The source as it was written, when it is still the same one.
    if (before_ != nullptr && SameText(before_->Source, a.Source)) {
        a.Source = before_->Source;
    }
    if (choice.Banding != BandingUse::None) {
        a.Banding = S(ui_->banding->text().trimmed());
    }
    return a;
}

void AttributeDialog::UpdateEnabling() {
    const AttributeSourceChoice& choice =
        AttributeSourceChoices()[static_cast<std::size_t>(ui_->source->currentIndex())];
    const bool freeText = choice.Source.empty();
    ui_->sourceKey->setEnabled(freeText);
    ui_->sourceKeyLabel->setEnabled(freeText);
    const bool banded = choice.Banding != BandingUse::None;
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->banding), static_cast<QWidget*>(ui_->bandingLabel),
          static_cast<QWidget*>(ui_->bandingHint)}) {
        w->setEnabled(banded);
    }
    ui_->banding->setPlaceholderText(choice.Banding == BandingUse::Needed ? Tr(N_("90 120"))
                                     : banded ? Tr(N_("none: the field's text is the value"))
                                              : QString());
}

Verdict AttributeDialog::ShowVerdict() {
    const Verdict verdict =
        CheckAttribute(Edited(), before_.get(), defined_, rules_, station_.Settings());
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        const bool here = touched_ && verdict.Field == kFields[i];
        // The name of an attribute is kept: it reads so beside the name.
        const bool kept = before_ != nullptr && i == 0;
        const QString note = kept ? Tr(N_("(cannot be renamed)")) : QString();
        VerdictOf(kFields[i])->setText(here ? Q(verdict.Message) : note);
        FieldOf(kFields[i])
            ->setAccessibleDescription(
                here ? Q(verdict.Message) : Tr(kDescriptions[i]) + (kept ? " " + note : QString()));
    }
    return verdict;
}

QWidget* AttributeDialog::FieldOf(const std::string& field) const {
    if (field == "name") {
        return ui_->name;
    }
    if (field == "values") {
        return ui_->values;
    }
    // Only a free text field can leave the source empty.
    return field == "source" ? static_cast<QWidget*>(ui_->sourceKey) : ui_->banding;
}

QLabel* AttributeDialog::VerdictOf(const std::string& field) const {
    if (field == "name") {
        return ui_->nameVerdict;
    }
    if (field == "values") {
        return ui_->valuesVerdict;
    }
    return field == "source" ? ui_->sourceVerdict : ui_->bandingVerdict;
}

void AttributeDialog::accept() {
    touched_ = true;
    const Verdict verdict = ShowVerdict();
    if (!verdict.Ok()) {
        FieldOf(verdict.Field)->setFocus();
        return;
    }
    const AttributeDef edited = Edited();
    if (before_ != nullptr) {
        const std::vector<std::string> dropped = DroppedValues(*before_, edited);
        std::string listed;
        for (const std::string& value : dropped) {
            listed += (listed.empty() ? "\"" : ", \"") + value + "\"";
        }
        if (!dropped.empty() &&
            station_.Op().Show(MessageKind::Confirmation,
                               Format(spindle::tr("Tracks set by hand to %0:s lose that value. "
                                                  "Go on?"),
                                      listed),
                               Buttons::YesNo) != Answer::Yes) {
            return;
        }
    }
    if (const DbStatus saved = SaveAttribute(station_.DataFolder(), before_.get(), edited);
        !saved) {
        station_.Op().Show(MessageKind::Error, saved.Problem, Buttons::Ok);
        return;
    }
    result_ = edited;
    QDialog::accept();
}

}  // namespace spindle::gui
