#include "storage/servertransfer.h"

#include "storage/history.h"

#include <QDir>
#include <QFile>
#include <memory>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/serverschema.h"

namespace vela {

namespace {

const DatabaseDef& definition(const QString& fileName) {
    for (const DatabaseDef& d : schema::databases()) {
        if (d.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return d;
    }
    return schema::databases().front();
}

// The tables of a database that hold rows worth moving (the scratch table
// is each session's own on a server).
std::vector<const TableDef*> movedTables(const QString& fileName) {
    std::vector<const TableDef*> out;
    for (const TableDef* t : definition(fileName).tables) {
        if (!ServerSchema::sessionOnly(*t))
            out.push_back(t);
    }
    return out;
}

QStringList tableNames(const QString& fileName) {
    QStringList names;
    for (const TableDef* t : movedTables(fileName)) names << t->name;
    return names;
}

// Every row of table from one database into the other, in key order, every
// column as stored. to's transaction is the caller's.
Result<qint64> copyRows(Database& from, Database& to, const TableDef& table) {
    QStringList columns, params;
    for (const ColumnDef& c : table.columns) {
        columns << schema::quoteName(c.name);
        params << QStringLiteral("?%1").arg(params.size() + 1);
    }
    const QString list = columns.join(QStringLiteral(", "));
    Statement read(from.handle(), QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                      .arg(list, schema::quoteName(table.name), table.keySql()));
    if (!read.status())
        return read.status().error();
    Statement write(to.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(schema::quoteName(table.name), list,
                                          params.join(QStringLiteral(", "))));
    if (!write.status())
        return write.status().error();
    qint64 rows = 0;
    const int n = int(table.columns.size());
    while (read.next()) {
        for (int i = 0; i < n; ++i) {
            if (Status s = write.bind(i + 1, read.value(i)); !s)
                return s.error();
        }
        if (Status s = write.exec(); !s)
            return Error{QStringLiteral("A(z) „%1” tábla %2. sora nem írható: %3")
                             .arg(table.name)
                             .arg(rows + 1)
                             .arg(s.errorText()),
                         s.error().code, s.error().kind};
        if (Status s = write.reset(); !s)
            return s.error();
        ++rows;
    }
    if (!read.status())
        return read.status().error();
    return rows;
}

// The server gives new keys after the highest copied one.
Status restartKeys(Database& server, const TableDef& table) {
    if (!table.hasKey())
        return {};
    const QString key = QString::fromUtf8(schema::kKeyColumn);
    Result<QVariant> set =
        server.scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence(?1, ?2), "
                                     "(SELECT coalesce(max(%1), 0) + 1 FROM %3), false)")
                          .arg(schema::quoteName(key), schema::quoteName(table.name)),
                      {schema::quoteName(table.name), key});
    if (!set)
        return set.error();
    return {};
}

Result<std::unique_ptr<Database>> openServer(const QString& conninfo) {
    // Named by no file: the tables of all three are read and written here.
    return Database::openServer(conninfo, QString());
}

}  // namespace

const QStringList& serverDatabases() {
    static const QStringList names{QStringLiteral("veladata.mdb"), QStringLiteral("betarol.kdb"),
                                   QStringLiteral("LFakturo.mdb")};
    return names;
}

Status ServerTransfer::prepareServer(const QString& conninfo) {
    auto server = openServer(conninfo);
    if (!server)
        return server.error();
    QStringList filled;
    for (const QString& name : serverDatabases()) {
        if (Status s = ServerSchema::create(**server, name); !s)
            return s;
        for (const TableDef* t : movedTables(name)) {
            Result<QVariant> any = (*server)->scalar(
                QStringLiteral("SELECT count(*) FROM %1").arg(schema::quoteName(t->name)));
            if (!any)
                return any.error();
            if (any->toLongLong() > 0)
                filled << QStringLiteral("%1 (%2 sor)").arg(t->name).arg(any->toLongLong());
        }
    }
    if (!filled.isEmpty())
        return Error{QStringLiteral("A kiszolgáló tábláiban már vannak adatok: %1. A program nem "
                                    "másol rájuk, hogy semmi ne keveredjen és ne vesszen el; "
                                    "üres adatbázisba költöztessen!")
                         .arg(filled.join(QStringLiteral(", ")))};
    return {};
}

Result<std::vector<CopiedTable>> ServerTransfer::toServer(const QString& conninfo) {
    if (Status s = prepareServer(conninfo); !s)
        return s.error();
    auto server = openServer(conninfo);
    if (!server)
        return server.error();
    std::vector<std::unique_ptr<Database>> files;
    for (const QString& name : serverDatabases()) {
        auto file = Database::open(name, tableNames(name));
        if (!file)
            return file.error();
        files.push_back(std::move(*file));
    }
    std::vector<CopiedTable> copied;
    Database& to = **server;
    if (Status s = to.begin(); !s)
        return s.error();
    // The history arrives as it stood; the copy itself is not recorded.
    if (Status s = history::suspend(to); !s) {
        to.rollback();
        return s.error();
    }
    for (qsizetype i = 0; i < serverDatabases().size(); ++i) {
        for (const TableDef* t : movedTables(serverDatabases()[i])) {
            Status quiet = ServerSchema::setRowNotes(to, *t, false);
            Result<qint64> rows =
                quiet ? copyRows(*files[size_t(i)], to, *t) : Result<qint64>(quiet.error());
            Status keys = rows ? restartKeys(to, *t) : Status(rows.error());
            if (keys)
                keys = ServerSchema::setRowNotes(to, *t, true);
            if (!keys) {
                to.rollback();
                return keys.error();
            }
            copied.push_back({serverDatabases()[i], t->name, *rows});
        }
    }
    if (Status s = to.commit(); !s)
        return s.error();
    if (Status s = history::install(to); !s)
        return s.error();
    return copied;
}

Result<std::vector<CopiedTable>> ServerTransfer::toFiles(const QString& conninfo,
                                                         const QString& templateDir) {
    auto server = openServer(conninfo);
    if (!server)
        return server.error();
    for (const QString& name : serverDatabases()) {
        for (const QString& t : tableNames(name)) {
            if (!(*server)->hasTable(t))
                return Error{
                    QStringLiteral("A kiszolgálón nincs meg a(z) „%1” tábla (%2).").arg(t, name)};
        }
    }
    const QDir here = QDir::current();
    std::vector<CopiedTable> copied;
    QStringList fresh;
    auto discard = [&] {
        for (const QString& f : fresh) QFile::remove(f);
    };
    // The server's rows are read in one transaction that sees one moment
    // of the server, so the three files agree with each other.
    if (Status s = (*server)->exec(QStringLiteral(
            "SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
        !s)
        return s.error();
    if (Status s = (*server)->begin(); !s)
        return s.error();
    for (const QString& name : serverDatabases()) {
        const QString path = here.filePath(name + QStringLiteral(".kiszolgalorol"));
        QFile::remove(path);
        if (!QFile::copy(Database::findFile(templateDir, name), path)) {
            (*server)->rollback();
            discard();
            return Error{QStringLiteral("A(z) „%1” sablonja nem másolható a(z) „%2” mappába.")
                             .arg(name, QDir::toNativeSeparators(here.path()))};
        }
        fresh << path;
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
        auto file = Database::openPath(path, tableNames(name));
        Status s = file ? (*file)->begin() : Status(file.error());
        if (s)
            s = history::suspend(**file);
        for (const TableDef* t : movedTables(name)) {
            if (!s)
                break;
            Result<qint64> rows = copyRows(**server, **file, *t);
            if (rows)
                copied.push_back({name, t->name, *rows});
            else
                s = rows.error();
        }
        if (s)
            s = (*file)->commit();
        if (s)
            s = history::install(**file);
        if (!s) {
            (*server)->rollback();
            discard();
            return s.error();
        }
    }
    (*server)->rollback();
    // Every file is whole: they take the places of the data folder's ones.
    for (qsizetype i = 0; i < serverDatabases().size(); ++i) {
        const QString name = serverDatabases()[i];
        const QString old = Database::findFile(here.path(), name);
        if (QFile::exists(old) && !QFile::remove(old)) {
            discard();
            return Error{QStringLiteral("A(z) „%1” nem cserélhető le (használja valaki?).")
                             .arg(QDir::toNativeSeparators(old))};
        }
        if (!QFile::rename(fresh[i], here.filePath(name)))
            return Error{QStringLiteral("A(z) „%1” nem nevezhető át „%2” névre.")
                             .arg(QDir::toNativeSeparators(fresh[i]), name)};
    }
    return copied;
}

}  // namespace vela
