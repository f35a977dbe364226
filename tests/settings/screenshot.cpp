// Draws a viewer window into a PNG file: settings_screenshot manual|help out.png
// (help reads the help file from the current directory's Segedlet folder).
#include <QApplication>
#include <QTimer>

#include "settings/felhasznaloikezikonyvvdform.h"
#include "settings/helpformx.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    vela::ScriptedDialogService dialogs;
    vela::AppContext ctx;
    ctx.dialogs = &dialogs;
    QDialog* window = nullptr;
    if (QByteArray(argv[1]) == "help") {
        ctx.helpTopic = QStringLiteral("BeraktarozokFormX");
        window = new vela::HelpFormX(ctx);
    } else {
        window = new vela::FelhasznaloiKezikonyvVDForm(ctx);
    }
    window->resize(760, 520);
    window->show();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QTimer::singleShot(500, [&] {
        window->grab().save(out);
        app.quit();
    });
    return app.exec();
}
