#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "base/result.h"
#include "maintenance/servermove.h"

namespace vela {
class Database;
}

namespace velarep {

class MaintenanceRun;
class RepDialogService;

// What VelaRep's command line asks for beside the rebuild.
struct Request {
    Move move = Move::None;
    bool restore = false;  // "/visszatoltes DIR"
    QString restoreDir;    // DIR as given
};
Request requestOf(const QString& argumentText);

// VelaRep's hold on the server while it works there: one connection that
// holds every data set's writer lock for its whole life, so the program's
// writers wait and are refused (naming VelaRep) until it lets go.
class ServerGuard {
  public:
    ServerGuard();
    ~ServerGuard();
    ServerGuard(const ServerGuard&) = delete;
    ServerGuard& operator=(const ServerGuard&) = delete;

    // Connects and takes the locks; refused (the Hungarian text names them)
    // while a workstation is in the middle of a write, or while any other
    // session is connected to the program's database.
    [[nodiscard]] vela::Status take(const QString& conninfo);
    vela::Database* database() const { return db_.get(); }

  private:
    std::unique_ptr<vela::Database> db_;
};

// The program's tables that exist on server's database, each once.
QStringList programTablesOn(vela::Database& server);

// pg_dump of the program's tables into backupDir (kiszolgalo.dump, custom
// format); nothing when the server has none of them yet. The line for the
// end message goes to report.
[[nodiscard]] vela::Status dumpServer(vela::Database& server, const QString& conninfo,
                                      const QString& backupDir, QStringList& report);
// Whether dumpFile is a backup that pg_restore can read.
bool isServerBackup(const QString& dumpFile);
// Replaces the rows of every program table on server with dumpFile's, in
// one transaction: every table restored or none. The rows per table.
vela::Result<std::vector<std::pair<QString, qint64>>> restoreServer(vela::Database& server,
                                                                    const QString& dumpFile);

// Runs the maintenance the command line asks for. When the data lives on
// the server, VelaRep holds it (ServerGuard) for the run and backs its
// tables up first; "/visszatoltes DIR" asks (autoRun answers Yes) and
// restores DIR's server backup after the rebuild. Every outcome is told
// through dialogs; false when refused or stopped.
bool runRequested(MaintenanceRun& run, const QString& argumentText, bool autoRun,
                  RepDialogService& dialogs);

}  // namespace velarep
