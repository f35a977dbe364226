// The ledger print on big ledgers: filling the scratch table with the rows
// the grid shows (with the per-invoice partial sums), beside the bare SQLite
// statements that do the same, and drawing the report into a PDF. Ledgers of
// 10 000 and 100 000 rows are made once in /tmp and reused.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ledger/datareportvd1.h"
#include "ledger/ledgerprintreport.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "ui/appcontext.h"

#include "benchfolder.h"

namespace {

QString ledgerFolder(int rows) {
    // Every fourth row is a partial payment of the invoice before it.
    return benchFolder(
        QStringLiteral("vela-bench-print"), rows,
        QStringLiteral(
            "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Megnevezes, "
            "Netto, AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Devizanem, Kivezetés, "
            "RészÖsszeg, BankiKivonatSzáma, Megjegyzés, FizetésMódja, RészÖsszegBruttó, "
            "Részkiegyenlités) "
            "SELECT i, '2024' || i, 'SZ-' || (i - i % 4), 'Partner ' || (i % 50), "
            "'Budapest Fő u. ' || (i % 100), 'Áru ' || (i % 13), (i % 1000) * 10.0, 27, "
            "(i % 1000) * 12.7, '2024-01-02', '2024-02-01', '2024-01-02', 'HUF', "
            "CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, "
            "CASE WHEN i % 4 = 1 THEN 100.0 ELSE 0 END, 'K-' || i, "
            "'Megjegyzés a tételhez, hogy a kártya ne legyen üres', 'átutalás', "
            "CASE WHEN i % 4 = 1 THEN 127.0 ELSE 0 END, i % 4 = 1 FROM c"));
}

struct Session {
    explicit Session(int rows) {
        QDir::setCurrent(ledgerFolder(rows));
        auto opened = vela::Database::open("veladata.mdb");
        if (!opened)
            qFatal("%s", qPrintable(opened.errorText()));
        veladata = std::move(*opened);
        grid.setDatabase(veladata.get());
        grid.setQuery(vela::Query(vela::schema::velaData(), {}, {{"Sorszám"}, {"recordID"}}));
        must(grid.refresh());
    }
    vela::AppContext ctx;
    std::unique_ptr<vela::Database> veladata;
    vela::RecordSource grid;
};

// The grid's rows into VelaIdeigl with their per-invoice sums, one transaction.
void BM_PrintFill(benchmark::State& state) {
    Session s(int(state.range(0)));
    vela::LedgerPrintReport print(s.ctx, vela::LedgerKind::Payables, *s.veladata);
    for (auto _ : state) {
        const vela::Result<vela::ScratchTable::FillResult> r = print.fill(s.grid);
        if (!r || r->written != state.range(0))
            state.SkipWithError(qPrintable(r.errorText()));
    }
    state.counters["rows"] = double(state.range(0));
}

// The same work as bare statements: copy the rows in order, then the sums.
void BM_PrintFill_Sqlite(benchmark::State& state) {
    Session s(int(state.range(0)));
    const QString cols = vela::schema::velaData().columnNames().join("\", \"");
    for (auto _ : state) {
        vela::Status done = s.veladata->begin();
        if (done)
            done = s.veladata->exec("DELETE FROM VelaIdeigl");
        if (done)
            done = s.veladata->exec(
                QString("INSERT INTO VelaIdeigl (\"%1\") SELECT \"%1\" FROM VelaData "
                        "ORDER BY Sorszám, recordID")
                    .arg(cols));
        if (done)
            done = s.veladata->exec(
                "UPDATE VelaIdeigl SET RészösszegÖsszesen = coalesce((SELECT "
                "sum(RészÖsszeg) FROM VelaData l WHERE l.RészÖsszeg > 0 AND "
                "l.Szamlaszam = VelaIdeigl.Szamlaszam), 0) WHERE Szamlaszam <> ''");
        if (done)
            done = s.veladata->commit();
        if (!done) {
            s.veladata->rollback();
            state.SkipWithError(qPrintable(done.errorText()));
            break;
        }
    }
}

// The filled scratch table read and drawn into a PDF, every page.
void BM_PrintRenderPdf(benchmark::State& state) {
    Session s(int(state.range(0)));
    vela::LedgerPrintReport print(s.ctx, vela::LedgerKind::Payables, *s.veladata);
    if (const auto filled = print.fill(s.grid); !filled) {
        state.SkipWithError(qPrintable(filled.errorText()));
        return;
    }
    QString err;
    const QString pdf = QDir::current().filePath("print.pdf");
    for (auto _ : state) {
        vela::DataReportVD1 report(*s.veladata);
        if (const vela::Status read = report.refresh(); !read) {
            state.SkipWithError(qPrintable(read.errorText()));
            break;
        }
        report.setTitle(vela::LedgerPrintReport::title(
            vela::LedgerKind::Payables, vela::LedgerPrintReport::grandTotal(report.rows())));
        if (const vela::Status printed = report.printToPdf(pdf); !printed)
            state.SkipWithError(qPrintable(printed.errorText()));
    }
    state.counters["MB"] = double(QFileInfo(pdf).size()) / 1e6;
}

BENCHMARK(BM_PrintFill)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrintFill_Sqlite)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_PrintRenderPdf)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

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
