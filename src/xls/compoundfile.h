#pragma once

#include <QByteArray>
#include <QString>

namespace vela::xls {

// The OLE2 compound file around a workbook, read and written through libgsf:
// one stream is taken out or replaced, everything else is copied as it is.
class CompoundFile {
  public:
    enum class Status { Ok, NotCompound, NoStream, Damaged };

    // Reads the root stream called name (matched case-insensitively).
    static Status readStream(const QByteArray& file, const char* name, QByteArray* stream,
                             QString* detail);

    // Copies every storage and stream of file into *out, with replacement in
    // place of the root stream called name.
    static bool rewrite(const QByteArray& file, const char* name, const QByteArray& replacement,
                        QByteArray* out, QString* detail);

    // A new compound file with one root stream and the workbook class id.
    static bool create(const char* name, const QByteArray& stream, QByteArray* out,
                       QString* detail);
};

}  // namespace vela::xls
