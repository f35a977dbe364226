#include "maintenance/historycompaction.h"

#include <QStringList>
#include <memory>
#include <vector>

#include "maintenance/maintenancerun.h"
#include "maintenance/repdialogservice.h"
#include "maintenance/reptexts.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/history.h"

namespace velarep {

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

// The years of history the parameters keep; 0 when they keep all of it (or
// the file is from before the setting).
int keptYears(vela::Database& parameters) {
    auto v = parameters.scalar(QStringLiteral(
        "SELECT \"ValtozasokMegorzese\" FROM \"EmblemaPath\" ORDER BY \"Kulcs\" LIMIT 1"));
    return v ? v->toInt() : 0;
}

// The databases whose history is compacted: the data folder's files, or
// the server's data and the local parameters. What is opened here is owned
// here; the run's own server connection is only borrowed.
struct HistoryDatabases {
    std::vector<std::unique_ptr<vela::Database>> owned;
    std::vector<vela::Database*> all;

    HistoryDatabases(const QString& address, vela::Database* server) {
        auto keep = [this](vela::Result<std::unique_ptr<vela::Database>> db) {
            if (!db)
                return;
            owned.push_back(std::move(*db));
            all.push_back(owned.back().get());
        };
        if (address.isEmpty()) {
            keep(vela::Database::open(QStringLiteral("veladata.mdb")));
            keep(vela::Database::open(QStringLiteral("betarol.kdb")));
        } else if (server) {
            all.push_back(server);
        } else {
            keep(vela::Database::openServer(address, QStringLiteral("veladata.mdb")));
        }
        keep(vela::Database::open(QStringLiteral("parameter.kdb")));
    }
};

}  // namespace

bool offerHistoryCompaction(MaintenanceRun& run, RepDialogService& dialogs, const QDate& today,
                            vela::Database* serverDb) {
    QString server;
    int years = 0;
    {
        auto parameters =
            vela::Database::open(QStringLiteral("parameter.kdb"), {QStringLiteral("EmblemaPath")});
        if (!parameters)
            return false;
        years = keptYears(**parameters);
        server = vela::serverAddress(**parameters);
    }
    if (years <= 0)
        return false;
    const QString before = today.addYears(-years).toString(Qt::ISODate);
    qint64 old = 0;
    for (vela::Database* db : HistoryDatabases(server, serverDb).all) {
        if (auto n = vela::history::olderEntries(*db, before))
            old += *n;
    }
    if (old == 0)
        return false;
    if (!dialogs.ask(u(texts::kCompactQuestion).arg(old).arg(years).arg(before),
                     u(texts::kEndTitle), RepDialogService::Icon::Information))
        return false;
    run.setFinalStep(
        u(texts::kCompactHeader),
        [server, before, serverDb](QStringList& report) {
            for (vela::Database* db : HistoryDatabases(server, serverDb).all) {
                auto dropped = vela::history::compact(*db, before);
                if (!dropped)
                    return vela::Status(dropped.error());
                report << u(texts::kCompacted)
                              .arg(db->onServer() ? u(texts::kCompactedServer) : db->fileName())
                              .arg(*dropped);
            }
            return vela::Status();
        },
        u(texts::kCompactNotRun));
    return true;
}

}  // namespace velarep
