#pragma once
// The main form's rules for typed input, by control name: which characters a box accepts,
// which boxes are formatted when they are left, and the file filters of its dialogs. The
// GUI asks these; the rules themselves are tested without widgets.

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

enum class KeyFilter {
    None,    // any character
    Digits,  // position boxes: digits only, Backspace dropped too
    Decimal, // decimal boxes: digits, "." and ",", Backspace
    Whole    // the invoice number: digits, Backspace
};

KeyFilter keyFilterFor(const QString &controlName);

// Whether a typed character reaches the box. Only characters a key types count: the GUI
// asks for printable characters and Backspace (code 8), never for Delete, Tab or Enter.
bool acceptsTypedChar(KeyFilter filter, QChar c);

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
    Date            // "Fälligkeitsdatum", "Rechnungsdatum": empty or a date
};

BoxRule boxRuleFor(const QString &controlName);

// Whether leaving the box checks its text, keeping the focus there while the text is
// refused: every box of an amount, a count or a date (boxRuleFor is not None).
bool checkedWhenLeft(const QString &controlName);

// An amount as typed in the German form: digits, at most one decimal comma, "." only
// between groups of three digits ("1.234,5"), no sign, blanks around allowed.
// std::nullopt for anything else: "1,2,3", "1.2" (which the thousands separator would
// read as 12), "abc", "-3".
std::optional<double> typedAmount(const QString &text);

// A business year: four digits from 1900 to 2999, blanks around allowed.
std::optional<int> typedYear(const QString &text);

// The business year box: a year ("2026"), or where the business year does not begin in
// January (startMonth 2 to 12) the two calendar years it spans ("2026/2027", "2026/27"),
// written as "2026/2027". Otherwise std::nullopt and *why says what the box takes.
std::optional<QString> typedBusinessYear(const QString &text, int startMonth, QString *why);

// The decimals typed after the comma of an amount ("5,5" has one, "7" none).
int typedDecimals(const QString &text);

// The largest invoice number: every output's invoice number column holds nine digits.
inline constexpr qint64 kMaxInvoiceNumber = 999999999;

// "Rechnungs Nr.": a whole number from 1 to kMaxInvoiceNumber, digits only (blanks around
// allowed); std::nullopt for anything else.
std::optional<qint64> invoiceNumber(const QString &text);

// The logo's file dialog filter, in the runtime's form "Text|patterns|Text|patterns".
extern const QString kLogoFilter;

// A runtime file filter as the entries of a Qt file dialog ("Bitmap (*.bmp *.BMP)"). Every
// pattern is offered as given, in lower and in upper case, so a file system that tells
// letter case apart still finds "BILD.JPG" under "*.jpg".
QStringList qtFileFilters(const QString &runtimeFilter);

} // namespace qvl
