// Ten workstations adding ledger rows at once on one database server: the
// program starts itself ten times, each child adds its rows through a
// record source numbered by the ledger book (as the ledger window adds
// them), then edits rows that the others edit too, each edit adding a mark
// of its own to the row's remark; the parent counts what the server holds:
// every row and every saved mark there, every refused save told.
#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ledgercore/ledgerbook.h"
#include "pgtestserver.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/recordsource.h"
#include "storage/serverschema.h"

using namespace vela;

namespace {

constexpr int kWorkstations = 10;
constexpr int kRowsEach = 200;
constexpr int kEditsEach = 200;
// The edits go to the first rows of the ledger, so that they meet.
constexpr int kEditedRows = 40;
const QString kRemark = QStringLiteral("Megjegyzés");

int fail(const QString& why) {
    std::fprintf(stderr, "%s\n", why.toUtf8().constData());
    return 1;
}

// One workstation: kRowsEach new rows, each numbered by the server.
int workstation(const QString& conninfo, int which) {
    auto opened = Database::openServer(conninfo, QStringLiteral("veladata.mdb"),
                                       {QStringLiteral("VelaData")});
    if (!opened)
        return fail(opened.errorText());
    std::unique_ptr<Database> db = std::move(*opened);
    LedgerBook book(*db, schema::velaData());
    RecordSource rows;
    rows.setDatabase(db.get());
    rows.setInsertHook(book.insertHook());
    rows.setQuery(Query(schema::velaData()));
    if (Status s = rows.refresh(); !s)
        return fail(s.errorText());
    for (int n = 0; n < kRowsEach; ++n) {
        if (Status s = rows.addNew(); !s)
            return fail(s.errorText());
        Status s = rows.setField(QStringLiteral("CegNev"),
                                 QStringLiteral("Munkaállomás %1/%2").arg(which).arg(n));
        if (s)
            s = rows.update();
        if (!s)
            return fail(QStringLiteral("%1. munkaállomás, %2. sor: %3")
                            .arg(which)
                            .arg(n)
                            .arg(s.errorText()));
    }
    // Each edit appends its mark to the remark as read; a refused save is
    // told, and the edit is done again on the row as it is now.
    int saved = 0, refused = 0;
    for (int n = 0; n < kEditsEach; ++n) {
        if (Status s = rows.refresh(); !s)
            return fail(s.errorText());
        const int at = (n * 7 + which * 3) % std::min(kEditedRows, rows.recordCount());
        const QString mark = QStringLiteral("w%1e%2;").arg(which).arg(n);
        for (;;) {
            if (Status s = rows.moveTo(at); !s)
                return fail(s.errorText());
            Status s = rows.setField(kRemark, rows.field(kRemark).toString() + mark);
            if (s)
                s = rows.update();
            if (s) {
                ++saved;
                break;
            }
            if (!s.errorText().contains(QStringLiteral("másik munkaállomás módosította")))
                return fail(QStringLiteral("%1. munkaállomás, %2. módosítás: %3")
                                .arg(which)
                                .arg(n)
                                .arg(s.errorText()));
            ++refused;
            rows.cancelUpdate();
        }
    }
    std::printf("EDITS %d %d\n", saved, refused);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--workstation"))
        return workstation(args[2], args[3].toInt());

    int failures = 0;
    {
        test::PgTestDatabase server(QStringLiteral("vela_concurrency"));
        if (server.conninfo().isEmpty())
            return fail(QStringLiteral("no test server"));
        auto opened = Database::openServer(server.conninfo(), QStringLiteral("veladata.mdb"));
        if (!opened)
            return fail(opened.errorText());
        std::unique_ptr<Database> db = std::move(*opened);
        if (Status s = ServerSchema::create(*db, QStringLiteral("veladata.mdb")); !s)
            return fail(s.errorText());

        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < kWorkstations; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(app.applicationFilePath(),
                     {QStringLiteral("--workstation"), server.conninfo(), QString::number(i)});
            children.push_back(std::move(p));
        }
        qlonglong saved = 0, refused = 0;
        for (auto& p : children) {
            if (!p->waitForFinished(280000) || p->exitStatus() != QProcess::NormalExit ||
                p->exitCode() != 0)
                ++failures;
            const QStringList told = QString::fromUtf8(p->readAllStandardOutput()).split(' ');
            if (told.size() == 3 && told[0] == QLatin1String("EDITS")) {
                saved += told[1].toLongLong();
                refused += told[2].toLongLong();
            } else {
                ++failures;
            }
        }
        auto counts =
            db->rows(QStringLiteral("SELECT count(*), count(DISTINCT %1), min(%1), max(%1), "
                                    "count(DISTINCT %2), count(DISTINCT %4) FROM %3")
                         .arg(schema::quoteName(QStringLiteral("Sorszám")),
                              schema::quoteName(QStringLiteral("recordID")),
                              schema::quoteName(QStringLiteral("VelaData")),
                              schema::quoteName(QStringLiteral("CegNev"))));
        if (!counts)
            return fail(counts.errorText());
        const Database::Row& r = counts->front();
        const qlonglong rows = r[0].toLongLong(), numbers = r[1].toLongLong();
        std::printf(
            "%d workstations x %d new rows: %lld rows, %lld distinct Sorszám (%lld..%lld), "
            "%lld duplicates, %lld distinct recordID, %lld rows of the workstations, "
            "%d workstations failed\n",
            kWorkstations, kRowsEach, rows, numbers, r[2].toLongLong(), r[3].toLongLong(),
            rows - numbers, r[4].toLongLong(), r[5].toLongLong(), failures);
        const qlonglong expected = qlonglong(kWorkstations) * kRowsEach;
        if (rows != expected || numbers != expected || r[2].toLongLong() != 1 ||
            r[3].toLongLong() != expected || r[4].toLongLong() != expected ||
            r[5].toLongLong() != expected)
            ++failures;

        // Every saved mark is on its row once; none went without a word.
        auto remarks = db->rows(
            QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT NULL")
                .arg(schema::quoteName(kRemark), schema::quoteName(QStringLiteral("VelaData"))));
        if (!remarks)
            return fail(remarks.errorText());
        QStringList marks;
        for (const Database::Row& remark : *remarks)
            marks << remark[0].toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        const qlonglong distinct = QSet<QString>(marks.begin(), marks.end()).size();
        const qlonglong editsExpected = qlonglong(kWorkstations) * kEditsEach;
        std::printf(
            "%d workstations x %d edits of %d shared rows: %lld saved, %lld marks on the "
            "rows (%lld distinct), %lld edits lost, %lld saves refused and told\n",
            kWorkstations, kEditsEach, kEditedRows, saved, qlonglong(marks.size()), distinct,
            saved - distinct, refused);
        if (saved != editsExpected || qlonglong(marks.size()) != saved || distinct != saved)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
