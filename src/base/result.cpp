#include "base/result.h"

#include <sqlite3.h>

namespace vela {

bool Error::damaged() const {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool Error::busy() const {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

}  // namespace vela
