// The cost of the change history on a 1 000 000-row ledger with 10 000 000
// history entries: a save with the triggers and without them (as before the
// history), the ledger window opening, and a row's history opening, as its
// entries alone and as the window. The folder is made once in /tmp.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>

#include "base/connection.h"
#include "historywindow/valtozasokformx.h"
#include "ledger/ledgerwindow.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/history.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

#include "benchfolder.h"

namespace {

constexpr int kRows = 1000000;
constexpr qint64 kEntries = 10000000;

// The ledger rows (each leaves its "new row" entry), then the changes that
// make up the rest: Brutto changed again and again, each row's entries
// spread over the whole table as a history that grows over years is.
QString historyFolder(const QString& name = QStringLiteral("vela-bench-history")) {
    return benchFolder(
        name, kRows,
        QStringLiteral(
            "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Megnevezes, "
            "Netto, AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Devizanem, Kivezetés, "
            "RészÖsszeg, FizetésMódja, RészÖsszegBruttó) "
            "SELECT i, '2024' || i, 'SZ-' || (i * 7919 % 1000003), 'Partner ' || (i % 50), "
            "'Budapest Fő u. ' || (i % 100), 'Áru ' || (i % 13), (i % 1000) * 10.0, 27, "
            "(i % 1000) * 12.7, '2024-01-02', '2024-02-01', '2024-01-02', 'Ft', "
            "CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, 0, 'átutalás', 0 FROM c"));
}

// The changes go in after the rows, in one transaction through one prepared
// statement; a folder that has them all is left as it is.

void addChanges(const QString& dir) {
    auto opened = vela::Database::openPath(dir + "/veladata.mdb");
    if (!opened)
        qFatal("%s", qPrintable(opened.errorText()));
    auto& db = *opened;
    const qint64 have = db->scalar("SELECT count(*) FROM Valtozasok")->toLongLong();
    if (have >= kEntries)
        return;
    (void)db->exec(db->dialect().setCacheSize(-262144));
    must(db->begin());
    must(db->exec(
        QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < "
                       "?1 - 1) INSERT INTO Valtozasok (Ido, Gep, Felhasznalo, Tabla, SorKulcs, "
                       "Sorszám, recordID, Muvelet, Oszlop, Regi, Uj) SELECT "
                       "'2025-01-02 10:00:00.000', 'gep1', 'konyvelo', 'VelaData', "
                       "i % %1 + 1, i % %1 + 1, '2024' || (i % %1 + 1), 'M', 'Brutto', "
                       "CAST(i AS TEXT), CAST(i + 1 AS TEXT) FROM c")
            .arg(kRows),
        {kEntries - have}));
    must(db->commit());
}

QString folder() {
    static const QString dir = [] {
        const QString d = historyFolder();
        addChanges(d);
        return d;
    }();
    return dir;
}

// The same ledger with an empty history, as a file of today's program would
// open: the rows' entries are left out.
QString emptyHistoryFolder() {
    static const QString dir = [] {
        const QString d = historyFolder(QStringLiteral("vela-bench-history-empty"));
        auto opened = vela::Database::openPath(d + "/veladata.mdb");
        if (!opened)
            qFatal("%s", qPrintable(opened.errorText()));
        must((*opened)->exec("DELETE FROM Valtozasok"));
        return d;
    }();
    return dir;
}

struct Session {
    explicit Session(bool emptyHistory = false) {
        QDir::setCurrent(emptyHistory ? emptyHistoryFolder() : folder());
        ctx.db.openAll();
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
    }
    ~Session() {
        // Whatever a benchmark took away comes back for the next.
        must(vela::history::install(*ctx.db.veladata));
    }
    std::unique_ptr<vela::LedgerWindow> openWindow() {
        auto w = std::make_unique<vela::LedgerWindow>(ctx, vela::LedgerKind::Payables);
        w->show();
        w->repaint();
        return w;
    }
    // The ledger as it was before the history: no triggers on this connection's file.
    void withoutHistory() {
        vela::Database& db = *ctx.db.veladata;
        for (const QString& t : db.dialect().historyTriggerNames("VelaData"))
            must(db.exec("DROP TRIGGER IF EXISTS " + vela::schema::quoteName(t)));
    }
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
};

// range(0): 1 with the history's triggers, 0 without.
void BM_Save(benchmark::State& state) {
    Session s;
    if (state.range(0) == 0)
        s.withoutHistory();
    auto w = s.openWindow();
    double v = 1;
    for (auto _ : state) {
        must(w->rows().setField("Netto", v++));
        w->Command3_Click();
    }
    state.SetLabel(state.range(0) ? "with history" : "without history");
}

// range(0): 1 over the 10 000 000 entries, 0 over an empty history.
void BM_OpenLedger(benchmark::State& state) {
    Session s(state.range(0) == 0);
    for (auto _ : state) {
        auto w = s.openWindow();
        benchmark::DoNotOptimize(w->openTotalText());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    state.SetLabel(state.range(0) ? "10 000 000 entries" : "empty history");
}

// Rows spread over the ledger, each read cold from its key.
qint64 keyAt(int i) {
    return qint64(i) * 7919 % kRows + 1;
}

void BM_RowHistory(benchmark::State& state) {
    Session s;
    int i = 0;
    qint64 entries = 0;
    for (auto _ : state) {
        auto h =
            vela::history::rowHistory(*s.ctx.db.veladata, vela::schema::velaData(), keyAt(i++));
        must(h.ok() ? vela::Status{} : vela::Status{h.error()});
        entries += h->size();
    }
    state.counters["entries"] = double(entries) / double(state.iterations());
}

void BM_RowHistoryWindow(benchmark::State& state) {
    Session s;
    int i = 0;
    for (auto _ : state) {
        vela::ValtozasokFormX w(s.ctx, *s.ctx.db.veladata, vela::schema::velaData(), keyAt(i++));
        w.show();
        w.repaint();
    }
}

BENCHMARK(BM_Save)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenLedger)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowHistoryWindow)->Unit(benchmark::kMillisecond);

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
