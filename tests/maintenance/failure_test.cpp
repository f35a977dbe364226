// Runs that meet errors: a full disk, a missing template folder, a FIFO in a
// database's place, a database missing while an earlier backup holds it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <thread>

#include "common/tempdatafolder.h"
#include "maintenance/maintenancerun.h"
#include "reptesthelpers.h"

using velarep::MaintenanceRun;
using velarep::RepDialogService;

namespace {

const QStringList kFiles = {"betarol.kdb", "veladata.mdb", "parameter.kdb", "LFakturo.mdb"};
const QDateTime kStart(QDate(2024, 7, 1), QTime(9, 30, 0));
const QString kBackup = QStringLiteral("SAVE-20240701-093000");
const QString kEnd = QString::fromUtf8("Karbantartás vége! (Esc kilép)");
const QString kEndWithErrors = QString::fromUtf8("A karbantartás hibákkal ért véget! (Esc kilép)");
const QString kAllUntouched = QString::fromUtf8(
    "Érintetlenül a helyén maradt: betarol.kdb, veladata.mdb, parameter.kdb, LFakturo.mdb");

struct Runner {
    explicit Runner(const QString& templateDir = TempDataFolder::templateDir())
        : run(templateDir, dialogs, &view) {
        run.setClock([] { return kStart; });
        // Yes is the default button: the user who presses Enter at every question.
        for (int i = 0; i < 20; ++i) dialogs.answers << true;
    }
    QString endText() const {
        return dialogs.boxes.isEmpty() ? QString() : dialogs.boxes.last().text;
    }
    ScriptedRepDialogs dialogs;
    RecordingView view;
    MaintenanceRun run;
};

// The user's rows, table by table, as fillUserRows() lays them in.
QStringList userRowCounts(const QString& dir) {
    const QDir d(dir);
    auto n = [&](const char* file, const char* table) {
        const QString f = d.filePath(file);
        return QStringLiteral("%1/%2=%3")
            .arg(file, table)
            .arg(QFile::exists(f) ? sql::count(f, table) : -1);
    };
    return {n("betarol.kdb", "beraktar"), n("veladata.mdb", "VelaData"),
            n("veladata.mdb", "VelanakData"), n("parameter.kdb", "EmblemaPath"),
            n("LFakturo.mdb", "OsszesSzamla")};
}
const QStringList kUserRows = {"betarol.kdb/beraktar=2", "veladata.mdb/VelaData=3",
                               "veladata.mdb/VelanakData=2", "parameter.kdb/EmblemaPath=1",
                               "LFakturo.mdb/OsszesSzamla=2"};

QStringList saveFolders() {
    return QDir().entryList({"SAVE-*"}, QDir::Dirs | QDir::NoDotAndDotDot);
}

// Opens the write end of a FIFO when a call has waited on its read end too
// long, so that a test of a hang fails instead of hanging.
class FifoWatchdog {
  public:
    explicit FifoWatchdog(QString path) : path_(std::move(path)) {
        thread_ = std::thread([this] {
            for (int i = 0; i < 100 && !done_; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (done_)
                return;
            fired_ = true;
            const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
    }
    ~FifoWatchdog() { stop(); }
    // True when the watched call had to be freed.
    bool stop() {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        return fired_;
    }

  private:
    QString path_;
    std::atomic<bool> done_{false}, fired_{false};
    std::thread thread_;
};

// A data folder with the user's rows on a disk that is full but for `free`
// bytes: a small tmpfs of its own where the process may mount one (root, as
// in CI), otherwise a limit on the size of the files the process writes,
// which fails the same writes.
class FullDiskFolder {
  public:
    explicit FullDiskFolder(qint64 free) : free_(free), previousDir_(QDir::currentPath()) {
        disk_ = QDir(scratch_.path()).filePath("disk");
        QDir().mkpath(disk_);
        if (::unshare(CLONE_NEWNS) == 0)
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        mounted_ = ::mount("tmpfs", QFile::encodeName(disk_).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV, "size=4m") == 0;
        data_ = QDir(disk_).filePath("data");
        QDir().mkpath(data_);
        for (const QString& f : kFiles) {
            QFile::copy(QDir(TempDataFolder::templateDir()).filePath(f), QDir(data_).filePath(f));
            QFile::setPermissions(QDir(data_).filePath(f),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        QDir::setCurrent(data_);
        fillUserRows();
        for (const QString& f : kFiles) before_[f] = readFile(f);
        if (mounted_)
            fill();
    }
    ~FullDiskFolder() {
        QDir::setCurrent(previousDir_);
        if (mounted_)
            ::umount2(QFile::encodeName(disk_).constData(), MNT_DETACH);
    }

    // Runs with the disk full (or the file-size limit on).
    bool run(MaintenanceRun& r) {
        if (mounted_)
            return r.run();
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old;
        limited.rlim_cur = rlim_t(free_);
        ::setrlimit(RLIMIT_FSIZE, &limited);
        const bool completed = r.run();
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        return completed;
    }
    QByteArray before(const QString& f) const { return before_.value(f); }
    bool mounted() const { return mounted_; }

  private:
    // Writes a filler beside the data folder until the disk is full, then
    // gives back `free` bytes of it.
    void fill() {
        const QByteArray filler = QDir(disk_).filePath("filler").toLocal8Bit();
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'x');
        qint64 size = 0;
        while (::write(fd, block.constData(), size_t(block.size())) == block.size())
            size += block.size();
        ASSERT_EQ(::ftruncate(fd, off_t(qMax<qint64>(0, size - free_))), 0);
        ::close(fd);
    }

    QTemporaryDir scratch_;
    qint64 free_;
    QString previousDir_, disk_, data_;
    bool mounted_ = false;
    QMap<QString, QByteArray> before_;
};

}  // namespace

// Whatever the answers, every database is afterwards either rebuilt with its
// rows (its original whole in the backup folder) or in its place as it was;
// the end message says which, and no empty backup folder is left behind.
TEST(FailedRun, FullDiskLosesNoDatabase) {
    struct Case {
        const char* name;
        qint64 free;
    };
    for (const Case& c : {Case{"64 K free", 64 * 1024}, Case{"no room at all", 0}}) {
        SCOPED_TRACE(c.name);
        FullDiskFolder disk(c.free);
        Runner r;
        EXPECT_TRUE(disk.run(r.run));
        EXPECT_EQ(userRowCounts("."), kUserRows);
        QStringList rebuilt;
        for (const QString& f : kFiles) {
            if (readFile(f) == disk.before(f))
                continue;
            rebuilt << f;
            EXPECT_EQ(readFile(kBackup + "/" + f), disk.before(f)) << f.toStdString();
        }
        for (const QString& save : saveFolders())
            EXPECT_FALSE(QDir(save).isEmpty()) << save.toStdString();
        EXPECT_FALSE(entries(".").join(' ').contains("velarep-tmp"))
            << entries(".").join(' ').toStdString();
        EXPECT_TRUE(r.endText().startsWith(kEndWithErrors + "\n\n")) << r.endText().toStdString();
        EXPECT_EQ(r.dialogs.boxes.last().icon, RepDialogService::Icon::Critical);
        EXPECT_TRUE(r.endText().contains(QString::fromUtf8("nincs elég szabad hely a lemezen")) ||
                    r.endText().contains(QString::fromUtf8("megengedett legnagyobb méretet")))
            << r.endText().toStdString();
        if (c.free == 0) {
            EXPECT_TRUE(rebuilt.isEmpty());
            EXPECT_TRUE(saveFolders().isEmpty());
            EXPECT_TRUE(r.endText().contains(kAllUntouched)) << r.endText().toStdString();
        }
    }
}

// Enter at each of the four questions moves nothing: without a template there
// is nothing to take a file's place.
TEST(FailedRun, MissingTemplateFolderLeavesEveryFileInPlace) {
    TempDataFolder data;
    fillUserRows();
    QMap<QString, QByteArray> before;
    for (const QString& f : kFiles) before[f] = readFile(f);
    Runner r(QDir(data.path()).filePath("nincs-ilyen-mappa"));
    EXPECT_TRUE(r.run.run());
    ASSERT_EQ(r.dialogs.questions(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(r.dialogs.boxes[i].text.contains(
            QString::fromUtf8(
                "A(z) „%1” nem került a mentési mappába, érintetlenül a helyén marad.")
                .arg(kFiles[i])))
            << r.dialogs.boxes[i].text.toStdString();
    for (const QString& f : kFiles) EXPECT_EQ(readFile(f), before[f]) << f.toStdString();
    EXPECT_TRUE(saveFolders().isEmpty());
    EXPECT_TRUE(r.endText().startsWith(
        kEndWithErrors +
        QString::fromUtf8(
            "\n\nHibák:\nbetarol.kdb: A(z) „betarol.kdb” sablon adatbázis nem található")))
        << r.endText().toStdString();
    EXPECT_TRUE(r.endText().contains(kAllUntouched));

    // No at the first question stops the run, and says so.
    Runner stopped(QDir(data.path()).filePath("nincs-ilyen-mappa"));
    stopped.dialogs.answers.clear();
    EXPECT_FALSE(stopped.run.run());
    EXPECT_EQ(stopped.dialogs.questions(), 1);
    EXPECT_TRUE(
        stopped.endText().startsWith(QString::fromUtf8("A karbantartás leállt! (Esc kilép)")));
    EXPECT_TRUE(stopped.endText().contains(kAllUntouched)) << stopped.endText().toStdString();
    EXPECT_TRUE(saveFolders().isEmpty());
}

// A FIFO in a database's place is told by its kind and never opened.
TEST(FailedRun, FifoInADatabasesPlaceIsLeftAlone) {
    TempDataFolder data;
    fillUserRows();
    ASSERT_TRUE(QFile::remove("LFakturo.mdb"));
    ASSERT_EQ(::mkfifo("LFakturo.mdb", 0600), 0);
    FifoWatchdog watchdog(data.file("LFakturo.mdb"));
    Runner r;
    EXPECT_TRUE(r.run.run());
    EXPECT_FALSE(watchdog.stop());
    EXPECT_EQ(r.dialogs.questions(), 1);
    EXPECT_TRUE(r.dialogs.boxes[0].text.contains(
        QString::fromUtf8("A(z) „LFakturo.mdb” nem adatbázis-állomány, hanem csővezeték (FIFO)")))
        << r.dialogs.boxes[0].text.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat("LFakturo.mdb", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
    EXPECT_EQ(entries(kBackup), QStringList({"betarol.kdb", "parameter.kdb", "veladata.mdb"}));
    EXPECT_TRUE(
        r.endText().contains(QString::fromUtf8("Érintetlenül a helyén maradt: LFakturo.mdb")))
        << r.endText().toStdString();
}

// A database missing from the data folder while an earlier run's backup
// folder holds it: the run says so and, on Yes, its rows come back.
TEST(FailedRun, MissingDatabaseIsOfferedBackFromTheNewestBackup) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        TempDataFolder data;
        fillUserRows();
        // The older folder holds a copy of its own; the newer one is offered.
        ASSERT_TRUE(QDir().mkdir("SAVE-20240101-080000"));
        ASSERT_TRUE(QDir().mkdir("SAVE-20240601-080000"));
        ASSERT_TRUE(QFile::copy(TempDataFolder::templateDir() + "/veladata.mdb",
                                "SAVE-20240101-080000/veladata.mdb"));
        ASSERT_TRUE(QFile::rename("veladata.mdb", "SAVE-20240601-080000/veladata.mdb"));
        const QByteArray saved = readFile("SAVE-20240601-080000/veladata.mdb");

        Runner r;
        r.dialogs.answers = {yes};
        EXPECT_TRUE(r.run.run());
        ASSERT_EQ(r.dialogs.questions(), 1);
        EXPECT_EQ(
            r.dialogs.boxes[0].text,
            QString::fromUtf8("A(z) „veladata.mdb” adatbázis hiányzik az adatmappából, de a(z) "
                              "„SAVE-20240601-080000” mentési mappában megvan egy példánya.\n\n"
                              "Visszahozza onnan? (Igen: a sorai átkerülnek a friss "
                              "adatbázisba; Nem: üres adatbázis kerül a helyére.)"));
        EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), yes ? 3 : 0);
        EXPECT_EQ(sql::count("veladata.mdb", "VelanakData"), yes ? 2 : 0);
        EXPECT_EQ(readFile("SAVE-20240601-080000/veladata.mdb"), saved);
        EXPECT_TRUE(r.endText().endsWith(
            yes ? QString::fromUtf8(
                      "veladata.mdb: hiányzott az adatmappából; a(z) "
                      "„SAVE-20240601-080000” mappában mentett példányából épült újra.")
                : QString::fromUtf8(
                      "veladata.mdb: hiányzott az adatmappából; üres adatbázis került "
                      "a helyére, a(z) „SAVE-20240601-080000” mappában mentett "
                      "példánya ott marad.")))
            << r.endText().toStdString();
    }
}
