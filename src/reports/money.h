#pragma once

#include <QDate>
#include <QString>

namespace vela::reports {

// The currency of a row as the reports group it: "Ft", "FT", "HUF" and
// "huf" are one currency, shown "Ft"; others in capitals, blanks trimmed;
// no currency stays the empty text.
QString currencyKey(const QString& written);
// Decimals a currency is shown and rounded with: none for the forint.
int decimalsOf(const QString& currency);
// The amount rounded to the currency's decimals (half away from zero).
double roundTo(double amount, const QString& currency);
// "1 234 567 Ft", "34 847,97 EUR", "-1 200 Ft"; without a currency the bare
// figure with two decimals.
QString money(double amount, const QString& currency);
// The figure alone, grouped with the currency's decimals: "1 234 567".
QString figure(double amount, const QString& currency);
// "2026.12.09."; an invalid date is the empty text.
QString dateText(const QDate& date);
// A stored 'YYYY-MM-DD' text as a date; anything else is invalid.
QDate isoDate(const QString& stored);
// What the reports print for a row without a currency.
QString currencyCaption(const QString& currency);

}  // namespace vela::reports
