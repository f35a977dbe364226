#pragma once

#include <QString>

#include "ledger/ledgertraits.h"

namespace vela {

// Where the payables and the receivables export differ: the window, the
// workbook and its template, the question of the menu item.
struct ExcelExportTraits {
    LedgerKind kind;
    const TableDef& table;
    QString windowName;  // objectName
    QString windowCaption;
    QString menuItem;      // the ledger window's menu item
    QString workbookFile;  // in the data folder; its empty template in data/
    QString resetQuestion;

    static const ExcelExportTraits& of(LedgerKind kind);

    // "\VelaData\<workbook>" and "\VelaData\data\<workbook>": the data
    // folder's workbook and its data/ template, names matched case-blind.
    QString workbookPath(const QString& dataFolder) const;
    QString templatePath(const QString& dataFolder) const;
};

// The export's texts, for both windows and their menu items.
namespace exporttext {

inline const QString kResetTitle =
    QStringLiteral("FIGYELEM! Feldolgozott adatokat tartalmazó tábla törlése!");
inline const QString kResetFailed =
    QStringLiteral("A táblát valaki használja vagy nem található! Zárja be, ha használatban van!");
inline const QString kResetFailedTitle =
    QStringLiteral("FIGYELEM! A tábla törlése nem lehetséges!");
inline const QString kTemplateFolder = QStringLiteral("data");

inline const QString kWorking = QStringLiteral("Feldolgozás...");
inline const QString kDone = QStringLiteral("V  É  G  E");
inline const QString kError = QStringLiteral("H  I  B  A");
inline const QString kScale = QStringLiteral("0%|50%|100%");
inline const QString kNothingToExport = QStringLiteral("Nincs feldolgozandó adat!");
inline const QString kAttention = QStringLiteral("FIGYELEM!");
inline const QString kNoSuchNumber = QStringLiteral("Nincs ilyen azonosító (Sorszám):");
inline const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
// Our own: the workbook cannot take the rows, the ledger cannot be read,
// values a workbook cell cannot hold.
inline const QString kNotExported = QStringLiteral("%1\nEgyetlen sor sem került a táblába.");
inline const QString kLedgerUnreadable =
    QStringLiteral("A nyilvántartás nem olvasható: %1\nEgyetlen sor sem került a táblába.");
inline const QString kCellsEmptied = QStringLiteral(
    "%1 adat nem fér el az MS Excel 8 tábla celláiban (például 32 767 karakternél hosszabb "
    "szöveg vagy érvénytelen szám), ezek cellái üresen maradtak. A többi adat bekerült a "
    "táblába.");

}  // namespace exporttext

}  // namespace vela
