#include "app/startup.h"

#include <QDir>

#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/dialogservice.h"

namespace vela {

Startup::~Startup() {
    // The window goes before the databases it reads.
    window_.reset();
    ctx_.db.closeAll();
}

bool Startup::open() {
    ctx_.dataFolder = QDir::currentPath();
    ctx_.db.openAll();
    if (!ctx_.db.veladata) {
        ctx_.dialogs->beep();
        ctx_.dialogs->message(ctx_.db.veladataError + QStringLiteral("\n\nA program kilép."),
                              QStringLiteral("FIGYELEM! HIBA!"), DialogService::Icon::Critical);
        return false;
    }
    if (!ctx_.db.parameters) {
        // The ledgers work without the parameters; only the invoicing
        // folder stays unknown.
        ctx_.dialogs->beep();
        ctx_.dialogs->message(
            ctx_.db.parametersError + QStringLiteral("\n\nA paraméterek nélkül folytatom."),
            QStringLiteral("FIGYELEM!"), DialogService::Icon::Warning);
    }
    // The partner register and the import's staging table are needed only by
    // their windows, which tell the user when theirs could not be opened.
    window_ = std::make_unique<LedgerWindow>(ctx_, LedgerKind::Payables);
    return true;
}

}  // namespace vela
