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
    auto opened = Database::open("VELADATA.MDB", {"VelaData", "VelanakData", "VelaIdeigl"});
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto& db = *opened;
    EXPECT_EQ(db->fileName(), "veladata.mdb");
    EXPECT_TRUE(db->hasTable("velaideigl"));
}

TEST(Database, MissingFileIsAnErrorAndNothingIsCreated) {
    TempDataFolder folder(false);
    auto db = Database::open("veladata.mdb");
    ASSERT_FALSE(db);
    const QString err = db.errorText();
    EXPECT_TRUE(err.contains("veladata.mdb"));
    EXPECT_TRUE(err.contains("VELAREP"));
    // A missing file is not a damaged one.
    EXPECT_FALSE(db.error().damaged());
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
    auto foreign = Database::open("veladata.mdb");
    ASSERT_FALSE(foreign);
    err = foreign.errorText();
    EXPECT_TRUE(err.contains("veladata.mdb")) << err.toStdString();

    QFile::resize(folder.file("veladata.mdb"), 0);
    auto empty = Database::open("veladata.mdb");
    ASSERT_FALSE(empty);
    err = empty.errorText();
    EXPECT_TRUE(err.contains("üres")) << err.toStdString();

    // An SQLite header over garbage pages.
    {
        QFile f(folder.file("betarol.kdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(4096, '\x5a'));
    }
    auto damaged = Database::open("betarol.kdb");
    ASSERT_FALSE(damaged);
    err = damaged.errorText();
    EXPECT_TRUE(err.contains("betarol.kdb")) << err.toStdString();
    // SQLite's own code travels in the error: the file is told damaged.
    EXPECT_TRUE(damaged.error().damaged()) << damaged.error().code;

    QDir(folder.path()).mkdir("parameter.kdb");
    auto directory = Database::open("parameter.kdb");
    ASSERT_FALSE(directory);
    err = directory.errorText();
    EXPECT_TRUE(err.contains("mappa")) << err.toStdString();
}

TEST(Database, MissingTableAndExclusiveLockAreNamed) {
    TempDataFolder folder;
    auto missingTable = Database::open("parameter.kdb", {"NincsIlyen"});
    ASSERT_FALSE(missingTable);
    EXPECT_TRUE(missingTable.errorText().contains("NincsIlyen"));
    EXPECT_FALSE(missingTable.error().damaged());

    // VelaRep holds an exclusive lock while it moves a file.
    const int fd = ::open(QFile::encodeName(folder.file("parameter.kdb")).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    auto locked = Database::open("parameter.kdb");
    ASSERT_FALSE(locked);
    EXPECT_TRUE(locked.errorText().contains("használja")) << locked.errorText().toStdString();
    EXPECT_FALSE(locked.error().damaged());
    ::close(fd);

    // While VelaData has it open, an exclusive lock cannot be had.
    auto db = Database::open("parameter.kdb");
    ASSERT_TRUE(db) << db.errorText().toStdString();
    const int fd2 = ::open(QFile::encodeName(folder.file("parameter.kdb")).constData(), O_RDONLY);
    EXPECT_NE(::flock(fd2, LOCK_EX | LOCK_NB), 0);
    ::close(fd2);
}

TEST(Database, BoundValuesCarryQuotesAndHungarianFold) {
    TempDataFolder folder;
    auto opened = Database::open("betarol.kdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto& db = *opened;
    const QString name = "O'Brien \"Kettős\" Kft";
    const vela::Status inserted =
        db->exec("INSERT INTO beraktar (BerNev, recordID) VALUES (?, ?)", {name, 1});
    ASSERT_TRUE(inserted) << inserted.errorText().toStdString();
    EXPECT_EQ(db->scalar("SELECT BerNev FROM beraktar WHERE BerNev = ?", {name})->toString(), name);
    EXPECT_EQ(db->scalar("SELECT vela_prefix(?, ?)", {"Ősz Kft", "ő"})->toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT vela_prefix(?, ?)", {"Űrhajó Bt", "űR"})->toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT vela_prefix(?, ?)", {"Osz Kft", "ő"})->toInt(), 0);
}

TEST(Database, ASumOverNoRowsIsNull) {
    TempDataFolder folder;
    auto opened = Database::open("veladata.mdb", {"VelaData"});
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto& db = *opened;
    // Read as 0 by the window.
    const auto sum = db->scalar("SELECT sum(Netto) FROM VelaData");
    ASSERT_TRUE(sum) << sum.errorText().toStdString();
    EXPECT_TRUE(sum->isNull());
}

TEST(Database, StoredValuesAreCheckedByTheSchema) {
    TempDataFolder folder;
    auto opened = Database::open("veladata.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto& db = *opened;
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (Datumtol) VALUES ('2024-02-30')"));
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (Netto) VALUES ('abc')"));
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (FIGYELEM) VALUES (2)"));
    // A Yes/No column is never null.
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (Részkiegyenlités) VALUES (NULL)"));
    EXPECT_TRUE(db->exec("INSERT INTO VelaData (Datumtol, Netto) VALUES ('2024-02-29', 1.5)"));
    EXPECT_EQ(db->scalar("SELECT Részkiegyenlités FROM VelaData")->toInt(), 0);
}

TEST(Database, NewParametersRowStartsWithNoDecimalsAndForints) {
    TempDataFolder folder;
    auto opened = Database::open("parameter.kdb", {"EmblemaPath"});
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto& db = *opened;
    const vela::Status cleared = db->exec("DELETE FROM EmblemaPath");
    ASSERT_TRUE(cleared) << cleared.errorText().toStdString();
    ASSERT_TRUE(db->exec("INSERT INTO EmblemaPath (EmblemaPath) VALUES (NULL)"));
    const auto found = db->rows("SELECT Tizedes, DevizaNem FROM EmblemaPath");
    ASSERT_TRUE(found) << found.errorText().toStdString();
    const auto& rows = *found;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toInt(), 0);
    EXPECT_FALSE(rows[0][0].isNull());
    EXPECT_EQ(rows[0][1].toString(), "Ft");
}
