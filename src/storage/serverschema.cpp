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
    for (const QString& index : table.indexSql()) {
        if (Status s = db.exec(index); !s)
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
        if (sessionOnly(*t) || db.hasTable(t->name))
            continue;
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
