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
#include "ledgercore/ledgerrules.h"
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

QString LedgerWindow::NewRowId(const QDateTime& when) {
    return ledger::newRowId(when);
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

    // The number and the identifier are taken when the row is inserted.
    Status added = VelaData1.addNew();
    if (added)
        added = LedgerRow::edit(VelaData1,
                                [](LedgerRow& row) { row = ledger::newRow(QDate::currentDate()); });
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
    lastRowId_ = VelaData1.field("recordID").toString();
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
        // A VAT rate that is no number was refused when its field was left,
        // so the stored rate is used.
        reportFailure(LedgerRow::edit(VelaData1, &ledger::applySaveAmounts));
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
        reportFailure(LedgerRow::edit(VelaData1, &ledger::tidySaved));
        text("Text10")->setFocus();
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
    // Settled as the row stands; saved with the row.
    reportFailure(LedgerRow::edit(VelaData1, [](LedgerRow& row) { ledger::settle(row, {}); }));
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
        if (!ledger::isSettledFlag(text("Text9")->text()))
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
    if (ledger::isSettledFlag(upper))
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
    const QString name = gridModel_->columnName(column);
    sortOnHeader(VelaData1, 1, [&](const QString& shown) {
        const QString ascending = RecordSource::describe({{name}, {"Szamlaszam"}});
        const bool descending = shown == ascending;
        // The second click sorts the clicked column itself downwards, not only
        // the invoice number behind it (told by its label, as the grid shows it).
        return std::pair{QList<OrderKey>{{name, descending}, {"Szamlaszam", descending}},
                         descending ? ascending + QStringLiteral(" DESC") : ascending};
    });
}

}  // namespace vela
