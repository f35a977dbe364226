// Grouping the stand-in invoicing database's item lines into invoices, as the
// import's load does for each document kind, beside the bare SQLite query.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include "import/invoicesource.h"
#include "import/standindatabase.h"

#include "benchstandin.h"

using vela::InvoiceSource;

namespace {

constexpr int kLines = 1000000;

// One stand-in with kLines item lines in SZAMLA: invoices of one to six lines,
// numbered from 1, written in order like the invoicing program does.
const QString& standIn() {
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    path = dir.filePath("LFAKTURO.MDB");
    makeBenchStandIn(path, kLines);
    return path;
}

qint64 lastInvoice() {
    // A stand-in that cannot be read gives 0; the benchmark itself then
    // stops with the reader's error.
    auto src = InvoiceSource::openFile(standIn());
    if (!src)
        return 0;
    const auto rows = (*src)->groupedRows("SZAMLA", 1);
    return !rows || rows->empty() ? 0 : rows->back().at(0).toLongLong();
}

// range(0): the share of the invoices read, in per cent (100: all from number 1).
void BM_GroupedRows(benchmark::State& state) {
    static const qint64 last = lastInvoice();
    const double from = double(last) * double(100 - state.range(0)) / 100.0 + 1;
    auto src = InvoiceSource::openFile(standIn());
    if (!src) {
        state.SkipWithError(qPrintable(src.errorText()));
        return;
    }
    size_t invoices = 0;
    for (auto _ : state) {
        auto rows = (*src)->groupedRows("SZAMLA", from);
        if (!rows) {
            state.SkipWithError(qPrintable(rows.errorText()));
            return;
        }
        invoices = rows->size();
        benchmark::DoNotOptimize(rows->data());
    }
    state.counters["invoices"] = double(invoices);
}
BENCHMARK(BM_GroupedRows)->Arg(100)->Arg(50)->Arg(1)->Unit(benchmark::kMillisecond);

// The same grouping as a bare SQLite query that only steps over the result.
void BM_GroupedRowsBareSqlite(benchmark::State& state) {
    static const qint64 last = lastInvoice();
    const double from = double(last) * double(100 - state.range(0)) / 100.0 + 1;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(standIn()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT SZAMLASOR, VEVONEV, VEVOSZEKH, VEVOCIM, FIZ_MOD, SZML_KELTE, "
                       "ESEDEKES, MEGNEVEZES, AFA, KIEGYENOSZ, PENZNEM, sum(NETTO_ERTE), "
                       "sum(BRUTTO), TELJ_DATUM, max(rowid) FROM SZAMLA WHERE SZAMLASOR >= ?1 "
                       "GROUP BY SZAMLASOR ORDER BY SZAMLASOR",
                       -1, &st, nullptr);
    for (auto _ : state) {
        sqlite3_bind_double(st, 1, from);
        int n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) ++n;
        sqlite3_reset(st);
        benchmark::DoNotOptimize(n);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_GroupedRowsBareSqlite)->Arg(100)->Arg(50)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
