#include "storage/query.h"

#include "base/connection.h"
#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

namespace {

// The settled flag is a code whose letter case is part of it: only "N" is
// open, a lower-case "n" is not. Every other text is equal to another
// letter case aside.
bool caseCounts(const QString& column) {
    return column == QStringLiteral("Kivezetés");
}

}  // namespace

Condition::Condition(Op op, const QString& column, const QVariant& value)
    : op_(op), column_(column), value_(value) {}

Condition Condition::equals(const QString& column, const QVariant& value) {
    return {Op::Equals, column, value};
}
Condition Condition::notEquals(const QString& column, const QVariant& value) {
    return {Op::NotEquals, column, value};
}
Condition Condition::less(const QString& column, const QVariant& value) {
    return {Op::Less, column, value};
}
Condition Condition::lessOrEqual(const QString& column, const QVariant& value) {
    return {Op::LessOrEqual, column, value};
}
Condition Condition::greater(const QString& column, const QVariant& value) {
    return {Op::Greater, column, value};
}
Condition Condition::greaterOrEqual(const QString& column, const QVariant& value) {
    return {Op::GreaterOrEqual, column, value};
}
Condition Condition::between(const QString& column, const QVariant& from, const QVariant& to) {
    return greaterOrEqual(column, from) && lessOrEqual(column, to);
}
Condition Condition::like(const QString& column, const QString& pattern) {
    return {Op::Like, column, pattern};
}
Condition Condition::prefix(const QString& column, const QString& text) {
    return like(column, literalPattern(text) + QLatin1Char('*'));
}
Condition Condition::isNull(const QString& column) {
    return {Op::IsNull, column};
}
Condition Condition::isEmpty(const QString& column) {
    return {Op::IsEmpty, column};
}

Condition Condition::join(Op op, const QList<Condition>& parts) {
    Condition c;
    for (const Condition& p : parts) {
        if (p.isAll()) {
            if (op == Op::Or)
                return {};  // one side takes every row
            continue;
        }
        // A part given twice is given once: "x or x" is x, and SQLite would
        // otherwise walk the rows of x twice and sort out the doubles.
        for (const Condition& q : p.op_ == op ? p.parts_ : QList<Condition>{p}) {
            if (!c.parts_.contains(q))
                c.parts_ << q;
        }
    }
    if (c.parts_.isEmpty())
        return {};
    if (c.parts_.size() == 1)
        return c.parts_.first();
    c.op_ = op;
    return c;
}

Condition Condition::anyOf(const QList<Condition>& parts) {
    return join(Op::Or, parts);
}
Condition Condition::allOf(const QList<Condition>& parts) {
    return join(Op::And, parts);
}
Condition Condition::operator&&(const Condition& other) const {
    return join(Op::And, {*this, other});
}
Condition Condition::operator||(const Condition& other) const {
    return join(Op::Or, {*this, other});
}
Condition Condition::operator!() const {
    Condition c;
    c.op_ = Op::Not;
    c.parts_ << *this;
    return c;
}

bool Condition::operator==(const Condition& o) const {
    return op_ == o.op_ && column_ == o.column_ && value_ == o.value_ && parts_ == o.parts_ &&
           spellings_ == o.spellings_;
}

std::optional<QStringList> Condition::caseSpellings(const QString& text, int max) {
    QStringList out{QString()};
    for (const QChar c : text) {
        const QChar u = c.toUpper(), l = c.toLower();
        QStringList next;
        for (const QString& s : std::as_const(out)) {
            next << s + c;
            if (u != c)
                next << s + u;
            if (l != c && l != u)
                next << s + l;
        }
        if (next.size() > max)
            return std::nullopt;
        out = next;
    }
    return out;
}

Condition Condition::withSpellings(const SpellingLookup& spellings) const {
    Condition c = *this;
    if ((op_ == Op::Equals || op_ == Op::NotEquals) && value_.typeId() == QMetaType::QString &&
        !caseCounts(column_)) {
        c.spellings_ = spellings(column_, value_.toString());
        return c;
    }
    for (Condition& p : c.parts_) p = p.withSpellings(spellings);
    return c;
}

QString Condition::literalPattern(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('['))
            out += QLatin1Char('[') + c + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

QString Condition::sql(QVariantList& binds) const {
    return sql(binds, Database::engineDialect());
}

QString Condition::sql(QVariantList& binds, const Dialect& d) const {
    const QString col = schema::quoteName(column_);
    auto compare = [&](const char* op) {
        binds << value_;
        return QStringLiteral("%1 %2 ?").arg(col, QLatin1String(op));
    };
    // Texts are equal as the program this replaces compared them: letter
    // case aside, accents counting.
    const bool text = value_.typeId() == QMetaType::QString && !caseCounts(column_);
    auto oneOf = [&] {
        if (spellings_->isEmpty())
            return QStringLiteral("FALSE");
        QStringList marks;
        for (const QString& s : *spellings_) {
            marks << QStringLiteral("?");
            binds << s;
        }
        return marks.size() == 1
                   ? QStringLiteral("%1 = ?").arg(col)
                   : QStringLiteral("%1 IN (%2)").arg(col, marks.join(QStringLiteral(", ")));
    };
    switch (op_) {
        case Op::All:
            return QStringLiteral("TRUE");
        case Op::Equals:
            if (text && spellings_)
                return oneOf();
            return text ? d.textEquals(col, value_.toString(), binds) : compare("=");
        case Op::NotEquals:
            if (text && spellings_)
                return QStringLiteral("(%1 IS NOT NULL AND NOT (%2))").arg(col, oneOf());
            if (text)
                return QStringLiteral("(%1 IS NOT NULL AND NOT %2)")
                    .arg(col, d.textEquals(col, value_.toString(), binds));
            return compare("<>");
        case Op::Less:
            return compare("<");
        case Op::LessOrEqual:
            return compare("<=");
        case Op::Greater:
            return compare(">");
        case Op::GreaterOrEqual:
            return compare(">=");
        case Op::Like:
            binds << value_;
            return d.like(col, QStringLiteral("?"));
        case Op::IsNull:
            return QStringLiteral("%1 IS NULL").arg(col);
        case Op::IsEmpty:
            return QStringLiteral("(%1 IS NULL OR %1 = '')").arg(col);
        case Op::Not:
            return QStringLiteral("NOT (%1)").arg(parts_.value(0).sql(binds, d));
        case Op::And:
        case Op::Or: {
            QStringList parts;
            for (const Condition& p : parts_)
                parts << QLatin1Char('(') + p.sql(binds, d) + QLatin1Char(')');
            return parts.join(op_ == Op::And ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
        }
    }
    return QStringLiteral("TRUE");
}

QString Amount::sql() const {
    return sql(Database::engineDialect());
}

QString Amount::sql(const Dialect& d) const {
    if (minus.isEmpty())
        return schema::quoteName(column);
    return QStringLiteral("%1 - %2").arg(schema::quoteName(column),
                                         d.ifNull(schema::quoteName(minus), QStringLiteral("0")));
}

}  // namespace vela
