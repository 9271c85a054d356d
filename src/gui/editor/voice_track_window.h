#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace spindle::gui {

class EditorWindow;

// "Voice Tracking": walks from placeholder to placeholder of the log and records each,
// one by one or (Auto Next, Auto Record) one after another until none is left.
class VoiceTrackWindow : public QDialog {
    Q_OBJECT

public:
    explicit VoiceTrackWindow(EditorWindow& editor);

    // Shows the next placeholder; false when there is none left.
    bool Next();
    // Records at the placeholder shown (or the row selected).
    void Record();

signals:
    // A recording ended: whether one was made.
    void Recorded(bool made);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The parts of the window, in the order the focus moves through them.
    QLayout* MakeTrackRows();
    QLayout* MakeTimingRow();
    QLayout* MakeButtonRow();
    void ConnectControls();
    void SetButtonsEnabled(bool on);

    EditorWindow& editor_;
    QLabel* dateTime_;
    QLineEdit* previous_;
    QLineEdit* following_;
    QCheckBox* autoNext_;
    QCheckBox* autoRecord_;
    QCheckBox* override_;
    QSpinBox* introTiming_;
    QPushButton* next_;
    QPushButton* record_;
    QPushButton* close_;
    std::optional<std::uint64_t> scan_;    // the placeholder found last
    std::optional<std::uint64_t> marker_;  // its row, while it is shown
};

}  // namespace spindle::gui
