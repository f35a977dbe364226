// Two workstations on one server edit the same ledger row: the later save
// is refused with what changed, the typed value stays, saving again writes it.
#include <gtest/gtest.h>

#include <QTest>

#include "storage/recordsource.h"
#include "storagebackend.h"

using namespace vela;
using test::Backend;

namespace {

class RowVersion : public ::testing::TestWithParam<Backend> {};

}  // namespace

TEST_P(RowVersion, SaveOfARowWrittenMeanwhileIsRefusedAndTold) {
    test::StorageBackend backend;
    auto a = backend.open(GetParam(), "veladata.mdb");
    ASSERT_TRUE(a) << a.errorText().toStdString();
    auto b = Database::openServer(test::StorageBackend::testServer().conninfo(), "veladata.mdb");
    ASSERT_TRUE(b) << b.errorText().toStdString();
    ASSERT_TRUE((*a)->exec(
        test::StorageBackend::sql(GetParam(),
                                  "INSERT INTO VelaData (Sorszám, CegNev, Megnevezes, Netto) "
                                  "VALUES (1, 'Alma Bt', 'áru', 100)")));
    RecordSource mine, theirs;
    for (auto [rs, db] : {std::pair{&mine, a->get()}, std::pair{&theirs, b->get()}}) {
        rs->setDatabase(db);
        rs->setQuery(Query(schema::velaData()));
        ASSERT_TRUE(rs->refresh());
        ASSERT_EQ(rs->recordCount(), 1);
    }
    // Both read the row; the other saves first.
    ASSERT_TRUE(mine.setField("CegNev", "Alma Kft"));
    ASSERT_TRUE(theirs.setField("Megnevezes", "szolgáltatás"));
    ASSERT_TRUE(theirs.setField("Netto", 120.0));
    ASSERT_TRUE(theirs.update());

    const Status refused = mine.update();
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().contains("másik munkaállomás módosította"))
        << refused.errorText().toStdString();
    EXPECT_TRUE(refused.errorText().contains("Megnevezes, Netto"))
        << refused.errorText().toStdString();
    // The typed value stays; the rest shows what the other saved.
    EXPECT_TRUE(mine.editPending());
    EXPECT_EQ(mine.field("CegNev").toString(), "Alma Kft");
    EXPECT_EQ(mine.field("Megnevezes").toString(), "szolgáltatás");

    ASSERT_TRUE(mine.update());
    auto row = (*b)->rows(
        test::StorageBackend::sql(GetParam(), "SELECT CegNev, Megnevezes, Netto FROM VelaData"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->front(), (Database::Row{"Alma Kft", "szolgáltatás", 120.0}));
    // Another change of theirs after a fresh read goes through as well.
    ASSERT_TRUE(theirs.refresh());
    ASSERT_TRUE(theirs.setField("Netto", 130.0));
    ASSERT_TRUE(theirs.update());
}

INSTANTIATE_TEST_SUITE_P(Backends, RowVersion, ::testing::Values(Backend::Server),
                         test::backendName);

// A list that follows the others reads their commits by itself, keeping
// its current row, and never throws away what is being typed.
TEST_P(RowVersion, AListFollowingTheOthersKeepsItsRowAndTheTyping) {
    test::StorageBackend backend;
    auto a = backend.open(GetParam(), "veladata.mdb");
    ASSERT_TRUE(a) << a.errorText().toStdString();
    auto b = Database::openServer(test::StorageBackend::testServer().conninfo(), "veladata.mdb");
    ASSERT_TRUE(b) << b.errorText().toStdString();
    const QString add = test::StorageBackend::sql(
        GetParam(), "INSERT INTO VelaData (Sorszám, CegNev) VALUES (?, ?)");
    ASSERT_TRUE((*a)->exec(add, {1, "Alma Bt"}));
    ASSERT_TRUE((*a)->exec(add, {2, "Barack Kft"}));
    RecordSource mine;
    mine.setDatabase(a->get());
    mine.setQuery(Query(schema::velaData()));
    ASSERT_TRUE(mine.refresh());
    ASSERT_TRUE(mine.moveTo(1));
    mine.followOthers(50);

    ASSERT_TRUE((*b)->exec(add, {3, "Citrom Zrt"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return mine.recordCount() == 3; }, 5000));
    EXPECT_EQ(mine.field("CegNev").toString(), "Barack Kft");

    ASSERT_TRUE(mine.setField("CegNev", "Barack és Társa Kft"));
    ASSERT_TRUE((*b)->exec(add, {4, "Dinnye Bt"}));
    QTest::qWait(300);
    EXPECT_EQ(mine.recordCount(), 3);  // the typing waits for its save
    ASSERT_TRUE(mine.update());
    EXPECT_TRUE(QTest::qWaitFor([&] { return mine.recordCount() == 4; }, 5000));
    EXPECT_EQ(mine.field("CegNev").toString(), "Barack és Társa Kft");
    EXPECT_EQ(mine.field("Sorszám").toLongLong(), 2);
}

// What another workstation changes is read row by row, each row at its
// place in the list's order and by its condition; the current row stays.
class FollowRows : public ::testing::TestWithParam<Backend> {};

TEST_P(FollowRows, AFollowingListReadsOnlyTheRowsTheOthersChanged) {
    test::StorageBackend backend;
    auto a = backend.open(GetParam(), "veladata.mdb");
    ASSERT_TRUE(a) << a.errorText().toStdString();
    auto b =
        GetParam() == Backend::Files
            ? Database::open("veladata.mdb")
            : Database::openServer(test::StorageBackend::testServer().conninfo(), "veladata.mdb");
    ASSERT_TRUE(b) << b.errorText().toStdString();
    auto sql = [&](const char* text) { return test::StorageBackend::sql(GetParam(), text); };
    for (int n : {10, 20, 30, 40})
        ASSERT_TRUE((*b)->exec(sql("INSERT INTO VelaData (Sorszám, CegNev, Kivezetés) "
                                   "VALUES (?, 'Alma Bt', 'N')"),
                               {n}));
    RecordSource mine;
    mine.setDatabase(a->get());
    mine.setQuery(
        Query(schema::velaData(), Condition::equals("Kivezetés", "N"), {{"Sorszám", true}}));
    ASSERT_TRUE(mine.refresh());
    ASSERT_EQ(mine.recordCount(), 4);
    ASSERT_TRUE(mine.moveTo(2));  // 20
    mine.followOthers(0);
    const int whole = mine.wholeReads();
    auto numbers = [&] {
        QList<int> out;
        for (int i = 0; i < mine.recordCount(); ++i)
            out << mine.valueAt(i, mine.columnIndex("Sorszám")).toInt();
        return out;
    };
    const struct {
        const char* change;
        QVariantList binds;
        QList<int> shown;
    } steps[] = {
        {"INSERT INTO VelaData (Sorszám, CegNev, Kivezetés) VALUES (25, 'Új Kft', 'N')",
         {},
         {40, 30, 25, 20, 10}},
        {"UPDATE VelaData SET CegNev = 'Körte Kft' WHERE Sorszám = 30", {}, {40, 30, 25, 20, 10}},
        {"UPDATE VelaData SET Sorszám = 45 WHERE Sorszám = 10", {}, {45, 40, 30, 25, 20}},
        {"UPDATE VelaData SET Kivezetés = 'I' WHERE Sorszám = 40", {}, {45, 30, 25, 20}},
        {"DELETE FROM VelaData WHERE Sorszám = 25", {}, {45, 30, 20}},
        {"INSERT INTO VelaData (Sorszám, CegNev, Kivezetés) VALUES (5, 'Rendezett', 'I')",
         {},
         {45, 30, 20}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        ASSERT_TRUE((*b)->exec(sql(step.change), step.binds));
        EXPECT_TRUE(QTest::qWaitFor([&] { return mine.rereadIfOthersWrote(); }, 5000));
        EXPECT_EQ(numbers(), step.shown);
        EXPECT_EQ(mine.field("Sorszám").toInt(), 20);
    }
    EXPECT_EQ(mine.field("CegNev").toString(), "Alma Bt");
    EXPECT_EQ(mine.wholeReads(), whole);
}

INSTANTIATE_TEST_SUITE_P(Backends, FollowRows, ::testing::Values(Backend::Files, Backend::Server),
                         test::backendName);
