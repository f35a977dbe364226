#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "storage/database.h"
#include "storage/recordsource.h"
#include "tempdatafolder.h"
#include "ui/datepicker.h"
#include "ui/fieldbinder.h"
#include "ui/fieldrules.h"
#include "ui/recordgrid.h"
#include "ui/recordgridmodel.h"
#include "ui/scripteddialogservice.h"

using namespace vela;

TEST(KeyRules, NumericDateDigitsAndLengthLimit) {
    ScriptedDialogService dialogs;
    QLineEdit afa;
    KeyRules::install(&afa, &dialogs, KeyRules::Allowed::Numeric, 2);
    afa.show();
    QTest::keyClicks(&afa, "2x7");
    EXPECT_EQ(afa.text(), "27");
    EXPECT_EQ(dialogs.beeps, 1);
    QTest::keyClicks(&afa, "5");  // a third digit is refused
    EXPECT_EQ(afa.text(), "27");
    QTest::keyClicks(&afa, ",");  // the comma still passes the length rule
    EXPECT_EQ(afa.text(), "27,");
    QTest::keyClick(&afa, Qt::Key_Backspace);
    EXPECT_EQ(afa.text(), "27");
    EXPECT_EQ(dialogs.beeps, 2);

    KeyRules digits(nullptr, KeyRules::Allowed::Digits, 0);
    EXPECT_TRUE(digits.accepts("7", ""));
    EXPECT_FALSE(digits.accepts("-", ""));
    EXPECT_TRUE(digits.accepts("\b", "12"));
    KeyRules date(nullptr, KeyRules::Allowed::Date, 10);
    EXPECT_TRUE(date.accepts(".", "2024"));
    EXPECT_FALSE(date.accepts(",", "2024"));
    EXPECT_FALSE(date.accepts("1", "2024.03.07"));
}

TEST(FocusHighlighter, LightCyanWhileFocused) {
    QWidget w;
    auto* a = new QLineEdit(&w);
    auto* b = new QLineEdit(&w);
    a->move(0, 0);
    b->move(0, 40);
    FocusHighlighter::install(a);
    w.show();
    QApplication::setActiveWindow(&w);
    a->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(a->palette().color(QPalette::Base), QColor(128, 255, 255));
    b->setFocus();
    QApplication::processEvents();
    EXPECT_NE(a->palette().color(QPalette::Base), QColor(128, 255, 255));
}

class BoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto opened = Database::open("veladata.mdb");
        ASSERT_TRUE(opened) << opened.errorText().toStdString();
        db = std::move(*opened);
        EXPECT_TRUE(db->begin());
        for (int i = 1; i <= 200; ++i)
            EXPECT_TRUE(db->exec(
                "INSERT INTO VelaData (Sorszám, recordID, Netto, Datumtol) VALUES (?, 'r', ?, "
                "'2024-01-02')",
                {i, i * 10.0}));
        EXPECT_TRUE(db->commit());
        rs.setDatabase(db.get());
        rs.setQuery(Query(schema::velaData(), {}, {{"Sorszám"}, {"recordID"}}));
        EXPECT_TRUE(rs.refresh());
    }
    TempDataFolder folder;
    std::unique_ptr<Database> db;
    RecordSource rs;
    ScriptedDialogService dialogs;
};

TEST_F(BoundTest, GridModelPassesTheModelTesterThroughChanges) {
    QVector<int> cols;
    for (int i = 0; i < 24; ++i) cols << i;
    RecordGridModel model(&rs, cols, &dialogs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 200);
    EXPECT_EQ(model.headerData(5, Qt::Horizontal).toString(), "Netto");
    EXPECT_EQ(model.data(model.index(1, 5)).toString(), "20");
    EXPECT_EQ(model.data(model.index(0, 8)).toString(), "2024.01.02.");

    EXPECT_TRUE(model.setData(model.index(3, 5), "12,5"));
    EXPECT_FALSE(model.setData(model.index(3, 5), "1,2,3"));
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(model.data(model.index(3, 5)).toString(), "12,5");
    EXPECT_TRUE(rs.moveTo(150));
    EXPECT_TRUE(rs.deleteCurrent());
    EXPECT_TRUE(rs.addNew());
    EXPECT_TRUE(rs.setField(0, 999));
    EXPECT_TRUE(rs.update());
    EXPECT_EQ(model.rowCount(), 200);
    EXPECT_TRUE(rs.setSort({{"Netto", true}}));
    EXPECT_TRUE(rs.refresh());
    EXPECT_EQ(db->scalar("SELECT Netto FROM VelaData WHERE Sorszám = 4")->toDouble(), 12.5);
}

TEST_F(BoundTest, BoundFieldsFollowTheRowAndRefuseBadValues) {
    QWidget w;
    auto* netto = new QLineEdit(&w);
    auto* other = new QLineEdit(&w);
    auto* date = new DatePicker(&w);
    FieldBinder binder(&rs, &dialogs);
    binder.bind(netto, "Netto");
    binder.bind(date, "Datumtol");
    EXPECT_EQ(netto->text(), "10");
    EXPECT_TRUE(rs.moveNext());
    EXPECT_EQ(netto->text(), "20");
    EXPECT_EQ(date->value().toDate(), QDate(2024, 1, 2));

    w.show();
    QApplication::setActiveWindow(&w);
    netto->setFocus();
    netto->selectAll();
    QTest::keyClicks(netto, "1,2,3");
    other->setFocus();  // leaving the field writes it: refused, the old value is back
    QApplication::processEvents();
    EXPECT_EQ(netto->text(), "20");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains("Netto"));

    netto->setFocus();
    netto->selectAll();
    QTest::keyClicks(netto, "33,5");
    other->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(rs.moveNext());  // the edit is stored when the row is left
    EXPECT_EQ(db->scalar("SELECT Netto FROM VelaData WHERE Sorszám = 2")->toDouble(), 33.5);

    // Typed but not yet left: a move of the row (a navigation button takes no
    // focus) still takes the typed value along.
    netto->setFocus();
    netto->selectAll();
    QTest::keyClicks(netto, "44");
    EXPECT_TRUE(rs.moveFirst());
    EXPECT_EQ(db->scalar("SELECT Netto FROM VelaData WHERE Sorszám = 3")->toDouble(), 44);

    date->setDate(QDate(2025, 5, 6));  // a picker's date goes into the row when finished
    EXPECT_NE(rs.field("Datumtol").toDate(), QDate(2025, 5, 6));
    QTest::keyClick(date, Qt::Key_Return);
    EXPECT_EQ(rs.field("Datumtol").toDate(), QDate(2025, 5, 6));
}
