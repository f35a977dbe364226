#pragma once

#include "reports/openitems.h"
#include "storage/query.h"

class QWidget;

namespace vela {

struct AppContext;

// What the ledger windows' menu "Kimutatások" starts.
namespace reports {

// The ageing window of a ledger, modal.
void openAgeing(AppContext& ctx, Ledger ledger, QWidget* parent);
// The list report of the rows a grid shows (its query), previewed.
void printListReport(AppContext& ctx, Ledger ledger, const Query& shown);
// The cash-flow chart window, modal.
void openCashFlow(AppContext& ctx, QWidget* parent);

}  // namespace reports
}  // namespace vela
