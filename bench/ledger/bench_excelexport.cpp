// The Excel export through its window: 60 000 ledger rows (the most that fit
// a sheet below the heading, with room to spare) appended to the empty
// workbook, beside the same rows read with one bare SQLite statement and
// the workbook write alone, so the window's own share reads as a ratio.
// The ledger is made once in /tmp and reused.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include "base/statement.h"
#include "ledger/excelexportformx.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/values.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "xls/workbook.h"

#include "benchfolder.h"

namespace {

const QString kWorkbook = QStringLiteral("VelaDataStatTartozunk.xls");

QString ledgerFolder(int rows) {
    // Every kind of value: numbers, texts with accents, dates, flags.
    return benchFolder(
        QStringLiteral("vela-bench-export"), rows,
        QStringLiteral(
            "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Megnevezes, "
            "Netto, AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Devizanem, Kivezetés, "
            "RészÖsszeg, BankiKivonatSzáma, Megjegyzés, FIGYELEM, FizetésMódja, "
            "RészösszegÖsszesen, Teljesités, RészÖsszegBruttó) "
            "SELECT i, '2024' || i, 'SZ-' || (i * 7919 % 1000003), "
            "CASE i % 3 WHEN 0 THEN 'Ősz Kft ' ELSE 'Partner ' END || (i % 50), "
            "'Budapest Fő u. ' || (i % 100), 'Áru ' || (i % 13), (i % 1000) * 10.0, 27, "
            "(i % 1000) * 12.7, '2024-01-02', '2024-02-01', '2024-01-02', 'Ft', "
            "CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, 0, 'K-' || (i % 400), "
            "'Megjegyzés a ' || i || '. sorhoz', i % 2, 'átutalás', 0, '2024-03-01', 0 "
            "FROM c"),
        [](const QString& dir) {
            QDir().mkpath(dir + "/data");
            QFile::copy(QStringLiteral(VELA_BIN_DIR "/DataFolder/data/") + kWorkbook,
                        dir + "/data/" + kWorkbook);
        });
}

struct Session {
    explicit Session(int rows) {
        QDir::setCurrent(ledgerFolder(rows));
        ctx.db.openAll();
        ctx.dialogs = &dialogs;
        ctx.exportFromSorszam = 1;
    }
    // The workbook as the menu item's reset leaves it.
    void resetWorkbook() {
        const vela::Status reset = vela::xls::Workbook::resetFrom("data/" + kWorkbook, kWorkbook);
        if (!reset)
            qFatal("%s", qPrintable(reset.errorText()));
    }
    vela::ScriptedDialogService dialogs;
    vela::AppContext ctx;
};

void BM_ExportWindow(benchmark::State& state) {
    Session s(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        s.resetWorkbook();
        state.ResumeTiming();
        vela::ExcelExportFormX w(s.ctx, vela::LedgerKind::Payables);
        w.show();
        w.Form_Activate();
        if (!w.finished() || !s.dialogs.shown.isEmpty())
            state.SkipWithError("the export did not finish");
    }
    const vela::Result<int> used = vela::xls::Workbook::rowCount(kWorkbook);
    state.counters["rows"] = used ? double(*used - 1) : -1.0;
}

// The same rows read with one statement, no window, no workbook.
void BM_BareSelect(benchmark::State& state) {
    Session s(int(state.range(0)));
    for (auto _ : state) {
        vela::Statement st(s.ctx.db.veladata->handle(),
                           "SELECT * FROM VelaData WHERE Sorszám >= ?");
        must(st.bind({1}));
        qint64 cells = 0;
        while (st.next()) {
            for (int c = 0; c < vela::schema::kLedgerGridColumns; ++c)
                cells += st.value(c).isNull() ? 0 : 1;
        }
        benchmark::DoNotOptimize(cells);
    }
}

// The workbook write alone, with the rows already in memory.
void BM_WorkbookWrite(benchmark::State& state) {
    Session s(int(state.range(0)));
    std::vector<std::vector<QVariant>> rows;
    {
        vela::Statement st(s.ctx.db.veladata->handle(), "SELECT * FROM VelaData");
        const auto& cols = vela::schema::ledgerColumns();
        while (st.next()) {
            std::vector<QVariant> row;
            for (int c = 0; c < vela::schema::kLedgerGridColumns; ++c)
                row.push_back(vela::values::fromStorage(cols[size_t(c)].type, st.value(c)));
            rows.push_back(std::move(row));
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        s.resetWorkbook();
        state.ResumeTiming();
        if (!vela::xls::Workbook::appendRows(kWorkbook, rows))
            state.SkipWithError("the write failed");
    }
}

BENCHMARK(BM_ExportWindow)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareSelect)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkbookWrite)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
