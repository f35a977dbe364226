// The partner register's "Változások": a partner's changes and the deleted
// partners brought back.
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>

#include "historywindow/valtozasokformx.h"
#include "partnerfixture.h"

using Answer = vela::DialogService::Answer;

namespace {

QStringList rowTexts(QTableWidget* g, int row) {
    QStringList out;
    for (int c = 2; c < g->columnCount(); ++c) out << g->item(row, c)->text();
    return out;
}

}  // namespace

TEST_F(PartnerFixture, APartnersHistoryAndADeletedPartnerBroughtBack) {
    insert({{"Alfa Kft", 1, "V", "Pécs"}, {"O'Brien Bt", 2, "S", "Győr"}});
    open();
    ASSERT_EQ(current(), "Alfa Kft");
    ASSERT_TRUE(window->rows().setField("BerSzekhely", "Szeged"));
    ASSERT_TRUE(window->rows().update());
    ASSERT_TRUE(betarol->exec("DELETE FROM beraktar WHERE recordID = 2"));

    int opened = 0;
    opener.handlers << [&](QDialog& d) {
        auto* w = qobject_cast<vela::ValtozasokFormX*>(&d);
        ASSERT_TRUE(w);
        ++opened;
        EXPECT_TRUE(w->findChild<QLabel*>("Label1")->text().startsWith(
            "Partner: Alfa Kft   Azonosító (recordID): 1"));
        auto* changes = w->findChild<QTableWidget*>("Grid1");
        ASSERT_EQ(changes->rowCount(), 2);  // newest first: the change, then the making
        EXPECT_EQ(rowTexts(changes, 0), QStringList({"BerSzekhely", "Pécs", "Szeged"}));
        EXPECT_EQ(rowTexts(changes, 1), QStringList({"(új sor)", "", ""}));
        auto* deleted = w->findChild<QTableWidget*>("Grid2");
        ASSERT_EQ(deleted->rowCount(), 1);
        EXPECT_EQ(rowTexts(deleted, 0), QStringList({"O'Brien Bt", "Győr", "", "2"}));
        w->findChild<QTabWidget*>("Tab1")->setCurrentIndex(1);
        deleted->selectAll();
        dialogs.answer(Answer::Yes);
        w->findChild<QPushButton*>("Command2")->click();
        EXPECT_EQ(w->restoredRows(), 1);
    };
    menu("Valtozasok");
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(idOf("O'Brien Bt").toInt(), 2);
    EXPECT_EQ(window->rows().recordCount(), 2);
    EXPECT_EQ(current(), "Alfa Kft");  // the partner shown before stays current
}
