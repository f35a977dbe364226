#include "maintenance/servermove.h"

#include <QStringList>

#include "base/postgres/pgconnection.h"
#include "maintenance/historycompaction.h"
#include "maintenance/maintenancerun.h"
#include "maintenance/repdialogservice.h"
#include "maintenance/reptexts.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/serverroles.h"
#include "storage/servertransfer.h"

namespace velarep {

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

// The server address of the data folder's parameters; empty when none.
QString serverOfParameters() {
    auto parameters =
        vela::Database::open(QStringLiteral("parameter.kdb"), {QStringLiteral("EmblemaPath")});
    return parameters ? vela::serverAddress(**parameters) : QString();
}

// The group roles and their rights on the moved tables, as lines of the
// report. The data are on the server whatever happens here: a failure is
// told, it does not undo the move.
QStringList rolesOnServer(const QString& server, bool onlyWhenReachable = false) {
    auto db = vela::Database::openServer(server, QString());
    if (!db && onlyWhenReachable)
        return {};
    vela::Result<QStringList> lines =
        db ? vela::ServerRoles::setUp(**db) : vela::Result<QStringList>(db.error());
    if (!lines)
        return {u(texts::kRolesNotSet).arg(lines.errorText())};
    return *lines;
}

}  // namespace

Move moveOf(const QString& argumentText) {
    const QStringList words = argumentText.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.contains(QLatin1String("/kiszolgalo")))
        return Move::ToServer;
    if (words.contains(QLatin1String("/helyi")))
        return Move::ToFiles;
    return Move::None;
}

bool runWithMove(MaintenanceRun& run, Move move, RepDialogService& dialogs,
                 vela::Database* runsServer) {
    if (move == Move::None) {
        const bool compacting =
            offerHistoryCompaction(run, dialogs, QDate::currentDate(), runsServer);
        const bool completed = run.run();
        if (compacting)
            run.setFinalStep({}, {});
        return completed;
    }
    const QString server = serverOfParameters();
    if (server.isEmpty()) {
        dialogs.tell(u(texts::kNoServer), u(texts::kEndTitle), RepDialogService::Icon::Critical);
        return false;
    }
    if (move == Move::ToServer) {
        // Refused before the run: nothing is backed up or copied.
        if (const vela::Status ready = vela::ServerTransfer::prepareServer(server); !ready) {
            // A server that holds the data already still gets the group roles
            // and their rights: running the move again is how they are kept.
            QStringList told{ready.errorText()};
            told << rolesOnServer(server, true);
            dialogs.tell(told.join(QLatin1Char('\n')), u(texts::kEndTitle),
                         RepDialogService::Icon::Critical);
            return false;
        }
    }
    const QString shown = vela::postgres::withoutPassword(server);
    run.setFinalStep(
        u(move == Move::ToServer ? texts::kToServerHeader : texts::kToFilesHeader).arg(shown),
        [&](QStringList& report) -> vela::Status {
            auto copied = move == Move::ToServer
                              ? vela::ServerTransfer::toServer(server)
                              : vela::ServerTransfer::toFiles(server, run.templateDir());
            if (!copied)
                return copied.error();
            for (const vela::CopiedTable& t : *copied)
                report << u(texts::kMovedTable).arg(t.fileName, t.table).arg(t.rows);
            if (move == Move::ToFiles) {
                // The fresh files are the data now.
                auto parameters = vela::Database::open(QStringLiteral("parameter.kdb"),
                                                       {QStringLiteral("EmblemaPath")});
                if (!parameters)
                    return parameters.error();
                if (vela::Status s = vela::setServerAddress(**parameters, QString()); !s)
                    return s;
                report << u(texts::kNowOnFiles);
            } else {
                report << u(texts::kNowOnServer);
                report << rolesOnServer(server);
            }
            return {};
        });
    const bool completed = run.run();
    run.setFinalStep({}, {});
    return completed;
}

}  // namespace velarep
