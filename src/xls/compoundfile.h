#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>

namespace vela::xls {

// The OLE2 compound file around a workbook, read and written through libgsf:
// one stream is taken out or replaced, everything else is copied as it is.
class CompoundFile {
  public:
    // The Error::code of a readStream that failed tells why: the file is no
    // compound file, or the stream is there but cannot be read; both count
    // as Error::damaged(). No root stream of that name is code 0.
    static constexpr int kNotCompound = 26;
    static constexpr int kDamaged = 11;
    static constexpr int kNoStream = 0;

    // Reads the root stream called name (matched case-insensitively).
    static Result<QByteArray> readStream(const QByteArray& file, const char* name);

    // Copies every storage and stream of file into a new compound file, with
    // replacement in place of the root stream called name.
    static Result<QByteArray> rewrite(const QByteArray& file, const char* name,
                                      const QByteArray& replacement);

    // A new compound file with one root stream and the workbook class id.
    static Result<QByteArray> create(const char* name, const QByteArray& stream);
};

}  // namespace vela::xls
