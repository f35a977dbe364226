#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace vela {

// What VelaData's command line asks before any window or database is opened.
enum class InfoRequest { None, Help, Version };

// The arguments without the program name; "-h"/"--help" or "--version"
// anywhere asks for the text, everything else starts the program.
InfoRequest infoRequest(const QStringList& arguments);
QString helpText();
QString versionText();

// Prints the help or the version text on standard output when the command
// line asks for it; true means the program ends here. Needs no display.
bool answerInfoRequest(int argc, char** argv);

// Qt's own dialogs (buttons, print preview, printer dialog, calendar) in
// Hungarian, and Hungarian numbers and dates for every widget made after.
void useHungarian(QCoreApplication& app);

}  // namespace vela
