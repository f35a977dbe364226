#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/startup.h"
#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

using namespace vela;

namespace {

void run(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    char* msg = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg), SQLITE_OK) << msg;
    sqlite3_close(db);
}

QStringList column(const QString& file, const QString& sql) {
    QStringList out;
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

void fill(const QString& table, int n) {
    run("veladata.mdb",
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < %1) INSERT INTO %2 (\"Sorszám\", recordID, CegNev, Brutto, "
                       "\"Kivezetés\") SELECT i, 'R' || i, 'Partner ' || i || printf('%.*c', 100, "
                       "'x'), i, 'N' FROM n")
            .arg(n)
            .arg(table));
}

// Overwrites page `page` of the file from byte `from` on.
void damage(const QString& file, int page, int from = 0) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(qint64(page - 1) * 4096 + from);
    f.write(QByteArray(4096 - from, '\x5a'));
}

// A leaf page of the table, counted from its first (negative: from its last).
int leaf(const QString& table, int index) {
    const QStringList leaves = column(
        "veladata.mdb", QStringLiteral("SELECT pageno FROM dbstat WHERE name = '%1' AND pagetype "
                                       "= 'leaf' ORDER BY path")
                            .arg(table));
    return leaves.value(index < 0 ? leaves.size() + index : index).toInt();
}

QByteArray bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class StartupDamage : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
    }
    // The one message of a damaged file.
    void expectOneDamageMessage(const QString& file) {
        ASSERT_EQ(dialogs.shown.size(), 1) << dialogs.texts().join("\n---\n").toStdString();
        const auto& box = dialogs.shown[0];
        EXPECT_TRUE(box.text.startsWith(
            QString::fromUtf8("A(z) „%1” adatbázis sérült, ezért a program nem ír bele többet. "
                              "A VELAREP program újraépíti, és megtart minden sort, amely még "
                              "olvasható: futtassa a VELAREP programot!\nRészletek: ")
                .arg(file)))
            << box.text.toStdString();
        EXPECT_TRUE(box.text.endsWith(QString::fromUtf8("\n\nA program kilép.")));
        EXPECT_EQ(box.title, QString::fromUtf8("FIGYELEM! HIBA!"));
        EXPECT_EQ(box.icon, DialogService::Icon::Critical);
        EXPECT_EQ(box.beepsBefore, 1);
    }

    TempDataFolder data;
    ScriptedDialogService dialogs;
    ScriptedWindowOpener opener;
    AppContext ctx;
};

}  // namespace

TEST_F(StartupDamage, LedgerPageDamagedAtStartEndsWithOneMessageAndNoWrite) {
    fill("VelaData", 3000);
    // A file this version has opened before: its history's triggers are in
    // place, so opening it writes nothing.
    ASSERT_TRUE(vela::Database::open("veladata.mdb").ok());
    // The last rows, which the window shows first.
    damage("veladata.mdb", leaf("VelaData", -1));
    const QByteArray before = bytes("veladata.mdb");
    {
        Startup startup(ctx);
        QList<int> exits;
        startup.setExit([&](int code) { exits << code; });
        // The window reads the damaged rows when it first shows its figure.
        if (startup.open()) {
            startup.window()->show();
            QApplication::processEvents();
            EXPECT_EQ(exits, QList<int>{1});
        }
        EXPECT_TRUE(startup.damageReported());
    }
    expectOneDamageMessage("veladata.mdb");
    EXPECT_EQ(bytes("veladata.mdb"), before);
    EXPECT_FALSE(QFileInfo::exists("veladata.mdb-journal"));
}

TEST_F(StartupDamage, SchemaPageOrForeignHeaderIsTheSameMessage) {
    damage("veladata.mdb", 1, 100);
    const QByteArray before = bytes("veladata.mdb");
    {
        Startup startup(ctx);
        EXPECT_FALSE(startup.open());
    }
    expectOneDamageMessage("veladata.mdb");
    EXPECT_EQ(bytes("veladata.mdb"), before);

    // SQLite's header, but a page size no database has: "not a database".
    dialogs.clear();
    QByteArray head = bytes("parameter.kdb");
    head[16] = '\x03';
    head[17] = '\x01';
    {
        QFile f("parameter.kdb");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(head);
    }
    QFile::copy(TempDataFolder::templateDir() + "/veladata.mdb", "ujra.mdb");
    QFile::remove("veladata.mdb");
    QFile::rename("ujra.mdb", "veladata.mdb");
    {
        Startup startup(ctx);
        EXPECT_FALSE(startup.open());
    }
    expectOneDamageMessage("parameter.kdb");
    EXPECT_EQ(bytes("parameter.kdb"), head);
}

TEST_F(StartupDamage, DamageMetLaterEndsTheProgramOnceAndRefusesEveryWrite) {
    fill("VelaData", 20);
    fill("VelanakData", 3000);
    Startup startup(ctx);
    QList<int> exits;
    startup.setExit([&](int code) { exits << code; });
    ASSERT_TRUE(startup.open());
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join("\n").toStdString();

    // A page of the receivables goes bad while the program runs.
    damage("veladata.mdb", leaf("VelanakData", 60));
    const QByteArray before = bytes("veladata.mdb");
    auto opened = Database::open("veladata.mdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    const auto read = db->rows("SELECT * FROM VelanakData");
    ASSERT_FALSE(read);
    // SQLite's code travels with the failure.
    EXPECT_TRUE(read.error().damaged()) << read.error().code;
    EXPECT_TRUE(db->isDamaged());
    expectOneDamageMessage("veladata.mdb");
    EXPECT_EQ(exits, QList<int>{1});
    // Nothing more goes into the file, and nothing more is said.
    EXPECT_FALSE(db->exec("INSERT INTO VelaData (\"Sorszám\") VALUES (99)"));
    EXPECT_FALSE(db->exec("DELETE FROM VelanakData"));
    EXPECT_FALSE(db->rows("SELECT * FROM VelanakData"));
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(exits.size(), 1);
    db.reset();
    EXPECT_EQ(bytes("veladata.mdb"), before);
}

TEST_F(StartupDamage, SoundFilesOpenAsBefore) {
    fill("VelaData", 50);
    Startup startup(ctx);
    ASSERT_TRUE(startup.open());
    EXPECT_NE(startup.window(), nullptr);
    EXPECT_FALSE(startup.damageReported());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}
