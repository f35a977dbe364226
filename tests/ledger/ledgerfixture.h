#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ledger/ledgerwindow.h"
#include "storage/database.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

// A ledger window over a temporary data folder, with scripted message boxes
// and modal windows.
class LedgerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
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
            ASSERT_TRUE(veladata->exec(
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
    int count(const QString& table) {
        return veladata->scalar("SELECT count(*) FROM " + table)->toInt();
    }

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
