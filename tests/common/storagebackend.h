#pragma once

#include <gtest/gtest.h>

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <string>

#include "pgtestserver.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/serverschema.h"
#include "tempdatafolder.h"

namespace vela::test {

// Where a storage test's data lives: the data folder's files, or the test
// cluster's server.
enum class Backend { Files, Server };

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Files ? "Files" : "Server";
}

// A test's own SQL with every table and column name of the schema quoted as
// the schema spells it, so that the server (which folds unquoted names to
// lower case) reads them as the file engine does. Quoted texts are left alone.
inline QString quoteSchemaNames(const QString& sql) {
    static const QSet<QString> exact = [] {
        QSet<QString> all;
        for (const DatabaseDef& d : schema::databases()) {
            for (const TableDef* t : d.tables) {
                all.insert(t->name);
                for (const ColumnDef& c : t->columns) all.insert(c.name);
            }
        }
        return all;
    }();
    static const QHash<QString, QString> spelling = [] {
        QHash<QString, QString> all;
        for (const QString& n : exact) all.insert(n.toLower(), n);
        return all;
    }();
    static const QRegularExpression names = [] {
        QStringList all = exact.values();
        std::sort(all.begin(), all.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        for (QString& n : all) n = QRegularExpression::escape(n);
        return QRegularExpression(QStringLiteral("('(?:[^']|'')*')|(?<![\\w\"])(") +
                                      all.join(QLatin1Char('|')) + QStringLiteral(")(?![\\w\"])"),
                                  QRegularExpression::UseUnicodePropertiesOption |
                                      QRegularExpression::CaseInsensitiveOption);
    }();
    QString out;
    qsizetype at = 0;
    for (auto it = names.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += sql.mid(at, m.capturedStart() - at);
        // A name spelled as in the schema stays so (two tables may spell
        // one name in two letter cases); another spelling takes the schema's.
        const QString name = m.captured(2);
        out += m.capturedLength(1)    ? m.captured(1)
               : exact.contains(name) ? schema::quoteName(name)
                                      : schema::quoteName(spelling.value(name.toLower()));
        at = m.capturedEnd();
    }
    return out + sql.mid(at);
}

// A temporary data folder from the clean templates (made current), and on
// the server a fresh set of the same tables: a test opens a data folder
// file by its name on either.
class StorageBackend {
  public:
    Result<std::unique_ptr<Database>> open(Backend where, const QString& fileName,
                                           const QStringList& requiredTables = {}) {
        if (where == Backend::Files)
            return Database::open(fileName, requiredTables);
        const PgTestDatabase& server = testServer();
        if (!cleared_) {
            // The tables of an earlier test of this program go first.
            auto admin = Database::openServer(server.conninfo(), QString());
            if (!admin)
                return admin.error();
            if (Status s = (*admin)->exec(QStringLiteral("DROP SCHEMA public CASCADE")); !s)
                return s.error();
            if (Status s = (*admin)->exec(QStringLiteral("CREATE SCHEMA public")); !s)
                return s.error();
            cleared_ = true;
        }
        auto db = Database::openServer(server.conninfo(), fileName);
        if (!db)
            return db.error();
        if (Status s = ServerSchema::create(**db, fileName); !s)
            return s.error();
        db->reset();
        return Database::openServer(server.conninfo(), fileName, requiredTables);
    }

    QString folder() const { return folder_.path(); }

    // The test program's own database on the test cluster.
    static const PgTestDatabase& testServer() {
        static PgTestDatabase server(QStringLiteral("vela_storage"));
        return server;
    }

    // A test's own SQL as the backend reads it.
    static QString sql(Backend where, const QString& text) {
        return where == Backend::Files ? text : quoteSchemaNames(text);
    }

  private:
    TempDataFolder folder_;
    bool cleared_ = false;
};

}  // namespace vela::test
