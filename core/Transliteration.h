#pragma once
// Bank files carry no German umlauts, no "ß" and no "é".

#include <QString>

namespace qvl {

// Ä Ö Ü ä ö ü ß é become AE OE UE ae oe ue ss e; every other character stays
// (È, ç, a lone line feed or carriage return).
QString ReplaceUmlauteTable(const QString &text);

// The table above, then every CR LF pair becomes one blank.
QString ReplaceUmlauteText(const QString &text);

} // namespace qvl
