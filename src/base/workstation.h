#pragma once

#include <QString>

namespace vela {

// The workstation's host name and the operating-system user running the
// program, as the database's history notes them. Never empty: "?" stands
// for what the system does not tell.
QString workstationName();
QString systemUserName();

}  // namespace vela
