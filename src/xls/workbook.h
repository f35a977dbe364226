#pragma once

#include "base/result.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace vela::xls {

// An Excel 8 (BIFF8) workbook on disk, to which rows are appended below the
// rows already in its first worksheet. Everything else of the file (other
// sheets and streams, fonts, formats, column widths, the heading row) is kept.
// The new file is written beside the old one and renamed over it only when
// complete, so a failure leaves the original untouched.
class Workbook {
  public:
    // Appends rows below the last used row of the first worksheet. Values by
    // kind: double and whole numbers -> number, QString -> text, QDate and
    // QDateTime -> date (a number with a date format), bool -> boolean, a null
    // QVariant -> empty cell. Fails with a Hungarian error text when the
    // file cannot be written; the file is then unchanged.
    [[nodiscard]] static Status appendRows(const QString& path,
                                           const std::vector<std::vector<QVariant>>& rows);

    // Number of used rows of the first worksheet (the heading row included).
    static Result<int> rowCount(const QString& path);

    // Whether appendRows would take rowsToAdd more rows: the file is there,
    // writable, not in use, a readable Excel 8 workbook with room for them.
    // Nothing is written; fails with the same Hungarian text appendRows gives.
    [[nodiscard]] static Status canAppend(const QString& path, qsizetype rowsToAdd);

    // Whether someone has the workbook open: LibreOffice's lock file beside
    // it, or an advisory lock held by another writer. A spreadsheet program
    // that has the file open does not stop a copy over it, so whoever
    // replaces the file asks this first.
    static bool inUse(const QString& path);

    // Puts a copy of templatePath in place of path (which need not exist),
    // whole or not at all; refused while the workbook is in use. Fails with
    // a Hungarian error text when the copy could not be made.
    [[nodiscard]] static Status resetFrom(const QString& templatePath, const QString& path);

    // Whether appendRows stores the value as it is: false for a number that
    // is not finite, a text longer than a cell holds (32 767 characters), an
    // invalid date and a value of a kind with no text form.
    static bool storable(const QVariant& value);
};

}  // namespace vela::xls
