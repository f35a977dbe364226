// Takes pictures of the payables and the receivables window, the invoice
// import window after a load, the parameters window, the partner register
// and a page of the partner list over the data folder in the current
// directory: vela-screenshots OUTPUT_FOLDER. The load leaves its rows in the
// folder's staging table.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/startup.h"
#include "importwindow/szamlaimportformx.h"
#include "ledger/ledgerwindow.h"
#include "partners/beraktarozokformx.h"
#include "partners/beszallitonyomformx.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/qtdialogservice.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

namespace {

void settle() {
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
}

bool save(QWidget& w, const QString& path) {
    settle();
    const QPixmap shot = w.grab();
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    vela::QtDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    ctx.dialogs = &dialogs;
    ctx.opener = &opener;
    vela::Startup startup(ctx);
    if (!startup.open())
        return 1;
    vela::LedgerWindow* payables = startup.window();
    payables->resize(1366, 740);
    payables->show();
    bool ok = save(*payables, out.filePath("tartozunk.png"));

    opener.handlers << [&](QDialog& window) {
        window.resize(1366, 740);
        auto* receivables = static_cast<vela::LedgerWindow*>(&window);
        ok = receivables->rows().moveTo(3).ok() && ok;
        ok = save(window, out.filePath("tartoznak.png")) && ok;

        // The import window with every kind loaded from number 1, its
        // questions answered by script.
        vela::ScriptedDialogService scripted;
        scripted.answer(vela::DialogService::Answer::Yes);  // empty the staging table
        scripted.answer(vela::DialogService::Answer::Yes);
        for (int i = 0; i < 6; ++i) scripted.answerInput(QStringLiteral("1"));
        ctx.dialogs = &scripted;
        opener.handlers << [&](QDialog& import) {
            import.resize(1200, 640);
            auto& form = static_cast<vela::SzamlaImportFormX&>(import);
            scripted.answer(vela::DialogService::Answer::No);  // keep what was there: none
            form.Command1_Click();
            ok = form.staging().moveTo(std::max(0, form.staging().recordCount() - 8)).ok() && ok;
            ok = save(import, out.filePath("szamlaimport.png")) && ok;
            form.Kilepes_Click();
        };
        receivables->szamlabol_Click();
        ctx.dialogs = &dialogs;
    };
    payables->Tartoznak_Click();

    opener.handlers << [&](QDialog& window) {
        window.resize(1000, 180);
        ok = save(window, out.filePath("parameterek.png")) && ok;
    };
    payables->Parameter_Click();

    // The partner register on the current row's partner, and the first page
    // of its list.
    opener.handlers << [&](QDialog& window) {
        auto* partners = static_cast<vela::BeraktarozokFormX*>(&window);
        partners->resize(1200, 720);
        ok = save(window, out.filePath("ugyfeltorzs.png")) && ok;
        ok = partners->rows().moveFirst().ok() && ok;
        opener.handlers << [&](QDialog& page) {
            ok = save(page, out.filePath("ugyfellista.png")) && ok;
            static_cast<vela::BeszallitoNyomFormX&>(page).Command3_Click();
        };
        partners->menuItem(QStringLiteral("BeszNyom"))->trigger();
        partners->SetQui(false);  // leave without the full check's question
    };
    payables->VevoTorzs_Click();
    return ok ? 0 : 1;
}
