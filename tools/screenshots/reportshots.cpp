// Pictures of the report windows and PDFs of the printed reports over the
// data folder in the current directory: vela-reportshots OUTPUT_FOLDER.
// Writes korositas.png and penzforgalom.png, and egyenlegkozlo.pdf,
// felszolitas.pdf and tetellista.pdf (pdftoppm makes their pictures).

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTableWidget>
#include <cstdio>

#include "reports/business.h"
#include "reports/korositasformx.h"
#include "reports/letters.h"
#include "reports/listreport.h"
#include "reports/penzforgalomformx.h"
#include "storage/columns.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

namespace {

bool save(QWidget& w, const QString& path) {
    w.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    const QPixmap shot = w.grab();
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path);
}

bool pdf(const vela::Status& s, const QString& path) {
    std::printf("%s %s\n", qPrintable(path), s ? "ok" : qPrintable(s.errorText()));
    return s.ok();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-reportshots OUTPUT_FOLDER\n");
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
    if (!ctx.db.veladata || !ctx.db.parameters) {
        std::fprintf(stderr, "%s\n", qPrintable(ctx.db.veladataStatus.errorText()));
        return 1;
    }
    using namespace vela::reports;
    const QDate today = QDate::currentDate();
    auto own = readBusiness(*ctx.db.parameters);
    // The demo folder leaves the business's own data to the user; the
    // letters are shown with a header as a user who has set it sees them.
    const Business business = own && !own->name.isEmpty()
                                  ? *own
                                  : Business{QStringLiteral("Kvadra Kereskedőház Kft."),
                                             QStringLiteral("6720 Szeged, Kárász utca 5."),
                                             QStringLiteral("12345678-2-06"),
                                             QStringLiteral("11773016-01234567-00000000"), 13.5};

    bool ok = true;
    vela::KorosításFormX ageing(ctx, Ledger::Receivables, nullptr, today);
    ageing.resize(1280, 640);
    ok = save(ageing, out.filePath(QStringLiteral("korositas.png"))) && ok;
    // The most overdue partner's statement and reminder.
    if (!ageing.report().lines.empty()) {
        const QString partner = ageing.report().lines.front().partner;
        auto s = partnerStatement(*ctx.db.veladata, Ledger::Receivables, partner, today);
        if (s) {
            ok = pdf(writePdf(statementDocument(*s, business),
                              out.filePath(QStringLiteral("egyenlegkozlo.pdf"))),
                     out.filePath(QStringLiteral("egyenlegkozlo.pdf"))) &&
                 ok;
            const Reminder r =
                reminderOf(*s, today.addDays(8), business.yearlyRate > 0, business.yearlyRate);
            ok = pdf(writePdf(reminderDocument(r, business),
                              out.filePath(QStringLiteral("felszolitas.pdf"))),
                     out.filePath(QStringLiteral("felszolitas.pdf"))) &&
                 ok;
        }
    }
    auto list = listReport(
        *ctx.db.veladata, Ledger::Receivables,
        vela::Query(vela::schema::velanakData(), {}, {{"Sorszám"}, {"recordID"}}), today);
    if (list)
        ok = pdf(writePdf(listDocument(*list, business),
                          out.filePath(QStringLiteral("tetellista.pdf"))),
                 out.filePath(QStringLiteral("tetellista.pdf"))) &&
             ok;
    vela::PenzforgalomFormX flow(ctx, nullptr, today);
    flow.resize(1280, 800);
    ok = save(flow, out.filePath(QStringLiteral("penzforgalom.png"))) && ok;
    return ok ? 0 : 1;
}
