// Two VelaData processes on one data folder, as two workstations on a share.
//
// The test starts itself twice as children A and B on a fresh data folder.
// Each child, through Database and RecordSource only:
//   1. for a while adds rows of its own ("A-17"), edits every fifth of them
//      again, and marks rows of the other child in a column the other never
//      writes, while the other does the same;
//   2. meets the other one holding the file: A keeps a write transaction open
//      until B's next row has waited the busy timeout and failed with the
//      Hungarian busy text; B writes it again once A has committed;
//   3. tells how many rows it wrote and, once the other has told the same,
//      re-queries and must show exactly that many rows of the other.
// The parent then reads the file: every row each child wrote is there once,
// with its last edit and the other child's mark. Figures go to stdout.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <map>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/query.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"

using vela::Database;
using vela::RecordSource;

namespace {

constexpr int kWriteMillis = 2000;  // phase 1
constexpr int kPauseMillis = 5;     // between two rows of one child

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

[[noreturn]] void die(const QString& who, const QString& why) {
    out() << "FAIL " << who << ": " << why << Qt::endl;
    std::exit(1);
}

// Files in the data folder that the children signal each other with.
void tell(const QString& name, const QString& text = {}) {
    QFile f(name + QStringLiteral(".tmp"));
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
        std::exit(3);
    f.close();
    QFile::rename(name + QStringLiteral(".tmp"), name);
}

QString await(const QString& who, const QString& name) {
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(name)) {
        if (t.elapsed() > 30000)
            die(who, QStringLiteral("nem jött jel: ") + name);
        QThread::msleep(10);
    }
    QFile f(name);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

struct Child {
    QString me, other;
    std::unique_ptr<Database> db;
    RecordSource rs;
    qint64 lastWritten = -1;
    std::vector<qint64> own;
    int written = 0, edited = 0, marked = 0, busy = 0, retries = 0;
    qint64 longestWaitMs = 0;
    QSet<QString> messages;

    // update() until it holds; a busy file is waited out, anything else ends
    // the child. The pending values stay in the row between tries.
    void write(const char* what) {
        for (int attempt = 0;; ++attempt) {
            QElapsedTimer t;
            t.start();
            const vela::Status updated = rs.update();
            if (updated)
                return;
            longestWaitMs = std::max(longestWaitMs, t.elapsed());
            const QString why = updated.errorText();
            if (why != vela::Statement::busyText(db->handle()))
                die(me, QStringLiteral("%1: %2").arg(QLatin1String(what), why));
            ++busy;
            messages.insert(why);
            if (attempt > 20)
                die(me, QStringLiteral("%1: 20 próba után is foglalt").arg(QLatin1String(what)));
            ++retries;
            QThread::msleep(50);
        }
    }

    void addRow(int i) {
        if (const vela::Status added = rs.addNew(); !added)
            die(me, added.errorText());
        set("CegNev", QStringLiteral("%1-%2").arg(me).arg(i));
        set("Szamlaszam", QStringLiteral("%1/%2").arg(me).arg(i));
        set("Brutto", 1000.0 + i);
        write("új sor");
        own.push_back(lastWritten);
        ++written;
    }

    void set(const char* column, const QVariant& v) {
        if (const vela::Status s = rs.setField(QString::fromUtf8(column), v); !s)
            die(me, s.errorText());
    }

    void editOwn(qint64 rowid) {
        if (!rs.setBookmark(rowid))
            die(me, QStringLiteral("saját sor nincs meg: %1").arg(rowid));
        set("Megnevezes", QStringLiteral("javítva %1").arg(me));
        write("javítás");
        ++edited;
    }

    // The newest row of the other child that carries no mark yet gets one.
    void markOther() {
        if (const vela::Status s = rs.requery(); !s)
            die(me, s.errorText());
        const vela::Status found = rs.findFirst(
            vela::Condition::like(QStringLiteral("CegNev"), other + QStringLiteral("-*")) &&
            vela::Condition::isNull(QStringLiteral("Megjegyzés")));
        if (!found || rs.noMatch())
            return;  // none yet
        set("Megjegyzés", QStringLiteral("%1 látta").arg(me));
        write("jelölés");
        ++marked;
    }

    int rowsOf(const QString& who) {
        RecordSource q;
        q.setDatabase(db.get());
        q.setQuery(vela::Query(
            vela::schema::velaData(),
            vela::Condition::like(QStringLiteral("CegNev"), who + QStringLiteral("-*"))));
        if (const vela::Status s = q.refresh(); !s)
            die(me, s.errorText());
        return q.recordCount();
    }

    int run() {
        auto opened = Database::open(QStringLiteral("veladata.mdb"));
        if (!opened)
            die(me, opened.errorText());
        db = std::move(*opened);
        rs.setDatabase(db.get());
        rs.setQuery(vela::Query(vela::schema::velaData()));
        QObject::connect(&rs, &RecordSource::rowWritten, [this](qint64 id) { lastWritten = id; });
        if (const vela::Status s = rs.refresh(); !s)
            die(me, s.errorText());

        // 1. Both write at once.
        tell(me + QStringLiteral(".ready"));
        await(me, other + QStringLiteral(".ready"));
        QElapsedTimer t;
        t.start();
        int i = 0;
        while (t.elapsed() < kWriteMillis) {
            addRow(++i);
            if (i % 5 == 0)
                editOwn(own[size_t(i) - 3]);
            if (i % 10 == 0)
                markOther();
            // A moment between rows, as anyone typing has: SQLite gives the
            // file to no one in turn, and a writer that never pauses would
            // keep the other one waiting (docs/shared-database.md).
            QThread::msleep(kPauseMillis);
        }
        markOther();
        tell(me + QStringLiteral(".phase1"));
        await(me, other + QStringLiteral(".phase1"));

        // 2. A holds the file; B's row waits, is refused, and is written after.
        const int busyBefore = busy;
        if (me == QLatin1String("A")) {
            if (const vela::Status s = db->begin(); !s)
                die(me, s.errorText());
            addRow(++i);  // inside the open transaction
            tell(QStringLiteral("A.holding"));
            // Held until B has been refused (B waits the busy timeout first).
            await(me, QStringLiteral("B.refused"));
            if (const vela::Status s = db->commit(); !s)
                die(me, s.errorText());
            tell(QStringLiteral("A.committed"));
        } else {
            await(me, QStringLiteral("A.holding"));
            if (const vela::Status added = rs.addNew(); !added)
                die(me, added.errorText());
            set("CegNev", QStringLiteral("B-%1").arg(++i));
            QElapsedTimer w;
            w.start();
            const vela::Status refused = rs.update();
            if (refused)
                die(me, QStringLiteral("írt, miközben a másik fogta az adatbázist"));
            const qint64 waited = w.elapsed();
            const QString why = refused.errorText();
            if (why != vela::Statement::busyText(db->handle()))
                die(me, QStringLiteral("nem a foglaltság szövege: ") + why);
            if (waited < 2500)
                die(me, QStringLiteral("nem várt a foglalt adatbázisra (%1 ms)").arg(waited));
            ++busy;
            messages.insert(why);
            longestWaitMs = std::max(longestWaitMs, waited);
            tell(QStringLiteral("B.refused"));
            await(me, QStringLiteral("A.committed"));
            write("új sor a foglaltság után");
            own.push_back(lastWritten);
            ++written;
        }
        const int busyInHold = busy - busyBefore;

        // 3. What the other wrote shows after a re-query.
        tell(me + QStringLiteral(".done"), QString::number(written));
        const int otherWrote = await(me, other + QStringLiteral(".done")).toInt();
        if (const vela::Status s = rs.requery(); !s)
            die(me, s.errorText());
        const int seen = rowsOf(other);
        if (seen != otherWrote)
            die(me, QStringLiteral("a másik %1 sort írt, a re-query %2 sort mutat")
                        .arg(otherWrote)
                        .arg(seen));

        out() << "CHILD " << me << " written=" << written << " edited=" << edited
              << " marked=" << marked << " busy=" << busy << " busyInHold=" << busyInHold
              << " retries=" << retries << " longestWaitMs=" << longestWaitMs
              << " seenOther=" << seen << Qt::endl;
        for (const QString& m : messages) out() << "MESSAGE " << me << ": " << m << Qt::endl;
        return 0;
    }
};

struct Reported {
    int written = -1, edited = -1, marked = -1;
};

Reported parse(const QString& line) {
    Reported r;
    for (const QString& part : line.split(QLatin1Char(' '))) {
        const QString key = part.section(QLatin1Char('='), 0, 0);
        const int v = part.section(QLatin1Char('='), 1).toInt();
        if (key == QLatin1String("written"))
            r.written = v;
        else if (key == QLatin1String("edited"))
            r.edited = v;
        else if (key == QLatin1String("marked"))
            r.marked = v;
    }
    return r;
}

int parent(const QString& self) {
    TempDataFolder folder;
    std::map<QString, std::unique_ptr<QProcess>> children;
    for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")}) {
        auto p = std::make_unique<QProcess>();
        p->setWorkingDirectory(folder.path());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(self, {QStringLiteral("--child"), name});
        children[name] = std::move(p);
    }
    std::map<QString, Reported> reported;
    bool ok = true;
    for (auto& [name, p] : children) {
        if (!p->waitForFinished(60000)) {
            p->kill();
            p->waitForFinished();
            out() << "FAIL " << name << ": did not finish in 60 s" << Qt::endl;
            ok = false;
        }
        const QString text = QString::fromUtf8(p->readAllStandardOutput());
        out() << text;
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) {
            out() << "FAIL " << name << ": exit " << p->exitCode()
                  << (p->exitStatus() == QProcess::CrashExit ? " (crash)" : "") << Qt::endl;
            ok = false;
        }
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("CHILD ")))
                reported[name] = parse(line);
        }
    }
    if (!ok || reported.size() != 2)
        return 1;

    // Every row once, with its last edit and the other's mark.
    auto opened = Database::open(QStringLiteral("veladata.mdb"));
    if (!opened) {
        out() << "FAIL parent: " << opened.errorText() << Qt::endl;
        return 1;
    }
    auto& db = *opened;
    for (const auto& [name, r] : reported) {
        const QString other =
            name == QLatin1String("A") ? QStringLiteral("B") : QStringLiteral("A");
        const QVariantList like{name + QStringLiteral("-%")};
        const int rows =
            db->scalar(QStringLiteral("SELECT count(*) FROM VelaData WHERE CegNev LIKE ?"), like)
                ->toInt();
        const int distinct =
            db->scalar(
                  QStringLiteral("SELECT count(DISTINCT CegNev) FROM VelaData WHERE CegNev LIKE ?"),
                  like)
                ->toInt();
        const int edits = db->scalar(QStringLiteral("SELECT count(*) FROM VelaData WHERE CegNev "
                                                    "LIKE ? AND Megnevezes = ?"),
                                     {like[0], QStringLiteral("javítva ") + name})
                              ->toInt();
        const int marks = db->scalar(QStringLiteral("SELECT count(*) FROM VelaData WHERE CegNev "
                                                    "LIKE ? AND \"Megjegyzés\" = ?"),
                                     {like[0], other + QStringLiteral(" látta")})
                              ->toInt();
        out() << "FOUND " << name << " rows=" << rows << " distinct=" << distinct
              << " edited=" << edits << " markedByOther=" << marks << Qt::endl;
        if (rows != r.written || distinct != rows || edits != r.edited ||
            marks != reported[other].marked) {
            out() << "FAIL parent: rows of " << name << " do not add up" << Qt::endl;
            ok = false;
        }
    }
    out() << (ok ? "PASS" : "FAIL") << Qt::endl;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--child")) {
        Child c;
        c.me = args[2];
        c.other = c.me == QLatin1String("A") ? QStringLiteral("B") : QStringLiteral("A");
        return c.run();
    }
    return parent(app.applicationFilePath());
}
