#pragma once

#include <QString>

#include "storage/datafolderdatabases.h"
#include "storage/serverroles.h"

namespace vela {

class DialogService;
class PrinterService;
class WindowOpener;

// The partner chosen in the partner register, handed back to the ledger row.
struct SelectedPartner {
    QString name;
    QString seat;
    QString address;
};

// The process-wide values and services every window is handed.
struct AppContext {
    QString dataFolder;  // the current directory at start
    DataFolderDatabases db;
    // What the login may do with the data: asked of the server once it is
    // open (dataAccess); the data folder's files are always written. With a
    // read-only login every window shows the data with its editing off.
    DataAccess access = DataAccess::ReadWrite;
    bool readOnly() const { return access == DataAccess::ReadOnly; }
    // The partner register's rights level: 0 may do everything, up to 1 may
    // delete, 2 (a read-only login) may neither delete nor edit.
    int rightsLevel() const { return readOnly() ? 2 : 0; }

    DialogService* dialogs = nullptr;
    PrinterService* printer = nullptr;
    WindowOpener* opener = nullptr;

    QString invoicingFolder;  // from InterfacePath, leading blanks removed
    SelectedPartner selectedPartner;
    QString helpTopic;
    qint64 exportFromSorszam = 0;
    // The bank statement named on the command line; the statement window
    // takes it (and clears it) the first time it opens.
    QString bankStatementFile;
};

}  // namespace vela
