#include "base/result.h"

#include <sqlite3.h>

namespace vela {

namespace {

// The Hungarian sentence for a primary result code; null where the engine's
// text is the whole story or the caller words the case itself (damage,
// another connection holding the file).
const char* sentenceFor(int primary) {
    switch (primary) {
        case SQLITE_FULL:
            return "Betelt a lemez, az adatbázisba nem írható több adat.";
        case SQLITE_CANTOPEN:
            return "Az adatbázis-állomány nem nyitható meg (hiányzik, nincs hozzá jogosultság, "
                   "vagy a mappája nem érhető el).";
        case SQLITE_IOERR:
            return "Az adatbázis-állomány olvasása vagy írása nem sikerült (lemez- vagy "
                   "hálózati hiba).";
        case SQLITE_READONLY:
            return "Az adatbázis csak olvasható, nem írható bele.";
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return "Nincs jogosultság az adatbázis eléréséhez.";
        case SQLITE_NOMEM:
            return "Elfogyott a memória.";
        case SQLITE_TOOBIG:
            return "Az adat túl nagy ahhoz, hogy az adatbázisba kerüljön.";
        case SQLITE_CONSTRAINT:
            return "Az adat nem fér össze az adatbázis egy szabályával.";
        default:
            return nullptr;
    }
}

}  // namespace

Error Error::fromEngine(int code, const QString& engineText) {
    const char* sentence = sentenceFor(code & 0xff);
    if (!sentence)
        return Error{engineText, code};
    const QString lead = QString::fromUtf8(sentence);
    if (engineText.isEmpty())
        return Error{lead, code};
    return Error{QStringLiteral("%1 (SQLite: %2)").arg(lead, engineText), code};
}

bool Error::damaged() const {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool Error::busy() const {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

}  // namespace vela
