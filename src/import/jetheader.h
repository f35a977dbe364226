#pragma once

#include <QByteArray>

namespace vela {

// What the first bytes of a file say about it being an Access (Jet) database.
struct JetHeader {
    static constexpr int kBytes = 32;

    bool isJet = false;
    int version = -1;  // 0 Jet 3, 1 Jet 4, 2.. the later Access formats
    int pageSize = 0;

    static JetHeader read(const QByteArray& head);

    // The Windows code page of an Access 97 (Jet 3) file's texts, from the
    // sort order (language id) in its header: the Central European sort
    // orders (Hungarian among them) store Windows-1250, the Cyrillic ones
    // 1251, Greek 1253, Turkish 1254; every other 1252.
    static int jet3CodePage(int sortOrder);
};

}  // namespace vela
