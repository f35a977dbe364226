#pragma once

#include <QDataStream>
#include <QtGlobal>

// What the Jet reading helper (vela-jetreader) and JetReader say to each other:
// the helper writes one QDataStream to its standard output, a magic number
// followed by tagged records, and ends with an end or an error record.
namespace vela::JetProtocol {

constexpr quint32 kMagic = 0x564A5231;  // "VJR1"
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

enum Tag : qint8 {
    TagTables = 'T',   // QStringList of the user tables
    TagColumns = 'C',  // qint32 n, then n × (QString name, qint32 Jet type, QString type name)
    TagRow = 'R',      // QVariantList, one value per column announced
    TagStored = 'N',   // qint64 the table's stored row count, when it differs from the rows sent
    TagEnd = 'E',      // qint64 rows written
    TagError = 'X',    // QString readable text
};

// Exit codes of the helper besides 0.
constexpr int kExitError = 2;  // an error record was written
constexpr int kExitUsage = 3;  // wrong command line

}  // namespace vela::JetProtocol
