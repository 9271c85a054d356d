#include "gui/library/set_attribute_dialog.h"

#include "base/format.h"
#include "gui/widgets/form_text.h"
#include "gui/widgets/qt_text.h"
#include "ui_set_attribute_dialog.h"

namespace spindle::gui {

SetAttributeDialog::SetAttributeDialog(const std::vector<AttributeDef>& attributes,
                                       std::size_t tracks, QWidget* parent)
    : QDialog(parent), attributes_(attributes), ui_(std::make_unique<Ui::SetAttributeDialog>()) {
    ui_->setupUi(this);
    TranslateForm(this);
    setWindowTitle(Tr(N_("Set Attribute")));
    ui_->summary->setText(
        Q(Format(spindle::tr("Sets one attribute of the %0:d selected tracks. OK writes the "
                             "value to the station at once: there is nothing to save after."),
                 static_cast<long long>(tracks))));
    for (const AttributeDef& a : attributes_) {
        ui_->attribute->addItem(Q(a.Name));
    }
    connect(ui_->attribute, &QComboBox::currentIndexChanged, this, &SetAttributeDialog::ShowValues);
    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowValues();
}

SetAttributeDialog::~SetAttributeDialog() = default;

void SetAttributeDialog::ShowValues() {
    ui_->value->clear();
    const auto chosen = static_cast<std::size_t>(std::max(ui_->attribute->currentIndex(), 0));
    for (const std::string& value : attributes_[chosen].Values) {
        ui_->value->addItem(Q(value), Q(value));
    }
    // Cleared, a track takes the value its tags give again, if any.
    ui_->value->addItem(Tr(N_("(none: clear the value set by hand)")), QString());
}

const std::string& SetAttributeDialog::Attribute() const {
    return attributes_[static_cast<std::size_t>(ui_->attribute->currentIndex())].Name;
}

std::string SetAttributeDialog::Value() const {
    return S(ui_->value->currentData().toString());
}

}  // namespace spindle::gui
