#pragma once
// Windows-1252, the code page of the ANSI text files the program reads and writes.

#include <QByteArray>
#include <QString>

namespace qvl {

QString decodeCp1252(const QByteArray &bytes);
// Characters that Windows-1252 cannot hold become "?".
QByteArray encodeCp1252(const QString &text);

} // namespace qvl
