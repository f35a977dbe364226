#pragma once

#include <QDate>

namespace vela {
class Database;
}

namespace velarep {

class MaintenanceRun;
class RepDialogService;

// The change history is never edited by the program; only a maintenance run
// may drop its entries older than the years the parameters keep
// (ValtozasokMegorzese; empty or 0 keeps all). When such entries exist the
// user is asked before the run; on yes they are dropped from the rebuilt
// databases (or from the server's history) at its end, after the backup has
// taken them. False when nothing is to be dropped or the answer was no.
// On a server the run's own connection is used (given as server): it holds
// the writer lock, which a second connection of the run would wait for.
bool offerHistoryCompaction(MaintenanceRun& run, RepDialogService& dialogs, const QDate& today,
                            vela::Database* server = nullptr);

}  // namespace velarep
