#include "reports/reportactions.h"

#include <QPrinter>

#include "reports/korositasformx.h"
#include "reports/letters.h"
#include "reports/penzforgalomformx.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/dialogservice.h"
#include "ui/printerservice.h"
#include "ui/windowopener.h"

namespace vela::reports {

using Icon = DialogService::Icon;

namespace {
namespace text {
const QString error = QStringLiteral("FIGYELEM! HIBA!");
const QString attention = QStringLiteral("FIGYELEM!");
const QString noDatabase = QStringLiteral("Az adatbázis nem nyitható meg: %1");
const QString printError = QStringLiteral("A nyomtatás nem sikerült: %1");
}  // namespace text

bool haveLedgers(AppContext& ctx) {
    if (ctx.db.veladata)
        return true;
    ctx.dialogs->alert(text::noDatabase.arg(ctx.db.veladataStatus.errorText()), text::error,
                       Icon::Critical);
    return false;
}

// The business's header; a parameters file without it leaves the header empty
// after telling so.
Business businessOf(AppContext& ctx) {
    if (!ctx.db.parameters)
        return {};
    auto read = readBusiness(*ctx.db.parameters);
    if (read)
        return *read;
    ctx.dialogs->alert(read.errorText(), text::attention, Icon::Warning);
    return {};
}
}  // namespace

void openAgeing(AppContext& ctx, Ledger ledger, QWidget* parent) {
    if (!haveLedgers(ctx))
        return;
    KorosításFormX window(ctx, ledger, parent);
    ctx.opener->openModal(window);
}

void printListReport(AppContext& ctx, Ledger ledger, const Query& shown) {
    // No printer check: the preview is the list's only way to a PDF, which
    // its print box writes without a printer.
    if (!haveLedgers(ctx))
        return;
    Result<ListReport> list = Error{};
    {
        BusyCursor busy;
        list = listReport(*ctx.db.veladata, ledger, shown, QDate::currentDate());
    }
    if (!list) {
        ctx.dialogs->alert(list.errorText(), text::error, Icon::Critical);
        return;
    }
    const Document doc = listDocument(*list, businessOf(ctx));
    if (Status s = ctx.printer->preview(
            [&](QPrinter& printer) { (void)paintDocument(doc, printer); }, QPageLayout::Landscape);
        !s)
        ctx.dialogs->alert(text::printError.arg(s.errorText()), text::error, Icon::Critical);
}

void openCashFlow(AppContext& ctx, QWidget* parent) {
    if (!haveLedgers(ctx))
        return;
    PenzforgalomFormX window(ctx, parent);
    ctx.opener->openModal(window);
}

}  // namespace vela::reports
