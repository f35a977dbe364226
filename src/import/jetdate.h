#pragma once

#include <QDate>
#include <QDateTime>
#include <QVariant>

namespace vela {

// Jet keeps a date as a double: whole days since 1899-12-30, the fraction the
// time of day. Before that day the whole part counts backwards while the
// fraction still counts forwards (-1.25 is 1899-12-29 06:00). Only years 100
// to 9999 are dates; anything else reads as no date.
namespace JetDate {

// The wall-clock date and time, kept in UTC so no daylight-saving rule moves it;
// an invalid QDateTime outside the years 100..9999.
QDateTime toDateTime(double value);
// The day alone; an invalid QDate outside the years 100..9999.
QDate toDate(double value);
// The stored double of a date and time (the inverse of toDateTime).
double fromDateTime(const QDateTime& value);
// A date value as a QDate when it is one (QDate, QDateTime, 'YYYY-MM-DD' text);
// anything else is returned unchanged.
QVariant dateOf(const QVariant& value);

}  // namespace JetDate

}  // namespace vela
