#include <gtest/gtest.h>

#include <QSignalSpy>

#include "storage/aggregatequery.h"
#include "storage/database.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"
#include "storage/rowaccess.h"
#include "storage/scratchtable.h"
#include "storagebackend.h"

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

// Run on the data folder's files and on the test server alike.
class RecordSourceTest : public ::testing::TestWithParam<test::Backend> {
  protected:
    void SetUp() override {
        auto opened = backend.open(GetParam(), "veladata.mdb");
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        db = std::move(*opened);
        rs.setDatabase(db.get());
        rs.setQuery(Query(schema::velaData(), {}, kBySequence));
    }

    void insert(const std::vector<LedgerRow>& rows) {
        EXPECT_TRUE(db->begin());
        for (const LedgerRow& r : rows) {
            ASSERT_TRUE(
                exec("INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, "
                     "Brutto) VALUES (?, ?, ?, ?, ?)",
                     {r.sorszam, r.recordId, r.szamlaszam, r.cegNev, r.brutto}));
        }
        EXPECT_TRUE(db->commit());
    }

    void insertFive() {
        insert({{3, "a", "125", "Ősz Kft", 300},
                {1, "a", "129", "Alma Bt", 100},
                {2, "b", "120", "O'Brien \"Ír\" Kft", 200},
                {2, "a", "12", "ősi Kft", 250},
                {5, "a", "500", "Zebra Zrt", 50}});
    }

    qlonglong sorszam() { return rs.field("Sorszám").toLongLong(); }

    // The test's own SQL, as the backend reads it.
    vela::Status exec(const QString& sql, const QVariantList& binds = {}) {
        return db->exec(test::StorageBackend::sql(GetParam(), sql), binds);
    }
    vela::Result<QVariant> scalar(const QString& sql) {
        return db->scalar(test::StorageBackend::sql(GetParam(), sql));
    }

    test::StorageBackend backend;
    std::unique_ptr<Database> db;
    RecordSource rs;
};

}  // namespace

TEST_P(RecordSourceTest, EmptyLedgerHasNoRowsAndIsAtBofAndEof) {
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_TRUE(rs.bof());
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.moveNext());
    EXPECT_TRUE(rs.field("Sorszám").isNull());
    EXPECT_EQ(rs.bookmark(), -1);
}

TEST_P(RecordSourceTest, WalksInQueryOrderAndMeetsEof) {
    insertFive();
    ASSERT_TRUE(rs.refresh());
    EXPECT_GE(rs.recordCount(), 1);
    EXPECT_EQ(sorszam(), 1);
    std::vector<QString> seen;
    while (!rs.eof()) {
        seen.push_back(rs.field(0).toString() + rs.field("recordID").toString());
        EXPECT_TRUE(rs.moveNext());
    }
    EXPECT_EQ(seen, (std::vector<QString>{"1a", "2a", "2b", "3a", "5a"}));
    EXPECT_TRUE(rs.eof());
    EXPECT_FALSE(rs.bof());
    // A move past the end fails with its reason, and the position stays.
    const vela::Status pastEnd = rs.moveNext();
    EXPECT_FALSE(pastEnd);
    EXPECT_EQ(pastEnd.errorText(), "Nincs következő adatsor.");
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.position(), 5);
    EXPECT_TRUE(rs.movePrevious());
    EXPECT_EQ(sorszam(), 5);
    EXPECT_TRUE(rs.moveFirst());
    EXPECT_TRUE(rs.movePrevious());
    EXPECT_TRUE(rs.bof());
    const vela::Status beforeStart = rs.movePrevious();
    EXPECT_FALSE(beforeStart);
    EXPECT_EQ(beforeStart.errorText(), "Nincs előző adatsor.");
    EXPECT_TRUE(rs.bof());
    const vela::Status noSuchRow = rs.moveTo(5);
    EXPECT_FALSE(noSuchRow);
    EXPECT_EQ(noSuchRow.errorText(), "Nincs ilyen adatsor.");
    EXPECT_TRUE(rs.moveLast());
    EXPECT_EQ(rs.recordCount(), 5);
    EXPECT_EQ(sorszam(), 5);
}

TEST_P(RecordSourceTest, DeleteMovesToTheNextRowOrEof) {
    insertFive();
    EXPECT_TRUE(rs.refresh());
    EXPECT_TRUE(rs.moveTo(1));  // 2a
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_EQ(rs.field("recordID").toString(), "b");
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_TRUE(rs.moveLast());
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(scalar("SELECT count(*) FROM VelaData")->toInt(), 3);
    // The window then moves to the last row, the neighbour before.
    EXPECT_TRUE(rs.moveLast());
    EXPECT_EQ(sorszam(), 3);
}

TEST_P(RecordSourceTest, BookmarkSurvivesRequeryAndOtherRows) {
    insertFive();
    EXPECT_TRUE(rs.refresh());
    EXPECT_TRUE(rs.moveTo(3));
    const qint64 mark = rs.bookmark();
    insert({{0, "x", "1", "Elso", 1}});
    ASSERT_TRUE(rs.requery());
    EXPECT_EQ(sorszam(), 0);
    ASSERT_TRUE(rs.setBookmark(mark));
    EXPECT_EQ(sorszam(), 3);
    EXPECT_FALSE(rs.setBookmark(99999));
    EXPECT_EQ(sorszam(), 3);
}

TEST_P(RecordSourceTest, FindFirstTakesTheFirstMatchInTheCurrentOrder) {
    insertFive();
    EXPECT_TRUE(rs.refresh());
    EXPECT_TRUE(rs.moveLast());
    ASSERT_TRUE(rs.findFirst(Condition::equals("Sorszám", 2)));
    EXPECT_EQ(rs.field("recordID").toString(), "a");
    EXPECT_FALSE(rs.noMatch());

    // No match is no failure: noMatch() tells it.
    EXPECT_TRUE(rs.findFirst(Condition::equals("Sorszám", 77)));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(rs.field("recordID").toString(), "a");  // the current row stays

    // In descending order the first match is another row.
    ASSERT_TRUE(rs.setSort({{"Sorszám", true}, {"recordID", true}}));
    ASSERT_TRUE(rs.findFirst(Condition::equals("Sorszám", 2)));
    EXPECT_EQ(rs.field("recordID").toString(), "b");
}

TEST_P(RecordSourceTest, PrefixFindFoldsHungarianCaseAndTakesQuotes) {
    insertFive();
    EXPECT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "ő"));
    EXPECT_EQ(rs.field("CegNev").toString(), "ősi Kft");  // Sorszám 2 comes before 3
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "ŐSZ"));
    EXPECT_EQ(rs.field("CegNev").toString(), "Ősz Kft");
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "o'brien \"í"));
    EXPECT_EQ(sorszam(), 2);
    EXPECT_TRUE(rs.findFirstPrefix("CegNev", "o'x"));
    EXPECT_TRUE(rs.noMatch());

    // Narrowing step by step: 1, 12, then 129.
    ASSERT_TRUE(rs.findFirstPrefix("Szamlaszam", "1"));
    EXPECT_EQ(rs.field("Szamlaszam").toString(), "129");
    ASSERT_TRUE(rs.findFirstPrefix("Szamlaszam", "12"));
    EXPECT_EQ(rs.field("Szamlaszam").toString(), "129");
    ASSERT_TRUE(rs.findFirstPrefix("Szamlaszam", "120"));
    EXPECT_EQ(rs.field("Szamlaszam").toString(), "120");
}

TEST_P(RecordSourceTest, FilterWithQuotedValueAndSort) {
    insertFive();
    rs.setQuery(Query(schema::velaData(),
                      Condition::equals("CegNev", "O'Brien \"Ír\" Kft") ||
                          Condition::equals("CegNev", "Zebra Zrt"),
                      kBySequence));
    ASSERT_TRUE(rs.refresh());
    EXPECT_TRUE(rs.moveLast());
    EXPECT_EQ(rs.recordCount(), 2);

    rs.setQuery(Query(schema::velaData(), {}, kBySequence));
    EXPECT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.setSort({{"Brutto"}, {"Szamlaszam"}}));
    EXPECT_EQ(rs.sort(), "Brutto, Szamlaszam");
    EXPECT_EQ(rs.field("Brutto").toDouble(), 50);
    ASSERT_TRUE(rs.setSort({{"Brutto", true}, {"Szamlaszam", true}}));
    EXPECT_TRUE(rs.moveFirst());
    EXPECT_EQ(rs.field("Brutto").toDouble(), 300);
    EXPECT_FALSE(rs.setSort({{"Brutto; DROP TABLE VelaData"}}));
    EXPECT_FALSE(rs.setSort({{"NincsIlyen"}}));
    // A refresh drops the sort, a requery keeps it.
    EXPECT_TRUE(rs.requery());
    EXPECT_EQ(rs.field("Brutto").toDouble(), 300);
    EXPECT_TRUE(rs.refresh());
    EXPECT_EQ(rs.field("Brutto").toDouble(), 100);
}

TEST_P(RecordSourceTest, EditsAreWrittenWhenTheRowIsLeftAndBadValuesRefused) {
    insertFive();
    EXPECT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.setField("Netto", QString("1234,5")));
    ASSERT_TRUE(rs.setField("CegNev", QString("D'Artagnan Kft")));
    EXPECT_EQ(rs.field("CegNev").toString(), "D'Artagnan Kft");
    EXPECT_TRUE(scalar("SELECT Netto FROM VelaData WHERE Sorszám = 1")->isNull());

    const vela::Status notANumber = rs.setField("Netto", QString("1,2,3"));
    EXPECT_FALSE(notANumber);
    EXPECT_FALSE(notANumber.errorText().isEmpty());
    EXPECT_FALSE(rs.setField("Datumtol", QString("2024.02.30")));
    EXPECT_EQ(rs.field("Netto").toDouble(), 1234.5);  // the previous value stays

    EXPECT_TRUE(rs.moveNext());
    EXPECT_EQ(scalar("SELECT Netto FROM VelaData WHERE Sorszám = 1")->toDouble(), 1234.5);
    EXPECT_EQ(scalar("SELECT CegNev FROM VelaData WHERE Sorszám = 1")->toString(),
              "D'Artagnan Kft");
    EXPECT_TRUE(rs.moveFirst());
    EXPECT_EQ(rs.field("Netto").toDouble(), 1234.5);
}

// A write the database refuses hands back the database's own reason; the
// edit stays pending, and a move that has to write it first fails the same
// way and leaves the current row where it was.
TEST_P(RecordSourceTest, ARefusedWriteReturnsItsReasonAndTheRowStays) {
    insertFive();
    if (GetParam() == test::Backend::Files) {
        ASSERT_TRUE(
            exec("CREATE TRIGGER zarolt BEFORE UPDATE OF CegNev ON VelaData "
                 "WHEN NEW.CegNev = 'Tiltott Kft' "
                 "BEGIN SELECT RAISE(ABORT, 'A sor zárolva van'); END"));
    } else {
        ASSERT_TRUE(db->handle()->execScript(
            "CREATE FUNCTION zarolt() RETURNS trigger LANGUAGE plpgsql AS $f$ BEGIN "
            "RAISE EXCEPTION 'A sor zárolva van'; END $f$; "
            "CREATE TRIGGER zarolt BEFORE UPDATE OF \"CegNev\" ON \"VelaData\" FOR EACH ROW "
            "WHEN (NEW.\"CegNev\" = 'Tiltott Kft') EXECUTE FUNCTION zarolt()"));
    }
    ASSERT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.moveTo(1));
    ASSERT_TRUE(rs.setField("CegNev", QString("Tiltott Kft")));
    const vela::Status refused = rs.update();
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().contains("A sor zárolva van"))
        << refused.errorText().toStdString();
    EXPECT_TRUE(rs.editPending());

    QSignalSpy failed(&rs, &RecordSource::writeFailed);
    const vela::Status moved = rs.moveNext();
    ASSERT_FALSE(moved);
    EXPECT_EQ(moved.errorText(), refused.errorText());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(rs.position(), 1);
    EXPECT_EQ(rs.field("CegNev").toString(), "Tiltott Kft");
    rs.cancelUpdate();
    EXPECT_EQ(scalar("SELECT count(*) FROM VelaData WHERE CegNev = 'Tiltott Kft'")->toInt(), 0);
}

TEST_P(RecordSourceTest, AddNewAppendsAtTheEnd) {
    EXPECT_TRUE(rs.refresh());
    QSignalSpy inserted(&rs, &RecordSource::rowInserted);
    ASSERT_TRUE(rs.addNew());
    EXPECT_TRUE(rs.setField(0, 1));
    EXPECT_TRUE(rs.setField("recordID", "20241231"));
    EXPECT_TRUE(rs.setField("Datumtol", QDate(2024, 12, 31)));
    EXPECT_TRUE(rs.setField("FIGYELEM", true));
    const vela::Status written = rs.update();
    ASSERT_TRUE(written) << written.errorText().toStdString();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.moveLast());
    EXPECT_EQ(rs.field("Datumtol").toDate(), QDate(2024, 12, 31));
    EXPECT_EQ(rs.field("FIGYELEM").toBool(), true);
    EXPECT_EQ(scalar("SELECT Datumtol FROM VelaData")->toString(), "2024-12-31");
}

TEST_P(RecordSourceTest, ManyRowsArePagedAndEditedAcrossPages) {
    std::vector<LedgerRow> rows;
    for (int i = 1; i <= 1000; ++i)
        rows.push_back({i, "r", QString::number(i), "Cég " + QString::number(i), double(i)});
    insert(rows);
    EXPECT_TRUE(rs.refresh());
    EXPECT_TRUE(rs.moveLast());
    EXPECT_EQ(sorszam(), 1000);
    EXPECT_EQ(rs.valueAt(500, 0).toLongLong(), 501);
    EXPECT_TRUE(rs.moveTo(700));
    EXPECT_TRUE(rs.deleteCurrent());
    EXPECT_EQ(sorszam(), 702);
    EXPECT_EQ(rs.valueAt(699, 0).toLongLong(), 700);
    EXPECT_EQ(rs.valueAt(700, 0).toLongLong(), 702);
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "cég 99"));
    EXPECT_EQ(sorszam(), 99);
    // The sum of an aggregate over no rows reads as 0 through NumOrZero.
    EXPECT_EQ(
        Funcs::NumOrZero(*scalar("SELECT sum(Brutto) FROM VelaData WHERE Sorszám < 0")).toDouble(),
        0.0);
}

TEST_P(RecordSourceTest, FollowedTotalsMatchAFullSumAfterEveryKindOfWrite) {
    insertFive();
    EXPECT_TRUE(rs.refresh());
    AggregateQuery open;
    open.setDatabase(db.get());
    open.setSum(schema::velaData(), {{"Brutto", "RészÖsszeg"}},
                Condition::equals("Kivezetés", "N") || Condition::isNull("Kivezetés"));
    open.follow(&rs);
    auto fullSum = [&] {
        return *scalar(
            "SELECT sum(Brutto - coalesce(RészÖsszeg, 0)) FROM VelaData WHERE "
            "Kivezetés = 'N' OR Kivezetés IS NULL");
    };
    const vela::Status summed = open.requery();
    ASSERT_TRUE(summed) << summed.errorText().toStdString();
    EXPECT_EQ(open.value().toDouble(), fullSum().toDouble());
    const int runs = open.fullRuns();

    EXPECT_TRUE(rs.moveTo(2));
    EXPECT_TRUE(rs.setField("Brutto", 1000.5));
    EXPECT_TRUE(rs.setField("RészÖsszeg", 0.5));
    EXPECT_TRUE(rs.update());
    EXPECT_TRUE(rs.moveTo(0));
    EXPECT_TRUE(rs.setField("Kivezetés", "I"));  // leaves the summed rows
    EXPECT_TRUE(rs.moveTo(4));                   // stored by leaving
    EXPECT_TRUE(rs.deleteCurrent());
    EXPECT_TRUE(rs.addNew());
    EXPECT_TRUE(rs.setField("Brutto", 7.25));
    EXPECT_TRUE(rs.update());
    ASSERT_TRUE(open.requery());
    EXPECT_EQ(open.fullRuns(), runs);  // followed, not summed again
    EXPECT_DOUBLE_EQ(open.value().toDouble(), fullSum().toDouble());

    // A change the record source did not make is noticed.
    EXPECT_TRUE(exec("UPDATE VelaData SET Brutto = Brutto + 1"));
    ASSERT_TRUE(open.requery());
    EXPECT_EQ(open.fullRuns(), runs + 1);
    EXPECT_DOUBLE_EQ(open.value().toDouble(), fullSum().toDouble());

    // Deleting every summed row gives back a null sum, read as 0.
    EXPECT_TRUE(rs.moveFirst());
    while (!rs.eof()) ASSERT_TRUE(rs.deleteCurrent());
    ASSERT_TRUE(open.requery());
    EXPECT_TRUE(open.value().isNull());
}

TEST_P(RecordSourceTest, FindsInAFilteredResultSkipRowsOutsideIt) {
    std::vector<LedgerRow> rows;
    for (int i = 1; i <= 600; ++i)
        rows.push_back({i, "r", QString::number(i), i % 2 ? "Páratlan" : "Páros", double(i)});
    insert(rows);
    rs.setQuery(
        Query(schema::velaData(), Condition::equals("CegNev", "Páros"), {{"Sorszám", true}}));
    EXPECT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.findFirstPrefix("CegNev", "pá"));
    EXPECT_EQ(sorszam(), 600);
    ASSERT_TRUE(rs.findFirst(Condition::less("Sorszám", 10)));  // beyond the first rows tried
    EXPECT_EQ(sorszam(), 8);
    // In the table, not in this result.
    EXPECT_TRUE(rs.findFirst(Condition::equals("Sorszám", 7)));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(sorszam(), 8);
}

TEST_P(RecordSourceTest, TextEqualityIgnoresLetterCaseInFiltersFindsAndTheirSums) {
    ASSERT_TRUE(
        exec("INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, Devizanem, Kivezetés, Brutto) "
             "VALUES (1, 'a', 'edge-1', 'Ft', 'N', 100), (2, 'a', 'x-2', 'FT', 'N', 20), "
             "(3, 'a', 'x-3', 'EUR', 'N', 3), (4, 'a', 'EDGE-1', 'ft', 'n', 4), "
             "(5, 'a', 'édge-1', 'Fť', 'N', 5)"));
    const Condition forint = Condition::equals("Devizanem", QStringLiteral("Ft"));
    rs.setQuery(Query(schema::velaData(), forint, kBySequence));
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(rs.recordCount(), 3);
    AggregateQuery sum;
    sum.setDatabase(db.get());
    sum.setSum(schema::velaData(), {{"Brutto"}}, forint);
    ASSERT_TRUE(sum.requery());
    EXPECT_DOUBLE_EQ(sum.value(0).toDouble(), 124);
    // Through an index the column leads (the spellings that occur), and a
    // followed write with a spelling new to the table.
    ASSERT_TRUE(exec("UPDATE VelaData SET FizetésMódja = CASE Sorszám WHEN 1 THEN 'Átutalás' "
                     "WHEN 2 THEN 'ÁTUTALÁS' WHEN 3 THEN 'készpénz' ELSE 'átutalás' END"));
    const Condition transfer = Condition::equals("FizetésMódja", QStringLiteral("átutalás"));
    AggregateQuery transfers;
    transfers.setDatabase(db.get());
    transfers.setSum(schema::velaData(), {{"Brutto"}}, transfer);
    transfers.follow(&rs);
    ASSERT_TRUE(transfers.requery());
    EXPECT_DOUBLE_EQ(transfers.value(0).toDouble(), 129);
    ASSERT_TRUE(rs.moveTo(0));
    ASSERT_TRUE(rs.setField("FizetésMódja", QStringLiteral("ÁtUtAlás")));
    ASSERT_TRUE(rs.setField("Brutto", 1000));
    ASSERT_TRUE(rs.update());
    ASSERT_TRUE(transfers.requery());
    EXPECT_DOUBLE_EQ(transfers.value(0).toDouble(), 1029);
    rs.setQuery(Query(schema::velaData(), {}, kBySequence));
    ASSERT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.findFirst(Condition::equals("Szamlaszam", QStringLiteral("EDGE-1"))));
    EXPECT_FALSE(rs.noMatch());
    EXPECT_EQ(sorszam(), 1);
    rs.setQuery(Query(schema::velaData(),
                      !Condition::equals("Szamlaszam", QStringLiteral("Edge-1")), kBySequence));
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(rs.recordCount(), 3);
}

TEST_P(RecordSourceTest, HeaderSortOnATextColumnIsHungarianAlphabetical) {
    const char* names[] = {"Zemplén Kft",    "Bratislava s.r.o.", "Békési Bt", "Ócsai Zrt",
                           "tiszamenti Kft", "Csaba és Társa",    "Cukor Bt",  "Ödön Kft"};
    qlonglong n = 0;
    for (const char* name : names)
        ASSERT_TRUE(exec("INSERT INTO VelaData (Sorszám, recordID, CegNev) VALUES (?, 'a', ?)",
                         {++n, QString::fromUtf8(name)}));
    ASSERT_TRUE(exec("INSERT INTO VelaData (Sorszám, recordID) VALUES (9, 'a')"));
    ASSERT_TRUE(rs.refresh());
    const auto order = [&] {
        QStringList out;
        for (bool more = rs.moveFirst().ok() && !rs.eof(); more;
             more = rs.moveNext().ok() && !rs.eof())
            out << rs.field("CegNev").toString();
        return out.join(QLatin1Char('|'));
    };
    ASSERT_TRUE(rs.setSort({{"CegNev"}}));
    EXPECT_EQ(order(), QString::fromUtf8("|Békési Bt|Bratislava s.r.o.|Cukor Bt|Csaba és Társa|"
                                         "Ócsai Zrt|Ödön Kft|tiszamenti Kft|Zemplén Kft"));
    ASSERT_TRUE(rs.setSort({{"CegNev", true}}));
    EXPECT_EQ(order(), QString::fromUtf8("Zemplén Kft|tiszamenti Kft|Ödön Kft|Ócsai Zrt|"
                                         "Csaba és Társa|Cukor Bt|Bratislava s.r.o.|Békési Bt|"));
}

TEST_P(RecordSourceTest, PerInvoiceSumsTakeOneInvoiceWhateverTheCaseOfItsNumber) {
    ASSERT_TRUE(exec(
        "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, RészÖsszeg) VALUES "
        "(1, 'a', 'edge-1', 0), (2, 'b', 'EDGE-1', 30), (3, 'c', 'Edge-1', 12), (4, 'd', 'x', 5)"));
    // The sums the ledger's pass writes.
    const auto sums = rows::sumsBy(*db, schema::velaData(), "Szamlaszam", "RészÖsszeg", {});
    ASSERT_TRUE(sums) << sums.errorText().toStdString();
    EXPECT_EQ(*sums, (QHash<QString, double>{{"edge-1", 42}, {"x", 5}}));
    // The print's scratch rows.
    ASSERT_TRUE(exec("UPDATE VelaData SET RészösszegÖsszesen = NULL"));
    ScratchTable scratch(*db);
    const auto printed = scratch.fill(schema::velaData(), 1, [](int) {
        QVariantList v(25);
        v[0] = 1;
        v[1] = QStringLiteral("EDGE-1");
        v[18] = 0;
        v[20] = 0;
        return v;
    });
    ASSERT_TRUE(printed) << printed.errorText().toStdString();
    EXPECT_EQ(printed->written, 1);
    EXPECT_EQ(scalar("SELECT RészösszegÖsszesen FROM VelaIdeigl")->toDouble(), 42);
}

INSTANTIATE_TEST_SUITE_P(Backends, RecordSourceTest,
                         ::testing::Values(test::Backend::Files, test::Backend::Server),
                         test::backendName);
