#pragma once

#include <QDate>

namespace velarep {

class MaintenanceRun;
class RepDialogService;

// The change history is never edited by the program; only a maintenance run
// may drop its entries older than the years the parameters keep
// (ValtozasokMegorzese; empty or 0 keeps all). When such entries exist the
// user is asked before the run; on yes they are dropped from the rebuilt
// databases (or from the server's history) at its end, after the backup has
// taken them. False when nothing is to be dropped or the answer was no.
bool offerHistoryCompaction(MaintenanceRun& run, RepDialogService& dialogs, const QDate& today);

}  // namespace velarep
