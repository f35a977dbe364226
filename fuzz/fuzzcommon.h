// What the fuzz targets share: a quiet Qt, a scratch folder for the readers
// that take a path, and the seed mode (VELA_FUZZ_SEEDS=<folder>).
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Starts Qt without messages. When VELA_FUZZ_SEEDS names a folder, calls
// makeSeeds with it and ends the process.
template <class App, class MakeSeeds>
void start(int* argc, char*** argv, MakeSeeds makeSeeds) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*=false");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static App app(*argc, *argv);
    const QString seeds = QString::fromLocal8Bit(qgetenv("VELA_FUZZ_SEEDS"));
    if (!seeds.isEmpty()) {
        QDir().mkpath(seeds);
        const int made = makeSeeds(QDir(seeds));
        std::fprintf(stderr, "%d seeds written to %s\n", made, qPrintable(seeds));
        std::exit(made > 0 ? 0 : 1);
    }
}

// A scratch folder in memory when there is one, removed at exit.
inline QString scratchDir() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/vela-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/vela-fuzz-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    return dir.path();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A finding that is no crash: a broken promise of the code under test.
#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

}  // namespace fuzz
