#pragma once

#include <QString>

#include "base/result.h"

// File-system steps of the maintenance run. A failure is an Error with a
// readable Hungarian text.
namespace velarep::fileops {

// An exclusive advisory lock (flock) on `path`, refused at once when another
// process holds any lock on it. VelaData holds a shared one on every database
// it has open. The value is the descriptor holding the lock.
vela::Result<int> lockExclusive(const QString& path);
void unlock(int fd);

// Renames `from` to `to` without ever replacing an existing `to`.
[[nodiscard]] vela::Status moveNoReplace(const QString& from, const QString& to);

// Copies `from` to `to` (created or truncated, writable by the user whatever
// the template's permissions) and flushes it to disk.
[[nodiscard]] vela::Status copyDurable(const QString& from, const QString& to);

// Flushes a file's content to disk.
[[nodiscard]] vela::Status syncFile(const QString& path);

// Flushes a folder's entries (after renames) to disk; best effort.
void syncFolder(const QString& dir);

}  // namespace velarep::fileops
