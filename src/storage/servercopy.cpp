#include "storage/servercopy.h"

#include <QStringList>

#include "base/statement.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/serverschema.h"

namespace vela {

namespace {

Result<qint64> copyTable(Database& from, Database& to, const TableDef& t) {
    QStringList cols, marks;
    for (const ColumnDef& c : t.columns) {
        cols << schema::quoteName(c.name);
        marks << QStringLiteral("?");
    }
    const QString table = schema::quoteName(t.name);
    const Result<QVariant> held = to.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    if (!held)
        return held.error();
    if (held->toLongLong() > 0)
        return Error{QStringLiteral("A(z) „%1” tábla a céladatbázisban (%2) már %3 sort tartalmaz: "
                                    "a program nem másol rá, hogy semmi ne vesszen el és ne "
                                    "kettőződjön meg.")
                         .arg(t.name, to.fileName())
                         .arg(held->toLongLong())};
    Statement read(from.handle(), QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                      .arg(cols.join(QStringLiteral(", ")), table, t.keySql()));
    Statement write(to.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(table, cols.join(QStringLiteral(", ")),
                                          marks.join(QStringLiteral(", "))));
    if (!write.status())
        return write.status().error();
    qint64 rows = 0;
    const int n = int(t.columns.size());
    while (read.next()) {
        if (Status s = write.reset(); !s)
            return s.error();
        for (int i = 0; i < n; ++i) {
            if (Status s = write.bind(i + 1, read.value(i)); !s)
                return s.error();
        }
        if (Status s = write.exec(); !s)
            return s.error();
        ++rows;
    }
    if (!read.status())
        return read.status().error();
    // The keys came along: the next new row's key follows the highest.
    const QString follow = to.dialect().afterKeysCopied(table, t.keySql());
    if (!follow.isEmpty()) {
        if (Status s = to.exec(follow); !s)
            return s.error();
    }
    return rows;
}

}  // namespace

Result<std::vector<ServerCopy::Copied>> ServerCopy::copy(Database& from, Database& to,
                                                         const QString& fileName) {
    const DatabaseDef* def = nullptr;
    for (const DatabaseDef& d : schema::databases()) {
        if (d.fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            def = &d;
    }
    if (!def)
        return Error{QStringLiteral("Ismeretlen adatbázis: „%1”.").arg(fileName)};
    if (Status s = to.begin(); !s)
        return s.error();
    std::vector<Copied> out;
    for (const TableDef* t : def->tables) {
        if (ServerSchema::sessionOnly(*t))
            continue;
        Result<qint64> rows = copyTable(from, to, *t);
        if (!rows) {
            to.rollback();
            return rows.error();
        }
        out.push_back({t->name, *rows});
    }
    if (Status s = to.commit(); !s)
        return s.error();
    return out;
}

}  // namespace vela
