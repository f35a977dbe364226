#pragma once

#include <QString>

// The ledger windows' own texts, in one place so the wording is easy to check.
namespace vela::ledgertext {

inline const QString kNoRowsForPartner = QStringLiteral("Nincs adat! Kérjen új adatsort!");
inline const QString kAddFailed = QStringLiteral("A program kilép, mert hibát észlelt!");
inline const QString kAddFailedTitle =
    QStringLiteral("FIGYELEM! Új adattal kezdjen, és utána bevitellel!");
inline const QString kDeleteFailed = QStringLiteral("Nem sikerült a törlés! Próbálja újra!");
inline const QString kAttention = QStringLiteral("FIGYELEM!");
inline const QString kDeletedAll =
    QStringLiteral("Minden adat törölve (Deleted All)! Kér új adatot (New)?");
inline const QString kDeleteFromHere =
    QStringLiteral("Biztosan véglegesen törli a sortól az összes adatot (Delete All)?");
inline const QString kDeleteFromHereTitle = QStringLiteral("FIGYELEM! KIJELÖLT ADATSORTÓL TÖRLÉS!");
inline const QString kDeleteAll =
    QStringLiteral("Biztosan véglegesen törli az összes adatot (Delete All)?");
inline const QString kDeleteAllTitle = QStringLiteral("FIGYELEM! TÖRLÉS!");
inline const QString kBadSettledFlag =
    QStringLiteral("A kivezetés nem megengedett karaktert tartalmaz!");
inline const QString kBadSettledFlagTitle =
    QStringLiteral("FIGYELEM! Javítsa! Kivezetve = I, Nincs kivezetve = N vagy üres");
// Our own, for what the database refuses or cannot do.
inline const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
inline const QString kSaveFailed = QStringLiteral("Az adatsort nem sikerült menteni: %1");
inline const QString kDatabaseError = QStringLiteral("Adatbázis-hiba: %1");

}  // namespace vela::ledgertext
