#pragma once

#include <QString>
#include <vector>

#include "base/result.h"
#include "import/bankstatement.h"

class QIODevice;

namespace vela {

// Reads ISO 20022 bank-to-customer statements (camt.053, message versions
// 001.02 to 001.08) as the banks send them. The file is streamed, never held
// whole, and a document type declaration is refused outright, so no entity
// is ever expanded or fetched: neither an entity bomb nor an outside file
// can reach the reader. A file is read whole or refused with a Hungarian
// reason naming it; nothing is returned half-read.
class CamtReader {
  public:
    static constexpr qint64 kDefaultMaxBytes = 100LL * 1024 * 1024;

    // Every statement of the file (a message may carry one per account).
    static Result<std::vector<BankStatement>> readFile(const QString& path,
                                                       qint64 maxBytes = kDefaultMaxBytes);
    // The same over an open device; name is what the messages call it.
    static Result<std::vector<BankStatement>> read(QIODevice* device, const QString& name);

    // The oldest and newest message versions read.
    static constexpr int kFirstVersion = 2;
    static constexpr int kLastVersion = 8;
};

}  // namespace vela
