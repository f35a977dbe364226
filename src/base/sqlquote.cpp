#include "base/sqlquote.h"

namespace vela {

QString quoteIdentifier(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString quoteIdentifiers(const QStringList& names, const QString& prefix) {
    QStringList out;
    for (const QString& n : names) out << prefix + quoteIdentifier(n);
    return out.join(QStringLiteral(", "));
}

QString quoteText(const QString& text) {
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

}  // namespace vela
