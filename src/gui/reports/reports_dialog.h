#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "history/use_reports.h"

namespace Ui {
class ReportsDialog;
}

namespace spindle {
class Station;
}

namespace spindle::gui {

// Reports of Use: the range and the report, the rows as they will be filed, and the file
// saved, tab-separated or as CSV. The report is made by the core from the play history.
class ReportsDialog : public QDialog {
    Q_OBJECT
public:
    ReportsDialog(Station& station, QWidget* parent = nullptr);
    ~ReportsDialog() override;

    // The rows shown, the column names first; the file written last.
    const UseReportTable& Shown() const { return table_; }

private:
    void SetDays(const ReportDays& days);
    UseReportRequest Request() const;
    void ShowReport();
    void SaveReport();

    Station& station_;
    std::unique_ptr<Ui::ReportsDialog> ui_;
    UseReportTable table_;
    UseReportRequest shownRequest_;
};

}  // namespace spindle::gui
