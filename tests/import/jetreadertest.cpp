#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <utility>

#include "common/tempdatafolder.h"
#include "import/jetdate.h"
#include "import/jetheader.h"
#include "import/jetreader.h"

using vela::JetReader;
namespace JetDate = vela::JetDate;

namespace {

std::unique_ptr<JetReader> openShared(const char* name) {
    auto r = JetReader::open(TempDataFolder::sharedTestData(name));
    EXPECT_TRUE(r) << r.errorText().toStdString();
    return r ? std::move(*r) : nullptr;
}

QDateTime utc(int y, int m, int d, int h = 0, int min = 0, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::UTC);
}

int columnIndex(const JetReader::Table& t, const QString& name) {
    for (size_t i = 0; i < t.columns.size(); ++i) {
        if (t.columns[i].name == name)
            return int(i);
    }
    return -1;
}

}  // namespace

TEST(JetReaderTest, Jet3TablesAndColumnTypes) {
    auto r = openShared("northwind-jet3.mdb");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->jetVersion(), 3);
    const auto tables = r->tables();
    ASSERT_TRUE(tables) << tables.errorText().toStdString();
    QStringList sorted = *tables;
    sorted.sort();
    EXPECT_EQ(sorted, QStringList({"Categories", "Customers", "Employees", "Order Details",
                                   "Orders", "Products", "Shippers", "Suppliers", "Umsätze"}));

    const auto cols = r->columns("Order Details");
    ASSERT_TRUE(cols) << cols.errorText().toStdString();
    QStringList described;
    for (const auto& c : *cols) described << c.name + ":" + c.typeName;
    EXPECT_EQ(described,
              QStringList({"OrderID:Long Integer", "ProductID:Long Integer", "UnitPrice:Currency",
                           "Quantity:Integer", "Discount:Single"}));
}

TEST(JetReaderTest, OrderDetailsRowCountAndSums) {
    auto r = openShared("northwind-jet3.mdb");
    ASSERT_TRUE(r);
    const auto read = r->read("Order Details");
    ASSERT_TRUE(read) << read.errorText().toStdString();
    const JetReader::Table& t = *read;
    ASSERT_EQ(t.rows.size(), 2155u);
    qint64 quantity = 0;
    double value = 0, prices = 0, discount = 0;
    for (const auto& row : t.rows) {
        ASSERT_EQ(row.size(), 5);
        EXPECT_EQ(row[0].typeId(), QMetaType::Int);
        EXPECT_EQ(row[2].typeId(), QMetaType::Double);
        quantity += row[3].toInt();
        prices += row[2].toDouble();
        value += row[2].toDouble() * row[3].toInt();
        discount += row[4].toDouble();
    }
    EXPECT_EQ(quantity, 51317);
    EXPECT_NEAR(prices, 56500.91, 1e-6);
    EXPECT_NEAR(value, 1354458.59, 1e-4);
    EXPECT_NEAR(discount, 121.04, 1e-4);
    EXPECT_EQ(t.rows.front(), (QVariantList{10248, 11, 14.0, 12, 0.0}));
    EXPECT_EQ(t.rows.back(), (QVariantList{11077, 77, 13.0, 2, 0.0}));
}

TEST(JetReaderTest, SelectedColumnsAndLimit) {
    auto r = openShared("northwind-jet3.mdb");
    ASSERT_TRUE(r);
    // Table and column names are found whatever their case, as Jet does.
    const auto read = r->read("order details", {"quantity", "OrderID"}, 3);
    ASSERT_TRUE(read) << read.errorText().toStdString();
    const JetReader::Table& t = *read;
    ASSERT_EQ(t.columns.size(), 2u);
    EXPECT_EQ(t.columns[0].name, "Quantity");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], (QVariantList{12, 10248}));

    const auto missing = r->read("Order Details", {"NoSuchColumn"});
    EXPECT_FALSE(missing);
    EXPECT_TRUE(missing.errorText().contains("NoSuchColumn")) << missing.errorText().toStdString();
    EXPECT_TRUE(missing.errorText().contains("northwind-jet3.mdb"))
        << missing.errorText().toStdString();

    const auto any = r->hasRows("Shippers");
    ASSERT_TRUE(any) << any.errorText().toStdString();
    EXPECT_TRUE(any.value());
    const auto noTable = r->hasRows("NoSuchTable");
    EXPECT_FALSE(noTable);
    EXPECT_TRUE(noTable.errorText().contains("NoSuchTable")) << noTable.errorText().toStdString();
}

TEST(JetReaderTest, TableWithAccentedNameAndCodePageTexts) {
    auto r = openShared("northwind-jet3.mdb");
    ASSERT_TRUE(r);
    const auto read = r->read("Umsätze");
    ASSERT_TRUE(read) << read.errorText().toStdString();
    const JetReader::Table& t = *read;
    EXPECT_EQ(t.rows.size(), 830u);
    const int id = columnIndex(t, "OrderID");
    const int name = columnIndex(t, "ShipName");
    const int city = columnIndex(t, "ShipCity");
    const int ordered = columnIndex(t, "OrderDate");
    const int freight = columnIndex(t, "Freight");
    ASSERT_GE(id, 0);
    ASSERT_GE(ordered, 0);
    bool found = false;
    for (const auto& row : t.rows) {
        if (row[id].toInt() != 10332)
            continue;
        found = true;
        EXPECT_EQ(row[name].toString(), QString::fromUtf8("Mère Paillarde"));
        EXPECT_EQ(row[city].toString(), QString::fromUtf8("Montréal"));
        EXPECT_EQ(row[ordered].toDateTime(), utc(1994, 11, 17));
        EXPECT_DOUBLE_EQ(row[freight].toDouble(), 52.84);
    }
    EXPECT_TRUE(found);
}

TEST(JetReaderTest, Jet4EdgeDatesReadExactly) {
    auto r = openShared("datetest-jet4.mdb");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->jetVersion(), 4);
    const auto read = r->read("DateTest");
    ASSERT_TRUE(read) << read.errorText().toStdString();
    const JetReader::Table& t = *read;
    ASSERT_EQ(t.rows.size(), 6u);
    auto dates = [&](int i) {
        return QList<QDateTime>{t.rows[i][1].toDateTime(), t.rows[i][2].toDateTime(),
                                t.rows[i][3].toDateTime()};
    };
    EXPECT_EQ(dates(0), (QList<QDateTime>{utc(2021, 12, 2), utc(2021, 12, 2), utc(2021, 12, 2)}));
    EXPECT_EQ(dates(1), (QList<QDateTime>{utc(9999, 1, 1), utc(9999, 1, 1), utc(9999, 1, 1)}));
    EXPECT_EQ(dates(2), (QList<QDateTime>{utc(1898, 1, 1), utc(1899, 1, 1), utc(1900, 1, 1)}));
    EXPECT_EQ(dates(3), (QList<QDateTime>{utc(632, 1, 1), utc(633, 1, 1), utc(634, 1, 1)}));
    // Jet 4 texts are Unicode, here partly stored compressed; memo texts keep their line breaks.
    EXPECT_EQ(t.rows[1][4].toString(), "Year 9999");
    EXPECT_EQ(t.rows[5][4].toString(), "New line\r\nin field");
    EXPECT_EQ(t.rows[5][5].toString(), "No new line");
}

TEST(JetDateTest, DaysSince1899WithFractionCountingForward) {
    EXPECT_EQ(JetDate::toDateTime(0.0), utc(1899, 12, 30));
    EXPECT_EQ(JetDate::toDateTime(0.5), utc(1899, 12, 30, 12));
    EXPECT_EQ(JetDate::toDateTime(-1.25), utc(1899, 12, 29, 6));
    EXPECT_EQ(JetDate::toDateTime(2.75), utc(1900, 1, 1, 18));
    EXPECT_EQ(JetDate::toDateTime(45000.0), utc(2023, 3, 15));
    // A hair under midnight rounds to the next day, on both sides of the epoch.
    EXPECT_EQ(JetDate::toDateTime(1.0 - 1e-10), utc(1899, 12, 31));
    EXPECT_EQ(JetDate::toDateTime(-2.0 + 1e-10), utc(1899, 12, 28));

    // Years 100 to 9999, each end included; beyond them no date.
    EXPECT_EQ(JetDate::toDateTime(-657434.0), utc(100, 1, 1));
    EXPECT_EQ(JetDate::toDateTime(-657434.5), utc(100, 1, 1, 12));
    EXPECT_EQ(JetDate::toDateTime(2958465.0), utc(9999, 12, 31));
    EXPECT_EQ(JetDate::toDateTime(2958465.999988426), utc(9999, 12, 31, 23, 59, 59));
    EXPECT_FALSE(JetDate::toDateTime(-657435.0).isValid());
    EXPECT_FALSE(JetDate::toDateTime(2958466.0).isValid());
    EXPECT_FALSE(JetDate::toDateTime(std::nan("")).isValid());
    EXPECT_FALSE(JetDate::toDateTime(1e300).isValid());

    for (const QDateTime& dt : {utc(100, 1, 1), utc(1899, 12, 29, 6), utc(1970, 6, 30, 23, 59, 59),
                                utc(9999, 12, 31, 12, 30)})
        EXPECT_EQ(JetDate::toDateTime(JetDate::fromDateTime(dt)), dt)
            << dt.toString().toStdString();
}

TEST(JetDateTest, DateOfTextsAndDateTimes) {
    EXPECT_EQ(JetDate::dateOf(QString("2024-03-01")), QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(JetDate::dateOf(QString("2024.03.01.")), QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(JetDate::dateOf(QString("2024-03-01 10:00:00")), QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(JetDate::dateOf(utc(1999, 12, 31, 23, 59)), QVariant(QDate(1999, 12, 31)));
    EXPECT_EQ(JetDate::dateOf(QString("2024-02-30")), QVariant(QString("2024-02-30")));
    EXPECT_EQ(JetDate::dateOf(QString("2024-03-015")), QVariant(QString("2024-03-015")));
    EXPECT_TRUE(JetDate::dateOf(QVariant()).isNull());
}

namespace {

// The RC4 key stream libmdb uses to hide the header's bytes from 0x18 on.
QByteArray headerKeyStream(int length) {
    const unsigned char key[4] = {0xc7, 0xda, 0x39, 0x6b};
    unsigned char s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xff;
        std::swap(s[i], s[j]);
    }
    QByteArray out;
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        out.append(char(s[(s[i] + s[j]) & 0xff]));
    }
    return out;
}

// A copy of the Access 97 Northwind file whose header names sortOrder.
QString withSortOrder(const QTemporaryDir& dir, int sortOrder) {
    const QString path = dir.filePath("hungarian.mdb");
    QFile::copy(TempDataFolder::sharedTestData("northwind-jet3.mdb"), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return {};
    const QByteArray ks = headerKeyStream(126);
    f.seek(0x3a);
    const char bytes[2] = {char(ks[0x3a - 0x18] ^ char(sortOrder & 0xff)),
                           char(ks[0x3a - 0x18 + 1] ^ char(sortOrder >> 8))};
    f.write(bytes, 2);
    return path;
}

QString shipName(JetReader& r, int order) {
    const auto t = r.read("Umsätze", {"OrderID", "ShipName"});
    if (!t)
        return t.errorText();
    for (const auto& row : t->rows)
        if (row[0].toInt() == order)
            return row[1].toString();
    return {};
}

}  // namespace

// Access 97 keeps its texts in the code page of its sort order: a Hungarian
// file is read as Windows-1250, the Northwind file (General) as 1252, and
// libmdb's settings in the caller's environment change neither.
TEST(JetReaderTest, Jet3TextsInTheCodePageOfTheFilesSortOrder) {
    EXPECT_EQ(vela::JetHeader::jet3CodePage(1038), 1250);
    EXPECT_EQ(vela::JetHeader::jet3CodePage(1033), 1252);
    EXPECT_EQ(vela::JetHeader::jet3CodePage(1049), 1251);

    qputenv("MDB_JET3_CHARSET", "CP1251");
    qputenv("MDBICONV", "ISO-8859-2");
    auto asIs = openShared("northwind-jet3.mdb");
    ASSERT_TRUE(asIs);
    EXPECT_EQ(shipName(*asIs, 10332), QString::fromUtf8("Mère Paillarde"));

    QTemporaryDir dir;
    auto hungarian = JetReader::open(withSortOrder(dir, 1038));
    ASSERT_TRUE(hungarian) << hungarian.errorText().toStdString();
    // 0xE8 is "è" in Windows-1252 and "č" in Windows-1250.
    EXPECT_EQ(shipName(**hungarian, 10332), QString::fromUtf8("Mčre Paillarde"));
    qunsetenv("MDB_JET3_CHARSET");
    qunsetenv("MDBICONV");
}

// A table whose stored row count differs from the rows there are (a file in
// use, or not closed cleanly) is read, and the difference is reported.
TEST(JetReaderTest, StoredRowCountThatDiffersIsReportedNotRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath("inuse.mdb");
    ASSERT_TRUE(QFile::copy(TempDataFolder::sharedTestData("northwind-jet3.mdb"), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        // The definition page of Shippers: 3 rows, 3 columns (Jet 3 layout:
        // row count at 12, column count at 25).
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray data = f.readAll();
        auto u16 = [&](qsizetype at) { return quint8(data[at]) | quint8(data[at + 1]) << 8; };
        std::vector<qsizetype> found;
        for (qsizetype page = 0; page + 2048 <= data.size(); page += 2048) {
            if (data[page] == 2 && data[page + 1] == 1 && u16(page + 12) == 3 &&
                u16(page + 14) == 0 && u16(page + 25) == 3)
                found.push_back(page);
        }
        ASSERT_EQ(found.size(), 1u);
        f.seek(found[0] + 12);
        f.write(QByteArray("\x05", 1));
    }
    auto r = JetReader::open(path);
    ASSERT_TRUE(r) << r.errorText().toStdString();
    const auto t = (*r)->read("Shippers");
    ASSERT_TRUE(t) << t.errorText().toStdString();
    EXPECT_EQ(t->rows.size(), 3u);
    EXPECT_EQ(t->storedRows, 5);
    const auto sound = (*r)->read("Categories");
    ASSERT_TRUE(sound) << sound.errorText().toStdString();
    EXPECT_EQ(sound->storedRows, -1);
}
