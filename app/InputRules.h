#pragma once
// The main form's rules for typed input, by control name: which boxes are checked and
// formatted when they are left, and the file filters of its dialogs. A box takes every
// character typed or pasted; what it cannot read is refused when it is left, with a German
// message, never changed by dropping characters. The GUI asks these; the rules themselves
// are tested without widgets.

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

// The decimals a formatted decimal box shows after it is left (4 or 2); 0 for every other
// control.
int formattedDecimalsFor(const QString &controlName);

// What leaving a box checks; a refused text keeps the focus in its box.
enum class BoxRule {
    None,
    Formatted,      // the calculation basis: a number, formatted with its decimals
    InvoiceNumber,  // "Rechnungs Nr.": see invoiceNumber
    MinimumFee,     // "Mind. Beitrag": empty (no minimum) or an amount
    VatRate,        // "MwSt.": empty (none) or a rate from 0 to 100, at most two decimals
    BusinessYear,   // "Wirtschaftsjahr": see typedBusinessYear
    Date,           // "Fälligkeitsdatum", "Rechnungsdatum": empty or a date
    Position,       // "Absender/Anschrift von links/oben": see typedPosition
    Currency        // "Währung": see typedCurrency
};

BoxRule boxRuleFor(const QString &controlName);

// Whether leaving the box checks its text, keeping the focus there while the text is
// refused: every box of an amount, a count or a date (boxRuleFor is not None).
bool checkedWhenLeft(const QString &controlName);

// An amount as typed in the German form, read as every typed amount is
// (parseGermanAmount): digits, at most one decimal comma, "." only between groups of three
// digits ("1.234,5"), no sign, blanks around allowed; std::nullopt for "1.2" or "-3".
std::optional<double> typedAmount(const QString &text);

// A business year: four digits from 1900 to 2999, blanks around allowed.
std::optional<int> typedYear(const QString &text);

// The business year box: a year ("2026"), or where the business year does not begin in
// January (startMonth 2 to 12) the two calendar years it spans ("2026/2027", "2026/27"),
// written as "2026/2027". Otherwise std::nullopt and *why says what the box takes.
std::optional<QString> typedBusinessYear(const QString &text, int startMonth, QString *why);

// The largest amount a box takes, the program's limit of every fee and total
// (999.999.999,99 €): a larger one could never be billed.
inline constexpr double kMaxTypedAmount = 999999999.99;

// typedAmount within kMaxTypedAmount; std::nullopt beyond it too.
std::optional<double> typedAmountInLimit(const QString &text);

// The page an address window is placed on (A4, in twips): a position box holds a whole
// number of twips from 0 to the page's width ("von links") or height ("von oben").
inline constexpr int kPageWidthTwips = 11906;
inline constexpr int kPageHeightTwips = 16838;

// The largest value of a position box, by control name; 0 for every other control.
int positionLimitFor(const QString &controlName);

// A position: digits only (blanks around allowed), from 0 to `highest`.
std::optional<int> typedPosition(const QString &text, int highest);

// "Währung": the currencies the program writes, "EUR" (also typed "eur") and "€", as the
// letters show them; std::nullopt for anything else. Every bank file is in euros.
std::optional<QString> typedCurrency(const QString &text);

// The decimals typed after the comma of an amount ("5,5" has one, "7" none).
int typedDecimals(const QString &text);

// The largest invoice number: every output's invoice number column holds nine digits.
inline constexpr qint64 kMaxInvoiceNumber = 999999999;

// "Rechnungs Nr.": a whole number from 1 to kMaxInvoiceNumber, digits only (blanks around
// allowed); std::nullopt for anything else.
std::optional<qint64> invoiceNumber(const QString &text);

// A document's number as a clerk types it to assign a bank entry: "65", "RE 65", "RE-65",
// "Nr. 65", "Rechnung 65" (any letter case); std::nullopt for anything else ("abc", "6 5",
// "RE", "65,00").
std::optional<qint64> typedDocumentNumber(const QString &text);

// The logo's file dialog filter, in the runtime's form "Text|patterns|Text|patterns".
extern const QString kLogoFilter;

// A runtime file filter as the entries of a Qt file dialog ("Bitmap (*.bmp *.BMP)"). Every
// pattern is offered as given, in lower and in upper case, so a file system that tells
// letter case apart still finds "BILD.JPG" under "*.jpg".
QStringList qtFileFilters(const QString &runtimeFilter);

} // namespace qvl
