#include <freexl.h>
#include <sys/file.h>

#include <QFile>
#include <cmath>
#include <limits>

#include "exportfixture.h"
#include "ledger/excelexporttraits.h"
#include "storage/columns.h"
#include "xls/workbook.h"

using vela::Condition;
using vela::LedgerKind;
using vela::Query;
using Icon = vela::DialogService::Icon;
namespace text = vela::exporttext;

namespace {
const char kPayables[] = "VelaDataStatTartozunk.xls";
const char kReceivables[] = "VelaDataStatTartoznak.xls";
const QString kResetQuestion =
    QStringLiteral("Törli a VelaDataStatTartozunk.XLS MS Excel 8 tábla tartalmát?");
const QString kResetTitle =
    QStringLiteral("FIGYELEM! Feldolgozott adatokat tartalmazó tábla törlése!");
const QString kResetFailed =
    QStringLiteral("A táblát valaki használja vagy nem található! Zárja be, ha használatban van!");
const QString kResetFailedTitle = QStringLiteral("FIGYELEM! A tábla törlése nem lehetséges!");
}  // namespace

TEST_F(ExportFixture, SmallestNumberExportsEveryRowHiddenAndSettledInTableOrder) {
    // Put in out of number order: the export keeps the table's own order.
    insert("VelaData", {{3, "C-3", "Cékla Kft.", 300.5, "N"},
                        {1, "A-1", "Árvíztűrő Bt.", 1270, "N"},
                        {5, "E-5", "Eper", -127, "I"},
                        {2, "B-2", "Béka", 99, "I", 40, 50.8, true}});
    ASSERT_TRUE(
        veladata->exec("UPDATE VelaData SET Datumtol = '2024-03-15', Devizanem = 'HUF', "
                       "FIGYELEM = 1, FizetésMódja = 'átutalás', "
                       "Teljesités = '2024-04-01' WHERE Sorszám = 3"));
    open();
    // The grid shows the open rows only; the export does not care.
    window->rows().setQuery(
        Query(vela::schema::velaData(), Condition::equals("Kivezetés", "N"), {{"Sorszám"}}));
    ASSERT_TRUE(window->rows().refresh());
    ASSERT_EQ(window->rows().recordCount(), 2);
    EXPECT_TRUE(window->rows().moveFirst());  // Sorszám 1; 2 and 5 are hidden
    dialogs.clear();

    const Seen seen = runExport();
    EXPECT_EQ(seen.name, "ExcelExportSzallitoFormX");
    EXPECT_EQ(seen.caption, "Adatexport MS Excel 8 táblába-Szállítói tartozások - VelaData");
    EXPECT_EQ(seen.status, "Feldolgozás...");
    EXPECT_EQ(seen.scale, "0%  50%  100%");
    EXPECT_TRUE(seen.barVisible);
    EXPECT_EQ(seen.barMaximum, 4);
    EXPECT_EQ(seen.barValue, 4);
    EXPECT_EQ(ctx.exportFromSorszam, 1);

    // Only the question was asked, after a beep; a good export says nothing.
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, kResetQuestion);
    EXPECT_EQ(dialogs.shown[0].title, kResetTitle);
    EXPECT_EQ(dialogs.shown[0].icon, Icon::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, vela::DialogService::Buttons::YesNo);
    EXPECT_EQ(dialogs.shown[0].beepsBefore, 1);
    EXPECT_EQ(dialogs.beeps, 1);

    const FreexlSheet s = sheet();
    ASSERT_EQ(s.rows, 5u);
    EXPECT_EQ(s.at(0, 0).text, "Sorszám");
    EXPECT_EQ(s.at(0, 23).text, "Teljesités");
    EXPECT_EQ(sequenceNumbers(s), (std::vector<double>{3, 1, 5, 2}));
    EXPECT_EQ(s.at(1, 1).text, "C-3");
    EXPECT_EQ(s.at(1, 2).text, "Cékla Kft.");
    EXPECT_EQ(s.at(1, 7).number, 300.5);
    EXPECT_EQ(s.at(1, 8).type, FREEXL_CELL_DATE);
    EXPECT_EQ(s.at(1, 8).text, "2024-03-15");
    EXPECT_EQ(s.at(1, 9).type, FREEXL_CELL_NULL);
    EXPECT_EQ(s.at(1, 11).text, "HUF");
    EXPECT_EQ(s.at(1, 12).text, "N");
    EXPECT_EQ(s.at(1, 17).text, "20240");  // recordID
    EXPECT_EQ(s.at(1, 18).number, 1);      // FIGYELEM
    EXPECT_EQ(s.at(1, 21).text, "átutalás");
    EXPECT_EQ(s.at(1, 23).text, "2024-04-01");
    EXPECT_EQ(s.at(3, 12).text, "I");
    EXPECT_EQ(s.at(3, 7).number, -127);
    EXPECT_EQ(s.at(4, 13).number, 40);  // RészÖsszeg
    EXPECT_EQ(s.at(4, 20).number, 1);   // Részkiegyenlités
    EXPECT_EQ(s.columns, 24u);          // RészÖsszegBruttó, column 24, stays out
    // The ledger is as it was.
    EXPECT_EQ(count("VelaData"), 4);
}

TEST_F(ExportFixture, RowsSharingTheStartingNumberAreAllExported) {
    insert("VelanakData", {{1, "V-1", "Alma", 10, "N"},
                           {2, "V-2", "Béka", 20, "N"},
                           {2, "V-2", "Béka", 20, "N", 5, 6.35, true},
                           {3, "V-3", "Cékla", 30, "I"}});
    open(LedgerKind::Receivables);
    EXPECT_TRUE(window->rows().moveTo(2));  // the partial payment row of number 2
    const Seen seen = runExport("Excelbe");
    EXPECT_EQ(seen.name, "ExcelExportVevoFormX");
    EXPECT_EQ(seen.caption, "Adatexport MS Excel 8 táblába-Vevő tartozások - VelaData");
    EXPECT_EQ(dialogs.shown[0].text,
              "Törli a VelaDataStatTartoznak.XLS MS Excel 8 tábla tartalmát?");
    const FreexlSheet s = sheet(kReceivables);
    EXPECT_EQ(sequenceNumbers(s), (std::vector<double>{2, 2, 3}));
    EXPECT_EQ(s.at(2, 13).number, 5);
    // The payables workbook is not touched.
    EXPECT_EQ(readWithFreexl(workbook(kPayables)).rows, 1u);
}

TEST_F(ExportFixture, EmptyNumberStartsAtZeroOnlyWhenARowHasZero) {
    insert("VelaData", {{4, "D-4", "Dió", 40, "N"}});
    ASSERT_TRUE(veladata->exec(
        "INSERT INTO VelaData (Sorszám, recordID, Szamlaszam) VALUES (NULL, 'x1', 'ures')"));
    open();
    goTo(4);
    ASSERT_TRUE(window->rows().findFirst(Condition::isNull("Sorszám")));
    dialogs.clear();
    Seen seen = runExport();
    EXPECT_EQ(ctx.exportFromSorszam, 0);
    EXPECT_EQ(seen.status, "H  I  B  A");
    EXPECT_FALSE(seen.barVisible);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, "Nincs ilyen azonosító (Sorszám):\n0");
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM! HIBA!");
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Warning);
    EXPECT_EQ(dialogs.shown[1].beepsBefore, 1);
    EXPECT_EQ(readWithFreexl(workbook(kPayables)).rows, 1u);

    // With a row numbered 0 the same row starts there; the unnumbered row
    // is not at or above 0 and stays out.
    insert("VelaData", {{0, "Z-0", "Nulla", 1, "N"}});
    EXPECT_TRUE(window->rows().refresh());
    ASSERT_TRUE(window->rows().findFirst(Condition::isNull("Sorszám")));
    dialogs.clear();
    seen = runExport();
    EXPECT_EQ(seen.status, "Feldolgozás...");
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(sequenceNumbers(sheet()), (std::vector<double>{4, 0}));
}

TEST_F(ExportFixture, EmptyLedgerHasNothingToExport) {
    open();
    dialogs.clear();
    const Seen seen = runExport();
    EXPECT_EQ(seen.status, "V  É  G  E");
    EXPECT_FALSE(seen.barVisible);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, "Nincs feldolgozandó adat!");
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM!");
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Warning);
    EXPECT_EQ(dialogs.shown[1].beepsBefore, 1);
}

TEST_F(ExportFixture, NoExportsNothingAndLeavesTheWorkbook) {
    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}, {2, "B-2", "Béka", 20, "N"}});
    open();
    goTo(1);
    runExport();
    const QByteArray before = bytes(workbook());
    ctx.exportFromSorszam = 77;
    goTo(2);
    dialogs.clear();
    dialogs.answer(vela::DialogService::Answer::No);
    opener.opened = 0;
    runExport();
    EXPECT_EQ(opener.opened, 0);
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(ctx.exportFromSorszam, 77);
    EXPECT_EQ(bytes(workbook()), before);
}

TEST_F(ExportFixture, ResetLeavesOneCopyAndAFailedResetAppendsASecond) {
    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}, {2, "B-2", "Béka", 20, "I"}});
    open();
    goTo(1);
    runExport();
    goTo(1);  // the ledger went back to its last row when the export closed
    runExport();
    EXPECT_EQ(sequenceNumbers(sheet()), (std::vector<double>{1, 2}));
    EXPECT_EQ(window->rows().field("Sorszám").toInt(), 2);
    goTo(1);

    // Without its template the workbook cannot be reset: the export says so
    // and appends to what is there.
    ASSERT_TRUE(QFile::remove(folder.file("data/VelaDataStatTartozunk.xls")));
    dialogs.clear();
    const Seen seen = runExport();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, kResetFailed);
    EXPECT_EQ(dialogs.shown[1].title, kResetFailedTitle);
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Critical);
    EXPECT_EQ(dialogs.shown[1].beepsBefore, 1);
    EXPECT_EQ(seen.status, "Feldolgozás...");
    EXPECT_EQ(sequenceNumbers(sheet()), (std::vector<double>{1, 2, 1, 2}));
}

TEST_F(ExportFixture, WorkbookOpenElsewhereIsNeitherResetNorWritten) {
    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}});
    open();
    goTo(1);
    runExport();
    const QByteArray before = bytes(workbook());

    // LibreOffice has it open: its lock file lies beside the workbook. A copy
    // over the file would succeed unnoticed, so the reset asks first.
    const QString lockFile = folder.file(".~lock.VelaDataStatTartozunk.xls#");
    {
        QFile f(lockFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(",valaki,gep,08.12.2026 10:00,file:///home/valaki/.config/libreoffice/4;");
    }
    dialogs.clear();
    Seen seen = runExport();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[1].text, kResetFailed);
    EXPECT_EQ(dialogs.shown[1].title, kResetFailedTitle);
    EXPECT_TRUE(dialogs.shown[2].text.startsWith("A munkafüzetet valaki használja:"))
        << dialogs.shown[2].text.toStdString();
    EXPECT_TRUE(dialogs.shown[2].text.endsWith("Egyetlen sor sem került a táblába."));
    EXPECT_EQ(dialogs.shown[2].title, "FIGYELEM! HIBA!");
    EXPECT_EQ(dialogs.shown[2].icon, Icon::Critical);
    EXPECT_EQ(seen.status, "H  I  B  A");
    EXPECT_FALSE(seen.barVisible);
    EXPECT_EQ(bytes(workbook()), before);
    ASSERT_TRUE(QFile::remove(lockFile));

    // Another writer holds its lock on the file.
    QFile held(workbook());
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);
    dialogs.clear();
    seen = runExport();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[1].text, kResetFailed);
    EXPECT_TRUE(dialogs.shown[2].text.startsWith("A munkafüzetet valaki használja:"));
    ::flock(held.handle(), LOCK_UN);
    held.close();
    EXPECT_EQ(bytes(workbook()), before);
    EXPECT_EQ(count("VelaData"), 1);
}

TEST_F(ExportFixture, UnwritableWorkbookEndsWithAMessageAndNoChange) {
    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}});
    open();
    goTo(1);
    // Read-only: neither the reset nor the export may change it.
    const QByteArray before = bytes(workbook());
    QFile::setPermissions(workbook(), QFile::ReadOwner);
    dialogs.clear();
    Seen seen = runExport();
    QFile::setPermissions(workbook(), QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[1].text, kResetFailed);
    EXPECT_TRUE(dialogs.shown[2].text.startsWith("A munkafüzet csak olvasható"))
        << dialogs.shown[2].text.toStdString();
    EXPECT_EQ(seen.status, "H  I  B  A");
    EXPECT_EQ(bytes(workbook()), before);

    // Not a workbook at all, and no template to reset it from.
    ASSERT_TRUE(QFile::remove(folder.file("data/VelaDataStatTartozunk.xls")));
    {
        QFile f(workbook());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("Sorszám;Számlaszám\n1;A-1\n");
    }
    const QByteArray text = bytes(workbook());
    dialogs.clear();
    seen = runExport();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_TRUE(dialogs.shown[2].text.startsWith("A fájl nem Excel munkafüzet"))
        << dialogs.shown[2].text.toStdString();
    EXPECT_EQ(bytes(workbook()), text);
    EXPECT_EQ(count("VelaData"), 1);
}

TEST_F(ExportFixture, FullSheetStopsBeforeAnyRowIsWritten) {
    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}, {2, "B-2", "Béka", 20, "N"}});
    // 65 535 rows used: one more fits, two do not. The template is gone, so
    // the reset cannot empty it.
    std::vector<std::vector<QVariant>> filler(65534, std::vector<QVariant>{1.0});
    const vela::Status filled = vela::xls::Workbook::appendRows(workbook(), filler);
    ASSERT_TRUE(filled) << filled.errorText().toStdString();
    ASSERT_TRUE(QFile::remove(folder.file("data/VelaDataStatTartozunk.xls")));
    const QByteArray before = bytes(workbook());
    open();
    goTo(1);
    dialogs.clear();
    const Seen seen = runExport();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_TRUE(dialogs.shown[2].text.startsWith(
        "Az Excel 8 munkalap legfeljebb 65 536 sort tartalmazhat: a munkalapon már 65535 sor van, "
        "a további 2 sor nem fér el."))
        << dialogs.shown[2].text.toStdString();
    EXPECT_EQ(dialogs.beeps, 3);  // the question, the failed reset, this message
    EXPECT_EQ(seen.status, "H  I  B  A");
    EXPECT_EQ(bytes(workbook()), before);

    // From the last row on, one row: it fits.
    goTo(2);
    dialogs.clear();
    runExport();
    EXPECT_EQ(dialogs.shown.size(), 2);
    const vela::Result<int> used = vela::xls::Workbook::rowCount(workbook());
    ASSERT_TRUE(used) << used.errorText().toStdString();
    EXPECT_EQ(*used, 65536);
}

TEST_F(ExportFixture, ValuesACellCannotHoldLeaveTheirCellsEmpty) {
    insert("VelaData", {{1, "A-1", "Alma", 10, "N"}, {2, "B-2", "Béka", 20, "N"}});
    const QString tooLong = QString(40000, QChar(u'ő'));
    ASSERT_TRUE(veladata->exec("UPDATE VelaData SET Netto = ?, Megjegyzés = ? WHERE Sorszám = 1",
                               {std::numeric_limits<double>::infinity(), tooLong}));
    open();
    goTo(1);
    dialogs.clear();
    const Seen seen = runExport();
    EXPECT_EQ(seen.emptiedCells, 2);
    // One beep each, then one word about them.
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].beepsBefore, 2);
    EXPECT_EQ(dialogs.shown[1].text.left(44), "2 adat nem fér el az MS Excel 8 tábla cellái");
    EXPECT_EQ(dialogs.shown[1].title, "FIGYELEM!");
    EXPECT_EQ(dialogs.shown[1].icon, Icon::Warning);

    const FreexlSheet s = sheet();
    ASSERT_EQ(s.rows, 3u);
    EXPECT_EQ(s.at(1, 5).type, FREEXL_CELL_NULL);   // Netto
    EXPECT_EQ(s.at(1, 16).type, FREEXL_CELL_NULL);  // Megjegyzés
    EXPECT_EQ(s.at(1, 1).text, "A-1");
    EXPECT_EQ(s.at(1, 7).number, 10);
    EXPECT_EQ(s.at(2, 1).text, "B-2");
}

TEST(ExcelExportTraits, WorkbookAndTemplateAreFoundWhateverTheirLetterCase) {
    TempDataFolder folder(false);
    QDir(folder.path()).mkpath("DATA");
    QFile(folder.file("DATA/veladatastattartozunk.XLS")).open(QIODevice::WriteOnly);
    QFile(folder.file("VELADATASTATTARTOZUNK.xls")).open(QIODevice::WriteOnly);
    const auto& t = vela::ExcelExportTraits::of(LedgerKind::Payables);
    EXPECT_EQ(t.templatePath(folder.path()), folder.file("DATA/veladatastattartozunk.XLS"));
    EXPECT_EQ(t.workbookPath(folder.path()), folder.file("VELADATASTATTARTOZUNK.xls"));
    // A workbook not there yet takes the name as given.
    EXPECT_EQ(vela::ExcelExportTraits::of(LedgerKind::Receivables).workbookPath(folder.path()),
              folder.file("VelaDataStatTartoznak.xls"));
}
