// The ledger filters and the partial-settlement actions on a big receivables ledger: each kind of
// filter as the user runs it (rows, both totals, the figure, the per-currency line, the finder on
// the last row's number), beside the bare SQLite statements that do the same work. The ledger
// (payment methods, currencies, settled and partial rows, negative amounts) is made once in /tmp
// and reused.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>

#include "base/statement.h"
#include "ledger/ledgerwindow.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

#include "benchfolder.h"

namespace {

QString ledgerFolder(int rows) {
    return filtersLedgerFolder(rows);
}

// A copy of the filters' ledger that the service passes may change.
QString passFolder(int rows) {
    const QString from = ledgerFolder(rows);
    const QString dir = QStringLiteral("/tmp/vela-bench-passes-%1").arg(rows);
    if (bench::isReady(dir))
        return dir;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    for (const char* f : {"veladata.mdb", "parameter.kdb", "ready"})
        QFile::copy(from + "/" + f, dir + "/" + f);
    return dir;
}

struct Session {
    explicit Session(int rows, bool passes = false) {
        QDir::setCurrent(passes ? passFolder(rows) : ledgerFolder(rows));
        ctx.db.openAll();
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        window = std::make_unique<vela::LedgerWindow>(ctx, vela::LedgerKind::Receivables);
        window->show();
    }
    ~Session() {
        window.reset();
        ctx.db.closeAll();
    }
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    std::unique_ptr<vela::LedgerWindow> window;
};

// Runs a filter item in the window; sign: "CsakPoz", "CsakNeg" or none.
void runFilter(benchmark::State& state, const char* item, const char* sign = nullptr,
               int standOn = 42) {
    Session s(int(state.range(0)));
    must(s.window->rows().moveTo(standOn));  // "Partner 42", "Ft", number 43
    if (sign)
        s.window->menuItem(sign)->trigger();
    QAction* a = s.window->menuItem(item);
    for (auto _ : state) {
        a->trigger();
        // The sign toggle is cleared only by "Minden adat" and the fallback.
        benchmark::DoNotOptimize(s.window->openTotalText());
    }
    state.counters["rows"] = s.window->rows().recordCount();
    state.SetLabel(s.window->currencyTotalsText().toStdString());
}

void BM_Filter_SzurKi(benchmark::State& state) {
    runFilter(state, "SzurKi");
}
void BM_Filter_Nemkivezetve(benchmark::State& state) {
    runFilter(state, "Nemkivezetve");
}
void BM_Filter_Figyelemek(benchmark::State& state) {
    runFilter(state, "Figyelemek");
}
void BM_Filter_Atutal(benchmark::State& state) {
    runFilter(state, "Atutal");
}
void BM_Filter_AtutalNegative(benchmark::State& state) {
    runFilter(state, "Atutal", "CsakNeg");
}
void BM_Filter_UgyfelSzur(benchmark::State& state) {
    runFilter(state, "UgyfelSzur");
}
void BM_Filter_DevizaSzur(benchmark::State& state) {
    runFilter(state, "DevizaSzur");
}

void BM_Overdue(benchmark::State& state) {
    Session s(int(state.range(0)));
    for (auto _ : state) {
        s.window->Command5_Click();
        benchmark::DoNotOptimize(s.window->rows().recordCount());
    }
    state.counters["rows"] = s.window->rows().recordCount();
}

// ---- the bare statements ---------------------------------------------------

// What one filter does in SQLite: the ordered rowids of its rows, both sums,
// the per-currency sums, and the first row with the last row's number.
void bareFilter(benchmark::State& state, const QString& rows, const QString& gross,
                const QString& partial, const QVariantList& binds = {}) {
    Session s(int(state.range(0)));
    vela::Connection* h = s.ctx.db.veladata->handle();
    const QString t = QStringLiteral(" FROM VelanakData");
    auto where = [](const QString& w) { return w.isEmpty() ? QString() : " WHERE " + w; };
    auto bound = [&](const QString& sql) { return QVariantList(binds).mid(0, sql.count('?')); };
    for (auto _ : state) {
        std::vector<qint64> ids;
        {
            const QString sql = "SELECT rowid" + t + where(rows) + " ORDER BY Sorszám, recordID";
            vela::Statement st(h, sql);
            must(st.bind(bound(sql)));
            while (st.next()) ids.push_back(st.int64(0));
        }
        for (const QString& sum : {"SELECT sum(Brutto)" + t + where(gross),
                                   "SELECT sum(RészÖsszegBruttó)" + t + where(partial)}) {
            vela::Statement st(h, sum);
            must(st.bind(bound(sum)));
            st.next();
            benchmark::DoNotOptimize(st.value(0));
        }
        {
            // The currencies of the rows of the partial sum, which hold the gross rows.
            const QString sql = "SELECT Devizanem, count(*), sum(CASE WHEN " + gross +
                                " THEN Brutto END), sum(RészÖsszegBruttó)" + t + " WHERE " +
                                partial + " GROUP BY Devizanem";
            const QVariantList both = bound(gross) + bound(partial);
            vela::Statement st(h, sql);
            must(st.bind(both));
            while (st.next()) benchmark::DoNotOptimize(st.value(2));
        }
        if (!ids.empty()) {
            vela::Statement last(h, "SELECT Sorszám" + t + " WHERE rowid = ?");
            must(last.bind({ids.back()}));
            last.next();
            const QString sql = "SELECT rowid" + t + where(rows) +
                                (rows.isEmpty() ? " WHERE " : " AND ") +
                                "Sorszám = ? ORDER BY Sorszám, recordID LIMIT 1";
            vela::Statement first(h, sql);
            must(first.bind(bound(rows) + QVariantList{last.value(0)}));
            first.next();
            benchmark::DoNotOptimize(first.value(0));
        }
    }
}

const QString kOpen = QStringLiteral("Kivezetés = 'N'");
const QString kGross = QStringLiteral("Kivezetés = 'N' AND Részkiegyenlités = 0");

void BM_Bare_SzurKi(benchmark::State& state) {
    bareFilter(state, "", kGross, kOpen);
}
void BM_Bare_Nemkivezetve(benchmark::State& state) {
    bareFilter(state, "Kivezetés = 'N' OR Kivezetés = ''", kGross, kOpen);
}
void BM_Bare_Figyelemek(benchmark::State& state) {
    bareFilter(state, "FIGYELEM = 1", "FIGYELEM = 1 AND " + kGross, "FIGYELEM = 1 AND " + kOpen);
}
void BM_Bare_Atutal(benchmark::State& state) {
    bareFilter(state, "FizetésMódja = ?", "FizetésMódja = ? AND " + kGross,
               "FizetésMódja = ? AND " + kOpen, {"átutalás"});
}
void BM_Bare_AtutalNegative(benchmark::State& state) {
    bareFilter(state, "Brutto < 0 AND FizetésMódja = ?",
               "Brutto < 0 AND FizetésMódja = ? AND " + kGross,
               "Brutto < 0 AND FizetésMódja = ? AND " + kOpen, {"átutalás"});
}
void BM_Bare_UgyfelSzur(benchmark::State& state) {
    bareFilter(state, "CegNev = ?", "CegNev = ? AND " + kGross, "CegNev = ? AND " + kOpen,
               {"Partner 42"});
}
void BM_Bare_DevizaSzur(benchmark::State& state) {
    bareFilter(state, "Devizanem = ?", "Devizanem = ? AND " + kGross, "Devizanem = ? AND " + kOpen,
               {"Ft"});
}

void BM_Bare_Overdue(benchmark::State& state) {
    Session s(int(state.range(0)));
    vela::Connection* h = s.ctx.db.veladata->handle();
    for (auto _ : state) {
        vela::Statement st(h, "SELECT rowid FROM VelanakData WHERE Datumig < ? ORDER BY Datumig");
        must(st.bind({QDate::currentDate().toString(Qt::ISODate)}));
        std::vector<qint64> ids;
        while (st.next()) ids.push_back(st.int64(0));
        benchmark::DoNotOptimize(ids.size());
    }
}

// ---- partial settlement -----------------------------------------------------

// The duplication as the user runs it: the copy through the scratch table,
// then all rows with their figure and the find of the first row with the number.
void BM_RekordDupla(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    must(s.window->rows().moveTo(4242));
    for (auto _ : state) {
        s.window->RekordDupla_Click();
        state.PauseTiming();
        must(
            s.ctx.db.veladata->exec("DELETE FROM VelanakData WHERE rowid = (SELECT max(rowid) FROM "
                                    "VelanakData)"));
        must(s.window->rows().moveTo(4242));
        state.ResumeTiming();
    }
}

// The copy alone, through the window's record sources: empty the scratch
// table, copy the row there and back into the ledger.
void BM_RekordDupla_CopyOnly(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    vela::RecordSource& rows = s.window->rows();
    vela::RecordSource scratch;
    scratch.setDatabase(s.ctx.db.veladata.get());
    scratch.setQuery(vela::Query(vela::schema::velaIdeigl()));
    must(rows.moveTo(4242));
    for (auto _ : state) {
        must(scratch.refresh());
        must(scratch.deleteAll());
        must(scratch.addNew());
        for (int i = 0; i < 21; ++i) must(scratch.setField(i, rows.field(i)));
        must(scratch.setField("Részkiegyenlités", true));
        must(scratch.update());
        must(scratch.moveLast());
        must(rows.addNew());
        for (int i = 0; i < 21; ++i) must(rows.setField(i, scratch.field(i)));
        must(rows.update());
        state.PauseTiming();
        must(rows.deleteCurrent());
        must(rows.moveTo(4242));
        state.ResumeTiming();
    }
}

void BM_Bare_RekordDupla(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    vela::Database* db = s.ctx.db.veladata.get();
    const QString cols =
        "Sorszám, Szamlaszam, CegNev, CegCim, Megnevezes, Netto, AFA, Brutto, Datumtol, Datumig, "
        "Adatfelvetel, Devizanem, Kivezetés, RészÖsszeg, BankiKivonatSzáma, "
        "BankiKiegyenlitésKelte, Megjegyzés, recordID, FIGYELEM, FigyelemMegjegyzés, "
        "Részkiegyenlités";
    for (auto _ : state) {
        must(db->exec("DELETE FROM VelaIdeigl"));
        must(db->exec("INSERT INTO VelaIdeigl (" + cols + ") SELECT " + cols +
                      " FROM VelanakData WHERE rowid = 4243"));
        must(db->exec("UPDATE VelaIdeigl SET recordID = 'x', Részkiegyenlités = 1"));
        must(
            db->exec("INSERT INTO VelanakData (" + cols + ") SELECT " + cols + " FROM VelaIdeigl"));
        state.PauseTiming();
        must(
            db->exec("DELETE FROM VelanakData WHERE rowid = (SELECT max(rowid) FROM VelanakData)"));
        state.ResumeTiming();
    }
}

// Each pass writes every row: the values it writes are spoilt before each run.
void BM_ReszosszegSzam(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    for (auto _ : state) {
        state.PauseTiming();
        must(s.ctx.db.veladata->exec("UPDATE VelanakData SET RészösszegÖsszesen = -1"));
        state.ResumeTiming();
        s.window->ReszosszegSzam_Click();
    }
}

void BM_Bare_ReszosszegSzam(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    vela::Database* db = s.ctx.db.veladata.get();
    must(db->exec("PRAGMA cache_size = -131072"));  // as the pass has it
    for (auto _ : state) {
        state.PauseTiming();
        must(db->exec("UPDATE VelanakData SET RészösszegÖsszesen = -1"));
        state.ResumeTiming();
        must(db->exec(
            "UPDATE VelanakData SET RészösszegÖsszesen = ifnull((SELECT sum(RészÖsszeg) FROM "
            "VelanakData AS o WHERE o.Szamlaszam = VelanakData.Szamlaszam AND o.RészÖsszeg > 0), "
            "0) WHERE Szamlaszam <> ''"));
    }
}

void BM_Ellenorzes(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    for (auto _ : state) {
        state.PauseTiming();
        must(s.ctx.db.veladata->exec("UPDATE VelanakData SET Brutto = -1, RészÖsszegBruttó = -1"));
        state.ResumeTiming();
        s.window->Ellenorzes_Click();
    }
}

// The usual case: the rows are right already, so nothing is written.
void BM_Ellenorzes_NothingToChange(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    s.window->Ellenorzes_Click();
    for (auto _ : state) s.window->Ellenorzes_Click();
}

void BM_ReszosszegSzam_NothingToChange(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    s.window->ReszosszegSzam_Click();
    for (auto _ : state) s.window->ReszosszegSzam_Click();
}

void BM_Bare_Ellenorzes(benchmark::State& state) {
    Session s(int(state.range(0)), true);
    vela::Database* db = s.ctx.db.veladata.get();
    must(db->exec("PRAGMA cache_size = -131072"));  // as the pass has it
    for (auto _ : state) {
        state.PauseTiming();
        must(db->exec("UPDATE VelanakData SET Brutto = -1, RészÖsszegBruttó = -1"));
        state.ResumeTiming();
        must(db->exec(
            "UPDATE VelanakData SET Kivezetés = CASE WHEN FizetésMódja = 'átutalás E' THEN 'I' "
            "WHEN Kivezetés IS NULL OR Kivezetés = '' THEN 'N' ELSE Kivezetés END, "
            "Brutto = CASE WHEN AFA IS NOT NULL AND Netto > 0 THEN Netto * (100 + AFA) / 100 "
            "ELSE Brutto END, RészÖsszegBruttó = CASE WHEN AFA IS NOT NULL AND RészÖsszeg > 0 "
            "THEN RészÖsszeg * (100 + AFA) / 100 ELSE RészÖsszegBruttó END"));
    }
}

#define SIZES Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Filter_SzurKi)->SIZES;
BENCHMARK(BM_Bare_SzurKi)->SIZES;
BENCHMARK(BM_Filter_Nemkivezetve)->SIZES;
BENCHMARK(BM_Bare_Nemkivezetve)->SIZES;
BENCHMARK(BM_Filter_Figyelemek)->SIZES;
BENCHMARK(BM_Bare_Figyelemek)->SIZES;
BENCHMARK(BM_Filter_Atutal)->SIZES;
BENCHMARK(BM_Bare_Atutal)->SIZES;
BENCHMARK(BM_Filter_AtutalNegative)->SIZES;
BENCHMARK(BM_Bare_AtutalNegative)->SIZES;
BENCHMARK(BM_Filter_UgyfelSzur)->SIZES;
BENCHMARK(BM_Bare_UgyfelSzur)->SIZES;
BENCHMARK(BM_Filter_DevizaSzur)->SIZES;
BENCHMARK(BM_Bare_DevizaSzur)->SIZES;
BENCHMARK(BM_Overdue)->SIZES;
BENCHMARK(BM_Bare_Overdue)->SIZES;
BENCHMARK(BM_RekordDupla)->SIZES;
BENCHMARK(BM_RekordDupla_CopyOnly)->SIZES;
BENCHMARK(BM_Bare_RekordDupla)->SIZES;
BENCHMARK(BM_ReszosszegSzam)->SIZES->Iterations(2);
BENCHMARK(BM_Bare_ReszosszegSzam)->SIZES->Iterations(2);
BENCHMARK(BM_Ellenorzes)->SIZES->Iterations(2);
BENCHMARK(BM_Bare_Ellenorzes)->SIZES->Iterations(2);
BENCHMARK(BM_Ellenorzes_NothingToChange)->SIZES->Iterations(2);
BENCHMARK(BM_ReszosszegSzam_NothingToChange)->SIZES->Iterations(2);

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
