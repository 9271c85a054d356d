#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "base/operator.h"
#include "reports/page_layout.h"

class QPrinter;
class QWidget;

namespace spindle::gui {

// Measures texts in the printer's sans-serif (Arial, or Liberation Sans in its place) on
// the printer itself, in its device units.
class PrinterFontMetrics : public FontMetrics {
public:
    explicit PrinterFontMetrics(QPrinter& printer) : printer_(printer) {}
    double TextWidth(std::string_view text, const PrintFont& font) const override;
    double LineHeight(const PrintFont& font) const override;

private:
    QPrinter& printer_;
};

// The width and height of the printable page, in device units.
double PageWidthOf(QPrinter& printer);
double PageHeightOf(QPrinter& printer);

// Paints a laid-out document on the printer (a real one, or a PDF file); false, told to
// `op`, when the printer or the file could not be opened or the job failed.
bool PaintLayout(const PageLayout& layout, QPrinter& printer, Operator& op);

// The footer of printed pages: the program's name and version.
std::string PrintFooter();

// Asks which printer (or PDF file) to print to; false on Cancel. Tests put their own in.
using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
PrinterChooser& ChoosePrinter();

// A printer for a job named `title`, chosen by the person; nullptr on Cancel.
std::unique_ptr<QPrinter> AskForPrinter(const QString& title, QWidget* parent);

}  // namespace spindle::gui
