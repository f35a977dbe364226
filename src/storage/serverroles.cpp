#include "storage/serverroles.h"

#include <QSet>

#include "base/postgres/pgconnection.h"
#include "base/sqlquote.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/history.h"
#include "storage/serverschema.h"
#include "storage/servertransfer.h"

namespace vela {

namespace {

constexpr const char* kInsufficient = "42501";

// The program's tables the server has, each once (the change log belongs to
// two of the data folder's files).
QStringList programTables(Database& db) {
    QStringList out;
    QSet<QString> seen;
    for (const QString& file : serverDatabases()) {
        for (const DatabaseDef& d : schema::databases()) {
            if (d.fileName.compare(file, Qt::CaseInsensitive) != 0)
                continue;
            for (const TableDef* t : d.tables) {
                if (ServerSchema::sessionOnly(*t) || seen.contains(t->name) ||
                    !db.hasTable(t->name))
                    continue;
                seen.insert(t->name);
                out << t->name;
            }
        }
    }
    return out;
}

Result<bool> roleExists(Database& db, const QString& role) {
    Result<QVariant> n = db.scalar(
        QStringLiteral("SELECT count(*) FROM pg_catalog.pg_roles WHERE rolname = ?1"), {role});
    if (!n)
        return n.error();
    return n->toLongLong() > 0;
}

// The grants of one table, as statements. Whatever else was granted to the
// group roles by hand is taken back where it would let them change the
// history or let the readers write.
QStringList grantsOn(Database& db, const QString& table, const QString* writer,
                     const QString* reader) {
    const QString t = quoteIdentifier(table);
    const bool history = history::isHistoryTable(table);
    QStringList sql;
    if (writer) {
        const QString w = quoteIdentifier(*writer);
        if (history) {
            sql << QStringLiteral("GRANT SELECT, INSERT ON %1 TO %2").arg(t, w)
                << QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON %1 FROM %2").arg(t, w);
        } else {
            sql << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO %2").arg(t, w)
                << QStringLiteral("REVOKE TRUNCATE ON %1 FROM %2").arg(t, w);
        }
        // The key numbering of a new row.
        Result<QVariant> sequence =
            db.scalar(QStringLiteral("SELECT pg_catalog.pg_get_serial_sequence(?1, ?2)"),
                      {t, QString::fromUtf8(schema::kKeyColumn)});
        if (sequence && !sequence->isNull())
            sql << QStringLiteral("GRANT USAGE, SELECT ON SEQUENCE %1 TO %2")
                       .arg(sequence->toString(), w);
    }
    if (reader) {
        const QString r = quoteIdentifier(*reader);
        sql << QStringLiteral("GRANT SELECT ON %1 TO %2").arg(t, r)
            << QStringLiteral("REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON %1 FROM %2").arg(t, r);
    }
    return sql;
}

}  // namespace

Status ServerRoles::grant(Database& server, const Names& names) {
    if (!server.onServer())
        return {};
    Result<bool> hasWriter = roleExists(server, names.writer);
    if (!hasWriter)
        return hasWriter.error();
    Result<bool> hasReader = roleExists(server, names.reader);
    if (!hasReader)
        return hasReader.error();
    const QString* writer = *hasWriter ? &names.writer : nullptr;
    const QString* reader = *hasReader ? &names.reader : nullptr;
    if (!writer && !reader)
        return {};
    QStringList sql;
    // The schema the tables live in must be reachable by name.
    QStringList members;
    for (const QString* r : {writer, reader}) {
        if (r)
            members << quoteIdentifier(*r);
    }
    sql << QStringLiteral(
               "DO $vela$ BEGIN EXECUTE format('GRANT USAGE ON SCHEMA %I TO %s', "
               "current_schema(), %1); END $vela$")
               .arg(quoteText(members.join(QStringLiteral(", "))));
    for (const QString& table : programTables(server))
        sql << grantsOn(server, table, writer, reader);
    const bool own = !server.inTransaction();
    if (own) {
        if (Status s = server.begin(); !s)
            return s;
    }
    for (const QString& statement : std::as_const(sql)) {
        if (Status s = server.exec(statement); !s) {
            if (own)
                server.rollback();
            return s;
        }
    }
    return own ? server.commit() : Status();
}

Result<QStringList> ServerRoles::setUp(Database& server, const Names& names) {
    QStringList lines;
    Result<QVariant> mayCreate = server.scalar(QStringLiteral(
        "SELECT rolcreaterole OR rolsuper FROM pg_catalog.pg_roles WHERE rolname = current_user"));
    if (!mayCreate)
        return mayCreate.error();
    QStringList missing;
    for (const QString& role : {names.writer, names.reader}) {
        Result<bool> exists = roleExists(server, role);
        if (!exists)
            return exists.error();
        if (*exists)
            continue;
        if (!mayCreate->toBool()) {
            missing << role;
            continue;
        }
        const Status made =
            server.exec(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(quoteIdentifier(role)));
        // Another database's move may have made it a moment ago: roles are
        // the whole server's.
        if (!made && postgres::sqlstateOf(made.error().code) != "42710" &&
            postgres::sqlstateOf(made.error().code) != "23505") {
            if (postgres::sqlstateOf(made.error().code) == kInsufficient) {
                missing << role;
                continue;
            }
            return made.error();
        }
        if (made)
            lines << QStringLiteral("Létrejött a(z) „%1” csoportszerep.").arg(role);
    }
    if (!missing.isEmpty())
        lines << QStringLiteral(
                     "FIGYELEM! A(z) %1 csoportszerepet nem lehetett létrehozni, mert a "
                     "költöztető felhasználónak nincs szerep-létrehozási joga (CREATEROLE). Az "
                     "adatok átkerültek, de a csak olvasó és a könyvelő jogosultság nélkül minden "
                     "bejelentkezés a saját jogaival dolgozik. Egy CREATEROLE joggal rendelkező "
                     "felhasználó hozza létre őket (CREATE ROLE vela_konyvelo NOLOGIN; CREATE ROLE "
                     "vela_olvaso NOLOGIN;), majd futtassa újra a VelaRep /kiszolgalo parancsot!")
                     .arg(missing.join(QStringLiteral(", ")));
    if (Status s = grant(server, names); !s)
        return Error{QStringLiteral("A jogosultságok nem állíthatók be a kiszolgálón: %1")
                         .arg(s.errorText()),
                     s.error().code, s.error().kind};
    if (missing.isEmpty())
        lines
            << QStringLiteral(
                   "A(z) „%1” szerep tagjai írhatják, a(z) „%2” szerep tagjai csak olvashatják az "
                   "adatokat; a változásnaplót senki sem módosíthatja.")
                   .arg(names.writer, names.reader);
    return lines;
}

DataAccess dataAccess(Database& db) {
    if (!db.onServer())
        return DataAccess::ReadWrite;
    Result<QVariant> may = db.scalar(
        QStringLiteral("SELECT pg_catalog.has_table_privilege(CAST(?1 AS text), 'UPDATE') AND "
                       "pg_catalog.has_table_privilege(CAST(?1 AS text), 'INSERT')"),
        {quoteIdentifier(schema::velaData().name)});
    // A question the server could not answer takes nothing away: the server
    // itself still refuses what the login may not do.
    if (!may || may->isNull())
        return DataAccess::ReadWrite;
    return may->toBool() ? DataAccess::ReadWrite : DataAccess::ReadOnly;
}

}  // namespace vela
