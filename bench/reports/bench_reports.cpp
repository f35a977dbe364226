// The reports' reads on big ledgers: the ageing of the 1 000 000-row
// payables ledger of the demo data maker (veladata-demo --ledger-rows
// 1000000), the cash-flow chart's data over it and the receivables beside
// it, and a reminder run for 1 000 partners into PDFs. Each folder is made
// once in /tmp and reused.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>

#include "demofoldermaker.h"
#include "reports/ageing.h"
#include "reports/cashflow.h"
#include "reports/reminderrun.h"
#include "storage/database.h"

#include "../ledger/benchfolder.h"

namespace {

const QDate kAsOf(2026, 12, 9);

// Rows for 1 000 partners in three spellings of the forint and in euros,
// a third settled, every twentieth a part payment, due dates from 340 days
// ago to 60 days ahead.
QString rowsOf(const char* table) {
    return QStringLiteral(
               "INSERT INTO %1 (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Brutto, Datumtol, "
               "Datumig, Devizanem, Kivezetés, RészÖsszegBruttó, Részkiegyenlités) "
               "SELECT i, 'R' || i, 'SZ-' || i, 'Partner ' || (i % 1000), 'Budapest Fő u. 1.', "
               "(i % 997) * 100.0 + 1000, '2026-01-02', "
               "date('2026-12-09', '+60 days', '-' || (i % 400) || ' days'), "
               "CASE i % 10 WHEN 0 THEN 'EUR' WHEN 1 THEN 'FT' WHEN 2 THEN 'HUF' ELSE 'Ft' END, "
               "CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, "
               "CASE WHEN i % 20 = 7 THEN 500.0 ELSE 0 END, i % 20 = 7 FROM c")
        .arg(QString::fromLatin1(table));
}

std::unique_ptr<vela::Database> open(const QString& dir) {
    auto db = vela::Database::openPath(dir + QStringLiteral("/veladata.mdb"));
    if (!db)
        qFatal("%s", qPrintable(db.errorText()));
    return std::move(*db);
}

// The data folder veladata-demo --ledger-rows 1000000 makes, with the
// demo's day fixed so that the figures stay the same from run to run.
QString bigFolder() {
    static const QString dir = [] {
        const QString d = QStringLiteral("/tmp/vela-bench-reports-demo-1000000");
        if (bench::isReady(d))
            return d;
        QDir(d).removeRecursively();
        vela::demo::DemoOptions options;
        options.payablesRows = 1000000;
        options.today = kAsOf;
        options.templateDir = QStringLiteral(VELA_TEMPLATE_DIR);
        vela::demo::DemoFolderMaker maker(options);
        must(maker.make(d));
        bench::markReady(d);
        return d;
    }();
    return dir;
}

void BM_Ageing(benchmark::State& state) {
    auto db = open(bigFolder());
    for (auto _ : state) {
        auto r = vela::reports::ageing(*db, vela::reports::Ledger::Payables, kAsOf);
        must(r ? vela::Status{} : vela::Status{r.error()});
        benchmark::DoNotOptimize(r->lines.size());
    }
}
BENCHMARK(BM_Ageing)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the chart window reads: the weeks and both ledgers' ageing totals,
// one pass over each ledger.
void BM_ChartData(benchmark::State& state) {
    auto db = open(bigFolder());
    for (auto _ : state) {
        auto f = vela::reports::cashFlow(*db, kAsOf, QStringLiteral("Ft"));
        must(f ? vela::Status{} : vela::Status{f.error()});
        benchmark::DoNotOptimize(f->weeks.size());
    }
}
BENCHMARK(BM_ChartData)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1 000 partners with eight receivables each, five of them late: a letter
// of about one page per partner.
void BM_ReminderRun1000Partners(benchmark::State& state) {
    const QString dir =
        benchFolder(QStringLiteral("vela-bench-reminders"), 8000,
                    rowsOf("VelanakData")
                        .replace(QStringLiteral("(i % 400)"), QStringLiteral("((i / 1000) * 30)")));
    auto db = open(dir);
    vela::reports::Business own{
        QStringLiteral("Minta Bt."), QStringLiteral("6720 Szeged, Kárász u. 5."),
        QStringLiteral("12345678-2-06"), QStringLiteral("11773016-01234567"), 13.5};
    const QString out = dir + QStringLiteral("/felszolitasok");
    qint64 files = 0;
    for (auto _ : state) {
        QDir(out).removeRecursively();
        auto written = vela::reports::writeReminders(*db, own, kAsOf, kAsOf.addDays(8), true, out);
        must(written ? vela::Status{} : vela::Status{written.error()});
        files = written->size();
    }
    state.counters["pdfs"] = double(files);
}
BENCHMARK(BM_ReminderRun1000Partners)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
