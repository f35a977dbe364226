#include "import/naverrors.h"

#include <QHash>

namespace vela {

namespace {

const QHash<QString, QString>& meanings() {
    static const QHash<QString, QString> m{
        {"INVALID_REQUEST",
         "A kérés formailag hibás (nem szabályos vagy nem sémahelyes XML). Jelezze a "
         "program fejlesztőjének."},
        {"INVALID_SECURITY_USER",
         "Hibás a technikai felhasználó neve vagy jelszava. Ellenőrizze a NAV-os technikai "
         "felhasználó adatait a Paraméterek ablakban."},
        {"NOT_REGISTERED_CUSTOMER",
         "A megadott adószámú adózó nincs regisztrálva az Online Számla rendszerben."},
        {"INVALID_CUSTOMER",
         "A megadott adószám nem létezik, vagy az adózó állapota nem engedi a számlaműveletet."},
        {"INVALID_USER_RELATION",
         "A technikai felhasználó nem ehhez az adószámhoz tartozik, vagy már nem használható."},
        {"FORBIDDEN",
         "A technikai felhasználónak nincs joga ehhez a lekérdezéshez; a jogot az elsődleges "
         "felhasználó adhatja meg a NAV felületén."},
        {"REQUEST_ID_NOT_UNIQUE", "A kérés azonosítója nem egyedi; próbálja újra."},
        {"INVALID_REQUEST_SIGNATURE",
         "Hibás a kérés aláírása: ellenőrizze a technikai felhasználó aláírókulcsát."},
        {"INDEX_NOT_SEQUENTIAL", "A kérésben a számlák sorszámai nem folytonosak."},
        {"INVALID_EXCHANGE_TOKEN", "Érvénytelen vagy lejárt adatszolgáltatási token."},
        {"REQUEST_VERSION_NOT_ALLOWED",
         "A kérés verziója már nem használható; a program frissítése szükséges."},
        {"MAINTENANCE_MODE",
         "A NAV Online Számla rendszere karbantartás miatt szünetel; próbálja később."},
        {"STATUS_QUERY_NOT_ALLOWED", "A státuszlekérdezés verziója túl alacsony."},
        {"MULTIPLE_QUERY_RESULT_FOUND",
         "A lekérdezett számlaszámmal több érvényes számla is van a NAV rendszerében."},
        {"BAD_QUERY_PARAM_OVERLAP", "A lekérdezés időszakának kezdete a vége után van."},
        {"BAD_QUERY_PARAM_RANGE_EXCEEDED",
         "A lekérdezett időszak túl hosszú (legfeljebb 35 nap kérhető egyszerre)."},
        {"BAD_QUERY_PARAM_EQ_NOT_STANDALONE",
         "A lekérdezés egyenlőség-feltétele mellett nem lehet más feltétel ugyanarra az adatra."},
        {"BAD_QUERY_PARAM_OPERATOR_COLLISION",
         "A lekérdezés intervallum-feltételei ellentmondanak egymásnak."},
        {"BAD_QUERY_PARAM_SUPPLIER_NOT_EXPECTED",
         "Kimenő számla lekérdezésekor nem adható meg az eladó adószáma."},
        {"BAD_QUERY_PARAM_SUPPLIER_EXPECTED",
         "Ezzel a számlaszámmal több eladó is állított ki számlát: az eladó adószáma is kell."},
        {"INVALID_TIMESTAMP",
         "A számítógép órája több mint egy napot eltér a NAV idejétől; állítsa be a pontos "
         "időt."},
        {"INVALID_PASSWORD_HASH_CRYPTO", "A jelszó lenyomatának algoritmusa hibás."},
        {"INVALID_REQUEST_SIGNATURE_HASH_CRYPTO", "Az aláírás lenyomatának algoritmusa hibás."},
        {"INVALID_REQUEST_VERSION", "A kérés verziószáma hibás (csak a 3.0 elfogadott)."},
        {"INVALID_HEADER_VERSION",
         "A kérés fejlécének verziószáma hibás (csak az 1.0 elfogadott)."},
        {"OPERATION_FAILED",
         "A NAV rendszere váratlan hibát jelzett a feldolgozás közben; próbálja újra "
         "kis idő múlva."},
        {"NOT_ALLOWED_EXCEPTION", "A NAV rendszere ezt a műveletet nem engedi."},
    };
    return m;
}

}  // namespace

bool NavErrors::known(const QString& code) {
    return meanings().contains(code);
}

QString NavErrors::meaning(const QString& code) {
    const auto it = meanings().constFind(code);
    if (it != meanings().constEnd())
        return *it;
    return QStringLiteral("A NAV ismeretlen hibakódot adott.");
}

QString NavErrors::describe(const QString& code, const QString& serverMessage) {
    QString out = QStringLiteral("A NAV hibát jelzett: %1 (%2)").arg(meaning(code), code);
    if (!serverMessage.isEmpty())
        out += QStringLiteral("\nA NAV üzenete: ") + serverMessage;
    return out;
}

}  // namespace vela
