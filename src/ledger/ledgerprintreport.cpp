#include "ledger/ledgerprintreport.h"

#include "ledger/datareportvd1.h"
#include "ledgercore/ledgerrules.h"
#include "storage/columns.h"
#include "storage/funcs.h"
#include "storage/recordsource.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/windowopener.h"

namespace vela {

using Icon = DialogService::Icon;

LedgerPrintReport::LedgerPrintReport(AppContext& ctx, LedgerKind kind, Database& veladata,
                                     QWidget* parent)
    : ctx_(ctx), kind_(kind), veladata_(veladata), parent_(parent) {}

Result<ScratchTable::FillResult> LedgerPrintReport::fill(const RecordSource& rows) {
    const int columns = int(schema::ledgerColumns().size());
    ScratchTable scratch(veladata_);
    return scratch.fill(kind_ == LedgerKind::Payables ? schema::velaData() : schema::velanakData(),
                        rows.recordCount(), [&rows, columns](int i) {
                            QVariantList values;
                            values.reserve(columns);
                            for (int c = 0; c < columns; ++c) values << rows.valueAt(i, c);
                            return values;
                        });
}

double LedgerPrintReport::grandTotal(const RecordSource& scratchRows) {
    const TableDef& t = schema::velaIdeigl();
    const int brutto = t.indexOf(QStringLiteral("Brutto"));
    const int partialGross = t.indexOf(QStringLiteral("RészÖsszegBruttó"));
    const int settled = t.indexOf(QStringLiteral("Kivezetés"));
    ledger::OutstandingTally tally;
    for (int i = 0; i < scratchRows.recordCount(); ++i) {
        tally.add(scratchRows.valueAt(i, settled), scratchRows.valueAt(i, brutto),
                  scratchRows.valueAt(i, partialGross));
    }
    return tally.figure();
}

QString LedgerPrintReport::title(LedgerKind kind, double total) {
    const QString& prefix =
        kind == LedgerKind::Payables ? printtext::kPayablesTitle : printtext::kReceivablesTitle;
    return prefix + values::formatNumber(total);
}

void LedgerPrintReport::tell(const QString& text, const QString& title, Icon icon) {
    if (!ctx_.dialogs)
        return;
    ctx_.dialogs->alert(text, title, icon);
}

void LedgerPrintReport::run(const RecordSource& rows) {
    BusyCursor busy;
    const Result<ScratchTable::FillResult> filled = fill(rows);
    if (!filled) {
        tell(printtext::kFillFailed.arg(filled.errorText()), printtext::kErrorTitle,
             Icon::Critical);
        return;
    }
    if (rows.recordCount() == 0) {
        tell(printtext::kNoRows, printtext::kNoRowsTitle, Icon::Information);
        return;
    }
    if (!ctx_.dialogs)
        return;
    // A row the scratch table refused is missing from the report: a beep each.
    for (int i = 0; i < filled->failed; ++i) ctx_.dialogs->beep();
    ctx_.dialogs->beep();
    if (!ctx_.dialogs->ask(printtext::kAskPreview, printtext::kAskPreviewTitle, Icon::Question))
        return;

    DataReportVD1 report(veladata_, parent_);
    if (const Status read = report.refresh(); !read) {
        tell(printtext::kReportFailed.arg(read.errorText()), printtext::kErrorTitle,
             Icon::Critical);
        return;
    }
    report.setTitle(title(kind_, grandTotal(report.rows())));
    BusyCursor::Suspend normalPointer;
    if (ctx_.opener)
        ctx_.opener->openModal(report);
    else
        report.exec();
}

}  // namespace vela
