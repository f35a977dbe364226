#include "storage/datafolderdatabases.h"

#include "base/postgres/pgconnection.h"
#include "storage/dataplace.h"

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

Status openOnServer(std::unique_ptr<Database>& db, const QString& server, const QString& fileName,
                    const QStringList& requiredTables) {
    Result<std::unique_ptr<Database>> opened =
        Database::openServer(server, fileName, requiredTables);
    if (!opened) {
        db.reset();
        return opened.error();
    }
    db = std::move(*opened);
    return {};
}

// Whether the failure is the server not answering at all (rather than a
// table missing there): another attempt would only wait as long again.
bool unreachable(const Status& s) {
    return !s && postgres::connectionLost(postgres::sqlstateOf(s.error().code));
}

}  // namespace

void DataFolderDatabases::openAll() {
    // The parameters first: they say where the rest lives.
    parametersStatus =
        openInto(parameters, QStringLiteral("parameter.kdb"), {QStringLiteral("EmblemaPath")});
    const QString server = parameters ? serverAddress(*parameters) : QString();
    const QStringList ledgers{QStringLiteral("VelaData"), QStringLiteral("VelanakData"),
                              QStringLiteral("VelaIdeigl")};
    const QStringList partners{QStringLiteral("beraktar"), QStringLiteral("TorzsOrszagok")};
    const QStringList staging{QStringLiteral("OsszesSzamla")};
    if (server.isEmpty()) {
        veladataStatus = openInto(veladata, QStringLiteral("veladata.mdb"), ledgers);
        betarolStatus = openInto(betarol, QStringLiteral("betarol.kdb"), partners);
        lfakturoStatus = openInto(lfakturo, QStringLiteral("LFakturo.mdb"), staging);
        return;
    }
    // One cause, one message: the same text stands for all three.
    if (const Status s = postgres::checkServerAddress(server); !s) {
        veladataStatus = betarolStatus = lfakturoStatus = s;
        return;
    }
    veladataStatus = openOnServer(veladata, server, QStringLiteral("veladata.mdb"), ledgers);
    if (unreachable(veladataStatus)) {
        betarolStatus = lfakturoStatus = veladataStatus;
        return;
    }
    betarolStatus = openOnServer(betarol, server, QStringLiteral("betarol.kdb"), partners);
    lfakturoStatus = openOnServer(lfakturo, server, QStringLiteral("LFakturo.mdb"), staging);
}

void DataFolderDatabases::closeAll() {
    lfakturo.reset();
    betarol.reset();
    parameters.reset();
    veladata.reset();
}

}  // namespace vela
