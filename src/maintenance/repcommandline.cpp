#include "maintenance/repcommandline.h"

#include "base/programstart.h"

#include "maintenance/reptexts.h"

namespace velarep {

QString helpText() {
    return QStringLiteral(
        "Használat: VelaRep [/kiszolgalo | /helyi | /visszatoltes MAPPA] [/s] | --help | "
        "--version\n"
        "\n"
        "A VelaRep az aktuális mappa (az adatmappa) négy adatbázisát építi újra a\n"
        "program melletti Data mappa tiszta mintáiból úgy, hogy az adatsorok\n"
        "megmaradnak; a régi fájlok a SAVE-ÉÉÉÉHHNN-ÓÓPPMM mentési mappába\n"
        "kerülnek. A hiányzó adatbázis helyére a tiszta minta kerül.\n"
        "\n"
        "Kapcsolók:\n"
        "  /s             a karbantartás azonnal indul, a végén az ablak bezárul\n"
        "  /kiszolgalo    a karbantartás után az adatok a paraméterekben (Kiszolgalo)\n"
        "                 megadott adatbázis-kiszolgálóra költöznek; üres táblákba\n"
        "  /helyi         a karbantartás után a kiszolgáló adatai friss fájlokba\n"
        "                 kerülnek, és a program ismét az adatmappa fájljain dolgozik\n"
        "  /visszatoltes MAPPA\n"
        "                 a karbantartás után a MAPPA (egy SAVE-... mentési mappa)\n"
        "                 kiszolgálóról készült mentése kerül vissza a kiszolgálóra\n"
        "\n"
        "Ha az adatok a kiszolgálón vannak, a mentési mappába a kiszolgáló tábláiról\n"
        "is mentés készül (kiszolgalo.dump), és a VelaRep nem indul, amíg más is\n"
        "kapcsolódik a kiszolgáló adatbázisához.\n"
        "  -h, --help     ez a súgó\n"
        "  --version      a program verziója\n");
}

QString versionText() {
    return QString::fromUtf8(texts::kVersionLine) + QLatin1Char('\n');
}

bool answerInfoRequest(int argc, char** argv) {
    return vela::answerInfoRequest(argc, argv, helpText(), versionText());
}

}  // namespace velarep
