#pragma once

#include <QString>

// The partner register's and the partner list page's own texts, in one place
// so the wording is easy to check.
namespace vela::partnertext {

// The register window.
inline const QString kCaption = QStringLiteral("Ügyfelek adatai törzs - VelaData");
inline const QString kNavigationCaption = QStringLiteral("             Ügyfelek tábla");
inline const QString kNavigationTip = QStringLiteral("Mozgás a táblában a nyilakkal");
inline const QString kCountriesCaption = QStringLiteral("Data1-országjel");
inline const QString kGridTip = QStringLiteral("Oszlopra kattintva rendez, mezőbe gépelve módosít");
inline const QString kCountryGridTip = QStringLiteral("Dupla kattintással a soron válasszon!");
inline const QString kFinderTip = QStringLiteral("Névre keres");
inline const QString kFinderCaption = QStringLiteral("- gyorskereső");
inline const QString kSortHint =
    QStringLiteral("(Adatbeviteli sorrendben - oszlopra kattintva rendez!)");
inline const QString kStatusLegend =
    QStringLiteral("0=Nincs minősítés; 1=ISO; 2=Kiemelt; 3=Figyelendő; 4=Tiltott");
inline const QString kCountryCaption = QStringLiteral("Ország jelzése:");

inline const QString kBack = QStringLiteral("Vissza");
inline const QString kBackTip = QStringLiteral("Kiválaszt és behelyettesít");
inline const QString kSave = QStringLiteral("OK - Mentés");
inline const QString kSaveTip = QStringLiteral("Ment");
inline const QString kCountry = QStringLiteral("Ország");
inline const QString kCountryTip = QStringLiteral("Ország jele");

inline const QString kMenuData = QStringLiteral("&Adatkezelés");
inline const QString kMenuNew = QStringLiteral("Új ügyfél");
inline const QString kMenuDelete = QStringLiteral("Törlés");
inline const QString kMenuService = QStringLiteral("Szervíz");
inline const QString kMenuHistory =
    QStringLiteral("Változások (a partner története, törölt partnerek)…");
inline const QString kMenuExit = QStringLiteral("Mentés-Kilépés");
inline const QString kMenuFilter = QStringLiteral("S&zűrés");
inline const QString kMenuCustomers = QStringLiteral("Vevők (Címzettek)");
inline const QString kMenuSuppliers = QStringLiteral("Beszállítók");
inline const QString kMenuAll = QStringLiteral("Minden adat (szűrés ki)");
inline const QString kMenuPrint = QStringLiteral("&Nyomtatás");
inline const QString kMenuHelp = QStringLiteral("&Segédlet");

inline const QString kCountryPrompt = QStringLiteral("Kérem az ország nevét:");
inline const QString kCountryTitle = QStringLiteral("Keresés országra");
inline const QString kNoSuchCountry = QStringLiteral("Nincs ilyen adat!");
inline const QString kNoSuchCountryTitle = QStringLiteral("FIGYELEM! Keressen újra!");

inline const QString kDeleteAsk = QStringLiteral("Biztosan törli a kijelölt sort?");
inline const QString kDeleteTitle =
    QStringLiteral("FIGYELEM! Egyes adatok a törlés után helytelenül maradhatnak a rendszerben!");
inline const QString kLocked =
    QStringLiteral("Az adat jelenleg zárolt! Próbálja újra, vagy lépjen ki!");
inline const QString kLockedTitle = QStringLiteral("Rekord lock (Beraktarozok)");
inline const QString kRightsNeeded = QStringLiteral("A törléshez 0-1 jogosultság szükséges!");
inline const QString kRightsTitle = QStringLiteral("Jogosultsági szintje: %1");

inline const QString kRenumberAsk = QStringLiteral("Sorszámozza a rekordokat?");
inline const QString kRenumberTitle =
    QStringLiteral("FIGYELEM! Az újrasorszámozás kihat a teljes nyilvántartásra!");

inline const QString kCheckAsk = QStringLiteral("Kéri az adatok teljes ellenőrzését?");
inline const QString kCheckTitle = QStringLiteral("FIGYELEM! Ellenőrzés!");
inline const QString kNoIdentifier =
    QStringLiteral("Létezik olyan adat, aminek nincs recordID azonosítója!");
inline const QString kNoIdentifierTitle = QStringLiteral("FIGYELEM! SÚLYOS HIBA! JAVÍTSA!");

inline const QString kNothingToPrint = QStringLiteral("Nincs nyomtatandó adat!");
inline const QString kAttention = QStringLiteral("FIGYELEM!");

// Our own: what the database refuses, and values that cannot stand in a box.
inline const QString kNoDatabase = QStringLiteral(
    "Az ügyféltörzs (betarol.kdb) nem nyitható meg, ezért az ablak nem nyílik "
    "meg.\n\n%1");
inline const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
inline const QString kDigitsOnly = QStringLiteral(
    "A(z) „%1” mezőbe csak számjegyek írhatók, "
    "legfeljebb %2 darab.");
inline const QString kTooLong = QStringLiteral("A(z) „%1” mezőbe legfeljebb %2 karakter írható.");
inline const QString kBadStatus = QStringLiteral(
    "Az ügyféli státusz egyetlen számjegy 0 és 4 között: "
    "0=Nincs minősítés; 1=ISO; 2=Kiemelt; 3=Figyelendő; 4=Tiltott");
inline const QString kBadKind =
    QStringLiteral("Vevőnél V, beszállítónál B (mindkettőnél üres) írható ide.");
inline const QString kBadIdentifier =
    QStringLiteral("Az azonosító sorszám pozitív egész szám (legfeljebb 2147483647).");

// The list page window.
inline const QString kPageCaption = QStringLiteral("Form1");
inline const QString kPageTitle = QStringLiteral("ÜGYFELEK");
inline const QString kPageNumber = QStringLiteral("Lapszám: ");
inline const QString kIssued = QStringLiteral("Kiadva: ");
inline const QString kCreditLine = QStringLiteral("VelaData V.2.5 - Kvadra VD15 - ügyféllista");
inline const QString kNext = QStringLiteral("Tovább");
inline const QString kPrint = QStringLiteral("Nyomtat");
inline const QString kCancel = QStringLiteral("Mégse");
inline const QString kHelp = QStringLiteral("Segédlet");
inline const QString kPrinterNotReady = QStringLiteral("A nyomtató nincs készenlétben!");
inline const QString kPrinterNotReadyTitle = QStringLiteral("FIGYELEM! Nem lehet nyomtatni!");

}  // namespace vela::partnertext
