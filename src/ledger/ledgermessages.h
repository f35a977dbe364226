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
// The filters.
inline const QString kNoData = QStringLiteral("Nincs adat!");
inline const QString kNoOverdue = QStringLiteral("Nincs határidőn túli tétel!");

// What a filter that finds no row says, per filter item and ledger kind.
struct NoRowsMessage {
    const char* item;
    const char* payables;
    const char* receivables;
};
inline constexpr NoRowsMessage kNoRowsMessages[] = {
    {"Kp", "Nincs készpénzes tétel!", "Nincs készpénzes tétel a lekérdezésben!"},
    {"Atutal", "Nincs átutalás tétel!", "Nincs átutalás tétel  a lekérdezésben!"},
    {"Utanvet", "Nincs utánvét tétel!", "Nincs utánvét tétel a lekérdezésben!"},
    {"Nyugta", "Nincs nyugta tétel!", "Nincs nyugta tétel a lekérdezésben!"},
    {"Szallito", "Nincs szállítólevél tétel!", "Nincs szállítólevél tétel a lekérdezésben!"},
    {"ProformaK", "Nincs készpénzes proforma tétel!",
     "Nincs készpénzes proforma tétel a lekérdezésben!"},
    {"ProformaA", "Nincs átutalás proforma tétel!",
     "Nincs átutalás proforma tétel a lekérdezésben!"},
    {"ElolegOkmany", "Nincs előleg tétel!", "Nincs előleg tétel a lekérdezésben!"},
    {"MegnevSzur", "Nincs ilyen megnevezésre tétel!",
     "Nincs ilyen megnevezésre tétel a lekérdezésben!"},
    {"SorszamSzur", "Nincs ilyen megnevezésre tétel!",
     "Nincs ilyen sorszámra tétel a lekérdezésben!"},
    {"SzamlaSzur", "Nincs ilyen megnevezésre tétel!",
     "Nincs ilyen számlaszámra tétel a lekérdezésben!"},
    {"UgyfelSzur", "Nincs ilyen megnevezésre tétel!", "Nincs ilyen vevőre tétel a lekérdezésben!"},
    {"DevizaSzur", "Nincs ilyen megnevezésre tétel!",
     "Nincs ilyen devizanemre tétel a lekérdezésben!"},
    {"Figyelemek", "Nincs figyelni való tétel jelölve!",
     "Nincs figyelni való tétel jelölve a lekérdezésben!"},
    {"Kivezetve", "Nincs még kivezetett tétel!", "Nincs kivezetett tétel a lekérdezés szerint!"},
    {"Nemkivezetve", "Nincs kivezetetlen tétel!", "Nincs kivezetetlen tétel a lekérdezés szerint!"},
};

// The outstanding amount per currency beside the figure: "Ft: 14 203 377 · EUR: 285 044,97".
inline const QString kCurrencyTotalsCaption = QStringLiteral("Tartozás devizanemenként:");
inline const QString kCurrencyTotal = QStringLiteral("%1: %2");
inline const QString kCurrencySeparator = QStringLiteral(" · ");
inline const QString kNoCurrency = QStringLiteral("devizanem nélkül");

// Partial settlement.
inline const QString kNotStorable = QStringLiteral("A rekord még nem menthető! Próbálja újra!");
inline const QString kScratchUpdateTitle =
    QStringLiteral("VelaIdeiglData UPDATE hiba! Futtassa a VELAREP programot!");
// Our own: what a pass could not do, told at its end.
inline const QString kRowsNotWritten =
    QStringLiteral("%1 adatsort nem sikerült menteni; a többi adatsor elkészült. (%2)");
inline const QString kRowsWithoutRate =
    QStringLiteral("%1 adatsor bruttó összegei nem változtak, mert az ÁFA mezőjük üres.");

// Our own, for what the database refuses or cannot do.
inline const QString kErrorTitle = QStringLiteral("FIGYELEM! HIBA!");
inline const QString kSaveFailed = QStringLiteral("Az adatsort nem sikerült menteni: %1");

}  // namespace vela::ledgertext
