#pragma once

#include "base/result.h"

#include <QMarginsF>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace vela::report {
struct BandFonts;
}

namespace vela::report {

// Every measure of a layout is in twips, 1440 to the inch, 20 to the point.
constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPoint = 20;

enum class Align { Left, Right, Center };

struct Font {
    double points = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// One element of a band, placed from the band's top left corner.
struct Element {
    enum class Kind {
        Label,       // text: fixed
        Field,       // the row's value at position field
        Title,       // the report's title text
        Date,        // the date of the report
        PageNumber,  // the number of the page it is printed on
        Rule,        // a horizontal line of the element's width at its top
    };
    Kind kind = Kind::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 240;
    QString text;
    int field = -1;
    Font font;
    Align align = Align::Left;
};

struct Band {
    int height = 0;
    std::vector<Element> elements;
};

// The whole design: fonts, page, bands.
struct Layout {
    // Asked for by name first; the next ones stand in where it is missing
    // (a metric-compatible one keeps the widths).
    QStringList fontFamilies = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    int reportWidth = 0;
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    Band reportHeader;  // once, at the top of the first page
    Band detail;        // once for every row
    Band pageFooter;    // at the foot of every page
    Band reportFooter;  // once, after the last row
};

// Draws a layout over rows of texts, a page at a time. A detail band is
// never split: a row that does not fit on the page starts the next one.
class BandedReport {
  public:
    using TextFn = std::function<QString(int row, int field)>;

    // The rows on one page: [first, first + count).
    struct Page {
        int first = 0;
        int count = 0;
    };

    explicit BandedReport(Layout layout);

    const Layout& layout() const { return layout_; }
    void setTitle(const QString& title) { title_ = title; }
    QString title() const { return title_; }
    // The date as it is printed (the caller's short form).
    void setDateText(const QString& date) { date_ = date; }
    // The rows: how many, and the text of a row's field (fields of the
    // detail band only are asked for).
    void setRows(int count, TextFn text);
    int rowCount() const { return rowCount_; }

    // The page margins of the layout on A4 portrait; the preview and the
    // printer keep what the user changes afterwards.
    void setUpPage(QPagedPaintDevice& device) const;
    QMarginsF marginsInPoints() const;

    // The rows of each page for a printable height (twips).
    std::vector<Page> paginate(int printableHeight) const;
    // Draws every page onto device; fails with a readable text when the
    // device cannot be painted on.
    [[nodiscard]] Status paint(QPagedPaintDevice& device) const;

  private:
    void paintBand(QPainter& p, const Band& band, const BandFonts& fonts, int top, int row,
                   int page, double scaleX, double scaleY) const;
    QString textOf(const Element& e, int row, int page) const;

    Layout layout_;
    QString title_;
    QString date_;
    int rowCount_ = 0;
    TextFn text_;
};

}  // namespace vela::report
