// Booking 10 000 bank statement transactions into a million-row receivables
// ledger in one transaction, as "Kiegyenlítés" does, beside the bare SQLite
// update of the same rows.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "../ledger/benchfolder.h"
#include "bankwindow/statementbooking.h"
#include "base/statement.h"
#include "storage/database.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kEntries = 10000;

vela::BankAmount ft(qint64 f) {
    return vela::BankAmount::fromUnits(f * vela::BankAmount::kScale);
}

QString folder() {
    static const QString dir = benchFolder(
        QStringLiteral("vela-bench-bankbooking"), kRows,
        QStringLiteral("INSERT INTO VelanakData (Sorszám, Szamlaszam, CegNev, Netto, AFA, Brutto, "
                       "Devizanem, Kivezetés, recordID, FizetésMódja, Datumtol, Datumig) "
                       "SELECT i, 'SZ-' || i, 'Partner ' || (i % 5000) || ' Kft.', 10000, 27, "
                       "12700, 'Ft', 'N', '2024101' || i, 'átutalás', '2024-05-01', "
                       "'2024-05-31' FROM c"),
        {}, false);
    return dir;
}

std::unique_ptr<vela::Database> open() {
    auto db = vela::Database::openPath(folder() + QStringLiteral("/veladata.mdb"));
    if (!db)
        qFatal("%s", qPrintable(db.errorText()));
    return std::move(*db);
}

// The rows booked, spread over the ledger: every hundredth.
qint64 rowOf(int e) {
    return qint64(e) * (kRows / kEntries) + 1;
}

// Puts the ledger back as it was before a booking.
void undo(vela::Database& db) {
    must(db.begin());
    must(db.exec(QStringLiteral("DELETE FROM VelanakData WHERE Részkiegyenlités = 1")));
    must(
        db.exec(QStringLiteral("UPDATE VelanakData SET Kivezetés = 'N', BankiKivonatSzáma = "
                               "NULL, BankiKiegyenlitésKelte = NULL, Teljesités = NULL WHERE "
                               "Kivezetés = 'I'")));
    must(db.exec(QStringLiteral("DELETE FROM BankiTetel")));
    must(db.commit());
}

// Four in five pay an invoice in full, the fifth pays half of one.
void BookStatement(benchmark::State& state) {
    auto db = open();
    vela::BankStatement st;
    st.id = QStringLiteral("BENCH-1");
    st.legalSequence = QStringLiteral("1");
    st.entries.resize(kEntries);
    std::vector<vela::BookingOrder> orders(kEntries);
    for (int e = 0; e < kEntries; ++e) {
        vela::StatementEntry& en = st.entries[size_t(e)];
        en.entryReference = QString::number(e);
        en.credit = true;
        en.bookingDate = QDate(2024, 6, 14);
        const bool part = e % 5 == 4;
        en.amount = ft(part ? 6350 : 12700);
        orders[size_t(e)] = {&en, {{vela::OpenLedger::Receivables, rowOf(e), en.amount, !part}}};
    }
    for (auto _ : state) {
        state.PauseTiming();
        undo(*db);
        state.ResumeTiming();
        vela::StatementBooking booking(*db);
        const auto done = booking.book(st, orders, QDate(2024, 6, 15));
        if (!done || done->booked != kEntries) {
            state.SkipWithError(done ? "not every entry was booked" : qPrintable(done.errorText()));
            return;
        }
    }
    state.counters["entries"] = kEntries;
}
BENCHMARK(BookStatement)->Unit(benchmark::kMillisecond)->Iterations(3);

// The bare work: one prepared UPDATE per row, in one transaction, through
// the engine's statement and nothing else.
void BookStatement_Sqlite(benchmark::State& state) {
    auto db = open();
    for (auto _ : state) {
        state.PauseTiming();
        undo(*db);
        state.ResumeTiming();
        must(db->begin());
        {
            vela::Statement st(db->handle(),
                               QStringLiteral("UPDATE VelanakData SET Kivezetés = 'I', "
                                              "BankiKivonatSzáma = '1', BankiKiegyenlitésKelte = "
                                              "'2024-06-14', Teljesités = '2024-06-14' WHERE "
                                              "Kulcs = ?1"));
            for (int e = 0; e < kEntries; ++e) {
                (void)st.reset();
                (void)st.bind(1, rowOf(e));
                (void)st.exec();
            }
        }
        must(db->commit());
    }
    state.counters["entries"] = kEntries;
}
BENCHMARK(BookStatement_Sqlite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
