// Partial settlement in the ledger window: the row duplication that makes a
// partial-payment row, the per-invoice partial totals and the check pass.

#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>

#include "ledger/ledgermessages.h"
#include "ledger/ledgerwindow.h"
#include "storage/columns.h"
#include "storage/funcs.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/fieldbinder.h"

namespace vela {

namespace text = ledgertext;
using Icon = DialogService::Icon;

namespace {

// The filter items whose check marks a duplication clears.
const char* const kClearedByDuplication[] = {
    "Kivezetve", "Nemkivezetve", "MegnevSzur", "SorszamSzur", "SzamlaSzur", "UgyfelSzur", "Kp",
    "Atutal",    "Utanvet",      "Nyugta",     "Szallito",    "ProformaK",  "ProformaA",  "SzurKi"};

}  // namespace

void LedgerWindow::RekordDupla_Click() {
    if (VelaData1.recordCount() == 0 || VelaData1.eof() || VelaData1.bof())
        return;
    storeCurrentRow();
    BusyCursor busy;
    const int remembered = VelaData1.position();
    const qlonglong number =
        qlonglong(Funcs::NumOrZero(VelaData1.field(QStringLiteral("Sorszám"))).toDouble());
    const Condition sameNumber = Condition::equals("Sorszám", number);

    for (const char* name : kClearedByDuplication) {
        if (QAction* a = menuItem(name))
            a->setChecked(false);
    }

    // The copy also stands in the scratch table, emptied first.
    emptyScratchTable();
    const Result<LedgerBook::Booked> booked =
        book_.bookPartialPayment(VelaData1.bookmark(), {}, &schema::velaIdeigl());
    if (!booked) {
        BusyCursor::Suspend normal;
        ctx_.dialogs->alert(text::kNotStorable, traits_.ledgerUpdateTitle, Icon::Critical);
        return;
    }
    lastRowId_ = booked->rowId;

    // All rows and their figure again, then the first row with the number.
    checkFilterItem("SzurKi");
    runAllRows();
    VelaData1.moveFirst();
    if (const Status search = VelaData1.findFirst(sameNumber); search && !VelaData1.noMatch()) {
        lastFoundMark_ = VelaData1.bookmark();
    } else {
        const bool back = traits_.kind == LedgerKind::Payables
                              ? lastFoundMark_ >= 0 && VelaData1.setBookmark(lastFoundMark_).ok()
                              : VelaData1.moveTo(remembered).ok();
        if (!back)
            VelaData1.moveLast();
    }
    text("Text13")->setFocus();
}

void LedgerWindow::reportPass(const Result<PassCounts>& pass, bool tellNoRate) {
    BusyCursor::Suspend normal;
    if (!pass) {
        showDatabaseError(pass.errorText());
        return;
    }
    const PassCounts& result = *pass;
    if (result.failed > 0)
        ctx_.dialogs->message(text::kRowsNotWritten.arg(result.failed).arg(result.lastRowError),
                              text::kAttention, Icon::Warning);
    if (tellNoRate && result.noRate > 0)
        ctx_.dialogs->message(text::kRowsWithoutRate.arg(result.noRate), text::kAttention,
                              Icon::Information);
}

void LedgerWindow::afterPass(int rememberedPosition) {
    // The rows were written beside the record source: read them anew (in
    // the sort shown), then back to the remembered row, or the last (< 0).
    if (!reportFailure(VelaData1.requery()))
        return;
    if (rememberedPosition < 0 || VelaData1.recordCount() == 0) {
        VelaData1.moveLast();
        return;
    }
    if (!VelaData1.moveTo(rememberedPosition)) {
        ctx_.dialogs->beep();
        VelaData1.moveLast();
    }
}

void LedgerWindow::ReszosszegSzam_Click() {
    if (VelaData1.recordCount() == 0)
        return;
    storeCurrentRow();
    BusyCursor busy;
    // Payables end on the last row, receivables where they stood.
    const int remembered =
        traits_.kind == LedgerKind::Payables ? -1 : std::max(0, VelaData1.position());
    const Result<PassCounts> result =
        book_.writePartialTotals(VelaData1.query().where, [this] { ctx_.dialogs->beep(); });
    afterPass(remembered);
    reportPass(result, false);
}

void LedgerWindow::Ellenorzes_Click() {
    if (VelaData1.recordCount() == 0)
        return;
    storeCurrentRow();
    BusyCursor busy;
    const Result<PassCounts> result = book_.checkRows(
        VelaData1.query().where,
        /*onlyPositive=*/traits_.kind == LedgerKind::Receivables, [this] { ctx_.dialogs->beep(); });
    // After the last row both windows stand on the last row.
    afterPass(-1);
    reportPass(result, true);
}

}  // namespace vela
