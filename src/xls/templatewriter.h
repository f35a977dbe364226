#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vela::xls {

// One column of an empty workbook: its heading and whether it holds dates.
struct TemplateColumn {
    QString heading;
    bool date = false;
};

// Writes an empty Excel 8 workbook: one worksheet whose first row holds the
// column headings in bold, with column widths that fit them and a date
// format on the date columns, ready for Workbook::appendRows.
class TemplateWriter {
  public:
    // Fails with a Hungarian error text naming the file.
    [[nodiscard]] static Status write(const QString& path, const QString& sheetName,
                                      const std::vector<TemplateColumn>& columns);

    // The Workbook stream of such a workbook.
    static QByteArray workbookStream(const QString& sheetName,
                                     const std::vector<TemplateColumn>& columns);
};

}  // namespace vela::xls
