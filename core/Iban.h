#pragma once
// IBAN rules of ISO 13616 and the SEPA creditor identifier (ISO 7064 mod 97-10).

#include <QString>

namespace qvl {

// The registered IBAN length of a country (two upper-case letters), 0 when unknown.
int ibanLengthOfCountry(const QString &countryCode);

// True when the country is in the European Economic Area (SEPA debtors outside it need
// a postal address in pain.008.001.08).
bool isEeaCountry(const QString &countryCode);

// Two check digits for a country code and a BBAN ("DE", "370400440532013000" -> "89").
QString ibanCheckDigits(const QString &countryCode, const QString &bban);

// An IBAN or a BIC as banks take it: upper case, without blanks. A valid IBAN typed in
// lower case or in groups of four is valid.
QString normalisedIban(const QString &typed);

// Full check: known country, its length, only letters and digits, mod 97 == 1.
// Blanks are not allowed (callers pass the IBAN as stored).
bool isValidIban(const QString &iban);

// SEPA creditor identifier: country code, two check digits, three-character business code
// (not part of the check), national identifier; mod 97-10 over national id + country +
// "00". Example: "DE98ZZZ09999999999" is valid.
bool isValidCreditorId(const QString &creditorId);

} // namespace qvl
