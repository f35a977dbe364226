#include "invoicesourcewriter.h"

#include <sqlite3.h>

#include <QFile>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "base/sqlite/sqliteconnection.h"
#include "base/statement.h"
#include "demorandom.h"
#include "demowords.h"

namespace vela::demo {

namespace {

// A statement that could not be prepared fails its exec() with the reason.
Status runSql(Connection* db, const QString& sql) {
    return Statement(db, sql).exec();
}

}  // namespace

InvoiceSourceWriter::InvoiceSourceWriter(const QDate& today, std::uint64_t seed)
    : today_(today), seed_(seed) {}

const QStringList& InvoiceSourceWriter::tableNames() {
    static const QStringList names = {"SZAMLA", "ATUTAL",   "UTANVET",
                                      "NYUGTA", "SZALLITO", "SZAMLAHE"};
    return names;
}

QString InvoiceSourceWriter::createSql(const QString& table) {
    return QStringLiteral(
               "CREATE TABLE %1 (SZAMLASOR INTEGER, VEVONEV TEXT, VEVOSZEKH TEXT, VEVOCIM TEXT, "
               "FIZ_MOD TEXT, SZML_KELTE TEXT, ESEDEKES TEXT, MEGNEVEZES TEXT, AFA REAL, "
               "KIEGYENOSZ REAL, PENZNEM TEXT, NETTO_ERTE REAL, BRUTTO REAL, TELJ_DATUM TEXT)")
        .arg(table);
}

Status InvoiceSourceWriter::write(const QString& path, const std::array<qint64, 6>& firstNumbers) {
    lines_ = 0;
    if (QFile::exists(path))
        return Error{QStringLiteral("A(z) „%1” már létezik.").arg(path)};
    auto opened = sqlite::SqliteConnection::open(path, sqlite::OpenMode::Create);
    if (!opened) {
        return Error{
            QStringLiteral("A(z) „%1” nem hozható létre: %2").arg(path, opened.errorText()),
            opened.error().code, opened.error().kind};
    }
    std::unique_ptr<sqlite::SqliteConnection> db = std::move(*opened);
    if (Status begun = runSql(db.get(), QStringLiteral("BEGIN")); !begun)
        return begun;

    DemoRandom rnd(seed_);
    std::vector<const PartnerWords*> customers;
    for (const PartnerWords& p : partners()) {
        if (QByteArray(p.kind) != "B")
            customers.push_back(&p);
    }
    const auto& items = invoiceItems();

    for (int t = 0; t < tableNames().size(); ++t) {
        const QString& table = tableNames()[t];
        if (Status created = runSql(db.get(), createSql(table)); !created)
            return created;
        if (Status indexed = runSql(
                db.get(), QStringLiteral("CREATE INDEX %1_SZAMLASOR ON %1 (SZAMLASOR)").arg(table));
            !indexed)
            return indexed;
        Statement insert(db.get(), QStringLiteral("INSERT INTO %1 (SZAMLASOR, VEVONEV, VEVOSZEKH, "
                                                  "VEVOCIM, FIZ_MOD, SZML_KELTE, ESEDEKES, "
                                                  "MEGNEVEZES, AFA, KIEGYENOSZ, PENZNEM, "
                                                  "NETTO_ERTE, BRUTTO, TELJ_DATUM) VALUES "
                                                  "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                       .arg(table));
        if (!insert.status())
            return insert.status();
        const int invoices = rnd.between(25, 35);
        for (int i = 0; i < invoices; ++i) {
            const PartnerWords& p = *customers[size_t(rnd.between(0, int(customers.size()) - 1))];
            const bool foreign = QByteArray(p.country) != "HU";
            const bool inEuro = foreign || rnd.chance(0.04);
            QString method;
            int dueDays = 0;
            switch (t) {
                case 0:
                    method = QStringLiteral("készpénzes");
                    break;
                case 1:
                    if (rnd.chance(0.85)) {
                        method = QStringLiteral("átutalás");
                        static const int terms[] = {8, 15, 30};
                        dueDays = terms[rnd.between(0, 2)];
                    } else {
                        method = QStringLiteral("átutalás E");
                    }
                    break;
                case 2:
                    method = QStringLiteral("utánvét");
                    break;
                case 3:
                    method = QStringLiteral("nyugta");
                    break;
                case 4:
                    method = QStringLiteral("szállítól.");
                    dueDays = 30;
                    break;
                default:
                    if (rnd.chance(0.5)) {
                        method = QStringLiteral("proforma-a");
                        dueDays = 8;
                    } else {
                        method = QStringLiteral("proforma-k");
                    }
                    break;
            }
            // Newer numbers, newer dates: the last few weeks' documents.
            const QDate issued = today_.addDays(-28 + (28 * i) / invoices + rnd.between(0, 1));
            const QDate due = issued.addDays(dueDays);
            const QDate performed = issued.addDays(-rnd.between(0, 2));
            const int lineCount = rnd.between(1, 5);
            const bool partlyPaid = (t == 1 || t == 5) && rnd.chance(0.12);
            double settledPart = 0;
            for (int l = 0; l < lineCount; ++l) {
                const double vat =
                    foreign ? 0 : (rnd.chance(0.85) ? 27 : (rnd.chance(0.5) ? 5 : 18));
                const int quantity = rnd.between(1, 12);
                const double net = inEuro ? double(rnd.between(500, 40000) * quantity) / 100.0
                                          : double(rnd.between(5, 900) * 100) * quantity;
                const double gross = net * (100.0 + vat) / 100.0;
                if (partlyPaid && l == 0)
                    settledPart = inEuro ? std::round(gross * 30.0) / 100.0
                                         : std::round(gross * 0.3 / 100.0) * 100.0;
                // Rewinding a prepared statement cannot fail.
                insert.reset();
                const QVariantList values = {
                    firstNumbers[size_t(t)] + i,
                    QString::fromUtf8(p.name),
                    QString::fromUtf8(p.town),
                    QString::fromUtf8(p.street),
                    method,
                    issued,
                    due,
                    QString::fromUtf8(items[size_t(rnd.between(0, int(items.size()) - 1))]),
                    vat,
                    settledPart,
                    inEuro ? QStringLiteral("EUR") : QStringLiteral("Ft"),
                    net,
                    gross,
                    performed,
                };
                if (Status bound = insert.bind(values); !bound)
                    return bound;
                if (Status inserted = insert.exec(); !inserted)
                    return inserted;
                ++lines_;
            }
        }
    }
    return runSql(db.get(), QStringLiteral("COMMIT"));
}

}  // namespace vela::demo
