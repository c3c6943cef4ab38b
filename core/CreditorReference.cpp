#include "core/CreditorReference.h"

namespace qvl {

namespace {

// The reference's characters as ISO 7064 MOD 97-10 reads them (A = 10 … Z = 35), with
// "RF" and its check digits moved to the end; -1 for a character that has no place.
int mod97(const QString &body, const QString &tail)
{
    int rest = 0;
    for (const QChar c : body + tail) {
        const char16_t u = c.toUpper().unicode();
        if (u >= u'0' && u <= u'9')
            rest = (rest * 10 + (u - u'0')) % 97;
        else if (u >= u'A' && u <= u'Z')
            rest = (rest * 100 + (u - u'A' + 10)) % 97;
        else
            return -1;
    }
    return rest;
}

QString compact(const QString &reference)
{
    QString s;
    for (const QChar c : reference)
        if (!c.isSpace())
            s += c.toUpper();
    return s;
}

} // namespace

QString creditorReference(qint64 invoiceNumber)
{
    const QString body = QString::number(invoiceNumber);
    const int check = 98 - mod97(body, u"RF00"_qs);
    return u"RF"_qs + QString::number(check).rightJustified(2, u'0') + body;
}

QString printedCreditorReference(const QString &reference)
{
    const QString s = compact(reference);
    QString printed;
    for (qsizetype i = 0; i < s.size(); i += 4)
        printed += (i ? u" "_qs : QString()) + s.mid(i, 4);
    return printed;
}

bool validCreditorReference(const QString &reference)
{
    const QString s = compact(reference);
    if (s.size() < 5 || s.size() > 25 || !s.startsWith(u"RF"_qs) || !s[2].isDigit() || !s[3].isDigit())
        return false;
    return mod97(s.mid(4), s.left(4)) == 1;
}

std::optional<qint64> invoiceOfCreditorReference(const QString &reference)
{
    if (!validCreditorReference(reference))
        return std::nullopt;
    const QString body = compact(reference).mid(4);
    bool ok = false;
    const qint64 n = body.size() <= 18 ? body.toLongLong(&ok) : 0;
    if (!ok || n <= 0)
        return std::nullopt;
    return n;
}

} // namespace qvl
