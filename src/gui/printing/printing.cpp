#include "gui/printing/printing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "base/format.h"
#include "base/translate.h"
#include "gui/widgets/qt_text.h"
#include "outputs/html_pages.h"

namespace spindle::gui {
namespace {

QFont FontOf(const PrintFont& font, QPrinter& printer) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(font.Points);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    return QFont(f, &printer);
}

}  // namespace

double PrinterFontMetrics::TextWidth(std::string_view text, const PrintFont& font) const {
    return QFontMetricsF(FontOf(font, printer_), &printer_).horizontalAdvance(Q(text));
}

double PrinterFontMetrics::LineHeight(const PrintFont& font) const {
    return QFontMetricsF(FontOf(font, printer_), &printer_).height();
}

double PageWidthOf(QPrinter& printer) {
    return printer.pageLayout().paintRectPixels(printer.resolution()).width();
}

double PageHeightOf(QPrinter& printer) {
    return printer.pageLayout().paintRectPixels(printer.resolution()).height();
}

bool PaintLayout(const PageLayout& layout, QPrinter& printer, Operator& op) {
    printer.setDocName(Q(layout.Title()));
    // A PDF file that cannot be written, or a printer gone, fails here: said, not silent.
    auto failed = [&] {
        const QString target =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        op.Show(MessageKind::Error, Format(spindle::tr("Unable to print to \"%0:s\"."), S(target)),
                Buttons::Ok);
        return false;
    };
    QPainter painter;
    if (!painter.begin(&printer)) {
        return failed();
    }
    bool first = true;
    for (const PrintPage& page : layout.Pages()) {
        if (!first && !printer.newPage()) {
            return failed();
        }
        first = false;
        for (const PrintCell& cell : page.Cells) {
            painter.setFont(FontOf(cell.Font, printer));
            const QRectF rect(cell.X, cell.Y, cell.Width, cell.Height);
            painter.save();
            painter.setClipRect(rect);
            painter.drawText(rect,
                             Qt::TextSingleLine | Qt::AlignVCenter |
                                 (cell.Align == CellAlign::Right ? Qt::AlignRight : Qt::AlignLeft),
                             Q(cell.Text));
            painter.restore();
        }
        for (const PrintRule& rule : page.Rules) {
            painter.drawLine(QPointF(0, rule.Y), QPointF(layout.PageWidth(), rule.Y));
        }
    }
    return painter.end() || failed();
}

std::string PrintFooter() {
    return std::string(kMakerName) + " " + SPINDLE_VERSION;
}

PrinterChooser& ChoosePrinter() {
    static PrinterChooser chooser = [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return chooser;
}

std::unique_ptr<QPrinter> AskForPrinter(const QString& title, QWidget* parent) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(title);
    if (!ChoosePrinter()(*printer, parent)) {
        return nullptr;
    }
    return printer;
}

}  // namespace spindle::gui
