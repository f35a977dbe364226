#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "base/result.h"
#include "report/bandedreport.h"

class QPagedPaintDevice;

namespace vela::reports {

// A text of a document line, placed in twips from the left margin (width 0:
// to the right margin).
struct Cell {
    QString text;
    int left = 0;
    int width = 0;
    double points = 9;
    bool bold = false;
    report::Align align = report::Align::Left;
};
using Line = std::vector<Cell>;

struct Column {
    QString caption;
    int width = 1000;  // twips
    report::Align align = report::Align::Left;
};

// A letter or a list as the reports print it: lines on top of the first
// page, a table whose rows run over as many pages as they need, lines after
// the last row, and the page number at the foot of each page. Drawn by the
// banded report painter, so preview, printer and PDF show the same pages.
struct Document {
    QString title;  // the PDF's title
    bool landscape = false;
    std::vector<Line> head;
    std::vector<Column> columns;
    std::vector<QStringList> rows;
    std::vector<Line> foot;
    QString footerText;  // before the page number

    // The width between the margins, in twips.
    int width() const;
    // A line of one text across the page; a text wider than the page goes
    // on over as many lines as it needs, broken at blanks.
    void addHead(const QString& text, double points = 9, bool bold = false,
                 report::Align align = report::Align::Left);
    void addFoot(const QString& text, double points = 9, bool bold = false,
                 report::Align align = report::Align::Left);
    // A line whose texts sit under the table's columns, from column first on.
    Line underColumns(const QStringList& texts, int first, bool bold) const;
};

report::Layout layoutOf(const Document& doc);
// Sets the device's page up for the document and draws every page.
[[nodiscard]] Status paintDocument(const Document& doc, QPagedPaintDevice& device);
// The same pages into a PDF file; fails with the Hungarian reason.
[[nodiscard]] Status writePdf(const Document& doc, const QString& path);

}  // namespace vela::reports
