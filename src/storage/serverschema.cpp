#include "storage/serverschema.h"

#include "storage/columns.h"
#include "storage/database.h"
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

// An index made by an earlier version without the key it now carries is
// made again (once: the next run finds it as it should be).
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
        if (!def->isNull() && def->toString().contains(QStringLiteral(" INCLUDE (")))
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

}  // namespace

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
        if (db.hasTable(t->name)) {
            if (Status s = refreshIndexes(db, *t); !s) {
                db.rollback();
                return s;
            }
            continue;
        }
        if (Status s = createTable(db, *t, false); !s) {
            db.rollback();
            return s;
        }
        made = true;
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
