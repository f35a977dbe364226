#include "storage/datafolderdatabases.h"

namespace vela {

namespace {

// Opens one file into db; the outcome of the opening.
Status openInto(std::unique_ptr<Database>& db, const QString& bareName,
                const QStringList& requiredTables) {
    Result<std::unique_ptr<Database>> opened = Database::open(bareName, requiredTables);
    if (!opened) {
        db.reset();
        return opened.error();
    }
    db = std::move(*opened);
    return {};
}

}  // namespace

void DataFolderDatabases::openAll() {
    veladataStatus = openInto(
        veladata, QStringLiteral("veladata.mdb"),
        {QStringLiteral("VelaData"), QStringLiteral("VelanakData"), QStringLiteral("VelaIdeigl")});
    parametersStatus =
        openInto(parameters, QStringLiteral("parameter.kdb"), {QStringLiteral("EmblemaPath")});
    betarolStatus = openInto(betarol, QStringLiteral("betarol.kdb"),
                             {QStringLiteral("beraktar"), QStringLiteral("TorzsOrszagok")});
    lfakturoStatus =
        openInto(lfakturo, QStringLiteral("LFakturo.mdb"), {QStringLiteral("OsszesSzamla")});
}

void DataFolderDatabases::closeAll() {
    lfakturo.reset();
    betarol.reset();
    parameters.reset();
    veladata.reset();
}

}  // namespace vela
