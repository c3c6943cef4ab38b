#include "core/Money.h"

#include "text/Conversions.h"

#include <QRegularExpression>

#include <algorithm>
#include <ostream>
#include <cmath>

namespace qvl {

Money Money::fromEuros(double euros)
{
    return Money(toCents(euros));
}

// a · m / d rounded half away from zero, exact in 64 bits without a wider type: a is split
// as q · d + r, so a · m / d = q · m + r · m / d, where |r · m| < d · |m| and q · m fits for
// every amount the limits let through. The two parts have the sign of a · m, so rounding
// the fraction rounds the whole.
Money Money::scaled(qint64 m, qint64 d) const
{
    Q_ASSERT(d > 0);
    const qint64 q = m_cents / d;
    const qint64 rm = (m_cents % d) * m;
    const qint64 fraction = (2 * (rm < 0 ? -rm : rm) + d) / (2 * d);
    return Money(q * m + (rm < 0 ? -fraction : fraction));
}

qint64 Money::percentUnits(double ratePercent)
{
    // Rates carry at most four decimals as typed; in ten-thousandths of a percent the
    // product is integer arithmetic.
    return std::llround(std::clamp(ratePercent, -1e6, 1e6) * 10000);
}

Money Money::timesPercent(double ratePercent) const
{
    return scaled(percentUnits(ratePercent), kPercentScale);
}

QString Money::german(bool grouping) const
{
    return formatCents(m_cents, grouping);
}

QString Money::decimalText() const
{
    return formatCents(m_cents, false).replace(u',', u'.');
}

QString Money::shortText(QChar decimalMark) const
{
    QString text = formatCents(m_cents, false);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u','))
        text.chop(1);
    else
        text.replace(u',', decimalMark);
    return text;
}

std::optional<Money> Money::parseGerman(const QString &text)
{
    static const QRegularExpression syntax(
        QStringLiteral("^\\s*(-?)(\\d{1,3}(?:\\.\\d{3})+|\\d+)(?:,(\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch m = syntax.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString whole = m.captured(2).remove(u'.');
    if (whole.size() > 15)
        return std::nullopt;
    const QString fraction = m.captured(3).leftJustified(2, u'0');
    const qint64 cents = whole.toLongLong() * 100 + fraction.toLongLong();
    return Money(m.capturedLength(1) > 0 ? -cents : cents);
}

std::ostream &operator<<(std::ostream &out, Money amount)
{
    return out << amount.german().toStdString();
}

} // namespace qvl
