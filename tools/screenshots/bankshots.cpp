// A picture of the bank statement window over the data folder in the
// current directory, on its demo statement: vela-bankshots OUTPUT_FOLDER.
// Writes bankkivonat.png with the part payment's line current.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTableWidget>
#include <cstdio>

#include "bankwindow/bankkivonatformx.h"
#include "ledger/ledgerwindow.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-bankshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    ctx.dataFolder = QDir::currentPath();
    ctx.dialogs = &dialogs;
    ctx.opener = &opener;
    ctx.db.openAll();
    vela::BankkivonatFormX w(ctx);
    if (!w.openFile(QStringLiteral("bank/kivonat-238.xml"))) {
        std::fprintf(stderr, "%s\n", qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
        return 1;
    }
    w.resize(1360, 740);
    w.show();
    w.grid()->setCurrentCell(1, 1);
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    const QString path = out.filePath(QStringLiteral("bankkivonat.png"));
    const QPixmap shot = w.grab();
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path) ? 0 : 1;
}
