#include "import/bankstatement.h"

#include <QDir>
#include <QFileInfo>

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

namespace {

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1).replace(u'.', u',');
}

}  // namespace

Status checkStatementFile(const QString& path, qint64 maxBytes) {
    const QString name = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return Error{QStringLiteral("A(z) „%1” bankszámlakivonat nem található.").arg(name)};
    if (info.size() > maxBytes) {
        return Error{QStringLiteral("A(z) „%1” túl nagy (%2 MB) ahhoz, hogy bankszámlakivonat "
                                    "legyen; legfeljebb %3 MB olvasható be.")
                         .arg(name, megabytes(info.size()), megabytes(maxBytes))};
    }
    return {};
}

}  // namespace vela
