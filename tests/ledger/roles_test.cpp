// The program opened as a login of each kind: the rights level it knows, and
// a read-only login's windows with their editing switched off.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "app/startup.h"
#include "base/postgres/pgconnection.h"
#include "ledger/ledgerwindow.h"
#include "partners/beraktarozokformx.h"
#include "pgtestserver.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "storage/serverroles.h"
#include "storage/servertransfer.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

using namespace vela;

namespace {

// Whether each named control of window is switched on: buttons and boxes by
// their enabled state (a box also by being writable), menu items by theirs.
void expectOn(QWidget& window, const QStringList& names, bool on, const std::string& who) {
    for (const QString& name : names) {
        if (auto* action = window.findChild<QAction*>(name)) {
            EXPECT_EQ(action->isEnabled(), on) << who << " " << name.toStdString();
        } else if (auto* box = window.findChild<QLineEdit*>(name)) {
            EXPECT_EQ(!box->isReadOnly(), on) << who << " " << name.toStdString();
        } else if (auto* w = window.findChild<QWidget*>(name)) {
            EXPECT_EQ(w->isEnabled(), on) << who << " " << name.toStdString();
        } else {
            ADD_FAILURE() << who << ": no control " << name.toStdString();
        }
    }
}

TEST(Roles, AReadOnlyLoginSeesEveryWindowWithItsEditingOff) {
    test::PgTestDatabase server(QStringLiteral("vela_uiroles"));
    ASSERT_FALSE(server.conninfo().isEmpty());
    TempDataFolder folder;
    {
        auto parameters = Database::open(QStringLiteral("parameter.kdb"));
        ASSERT_TRUE(parameters);
        ASSERT_TRUE(setServerAddress(**parameters, server.conninfo()));
    }
    auto moved = ServerTransfer::toServer(server.conninfo());
    ASSERT_TRUE(moved) << moved.errorText().toStdString();
    auto admin = postgres::PgConnection::open(server.conninfo(), QString());
    ASSERT_TRUE(admin);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString reader = QStringLiteral("olvaso_u") + pid;
    const QString writer = QStringLiteral("konyvelo_u") + pid;
    {
        auto owner = Database::openServer(server.conninfo(), QString());
        ASSERT_TRUE(owner);
        ASSERT_TRUE(ServerRoles::setUp(**owner));
        ASSERT_TRUE((*owner)->exec(
            "INSERT INTO \"beraktar\" (\"BerNev\", \"recordID\") VALUES ('Teszt Kft.', 1)"));
        ASSERT_TRUE((*owner)->exec(
            "INSERT INTO \"VelaData\" (\"Megnevezes\", \"Sorszám\") VALUES ('Bérleti díj', 1)"));
        for (const auto& [login, group] : {std::pair{reader, QStringLiteral("vela_olvaso")},
                                           std::pair{writer, QStringLiteral("vela_konyvelo")}}) {
            (void)(*admin)->execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(login));
            ASSERT_TRUE((*admin)->execScript(
                QStringLiteral("CREATE ROLE %1 LOGIN; GRANT %2 TO %1").arg(login, group)));
        }
    }

    // The ledger's and the partner register's controls that write, and some
    // that only read (which stay on for everyone).
    const QStringList ledgerWrites = {"Command2",    "Command3",  "Command4",      "Text4",
                                      "VelaKivezet", "MindTorol", "RekordDupla",   "Bankkivonat",
                                      "NavSzamla",   "Parameter", "ReszosszegSzam"};
    const QStringList ledgerReads = {"Kilepes", "Command7", "Command5", "Korositas", "SzurKi"};
    const QStringList partnerWrites = {"UjAdat",   "BeszallTorol", "Szerviz", "Command4",
                                       "Command1", "Text2",        "Text9"};
    const QStringList partnerReads = {"Command2", "Text15", "Vevok", "BeszNyom"};
    const struct {
        const char* who;
        QString address;  // Kiszolgalo: empty for the data folder's files
        int level;
    } cases[] = {
        {"files", QString(), 0},
        {"owner", server.conninfo(), 0},
        {"book-keeper", server.conninfo() + QStringLiteral(" user=") + writer, 0},
        {"reader", server.conninfo() + QStringLiteral(" user=") + reader, 2},
    };
    for (const auto& c : cases) {
        {
            auto parameters = Database::open(QStringLiteral("parameter.kdb"));
            ASSERT_TRUE(parameters);
            ASSERT_TRUE(setServerAddress(**parameters, c.address));
        }
        ScriptedDialogService dialogs;
        ScriptedWindowOpener opener;
        AppContext ctx;
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        Startup startup(ctx);
        ASSERT_TRUE(startup.open()) << c.who;
        EXPECT_EQ(ctx.rightsLevel(), c.level) << c.who;
        const bool writes = c.level == 0;
        LedgerWindow& ledger = *startup.window();
        ledger.show();
        expectOn(ledger, ledgerWrites, writes, c.who);
        expectOn(ledger, ledgerReads, true, c.who);
        {
            BeraktarozokFormX partners(ctx);
            partners.show();
            expectOn(partners, partnerWrites, writes, c.who);
            expectOn(partners, partnerReads, true, c.who);
            if (!writes) {
                // Deleting is refused by the level, before any question.
                dialogs.shown.clear();
                partners.BeszallTorol_Click();
                ASSERT_EQ(dialogs.shown.size(), 1) << c.who;
                EXPECT_EQ(dialogs.shown[0].text, "A törléshez 0-1 jogosultság szükséges!");
                EXPECT_EQ(dialogs.shown[0].title, "Jogosultsági szintje: 2");
            }
            partners.Kilepes_Click();
        }
        // Nothing the reader's windows did tried a write the server refused.
        for (const auto& shown : dialogs.shown)
            EXPECT_FALSE(shown.text.contains("jogosultsága")) << c.who << shown.text.toStdString();
    }
    for (const QString& login : {reader, writer})
        (void)(*admin)->execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(login));
}

}  // namespace
