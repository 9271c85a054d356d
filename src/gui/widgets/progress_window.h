#pragma once

#include <QDialog>
#include <QStringList>
#include <atomic>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace spindle::gui {

// The window of long work. For a generation run: its lines as they come, its bar, and
// one button that reads Cancel while the run works and OK when it has ended; Cancel, or
// closing it, asks the run to stop at its next check. For loading files: the caption of
// what is loading and the count of files so far; it closes itself when loading ends. It
// stays above the main window.
class ProgressWindow : public QDialog {
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Read by the worker thread.
    bool StopAsked() const { return stopAsked_.load(); }
    QListWidget* Lines() const { return lines_; }
    QPushButton* Button() const { return button_; }

    enum class Mode { Run, Loading };

public slots:
    void Start(spindle::gui::ProgressWindow::Mode mode = Mode::Run);
    void SetText(const QString& text);
    void SetCount(qlonglong count);
    void AddLine(const QString& line);
    void SetBar(qlonglong position, qlonglong maximum);
    void Finish();

protected:
    void reject() override;

private slots:
    void ShowPendingLines();

private:
    QLabel* caption_;
    QLabel* count_;
    QListWidget* lines_;
    QProgressBar* bar_;
    QPushButton* button_;
    std::atomic<bool> stopAsked_{false};
    bool running_ = false;
    Mode mode_ = Mode::Run;
    // Lines come faster than a list can be laid out; they are shown in batches.
    QStringList pending_;
    QTimer* flush_;
};

}  // namespace spindle::gui
