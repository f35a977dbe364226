// VelaRep over a data folder whose veladata.mdb holds a large payables ledger,
// beside the bare SQLite copy of the same rows into a fresh template.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

#include "maintenance/maintenancerun.h"
#include "maintenance/repdialogservice.h"

namespace {

const QString kTemplates = QStringLiteral(VELA_TEMPLATE_DIR);
const QStringList kFiles = {"betarol.kdb", "veladata.mdb", "parameter.kdb", "LFakturo.mdb"};

class SilentDialogs : public velarep::RepDialogService {
  public:
    bool ask(const QString&, const QString&, Icon) override {
        ++questions;
        return false;
    }
    void tell(const QString&, const QString&, Icon) override {}
    int questions = 0;
};

void execOrDie(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        fprintf(stderr, "%s\n", err);
        std::abort();
    }
}

// A veladata.mdb with `rows` payables rows, made once per size. An older
// shape lacks a column of the template, so the rows cannot be copied as stored.
QString ledgerFile(QTemporaryDir& store, int rows, bool olderShape = false) {
    static std::map<std::pair<int, bool>, QString> made;
    const auto key = std::make_pair(rows, olderShape);
    if (made.count(key))
        return made[key];
    const QString path =
        store.filePath(QStringLiteral("veladata-%1-%2.mdb").arg(rows).arg(olderShape));
    QFile::copy(kTemplates + "/veladata.mdb", path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const QByteArray sql =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO VelaData (\"Sorszám\", Szamlaszam, CegNev, CegCim, Megnevezes, Netto, "
            "AFA, Brutto, "
            " Datumtol, Datumig, Adatfelvetel, Devizanem, \"Kivezetés\", \"RészÖsszeg\", "
            "\"Megjegyzés\", recordID, FIGYELEM, \"Részkiegyenlités\", \"FizetésMódja\", "
            "\"RészösszegÖsszesen\", \"Teljesités\", \"RészÖsszegBruttó\") "
            "SELECT i, 'SZ-' || i, 'Partner ' || (i % 997), 'Budapest, Fő utca ' || (i % 120), "
            "'Áru és szolgáltatás', i % 100000 * 1.5, 27, i % 100000 * 1.905, "
            "date('2015-01-01', '+' || (i % 3000) || ' days'), "
            "date('2015-01-09', '+' || (i % 3000) || ' days'), "
            "date('2015-01-02', '+' || (i % 3000) || ' days'), 'HUF', "
            "CASE WHEN i % 3 = 0 THEN 'N' ELSE 'I' END, 0, NULL, "
            "printf('%08d%05d', 20150101 + i % 28, i % 86400), 0, 0, "
            "CASE i % 4 WHEN 0 THEN 'átutalás' WHEN 1 THEN 'készpénzes' WHEN 2 THEN 'utánvét' "
            "ELSE 'nyugta' END, 0, date('2015-01-05', '+' || (i % 3000) || ' days'), 0 FROM n")
            .arg(rows)
            .toUtf8();
    execOrDie(db, sql.constData());
    if (olderShape)
        execOrDie(db, "ALTER TABLE VelaData DROP COLUMN \"RészÖsszegBruttó\"");
    sqlite3_close(db);
    return made[key] = path;
}

// The same ledger with one leaf page of VelaData in its middle overwritten:
// SQLite stops reading the table there, so VelaRep salvages it page by page.
QString damagedLedgerFile(QTemporaryDir& store, int rows) {
    static std::map<int, QString> made;
    if (made.count(rows))
        return made[rows];
    const QString path = store.filePath(QStringLiteral("veladata-%1-damaged.mdb").arg(rows));
    QFile::copy(ledgerFile(store, rows), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT pageno, (SELECT page_size FROM pragma_page_size) FROM dbstat "
                       "WHERE name = 'VelaData' AND pagetype = 'leaf' ORDER BY path "
                       "LIMIT 1 OFFSET (SELECT count(*) / 2 FROM dbstat WHERE name = 'VelaData' "
                       "AND pagetype = 'leaf')",
                       -1, &st, nullptr);
    if (sqlite3_step(st) != SQLITE_ROW)
        std::abort();
    const qint64 page = sqlite3_column_int64(st, 0);
    const qint64 size = sqlite3_column_int64(st, 1);
    sqlite3_finalize(st);
    sqlite3_close(db);
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.seek((page - 1) * size);
    f.write(QByteArray(int(size), '\x5a'));
    return made[rows] = path;
}

// A data folder holding the clean templates and the big ledger; the current directory.
void prepareDataFolder(const QString& dir, const QString& ledger) {
    for (const QString& f : kFiles) QFile::copy(kTemplates + "/" + f, dir + "/" + f);
    QFile::remove(dir + "/veladata.mdb");
    QFile::copy(ledger, dir + "/veladata.mdb");
    for (const QString& f : kFiles)
        QFile::setPermissions(dir + "/" + f, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QDir::setCurrent(dir);
}

// The peak resident memory since the last reset (Linux keeps it per process).
void resetPeakRss() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double peakRssMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

QTemporaryDir& store() {
    static QTemporaryDir dir;
    return dir;
}

void BM_VelaRepRun(benchmark::State& state) {
    const int rows = int(state.range(0));
    const bool olderShape = state.range(1) != 0;
    const QString ledger = ledgerFile(store(), rows, olderShape);
    const QString home = QDir::currentPath();
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            QTemporaryDir data;
            prepareDataFolder(data.path(), ledger);
            SilentDialogs dialogs;
            velarep::MaintenanceRun run(kTemplates, dialogs);
            resetPeakRss();
            state.ResumeTiming();
            const bool ok = run.run();
            state.PauseTiming();
            peak = std::max(peak, peakRssMb());
            if (!ok || dialogs.questions != 0)
                state.SkipWithError("the run asked a question or stopped");
            QDir::setCurrent(home);
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["peak_rss_MB"] = peak;
}

// VelaRep over a ledger with one damaged leaf page: the fast copy fails on it,
// every readable row is salvaged from the pages.
void BM_VelaRepRunDamagedLeaf(benchmark::State& state) {
    const int rows = int(state.range(0));
    const QString ledger = damagedLedgerFile(store(), rows);
    const QString home = QDir::currentPath();
    double peak = 0;
    qint64 saved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            QTemporaryDir data;
            prepareDataFolder(data.path(), ledger);
            SilentDialogs dialogs;
            velarep::MaintenanceRun run(kTemplates, dialogs);
            resetPeakRss();
            state.ResumeTiming();
            const bool ok = run.run();
            state.PauseTiming();
            peak = std::max(peak, peakRssMb());
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(data.filePath("veladata.mdb")).constData(), &db);
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, "SELECT count(*) FROM VelaData", -1, &st, nullptr);
            saved = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
            sqlite3_finalize(st);
            sqlite3_close(db);
            if (!ok || dialogs.questions != 0 || saved <= 0)
                state.SkipWithError("the run asked a question, stopped or saved nothing");
            QDir::setCurrent(home);
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["rows_saved"] = double(saved);
    state.counters["peak_rss_MB"] = peak;
}

// The same rows copied by one bare statement into a fresh template copy
// (SQLite copies same-shaped tables as stored).
void BM_BareSqliteCopy(benchmark::State& state) {
    const int rows = int(state.range(0));
    const QString ledger = ledgerFile(store(), rows);
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            QTemporaryDir data;
            const QString target = data.filePath("veladata.mdb");
            QFile::copy(kTemplates + "/veladata.mdb", target);
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            resetPeakRss();
            state.ResumeTiming();
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(target).constData(), &db);
            const QByteArray attach = "ATTACH '" + QFile::encodeName(ledger) + "' AS src";
            execOrDie(db, attach.constData());
            execOrDie(db, "INSERT INTO main.VelaData SELECT * FROM src.VelaData");
            sqlite3_close(db);
            state.PauseTiming();
            peak = std::max(peak, peakRssMb());
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["peak_rss_MB"] = peak;
}

}  // namespace

BENCHMARK(BM_BareSqliteCopy)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
// Second argument: 0 the user's file has the template's shape, 1 an older one.
BENCHMARK(BM_VelaRepRun)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"rows", "older"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

BENCHMARK(BM_VelaRepRunDamagedLeaf)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
