// Bulk appends: values converted and bound, bad values and rows counted,
// one transaction that keeps what was written.
#include <gtest/gtest.h>

#include <QDate>

#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "tempdatafolder.h"

using vela::BulkInsert;
using vela::Database;
namespace schema = vela::schema;
namespace bulk = vela::bulk;

TEST(BulkWrite, RefusedRowStopsNothingButIsNotWrittenAndTheRestIsCommitted) {
    TempDataFolder folder;
    auto opened = Database::open("veladata.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    {
        BulkInsert insert(*db, schema::velanakData(), {"Sorszám", "recordID", "CegNev"});
        const vela::Status begun = insert.begin();
        ASSERT_TRUE(begun) << begun.errorText().toStdString();
        EXPECT_TRUE(insert.append({qint64(1), "a", "Alfa"}));
        const vela::Status tooLong = insert.append({qint64(2), "b", QString(300, 'x')});
        EXPECT_FALSE(tooLong);
        EXPECT_TRUE(tooLong.errorText().contains("CegNev")) << tooLong.errorText().toStdString();
        EXPECT_FALSE(insert.append({"nem szám", "c", "Gamma"}));
        EXPECT_TRUE(insert.append({qint64(4), "d", "Delta"}));
        EXPECT_TRUE(insert.finish());
        EXPECT_EQ(insert.written(), 2);
    }
    EXPECT_EQ(db->scalar("SELECT group_concat(Sorszám) FROM VelanakData")->toString(), "1,4");
    const auto highest = bulk::highestValue(*db, schema::velanakData(), "Sorszám");
    ASSERT_TRUE(highest) << highest.errorText().toStdString();
    EXPECT_EQ(highest->toLongLong(), 4);

    // An unknown column: nothing starts, no transaction is left open.
    BulkInsert bad(*db, schema::velanakData(), {"Nincs"});
    const vela::Status refused = bad.begin();
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().contains("Nincs")) << refused.errorText().toStdString();
    EXPECT_TRUE(db->exec("INSERT INTO VelanakData (Sorszám, recordID) VALUES (5, 'e')"));
}

TEST(BulkWrite, InvoiceNumbersTheLedgerHoldsAreCountedOverAQuery) {
    TempDataFolder folder;
    auto ledgerOpened = Database::open("veladata.mdb");
    auto stagingOpened = Database::open("LFakturo.mdb");
    ASSERT_TRUE(ledgerOpened && stagingOpened);
    auto& ledger = *ledgerOpened;
    auto& staging = *stagingOpened;
    ASSERT_TRUE(
        ledger->exec("INSERT INTO VelanakData (Sorszám, recordID, Szamlaszam) VALUES "
                     "(1, 'a', ' 10 '), (2, 'b', '11'), (3, 'c', NULL), (4, 'd', 'X-1')"));
    ASSERT_TRUE(staging->exec(
        "INSERT INTO OsszesSzamla (Számlaszám, FizMód) VALUES "
        "(10, 'készpénzes'), (10, 'átutalás'), (11, 'készpénzes'), (12, 'készpénzes')"));
    const auto distinct = bulk::distinctTexts(*ledger, schema::velanakData(), "Szamlaszam");
    ASSERT_TRUE(distinct) << distinct.errorText().toStdString();
    const QSet<QString>& held = *distinct;
    EXPECT_EQ(held, (QSet<QString>{"10", "11", "X-1"}));
    auto count = [&](const vela::Query& query, const QSet<QString>& texts) {
        const auto n = bulk::countIn(*staging, query, "Számlaszám", texts);
        EXPECT_TRUE(n) << n.errorText().toStdString();
        return n ? *n : -1;
    };
    EXPECT_EQ(count(vela::Query(schema::osszesSzamla()), held), 3);
    EXPECT_EQ(
        count(vela::Query(schema::osszesSzamla(), vela::Condition::equals("FizMód", "készpénzes")),
              held),
        2);
    EXPECT_EQ(count(vela::Query(schema::osszesSzamla()), {}), 0);
}
