#include "reptesthelpers.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>

bool ScriptedRepDialogs::ask(const QString& text, const QString& title, Icon icon) {
    boxes.append({text, title, icon, true});
    if (onAsk)
        onAsk();
    return answers.isEmpty() ? false : answers.takeFirst();
}

void ScriptedRepDialogs::tell(const QString& text, const QString& title, Icon icon) {
    boxes.append({text, title, icon, false});
}

int ScriptedRepDialogs::questions() const {
    int n = 0;
    for (const Box& b : boxes) n += b.question ? 1 : 0;
    return n;
}

namespace sql {

namespace {

sqlite3* openDb(const QString& path, int extraFlags = 0) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | extraFlags, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

bool run(const QString& path, const QString& statements, int extraFlags) {
    sqlite3* db = openDb(path, extraFlags);
    char* err = nullptr;
    const bool ok = db && sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr,
                                       &err) == SQLITE_OK;
    if (!ok && err)
        ADD_FAILURE() << path.toStdString() << ": " << err;
    sqlite3_free(err);
    sqlite3_close(db);
    return ok;
}

}  // namespace

bool exec(const QString& path, const QString& statements) {
    return run(path, statements, 0);
}

bool create(const QString& path, const QString& statements) {
    QFile::remove(path);
    return run(path, statements, SQLITE_OPEN_CREATE);
}

QStringList rows(const QString& path, const QString& query) {
    QStringList out;
    sqlite3* db = openDb(path);
    sqlite3_stmt* st = nullptr;
    if (db && sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                cells << (sqlite3_column_type(st, i) == SQLITE_NULL
                              ? QStringLiteral("NULL")
                              : QString::fromUtf8(
                                    reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
            out << cells.join(QLatin1Char('|'));
        }
    } else if (db) {
        ADD_FAILURE() << query.toStdString() << ": " << sqlite3_errmsg(db);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

qint64 count(const QString& path, const QString& table) {
    QString t = table;
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    const QStringList r = rows(path, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t));
    return r.isEmpty() ? -1 : r.first().toLongLong();
}

QStringList columns(const QString& path, const QString& table) {
    QString t = table;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return rows(path, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(t));
}

QStringList tables(const QString& path) {
    return rows(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                     "ORDER BY name"));
}

}  // namespace sql

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& dir) {
    QStringList e =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    return e;
}

void fillUserRows() {
    sql::exec("veladata.mdb",
              "INSERT INTO VelaData (\"Sorszám\", Szamlaszam, CegNev, Netto, \"RészÖsszeg\", "
              "Datumtol) VALUES (1, 'SZ-1', 'Kovács Kft.', 1000, 0, '2024-01-05'), "
              "(2, 'SZ-2', 'O''Brien Bt.', 2500.5, 100, '2024-02-10'), "
              "(2, 'SZ-2', 'O''Brien Bt.', 0, 50, NULL);"
              "INSERT INTO VelanakData (\"Sorszám\", CegNev) VALUES (7, 'Vevő Zrt.'), (8, 'Ág');"
              "INSERT INTO VelaIdeigl (\"Sorszám\") VALUES (99);");
    sql::exec(
        "betarol.kdb",
        "INSERT INTO beraktar (BerNev, recordID) VALUES ('Kovács Kft.', 1), ('Őz Bt.', 2);"
        "INSERT INTO TorzsOrszagok (OrszágKód, OrszágMegnevezés) VALUES ('HU', 'Magyarország');");
    sql::exec("parameter.kdb",
              "INSERT INTO EmblemaPath (EmblemaPath, \"Példányszám\", InterfacePath) "
              "VALUES ('logo.bmp', 2, '/szamlazo');");
    sql::exec("LFakturo.mdb",
              "INSERT INTO OsszesSzamla (\"Számlaszám\", \"Vevö\", \"Nettó\") "
              "VALUES (100, 'Vevő Zrt.', 10), (101, 'Ág', 20);");
}
