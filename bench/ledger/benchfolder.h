#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <functional>

#include "../readymark.h"
#include "base/result.h"
#include "storage/database.h"

// A step of a benchmark that must not fail: the figures of a run whose rows
// were not written or not reached would mean nothing.
inline void must(const vela::Status& status) {
    if (!status)
        qFatal("%s", qPrintable(status.errorText()));
}

// A benchmark's data folder in /tmp, made once and reused while its ready
// mark matches the templates (readymark.h): the clean veladata.mdb and parameter.kdb, and the
// ledger rows that insert (an INSERT ... SELECT ... FROM c) makes from the numbers c(i) = 1 ..
// rows. extra lays in anything else the benchmark needs; analyze gives the query planner the
// statistics of the rows.
inline QString benchFolder(const QString& name, int rows, const QString& insert,
                           const std::function<void(const QString&)>& extra = {},
                           bool analyze = false) {
    const QString dir = QStringLiteral("/tmp/%1-%2").arg(name).arg(rows);
    if (bench::isReady(dir))
        return dir;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    for (const char* f : {"veladata.mdb", "parameter.kdb"})
        QFile::copy(QStringLiteral(VELA_TEMPLATE_DIR "/") + f, dir + "/" + f);
    if (extra)
        extra(dir);
    auto opened = vela::Database::openPath(dir + "/veladata.mdb");
    if (!opened)
        qFatal("%s", qPrintable(opened.errorText()));
    auto& db = *opened;
    const vela::Status filled =
        db->exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                                "WHERE i < %1) ")
                     .arg(rows) +
                 insert);
    if (!filled)
        qFatal("%s", qPrintable(filled.errorText()));
    if (analyze) {
        // The statistics only steer the planner; the figures stand without them.
        (void)db->exec(QStringLiteral("ANALYZE"));
    }
    bench::markReady(dir);
    return dir;
}
