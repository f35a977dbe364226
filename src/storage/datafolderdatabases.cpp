#include "storage/datafolderdatabases.h"

namespace vela {

void DataFolderDatabases::openAll() {
    veladata = Database::open(
        QStringLiteral("veladata.mdb"), &veladataError,
        {QStringLiteral("VelaData"), QStringLiteral("VelanakData"), QStringLiteral("VelaIdeigl")});
    parameters = Database::open(QStringLiteral("parameter.kdb"), &parametersError,
                                {QStringLiteral("EmblemaPath")});
    betarol = Database::open(QStringLiteral("betarol.kdb"), &betarolError,
                             {QStringLiteral("beraktar"), QStringLiteral("TorzsOrszagok")});
    lfakturo = Database::open(QStringLiteral("LFakturo.mdb"), &lfakturoError,
                              {QStringLiteral("OsszesSzamla")});
}

void DataFolderDatabases::closeAll() {
    lfakturo.reset();
    betarol.reset();
    parameters.reset();
    veladata.reset();
}

}  // namespace vela
