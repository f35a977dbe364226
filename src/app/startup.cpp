#include "app/startup.h"

#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/dialogservice.h"

namespace vela {

Startup::~Startup() {
    // The window goes before the databases it reads.
    window_.reset();
}

bool Startup::open() {
    QString err;
    veladata_ = Database::open(
        QStringLiteral("veladata.mdb"), &err,
        {QStringLiteral("VelaData"), QStringLiteral("VelanakData"), QStringLiteral("VelaIdeigl")});
    if (!veladata_) {
        ctx_.dialogs->beep();
        ctx_.dialogs->message(err + QStringLiteral("\n\nA program kilép."),
                              QStringLiteral("FIGYELEM! HIBA!"), DialogService::Icon::Critical);
        return false;
    }
    parameters_ =
        Database::open(QStringLiteral("parameter.kdb"), &err, {QStringLiteral("EmblemaPath")});
    if (!parameters_) {
        // The ledgers work without the parameters; only the invoicing
        // folder stays unknown.
        ctx_.dialogs->beep();
        ctx_.dialogs->message(err + QStringLiteral("\n\nA paraméterek nélkül folytatom."),
                              QStringLiteral("FIGYELEM!"), DialogService::Icon::Warning);
    }
    window_ = std::make_unique<LedgerWindow>(ctx_, LedgerKind::Payables, veladata_.get(),
                                             parameters_.get());
    return true;
}

}  // namespace vela
