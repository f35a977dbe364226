#pragma once

// The texts VelaRep shows, in one place so the wording is easy to check.
namespace velarep::texts {

inline constexpr const char* kWindowTitle =
    "VelaRep Adatbázis frissítése/javítása - VelaData  by Norvik";
inline constexpr const char* kCommand1 = "&Szerver";
inline constexpr const char* kCommand1Tip = "Frissítés indítása";
inline constexpr const char* kCommand2 = "Kilép - ESC";
inline constexpr const char* kCommand2Tip = "Kilépés";
inline constexpr const char* kFrame1 = "V.1.0  Verzión belüli modul:";
inline constexpr const char* kVersionLine = "VelaRep 1.0 – a VelaData 2.5 adatbázisaihoz";

inline constexpr const char* kDatabasePrefix = "Adatbázis :";
inline constexpr const char* kTablePrefix = "Tábla :";
inline constexpr const char* kCopyingRows = "Adatok másolása...";
inline constexpr const char* kCopyingDatabase = "Adatbázis másolása...";

inline constexpr const char* kFailureQuestion = "SÚLYOS HIBA! Folytatja a futtatást?";
inline constexpr const char* kFailureTitle = "Hiba! A folytatás adatvesztéssel járhat!";
inline constexpr const char* kEndMessage = "Karbantartás vége! (Esc kilép)";
inline constexpr const char* kEndWithErrors = "A karbantartás hibákkal ért véget! (Esc kilép)";
inline constexpr const char* kStopped = "A karbantartás leállt! (Esc kilép)";
inline constexpr const char* kEndTitle = "VelaRep";
inline constexpr const char* kErrorsHeader = "Hibák:";
inline constexpr const char* kUntouched = "Érintetlenül a helyén maradt: %1";
inline constexpr const char* kArrivedHeader = "Átkerült sorok:";
inline constexpr const char* kArrivedTable = "%1 %2 sor";
inline constexpr const char* kNotMoved =
    "A(z) „%1” nem került a mentési mappába, érintetlenül a helyén marad.";
inline constexpr const char* kStillMissing = "%1: %2 Az adatbázis továbbra is hiányzik.";
inline constexpr const char* kTemplateLaid =
    "%1: %2 Az eredeti állomány a(z) „%3” mappában maradt, a helyére üres sablon került.";
inline constexpr const char* kPutBack =
    "%1: %2 Az eredeti állomány visszakerült a helyére; egy sora sem veszett el.";
inline constexpr const char* kOfferBackup =
    "A(z) „%1” adatbázis hiányzik az adatmappából, de a(z) „%2” mentési mappában megvan egy "
    "példánya.\n\nVisszahozza onnan? (Igen: a sorai átkerülnek a friss adatbázisba; Nem: üres "
    "adatbázis kerül a helyére.)";
inline constexpr const char* kBroughtBack =
    "%1: hiányzott az adatmappából; a(z) „%2” mappában mentett példányából épült újra.";
inline constexpr const char* kBackupDeclined =
    "%1: hiányzott az adatmappából; üres adatbázis került a helyére, a(z) „%2” mappában "
    "mentett példánya ott marad.";
inline constexpr const char* kSkippedRowsHeader =
    "Az alábbi sorok nem fértek be a friss adatbázisba; a mentési mappában megvannak:";

inline constexpr const char* kSalvagedHeader =
    "Sérült adatbázis: a még olvasható sorok átkerültek a friss adatbázisba, a sérült "
    "eredeti a mentési mappában marad:";
inline constexpr const char* kSalvagedLine = "%1 / %2: %3 sor megmentve, %4 nem olvasható";
inline constexpr const char* kUnreadableRows = "%1 sor";
inline constexpr const char* kUnreadableUnknown = "ismeretlen számú sor";
inline constexpr const char* kNoCommonColumn = "%1 / %2: %3 sor (nincs közös oszlop a sablonnal)";
inline constexpr const char* kNoTemplateTable = "%1 / %2: %3 sor (a sablonban nincs ilyen tábla)";
inline constexpr const char* kUnreadableTable = "%1 / %2: a sorok nem olvashatók (%3)";
inline constexpr const char* kSchemaLost =
    "%1: a táblák leírása sérült; a sorokat a sablon szerkezete alapján olvastam ki.";
inline constexpr const char* kRestored =
    "%1: a friss adatbázis nem írható (%2), ezért az eredeti állomány visszakerült a "
    "helyére; egy sora sem veszett el.";
inline constexpr const char* kRestoreFailed =
    "%1: a friss adatbázis nem írható (%2); az eredeti állomány a(z) „%3” mappában maradt.";
inline constexpr const char* kResumed =
    "%1: egy félbeszakadt karbantartás után a(z) „%2” mappában mentett példányból épült újra.";
inline constexpr const char* kConverted =
    "%1: Access adatbázis volt; a fent felsorolt sorai átkerültek a VelaData adatbázisába, az "
    "eredeti a mentési mappában marad.";
inline constexpr const char* kConvertedNothing =
    "%1: Access adatbázis volt, de egyetlen sora sem került át (a táblái közül egynek sincs "
    "párja a sablonban); az eredeti a mentési mappában marad.";

inline constexpr const char* kNoServer =
    "A parameter.kdb Kiszolgalo mezőjében nincs adatbázis-kiszolgáló megadva. Adja meg a "
    "VelaData Paraméterek ablakában (például host=GÉP dbname=ADATBÁZIS, vagy service=NÉV), "
    "majd indítsa újra a VelaRep-et!";
inline constexpr const char* kToServerHeader = "A kiszolgálóra (%1) másolt sorok:";
inline constexpr const char* kToFilesHeader = "A kiszolgálóról (%1) a friss fájlokba másolt sorok:";
inline constexpr const char* kMovedTable = "%1 / %2: %3 sor";
inline constexpr const char* kNowOnServer =
    "A VelaData mostantól a kiszolgálón dolgozik; az adatmappa fájljai a mentési mappában "
    "is megvannak.";
inline constexpr const char* kNowOnFiles =
    "A Kiszolgalo paramétert töröltem: a VelaData mostantól ismét az adatmappa fájljain "
    "dolgozik.";
inline constexpr const char* kRolesNotSet =
    "FIGYELEM! Az adatok átkerültek, de a csoportszerepek jogosultságai nem állíthatók be: %1";
inline constexpr const char* kMoveNotRun =
    "Az adatok költöztetése elmaradt, mert a karbantartás hibát talált.";

inline constexpr const char* kCompactQuestion =
    "A változásnaplóban %1 bejegyzés régebbi %2 évnél (%3 előtti). Törölje őket a karbantartás "
    "végén? A mentési mappa megőrzi őket; a velük együtt törölt sorok ezután nem állíthatók "
    "vissza.";
inline constexpr const char* kCompactHeader = "A változásnaplóból törölt régi bejegyzések:";
inline constexpr const char* kCompacted = "%1: %2 bejegyzés";
inline constexpr const char* kCompactedServer = "a kiszolgáló";
inline constexpr const char* kCompactNotRun =
    "A változásnapló régi bejegyzései megmaradtak, mert a karbantartás hibát talált.";
inline constexpr const char* kServerBackupFile = "kiszolgalo.dump";
inline constexpr const char* kServerBackedUp =
    "A kiszolgáló (%1) adatai (%2 tábla) a(z) „%3” állományba mentve.";
inline constexpr const char* kServerNothingToBackUp =
    "A kiszolgálón (%1) még nincsenek meg a program táblái: onnan nem volt mit menteni.";
inline constexpr const char* kNoPgProgram =
    "A(z) %1 program nem található (sem a „pg_config --bindir” mappájában, sem a PATH-ban). "
    "Telepítse a postgresql-client csomagot!";
inline constexpr const char* kDumpFailed =
    "A kiszolgáló adatainak mentése (pg_dump) nem sikerült: %1 A karbantartás nem kezdődött "
    "el, semmi nem változott.";
inline constexpr const char* kNoServerBackup =
    "A(z) „%1” mappában nincs a kiszolgáló adatairól készült mentés (kiszolgalo.dump), nincs "
    "mit visszatölteni.";
inline constexpr const char* kRestoreQuestion =
    "A(z) „%1” mentés adatai kerülnek a kiszolgáló (%2) tábláiba, az ott most lévő adatok "
    "helyére. A jelenlegi állapotról előbb mentés készül.\n\nVisszatölti a mentést?";
inline constexpr const char* kRestoreHeader =
    "A(z) „%1” mentésből a kiszolgálóra (%2) visszatöltött sorok:";
inline constexpr const char* kRestoredTable = "%1: %2 sor";
inline constexpr const char* kServerRestoreFailed =
    "A mentés visszatöltése nem sikerült, a kiszolgáló adatai változatlanok: %1";
inline constexpr const char* kOthersConnected =
    "A kiszolgáló (%1) adatbázisához most más is kapcsolódik:\n%2\n\nA VelaRep csak akkor "
    "dolgozhat a kiszolgáló adatain, ha senki más nem használja őket. Lépjenek ki a "
    "VelaData-ból a többi gépen, majd indítsa újra a VelaRep-et!";
inline constexpr const char* kServerWriting =
    "A(z) „%1” adataiba most egy munkaállomás ír (egy művelete még tart): %2. A VelaRep nem "
    "vár rá; indítsa újra, ha a művelet befejeződött!";

inline constexpr const char* kFileSource = "VelaRep";
inline constexpr const char* kDatabaseSource = "SQLite";

}  // namespace velarep::texts
