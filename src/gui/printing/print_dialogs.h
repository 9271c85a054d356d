#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "reports/prints.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QProgressBar;
class QPrinter;
class QRadioButton;

namespace spindle {
class Station;
}

namespace spindle::gui {

// "Print Selection": the days and hours of the log to print, and whether with spots.
// "Printer Setup" chooses the printer (or a PDF file) before OK.
class PrintSelectionDialog : public QDialog {
    Q_OBJECT

public:
    PrintSelectionDialog(Station& station, const QStringList& days, QWidget* parent);
    ~PrintSelectionDialog() override;
    PrintSelection Selection() const;
    void SetSelection(const PrintSelection& selection);
    // The printer chosen with Printer Setup, if any (taken over by the caller).
    std::unique_ptr<QPrinter> TakePrinter();

    void accept() override;

private:
    Station& station_;
    QComboBox* dayFrom_;
    QComboBox* dayTo_;
    QComboBox* hourFrom_;
    QComboBox* hourTo_;
    QCheckBox* spots_;
    std::unique_ptr<QPrinter> printer_;
};

// "Print Selection" of the spot summary: which of the three reports.
class SpotReportDialog : public QDialog {
    Q_OBJECT

public:
    explicit SpotReportDialog(QWidget* parent);
    SpotReport Report() const;
    void SetReport(SpotReport report);

private:
    std::vector<QRadioButton*> choices_;
};

// "Missing Intros/Outros": the songs of a Category whose intro or outro a Spot Group
// lacks, with a progress bar while it looks; Print writes the list's text file into the
// data folder and prints it.
class MissingIntrosWindow : public QDialog {
    Q_OBJECT

public:
    MissingIntrosWindow(Station& station, QWidget* parent);
    void Choose(const QString& category, const QString& group, IntroMatch match);
    QStringList Lines() const;
    // Writes "Missing Intros and Outros.txt" and prints it; false when either failed.
    bool Print();

private:
    void Recompute();

    Station& station_;
    QComboBox* categories_;
    QComboBox* groups_;
    QComboBox* match_;
    QListWidget* list_;
    QProgressBar* progress_;
};

}  // namespace spindle::gui
