#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <memory>

#include "storage/database.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"
#include "ui/fieldbinder.h"
#include "ui/formkit.h"
#include "ui/navigationbar.h"
#include "ui/recordgrid.h"
#include "ui/recordgridmodel.h"
#include "ui/scripteddialogservice.h"

using namespace vela;

namespace {

// The smallest grid window over a table, built the way every window is: a
// record source, a grid, a bound field with its caption, a button and a menu.
class CountryTestWindow : public QDialog {
  public:
    CountryTestWindow(Database* betarol, DialogService* dialogs) {
        Countries.setDatabase(betarol);
        Countries.setQuery(Query(schema::torzsOrszagok(), {}, {{"OrszágKód"}}));
        auto* binder = new FieldBinder(&Countries, dialogs, this);
        FormKit kit(this, binder, &schema::torzsOrszagok());
        auto* grid = new RecordGrid(this);
        grid->setObjectName("DBGrid1");
        grid->setRecordModel(new RecordGridModel(&Countries, {0, 1}, dialogs, this), dialogs);
        Text1 = kit.textBox("Text1", "OrszágMegnevezés");
        auto* bar = new QMenuBar(this);
        // The test window tells no failure: a refused move or delete leaves
        // the current row, which is what the tests look at.
        menus = new MenuTable(bar,
                              {MenuTable::menu("Adat", "&Adat"),
                               MenuTable::item("Elso", "&Első", [this] { Countries.moveFirst(); }),
                               MenuTable::separator(),
                               MenuTable::item(
                                   "Torol", "&Törlés", [this] { (void)Countries.deleteCurrent(); },
                                   [this] { return Countries.recordCount() > 0; })},
                              this);
        auto* lay = new QVBoxLayout(this);
        lay->setMenuBar(bar);
        lay->addWidget(grid);
        lay->addWidget(kit.caption("Label1", "&Ország neve:", Text1));
        lay->addWidget(Text1);
        lay->addWidget(kit.button("Command1", "OK", [this, binder] {
            binder->commit();
            EXPECT_TRUE(Countries.update());
        }));
        EXPECT_TRUE(Countries.refresh());
        menus->refresh();
    }
    RecordSource Countries;
    QLineEdit* Text1 = nullptr;
    MenuTable* menus = nullptr;
};

// The colour painted in the middle of a widget, left of its caption.
QColor paintedColour(QWidget* w) {
    return w->grab().toImage().pixelColor(6, w->height() / 2);
}

bool isGreen(const QColor& c) {
    return c.green() > 230 && c.red() < 120 && c.blue() < 120;
}

bool isWhite(const QColor& c) {
    return c.green() > 245 && c.red() > 245 && c.blue() > 245;
}

}  // namespace

TEST(FormKit, AGridWindowOverATableIsOneShortClass) {
    TempDataFolder folder;
    auto opened = Database::open("betarol.kdb");
    ASSERT_TRUE(opened) << opened.errorText().toStdString();
    auto db = std::move(*opened);
    EXPECT_TRUE(db->exec("DELETE FROM TorzsOrszagok"));
    EXPECT_TRUE(
        db->exec("INSERT INTO TorzsOrszagok (OrszágKód, OrszágMegnevezés) VALUES ('HU', "
                 "'Magyarország'), ('AT', 'Ausztria')"));
    ScriptedDialogService dialogs;
    CountryTestWindow w(db.get(), &dialogs);
    w.show();
    EXPECT_EQ(w.Countries.recordCount(), 2);
    EXPECT_EQ(w.Text1->text(), "Ausztria");  // AT comes first
    EXPECT_EQ(w.Text1->accessibleName(), "Ország neve:");
    w.Text1->setText("Österreich");
    emit w.Text1->textEdited("Österreich");
    w.findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(
        db->scalar("SELECT OrszágMegnevezés FROM TorzsOrszagok WHERE OrszágKód = 'AT'")->toString(),
        "Österreich");

    QAction* del = w.menus->action("Torol");
    ASSERT_TRUE(del);
    EXPECT_TRUE(del->isEnabled());
    del->trigger();
    del->trigger();
    w.menus->refresh();
    EXPECT_FALSE(del->isEnabled());  // nothing left to delete
    EXPECT_EQ(db->scalar("SELECT count(*) FROM TorzsOrszagok")->toInt(), 0);
}

TEST(FormKit, ButtonIsPaintedGreenWhileItsActionRunsAndWhiteAfter) {
    for (const QString styleName : {"Fusion", "Windows"}) {
        // A widget does not own the style it is given: this one outlives the form.
        std::unique_ptr<QStyle> style(QStyleFactory::create(styleName));
        QDialog form;
        FormKit kit(&form);
        QColor during;
        QPushButton* b = nullptr;
        b = kit.button("Command1", "Mentés", [&] { during = paintedColour(b); });
        b->resize(120, 30);
        b->setStyle(style.get());
        form.show();
        EXPECT_TRUE(isWhite(paintedColour(b))) << styleName.toStdString();
        b->click();
        EXPECT_TRUE(isGreen(during))
            << styleName.toStdString() << " " << during.name().toStdString();
        EXPECT_TRUE(isWhite(paintedColour(b))) << styleName.toStdString();
    }
}

TEST(FormKit, MenuTableBuildsMenusItemsAndSeparatorsInOrder) {
    QMenuBar bar;
    int ran = 0;
    bool allowed = false;
    MenuTable menus(
        &bar,
        {MenuTable::top("Elso", "&Első", [&] { ++ran; }), MenuTable::menu("Szures", "S&zűrés"),
         MenuTable::check(
             "Kp", "Készpénzesek", [&] { ++ran; }, [&] { return allowed; }),
         MenuTable::separator(), MenuTable::item("SzurKi", "Minden adat (szűrés ki)")});
    const QList<QAction*> top = bar.actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->objectName(), "Elso");
    QMenu* filters = top[1]->menu();
    ASSERT_TRUE(filters);
    EXPECT_EQ(filters->objectName(), "Szures");
    const QList<QAction*> items = filters->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->objectName(), "Kp");
    EXPECT_TRUE(items[0]->isCheckable());
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "Minden adat (szűrés ki)");
    allowed = true;
    emit filters->aboutToShow();  // opening the menu applies the rules again
    EXPECT_TRUE(items[0]->isEnabled());
    top[0]->trigger();
    items[0]->trigger();
    EXPECT_EQ(ran, 2);
}

TEST(ValueLabel, ScreenReadersHearCaptionAndValueKeptCurrent) {
    QWidget form;
    ValueLabel label("Tartozás:", &form);
    form.show();
    label.setValue("1234,5.-");
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&label);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->text(QAccessible::Name), "Tartozás: 1234,5.-");
    label.setValue("0.-");
    EXPECT_EQ(a->text(QAccessible::Name), "Tartozás: 0.-");
}
