#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// A font of a printed page: its size in points and its style. The family is the
// printer's sans-serif (Arial, or a font metrically equal to it).
struct PrintFont {
    double Points = 10;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const PrintFont&) const = default;
};

// How wide a text is and how high a line is in a font, in the page's units.
class FontMetrics {
public:
    virtual ~FontMetrics() = default;
    virtual double TextWidth(std::string_view text, const PrintFont& font) const = 0;
    virtual double LineHeight(const PrintFont& font) const = 0;
};

enum class CellAlign { Left, Right };

// One text placed on a page: drawn inside its rectangle and cut off at its edges.
struct PrintCell {
    double X = 0;
    double Y = 0;
    double Width = 0;
    double Height = 0;
    std::string Text;
    PrintFont Font;
    CellAlign Align = CellAlign::Left;
    bool Clipped = false;  // the text is wider than the rectangle
};

// A horizontal rule across the page.
struct PrintRule {
    double Y = 0;
};

struct PrintPage {
    std::vector<PrintCell> Cells;
    std::vector<PrintRule> Rules;
};

// Lays out a printed document line by line: cells in columns, a new page when the next
// line would pass the page's foot (two lines from the bottom), each page with its header
// (title, subtitle, page number) and footer. Positions are in the metrics' units from the
// page's top left corner (inside the printer's margins).
class PageLayout {
public:
    PageLayout(const FontMetrics& metrics, double pageWidth, double pageHeight, std::string title,
               std::string subtitle, std::string footer);

    double PageWidth() const { return width_; }
    // The left margin (the width of "XXXXXXX") and the gap between columns ("XXX").
    double LeftMargin() const { return leftMargin_; }
    double Gap() const { return gap_; }
    double TextWidth(std::string_view text, const PrintFont& font) const;
    double LineHeight(const PrintFont& font) const;

    // Places a text in the current line; `dy` moves it down within the line.
    void Cell(double x, double width, std::string text, const PrintFont& font,
              CellAlign align = CellAlign::Left, double dy = 0);
    // The next line, in `font`'s height; a new page when it would pass the foot.
    void NewLine(const PrintFont& font = {});
    // A new page, unless the current one holds nothing yet (no blank pages).
    void NewPage();
    // Whether nothing was placed on the current page since its header.
    bool AtPageTop() const { return atTop_; }
    // Column headings, placed under the header of every page from the current one on
    // (cells' Y within the headings' line).
    void SetPageHeading(std::vector<PrintCell> cells);
    // Ends the last page: its closing rule and footer.
    void Finish();

    const std::vector<PrintPage>& Pages() const { return pages_; }
    const std::string& Title() const { return title_; }

private:
    void StartPage();
    void EndPage();
    void PlaceHeading();

    const FontMetrics& metrics_;
    double width_;
    double height_;
    std::string title_;
    std::string subtitle_;
    std::string footer_;
    double leftMargin_;
    double gap_;
    double y_ = 0;
    bool atTop_ = true;
    bool pending_ = false;  // the next cell starts a new page
    bool finished_ = false;
    std::vector<PrintCell> heading_;
    std::vector<PrintPage> pages_;
};

// The title and subtitle fonts of page headers, and the rows' font.
inline constexpr PrintFont kTitleFont{18, true, true};
inline constexpr PrintFont kRowFont{10, false, false};

}  // namespace spindle
