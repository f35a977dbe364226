#pragma once

#include <QString>

// The invoice import window's own texts, in one place so the wording is easy to check.
namespace vela::importtext {

inline const QString kCaption = QStringLiteral("Számlázóból adatimport - VelaData");
inline const QString kNavigation = QStringLiteral("Okmányok a számlázóból (FakturoW)");
inline const QString kGridCaption = QStringLiteral("Átméretezésre kattintson ide!");
inline const QString kSaveErrorCaption = QStringLiteral(
    "ADATMENTÉSI HIBA VAN A TÁBLÁBAN! ELLENŐRIZZE AZ ADATSOROKAT, MERT LEHET HIÁNYZÓ TÉTELSOR!");
inline const QString kFinderTip = QStringLiteral("Számlaszámra keres");
inline const QString kFinderLabel = QStringLiteral(" - számlaszámra gyorskereső ");

inline const QString kAttention = QStringLiteral("FIGYELEM!");
inline const QString kFolderTitle =
    QStringLiteral("FIGYELEM! Állítsa be a számlázó útvonalát a Szerviz-Paraméterek menüben!)");
inline const QString kFolderNotSet =
    QStringLiteral("Nincs beállítva a számlázó (FakturoNext+) útvonala!");
inline const QString kFolderWrong = QStringLiteral(
    "Rosszul van beállítva a számlázó (FakturoNext+) útvonala! Javaslat: C:\\FAKTURO");
inline const QString kNotEmpty =
    QStringLiteral("FIGYELEM! Az ideiglenes tároló táblázata nem üres! Törli most?");
inline const QString kNoSuchNumber =
    QStringLiteral("A megadott sorszám nem létezik, vagy rosszul adta meg!");
inline const QString kNumberTitle = QStringLiteral("FIGYELEM! Egy számot kell megadni!");
inline const QString kDeleteRow = QStringLiteral("Biztosan véglegesen törli az adatsort (Delete)?");
inline const QString kDeleteRowTitle = QStringLiteral("FIGYELEM! TÖRLÉS!");
inline const QString kDeletedAll = QStringLiteral("Minden adat törölve (Deleted All)!");
inline const QString kDeleteAll =
    QStringLiteral("Biztosan véglegesen TÖRLI az ÖSSZES adatot (Delete All)?");
inline const QString kDeleteAllTitle = QStringLiteral("FIGYELEM! A TÖRLÉST NEM LEHET VISSZAVONNI!");

inline const QString kTransferAll = QStringLiteral("Átviszi a táblázat összes adatát?");
inline const QString kNegativesToo = QStringLiteral("Áthozza a NEGATÍV adatokat is?");
inline const QString kTransferFrom =
    QStringLiteral("Kérem a sorszámot, amitől kezdve átvisz adatot:");
inline const QString kTransferFromTitle = QStringLiteral("Adatimport - Nem kéri: írjon nullát!");
inline const QString kNoRowForCondition =
    QStringLiteral("A feltétel szerint megadott sorszám nem létezik, vagy rosszul adta meg!");

// Our own, where the window has more to say.
inline const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
inline const QString kNoStagingDatabase =
    QStringLiteral("Az ideiglenes tároló (LFakturo.mdb) nem nyitható meg: %1");
inline const QString kNoLedgerDatabase =
    QStringLiteral("A vevő-nyilvántartás (veladata.mdb) nem nyitható meg: %1");
inline const QString kReadFailed = QStringLiteral("A számlázó „%1” táblája nem olvasható: %2");
inline const QString kTransferFailed = QStringLiteral(
    "A(z) %1 számlaszámú okmány nem került át a vevő-nyilvántartásba: %2\n\n"
    "Előtte %3 adatsor átkerült; ezek megmaradnak.");
inline const QString kPresentCaption = QStringLiteral("Már átadott számlák:");
inline const QString kPresentColumn = QStringLiteral("Átadva");
inline const QString kPresentMark = QStringLiteral("igen");
inline const QString kPresentTip =
    QStringLiteral("Ennyi látható számla számlaszáma szerepel már a vevő-nyilvántartásban");

}  // namespace vela::importtext
