#pragma once

#include <QString>

#include "base/programstart.h"

namespace velarep {

// "-h"/"--help" or "--version" among VelaRep's arguments asks for the text
// instead of the window; "/s" and every other argument go to the window.
using vela::InfoRequest;
using vela::infoRequest;
using vela::useHungarian;
QString helpText();
QString versionText();

// Prints the help or the version text on standard output when the command
// line asks for it; true means the program ends here. Needs no display.
bool answerInfoRequest(int argc, char** argv);

}  // namespace velarep
