// What the user waits for in the ledger window on big ledgers: the window
// opening to its first paint, a finder keystroke, a save, a new row and a
// header sort. Ledgers of 10 000, 100 000 and 1 000 000 rows are made once
// in /tmp and reused.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

#include "benchfolder.h"

namespace {

QString ledgerFolder(int rows) {
    return benchFolder(
        QStringLiteral("vela-bench-ledger"), rows,
        QStringLiteral(
            "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Megnevezes, "
            "Netto, AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Devizanem, Kivezetés, "
            "RészÖsszeg, FizetésMódja, RészÖsszegBruttó) "
            "SELECT i, '2024' || i, 'SZ-' || (i * 7919 % 1000003), "
            "CASE i % 3 WHEN 0 THEN 'Ősz Kft ' ELSE 'Partner ' END || (i % 50), "
            "'Budapest Fő u. ' || (i % 100), 'Áru ' || (i % 13), (i % 1000) * 10.0, 27, "
            "(i % 1000) * 12.7, '2024-01-02', '2024-02-01', '2024-01-02', 'Ft', "
            "CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, 0, 'átutalás', 0 FROM c"));
}

struct Session {
    explicit Session(int rows) {
        QDir::setCurrent(ledgerFolder(rows));
        ctx.db.openAll();
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
    }
    std::unique_ptr<vela::LedgerWindow> openWindow() {
        auto w = std::make_unique<vela::LedgerWindow>(ctx, vela::LedgerKind::Payables);
        w->show();
        w->repaint();  // the first painted window
        return w;
    }
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
};

void BM_OpenToFirstPaint(benchmark::State& state) {
    Session s(int(state.range(0)));
    for (auto _ : state) {
        auto w = s.openWindow();
        benchmark::DoNotOptimize(w->openTotalText());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_MB"] = double(ru.ru_maxrss) / 1024.0;
}

void BM_ScrollPageDown(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    must(w->rows().moveFirst());
    QWidget* grid = w->findChild<QWidget*>("DBGrid1");
    grid->setFocus();
    for (auto _ : state) {
        QTest::keyClick(grid, Qt::Key_PageDown);
        grid->repaint();
    }
}

void BM_FinderKeystroke(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    auto* t15 = w->findChild<QLineEdit*>("Text15");
    const QStringList steps = {"ő", "ős", "ősz", "ősz ", "ősz k", "partner 4", "nincs"};
    int i = 0;
    for (auto _ : state) t15->setText(steps[i++ % steps.size()]);
}

void BM_InvoiceFinderKeystroke(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    auto* t14 = w->findChild<QLineEdit*>("Text14");
    const QStringList steps = {"s", "sz", "sz-", "sz-1", "sz-12", "sz-129", "sz-1299"};
    int i = 0;
    for (auto _ : state) t14->setText(steps[i++ % steps.size()]);
}

void BM_Save(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    double v = 1;
    for (auto _ : state) {
        must(w->rows().setField("Netto", v++));
        w->Command3_Click();
    }
}

void BM_NewRow(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    for (auto _ : state) {
        w->Command2_Click();
        state.PauseTiming();
        must(w->rows().deleteCurrent());
        state.ResumeTiming();
    }
}

void BM_HeaderSort(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    for (auto _ : state) w->DBGrid1_HeadClick(7);  // Brutto, up and down in turn
}

// A text column: names in Hungarian alphabetical order.
void BM_HeaderSortName(benchmark::State& state) {
    Session s(int(state.range(0)));
    auto w = s.openWindow();
    for (auto _ : state) w->DBGrid1_HeadClick(2);  // CegNev, up and down in turn
}

void BM_BareSumForOpenTotal(benchmark::State& state) {
    Session s(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.ctx.db.veladata->scalar(
            "SELECT sum(Brutto - ifnull(RészÖsszeg, 0)) FROM VelaData WHERE Kivezetés = 'N' OR "
            "Kivezetés = 'n' OR Kivezetés = '' OR Kivezetés IS NULL"));
}

#define SIZES Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_OpenToFirstPaint)->SIZES->Iterations(3);
BENCHMARK(BM_ScrollPageDown)->SIZES;
BENCHMARK(BM_FinderKeystroke)->SIZES;
BENCHMARK(BM_InvoiceFinderKeystroke)->SIZES;
BENCHMARK(BM_Save)->SIZES;
BENCHMARK(BM_NewRow)->SIZES->Iterations(5);
BENCHMARK(BM_HeaderSort)->SIZES->Iterations(4);
BENCHMARK(BM_HeaderSortName)->SIZES->Iterations(4);
BENCHMARK(BM_BareSumForOpenTotal)->SIZES;

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
