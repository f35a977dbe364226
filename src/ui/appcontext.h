#pragma once

#include <QString>

#include "storage/datafolderdatabases.h"

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
