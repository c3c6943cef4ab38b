#pragma once
// How a stored run is shown in the main form's list. The run key itself (what deleting a
// run needs, exactly as the database builds it) ends in SQL Server's default short date,
// whose month name is in the language of the database login ("Dec  5 2026",
// "Dez  5 2026"); the list shows that date in the German form instead.

#include <QString>

namespace qvl {

// "2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026" -> "2026 Mitgliedsbeitrag, Erstellt: 05.12.2026".
// English and German month abbreviations are read; a key whose date cannot be read is
// shown as it is.
QString storedRunCaption(const QString &runKey);

} // namespace qvl
