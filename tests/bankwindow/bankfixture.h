#pragma once

#include <gtest/gtest.h>

#include <QDateTime>

#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/qtprinterservice.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

// A data folder from the clean templates with the databases open and the
// services scripted.
struct BankFixture : ::testing::Test {
    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.printer = &printer;
        ctx.dataFolder = folder.path();
        ctx.db.openAll();
        ASSERT_TRUE(ctx.db.veladata) << ctx.db.veladataStatus.errorText().toStdString();
    }
    void TearDown() override { ctx.db.closeAll(); }

    vela::Database& db() { return *ctx.db.veladata; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) {
        auto v = db().scalar(sql, binds);
        EXPECT_TRUE(v) << v.errorText().toStdString();
        return v ? *v : QVariant();
    }
    // An open base row; the rowid.
    qint64 addRow(const QString& table, qint64 sorszam, const QString& number,
                  const QString& partner, double gross, double vat) {
        const vela::Status s = db().exec(
            QStringLiteral("INSERT INTO %1 (Sorszám, Szamlaszam, CegNev, Netto, AFA, Brutto, "
                           "Devizanem, Kivezetés, recordID, FizetésMódja) VALUES "
                           "(?1, ?2, ?3, ?4, ?5, ?6, 'Ft', 'N', ?7, 'átutalás')")
                .arg(table),
            {sorszam, number, partner, gross * 100 / (100 + vat), vat, gross,
             QStringLiteral("2024610%1").arg(sorszam)});
        EXPECT_TRUE(s) << s.errorText().toStdString();
        return scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
    }

    TempDataFolder folder;
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::PdfPrinterService printer{folder.file("nyomtatas.pdf")};
    vela::AppContext ctx;
};
