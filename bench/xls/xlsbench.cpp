// Appending ledger rows to the empty export workbook, as the Excel export does.

#include "xls/workbook.h"

#include <benchmark/benchmark.h>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kTemplate = QStringLiteral(VELA_BIN_DIR "/DataFolder/data/VelaDataStatTartozunk.xls");

// Rows shaped like the first 24 columns of a ledger row.
std::vector<std::vector<QVariant>> ledgerRows(int n) {
    std::vector<std::vector<QVariant>> rows;
    rows.reserve(size_t(n));
    const QDate day(2024, 1, 1);
    for (int i = 0; i < n; ++i) {
        const double net = 1000.0 + (i % 977) * 12.5;
        rows.push_back({
            qlonglong(i + 1),
            QStringLiteral("SZ-2024/%1").arg(i + 1, 6, 10, QLatin1Char('0')),
            QStringLiteral("Partner %1 Kft.").arg(i % 500),
            QStringLiteral("%1 Budapest, Fő utca %2.").arg(1000 + i % 200).arg(i % 90 + 1),
            QStringLiteral("Árvíztűrő tükörfúrógép, %1 db").arg(i % 30 + 1),
            net,
            27.0,
            net * 1.27,
            day.addDays(i % 365),
            day.addDays(i % 365 + 30),
            day.addDays(i % 365),
            QStringLiteral("HUF"),
            i % 3 ? QStringLiteral("N") : QStringLiteral("I"),
            0.0,
            QStringLiteral("K-%1").arg(i % 1000),
            day.addDays(i % 365 + 20),
            i % 10 ? QVariant() : QVariant(QStringLiteral("Megjegyzés a %1. sorhoz").arg(i)),
            QStringLiteral("20240101-%1").arg(i, 5, 10, QLatin1Char('0')),
            i % 17 == 0,
            QVariant(),
            false,
            QStringLiteral("átutalás"),
            0.0,
            day.addDays(i % 365 + 25),
        });
    }
    return rows;
}

void BM_AppendToTemplate(benchmark::State& state) {
    const auto rows = ledgerRows(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VelaDataStatTartozunk.xls"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        QFile::copy(kTemplate, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        state.ResumeTiming();
        const vela::Status written = vela::xls::Workbook::appendRows(path, rows);
        if (!written)
            state.SkipWithError(written.errorText().toStdString().c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendToTemplate)->Arg(1000)->Arg(60000)->Unit(benchmark::kMillisecond);

// A small export onto a workbook that already holds many rows: the cost of
// reading and rewriting what is there.
void BM_AppendToFullWorkbook(benchmark::State& state) {
    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("full.xls"));
    const QString path = dir.filePath(QStringLiteral("work.xls"));
    QFile::copy(kTemplate, full);
    QFile::setPermissions(full, QFile::ReadOwner | QFile::WriteOwner);
    if (const vela::Status filled =
            vela::xls::Workbook::appendRows(full, ledgerRows(int(state.range(0))));
        !filled) {
        state.SkipWithError(filled.errorText().toStdString().c_str());
        return;
    }
    const auto rows = ledgerRows(100);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        QFile::copy(full, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        state.ResumeTiming();
        const vela::Status written = vela::xls::Workbook::appendRows(path, rows);
        if (!written)
            state.SkipWithError(written.errorText().toStdString().c_str());
    }
}
BENCHMARK(BM_AppendToFullWorkbook)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
