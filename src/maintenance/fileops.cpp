#include "maintenance/fileops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace velarep::fileops {

namespace {

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// The system's own text (English) follows a Hungarian one for the failures
// a user can mend.
QString systemError(int err) {
    const QString system = QString::fromLocal8Bit(std::strerror(err));
    switch (err) {
        case ENOSPC:
            return QStringLiteral("nincs elég szabad hely a lemezen (%1)").arg(system);
        case EDQUOT:
            return QStringLiteral("betelt a lemezkvóta (%1)").arg(system);
        case EFBIG:
            return QStringLiteral("az állomány elérte a megengedett legnagyobb méretet (%1)")
                .arg(system);
        case EACCES:
        case EPERM:
            return QStringLiteral("nincs hozzá jogosultság (%1)").arg(system);
        case EROFS:
            return QStringLiteral("a lemez csak olvasható (%1)").arg(system);
        default:
            return system;
    }
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

vela::Result<int> lockExclusive(const QString& path) {
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return vela::Error{
            QStringLiteral("A(z) „%1” nem nyitható meg: %2").arg(native(path), systemError(errno))};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return vela::Error{
                QStringLiteral("A(z) „%1” adatbázist egy másik program (például a VelaData) "
                               "használja, ezért nem helyezhető át. Zárja be azt a programot, "
                               "és futtassa újra a karbantartást!")
                    .arg(native(path))};
        return vela::Error{
            QStringLiteral("A(z) „%1” nem zárolható: %2").arg(native(path), systemError(err))};
    }
    return fd;
}

void unlock(int fd) {
    if (fd >= 0)
        ::close(fd);
}

vela::Status moveNoReplace(const QString& from, const QString& to) {
    const QByteArray f = encoded(from);
    const QByteArray t = encoded(to);
    int rc = ::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the no-replace rename: a hard link refuses an
        // existing target the same way, and the old name goes only after.
        rc = ::link(f.constData(), t.constData());
        if (rc == 0)
            rc = ::unlink(f.constData());
    }
    if (rc != 0) {
        if (errno == EEXIST)
            return vela::Error{
                QStringLiteral("A(z) „%1” nem helyezhető át, mert a(z) „%2” már létezik.")
                    .arg(native(from), native(to))};
        return vela::Error{QStringLiteral("A(z) „%1” nem helyezhető át ide: „%2”: %3")
                               .arg(native(from), native(to), systemError(errno))};
    }
    return {};
}

vela::Status copyDurable(const QString& from, const QString& to) {
    const int in = ::open(encoded(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return vela::Error{
            QStringLiteral("A(z) „%1” nem olvasható: %2").arg(native(from), systemError(errno))};
    const int out = ::open(encoded(to).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return vela::Error{
            QStringLiteral("A(z) „%1” nem hozható létre: %2").arg(native(to), systemError(err))};
    }
    // O_TRUNC keeps the mode of a file left over by an earlier run.
    ::fchmod(out, 0644);
    QString error;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error =
                QStringLiteral("A(z) „%1” nem olvasható: %2").arg(native(from), systemError(errno));
            break;
        }
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(out, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0) {
                error =
                    QStringLiteral("A(z) „%1” nem írható: %2").arg(native(to), systemError(errno));
                break;
            }
            done += w;
        }
        if (!error.isEmpty())
            break;
    }
    if (error.isEmpty() && ::fsync(out) != 0)
        error = QStringLiteral("A(z) „%1” nem írható: %2").arg(native(to), systemError(errno));
    ::close(in);
    if (::close(out) != 0 && error.isEmpty())
        error = QStringLiteral("A(z) „%1” nem írható: %2").arg(native(to), systemError(errno));
    if (error.isEmpty())
        return {};
    ::unlink(encoded(to).constData());
    return vela::Error{error};
}

vela::Status syncFile(const QString& path) {
    const int fd = ::open(encoded(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString error =
            QStringLiteral("A(z) „%1” nem írható: %2").arg(native(path), systemError(errno));
        if (fd >= 0)
            ::close(fd);
        return vela::Error{error};
    }
    ::close(fd);
    return {};
}

void syncFolder(const QString& dir) {
    const int fd = ::open(encoded(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace velarep::fileops
