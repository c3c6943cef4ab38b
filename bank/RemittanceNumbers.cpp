#include "bank/RemittanceNumbers.h"

#include "core/CreditorReference.h"

#include <QRegularExpression>

#include <algorithm>

namespace qvl {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A number written from `start` to `end` stands alone: it is not the start or the end of
// a date or an amount ("07.12.2026", "4,50", "16,5459ha"), not followed by a unit
// ("3 EUR", "12 ha", "5 %") and not glued to letters on its right ("12345Berlin").
bool standsAlone(const QString &text, qsizetype start, qsizetype end)
{
    if (start > 0) {
        const QChar before = text[start - 1];
        if (before.isLetterOrNumber() && !isDigit(before)) {
            // glued to a marker on its left is fine ("RE1001"); the caller decides that
        } else if ((before == u'.' || before == u',' || before == u'/' || before == u'-' || before == u':')
                   && start >= 2 && isDigit(text[start - 2])) {
            return false; // "07.12", "4,50", "12/2026", "2026-12"
        }
    }
    if (end < text.size()) {
        const QChar after = text[end];
        if ((after == u'.' || after == u',' || after == u'/' || after == u'-' || after == u':') && end + 1 < text.size()
            && isDigit(text[end + 1]))
            return false;
        if (after.isLetter())
            return false;
    }
    static const QRegularExpression unit(u"^\\s*(?:ha\\b|a\\b|qm\\b|m²|m2\\b|fm\\b|rm\\b|eur\\b|euro\\b|€|%|dm\\b|"
                                         "chf\\b|usd\\b|st(?:ü|ue)ck\\b|stk\\b|jahre?\\b)"_qs,
                                         QRegularExpression::CaseInsensitiveOption);
    return !unit.match(QStringView(text).mid(end), 0, QRegularExpression::NormalMatch).hasMatch();
}

} // namespace

RemittanceReferences referencesInRemittance(const QString &text, const QStringList &markers)
{
    return RemittanceReader(markers).read(text);
}

RemittanceReader::RemittanceReader(const QStringList &markers)
{
    QStringList words{u"re\\.?\\s?-?\\s?nr"_qs,    u"rechnungs?-?\\s?nr"_qs, u"rechnungsnummer"_qs,
                      u"rechnungen"_qs,             u"rechnung"_qs,           u"rechn"_qs,
                      u"rg\\.?\\s?-?\\s?nr"_qs,     u"rgnr"_qs,               u"rg"_qs,
                      u"re"_qs,                     u"beleg\\s?-?\\s?nr"_qs,  u"belegnummer"_qs,
                      u"beleg"_qs,                  u"nr"_qs,                 u"nummer"_qs,
                      u"beitragsbescheid"_qs,       u"bescheid"_qs,           u"invoice"_qs};
    for (const QString &marker : markers)
        if (!marker.trimmed().isEmpty())
            words.append(QRegularExpression::escape(marker.trimmed()));
    m_marked = QRegularExpression(u"(?<![\\p{L}\\d])(?:"_qs + words.join(u'|')
                                      + u")\\.?\\s*(?:nr\\.?|nummer)?\\s*[:.#]?\\s*(\\d{1,18})"_qs,
                                  QRegularExpression::CaseInsensitiveOption
                                      | QRegularExpression::UseUnicodePropertiesOption);
    m_marked.optimize();
}

RemittanceReferences RemittanceReader::read(const QString &text) const
{
    const QRegularExpression &marked = m_marked;
    RemittanceReferences found;
    if (std::none_of(text.cbegin(), text.cend(), isDigit))
        return found;
    // RF references: "RF40 1001", "RF401001".
    static const QRegularExpression rf(u"(?<![A-Za-z0-9])RF\\s?\\d\\d(?:\\s?[0-9A-Za-z]){1,21}(?![0-9A-Za-z])"_qs,
                                       QRegularExpression::CaseInsensitiveOption);
    for (auto it = rf.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        // Words after the reference are taken in by the pattern ("RF40 1001 Beitrag"): cut back
        // at blanks until the check digits fit.
        QString candidate = m.captured();
        while (!candidate.isEmpty()) {
            if (const std::optional<qint64> n = invoiceOfCreditorReference(candidate)) {
                if (!found.creditorReferences.contains(*n))
                    found.creditorReferences.append(*n);
                break;
            }
            const qsizetype blank = candidate.lastIndexOf(u' ');
            if (blank <= 4)
                break;
            candidate.truncate(blank);
        }
    }

    // The whole text a number (blanks and a final point aside).
    static const QRegularExpression whole(u"^\\s*(\\d{1,18})\\s*\\.?\\s*$"_qs);
    if (const QRegularExpressionMatch m = whole.match(text); m.hasMatch()) {
        found.numbers.append(m.captured(1).toLongLong());
        found.wholeText = true;
        return found;
    }

    static const QRegularExpression listed(u"^\\s*(?:,|;|/|\\+|&|und|u\\.)\\s*(?:(?:re|rg|nr)\\.?\\s*)?(\\d{1,18})"_qs,
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression lineGoesOn(u"^[ \\t]*\\n[ \\t]*(\\d{1,17})"_qs);
    const auto add = [&](qint64 n) {
        if (!found.numbers.contains(n))
            found.numbers.append(n);
    };
    for (auto it = marked.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype start = m.capturedStart(1), end = m.capturedEnd(1);
        // Digits going on at the next line's start: the bank's line length broke the number.
        const QRegularExpressionMatch next = lineGoesOn.match(QStringView(text).mid(end));
        if (next.hasMatch() && m.capturedLength(1) + next.capturedLength(1) <= 18
            && standsAlone(text, end + next.capturedStart(1), end + next.capturedEnd(1))) {
            RemittanceReferences::Broken b;
            b.joined = (m.captured(1) + next.captured(1)).toLongLong();
            b.parts = {m.captured(1).toLongLong(), next.captured(1).toLongLong()};
            found.broken.append(b);
        }
        if (!standsAlone(text, start, end))
            continue;
        add(m.captured(1).toLongLong());
        for (qsizetype pos = end;;) {
            const QRegularExpressionMatch more = listed.match(QStringView(text).mid(pos));
            if (!more.hasMatch())
                break;
            const qsizetype s = pos + more.capturedStart(1), e = pos + more.capturedEnd(1);
            if (!standsAlone(text, s, e))
                break; // "RE 4 + 3 EUR": the amount ends the list
            static const QRegularExpression town(u"^\\s+\\p{Lu}"_qs, QRegularExpression::UseUnicodePropertiesOption);
            if (e - s == 5 && town.match(QStringView(text).mid(e)).hasMatch())
                break; // "RE 1001, 80331 München": a postcode and its town
            add(more.captured(1).toLongLong());
            pos = e;
        }
    }
    return found;
}

} // namespace qvl
