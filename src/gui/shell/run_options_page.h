#pragma once

#include <QWidget>
#include <memory>

#include "station/station.h"

class QLabel;
class QLineEdit;
class QSlider;

namespace Ui {
class RunOptionsPage;
}

namespace spindle::gui {

// The option page of a run: its start and length, the default repeat intervals with
// their sliders, the new-track bias, time checking and the crossfade allowance. Every
// edit goes straight into the Station's Options and marks them changed.
class RunOptionsPage : public QWidget {
    Q_OBJECT

public:
    explicit RunOptionsPage(Station& station, QWidget* parent = nullptr);
    ~RunOptionsPage() override;

    // Shows the Options as they are, without marking anything changed.
    void Show();

signals:
    void OptionsEdited();

private:
    void Store();
    void IntervalTyped(QLineEdit* field, QSlider* slider, QLabel* unit);
    void IntervalSlid(QLineEdit* field, QSlider* slider, QLabel* unit);
    void UpdateEnabling();

    Station& station_;
    std::unique_ptr<Ui::RunOptionsPage> ui_;
    bool showing_ = false;
};

}  // namespace spindle::gui
