#include <QAction>
#include <QDate>

#include "ledgerfixture.h"
#include "ui/formkit.h"

using vela::LedgerKind;
using Icon = vela::DialogService::Icon;

namespace {

// A ledger row with the columns the filters look at.
struct FRow {
    QVariant sorszam;
    QVariant szamlaszam;
    QVariant cegNev;
    QVariant megnevezes;
    double brutto;
    QVariant kivezetes;
    double reszBrutto;
    bool partial;
    QVariant fizetesModja;
    QString devizanem;
    bool figyelem;
    QVariant datumig;
};

const QVariant kNull;

// Twelve rows: open, settled, empty-flag and partial-payment rows, negative
// amounts, two currencies, one row with empty texts.
const std::vector<FRow> kRows = {
    {1, "A-1", "Alma Kft", "Áru", 1000, "N", 0, false, "átutalás", "Ft", false, "2020-01-10"},
    {2, "A-2", "Béka Bt", "Szolgáltatás", 2000, "I", 0, false, "átutalás", "Ft", true,
     "2020-01-05"},
    {3, "A-3", "Alma Kft", "Áru", -300, "N", 0, false, "átutalás", "EUR", false, "2099-01-01"},
    {4, "A-4", "O'Brien Ltd", "Bérleti díj", 500, "N", 0, false, "készpénzes", "Ft", true, kNull},
    {5, "A-5", "Cékla Zrt", "Áru", 800, "", 0, false, "utánvét", "EUR", false, kNull},
    {5, "A-5", "Cékla Zrt", "Áru", 800, "N", 200, true, kNull, "EUR", false, kNull},
    {6, "A-6", "Dió*Kft", "Áru", 400, "N", 100, false, "nyugta", "Ft", false, "2019-12-31"},
    {7, "A-7", "Eper \"Bt\"", "Áru", 250, "I", 0, false, "szállítól.", "Ft", false, kNull},
    {8, "A-8", "Füge?Kft", "Proforma", 600, "N", 0, false, "proforma-k", "Ft", false, kNull},
    {9, "A-9", "Alma Kft", "Előleg", 700, "N", 0, false, "proforma-a", "EUR", false, kNull},
    {10, "A-10", "Alma Kft", "Előleg", 900, "I", 0, false, "átutalás E", "Ft", false, kNull},
    {11, kNull, kNull, kNull, -150, "N", 0, false, "átutalás", "Ft", false, kNull},
};

const char* const kAllRows = "1,2,3,4,5,5,6,7,8,9,10,11";

enum class Variant { Payables, Receivables, Positive, Negative };

// One filter in one window and sign variant: the row it stands on first,
// the rows shown and the figure. No rows expected: the fallback to all rows.
struct FilterCase {
    const char* item;
    Variant variant;
    int standOn;  // position of the current row before the filter
    const char* rows;
    const char* figure;
    const char* perCurrency = nullptr;  // checked when given
    const char* noRowsMessage = nullptr;
};

constexpr Variant P = Variant::Payables, R = Variant::Receivables, Pos = Variant::Positive,
                  Neg = Variant::Negative;

const FilterCase kCases[] = {
    // State filters.
    {"Kivezetve", P, 0, "2,7,10", "3150.-", "FT: 3 150"},
    {"Kivezetve", R, 0, "2,7,10", "3150.-"},
    {"Kivezetve", Pos, 0, "2,7,10", "3150.-"},
    {"Kivezetve", Neg, 0, nullptr, "0.-", "", "Nincs kivezetett tétel a lekérdezés szerint!"},
    {"Nemkivezetve", P, 0, "1,3,4,5,5,6,8,9,11", "2450.-", "FT: 2 250 · EUR: 200"},
    {"Nemkivezetve", R, 0, "1,3,4,5,5,6,8,9,11", "2450.-", "FT: 2 250 · EUR: 200"},
    {"Nemkivezetve", Pos, 0, "1,4,5,6,8,9", "2900.-", "FT: 2 400 · EUR: 500"},
    {"Nemkivezetve", Neg, 0, "3,11", "-450.-", "EUR: -300 · FT: -150"},
    {"Figyelemek", P, 0, "2,4", "500.-", "FT: 500"},
    {"Figyelemek", R, 0, "2,4", "500.-"},
    {"Figyelemek", Pos, 0, "2,4", "500.-"},
    {"Figyelemek", Neg, 0, nullptr, "0.-", "",
     "Nincs figyelni való tétel jelölve a lekérdezésben!"},
    // Field filters, the value taken from the row stood on.
    {"MegnevSzur", P, 0, "1,3,5,5,6,7", "800.-", "EUR: -500 · FT: 1 300"},
    {"MegnevSzur", R, 0, "1,3,5,5,6,7", "800.-"},
    {"MegnevSzur", Pos, 0, "1,5,5,6,7", "1100.-", "FT: 1 300 · EUR: -200"},
    {"MegnevSzur", Neg, 0, "3", "-300.-", "EUR: -300"},
    {"SorszamSzur", P, 5, "5,5", "-200.-", "EUR: -200"},
    {"SorszamSzur", R, 5, "5,5", "-200.-"},
    {"SorszamSzur", Pos, 5, "5,5", "-200.-"},
    {"SorszamSzur", Neg, 5, nullptr, "0.-", "", "Nincs ilyen sorszámra tétel a lekérdezésben!"},
    {"SzamlaSzur", P, 3, "4", "500.-"},
    {"SzamlaSzur", R, 3, "4", "500.-"},
    {"SzamlaSzur", Pos, 3, "4", "500.-"},
    {"SzamlaSzur", Neg, 3, nullptr, "0.-", "", "Nincs ilyen számlaszámra tétel a lekérdezésben!"},
    {"UgyfelSzur", P, 0, "1,3,9,10", "1400.-", "EUR: 400 · FT: 1 000"},
    {"UgyfelSzur", R, 0, "1,3,9,10", "1400.-"},
    {"UgyfelSzur", Pos, 0, "1,9,10", "1700.-", "EUR: 700 · FT: 1 000"},
    {"UgyfelSzur", Neg, 0, "3", "-300.-"},
    {"UgyfelSzur", P, 3, "4", "500.-"},  // a name with an apostrophe
    {"DevizaSzur", P, 2, "3,5,5,9", "200.-", "EUR: 200"},
    {"DevizaSzur", R, 2, "3,5,5,9", "200.-"},
    {"DevizaSzur", Pos, 2, "5,5,9", "500.-"},
    {"DevizaSzur", Neg, 2, "3", "-300.-"},
    // Payment methods.
    {"Kp", P, 0, "4", "500.-"},
    {"Kp", R, 0, "4", "500.-"},
    {"Kp", Pos, 0, "4", "500.-"},
    {"Kp", Neg, 0, nullptr, "0.-", "", "Nincs készpénzes tétel a lekérdezésben!"},
    {"Atutal", P, 0, "1,2,3,11", "550.-", "FT: 850 · EUR: -300"},
    {"Atutal", R, 0, "1,2,3,11", "550.-", "FT: 850 · EUR: -300"},
    {"Atutal", Pos, 0, "1,2", "1000.-", "FT: 1 000"},
    {"Atutal", Neg, 0, "3,11", "-450.-", "EUR: -300 · FT: -150"},
    {"Utanvet", P, 0, "5", "0.-", ""},  // an empty settled flag is shown, not summed
    {"Utanvet", R, 0, "5", "0.-"},
    {"Utanvet", Pos, 0, "5", "0.-"},
    {"Utanvet", Neg, 0, nullptr, "0.-", "", "Nincs utánvét tétel a lekérdezésben!"},
    {"Nyugta", P, 0, "6", "300.-", "FT: 300"},
    {"Nyugta", R, 0, "6", "300.-"},
    {"Nyugta", Pos, 0, "6", "300.-"},
    {"Nyugta", Neg, 0, nullptr, "0.-", "", "Nincs nyugta tétel a lekérdezésben!"},
    {"Szallito", P, 0, "7", "0.-", ""},
    {"Szallito", R, 0, "7", "0.-"},
    {"Szallito", Pos, 0, "7", "0.-"},
    {"Szallito", Neg, 0, nullptr, "0.-", "", "Nincs szállítólevél tétel a lekérdezésben!"},
    {"ProformaK", P, 0, "8", "600.-"},
    {"ProformaK", R, 0, "8", "600.-"},
    {"ProformaK", Pos, 0, "8", "600.-"},
    {"ProformaK", Neg, 0, nullptr, "0.-", "", "Nincs készpénzes proforma tétel a lekérdezésben!"},
    {"ProformaA", P, 0, "9", "700.-", "EUR: 700"},
    {"ProformaA", R, 0, "9", "700.-"},
    {"ProformaA", Pos, 0, "9", "700.-"},
    {"ProformaA", Neg, 0, nullptr, "0.-", "", "Nincs átutalás proforma tétel a lekérdezésben!"},
    {"ElolegOkmany", P, 0, "10", "0.-"},
    {"ElolegOkmany", R, 0, "10", "0.-"},
    {"ElolegOkmany", Pos, 0, "10", "0.-"},
    {"ElolegOkmany", Neg, 0, nullptr, "0.-", "", "Nincs előleg tétel a lekérdezésben!"},
    // All rows; the sign toggles do not apply and are cleared.
    {"SzurKi", P, 4, kAllRows, "2450.-", "FT: 2 250 · EUR: 200"},
    {"SzurKi", R, 4, kAllRows, "2450.-", "FT: 2 250 · EUR: 200"},
    {"SzurKi", Pos, 4, kAllRows, "2450.-"},
    {"SzurKi", Neg, 4, kAllRows, "2450.-"},
};

// The payables window's no-rows texts of the items that find nothing here.
const std::pair<const char*, const char*> kPayablesNoRows[] = {
    {"Kp", "Nincs készpénzes tétel!"},
    {"Atutal", "Nincs átutalás tétel!"},
    {"Figyelemek", "Nincs figyelni való tétel jelölve!"},
    {"Kivezetve", "Nincs még kivezetett tétel!"},
    {"Nemkivezetve", "Nincs kivezetetlen tétel!"},
    {"SorszamSzur", "Nincs ilyen megnevezésre tétel!"},
    {"DevizaSzur", "Nincs ilyen megnevezésre tétel!"},
};

}  // namespace

class LedgerFilterTest : public LedgerFixture {
  protected:
    void insertRows(const QString& table, const std::vector<FRow>& rows) {
        EXPECT_TRUE(veladata->begin());
        int n = 0;
        for (const FRow& r : rows) {
            ASSERT_TRUE(exec(
                QStringLiteral("INSERT INTO %1 (Sorszám, recordID, Szamlaszam, CegNev, Megnevezes, "
                               "Brutto, Kivezetés, RészÖsszegBruttó, Részkiegyenlités, "
                               "FizetésMódja, Devizanem, FIGYELEM, Datumig) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(table),
                {r.sorszam, QString("r%1").arg(n++, 2, 10, QChar('0')), r.szamlaszam, r.cegNev,
                 r.megnevezes, r.brutto, r.kivezetes, r.reszBrutto, r.partial, r.fizetesModja,
                 r.devizanem, r.figyelem, r.datumig}));
        }
        EXPECT_TRUE(veladata->commit());
    }

    std::string shownRows() {
        QStringList out;
        for (int i = 0; i < window->rows().recordCount(); ++i)
            out << window->rows().valueAt(i, 0).toString();
        return out.join(",").toStdString();
    }

    std::string checkedItems() {
        QStringList out;
        for (QAction* a : window->findChildren<QAction*>())
            if (a->isCheckable() && a->isChecked())
                out << a->objectName();
        out.sort();
        return out.join(",").toStdString();
    }

    void trigger(const char* item) {
        QAction* a = window->menuItem(item);
        ASSERT_TRUE(a) << item;
        ASSERT_TRUE(a->isEnabled()) << item;
        a->trigger();
    }

    // Sets the sign toggles as a user would, by clicking them.
    void setSign(Variant v) {
        if (v == Variant::Payables)
            return;
        const bool pos = window->menuItem("CsakPoz")->isChecked();
        const bool neg = window->menuItem("CsakNeg")->isChecked();
        if (v == Variant::Positive && !pos)
            trigger("CsakPoz");
        if (v == Variant::Negative && !neg)
            trigger("CsakNeg");
        if (v == Variant::Receivables) {
            if (pos)
                trigger("CsakPoz");
            if (neg)
                trigger("CsakNeg");
        }
    }
};

TEST_F(LedgerFilterTest, EveryFilterInBothKindsAndEverySignVariant) {
    insertRows("VelaData", kRows);
    insertRows("VelanakData", kRows);
    for (const bool payables : {true, false}) {
        window.reset();
        open(payables ? LedgerKind::Payables : LedgerKind::Receivables);
        for (const FilterCase& c : kCases) {
            if ((c.variant == P) != payables)
                continue;
            SCOPED_TRACE(std::string(c.item) + " variant " + std::to_string(int(c.variant)));
            setSign(c.variant);
            window->rows().setQuery(window->traits().allRows());
            EXPECT_TRUE(window->rows().refresh());
            ASSERT_TRUE(window->rows().moveTo(c.standOn));
            dialogs.clear();
            trigger(c.item);

            EXPECT_EQ(label27().toStdString(), c.figure);
            if (c.perCurrency) {
                EXPECT_EQ(window->currencyTotalsText().toStdString(), c.perCurrency);
            }
            if (!c.rows) {
                // The message, all rows again, "Minden adat" checked, toggles clear.
                ASSERT_EQ(dialogs.shown.size(), 1);
                EXPECT_EQ(dialogs.shown[0].text.toStdString(), c.noRowsMessage);
                EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM!");
                EXPECT_EQ(dialogs.shown[0].icon, Icon::Information);
                EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
                EXPECT_EQ(shownRows(), kAllRows);
                EXPECT_EQ(checkedItems(), "SzurKi");
                EXPECT_EQ(field("Sorszám").toInt(), 11);
                continue;
            }
            EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join("|").toStdString();
            EXPECT_EQ(shownRows(), c.rows);
            // The first row with the last row's number is current.
            const QString last = QString(c.rows).section(',', -1);
            EXPECT_EQ(field("Sorszám").toString().toStdString(), last.toStdString());
            EXPECT_EQ(window->rows().position(), QString(c.rows).split(',').indexOf(last));
            EXPECT_EQ(text("Text13")->text().toStdString(), last.toStdString());
            QString expectChecked = c.item;
            if (c.variant == Pos && qstrcmp(c.item, "SzurKi") != 0)
                expectChecked = "CsakPoz," + expectChecked;
            if (c.variant == Neg && qstrcmp(c.item, "SzurKi") != 0)
                expectChecked = "CsakNeg," + expectChecked;
            QStringList sorted = expectChecked.split(',');
            sorted.sort();
            EXPECT_EQ(checkedItems(), sorted.join(",").toStdString());
            for (const char* b : {"Command3", "Command4", "Command5", "Command7"})
                EXPECT_TRUE(child<QPushButton>(b)->isEnabled()) << b;
        }
    }
}

TEST_F(LedgerFilterTest, PayablesNoRowsMessagesAndTheFigureOfTheEmptyFilter) {
    // One row with no settled flag, no attention mark, paid on delivery.
    insertRows("VelaData",
               {{1, "A-1", "Alma", "Áru", 100, kNull, 0, false, "utánvét", "Ft", false, kNull}});
    open();
    for (const auto& [item, message] : kPayablesNoRows) {
        SCOPED_TRACE(item);
        if (qstrcmp(item, "SorszamSzur") == 0 || qstrcmp(item, "DevizaSzur") == 0) {
            // An empty field value filters for the empty text, and finds nothing.
            EXPECT_TRUE(window->rows().moveFirst());
            EXPECT_TRUE(window->rows().setField("Devizanem", QVariant()));
            EXPECT_TRUE(window->rows().setField("Sorszám", QVariant()));
            EXPECT_TRUE(window->rows().update());
            window->rows().setQuery(window->traits().allRows());
            EXPECT_TRUE(window->rows().refresh());
        }
        if (qstrcmp(item, "SorszamSzur") == 0) {
            // A row with number 0 would be found: there is none.
            EXPECT_TRUE(window->rows().moveFirst());
        }
        dialogs.clear();
        trigger(item);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].text, message);
        EXPECT_EQ(label27(), "0.-");
        EXPECT_EQ(checkedItems(), "SzurKi");
        EXPECT_EQ(window->rows().recordCount(), 1);
    }
}

TEST_F(LedgerFilterTest, EmptyLedgerEndsInNoDataWithButtonsOff) {
    for (const LedgerKind kind : {LedgerKind::Payables, LedgerKind::Receivables}) {
        window.reset();
        open(kind);
        dialogs.clear();
        trigger("Atutal");
        ASSERT_EQ(dialogs.shown.size(), 2);
        EXPECT_EQ(dialogs.shown[0].icon, Icon::Information);
        EXPECT_EQ(dialogs.shown[1].text, "Nincs adat!");
        EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM!");
        EXPECT_EQ(dialogs.shown[1].icon, Icon::Warning);
        EXPECT_EQ(dialogs.shown[1].beepsBefore, 1);
        for (const char* b : {"Command3", "Command4", "Command5", "Command7"})
            EXPECT_FALSE(child<QPushButton>(b)->isEnabled()) << b;
        EXPECT_TRUE(child<QPushButton>("Command2")->hasFocus());
        EXPECT_EQ(checkedItems(), "SzurKi");
        EXPECT_EQ(label27(), "0.-");

        // "Minden adat" on the empty ledger: no filter message, only "Nincs adat!".
        dialogs.clear();
        trigger("SzurKi");
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].text, "Nincs adat!");

        // A new row turns the buttons on again.
        click("Command2");
        for (const char* b : {"Command3", "Command4", "Command5", "Command7"})
            EXPECT_TRUE(child<QPushButton>(b)->isEnabled()) << b;
    }
}

TEST_F(LedgerFilterTest, QuotesAndWildcardsInAFieldValueAreTakenLiterally) {
    insertRows("VelanakData",
               {
                   {1, "X'1", "O'Brien Ltd", "a", 10, "N", 0, false, "nyugta", "Ft", false, kNull},
                   {2, "X*", "Dió*Kft", "a", 20, "N", 0, false, "nyugta", "Ft", false, kNull},
                   {3, "XA", "DióAKft", "a", 40, "N", 0, false, "nyugta", "Ft", false, kNull},
                   {4, "X?", "Füge?Kft", "a", 80, "N", 0, false, "nyugta", "Ft", false, kNull},
                   {5, "XB", "FügeBKft", "a", 160, "N", 0, false, "nyugta", "Ft", false, kNull},
                   {6, "X\"", "Eper \"Bt\"", "a", 320, "N", 0, false, "nyugta", "Ft", false, kNull},
                   {7, "X\"", "O'", "a", 640, "N", 0, false, "nyugta", "Ft", false, kNull},
               });
    open(LedgerKind::Receivables);
    const std::pair<int, const char*> stands[] = {
        {0, "10.-"}, {1, "20.-"}, {3, "80.-"}, {5, "320.-"}};
    for (const auto& [position, figure] : stands) {
        window->rows().setQuery(window->traits().allRows());
        EXPECT_TRUE(window->rows().refresh());
        EXPECT_TRUE(window->rows().moveTo(position));
        trigger("UgyfelSzur");
        EXPECT_EQ(window->rows().recordCount(), 1) << position;
        EXPECT_EQ(label27(), figure);
    }
    // Two rows share the invoice number with a double quote.
    window->rows().setQuery(window->traits().allRows());
    EXPECT_TRUE(window->rows().refresh());
    EXPECT_TRUE(window->rows().moveTo(5));
    trigger("SzamlaSzur");
    EXPECT_EQ(shownRows(), "6,7");
    EXPECT_EQ(label27(), "960.-");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerFilterTest, SignTogglesExcludeEachOtherAndAClickTwiceClears) {
    open(LedgerKind::Receivables);
    trigger("CsakPoz");
    EXPECT_EQ(checkedItems(), "CsakPoz");
    trigger("CsakPoz");
    EXPECT_EQ(checkedItems(), "");
    trigger("CsakPoz");
    trigger("CsakNeg");
    EXPECT_EQ(checkedItems(), "CsakNeg");
    trigger("CsakNeg");
    EXPECT_EQ(checkedItems(), "");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    window.reset();
    open();
    EXPECT_EQ(window->menuItem("CsakPoz"), nullptr);
    EXPECT_EQ(window->menuItem("UgyfelSzur")->text(), "Ügyfél neve");
}

TEST_F(LedgerFilterTest, OverdueViewByDueDateLeavesTotalsAndMarksAlone) {
    insertRows("VelaData", kRows);
    insertRows("VelanakData", kRows);
    open(LedgerKind::Receivables);
    trigger("CsakNeg");
    trigger("Atutal");
    ASSERT_EQ(label27(), "-450.-");
    const QString perCurrency = window->currencyTotalsText();
    dialogs.clear();
    click("Command5");
    // Settled or not, due before today, by due date alone; signs ignored.
    EXPECT_EQ(shownRows(), "6,2,1");
    EXPECT_EQ(window->rows().position(), 0);
    EXPECT_EQ(label27(), "-450.-");
    EXPECT_EQ(window->currencyTotalsText(), perCurrency);
    EXPECT_EQ(checkedItems(), "Atutal,CsakNeg");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(LedgerFilterTest, OverdueViewOnAnEmptyGridAndOnRowsDueToday) {
    open();
    click("Command5");  // enabled, but no row: nothing happens
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.beeps, 0);

    window.reset();
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    insertRows("VelaData", {{1, "A", "B", "C", 10, "N", 0, false, "nyugta", "Ft", false, today},
                            {2, "A", "B", "C", 20, "N", 0, false, "nyugta", "Ft", false, today},
                            {3, "A", "B", "C", 40, "N", 0, false, "nyugta", "Ft", false, kNull}});
    open();
    trigger("Nyugta");
    click("Command5");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Nincs határidőn túli tétel!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_EQ(shownRows(), "1,2,3");
    EXPECT_EQ(checkedItems(), "Nyugta");
}

TEST_F(LedgerFilterTest, PerCurrencyLineFollowsASavedAmountAndCurrency) {
    insertRows("VelaData", kRows);
    open();
    trigger("Atutal");
    ASSERT_EQ(window->currencyTotalsText(), "FT: 850 · EUR: -300");
    EXPECT_TRUE(window->rows().moveFirst());  // A-1, 1000 Ft
    type("Text7", "1234,5");
    click("Command3");
    EXPECT_EQ(label27(), "784,5.-");
    // The save wrote the currency in capitals: "FT" and "Ft" are one currency.
    EXPECT_EQ(window->currencyTotalsText().toStdString(), "FT: 1 084,5 · EUR: -300");

    // A save that moves a row to another currency leaves Label27 as it was,
    // but not the line (EUR has the more rows now, so it comes first).
    EXPECT_TRUE(window->rows().moveLast());  // A-11, -150 Ft
    type("Text8", "eur");
    click("Command3");
    EXPECT_EQ(label27(), "784,5.-");
    EXPECT_EQ(window->currencyTotalsText().toStdString(), "EUR: -450 · FT: 1 234,5");
    // Screen readers hear the caption with the value.
    auto* line = child<QLabel>("Label27Devizanem");
    EXPECT_TRUE(line->accessibleName().contains("Tartozás devizanemenként:"));
}

// The per-currency line is a pass over every open row: the window is painted
// first and the line follows at once, also when a total moved before that.
// A server adds up per currency as fast as one sum: there the line's pass
// gives the figure too, and the line is there from the start.
TEST_F(LedgerFilterTest, PerCurrencyLineFollowsTheFirstPaint) {
    insertRows("VelaData", kRows);
    window = std::make_unique<vela::LedgerWindow>(ctx, vela::LedgerKind::Payables);
    auto* line = child<vela::ValueLabel>("Label27Devizanem");
    const std::string before = onServer() ? "FT: 2 250 · EUR: 1 800" : "";
    EXPECT_EQ(line->value().toStdString(), before);
    window->show();
    window->repaint();
    EXPECT_EQ(line->value().toStdString(), before);
    QApplication::processEvents();  // the paint's follow-up is posted by the paint
    QApplication::processEvents();
    EXPECT_EQ(line->value().toStdString(), "FT: 2 250 · EUR: 1 800");
}
