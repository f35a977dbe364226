#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "import/invoicesource.h"
#include "import/standindatabase.h"

using vela::InvoiceSource;
using vela::StandInDatabase;
using Row = QVariantList;

namespace {

Row line(qint64 number, const QString& item, double vat, double net, double gross,
         const QString& customer = "Kovács és Társa Kft.",
         const QVariant& performed = QDate(2024, 3, 5)) {
    return {number,
            customer,
            "Győr",
            "Fő utca 1.",
            QString::fromUtf8("készpénzes"),
            QDate(2024, 3, 1),
            QDate(2024, 3, 9),
            item,
            vat,
            0.0,
            "HUF",
            net,
            gross,
            performed};
}

// A folder holding a stand-in LFAKTURO.MDB with the six empty tables.
class StandInFolder {
  public:
    explicit StandInFolder(const QString& name = "LFAKTURO.MDB") {
        const vela::Status created = StandInDatabase::create(dir.filePath(name));
        ok = created.ok();
        EXPECT_TRUE(created) << created.errorText().toStdString();
    }
    void add(const QString& table, const std::vector<Row>& lines) {
        const vela::Status added =
            StandInDatabase::appendLines(dir.filePath("LFAKTURO.MDB"), table, lines);
        EXPECT_TRUE(added) << added.errorText().toStdString();
    }
    std::unique_ptr<InvoiceSource> open() {
        auto src = InvoiceSource::open(dir.path());
        EXPECT_TRUE(src) << src.errorText().toStdString();
        return src ? std::move(*src) : nullptr;
    }

    QTemporaryDir dir;
    bool ok = false;
};

std::vector<Row> grouped(InvoiceSource& src, const QString& table, double from) {
    auto rows = src.groupedRows(table, from);
    EXPECT_TRUE(rows) << rows.errorText().toStdString();
    return rows ? std::move(*rows) : std::vector<Row>();
}

}  // namespace

TEST(StandInTest, ThreeLinesMakeOneInvoiceWithSumsAndTheLastLine) {
    StandInFolder f;
    f.add("SZAMLA", {line(42, "Csavar", 27, 100, 127), line(42, "Anya", 27, 200, 254),
                     line(42, QString::fromUtf8("Alátét ő/ű"), 5, 300, 381)});
    auto src = f.open();
    ASSERT_TRUE(src);
    EXPECT_EQ(src->format(), InvoiceSource::Format::StandIn);
    const auto rows = grouped(*src, "SZAMLA", 1);
    ASSERT_EQ(rows.size(), 1u);
    const Row& r = rows[0];
    ASSERT_EQ(r.size(), 14);
    EXPECT_EQ(r[0], QVariant(qint64(42)));
    EXPECT_EQ(r[1].toString(), QString::fromUtf8("Kovács és Társa Kft."));
    EXPECT_EQ(r[4].toString(), QString::fromUtf8("készpénzes"));
    EXPECT_EQ(r[5], QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(r[6], QVariant(QDate(2024, 3, 9)));
    EXPECT_EQ(r[7].toString(), QString::fromUtf8("Alátét ő/ű"));
    EXPECT_EQ(r[8], QVariant(5.0));
    EXPECT_EQ(r[9], QVariant(0.0));
    EXPECT_EQ(r[11], QVariant(600.0));
    EXPECT_EQ(r[12], QVariant(762.0));
    EXPECT_EQ(r[13], QVariant(QDate(2024, 3, 5)));
    EXPECT_EQ(InvoiceSource::groupedColumns().size(), 14);
    EXPECT_EQ(InvoiceSource::groupedColumns().last(), "Teljesit");
}

TEST(StandInTest, LastLineIsTheLastWrittenEvenWhenInvoicesInterleave) {
    StandInFolder f;
    f.add("ATUTAL", {line(7, "A1", 27, 1, 1), line(8, "B1", 27, 10, 10), line(7, "A2", 18, 2, 2),
                     line(8, "B2", 5, 20, 20), line(7, "A3", 0, 4, 4)});
    auto src = f.open();
    ASSERT_TRUE(src);
    const auto rows = grouped(*src, "ATUTAL", 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][7].toString(), "A3");
    EXPECT_EQ(rows[0][11].toDouble(), 7.0);
    EXPECT_EQ(rows[1][7].toString(), "B2");
    EXPECT_EQ(rows[1][8].toDouble(), 5.0);
    EXPECT_EQ(rows[1][12].toDouble(), 30.0);
}

TEST(StandInTest, StartingNumberEmptyTableAndSameNumberInTwoKinds) {
    StandInFolder f;
    f.add("SZAMLA", {line(100, "x", 27, 1, 1), line(149, "x", 27, 1, 1), line(150, "x", 27, 1, 1),
                     line(151, "x", 27, 1, 1), line(151, "y", 27, 1, 1), line(200, "x", 27, 1, 1)});
    f.add("ATUTAL", {line(150, "transfer", 27, 1000, 1270)});
    auto src = f.open();
    ASSERT_TRUE(src);

    std::vector<qint64> numbers;
    for (const Row& r : grouped(*src, "SZAMLA", 150)) numbers.push_back(r[0].toLongLong());
    EXPECT_EQ(numbers, (std::vector<qint64>{150, 151, 200}));
    EXPECT_TRUE(grouped(*src, "SZAMLA", 201).empty());

    // The kinds are separate tables: invoice 150 of each keeps its own lines.
    const auto cash = grouped(*src, "SZAMLA", 150);
    const auto transfer = grouped(*src, "ATUTAL", 150);
    ASSERT_EQ(transfer.size(), 1u);
    EXPECT_EQ(cash[0][11].toDouble(), 1.0);
    EXPECT_EQ(transfer[0][0].toLongLong(), 150);
    EXPECT_EQ(transfer[0][11].toDouble(), 1000.0);

    const auto none = src->hasRows("UTANVET");
    ASSERT_TRUE(none) << none.errorText().toStdString();
    EXPECT_FALSE(none.value());
    EXPECT_TRUE(grouped(*src, "UTANVET", 1).empty());
    const auto some = src->hasRows("SZAMLA");
    ASSERT_TRUE(some) << some.errorText().toStdString();
    EXPECT_TRUE(some.value());
}

TEST(StandInTest, NullsAndValuesOfTheWrongKind) {
    StandInFolder f;
    Row blank = line(5, "n", 27, 0, 0, "", QVariant());
    blank[1] = QVariant();
    blank[11] = QVariant();
    blank[12] = QVariant();
    Row odd = line(6, "odd", 27, 10, 12, "Bt.", "2024-13-45");
    f.add("NYUGTA", {line(5, "a", 27, 50, 60), blank, odd});
    auto src = f.open();
    ASSERT_TRUE(src);
    const auto rows = grouped(*src, "NYUGTA", 1);
    ASSERT_EQ(rows.size(), 2u);
    // Null amounts add nothing; last() keeps the last line's nulls.
    EXPECT_EQ(rows[0][11].toDouble(), 50.0);
    EXPECT_EQ(rows[0][12].toDouble(), 60.0);
    EXPECT_TRUE(rows[0][1].isNull());
    EXPECT_TRUE(rows[0][13].isNull());
    // A date text that is no date reaches the caller as it was, to be refused there.
    EXPECT_EQ(rows[1][13], QVariant(QString("2024-13-45")));
}

TEST(StandInTest, FoundCaseInsensitivelyAndOpenedReadOnly) {
    StandInFolder f("lfakturo.mdb");
    const QString path = f.dir.filePath("lfakturo.mdb");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    auto opened = InvoiceSource::open(f.dir.path());
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    InvoiceSource& src = **opened;
    EXPECT_EQ(src.fileName(), "lfakturo.mdb");
    EXPECT_TRUE(grouped(src, "SZAMLAHE", 1).empty());

    // A missing table is an error that names the file and the table.
    const auto rows = src.groupedRows("SZAMLA; DROP TABLE SZAMLA", 1);
    EXPECT_FALSE(rows);
    EXPECT_TRUE(rows.errorText().contains("lfakturo.mdb")) << rows.errorText().toStdString();
    const auto any = src.hasRows("NINCSILYEN");
    EXPECT_FALSE(any);
    EXPECT_TRUE(any.errorText().contains("NINCSILYEN")) << any.errorText().toStdString();
}

TEST(GroupLinesTest, EngineOrderSumsAndStartingNumber) {
    // What the Access path does with the lines read from the file.
    std::vector<Row> lines{line(3, "c1", 27, 1, 2), line(1, "a1", 27, 10, 20),
                           line(3, "c2", 5, 100, 200), line(2.0, "b1", 18, 5, 6),
                           line(1, "a2", 0, 30, 40)};
    Row nullKey = line(0, "none", 27, 1, 1);
    nullKey[0] = QVariant();
    lines.push_back(nullKey);
    // An invoice number kept as text still groups with its number.
    Row textKey = line(3, "c3", 27, 1000, 2000);
    textKey[0] = QString("3");
    lines.push_back(textKey);
    auto rows = InvoiceSource::groupLines(lines, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][7].toString(), "b1");
    EXPECT_EQ(rows[1][7].toString(), "c3");
    EXPECT_EQ(rows[1][11].toDouble(), 1101.0);
    EXPECT_EQ(rows[1][12].toDouble(), 2202.0);

    rows = InvoiceSource::groupLines(lines, 1);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][7].toString(), "a2");
    EXPECT_EQ(rows[0][11].toDouble(), 40.0);
    const Row n = InvoiceSource::normalised(rows[1]);
    EXPECT_EQ(n[0], QVariant(qint64(2)));
    EXPECT_EQ(n[5], QVariant(QDate(2024, 3, 1)));
}
