// The receivables window on a 1 000 000-row ledger with its data on a
// PostgreSQL server beside the same window on the data folder's files: what
// a workstation of an office waits for (opening to the last row, a finder
// keystroke, a save, the "Átutalások" filter, another workstation's commit
// showing up) and how many saves ten writers get through together.
//
// The server: VELA_PG_BENCH (a libpq connection string) when set, otherwise
// a cluster of scripts/pgcluster.sh in /tmp/vela-bench-pg, started when it is
// not running and left running for the next run (stop it with
// `scripts/pgcluster.sh stop /tmp/vela-bench-pg`). The ledger is the filter
// benchmarks' one; its copy on the server is made once and reused.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <atomic>
#include <thread>
#include <vector>

#include "base/postgres/pgconnection.h"
#include "ledger/ledgerwindow.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/recordsource.h"
#include "storage/serverschema.h"
#include "storage/servertransfer.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

#include "benchfolder.h"

namespace {

enum Backend { Files = 0, Server = 1 };

QString benchServer() {
    static const QString server = [] {
        const QString given = qEnvironmentVariable("VELA_PG_BENCH");
        if (!given.isEmpty())
            return given;
        QProcess p;
        p.start(QStringLiteral("bash"),
                {QStringLiteral(VELA_SOURCE_DIR "/scripts/pgcluster.sh"), QStringLiteral("start"),
                 QStringLiteral("/tmp/vela-bench-pg")});
        p.waitForFinished(120000);
        const QString info = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        if (p.exitCode() != 0 || info.isEmpty())
            qFatal("the benchmark's database server did not start: %s",
                   p.readAllStandardError().constData());
        return info;
    }();
    return server;
}

QString databaseName(int rows) {
    return QStringLiteral("vela_bench_%1").arg(rows);
}

QString serverData(int rows) {
    return benchServer() + QStringLiteral(" dbname=") + databaseName(rows);
}

bool serverHolds(int rows) {
    auto c = vela::Database::openServer(serverData(rows), QStringLiteral("veladata.mdb"),
                                        {QStringLiteral("VelanakData")});
    if (!c)
        return false;
    auto n = (*c)->scalar(QStringLiteral("SELECT count(*) FROM \"VelanakData\""));
    return n && n->toLongLong() == rows;
}

// A data folder whose parameters send the ledgers to the server, where the
// filter benchmarks' rows have been moved as VelaRep moves them.
QString serverFolder(int rows) {
    const QString files = filtersLedgerFolder(rows);
    const QString dir = QStringLiteral("/tmp/vela-bench-server-%1").arg(rows);
    if (bench::isReady(dir) && serverHolds(rows)) {
        // Tables moved there by an earlier build get today's indexes.
        auto c = vela::Database::openServer(serverData(rows), QString());
        if (!c)
            qFatal("%s", qPrintable(c.errorText()));
        for (const QString& name : vela::serverDatabases())
            must(vela::ServerSchema::create(**c, name));
        must((*c)->exec(QStringLiteral("VACUUM ANALYZE")));
        return dir;
    }
    std::fprintf(stderr, "Moving %d rows onto the server ...\n", rows);
    QElapsedTimer t;
    t.start();
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    for (const char* f : {"veladata.mdb", "parameter.kdb"})
        QFile::copy(files + "/" + f, dir + "/" + f);
    for (const char* f : {"betarol.kdb", "LFakturo.mdb"})
        QFile::copy(QStringLiteral(VELA_TEMPLATE_DIR "/") + f, dir + "/" + f);
    {
        auto admin = vela::postgres::PgConnection::open(benchServer(), QString());
        if (!admin)
            qFatal("%s", qPrintable(admin.errorText()));
        must((*admin)->execScript(
            QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName(rows))));
        must((*admin)->execScript(
            QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'")
                .arg(databaseName(rows))));
    }
    const QString keep = QDir::currentPath();
    QDir::setCurrent(dir);
    must(vela::ServerTransfer::prepareServer(serverData(rows)));
    auto copied = vela::ServerTransfer::toServer(serverData(rows));
    if (!copied)
        qFatal("%s", qPrintable(copied.errorText()));
    {
        auto c = vela::postgres::PgConnection::open(serverData(rows), QString());
        if (!c)
            qFatal("%s", qPrintable(c.errorText()));
        must((*c)->execScript(QStringLiteral("ANALYZE")));
    }
    {
        auto parameters = vela::Database::open(QStringLiteral("parameter.kdb"));
        if (!parameters)
            qFatal("%s", qPrintable(parameters.errorText()));
        must(vela::setServerAddress(**parameters, serverData(rows)));
    }
    QDir::setCurrent(keep);
    bench::markReady(dir);
    std::fprintf(stderr, "  moved in %.1f s\n", t.elapsed() / 1000.0);
    return dir;
}

QString folder(const benchmark::State& state) {
    const int rows = int(state.range(0));
    return state.range(1) == Server ? serverFolder(rows) : filtersLedgerFolder(rows);
}

struct Session {
    explicit Session(const QString& dir) {
        QDir::setCurrent(dir);
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
    }
    ~Session() {
        window.reset();
        ctx.db.closeAll();
    }
    // The databases opened and the window shown and painted.
    void open() {
        ctx.db.openAll();
        if (!ctx.db.veladata)
            qFatal("%s", qPrintable(ctx.db.veladataStatus.errorText()));
        window = std::make_unique<vela::LedgerWindow>(ctx, vela::LedgerKind::Receivables);
        window->show();
        window->repaint();
    }
    void close() {
        window.reset();
        ctx.db.closeAll();
    }
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    std::unique_ptr<vela::LedgerWindow> window;
};

// Another workstation's own connection to the same ledgers.
std::unique_ptr<vela::Database> otherWorkstation(const benchmark::State& state,
                                                 const QString& dir) {
    auto db = state.range(1) == Server
                  ? vela::Database::openServer(serverData(int(state.range(0))),
                                               QStringLiteral("veladata.mdb"),
                                               {QStringLiteral("VelanakData")})
                  : vela::Database::openPath(dir + QStringLiteral("/veladata.mdb"),
                                             {QStringLiteral("VelanakData")});
    if (!db)
        qFatal("%s", qPrintable(db.errorText()));
    return std::move(*db);
}

void BM_OpenToLastRow(benchmark::State& state) {
    Session s(folder(state));
    for (auto _ : state) {
        s.open();
        must(s.window->rows().moveLast());
        benchmark::DoNotOptimize(s.window->rows().field("Sorszám"));
        state.PauseTiming();
        s.close();
        state.ResumeTiming();
    }
}

void BM_FinderKeystroke(benchmark::State& state) {
    Session s(folder(state));
    s.open();
    auto* t15 = s.window->findChild<QLineEdit*>("Text15");
    const QStringList steps = {"p",          "pa",           "partner", "partner 4",
                               "partner 42", "partner 4242", "nincs"};
    int i = 0;
    for (auto _ : state) t15->setText(steps[i++ % steps.size()]);
}

void BM_Save(benchmark::State& state) {
    Session s(folder(state));
    s.open();
    must(s.window->rows().moveTo(4242));
    double v = 1;
    for (auto _ : state) {
        must(s.window->rows().setField("Netto", v++));
        s.window->Command3_Click();
    }
    // A save refused or failed is told in a box: none may have been.
    state.counters["told"] = double(s.dialogs.shown.size());
    state.counters["stored"] = s.window->rows().field("Netto").toDouble() == v - 1;
}

void BM_FilterAtutalasok(benchmark::State& state) {
    Session s(folder(state));
    s.open();
    QAction* atutal = s.window->menuItem(QStringLiteral("Atutal"));
    for (auto _ : state) {
        atutal->trigger();
        benchmark::DoNotOptimize(s.window->openTotalText());
    }
    state.counters["rows"] = s.window->rows().recordCount();
}

// Waits, serving the window's events, until its rows number count; false
// after five seconds.
bool waitForRows(vela::LedgerWindow& w, int count) {
    QElapsedTimer t;
    t.start();
    while (w.rows().recordCount() != count) {
        if (t.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// From another workstation's commit of a new row to the row in this
// workstation's list (and its figure beside).
void BM_OtherCommitShown(benchmark::State& state) {
    const QString dir = folder(state);
    Session s(dir);
    s.open();
    auto other = otherWorkstation(state, dir);
    const int before = s.window->rows().recordCount();
    int n = 0;
    for (auto _ : state) {
        ++n;
        must(other->exec(
            QStringLiteral(
                "INSERT INTO \"VelanakData\" (\"Sorszám\", \"recordID\", \"Szamlaszam\", "
                "\"CegNev\", \"Brutto\", \"Kivezetés\") VALUES (?, ?, ?, ?, ?, 'N')"),
            {5000000 + n, QStringLiteral("bench-%1").arg(n), QStringLiteral("B-%1").arg(n),
             QStringLiteral("Másik Kft"), 1000.0}));
        if (!waitForRows(*s.window, before + 1)) {
            state.SkipWithError("the list did not show the other workstation's row");
            break;
        }
        benchmark::DoNotOptimize(s.window->openTotalText());
        state.PauseTiming();
        must(other->exec(
            QStringLiteral("DELETE FROM \"VelanakData\" WHERE \"recordID\" LIKE 'bench-%'")));
        const bool back = waitForRows(*s.window, before);
        state.ResumeTiming();
        if (!back) {
            state.SkipWithError("the list did not follow the other workstation's delete");
            break;
        }
    }
}

// Ten workstations saving rows of their own as fast as they can for two
// seconds: the saves the ledger takes per second, all writers together.
void BM_TenWriters(benchmark::State& state) {
    const QString dir = folder(state);
    constexpr int kWriters = 10;
    for (auto _ : state) {
        std::atomic<qint64> saved{0}, refused{0};
        std::atomic<bool> stop{false};
        std::vector<std::thread> writers;
        std::vector<std::unique_ptr<vela::Database>> connections;
        for (int w = 0; w < kWriters; ++w) connections.push_back(otherWorkstation(state, dir));
        QElapsedTimer t;
        t.start();
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([&, w] {
                vela::RecordSource rs;
                rs.setDatabase(connections[size_t(w)].get());
                const qint64 first = state.range(0) / (kWriters + 1) * (w + 1);
                rs.setQuery(vela::Query(vela::schema::velanakData(),
                                        vela::Condition::between("Sorszám", first, first + 49),
                                        {{"Sorszám"}, {"recordID"}}));
                must(rs.refresh());
                int v = 0;
                while (!stop) {
                    if (rs.eof())
                        must(rs.moveFirst());
                    if (rs.setField("Megjegyzés", QStringLiteral("író %1 / %2").arg(w).arg(++v)) &&
                        rs.update())
                        ++saved;
                    else {
                        rs.cancelUpdate();
                        ++refused;
                    }
                    (void)rs.moveNext();
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        stop = true;
        for (auto& th : writers) th.join();
        const double seconds = t.elapsed() / 1000.0;
        state.counters["saves_per_s"] = double(saved) / seconds;
        state.counters["refused"] = double(refused);
    }
}

void shapes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rows", "server"})->Unit(benchmark::kMillisecond);
    for (int rows : {100000, 1000000})
        for (int backend : {Files, Server}) b->Args({rows, backend});
}

BENCHMARK(BM_OpenToLastRow)->Apply(shapes)->Iterations(3);
BENCHMARK(BM_FinderKeystroke)->Apply(shapes);
BENCHMARK(BM_Save)->Apply(shapes);
BENCHMARK(BM_FilterAtutalasok)->Apply(shapes)->Iterations(5);
BENCHMARK(BM_OtherCommitShown)->Apply(shapes)->Iterations(5)->UseRealTime();
BENCHMARK(BM_TenWriters)->Apply(shapes)->Iterations(1)->UseRealTime();

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
