#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

#include "base/result.h"

namespace vela {

// Makes SQLite stand-ins for the invoicing program's database, for the demo
// data, the tests and the benchmarks: the six document tables with the
// fourteen columns the import reads, an index on SZAMLASOR, nothing more.
class StandInDatabase {
  public:
    // The column definitions, in order, as "NAME TYPE".
    static QStringList columnDefinitions();
    // Creates the file with the six empty tables; an existing file is an error.
    [[nodiscard]] static Status create(const QString& path);
    // Appends item lines (14 values each, in column order; a QDate is written
    // as 'YYYY-MM-DD') to table, in one transaction, in the order given.
    [[nodiscard]] static Status appendLines(const QString& path, const QString& table,
                                            const std::vector<QVariantList>& lines);
};

}  // namespace vela
