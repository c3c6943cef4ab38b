#pragma once
// The key reader for key=value text files: the program's settings file and the suite's
// INI file.

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

// The same lookup on lines already read, for reading many keys of one file.
class KeyFile {
public:
    static std::optional<KeyFile> open(const QString &path);
    explicit KeyFile(QStringList lines) : m_lines(std::move(lines)) {}
    QString value(const QString &key) const;
    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};

} // namespace qvl
