#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "common/tempdatafolder.h"
#include "maintenance/form1.h"
#include "reptesthelpers.h"

using velarep::Form1;

namespace {

template <typename T>
T* child(Form1& form, const char* name) {
    T* w = form.findChild<T*>(QLatin1String(name));
    EXPECT_TRUE(w) << name;
    return w;
}

QStringList saveFolders() {
    return QDir().entryList({"SAVE-*"}, QDir::Dirs);
}

}  // namespace

TEST(Form1, ControlsCaptionsAndTooltips) {
    ScriptedRepDialogs dialogs;
    Form1 form(TempDataFolder::templateDir(), dialogs);
    EXPECT_EQ(form.windowTitle(),
              QString::fromUtf8("VelaRep Adatbázis frissítése/javítása - VelaData  by Norvik"));
    EXPECT_EQ(child<QPushButton>(form, "Command1")->text(), "&Szerver");
    EXPECT_EQ(child<QPushButton>(form, "Command1")->toolTip(),
              QString::fromUtf8("Frissítés indítása"));
    EXPECT_EQ(child<QPushButton>(form, "Command2")->text(), QString::fromUtf8("Kilép - ESC"));
    EXPECT_EQ(child<QPushButton>(form, "Command2")->toolTip(), QString::fromUtf8("Kilépés"));
    EXPECT_EQ(child<QGroupBox>(form, "Frame1")->title(),
              QString::fromUtf8("V.1.0  Verzión belüli modul:"));
    for (const char* name : {"l1", "l2", "Label1", "Label3"}) child<QLabel>(form, name);
    EXPECT_FALSE(child<QLabel>(form, "Label3")->text().isEmpty());
}

TEST(Form1, CommandLineSwitch) {
    for (const char* arg :
         {"/s", "/S", "/kiszolgalo /s", "/S /HELYI", "/visszatoltes SAVE-20260302-100001 /s",
          "/S /Visszatoltes régi mentés"})
        EXPECT_TRUE(Form1::isAutoRun(arg)) << arg;
    for (const char* arg :
         {"", "/s x", " /s", "s", "-s", "/ss", "/kiszolgalo", "/helyi /s x", "/visszatoltes /s",
          "/s /visszatoltes", "/visszatoltes SAVE-1", "/s /visszatoltes SAVE-1 /s"})
        EXPECT_FALSE(Form1::isAutoRun(arg)) << arg;

    {
        TempDataFolder data;
        fillUserRows();
        ScriptedRepDialogs dialogs;
        Form1 form(TempDataFolder::templateDir(), dialogs);
        form.start("/S");
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(saveFolders().size(), 1);
        ASSERT_EQ(dialogs.boxes.size(), 1);
        EXPECT_TRUE(dialogs.boxes[0].text.startsWith(
            QString::fromUtf8("Karbantartás vége! (Esc kilép)\n\nÁtkerült sorok:\n")));
        EXPECT_EQ(child<QProgressBar>(form, "pb1")->value(), 4);
        EXPECT_EQ(sql::count("veladata.mdb", "VelaData"), 3);
    }
    {
        TempDataFolder data;
        ScriptedRepDialogs dialogs;
        Form1 form(TempDataFolder::templateDir(), dialogs);
        form.start("/s x");
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(saveFolders().isEmpty());
        EXPECT_TRUE(dialogs.boxes.isEmpty());
        child<QPushButton>(form, "Command1")->click();
        EXPECT_EQ(saveFolders().size(), 1);
        EXPECT_EQ(dialogs.boxes.size(), 1);
        EXPECT_TRUE(form.isVisible());
        form.close();
    }
}

TEST(Form1, ClosingIsRefusedWhileBusy) {
    TempDataFolder data;
    QTemporaryDir noTemplates;
    ScriptedRepDialogs dialogs;
    Form1 form(noTemplates.path(), dialogs);
    form.show();
    auto* command1 = child<QPushButton>(form, "Command1");
    auto* command2 = child<QPushButton>(form, "Command2");
    bool closed = true;
    bool buttonsEnabled = true;
    QString status;
    QString runningStyle;
    dialogs.onAsk = [&] {
        buttonsEnabled = command1->isEnabled() || command2->isEnabled();
        runningStyle = command1->styleSheet();
        status = child<QLabel>(form, "l1")->text();
        closed = form.close();
        command2->click();
        QTest::keyClick(&form, Qt::Key_Escape);
    };
    command1->click();  // the missing template is asked about; No stops the run
    EXPECT_EQ(dialogs.questions(), 1);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(buttonsEnabled);
    EXPECT_EQ(status, QString::fromUtf8("Adatbázis :betarol.kdb"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(runningStyle.contains("rgb(0, 255, 0)"));
    EXPECT_TRUE(command1->styleSheet().contains("white"));
    EXPECT_TRUE(command1->isEnabled());
    EXPECT_TRUE(command2->isEnabled());
    // Idle again: Esc presses Command2, which closes the window.
    form.activateWindow();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}
