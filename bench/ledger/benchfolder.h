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

// The receivables ledger of the filter benchmarks: every payment method, two currencies, settled,
// partial, flagged and negative rows, with the planner's statistics.
inline QString filtersLedgerFolder(int rows) {
    return benchFolder(
        QStringLiteral("vela-bench-filters"), rows,
        QStringLiteral(
            "INSERT INTO VelanakData (Sorszám, recordID, Szamlaszam, CegNev, CegCim, Megnevezes, "
            "Netto, AFA, Brutto, Datumtol, Datumig, Adatfelvetel, Devizanem, Kivezetés, "
            "RészÖsszeg, FizetésMódja, RészÖsszegBruttó, Részkiegyenlités, FIGYELEM) "
            "SELECT i, '2024' || i, 'SZ-' || (i * 7919 % 1000003), 'Partner ' || (i % 5000), "
            "'Budapest Fő u. ' || (i % 100), 'Áru ' || (i % 13), (i % 1000) * 10.0, 27, "
            "CASE WHEN i % 17 = 0 THEN -1 ELSE 1 END * (i % 1000) * 12.7, '2024-01-02', "
            "date('2020-01-01', '+' || (i % 3000) || ' days'), '2024-01-02', "
            "CASE i % 4 WHEN 0 THEN 'EUR' ELSE 'Ft' END, "
            "CASE WHEN i % 3 = 0 THEN 'I' ELSE 'N' END, CASE WHEN i % 20 = 0 THEN 80 ELSE 0 END, "
            "CASE i % 8 WHEN 0 THEN 'átutalás' WHEN 1 THEN 'készpénzes' WHEN 2 THEN 'utánvét' "
            "WHEN 3 THEN 'nyugta' WHEN 4 THEN 'szállítól.' WHEN 5 THEN 'proforma-k' "
            "WHEN 6 THEN 'proforma-a' ELSE 'átutalás E' END, "
            "CASE WHEN i % 20 = 0 THEN 101.6 ELSE 0 END, i % 20 = 0, i % 50 = 0 FROM c"),
        {}, true);
}
