#include "reports/document.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <algorithm>

#include "ui/qtprinterservice.h"

namespace vela::reports {

namespace {

constexpr int kMargin = 720;  // half an inch
// A4 in twips.
constexpr int kA4Short = 11906;
constexpr int kA4Long = 16838;

int lineHeight(const Line& line) {
    double points = 9;
    for (const Cell& c : line) points = std::max(points, c.points);
    return int(points * report::kTwipsPerPoint * 1.45);
}

report::Element elementOf(const Cell& c, int top, int height, int width) {
    report::Element e;
    e.kind = report::Element::Kind::Label;
    e.left = c.left;
    e.top = top;
    e.width = c.width > 0 ? c.width : width - c.left;
    e.height = height;
    e.text = c.text;
    e.font.points = c.points;
    e.font.bold = c.bold;
    e.align = c.align;
    return e;
}

int appendLines(report::Band& band, const std::vector<Line>& lines, int top, int width) {
    for (const Line& line : lines) {
        const int h = lineHeight(line);
        for (const Cell& c : line) band.elements.push_back(elementOf(c, top, h, width));
        top += h;
    }
    return top;
}

report::Element rule(int top, int width) {
    report::Element e;
    e.kind = report::Element::Kind::Rule;
    e.top = top;
    e.width = width;
    e.height = 20;
    return e;
}

// The text broken at blanks into lines that fit width twips in the report's
// font: the painter draws each text on one line and cuts it at the margin.
// Measured on a device of one pixel a twip, unhinted as the painter draws.
QStringList wrapped(const QString& text, double points, bool bold, int width) {
    static const QImage twips = [] {
        QImage i(1, 1, QImage::Format_Mono);
        const int perMetre = int(report::kTwipsPerInch / 0.0254 + 0.5);
        i.setDotsPerMeterX(perMetre);
        i.setDotsPerMeterY(perMetre);
        return i;
    }();
    QFont font;
    font.setFamilies(report::Layout{}.fontFamilies);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(font, &twips);
    if (metrics.horizontalAdvance(text) <= width)
        return {text};
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    lines << line;
    return lines;
}

}  // namespace

int Document::width() const {
    return (landscape ? kA4Long : kA4Short) - 2 * kMargin;
}

void Document::addHead(const QString& text, double points, bool bold, report::Align align) {
    for (const QString& part : wrapped(text, points, bold, width()))
        head.push_back({Cell{part, 0, 0, points, bold, align}});
}

void Document::addFoot(const QString& text, double points, bool bold, report::Align align) {
    for (const QString& part : wrapped(text, points, bold, width()))
        foot.push_back({Cell{part, 0, 0, points, bold, align}});
}

Line Document::underColumns(const QStringList& texts, int first, bool bold) const {
    Line line;
    int left = 0;
    for (int i = 0; i < int(columns.size()); ++i) {
        const int at = i - first;
        if (at >= 0 && at < texts.size() && !texts[at].isEmpty())
            line.push_back(
                Cell{texts[at], left, columns[size_t(i)].width, 9, bold, columns[size_t(i)].align});
        left += columns[size_t(i)].width;
    }
    return line;
}

report::Layout layoutOf(const Document& doc) {
    report::Layout l;
    const int w = doc.width();
    l.reportWidth = w;
    l.marginLeft = l.marginRight = l.marginTop = l.marginBottom = kMargin;

    int top = appendLines(l.reportHeader, doc.head, 0, w);
    // The column captions close the header, between two rules.
    top += 60;
    l.reportHeader.elements.push_back(rule(top, w));
    top += 40;
    int left = 0;
    for (const Column& c : doc.columns) {
        report::Element e =
            elementOf(Cell{c.caption, left, c.width, 8, true, c.align}, top, 240, w);
        l.reportHeader.elements.push_back(e);
        left += c.width;
    }
    top += 260;
    l.reportHeader.elements.push_back(rule(top, w));
    l.reportHeader.height = top + 60;

    l.detail.height = 250;
    left = 0;
    for (int i = 0; i < int(doc.columns.size()); ++i) {
        const Column& c = doc.columns[size_t(i)];
        report::Element e;
        e.kind = report::Element::Kind::Field;
        e.field = i;
        e.left = left + 30;
        e.width = c.width - 60;
        e.height = 240;
        e.font.points = 8;
        e.align = c.align;
        l.detail.elements.push_back(e);
        left += c.width;
    }

    l.reportFooter.elements.push_back(rule(40, w));
    l.reportFooter.height = appendLines(l.reportFooter, doc.foot, 100, w) + 100;

    report::Element page;
    page.kind = report::Element::Kind::PageNumber;
    page.left = w - 1500;
    page.width = 1500;
    page.top = 60;
    page.font.points = 8;
    page.align = report::Align::Right;
    report::Element text = elementOf(Cell{doc.footerText, 0, w - 1600, 8}, 60, 240, w);
    l.pageFooter.elements = {rule(0, w), text, page};
    l.pageFooter.height = 320;
    return l;
}

Status paintDocument(const Document& doc, QPagedPaintDevice& device) {
    report::BandedReport r(layoutOf(doc));
    r.setTitle(doc.title);
    const auto* rows = &doc.rows;
    r.setRows(int(rows->size()), [rows](int row, int field) {
        const QStringList& cells = (*rows)[size_t(row)];
        return field < cells.size() ? cells[field] : QString();
    });
    const QMarginsF m = r.marginsInPoints();
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     doc.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     m, QPageLayout::Point));
    return r.paint(device);
}

Status writePdf(const Document& doc, const QString& path) {
    // An old file of the name would pass for the new one below.
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return Error{QStringLiteral("A PDF nem írható felül (használatban van?): %1").arg(path)};
    PdfPrinterService pdf(path);
    Status painted;
    const Status printed = pdf.print(
        [&](QPrinter& printer) {
            printer.setCreator(QStringLiteral("VelaData"));
            printer.setDocName(doc.title);
            painted = paintDocument(doc, printer);
        },
        doc.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (!printed)
        return printed;
    if (!painted || !QFileInfo(path).isFile() || QFileInfo(path).size() == 0)
        return Error{QStringLiteral("A PDF nem írható: %1").arg(path)};
    return {};
}

}  // namespace vela::reports
