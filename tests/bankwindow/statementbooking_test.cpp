// Booking confirmed transactions: what each kind writes, the same statement
// twice, and a booking that a refused row stops half-way.
#include "bankwindow/statementbooking.h"
#include "bankfixture.h"

using vela::BankAmount;
using vela::BookingOrder;
using vela::OpenLedger;

namespace {

BankAmount ft(qint64 forints) {
    return BankAmount::fromUnits(forints * BankAmount::kScale);
}

vela::StatementEntry entry(const QString& ref, bool credit, qint64 forints) {
    vela::StatementEntry e;
    e.entryReference = ref;
    e.credit = credit;
    e.amount = e.entryAmount = ft(forints);
    e.currency = QStringLiteral("HUF");
    e.status = QStringLiteral("BOOK");
    e.bookingDate = QDate(2024, 6, 14);
    e.valueDate = QDate(2024, 6, 13);
    return e;
}

struct BookingTest : BankFixture {
    void SetUp() override {
        BankFixture::SetUp();
        a = addRow("VelanakData", 1, "SZ-1", "Alfa Kft.", 12700, 27);
        b = addRow("VelanakData", 2, "SZ-2", "Béta Bt.", 25400, 27);
        c = addRow("VelanakData", 3, "SZ-3", "Béta Bt.", 5000, 0);
        f = addRow("VelanakData", 5, "SZ-5", "Béta Bt.", 3000, 0);
        d = addRow("VelanakData", 4, "SZ-4", "Gamma Zrt.", 10000, 27);
        // An earlier part payment of 4000 on SZ-4.
        const vela::Status s = db().exec(
            "INSERT INTO VelanakData (Sorszám, Szamlaszam, CegNev, Brutto, AFA, Devizanem, "
            "Kivezetés, recordID, Részkiegyenlités, RészÖsszeg, RészÖsszegBruttó) VALUES "
            "(4, 'SZ-4', 'Gamma Zrt.', 10000, 27, 'Ft', 'N', '20246104r', 1, 3149.6, 4000)");
        ASSERT_TRUE(s) << s.errorText().toStdString();
        dPart = scalar("SELECT last_insert_rowid()").toLongLong();
        e = addRow("VelaData", 1, "B-77", "Szállító Zrt.", 63500, 27);

        st.id = "ST-1";
        st.legalSequence = "238";
        st.entries = {entry("E1", true, 12700), entry("E2", true, 10160), entry("E3", true, 8000),
                      entry("E4", true, 6000), entry("E5", false, 63500)};
        const auto R = OpenLedger::Receivables;
        orders = {{&st.entries[0], {{R, a, ft(12700), true}}},
                  {&st.entries[1], {{R, b, ft(10160), false}}},
                  {&st.entries[2], {{R, c, ft(5000), true}, {R, f, ft(3000), true}}},
                  {&st.entries[3], {{R, d, ft(6000), true}}},
                  {&st.entries[4], {{OpenLedger::Payables, e, ft(63500), true}}}};
    }

    vela::Result<vela::BookingOutcome> book() {
        vela::StatementBooking booking(db());
        booking.setClock([] { return QDateTime(QDate(2024, 6, 15), QTime(10, 30, 0)); });
        return booking.book(st, orders, QDate(2024, 6, 15));
    }

    // Kivezetés, BankiKivonatSzáma, BankiKiegyenlitésKelte, Teljesités of a row.
    QString state(const QString& table, qint64 rowid) {
        return scalar(QStringLiteral("SELECT Kivezetés || '|' || IFNULL(BankiKivonatSzáma, '') || "
                                     "'|' || IFNULL(BankiKiegyenlitésKelte, '') || '|' || "
                                     "IFNULL(Teljesités, '') FROM %1 WHERE rowid = ?1")
                          .arg(table),
                      {rowid})
            .toString();
    }
    int count(const QString& sql) { return scalar(sql).toInt(); }

    qint64 a = 0, b = 0, c = 0, d = 0, dPart = 0, e = 0, f = 0;
    vela::BankStatement st;
    std::vector<BookingOrder> orders;
};

const QString kOpen = "N|||";
const QString kSettled = "I|238|2024-06-14|2024-06-13";

}  // namespace

TEST_F(BookingTest, EachKindWritesWhatTheLedgerWindowWould) {
    const auto done = book();
    ASSERT_TRUE(done) << done.errorText().toStdString();
    EXPECT_EQ(done->booked, 5);
    EXPECT_EQ(done->settledRows, 5);
    EXPECT_EQ(done->partRows, 1);
    EXPECT_EQ(done->alreadyBooked, 0);

    const struct {
        const char* what;
        const char* table;
        qint64 rowid;
        QString expected;
    } rows[] = {
        {"whole payment by itself", "VelanakData", a, kSettled},
        {"part payment leaves the base row open", "VelanakData", b, kOpen},
        {"several invoices: the first", "VelanakData", c, kSettled},
        {"several invoices: the second", "VelanakData", f, kSettled},
        {"the rest after a part payment", "VelanakData", d, kSettled},
        {"the earlier part-payment row goes out with its invoice", "VelanakData", dPart, "I|||"},
        {"a payables invoice paid by a debit", "VelaData", e, kSettled},
    };
    for (const auto& r : rows) EXPECT_EQ(state(r.table, r.rowid), r.expected) << r.what;

    // The part payment: the duplication's row with the paid gross and its net.
    const auto part = db().rows(
        "SELECT Sorszám, Szamlaszam, CegNev, Brutto, Kivezetés, RészÖsszeg, RészÖsszegBruttó, "
        "BankiKivonatSzáma, BankiKiegyenlitésKelte, Teljesités, recordID, FizetésMódja FROM "
        "VelanakData WHERE Részkiegyenlités = 1 AND Sorszám = 2");
    ASSERT_TRUE(part);
    ASSERT_EQ(part->size(), 1u);
    const auto& p = part->front();
    EXPECT_EQ(p[0].toInt(), 2);
    EXPECT_EQ(p[1].toString(), "SZ-2");
    EXPECT_EQ(p[2].toString(), "Béta Bt.");
    EXPECT_DOUBLE_EQ(p[3].toDouble(), 25400);
    EXPECT_EQ(p[4].toString(), "N");
    EXPECT_NEAR(p[5].toDouble(), 8000, 1e-9);
    EXPECT_DOUBLE_EQ(p[6].toDouble(), 10160);
    EXPECT_EQ(p[7].toString(), "238");
    EXPECT_EQ(p[8].toString(), "2024-06-14");
    EXPECT_EQ(p[9].toString(), "2024-06-13");
    EXPECT_EQ(p[10].toString(), "202461537800");
    EXPECT_TRUE(p[11].isNull());

    // The record of what each transaction settled.
    EXPECT_EQ(count("SELECT count(*) FROM BankiTetel WHERE KivonatAzonosito = 'ST-1'"), 6);
    EXPECT_EQ(scalar("SELECT group_concat(TetelHivatkozas || ':' || Sorszám || ':' || Osszeg || "
                     "':' || Teljes, ' ') FROM (SELECT * FROM BankiTetel ORDER BY rowid)")
                  .toString(),
              "E1:1:12700.0:1 E2:2:10160.0:0 E3:3:5000.0:1 E3:5:3000.0:1 E4:4:6000.0:1 "
              "E5:1:63500.0:1");
}

TEST_F(BookingTest, TheSameStatementTwiceBooksNothingTheSecondTime) {
    ASSERT_TRUE(book());
    const int ledgerRows = count("SELECT count(*) FROM VelanakData");
    const auto again = book();
    ASSERT_TRUE(again) << again.errorText().toStdString();
    EXPECT_EQ(again->booked, 0);
    EXPECT_EQ(again->alreadyBooked, 5);
    EXPECT_EQ(count("SELECT count(*) FROM VelanakData"), ledgerRows);
    EXPECT_EQ(count("SELECT count(*) FROM BankiTetel"), 6);
}

TEST_F(BookingTest, ARowRefusedHalfWayBooksNothing) {
    // SZ-5 is the fourth row written; a trigger stands for a row that cannot be written.
    ASSERT_TRUE(
        db().exec("CREATE TRIGGER refuse BEFORE UPDATE ON VelanakData WHEN "
                  "OLD.Szamlaszam = 'SZ-5' BEGIN SELECT RAISE(ABORT, 'zárolt sor'); END"));
    const auto done = book();
    ASSERT_FALSE(done);
    EXPECT_TRUE(done.errorText().contains("zárolt sor")) << done.errorText().toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM VelanakData WHERE Kivezetés = 'I'"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM VelanakData WHERE Részkiegyenlités = 1"), 1);
    EXPECT_EQ(state("VelanakData", a), kOpen);
    EXPECT_EQ(count("SELECT count(*) FROM BankiTetel"), 0);
}

TEST_F(BookingTest, WithoutALegalSequenceTheStatementIdIsItsNumber) {
    st.legalSequence.clear();
    orders.resize(1);
    ASSERT_TRUE(book());
    EXPECT_EQ(state("VelanakData", a), "I|ST-1|2024-06-14|2024-06-13");
}

TEST_F(BookingTest, ABookingLeavesItsHistory) {
    const qint64 mark = scalar("SELECT max(Kulcs) FROM Valtozasok").toLongLong();
    ASSERT_TRUE(book());
    // Per table: the settled invoices' flags and the part payment's new row.
    EXPECT_EQ(scalar("SELECT group_concat(Tabla || ':' || Muvelet || ':' || n, ' ') FROM (SELECT "
                     "Tabla, Muvelet, count(*) AS n FROM Valtozasok WHERE Kulcs > ?1 AND "
                     "(Muvelet = 'U' OR Oszlop = 'Kivezetés') GROUP BY Tabla, Muvelet "
                     "ORDER BY Tabla, Muvelet)",
                     {mark})
                  .toString(),
              "VelaData:M:1 VelanakData:M:5 VelanakData:U:1");
    EXPECT_EQ(scalar("SELECT ifnull(Regi, '-') || '>' || Uj FROM Valtozasok WHERE Kulcs > ?1 AND "
                     "SorKulcs = ?2 "
                     "AND Tabla = 'VelaData' AND Oszlop = 'BankiKivonatSzáma'",
                     {mark, e})
                  .toString(),
              "->238");
}
