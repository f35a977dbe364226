#pragma once

#include <QString>

#include "base/result.h"

namespace vela {
class Database;
}

namespace vela::reports {

// The business's own details from the parameters row, for the letters.
struct Business {
    QString name;
    QString address;
    QString taxNumber;
    QString bankAccount;
    double yearlyRate = 0;  // late-payment interest, per cent a year
};

// Reads the first parameters row; no row gives empty details. A parameters
// file from before these columns fails with a text that sends the user to
// VelaRep.
Result<Business> readBusiness(Database& parameters);

}  // namespace vela::reports
