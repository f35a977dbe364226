#include <QAction>
#include <QVariantMap>

#include "ledgerfixture.h"

using vela::LedgerKind;
using Icon = vela::DialogService::Icon;

class LedgerPartialTest : public LedgerFixture {
  protected:
    // Inserts a row with the given columns.
    void add(const QString& table, const QVariantMap& row) {
        QStringList cols, marks;
        QVariantList values;
        for (auto it = row.begin(); it != row.end(); ++it) {
            cols << '"' + it.key() + '"';
            marks << "?";
            values << it.value();
        }
        ASSERT_TRUE(exec(
            QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(","), marks.join(",")),
            values));
    }
    QVariant value(const QString& table, const QString& column, const QString& recordId) {
        return *scalar(QString("SELECT \"%1\" FROM %2 WHERE recordID = ?").arg(column, table),
                       {recordId});
    }
    void trigger(const char* item) {
        QAction* a = window->menuItem(item);
        ASSERT_TRUE(a && a->isEnabled()) << item;
        a->trigger();
    }
};

TEST_F(LedgerPartialTest, DuplicatingRow12MakesAPartialCopyAndStandsOnTheFirst12) {
    for (const QString table : {"VelaData", "VelanakData"}) {
        SCOPED_TRACE(table.toStdString());
        window.reset();
        EXPECT_TRUE(exec("DELETE FROM " + table));
        for (int n : {10, 11, 12, 13})
            add(table, {{"Sorszám", n},
                        {"recordID", QString("2024%1").arg(n)},
                        {"Szamlaszam", QString("SZ-%1").arg(n)},
                        {"Brutto", n * 100.0},
                        {"Netto", n * 80.0},
                        {"Kivezetés", "N"},
                        {"FizetésMódja", "átutalás"},
                        {"RészösszegÖsszesen", 5.0},
                        {"FIGYELEM", n == 12}});
        open(table == "VelaData" ? LedgerKind::Payables : LedgerKind::Receivables);
        trigger("Figyelemek");
        window->menuItem("Atutal")->setChecked(true);  // as if left over
        EXPECT_TRUE(window->rows().findFirst(vela::Condition::equals("Sorszám", 12)));
        trigger("RekordDupla");

        EXPECT_EQ(count(table), 5);
        const QString newId = window->lastRowId();
        EXPECT_NE(newId, "202412");
        EXPECT_EQ(value(table, "Sorszám", newId).toInt(), 12);
        EXPECT_EQ(value(table, "Részkiegyenlités", newId).toInt(), 1);
        EXPECT_EQ(value(table, "Brutto", newId).toDouble(), 1200.0);
        EXPECT_EQ(value(table, "Szamlaszam", newId).toString(), "SZ-12");
        EXPECT_EQ(value(table, "FIGYELEM", newId).toInt(), 1);
        // Positions 21 to 24 start empty.
        EXPECT_TRUE(value(table, "FizetésMódja", newId).isNull());
        EXPECT_TRUE(value(table, "RészösszegÖsszesen", newId).isNull());
        EXPECT_EQ(value(table, "Részkiegyenlités", "202412").toInt(), 0);
        // All rows, the first row 12 (the base row sorts first) current.
        EXPECT_EQ(window->rows().recordCount(), 5);
        EXPECT_EQ(field("recordID").toString(), "202412");
        EXPECT_TRUE(window->menuItem("SzurKi")->isChecked());
        EXPECT_FALSE(window->menuItem("Atutal")->isChecked());
        EXPECT_EQ(count("VelaIdeigl"), 1);
        EXPECT_EQ(label27(), "4600.-");  // the copy is a partial row: not in the gross
        EXPECT_TRUE(dialogs.shown.isEmpty());
    }
}

TEST_F(LedgerPartialTest, DuplicatingInAnEmptyLedgerOrAfterTheLastRowDoesNothing) {
    open();
    trigger("RekordDupla");
    EXPECT_EQ(count("VelaData"), 0);
    EXPECT_EQ(count("VelaIdeigl"), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    window.reset();
    add("VelaData", {{"Sorszám", 1}, {"recordID", "a"}, {"Brutto", 10.0}});
    open();
    EXPECT_TRUE(window->rows().moveLast());
    EXPECT_TRUE(window->rows().moveNext());  // after the last row
    trigger("RekordDupla");
    EXPECT_EQ(count("VelaData"), 1);
}

TEST_F(LedgerPartialTest, PartialTotalsPerInvoiceOverTheWholeTableWrittenOnShownRows) {
    const QString t = "VelanakData";
    auto row = [&](int n, const QVariant& invoice, double partial, const QString& method,
                   double before = 0) {
        add(t, {{"Sorszám", n},
                {"recordID", QString("r%1").arg(n)},
                {"Szamlaszam", invoice},
                {"RészÖsszeg", partial},
                {"FizetésMódja", method},
                {"RészösszegÖsszesen", before}});
    };
    row(1, "INV-1", 100, "átutalás");
    row(2, "INV-1", 250, "átutalás");
    row(3, "INV-1", 0, "átutalás");
    row(4, "INV-1", -40, "nyugta");  // not shown under "Átutalások", not summed
    row(5, QVariant(), 60, "átutalás", 77);
    row(6, "O'Hara 1", 30, "átutalás");
    row(7, "INV-2", 10, "nyugta", 99);
    open(LedgerKind::Receivables);
    trigger("Atutal");
    EXPECT_TRUE(window->rows().moveTo(2));
    trigger("ReszosszegSzam");
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r1").toDouble(), 350);
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r2").toDouble(), 350);
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r3").toDouble(), 350);
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r4").toDouble(), 0);   // not shown
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r5").toDouble(), 77);  // no invoice number
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r6").toDouble(), 30);
    EXPECT_EQ(value(t, "RészösszegÖsszesen", "r7").toDouble(), 99);  // not shown
    // The receivables window returns to its row, the filter stays.
    EXPECT_EQ(window->rows().recordCount(), 5);
    EXPECT_EQ(window->rows().position(), 2);
    EXPECT_EQ(text("Text18")->text(), "350");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // The payables window ends on its last row.
    window.reset();
    add("VelaData", {{"Sorszám", 1}, {"recordID", "p1"}, {"Szamlaszam", "X"}, {"RészÖsszeg", 5.0}});
    add("VelaData", {{"Sorszám", 2}, {"recordID", "p2"}, {"Szamlaszam", "X"}, {"RészÖsszeg", 6.0}});
    open();
    EXPECT_TRUE(window->rows().moveFirst());
    trigger("ReszosszegSzam");
    EXPECT_EQ(window->rows().position(), 1);
    EXPECT_EQ(value("VelaData", "RészösszegÖsszesen", "p1").toDouble(), 11);
}

TEST_F(LedgerPartialTest, CheckPassFlagsAndGrossValuesByKind) {
    for (const QString table : {"VelaData", "VelanakData"}) {
        SCOPED_TRACE(table.toStdString());
        window.reset();
        add(table, {{"Sorszám", 1},
                    {"recordID", "c1"},
                    {"Netto", 1000.0},
                    {"AFA", 27.0},
                    {"Brutto", 5.0},
                    {"RészÖsszeg", 100.0},
                    {"Kivezetés", QVariant()}});
        add(table, {{"Sorszám", 2},
                    {"recordID", "c2"},
                    {"Netto", 0.0},
                    {"AFA", 27.0},
                    {"Brutto", 500.0},
                    {"Kivezetés", ""},
                    {"RészÖsszegBruttó", 9.0}});
        add(table, {{"Sorszám", 3},
                    {"recordID", "c3"},
                    {"Netto", 200.0},
                    {"AFA", 5.0},
                    {"Brutto", 1.0},
                    {"Kivezetés", "N"},
                    {"FizetésMódja", "átutalás E"}});
        add(table, {{"Sorszám", 4},
                    {"recordID", "c4"},
                    {"Netto", 300.0},
                    {"Brutto", 2.0},
                    {"Kivezetés", "I"}});  // no VAT rate
        const bool payables = table == "VelaData";
        open(payables ? LedgerKind::Payables : LedgerKind::Receivables);
        dialogs.clear();
        trigger("Ellenorzes");

        EXPECT_EQ(value(table, "Brutto", "c1").toDouble(), 1270);
        EXPECT_EQ(value(table, "RészÖsszegBruttó", "c1").toDouble(), 127);
        EXPECT_EQ(value(table, "Kivezetés", "c1").toString(), "N");
        EXPECT_EQ(value(table, "Kivezetés", "c2").toString(), "N");
        // Netto 0: payables write 0, receivables keep the amount.
        EXPECT_EQ(value(table, "Brutto", "c2").toDouble(), payables ? 0 : 500);
        EXPECT_EQ(value(table, "RészÖsszegBruttó", "c2").toDouble(), payables ? 0 : 9);
        EXPECT_EQ(value(table, "Kivezetés", "c3").toString(), "I");
        EXPECT_EQ(value(table, "Brutto", "c3").toDouble(), 210);
        EXPECT_EQ(value(table, "Brutto", "c4").toDouble(), 2);
        EXPECT_EQ(window->rows().position(), 3);  // the last row
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].text,
                  "1 adatsor bruttó összegei nem változtak, mert az ÁFA mezőjük üres.");
        EXPECT_EQ(dialogs.shown[0].icon, Icon::Information);
        EXPECT_TRUE(exec("DELETE FROM " + table));
    }
}

TEST_F(LedgerPartialTest, ARowThatCannotBeWrittenBeepsAndThePassGoesOn) {
    for (int n = 1; n <= 3; ++n)
        add("VelaData", {{"Sorszám", n},
                         {"recordID", QString("f%1").arg(n)},
                         {"Netto", 100.0 * n},
                         {"AFA", 10.0},
                         {"Kivezetés", "N"}});
    ASSERT_TRUE(
        exec("CREATE TRIGGER refuse BEFORE UPDATE ON VelaData WHEN old.Sorszám = 2 "
             "BEGIN SELECT RAISE(ABORT, 'zárolt sor'); END"));
    open();
    dialogs.clear();
    trigger("Ellenorzes");
    EXPECT_EQ(value("VelaData", "Brutto", "f1").toDouble(), 110);
    EXPECT_TRUE(value("VelaData", "Brutto", "f2").isNull());
    EXPECT_EQ(value("VelaData", "Brutto", "f3").toDouble(), 330);
    EXPECT_EQ(dialogs.beeps, 1);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("1 adatsort nem sikerült menteni"));
    EXPECT_TRUE(dialogs.shown[0].text.contains("zárolt sor"));
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Warning);

    // The same for the partial totals.
    EXPECT_TRUE(exec("UPDATE VelaData SET Szamlaszam = 'X', RészÖsszeg = 1 WHERE Sorszám <> 2"));
    dialogs.clear();
    trigger("ReszosszegSzam");
    EXPECT_EQ(value("VelaData", "RészösszegÖsszesen", "f3").toDouble(), 2);
    EXPECT_EQ(dialogs.beeps, 0);  // row 2 has no invoice number: not written at all
}
