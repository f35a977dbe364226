#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

#include "base/result.h"

namespace velarep {

// The rows of an Access (Jet) file, read by the Jet reading helper program
// (vela-jetreader) that VelaData's import uses too. It runs as a separate
// process found beside VelaRep, so a damaged Access file can end the helper
// but never the maintenance run. Errors are readable Hungarian texts.
class JetSource {
  public:
    struct Table {
        QStringList columns;
        std::vector<QVariantList> rows;
    };

    explicit JetSource(QString path) : path_(std::move(path)) {}

    vela::Result<QStringList> tables() const;
    // Every row of table, only the columns named (in that order).
    vela::Result<Table> read(const QString& table, const QStringList& columns) const;
    vela::Result<QStringList> columns(const QString& table) const;

    // The helper beside the running program.
    static QString helperPath();

  private:
    [[nodiscard]] vela::Status run(const QStringList& args, Table* table,
                                   QStringList* tables) const;

    QString path_;
};

}  // namespace velarep
