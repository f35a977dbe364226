#include "base/filekind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace vela {

namespace {

// What a file of this mode is, in words; empty for a regular file.
QString kindName(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("mappa");
    if (S_ISFIFO(mode))
        return QStringLiteral("csővezeték (FIFO)");
    if (S_ISSOCK(mode))
        return QStringLiteral("socket");
    if (S_ISCHR(mode))
        return QStringLiteral("karakteres eszköz");
    if (S_ISBLK(mode))
        return QStringLiteral("blokkeszköz");
    return QStringLiteral("nem közönséges állomány");
}

}  // namespace

FileKind fileKindOfHeader(const QByteArray& head) {
    if (head.isEmpty())
        return FileKind::Empty;
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return FileKind::Sqlite;
    // An Access file: a fixed lead, the engine's name, then its version byte.
    if (head.size() >= 0x15 && head.startsWith(QByteArray("\x00\x01\x00\x00", 4))) {
        const QByteArray sig = head.mid(4, 16);
        if (sig == QByteArray("Standard Jet DB\0", 16) ||
            sig == QByteArray("Standard ACE DB\0", 16))
            return FileKind::Access;
    }
    return FileKind::Other;
}

FileKind fileKind(const QString& path) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unreadable;
    if (S_ISDIR(st.st_mode))
        return FileKind::Unreadable;
    if (!S_ISREG(st.st_mode))
        return FileKind::Special;
    // Without waiting, and checked again on the open descriptor: a FIFO put
    // in the file's place after the look above must not hold the caller.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileKind::Unreadable;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? FileKind::Unreadable : FileKind::Special;
    }
    QByteArray head(32, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, size_t(head.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    head.truncate(got);
    return fileKindOfHeader(head);
}

QString notRegularFileText(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    const QString kind = kindName(st.st_mode);
    if (kind.isEmpty())
        return {};
    return QStringLiteral("A(z) „%1” nem adatbázis-állomány, hanem %2, ezért nem nyitható meg.")
        .arg(QFileInfo(path).fileName(), kind);
}

}  // namespace vela
