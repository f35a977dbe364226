#include "xls/templatewriter.h"

#include "xls/biff.h"
#include "xls/compoundfile.h"
#include "xls/sharedstringtable.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace vela::xls {

using namespace biff;

namespace {

constexpr quint16 kDateFormat = 164;  // first number available for own formats
constexpr quint16 kHeadingXf = 16;
constexpr quint16 kDateXf = 17;

QByteArray bof(quint16 kind) {
    QByteArray d;
    append16(d, kBiff8);
    append16(d, kind);
    append16(d, 0x0DBB);  // build
    append16(d, 0x07CC);  // year
    append32(d, 0x00000041);
    append32(d, 0x00000006);
    return d;
}

QByteArray font(bool bold) {
    QByteArray d;
    append16(d, 200);     // 10 pt
    append16(d, 0);       // plain
    append16(d, 0x7FFF);  // automatic colour
    append16(d, bold ? 700 : 400);
    append16(d, 0);
    append8(d, 0);     // no underline
    append8(d, 2);     // swiss family
    append8(d, 0xEE);  // east European character set
    append8(d, 0);
    appendShortString(d, QStringLiteral("Arial"));
    return d;
}

QByteArray xf(quint16 fontIndex, quint16 format, quint16 flags, quint8 align, quint8 used) {
    QByteArray d;
    append16(d, fontIndex);
    append16(d, format);
    append16(d, flags);
    append8(d, align);
    append8(d, 0);
    append8(d, 0);
    append8(d, used);
    append32(d, 0);  // no borders
    append32(d, 0);
    append16(d, 0x20C0);  // pattern colours: automatic
    return d;
}

QByteArray u16s(std::initializer_list<quint16> values) {
    QByteArray d;
    for (quint16 v : values) append16(d, v);
    return d;
}

int widthOf(const TemplateColumn& c) {
    // Bold characters are a little wider than the default ones the width counts in.
    const int chars = std::max(c.date ? 12 : 8, int(c.heading.size() * 1.15) + 3);
    return std::min(chars, 255) * 256;
}

}  // namespace

QByteArray TemplateWriter::workbookStream(const QString& sheetName,
                                          const std::vector<TemplateColumn>& columns) {
    const int n = std::min<int>(int(columns.size()), kMaxColumns);
    QByteArray out;
    appendRecord(out, kBof, bof(kBofGlobals));
    appendRecord(out, kCodePage, u16s({1200}));
    appendRecord(out, kWindow1, u16s({0x0168, 0x001E, 0x3A5C, 0x2328, 0x0038, 0, 0, 1, 0x0258}));
    appendRecord(out, kDateMode, u16s({0}));
    for (int i = 0; i < 4; ++i) appendRecord(out, kFont, font(false));
    appendRecord(out, kFont, font(true));  // index 5: BIFF has no font 4

    QByteArray format;
    append16(format, kDateFormat);
    appendLongString(format, QStringLiteral("yyyy\\.mm\\.dd\\."));
    appendRecord(out, kFormat, format);

    appendRecord(out, kXf, xf(0, 0, 0xFFF5, 0x20, 0x00));  // Normal style
    for (int i = 1; i < 15; ++i)
        appendRecord(out, kXf, xf(i <= 2 ? 1 : i <= 4 ? 2 : 0, 0, 0xFFF5, 0x20, 0xF4));
    appendRecord(out, kXf, xf(0, 0, 0x0001, 0x20, 0x00));            // 15: default cell
    appendRecord(out, kXf, xf(5, 0, 0x0001, 0x22, 0x18));            // 16: heading
    appendRecord(out, kXf, xf(0, kDateFormat, 0x0001, 0x20, 0x04));  // 17: date
    appendRecord(out, kStyle, QByteArray::fromHex("008000FF"));

    QByteArray sheet;
    append32(sheet, 0);  // position, filled in below
    append8(sheet, 0);   // visible
    append8(sheet, 0);   // worksheet
    appendShortString(sheet, sheetName);
    const qsizetype boundSheetAt = out.size() + 4;
    appendRecord(out, kBoundSheet, sheet);

    SharedStringTable sst;
    std::vector<quint32> index;
    for (int c = 0; c < n; ++c) index.push_back(sst.add(columns[size_t(c)].heading));
    QByteArray sstBytes, extSst;
    sst.encode(quint32(out.size()), &sstBytes, &extSst);
    out.append(sstBytes);
    out.append(extSst);
    appendRecord(out, kEof, {});

    put32(out.data() + boundSheetAt, quint32(out.size()));
    appendRecord(out, kBof, bof(kBofWorksheet));
    appendRecord(out, kDefColWidth, u16s({8}));
    for (int c = 0; c < n; ++c) {
        const TemplateColumn& col = columns[size_t(c)];
        appendRecord(out, kColInfo,
                     u16s({quint16(c), quint16(c), quint16(widthOf(col)),
                           quint16(col.date ? kDateXf : 15), 0, 0}));
    }
    QByteArray dim;
    append32(dim, 0);
    append32(dim, n > 0 ? 1 : 0);
    append16(dim, 0);
    append16(dim, quint16(n));
    append16(dim, 0);
    appendRecord(out, kDimensions, dim);
    if (n > 0) {
        appendRecord(out, kRow, u16s({0, 0, quint16(n), 0x00FF, 0, 0, 0x0100, 0x000F}));
        for (int c = 0; c < n; ++c) {
            QByteArray cell = u16s({0, quint16(c), kHeadingXf});
            append32(cell, index[size_t(c)]);
            appendRecord(out, kLabelSst, cell);
        }
    }
    appendRecord(out, kWindow2, u16s({0x06B6, 0, 0, 0x0040, 0, 0, 0, 0, 0}));
    appendRecord(out, kEof, {});
    if (out.size() < kMinStreamSize)
        out.append(QByteArray(kMinStreamSize - out.size(), '\0'));
    return out;
}

Status TemplateWriter::write(const QString& path, const QString& sheetName,
                             const std::vector<TemplateColumn>& columns) {
    const Result<QByteArray> file =
        CompoundFile::create("Workbook", workbookStream(sheetName, columns));
    if (!file)
        return Error{QStringLiteral("A munkafüzet nem hozható létre: %1 (%2)")
                         .arg(QDir::toNativeSeparators(path), file.errorText())};
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || save.write(*file) != file->size() || !save.commit())
        return Error{QStringLiteral("A munkafüzet nem írható: %1 (%2)")
                         .arg(QDir::toNativeSeparators(path), save.errorString())};
    return {};
}

}  // namespace vela::xls
