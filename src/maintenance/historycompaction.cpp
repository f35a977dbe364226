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

// The databases whose history is compacted, opened now: the data folder's
// files, or the server's data and the local parameters.
std::vector<std::unique_ptr<vela::Database>> historyDatabases(const QString& server) {
    std::vector<std::unique_ptr<vela::Database>> out;
    auto keep = [&](vela::Result<std::unique_ptr<vela::Database>> db) {
        if (db)
            out.push_back(std::move(*db));
    };
    if (server.isEmpty()) {
        keep(vela::Database::open(QStringLiteral("veladata.mdb")));
        keep(vela::Database::open(QStringLiteral("betarol.kdb")));
    } else {
        keep(vela::Database::openServer(server, QStringLiteral("veladata.mdb")));
    }
    keep(vela::Database::open(QStringLiteral("parameter.kdb")));
    return out;
}

}  // namespace

bool offerHistoryCompaction(MaintenanceRun& run, RepDialogService& dialogs, const QDate& today) {
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
    for (auto& db : historyDatabases(server)) {
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
        [server, before](QStringList& report) {
            for (auto& db : historyDatabases(server)) {
                auto dropped = vela::history::compact(*db, before);
                if (!dropped)
                    return vela::Status(dropped.error());
                report << u(texts::kCompacted).arg(db->fileName()).arg(*dropped);
            }
            return vela::Status();
        },
        u(texts::kCompactNotRun));
    return true;
}

}  // namespace velarep
