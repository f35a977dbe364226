#pragma once

#include <QByteArray>
#include <QString>

namespace vela {

// Turns the 8-bit text of an RTF file into Unicode. The Central European
// (1250) and Western (1252) Windows pages are built in, so Hungarian files
// read the same on every machine; other pages go through Qt's converters
// when the system has them and fall back to 1252 otherwise.
class CodePage {
  public:
    static QString decode(int codePage, const QByteArray& bytes);
    // The code page a font's \fcharset names; 0 when the charset means
    // "the document's own page" (or is unknown).
    static int forCharset(int charset);
};

}  // namespace vela
