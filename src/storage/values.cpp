#include "storage/values.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace vela::values {

namespace {

const QLocale& hungarian() {
    static const QLocale loc = [] {
        QLocale l(QLocale::Hungarian, QLocale::Hungary);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    return loc;
}

}  // namespace

QString formatNumber(double value) {
    if (value == 0)
        return QStringLiteral("0");  // no "-0"
    return hungarian().toString(value, 'g', 15);
}

QString formatDate(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy.MM.dd.")) : QString();
}

QString toText(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return formatNumber(value.toDouble());
        case QMetaType::QDate:
            return formatDate(value.toDate());
        case QMetaType::QDateTime:
            return formatDate(value.toDateTime().date());
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("Igaz") : QStringLiteral("Hamis");
        default:
            return value.toString();
    }
}

std::optional<double> parseNumber(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // One decimal separator at most: a comma or a point.
    if (t.count(QLatin1Char(',')) + t.count(QLatin1Char('.')) > 1)
        return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression form(QStringLiteral("^[-+]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!form.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<qint64> parseWhole(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    // "12,0" is a whole number too.
    const auto d = parseNumber(t);
    if (d && *d == std::floor(*d) && std::fabs(*d) < 9.0e15)
        return qint64(*d);
    return std::nullopt;
}

std::optional<QDate> parseDate(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})\\s*[.\\-/]\\s*(\\d{1,2})\\s*[.\\-/]\\s*(\\d{1,2})\\s*\\.?\\s*$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

int maxTextLength(const ColumnDef& column) {
    if (column.editLimit >= 2000)
        return 65535;  // long remarks
    if (column.editLimit == 1)
        return 1;  // one-letter flags
    return 255;
}

Result<QVariant> toColumnValue(const ColumnDef& column, const QVariant& in) {
    auto refuse = [](const QString& reason) { return Error{reason}; };
    const bool isText = in.typeId() == QMetaType::QString;
    // A Yes/No flag is never null: an emptied one is false.
    if (column.type == ColumnType::Boolean &&
        (in.isNull() || (isText && in.toString().trimmed().isEmpty()))) {
        return QVariant(false);
    }
    if (in.isNull() ||
        (isText && in.toString().trimmed().isEmpty() && column.type != ColumnType::Text)) {
        return QVariant();
    }
    switch (column.type) {
        case ColumnType::Real: {
            if (!isText && in.canConvert<double>()) {
                return QVariant(in.toDouble());
            }
            const auto d = parseNumber(in.toString());
            if (!d)
                return refuse(QStringLiteral("A(z) „%1” mezőbe csak szám írható (például 1234,5), "
                                             "a(z) „%2” nem szám.")
                                  .arg(column.name, in.toString()));
            return QVariant(*d);
        }
        case ColumnType::Integer: {
            if (!isText && in.canConvert<qlonglong>() && in.typeId() != QMetaType::Double) {
                return QVariant(in.toLongLong());
            }
            const auto v = parseWhole(in.toString());
            if (!v)
                return refuse(QStringLiteral("A(z) „%1” mezőbe csak egész szám írható, "
                                             "a(z) „%2” nem az.")
                                  .arg(column.name, in.toString()));
            return QVariant(qlonglong(*v));
        }
        case ColumnType::Date: {
            if (in.typeId() == QMetaType::QDate && in.toDate().isValid()) {
                return QVariant(in.toDate());
            }
            if (in.typeId() == QMetaType::QDateTime) {
                return QVariant(in.toDateTime().date());
            }
            const auto d = parseDate(in.toString());
            if (!d)
                return refuse(QStringLiteral("A(z) „%1” nem létező dátum. A(z) „%2” mezőbe "
                                             "dátumot így írjon: 2024.03.07.")
                                  .arg(in.toString(), column.name));
            return QVariant(*d);
        }
        case ColumnType::Boolean: {
            if (in.typeId() == QMetaType::Bool) {
                return QVariant(in.toBool());
            }
            const QString t = in.toString().trimmed().toLower();
            if (t == "1" || t == "-1" || t == "igaz" || t == "true" || t == "i") {
                return QVariant(true);
            }
            if (t == "0" || t == "hamis" || t == "false" || t == "n") {
                return QVariant(false);
            }
            return refuse(QStringLiteral("A(z) „%1” mező értéke csak igen (1) vagy nem (0) lehet.")
                              .arg(column.name));
        }
        case ColumnType::Text: {
            const QString t = toText(in);
            const int max = maxTextLength(column);
            if (t.size() > max)
                return refuse(QStringLiteral("A(z) „%1” mezőbe legfeljebb %2 karakter írható, "
                                             "a beírt szöveg %3 karakter.")
                                  .arg(column.name)
                                  .arg(max)
                                  .arg(t.size()));
            return QVariant(t);
        }
    }
    return refuse(QStringLiteral("Ismeretlen mezőtípus."));
}

QVariant toStorage(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
        case QMetaType::QDate:
            return value.toDate().toString(Qt::ISODate);
        case QMetaType::Bool:
            return qlonglong(value.toBool() ? 1 : 0);
        default:
            return value;
    }
}

QVariant fromStorage(ColumnType type, const QVariant& stored) {
    if (stored.isNull())
        return {};
    switch (type) {
        case ColumnType::Date: {
            const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
            return d.isValid() ? QVariant(d) : stored;
        }
        case ColumnType::Boolean:
            return stored.toLongLong() != 0;
        default:
            return stored;
    }
}

}  // namespace vela::values
