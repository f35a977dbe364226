// The invoice import's two stages at full size: "Feltöltés" loading 1 000 000
// item lines (grouped into invoices) into the staging table, and
// "Vissza-átadás" handing 100 000 staged rows over into the receivables ledger.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "import/invoicesource.h"
#include "import/stagedtransfer.h"
#include "import/standindatabase.h"

#include "benchstandin.h"
#include "ledger/ledgerwindow.h"
#include "storage/bulkwrite.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"

using vela::Database;
using vela::InvoiceSource;

namespace {

constexpr int kLines = 1000000;
constexpr int kStaged = 100000;

QTemporaryDir& dir() {
    static QTemporaryDir d;
    return d;
}

// A step of the setting up that must not fail: the figures would mean nothing.
void must(const vela::Status& status) {
    if (!status)
        qFatal("%s", qPrintable(status.errorText()));
}

// A data folder's database copied from the clean templates.
std::unique_ptr<Database> templateCopy(const QString& name) {
    const QString path = dir().filePath(name);
    if (!QFile::exists(path)) {
        QFile::copy(QDir(QStringLiteral(VELA_TEMPLATE_DIR)).filePath(name), path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    auto db = Database::openPath(path);
    if (!db)
        qFatal("%s", qPrintable(db.errorText()));
    return std::move(*db);
}

// A stand-in with kLines item lines in SZAMLA: invoices of one to six lines.
const QString& standIn() {
    static QString path;
    if (!path.isEmpty())
        return path;
    path = dir().filePath("LFAKTURO.MDB");
    makeBenchStandIn(path, kLines);
    return path;
}

// What "Feltöltés" does for one kind answered with 1: read the item lines
// grouped into invoices and append them to the staging table.
void BM_LoadMillionLines(benchmark::State& state) {
    auto staging = templateCopy("LFakturo.mdb");
    auto src = InvoiceSource::openFile(standIn());
    if (!src) {
        state.SkipWithError(qPrintable(src.errorText()));
        return;
    }
    size_t invoices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        must(staging->exec("DELETE FROM OsszesSzamla"));
        state.ResumeTiming();
        const auto rows = (*src)->groupedInvoices("SZAMLA", 1);
        if (!rows) {
            state.SkipWithError(qPrintable(rows.errorText()));
            return;
        }
        const auto report = vela::stageInvoices(*staging, vela::schema::osszesSzamla(), *rows);
        if (!report) {
            state.SkipWithError(qPrintable(report.errorText()));
            return;
        }
        invoices = size_t(report->written);
    }
    state.counters["lines"] = double(kLines);
    state.counters["invoices"] = double(invoices);
}
BENCHMARK(BM_LoadMillionLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// What "Vissza-átadás" does with all rows: the staged rows, in the grid's
// order, written into VelanakData after its highest sequence number.
void BM_TransferHundredThousand(benchmark::State& state) {
    auto staging = templateCopy("LFakturo.mdb");
    auto veladata = templateCopy("veladata.mdb");
    must(staging->exec("DELETE FROM OsszesSzamla"));
    {
        QList<vela::StagedInvoice> rows;
        const QDate day(2024, 1, 1);
        for (int i = 0; i < kStaged; ++i)
            rows.push_back({qint64(i + 1), QStringLiteral("Vevő %1 Kft.").arg(i % 5000),
                            QStringLiteral("Győr"), QStringLiteral("Fő utca %1.").arg(i % 200),
                            i % 7 == 0 ? QStringLiteral("átutalás E") : QStringLiteral("átutalás"),
                            day.addDays(i % 365), day.addDays(i % 365 + 8),
                            QStringLiteral("Tétel %1").arg(i), 27.0, 0.0, QStringLiteral("Ft"),
                            1000.0 + i, 1270.0 + i, day.addDays(i % 365)});
        const auto report = vela::stageInvoices(*staging, vela::schema::osszesSzamla(), rows);
        if (!report)
            qFatal("%s", qPrintable(report.errorText()));
    }
    vela::RecordSource data;
    data.setDatabase(staging.get());
    data.setQuery(vela::Query(vela::schema::osszesSzamla(), {},
                              {{QStringLiteral("FizMód")}, {QStringLiteral("Számlaszám")}}));
    int written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        must(veladata->exec("DELETE FROM VelanakData"));
        state.ResumeTiming();
        must(data.refresh());
        must(data.moveFirst());
        const auto r = vela::StagedTransfer::run(data, 0, *veladata, vela::schema::velanakData(),
                                                 &vela::LedgerWindow::NewRowId,
                                                 [] { return QDateTime::currentDateTime(); });
        if (!r || r->stopped) {
            state.SkipWithError(qPrintable(r ? r->failedWhy : r.errorText()));
            return;
        }
        written = r->written;
    }
    state.counters["rows"] = double(written);
}
BENCHMARK(BM_TransferHundredThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

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
