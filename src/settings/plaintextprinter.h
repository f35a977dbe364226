#pragma once

#include "base/result.h"

#include <QString>

class QTextDocument;

namespace vela {

class PrinterService;

// Prints a viewer's text as bare characters: one plain font, no colours,
// no pictures, broken into pages by the printer's page size.
class PlainTextPrinter {
  public:
    // The characters of doc as they are printed: pictures left out.
    static QString printableText(const QTextDocument& doc);
    // One print job; fails with the printer's error when it could not print.
    [[nodiscard]] static Status print(PrinterService* printer, const QString& text);
};

}  // namespace vela
