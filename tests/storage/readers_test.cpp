#include <gtest/gtest.h>

#include <QDate>

#include "storage/funcs.h"
#include "storage/values.h"

using namespace Funcs;

TEST(Readers, NumOrZeroTable) {
    EXPECT_EQ(NumOrZero(QVariant()).toDouble(), 0.0);
    EXPECT_EQ(NumOrZero(QString("12,5")).toDouble(), 12.5);
    EXPECT_EQ(NumOrZero(QString(" -3,25 ")).toDouble(), -3.25);
    EXPECT_EQ(NumOrZero(42.75).toDouble(), 42.75);
    EXPECT_EQ(NumOrZero(qlonglong(7)).toDouble(), 7.0);

    // Letters, a lone minus and two commas are no numbers: the empty value,
    // which adds as 0 and reads as "".
    for (const char* bad : {"abc", "-", "1,2,3", ",", "12a"}) {
        const QVariant v = NumOrZero(QString(bad));
        EXPECT_TRUE(isEmptyValue(v)) << bad;
        EXPECT_EQ(v.toDouble() + 1.0, 1.0) << bad;
        EXPECT_EQ(v.toString(), "") << bad;
    }
}

TEST(Readers, DateOrTodayAndTextOrEmpty) {
    EXPECT_EQ(DateOrToday(QVariant()).toDate(), QDate::currentDate());
    EXPECT_EQ(DateOrToday(QDate(2024, 3, 7)).toDate(), QDate(2024, 3, 7));
    EXPECT_EQ(DateOrToday(QString("2024.03.07.")).toDate(), QDate(2024, 3, 7));
    EXPECT_TRUE(isEmptyValue(DateOrToday(QString("2024.02.30"))));
    EXPECT_TRUE(isEmptyValue(DateOrToday(QString("tegnap"))));

    EXPECT_EQ(TextOrEmpty(QVariant()).toString(), "");
    EXPECT_EQ(TextOrEmpty(12.5).toString(), "12,5");
    EXPECT_EQ(TextOrEmpty(QString("Ősz Kft")).toString(), "Ősz Kft");
}

TEST(Values, HungarianNumberAndDateText) {
    using namespace vela::values;
    EXPECT_EQ(formatNumber(1234567.5), "1234567,5");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(127), "127");
    EXPECT_EQ(formatDate(QDate(2024, 3, 7)), "2024.03.07.");
    EXPECT_FALSE(parseDate("2024.02.30").has_value());
    EXPECT_FALSE(parseDate("2023.02.29").has_value());
    EXPECT_TRUE(parseDate("2024.02.29").has_value());
    EXPECT_EQ(*parseDate("2024-3-7"), QDate(2024, 3, 7));
}

TEST(Values, ColumnConversionRefusesWhatCannotBeStored) {
    using namespace vela;
    const TableDef& t = schema::velaData();
    auto convert = [&](const char* column, const QVariant& in) {
        return values::toColumnValue(*t.column(column), in);
    };
    const Result<QVariant> net = convert("Netto", QString("1234,5"));
    ASSERT_TRUE(net) << net.errorText().toStdString();
    EXPECT_EQ(net->toDouble(), 1234.5);
    const Result<QVariant> bad = convert("Netto", QString("1,2,3"));
    EXPECT_FALSE(bad);
    EXPECT_TRUE(bad.errorText().contains("Netto"));
    EXPECT_FALSE(convert("Netto", QString("-")));
    EXPECT_FALSE(convert("Datumtol", QString("2024.02.30")));
    const Result<QVariant> empty = convert("Datumtol", QString(""));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isNull());
    EXPECT_FALSE(convert("Kivezetés", QString("IN")));
    EXPECT_FALSE(convert("CegNev", QString(300, QChar('x'))));
    EXPECT_TRUE(convert("Megjegyzés", QString(3000, QChar('x'))));
    const Result<QVariant> whole = convert("Sorszám", QString("12"));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->toLongLong(), 12);
}
