// vela-killtest: VelaRep (/s) over a data folder with a large ledger, killed
// with SIGKILL at random moments, and run on a full disk. After every kill it
// checks that no row is lost (each row is whole in the file in its place or
// in a backup folder) and that VelaData's open either gets a complete file or
// refuses it with a message; then a second, undisturbed run must bring every
// row back into place. Not a CTest test: it runs for minutes (scripts/killtest.sh).
//
//   vela-killtest [--kills N] [--rows R] [--seed S] [--work DIR] [--no-disk-full]

#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <map>

#include "storage/database.h"

namespace {

const QStringList kFiles = {"betarol.kdb", "veladata.mdb", "parameter.kdb", "LFakturo.mdb"};
// The table of each database whose rows are counted, and what VelaData requires.
const std::map<QString, QString> kCounted = {{"betarol.kdb", "beraktar"},
                                             {"veladata.mdb", "VelaData"},
                                             {"parameter.kdb", "EmblemaPath"},
                                             {"LFakturo.mdb", "OsszesSzamla"}};

void say(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

[[noreturn]] void die(const QString& text) {
    std::fprintf(stderr, "vela-killtest: %s\n", text.toUtf8().constData());
    std::exit(2);
}

bool exec(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK;
    char* err = nullptr;
    if (ok && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", err);
        ok = false;
    }
    sqlite3_close(db);
    return ok;
}

// A fingerprint of a table's rows: their count and a sum over every row's
// identifier and amount; -1 when the file cannot be read to the end.
struct Print {
    qint64 rows = -1;
    double sum = 0;
    bool operator==(const Print& o) const { return rows == o.rows && sum == o.sum; }
};

Print fingerprint(const QString& file, const QString& table) {
    Print p;
    if (!QFile::exists(file))
        return p;
    sqlite3* db = nullptr;
    const QByteArray uri = "file:" + QFile::encodeName(file) + "?mode=ro";
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) ==
        SQLITE_OK) {
        const QString sql = table == "VelaData"
                                ? "SELECT count(*), total(Netto + length(recordID)) FROM VelaData"
                                : QString(
                                      "SELECT count(*), total(length(quote(\"%1\".rowid))) "
                                      "FROM \"%1\"")
                                      .arg(table);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            p.rows = sqlite3_column_int64(st, 0);
            p.sum = sqlite3_column_double(st, 1);
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return p;
}

bool copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files)) {
        QFile::remove(to + "/" + f);
        if (!QFile::copy(from + "/" + f, to + "/" + f))
            return false;
        QFile::setPermissions(to + "/" + f, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    return true;
}

void removeFolder(const QString& dir) {
    QDir(dir).removeRecursively();
}

// A data folder with `rows` ledger rows and a few rows in the other databases.
void makeMaster(const QString& dir, const QString& templates, int rows) {
    removeFolder(dir);
    if (!copyFolder(templates, dir))
        die("the templates cannot be copied from " + templates);
    for (const QString& f : QDir(dir).entryList(QDir::Files)) {
        if (!kFiles.contains(f))
            QFile::remove(dir + "/" + f);
    }
    const QString ledger =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO VelaData (\"Sorszám\", Szamlaszam, CegNev, CegCim, Megnevezes, Netto, "
            "AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Devizanem, \"Kivezetés\", "
            "\"RészÖsszeg\", recordID, FIGYELEM, \"Részkiegyenlités\", \"FizetésMódja\") "
            "SELECT i, 'SZ-' || i, 'Partner ' || (i % 997), 'Budapest, Fő utca ' || (i % 120), "
            "'Áru és szolgáltatás', i * 1.5, 27, i * 1.905, "
            "date('2015-01-01', '+' || (i % 3000) || ' days'), "
            "date('2015-01-09', '+' || (i % 3000) || ' days'), "
            "date('2015-01-02', '+' || (i % 3000) || ' days'), 'HUF', "
            "CASE WHEN i % 3 = 0 THEN 'N' ELSE 'I' END, 0, printf('K%07d', i), 0, 0, "
            "CASE i % 4 WHEN 0 THEN 'átutalás' WHEN 1 THEN 'készpénzes' WHEN 2 THEN 'utánvét' "
            "ELSE 'nyugta' END FROM n")
            .arg(rows);
    if (!exec(dir + "/veladata.mdb", ledger) ||
        !exec(dir + "/betarol.kdb",
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
              "INSERT INTO beraktar (BerNev, recordID) SELECT 'Partner ' || i, i FROM n") ||
        !exec(dir + "/parameter.kdb",
              "INSERT INTO EmblemaPath (EmblemaPath, InterfacePath) VALUES ('logo.bmp', '/x')") ||
        !exec(dir + "/LFakturo.mdb",
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
              "INSERT INTO OsszesSzamla (\"Számlaszám\", \"Vevö\") SELECT i, 'Vevő ' || i FROM n"))
        die("the master data folder cannot be filled");
}

qint64 cpuTicks(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> parts = f.readAll().split(')').value(1).trimmed().split(' ');
    return parts.value(11).toLongLong() + parts.value(12).toLongLong();
}

bool tempFilesIn(const QString& dir) {
    return !QDir(dir).entryList({"*.velarep-tmp"}, QDir::Files | QDir::Hidden).isEmpty();
}

class VelaRep {
  public:
    VelaRep(const QString& program, const QString& dir, rlim_t fileSizeLimit = 0) {
        // One backup folder per second: a run never starts in its
        // predecessor's second.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        QThread::msleep(ulong(1000 - now % 1000 + 20));
        p_.setProgram(program);
        p_.setArguments({"/s"});
        p_.setWorkingDirectory(dir);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p_.setProcessEnvironment(env);
        p_.setStandardOutputFile(QProcess::nullDevice());
        p_.setStandardErrorFile(QProcess::nullDevice());
        if (fileSizeLimit > 0) {
            p_.setChildProcessModifier([fileSizeLimit] {
                rlimit rl{fileSizeLimit, fileSizeLimit};
                setrlimit(RLIMIT_FSIZE, &rl);
                signal(SIGXFSZ, SIG_IGN);
            });
        }
        p_.start();
        if (!p_.waitForStarted(10000))
            die("VelaRep does not start: " + program);
        dir_ = dir;
    }
    ~VelaRep() { kill(); }

    // Waits until the run sits at its end message (or a question): busy no
    // more, no temporary file left. Milliseconds taken.
    qint64 waitUntilIdle(int timeoutMs = 600000) {
        QElapsedTimer t;
        t.start();
        qint64 last = -2;
        int quiet = 0;
        while (t.elapsed() < timeoutMs && p_.state() == QProcess::Running) {
            QThread::msleep(250);
            const qint64 ticks = cpuTicks(p_.processId());
            quiet = ticks == last ? quiet + 1 : 0;
            last = ticks;
            // A question box can wait with a temporary file still there.
            if ((quiet >= 6 && !tempFilesIn(dir_)) || quiet >= 40)
                return t.elapsed() - quiet * 250;
        }
        return t.elapsed();
    }
    void kill() {
        if (p_.state() != QProcess::NotRunning) {
            ::kill(pid_t(p_.processId()), SIGKILL);
            p_.waitForFinished(10000);
        }
    }

  private:
    QProcess p_;
    QString dir_;
};

struct Figures {
    int kills = 0;
    qint64 rowsChecked = 0;
    qint64 rowsLost = 0;
    int halfFilledSeen = 0;
    int openedComplete = 0;
    int refusedWithMessage = 0;
    int refusedSilently = 0;
    int recoveredRuns = 0;
    int originalsBack = 0;  // runs that found the disk full and put the original back
};

QByteArray bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Rows of one database that are nowhere whole: neither in the file in its
// place nor in any backup folder.
qint64 lostRows(const QString& dir, const QString& file, const Print& expected) {
    Print best = fingerprint(dir + "/" + file, kCounted.at(file));
    if (best == expected)
        return 0;
    for (const QString& save : QDir(dir).entryList({"SAVE-*"}, QDir::Dirs)) {
        if (fingerprint(dir + "/" + save + "/" + file, kCounted.at(file)) == expected)
            return 0;
    }
    return expected.rows - qMax<qint64>(0, best.rows);
}

// VelaData's open in the data folder: a complete file or a refusal with a message.
void checkOpen(const QString& dir, const std::map<QString, Print>& expected, Figures& f) {
    const QString home = QDir::currentPath();
    QDir::setCurrent(dir);
    for (const QString& file : kFiles) {
        auto opened = vela::Database::open(file, {kCounted.at(file)});
        if (opened) {
            auto db = std::move(*opened);
            const auto quick = db->scalar("PRAGMA quick_check");
            const QString check = quick ? quick->toString() : quick.errorText();
            db.reset();
            if (check == "ok" &&
                fingerprint(dir + "/" + file, kCounted.at(file)) == expected.at(file))
                ++f.openedComplete;
            else {
                ++f.halfFilledSeen;
                say("  half-filled or damaged file opened: " + file);
            }
        } else if (!opened.errorText().isEmpty()) {
            ++f.refusedWithMessage;
        } else {
            ++f.refusedSilently;
        }
    }
    QDir::setCurrent(home);
}

bool runAndCheck(const QString& velarep, const QString& master, const QString& dir,
                 const std::map<QString, Print>& expected, Figures& f, int killAfterMs,
                 rlim_t fileSizeLimit = 0) {
    removeFolder(dir);
    if (!copyFolder(master, dir))
        die("cannot copy the master data folder to " + dir);
    {
        VelaRep run(velarep, dir, fileSizeLimit);
        if (killAfterMs >= 0)
            QThread::msleep(ulong(killAfterMs));
        else
            run.waitUntilIdle();
        run.kill();
    }
    ++f.kills;
    if (killAfterMs < 0 && bytes(dir + "/veladata.mdb") == bytes(master + "/veladata.mdb"))
        ++f.originalsBack;
    qint64 lost = 0;
    for (const QString& file : kFiles) {
        lost += lostRows(dir, file, expected.at(file));
        f.rowsChecked += expected.at(file).rows;
    }
    checkOpen(dir, expected, f);
    // The next, undisturbed run brings every row back into its place.
    qint64 lostAfter = 0;
    {
        VelaRep again(velarep, dir);
        again.waitUntilIdle();
    }
    for (const QString& file : kFiles) {
        const Print now = fingerprint(dir + "/" + file, kCounted.at(file));
        if (!(now == expected.at(file)))
            lostAfter += expected.at(file).rows - qMax<qint64>(0, now.rows);
    }
    if (lostAfter == 0)
        ++f.recoveredRuns;
    f.rowsLost += qMax(lost, lostAfter);
    return lost == 0 && lostAfter == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    auto option = [&](const QString& name, const QString& fallback) {
        const int i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const int kills = option("--kills", "100").toInt();
    const int rows = option("--rows", "100000").toInt();
    const quint32 seed =
        option("--seed", QString::number(QDateTime::currentSecsSinceEpoch())).toUInt();
    const QString work = option("--work", QDir::tempPath() + "/vela-killtest");
    const bool diskFull = !args.contains("--no-disk-full");
    const QString bin = QCoreApplication::applicationDirPath();
    const QString velarep = bin + "/VelaRep";
    const QString templates = bin + "/Data";

    QDir().mkpath(work);
    const QString master = work + "/master";
    const QString data = work + "/data";
    say(QStringLiteral("seed %1; making a data folder with %2 ledger rows").arg(seed).arg(rows));
    makeMaster(master, templates, rows);
    std::map<QString, Print> expected;
    for (const QString& file : kFiles)
        expected[file] = fingerprint(master + "/" + file, kCounted.at(file));

    // How long an undisturbed run takes: the kills fall anywhere inside it.
    removeFolder(data);
    copyFolder(master, data);
    qint64 runMs;
    {
        VelaRep probe(velarep, data);
        runMs = probe.waitUntilIdle();
    }
    say(QStringLiteral("an undisturbed run takes about %1 ms").arg(runMs));

    QRandomGenerator random(seed);
    Figures f;
    for (int i = 0; i < kills; ++i) {
        const int at = int(random.bounded(quint32(runMs * 11 / 10 + 1)));
        if (!runAndCheck(velarep, master, data, expected, f, at))
            say(QStringLiteral("  kill %1 at %2 ms: rows missing").arg(i + 1).arg(at));
        if ((i + 1) % 10 == 0)
            say(QStringLiteral("%1 kills done").arg(i + 1));
    }
    say(QStringLiteral("kills: %1\nrows checked: %2\nrows lost: %3\nhalf-filled files seen by "
                       "VelaData: %4\nfiles VelaData opened complete: %5\nrefused with a "
                       "message: %6\nrefused without one: %7\nundisturbed runs after a kill that "
                       "brought every row back: %8")
            .arg(f.kills)
            .arg(f.rowsChecked)
            .arg(f.rowsLost)
            .arg(f.halfFilledSeen)
            .arg(f.openedComplete)
            .arg(f.refusedWithMessage)
            .arg(f.refusedSilently)
            .arg(f.recoveredRuns));
    bool failed = f.rowsLost != 0 || f.halfFilledSeen != 0 || f.refusedSilently != 0;

    if (diskFull) {
        const qint64 dataBytes = [&] {
            qint64 n = 0;
            for (const QString& file : kFiles) n += QFileInfo(master + "/" + file).size();
            return n;
        }();
        // A full disk: a small tmpfs where mounting works, a file-size limit always.
        Figures d;
        const QString mountPoint = work + "/full";
        QDir().mkpath(mountPoint);
        const QByteArray options =
            QStringLiteral("size=%1").arg(dataBytes + dataBytes / 3 + (1 << 20)).toUtf8();
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                    options.constData()) == 0) {
            const bool ok = runAndCheck(velarep, master, mountPoint + "/data", expected, d, -1);
            ::umount(QFile::encodeName(mountPoint).constData());
            say(QStringLiteral("disk full (tmpfs of %1 bytes): %2")
                    .arg(options.constData(), ok ? "ok" : "ROWS MISSING"));
        } else {
            say("disk full: tmpfs cannot be mounted here; the file-size limit stands in");
        }
        const bool ok = runAndCheck(velarep, master, data, expected, d, -1,
                                    rlim_t(QFileInfo(master + "/veladata.mdb").size() / 2));
        say(QStringLiteral("disk full (file-size limit): %1").arg(ok ? "ok" : "ROWS MISSING"));
        say(QStringLiteral("disk-full runs: %1, rows checked: %2, rows lost: %3, half-filled "
                           "files seen: %4, refused with a message: %5, opened complete: %6, "
                           "original put back in its place: %7")
                .arg(d.kills)
                .arg(d.rowsChecked)
                .arg(d.rowsLost)
                .arg(d.halfFilledSeen)
                .arg(d.refusedWithMessage)
                .arg(d.openedComplete)
                .arg(d.originalsBack));
        failed = failed || d.rowsLost != 0 || d.halfFilledSeen != 0 || d.refusedSilently != 0;
    }
    removeFolder(data);
    return failed ? 1 : 0;
}
