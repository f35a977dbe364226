#include "maintenance/serverbackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "base/postgres/pgconnection.h"
#include "base/sqlquote.h"
#include "base/workstation.h"
#include "maintenance/maintenancerun.h"
#include "maintenance/repdialogservice.h"
#include "maintenance/reptexts.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/history.h"
#include "storage/serverschema.h"
#include "storage/servertransfer.h"

namespace velarep {

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

vela::postgres::PgConnection* pgOf(vela::Database& db) {
    return static_cast<vela::postgres::PgConnection*>(db.handle());
}

// The server address of the data folder's parameters; empty when none.
QString serverOfParameters() {
    auto parameters =
        vela::Database::open(QStringLiteral("parameter.kdb"), {QStringLiteral("EmblemaPath")});
    return parameters ? vela::serverAddress(**parameters) : QString();
}

// A PostgreSQL client program: the one beside the installed server's
// (pg_config --bindir), else the first on PATH; empty when neither.
QString pgProgram(const QString& name) {
    QProcess config;
    config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
    if (config.waitForFinished(10000) && config.exitStatus() == QProcess::NormalExit &&
        config.exitCode() == 0) {
        const QString dir = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
        const QString found = QStandardPaths::findExecutable(name, {dir});
        if (!found.isEmpty())
            return found;
    }
    return QStandardPaths::findExecutable(name);
}

struct Ran {
    bool ok = false;
    QByteArray out;
    QString error;  // what went wrong, for a message
};

Ran runProgram(const QString& name, const QStringList& arguments) {
    Ran ran;
    const QString program = pgProgram(name);
    if (program.isEmpty()) {
        ran.error = u(texts::kNoPgProgram).arg(name);
        return ran;
    }
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(30000)) {
        ran.error = p.errorString();
        return ran;
    }
    p.closeWriteChannel();
    p.waitForFinished(-1);
    ran.out = p.readAllStandardOutput();
    const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    ran.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ran.ok)
        ran.error = err.isEmpty() ? QStringLiteral("kilépési kód: %1").arg(p.exitCode()) : err;
    return ran;
}

QString sentence(const QString& text) {
    const QString t = text.trimmed();
    return t.endsWith(QLatin1Char('.')) || t.endsWith(QLatin1Char('!')) ? t : t + QLatin1Char('.');
}

// The table a "COPY schema.name (...) FROM stdin;" line writes, unquoted.
QString copiedTable(const QByteArray& statement) {
    QByteArray name = statement.mid(5);
    const qsizetype end = name.indexOf(" (");
    name = name.left(end >= 0 ? end : name.indexOf(" FROM"));
    if (name.startsWith("public."))
        name = name.mid(7);
    if (name.startsWith('"') && name.endsWith('"'))
        name = name.mid(1, name.size() - 2).replace("\"\"", "\"");
    return QString::fromUtf8(name);
}

}  // namespace

Request requestOf(const QString& argumentText) {
    Request r;
    r.move = moveOf(argumentText);
    const QStringList words = argumentText.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    qsizetype at = 0;
    while (at < words.size() &&
           words[at].compare(QLatin1String("/visszatoltes"), Qt::CaseInsensitive) != 0)
        ++at;
    if (at == words.size())
        return r;
    r.restore = true;
    QStringList dir;
    for (qsizetype i = at + 1; i < words.size(); ++i) {
        if (words[i].compare(QLatin1String("/s"), Qt::CaseInsensitive) != 0)
            dir << words[i];
    }
    r.restoreDir = dir.join(QLatin1Char(' '));
    return r;
}

ServerGuard::ServerGuard() = default;
ServerGuard::~ServerGuard() = default;

vela::Status ServerGuard::take(const QString& conninfo) {
    auto db = vela::Database::openServer(conninfo, QString());
    if (!db)
        return db.error();
    vela::postgres::PgConnection* pg = pgOf(**db);
    // The refused writers' message names VelaRep and its workstation.
    if (vela::Status s = (*db)->exec(
            QStringLiteral("SET application_name = %1")
                .arg(vela::quoteText(QStringLiteral("VelaRep (%1)").arg(vela::workstationName()))));
        !s)
        return s;
    for (const QString& role : vela::serverDatabases()) {
        vela::Result<bool> taken = pg->tryLockSession(role);
        if (!taken)
            return taken.error();
        if (!*taken) {
            const QStringList holders = pg->lockHolders(role);
            return vela::Error{u(texts::kServerWriting)
                                   .arg(role, holders.isEmpty()
                                                  ? QStringLiteral("?")
                                                  : holders.join(QStringLiteral("; ")))};
        }
    }
    // A session that has just closed may still be listed for a moment.
    QStringList others = pg->otherSessions();
    for (int i = 0; i < 10 && !others.isEmpty(); ++i) {
        QThread::msleep(200);
        others = pg->otherSessions();
    }
    if (!others.isEmpty())
        return vela::Error{u(texts::kOthersConnected)
                               .arg(vela::postgres::withoutPassword(conninfo),
                                    QStringLiteral("  ") + others.join(QStringLiteral("\n  ")))};
    db_ = std::move(*db);
    return {};
}

QStringList programTablesOn(vela::Database& server) {
    QStringList out;
    for (const QString& fileName : vela::serverDatabases()) {
        for (const vela::DatabaseDef& d : vela::schema::databases()) {
            if (d.fileName.compare(fileName, Qt::CaseInsensitive) != 0)
                continue;
            for (const vela::TableDef* t : d.tables) {
                if (!vela::ServerSchema::sessionOnly(*t) && !out.contains(t->name) &&
                    server.hasTable(t->name))
                    out << t->name;
            }
        }
    }
    return out;
}

vela::Status dumpServer(vela::Database& server, const QString& conninfo, const QString& backupDir,
                        QStringList& report) {
    const QString shown = vela::postgres::withoutPassword(conninfo);
    const QStringList tables = programTablesOn(server);
    if (tables.isEmpty()) {
        report << u(texts::kServerNothingToBackUp).arg(shown);
        return {};
    }
    const QString file = QDir(backupDir).filePath(u(texts::kServerBackupFile));
    // The address goes without any password: pg_dump finds that where the
    // program does (~/.pgpass, the service file).
    QStringList arguments{QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                          QStringLiteral("--file"),          file,
                          QStringLiteral("--dbname"),        shown};
    for (const QString& t : tables)
        arguments << QStringLiteral("--table") << vela::schema::quoteName(t);
    const Ran ran = runProgram(QStringLiteral("pg_dump"), arguments);
    if (!ran.ok) {
        QFile::remove(file);
        return vela::Error{u(texts::kDumpFailed).arg(sentence(ran.error))};
    }
    report << u(texts::kServerBackedUp)
                  .arg(shown)
                  .arg(tables.size())
                  .arg(QDir::toNativeSeparators(QDir(backupDir).dirName() + QLatin1Char('/') +
                                                u(texts::kServerBackupFile)));
    return {};
}

bool isServerBackup(const QString& dumpFile) {
    return QFileInfo(dumpFile).isFile() &&
           runProgram(QStringLiteral("pg_restore"), {QStringLiteral("--list"), dumpFile}).ok;
}

vela::Result<std::vector<std::pair<QString, qint64>>> restoreServer(vela::Database& server,
                                                                    const QString& dumpFile) {
    // The rows as pg_restore writes them for a server: COPY blocks and the
    // sequences' positions, run here inside one transaction.
    const Ran script =
        runProgram(QStringLiteral("pg_restore"),
                   {QStringLiteral("--data-only"), QStringLiteral("--file=-"), dumpFile});
    if (!script.ok)
        return vela::Error{u(texts::kServerRestoreFailed).arg(sentence(script.error))};
    const QStringList tables = programTablesOn(server);
    if (tables.isEmpty())
        return vela::Error{
            u(texts::kServerRestoreFailed)
                .arg(QStringLiteral("a kiszolgálón nincsenek meg a program táblái. "
                                    "Előbb a „VelaRep /kiszolgalo” hozza létre őket."))};
    auto failed = [&](const vela::Error& e) -> vela::Error {
        server.rollback();
        return vela::Error{u(texts::kServerRestoreFailed).arg(e.text), e.code, e.kind};
    };
    if (vela::Status s = server.begin(); !s)
        return failed(s.error());
    // The rows come back as they stood, history included: the restore
    // itself is not recorded.
    if (vela::Status s = vela::history::suspend(server); !s)
        return failed(s.error());
    QStringList quoted;
    for (const QString& t : tables) quoted << vela::schema::quoteName(t);
    if (vela::Status s = server.exec(QStringLiteral("TRUNCATE %1").arg(quoted.join(", "))); !s)
        return failed(s.error());

    vela::postgres::PgConnection* pg = pgOf(server);
    std::vector<std::pair<QString, qint64>> restored;
    for (const QString& t : tables) restored.emplace_back(t, 0);
    const QList<QByteArray> lines = script.out.split('\n');
    QByteArray statement;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        // Comments, and the lines for psql alone (\restrict and the like).
        if (statement.isEmpty() &&
            (line.isEmpty() || line.startsWith("--") || line.startsWith('\\')))
            continue;
        statement += statement.isEmpty() ? line : "\n" + line;
        if (!line.endsWith(';'))
            continue;
        const QByteArray done = std::exchange(statement, QByteArray());
        // The session's settings stay the program's own.
        if (done.startsWith("SET ") || done.startsWith("SELECT pg_catalog.set_config("))
            continue;
        if (done.startsWith("COPY ") && done.endsWith("FROM stdin;")) {
            QByteArray rows;
            for (++i; i < lines.size() && lines[i] != "\\."; ++i) rows += lines[i] + '\n';
            const QString table = copiedTable(done);
            auto slot = std::find_if(restored.begin(), restored.end(),
                                     [&](const auto& r) { return r.first == table; });
            // Only the program's tables, which were emptied above.
            if (slot == restored.end())
                continue;
            vela::Result<qint64> n = pg->copyIn(done, rows);
            if (!n)
                return failed(n.error());
            slot->second = *n;
            continue;
        }
        if (vela::Status s = pg->execScript(QString::fromUtf8(done)); !s)
            return failed(s.error());
    }
    if (vela::Status s = server.commit(); !s)
        return failed(s.error());
    if (vela::Status s = vela::history::install(server); !s)
        return vela::Error{u(texts::kServerRestoreFailed).arg(s.errorText())};
    return restored;
}

bool runRequested(MaintenanceRun& run, const QString& argumentText, bool autoRun,
                  RepDialogService& dialogs) {
    const Request request = requestOf(argumentText);
    const QString server = serverOfParameters();
    if (server.isEmpty()) {
        if (!request.restore)
            return runWithMove(run, request.move, dialogs);
        dialogs.tell(u(texts::kNoServer), u(texts::kEndTitle), RepDialogService::Icon::Critical);
        return false;
    }
    const QString shown = vela::postgres::withoutPassword(server);
    const QString dumpFile = QDir(QDir::current().absoluteFilePath(request.restoreDir))
                                 .filePath(u(texts::kServerBackupFile));
    if (request.restore && (request.restoreDir.isEmpty() || !isServerBackup(dumpFile))) {
        dialogs.tell(u(texts::kNoServerBackup).arg(QDir::toNativeSeparators(request.restoreDir)),
                     u(texts::kEndTitle), RepDialogService::Icon::Critical);
        return false;
    }
    ServerGuard guard;
    if (const vela::Status held = guard.take(server); !held) {
        dialogs.tell(held.errorText(), u(texts::kEndTitle), RepDialogService::Icon::Critical);
        return false;
    }
    if (request.restore && !autoRun &&
        !dialogs.ask(u(texts::kRestoreQuestion).arg(request.restoreDir, shown), u(texts::kEndTitle),
                     RepDialogService::Icon::Information))
        return false;
    run.setBackupStep([&](const QString& backupDir, QStringList& report) {
        return dumpServer(*guard.database(), server, backupDir, report);
    });
    bool completed = false;
    if (request.restore) {
        run.setFinalStep(u(texts::kRestoreHeader).arg(request.restoreDir, shown),
                         [&](QStringList& report) -> vela::Status {
                             auto restored = restoreServer(*guard.database(), dumpFile);
                             if (!restored)
                                 return restored.error();
                             for (const auto& [table, rows] : *restored)
                                 report << u(texts::kRestoredTable).arg(table).arg(rows);
                             return {};
                         });
        completed = run.run();
        run.setFinalStep({}, {});
    } else {
        completed = runWithMove(run, request.move, dialogs, guard.database());
    }
    run.setBackupStep({});
    return completed;
}

}  // namespace velarep
