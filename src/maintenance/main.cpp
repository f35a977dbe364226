// VelaRep: rebuilds the data folder's databases from the clean templates
// kept in Data/ beside the program.

#include <QApplication>
#include <QStringList>

#include "maintenance/form1.h"
#include "maintenance/maintenancerun.h"
#include "maintenance/qtrepdialogservice.h"
#include "maintenance/repcommandline.h"

int main(int argc, char** argv) {
    if (velarep::answerInfoRequest(argc, argv))
        return 0;
    QApplication app(argc, argv);
    velarep::useHungarian(app);
    QApplication::setApplicationName(QStringLiteral("VelaRep"));
    velarep::QtRepDialogService dialogs;
    velarep::Form1 window(
        velarep::MaintenanceRun::templateDirFor(QCoreApplication::applicationDirPath()), dialogs);
    dialogs.setParent(&window);
    window.start(QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')));
    if (!window.isVisible())
        return 0;
    return app.exec();
}
