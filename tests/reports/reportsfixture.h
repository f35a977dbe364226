#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QVariant>
#include <memory>

#include "storage/database.h"
#include "tempdatafolder.h"

// A data folder holding the fixed ledgers the report tests reckon over, as
// of 2026.12.09.: part payments, three spellings of the forint, euros and
// dollars, a settled row, a credit note and a row without a due date.
class ReportsFixture : public ::testing::Test {
  protected:
    const QDate asOf{2026, 12, 9};

    struct Row {
        qlonglong sorszam;
        const char* szamla;
        const char* partner;
        double brutto;
        const char* due;  // nullptr: no due date
        const char* currency;
        double partGross = 0;
        bool part = false;
        const char* settled = "N";
        const char* issued = "2026-07-01";
    };

    void SetUp() override {
        auto opened = vela::Database::open(QStringLiteral("veladata.mdb"));
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        db = std::move(*opened);
        insert(QStringLiteral("VelanakData"),
               {
                   {1, "A-1", "Alfa Kft.", 100000, "2026-10-31", "Ft"},
                   {1, "A-1", "Alfa Kft.", 100000, "2026-10-31", "Ft", 40000, true},
                   {2, "A-2", "Alfa Kft.", 50800, "2026-12-20", "FT"},
                   {3, "A-3", "Alfa Kft.", 25400, "2026-08-01", "HUF"},
                   {4, "A-4", "Alfa Kft.", 99999, "2026-01-01", "Ft", 0, false, "I"},
                   {5, "A-5", "Alfa Kft.", 12700, nullptr, "Ft"},
                   {6, "B-1", "Béta Zrt.", 1270.50, "2026-11-24", "EUR"},
                   {7, "B-2", "Béta Zrt.", 3000, "2026-09-30", "eur"},
                   {7, "B-2", "Béta Zrt.", 3000, "2026-09-30", "EUR", 1000.25, true},
                   {8, "B-3", "Béta Zrt.", 8000, "2026-12-08", "Ft"},
                   {9, "G-1", "Gamma Bt.", 1234567, "2026-12-09", "Ft"},
                   {10, "G-2", "Gamma Bt.", -5000, "2026-11-09", "Ft"},
               });
        insert(QStringLiteral("VelaData"),
               {
                   {1, "D-1", "Delta Kft.", 200000, "2026-12-15", "Ft"},
                   {2, "D-2", "Delta Kft.", 60000, "2026-11-01", "Ft"},
                   {2, "D-2", "Delta Kft.", 60000, "2026-11-01", "Ft", 60000, true},
                   {3, "D-3", "Delta Kft.", 1000, "2027-01-05", "USD"},
                   {4, "E-1", "Epszilon", 45000, "2026-06-30", "Ft"},
               });
    }

    void insert(const QString& table, const std::vector<Row>& rows) {
        int n = 0;
        for (const Row& r : rows) {
            const vela::Status s = db->exec(
                QStringLiteral("INSERT INTO %1 (Sorszám, recordID, Szamlaszam, CegNev, CegCim, "
                               "Brutto, Datumtol, Datumig, Devizanem, Kivezetés, RészÖsszegBruttó, "
                               "Részkiegyenlités) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(table),
                {r.sorszam, QStringLiteral("%1%2").arg(table).arg(n++), QString::fromUtf8(r.szamla),
                 QString::fromUtf8(r.partner), QStringLiteral("1111 Budapest, Fő utca 1."),
                 r.brutto, QString::fromUtf8(r.issued),
                 r.due ? QVariant(QString::fromUtf8(r.due)) : QVariant(),
                 QString::fromUtf8(r.currency), QString::fromUtf8(r.settled), r.partGross,
                 r.part ? 1 : 0});
            ASSERT_TRUE(s) << s.errorText().toStdString();
        }
    }

    TempDataFolder folder;
    std::unique_ptr<vela::Database> db;
};
