#include "storage/history.h"

#include <QSet>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/serverroles.h"

namespace vela::history {

namespace {

using schema::quoteName;

struct Recorded {
    const TableDef* table;
    const TableDef* deleted;
    const char* sorszam;
    const char* recordId;
};

const std::vector<Recorded>& recorded() {
    static const std::vector<Recorded> all = {
        {&schema::velaData(), &schema::velaDataTorolt(), "Sorszám", "recordID"},
        {&schema::velanakData(), &schema::velanakDataTorolt(), "Sorszám", "recordID"},
        {&schema::beraktar(), &schema::beraktarTorolt(), "", "recordID"},
        {&schema::emblemaPath(), &schema::emblemaPathTorolt(), "", ""},
    };
    return all;
}

const Recorded* find(const TableDef& table) {
    for (const Recorded& r : recorded()) {
        if (r.table->name == table.name)
            return &r;
    }
    return nullptr;
}

const QString& key() {
    static const QString k = QString::fromUtf8(schema::kKeyColumn);
    return k;
}

HistoryTarget targetOf(const Recorded& r) {
    HistoryTarget t;
    t.table = r.table->name;
    for (const ColumnDef& c : r.table->columns) {
        if (c.name != key())
            t.columns << c.name;
    }
    t.key = key();
    t.sorszam = QString::fromUtf8(r.sorszam);
    t.recordId = QString::fromUtf8(r.recordId);
    const TableDef& changes = schema::valtozasok();
    t.changes = changes.name;
    t.changeColumns = changes.columnNames();
    t.changeColumns.removeLast();  // its own key
    t.deleted = r.deleted->name;
    t.deletedExtra = {QStringLiteral("SorKulcs"), QStringLiteral("TorlesIdeje"),
                      QStringLiteral("Gep"), QStringLiteral("Felhasznalo")};
    return t;
}

Result<QSet<QString>> triggerNames(Database& db) {
    Result<std::vector<Database::Row>> names = db.rows(db.dialect().triggerNamesQuery());
    if (!names)
        return names.error();
    QSet<QString> out;
    for (const Database::Row& r : *names) out.insert(r.value(0).toString());
    return out;
}

Status createTable(Database& db, const TableDef& t) {
    if (db.hasTable(t.name))
        return {};
    if (Status s = db.exec(t.createSql(db.dialect())); !s)
        return s;
    for (const QString& ix : t.indexSql()) {
        if (Status s = db.exec(ix); !s)
            return s;
    }
    return {};
}

Status failed(const Database& db, const Error& e) {
    return Error{QStringLiteral("A(z) „%1” változásnaplója nem készíthető el: %2")
                     .arg(db.fileName(), e.text),
                 e.code, e.kind};
}

}  // namespace

const std::vector<const TableDef*>& recordedTables() {
    static const std::vector<const TableDef*> all = [] {
        std::vector<const TableDef*> v;
        for (const Recorded& r : recorded()) v.push_back(r.table);
        return v;
    }();
    return all;
}

const TableDef* deletedTableOf(const TableDef& table) {
    const Recorded* r = find(table);
    return r ? r->deleted : nullptr;
}

bool isHistoryTable(const QString& name) {
    if (name.compare(schema::valtozasok().name, Qt::CaseInsensitive) == 0)
        return true;
    for (const Recorded& r : recorded()) {
        if (name.compare(r.deleted->name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Result<bool> installed(Database& db, const TableDef& table) {
    Result<QSet<QString>> names = triggerNames(db);
    if (!names)
        return names.error();
    for (const QString& n : db.dialect().historyTriggerNames(table.name)) {
        if (!names->contains(n))
            return false;
    }
    return true;
}

Status install(Database& db) {
    Result<QSet<QString>> names = triggerNames(db);
    if (!names)
        return failed(db, names.error());
    std::vector<const Recorded*> missing;
    for (const Recorded& r : recorded()) {
        bool complete = db.hasTable(r.deleted->name) && db.hasTable(schema::valtozasok().name);
        for (const QString& n : db.dialect().historyTriggerNames(r.table->name))
            complete = complete && names->contains(n);
        if (!complete && db.hasTable(r.table->name))
            missing.push_back(&r);
    }
    if (missing.empty())
        return {};
    if (Status s = db.begin(); !s)
        return failed(db, s.error());
    for (const Recorded* r : missing) {
        Status s = createTable(db, schema::valtozasok());
        if (s)
            s = createTable(db, *r->deleted);
        for (const QString& sql : db.dialect().historyTriggers(targetOf(*r))) {
            if (s)
                s = db.exec(sql);
        }
        if (!s) {
            db.rollback();
            return failed(db, s.error());
        }
    }
    if (Status s = db.commit(); !s) {
        db.rollback();
        return failed(db, s.error());
    }
    // A history table made now gets the rights of the others. Only the
    // owner of the tables can grant them; another login leaves them as the
    // next move set them.
    if (db.onServer())
        (void)ServerRoles::grant(db);
    return {};
}

Status suspend(Database& db) {
    for (const Recorded& r : recorded()) {
        if (!db.hasTable(r.table->name))
            continue;
        for (const QString& n : db.dialect().historyTriggerNames(r.table->name)) {
            if (Status s = db.exec(db.dialect().dropTrigger(n, r.table->name)); !s)
                return failed(db, s.error());
        }
    }
    return {};
}

namespace {

// Each history table of db with the column that dates its entries.
QList<QPair<QString, QString>> datedTables(Database& db) {
    QList<QPair<QString, QString>> out;
    if (db.hasTable(schema::valtozasok().name))
        out.append({schema::valtozasok().name, QStringLiteral("Ido")});
    for (const Recorded& r : recorded()) {
        if (db.hasTable(r.deleted->name))
            out.append({r.deleted->name, QStringLiteral("TorlesIdeje")});
    }
    return out;
}

}  // namespace

Result<qint64> olderEntries(Database& db, const QString& before) {
    qint64 n = 0;
    for (const auto& [table, dated] : datedTables(db)) {
        Result<QVariant> c = db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 < ?1")
                                           .arg(quoteName(table), quoteName(dated)),
                                       {before});
        if (!c)
            return c.error();
        n += c->toLongLong();
    }
    return n;
}

Result<qint64> compact(Database& db, const QString& before) {
    Result<qint64> n = olderEntries(db, before);
    if (!n || *n == 0)
        return n;
    if (Status s = db.begin(); !s)
        return s.error();
    for (const auto& [table, dated] : datedTables(db)) {
        if (Status s = db.exec(QStringLiteral("DELETE FROM %1 WHERE %2 < ?1")
                                   .arg(quoteName(table), quoteName(dated)),
                               {before});
            !s) {
            db.rollback();
            return s.error();
        }
    }
    if (Status s = db.commit(); !s) {
        db.rollback();
        return s.error();
    }
    return n;
}

Result<QList<Entry>> rowHistory(Database& db, const TableDef& table, qint64 rowKey) {
    const TableDef& h = schema::valtozasok();
    // The row's life starts with its making: an earlier row of the same
    // key, deleted and not brought back, has a history of its own.
    const QString sql =
        QStringLiteral(
            "SELECT \"Kulcs\", \"Ido\", \"Gep\", \"Felhasznalo\", \"Muvelet\", "
            "\"Oszlop\", \"Regi\", \"Uj\", \"Sorszám\", \"recordID\" FROM %1 "
            "WHERE \"Tabla\" = ?1 AND \"SorKulcs\" = ?2 AND \"Kulcs\" >= %2 "
            "ORDER BY \"Kulcs\" DESC")
            .arg(quoteName(h.name),
                 db.dialect().ifNull(
                     QStringLiteral("(SELECT max(\"Kulcs\") FROM %1 WHERE "
                                    "\"Tabla\" = ?1 AND \"SorKulcs\" = ?2 AND "
                                    "\"Muvelet\" = '%2')")
                         .arg(quoteName(h.name), QString::fromUtf8(history_action::kInserted)),
                     QStringLiteral("0")));
    Statement st(db.handle(), sql);
    if (Status s = st.bind({table.name, rowKey}); !s)
        return s.error();
    QList<Entry> out;
    while (st.next()) {
        Entry e;
        e.id = st.int64(0);
        e.when = st.text(1);
        e.host = st.text(2);
        e.user = st.text(3);
        e.action = st.text(4);
        e.column = st.text(5);
        e.oldValue = st.value(6);
        e.newValue = st.value(7);
        e.sorszam = st.value(8);
        e.recordId = st.value(9);
        out << e;
    }
    if (!st.status())
        return st.status().error();
    return out;
}

Result<QList<DeletedRow>> deletedRows(Database& db, const TableDef& table) {
    const TableDef* kept = deletedTableOf(table);
    if (!kept)
        return QList<DeletedRow>{};
    const QString sql =
        QStringLiteral(
            "SELECT * FROM %1 AS d WHERE NOT EXISTS (SELECT 1 FROM %2 AS v WHERE v.\"Tabla\" = ?1 "
            "AND v.\"Muvelet\" = '%3' AND v.\"Regi\" = CAST(d.\"Kulcs\" AS TEXT)) "
            "ORDER BY d.\"Kulcs\" DESC")
            .arg(quoteName(kept->name), quoteName(schema::valtozasok().name),
                 QString::fromUtf8(history_action::kRestored));
    Statement st(db.handle(), sql);
    if (Status s = st.bind(1, table.name); !s)
        return s.error();
    QList<DeletedRow> out;
    while (st.next()) {
        DeletedRow r;
        for (int i = 0; i < st.columnCount(); ++i) {
            const QString name = st.columnName(i);
            const QVariant v = st.value(i);
            if (name == key())
                r.id = v.toLongLong();
            else if (name == QLatin1String("SorKulcs"))
                r.values.insert(key(), v);
            else if (name == QLatin1String("TorlesIdeje"))
                r.when = v.toString();
            else if (name == QLatin1String("Gep"))
                r.host = v.toString();
            else if (name == QLatin1String("Felhasznalo"))
                r.user = v.toString();
            else
                r.values.insert(name, v);
        }
        out << r;
    }
    if (!st.status())
        return st.status().error();
    return out;
}

Result<QList<qint64>> restore(Database& db, const TableDef& table, const QList<qint64>& ids) {
    const TableDef* kept = deletedTableOf(table);
    if (!kept)
        return Error{
            QStringLiteral("A(z) „%1” tábla törölt sorai nem állíthatók vissza.").arg(table.name)};
    QStringList columns;
    for (const ColumnDef& c : table.columns) {
        if (c.name != key())
            columns << quoteName(c.name);
    }
    const QString k = quoteName(key());
    // The old key unless a row holds it now; then the engine gives one.
    const QString insert =
        QStringLiteral(
            "INSERT INTO %1 (%2, %3) SELECT %2, CASE WHEN EXISTS (SELECT 1 FROM %1 WHERE %3 = "
            "d.\"SorKulcs\") THEN NULL ELSE d.\"SorKulcs\" END FROM %4 AS d WHERE d.%3 = ?1 AND "
            "NOT EXISTS (SELECT 1 FROM %5 AS v WHERE v.\"Tabla\" = ?2 AND v.\"Muvelet\" = '%6' "
            "AND v.\"Regi\" = CAST(d.%3 AS TEXT))")
            .arg(quoteName(table.name), columns.join(QStringLiteral(", ")), k,
                 quoteName(kept->name), quoteName(schema::valtozasok().name),
                 QString::fromUtf8(history_action::kRestored));
    if (Status s = db.begin(); !s)
        return s.error();
    QList<qint64> keys;
    Status s;
    {
        Statement note(db.handle(), db.dialect().setHistoryNote());
        Statement put(db.handle(), insert);
        for (qint64 id : ids) {
            // The note tells the trigger which kept row this insert restores.
            if (s)
                s = note.reset();
            if (s)
                s = note.bind(1, QString::number(id));
            if (s)
                s = note.exec();
            if (s)
                s = put.reset();
            if (s)
                s = put.bind({id, table.name});
            if (s)
                s = put.exec();
            if (s && put.rowsChanged() > 0)
                keys << put.insertedKey();
            if (!s)
                break;
        }
        // The note is cleared whatever happened, so no later insert of this
        // connection passes for a restore.
        Status cleared = note.reset();
        if (cleared)
            cleared = note.bind(1, QVariant());
        if (cleared)
            cleared = note.exec();
        if (s && !cleared)
            s = cleared;
    }
    if (s)
        s = db.commit();
    if (!s) {
        db.rollback();
        return s.error();
    }
    return keys;
}

Result<qint64> entryCount(Database& db, const TableDef& table) {
    Result<QVariant> n = db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE \"Tabla\" = ?1")
                                       .arg(quoteName(schema::valtozasok().name)),
                                   {table.name});
    if (!n)
        return n.error();
    return n->toLongLong();
}

}  // namespace vela::history
