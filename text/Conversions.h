#pragma once
// The runtime's number, date and Boolean conversions, always in the German locale
// (decimal comma, "." as thousands separator), whatever the machine's locale is.
//
// Amounts are doubles. Both roundings work on the decimal value that the double shows
// with 15 significant digits, so 2.675 rounds as the decimal 2.675 and not as its
// binary neighbour 2.67499999999999982236431605997495353221893310546875.

#include <QDateTime>
#include <QString>
#include <optional>

namespace qvl {

// Rounding used by formatting: halves away from zero (2.675 -> 2.68, -0.125 -> -0.13).
double roundHalfAwayFromZero(double value, int decimals);

// Round(x, n) of the runtime: halves to the even neighbour (0.125 -> 0.12, 0.135 -> 0.14).
double roundHalfEven(double value, int decimals);

// Euros to whole cents, rounded commercially (halves away from zero) as the documents print
// them: 2.145 -> 215. Not a number gives 0; beyond ±10^15 euros the value is clamped (the
// amount limits refuse such a run before anything is written).
qint64 toCents(double euros);

// Cents as euros, exactly as their decimal text shows them.
inline double centsToEuros(qint64 cents) { return double(cents) / 100.0; }

// Whole cents as German money text, exactly at any size: "1.234,56" with grouping,
// "1234,56" without; "-0,41" for a negative amount.
QString formatCents(qint64 cents, bool grouping = true);

// True when the amount is zero for every practical purpose (binary noise below 1e-9 is zero).
bool isZero(double value);

// Formats with one of the runtime's patterns:
//   "0.00", "0.0000", "##0.00", "#0.00", "#####0.00"   -> no grouping ("1234,50")
//   "#,##0.00", "###,##0.00", "###,##0.0000"            -> grouping with "." ("1.234,50")
//   "###,##0.0"                                         -> one decimal, grouping ("1.234,6")
//   "#.##0,00" (the same, as the report designer writes it)
//   "0000"                                              -> at least four digits ("0050")
// Rounds halves away from zero. A negative value gets a leading "-" (and "-0,00" never
// appears: a value that rounds to zero is written without sign).
// Any other pattern is a programming error (asserts, returns the general form).
QString formatNumber(double value, const QString &pattern);

// The general number form of the runtime (Str/CStr in the German locale): up to 15
// significant digits, decimal comma, no trailing zeros ("1234,5", "0,1", "100"), but never
// in exponent form ("10000000000000000", "0,00001").
QString generalNumber(double value);

// Reads a number as the suite's database and the old settings file write it: optional
// blanks around, optional sign, digits with "." as thousands separator (ignored wherever it
// stands), at most one "," as decimal mark. "1,5" -> 1.5, "1.234,5" -> 1234.5, "1.5" -> 15,
// " -3 " -> -3. Empty or anything else: std::nullopt. Never for a text the clerk typed:
// that is read by parseGermanAmount, which takes no "." out of place.
std::optional<double> parseSuiteNumber(const QString &text);
// parseSuiteNumber or 0 when the text is not a number (the runtime's Val-like use).
double suiteNumberOrZero(const QString &text);

// An amount as the clerk types it in German: digits, at most one decimal comma, "." only
// between groups of three digits ("1.234,5"), no sign, blanks around allowed. std::nullopt
// for anything else: "1,2,3", "1.2" (which a thousands separator read anywhere would make
// 12), "abc", "-3".
std::optional<double> parseGermanAmount(const QString &text);

// A whole number as the clerk types it: digits only, blanks around allowed, at most 15
// digits. std::nullopt for anything else ("1.500", "-3", "1,0", "").
std::optional<qint64> parseWholeNumber(const QString &text);

// Formats with one of the runtime's date patterns, in which "mm" is the month except
// after hours ("dd.mm.yyyy", "yyyy-mm-dd", "yyyymmdd", "ddmmyyyy", "yyyy.mm.dd", "ddmm",
// "dd.MM.yy", "hhmmss", "HH:MM:SS", "hh_mm_ss"). Hours are 24-hour.
QString formatDate(const QDateTime &value, const QString &pattern);
QString formatDate(const QDate &value, const QString &pattern);

// Reads a date as typed in the German locale: "6.12.2026", "06.12.26" (two-digit years
// 30..99 are 19xx, 00..29 are 20xx), "2026-12-06", optionally followed by a time
// "hh:mm[:ss]". Invalid dates (31.02.2026) give std::nullopt.
std::optional<QDateTime> parseDate(const QString &text);
bool isDate(const QString &text);

// Booleans as the runtime writes them in German: "Wahr" / "Falsch".
QString boolText(bool value);
// Reads a Boolean text: "Wahr"/"Falsch"/"True"/"False" in any letter case, or a number
// (0 is false, anything else true). Anything else: std::nullopt.
std::optional<bool> parseBool(const QString &text);

} // namespace qvl
