#include "freexlsheet.h"
#include "storage/columns.h"
#include "streamcheck.h"
#include "xls/biff.h"
#include "xls/compoundfile.h"
#include "xls/templatewriter.h"
#include "xls/workbook.h"

#include <freexl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using vela::xls::Workbook;
using Rows = std::vector<std::vector<QVariant>>;

namespace {

QString builtTemplate(const QString& name) {
    return QStringLiteral(VELA_BIN_DIR "/DataFolder/data/") + name;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A text of n characters with Hungarian accents, both those of Latin-1 (á, é)
// and those beyond it (ő, ű), distinct for each seed.
QString accented(int n, int seed) {
    static const QString letters = QStringLiteral("árvíztűrő tükörfúrógép ÁRVÍZTŰRŐ ");
    QString s = QStringLiteral("#%1 ").arg(seed);
    for (int i = 0; s.size() < n; ++i) s += letters[(i + seed) % letters.size()];
    return s.left(n);
}

class XlsWorkbook : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("VelaDataStatTartozunk.xls"));
        ASSERT_TRUE(QFile::copy(builtTemplate(QStringLiteral("VelaDataStatTartozunk.xls")), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    // The appending failed with a message, and the file and its folder are as they were.
    void expectRefused(const Rows& rows, const QString& file, const QString& fragment) {
        const QByteArray before = bytesOf(file);
        const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const vela::Status written = Workbook::appendRows(file, rows);
        EXPECT_FALSE(written);
        EXPECT_TRUE(written.errorText().contains(fragment)) << written.errorText().toStdString();
        EXPECT_EQ(bytesOf(file), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }

    QTemporaryDir dir;
    QString path;
};

}  // namespace

TEST_F(XlsWorkbook, TemplatesHoldTheLedgerHeadings) {
    const auto& ledger = vela::schema::ledgerColumns();
    for (const QString& name : {QStringLiteral("VelaDataStatTartozunk.xls"),
                                QStringLiteral("VelaDataStatTartoznak.xls")}) {
        const QString file = builtTemplate(name);
        const FreexlSheet s = readWithFreexl(file);
        ASSERT_TRUE(s.ok) << s.error.toStdString();
        EXPECT_EQ(s.sheetNames, QStringList{QStringLiteral("Munka1")});
        ASSERT_EQ(s.rows, 1u);
        ASSERT_EQ(s.columns, 24u);
        for (unsigned c = 0; c < 24; ++c) {
            EXPECT_EQ(s.at(0, c).type, FREEXL_CELL_SST_TEXT);
            EXPECT_EQ(s.at(0, c).text, ledger[c].name);
        }
        EXPECT_EQ(usedRows(file), 1);
        // The workbook the export appends to starts as a copy of its template.
        EXPECT_EQ(bytesOf(QStringLiteral(VELA_BIN_DIR "/DataFolder/") + name), bytesOf(file));
    }
}

TEST_F(XlsWorkbook, AppendedRowsReadBackWithTheirKinds) {
    const QString longText = accented(300, 7);
    Rows rows = {
        {qlonglong(1), QStringLiteral("SZ-2024/001"), QStringLiteral("Árvíztűrő Tükörfúrógép Kft."),
         12500.5, 27.0, QDate(2024, 3, 15), true, QVariant(), longText, -42.25, false,
         QDate(1900, 1, 1), 0.1, 1e12, QString(), QDate(2099, 12, 31),
         QDateTime(QDate(2024, 3, 15), QTime(12, 0))},
        {qlonglong(2), QStringLiteral("SZ-2024/001"), QStringLiteral("ő")},
    };
    vela::Status written = Workbook::appendRows(path, rows);
    ASSERT_TRUE(written) << written.errorText().toStdString();
    EXPECT_EQ(usedRows(path), 3);

    FreexlSheet s = readWithFreexl(path);
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    ASSERT_EQ(s.rows, 3u);
    EXPECT_EQ(s.at(0, 0).text, QStringLiteral("Sorszám"));
    EXPECT_EQ(s.at(0, 23).text, QStringLiteral("Teljesités"));

    EXPECT_EQ(s.at(1, 0).number, 1);
    EXPECT_EQ(s.at(1, 1).text, QStringLiteral("SZ-2024/001"));
    EXPECT_EQ(s.at(1, 2).text, QStringLiteral("Árvíztűrő Tükörfúrógép Kft."));
    EXPECT_EQ(s.at(1, 3).type, FREEXL_CELL_DOUBLE);
    EXPECT_EQ(s.at(1, 3).number, 12500.5);
    EXPECT_EQ(s.at(1, 4).number, 27);
    EXPECT_EQ(s.at(1, 5).type, FREEXL_CELL_DATE);
    EXPECT_EQ(s.at(1, 5).text, QStringLiteral("2024-03-15"));
    EXPECT_EQ(s.at(1, 6).number, 1);  // true
    EXPECT_EQ(s.at(1, 7).type, FREEXL_CELL_NULL);
    EXPECT_EQ(s.at(1, 8).text, longText);
    EXPECT_EQ(s.at(1, 9).number, -42.25);
    EXPECT_EQ(s.at(1, 10).number, 0);  // false
    EXPECT_NE(s.at(1, 10).type, FREEXL_CELL_NULL);
    EXPECT_EQ(s.at(1, 11).text, QStringLiteral("1900-01-01"));
    EXPECT_DOUBLE_EQ(s.at(1, 12).number, 0.1);
    EXPECT_EQ(s.at(1, 13).number, 1e12);
    EXPECT_EQ(s.at(1, 14).type, FREEXL_CELL_NULL);  // an empty text is an empty cell
    EXPECT_EQ(s.at(1, 15).text, QStringLiteral("2099-12-31"));
    EXPECT_EQ(s.at(1, 16).text, QStringLiteral("2024-03-15"));  // the column shows the day only
    EXPECT_EQ(s.at(2, 0).number, 2);
    EXPECT_EQ(s.at(2, 1).text, QStringLiteral("SZ-2024/001"));  // shared with row 1
    EXPECT_EQ(s.at(2, 2).text, QStringLiteral("ő"));

    // A second append goes below the first and leaves it alone.
    written = Workbook::appendRows(path, {{qlonglong(3), QStringLiteral("harmadik")}});
    ASSERT_TRUE(written) << written.errorText().toStdString();
    const FreexlSheet again = readWithFreexl(path);
    ASSERT_TRUE(again.ok) << again.error.toStdString();
    ASSERT_EQ(again.rows, 4u);
    EXPECT_EQ(again.at(3, 0).number, 3);
    EXPECT_EQ(again.at(3, 1).text, QStringLiteral("harmadik"));
    for (unsigned r = 0; r < 3; ++r) {
        for (unsigned c = 0; c < 24; ++c) {
            EXPECT_EQ(again.at(r, c).type, s.at(r, c).type) << r << "," << c;
            EXPECT_EQ(again.at(r, c).text, s.at(r, c).text) << r << "," << c;
            EXPECT_EQ(again.at(r, c).number, s.at(r, c).number) << r << "," << c;
        }
    }
}

TEST_F(XlsWorkbook, LargeStringTableSurvivesRepeatedAppends) {
    // Thousands of long strings fill many CONTINUE records, with strings split
    // across them in both one-byte and two-byte form; each append reads the
    // whole table back in and writes it again.
    Rows all;
    for (int round = 0; round < 3; ++round) {
        Rows rows;
        for (int i = 0; i < 1500; ++i) {
            const int n = round * 1500 + i;
            rows.push_back({qlonglong(n), accented(100 + n % 250, n),
                            QStringLiteral("latin %1 ").arg(n).repeated(1 + n % 40),
                            QStringLiteral("ismétlődő")});
        }
        const vela::Status written = Workbook::appendRows(path, rows);
        ASSERT_TRUE(written) << written.errorText().toStdString();
        all.insert(all.end(), rows.begin(), rows.end());
    }
    const FreexlSheet s = readWithFreexl(path);
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    ASSERT_EQ(s.rows, all.size() + 1);
    for (size_t r = 0; r < all.size(); ++r) {
        ASSERT_EQ(s.at(unsigned(r + 1), 0).number, all[r][0].toDouble());
        for (unsigned c = 1; c < 4; ++c)
            ASSERT_EQ(s.at(unsigned(r + 1), c).text, all[r][c].toString()) << r << "," << c;
    }
}

TEST_F(XlsWorkbook, SheetEndsAtRow65536) {
    Rows one(65535, std::vector<QVariant>{QVariant(1.0)});
    expectRefused(Rows(65536, std::vector<QVariant>{QVariant(1.0)}), path,
                  QStringLiteral("65 536"));
    const vela::Status written = Workbook::appendRows(path, one);
    ASSERT_TRUE(written) << written.errorText().toStdString();
    EXPECT_EQ(usedRows(path), 65536);
    expectRefused({{QVariant(2.0)}}, path, QStringLiteral("65 536"));
    const FreexlSheet s = readWithFreexl(path);
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    EXPECT_EQ(s.rows, 65536u);
    EXPECT_EQ(s.at(65535, 0).number, 1);
}

TEST_F(XlsWorkbook, FailuresLeaveTheFileUntouched) {
    const Rows rows = {{qlonglong(1), QStringLiteral("a")}};

    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    expectRefused(rows, path, QStringLiteral("csak olvasható"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    {
        QFile other(path);  // someone else holds the workbook
        ASSERT_TRUE(other.open(QIODevice::ReadOnly));
        ASSERT_EQ(::flock(other.handle(), LOCK_SH | LOCK_NB), 0);
        expectRefused(rows, path, QStringLiteral("használja"));
    }
    {
        const QString lockFile = dir.filePath(QStringLiteral(".~lock.VelaDataStatTartozunk.xls#"));
        writeBytes(lockFile, "x");
        expectRefused(rows, path, QStringLiteral("használja"));
        QFile::remove(lockFile);
    }

    Rows wide(1, std::vector<QVariant>(257, QVariant(1.0)));
    expectRefused(wide, path, QStringLiteral("256"));

    const QString text = dir.filePath(QStringLiteral("szoveg.xls"));
    writeBytes(text, "Sorszám;Szamlaszam\n1;A\n");
    expectRefused(rows, text, QStringLiteral("nem Excel munkafüzet"));

    // A compound file whose workbook stream breaks off in the middle.
    const QByteArray stream = vela::xls::TemplateWriter::workbookStream(
        QStringLiteral("Munka1"), {{QStringLiteral("A"), false}, {QStringLiteral("B"), true}});
    const QString broken = dir.filePath(QStringLiteral("csonka.xls"));
    vela::Result<QByteArray> file = vela::xls::CompoundFile::create("Workbook", stream.left(300));
    ASSERT_TRUE(file) << file.errorText().toStdString();
    writeBytes(broken, *file);
    expectRefused(rows, broken, QStringLiteral("sérült"));
    const vela::Result<int> brokenRows = Workbook::rowCount(broken);
    EXPECT_FALSE(brokenRows);
    EXPECT_TRUE(brokenRows.errorText().contains(QStringLiteral("sérült")))
        << brokenRows.errorText().toStdString();

    // A record of type FFFF, which no workbook holds, just before the sheet's end.
    QByteArray odd = stream;
    qsizetype lastEof = 0;
    for (qsizetype at = 0; at + 4 <= odd.size();) {
        const auto type = quint16(uchar(odd[at]) | uchar(odd[at + 1]) << 8);
        if (type == 0x000A)
            lastEof = at;
        at += 4 + (uchar(odd[at + 2]) | uchar(odd[at + 3]) << 8);
    }
    odd.insert(lastEof, QByteArray("\xFF\xFF\x02\x00"
                                   "ab",
                                   6));
    const QString unknown = dir.filePath(QStringLiteral("ismeretlen.xls"));
    file = vela::xls::CompoundFile::create("Workbook", odd);
    ASSERT_TRUE(file) << file.errorText().toStdString();
    writeBytes(unknown, *file);
    expectRefused(rows, unknown, QStringLiteral("ismeretlen rekordtípus"));

    // A compound file damaged on disk.
    const QByteArray good = bytesOf(path);
    const QString cut = dir.filePath(QStringLiteral("vagott.xls"));
    writeBytes(cut, good.left(good.size() / 2));
    expectRefused(rows, cut, QStringLiteral("munkafüzet"));

    // An Excel 5 workbook has a "Book" stream instead.
    const QString old = dir.filePath(QStringLiteral("regi.xls"));
    file = vela::xls::CompoundFile::create("Book", stream);
    ASSERT_TRUE(file) << file.errorText().toStdString();
    writeBytes(old, *file);
    expectRefused(rows, old, QStringLiteral("Excel 8"));

    vela::Status written = Workbook::appendRows(dir.filePath(QStringLiteral("nincs.xls")), rows);
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.errorText().contains(QStringLiteral("nem található")))
        << written.errorText().toStdString();

    // After all that the workbook still takes rows.
    written = Workbook::appendRows(path, rows);
    ASSERT_TRUE(written) << written.errorText().toStdString();
    EXPECT_EQ(usedRows(path), 2);
}

TEST_F(XlsWorkbook, LaterSheetsMoveWithTheirIndex) {
    // A second sheet behind the first, with an INDEX that points at its DBCELL:
    // growing the first sheet moves it, and the INDEX must move along.
    using namespace vela::xls::biff;
    const QByteArray one = vela::xls::TemplateWriter::workbookStream(
        QStringLiteral("Munka1"), {{QStringLiteral("Név"), false}, {QStringLiteral("Nap"), true}});
    QByteArray globals, firstSheet;
    qsizetype secondBoundSheet = -1;
    std::vector<qsizetype> boundSheets;
    for (const auto& [pos, type] : recordsOf(one, 0)) {
        const int len = get16(one.constData() + pos + 2);
        if (type == kEof) {
            QByteArray b;
            append32(b, 0);
            append16(b, 0);
            appendShortString(b, QStringLiteral("Munka2"));
            boundSheets.push_back(globals.size() + 4);
            appendRecord(globals, kBoundSheet, b);
        }
        if (type == kBoundSheet) {
            firstSheet = one.mid(get32(one.constData() + pos + 4));
            boundSheets.push_back(globals.size() + 4);
        }
        globals.append(one.mid(pos, 4 + len));
    }
    secondBoundSheet = boundSheets.back();
    const auto firstRecords = recordsOf(firstSheet, 0);
    const auto& [lastPos, lastType] = firstRecords.back();
    ASSERT_EQ(lastType, kEof);
    firstSheet.truncate(lastPos + 4);

    QByteArray stream = globals;
    put32(stream.data() + boundSheets.front(), quint32(stream.size()));
    stream.append(firstSheet);
    const quint32 s2 = quint32(stream.size());
    put32(stream.data() + secondBoundSheet, s2);
    QByteArray bof;
    for (quint16 v : {kBiff8, kBofWorksheet, quint16(0x0DBB), quint16(0x07CC)}) append16(bof, v);
    append32(bof, 0);
    append32(bof, 6);
    appendRecord(stream, kBof, bof);
    QByteArray index;
    for (quint32 v : {0u, 0u, 1u, 0u, s2 + 100}) append32(index, v);
    appendRecord(stream, kIndex, index);
    appendRecord(stream, kDimensions, QByteArray::fromHex("0000000001000000000001000000"));
    appendRecord(stream, kRow, QByteArray::fromHex("000000000100ff000000000000010f00"));
    QByteArray number = QByteArray::fromHex("000000000f00");
    appendDouble(number, 42.5);
    appendRecord(stream, kNumber, number);
    ASSERT_EQ(quint32(stream.size()), s2 + 100);
    appendRecord(stream, kDbCell, QByteArray::fromHex("260000000000"));
    appendRecord(stream, kWindow2, QByteArray::fromHex("b60600000000400000000000000000000000"));
    appendRecord(stream, kEof, {});

    const vela::Result<QByteArray> file = vela::xls::CompoundFile::create("Workbook", stream);
    ASSERT_TRUE(file) << file.errorText().toStdString();
    writeBytes(path, *file);
    ASSERT_EQ(checkSheets(*file), (std::vector<int>{0, 1}));

    const vela::Status written =
        Workbook::appendRows(path, {{QStringLiteral("Ádám"), QDate(2024, 1, 2)}});
    ASSERT_TRUE(written) << written.errorText().toStdString();
    EXPECT_EQ(checkSheets(bytesOf(path)), (std::vector<int>{0, 1}));
    const FreexlSheet first = readWithFreexl(path, 0);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    EXPECT_EQ(first.sheetNames, (QStringList{QStringLiteral("Munka1"), QStringLiteral("Munka2")}));
    ASSERT_EQ(first.rows, 2u);
    EXPECT_EQ(first.at(1, 0).text, QStringLiteral("Ádám"));
    EXPECT_EQ(first.at(1, 1).text, QStringLiteral("2024-01-02"));
    const FreexlSheet second = readWithFreexl(path, 1);
    ASSERT_TRUE(second.ok) << second.error.toStdString();
    ASSERT_EQ(second.rows, 1u);
    EXPECT_EQ(second.at(0, 0).number, 42.5);
}

namespace {

// Every record of a Workbook stream in order, up to the padding after the last EOF.
struct Rec {
    quint16 type;
    QByteArray data;
};

std::vector<Rec> recordsIn(const QByteArray& s) {
    std::vector<Rec> out;
    for (qsizetype p = 0; p + 4 <= s.size();) {
        const quint16 type = vela::xls::biff::get16(s.constData() + p);
        const quint16 len = vela::xls::biff::get16(s.constData() + p + 2);
        if (type == 0 && len == 0)
            break;
        out.push_back({type, s.mid(p + 4, len)});
        p += 4 + len;
    }
    return out;
}

QByteArray streamOf(const std::vector<Rec>& records) {
    QByteArray s;
    for (const Rec& r : records) vela::xls::biff::appendRecord(s, r.type, r.data);
    return s;
}

QByteArray workbookStream(const QString& path) {
    const vela::Result<QByteArray> stream =
        vela::xls::CompoundFile::readStream(bytesOf(path), "Workbook");
    EXPECT_TRUE(stream) << stream.errorText().toStdString();
    return stream ? *stream : QByteArray();
}

void writeWorkbook(const QString& path, const std::vector<Rec>& records) {
    const vela::Result<QByteArray> file =
        vela::xls::CompoundFile::create("Workbook", streamOf(records));
    ASSERT_TRUE(file) << file.errorText().toStdString();
    writeBytes(path, *file);
}

constexpr quint16 kXfRecord = 0x00E0;
constexpr quint16 kRowRecord = 0x0208;

}  // namespace

TEST_F(XlsWorkbook, NumbersAreStoredLeastSignificantByteFirst) {
    // 1234.5678 has no compact form: a NUMBER record holds its eight bytes.
    const vela::Status written = Workbook::appendRows(path, {{1234.5678}});
    ASSERT_TRUE(written) << written.errorText().toStdString();
    bool found = false;
    for (const Rec& r : recordsIn(workbookStream(path))) {
        if (r.type == 0x0203) {
            EXPECT_EQ(r.data.mid(6, 8).toHex(), "adfa5c6d454a9340");
            found = true;
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(readWithFreexl(path).at(1, 0).number, 1234.5678);
}

TEST_F(XlsWorkbook, AddedDateFormatNamesAStyleAsItsParent) {
    // A workbook whose formats from XF 15 on are all styles, none of them a
    // date: the date format the writer adds is made from XF 15.
    std::vector<Rec> records = recordsIn(workbookStream(path));
    int xf = 0;
    for (Rec& r : records) {
        if (r.type != kXfRecord)
            continue;
        if (xf >= 15) {
            vela::xls::biff::put16(r.data.data() + 2, 0);  // General
            vela::xls::biff::put16(r.data.data() + 4, 0xFFF4);
        }
        ++xf;
    }
    writeWorkbook(path, records);
    const vela::Status written = Workbook::appendRows(path, {{QDate(2024, 3, 15)}});
    ASSERT_TRUE(written) << written.errorText().toStdString();

    std::vector<QByteArray> xfs;
    for (const Rec& r : recordsIn(workbookStream(path)))
        if (r.type == kXfRecord)
            xfs.push_back(r.data);
    ASSERT_EQ(int(xfs.size()), xf + 1);
    const quint16 flags = vela::xls::biff::get16(xfs.back().constData() + 4);
    EXPECT_EQ(flags & 0x0004, 0);  // a cell format
    EXPECT_EQ(flags >> 4, 15);     // whose parent is the style it was made from
    EXPECT_EQ(vela::xls::biff::get16(xfs.back().constData() + 2), 14);
    const FreexlSheet s = readWithFreexl(path);
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    EXPECT_EQ(s.at(1, 0).type, FREEXL_CELL_DATE);
    EXPECT_EQ(s.at(1, 0).text, "2024-03-15");
}

TEST_F(XlsWorkbook, FormattedEmptyRowsBelowTheDataKeepTheirFormat) {
    // Rows 1 to 4 of the template made taller (no cells in them).
    std::vector<Rec> records = recordsIn(workbookStream(path));
    auto firstRow = std::find_if(records.begin(), records.end(),
                                 [](const Rec& r) { return r.type == kRowRecord; });
    ASSERT_NE(firstRow, records.end());
    std::vector<Rec> tall;
    for (quint16 row = 1; row <= 4; ++row) {
        QByteArray d;
        for (quint16 v : {row, quint16(0), quint16(0), quint16(0x0300), quint16(0), quint16(0),
                          quint16(0x0140), quint16(0x000F)})
            vela::xls::biff::append16(d, v);
        tall.push_back({kRowRecord, d});
    }
    records.insert(firstRow + 1, tall.begin(), tall.end());
    writeWorkbook(path, records);
    ASSERT_EQ(usedRows(path), 1);

    const vela::Status written = Workbook::appendRows(path, {{1.0, QStringLiteral("a")}, {2.0}});
    ASSERT_TRUE(written) << written.errorText().toStdString();
    std::vector<std::pair<int, QByteArray>> rows;  // row, payload, in stream order
    for (const Rec& r : recordsIn(workbookStream(path)))
        if (r.type == kRowRecord)
            rows.emplace_back(vela::xls::biff::get16(r.data.constData()), r.data);
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rows[size_t(i)].first, i);
    for (int i = 1; i < 5; ++i) {
        const QByteArray& d = rows[size_t(i)].second;
        EXPECT_EQ(vela::xls::biff::get16(d.constData() + 6), 0x0300) << i;
        EXPECT_EQ(vela::xls::biff::get16(d.constData() + 12), 0x0140) << i;
    }
    // The new rows say which of their cells are used.
    EXPECT_EQ(vela::xls::biff::get16(rows[1].second.constData() + 4), 2);
    EXPECT_EQ(vela::xls::biff::get16(rows[2].second.constData() + 4), 1);
    const FreexlSheet s = readWithFreexl(path);
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    EXPECT_EQ(s.rows, 3u);
    EXPECT_EQ(s.at(2, 0).number, 2);
}

TEST(XlsCompoundFile, FailedReadTellsWhyInItsCode) {
    using vela::xls::CompoundFile;
    const vela::Result<QByteArray> file = CompoundFile::create("Workbook", QByteArray(5000, 'x'));
    ASSERT_TRUE(file) << file.errorText().toStdString();

    const vela::Result<QByteArray> stream = CompoundFile::readStream(*file, "workbook");
    ASSERT_TRUE(stream) << stream.errorText().toStdString();
    EXPECT_EQ(*stream, QByteArray(5000, 'x'));

    // No stream of that name: the file is sound.
    const vela::Result<QByteArray> none = CompoundFile::readStream(*file, "Book");
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().code, CompoundFile::kNoStream);
    EXPECT_FALSE(none.error().damaged());

    // Plain text is no compound file, which counts as damage, as with a database.
    const vela::Result<QByteArray> text =
        CompoundFile::readStream("Sorszám;Szamlaszam\n1;A\n", "Workbook");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().code, CompoundFile::kNotCompound);
    EXPECT_TRUE(text.error().damaged());
    EXPECT_FALSE(text.errorText().isEmpty());

    const vela::Result<QByteArray> rewritten = CompoundFile::rewrite(*file, "Workbook", "új");
    ASSERT_TRUE(rewritten) << rewritten.errorText().toStdString();
    const vela::Result<QByteArray> again = CompoundFile::readStream(*rewritten, "Workbook");
    ASSERT_TRUE(again) << again.errorText().toStdString();
    EXPECT_EQ(*again, QByteArray("új"));
    EXPECT_EQ(CompoundFile::rewrite("nem tároló", "Workbook", "új").error().code,
              CompoundFile::kNotCompound);
}
