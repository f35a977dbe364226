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
inline constexpr const char* kEndTitle = "VelaRep";
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
    "%1: Access adatbázis volt; a sorai átkerültek a VelaData adatbázisába, az eredeti a "
    "mentési mappában marad.";

inline constexpr const char* kFileSource = "VelaRep";
inline constexpr const char* kDatabaseSource = "SQLite";

}  // namespace velarep::texts
