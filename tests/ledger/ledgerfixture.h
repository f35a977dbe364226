#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/servertransfer.h"
#include "storagebackend.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

// A ledger window over a temporary data folder, with scripted message boxes
// and modal windows. With VELA_LEDGER_SERVER set (the runs labelled
// postgres) the folder's ledgers, partners and staging table are on the
// test cluster's server, moved there as VelaRep moves them and named in the
// parameters' Kiszolgalo, so the window opens them as the program does.
class LedgerFixture : public ::testing::Test {
  protected:
    static bool onServer() { return qEnvironmentVariableIsSet("VELA_LEDGER_SERVER"); }

    // The test program's own database on the test cluster.
    static const vela::test::PgTestDatabase& testServer() {
        static vela::test::PgTestDatabase server(QStringLiteral("vela_ledger"));
        return server;
    }

    // Moves the data folder's server databases onto a cleared server
    // database and names it in the parameters.
    static void moveToServer() {
        const QString conninfo = testServer().conninfo();
        ASSERT_FALSE(conninfo.isEmpty());
        {
            auto admin = vela::Database::openServer(conninfo, QString());
            ASSERT_TRUE(admin) << admin.errorText().toStdString();
            ASSERT_TRUE((*admin)->exec(QStringLiteral("DROP SCHEMA public CASCADE")));
            ASSERT_TRUE((*admin)->exec(QStringLiteral("CREATE SCHEMA public")));
        }
        const vela::Status prepared = vela::ServerTransfer::prepareServer(conninfo);
        ASSERT_TRUE(prepared) << prepared.errorText().toStdString();
        const auto moved = vela::ServerTransfer::toServer(conninfo);
        ASSERT_TRUE(moved) << moved.errorText().toStdString();
        auto params = vela::Database::open(QStringLiteral("parameter.kdb"));
        ASSERT_TRUE(params) << params.errorText().toStdString();
        const vela::Status set = vela::setServerAddress(**params, conninfo);
        ASSERT_TRUE(set) << set.errorText().toStdString();
    }

    // A test's own SQL on the ledgers' database, as its engine reads it.
    static QString sql(const QString& text) {
        return onServer() ? vela::test::quoteSchemaNames(text) : text;
    }
    vela::Status exec(const QString& text, const QVariantList& binds = {}) {
        return veladata->exec(sql(text), binds);
    }
    vela::Result<QVariant> scalar(const QString& text, const QVariantList& binds = {}) {
        return veladata->scalar(sql(text), binds);
    }

    void SetUp() override {
        if (onServer()) {
            ASSERT_NO_FATAL_FAILURE(moveToServer());
        }
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.db.openAll();
        veladata = ctx.db.veladata.get();
        parameters = ctx.db.parameters.get();
        ASSERT_TRUE(veladata && parameters) << ctx.db.veladataStatus.errorText().toStdString();
    }

    void TearDown() override {
        window.reset();
        ctx.db.closeAll();
    }

    struct Row {
        qlonglong sorszam;
        QString szamlaszam;
        QString cegNev;
        double brutto;
        QString kivezetes;
        double reszOsszeg = 0;
        double reszBrutto = 0;
        bool reszkiegyenlites = false;
    };

    void insert(const QString& table, const std::vector<Row>& rows) {
        EXPECT_TRUE(veladata->begin());
        int n = 0;
        for (const Row& r : rows) {
            ASSERT_TRUE(exec(
                QStringLiteral("INSERT INTO %1 (Sorszám, recordID, Szamlaszam, CegNev, Brutto, "
                               "Kivezetés, RészÖsszeg, RészÖsszegBruttó, Részkiegyenlités) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(table),
                {r.sorszam, QString("2024%1").arg(n++), r.szamlaszam, r.cegNev, r.brutto,
                 r.kivezetes.isNull() ? QVariant() : QVariant(r.kivezetes), r.reszOsszeg,
                 r.reszBrutto, r.reszkiegyenlites}));
        }
        EXPECT_TRUE(veladata->commit());
    }

    void open(vela::LedgerKind kind = vela::LedgerKind::Payables) {
        window = std::make_unique<vela::LedgerWindow>(ctx, kind);
        window->show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }

    template <typename T = QWidget>
    T* child(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }

    QLineEdit* text(const char* name) { return child<QLineEdit>(name); }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    QString label27() { return child<QLabel>("Label27")->text(); }
    QVariant field(const char* column) { return window->rows().field(column); }
    int count(const QString& table) { return scalar("SELECT count(*) FROM " + table)->toInt(); }

    // Key presses of any characters, accented ones included.
    static void keys(QWidget* w, const QString& chars) {
        for (const QChar c : chars)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // Types into a field and leaves it, as a user does.
    void type(const char* control, const QString& textValue) {
        QLineEdit* e = text(control);
        e->setFocus();
        e->selectAll();
        keys(e, textValue);
        window->findChild<QWidget*>("DBGrid1")->setFocus();
        QApplication::processEvents();
    }

    TempDataFolder folder;
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    vela::Database* veladata = nullptr;
    vela::Database* parameters = nullptr;
    std::unique_ptr<vela::LedgerWindow> window;
};
