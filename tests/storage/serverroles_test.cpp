// The group roles on the test server: what the server itself lets a reader
// and a book-keeper do with the ledger and its history, past the program.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "base/postgres/pgconnection.h"
#include "pgtestserver.h"
#include "storage/columns.h"
#include "storage/database.h"
#include "storage/history.h"
#include "storage/serverroles.h"
#include "storage/serverschema.h"
#include "storage/servertransfer.h"

using namespace vela;

namespace {

// A database of the program's tables with the group roles' rights, and a
// reader's and a book-keeper's login of this program's own (roles belong to
// the whole cluster, which other test programs share).
class ServerRolesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(server.conninfo().isEmpty());
        auto admin = postgres::PgConnection::open(server.conninfo(), QString());
        ASSERT_TRUE(admin) << admin.errorText().toStdString();
        admin_ = std::move(*admin);
        auto owner = Database::openServer(server.conninfo(), QString());
        ASSERT_TRUE(owner) << owner.errorText().toStdString();
        for (const QString& name : serverDatabases())
            ASSERT_TRUE(ServerSchema::create(**owner, name));
        ASSERT_TRUE(history::install(**owner));
        auto lines = ServerRoles::setUp(**owner);
        ASSERT_TRUE(lines) << lines.errorText().toStdString();
        ASSERT_TRUE((*owner)->exec(
            "INSERT INTO \"VelaData\" (\"Megnevezes\", \"Szamlaszam\") VALUES ('Bérleti díj', "
            "'B-1')"));
        const QString pid = QString::number(QCoreApplication::applicationPid());
        reader_ = QStringLiteral("olvaso_t%1").arg(pid);
        writer_ = QStringLiteral("konyvelo_t%1").arg(pid);
        for (const auto& [login, group] : {std::pair{reader_, QStringLiteral("vela_olvaso")},
                                           std::pair{writer_, QStringLiteral("vela_konyvelo")}}) {
            (void)admin_->execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(login));
            ASSERT_TRUE(admin_->execScript(
                QStringLiteral("CREATE ROLE %1 LOGIN; GRANT %2 TO %1").arg(login, group)));
        }
    }
    void TearDown() override {
        if (admin_) {
            for (const QString& login : {reader_, writer_}) {
                if (!login.isEmpty())
                    (void)admin_->execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(login));
            }
        }
    }

    QString as(const QString& login) const {
        return server.conninfo() + QStringLiteral(" user=") + login;
    }

    test::PgTestDatabase server{QStringLiteral("vela_roles")};
    std::unique_ptr<postgres::PgConnection> admin_;
    QString reader_, writer_;
};

QByteArray stateOf(const Status& s) {
    return s ? QByteArray("00000") : postgres::sqlstateOf(s.error().code);
}

const char* const kHistoryRewrites[] = {
    "UPDATE \"Valtozasok\" SET \"Uj\" = 'hamis'",
    "DELETE FROM \"Valtozasok\"",
    "UPDATE \"VelaDataTorolt\" SET \"Megnevezes\" = 'hamis'",
    "DELETE FROM \"VelaDataTorolt\"",
    "TRUNCATE \"Valtozasok\"",
};

TEST_F(ServerRolesTest, AReaderIsRefusedByTheServerItself) {
    auto reader = postgres::PgConnection::open(as(reader_), QString());
    ASSERT_TRUE(reader) << reader.errorText().toStdString();
    const char* const writes[] = {
        "INSERT INTO \"VelaData\" (\"Megnevezes\") VALUES ('x')",
        "UPDATE \"VelaData\" SET \"Megnevezes\" = 'x'",
        "DELETE FROM \"VelaData\"",
        "INSERT INTO \"Valtozasok\" (\"Tabla\") VALUES ('VelaData')",
        "INSERT INTO \"beraktar\" (\"BerNev\") VALUES ('x')",
    };
    for (const char* sql : writes)
        EXPECT_EQ(stateOf((*reader)->execScript(QString::fromUtf8(sql))), "42501") << sql;
    for (const char* sql : kHistoryRewrites)
        EXPECT_EQ(stateOf((*reader)->execScript(QString::fromUtf8(sql))), "42501") << sql;
    // Reading is what it may.
    auto db = Database::openServer(as(reader_), QStringLiteral("veladata.mdb"),
                                   {QStringLiteral("VelaData")});
    ASSERT_TRUE(db) << db.errorText().toStdString();
    auto n = (*db)->scalar("SELECT count(*) FROM \"VelaData\"");
    ASSERT_TRUE(n) << n.errorText().toStdString();
    EXPECT_EQ(n->toInt(), 1);
    // The program's own message for it names the missing right.
    const Status refused = (*db)->exec("DELETE FROM \"VelaData\"");
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.errorText().startsWith("Nincs jogosultsága"))
        << refused.errorText().toStdString();
}

TEST_F(ServerRolesTest, ABookKeeperWritesTheLedgerAndItsHistoryButNeverRewritesTheHistory) {
    auto db = Database::openServer(as(writer_), QStringLiteral("veladata.mdb"),
                                   {QStringLiteral("VelaData")});
    ASSERT_TRUE(db) << db.errorText().toStdString();
    Database& w = **db;
    ASSERT_TRUE(w.exec("INSERT INTO \"VelaData\" (\"Megnevezes\") VALUES ('Áram')"));
    auto key = w.scalar("SELECT max(\"Kulcs\") FROM \"VelaData\"");
    ASSERT_TRUE(key);
    ASSERT_TRUE(
        w.exec("UPDATE \"VelaData\" SET \"Megnevezes\" = 'Gáz' WHERE \"Kulcs\" = ?1", {*key}));
    ASSERT_TRUE(w.exec("DELETE FROM \"VelaData\" WHERE \"Kulcs\" = ?1", {*key}));
    // Each change is recorded, under the book-keeper's own login.
    auto entries = w.rows(
        "SELECT \"Muvelet\", \"Felhasznalo\" FROM \"Valtozasok\" WHERE \"Tabla\" = 'VelaData' AND "
        "\"SorKulcs\" = ?1 ORDER BY \"Kulcs\"",
        {*key});
    ASSERT_TRUE(entries) << entries.errorText().toStdString();
    ASSERT_EQ(entries->size(), 3u);
    for (const Database::Row& r : *entries) EXPECT_EQ(r.value(1).toString(), writer_);
    auto kept = history::deletedRows(w, schema::velaData());
    ASSERT_TRUE(kept) << kept.errorText().toStdString();
    ASSERT_EQ(kept->size(), 1);
    EXPECT_EQ(kept->first().values.value("Megnevezes").toString(), QStringLiteral("Gáz"));
    // Bringing it back is a new row, recorded too.
    auto restored = history::restore(w, schema::velaData(), {kept->first().id});
    ASSERT_TRUE(restored) << restored.errorText().toStdString();
    EXPECT_EQ(restored->size(), 1);
    auto all = w.scalar("SELECT count(*) FROM \"Valtozasok\" WHERE \"SorKulcs\" = ?1", {*key});
    ASSERT_TRUE(all);
    EXPECT_EQ(all->toInt(), 4);
    // The history itself is only added to.
    for (const char* sql : kHistoryRewrites)
        EXPECT_EQ(stateOf(w.exec(QString::fromUtf8(sql))), "42501") << sql;
    auto after = w.scalar("SELECT count(*) FROM \"Valtozasok\"");
    ASSERT_TRUE(after);
    EXPECT_GE(after->toInt(), 5);  // the owner's row above, and this test's four
}

TEST_F(ServerRolesTest, TheProgramKnowsWhatItsLoginMayDo) {
    const struct {
        QString login;
        DataAccess access;
    } cases[] = {
        {QString(), DataAccess::ReadWrite},  // the owner of the tables
        {writer_, DataAccess::ReadWrite},
        {reader_, DataAccess::ReadOnly},
    };
    for (const auto& c : cases) {
        auto db = Database::openServer(c.login.isEmpty() ? server.conninfo() : as(c.login),
                                       QStringLiteral("veladata.mdb"));
        ASSERT_TRUE(db) << db.errorText().toStdString();
        EXPECT_EQ(dataAccess(**db), c.access) << c.login.toStdString();
    }
}

TEST_F(ServerRolesTest, RunAgainTheRightsStayAndAMoverWithoutCreateRoleIsTold) {
    {
        auto owner = Database::openServer(server.conninfo(), QString());
        ASSERT_TRUE(owner);
        auto again = ServerRoles::setUp(**owner);
        ASSERT_TRUE(again) << again.errorText().toStdString();
        EXPECT_FALSE(again->join(' ').contains("Létrejött")) << again->join(' ').toStdString();
        ASSERT_TRUE((*owner)->exec("GRANT UPDATE ON \"Valtozasok\" TO vela_konyvelo"));
        ASSERT_TRUE(ServerRoles::grant(**owner));  // what was granted by hand is taken back
    }
    auto writer = postgres::PgConnection::open(as(writer_), QString());
    ASSERT_TRUE(writer);
    EXPECT_EQ(stateOf((*writer)->execScript("UPDATE \"Valtozasok\" SET \"Uj\" = 'x'")), "42501");
    EXPECT_EQ(stateOf((*writer)->execScript("UPDATE \"VelaData\" SET \"Megnevezes\" = 'Víz'")),
              "00000");

    // Group roles of names no other test uses, asked of a login that may not
    // make roles: it is told, and nothing fails.
    const QString mover = QStringLiteral("koltozo_t%1").arg(QCoreApplication::applicationPid());
    (void)admin_->execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(mover));
    ASSERT_TRUE(admin_->execScript(QStringLiteral("CREATE ROLE %1 LOGIN NOCREATEROLE").arg(mover)));
    {
        auto db = Database::openServer(as(mover), QString());
        ASSERT_TRUE(db) << db.errorText().toStdString();
        ServerRoles::Names names;
        names.writer = mover + QStringLiteral("_k");
        names.reader = mover + QStringLiteral("_o");
        auto lines = ServerRoles::setUp(**db, names);
        ASSERT_TRUE(lines) << lines.errorText().toStdString();
        EXPECT_TRUE(lines->join(' ').contains("nincs szerep-létrehozási joga (CREATEROLE)"))
            << lines->join(' ').toStdString();
        auto made = (*db)->scalar("SELECT count(*) FROM pg_roles WHERE rolname LIKE ?1",
                                  {mover + QStringLiteral("\\__")});
        ASSERT_TRUE(made);
        EXPECT_EQ(made->toInt(), 0);
    }
    (void)admin_->execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(mover));
}

}  // namespace

// A server made by an earlier version: its indexes lack the key as their
// last column (none, or only carried beside), and the next table-making step
// makes them again.
TEST(ServerIndexes, AnIndexWithoutTheKeyIsMadeAgainWithIt) {
    test::PgTestDatabase server(QStringLiteral("vela_indexes"));
    ASSERT_FALSE(server.conninfo().isEmpty());
    auto db = Database::openServer(server.conninfo(), QString());
    ASSERT_TRUE(db) << db.errorText().toStdString();
    ASSERT_TRUE(ServerSchema::create(**db, QStringLiteral("veladata.mdb")));
    const auto definition = [&] {
        return (*db)
            ->scalar(
                "SELECT indexdef FROM pg_catalog.pg_indexes WHERE indexname = "
                "'VelaData_Sorrend'")
            ->toString()
            .toStdString();
    };
    const std::string made = "(\"Sorszám\", \"recordID\", \"Kulcs\")";
    EXPECT_NE(definition().find(made), std::string::npos) << definition();
    for (const char* earlier : {"", " INCLUDE (\"Kulcs\")"}) {
        ASSERT_TRUE((*db)->exec("DROP INDEX \"VelaData_Sorrend\""));
        ASSERT_TRUE((*db)->exec(QStringLiteral("CREATE INDEX \"VelaData_Sorrend\" ON \"VelaData\" "
                                               "(\"Sorszám\", \"recordID\")") +
                                earlier));
        ASSERT_TRUE(ServerSchema::create(**db, QStringLiteral("veladata.mdb")));
        EXPECT_NE(definition().find(made), std::string::npos) << definition();
    }
}
