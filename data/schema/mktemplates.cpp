// Writes the clean, empty template databases of the data folder into the
// folder given on the command line, plus schema.sql for people to read.

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cstdio>

#include "storage/columns.h"

namespace {

bool exec(sqlite3* db, const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "mktemplates: %s\n%s\n", err, qPrintable(sql));
        sqlite3_free(err);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vela-mktemplates OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    QFile sqlFile(out.filePath("schema.sql"));
    if (!sqlFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    QTextStream sql(&sqlFile);

    for (const vela::DatabaseDef& dbDef : vela::schema::databases()) {
        const QString path = out.filePath(dbDef.fileName);
        const QString tmp = path + ".tmp";
        QFile::remove(tmp);
        sqlite3* db = nullptr;
        if (sqlite3_open(tmp.toUtf8().constData(), &db) != SQLITE_OK)
            return 1;
        sql << "-- " << dbDef.fileName << "\n";
        bool ok = exec(db, "BEGIN");
        for (const vela::TableDef* t : dbDef.tables) {
            ok = ok && exec(db, t->createSql());
            sql << t->createSql() << ";\n";
            for (const QString& ix : t->indexSql()) {
                ok = ok && exec(db, ix);
                sql << ix << ";\n";
            }
        }
        ok = ok && exec(db, "COMMIT");
        sqlite3_close(db);
        sql << "\n";
        if (!ok)
            return 1;
        QFile::remove(path);
        if (!QFile::rename(tmp, path))
            return 1;
    }
    return 0;
}
