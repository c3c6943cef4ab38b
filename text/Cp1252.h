#pragma once
// Windows-1252, the code page of the ANSI text files the program reads and writes.

#include <QByteArray>
#include <QString>

namespace qvl {

QString decodeCp1252(const QByteArray &bytes);

// The text with each character that Windows-1252 cannot hold replaced by its nearest
// Latin letters: its Unicode decomposition without the marks the code page lacks
// (Č → C, ő → o, ǖ → ü, ﬁ → fi), or for letters that have none a letter of the same
// sound (Ł → L, đ → d). What the code page holds (ä, ß, €) stays; what has no Latin
// form (Ω, emoji) stays as it is.
QString toCp1252Letters(const QString &text);

// True when every character of toCp1252Letters(text) has a Windows-1252 byte, so the text
// is written without a "?".
bool fitsCp1252(const QString &text);

// The bytes of toCp1252Letters(text); what still has no byte becomes "?".
QByteArray encodeCp1252(const QString &text);

} // namespace qvl
