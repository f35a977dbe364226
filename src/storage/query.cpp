#include "storage/query.h"

#include <sqlite3.h>

#include "storage/columns.h"
#include "storage/database.h"

namespace vela {

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
    return op_ == o.op_ && column_ == o.column_ && value_ == o.value_ && parts_ == o.parts_;
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
    const QString col = schema::quoteName(column_);
    auto compare = [&](const char* op) {
        binds << value_;
        return QStringLiteral("%1 %2 ?").arg(col, QLatin1String(op));
    };
    switch (op_) {
        case Op::All:
            return QStringLiteral("1");
        case Op::Equals:
            return compare("=");
        case Op::NotEquals:
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
            return QStringLiteral("vela_like(%1, ?)").arg(col);
        case Op::IsNull:
            return QStringLiteral("%1 IS NULL").arg(col);
        case Op::IsEmpty:
            return QStringLiteral("(%1 IS NULL OR %1 = '')").arg(col);
        case Op::Not:
            return QStringLiteral("NOT (%1)").arg(parts_.value(0).sql(binds));
        case Op::And:
        case Op::Or: {
            QStringList parts;
            for (const Condition& p : parts_)
                parts << QLatin1Char('(') + p.sql(binds) + QLatin1Char(')');
            return parts.join(op_ == Op::And ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
        }
    }
    return QStringLiteral("1");
}

QString Amount::sql() const {
    if (minus.isEmpty())
        return schema::quoteName(column);
    return QStringLiteral("%1 - ifnull(%2, 0)")
        .arg(schema::quoteName(column), schema::quoteName(minus));
}

namespace {

// Matches folded text against a folded pattern: "*" any run, "?" one
// character, "[c]" the character c itself.
bool globMatch(const QString& s, const QString& p) {
    qsizetype si = 0, pi = 0, starP = -1, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            const QChar pc = p[pi];
            if (pc == QLatin1Char('*')) {
                starP = ++pi;
                starS = si;
                continue;
            }
            if (pc == QLatin1Char('?')) {
                ++pi;
                ++si;
                continue;
            }
            QChar lit = pc;
            qsizetype width = 1;
            if (pc == QLatin1Char('[') && pi + 2 < p.size() && p[pi + 2] == QLatin1Char(']')) {
                lit = p[pi + 1];
                width = 3;
            }
            if (lit == s[si]) {
                pi += width;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == QLatin1Char('*')) ++pi;
    return pi == p.size();
}

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto text = [](sqlite3_value* v) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                 sqlite3_value_bytes(v));
    };
    sqlite3_result_int(ctx, likeMatches(text(argv[0]), text(argv[1])) ? 1 : 0);
}

}  // namespace

bool likeMatches(const QString& value, const QString& pattern) {
    return globMatch(foldCase(value), foldCase(pattern));
}

void registerLikeFunction(sqlite3* db) {
    sqlite3_create_function(db, "vela_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            likeFunction, nullptr, nullptr);
}

}  // namespace vela
