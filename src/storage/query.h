#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/textrules.h"

namespace vela {

class Dialect;
struct TableDef;

// Which rows of a table a window wants, as a value: the windows build these
// and storage alone turns them into SQL, with every value bound. The same
// condition serves a record source's rows and the sums beside them, so a
// filter and its figure cannot drift apart.
class Condition {
  public:
    enum class Op {
        All,             // every row
        Equals,          // column = value (null never matches; texts blind to letter case)
        NotEquals,       // column <> value (null never matches; texts blind to letter case)
        Less,            // column < value
        LessOrEqual,     // column <= value
        Greater,         // column > value
        GreaterOrEqual,  // column >= value
        Like,            // "*" any run, "?" one character; letter case folded the Hungarian way
        IsNull,          // column IS NULL
        IsEmpty,         // null or ''
        And,
        Or,
        Not,
    };

    Condition() = default;  // every row

    static Condition equals(const QString& column, const QVariant& value);
    static Condition notEquals(const QString& column, const QVariant& value);
    static Condition less(const QString& column, const QVariant& value);
    static Condition lessOrEqual(const QString& column, const QVariant& value);
    static Condition greater(const QString& column, const QVariant& value);
    static Condition greaterOrEqual(const QString& column, const QVariant& value);
    // from <= column <= to
    static Condition between(const QString& column, const QVariant& from, const QVariant& to);
    static Condition like(const QString& column, const QString& pattern);
    // Starts with text, every character of it taken literally.
    static Condition prefix(const QString& column, const QString& text);
    static Condition isNull(const QString& column);
    static Condition isEmpty(const QString& column);
    static Condition anyOf(const QList<Condition>& parts);
    static Condition allOf(const QList<Condition>& parts);

    Condition operator&&(const Condition& other) const;
    Condition operator||(const Condition& other) const;
    Condition operator!() const;

    Op op() const { return op_; }
    bool isAll() const { return op_ == Op::All; }
    QString column() const { return column_; }
    QVariant value() const { return value_; }
    const QList<Condition>& parts() const { return parts_; }

    // The SQL expression (storage's own use) in an engine's dialect (by
    // default the data folder's): its values are appended to binds.
    QString sql(QVariantList& binds) const;
    QString sql(QVariantList& binds, const Dialect& dialect) const;

    // The same condition with each text equality narrowed to the spellings
    // of its value that occur in the column (storage's own use: an index
    // then finds them in its order). spellings gives those of a column, or
    // nothing when it cannot tell; such an equality stays as it is.
    using SpellingLookup =
        std::function<std::optional<QStringList>(const QString& column, const QString& value)>;
    Condition withSpellings(const SpellingLookup& spellings) const;
    // The spellings of a text that differ from it in letter case alone;
    // nothing when there are more than max.
    static std::optional<QStringList> caseSpellings(const QString& text, int max);

    // Escapes the wildcards of a literal text for like().
    static QString literalPattern(const QString& text);

    bool operator==(const Condition& other) const;

  private:
    Condition(Op op, const QString& column, const QVariant& value = {});
    static Condition join(Op op, const QList<Condition>& parts);

    Op op_ = Op::All;
    QString column_;
    QVariant value_;
    QList<Condition> parts_;
    std::optional<QStringList> spellings_;  // an equality narrowed to these exact texts
};

// One key of an order: a column, ascending or descending.
struct OrderKey {
    QString column;
    bool descending = false;
    bool operator==(const OrderKey& o) const = default;
};

// A summed amount: sum(column) or, with minus, sum(column - minus) where a
// missing minus counts as none.
struct Amount {
    QString column;
    QString minus = {};
    QString sql() const;
    QString sql(const Dialect& dialect) const;
    bool operator==(const Amount& o) const = default;
};

// The rows of one table that match a condition, in an order.
struct Query {
    const TableDef* table = nullptr;
    Condition where;
    QList<OrderKey> order;

    Query() = default;
    Query(const TableDef& t, const Condition& w = {}, const QList<OrderKey>& o = {})
        : table(&t), where(w), order(o) {}
};

}  // namespace vela
