#pragma once
// The e-mail addresses the suite keeps per owner ("personal.Email"): one address, or
// several separated by ";" or ",", all of which receive the letter.

#include <QString>
#include <QStringList>

namespace qvl {

// The addresses of the field, blanks around each removed, in the field's order. Empty
// when the field is empty or any of its addresses is not a syntactically valid one: a
// typing error must not let one of several recipients go without his letter unnoticed.
QStringList mailAddresses(const QString &field);

// One address: local part and domain as a mail server takes them (no display name, no
// blanks, no quoted local part, a domain with at least one dot; a domain with umlauts is
// valid and sent in its ASCII form).
bool isValidMailAddress(const QString &address);

// The address as the server is given it: the domain in its ASCII (punycode) form.
QString asciiMailAddress(const QString &address);

// A field of the suite as the clerk is shown it in a message or the log: a control
// character (a line break typed into the field, a tab, …) written as "\n", "\t" or "\xNN",
// so that it neither breaks the message's lines nor hides.
QString shownField(const QString &text);

} // namespace qvl
