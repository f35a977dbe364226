#pragma once

#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

#include "base/connection.h"
#include "base/result.h"

namespace vela {

// Reads the SQLite stand-in for the invoicing program's database, opened read
// only: the same six document tables and fourteen columns as the Access file,
// dates as 'YYYY-MM-DD' text. "Last line of an invoice" is its line with the
// highest rowid, the order in which the lines were written.
class StandInReader {
  public:
    using Row = QVariantList;

    ~StandInReader();
    StandInReader(const StandInReader&) = delete;
    StandInReader& operator=(const StandInReader&) = delete;

    static Result<std::unique_ptr<StandInReader>> open(const QString& path);

    QString fileName() const;
    bool hasTable(const QString& table);
    Result<bool> hasRows(const QString& table);
    // One row per SZAMLASOR >= from, ordered by it: the invoice number, the
    // last line's header columns, MEGNEVEZES and AFA, the sums of NETTO_ERTE
    // and BRUTTO, the last TELJ_DATUM. Values are as stored (no conversion).
    Result<std::vector<Row>> groupedRows(const QString& table, double from);

  private:
    StandInReader() = default;
    QString failText(const QString& detail) const;

    std::unique_ptr<Connection> db_;
    QString path_;
};

}  // namespace vela
