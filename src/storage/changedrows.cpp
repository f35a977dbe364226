#include "storage/changedrows.h"

#include <utility>

#include "base/postgres/pgconnection.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/history.h"
#include "storage/serverschema.h"

namespace vela {

namespace {

// The newest entry of the file's history; 0 when it has none.
std::optional<qint64> newestEntry(Database& db) {
    Result<QVariant> top =
        db.scalar(QStringLiteral("SELECT max(%1) FROM %2")
                      .arg(schema::quoteName(QString::fromUtf8(schema::kKeyColumn)),
                           schema::quoteName(schema::valtozasok().name)));
    if (!top)
        return std::nullopt;
    return top->isNull() ? 0 : top->toLongLong();
}

}  // namespace

void ChangedRows::start(Database& db, const TableDef& table) {
    db_ = &db;
    table_ = &table;
    way_ = Way::None;
    missed_ = false;
    token_ = db.handle() ? db.handle()->changeToken() : -1;
    if (db.onServer()) {
        Result<bool> told = ServerSchema::tellsRows(db, table);
        if (told && *told && dynamic_cast<postgres::PgConnection*>(db.handle()))
            way_ = Way::Notes;
        return;
    }
    Result<bool> recorded = history::installed(db, table);
    if (!recorded || !*recorded)
        return;
    if (const std::optional<qint64> top = newestEntry(db)) {
        entry_ = *top;
        way_ = Way::History;
    }
}

std::optional<QSet<qint64>> ChangedRows::sinceLastLook() {
    if (!db_ || !db_->handle())
        return std::nullopt;
    const qint64 token = db_->handle()->changeToken();
    if (token == token_)
        return QSet<qint64>();
    const qint64 since = token_;
    token_ = token;
    if (std::exchange(missed_, false)) {
        // The history's place moves on all the same.
        if (way_ == Way::History) {
            if (const std::optional<qint64> top = newestEntry(*db_))
                entry_ = *top;
        }
        return std::nullopt;
    }
    QSet<qint64> keys;
    if (way_ == Way::Notes) {
        auto* server = static_cast<postgres::PgConnection*>(db_->handle());
        const std::optional<std::vector<QByteArray>> notes = server->notesSince(since);
        if (!notes)
            return std::nullopt;
        const QByteArray mine = table_->name.toUtf8() + ':';
        for (const QByteArray& note : *notes) {
            // A commit's own note names no row: the rows' notes came before it.
            if (!note.startsWith(mine))
                continue;
            // "table:key", perhaps with more behind another colon.
            const qsizetype end = note.indexOf(':', mine.size());
            bool ok = false;
            const qint64 key =
                note.mid(mine.size(), end < 0 ? -1 : end - mine.size()).toLongLong(&ok);
            if (!ok)
                return std::nullopt;
            keys.insert(key);
            if (keys.size() > kMostRows)
                return std::nullopt;
        }
        return keys;
    }
    if (way_ != Way::History)
        return std::nullopt;
    const std::optional<qint64> top = newestEntry(*db_);
    // Fewer entries than seen: the history was cut short and numbers may be
    // given again.
    if (!top || *top < entry_)
        return std::nullopt;
    const qint64 from = entry_;
    entry_ = *top;
    // A saved row leaves an entry per changed column.
    if (*top - from > qint64(kMostRows) * 20)
        return std::nullopt;
    Result<std::vector<Database::Row>> rows = db_->rows(
        QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %3 > ?1 AND %3 <= ?2 AND %4 = ?3")
            .arg(schema::quoteName(QStringLiteral("SorKulcs")),
                 schema::quoteName(schema::valtozasok().name),
                 schema::quoteName(QString::fromUtf8(schema::kKeyColumn)),
                 schema::quoteName(QStringLiteral("Tabla"))),
        {from, *top, table_->name});
    if (!rows || rows->size() > size_t(kMostRows))
        return std::nullopt;
    for (const Database::Row& r : *rows) keys.insert(r.value(0).toLongLong());
    return keys;
}

}  // namespace vela
