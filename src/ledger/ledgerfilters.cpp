// The ledger window's filters ("S&zűrés", "Határidőn túl") and the outstanding
// figure per currency. Each filter item is one row of a table: how it names
// its rows, and so its totals.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <cmath>

#include "ledger/ledgermessages.h"
#include "ledger/ledgerwindow.h"
#include "ledgercore/ledgerrules.h"
#include "storage/funcs.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/fieldbinder.h"
#include "ui/formkit.h"

namespace vela {

namespace text = ledgertext;
using Icon = DialogService::Icon;
using C = Condition;

namespace {

// The seventeen filter items, whose check marks exclude one another.
const char* const kFilterItems[] = {
    "Kivezetve",  "Nemkivezetve", "Figyelemek", "MegnevSzur",   "SorszamSzur", "SzamlaSzur",
    "UgyfelSzur", "DevizaSzur",   "Kp",         "Atutal",       "Utanvet",     "Nyugta",
    "Szallito",   "ProformaK",    "ProformaA",  "ElolegOkmany", "SzurKi"};

// The rows a filter shows and the rows its two totals sum.
struct FilterQueries {
    Condition rows;
    Condition gross;    // CountData: sum(Brutto)
    Condition partial;  // CountData2: sum(RészÖsszegBruttó)
};

const Condition kOpen = ledger::openRows();
const Condition kNotPartial = ledger::notPartialRows();

// Rows named by c with the rows of their outstanding figure.
FilterQueries outstandingOf(const Condition& c) {
    const ledger::OutstandingWhere w = ledger::outstandingWithin(c);
    return {c, w.gross, w.partial};
}

// One filter item: which rows it names.
struct FilterDef {
    enum class Kind {
        Method,     // FizetésMódja equals value
        TextField,  // column equals the text of control
        Number,     // column equals the number shown in control (0 when empty)
        Attention,  // FIGYELEM ticked
        Settled,    // Kivezetés "I"
        Open,       // Kivezetés "N" or empty
    };
    const char* item;
    Kind kind;
    const char* column = "";
    const char* value = "";    // Method
    const char* control = "";  // TextField, Number
};

using K = FilterDef::Kind;

const FilterDef kFilters[] = {
    {"Kivezetve", K::Settled},
    {"Nemkivezetve", K::Open},
    {"Figyelemek", K::Attention},
    {"MegnevSzur", K::TextField, "Megnevezes", "", "Text4"},
    {"SorszamSzur", K::Number, "Sorszám", "", "Label20"},
    {"SzamlaSzur", K::TextField, "Szamlaszam", "", "Text10"},
    {"UgyfelSzur", K::TextField, "CegNev", "", "Text2"},
    {"DevizaSzur", K::TextField, "Devizanem", "", "Text8"},
    {"Kp", K::Method, "FizetésMódja", "készpénzes"},
    {"Atutal", K::Method, "FizetésMódja", "átutalás"},
    {"Utanvet", K::Method, "FizetésMódja", "utánvét"},
    {"Nyugta", K::Method, "FizetésMódja", "nyugta"},
    {"Szallito", K::Method, "FizetésMódja", "szállítól."},
    {"ProformaK", K::Method, "FizetésMódja", "proforma-k"},
    {"ProformaA", K::Method, "FizetésMódja", "proforma-a"},
    {"ElolegOkmany", K::Method, "FizetésMódja", "átutalás E"},
};

}  // namespace

void LedgerWindow::Kivezetve_Click() {
    runFilter("Kivezetve");
}
void LedgerWindow::Nemkivezetve_Click() {
    runFilter("Nemkivezetve");
}
void LedgerWindow::Figyelemek_Click() {
    runFilter("Figyelemek");
}
void LedgerWindow::MegnevSzur_Click() {
    runFilter("MegnevSzur");
}
void LedgerWindow::SorszamSzur_Click() {
    runFilter("SorszamSzur");
}
void LedgerWindow::SzamlaSzur_Click() {
    runFilter("SzamlaSzur");
}
void LedgerWindow::UgyfelSzur_Click() {
    runFilter("UgyfelSzur");
}
void LedgerWindow::DevizaSzur_Click() {
    runFilter("DevizaSzur");
}
void LedgerWindow::Kp_Click() {
    runFilter("Kp");
}
void LedgerWindow::Atutal_Click() {
    runFilter("Atutal");
}
void LedgerWindow::Utanvet_Click() {
    runFilter("Utanvet");
}
void LedgerWindow::Nyugta_Click() {
    runFilter("Nyugta");
}
void LedgerWindow::Szallito_Click() {
    runFilter("Szallito");
}
void LedgerWindow::ProformaK_Click() {
    runFilter("ProformaK");
}
void LedgerWindow::ProformaA_Click() {
    runFilter("ProformaA");
}
void LedgerWindow::ElolegOkmany_Click() {
    runFilter("ElolegOkmany");
}
void LedgerWindow::SzurKi_Click() {
    runAllRows();
}

QString LedgerWindow::filterValue(const char* control) const {
    const QString name = QLatin1String(control);
    if (auto* label = kit_->control<ValueLabel>(name))
        return label->value();
    QString value = kit_->control<QLineEdit>(name)->text();
    // An empty field filters for the empty text, not for a missing value.
    return value.isNull() ? QStringLiteral("") : value;
}

void LedgerWindow::checkFilterItem(const char* item) {
    for (const char* name : kFilterItems) {
        if (QAction* a = menuItem(name))
            a->setChecked(qstrcmp(name, item) == 0);
    }
}

void LedgerWindow::setSign(Sign sign) {
    sign_ = sign;
    if (QAction* a = menuItem("CsakPoz"))
        a->setChecked(sign == Sign::Positive);
    if (QAction* a = menuItem("CsakNeg"))
        a->setChecked(sign == Sign::Negative);
}

void LedgerWindow::CsakPoz_Click() {
    if (!traits_.signFilters)
        return;
    setSign(sign_ == Sign::Positive ? Sign::Any : Sign::Positive);
}

void LedgerWindow::CsakNeg_Click() {
    if (!traits_.signFilters)
        return;
    setSign(sign_ == Sign::Negative ? Sign::Any : Sign::Negative);
}

void LedgerWindow::setTotals(const Condition& gross, const Condition& partial) {
    // CountData and CountData2 sum what the filter names; the figure and the
    // per-currency line are read from them and their conditions.
    grossAmount_ = Amount{"Brutto"};
    grossWhere_ = gross;
    partialWhere_ = partial;
    // The gross rows of a filter are among its partial rows.
    currencyWhere_ = partial;
    CountData.setSum(traits_.table, {grossAmount_}, gross);
    reportFailure(CountData.requery());
    CountData2.setSum(traits_.table, {traits_.partialTotal}, partial);
    reportFailure(CountData2.requery());
    currencyTotalsStale_ = true;
}

void LedgerWindow::runFilter(const char* item) {
    const FilterDef* def = nullptr;
    for (const FilterDef& f : kFilters) {
        if (qstrcmp(f.item, item) == 0)
            def = &f;
    }
    if (!def)
        return;
    binder_->commit();

    // The value of a field filter comes from the current row's control.
    Condition c;
    switch (def->kind) {
        case K::Method:
            c = C::equals(def->column, QString::fromUtf8(def->value));
            break;
        case K::TextField:
            c = C::equals(def->column, filterValue(def->control));
            break;
        case K::Number:
            c = C::equals(def->column,
                          qlonglong(values::parseWhole(filterValue(def->control)).value_or(0)));
            break;
        case K::Attention:
            c = C::equals("FIGYELEM", 1);
            break;
        case K::Settled:
            c = C::equals("Kivezetés", QStringLiteral("I"));
            break;
        case K::Open:
            break;
    }
    const Sign sign = traits_.signFilters ? sign_ : Sign::Any;
    const Condition signed_ = sign == Sign::Positive   ? C::greaterOrEqual("Brutto", 0)
                              : sign == Sign::Negative ? C::less("Brutto", 0)
                                                       : Condition();
    FilterQueries q;
    switch (def->kind) {
        case K::Settled:
            q = {c && signed_, c && kNotPartial && signed_, c && signed_};
            break;
        case K::Open:
            // Empty flags are shown as open, but only "N" is summed; the sign
            // variants show the "N" rows alone.
            q = {signed_.isAll() ? kOpen || C::equals("Kivezetés", QStringLiteral(""))
                                 : kOpen && signed_,
                 kOpen && kNotPartial && signed_, kOpen && signed_};
            break;
        default:
            q = outstandingOf(signed_ && c);
            break;
    }

    checkFilterItem(item);
    BusyCursor busy;
    VelaData1.setQuery(Query(traits_.table, q.rows, traits_.rowsOrder));
    if (!reportFailure(VelaData1.refresh()))
        return;
    setTotals(q.gross, q.partial);
    ShowOpenTotal();
    if (VelaData1.recordCount() > 0) {
        showRowsFound();
        return;
    }
    fallBackToAllRows(traits_.noRowsMessage(QLatin1String(item)));
}

bool LedgerWindow::fallBackToAllRows(const QString& noRowsMessage) {
    checkFilterItem("SzurKi");
    if (traits_.signFilters)
        setSign(Sign::Any);
    {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(noRowsMessage, text::kAttention, Icon::Information);
    }
    // The totals stay those of the filter that found nothing: 0.-.
    VelaData1.setQuery(traits_.allRows());
    if (!reportFailure(VelaData1.refresh()))
        return false;
    if (VelaData1.recordCount() == 0) {
        showNoData();
        return false;
    }
    showRowsFound();
    return true;
}

void LedgerWindow::showNoData() {
    {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::kNoData, text::kAttention, Icon::Warning);
    }
    for (QPushButton* b : {Command3, Command4, Command5, Command7}) b->setEnabled(false);
    Command2->setFocus();
}

void LedgerWindow::showRowsFound() {
    // The last row's number into the finder, which makes the first row with
    // that number current.
    VelaData1.moveLast();
    const QString number =
        QString::number(qlonglong(Funcs::NumOrZero(VelaData1.field("Sorszám")).toDouble()));
    QLineEdit* finder = text("Text13");
    if (finder->text() == number)
        runFinder(finder);  // the same text again: no change to run the finder
    else
        finder->setText(number);
    finder->setFocus();
    for (QPushButton* b : {Command3, Command4, Command5, Command7}) b->setEnabled(true);
}

void LedgerWindow::runAllRows() {
    binder_->commit();
    checkFilterItem("SzurKi");
    if (traits_.signFilters)
        setSign(Sign::Any);
    BusyCursor busy;
    VelaData1.setQuery(traits_.allRows());
    if (!reportFailure(VelaData1.refresh()))
        return;
    const ledger::OutstandingWhere all = ledger::outstandingWithin({});
    setTotals(all.gross, all.partial);
    ShowOpenTotal();
    if (VelaData1.recordCount() > 0)
        showRowsFound();
    else
        showNoData();
}

void LedgerWindow::Command5_Click() {
    if (VelaData1.recordCount() == 0)
        return;
    binder_->commit();
    BusyCursor busy;
    // Every row due before today, settled or not, by due date alone; the
    // totals, the check marks and the sign toggles are not touched.
    VelaData1.setQuery(Query(traits_.table, C::less("Datumig", QDate::currentDate()),
                             {{QStringLiteral("Datumig")}}));
    if (!reportFailure(VelaData1.refresh()))
        return;
    if (VelaData1.recordCount() > 0) {
        VelaData1.moveFirst();
        return;
    }
    {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::kNoOverdue, text::kAttention, Icon::Information);
    }
    VelaData1.setQuery(traits_.allRows());
    reportFailure(VelaData1.refresh());
}

// ---------------------------------------------------------------- per currency

namespace {

// "14 203 377" or "285 044,97": grouped by blanks, at most two decimals.
QString groupedAmount(double value) {
    QLocale hu(QLocale::Hungarian, QLocale::Hungary);
    QString s = hu.toString(std::round(value * 100) / 100, 'f', 2);
    s.replace(hu.groupSeparator(), QStringLiteral(" "));
    const QString comma = hu.decimalPoint();
    if (s.endsWith(comma + QStringLiteral("00")))
        s.chop(3);
    else if (s.endsWith(QLatin1Char('0')) && s.contains(comma))
        s.chop(1);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

}  // namespace

bool LedgerWindow::showCurrencyTotals() {
    currencyTotals_.setSum(traits_.table, QStringLiteral("Devizanem"),
                           {{grossAmount_, grossWhere_}, {traits_.partialTotal, partialWhere_}},
                           currencyWhere_,
                           /*caseBlind=*/true);  // a save writes the currency in capitals
    QStringList parts;
    const bool summed = bool(currencyTotals_.requery());
    if (summed) {
        for (const GroupedSum::Group& g : currencyTotals_.groups()) {
            const QString currency = g.key.toString().trimmed();
            const double owed = Funcs::NumOrZero(g.sums.value(0)).toDouble() -
                                Funcs::NumOrZero(g.sums.value(1)).toDouble();
            parts << text::kCurrencyTotal.arg(currency.isEmpty() ? text::kNoCurrency : currency,
                                              groupedAmount(owed));
        }
    }
    currencyLabel_->setValue(parts.join(text::kCurrencySeparator));
    currencyTotalsStale_ = false;
    return summed;
}

QString LedgerWindow::currencyTotalsText() const {
    // Asked before the first paint filled it: filled now.
    if (currencyLineLate_ && currencyTotalsStale_)
        const_cast<LedgerWindow*>(this)->showCurrencyTotals();
    return currencyLabel_->value();
}

}  // namespace vela
