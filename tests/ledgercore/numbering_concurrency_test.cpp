// Three processes adding ledger rows to one data folder at the same moment,
// as three workstations pressing "Új adat" together: every row must get its
// own sequence number and its own identifier.
//
// The program starts itself three times as children on a fresh data folder;
// each adds its rows through a record source with the ledger's insert hook
// (the window's way) and through LedgerBook::add in turn, with one fixed
// clock for all, so every identifier is first asked for by all of them.
#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <cstdio>

#include "ledgercore/ledgerbook.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"

namespace {

constexpr int kChildren = 3;
constexpr int kRowsEach = 30;

int fail(const QString& why) {
    std::fprintf(stdout, "FAIL %s\n", qPrintable(why));
    return 1;
}

int child(const QString& name) {
    auto opened = vela::Database::open(QStringLiteral("veladata.mdb"));
    if (!opened)
        return fail(opened.errorText());
    vela::Database& db = **opened;
    vela::LedgerBook book(db, vela::schema::velaData());
    book.setClock([] { return QDateTime(QDate(2025, 1, 5), QTime(10, 0, 0)); });
    vela::RecordSource rows;
    rows.setDatabase(&db);
    rows.setQuery(vela::Query(vela::schema::velaData()));
    rows.setInsertHook(book.insertHook());
    if (const vela::Status s = rows.refresh(); !s)
        return fail(s.errorText());
    for (int i = 0; i < kRowsEach; ++i) {
        const QString who = QStringLiteral("%1-%2").arg(name).arg(i);
        if (i % 2 == 0) {
            vela::Status s = rows.addNew();
            if (s)
                s = rows.setField(QStringLiteral("CegNev"), who);
            if (s)
                s = rows.update();
            if (!s)
                return fail(who + QStringLiteral(": ") + s.errorText());
        } else {
            vela::LedgerRow row;
            row.cegNev = who;
            if (const auto added = book.add(row); !added)
                return fail(who + QStringLiteral(": ") + added.errorText());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return child(QString::fromLocal8Bit(argv[2]));

    TempDataFolder folder;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int c = 0; c < kChildren; ++c) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--child"), QString(QChar(u'A' + c))});
        children.push_back(std::move(p));
    }
    int failed = 0;
    for (auto& p : children) {
        if (!p->waitForFinished(100000) || p->exitStatus() != QProcess::NormalExit ||
            p->exitCode() != 0)
            ++failed;
    }
    if (failed)
        return fail(QStringLiteral("%1 child(ren) failed").arg(failed));

    auto opened = vela::Database::open(QStringLiteral("veladata.mdb"));
    if (!opened)
        return fail(opened.errorText());
    const auto rows = (*opened)->rows(QStringLiteral("SELECT Sorszám, recordID FROM VelaData"));
    if (!rows)
        return fail(rows.errorText());
    QSet<qint64> numbers;
    QSet<QString> ids;
    for (const auto& r : *rows) {
        numbers.insert(r[0].toLongLong());
        ids.insert(r[1].toString());
    }
    const int expected = kChildren * kRowsEach;
    if (int(rows->size()) != expected || numbers.size() != expected || ids.size() != expected)
        return fail(QStringLiteral("%1 rows, %2 numbers, %3 identifiers; %4 expected")
                        .arg(rows->size())
                        .arg(numbers.size())
                        .arg(ids.size())
                        .arg(expected));
    for (qint64 n = 1; n <= expected; ++n) {
        if (!numbers.contains(n))
            return fail(QStringLiteral("number %1 missing").arg(n));
    }
    std::fprintf(stdout, "OK %d rows, numbers 1..%d, every identifier its own\n", expected,
                 expected);
    return 0;
}
