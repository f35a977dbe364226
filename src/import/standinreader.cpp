#include "import/standinreader.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>

#include "base/filekind.h"
#include "base/statement.h"

namespace vela {

namespace {

QString quoted(const QString& identifier) {
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

bool isLocked(const QString& error) {
    return error.contains(QLatin1String("locked")) || error.contains(QLatin1String("busy"));
}

}  // namespace

StandInReader::~StandInReader() {
    if (db_)
        sqlite3_close_v2(db_);
}

QString StandInReader::fileName() const {
    return QFileInfo(path_).fileName();
}

QString StandInReader::failText(const QString& detail) const {
    if (isLocked(detail) || (db_ && detail == Statement::busyText(db_)))
        return QStringLiteral(
                   "A(z) „%1” adatbázist most a számlázó program zárolja. Próbálja "
                   "újra később!")
            .arg(fileName());
    return QStringLiteral("A(z) „%1” nem olvasható: %2.").arg(fileName(), detail);
}

Result<std::unique_ptr<StandInReader>> StandInReader::open(const QString& path) {
    std::unique_ptr<StandInReader> r(new StandInReader);
    r->path_ = QFileInfo(path).absoluteFilePath();
    auto fail = [&](const QString& detail) { return Error{r->failText(detail)}; };
    if (const QString special = notRegularFileText(r->path_); !special.isEmpty())
        return Error{special};
    const int rc = sqlite3_open_v2(QFile::encodeName(r->path_).constData(), &r->db_,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        return fail(Error::fromEngine(
                        rc, QString::fromUtf8(r->db_ ? sqlite3_errmsg(r->db_) : sqlite3_errstr(rc)))
                        .text);
    sqlite3_busy_timeout(r->db_, 3000);
    // The header alone does not tell a damaged file: read the schema once.
    Statement st(r->db_, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!st.status().ok() || !st.next())
        return fail(st.status() ? QStringLiteral("sérült adatbázis") : st.status().errorText());
    return r;
}

bool StandInReader::hasTable(const QString& table) {
    Statement st(db_, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                     "name = ?1 COLLATE NOCASE"));
    return st.status().ok() && st.bind(1, table) && st.next();
}

Result<bool> StandInReader::hasRows(const QString& table) {
    if (!hasTable(table))
        return Error{failText(QStringLiteral("nincs „%1” tábla").arg(table))};
    Statement st(db_, QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(quoted(table)));
    const bool any = st.status().ok() && st.next();
    if (!st.status())
        return Error{failText(st.status().errorText()), st.status().error().code};
    return any;
}

Result<std::vector<StandInReader::Row>> StandInReader::groupedRows(const QString& table,
                                                                   double from) {
    if (!hasTable(table))
        return Error{failText(QStringLiteral("nincs „%1” tábla").arg(table))};
    // With exactly one max() in the query SQLite takes the other bare columns
    // from the row that holds the maximum: the invoice's last line. One pass
    // over the index on SZAMLASOR, which also gives the order.
    Statement st(db_, QStringLiteral("SELECT SZAMLASOR, VEVONEV, VEVOSZEKH, VEVOCIM, FIZ_MOD, "
                                     "SZML_KELTE, ESEDEKES, MEGNEVEZES, AFA, KIEGYENOSZ, PENZNEM, "
                                     "sum(NETTO_ERTE), sum(BRUTTO), TELJ_DATUM, max(rowid) "
                                     "FROM %1 WHERE SZAMLASOR >= ?1 GROUP BY SZAMLASOR "
                                     "ORDER BY SZAMLASOR")
                          .arg(quoted(table)));
    std::vector<Row> rows;
    if (st.status().ok() && st.bind(1, from)) {
        while (st.next()) {
            Row r;
            r.reserve(14);
            for (int i = 0; i < 14; ++i) r << st.value(i);
            rows.push_back(std::move(r));
        }
    }
    if (!st.status())
        return Error{failText(st.status().errorText()), st.status().error().code};
    return rows;
}

}  // namespace vela
