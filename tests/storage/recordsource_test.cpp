#include <gtest/gtest.h>

#include <QSignalSpy>

#include "storage/aggregatequery.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"

using namespace vela;

namespace {

const QList<OrderKey> kBySequence{{"Sorszám"}, {"recordID"}};

struct LedgerRow {
    qlonglong sorszam;
    QString recordId;
    QString szamlaszam;
    QString cegNev;
    double brutto;
};

class RecordSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QString err;
        db = Database::open("veladata.mdb", &err);
        ASSERT_TRUE(db) << err.toStdString();
        rs.setDatabase(db.get());
        rs.setQuery(Query(schema::velaData(), {}, kBySequence));
    }

    void insert(const std::vector<LedgerRow>& rows) {
        db->begin();
        for (const LedgerRow& r : rows) {
            ASSERT_TRUE(
                db->exec("INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, "
                         "Brutto) VALUES (?, ?, ?, ?, ?)",
                         {r.sorszam, r.recordId, r.szamlaszam, r.cegNev, r.brutto}));
        }
        db->commit();
    }

    void insertFive() {
        insert({{3, "a", "125", "Ősz Kft", 300},
                {1, "a", "129", "Alma Bt", 100},
                {2, "b", "120", "O'Brien \"Ír\" Kft", 200},
                {2, "a", "12", "ősi Kft", 250},
                {5, "a", "500", "Zebra Zrt", 50}});
    }

    qlonglong sorszam() { return rs.field("Sorszám").toLongLong(); }

    TempDataFolder folder;
    std::unique_ptr<Database> db;
    RecordSource rs;
};

}  // namespace

TEST_F(RecordSourceTest, EmptyLedgerHasNoRowsAndIsAtBofAndEof) {
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_TRUE(rs.bof());
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.moveNext());
    EXPECT_TRUE(rs.field("Sorszám").isNull());
    EXPECT_EQ(rs.bookmark(), -1);
}

TEST_F(RecordSourceTest, WalksInQueryOrderAndMeetsEof) {
    insertFive();
    ASSERT_TRUE(rs.refresh());
    EXPECT_GE(rs.recordCount(), 1);
    EXPECT_EQ(sorszam(), 1);
    std::vector<QString> seen;
    while (!rs.eof()) {
        seen.push_back(rs.field(0).toString() + rs.field("recordID").toString());
        rs.moveNext();
    }
    EXPECT_EQ(seen, (std::vector<QString>{"1a", "2a", "2b", "3a", "5a"}));
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.bof());
    EXPECT_TRUE(rs.movePrevious());
    EXPECT_EQ(sorszam(), 5);
    rs.moveFirst();
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    rs.moveLast();
    EXPECT_EQ(rs.recordCount(), 5);
    EXPECT_EQ(sorszam(), 5);
}

TEST_F(RecordSourceTest, DeleteMovesToTheNextRowOrEof) {
    insertFive();
    rs.refresh();
    rs.moveTo(1);  // 2a
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_EQ(rs.field("recordID").toString(), "b");
    EXPECT_EQ(rs.recordCount(), 4);
    rs.moveLast();
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(db->scalar("SELECT count(*) FROM VelaData")->toInt(), 3);
    // The window then moves to the last row, the neighbour before.
    rs.moveLast();
    EXPECT_EQ(sorszam(), 3);
}

TEST_F(RecordSourceTest, BookmarkSurvivesRequeryAndOtherRows) {
    insertFive();
    rs.refresh();
    rs.moveTo(3);
    const qint64 mark = rs.bookmark();
    insert({{0, "x", "1", "Elso", 1}});
    ASSERT_TRUE(rs.requery());
    EXPECT_EQ(sorszam(), 0);
    ASSERT_TRUE(rs.setBookmark(mark));
    EXPECT_EQ(sorszam(), 3);
    EXPECT_FALSE(rs.setBookmark(99999));
    EXPECT_EQ(sorszam(), 3);
}

TEST_F(RecordSourceTest, FindFirstTakesTheFirstMatchInTheCurrentOrder) {
    insertFive();
    rs.refresh();
    rs.moveLast();
    ASSERT_TRUE(rs.findFirst(Condition::equals("Sorszám", 2)));
    EXPECT_EQ(rs.field("recordID").toString(), "a");
    EXPECT_FALSE(rs.noMatch());

    EXPECT_FALSE(rs.findFirst(Condition::equals("Sorszám", 77)));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.field("recordID").toString(), "a");  // the current row stays

    // In descending order the first match is another row.
    ASSERT_TRUE(rs.setSort("Sorszám DESC, recordID DESC"));
    ASSERT_TRUE(rs.findFirst(Condition::equals("Sorszám", 2)));
    EXPECT_EQ(rs.field("recordID").toString(), "b");
}

TEST_F(RecordSourceTest, PrefixFindFoldsHungarianCaseAndTakesQuotes) {
    insertFive();
    rs.refresh();
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "ő"));
    EXPECT_EQ(rs.field("CegNev").toString(), "ősi Kft");  // Sorszám 2 comes before 3
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "ŐSZ"));
    EXPECT_EQ(rs.field("CegNev").toString(), "Ősz Kft");
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "o'brien \"í"));
    EXPECT_EQ(sorszam(), 2);
    EXPECT_FALSE(rs.findFirstPrefix("CegNev", "o'x"));
    EXPECT_TRUE(rs.noMatch());

    // Narrowing step by step: 1, 12, then 129.
    ASSERT_TRUE(rs.findFirstPrefix("Szamlaszam", "1"));
    EXPECT_EQ(rs.field("Szamlaszam").toString(), "129");
    ASSERT_TRUE(rs.findFirstPrefix("Szamlaszam", "12"));
    EXPECT_EQ(rs.field("Szamlaszam").toString(), "129");
    ASSERT_TRUE(rs.findFirstPrefix("Szamlaszam", "120"));
    EXPECT_EQ(rs.field("Szamlaszam").toString(), "120");
}

TEST_F(RecordSourceTest, FilterWithQuotedValueAndSort) {
    insertFive();
    rs.setQuery(Query(schema::velaData(),
                      Condition::equals("CegNev", "O'Brien \"Ír\" Kft") ||
                          Condition::equals("CegNev", "Zebra Zrt"),
                      kBySequence));
    ASSERT_TRUE(rs.refresh());
    rs.moveLast();
    EXPECT_EQ(rs.recordCount(), 2);

    rs.setQuery(Query(schema::velaData(), {}, kBySequence));
    rs.refresh();
    ASSERT_TRUE(rs.setSort("Brutto, Szamlaszam"));
    EXPECT_EQ(rs.sort(), "Brutto, Szamlaszam");
    EXPECT_EQ(rs.field("Brutto").toDouble(), 50);
    ASSERT_TRUE(rs.setSort("Brutto DESC, Szamlaszam DESC"));
    rs.moveFirst();
    EXPECT_EQ(rs.field("Brutto").toDouble(), 300);
    EXPECT_FALSE(rs.setSort("Brutto; DROP TABLE VelaData"));
    EXPECT_FALSE(rs.setSort("NincsIlyen"));
    // A refresh drops the sort, a requery keeps it.
    rs.requery();
    EXPECT_EQ(rs.field("Brutto").toDouble(), 300);
    rs.refresh();
    EXPECT_EQ(rs.field("Brutto").toDouble(), 100);
}

TEST_F(RecordSourceTest, EditsAreWrittenWhenTheRowIsLeftAndBadValuesRefused) {
    insertFive();
    rs.refresh();
    ASSERT_TRUE(rs.setField("Netto", QString("1234,5")));
    ASSERT_TRUE(rs.setField("CegNev", QString("D'Artagnan Kft")));
    EXPECT_EQ(rs.field("CegNev").toString(), "D'Artagnan Kft");
    EXPECT_TRUE(db->scalar("SELECT Netto FROM VelaData WHERE Sorszám = 1")->isNull());

    QString why;
    EXPECT_FALSE(rs.setField("Netto", QString("1,2,3"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(rs.setField("Datumtol", QString("2024.02.30"), &why));
    EXPECT_EQ(rs.field("Netto").toDouble(), 1234.5);  // the previous value stays

    rs.moveNext();
    EXPECT_EQ(db->scalar("SELECT Netto FROM VelaData WHERE Sorszám = 1")->toDouble(), 1234.5);
    EXPECT_EQ(db->scalar("SELECT CegNev FROM VelaData WHERE Sorszám = 1")->toString(),
              "D'Artagnan Kft");
    rs.moveFirst();
    EXPECT_EQ(rs.field("Netto").toDouble(), 1234.5);
}

TEST_F(RecordSourceTest, AddNewAppendsAtTheEnd) {
    rs.refresh();
    QSignalSpy inserted(&rs, &RecordSource::rowInserted);
    ASSERT_TRUE(rs.addNew());
    rs.setField(0, 1);
    rs.setField("recordID", "20241231");
    rs.setField("Datumtol", QDate(2024, 12, 31));
    rs.setField("FIGYELEM", true);
    ASSERT_TRUE(rs.update()) << rs.lastError().toStdString();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(rs.recordCount(), 1);
    rs.moveLast();
    EXPECT_EQ(rs.field("Datumtol").toDate(), QDate(2024, 12, 31));
    EXPECT_EQ(rs.field("FIGYELEM").toBool(), true);
    EXPECT_EQ(db->scalar("SELECT Datumtol FROM VelaData")->toString(), "2024-12-31");
}

TEST_F(RecordSourceTest, ManyRowsArePagedAndEditedAcrossPages) {
    std::vector<LedgerRow> rows;
    for (int i = 1; i <= 1000; ++i)
        rows.push_back({i, "r", QString::number(i), "Cég " + QString::number(i), double(i)});
    insert(rows);
    rs.refresh();
    rs.moveLast();
    EXPECT_EQ(sorszam(), 1000);
    EXPECT_EQ(rs.valueAt(500, 0).toLongLong(), 501);
    rs.moveTo(700);
    rs.deleteCurrent();
    EXPECT_EQ(sorszam(), 702);
    EXPECT_EQ(rs.valueAt(699, 0).toLongLong(), 700);
    EXPECT_EQ(rs.valueAt(700, 0).toLongLong(), 702);
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "cég 99"));
    EXPECT_EQ(sorszam(), 99);
    // The sum of an aggregate over no rows reads as 0 through NumOrZero.
    EXPECT_EQ(Funcs::NumOrZero(db->scalar("SELECT sum(Brutto) FROM VelaData WHERE Sorszám < 0"))
                  .toDouble(),
              0.0);
}

TEST_F(RecordSourceTest, FollowedTotalsMatchAFullSumAfterEveryKindOfWrite) {
    insertFive();
    rs.refresh();
    AggregateQuery open;
    open.setDatabase(db.get());
    open.setSum(schema::velaData(), {{"Brutto", "RészÖsszeg"}},
                Condition::equals("Kivezetés", "N") || Condition::isNull("Kivezetés"));
    open.follow(&rs);
    auto fullSum = [&] {
        return db->scalar(
            "SELECT sum(Brutto - ifnull(RészÖsszeg, 0)) FROM VelaData WHERE "
            "Kivezetés = 'N' OR Kivezetés IS NULL");
    };
    ASSERT_TRUE(open.requery());
    EXPECT_EQ(open.value().toDouble(), fullSum().toDouble());
    const int runs = open.fullRuns();

    rs.moveTo(2);
    rs.setField("Brutto", 1000.5);
    rs.setField("RészÖsszeg", 0.5);
    rs.update();
    rs.moveTo(0);
    rs.setField("Kivezetés", "I");  // leaves the summed rows
    rs.moveTo(4);                   // stored by leaving
    rs.deleteCurrent();
    rs.addNew();
    rs.setField("Brutto", 7.25);
    rs.update();
    ASSERT_TRUE(open.requery());
    EXPECT_EQ(open.fullRuns(), runs);  // followed, not summed again
    EXPECT_DOUBLE_EQ(open.value().toDouble(), fullSum().toDouble());

    // A change the record source did not make is noticed.
    db->exec("UPDATE VelaData SET Brutto = Brutto + 1");
    ASSERT_TRUE(open.requery());
    EXPECT_EQ(open.fullRuns(), runs + 1);
    EXPECT_DOUBLE_EQ(open.value().toDouble(), fullSum().toDouble());

    // Deleting every summed row gives back a null sum, read as 0.
    rs.moveFirst();
    while (!rs.eof()) rs.deleteCurrent();
    ASSERT_TRUE(open.requery());
    EXPECT_TRUE(open.value().isNull());
}

TEST_F(RecordSourceTest, FindsInAFilteredResultSkipRowsOutsideIt) {
    std::vector<LedgerRow> rows;
    for (int i = 1; i <= 600; ++i)
        rows.push_back({i, "r", QString::number(i), i % 2 ? "Páratlan" : "Páros", double(i)});
    insert(rows);
    rs.setQuery(
        Query(schema::velaData(), Condition::equals("CegNev", "Páros"), {{"Sorszám", true}}));
    rs.refresh();
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "pá"));
    EXPECT_EQ(sorszam(), 600);
    ASSERT_TRUE(rs.findFirst(Condition::less("Sorszám", 10)));  // beyond the first rows tried
    EXPECT_EQ(sorszam(), 8);
    EXPECT_FALSE(
        rs.findFirst(Condition::equals("Sorszám", 7)));  // in the table, not in this result
    EXPECT_EQ(sorszam(), 8);
}
