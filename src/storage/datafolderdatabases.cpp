#include "storage/datafolderdatabases.h"

#include "storage/columns.h"
#include "storage/serverschema.h"

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

// Opens the server's database that stands for the file bareName.
Status openServerInto(std::unique_ptr<Database>& db, const QString& server, const QString& bareName,
                      const QStringList& requiredTables) {
    Result<std::unique_ptr<Database>> opened =
        Database::openServer(server, bareName, requiredTables);
    if (!opened) {
        db.reset();
        Error e = opened.error();
        e.text += QStringLiteral(
            " A kiszolgálót a Paraméterek ablak „Kiszolgáló” mezője adja meg "
            "(parameter.kdb); üresen a program az adatmappa állományain dolgozik.");
        return e;
    }
    db = std::move(*opened);
    return {};
}

}  // namespace

QString DataFolderDatabases::serverOf(Database& parameters) {
    // A parameters file of an earlier version has no such column: its
    // data lives in the data folder.
    const Result<QVariant> v = parameters.scalar(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3 LIMIT 1")
            .arg(schema::quoteName(QStringLiteral("Kiszolgalo")),
                 schema::quoteName(schema::emblemaPath().name), schema::emblemaPath().keySql()));
    return v ? v->toString().trimmed() : QString();
}

void DataFolderDatabases::openAll() {
    const QStringList ledgerTables{QStringLiteral("VelaData"), QStringLiteral("VelanakData"),
                                   QStringLiteral("VelaIdeigl")};
    const QStringList partnerTables{QStringLiteral("beraktar"), QStringLiteral("TorzsOrszagok")};
    const QStringList stagingTables{QStringLiteral("OsszesSzamla")};
    // The parameters stay in the workstation's own folder: they say where
    // everything else is.
    parametersStatus =
        openInto(parameters, QStringLiteral("parameter.kdb"), {QStringLiteral("EmblemaPath")});
    server = parameters ? serverOf(*parameters) : QString();
    if (server.isEmpty()) {
        veladataStatus = openInto(veladata, QStringLiteral("veladata.mdb"), ledgerTables);
        betarolStatus = openInto(betarol, QStringLiteral("betarol.kdb"), partnerTables);
        lfakturoStatus = openInto(lfakturo, QStringLiteral("LFakturo.mdb"), stagingTables);
        return;
    }
    veladataStatus = openServerInto(veladata, server, QStringLiteral("veladata.mdb"), ledgerTables);
    betarolStatus = openServerInto(betarol, server, QStringLiteral("betarol.kdb"), partnerTables);
    lfakturoStatus =
        openServerInto(lfakturo, server, QStringLiteral("LFakturo.mdb"), stagingTables);
}

void DataFolderDatabases::closeAll() {
    lfakturo.reset();
    betarol.reset();
    parameters.reset();
    veladata.reset();
}

}  // namespace vela
