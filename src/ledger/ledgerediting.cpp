// Row entry and editing of the ledger window: new row, save, delete,
// settling, the field rules, the quick finders, the date pickers and the
// grid's sorting.

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "ledger/ledgermessages.h"
#include "ledger/ledgerwindow.h"
#include "storage/funcs.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/datepicker.h"
#include "ui/dialogservice.h"
#include "ui/fieldbinder.h"
#include "ui/recordgrid.h"
#include "ui/recordgridmodel.h"

namespace vela {

namespace text = ledgertext;
using Icon = DialogService::Icon;

namespace {

const char* const kDateColumns[] = {"Datumtol", "Datumig", "Adatfelvetel", "Teljesités",
                                    "BankiKiegyenlitésKelte"};

}  // namespace

QString LedgerWindow::NewRowId(const QDateTime& when) {
    const QDate d = when.date();
    // The date's digits without leading zeros, read as a number and written back.
    const QString dateDigits = QString::number(
        (QString::number(d.year()) + QString::number(d.month()) + QString::number(d.day()))
            .toLongLong());
    // Seconds since midnight as a single-precision number: at most seven
    // significant digits, the decimal comma, no grouping.
    const float seconds = float(when.time().msecsSinceStartOfDay()) / 1000.0f;
    QLocale hu(QLocale::Hungarian, QLocale::Hungary);
    hu.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString secondsText = hu.toString(double(seconds), 'g', 7);
    return (dateDigits + secondsText).trimmed();
}

bool LedgerWindow::noCurrentRow() const {
    return VelaData1.recordCount() == 0;
}

void LedgerWindow::Command2_Click() {
    binder_->commit();
    // All rows again; the sign toggles stay.
    checkFilterItem("SzurKi");

    BusyCursor busy;
    VelaData1.setQuery(traits_.allRows());
    if (!reportFailure(VelaData1.refresh()))
        return;
    Command4->setEnabled(true);

    qlonglong next = 1;
    if (VelaData1.recordCount() > 0) {
        VelaData1.moveLast();
        next = qlonglong(Funcs::NumOrZero(VelaData1.field(0)).toDouble()) + 1;
    }

    lastRowId_ = NewRowId(QDateTime::currentDateTime());
    Status added = VelaData1.addNew();
    auto set = [&](const auto& column, const QVariant& value) {
        if (added)
            added = VelaData1.setField(column, value);
    };
    set(0, next);
    set(14, QStringLiteral("0"));
    set(5, 0.0);
    set(6, 0.0);
    set(7, 0.0);
    set(QStringLiteral("recordID"), lastRowId_);
    if (added)
        added = VelaData1.update();
    if (!added) {
        const QString error = added.errorText();
        VelaData1.cancelUpdate();
        ctx_.dialogs->beep();
        BusyCursor::Suspend normal;
        ctx_.dialogs->message(text::kAddFailed + QStringLiteral("\n\n") + error,
                              text::kAddFailedTitle, Icon::Critical);
        Kilepes_Click();
        return;
    }
    VelaData1.moveLast();

    const QDate today = QDate::currentDate();
    // Here and below, values of the column's own kind go into the current
    // row: nothing refuses them, so their Status is discarded.
    VelaData1.setField("Kivezetés", QStringLiteral("N"));
    for (const char* column : kDateColumns) VelaData1.setField(QString::fromUtf8(column), today);
    binder_->load();
    DBGrid1->followCurrent();
    text("Text10")->setFocus();
    Command3->setEnabled(true);
    Command4->setEnabled(true);
    Command5->setEnabled(true);
    Command7->setEnabled(true);
    Command3_Click();
}

void LedgerWindow::Command3_Click() {
    BusyCursor busy;
    if (noCurrentRow()) {
        Command2_Click();
        return;
    }
    // What was typed into a field goes into the row first.
    binder_->commit();

    if (traits_.recomputeOnSave && !VelaData1.bof() && !VelaData1.eof()) {
        binder_->reload(QStringLiteral("BankiKiegyenlitésKelte"));
        if (text("Text19")->text() == QStringLiteral("átutalás E"))
            VelaData1.setField("Kivezetés", QStringLiteral("I"));
        // An empty VAT rate counts as 0 %; one that is no number was refused
        // when its field was left, so the stored rate is used.
        const double afa = Funcs::NumOrZero(VelaData1.field("AFA")).toDouble();
        // The fields were written into the row just above.
        const double partial = Funcs::NumOrZero(VelaData1.field("RészÖsszeg")).toDouble();
        if (partial > 0)
            VelaData1.setField("RészÖsszegBruttó", partial * (afa + 100) / 100);
        const double net = Funcs::NumOrZero(VelaData1.field("Netto")).toDouble();
        if (net > 0)
            VelaData1.setField("Brutto", net * (afa + 100) / 100);
    }

    if (VelaData1.bof() || VelaData1.eof())
        VelaData1.moveLast();
    const qint64 mark = VelaData1.bookmark();
    // Leaving the row stores it; here that is one write.
    if (const Status failed = VelaData1.update(); !failed) {
        showDatabaseError(text::kSaveFailed.arg(failed.errorText()));
        return;
    }
    if (!VelaData1.setBookmark(mark)) {
        ctx_.dialogs->beep();
        if (VelaData1.recordCount() > 0)
            VelaData1.moveLast();
    } else {
        if (Funcs::TextOrEmpty(VelaData1.field("Kivezetés")).toString().isEmpty())
            VelaData1.setField("Kivezetés", QStringLiteral("N"));
        text("Text10")->setFocus();
        for (const char* control : {"Text8", "Text9"}) {
            const QString column = control == QLatin1String("Text8") ? "Devizanem" : "Kivezetés";
            const QString upper = Funcs::TextOrEmpty(VelaData1.field(column)).toString().toUpper();
            if (upper != Funcs::TextOrEmpty(VelaData1.field(column)).toString())
                VelaData1.setField(column, upper);
        }
        // Stored now rather than at the next move, so a closing window loses nothing.
        if (const Status failed = VelaData1.update(); !failed)
            showDatabaseError(text::kSaveFailed.arg(failed.errorText()));
    }
    binder_->load();
    ShowOpenTotal();
}

void LedgerWindow::deletedAllAskNew(Icon icon) {
    ctx_.dialogs->beep();
    if (ctx_.dialogs->ask(text::kDeletedAll, text::kAttention, icon))
        Command2_Click();
}

void LedgerWindow::Command4_Click() {
    const bool payables = traits_.kind == LedgerKind::Payables;
    if (noCurrentRow() || (payables && VelaData1.eof())) {
        Command4->setEnabled(false);
        return;
    }
    binder_->commit();
    ctx_.dialogs->beep();
    if (!ctx_.dialogs->ask(traits_.deleteQuestion, traits_.deleteTitle, traits_.deleteIcon))
        return;
    BusyCursor busy;
    if (VelaData1.eof() || VelaData1.bof())
        VelaData1.moveLast();
    if (const Status failed = VelaData1.deleteCurrent(); !failed) {
        ctx_.dialogs->beep();
        if (payables) {
            showDatabaseError(failed.errorText());
        } else {
            ctx_.dialogs->message(text::kDeleteFailed, text::kAttention, Icon::Warning);
            // All rows again ("Minden adat (szűrés ki)").
            VelaData1.setQuery(traits_.allRows());
            reportFailure(VelaData1.refresh());
            ShowOpenTotal();
        }
        return;
    }
    if (VelaData1.recordCount() == 0) {
        deletedAllAskNew(traits_.deletedAllIcon);
    } else if (VelaData1.eof()) {
        VelaData1.moveLast();
    }
}

void LedgerWindow::MindTorol_Click() {
    QAction* item = menuItem("MindTorol");
    const bool payables = traits_.kind == LedgerKind::Payables;
    if (noCurrentRow() || (payables && VelaData1.eof())) {
        item->setEnabled(false);
        return;
    }
    binder_->commit();
    ctx_.dialogs->beep();
    const bool yes =
        payables
            ? ctx_.dialogs->ask(text::kDeleteFromHere, text::kDeleteFromHereTitle, Icon::Warning)
            : ctx_.dialogs->ask(text::kDeleteAll, text::kDeleteAllTitle, Icon::Warning);
    if (!yes)
        return;
    BusyCursor busy;
    if (!payables)
        VelaData1.moveFirst();
    if (VelaData1.bof())
        VelaData1.moveFirst();
    // Each row is its own delete: a failure stops there and keeps the rest.
    while (!VelaData1.eof() && VelaData1.recordCount() > 0) {
        if (!reportFailure(VelaData1.deleteCurrent()))
            break;
    }
    if (VelaData1.recordCount() == 0)
        deletedAllAskNew(Icon::Warning);
    else if (VelaData1.eof())
        VelaData1.moveLast();
}

void LedgerWindow::VelaKivezet_Click() {
    if (noCurrentRow() || VelaData1.eof() || VelaData1.bof()) {
        ctx_.dialogs->beep();
        return;
    }
    binder_->commit();
    VelaData1.setField("Kivezetés", QStringLiteral("I"));
    binder_->reload(QStringLiteral("Kivezetés"));
}

void LedgerWindow::Check1_Change() {
    const bool on = Check1->isChecked();
    Image1->setVisible(on);
    Label21->setVisible(on);
    text("Text16")->setVisible(on);
}

bool LedgerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == text("Text9")) {
        Text9_LostFocus();
        // A refused flag must not reach the row: the field keeps the focus.
        const QString flag = text("Text9")->text();
        if (!flag.isEmpty() && flag != QLatin1String("I") && flag != QLatin1String("N"))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void LedgerWindow::Text9_LostFocus() {
    QLineEdit* e = text("Text9");
    const QString upper = e->text().toUpper();
    if (upper != e->text()) {
        e->setText(upper);
        // The field counts as typed into, so the binding writes it.
        emit e->textEdited(upper);
    }
    if (upper.isEmpty() || upper == QLatin1String("N") || upper == QLatin1String("I"))
        return;
    BusyCursor::Suspend normal;
    ctx_.dialogs->alert(text::kBadSettledFlag, text::kBadSettledFlagTitle, Icon::Warning);
    e->setFocus();
}

void LedgerWindow::runFinder(QLineEdit* finder) {
    const QString t = finder->text();
    if (t.isEmpty())
        return;
    binder_->commit();
    BusyCursor busy;
    const QString name = finder->objectName();
    bool found = false;
    if (name == QLatin1String("Text13")) {
        if (const auto n = values::parseWhole(t))
            found = VelaData1.findFirst(Condition::equals("Sorszám", qlonglong(*n))).ok() &&
                    !VelaData1.noMatch();
    } else if (name == QLatin1String("Text14") || name == QLatin1String("Text15")) {
        // like "text*": "*" and "?" typed in are wildcards; without them the
        // prefix is found through the column's index.
        const QString column = name == QLatin1String("Text14") ? QStringLiteral("Szamlaszam")
                                                               : QStringLiteral("CegNev");
        if (t.contains(QLatin1Char('*')) || t.contains(QLatin1Char('?')))
            found =
                VelaData1
                    .findFirst(Condition::like(
                        column, QString(t).replace(QLatin1Char('['), QStringLiteral("[[]")) + u'*'))
                    .ok() &&
                !VelaData1.noMatch();
        else
            found = VelaData1.findFirstPrefix(column, t).ok() && !VelaData1.noMatch();
    } else if (name == QLatin1String("Text17")) {
        // A lone minus sign or comma is no amount yet: nothing matches it.
        if (const auto d = values::parseNumber(t))
            found =
                VelaData1.findFirst(Condition::equals("Brutto", *d)).ok() && !VelaData1.noMatch();
    }
    if (found) {
        lastFoundMark_ = VelaData1.bookmark();
    } else if (lastFoundMark_ >= 0) {
        VelaData1.setBookmark(lastFoundMark_);  // a failure to return is forgotten
    }
}

void LedgerWindow::DTPicker_GotFocus(DatePicker* picker) {
    if (noCurrentRow() || VelaData1.bof() || VelaData1.eof())
        return;
    // A null date becomes today, in the column too (and so it is saved).
    if (picker->isNull()) {
        picker->setDate(QDate::currentDate());
        binder_->commit();
    }
}

void LedgerWindow::DBGrid1_HeadClick(int column) {
    binder_->commit();
    BusyCursor busy;
    if (++sortClicks_ >= 10) {
        sortClicks_ = 0;
        // A fresh result from the query text keeps the chain of sorted
        // results short.
        if (!VelaData1.refresh())
            return;
    }
    const QString key = gridModel_->columnName(column) + QStringLiteral(", Szamlaszam");
    const bool descending = VelaData1.sort() == key;
    const QString label = descending ? key + QStringLiteral(" DESC") : key;
    // The second click sorts the clicked column itself downwards, not only
    // the invoice number behind it.
    const QString order =
        descending ? gridModel_->columnName(column) + QStringLiteral(" DESC, Szamlaszam DESC")
                   : key;
    reportFailure(VelaData1.setSort(order, label));
}

}  // namespace vela
