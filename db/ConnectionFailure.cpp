#include "db/ConnectionFailure.h"

#include <QRegularExpression>

namespace qvl {

namespace {

bool hasCode(const QString &codes, const char16_t *code)
{
    const QRegularExpression number(u"(^|[^0-9])"_qs + QString::fromUtf16(code) + u"([^0-9]|$)"_qs);
    return number.match(codes).hasMatch();
}

bool says(const QString &text, const char16_t *phrase)
{
    return text.contains(QString::fromUtf16(phrase), Qt::CaseInsensitive);
}

QString serverNamed(const ConnectionTarget &t)
{
    if (!t.server.isEmpty())
        return u"Der SQL Server „"_qs + t.server + u'“';
    return t.dataSource.isEmpty() ? u"Der SQL Server"_qs : u"Der SQL Server der ODBC-Datenquelle „"_qs + t.dataSource + u'“';
}

QString portQuestion(const ConnectionTarget &t)
{
    if (t.port > 0)
        return u"Läuft der SQL Server, ist der Port "_qs + QString::number(t.port)
               + u" in seiner Firewall freigegeben, und ist der Servername richtig geschrieben?"_qs;
    return u"Läuft der SQL Server und der Dienst „SQL Server-Browser“, ist der UDP-Port 1434 freigegeben, und sind "
           "Server- und Instanzname richtig geschrieben?"_qs;
}

QString cause(ConnectionFault fault, const ConnectionTarget &t, int timeoutSeconds)
{
    const QString onPort = t.port > 0 ? u" über den Port "_qs + QString::number(t.port) : QString();
    const QString user = t.userName.isEmpty() ? QString() : u" von „"_qs + t.userName + u'“';
    switch (fault) {
    case ConnectionFault::Unreachable:
        return serverNamed(t) + u" ist"_qs + onPort + u" nicht erreichbar. "_qs + portQuestion(t);
    case ConnectionFault::NoAnswer:
        return serverNamed(t) + onPort + u" hat nicht innerhalb von "_qs + QString::number(timeoutSeconds)
               + u" Sekunden geantwortet. "_qs + portQuestion(t)
               + u" Eine längere Wartezeit stellt „Connect Timeout=60“ in der Verbindung ein."_qs;
    case ConnectionFault::LoginRefused:
        if (t.windowsLogin)
            return u"Der SQL Server hat die Windows-Anmeldung abgelehnt: Ihr Windows-Benutzer hat keinen Zugang. "
                   "Bitten Sie den Administrator um Zugang, oder geben Sie eine SQL-Server-Anmeldung in den "
                   "Umgebungsvariablen QVL32_SQL_USER und QVL32_SQL_PASSWORD an."_qs;
        return u"Der SQL Server hat die Anmeldung"_qs + user
               + u" abgelehnt: Benutzername oder Kennwort sind falsch, oder der Benutzer darf sich nicht anmelden. "
                 "Unter Linux geben Sie die SQL-Server-Anmeldung in den Umgebungsvariablen QVL32_SQL_USER und "
                 "QVL32_SQL_PASSWORD an; unter Windows kann stattdessen die Windows-Anmeldung "
                 "(Integrated Security=SSPI) verwendet werden."_qs;
    case ConnectionFault::DatabaseNotFound:
        return u"Die Datenbank „"_qs + t.database + u"“ gibt es auf dem SQL Server"_qs
               + (t.server.isEmpty() ? QString() : u" „"_qs + t.server + u'“') + u" nicht, oder der Benutzer"_qs
               + (t.userName.isEmpty() ? QString() : u" „"_qs + t.userName + u'“')
               + u" darf sie nicht öffnen. Prüfen Sie den Datenbanknamen (DatabaseName in der INI-Datei der "
                 "Waldverwaltung, Initial Catalog in der Verbindung)."_qs;
    case ConnectionFault::WindowsLoginFailed:
#ifdef Q_OS_WIN
        return u"Die Windows-Anmeldung (Integrated Security) ist gescheitert: Windows konnte Sie beim SQL Server nicht "
               "ausweisen (SSPI). Melden Sie sich mit Ihrem Benutzer der Domäne an Windows an (nicht mit einem lokalen "
               "Benutzer), prüfen Sie, ob der Rechner die Domäne erreicht, und schreiben Sie den Server so, wie ihn die "
               "Domäne kennt (Rechnername statt IP-Adresse). Sonst bitten Sie den Administrator, den Dienstnamen (SPN) "
               "des SQL Servers einzutragen."_qs;
#endif
        return u"Die Windows-Anmeldung (Integrated Security) ist auf diesem Rechner nur mit einem Kerberos-Ticket "
               "der Domäne möglich (kinit). Ohne Kerberos setzen Sie die Umgebungsvariablen QVL32_SQL_USER und "
               "QVL32_SQL_PASSWORD auf eine SQL-Server-Anmeldung; sie tritt an die Stelle der Windows-Anmeldung."_qs;
    case ConnectionFault::NoEncryption:
        return u"Die Verbindung verlangt Verschlüsselung (Encrypt), der "_qs + serverNamed(t).mid(4)
               + u" bietet aber keine an. Richten Sie auf dem Server ein Zertifikat ein, oder lassen Sie "
                 "„Encrypt“ in der Verbindung weg."_qs;
    case ConnectionFault::TlsFailed:
        return u"Die verschlüsselte Verbindung zum "_qs + serverNamed(t).mid(4)
               + u" ist gescheitert: das Zertifikat des Servers oder die TLS-Version passt nicht zu diesem Rechner. "
                 "Prüfen Sie das Zertifikat des Servers und die TLS-Versionen, die er erlaubt (der Administrator des "
                 "SQL Servers), oder lassen Sie „Encrypt“ in der Verbindung weg, wenn das Netz es erlaubt."_qs;
    case ConnectionFault::PasswordExpired:
        return u"Das Kennwort"_qs + user
               + u" ist abgelaufen oder muss vor der ersten Anmeldung geändert werden. Ändern Sie es (etwa im SQL "
                 "Server Management Studio) oder bitten Sie den Administrator des SQL Servers darum, und tragen Sie "
                 "das neue Kennwort in die Verbindung ein."_qs;
    case ConnectionFault::LoginDisabled:
        return u"Die Anmeldung"_qs + user
               + u" ist auf dem SQL Server gesperrt (deaktiviert). Bitten Sie den Administrator des SQL Servers, sie "
                 "freizugeben."_qs;
    case ConnectionFault::NoDriver:
#ifdef Q_OS_WIN
        if (!t.dataSource.isEmpty() && t.driver.isEmpty())
            return u"Die ODBC-Datenquelle „"_qs + t.dataSource
                   + u"“ ist auf diesem Rechner nicht eingerichtet. Prüfen Sie ihren Namen, oder richten Sie sie unter "
                     "„ODBC-Datenquellen (64-Bit)“ ein."_qs;
        return u"Der ODBC-Treiber „"_qs + (t.driver.isEmpty() ? u"?"_qs : t.driver)
               + u"“ ist auf diesem Rechner nicht installiert. Installieren Sie ihn (Microsoft „ODBC Driver 18 for SQL "
                 "Server“), oder geben Sie mit --odbc-driver einen installierten Treiber an; „SQL Server“ hat jedes "
                 "Windows."_qs;
#endif
        if (!t.dataSource.isEmpty() && t.driver.isEmpty())
            return u"Die ODBC-Datenquelle „"_qs + t.dataSource
                   + u"“ ist auf diesem Rechner nicht eingerichtet (odbc.ini, für alle Benutzer in /etc/odbc.ini). "
                     "Prüfen Sie ihren Namen, oder richten Sie sie mit odbcinst ein."_qs;
        return u"Der ODBC-Treiber „"_qs + (t.driver.isEmpty() ? u"?"_qs : t.driver)
               + u"“ ist auf diesem Rechner nicht installiert oder nicht registriert. Installieren Sie den "
                 "FreeTDS-Treiber (Paket „tdsodbc“) und registrieren Sie ihn beim ODBC-Treibermanager (odbcinst -i -d, "
                 "Eintrag in odbcinst.ini), oder geben Sie mit --odbc-driver den Namen an, unter dem er registriert "
                 "ist."_qs;
    case ConnectionFault::Other:
        break;
    }
    return {};
}

} // namespace

ConnectionFault classifyConnectionFault(const ConnectionTarget &t, const QString &text, const QString &codes)
{
    // The driver manager's: no such driver, or its library cannot be loaded.
    if (says(text, u"Can't open lib") || says(text, u"IM002") || says(text, u"IM003")
        || says(text, u"Data source name not found and no default driver"))
        return ConnectionFault::NoDriver;
    if (hasCode(codes, u"18487") || hasCode(codes, u"18488") || says(text, u"password of the account has expired")
        || says(text, u"password of the account must be changed"))
        return ConnectionFault::PasswordExpired;
    if (hasCode(codes, u"18470") || says(text, u"account is disabled"))
        return ConnectionFault::LoginDisabled;
    // SQL Server follows 4060 with 18456: the database is the cause.
    if (hasCode(codes, u"4060") || says(text, u"Cannot open database"))
        return ConnectionFault::DatabaseNotFound;
    // Windows authentication that Windows itself could not give (the SSPI of Microsoft's drivers).
    if (says(text, u"SSPI") || says(text, u"untrusted domain"))
        return ConnectionFault::WindowsLoginFailed;
    if (hasCode(codes, u"18456") || says(text, u"Login failed"))
        return ConnectionFault::LoginRefused;
    // Microsoft's drivers: the certificate or the TLS handshake.
    if (says(text, u"SSL Provider") || says(text, u"certificate chain") || says(text, u"during handshakes before login"))
        return ConnectionFault::TlsFailed;
    if (says(text, u"Encryption not supported"))
        return ConnectionFault::NoEncryption;
    if (says(text, u"Timeout expired") || says(text, u"HYT00"))
        return ConnectionFault::NoAnswer;
    if (hasCode(codes, u"20009") || hasCode(codes, u"20013") || says(text, u"unavailable or does not exist")
        || says(text, u"Unknown host") || says(text, u"server was not found") || says(text, u"does not exist or access denied")
        || says(text, u"network-related or instance-specific") || says(text, u"Could not open a connection to SQL Server"))
        return ConnectionFault::Unreachable;
    // FreeTDS gives up after the server's first answer without telling why.
    if (t.freeTds && (hasCode(codes, u"20002") || says(text, u"Adaptive Server connection failed"))) {
        if (t.windowsLogin)
            return ConnectionFault::WindowsLoginFailed;
        if (t.encrypted)
            return ConnectionFault::NoEncryption;
    }
    return ConnectionFault::Other;
}

QString connectionFailureMessage(const ConnectionTarget &t, const QString &headline, const QString &driverText,
                                 const QString &nativeCodes, int timeoutSeconds)
{
    return connectionFailureMessage(t, headline, driverText, classifyConnectionFault(t, driverText, nativeCodes),
                                    timeoutSeconds);
}

QString connectionFailureMessage(const ConnectionTarget &t, const QString &headline, const QString &driverText,
                                 ConnectionFault fault, int timeoutSeconds)
{
    const QString why = cause(fault, t, timeoutSeconds);
    QString message = headline;
    if (!why.isEmpty())
        message += u'\n' + why;
    return message + u"\nDetails: "_qs + (driverText.trimmed().isEmpty() ? u"keine"_qs : driverText.trimmed());
}

} // namespace qvl
