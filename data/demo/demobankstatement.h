#pragma once

#include <QDate>
#include <QString>
#include <vector>

#include "base/result.h"

namespace vela {
class Connection;
}

namespace vela::demo {

// What one entry of the demo statement is meant to be taken for.
struct DemoBankEntry {
    enum class Kind { Whole, Part, Several, None };
    enum class Basis { InvoiceNumber, Account, Name, None };

    QString reference;  // the entry's NtryRef
    QString what;       // a line for the closing summary (Hungarian)
    Kind kind = Kind::None;
    Basis basis = Basis::None;
    bool sure = true;          // a proposal to book without asking (never for no match)
    QString table;             // VelaData or VelanakData; empty for no match
    std::vector<qint64> rows;  // the rowids of the invoices paid, oldest first
};

// Writes the demo folder's bank statement, bank/kivonat-238.xml (camt.053.001.02),
// whose entries pay open invoices of the demo ledgers in each way a statement
// can: a whole invoice, a part, the rest after an earlier part, several at
// once, by account only, a guess from the name alone, too much, and money that
// belongs to no invoice. An entry whose kind of invoice the ledgers lack is
// left out.
class DemoBankStatement {
  public:
    explicit DemoBankStatement(const QDate& today) : today_(today) {}

    [[nodiscard]] Status write(Connection* ledgers, Connection* partners, const QString& path);

    const std::vector<DemoBankEntry>& entries() const { return entries_; }

    static QString fileName() { return QStringLiteral("bank/kivonat-238.xml"); }

  private:
    QDate today_;
    std::vector<DemoBankEntry> entries_;
};

}  // namespace vela::demo
