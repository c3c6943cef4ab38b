#include "mail/MailAddress.h"

#include <QRegularExpression>
#include <QUrl>

namespace qvl {

namespace {

// RFC 5322's dot-atom for the local part; RFC 1035's labels for the domain.
const QRegularExpression &localPart()
{
    // \A and \z: "$" would also match before a closing line break.
    static const QRegularExpression re(uR"(\A[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*\z)"_qs);
    return re;
}

const QRegularExpression &asciiDomain()
{
    static const QRegularExpression re(
        uR"(\A([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\.)+[A-Za-z]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?\z)"_qs);
    return re;
}

QString asciiDomainOf(const QString &domain)
{
    return QString::fromLatin1(QUrl::toAce(domain, QUrl::AceProcessingOption::IgnoreIDNWhitelist));
}

} // namespace

bool isValidMailAddress(const QString &address)
{
    // The address is checked as one string: a line break or any other control character
    // anywhere would end up in a header line and in the server's RCPT command.
    for (const QChar c : address)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return false;
    const qsizetype at = address.lastIndexOf(u'@');
    if (at <= 0 || at > 64 || address.size() > 254)
        return false;
    const QString domain = asciiDomainOf(address.mid(at + 1));
    return localPart().match(address.left(at)).hasMatch() && !domain.isEmpty() && domain.size() <= 253
           && asciiDomain().match(domain).hasMatch();
}

QString asciiMailAddress(const QString &address)
{
    const qsizetype at = address.lastIndexOf(u'@');
    return at < 0 ? address : address.left(at + 1) + asciiDomainOf(address.mid(at + 1));
}

QStringList mailAddresses(const QString &field)
{
    static const QRegularExpression separators(u"[;,]"_qs);
    QStringList addresses;
    for (const QString &part : field.split(separators)) {
        const QString address = part.trimmed();
        if (address.isEmpty())
            continue;
        if (!isValidMailAddress(address))
            return {};
        if (!addresses.contains(address, Qt::CaseInsensitive))
            addresses.append(address);
    }
    return addresses;
}

QString shownField(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            shown += u"\\n"_qs;
        else if (u == u'\r')
            shown += u"\\r"_qs;
        else if (u == u'\t')
            shown += u"\\t"_qs;
        else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || u == 0x2028 || u == 0x2029)
            shown += u"\\x"_qs + QString::number(u, 16).toUpper().rightJustified(u > 0xff ? 4 : 2, u'0');
        else
            shown += c;
    }
    return shown;
}

} // namespace qvl
