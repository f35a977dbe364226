#include "reports/business.h"

#include "storage/columns.h"
#include "storage/database.h"
#include "storage/keyedsum.h"

namespace vela::reports {

Result<Business> readBusiness(Database& parameters) {
    auto rows = sumByKeys(
        parameters, schema::emblemaPath(),
        {"SajatNev", "SajatCim", "SajatAdoszam", "SajatBankszamla", "KesedelmiKamat"}, {}, {});
    if (!rows)
        return Error{QStringLiteral("A paraméterekből hiányzik a cég neve, címe, adószáma vagy a "
                                    "késedelmi kamat (régi parameter.kdb). Futtassa a VelaRep "
                                    "programot! (%1)")
                         .arg(rows.errorText())};
    Business b;
    if (rows->empty())
        return b;
    const QStringList& k = rows->front().keys;
    b.name = k[0].trimmed();
    b.address = k[1].trimmed();
    b.taxNumber = k[2].trimmed();
    b.bankAccount = k[3].trimmed();
    QString rate = k[4].trimmed();
    rate.replace(QLatin1Char(','), QLatin1Char('.'));
    b.yearlyRate = rate.toDouble();
    return b;
}

}  // namespace vela::reports
