#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "stationdb/station_db.h"

namespace Ui {
class SetAttributeDialog;
}

namespace spindle::gui {

// The choice of one attribute and its value (or none, to clear the value set by hand)
// for the tracks selected in a File List.
class SetAttributeDialog : public QDialog {
    Q_OBJECT

public:
    SetAttributeDialog(const std::vector<AttributeDef>& attributes, std::size_t tracks,
                       QWidget* parent = nullptr);
    ~SetAttributeDialog() override;
    const std::string& Attribute() const;
    // Empty: clear the value set by hand.
    std::string Value() const;

private:
    void ShowValues();

    const std::vector<AttributeDef>& attributes_;
    std::unique_ptr<Ui::SetAttributeDialog> ui_;
};

}  // namespace spindle::gui
