#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "import/standindatabase.h"
#include "importwindow/szamlaimportformx.h"
#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

// An import window over a temporary data folder and a stand-in invoicing
// database in a folder of its own, with scripted message and input boxes.
class ImportFixture : public ::testing::Test {
  protected:
    using Icon = vela::DialogService::Icon;
    using Answer = vela::DialogService::Answer;

    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.db.openAll();
        veladata = ctx.db.veladata.get();
        staging = ctx.db.lfakturo.get();
        ASSERT_TRUE(veladata && staging) << ctx.db.lfakturoError.toStdString();
        ASSERT_TRUE(invoicing.isValid());
        const vela::Status created =
            vela::StandInDatabase::create(invoicing.filePath("LFAKTURO.MDB"));
        ASSERT_TRUE(created) << created.errorText().toStdString();
        ctx.invoicingFolder = invoicing.path();
    }

    void TearDown() override {
        window.reset();
        ctx.db.closeAll();
    }

    // One item line of invoice number in table.
    struct Line {
        qint64 number;
        QString payment;
        double net;
        double gross;
        QString item = QStringLiteral("Tétel");
        double vat = 27;
        QString customer = QStringLiteral("Vevő Kft.");
        QString seat = QStringLiteral("Szeged");
        QString address = QStringLiteral("Fő utca 1.");
        QVariant issued = QDate(2024, 3, 1);
        QVariant due = QDate(2024, 3, 9);
        QVariant performed = QDate(2024, 2, 28);
    };

    void lines(const QString& table, const std::vector<Line>& ls) {
        std::vector<QVariantList> rows;
        for (const Line& l : ls)
            rows.push_back({l.number, l.customer, l.seat, l.address, l.payment, l.issued, l.due,
                            l.item, l.vat, 0.0, QStringLiteral("Ft"), l.net, l.gross, l.performed});
        const vela::Status added =
            vela::StandInDatabase::appendLines(invoicing.filePath("LFAKTURO.MDB"), table, rows);
        ASSERT_TRUE(added) << added.errorText().toStdString();
    }

    // Staged rows put straight into the staging table: number, payment, gross.
    void stage(const std::vector<std::tuple<qint64, QString, double>>& rows) {
        for (const auto& [n, pay, gross] : rows)
            ASSERT_TRUE(staging->exec(
                "INSERT INTO OsszesSzamla (Számlaszám, Vevö, Székhely, Cim, FizMód, Nettó, Bruttó) "
                "VALUES (?, 'Vevő', 'Szeged', 'Fő utca 1.', ?, ?, ?)",
                {n, pay, gross / 1.27, gross}));
    }

    void open() {
        window = std::make_unique<vela::SzamlaImportFormX>(
            ctx, [this](const QDateTime&) { return QStringLiteral("ID%1").arg(++ids); });
        window->show();
        QApplication::processEvents();
    }

    template <typename T = QWidget>
    T* child(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    bool enabled(const char* button) { return child<QPushButton>(button)->isEnabled(); }
    void filter(const char* name) { window->menuItem(name)->trigger(); }

    int stagedCount(const QString& where = {}) {
        return staging->scalar("SELECT count(*) FROM OsszesSzamla" + where).toInt();
    }
    int ledgerCount() { return veladata->scalar("SELECT count(*) FROM VelanakData").toInt(); }
    // The staged invoice numbers in the order the window shows them.
    std::vector<qint64> shown() {
        std::vector<qint64> out;
        vela::RecordSource& d = window->staging();
        for (int i = 0; i < d.recordCount(); ++i) out.push_back(d.valueAt(i, 0).toLongLong());
        return out;
    }
    QStringList inputTitles() const {
        QStringList t;
        for (const auto& s : dialogs.shown)
            if (s.kind == vela::ScriptedDialogService::Shown::Kind::Input)
                t << s.title;
        return t;
    }

    TempDataFolder folder;
    QTemporaryDir invoicing;
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    vela::Database* veladata = nullptr;
    vela::Database* staging = nullptr;
    std::unique_ptr<vela::SzamlaImportFormX> window;
    int ids = 0;
};
