#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Walks the records of a Workbook stream from offset to the EOF that closes
// the substream begun there: (position, record type) of each.
std::vector<std::pair<quint32, quint16>> recordsOf(const QByteArray& stream, quint32 offset);

// Checks that every BOUNDSHEET of a workbook file points at a BOF and every
// INDEX entry at a DBCELL record (gtest expectations); returns the number of
// INDEX records of each sheet.
std::vector<int> checkSheets(const QByteArray& file);

// The used rows of a workbook's first sheet; -1, with a test failure, when
// the workbook cannot be read.
int usedRows(const QString& path);
