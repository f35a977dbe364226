#include "import/bankstatement.h"

namespace vela {

QString StatementEntry::remittanceText() const {
    QStringList parts = unstructured;
    parts += structuredReferences;
    if (parts.isEmpty() && !additionalTransactionInfo.isEmpty())
        parts << additionalTransactionInfo;
    return parts.join(QLatin1Char(' '));
}

QString StatementEntry::reference() const {
    QString base = !entryReference.isEmpty()      ? entryReference
                   : !servicerReference.isEmpty() ? servicerReference
                                                  : QStringLiteral("#%1").arg(entryIndex + 1);
    if (transactionCount > 1)
        base += QStringLiteral("/%1").arg(transactionIndex + 1);
    return base;
}

QString bookingReference(const BankStatement& statement, const StatementEntry& entry) {
    return statement.id + QLatin1Char('|') + entry.reference();
}

}  // namespace vela
