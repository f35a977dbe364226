#include "report/bandedreport.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <utility>

namespace vela::report {

namespace {

QFont fontFor(const QStringList& families, const Font& f) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(f.points);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    // Unhinted glyphs keep the font's own widths at every resolution, so the
    // preview, the printer and a PDF break and clip the texts alike.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int alignFlag(Align a) {
    switch (a) {
        case Align::Right:
            return Qt::AlignRight;
        case Align::Center:
            return Qt::AlignHCenter;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

}  // namespace

BandedReport::BandedReport(Layout layout) : layout_(std::move(layout)) {}

void BandedReport::setRows(int count, TextFn text) {
    rowCount_ = count < 0 ? 0 : count;
    text_ = std::move(text);
}

QMarginsF BandedReport::marginsInPoints() const {
    return QMarginsF(double(layout_.marginLeft) / kTwipsPerPoint,
                     double(layout_.marginTop) / kTwipsPerPoint,
                     double(layout_.marginRight) / kTwipsPerPoint,
                     double(layout_.marginBottom) / kTwipsPerPoint);
}

void BandedReport::setUpPage(QPagedPaintDevice& device) const {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     marginsInPoints(), QPageLayout::Point));
}

std::vector<BandedReport::Page> BandedReport::paginate(int printableHeight) const {
    std::vector<Page> pages;
    const int detail = layout_.detail.height;
    int row = 0;
    do {
        int room = printableHeight - layout_.pageFooter.height;
        if (pages.empty())
            room -= layout_.reportHeader.height;
        int fits = detail > 0 ? room / detail : rowCount_;
        // A card taller than a page still gets a page of its own.
        fits = std::max(fits, 1);
        Page page{row, std::min(fits, rowCount_ - row)};
        row += page.count;
        pages.push_back(page);
    } while (row < rowCount_);
    // A report footer with something in it that no longer fits gets a page.
    if (!layout_.reportFooter.elements.empty()) {
        const Page& last = pages.back();
        int used = last.count * detail + layout_.pageFooter.height;
        if (pages.size() == 1)
            used += layout_.reportHeader.height;
        if (used + layout_.reportFooter.height > printableHeight)
            pages.push_back(Page{rowCount_, 0});
    }
    return pages;
}

QString BandedReport::textOf(const Element& e, int row, int page) const {
    switch (e.kind) {
        case Element::Kind::Label:
            return e.text;
        case Element::Kind::Field:
            return text_ && row >= 0 ? text_(row, e.field) : QString();
        case Element::Kind::Title:
            return title_;
        case Element::Kind::Date:
            return date_;
        case Element::Kind::PageNumber:
            return QString::number(page + 1);
        case Element::Kind::Rule:
            break;
    }
    return {};
}

// The fonts of a band's elements, made once for a device.
struct BandFonts {
    std::vector<QFont> fonts;
    std::vector<QFontMetricsF> metrics;
};

namespace {

BandFonts prepare(const QStringList& families, const Band& band, QPaintDevice* device) {
    BandFonts out;
    for (const Element& e : band.elements) {
        out.fonts.push_back(fontFor(families, e.font));
        out.metrics.emplace_back(out.fonts.back(), device);
    }
    return out;
}

}  // namespace

void BandedReport::paintBand(QPainter& p, const Band& band, const BandFonts& fonts, int top,
                             int row, int page, double scaleX, double scaleY) const {
    for (size_t i = 0; i < band.elements.size(); ++i) {
        const Element& e = band.elements[i];
        const QRectF box(e.left * scaleX, (top + e.top) * scaleY, e.width * scaleX,
                         e.height * scaleY);
        if (e.kind == Element::Kind::Rule) {
            // One pixel of the screen the report was designed on.
            p.setPen(QPen(Qt::black, 15 * scaleY));
            p.drawLine(box.topLeft(), box.topRight());
            continue;
        }
        const QString text = textOf(e, row, page);
        if (text.isEmpty())
            continue;
        p.setFont(fonts.fonts[i]);
        p.setPen(Qt::black);
        const int flags = alignFlag(e.align) | Qt::AlignTop | Qt::TextSingleLine;
        // A text is cut at the sides of its box, never at its foot: the box
        // is one line high, and descenders and underlines reach below it.
        if (fonts.metrics[i].horizontalAdvance(text) > box.width()) {
            p.save();
            p.setClipRect(box.adjusted(0, -box.height(), 0, box.height()));
            p.drawText(box, flags | Qt::TextDontClip, text);
            p.restore();
        } else {
            p.drawText(box, flags | Qt::TextDontClip, text);
        }
    }
}

Status BandedReport::paint(QPagedPaintDevice& device) const {
    QPainter p;
    if (!p.begin(&device))
        return Error{QStringLiteral("A nyomtatás nem indítható el.")};
    // Twips to device pixels; the painter starts at the top left corner of
    // the area inside the margins.
    const double scaleX = double(device.logicalDpiX()) / kTwipsPerInch;
    const double scaleY = double(device.logicalDpiY()) / kTwipsPerInch;
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Point);
    const int printableHeight = int(area.height() * kTwipsPerPoint + 0.5);
    const std::vector<Page> pages = paginate(printableHeight);
    const QStringList& families = layout_.fontFamilies;
    const BandFonts header = prepare(families, layout_.reportHeader, &device);
    const BandFonts detail = prepare(families, layout_.detail, &device);
    const BandFonts pageFooter = prepare(families, layout_.pageFooter, &device);
    const BandFonts reportFooter = prepare(families, layout_.reportFooter, &device);

    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            p.end();
            return Error{QStringLiteral("Az új oldal nem kezdhető el.")};
        }
        const int page = int(i);
        int y = 0;
        if (i == 0) {
            paintBand(p, layout_.reportHeader, header, y, -1, page, scaleX, scaleY);
            y += layout_.reportHeader.height;
        }
        for (int r = pages[i].first; r < pages[i].first + pages[i].count; ++r) {
            paintBand(p, layout_.detail, detail, y, r, page, scaleX, scaleY);
            y += layout_.detail.height;
        }
        if (i + 1 == pages.size())
            paintBand(p, layout_.reportFooter, reportFooter, y, -1, page, scaleX, scaleY);
        paintBand(p, layout_.pageFooter, pageFooter, printableHeight - layout_.pageFooter.height,
                  -1, page, scaleX, scaleY);
    }
    if (!p.end())
        return Error{QStringLiteral("A nyomtatás nem fejezhető be.")};
    return {};
}

}  // namespace vela::report
