#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace vela {

// Reads Rich Text Format into a QTextDocument: text in the file's code page
// or as \u characters, character and paragraph formatting, tables and PNG or
// JPEG pictures. Damaged input is read as far as it goes and never crashes
// or hangs the reader; only data that is not RTF at all is refused.
class RtfReader {
  public:
    // Replaces the content of doc. Fails with a readable Hungarian text
    // when data does not start as an RTF document.
    [[nodiscard]] static Status read(const QByteArray& data, QTextDocument* doc);
    // The same for a file; a missing or unreadable file is an error too.
    [[nodiscard]] static Status readFile(const QString& path, QTextDocument* doc);

    // Files larger than this are refused rather than read.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
};

}  // namespace vela
