// Moving a data folder's rows onto the server and back: every field of
// every row arrives as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "storage/recordsource.h"
#include "storage/servercopy.h"
#include "storagebackend.h"

using namespace vela;
using test::Backend;

namespace {

// Every row of every table of a file, each field as stored, in key order.
std::vector<Database::Row> everything(Database& db, const QString& fileName) {
    std::vector<Database::Row> out;
    for (const DatabaseDef& d : schema::databases()) {
        if (d.fileName != fileName)
            continue;
        for (const TableDef* t : d.tables) {
            if (ServerSchema::sessionOnly(*t))
                continue;
            auto rows = db.rows(QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                                    .arg(schema::quoteName(t->name), t->keySql()));
            EXPECT_TRUE(rows) << rows.errorText().toStdString();
            if (rows) {
                for (Database::Row& r : *rows) {
                    r.prepend(t->name);
                    out.push_back(r);
                }
            }
        }
    }
    return out;
}

std::unique_ptr<Database> freshFile(const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(QStringLiteral("uj-") + name);
    QFile::copy(QDir(TempDataFolder::templateDir()).filePath(name), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    auto db = Database::openPath(path);
    EXPECT_TRUE(db) << db.errorText().toStdString();
    return db ? std::move(*db) : nullptr;
}

TEST(ServerCopy, EveryFieldGoesToTheServerAndBack) {
    test::StorageBackend backend;
    const struct {
        const char* file;
        const char* rows;
        const char* counts;
    } files[] = {
        {"veladata.mdb",
         "INSERT INTO VelaData (Kulcs, Sorszám, recordID, CegNev, Netto, Brutto, Datumtol, "
         "FIGYELEM, "
         "Megjegyzés) VALUES (1, 1, '2024121,5', 'Ősz ''Őrző'' Kft', 0.1, 0.30000000000000004, "
         "'2024-02-29', 1, 'két\nsor'), (5, 2, NULL, NULL, -1e-300, 123456789.125, NULL, 0, ''), "
         "(1000, 9223372036854775807, 'x', 'Ünő \"Bt\"', NULL, 0, '1999-12-31', 0, NULL); "
         "INSERT INTO VelanakData (Sorszám, recordID, Szamlaszam) VALUES (1, 'a', 'SZ-1'), "
         "(1, 'b', 'sz-1')",
         "VelaData 3, VelanakData 2"},
        {"betarol.kdb",
         "INSERT INTO beraktar (BerNev, recordID, BerOrszag) VALUES ('Árvíztűrő Kft', 7, 'HU'); "
         "INSERT INTO TorzsOrszagok (OrszágKód, OrszágMegnevezés) VALUES ('HU', 'Magyarország'), "
         "('AT', 'Ausztria')",
         "beraktar 1, TorzsOrszagok 2"},
    };
    for (const auto& f : files) {
        const QString name = QString::fromUtf8(f.file);
        auto file = backend.open(Backend::Files, name);
        ASSERT_TRUE(file) << file.errorText().toStdString();
        for (const QString& st : test::quoteSchemaNames(QString::fromUtf8(f.rows)).split("; "))
            ASSERT_TRUE((*file)->exec(st)) << st.toStdString();
        auto server = backend.open(Backend::Server, name);
        ASSERT_TRUE(server) << server.errorText().toStdString();

        auto there = ServerCopy::copy(**file, **server, name);
        ASSERT_TRUE(there) << there.errorText().toStdString();
        QStringList counts;
        for (const auto& c : *there) counts << QStringLiteral("%1 %2").arg(c.table).arg(c.rows);
        EXPECT_EQ(counts.join(", "), QString::fromUtf8(f.counts));
        const auto original = everything(**file, name);
        EXPECT_EQ(everything(**server, name), original) << f.file;

        // A second move would double the rows: it is refused and writes nothing.
        auto again = ServerCopy::copy(**file, **server, name);
        ASSERT_FALSE(again);
        EXPECT_TRUE(again.errorText().contains("már")) << again.errorText().toStdString();
        EXPECT_EQ(everything(**server, name), original);

        // Back into fresh files.
        auto back = freshFile(backend.folder(), name);
        ASSERT_TRUE(back);
        ASSERT_TRUE(ServerCopy::copy(**server, *back, name));
        EXPECT_EQ(everything(*back, name), original) << f.file;
    }

    // The server's keys go on after the highest one copied.
    auto server = backend.open(Backend::Server, QStringLiteral("veladata.mdb"));
    ASSERT_TRUE(server);
    RecordSource rows;
    rows.setDatabase(server->get());
    rows.setQuery(Query(schema::velaData()));
    ASSERT_TRUE(rows.refresh());
    ASSERT_TRUE(rows.addNew());
    ASSERT_TRUE(rows.setField("CegNev", QStringLiteral("Új")));
    ASSERT_TRUE(rows.update());
    ASSERT_TRUE(rows.moveLast());
    EXPECT_EQ(rows.bookmark(), 1001);
}

}  // namespace
