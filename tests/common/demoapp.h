#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <memory>

#include "app/startup.h"
#include "ledger/ledgerwindow.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

// The program as a user starts it: a fresh demo data folder made by the demo
// maker, the start-up on it with scripted dialogs, the payables window shown.
//
//     DemoApp app;
//     ASSERT_NO_FATAL_FAILURE(app.start());
struct DemoApp {
    void start() {
        QProcess maker;
        maker.start(QStringLiteral(VELA_BIN_DIR "/veladata-demo"), {"--force", folder.path()});
        ASSERT_TRUE(maker.waitForFinished(120000));
        ASSERT_EQ(maker.exitCode(), 0) << maker.readAll().toStdString();
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        startup = std::make_unique<vela::Startup>(ctx);
        ASSERT_TRUE(startup->open());
        payables = startup->window();
        payables->show();
    }

    TempDataFolder folder{false};
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    std::unique_ptr<vela::Startup> startup;
    vela::LedgerWindow* payables = nullptr;
};
