#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace velarep {

// "-h"/"--help" or "--version" among VelaRep's arguments asks for the text
// instead of the window; "/s" and every other argument go to the window.
enum class InfoRequest { None, Help, Version };
InfoRequest infoRequest(const QStringList& arguments);
QString helpText();
QString versionText();

// Prints the help or the version text on standard output when the command
// line asks for it; true means the program ends here. Needs no display.
bool answerInfoRequest(int argc, char** argv);

// Qt's own buttons and dialogs in Hungarian, Hungarian numbers and dates.
void useHungarian(QCoreApplication& app);

}  // namespace velarep
