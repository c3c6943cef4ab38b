#pragma once
// The suite keeps an owner's country as an international vehicle registration code ("D",
// "A", "CH", "NL" …); an electronic invoice needs ISO 3166-1 alpha-2.

#include <QString>

namespace qvl {

// The ISO code of a country as the suite holds it (letter case and blanks do not matter;
// an ISO code typed as such is kept). Empty text means Germany ("DE"); an unknown code
// gives an empty result.
QString isoCountryCode(const QString &nation);

} // namespace qvl
