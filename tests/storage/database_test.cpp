#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "storage/database.h"
#include "tempdatafolder.h"

using vela::Database;

TEST(Database, OpensTemplateByBareNameCaseInsensitively) {
    TempDataFolder folder;
    QString err;
    auto db = Database::open("VELADATA.MDB", &err, {"VelaData", "VelanakData", "VelaIdeigl"});
    ASSERT_TRUE(db) << err.toStdString();
    EXPECT_EQ(db->fileName(), "veladata.mdb");
    EXPECT_TRUE(db->hasTable("velaideigl"));
}

TEST(Database, MissingFileIsAnErrorAndNothingIsCreated) {
    TempDataFolder folder(false);
    QString err;
    auto db = Database::open("veladata.mdb", &err);
    EXPECT_FALSE(db);
    EXPECT_TRUE(err.contains("veladata.mdb"));
    EXPECT_TRUE(err.contains("VELAREP"));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST(Database, ForeignEmptyDamagedAndDirectoryAreRefused) {
    TempDataFolder folder(false);
    QString err;
    {
        QFile f(folder.file("veladata.mdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Standard Jet DB\0 not ours");
    }
    EXPECT_FALSE(Database::open("veladata.mdb", &err));
    EXPECT_TRUE(err.contains("veladata.mdb")) << err.toStdString();

    QFile::resize(folder.file("veladata.mdb"), 0);
    EXPECT_FALSE(Database::open("veladata.mdb", &err));
    EXPECT_TRUE(err.contains("üres")) << err.toStdString();

    // An SQLite header over garbage pages.
    {
        QFile f(folder.file("betarol.kdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(4096, '\x5a'));
    }
    EXPECT_FALSE(Database::open("betarol.kdb", &err));
    EXPECT_TRUE(err.contains("betarol.kdb")) << err.toStdString();

    QDir(folder.path()).mkdir("parameter.kdb");
    EXPECT_FALSE(Database::open("parameter.kdb", &err));
    EXPECT_TRUE(err.contains("mappa")) << err.toStdString();
}

TEST(Database, MissingTableAndExclusiveLockAreNamed) {
    TempDataFolder folder;
    QString err;
    EXPECT_FALSE(Database::open("parameter.kdb", &err, {"NincsIlyen"}));
    EXPECT_TRUE(err.contains("NincsIlyen"));

    // VelaRep holds an exclusive lock while it moves a file.
    const int fd = ::open(QFile::encodeName(folder.file("parameter.kdb")).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(Database::open("parameter.kdb", &err));
    EXPECT_TRUE(err.contains("használja")) << err.toStdString();
    ::close(fd);

    // While VelaData has it open, an exclusive lock cannot be had.
    auto db = Database::open("parameter.kdb", &err);
    ASSERT_TRUE(db);
    const int fd2 = ::open(QFile::encodeName(folder.file("parameter.kdb")).constData(), O_RDONLY);
    EXPECT_NE(::flock(fd2, LOCK_EX | LOCK_NB), 0);
    ::close(fd2);
}

TEST(Database, BoundValuesCarryQuotesAndHungarianFold) {
    TempDataFolder folder;
    QString err;
    auto db = Database::open("betarol.kdb", &err);
    ASSERT_TRUE(db);
    const QString name = "O'Brien \"Kettős\" Kft";
    ASSERT_TRUE(db->exec("INSERT INTO beraktar (BerNev, recordID) VALUES (?, ?)", {name, 1}, &err))
        << err.toStdString();
    EXPECT_EQ(db->scalar("SELECT BerNev FROM beraktar WHERE BerNev = ?", {name})->toString(), name);
    EXPECT_EQ(db->scalar("SELECT vela_prefix(?, ?)", {"Ősz Kft", "ő"})->toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT vela_prefix(?, ?)", {"Űrhajó Bt", "űR"})->toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT vela_prefix(?, ?)", {"Osz Kft", "ő"})->toInt(), 0);
}

TEST(Database, ASumOverNoRowsIsNull) {
    TempDataFolder folder;
    QString err;
    auto db = Database::open("veladata.mdb", &err, {"VelaData"});
    ASSERT_TRUE(db) << err.toStdString();
    // Read as 0 by the window.
    const QVariant sum = db->scalar("SELECT sum(Netto) FROM VelaData", {}, &err);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_TRUE(sum.isNull());
}

TEST(Database, StoredValuesAreCheckedByTheSchema) {
    TempDataFolder folder;
    QString err;
    auto db = Database::open("veladata.mdb", &err);
    ASSERT_TRUE(db);
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (Datumtol) VALUES ('2024-02-30')", {}, &err));
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (Netto) VALUES ('abc')", {}, &err));
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (FIGYELEM) VALUES (2)", {}, &err));
    // A Yes/No column is never null.
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (Részkiegyenlités) VALUES (NULL)", {}, &err));
    EXPECT_TRUE(
        db->exec("INSERT INTO VelaData (Datumtol, Netto) VALUES ('2024-02-29', 1.5)", {}, &err));
    EXPECT_EQ(db->scalar("SELECT Részkiegyenlités FROM VelaData")->toInt(), 0);
}

TEST(Database, NewParametersRowStartsWithNoDecimalsAndForints) {
    TempDataFolder folder;
    QString err;
    auto db = Database::open("parameter.kdb", &err, {"EmblemaPath"});
    ASSERT_TRUE(db) << err.toStdString();
    ASSERT_TRUE(db->exec("DELETE FROM EmblemaPath", {}, &err)) << err.toStdString();
    ASSERT_TRUE(db->exec("INSERT INTO EmblemaPath (EmblemaPath) VALUES (NULL)", {}, &err));
    const auto rows = db->rows("SELECT Tizedes, DevizaNem FROM EmblemaPath");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toInt(), 0);
    EXPECT_FALSE(rows[0][0].isNull());
    EXPECT_EQ(rows[0][1].toString(), "Ft");
}
