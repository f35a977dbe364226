// The program's start on a big payables ledger: from opening the data
// folder's databases to the payables window standing painted on the screen,
// and to its per-currency line filled. Two shapes of ledger: the demo
// maker's (veladata-demo --ledger-rows N), and one filled by plain SQL whose
// rows are two thirds open, all of one payment method, none with a
// currency, which is what the grouped pass over the open rows finds hardest.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include "demofoldermaker.h"
#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

#include "benchfolder.h"

namespace {

enum Shape { MostlyOpen = 0, Demo = 1 };

QString mostlyOpenFolder(int rows) {
    return benchFolder(
        QStringLiteral("vela-bench-startup-open"), rows,
        QStringLiteral(
            "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Megnevezes, "
            "Netto, AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Kivezetés, RészÖsszeg, "
            "FizetésMódja, RészÖsszegBruttó) "
            "SELECT i, '2024' || i, 'SZ-' || i, 'Partner ' || (i % 500), 'Budapest', "
            "'Áru ' || (i % 13), (i % 1000) * 10.0, 27, (i % 1000) * 12.7, '2024-01-02', "
            "'2024-02-01', '2024-01-02', CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, 0, "
            "'átutalás', 0 FROM c"));
}

QString demoFolder(int rows) {
    const QString dir = QStringLiteral("/tmp/vela-bench-startup-demo-%1").arg(rows);
    if (bench::isReady(dir))
        return dir;
    vela::demo::DemoOptions options;
    options.payablesRows = rows;
    options.force = true;
    must(vela::demo::DemoFolderMaker(options).make(dir));
    bench::markReady(dir);
    return dir;
}

struct Start {
    explicit Start(Shape shape, int rows) {
        QDir::setCurrent(shape == Demo ? demoFolder(rows) : mostlyOpenFolder(rows));
    }
    // What the program does from its start to the window on the screen.
    std::unique_ptr<vela::LedgerWindow> toScreen() {
        ctx = std::make_unique<vela::AppContext>();
        ctx->dialogs = &dialogs;
        ctx->opener = &opener;
        ctx->db.openAll();
        auto w = std::make_unique<vela::LedgerWindow>(*ctx, vela::LedgerKind::Payables);
        w->show();
        w->repaint();
        return w;
    }
    void close(std::unique_ptr<vela::LedgerWindow>& w) {
        w.reset();
        ctx->db.closeAll();
        ctx.reset();
        QApplication::processEvents();
    }
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    std::unique_ptr<vela::AppContext> ctx;
};

void BM_StartToScreen(benchmark::State& state) {
    Start s(Shape(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        auto w = s.toScreen();
        benchmark::DoNotOptimize(w->openTotalText());
        state.PauseTiming();
        s.close(w);
        state.ResumeTiming();
    }
}

void BM_StartToCurrencyLine(benchmark::State& state) {
    Start s(Shape(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        auto w = s.toScreen();
        QApplication::processEvents();
        benchmark::DoNotOptimize(w->currencyTotalsText());
        state.PauseTiming();
        s.close(w);
        state.ResumeTiming();
    }
}

// {shape: 0 mostly open, 1 the demo maker's; rows}
#define SHAPES                          \
    ArgNames({"shape", "rows"})         \
        ->Args({MostlyOpen, 100000})    \
        ->Args({MostlyOpen, 1000000})   \
        ->Args({Demo, 100000})          \
        ->Args({Demo, 1000000})         \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(3)
BENCHMARK(BM_StartToScreen)->SHAPES;
BENCHMARK(BM_StartToCurrencyLine)->SHAPES;

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
