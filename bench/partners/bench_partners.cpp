// What the user waits for in the partner register of 100 000 partners: the
// window opening on the name the ledger passed, one keystroke in the name
// finder, and the full check of "Mentés-Kilépés". The register is made once
// in /tmp and reused.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "../readymark.h"
#include "partners/beraktarozokformx.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

namespace {

QString partnerFolder(int rows) {
    const QString dir = QStringLiteral("/tmp/vela-bench-partners-%1").arg(rows);
    if (bench::isReady(dir))
        return dir;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    for (const char* f : {"veladata.mdb", "betarol.kdb", "parameter.kdb", "LFakturo.mdb"})
        QFile::copy(QStringLiteral(VELA_TEMPLATE_DIR "/") + f, dir + "/" + f);
    auto opened = vela::Database::openPath(dir + "/betarol.kdb");
    if (!opened)
        qFatal("%s", qPrintable(opened.errorText()));
    auto& db = *opened;
    const vela::Status filled =
        db->exec(QStringLiteral(
                     "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
                     "INSERT INTO beraktar (BerNev, BerIrszam, BerSzekhely, BerCim, BerTelefon, "
                     "recordID, BerOrszag, \"VevöBeszállitó\") "
                     "SELECT CASE i % 4 WHEN 0 THEN 'Kovács ' WHEN 1 THEN 'Ősz ' "
                     "WHEN 2 THEN 'Partner ' ELSE 'Zeta ' END || printf('%06d', i * 7919 % %1) "
                     "|| ' Kft', 1000 + i % 9000, 'Budapest', 'Fő utca ' || (i % 200), "
                     "'06-1-' || i, i, 'H', CASE i % 3 WHEN 0 THEN 'B' WHEN 1 THEN 'V' END FROM c")
                     .arg(rows));
    if (!filled)
        qFatal("%s", qPrintable(filled.errorText()));
    const vela::Status countries =
        db->exec(QStringLiteral("INSERT INTO TorzsOrszagok VALUES ('H', 'Magyarország'), "
                                "('A', 'Ausztria')"));
    if (!countries)
        qFatal("%s", qPrintable(countries.errorText()));
    bench::markReady(dir);
    return dir;
}

struct Session {
    explicit Session(int rows) {
        QDir::setCurrent(partnerFolder(rows));
        ctx.db.openAll();
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
    }
    ~Session() { ctx.db.closeAll(); }
    std::unique_ptr<vela::BeraktarozokFormX> openWindow() {
        auto w = std::make_unique<vela::BeraktarozokFormX>(ctx);
        w->show();
        w->repaint();  // the first painted window
        return w;
    }
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
};

// The ledger passed a name from the middle of the register.
void BM_OpenOnPassedName(benchmark::State& state) {
    Session s(int(state.range(0)));
    s.ctx.selectedPartner.name = QStringLiteral("kovács 050000 kft");
    for (auto _ : state) {
        auto w = s.openWindow();
        benchmark::DoNotOptimize(w->rows().position());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

// One keystroke: the finder's text changes by one letter.
void BM_FinderKeystroke(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    auto* finder = w->findChild<QLineEdit*>("Text15");
    const QStringList typed = {"K",          "Ko",          "Kov",       "Ková",  "Kovács 07",
                               "ő",          "ŐS",          "Ősz 09999", "p",     "Pa",
                               "Partner 05", "Partner 05x", "z",         "Zeta 1"};
    int i = 0;
    for (auto _ : state) {
        finder->setText(typed[i++ % typed.size()]);
        benchmark::DoNotOptimize(w->rows().position());
    }
}

// "Mentés-Kilépés" with the full check: every row read, the window closed.
void BM_FullCheckOnExit(benchmark::State& state) {
    Session s(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto w = s.openWindow();
        s.dialogs.answer(vela::DialogService::Answer::Yes);
        state.ResumeTiming();
        w->menuItem("Kilepes")->trigger();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_OpenOnPassedName)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FinderKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullCheckOnExit)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
