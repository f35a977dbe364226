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

namespace {

// One grouped invoice: number, customer, seat, address, payment, issued, due,
// item, VAT, settled, currency, net, gross, performed.
QVariantList invoice(const QVariant& number, const QVariant& issued, const QString& customer) {
    return {number,  customer, "Győr", "Fő utca 1.", "készpénzes", issued, QDate(2024, 3, 9),
            "Tétel", 27.0,     0.0,    "Ft",         100.0,        127.0,  QDate(2024, 3, 1)};
}

}  // namespace

TEST(BulkWrite, StagedInvoicesGoByPositionAndBadValuesStayEmpty) {
    TempDataFolder folder;
    auto opened = Database::open("LFakturo.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    // An apostrophe, a date text that is no date, a number kept as text.
    const std::vector<QVariantList> rows = {
        invoice(qint64(1), QDate(2024, 3, 1), "O'Brien Kft."),
        invoice(qint64(2), "2024.02.30", "Béta"),
        invoice(QString("3"), "2024-03-05", "Gamma"),
    };
    const auto report = bulk::appendStagedInvoices(*db, schema::osszesSzamla(), rows);
    ASSERT_TRUE(report) << report.errorText().toStdString();
    EXPECT_EQ(report->written, 3);
    EXPECT_EQ(report->badValues, 1);
    EXPECT_EQ(report->failedRows, 0);
    const auto read = db->rows(
        "SELECT Számlaszám, Vevö, Kelt, Teljesités, Bruttó, Mennyiség "
        "FROM OsszesSzamla ORDER BY rowid");
    ASSERT_TRUE(read) << read.errorText().toStdString();
    const auto& got = *read;
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0][1].toString(), "O'Brien Kft.");
    EXPECT_EQ(got[0][2].toString(), "2024-03-01");
    EXPECT_EQ(got[0][3].toString(), "2024-03-01");  // value 13 lands in position 21
    EXPECT_TRUE(got[0][5].isNull());
    EXPECT_TRUE(got[1][2].isNull());  // no such day: left empty, the row still saved
    EXPECT_EQ(got[2][0].toLongLong(), 3);
    EXPECT_EQ(got[2][2].toString(), "2024-03-05");
}

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
