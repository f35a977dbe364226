#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "base/result.h"
#include "reports/business.h"

namespace vela {
class Database;
}

namespace vela::reports {

// Writes one reminder PDF per receivables partner with a late item to pay,
// named after the partner, into folder (made when missing). Two names that
// come out as one file name get " (2)", " (3)" ... A file that cannot be
// written stops the run with its name; the files written before it stay.
// Gives the paths written, in the partners' order.
Result<QStringList> writeReminders(Database& veladata, const Business& own, const QDate& asOf,
                                   const QDate& deadline, bool withInterest, const QString& folder);

}  // namespace vela::reports
