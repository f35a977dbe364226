// Prints the payables ledger of the data folder in the current directory the
// way "Nyomtatás" does, into a PDF instead of the preview, for the manual's
// picture of a printed page: vela-print-sample OUTPUT.pdf

#include <QApplication>
#include <cstdio>

#include "ledger/datareportvd1.h"
#include "ledger/ledgerprintreport.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-print-sample OUTPUT.pdf\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    auto opened = vela::Database::open(QStringLiteral("veladata.mdb"));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.errorText()));
        return 1;
    }
    auto veladata = std::move(*opened);
    QString err;
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    bool saved = false;
    opener.handlers << [&](QDialog& w) {
        const vela::Status printed = static_cast<vela::DataReportVD1&>(w).printToPdf(out);
        saved = printed.ok();
        err = printed.errorText();
    };
    vela::AppContext ctx;
    ctx.dialogs = &dialogs;
    ctx.opener = &opener;
    vela::RecordSource rows;
    rows.setDatabase(veladata.get());
    rows.setQuery(vela::Query(vela::schema::velaData(), {}, {{"Sorszám"}, {"recordID"}}));
    if (const vela::Status read = rows.refresh(); !read) {
        std::fprintf(stderr, "%s\n", qPrintable(read.errorText()));
        return 1;
    }
    vela::LedgerPrintReport(ctx, vela::LedgerKind::Payables, *veladata).run(rows);
    if (!saved) {
        std::fprintf(stderr, "not printed: %s\n", qPrintable(err));
        return 1;
    }
    std::printf("%s: %d rows\n", qPrintable(out), rows.recordCount());
    return 0;
}
