// VelaData: the payables and receivables ledgers of the data folder, which
// is the current directory.

#include <QAction>
#include <QApplication>
#include <QTimer>

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
    vela::LedgerWindow* window = startup.window();
    startup.endOnlyByExit();
    window->show();
    // "--nav-szamla FILE…": the Online Számla import opens over the ledger
    // with the files in its list.
    if (const auto files = vela::navSzamlaFiles(QApplication::arguments())) {
        window->setProperty("navSzamlaFiles", *files);
        QTimer::singleShot(0, window, [window] {
            if (QAction* item = window->menuItem(QStringLiteral("NavSzamla")))
                item->trigger();
        });
    }
    ctx.bankStatementFile = vela::bankStatementArgument(QApplication::arguments().mid(1));
    if (!ctx.bankStatementFile.isEmpty()) {
        // Once the payables window is up, as if the user chose the menu item.
        QTimer::singleShot(0, window, [window] {
            if (QAction* item = window->menuItem(QStringLiteral("Bankkivonat")))
                item->trigger();
        });
    }
    return app.exec();
}
