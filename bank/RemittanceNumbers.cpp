#include "bank/RemittanceNumbers.h"

#include <QRegularExpression>

#include <algorithm>

namespace qvl {

QList<qint64> numbersInRemittance(const QString &text, const std::function<bool(qint64)> &known)
{
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }))
        return {};
    static const QRegularExpression digits(u"\\d{1,18}"_qs);
    // A number after "RE", "Rechnung", "Rg.", "Nr." is meant as one, and so are the numbers
    // listed after it ("RE 1001, 1002 und 1003"); a year or an amount elsewhere in the
    // text is not.
    static const QRegularExpression prefixed(
        u"(?:\\bre|\\brg|rechnung(?:en|s)?|\\brechn|\\bnr|nummer|beleg)\\.?\\s*(?:nr\\.?|nummer)?\\s*[:.]?\\s*(\\d{1,18})"_qs,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression listed(u"\\s*(?:,|;|/|\\+|&|und|u\\.)\\s*(?:(?:re|rg|nr)\\.?\\s*)?(\\d{1,18})"_qs,
                                           QRegularExpression::CaseInsensitiveOption);
    const auto add = [&](QList<qint64> &found, const QString &number) {
        const qint64 n = number.toLongLong();
        if (known(n) && !found.contains(n))
            found.append(n);
    };
    const auto scan = [&](const QString &of) {
        QList<qint64> found;
        for (auto it = prefixed.globalMatch(of); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            add(found, m.captured(1));
            for (qsizetype pos = m.capturedEnd();;) {
                const QRegularExpressionMatch more =
                    listed.match(of, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
                if (!more.hasMatch())
                    break;
                add(found, more.captured(1));
                pos = more.capturedEnd();
            }
        }
        if (!found.isEmpty())
            return found;
        for (auto it = digits.globalMatch(of); it.hasNext();)
            add(found, it.next().captured());
        return found;
    };
    // A number broken by the bank's 35-character lines or typed with blanks ("10 01"):
    // the digits joined count where they name more documents.
    static const QRegularExpression blanks(u"(?<=\\d)\\s+(?=\\d)"_qs);
    QString joined = text;
    joined.replace(blanks, QString());
    const QList<qint64> asWritten = scan(text);
    const QList<qint64> withoutBlanks = joined == text ? asWritten : scan(joined);
    return withoutBlanks.size() > asWritten.size() ? withoutBlanks : asWritten;
}

} // namespace qvl
