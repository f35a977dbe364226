#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <thread>

#include "common/tempdatafolder.h"
#include "import/invoicesource.h"
#include "import/jetreader.h"
#include "import/standinreader.h"
#include "storage/database.h"

using vela::InvoiceSource;
using vela::JetReader;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray sharedBytes(const char* name) {
    QFile f(TempDataFolder::sharedTestData(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QByteArray randomBytes(qsizetype n, quint32 seed) {
    QRandomGenerator gen(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (char& c : b) c = char(gen.bounded(256));
    return b;
}

// Opens dir's LFAKTURO.MDB and reads every document table as the import does;
// the first error's text, or "" when all went through.
QString importError(const QString& dir) {
    auto src = InvoiceSource::open(dir);
    if (!src)
        return src.errorText();
    for (const QString& table : InvoiceSource::documentTables()) {
        if (const auto any = (*src)->hasRows(table); !any)
            return any.errorText();
        if (const auto rows = (*src)->groupedRows(table, 1); !rows)
            return rows.errorText();
    }
    return {};
}

}  // namespace

TEST(BadFileTest, NoFileEmptyFileDirectoryAndRandomBytes) {
    QTemporaryDir dir;
    QString err = importError(dir.path());
    EXPECT_TRUE(err.contains("LFAKTURO.MDB") && err.contains(QString::fromUtf8("nem található")))
        << err.toStdString();

    err = importError(dir.filePath("nincs-ilyen-mappa"));
    EXPECT_TRUE(err.contains("LFAKTURO.MDB")) << err.toStdString();

    writeFile(dir.filePath("LFAKTURO.MDB"), {});
    err = importError(dir.path());
    EXPECT_TRUE(err.contains("LFAKTURO.MDB") && err.contains(QString::fromUtf8("üres")))
        << err.toStdString();

    writeFile(dir.filePath("LFAKTURO.MDB"), randomBytes(100000, 7));
    err = importError(dir.path());
    EXPECT_TRUE(err.contains("LFAKTURO.MDB") && err.contains("sem Access, sem SQLite"))
        << err.toStdString();

    QFile::setPermissions(dir.filePath("LFAKTURO.MDB"), QFileDevice::Permissions());
    if (!QFileInfo(dir.filePath("LFAKTURO.MDB")).isReadable()) {  // not when run as root
        err = importError(dir.path());
        EXPECT_TRUE(err.contains("LFAKTURO.MDB") && err.contains("jogosultság"))
            << err.toStdString();
    }

    QFile::remove(dir.filePath("LFAKTURO.MDB"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("LFakturo.mdb"));
    err = importError(dir.path());
    EXPECT_TRUE(err.contains("LFakturo.mdb") && err.contains("mappa")) << err.toStdString();
}

// A FIFO (or any file that is not a regular one) where a database should be
// is refused at once with a message naming it: opening it for reading would
// wait for a writer. A watchdog writes to it if an opener does wait.
TEST(BadFileTest, FifoInTheDatabasesPlaceIsRefusedAtOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath("LFAKTURO.MDB");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const QString expected = QString::fromUtf8(
        "A(z) „LFAKTURO.MDB” nem adatbázis-állomány, hanem csővezeték (FIFO), ezért nem nyitható "
        "meg.");
    const std::vector<std::pair<const char*, std::function<QString()>>> openers = {
        {"import", [&] { return importError(dir.path()); }},
        {"jet reader", [&] { return JetReader::open(path).errorText(); }},
        {"stand-in reader", [&] { return vela::StandInReader::open(path).errorText(); }},
        {"database", [&] { return vela::Database::openPath(path, {}, true).errorText(); }},
    };
    for (const auto& [name, open] : openers) {
        std::atomic<bool> done{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 100 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (done)
                return;
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            ADD_FAILURE() << name << " waited on the FIFO";
            if (fd >= 0)
                ::close(fd);
        });
        const QString err = open();
        done = true;
        watchdog.join();
        EXPECT_TRUE(err.startsWith(expected)) << name << ": " << err.toStdString();
    }
}

TEST(BadFileTest, DamagedSQLiteFile) {
    QTemporaryDir dir;
    QByteArray bytes("SQLite format 3\0", 16);
    bytes += randomBytes(8192, 11);
    writeFile(dir.filePath("LFAKTURO.MDB"), bytes);
    const QString err = importError(dir.path());
    EXPECT_TRUE(err.contains("LFAKTURO.MDB")) << err.toStdString();
}

TEST(BadFileTest, JetFileWithoutTheDocumentTables) {
    QTemporaryDir dir;
    writeFile(dir.filePath("LFAKTURO.MDB"), sharedBytes("northwind-jet3.mdb"));
    const QString err = importError(dir.path());
    EXPECT_TRUE(err.contains("LFAKTURO.MDB") && err.contains("SZAMLA")) << err.toStdString();
}

TEST(BadFileTest, JetFileCutInHalf) {
    QTemporaryDir dir;
    const QByteArray whole = sharedBytes("northwind-jet3.mdb");
    const QString path = dir.filePath("half.mdb");
    writeFile(path, whole.left(whole.size() / 2));
    auto r = JetReader::open(path);
    ASSERT_TRUE(r) << r.errorText().toStdString();  // the header is whole
    const auto listed = (*r)->tables();
    const QStringList tables =
        listed ? *listed : QStringList{"Order Details", "Orders", "Customers", "Umsätze"};
    int failed = 0;
    for (const QString& t : tables) {
        const auto table = (*r)->read(t);
        if (!table) {
            ++failed;
            EXPECT_TRUE(table.errorText().contains("half.mdb")) << table.errorText().toStdString();
        } else if (t == "Order Details") {
            // What reads at all must read whole, never a silently short table.
            EXPECT_EQ(table->rows.size(), 2155u);
        }
    }
    EXPECT_GT(failed, 0);
}

TEST(BadFileTest, JetHeaderOverRandomPagesNeverCrashes) {
    // Valid-looking headers over garbage: whatever libmdb makes of it, the
    // answer is a result, and an error one names the file.
    QTemporaryDir dir;
    for (const char* name : {"northwind-jet3.mdb", "datetest-jet4.mdb"}) {
        const QByteArray real = sharedBytes(name);
        for (quint32 seed = 1; seed <= 4; ++seed) {
            const qsizetype page = real.at(0x14) == 0 ? 2048 : 4096;
            QByteArray bytes = real.left(page);
            if (seed % 2 == 0)
                bytes += real.mid(page, 2 * page);  // keep the catalog's first pages
            bytes += randomBytes(page * 40, seed);
            const QString path = dir.filePath(QStringLiteral("garbage%1.mdb").arg(seed));
            writeFile(path, bytes);
            auto r = JetReader::open(path);
            ASSERT_TRUE(r) << r.errorText().toStdString();
            const auto tables = (*r)->tables();
            if (!tables) {
                EXPECT_TRUE(tables.errorText().contains(QStringLiteral("garbage%1.mdb").arg(seed)))
                    << tables.errorText().toStdString();
                continue;
            }
            for (const QString& t : *tables + QStringList{"SZAMLA"}) {
                if (const auto table = (*r)->read(t); !table) {
                    EXPECT_TRUE(table.errorText().contains("garbage"))
                        << table.errorText().toStdString();
                }
            }
        }
    }
}

TEST(BadFileTest, FileThatSendsLibmdbRoundInCirclesIsStopped) {
    // One byte of the catalog changed is enough to make libmdb loop for ever.
    QTemporaryDir dir;
    QByteArray bytes = sharedBytes("datetest-jet4.mdb");
    ASSERT_EQ(bytes.at(0x24ea2), 0);
    bytes[0x24ea2] = 34;
    const QString path = dir.filePath("LFAKTURO.MDB");
    writeFile(path, bytes);
    JetReader::setTimeout(2000);
    const QString err = importError(dir.path());
    JetReader::setTimeout(0);
    EXPECT_TRUE(err.contains("LFAKTURO.MDB") && err.contains(QString::fromUtf8("időben")))
        << err.toStdString();
}
