#pragma once

#include <QDialog>
#include <atomic>

class QListWidget;
class QProgressBar;
class QPushButton;

namespace spindle::gui {

// The window of a generation run: its lines as they come, its bar, and one button that
// reads Cancel while the run works and OK when it has ended. It stays above the main
// window; Cancel, or closing it, asks the run to stop at its next check.
class ProgressWindow : public QDialog {
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Read by the worker thread.
    bool StopAsked() const { return stopAsked_.load(); }
    QListWidget* Lines() const { return lines_; }
    QPushButton* Button() const { return button_; }

public slots:
    void Start();
    void AddLine(const QString& line);
    void SetBar(qlonglong position, qlonglong maximum);
    void Finish();

protected:
    void reject() override;

private:
    QListWidget* lines_;
    QProgressBar* bar_;
    QPushButton* button_;
    std::atomic<bool> stopAsked_{false};
    bool running_ = false;
};

}  // namespace spindle::gui
