#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "base/result.h"

namespace vela::demo {

// Writes the stand-in of the invoicing program's database: an SQLite file
// with its six document tables, one row per item line.
class InvoiceSourceWriter {
  public:
    InvoiceSourceWriter(const QDate& today, std::uint64_t seed);

    // Creates the file at path (which must not exist yet). The invoices of
    // the n-th table (in tableNames() order) are numbered from firstNumbers[n].
    [[nodiscard]] Status write(const QString& path, const std::array<qint64, 6>& firstNumbers);

    int lineCount() const { return lines_; }

    // SZAMLA, ATUTAL, UTANVET, NYUGTA, SZALLITO, SZAMLAHE.
    static const QStringList& tableNames();
    // Each item line's columns, in table order, with their SQL types.
    static QString createSql(const QString& table);

  private:
    QDate today_;
    std::uint64_t seed_;
    int lines_ = 0;
};

}  // namespace vela::demo
