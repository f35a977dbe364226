// The ledger's bookings on a data folder: numbering inside the write
// transaction, settling, partial payments, the hand-over, both passes and
// the staging of invoices.
#include <gtest/gtest.h>

#include "ledgercore/ledgerbook.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"

using vela::Database;
using vela::LedgerBook;
using vela::LedgerRow;
namespace schema = vela::schema;

namespace {

const QDateTime kMoment(QDate(2025, 1, 5), QTime(0, 0, 10, 0));

class LedgerBookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto opened = Database::open("veladata.mdb");
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        db = std::move(*opened);
        book = std::make_unique<LedgerBook>(*db, schema::velaData());
        book->setClock([] { return kMoment; });
    }
    QVariant at(const QString& sql) { return db->scalar(sql).value(); }
    qint64 add(const QString& values) {
        EXPECT_TRUE(db->exec("INSERT INTO VelaData " + values));
        return at("SELECT max(rowid) FROM VelaData").toLongLong();
    }

    TempDataFolder folder;
    std::unique_ptr<Database> db;
    std::unique_ptr<LedgerBook> book;
};

}  // namespace

TEST_F(LedgerBookTest, NewRowsAreNumberedFromTheTableAndNeverReuseAnIdentifier) {
    const auto first = book->add(vela::ledger::newRow(QDate(2025, 1, 5)));
    ASSERT_TRUE(first) << first.errorText().toStdString();
    add("(Sorszám, recordID) VALUES (41, 'x')");
    const auto second = book->add(LedgerRow{});
    ASSERT_TRUE(second) << second.errorText().toStdString();
    const auto rows = db->rows("SELECT Sorszám, recordID, Kivezetés FROM VelaData ORDER BY rowid");
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0][0].toLongLong(), 1);
    EXPECT_EQ((*rows)[0][1].toString(), "20251510");
    EXPECT_EQ((*rows)[0][2].toString(), "N");
    EXPECT_EQ((*rows)[2][0].toLongLong(), 42);
    EXPECT_EQ((*rows)[2][1].toString(), "20251510,001");  // the moment's own was taken

    // The record source's insert hook takes the same numbers.
    vela::RecordSource rs;
    rs.setDatabase(db.get());
    rs.setQuery(vela::Query(schema::velaData()));
    rs.setInsertHook(book->insertHook());
    ASSERT_TRUE(rs.refresh());
    ASSERT_TRUE(rs.addNew());
    ASSERT_TRUE(rs.setField("CegNev", "Alfa"));
    ASSERT_TRUE(rs.update());
    EXPECT_TRUE(rs.moveLast());
    EXPECT_EQ(rs.field("Sorszám").toLongLong(), 43);
    EXPECT_EQ(rs.field("recordID").toString(), "20251510,002");
    EXPECT_EQ(at("SELECT CegNev FROM VelaData WHERE Sorszám = 43").toString(), "Alfa");
}

TEST_F(LedgerBookTest, SettleWritesFlagStatementAndDateOrNothing) {
    const qint64 key =
        add("(Sorszám, recordID, Kivezetés, BankiKivonatSzáma, Teljesités) "
            "VALUES (1, 'a', 'N', '0', '2024-01-02')");
    ASSERT_TRUE(book->settle(key, {"K-12/2024", QDate(2024, 5, 6), {}}));
    const auto row = db->rows(
        "SELECT Kivezetés, BankiKivonatSzáma, BankiKiegyenlitésKelte, Teljesités FROM VelaData");
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[0][0].toString(), "I");
    EXPECT_EQ((*row)[0][1].toString(), "K-12/2024");
    EXPECT_EQ((*row)[0][2].toString(), "2024-05-06");
    EXPECT_EQ((*row)[0][3].toString(), "2024-01-02");

    const vela::Status gone = book->settle(key + 100, {});
    EXPECT_FALSE(gone);
    EXPECT_FALSE(gone.errorText().isEmpty());
}

TEST_F(LedgerBookTest, PartialPaymentRowInLedgerAndScratchTable) {
    const qint64 key =
        add("(Sorszám, recordID, Szamlaszam, Netto, AFA, Brutto, FizetésMódja, Kivezetés) "
            "VALUES (12, '20251510', 'SZ-12', 960, 27, 1200, 'átutalás', 'N')");
    const auto booked = book->bookPartialPayment(key, {100.0, "K-7", QDate(2024, 5, 6), {}, {}},
                                                 &schema::velaIdeigl());
    ASSERT_TRUE(booked) << booked.errorText().toStdString();
    EXPECT_EQ(booked->rowId, "20251510,001");
    const auto rows = db->rows(
        "SELECT Sorszám, Részkiegyenlités, RészÖsszeg, RészÖsszegBruttó, FizetésMódja, "
        "BankiKivonatSzáma FROM VelaData WHERE rowid = ?",
        {booked->key});
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 1u);
    const auto& r = (*rows)[0];
    EXPECT_EQ(r[0].toLongLong(), 12);
    EXPECT_EQ(r[1].toInt(), 1);
    EXPECT_EQ(r[2].toDouble(), 100.0);
    EXPECT_EQ(r[3].toDouble(), 127.0);
    EXPECT_TRUE(r[4].isNull());
    EXPECT_EQ(r[5].toString(), "K-7");
    EXPECT_EQ(at("SELECT count(*) FROM VelaIdeigl WHERE RészÖsszegBruttó = 127").toInt(), 1);
    // A base row that is gone books nothing anywhere.
    EXPECT_FALSE(book->bookPartialPayment(key + 100, {}, &schema::velaIdeigl()));
    EXPECT_EQ(at("SELECT count(*) FROM VelaData").toInt(), 2);
    EXPECT_EQ(at("SELECT count(*) FROM VelaIdeigl").toInt(), 1);
}

TEST_F(LedgerBookTest, AJoinedBookWritesInsideTheCallersTransaction) {
    const qint64 key =
        add("(Sorszám, recordID, Szamlaszam, Netto, AFA, Brutto, Kivezetés, Részkiegyenlités) "
            "VALUES (12, '20251510', 'SZ-12', 10000, 27, 12700, 'N', 0)");
    add("(Sorszám, recordID, Brutto, AFA, Kivezetés, Részkiegyenlités, RészÖsszegBruttó) "
        "VALUES (12, 'p1', 12700, 27, 'N', 1, 2700)");
    add("(Sorszám, recordID, Kivezetés, Részkiegyenlités) VALUES (13, 'o', 'N', 0)");
    LedgerBook joined(*db, schema::velaData(), LedgerBook::Transaction::Joined);
    joined.setClock([] { return kMoment; });
    vela::ledger::PartialPayment paid;
    paid.paidGross = 5080.0;
    paid.bankStatement = "238";
    paid.paidOn = QDate(2024, 6, 14);
    paid.performedOn = QDate(2024, 6, 13);

    // Rolled back by the caller: neither booking stays.
    ASSERT_TRUE(db->begin());
    ASSERT_TRUE(joined.bookPartialPayment(key, paid));
    ASSERT_TRUE(joined.settleInvoice(key, {"238", QDate(2024, 6, 14), {}}));
    db->rollback();
    EXPECT_EQ(at("SELECT count(*) FROM VelaData").toInt(), 3);
    EXPECT_EQ(at("SELECT count(*) FROM VelaData WHERE Kivezetés = 'I'").toInt(), 0);

    // Committed by the caller: the paid gross stands as paid, its net beside it;
    // the settled invoice takes its open partial rows with it, not row 13.
    ASSERT_TRUE(db->begin());
    const auto booked = joined.bookPartialPayment(key, paid);
    ASSERT_TRUE(booked) << booked.errorText().toStdString();
    EXPECT_EQ(booked->rowId, "20251510,001");  // the base row's own was taken
    ASSERT_TRUE(joined.settleInvoice(key, {"238", QDate(2024, 6, 14), {}}));
    ASSERT_TRUE(db->commit());
    const auto rows = db->rows(
        "SELECT recordID || '|' || Kivezetés || '|' || ifnull(RészÖsszeg, '') || '|' || "
        "ifnull(RészÖsszegBruttó, '') || '|' || ifnull(Teljesités, '') || '|' || "
        "ifnull(BankiKivonatSzáma, '') FROM VelaData ORDER BY Sorszám, recordID");
    ASSERT_TRUE(rows);
    QStringList got;
    for (const auto& r : *rows) got << r[0].toString();
    EXPECT_EQ(got, QStringList({"20251510|I||||238", "20251510,001|I|4000.0|5080.0|2024-06-13|238",
                                "p1|I||2700.0||", "o|N||||"}));
}

TEST_F(LedgerBookTest, HandOverNumbersOnFromTheHighest) {
    add("(Sorszám, recordID) VALUES (7, 'x')");
    vela::StagedInvoice a;
    a.number = 5;
    a.payment = "átutalás E";
    a.gross = 127.0;
    vela::StagedInvoice b = a;
    b.number = 6;
    b.payment = "készpénz";
    const auto done = book->handOver({a, b}, [](const QDateTime&) { return QString("ID"); });
    ASSERT_TRUE(done) << done.errorText().toStdString();
    EXPECT_EQ(done->written, 2);
    EXPECT_EQ(done->firstSorszam, 8);
    EXPECT_EQ(at("SELECT group_concat(Sorszám || Szamlaszam || Kivezetés, ' ') FROM VelaData "
                 "WHERE recordID = 'ID'")
                  .toString(),
              "85I 96N");
}

// Rows made by another source (an Online Számla import) carry their note;
// inside a transaction the caller opened they are the caller's to keep or undo.
TEST_F(LedgerBookTest, HandOverOfMadeRowsJoinsTheCallersTransaction) {
    add("(Sorszám, recordID) VALUES (3, 'x')");
    const auto rowAt = [](qsizetype i, qint64 sorszam, const QString& rowId, const QDate& today) {
        LedgerRow r;
        r.sorszam = sorszam;
        r.recordId = rowId;
        r.adatfelvetel = today;
        r.szamlaszam = i == 0 ? "2021/000123" : "AAA";
        if (i == 0)
            r.megjegyzes = "NAV-azonosító: T1";
        r.kivezetes = "N";
        return r;
    };
    const auto id = [](const QDateTime&) { return QString("ID"); };
    for (const bool keep : {false, true}) {
        ASSERT_TRUE(db->begin());
        const auto done = book->handOver(2, rowAt, id);
        ASSERT_TRUE(done) << done.errorText().toStdString();
        EXPECT_EQ(done->written, 2);
        EXPECT_EQ(done->firstSorszam, 4);
        EXPECT_TRUE(db->inTransaction());  // left open for its owner
        if (keep)
            ASSERT_TRUE(db->commit());
        else
            db->rollback();
    }
    EXPECT_EQ(at("SELECT group_concat(Sorszám || ' ' || Szamlaszam || ' ' || "
                 "ifnull(Megjegyzés, '-') || ' ' || Adatfelvetel, '; ') FROM VelaData "
                 "WHERE recordID = 'ID'")
                  .toString(),
              "4 2021/000123 NAV-azonosító: T1 2025-01-05; 5 AAA - 2025-01-05");
}

TEST_F(LedgerBookTest, BothPassesWithFixedFigures) {
    for (const char* v :
         {"(Sorszám, recordID, Szamlaszam, RészÖsszeg) VALUES (1, 'a', 'A', 100)",
          "(Sorszám, recordID, Szamlaszam, RészÖsszeg) VALUES (2, 'b', 'a', 50)",
          "(Sorszám, recordID, Szamlaszam, RészÖsszeg) VALUES (3, 'c', 'A', -20)",
          "(Sorszám, recordID, Szamlaszam, RészösszegÖsszesen) VALUES (4, 'd', 'B', 9)",
          "(Sorszám, recordID, Szamlaszam, RészÖsszeg) VALUES (5, 'e', '', 30)"})
        add(v);
    const auto totals = book->writePartialTotals({});
    ASSERT_TRUE(totals) << totals.errorText().toStdString();
    EXPECT_EQ(totals->rows, 4);
    EXPECT_EQ(totals->written, 4);
    EXPECT_EQ(at("SELECT group_concat(ifnull(RészösszegÖsszesen, '-'), ' ') FROM "
                 "(SELECT * FROM VelaData ORDER BY Sorszám)")
                  .toString(),
              "150.0 150.0 150.0 0.0 -");
    EXPECT_EQ(book->writePartialTotals({})->written, 0);  // nothing changes the second time

    const auto checked = book->checkRows(vela::Condition::lessOrEqual("Sorszám", 2), false);
    ASSERT_TRUE(checked) << checked.errorText().toStdString();
    EXPECT_EQ(checked->rows, 2);
    EXPECT_EQ(checked->noRate, 2);  // no VAT rate: only the flag is written
    EXPECT_EQ(at("SELECT group_concat(ifnull(Kivezetés, '') || ifnull(Brutto, '-'), ' ') FROM "
                 "(SELECT * FROM VelaData ORDER BY Sorszám)")
                  .toString(),
              "N- N- - - -");
}

TEST(StagedInvoices, GoByColumnNameAndBadValuesStayEmpty) {
    TempDataFolder folder;
    auto opened = Database::open("LFakturo.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    auto invoice = [](const QVariant& number, const QVariant& issued, const QString& customer) {
        return vela::StagedInvoice{
            number,  customer, "Győr", "Fő utca 1.", "készpénzes", issued, QDate(2024, 3, 9),
            "Tétel", 27.0,     0.0,    "Ft",         100.0,        127.0,  QDate(2024, 3, 1)};
    };
    // An apostrophe, a date text that is no date, a number kept as text.
    const auto report = vela::stageInvoices(
        *db, schema::osszesSzamla(),
        {invoice(qint64(1), QDate(2024, 3, 1), "O'Brien Kft."),
         invoice(qint64(2), "2024.02.30", "Béta"), invoice(QString("3"), "2024-03-05", "Gamma")});
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
    EXPECT_EQ(got[0][3].toString(), "2024-03-01");  // the performance date in Teljesités
    EXPECT_TRUE(got[0][5].isNull());
    EXPECT_TRUE(got[1][2].isNull());  // no such day: left empty, the row still saved
    EXPECT_EQ(got[2][0].toLongLong(), 3);
    EXPECT_EQ(got[2][2].toString(), "2024-03-05");
}

// Each booking leaves its entries in the file's history: the action and the
// column of every entry it added, in order.
TEST_F(LedgerBookTest, EveryBookingLeavesItsHistory) {
    const qint64 key =
        add("(Sorszám, recordID, Szamlaszam, Netto, AFA, Brutto, RészÖsszeg, Kivezetés) VALUES "
            "(1, 'a', 'A', 100, 27, 127, 100, 'N')");
    add("(Sorszám, recordID, Szamlaszam, RészÖsszeg) VALUES (2, 'b', 'A', 50)");
    vela::StagedInvoice staged;
    staged.number = 5;
    staged.payment = "készpénz";
    staged.gross = 127.0;
    const struct {
        const char* what;
        std::function<bool()> run;
        const char* entries;
    } steps[] = {
        {"partial totals", [&] { return book->writePartialTotals({}).ok(); },
         "M:RészösszegÖsszesen M:RészösszegÖsszesen"},
        {"check", [&] { return book->checkRows({}, false).ok(); },
         "M:RészÖsszegBruttó M:Kivezetés"},
        {"duplication",
         [&] {
             return book->bookPartialPayment(key, {20.0, "K-1", QDate(2025, 1, 4), {}, {}}).ok();
         },
         "U"},
        {"settle",
         [&] {
             return book->settle(key, {"12/2025", QDate(2025, 1, 5), {}}).ok();
         },
         "M:Kivezetés M:BankiKivonatSzáma M:BankiKiegyenlitésKelte"},
        {"hand-over",
         [&] {
             return book->handOver({staged}, [](const QDateTime&) { return QString("H"); }).ok();
         },
         "U"},
    };
    for (const auto& step : steps) {
        const qint64 mark = at("SELECT ifnull(max(Kulcs), 0) FROM Valtozasok").toLongLong();
        ASSERT_TRUE(step.run()) << step.what;
        EXPECT_EQ(db->scalar("SELECT group_concat(Muvelet || ifnull(':' || Oszlop, ''), ' ') FROM "
                             "(SELECT * FROM Valtozasok WHERE Kulcs > ?1 AND Tabla = 'VelaData' "
                             "ORDER BY Kulcs)",
                             {mark})
                      ->toString()
                      .toStdString(),
                  step.entries)
            << step.what;
    }
}
