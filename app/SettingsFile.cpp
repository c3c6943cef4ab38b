#include "app/SettingsFile.h"

#include "files/AnsiTextFile.h"
#include "os/Paths.h"

namespace qvl {

QString settingsFilePath(const QString &programDir)
{
    return joinPath(programDir, kSettingsFileName);
}

std::optional<KeyFile> KeyFile::open(const QString &path)
{
    std::optional<DecodedText> text = readTextLines(path);
    if (!text)
        return std::nullopt;
    return KeyFile(std::move(text->lines), text->encoding);
}

QString KeyFile::value(const QString &key) const
{
    const QString wanted = key.trimmed().toUpper();
    for (const QString &line : m_lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 1)
            continue;
        if (line.left(eq).toUpper().trimmed() == wanted)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString ReadFile(const QString &Filename, const QString &IniCode)
{
    const auto file = KeyFile::open(Filename);
    if (!file)
        return kReadFileError;
    return file->value(IniCode);
}

} // namespace qvl
