#pragma once

#include "reports/ageing.h"
#include "reports/business.h"
#include "reports/cashflow.h"
#include "reports/document.h"
#include "reports/listreport.h"
#include "reports/openitems.h"
#include "reports/reminder.h"

namespace vela::reports {

// The printed forms of the reports: texts, columns and totals.
Document statementDocument(const PartnerStatement& s, const Business& own);
Document reminderDocument(const Reminder& r, const Business& own);
Document ageingDocument(const AgeingReport& a, const Business& own);
Document listDocument(const ListReport& l, const Business& own);
Document cashFlowDocument(const CashFlow& f, const Business& own);

// A file name for a partner's letter: the name with the characters a file
// system refuses replaced, never empty.
QString fileNameFor(const QString& partner);

}  // namespace vela::reports
