// The parameters window: the row it adds, the grid's key rules, "OK".
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "common/tempdatafolder.h"
#include "settings/veladataparameterformx.h"
#include "storage/database.h"
#include "storage/dataplace.h"
#include "ui/appcontext.h"
#include "ui/scripteddialogservice.h"
#include "ui/windowopener.h"

using vela::DialogService;
using vela::VelaDataParameterFormX;

namespace {

const QString kDigits = "A 'Delete' gombbal törölje a számot és adja be az újat!";
const QString kZeroToThree = "A 'Delete' gombbal törölje a számot és adja be az újat 0-3 - ig!";

class ParameterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx.dialogs = &dialogs;
        ctx.opener = &opener;
        ctx.db.openAll();
        ASSERT_TRUE(ctx.db.parameters) << ctx.db.parametersStatus.errorText().toStdString();
    }
    void TearDown() override {
        window.reset();
        ctx.db.closeAll();
    }
    void open() {
        window = std::make_unique<VelaDataParameterFormX>(ctx);
        window->show();
        QApplication::processEvents();
    }
    int rowCount() {
        return ctx.db.parameters->scalar("SELECT count(*) FROM EmblemaPath")->toInt();
    }
    bool key(int column, const QString& typed, const QString& cell) {
        return window->DBGrid1_KeyPress(column, typed, cell);
    }

    TempDataFolder folder;
    vela::ScriptedDialogService dialogs;
    vela::ScriptedWindowOpener opener;
    vela::AppContext ctx;
    std::unique_ptr<VelaDataParameterFormX> window;
};

}  // namespace

TEST_F(ParameterTest, EmptyTableGetsExactlyOneRowWithDefaults) {
    ASSERT_EQ(rowCount(), 0);
    open();
    EXPECT_EQ(window->windowTitle(), "Paraméterek-Beállítások - VelaData");
    ASSERT_EQ(rowCount(), 1);
    const auto read = ctx.db.parameters->rows("SELECT Tizedes, DevizaNem FROM EmblemaPath");
    ASSERT_TRUE(read) << read.errorText().toStdString();
    ASSERT_EQ(read->size(), 1u);
    const auto& r = read->front();
    EXPECT_EQ(r[0].toInt(), 0);
    EXPECT_EQ(r[1].toString(), "Ft");
    auto* grid = window->findChild<QTableView*>("DBGrid1");
    // The business's details and the late-payment rate follow the first
    // seven; the server address and the years of history kept come last.
    EXPECT_EQ(grid->model()->columnCount(), 14);
    EXPECT_EQ(grid->model()->headerData(12, Qt::Horizontal).toString(), "Kiszolgáló");
    EXPECT_EQ(grid->model()->headerData(13, Qt::Horizontal).toString(),
              "Változások megőrzése (év)");
    EXPECT_EQ(grid->model()->headerData(7, Qt::Horizontal).toString(), "Saját adószám");
    EXPECT_EQ(grid->model()->headerData(11, Qt::Horizontal).toString(), "KesedelmiKamat");
    EXPECT_EQ(grid->model()->headerData(5, Qt::Horizontal).toString(), "FakturoW path");
    EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), "Tizedes");
    window.reset();
    open();  // a second opening adds nothing
    EXPECT_EQ(rowCount(), 1);
}

TEST_F(ParameterTest, GridKeyRulesAndTheirMessages) {
    open();
    // Tizedes: 0 to 3 only, one character.
    EXPECT_FALSE(key(2, "5", ""));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kZeroToThree);
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! ");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Warning);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_TRUE(key(2, "2", ""));
    dialogs.clear();
    EXPECT_FALSE(key(2, "2", "1"));  // full: a beep only
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(key(2, "\b", "1"));  // Backspace stopped by the length rule too
    // Példányszám: digits only.
    EXPECT_FALSE(key(1, "a", ""));
    EXPECT_EQ(dialogs.texts(), QStringList{kDigits});
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM!");
    EXPECT_TRUE(key(1, "7", ""));
    // KesedelmiKamat: a rate in per cent, digits and a decimal mark.
    dialogs.clear();
    EXPECT_TRUE(key(11, ",", "13"));
    EXPECT_FALSE(key(11, "%", "13"));
    EXPECT_EQ(dialogs.shown.size(), 1u);
    // The years of history kept: up to three digits.
    dialogs.clear();
    EXPECT_TRUE(key(13, "8", "1"));
    EXPECT_FALSE(key(13, "x", ""));
    EXPECT_EQ(dialogs.texts(), QStringList{"Az évek számát számjegyekkel adja meg!"});
    EXPECT_FALSE(key(13, "1", "100"));
    // DevizaNem: nothing but Backspace, and that while shorter than 3.
    dialogs.clear();
    EXPECT_FALSE(key(3, "E", "Ft"));
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(key(3, "\b", "Ft"));
    EXPECT_FALSE(key(3, "\b", "EUR"));
    // SorszámKiegészités takes nothing; the paths take up to 100.
    EXPECT_FALSE(key(6, "x", ""));
    EXPECT_TRUE(key(5, "C", QString(99, 'x')));
    EXPECT_FALSE(key(5, "C", QString(100, 'x')));
    // SajatAdoszam: 8 digits, nothing else.
    dialogs.clear();
    EXPECT_FALSE(key(7, "-", "1234"));
    EXPECT_EQ(
        dialogs.texts(),
        QStringList{"A saját adószámnak csak az első 8 számjegyét adja meg (kötőjel nélkül)!"});
    EXPECT_TRUE(key(7, "8", "1234567"));
    EXPECT_FALSE(key(7, "9", "12345678"));
}

TEST_F(ParameterTest, TypingIntoTheGridGoesThroughTheRules) {
    open();
    auto* grid = window->findChild<QTableView*>("DBGrid1");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 2));
    dialogs.clear();
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = grid->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->clear();
    QTest::keyClick(editor, '5');
    EXPECT_EQ(editor->text(), "");
    EXPECT_EQ(dialogs.texts(), QStringList{kZeroToThree});
    QTest::keyClick(editor, '2');
    EXPECT_EQ(editor->text(), "2");
    QTest::keyClick(editor, Qt::Key_Return);
    window->findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(ctx.db.parameters->scalar("SELECT Tizedes FROM EmblemaPath")->toInt(), 2);
}

TEST_F(ParameterTest, OkTestsTheLogoAndSetsTheInvoicingFolder) {
    EXPECT_TRUE(ctx.db.parameters->exec(
        "INSERT INTO EmblemaPath (EmblemaPath, InterfacePath) VALUES (?, ?)",
        {folder.file("nincs.bmp"), "  C:\\FAKTURO"}));
    open();
    window->findChild<QPushButton*>("Command1")->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Hibásan adta meg a képállomány helyét és/vagy a file nevet!");
    EXPECT_EQ(dialogs.shown[0].title, "HIBA! (path vagy file)");
    EXPECT_EQ(dialogs.shown[0].icon, DialogService::Icon::Critical);
    EXPECT_EQ(ctx.invoicingFolder, "C:\\FAKTURO");

    // A picture that loads, named in other letter case: no message.
    QImage logo(8, 8, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(folder.file("Logo.PNG")));
    EXPECT_TRUE(ctx.db.parameters->exec(
        "UPDATE EmblemaPath SET EmblemaPath = ?, InterfacePath = NULL", {folder.file("logo.png")}));
    window.reset();
    dialogs.clear();
    open();
    window->findChild<QPushButton*>("Command1")->click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(ctx.invoicingFolder, "");
}

TEST_F(ParameterTest, HelpAndExit) {
    open();
    opener.handlers << [&](QDialog& w) { EXPECT_EQ(w.objectName(), "HelpFormX"); };
    window->Segedlet_Click();
    EXPECT_EQ(opener.opened, 1);
    EXPECT_TRUE(window->closeFlag());
    window->close();
    EXPECT_FALSE(window->closeFlag());
    EXPECT_FALSE(window->rows().isOpen());
}

TEST_F(ParameterTest, ServerAddressIsShownKeptWithoutPasswordAndCountsFromTheNextStart) {
    open();
    auto* where = window->findChild<QLabel*>("WhereLabel");
    ASSERT_TRUE(where);
    EXPECT_TRUE(where->text().startsWith("A program az adatmappa fájljain dolgozik"));
    struct Case {
        QString typed;
        QString stored;
        QString told;  // the one message, empty for none
    } const cases[] = {
        {"service=vela", "service=vela",
         "A program a következő indításától a(z) service=vela adatbázis-kiszolgálón dolgozik."},
        {"  service=vela ", "service=vela", ""},  // unchanged: nothing to tell
        {"host=gep password=titok", "service=vela",
         "A jelszót a program nem tárolja: törölje a kapcsolódási adatok közül, és adja meg a "
         "~/.pgpass állományban vagy a PostgreSQL szolgáltatásfájljában!"},
        {"", "", "A program a következő indításától az adatmappa fájljain dolgozik."},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        ASSERT_TRUE(window->rows().setField("Kiszolgalo", c.typed));
        window->findChild<QPushButton*>("Command1")->click();
        EXPECT_EQ(vela::serverAddress(*ctx.db.parameters), c.stored) << c.typed.toStdString();
        EXPECT_EQ(dialogs.texts(), c.told.isEmpty() ? QStringList{} : QStringList{c.told})
            << c.typed.toStdString();
    }
    // The program keeps working where it opened until it starts again.
    EXPECT_TRUE(where->text().startsWith("A program az adatmappa fájljain dolgozik"));
}
