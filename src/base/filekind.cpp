#include "base/filekind.h"

#include <QFile>
#include <QFileInfo>

namespace vela {

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
    const QFileInfo fi(path);
    if (!fi.exists())
        return FileKind::Missing;
    QFile f(path);
    if (fi.isDir() || !f.open(QIODevice::ReadOnly))
        return FileKind::Unreadable;
    return fileKindOfHeader(f.read(32));
}

}  // namespace vela
