#include "storage/serverschema.h"

#include "storage/columns.h"
#include "storage/database.h"
#include "storage/history.h"
#include "storage/serverroles.h"

namespace vela {

namespace {

Status createTable(Database& db, const TableDef& table, bool temporary) {
    QString create = table.createSql(db.dialect());
    if (temporary)
        create.replace(0, qsizetype(strlen("CREATE TABLE")),
                       QStringLiteral("CREATE TEMPORARY TABLE"));
    if (Status s = db.exec(create); !s)
        return s;
    for (const QString& index : table.indexSql(true)) {
        if (Status s = db.exec(index); !s)
            return s;
    }
    return {};
}

// An index made by an earlier version without the key as its last column
// (none, or only carried beside) is made again (once: the next run finds it
// as it should be).
Status refreshIndexes(Database& db, const TableDef& table) {
    for (const IndexDef& ix : table.indexes) {
        if (!table.addsKey(ix))
            continue;
        Result<QVariant> def = db.scalar(
            QStringLiteral("SELECT indexdef FROM pg_catalog.pg_indexes WHERE schemaname = "
                           "current_schema() AND indexname = ?1"),
            {ix.name});
        if (!def)
            return def.error();
        const QString text = def->toString();
        const QString last =
            QStringLiteral(", %1)").arg(schema::quoteName(QString::fromUtf8(schema::kKeyColumn)));
        if (!def->isNull() && text.contains(last) && !text.contains(QStringLiteral(" INCLUDE (")))
            continue;
        if (Status s =
                db.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(schema::quoteName(ix.name)));
            !s)
            return s;
        if (Status s = db.exec(table.indexSql(ix, true)); !s)
            return s;
    }
    return {};
}

// A row's note to the listening sessions, delivered with the commit. The
// history's own tables are written by the recorded tables' triggers and read
// whole; they send no notes of their own.
const char kRowNoteFunction[] =
    "CREATE OR REPLACE FUNCTION vela_sor_hir() RETURNS trigger LANGUAGE plpgsql AS $vela$ "
    "BEGIN PERFORM pg_notify('vela_change', TG_TABLE_NAME || ':' || CASE WHEN TG_OP = "
    "'DELETE' THEN OLD.\"Kulcs\" ELSE NEW.\"Kulcs\" END); RETURN NULL; END $vela$";

QString rowNoteTrigger(const TableDef& table) {
    return table.name + QStringLiteral("_hir");
}

bool sendsRowNotes(const TableDef& table) {
    return !ServerSchema::sessionOnly(table) && !history::isHistoryTable(table.name);
}

// Whether table has its row-note trigger (switched on, when asked).
Result<bool> hasRowNotes(Database& db, const TableDef& table, bool on) {
    if (!db.onServer() || !sendsRowNotes(table))
        return false;
    Result<QVariant> n = db.scalar(
        QStringLiteral("SELECT count(*) FROM pg_catalog.pg_trigger t JOIN pg_catalog.pg_class c "
                       "ON c.oid = t.tgrelid WHERE t.tgname = ?1 AND c.relname = ?2 AND "
                       "pg_catalog.pg_table_is_visible(c.oid)%1")
            .arg(on ? QStringLiteral(" AND t.tgenabled <> 'D'") : QString()),
        {rowNoteTrigger(table), table.name});
    if (!n)
        return n.error();
    return n->toLongLong() > 0;
}

Status addRowNotes(Database& db, const TableDef& table) {
    if (!sendsRowNotes(table))
        return {};
    Result<bool> there = hasRowNotes(db, table, false);
    if (!there)
        return there.error();
    if (*there)
        return {};
    if (Status s = db.exec(QString::fromUtf8(kRowNoteFunction)); !s)
        return s;
    return db.exec(
        QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR "
                       "EACH ROW EXECUTE FUNCTION vela_sor_hir()")
            .arg(schema::quoteName(rowNoteTrigger(table)), schema::quoteName(table.name)));
}

}  // namespace

Result<bool> ServerSchema::tellsRows(Database& db, const TableDef& table) {
    return hasRowNotes(db, table, true);
}

Status ServerSchema::setRowNotes(Database& db, const TableDef& table, bool on) {
    Result<bool> there = hasRowNotes(db, table, false);
    if (!there)
        return there.error();
    if (!*there)
        return {};
    return db.exec(QStringLiteral("ALTER TABLE %1 %2 TRIGGER %3")
                       .arg(schema::quoteName(table.name),
                            on ? QStringLiteral("ENABLE") : QStringLiteral("DISABLE"),
                            schema::quoteName(rowNoteTrigger(table))));
}

bool ServerSchema::sessionOnly(const TableDef& table) {
    return &table == &schema::velaIdeigl();
}

Status ServerSchema::create(Database& db, const QString& fileName) {
    const DatabaseDef* def = nullptr;
    for (const DatabaseDef& d : schema::databases()) {
        if (d.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            def = &d;
    }
    if (!def)
        return Error{QStringLiteral("Ismeretlen adatbázis: „%1”.").arg(fileName)};
    if (Status s = db.begin(); !s)
        return s;
    bool made = false;
    for (const TableDef* t : def->tables) {
        if (sessionOnly(*t))
            continue;
        const bool there = db.hasTable(t->name);
        Status s = there ? refreshIndexes(db, *t) : createTable(db, *t, false);
        if (s)
            s = addRowNotes(db, *t);
        if (!s) {
            db.rollback();
            return s;
        }
        made = made || !there;
    }
    if (Status s = db.commit(); !s)
        return s;
    // A table made now gets the rights the group roles have on the others.
    // Only the tables' owner can grant them; another login leaves them to
    // the next move.
    if (made)
        (void)ServerRoles::grant(db);
    return {};
}

Status ServerSchema::createSessionTable(Database& db, const TableDef& table) {
    if (db.hasTable(table.name))
        return {};
    return createTable(db, table, true);
}

}  // namespace vela
