#pragma once
// The key reader for key=value text files: the program's settings file and the suite's
// INI file.

#include "files/AnsiTextFile.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace qvl {

inline const QString kSettingsFileName = QStringLiteral("QVL32-SEPA-Beitragseinzug.ini");
inline const QString kReadFileError = QStringLiteral("ERROR");

// The settings file in the program folder.
QString settingsFilePath(const QString &programDir);

// The value of key IniCode in Filename: the first line whose text before its first "="
// equals the key (both trimmed, compared case-insensitively); "" when no line matches;
// "ERROR" when the file does not exist.
QString ReadFile(const QString &Filename, const QString &IniCode);

// The same lookup on lines already read, for reading many keys of one file. The file is
// read as Windows-1252, or as UTF-8 when it is that (readTextLines).
class KeyFile {
public:
    static std::optional<KeyFile> open(const QString &path);
    explicit KeyFile(QStringList lines, TextEncoding encoding = TextEncoding::Cp1252)
        : m_lines(std::move(lines)), m_encoding(encoding) {}
    QString value(const QString &key) const;
    const QStringList &lines() const { return m_lines; }
    // What the file was read as: it is written back in the same.
    TextEncoding encoding() const { return m_encoding; }

private:
    QStringList m_lines;
    TextEncoding m_encoding;
};

} // namespace qvl
