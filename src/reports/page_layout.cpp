#include "reports/page_layout.h"

#include <algorithm>

#include "base/format.h"
#include "base/translate.h"

namespace spindle {
namespace {

constexpr PrintFont kFooterFont{6, false, false};

}  // namespace

PageLayout::PageLayout(const FontMetrics& metrics, double pageWidth, double pageHeight,
                       std::string title, std::string subtitle, std::string footer)
    : metrics_(metrics),
      width_(pageWidth),
      height_(pageHeight),
      title_(std::move(title)),
      subtitle_(std::move(subtitle)),
      footer_(std::move(footer)),
      leftMargin_(metrics.TextWidth("XXXXXXX", kRowFont)),
      gap_(metrics.TextWidth("XXX", kRowFont)) {
    StartPage();
}

double PageLayout::TextWidth(std::string_view text, const PrintFont& font) const {
    return metrics_.TextWidth(text, font);
}

double PageLayout::LineHeight(const PrintFont& font) const {
    return metrics_.LineHeight(font);
}

void PageLayout::StartPage() {
    pages_.emplace_back();
    PrintPage& page = pages_.back();
    y_ = 0;
    const double inner = width_ - 2 * leftMargin_;
    auto place = [&](double x, double w, std::string text, const PrintFont& font, CellAlign align) {
        PrintCell cell{x, y_, w, metrics_.LineHeight(font), std::move(text), font, align, false};
        cell.Clipped = metrics_.TextWidth(cell.Text, font) > w;
        page.Cells.push_back(std::move(cell));
    };
    place(leftMargin_, inner, title_, kTitleFont, CellAlign::Left);
    y_ += metrics_.LineHeight(kTitleFont);
    const std::string number = Format(tr("Page %0:d"), static_cast<int>(pages_.size()));
    const double numberWidth = metrics_.TextWidth(number, kRowFont) + gap_;
    place(leftMargin_, inner - numberWidth, subtitle_, kRowFont, CellAlign::Left);
    place(width_ - leftMargin_ - numberWidth, numberWidth, number, kRowFont, CellAlign::Right);
    y_ += metrics_.LineHeight(kRowFont);
    page.Rules.push_back({y_ + metrics_.LineHeight(kRowFont) / 4});
    y_ += metrics_.LineHeight(kRowFont) / 2;
    PlaceHeading();
    atTop_ = true;
}

void PageLayout::PlaceHeading() {
    if (heading_.empty()) {
        return;
    }
    for (PrintCell cell : heading_) {
        cell.Y += y_;
        cell.Height = metrics_.LineHeight(cell.Font);
        cell.Clipped = metrics_.TextWidth(cell.Text, cell.Font) > cell.Width;
        pages_.back().Cells.push_back(std::move(cell));
    }
    y_ += metrics_.LineHeight(kRowFont);
}

void PageLayout::SetPageHeading(std::vector<PrintCell> cells) {
    heading_ = std::move(cells);
    if (atTop_ && !pending_) {
        PlaceHeading();
    }
}

void PageLayout::EndPage() {
    const double lineHeight = metrics_.LineHeight(kFooterFont);
    const std::string footer = footer_.substr(0, 23);
    pages_.back().Cells.push_back(
        {0, height_ - lineHeight, width_, lineHeight, footer, kFooterFont, CellAlign::Left, false});
}

void PageLayout::Cell(double x, double width, std::string text, const PrintFont& font,
                      CellAlign align, double dy) {
    if (pending_) {
        pending_ = false;
        EndPage();
        StartPage();
    }
    PrintCell cell{x,    y_ + dy, width, metrics_.LineHeight(font), std::move(text),
                   font, align,   false};
    cell.Clipped = metrics_.TextWidth(cell.Text, font) > width;
    pages_.back().Cells.push_back(std::move(cell));
    atTop_ = false;
}

void PageLayout::NewLine(const PrintFont& font) {
    y_ += metrics_.LineHeight(font);
    if (y_ > height_ - 2 * metrics_.LineHeight(kRowFont)) {
        pending_ = true;  // a page is started only for something to print on it
    }
}

void PageLayout::NewPage() {
    if (!atTop_) {
        pending_ = true;  // a break right after another one would leave a blank page
    }
}

void PageLayout::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    pages_.back().Rules.push_back({std::min(y_, height_ - 2 * metrics_.LineHeight(kRowFont)) +
                                   metrics_.LineHeight(kRowFont) / 2});
    EndPage();
}

}  // namespace spindle
