// The ledger window's "MS Excel 8" menu item: the reset of the workbook from
// its empty template, then the export window.

#include <QDir>

#include "ledger/excelexportformx.h"
#include "ledger/excelexporttraits.h"
#include "ledger/ledgerwindow.h"
#include "storage/funcs.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/windowopener.h"
#include "xls/workbook.h"

namespace vela {

void LedgerWindow::ExcelExp_Click() {
    exportToExcel();
}

void LedgerWindow::Excelbe_Click() {
    exportToExcel();
}

void LedgerWindow::exportToExcel() {
    namespace text = exporttext;
    using Icon = DialogService::Icon;
    const ExcelExportTraits& t = ExcelExportTraits::of(traits_.kind);
    // What was typed into the current row goes into the table first: the
    // export reads the table.
    storeCurrentRow();
    if (!ctx_.dialogs)
        return;
    ctx_.dialogs->beep();
    if (!ctx_.dialogs->ask(t.resetQuestion, text::kResetTitle, Icon::Question))
        return;

    {
        BusyCursor busy;
        const QString folder = ctx_.dataFolder.isEmpty() ? QDir::currentPath() : ctx_.dataFolder;
        // Refused while the workbook is open elsewhere: a copy over it would
        // succeed unnoticed and the other program would save its old rows back.
        // The window has one message for every reason the copy failed.
        if (!xls::Workbook::resetFrom(t.templatePath(folder), t.workbookPath(folder))) {
            ctx_.dialogs->alert(text::kResetFailed, text::kResetFailedTitle, Icon::Critical);
        }
    }

    ctx_.exportFromSorszam =
        VelaData1.bof() || VelaData1.eof()
            ? 0
            : Funcs::NumOrZero(VelaData1.field(QStringLiteral("Sorszám"))).toLongLong();
    ExcelExportFormX exportWindow(ctx_, traits_.kind, this);
    if (ctx_.opener)
        ctx_.opener->openModal(exportWindow);
    becomeActive();
}

}  // namespace vela
