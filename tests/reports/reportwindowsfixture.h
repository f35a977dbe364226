#pragma once

#include "pdfreadback.h"
#include "reportsfixture.h"
#include "ui/appcontext.h"
#include "ui/qtprinterservice.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

#include <QTableWidget>

using namespace vela;
using namespace vela::reports;

class ReportWindows : public ReportsFixture {
  protected:
    void SetUp() override {
        ReportsFixture::SetUp();
        ctx.dataFolder = folder.path();
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.printer = &printer;
        ctx.db.openAll();
        ASSERT_TRUE(ctx.db.veladata && ctx.db.parameters);
        ASSERT_TRUE(ctx.db.parameters->exec(
            "INSERT INTO EmblemaPath (SajatNev, SajatCim, SajatAdoszam, SajatBankszamla, "
            "KesedelmiKamat) VALUES (?, ?, ?, ?, ?)",
            {"Minta Bt.", "6720 Szeged, Kárász utca 5.", "12345678-2-06",
             "11773016-01234567-00000000", 13.5}));
    }
    void TearDown() override { ctx.db.closeAll(); }

    // The text of every page of the PDF the printer service wrote, in one line.
    QString printed() const {
        return pdfreadback::pages(printer.path()).join(QLatin1Char('\n')).simplified();
    }
    static QString rowText(QTableWidget* t, int row) {
        QStringList cells;
        for (int c = 0; c < t->columnCount(); ++c)
            cells << (t->item(row, c) ? t->item(row, c)->text() : QString());
        return cells.join(QStringLiteral(" | "));
    }

    AppContext ctx;
    ScriptedDialogService dialogs;
    ScriptedWindowOpener opener;
    PdfPrinterService printer{folder.file(QStringLiteral("print.pdf"))};
};
