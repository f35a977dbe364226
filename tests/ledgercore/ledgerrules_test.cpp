// The ledger's rules over typed rows, each with fixed figures worked out by hand.
#include <gtest/gtest.h>

#include <QSet>

#include "ledgercore/ledgerrules.h"
#include "ledgercore/stagedinvoice.h"

using vela::LedgerRow;
namespace ledger = vela::ledger;

namespace {

const QDate kDay(2024, 5, 6);

std::optional<double> none() {
    return std::nullopt;
}

}  // namespace

TEST(Numbering, NextSorszamAndFreeRowIds) {
    EXPECT_EQ(ledger::nextSorszam(QVariant()), 1);
    EXPECT_EQ(ledger::nextSorszam(qlonglong(41)), 42);
    EXPECT_EQ(ledger::nextSorszam(41.0), 42);

    const QDateTime early(QDate(2025, 1, 5), QTime(0, 0, 10, 0));
    const QDateTime late(QDate(2024, 3, 7), QTime(12, 34, 56, 520));
    struct Case {
        QDateTime when;
        QSet<QString> taken;
        QString expected;
    };
    const Case cases[] = {
        {early, {}, "20251510"},
        {early, {"20251510"}, "20251510,001"},
        {early, {"20251510", "20251510,001"}, "20251510,002"},
        // Late in the day seven digits tell hundredths: the next that differs.
        {late, {"20243745296,52"}, "20243745296,53"},
        {late, {"20243745296,52", "20243745296,53"}, "20243745296,54"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(
            ledger::freeRowId(c.when, [&](const QString& id) { return c.taken.contains(id); }),
            c.expected);
    }
}

TEST(Amounts, GrossFromNetAndTheSaveRule) {
    EXPECT_EQ(ledger::grossFromNet(100, 10), 110.0);  // not 110.00000000000001
    EXPECT_EQ(ledger::grossFromNet(1000, 27), 1270.0);
    EXPECT_EQ(ledger::grossFromNet(-500, 27), -635.0);
    EXPECT_EQ(ledger::grossFromNet(80, 5), 84.0);

    struct Case {
        const char* name;
        std::optional<double> net, rate, partial, gross, partialGross;
        QString payment, flag;
        std::optional<double> wantGross, wantPartialGross;
        QString wantFlag;
    };
    const Case cases[] = {
        {"both positive", 100.0, 27.0, 50.0, 0.0, none(), "átutalás", "N", 127.0, 63.5, "N"},
        {"no rate counts 0 %", 0.0, none(), 200.0, 55.0, none(), "", "N", 55.0, 200.0, "N"},
        {"negative net keeps gross", -100.0, 27.0, none(), -127.0, none(), "", "N", -127.0, none(),
         "N"},
        {"settled transfer", 10.0, 0.0, none(), 3.0, none(), "átutalás E", "N", 10.0, none(), "I"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LedgerRow row;
        row.netto = c.net;
        row.afa = c.rate;
        row.reszOsszeg = c.partial;
        row.brutto = c.gross;
        row.reszOsszegBrutto = c.partialGross;
        row.fizetesModja = c.payment;
        row.kivezetes = c.flag;
        ledger::applySaveAmounts(row);
        EXPECT_EQ(row.brutto, c.wantGross);
        EXPECT_EQ(row.reszOsszegBrutto, c.wantPartialGross);
        EXPECT_EQ(row.kivezetes, c.wantFlag);
    }

    LedgerRow saved;
    saved.kivezetes = "";
    saved.devizanem = "eur";
    ledger::tidySaved(saved);
    EXPECT_EQ(saved.kivezetes, "N");
    EXPECT_EQ(saved.devizanem, "EUR");
    saved.kivezetes = "i";
    ledger::tidySaved(saved);
    EXPECT_EQ(saved.kivezetes, "I");
}

TEST(NewRow, DefaultsOfTheWindowsNewRow) {
    const LedgerRow r = ledger::newRow(kDay);
    EXPECT_FALSE(r.sorszam);
    EXPECT_TRUE(r.recordId.isNull());
    EXPECT_EQ(r.netto, 0.0);
    EXPECT_EQ(r.afa, 0.0);
    EXPECT_EQ(r.brutto, 0.0);
    EXPECT_EQ(r.bankiKivonatSzama, "0");
    EXPECT_EQ(r.kivezetes, "N");
    for (const QDate& d :
         {r.datumtol, r.datumig, r.adatfelvetel, r.teljesites, r.bankiKiegyenlitesKelte})
        EXPECT_EQ(d, kDay);
    EXPECT_FALSE(r.reszOsszeg);
}

TEST(SettledFlag, OnlyIOrNOrEmptyInCapitals) {
    struct Case {
        QVariant in;
        bool accepted;
        QVariant out;
    };
    const Case cases[] = {
        {QVariant(), true, QVariant()},
        {"i", true, "I"},
        {"n", true, "N"},
        {"", true, ""},
        {"x", false, "X"},
        {"IN", false, "IN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.toString().toStdString());
        QVariant v = c.in;
        EXPECT_EQ(ledger::settledFlagRule(v), c.accepted);
        EXPECT_EQ(v, c.out);
    }
    EXPECT_EQ(ledger::flagForPayment("átutalás E"), "I");
    EXPECT_EQ(ledger::flagForPayment("átutalás"), "N");
    EXPECT_EQ(ledger::flagForPayment(""), "N");
}

TEST(Settle, FlagAndWhatTheSettlementNames) {
    LedgerRow row;
    row.kivezetes = "N";
    row.bankiKivonatSzama = "0";
    row.teljesites = QDate(2024, 1, 2);
    LedgerRow flagOnly = row;
    ledger::settle(flagOnly, {});
    EXPECT_EQ(flagOnly.kivezetes, "I");
    EXPECT_EQ(flagOnly.bankiKivonatSzama, "0");
    EXPECT_FALSE(flagOnly.bankiKiegyenlitesKelte.isValid());

    ledger::settle(row, {"K-12/2024", kDay, {}});
    EXPECT_EQ(row.kivezetes, "I");
    EXPECT_EQ(row.bankiKivonatSzama, "K-12/2024");
    EXPECT_EQ(row.bankiKiegyenlitesKelte, kDay);
    EXPECT_EQ(row.teljesites, QDate(2024, 1, 2));
}

TEST(PartialPayment, TheCopyAndItsAmounts) {
    LedgerRow base;
    base.sorszam = 12;
    base.szamlaszam = "SZ-12";
    base.netto = 960.0;
    base.afa = 27.0;
    base.brutto = 1200.0;
    base.fizetesModja = "átutalás";
    base.reszosszegOsszesen = 5.0;
    base.teljesites = kDay;
    base.reszOsszegBrutto = 3.0;
    base.figyelem = true;
    base.recordId = "202412";

    const LedgerRow copy = ledger::partialPaymentRow(base, {}, "új");
    EXPECT_EQ(copy.sorszam, 12);
    EXPECT_EQ(copy.szamlaszam, "SZ-12");
    EXPECT_EQ(copy.brutto, 1200.0);
    EXPECT_TRUE(copy.figyelem);
    EXPECT_TRUE(copy.reszkiegyenlites);
    EXPECT_EQ(copy.recordId, "új");
    // Payment method, partial total, performance and partial gross start empty.
    EXPECT_TRUE(copy.fizetesModja.isNull());
    EXPECT_FALSE(copy.reszosszegOsszesen);
    EXPECT_FALSE(copy.teljesites.isValid());
    EXPECT_FALSE(copy.reszOsszegBrutto);

    const LedgerRow paid = ledger::partialPaymentRow(base, {100.0, "K-7", kDay, {}, {}}, "új2");
    EXPECT_EQ(paid.reszOsszeg, 100.0);
    EXPECT_EQ(paid.reszOsszegBrutto, 127.0);
    EXPECT_EQ(paid.bankiKivonatSzama, "K-7");
    EXPECT_EQ(paid.bankiKiegyenlitesKelte, kDay);
}

TEST(OpenInvoice, UnsettledRowsThatAreNoPartialPayment) {
    const struct {
        const char* flag;
        bool partial;
        bool open;
    } cases[] = {{"N", false, true},  {"n", false, true},  {"", false, true},
                 {"I", false, false}, {"i", false, false}, {"N", true, false}};
    for (const auto& c : cases) {
        LedgerRow r;
        r.kivezetes = QString::fromUtf8(c.flag);
        r.reszkiegyenlites = c.partial;
        EXPECT_EQ(ledger::isOpenInvoice(r), c.open) << c.flag << c.partial;
    }
}

TEST(Passes, CheckRowAndPartialTotal) {
    struct Case {
        const char* name;
        QString flag, payment;
        std::optional<double> rate, net, partial, gross, partialGross;
        bool onlyPositive;
        QString wantFlag;
        std::optional<double> wantGross, wantPartialGross;
        bool wantNoRate;
    };
    const Case cases[] = {
        {"empty flag, missing partial", "", "készpénz", 27.0, 100.0, none(), 0.0, none(), false,
         "N", 127.0, 0.0, false},
        {"settled transfer", "N", "átutalás E", 10.0, 100.0, 50.0, 1.0, 1.0, false, "I", 110.0,
         55.0, false},
        {"no rate", "I", "x", none(), 100.0, 50.0, 7.0, 8.0, false, "I", 7.0, 8.0, true},
        {"only positive: negative kept", "N", "x", 27.0, -100.0, 0.0, -5.0, 9.0, true, "N", -5.0,
         9.0, false},
        {"only positive: positive", "N", "x", 27.0, 200.0, 10.0, 0.0, 0.0, true, "N", 254.0, 12.7,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LedgerRow row;
        row.kivezetes = c.flag;
        row.fizetesModja = c.payment;
        row.afa = c.rate;
        row.netto = c.net;
        row.reszOsszeg = c.partial;
        row.brutto = c.gross;
        row.reszOsszegBrutto = c.partialGross;
        EXPECT_EQ(ledger::checkRow(row, c.onlyPositive).noRate, c.wantNoRate);
        EXPECT_EQ(row.kivezetes, c.wantFlag);
        EXPECT_EQ(row.brutto, c.wantGross);
        EXPECT_EQ(row.reszOsszegBrutto, c.wantPartialGross);
    }

    const QHash<QString, double> sums{{"a-ő", 150.0}};
    LedgerRow row;
    EXPECT_FALSE(ledger::partialTotalFor(row, sums));
    row.szamlaszam = "A-Ő";
    EXPECT_EQ(ledger::partialTotalFor(row, sums), 150.0);
    row.szamlaszam = "B";
    EXPECT_EQ(ledger::partialTotalFor(row, sums), 0.0);
}

TEST(Outstanding, FigureAndText) {
    EXPECT_EQ(ledger::outstanding(4600.0, QVariant()), 4600.0);
    EXPECT_EQ(ledger::outstanding(QVariant(), QVariant()), 0.0);
    EXPECT_EQ(ledger::outstanding(1000.5, 200.25), 800.25);
    EXPECT_EQ(ledger::outstandingText(4600), "4600.-");
    EXPECT_EQ(ledger::outstandingText(800.25), "800,25.-");
    EXPECT_EQ(ledger::outstandingText(-12), "-12.-");
    EXPECT_EQ(ledger::outstandingText(0), "0.-");

    // The print's rows: open 1000 counts, open with partial gross 250 counts
    // it less, settled and lower-case rows count nothing.
    ledger::OutstandingTally tally;
    tally.add("N", 1000.0, QVariant());
    tally.add("N", 5000.0, 250.0);
    tally.add("I", 700.0, QVariant());
    tally.add("n", 300.0, QVariant());
    tally.add("N", QVariant(), 0.0);
    EXPECT_EQ(tally.figure(), 750.0);
}

TEST(LedgerRowValues, ByColumnNameBothWays) {
    EXPECT_EQ(LedgerRow::columns().size(), 25);
    EXPECT_EQ(LedgerRow::columns().value(24), "RészÖsszegBruttó");
    const LedgerRow r = LedgerRow::fromValues({{"Sorszám", 7.0},
                                               {"Kivezetés", "N"},
                                               {"Datumig", "2024-05-06"},
                                               {"FIGYELEM", 1},
                                               {"Netto", QVariant()},
                                               {"Nincs", 1}});
    EXPECT_EQ(r.sorszam, 7);
    EXPECT_EQ(r.kivezetes, "N");
    EXPECT_EQ(r.datumig, kDay);
    EXPECT_TRUE(r.figyelem);
    EXPECT_FALSE(r.netto);
    LedgerRow changed = r;
    changed.netto = 5.0;
    changed.kivezetes = "I";
    const auto diff = changed.changedFrom(r);
    EXPECT_EQ(diff.size(), 2);
    EXPECT_EQ(diff.value("Netto").toDouble(), 5.0);
    EXPECT_EQ(diff.value("Kivezetés").toString(), "I");
    EXPECT_TRUE(r.values().value("CegNev").isNull());
}

TEST(StagedInvoiceRow, TheOpenLedgerRowItBecomes) {
    vela::StagedInvoice s;
    s.number = 1001.0;
    s.customer = "Béta Kft.";
    s.seat = "Győr";
    s.address = "Fő u. 1.";
    s.payment = "átutalás E";
    s.issued = QDate(2024, 3, 1);
    s.due = "2024.02.30";  // no such day
    s.item = "Tétel";
    s.vat = 27.0;
    s.settled = 10.0;
    s.currency = "Ft";
    s.net = "nem szám";
    s.gross = 127.0;
    s.performed = QDate(2024, 3, 2);
    const LedgerRow r = s.toLedgerRow(8, "ID", kDay);
    EXPECT_EQ(r.sorszam, 8);
    EXPECT_EQ(r.szamlaszam, "1001");
    EXPECT_EQ(r.cegCim, "Győr Fő u. 1.");
    EXPECT_EQ(r.kivezetes, "I");
    EXPECT_EQ(r.datumtol, QDate(2024, 3, 1));
    EXPECT_FALSE(r.datumig.isValid());
    EXPECT_EQ(r.teljesites, QDate(2024, 3, 2));
    EXPECT_EQ(r.adatfelvetel, kDay);
    EXPECT_EQ(r.netto, 0.0);
    EXPECT_EQ(r.reszOsszeg, 10.0);
    EXPECT_EQ(r.recordId, "ID");
    s.payment = "készpénz";
    EXPECT_EQ(s.toLedgerRow(1, "x", kDay).kivezetes, "N");
}
