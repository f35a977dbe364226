#pragma once

#include <QString>

// File-system steps of the maintenance run. Each returns an empty text on
// success and a readable Hungarian error text otherwise.
namespace velarep::fileops {

// An exclusive advisory lock (flock) on `path`, refused at once when another
// process holds any lock on it. VelaData holds a shared one on every database
// it has open. On success *fd is the descriptor holding the lock.
QString lockExclusive(const QString& path, int* fd);
void unlock(int fd);

// Renames `from` to `to` without ever replacing an existing `to`.
QString moveNoReplace(const QString& from, const QString& to);

// Copies `from` to `to` (created or truncated, writable by the user whatever
// the template's permissions) and flushes it to disk.
QString copyDurable(const QString& from, const QString& to);

// Flushes a file's content to disk.
QString syncFile(const QString& path);

// Flushes a folder's entries (after renames) to disk; best effort.
void syncFolder(const QString& dir);

}  // namespace velarep::fileops
