#pragma once

#include <QByteArray>
#include <QString>

namespace vela {

// What a database file is, told by its first bytes: the programs' own SQLite
// files and the Access (Jet 3/4, ACE) files users bring from the old program.
// Special is anything in the file's place that is not a regular file (a FIFO,
// a socket, a device): opening one for reading can wait forever for a writer,
// so it is told by its kind alone and never opened.
enum class FileKind { Missing, Unreadable, Empty, Sqlite, Access, Other, Special };

FileKind fileKindOfHeader(const QByteArray& head);
FileKind fileKind(const QString& path);

// When path names something that is not a regular file (a folder, a FIFO, a
// socket, a device), the Hungarian sentence naming the file and what it is;
// empty for a regular file and for a missing one. Every opener of a user's
// file asks this first.
QString notRegularFileText(const QString& path);

}  // namespace vela
