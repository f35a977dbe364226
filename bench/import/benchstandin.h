#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>
#include <vector>

#include "import/standindatabase.h"

// A stand-in invoicing database at path with count item lines in SZAMLA:
// invoices of one to six lines, numbered from 1, written in order like the
// invoicing program does. Ends the benchmark when it cannot be written.
inline void makeBenchStandIn(const QString& path, int count) {
    if (const vela::Status created = vela::StandInDatabase::create(path); !created)
        qFatal("%s", qPrintable(created.errorText()));
    std::vector<QVariantList> lines;
    lines.reserve(size_t(count));
    qint64 number = 0;
    int left = 0;
    const QDate day(2024, 1, 1);
    for (int i = 0; i < count; ++i) {
        if (left == 0) {
            ++number;
            left = 1 + int(number % 6);
        }
        --left;
        const double net = 100.0 + (i % 997);
        lines.push_back({number, QStringLiteral("Vevő %1 Kft.").arg(number % 5000),
                         QStringLiteral("Győr"), QStringLiteral("Fő utca %1.").arg(number % 200),
                         QStringLiteral("készpénzes"), day.addDays(number % 365),
                         day.addDays(number % 365 + 8), QStringLiteral("Tétel %1").arg(i), 27.0,
                         0.0, QStringLiteral("HUF"), net, net * 1.27, day.addDays(number % 365)});
    }
    if (const vela::Status added = vela::StandInDatabase::appendLines(path, "SZAMLA", lines);
        !added)
        qFatal("%s", qPrintable(added.errorText()));
}
