#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>

#include "partnerfixture.h"
#include "ui/qtdialogservice.h"
#include "ui/recordgridmodel.h"

using Answer = vela::DialogService::Answer;
using Icon = vela::DialogService::Icon;

TEST_F(PartnerFixture, EmptyRegisterGetsOneRowWhichTheFullCheckDeletesWhileNameless) {
    open();
    EXPECT_EQ(window->windowTitle(), "Ügyfelek adatai törzs - VelaData");
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(betarol->scalar("SELECT recordID FROM beraktar")->toLongLong(), 1);
    EXPECT_TRUE(betarol->scalar("SELECT BerNev FROM beraktar")->isNull());
    EXPECT_EQ(window->rows().position(), 0);
    EXPECT_EQ(ctx.helpTopic, "BeraktarozokFormX");
    EXPECT_FALSE(child<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_FALSE(child<QTableView>("DBGrid2")->isVisible());
    EXPECT_TRUE(text("Text15")->hasFocus());

    dialogs.answer(Answer::Yes);
    menu("Kilepes");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Kéri az adatok teljes ellenőrzését?");
    EXPECT_EQ(dialogs.shown[0].title, "FIGYELEM! Ellenőrzés!");
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Question);
    EXPECT_EQ(count(), 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->closeFlag());
    EXPECT_FALSE(window->selectionFlag());
}

TEST_F(PartnerFixture, NameFinderFindsPrefixesCaseBlindAndKeepsTheLastFound) {
    insert({{"Alfa Kft", 1},
            {"Kovács Bt", 2},
            {"Kocka Zrt", 3},
            {"Kőbánya Kft", 4},
            {"Ősz Kft", 5},
            {"Zeta Bt", 6}});
    open();
    QLineEdit* finder = text("Text15");
    keys(finder, "Ko");
    EXPECT_EQ(current(), "Kocka Zrt");
    keys(finder, "v");
    EXPECT_EQ(current(), "Kovács Bt");
    keys(finder, "xy");  // nothing starts so: the last found stays
    EXPECT_EQ(current(), "Kovács Bt");
    finder->clear();
    keys(finder, "ő");
    EXPECT_EQ(current(), "Ősz Kft");
    finder->clear();
    keys(finder, "kŐ");
    EXPECT_EQ(current(), "Kőbánya Kft");
    // Wildcards typed in are wildcards.
    finder->clear();
    keys(finder, "*bány");
    EXPECT_EQ(current(), "Kőbánya Kft");
}

TEST_F(PartnerFixture, OpeningFindsThePassedNameOrStandsOnTheFirstRow) {
    insert({{"Alfa Kft", 1}, {"Kovács", 2}, {"Kovács Bt", 3}, {"Béta [1] Kft", 4}});
    ctx.selectedPartner.name = "kovács bt";
    open();
    EXPECT_EQ(current(), "Kovács Bt");
    EXPECT_EQ(text("Text15")->text(), "kovács bt");
    window.reset();

    // Brackets and the like are taken literally.
    ctx.selectedPartner.name = "Béta [1] Kft";
    open();
    EXPECT_EQ(current(), "Béta [1] Kft");
    window.reset();

    ctx.selectedPartner.name = "Nincs ilyen";
    open();
    EXPECT_EQ(window->rows().position(), 0);
    EXPECT_EQ(current(), "Alfa Kft");
}

TEST_F(PartnerFixture, VisszaHandsNameSeatAndAddressBackWithoutTheCheck) {
    insert(
        {{"Alfa Kft", 1, "V", "Győr", "Fő tér 2."}, {"Fő Kft", 2, "B", "Budapest", "Fő utca 1."}});
    ctx.selectedPartner = {"Fő Kft", "régi", "régi cím"};
    open();
    EXPECT_EQ(current(), "Fő Kft");
    child<QPushButton>("Command2")->click();
    EXPECT_TRUE(window->selectionFlag());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.shown.isEmpty());  // no full check on the way out
    EXPECT_EQ(ctx.selectedPartner.name, "Fő Kft");
    EXPECT_EQ(ctx.selectedPartner.seat, "Budapest");
    EXPECT_EQ(ctx.selectedPartner.address, "Fő utca 1.");
    EXPECT_EQ(child<QPushButton>("Command2")->styleSheet(), "background-color: white;");
}

TEST_F(PartnerFixture, LeavingWithoutChoiceKeepsWhatWasPassed) {
    insert({{"Alfa Kft", 1, "V", "Győr", "Fő tér 2."}});
    ctx.selectedPartner = {"Valaki", "Szeged", "Kő u. 3."};
    open();
    dialogs.answer(Answer::No);
    window->close();  // the close box runs "Mentés-Kilépés"
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(ctx.selectedPartner.name, "Valaki");
    EXPECT_EQ(ctx.selectedPartner.seat, "Szeged");
    EXPECT_EQ(ctx.selectedPartner.address, "Kő u. 3.");
    EXPECT_EQ(count(), 1);
}

TEST_F(PartnerFixture, NewPartnerTakesTheNextIdentifierWhateverTheFilter) {
    std::vector<Partner> ps;
    for (int i = 1; i <= 41; ++i)
        ps.push_back({QStringLiteral("Cég %1").arg(i), 42 - i, i % 3 == 0 ? "B" : "V"});
    insert(ps);
    open();
    menu("Beszallitok");
    EXPECT_EQ(window->rows().recordCount(), 13);
    EXPECT_EQ(current("VevöBeszállitó"), "B");
    menu("UjAdat");
    EXPECT_EQ(count(), 42);
    EXPECT_EQ(betarol->scalar("SELECT count(*) FROM beraktar WHERE recordID = 42")->toInt(), 1);
    EXPECT_EQ(window->rows().recordCount(), 42);  // the filter is dropped
    EXPECT_EQ(window->rows().field("recordID").toLongLong(), 42);
    EXPECT_TRUE(text("Text2")->hasFocus());

    // The user types the new partner's name into the bound box and saves.
    keys(text("Text2"), "Új Partner");
    child<QPushButton>("Command4")->click();
    EXPECT_EQ(idOf("Új Partner").toLongLong(), 42);
    EXPECT_EQ(current(), "Új Partner");

    // A filter that shows nothing does not make the next identifier 1.
    menu("Vevok");
    EXPECT_TRUE(betarol->exec("UPDATE beraktar SET \"VevöBeszállitó\" = 'B'"));
    menu("Vevok");
    EXPECT_EQ(window->rows().recordCount(), 0);
    menu("UjAdat");
    EXPECT_EQ(window->rows().field("recordID").toLongLong(), 43);
}

TEST_F(PartnerFixture, FiltersShowCustomersSuppliersOrAll) {
    insert({{"A", 1, "V"}, {"B", 2, "B"}, {"C", 3}, {"D", 4, "V"}});
    open();
    menu("Vevok");
    EXPECT_EQ(window->rows().recordCount(), 2);
    EXPECT_EQ(current(), "A");
    menu("Beszallitok");
    EXPECT_EQ(window->rows().recordCount(), 1);
    EXPECT_EQ(current(), "B");
    menu("Minden");
    EXPECT_EQ(window->rows().recordCount(), 4);
}

TEST_F(PartnerFixture, RenumberingStartsAtTheCurrentRowsIdentifier) {
    insert({{"A", 1}, {"B", 2}, {"C", 5}, {"D", 9}, {"E", 3}, {"F", QVariant()}});
    open();
    EXPECT_TRUE(window->rows().moveTo(2));
    ASSERT_EQ(current(), "C");
    dialogs.answer(Answer::No);
    menu("Szerviz");
    EXPECT_EQ(idOf("D").toLongLong(), 9);
    EXPECT_EQ(dialogs.last()->text, "Sorszámozza a rekordokat?");
    EXPECT_EQ(dialogs.last()->title,
              "FIGYELEM! Az újrasorszámozás kihat a teljes nyilvántartásra!");
    EXPECT_EQ(dialogs.last()->beepsBefore, 1);

    EXPECT_TRUE(window->rows().moveTo(2));
    dialogs.answer(Answer::Yes);
    menu("Szerviz");
    const std::vector<std::pair<QString, int>> expected = {{"A", 1}, {"B", 2}, {"C", 5},
                                                           {"D", 6}, {"E", 7}, {"F", 8}};
    for (const auto& [name, id] : expected) EXPECT_EQ(idOf(name).toInt(), id) << name.toStdString();

    // A row without identifier starts the numbering at 1.
    EXPECT_TRUE(betarol->exec("UPDATE beraktar SET recordID = NULL WHERE BerNev = 'E'"));
    menu("Minden");
    EXPECT_TRUE(window->rows().moveTo(4));
    ASSERT_EQ(current(), "E");
    dialogs.answer(Answer::Yes);
    menu("Szerviz");
    EXPECT_EQ(idOf("E").toInt(), 1);
    EXPECT_EQ(idOf("F").toInt(), 2);
    EXPECT_EQ(idOf("A").toInt(), 1);  // earlier rows keep theirs, duplicates and all
}

TEST_F(PartnerFixture, DeleteAsksAndRemovesOnlyTheCurrentRow) {
    insert({{"A", 1}, {"B", 2}, {"C", 3}});
    open();
    EXPECT_TRUE(window->rows().moveTo(1));
    dialogs.answer(Answer::No);
    menu("BeszallTorol");
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(dialogs.last()->text, "Biztosan törli a kijelölt sort?");
    EXPECT_EQ(dialogs.last()->title,
              "FIGYELEM! Egyes adatok a törlés után helytelenül maradhatnak a rendszerben!");
    EXPECT_EQ(dialogs.last()->icon, Icon::Warning);
    dialogs.answer(Answer::Yes);
    menu("BeszallTorol");
    EXPECT_EQ(count(), 2);
    EXPECT_FALSE(idOf("B").isValid());
    EXPECT_EQ(current(), "C");
    // The last row deleted: the one before it is shown.
    dialogs.answer(Answer::Yes);
    menu("BeszallTorol");
    EXPECT_EQ(current(), "A");
}

TEST_F(PartnerFixture, DeleteOfALockedRowSaysSo) {
    insert({{"A", 1}});
    open();
    // Another connection holds the write lock.
    auto otherOpened = vela::Database::openPath(folder.file("betarol.kdb"));
    ASSERT_TRUE(otherOpened) << otherOpened.errorText().toStdString();
    auto other = std::move(*otherOpened);
    EXPECT_TRUE(other->exec("PRAGMA busy_timeout = 0"));
    ASSERT_TRUE(other->exec("BEGIN IMMEDIATE"));
    EXPECT_TRUE(betarol->exec("PRAGMA busy_timeout = 0"));
    dialogs.answer(Answer::Yes);
    menu("BeszallTorol");
    EXPECT_TRUE(other->exec("ROLLBACK"));
    EXPECT_EQ(dialogs.last()->text, "Az adat jelenleg zárolt! Próbálja újra, vagy lépjen ki!");
    EXPECT_EQ(dialogs.last()->title, "Rekord lock (Beraktarozok)");
    EXPECT_EQ(dialogs.last()->icon, Icon::Critical);
    EXPECT_EQ(count(), 1);
}

TEST_F(PartnerFixture, FullCheckKeepsTheWindowOpenOnARowWithoutIdentifier) {
    insert({{"A", 1}, {"", 2}, {"B", QVariant()}, {"C", 0}});
    open();
    dialogs.answer(Answer::Yes);
    menu("Kilepes");
    EXPECT_EQ(count(), 3);  // the nameless row is gone
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, "Létezik olyan adat, aminek nincs recordID azonosítója!");
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM! SÚLYOS HIBA! JAVÍTSA!");
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Critical);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(text("Text1")->isEnabled());
    EXPECT_TRUE(text("Text1")->hasFocus());
    EXPECT_TRUE(child<QTableView>("DBGrid1")->isVisible());
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->maximum(), 4);
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), 4);

    // The user gives the two rows their identifiers; the next check lets him go.
    QLineEdit* id = text("Text1");
    const QColor info = id->palette().color(QPalette::Base);
    for (const auto& [row, typed] : {std::pair{1, "7"}, std::pair{2, "8"}}) {
        EXPECT_TRUE(window->rows().moveTo(row));
        id->setFocus();
        id->selectAll();
        keys(id, typed);
        text("Text2")->setFocus();
        QApplication::processEvents();
    }
    EXPECT_EQ(id->palette().color(QPalette::Base), info);  // not the focus colour
    EXPECT_EQ(text("Text2")->palette().color(QPalette::Base), QColor(128, 255, 255));
    dialogs.answer(Answer::Yes);
    menu("Kilepes");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(idOf("B").toInt(), 7);
    EXPECT_EQ(idOf("C").toInt(), 8);
}

TEST_F(PartnerFixture, KeyRulesOfTheBoxes) {
    insert({{"A", 1}});
    open();
    QLineEdit* kind = text("Text16");
    kind->setFocus();
    dialogs.beeps = 0;
    keys(kind, "x-");
    EXPECT_EQ(kind->text(), "");
    EXPECT_EQ(dialogs.beeps, 2);
    keys(kind, "v");
    EXPECT_EQ(kind->text(), "v");
    text("Text2")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(kind->text(), "V");
    child<QPushButton>("Command4")->click();
    EXPECT_EQ(betarol->scalar("SELECT \"VevöBeszállitó\" FROM beraktar")->toString(), "V");

    // Digits only, at most seven of them.
    QLineEdit* zip = text("Text3");
    zip->setFocus();
    dialogs.beeps = 0;
    keys(zip, "12a34-56789");
    EXPECT_EQ(zip->text(), "1234567");
    EXPECT_EQ(dialogs.beeps, 4);
    QLineEdit* status = text("Text12");
    status->setFocus();
    keys(status, "5x3");
    EXPECT_EQ(status->text(), "3");
    QLineEdit* name = text("Text2");
    name->setFocus();
    name->selectAll();
    keys(name, QString(105, QLatin1Char('N')));
    EXPECT_EQ(name->text().size(), 100);
    // Backspace always passes.
    status->setFocus();
    status->end(false);
    QTest::keyClick(status, Qt::Key_Backspace);
    EXPECT_EQ(status->text(), "");
}

TEST_F(PartnerFixture, PastedValuesThatCannotStandAreRefusedAndTheRowKeepsItsValue) {
    insert({{"A", 1, "V", "", "", "", "", "1051"}});
    open();
    QLineEdit* zip = text("Text3");
    zip->setFocus();
    zip->setText("10a1");  // as a paste would
    emit zip->textEdited(zip->text());
    text("Text2")->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_EQ(dialogs.last()->title, "FIGYELEM! Hibás adat!");
    EXPECT_TRUE(dialogs.last()->text.contains("csak számjegyek"))
        << dialogs.last()->text.toStdString();
    EXPECT_EQ(zip->text(), "1051");
    EXPECT_EQ(current("BerIrszam"), "1051");

    // A grid cell: a kind that is neither V nor B, and an overlong seat.
    auto* grid = child<QTableView>("DBGrid1");
    auto* model = grid->model();
    dialogs.clear();
    EXPECT_FALSE(model->setData(model->index(0, 12), "7"));
    EXPECT_TRUE(dialogs.last()->text.contains("0 és 4 között"));
    EXPECT_FALSE(model->setData(model->index(0, 2), QString(41, QLatin1Char('x'))));
    EXPECT_TRUE(dialogs.last()->text.contains("legfeljebb 40"));
    EXPECT_TRUE(model->setData(model->index(0, 2), "Pécs"));
    EXPECT_FALSE(model->flags(model->index(0, 11)) & Qt::ItemIsEditable);  // the country
    child<QPushButton>("Command4")->click();
    EXPECT_EQ(betarol->scalar("SELECT BerSzekhely FROM beraktar")->toString(), "Pécs");
    EXPECT_EQ(betarol->scalar("SELECT BerIrszam FROM beraktar")->toString(), "1051");
}

TEST_F(PartnerFixture, HeaderClicksSortUpDownAndTheTenthReopens) {
    insert({{"Béla", 3}, {"Anna", 1}, {"Csaba", 2}});
    open();
    auto* header = child<QTableView>("DBGrid1")->horizontalHeader();
    EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal).toString(), "Név");
    EXPECT_EQ(header->model()->headerData(8, Qt::Horizontal).toString(), "Számlaszám (banki)");
    emit header->sectionClicked(0);
    EXPECT_EQ(current(), "Anna");
    emit header->sectionClicked(0);
    EXPECT_EQ(window->rows().sort(), "BerNev DESC");
    EXPECT_EQ(current(), "Csaba");
    emit header->sectionClicked(0);
    EXPECT_EQ(current(), "Anna");
    emit header->sectionClicked(9);  // recordID
    EXPECT_EQ(current(), "Anna");
    emit header->sectionClicked(9);
    EXPECT_EQ(current(), "Béla");
    for (int i = 0; i < 4; ++i) emit header->sectionClicked(9);
    EXPECT_EQ(window->headerClicks(1), 9);
    EXPECT_EQ(window->rows().sort(), "recordID DESC");
    emit header->sectionClicked(9);  // the tenth: reopened, so ascending
    EXPECT_EQ(window->headerClicks(1), 0);
    EXPECT_EQ(window->rows().sort(), "recordID");
    EXPECT_EQ(window->headerClicks(2), 0);
}

TEST_F(PartnerFixture, CountryPickSetsTheCodeOfTheDoubleClickedCountry) {
    EXPECT_TRUE(
        betarol->exec("INSERT INTO TorzsOrszagok (OrszágKód, OrszágMegnevezés) VALUES ('A', "
                      "'Ausztria'), ('H', 'Magyarország'), "
                      "('D', 'Németország')"));
    insert({{"A", 1}, {"B", 2}});
    open();
    auto* countries = child<QTableView>("DBGrid2");
    dialogs.answerInput("magyar");
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(dialogs.last()->text, "Kérem az ország nevét:");
    EXPECT_EQ(dialogs.last()->title, "Keresés országra");
    EXPECT_TRUE(countries->isVisible());
    EXPECT_EQ(window->countries().field(1).toString(), "Magyarország");
    emit countries->doubleClicked(countries->model()->index(2, 0));
    EXPECT_FALSE(countries->isVisible());
    EXPECT_EQ(betarol->scalar("SELECT BerOrszag FROM beraktar WHERE BerNev = 'A'")->toString(),
              "D");
    EXPECT_EQ(child<QLabel>("Label14")->text(), "D");

    // Not found: the message, and the grid on its first row all the same.
    dialogs.answerInput("Zéland");
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(dialogs.last()->text, "Nincs ilyen adat!");
    EXPECT_EQ(dialogs.last()->title, "FIGYELEM! Keressen újra!");
    EXPECT_EQ(dialogs.last()->icon, Icon::Warning);
    EXPECT_TRUE(countries->isVisible());
    EXPECT_EQ(window->countries().position(), 0);

    // An empty answer leaves everything as it was.
    dialogs.answerInput("");
    const int shown = dialogs.shown.size();
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(dialogs.shown.size(), shown + 1);  // only the input box
}

TEST_F(PartnerFixture, SaveWritesTheTypedValuesAndStaysOnTheRow) {
    insert({{"A", 1}, {"B", 2}, {"C", 3}});
    open();
    EXPECT_TRUE(window->rows().moveTo(1));
    QLineEdit* seat = text("Text4");
    seat->setFocus();
    keys(seat, "Eger");
    child<QPushButton>("Command4")->click();
    EXPECT_EQ(betarol->scalar("SELECT BerSzekhely FROM beraktar WHERE BerNev = 'B'")->toString(),
              "Eger");
    EXPECT_EQ(current(), "B");
    EXPECT_EQ(child<QPushButton>("Command4")->styleSheet(), "background-color: white;");
}

TEST_F(PartnerFixture, WithoutItsDatabaseTheRegisterDoesNotOpen) {
    ctx.db.betarol.reset();
    ctx.db.betarolStatus = vela::Error{"A betarol.kdb nem található."};
    EXPECT_FALSE(vela::BeraktarozokFormX::openModal(ctx));
    EXPECT_EQ(opener.opened, 0);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.last()->text.contains("A betarol.kdb nem található."));
    EXPECT_EQ(dialogs.last()->icon, Icon::Critical);
}

TEST_F(PartnerFixture, HelpOpensTheViewerOnTheRegistersTopic) {
    insert({{"A", 1}});
    open();
    QString topic;
    opener.handlers << [&](QDialog& d) {
        topic = d.objectName();
        d.accept();
    };
    menu("Segedlet");
    EXPECT_EQ(topic, "HelpFormX");
    EXPECT_EQ(opener.opened, 1);
    EXPECT_EQ(ctx.helpTopic, "BeraktarozokFormX");  // set again on becoming active
}

// Through the real message boxes, answered by keys from a timer: the boxes
// come back as long as the field writes again while one is open.
TEST_F(PartnerFixture, APastedKindOfTwoLettersIsToldOnceNotOverAndOver) {
    vela::QtDialogService real;
    ctx.dialogs = &real;
    insert({{"Alfa Kft.", 1}});
    open();
    QLineEdit* kind = child<QLineEdit>("Text16");
    kind->setFocus();
    QApplication::processEvents();
    QStringList seen;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen << box->text();
        if (seen.size() > 8)
            box->done(0);
        else
            QTest::keyClick(box, seen.size() % 2 ? Qt::Key_Return : Qt::Key_Escape);
    });
    answerer.start(20);
    QGuiApplication::clipboard()->setText("bv");
    QTest::keyClick(kind, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(kind, Qt::Key_Return);
    QTest::qWait(300);
    child<QWidget>("Text2")->setFocus();
    QTest::qWait(300);
    ASSERT_EQ(seen.size(), 1) << seen.join(" | ").toStdString();
    // A one-letter flag tells its own rule, and the row keeps its value.
    EXPECT_TRUE(seen[0].startsWith("A(z) „VevöBeszállitó” mezőbe legfeljebb 1 karakter írható"))
        << seen[0].toStdString();
    EXPECT_EQ(window->rows().field("VevöBeszállitó").toString(), "");
}
