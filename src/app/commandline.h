#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "base/programstart.h"

namespace vela {

// VelaData's own texts for "--help" and "--version".
QString helpText();
QString versionText();

// Prints the help or the version text on standard output when the command
// line asks for it; true means the program ends here. Needs no display.
bool answerInfoRequest(int argc, char** argv);

// The files after "--nav-szamla" (up to the next option), for the Online
// Számla import window to open with; nullopt when the option is not given.
std::optional<QStringList> navSzamlaFiles(const QStringList& arguments);
// The statement file of "--bankkivonat FILE" (or "--bankkivonat=FILE"),
// made absolute against the current directory; empty when none is named.
QString bankStatementArgument(const QStringList& arguments);

}  // namespace vela
