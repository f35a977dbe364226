#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "partners/beraktarozokformx.h"
#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/qtprinterservice.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

// A partner register over a temporary data folder, with scripted message
// boxes, modal windows and a PDF printer.
class PartnerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.printer = &printer;
        ctx.db.openAll();
        betarol = ctx.db.betarol.get();
        ASSERT_TRUE(betarol) << ctx.db.betarolStatus.errorText().toStdString();
    }

    void TearDown() override {
        window.reset();
        ctx.db.closeAll();
    }

    struct Partner {
        QString name;
        QVariant id;
        QString kind = {};
        QString seat = {};
        QString address = {};
        QString phone = {};
        QString fax = {};
        QString zip = {};
        QString country = {};
    };

    static QVariant orNull(const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); }

    void insert(const std::vector<Partner>& partners) {
        EXPECT_TRUE(betarol->begin());
        for (const Partner& p : partners) {
            ASSERT_TRUE(betarol->exec(
                QStringLiteral("INSERT INTO beraktar (BerNev, recordID, \"VevöBeszállitó\", "
                               "BerSzekhely, BerCim, BerTelefon, BerFax, BerIrszam, BerOrszag) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {orNull(p.name), p.id, orNull(p.kind), orNull(p.seat), orNull(p.address),
                 orNull(p.phone), orNull(p.fax), orNull(p.zip), orNull(p.country)}));
        }
        EXPECT_TRUE(betarol->commit());
    }

    // n partners "Partner 001" .. with identifiers 1..n.
    void insertNumbered(int n) {
        std::vector<Partner> ps;
        for (int i = 1; i <= n; ++i)
            ps.push_back({QStringLiteral("Partner %1").arg(i, 3, 10, QLatin1Char('0')), i});
        insert(ps);
    }

    void open() {
        window = std::make_unique<vela::BeraktarozokFormX>(ctx);
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
    void menu(const char* item) { window->menuItem(QString::fromLatin1(item))->trigger(); }
    QString current(const char* column = "BerNev") {
        return window->rows().field(QString::fromUtf8(column)).toString();
    }
    int count() { return betarol->scalar("SELECT count(*) FROM beraktar")->toInt(); }
    QVariant idOf(const QString& name) {
        return *betarol->scalar("SELECT recordID FROM beraktar WHERE BerNev = ?", {name});
    }

    // Key presses of any characters, accented ones included.
    static void keys(QWidget* w, const QString& chars) {
        for (const QChar c : chars)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    TempDataFolder folder;
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::PdfPrinterService printer{folder.file(QStringLiteral("lista.pdf"))};
    vela::AppContext ctx;
    vela::Database* betarol = nullptr;
    std::unique_ptr<vela::BeraktarozokFormX> window;
};
