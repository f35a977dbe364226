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

inline constexpr const char* kFileSource = "VelaRep";
inline constexpr const char* kDatabaseSource = "SQLite";

}  // namespace velarep::texts
