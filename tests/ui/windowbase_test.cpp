#include <gtest/gtest.h>

#include <QApplication>

#include "storage/database.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"
#include "ui/appcontext.h"
#include "ui/busycursor.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowbase.h"

using namespace vela;

namespace {

// A window whose exit is counted; it closes the way every window's exit does.
class ExitCountingWindow : public WindowBase {
  public:
    ExitCountingWindow(AppContext& ctx, Escape escape, bool staysOpen = false)
        : WindowBase(ctx, nullptr, escape), staysOpen_(staysOpen) {}

    using WindowBase::busyRun;
    using WindowBase::reportFailure;
    using WindowBase::sortOnHeader;

    int exits = 0;
    int closedPlainly = 0;

  protected:
    void exitAction() override {
        ++exits;
        SetQui(false);
        if (!staysOpen_)
            done(QDialog::Accepted);
    }
    void closedWithoutExit() override { ++closedPlainly; }
    bool staysOpen() const override { return staysOpen_; }

  private:
    bool staysOpen_;
};

}  // namespace

TEST(WindowBase, EscAndTheCloseBoxRunTheExitAsTheWindowSays) {
    using Escape = WindowBase::Escape;
    struct Case {
        const char* name;
        Escape escape;
        bool flag;
        bool closeBox;  // the close box, else Esc
        bool staysOpen;
        int exits;
        int closedPlainly;
        bool visibleAfter;
    };
    const Case cases[] = {
        {"Esc while flagged", Escape::ExitWhileFlagged, true, false, false, 1, 0, false},
        {"Esc with the flag cleared", Escape::ExitWhileFlagged, false, false, false, 0, 0, false},
        {"Esc ignored", Escape::Ignored, true, false, false, 0, 0, true},
        {"Esc as the close box", Escape::ClosesWindow, true, false, false, 1, 0, false},
        {"close box while flagged", Escape::Ignored, true, true, false, 1, 0, false},
        {"close box with the flag cleared", Escape::Ignored, false, true, false, 0, 1, false},
        {"close box on a window that stays open", Escape::Ignored, true, true, true, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppContext ctx;
        ExitCountingWindow w(ctx, c.escape, c.staysOpen);
        w.SetQui(c.flag);
        w.show();
        if (c.closeBox)
            w.close();
        else
            w.reject();
        EXPECT_EQ(w.exits, c.exits);
        EXPECT_EQ(w.closedPlainly, c.closedPlainly);
        EXPECT_EQ(w.isVisible(), c.visibleAfter);
        EXPECT_FALSE(w.closeFlag() && c.exits > 0);  // the exit cleared it
    }
}

TEST(WindowBase, AFailedActionIsToldAndTheBusyPointerOnlyLastsTheAction) {
    ScriptedDialogService dialogs;
    AppContext ctx;
    ctx.dialogs = &dialogs;
    ExitCountingWindow w(ctx, WindowBase::Escape::Ignored);
    bool busyDuring = false;
    EXPECT_TRUE(w.busyRun([&]() -> Status {
        busyDuring = BusyCursor::active();
        return {};
    }));
    EXPECT_TRUE(busyDuring);
    EXPECT_TRUE(dialogs.shown.isEmpty());

    EXPECT_FALSE(w.busyRun([]() -> Status { return Error{QStringLiteral("disk I/O error")}; }));
    EXPECT_FALSE(BusyCursor::active());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("Adatbázis-hiba: disk I/O error"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("FIGYELEM! HIBA!"));
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Critical);
}

TEST(WindowBase, HeaderClicksTurnTheSortAndEveryTenthRereadsTheRows) {
    TempDataFolder folder;
    auto opened = Database::open("betarol.kdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    ASSERT_TRUE(db->exec("DELETE FROM TorzsOrszagok"));
    ASSERT_TRUE(
        db->exec("INSERT INTO TorzsOrszagok (OrszágKód, OrszágMegnevezés) VALUES ('HU', "
                 "'Magyarország'), ('AT', 'Ausztria'), ('SK', "
                 "'Szlovákia')"));
    AppContext ctx;
    ExitCountingWindow w(ctx, WindowBase::Escape::Ignored);
    RecordSource countries;
    countries.setDatabase(db.get());
    countries.setQuery(Query(schema::torzsOrszagok()));
    ASSERT_TRUE(countries.refresh());

    // The first code after each click: up, down, up ...; the tenth click
    // reads the rows afresh (no sort shown), so it sorts up again.
    const char* firstAfter[] = {"AT", "SK", "AT", "SK", "AT", "SK", "AT", "SK", "AT", "AT"};
    const int countAfter[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    for (int click = 0; click < 10; ++click) {
        SCOPED_TRACE(click + 1);
        w.sortOnHeader(countries, 2, QStringLiteral("OrszágKód"));
        EXPECT_EQ(countries.field("OrszágKód").toString(), firstAfter[click]);
        EXPECT_EQ(w.headerClicks(2), countAfter[click]);
    }
    EXPECT_EQ(w.headerClicks(1), 0);  // another grid's count is its own
}
