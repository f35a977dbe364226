#include "storage/dataplace.h"

#include <QDir>

#include "base/postgres/pgconnection.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/datafolderdatabases.h"

namespace vela {

namespace {

const QString kServerColumn = QStringLiteral("Kiszolgalo");

}  // namespace

QString serverAddress(Database& parameters) {
    const TableDef& t = schema::emblemaPath();
    // A file from before the column has none: its data stays in the files.
    Result<QVariant> v = parameters.scalar(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT 1")
            .arg(schema::quoteName(kServerColumn), schema::quoteName(t.name), t.keySql()));
    return v ? v->toString().trimmed() : QString();
}

Status setServerAddress(Database& parameters, const QString& address) {
    const QString value = address.trimmed();
    if (Status s = postgres::checkServerAddress(value); !s)
        return s;
    const TableDef& t = schema::emblemaPath();
    const QVariant bound = value.isEmpty() ? QVariant() : QVariant(value);
    // A clean template's parameters have no row yet: the address makes it,
    // or it would be lost without a word.
    Result<QVariant> rows =
        parameters.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(schema::quoteName(t.name)));
    if (!rows)
        return rows.error();
    if (rows->toLongLong() == 0)
        return value.isEmpty() ? Status()
                               : parameters.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (?1)")
                                                     .arg(schema::quoteName(t.name),
                                                          schema::quoteName(kServerColumn)),
                                                 {bound});
    return parameters.exec(
        QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %3 = (SELECT min(%3) FROM %1)")
            .arg(schema::quoteName(t.name), schema::quoteName(kServerColumn), t.keySql()),
        {bound});
}

QString whereText(const DataFolderDatabases& databases) {
    if (databases.veladata && databases.veladata->onServer())
        return QStringLiteral("A program a(z) %1 adatbázis-kiszolgálón dolgozik.")
            .arg(static_cast<postgres::PgConnection*>(databases.veladata->handle())->serverName());
    return QStringLiteral("A program az adatmappa fájljain dolgozik (%1).")
        .arg(QDir::toNativeSeparators(QDir::currentPath()));
}

}  // namespace vela
