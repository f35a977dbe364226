#pragma once

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
    // QVariant -> empty cell. Returns false with a Hungarian error text in
    // *error when the file cannot be written; the file is then unchanged.
    static bool appendRows(const QString& path, const std::vector<std::vector<QVariant>>& rows,
                           QString* error = nullptr);

    // Number of used rows of the first worksheet (the heading row included),
    // or -1 with *error set.
    static int rowCount(const QString& path, QString* error = nullptr);
};

}  // namespace vela::xls
