#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/filekind.h"
#include "base/filelookup.h"
#include "base/result.h"
#include "base/sqlite/sqliteconnection.h"
#include "base/sqlquote.h"
#include "base/statement.h"

using namespace vela;

namespace {

struct Db {
    Db()
        : conn(*sqlite::SqliteConnection::open(QStringLiteral(":memory:"),
                                               sqlite::OpenMode::Create)) {
        db = conn.get();
    }
    std::unique_ptr<sqlite::SqliteConnection> conn;
    Connection* db = nullptr;
};

void touch(const QString& path, const QByteArray& bytes = {}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

TEST(Base, QuotedNamesWithQuotesAccentsAndBlanksNameTheirTable) {
    Db d;
    const QString table = QString::fromUtf8("Rész\"Összeg; DROP TABLE x --");
    const QString column = QString::fromUtf8("a \"b\" ő");
    EXPECT_EQ(quoteIdentifier(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    Statement create(d.db, QStringLiteral("CREATE TABLE %1 (%2)")
                               .arg(quoteIdentifier(table), quoteIdentifier(column)));
    ASSERT_TRUE(create.exec()) << create.status().errorText().toStdString();
    Statement insert(d.db,
                     QStringLiteral("INSERT INTO %1 VALUES (?1)").arg(quoteIdentifier(table)));
    ASSERT_TRUE(insert.bind(1, QDate(2024, 3, 9)));
    ASSERT_TRUE(insert.exec());
    Statement read(
        d.db,
        QStringLiteral("SELECT %1 FROM %2").arg(quoteIdentifier(column), quoteIdentifier(table)));
    ASSERT_TRUE(read.next());
    EXPECT_EQ(read.value(0).toString(), QStringLiteral("2024-03-09"));
    EXPECT_EQ(read.columnName(0), column);
}

TEST(Base, StatementBindsBooleansAsNumbersAndKeepsTheErrorCode) {
    Db d;
    Statement create(d.db, QStringLiteral("CREATE TABLE t (b INTEGER NOT NULL) STRICT"));
    ASSERT_TRUE(create.exec());
    Statement insert(d.db, QStringLiteral("INSERT INTO t VALUES (?1)"));
    ASSERT_TRUE(insert.bind(1, true));
    ASSERT_TRUE(insert.exec());
    ASSERT_TRUE(insert.reset());
    ASSERT_TRUE(insert.bind(1, QVariant()));
    const Status failed = insert.exec();
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code & 0xff, SQLITE_CONSTRAINT);
    EXPECT_EQ(insert.status().error().code, failed.error().code);
    EXPECT_TRUE(failed.error().constraint());
    // A reset forgets the failed run.
    ASSERT_TRUE(insert.reset());
    EXPECT_TRUE(insert.status());
    Statement read(d.db, QStringLiteral("SELECT b, typeof(b) FROM t"));
    ASSERT_TRUE(read.next());
    EXPECT_EQ(read.int64(0), 1);
    EXPECT_EQ(read.text(1), QStringLiteral("integer"));
    Statement bad(d.db, QStringLiteral("SELECT * FROM nincs"));
    EXPECT_FALSE(bad.status());
    EXPECT_EQ(bad.status().error().code, SQLITE_ERROR);
    // Binding and running a statement that could not be prepared tell why.
    EXPECT_EQ(bad.bind({1}).errorText(), bad.status().errorText());
    EXPECT_EQ(bad.exec().error().code, SQLITE_ERROR);
    EXPECT_FALSE(bad.reset());
    Statement blank(d.db, QStringLiteral("  -- nothing"));
    EXPECT_FALSE(blank.exec());
}

TEST(Base, FileLookupIgnoresCaseAccentsIncludedAndPrefersTheExactName) {
    QTemporaryDir dir;
    touch(dir.filePath("LFAKTURO.MDB"));
    touch(dir.filePath(QString::fromUtf8("ÁRLISTA.kdb")));
    EXPECT_EQ(findEntryNoCase(dir.path(), "lfakturo.mdb"), QStringLiteral("LFAKTURO.MDB"));
    EXPECT_EQ(findEntryNoCase(dir.path(), QString::fromUtf8("árlista.KDB")),
              QString::fromUtf8("ÁRLISTA.kdb"));
    EXPECT_EQ(findEntryNoCase(dir.path(), "veladata.mdb"), QString());
    EXPECT_EQ(findFileNoCase(dir.path(), "VelaData.mdb"), dir.filePath("VelaData.mdb"));
    touch(dir.filePath("lfakturo.mdb"));
    EXPECT_EQ(findEntryNoCase(dir.path(), "lfakturo.mdb"), QStringLiteral("lfakturo.mdb"));
    EXPECT_EQ(findEntryNoCase(dir.path(), ".."), QStringLiteral(".."));  // exists as given
    EXPECT_EQ(findEntryNoCase(dir.path(), QString()), QString());
}

TEST(Base, FileKindTellsSqliteAccessAndOtherFilesApart) {
    QTemporaryDir dir;
    EXPECT_EQ(fileKind(dir.filePath("nincs.mdb")), FileKind::Missing);
    EXPECT_EQ(fileKind(dir.path()), FileKind::Unreadable);
    touch(dir.filePath("ures.mdb"));
    EXPECT_EQ(fileKind(dir.filePath("ures.mdb")), FileKind::Empty);
    QByteArray jet("\x00\x01\x00\x00Standard Jet DB\x00\x00\x00\x00\x00", 24);
    touch(dir.filePath("jet.mdb"), jet);
    EXPECT_EQ(fileKind(dir.filePath("jet.mdb")), FileKind::Access);
    touch(dir.filePath("szoveg.mdb"), "Standard Jet DB, de csak szöveg");
    EXPECT_EQ(fileKind(dir.filePath("szoveg.mdb")), FileKind::Other);
    Db d;
    const QString path = dir.filePath("sajat.mdb");
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "CREATE TABLE t (a)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(fileKind(path), FileKind::Sqlite);
    // A FIFO is told by its kind without being opened: a read would wait for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("LFAKTURO.MDB")).constData(), 0600), 0);
    EXPECT_EQ(fileKind(dir.filePath("LFAKTURO.MDB")), FileKind::Special);
    EXPECT_EQ(notRegularFileText(dir.filePath("LFAKTURO.MDB")),
              QString::fromUtf8("A(z) „LFAKTURO.MDB” nem adatbázis-állomány, hanem csővezeték "
                                "(FIFO), ezért nem nyitható meg."));
    EXPECT_EQ(notRegularFileText(path), QString());
    EXPECT_EQ(notRegularFileText(dir.filePath("nincs.mdb")), QString());
    const QString realJet = QStringLiteral(VELA_TESTDATA "/northwind-jet3.mdb");
    if (QFile::exists(realJet)) {
        EXPECT_EQ(fileKind(realJet), FileKind::Access);
    }
}

TEST(Base, ResultCarriesEitherItsValueOrTheFailure) {
    const auto half = [](int n) -> Result<int> {
        if (n % 2)
            return Error{QStringLiteral("páratlan: %1").arg(n), SQLITE_MISMATCH};
        return n / 2;
    };
    const auto quarter = [&](int n) -> Result<int> {
        Result<int> h = half(n);
        if (!h)
            return h.error();  // handed up unchanged
        return half(*h);
    };
    EXPECT_EQ(quarter(12).value(), 3);
    EXPECT_EQ(quarter(12).errorText(), QString());
    const Result<int> odd = quarter(6);
    ASSERT_FALSE(odd.ok());
    EXPECT_EQ(odd.errorText(), QStringLiteral("páratlan: 3"));
    EXPECT_EQ(odd.error().code, SQLITE_MISMATCH);

    // A Result<bool> is true on success whatever its value.
    const Result<bool> no = false;
    EXPECT_TRUE(no.ok());
    EXPECT_FALSE(no.value());

    const Status done;
    EXPECT_TRUE(done.ok());
    const Status failed = Error{QStringLiteral("nem sikerült")};
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.errorText(), QStringLiteral("nem sikerült"));
}

TEST(Base, TheSqliteEngineClassifiesItsExtendedCodes) {
    const struct {
        int code;
        ErrorKind kind;
    } cases[] = {
        {SQLITE_CORRUPT, ErrorKind::Damaged},
        {SQLITE_CORRUPT_INDEX, ErrorKind::Damaged},
        {SQLITE_NOTADB, ErrorKind::Damaged},
        {SQLITE_IOERR_READ, ErrorKind::Disk},
        {SQLITE_BUSY_SNAPSHOT, ErrorKind::Busy},
        {SQLITE_LOCKED, ErrorKind::Busy},
        {SQLITE_FULL, ErrorKind::Disk},
        {SQLITE_CANTOPEN, ErrorKind::Disk},
        {SQLITE_CONSTRAINT_CHECK, ErrorKind::Constraint},
        {SQLITE_ERROR, ErrorKind::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(sqlite::classify(c.code), c.kind) << c.code;
    EXPECT_FALSE((Error{QStringLiteral("nincs ilyen fájl")}.damaged()));
}

TEST(Base, SqliteEnglishTextsComeAfterAHungarianSentence) {
    EXPECT_EQ(
        sqlite::describe(SQLITE_FULL, QStringLiteral("database or disk is full")),
        QStringLiteral("Betelt a lemez, az adatok nem írhatók ki. (database or disk is full)"));
    EXPECT_EQ(sqlite::describe(SQLITE_ERROR, QStringLiteral("no such table: x")),
              QStringLiteral("no such table: x"));
    // A file that cannot be opened, as the engine tells it.
    QTemporaryDir dir;
    auto missing =
        sqlite::SqliteConnection::open(dir.filePath("nincs/x.db"), sqlite::OpenMode::ReadWrite);
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().diskFailure());
    EXPECT_TRUE(
        missing.errorText().startsWith(QString::fromUtf8("Az adatbázis-állomány nem nyitható meg")))
        << missing.errorText().toStdString();
    EXPECT_TRUE(missing.errorText().contains(QStringLiteral("unable to open database file")));
}

TEST(Base, TextEqualityIgnoresLetterCaseButNotAccents) {
    Db d;
    ASSERT_TRUE(d.db->execScript(QStringLiteral(
        "CREATE TABLE t (k INTEGER PRIMARY KEY, v TEXT); CREATE INDEX t_v ON t (v);"
        "INSERT INTO t (v) VALUES ('Ft'), ('FT'), ('ft'), ('HUF'), ('edge-1'), ('EDGE-1'),"
        "('Átutalás'), ('ÁTUTALÁS'), ('atutalas'), ('Árvíztűrő tükörfúrógép'),"
        "('ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP'), ('arvizturo tukorfurogep'), ('v'), ('V'), ('b')")));
    const struct {
        const char* value;
        const char* keys;
    } cases[] = {
        {"Ft", "1,2,3"},     {"edge-1", "5,6"},
        {"ÁTUTALÁS", "7,8"}, {"árvíztűrő TÜKÖRFÚRÓGÉP", "10,11"},
        {"V", "13,14"},      {"x", ""},
    };
    for (const auto& c : cases) {
        QVariantList binds;
        const QString where =
            d.db->dialect().textEquals(QStringLiteral("v"), QString::fromUtf8(c.value), binds);
        Statement st(d.db, QStringLiteral("SELECT group_concat(k) FROM (SELECT k FROM t WHERE %1 "
                                          "ORDER BY k)")
                               .arg(where));
        ASSERT_TRUE(st.bind(binds));
        ASSERT_TRUE(st.next()) << st.status().errorText().toStdString();
        EXPECT_EQ(st.text(0), QString::fromUtf8(c.keys)) << c.value;
    }
}

TEST(Base, NamesSortInHungarianAlphabeticalOrder) {
    Db d;
    ASSERT_TRUE(d.db->execScript(QString::fromUtf8(
        "CREATE TABLE t (v TEXT); INSERT INTO t VALUES ('Zemplén'), ('Bratislava'), ('Békési'),"
        "('Ócsa'), ('Tiszamenti'), ('ápoló'), ('Csaba'), ('Cukor'), ('Ödön'), ('Oroszlány'),"
        "('Ügyes'), ('Ujhelyi'), ('Éva'), ('Erdő'), ('szeged'), ('Szabó'), ('Sárga');")));
    Statement st(d.db,
                 QStringLiteral("SELECT group_concat(v, '|') FROM (SELECT v FROM t ORDER BY v%1)")
                     .arg(d.db->dialect().hungarianOrder()));
    ASSERT_TRUE(st.next()) << st.status().errorText().toStdString();
    EXPECT_EQ(st.text(0),
              QString::fromUtf8("ápoló|Békési|Bratislava|Cukor|Csaba|Erdő|Éva|Ócsa|Oroszlány|"
                                "Ödön|Sárga|Szabó|szeged|Tiszamenti|Ujhelyi|Ügyes|"
                                "Zemplén"));
}

TEST(Base, AStatementWithAFailedBindWritesNothingUntilReset) {
    Db d;
    ASSERT_TRUE(
        Statement(d.db, QStringLiteral("CREATE TABLE t (a TEXT NOT NULL DEFAULT 'x', b)")).exec());
    Statement insert(d.db, QStringLiteral("INSERT INTO t (b) VALUES (?)"));
    // Parameter 2 does not exist: the bind fails, and the insert must not
    // then run with its value missing.
    EXPECT_FALSE(insert.bind(2, 7).ok());
    EXPECT_FALSE(insert.exec().ok());
    EXPECT_EQ(insert.status().error().code, SQLITE_RANGE);
    Statement count(d.db, QStringLiteral("SELECT count(*) FROM t"));
    ASSERT_TRUE(count.next());
    EXPECT_EQ(count.int64(0), 0);

    insert.reset();
    insert.bind(1, 7);
    ASSERT_TRUE(insert.exec()) << insert.status().errorText().toStdString();
    Statement again(d.db, QStringLiteral("SELECT count(*) FROM t"));
    ASSERT_TRUE(again.next());
    EXPECT_EQ(again.int64(0), 1);
}
