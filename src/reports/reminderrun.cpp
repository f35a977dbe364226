#include "reports/reminderrun.h"

#include <QDir>
#include <QSet>

#include "reports/letters.h"
#include "reports/reminder.h"

namespace vela::reports {

Result<QStringList> writeReminders(Database& veladata, const Business& own, const QDate& asOf,
                                   const QDate& deadline, bool withInterest,
                                   const QString& folder) {
    if (!QDir().mkpath(folder))
        return Error{QStringLiteral("A mappa nem hozható létre: %1").arg(folder)};
    auto partners = partnersWithOverdue(veladata, asOf);
    if (!partners)
        return partners.error();
    QStringList written;
    QSet<QString> taken;
    const QDir dir(folder);
    for (const QString& partner : *partners) {
        auto statement = partnerStatement(veladata, Ledger::Receivables, partner, asOf);
        if (!statement)
            return statement.error();
        const Reminder r = reminderOf(*statement, deadline, withInterest, own.yearlyRate);
        if (r.items.empty())
            continue;
        const QString base = fileNameFor(partner);
        QString name = base + QStringLiteral(".pdf");
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = QStringLiteral("%1 (%2).pdf").arg(base).arg(n);
        taken.insert(name.toLower());
        const QString path = dir.filePath(name);
        if (Status s = writePdf(reminderDocument(r, own), path); !s)
            return Error{QStringLiteral("%1\n%2 felszólítás elkészült előtte.")
                             .arg(s.errorText())
                             .arg(written.size())};
        written << path;
    }
    return written;
}

}  // namespace vela::reports
