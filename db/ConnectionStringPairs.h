#pragma once
// The pairs of a connection string as the parser found them, shared by the parser and the
// translation into what the ODBC driver needs (see ConnectionString.h for the rules).

#include "db/ConnectionString.h"

#include <initializer_list>

namespace qvl::connection_string {

enum class Syntax { Ado, Odbc };

// A pair with where its value stands in the text (for withoutPasswords).
struct ParsedPair {
    ConnectionPair pair;
    qsizetype valueFrom = 0;
    qsizetype valueTo = 0;
};

bool keyIn(const QString &key, std::initializer_list<QStringView> names);
// "SSPI", "true", "yes" in any letter case.
bool isTrue(const QString &value);

// By ADO's rules, or by ODBC's when the string names a driver or a DSN.
QList<ParsedPair> parsePairs(const QString &text, Syntax *syntax = nullptr);

// The keys ADO takes for the same thing.
inline constexpr std::initializer_list<QStringView> kServerKeys{u"Data Source", u"Server", u"Address", u"Addr",
                                                                u"Network Address"};
inline constexpr std::initializer_list<QStringView> kCatalogKeys{u"Initial Catalog", u"Database"};
inline constexpr std::initializer_list<QStringView> kUserKeys{u"User ID", u"UID", u"User"};
inline constexpr std::initializer_list<QStringView> kPasswordKeys{u"Password", u"PWD"};
inline constexpr std::initializer_list<QStringView> kWindowsKeys{u"Integrated Security", u"Trusted_Connection"};
inline constexpr std::initializer_list<QStringView> kCharsetKeys{u"ClientCharset", u"client_charset"};
// ADO's, ADO.NET's and the Windows drivers' names of the login time-out.
inline constexpr std::initializer_list<QStringView> kTimeoutKeys{u"Connect Timeout", u"Connection Timeout",
                                                                 u"Timeout", u"LoginTimeout"};
// ADO.NET's and the Windows ODBC drivers' key, and the OLE DB provider's.
inline constexpr std::initializer_list<QStringView> kEncryptKeys{u"Encrypt", u"Use Encryption for Data"};
inline constexpr std::initializer_list<QStringView> kTrustKeys{u"TrustServerCertificate",
                                                               u"Trust Server Certificate"};

// ADO takes the last of a repeated key, ODBC the first.
class Pairs {
public:
    Pairs(QList<ParsedPair> parsed, Syntax syntax) : m_parsed(std::move(parsed)), m_syntax(syntax) {}

    const ConnectionPair *find(std::initializer_list<QStringView> keys) const;
    bool has(std::initializer_list<QStringView> keys) const { return find(keys) != nullptr; }
    QString value(std::initializer_list<QStringView> keys) const
    {
        const ConnectionPair *p = find(keys);
        return p ? p->value : QString();
    }
    const QList<ParsedPair> &all() const { return m_parsed; }

private:
    QList<ParsedPair> m_parsed;
    Syntax m_syntax;
};

} // namespace qvl::connection_string
