#pragma once
// Alphabetical order as German lists use it (DIN 5007, variant 1), as the suite's server
// sorts: letter case does not count, diacritics only between otherwise equal texts, so
// Ährlich sorts between Adler and Bauer and Müller before Zeller; "ß" counts as "ss".

#include <QStringView>

namespace qvl {

// <0, 0 or >0 like a comparison function.
int compareGerman(QStringView a, QStringView b);

} // namespace qvl
