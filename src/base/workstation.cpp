#include "base/workstation.h"

#include <pwd.h>
#include <unistd.h>

#include <QSysInfo>

namespace vela {

QString workstationName() {
    static const QString name = [] {
        const QString host = QSysInfo::machineHostName();
        return host.isEmpty() ? QStringLiteral("?") : host;
    }();
    return name;
}

QString systemUserName() {
    static const QString name = [] {
        // The account of the process, not what the environment claims.
        if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
            return QString::fromLocal8Bit(pw->pw_name);
        const QString env = qEnvironmentVariable("USER");
        return env.isEmpty() ? QStringLiteral("?") : env;
    }();
    return name;
}

}  // namespace vela
