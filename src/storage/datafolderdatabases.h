#pragma once

#include <QString>
#include <memory>

#include "storage/database.h"

namespace vela {

// The data folder's four databases, each opened once with the tables it must
// hold. A file that could not be opened stays null, with the outcome of its
// opening beside it (the Hungarian reason; error().damaged() when SQLite
// found the file damaged); what that means for the program is the caller's
// rule (without veladata.mdb the program ends, the others only keep their
// windows shut).
struct DataFolderDatabases {
    std::unique_ptr<Database> veladata;    // the ledgers and the scratch table
    std::unique_ptr<Database> betarol;     // the partner register
    std::unique_ptr<Database> parameters;  // the parameters row
    std::unique_ptr<Database> lfakturo;    // the invoice import's staging table
    Status veladataStatus;
    Status betarolStatus;
    Status parametersStatus;
    Status lfakturoStatus;

    // Opens the four files of the current directory.
    void openAll();
    void closeAll();
};

}  // namespace vela
