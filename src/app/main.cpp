// VelaData: the payables and receivables ledgers of the data folder, which
// is the current directory.

#include <QApplication>

#include "app/commandline.h"
#include "app/startup.h"
#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/qtdialogservice.h"
#include "ui/qtprinterservice.h"
#include "ui/windowopener.h"

int main(int argc, char** argv) {
    if (vela::answerInfoRequest(argc, argv))
        return 0;
    QApplication app(argc, argv);
    vela::useHungarian(app);
    QApplication::setApplicationName(QStringLiteral("VelaData"));
    QApplication::setApplicationVersion(QStringLiteral("2.5"));

    vela::QtDialogService dialogs;
    vela::QtPrinterService printer;
    vela::QtWindowOpener opener;
    vela::AppContext ctx;
    ctx.dialogs = &dialogs;
    ctx.printer = &printer;
    ctx.opener = &opener;

    vela::Startup startup(ctx);
    if (!startup.open())
        return 1;
    startup.endOnlyByExit();
    startup.window()->show();
    return app.exec();
}
