#include "os/CommandLineSecret.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <cwchar>
#include <sys/stat.h>

#ifdef Q_OS_WIN
#include <windows.h>

QT_BEGIN_NAMESPACE
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
QT_END_NAMESPACE
#endif

namespace qvl {

namespace {

QString firstLine(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    const qsizetype end = text.indexOf(u'\n');
    if (end >= 0)
        text.truncate(end);
    if (text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

} // namespace

std::optional<QString> readCommandLineFile(const QString &path, QString *error)
{
    QFile file;
    if (path == u"-"_qs) {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            *error = u"Die Befehlszeile kann nicht von der Standardeingabe gelesen werden."_qs;
            return std::nullopt;
        }
        return firstLine(file.readAll());
    }
    const QString shown = u"Die Datei mit der Befehlszeile „"_qs + path + u'“';
#ifndef Q_OS_WIN
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        *error = shown + u" gibt es nicht: "_qs + QString::fromLocal8Bit(std::strerror(errno)) + u'.';
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = shown + u" ist keine gewöhnliche Datei."_qs;
        return std::nullopt;
    }
    if ((status.st_mode & 077) != 0) {
        *error = shown + u" dürfen andere Benutzer lesen oder ändern (Rechte "_qs
                 + QString::number(status.st_mode & 0777, 8).rightJustified(4, u'0')
                 + u"); sie kann ein Kennwort enthalten. Erlaubt ist sie nur für ihren Besitzer: chmod 600 "_qs + path
                 + u'.';
        return std::nullopt;
    }
#else
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = shown + u" gibt es nicht."_qs;
        return std::nullopt;
    }
    if (!info.isFile()) {
        *error = shown + u" ist keine gewöhnliche Datei."_qs;
        return std::nullopt;
    }
    // What the file's access list grants everyone (NTFS; a share answers as its server does).
    ++qt_ntfs_permission_lookup;
    const bool everyone = info.permission(QFile::ReadOther) || info.permission(QFile::WriteOther);
    --qt_ntfs_permission_lookup;
    if (everyone) {
        *error = shown + u" dürfen alle Benutzer lesen oder ändern; sie kann ein Kennwort enthalten. Erlaubt ist sie"
                         u" nur für ihren Besitzer (Eigenschaften, Sicherheit: „Jeder“ entfernen)."_qs;
        return std::nullopt;
    }
#endif
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = shown + u" kann nicht gelesen werden: "_qs + file.errorString() + u'.';
        return std::nullopt;
    }
    return firstLine(file.readAll());
}

namespace {

#ifdef Q_OS_WIN
// Windows keeps the command line as one text in the process's own memory, where the task
// manager and WMI read it; argv is the C runtime's copy. The secret is overwritten there
// too, wherever it stands (quoted or not).
void hideInCommandLine(const char *secret)
{
    const QString value = QString::fromLocal8Bit(secret);
    wchar_t *line = ::GetCommandLineW();
    if (value.isEmpty() || !line)
        return;
    const std::size_t length = std::wcslen(line);
    const auto *wanted = reinterpret_cast<const wchar_t *>(value.utf16());
    const auto size = std::size_t(value.size());
    for (std::size_t at = 0; at + size <= length; ++at)
        if (std::wmemcmp(line + at, wanted, size) == 0)
            std::wmemset(line + at, L'*', size);
}
#endif

} // namespace

void hideArguments(int argc, char **argv, const std::function<bool(int)> &secret)
{
    for (int i = 1; i < argc; ++i) {
        if (!argv[i] || !secret(i))
            continue;
        char *value = argv[i];
        if (value[0] == '-' && value[1] == '-')
            if (char *eq = std::strchr(value, '='))
                value = eq + 1;
#ifdef Q_OS_WIN
        hideInCommandLine(value);
#endif
        for (char *c = value; *c; ++c)
            *c = '*';
    }
}

int optionValueIndex(int argc, char **argv, const char *name)
{
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strncmp(arg, "--", 2) != 0 || std::strncmp(arg + 2, name, length) != 0)
            continue;
        if (arg[2 + length] == '=')
            return i;
        if (arg[2 + length] == '\0')
            return i + 1 < argc ? i + 1 : -1;
    }
    return -1;
}

} // namespace qvl
