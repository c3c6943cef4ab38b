#include "db/ConnectionStringPairs.h"

namespace qvl {

namespace connection_string {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A value in quotes or braces, the closer doubled inside: ADO writes '…' and "…", ODBC
// {…}. Both are read in either kind of string, since offices write strings for ADO's ODBC
// provider ("DSN=…;PWD='…'") and braces into ADO's forms alike.
QChar closerOf(QChar first)
{
    if (first == u'\'' || first == u'"')
        return first;
    return first == u'{' ? QChar(u'}') : QChar();
}

QList<ParsedPair> parseAs(const QString &text, Syntax syntax)
{
    QList<ParsedPair> pairs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (text[i] == u';' || isBlank(text[i])))
            ++i;
        QString key;
        bool hasValue = false;
        for (; i < n && text[i] != u';'; ++i) {
            if (text[i] != u'=') {
                key += text[i];
                continue;
            }
            // ADO writes a "=" inside a key twice.
            if (syntax == Syntax::Ado && i + 1 < n && text[i + 1] == u'=') {
                key += u'=';
                ++i;
                continue;
            }
            hasValue = true;
            ++i;
            break;
        }
        if (!hasValue)
            continue; // a part without "=" says nothing
        while (i < n && isBlank(text[i]))
            ++i;

        ParsedPair parsed;
        parsed.pair.key = key.trimmed();
        parsed.valueFrom = i;
        const QChar close = i < n ? closerOf(text[i]) : QChar();
        if (!close.isNull()) {
            for (++i; i < n; ++i) {
                if (text[i] != close) {
                    parsed.pair.value += text[i];
                } else if (i + 1 < n && text[i + 1] == close) {
                    parsed.pair.value += close;
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            parsed.valueTo = i;
            while (i < n && text[i] != u';') // blanks after the closing quote
                ++i;
        } else {
            const qsizetype end = text.indexOf(u';', i);
            parsed.valueTo = end < 0 ? n : end;
            parsed.pair.value = text.mid(i, parsed.valueTo - i).trimmed();
            i = parsed.valueTo;
        }
        pairs.append(parsed);
    }
    return pairs;
}

bool namesOdbc(const QList<ParsedPair> &pairs)
{
    for (const ParsedPair &p : pairs)
        if (keyIn(p.pair.key, {u"Driver", u"DSN", u"FileDSN"}))
            return true;
    return false;
}

} // namespace

bool keyIn(const QString &key, std::initializer_list<QStringView> names)
{
    for (QStringView name : names)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isTrue(const QString &value)
{
    return keyIn(value.trimmed(), {u"SSPI", u"true", u"yes"});
}

QList<ParsedPair> parsePairs(const QString &text, Syntax *syntax)
{
    QList<ParsedPair> pairs = parseAs(text, Syntax::Ado);
    const bool odbc = namesOdbc(pairs);
    if (odbc)
        pairs = parseAs(text, Syntax::Odbc);
    if (syntax)
        *syntax = odbc ? Syntax::Odbc : Syntax::Ado;
    return pairs;
}

const ConnectionPair *Pairs::find(std::initializer_list<QStringView> keys) const
{
    const ConnectionPair *found = nullptr;
    for (const ParsedPair &p : m_parsed) {
        if (!keyIn(p.pair.key, keys))
            continue;
        found = &p.pair;
        if (m_syntax == Syntax::Odbc)
            break;
    }
    return found;
}

} // namespace connection_string

using namespace connection_string;

QList<ConnectionPair> parseConnectionString(const QString &connectionString)
{
    QList<ConnectionPair> pairs;
    for (const ParsedPair &p : parsePairs(connectionString))
        pairs.append(p.pair);
    return pairs;
}

QString connectionStringValue(const QString &connectionString, const QString &key)
{
    Syntax syntax;
    QList<ParsedPair> parsed = parsePairs(connectionString, &syntax);
    const QString wanted = key.trimmed();
    return Pairs(std::move(parsed), syntax).value({QStringView(wanted)});
}

QString withoutPasswords(const QString &connectionString)
{
    QString shown = connectionString;
    const QList<ParsedPair> pairs = parsePairs(connectionString);
    for (auto it = pairs.crbegin(); it != pairs.crend(); ++it)
        if (keyIn(it->pair.key, kPasswordKeys) && !it->pair.value.isEmpty())
            shown.replace(it->valueFrom, it->valueTo - it->valueFrom, u"***"_qs);
    return shown;
}

} // namespace qvl
