// The storage layer over large ledgers: each user operation through
// RecordSource beside the bare SQLite statements that do the same work, so
// the overhead reads as a ratio. The ledgers (10 000, 100 000 and 1 000 000
// rows) are made once into /tmp by the demo data maker and reused.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "demofoldermaker.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"

using vela::Database;
using vela::RecordSource;
using vela::Statement;

namespace {

const char* const kOrder = "Sorszám, recordID";
const char* const kRawOrder = "\"Sorszám\", \"recordID\", rowid";

QString ledgerFolder(int rows) {
    return QDir::temp().filePath(QStringLiteral("veladata-bench-%1").arg(rows));
}

QString ledgerFile(int rows) {
    return QDir(ledgerFolder(rows)).filePath("veladata.mdb");
}

// A step of a benchmark that must not fail: the figures would mean nothing.
void must(const vela::Status& status) {
    if (!status)
        qFatal("%s", qPrintable(status.errorText()));
}

// Makes the ledger of rows rows unless a folder with that many rows is there.
bool ensureLedger(int rows) {
    if (QFile::exists(ledgerFile(rows))) {
        auto db = Database::openPath(ledgerFile(rows), {"VelaData"});
        if (db) {
            const auto count = (*db)->scalar("SELECT count(*) FROM VelaData");
            if (count && count->toInt() == rows)
                return true;
        }
    }
    std::fprintf(stderr, "Making a ledger of %d rows in %s ...\n", rows,
                 qPrintable(ledgerFolder(rows)));
    vela::demo::DemoOptions options;
    options.payablesRows = rows;
    options.force = true;
    vela::demo::DemoFolderMaker maker(options);
    QElapsedTimer t;
    t.start();
    if (const vela::Status made = maker.make(ledgerFolder(rows)); !made) {
        std::fprintf(stderr, "%s\n", qPrintable(made.errorText()));
        return false;
    }
    std::fprintf(stderr, "  made in %.1f s\n", t.elapsed() / 1000.0);
    return true;
}

// One open connection per ledger size, shared by the benchmarks; closed
// before the application object goes.
std::map<int, std::unique_ptr<Database>>& openLedgers() {
    static std::map<int, std::unique_ptr<Database>> open;
    return open;
}

Database* ledger(benchmark::State& state) {
    auto& open = openLedgers();
    const int rows = int(state.range(0));
    auto& db = open[rows];
    if (!db) {
        if (!ensureLedger(rows)) {
            state.SkipWithError("no ledger");
            return nullptr;
        }
        auto opened = Database::openPath(ledgerFile(rows), {"VelaData"});
        if (!opened) {
            state.SkipWithError(qPrintable("no ledger: " + opened.errorText()));
            return nullptr;
        }
        db = std::move(*opened);
    }
    return db.get();
}

void openLedger(RecordSource& rs, Database* db, const vela::Condition& where = {}) {
    rs.setDatabase(db);
    rs.setQuery(vela::Query(vela::schema::velaData(), where, {{"Sorszám"}, {"recordID"}}));
    if (const vela::Status s = rs.refresh(); !s)
        qFatal("%s", qPrintable(s.errorText()));
}

// The bare work of a bound source: the ordered rowids of the matching rows.
std::vector<qint64> rawRowids(vela::Connection* h, const QString& where, const QVariantList& binds,
                              const QString& order) {
    Statement st(h, QStringLiteral("SELECT rowid FROM \"VelaData\"%1 ORDER BY %2")
                        .arg(where.isEmpty() ? QString() : " WHERE " + where, order));
    must(st.bind(binds));
    std::vector<qint64> ids;
    while (st.next()) ids.push_back(st.int64(0));
    return ids;
}

// The bare work of showing one row: all its columns.
QVariantList rawRow(vela::Connection* h, qint64 rowid) {
    Statement st(h, QStringLiteral("SELECT * FROM \"VelaData\" WHERE rowid = ?"));
    must(st.bind({rowid}));
    QVariantList row;
    if (st.next()) {
        for (int i = 0; i < st.columnCount(); ++i) row << st.value(i);
    }
    return row;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

// ---- Open the ledger and reach its last row ---------------------------------

void BM_OpenLast_RecordSource(benchmark::State& state) {
    if (!ledger(state))
        return;
    const QString file = ledgerFile(int(state.range(0)));
    for (auto _ : state) {
        auto db = Database::openPath(file, {"VelaData"});
        if (!db) {
            state.SkipWithError(qPrintable(db.errorText()));
            return;
        }
        RecordSource rs;
        openLedger(rs, db->get());
        if (const vela::Status s = rs.moveLast(); !s) {
            state.SkipWithError(qPrintable(s.errorText()));
            return;
        }
        benchmark::DoNotOptimize(rs.field("Sorszám"));
    }
}
BENCHMARK(BM_OpenLast_RecordSource)->Apply(sizes);

void BM_OpenLast_Sqlite(benchmark::State& state) {
    if (!ledger(state))
        return;
    const QByteArray file = QFile::encodeName(ledgerFile(int(state.range(0))));
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(file.constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        {
            auto c = vela::sqlite::SqliteConnection::adopt(h);
            const auto ids = rawRowids(c.get(), {}, {}, kRawOrder);
            benchmark::DoNotOptimize(rawRow(c.get(), ids.back()));
        }
        sqlite3_close(h);
    }
}
BENCHMARK(BM_OpenLast_Sqlite)->Apply(sizes);

void BM_RefreshLast_RecordSource(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    RecordSource rs;
    openLedger(rs, db);
    for (auto _ : state) {
        must(rs.refresh());
        must(rs.moveLast());
        benchmark::DoNotOptimize(rs.field("Sorszám"));
    }
}
BENCHMARK(BM_RefreshLast_RecordSource)->Apply(sizes);

void BM_RefreshLast_Sqlite(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    for (auto _ : state) {
        const auto ids = rawRowids(db->handle(), {}, {}, kRawOrder);
        benchmark::DoNotOptimize(rawRow(db->handle(), ids.back()));
    }
}
BENCHMARK(BM_RefreshLast_Sqlite)->Apply(sizes);

// ---- Find ----------------------------------------------------------------------

void BM_FindSorszam_RecordSource(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    RecordSource rs;
    openLedger(rs, db);
    const qint64 targets[] = {state.range(0) / 2, state.range(0) / 3};
    int i = 0;
    for (auto _ : state) {
        must(rs.findFirst(vela::Condition::equals("Sorszám", targets[i++ % 2])));
        benchmark::DoNotOptimize(rs.field("Sorszám"));
    }
    if (rs.noMatch())
        state.SkipWithError("no match");
}
BENCHMARK(BM_FindSorszam_RecordSource)->Apply(sizes);

void BM_FindSorszam_Sqlite(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    const qint64 targets[] = {state.range(0) / 2, state.range(0) / 3};
    int i = 0;
    for (auto _ : state) {
        const auto ids = rawRowids(db->handle(), QStringLiteral("\"Sorszám\" = ?"),
                                   {targets[i++ % 2]}, QString(kRawOrder) + " LIMIT 1");
        benchmark::DoNotOptimize(rawRow(db->handle(), ids.front()));
    }
}
BENCHMARK(BM_FindSorszam_Sqlite)->Apply(sizes);

void findPrefix(benchmark::State& state, const QString& column, const QString& prefix) {
    Database* db = ledger(state);
    if (!db)
        return;
    RecordSource rs;
    openLedger(rs, db);
    for (auto _ : state) {
        must(rs.moveFirst());
        must(rs.findFirstPrefix(column, prefix));
        benchmark::DoNotOptimize(rs.field(column));
    }
    if (rs.noMatch())
        state.SkipWithError("no match");
}

// The bare query is told the case variants of the prefix that occur; the
// record source finds them out itself.
void findPrefixRaw(benchmark::State& state, const QString& column, const QStringList& variants) {
    Database* db = ledger(state);
    if (!db)
        return;
    static const QString top = QString::fromUcs4(U"\U0010FFFF", 1);
    QStringList ranges;
    QVariantList binds;
    for (const QString& v : variants) {
        ranges << QStringLiteral("(\"%1\" >= ? AND \"%1\" < ?)").arg(column);
        binds << v << v + top;
    }
    for (auto _ : state) {
        const auto ids = rawRowids(db->handle(), ranges.join(" OR "), binds,
                                   "+\"Sorszám\", +\"recordID\", +rowid LIMIT 1");
        benchmark::DoNotOptimize(rawRow(db->handle(), ids.front()));
    }
}

void BM_FindPrefixCegNev_RecordSource(benchmark::State& state) {
    findPrefix(state, "CegNev", QStringLiteral("ő"));
}
BENCHMARK(BM_FindPrefixCegNev_RecordSource)->Apply(sizes);

void BM_FindPrefixCegNev_Sqlite(benchmark::State& state) {
    findPrefixRaw(state, "CegNev", {QStringLiteral("Ő")});
}
BENCHMARK(BM_FindPrefixCegNev_Sqlite)->Apply(sizes);

void BM_FindPrefixSzamlaszam_RecordSource(benchmark::State& state) {
    findPrefix(state, "Szamlaszam", QStringLiteral("12"));
}
BENCHMARK(BM_FindPrefixSzamlaszam_RecordSource)->Apply(sizes);

void BM_FindPrefixSzamlaszam_Sqlite(benchmark::State& state) {
    findPrefixRaw(state, "Szamlaszam", {QStringLiteral("12")});
}
BENCHMARK(BM_FindPrefixSzamlaszam_Sqlite)->Apply(sizes);

// ---- Sort ----------------------------------------------------------------------

void sortBy(benchmark::State& state, bool descending) {
    Database* db = ledger(state);
    if (!db)
        return;
    RecordSource rs;
    openLedger(rs, db);
    must(rs.moveTo(int(state.range(0) / 2)));
    for (auto _ : state) {
        must(rs.setSort({{"Brutto", descending}, {"Szamlaszam", descending}}));
        benchmark::DoNotOptimize(rs.field("Brutto"));
    }
}

void sortByRaw(benchmark::State& state, const char* order) {
    Database* db = ledger(state);
    if (!db)
        return;
    for (auto _ : state) {
        const auto ids = rawRowids(db->handle(), {}, {}, QString::fromUtf8(order));
        benchmark::DoNotOptimize(rawRow(db->handle(), ids[ids.size() / 2]));
    }
}

void BM_SortBrutto_RecordSource(benchmark::State& state) {
    sortBy(state, false);
}
BENCHMARK(BM_SortBrutto_RecordSource)->Apply(sizes);

void BM_SortBrutto_Sqlite(benchmark::State& state) {
    sortByRaw(state, "\"Brutto\", \"Szamlaszam\", rowid");
}
BENCHMARK(BM_SortBrutto_Sqlite)->Apply(sizes);

// The same order with the first key kept off its index: one table scan and
// one sort instead of a walk of the Brutto index with a row lookup per entry.
void BM_SortBrutto_SqliteScanSort(benchmark::State& state) {
    sortByRaw(state, "+\"Brutto\", \"Szamlaszam\", rowid");
}
BENCHMARK(BM_SortBrutto_SqliteScanSort)->Apply(sizes);

void BM_SortBruttoDesc_RecordSource(benchmark::State& state) {
    sortBy(state, true);
}
BENCHMARK(BM_SortBruttoDesc_RecordSource)->Apply(sizes);

void BM_SortBruttoDesc_Sqlite(benchmark::State& state) {
    sortByRaw(state, "\"Brutto\" DESC, \"Szamlaszam\" DESC, rowid");
}
BENCHMARK(BM_SortBruttoDesc_Sqlite)->Apply(sizes);

// ---- Filter, sum, save -----------------------------------------------------------

void BM_FilterRequery_RecordSource(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    RecordSource rs;
    for (auto _ : state) {
        openLedger(rs, db, vela::Condition::equals("FizetésMódja", QStringLiteral("készpénzes")));
        must(rs.moveLast());
        benchmark::DoNotOptimize(rs.field("Sorszám"));
    }
    state.counters["rows"] = rs.recordCount();
}
BENCHMARK(BM_FilterRequery_RecordSource)->Apply(sizes);

void BM_FilterRequery_Sqlite(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    size_t n = 0;
    for (auto _ : state) {
        const auto ids = rawRowids(db->handle(), QStringLiteral("\"FizetésMódja\" = ?"),
                                   {QStringLiteral("készpénzes")}, kRawOrder);
        benchmark::DoNotOptimize(rawRow(db->handle(), ids.back()));
        n = ids.size();
    }
    state.counters["rows"] = double(n);
}
BENCHMARK(BM_FilterRequery_Sqlite)->Apply(sizes);

const char* const kOpenGross =
    "SELECT sum(Brutto) FROM VelaData WHERE \"Kivezetés\" = 'N' AND \"Részkiegyenlités\" = 0";
const char* const kOpenPartial =
    "SELECT sum(\"RészÖsszegBruttó\") FROM VelaData WHERE \"Kivezetés\" = 'N'";

void BM_OpenTotal_Database(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    for (auto _ : state) {
        const double total = db->scalar(QString::fromUtf8(kOpenGross))->toDouble() -
                             db->scalar(QString::fromUtf8(kOpenPartial))->toDouble();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_OpenTotal_Database)->Apply(sizes);

void BM_OpenTotal_Sqlite(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    for (auto _ : state) {
        double total = 0;
        for (const char* sql : {kOpenGross, kOpenPartial}) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(vela::sqlite::SqliteConnection::rawHandle(db->handle()), sql, -1,
                               &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW)
                total += (sql == kOpenGross ? 1 : -1) * sqlite3_column_double(st, 0);
            sqlite3_finalize(st);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_OpenTotal_Sqlite)->Apply(sizes);

void BM_SaveRow_RecordSource(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    RecordSource rs;
    openLedger(rs, db);
    if (const vela::Status s = rs.moveTo(int(state.range(0) / 2)); !s) {
        state.SkipWithError(qPrintable(s.errorText()));
        return;
    }
    int i = 0;
    for (auto _ : state) {
        vela::Status s =
            rs.setField("Megjegyzés", (i++ % 2) ? QStringLiteral("Telefonon egyeztetve.")
                                                : QStringLiteral("Fizetési felszólítás kiküldve."));
        if (s)
            s = rs.update();
        if (!s) {
            state.SkipWithError(qPrintable(s.errorText()));
            return;
        }
    }
}
BENCHMARK(BM_SaveRow_RecordSource)->Apply(sizes);

void BM_SaveRow_Sqlite(benchmark::State& state) {
    Database* db = ledger(state);
    if (!db)
        return;
    const auto ids = rawRowids(db->handle(), {}, {}, kRawOrder);
    const qint64 id = ids[ids.size() / 2];
    int i = 0;
    for (auto _ : state) {
        Statement st(db->handle(),
                     QStringLiteral("UPDATE \"VelaData\" SET \"Megjegyzés\" = ? WHERE rowid = ?"));
        must(st.bind({(i++ % 2) ? QStringLiteral("Telefonon egyeztetve.")
                                : QStringLiteral("Fizetési felszólítás kiküldve."),
                      id}));
        must(st.exec());
    }
}
BENCHMARK(BM_SaveRow_Sqlite)->Apply(sizes);

// ---- Peak memory -------------------------------------------------------------

long maxRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The peak resident size of this process image. Unlike ru_maxrss it starts
// afresh at exec, so it does not carry the peak of the process that started us.
long highWaterKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Run in a fresh process, so the figure holds nothing but the program's own
// start, the open and the walk to the last row.
int measurePeakMemory(int rows) {
    if (!QFile::exists(ledgerFile(rows)) && !ensureLedger(rows))
        return 1;
    const long before = highWaterKb();
    QElapsedTimer t;
    t.start();
    auto db = Database::openPath(ledgerFile(rows), {"VelaData"});
    if (!db) {
        std::fprintf(stderr, "%s\n", qPrintable(db.errorText()));
        return 1;
    }
    RecordSource rs;
    openLedger(rs, db->get());
    if (const vela::Status s = rs.moveLast(); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.errorText()));
        return 1;
    }
    const QVariant last = rs.field("Sorszám");
    const qint64 ms = t.elapsed();
    const long after = highWaterKb();
    std::printf(
        "peak memory, %d rows: open + last row in %lld ms (fresh process), row count %d, "
        "last Sorszám %s; peak resident %.1f MB (%.1f MB before opening); "
        "getrusage ru_maxrss %.1f MB\n",
        rows, static_cast<long long>(ms), rs.recordCount(), qPrintable(last.toString()),
        after / 1024.0, before / 1024.0, maxRssKb() / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--peak-memory") == 0)
        return measurePeakMemory(atoi(argv[2]));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openLedgers().clear();

    // The memory figure of the largest ledger that is there, from a fresh process.
    for (const int rows : {1000000, 100000, 10000}) {
        if (QFile::exists(ledgerFile(rows))) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedChannels);
            p.start(QCoreApplication::applicationFilePath(),
                    {"--peak-memory", QString::number(rows)});
            p.waitForFinished(-1);
            break;
        }
    }
    return 0;
}
