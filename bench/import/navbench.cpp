// Reading and mapping 10 000 Online Számla invoice files, as a folder of a
// year's invoices would be staged, and the same files staged and handed over
// into the ledgers: the files are the authority's 20 samples, each copied
// 500 times under its own invoice number.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "import/navhandover.h"
#include "import/navinvoicereader.h"
#include "import/navledgermapper.h"
#include "storage/database.h"

namespace {

constexpr int kFiles = 10000;

const QStringList& files() {
    static QTemporaryDir dir;
    static QStringList made;
    if (!made.isEmpty())
        return made;
    const QDir samples(QStringLiteral(VELA_SHARED_TESTDATA "/nav/samples"));
    QList<QByteArray> sources;
    for (const QString& f : samples.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
        QFile in(samples.filePath(f));
        if (in.open(QIODevice::ReadOnly))
            sources << in.readAll();
    }
    for (int i = 0; i < kFiles && !sources.isEmpty(); ++i) {
        QByteArray xml = sources[i % sources.size()];
        const qsizetype at = xml.indexOf("<invoiceNumber>") + 15;
        xml.insert(at, "B" + QByteArray::number(i) + "-");
        const QString path = dir.filePath(QStringLiteral("szamla%1.xml").arg(i));
        QFile out(path);
        if (out.open(QIODevice::WriteOnly) && out.write(xml) == xml.size())
            made << path;
    }
    return made;
}

void BM_ReadAndMapFiles(benchmark::State& state) {
    const QStringList& paths = files();
    if (paths.size() != kFiles) {
        state.SkipWithError("the sample files could not be copied");
        return;
    }
    const vela::NavBusiness business{QStringLiteral("99999999"), QStringLiteral("Ft")};
    for (auto _ : state) {
        int rows = 0;
        for (const QString& p : paths) {
            const auto invoices = vela::NavInvoiceReader::readFile(p);
            if (!invoices) {
                state.SkipWithError(invoices.errorText().toUtf8().constData());
                return;
            }
            for (const vela::NavInvoice& inv : *invoices) {
                const auto entry = vela::NavLedgerMapper::map(inv, business);
                rows += entry ? 1 : 0;
                benchmark::DoNotOptimize(
                    vela::NavLedgerMapper::partner(inv, vela::NavLedger::Receivables));
            }
        }
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ReadAndMapFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

// A data folder's database copied afresh from the clean templates.
std::unique_ptr<vela::Database> templateCopy(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile::copy(QDir(QStringLiteral(VELA_TEMPLATE_DIR)).filePath(name), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    auto db = vela::Database::openPath(path);
    if (!db)
        qFatal("%s", qPrintable(db.errorText()));
    return std::move(*db);
}

// What "Beolvasás" and "Átadás" do with a folder of 10 000 invoices: read,
// looked up in the ledgers and the register, mapped, marked, and handed
// over into empty ledgers in one transaction.
void BM_StageAndHandOver(benchmark::State& state) {
    const QStringList& paths = files();
    if (paths.size() != kFiles) {
        state.SkipWithError("the sample files could not be copied");
        return;
    }
    const vela::NavBusiness business{QStringLiteral("99999999"), QStringLiteral("Ft")};
    QTemporaryDir dir;
    int written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto veladata = templateCopy(dir, QStringLiteral("veladata.mdb"));
        auto betarol = templateCopy(dir, QStringLiteral("betarol.kdb"));
        state.ResumeTiming();
        QStringList refused;
        const QList<vela::NavInvoice> invoices = vela::NavHandOver::readFiles(paths, refused);
        vela::NavHandOver handOver(*veladata, betarol.get(), business);
        if (const vela::Status loaded = handOver.load(invoices); !loaded) {
            state.SkipWithError(loaded.errorText().toUtf8().constData());
            return;
        }
        QList<vela::NavStagedInvoice> staged;
        handOver.stage(invoices, staged, refused);
        const auto report = handOver.run(
            staged,
            [](const QDateTime& t) { return t.toString(QStringLiteral("yyyyMMddHHmmsszzz")); },
            [] { return QDateTime::currentDateTime(); });
        if (!report) {
            state.SkipWithError(report.errorText().toUtf8().constData());
            return;
        }
        written = report->receivables + report->payables;
    }
    state.counters["written"] = written;
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_StageAndHandOver)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
