#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "editor/playlist_document.h"

namespace Ui {
class RegenerateDialog;
class RegenerateResults;
}  // namespace Ui

namespace spindle::gui {

// "Regenerate Hours": the first and last hour of the log to make again, each a day of the
// log and an hour of the day.
class RegenerateDialog : public QDialog {
    Q_OBJECT

public:
    RegenerateDialog(const QStringList& days, LogHour from, LogHour to, QWidget* parent);
    ~RegenerateDialog() override;
    LogHour From() const;
    LogHour To() const;

private:
    std::unique_ptr<Ui::RegenerateDialog> ui_;
};

// What the hours made again did: how many tracks, the tracks after them that now break a
// rule, the picks that had to break one and the run's own lines. It stays open beside the
// editor while the operator goes to the hours it names.
class RegenerateResultsWindow : public QDialog {
    Q_OBJECT

public:
    explicit RegenerateResultsWindow(QWidget* parent);
    ~RegenerateResultsWindow() override;

    void Show(const QString& summary, const std::vector<std::string>& conflicts,
              const std::vector<std::string>& relaxed, const std::vector<std::string>& messages);

private:
    std::unique_ptr<Ui::RegenerateResults> ui_;
};

}  // namespace spindle::gui
