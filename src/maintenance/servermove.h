#pragma once

#include <QString>

namespace vela {
class Database;
}

namespace velarep {

class MaintenanceRun;
class RepDialogService;

// Moving the data onto the database server named in the parameters, or
// back into the data folder's files, as the last step of a maintenance run
// (so the files are backed up first, as every run does).
enum class Move {
    None,
    ToServer,  // "/kiszolgalo"
    ToFiles,   // "/helyi"
};

// The move the command line asks for.
Move moveOf(const QString& argumentText);

// Runs the maintenance with the move after it; false when the move was
// refused before anything began, or the run stopped. Every outcome is told
// through dialogs. server is the run's own connection when the data are on
// a server (it holds the writer lock).
bool runWithMove(MaintenanceRun& run, Move move, RepDialogService& dialogs,
                 vela::Database* server = nullptr);

}  // namespace velarep
