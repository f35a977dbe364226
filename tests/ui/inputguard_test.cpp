// What reaches a field by paste, and how long values are shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>

#include "storage/columns.h"
#include "ui/fieldrules.h"
#include "ui/formkit.h"
#include "ui/scripteddialogservice.h"

using namespace vela;

namespace {

void paste(QLineEdit& e, const QString& clip) {
    QGuiApplication::clipboard()->setText(clip);
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
}

}  // namespace

TEST(TextGuard, PastesLoseControlCharactersAndACutIsTold) {
    struct Case {
        int limit;
        QString pasted;
        QString kept;
        bool told;
    };
    const Case cases[] = {
        {255, QStringLiteral("Kft") + QChar(0) + QStringLiteral("."), "Kft.", false},
        {255, QString::fromUtf16(u"a\u202Eb\u2066c\u0007d\u001Be"), "abcde", false},
        {255, QString(5000, QLatin1Char('m')), QString(255, QLatin1Char('m')), true},
        {3, "EURO", "EUR", true},
        {3, "Ft", "Ft", false},
    };
    for (const Case& c : cases) {
        ScriptedDialogService dialogs;
        QLineEdit e;
        TextGuard::install(&e, &dialogs, c.limit);
        e.show();
        paste(e, c.pasted);
        EXPECT_EQ(e.text(), c.kept) << c.pasted.left(10).toStdString();
        ASSERT_EQ(dialogs.shown.size(), c.told ? 1 : 0);
        if (c.told) {
            EXPECT_EQ(dialogs.shown[0].text.toStdString(),
                      QStringLiteral("A beírt szöveg %1 karakter, de ide legfeljebb %2 karakter "
                                     "fér: a(z) %3. karaktertől kezdve a többi lemaradt. Nézze "
                                     "meg, mi maradt a mezőben!")
                          .arg(c.pasted.size())
                          .arg(c.limit)
                          .arg(c.limit + 1)
                          .toStdString());
            EXPECT_EQ(dialogs.beeps, 1);
        }
    }
    // Tab and newline are no stray controls.
    EXPECT_EQ(TextGuard::withoutControls(QStringLiteral("a\tb\nc\rd")), "a\tb\ncd");
}

TEST(RefuseOutOfRange, NumbersBeyondFifteenDigitsGetTheNumberMessage) {
    const ColumnDef netto{"Netto", ColumnType::Real, 20, KeyClass::Numeric, "Text5", ""};
    const ColumnDef sorszam{"Sorszám", ColumnType::Integer, 10, KeyClass::Numeric, "", ""};
    const ColumnDef remark{"Megjegyzés", ColumnType::Text, 255, KeyClass::Any, "Text12", ""};
    struct Case {
        const ColumnDef* column;
        QVariant value;
        bool refused;
    } const cases[] = {
        {&netto, "12,5", false},
        {&netto, "-999999999999999", false},
        {&netto, "1000000000000000", true},
        {&netto, QString(401, QLatin1Char('9')), true},
        {&netto, 1e254, true},
        {&netto, "nem szám", false},  // the column's own rule tells that one
        {&sorszam, "12345678901234567", true},
        {&remark, QString(401, QLatin1Char('9')), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(refuseOutOfRange(*c.column, c.value).has_value(), c.refused)
            << c.value.toString().left(20).toStdString();
    EXPECT_EQ(refuseOutOfRange(netto, QString(401, QLatin1Char('9')))->toStdString(),
              "A(z) „Netto” mezőbe csak szám írható (például 1234,5), a(z) "
              "„99999999999999999999…” nem szám.");
}

TEST(SelectOnEntry, AClickAfterTheProgramPutATextThereSelectsIt) {
    QLineEdit e;
    SelectOnEntry::install(&e);
    e.show();
    QApplication::setActiveWindow(&e);
    e.setFocus();
    QApplication::processEvents();
    QTest::keyClicks(&e, "12");
    // The program puts a number there while the field keeps the focus.
    e.setText("4711");
    e.deselect();
    QTest::mouseClick(&e, Qt::LeftButton, {}, QPoint(2, e.height() / 2));
    EXPECT_EQ(e.selectedText(), "4711");
    QTest::keyClicks(&e, "5");
    EXPECT_EQ(e.text(), "5");
    // What the user typed is only clicked into.
    QTest::mouseClick(&e, Qt::LeftButton, {}, QPoint(2, e.height() / 2));
    EXPECT_FALSE(e.hasSelectedText());
}

TEST(ValueLabel, AnElidedValueTakesNoMoreWidthThanItIsGiven) {
    QWidget w;
    auto* row = new QHBoxLayout(&w);
    auto* line = new ValueLabel(QStringLiteral("Devizanemenként:"), &w);
    line->setToolTip("Devizanemenként");
    line->setElided(true);
    row->addWidget(line);
    const QString value = QString(255, QLatin1Char('X')) + QStringLiteral(": 100");
    line->setValue(value);
    w.resize(300, 40);
    w.show();
    QApplication::processEvents();
    EXPECT_LT(w.minimumSizeHint().width(), 100);
    EXPECT_EQ(line->value(), value);
    EXPECT_TRUE(line->text().endsWith(QStringLiteral("…")));
    EXPECT_EQ(line->toolTip(), value);
    EXPECT_EQ(line->accessibleName(), QStringLiteral("Devizanemenként: ") + value);
    line->setValue("FT: 100");
    EXPECT_EQ(line->text(), "FT: 100");
    EXPECT_EQ(line->toolTip(), "Devizanemenként");
}
