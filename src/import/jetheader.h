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
};

}  // namespace vela
