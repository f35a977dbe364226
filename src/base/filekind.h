#pragma once

#include <QByteArray>
#include <QString>

namespace vela {

// What a database file is, told by its first bytes: the programs' own SQLite
// files and the Access (Jet 3/4, ACE) files users bring from the old program.
enum class FileKind { Missing, Unreadable, Empty, Sqlite, Access, Other };

FileKind fileKindOfHeader(const QByteArray& head);
FileKind fileKind(const QString& path);

}  // namespace vela
