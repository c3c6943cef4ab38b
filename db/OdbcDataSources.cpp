#include "db/OdbcDataSources.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <odbcinst.h>

#include <QByteArray>
#include <cstring>
#include <cwchar>
#include <string>

namespace qvl {

namespace {

QString profileString(const QString &section, const QString &entry, const QString &file)
{
#ifdef Q_OS_WIN
    std::wstring buffer(4096, L'\0');
    const int length = SQLGetPrivateProfileStringW(
        reinterpret_cast<LPCWSTR>(section.utf16()), reinterpret_cast<LPCWSTR>(entry.utf16()), L"", buffer.data(),
        int(buffer.size()), reinterpret_cast<LPCWSTR>(file.utf16()));
    return length > 0 ? QString::fromWCharArray(buffer.c_str()).trimmed() : QString();
#else
    QByteArray buffer(4096, '\0');
    const int length = SQLGetPrivateProfileString(section.toUtf8().constData(), entry.toUtf8().constData(), "",
                                                  buffer.data(), int(buffer.size()), file.toUtf8().constData());
    return length > 0 ? QString::fromUtf8(buffer.constData(), qstrnlen(buffer.constData(), buffer.size())).trimmed()
                      : QString();
#endif
}

} // namespace

QString registeredDataSourceDriver(const QString &dsn)
{
    if (dsn.trimmed().isEmpty())
        return {};
    const QString driver = profileString(dsn.trimmed(), u"Driver"_qs, u"odbc.ini"_qs);
    if (driver.isEmpty())
        return {};
    const QString library = registeredDriverLibrary(driver);
    return library.isEmpty() ? driver : driver + u' ' + library;
}

QString registeredDataSourceDatabase(const QString &dsn)
{
    return dsn.trimmed().isEmpty() ? QString() : profileString(dsn.trimmed(), u"Database"_qs, u"odbc.ini"_qs);
}

QStringList installedOdbcDrivers()
{
    // A list of names, each ended by a NUL, the list by a second one.
    QStringList drivers;
#ifdef Q_OS_WIN
    std::wstring buffer(32768, L'\0');
    WORD length = 0;
    if (!SQLGetInstalledDriversW(buffer.data(), WORD(buffer.size() - 1), &length))
        return drivers;
    for (const wchar_t *name = buffer.c_str(); *name; name += std::wcslen(name) + 1)
        drivers << QString::fromWCharArray(name);
#else
    QByteArray buffer(32768, '\0');
    WORD length = 0;
    if (!SQLGetInstalledDrivers(buffer.data(), WORD(buffer.size() - 1), &length))
        return drivers;
    for (const char *name = buffer.constData(); *name; name += std::strlen(name) + 1)
        drivers << QString::fromUtf8(name);
#endif
    return drivers;
}

QString registeredDriverLibrary(const QString &driver)
{
    return driver.trimmed().isEmpty() ? QString() : profileString(driver.trimmed(), u"Driver"_qs, u"odbcinst.ini"_qs);
}

QString unpooledDriverLibrary(const QString &driver)
{
#ifdef Q_OS_WIN
    Q_UNUSED(driver);
    return {};
#else
    const QString pooling = profileString(u"ODBC"_qs, u"Pooling"_qs, u"odbcinst.ini"_qs);
    const bool pools = pooling.compare(u"Yes"_qs, Qt::CaseInsensitive) == 0 || pooling == u"1"_qs
                       || pooling.compare(u"On"_qs, Qt::CaseInsensitive) == 0;
    if (!pools || driver.trimmed().isEmpty()
        || profileString(driver.trimmed(), u"CPTimeout"_qs, u"odbcinst.ini"_qs).toInt() <= 0)
        return {};
    return registeredDriverLibrary(driver);
#endif
}

} // namespace qvl
