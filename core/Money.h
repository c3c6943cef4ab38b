#pragma once
// An amount of money in whole euro cents: what a bill, a booking, a bank file's debit and
// every sum over them hold. Adding and comparing are integer arithmetic, exact at any size
// a run can reach; a rate turns into cents once, by the one rounding the documents use
// (commercial: halves away from zero). The texts are the German one of the letters and
// lists and the bank file's.

#include <QString>
#include <QtGlobal>

#include <compare>
#include <iosfwd>
#include <optional>

namespace qvl {

class Money {
public:
    constexpr Money() = default;
    constexpr explicit Money(qint64 cents) : m_cents(cents) {}

    // Euros rounded commercially to whole cents (2.145 -> 2,15; -2.145 -> -2,15), as a
    // document prints them. Not a number gives 0; beyond ±10^15 euros the value is held
    // there (the amount limits refuse such a run before anything is written).
    static Money fromEuros(double euros);

    constexpr qint64 cents() const { return m_cents; }
    // The euros as a double: for the report engine's number fields and the limits' checks;
    // for whole cents the double nearest to the decimal text.
    double euros() const { return double(m_cents) / 100.0; }
    constexpr bool isZero() const { return m_cents == 0; }
    constexpr Money abs() const { return m_cents < 0 ? Money(-m_cents) : *this; }

    constexpr Money operator-() const { return Money(-m_cents); }
    constexpr Money &operator+=(Money other) { m_cents += other.m_cents; return *this; }
    constexpr Money &operator-=(Money other) { m_cents -= other.m_cents; return *this; }
    friend constexpr Money operator+(Money a, Money b) { return a += b; }
    friend constexpr Money operator-(Money a, Money b) { return a -= b; }
    friend constexpr bool operator==(Money a, Money b) = default;
    friend constexpr std::strong_ordering operator<=>(Money a, Money b) = default;

    // The amount times numerator / denominator (denominator > 0), rounded commercially to
    // cents. Exact in 64 bits for every amount the limits let through and factors of up to
    // 10^7 on either side.
    Money scaled(qint64 numerator, qint64 denominator) const;

    // The amount times a rate in percent ("19", "5,5", at most four decimals count),
    // rounded commercially to cents: the VAT of a net amount.
    Money timesPercent(double ratePercent) const;
    // A rate in percent in ten-thousandths of a percent, the scale timesPercent works in
    // (19 % -> 190000); 100 % is kPercentScale.
    static qint64 percentUnits(double ratePercent);
    static constexpr qint64 kPercentScale = 1'000'000;

    // German money text: "1.234,56" with grouping, "1234,56" without; "-0,41" for a
    // negative amount. Exact at any size.
    QString german(bool grouping = true) const;

    // The amount without grouping and without trailing zeros after the decimal mark
    // ("1234,56", "22,5", "100", "-0,41" with a comma): the general number form the lists
    // have always written.
    QString shortText(QChar decimalMark) const;

    // The bank file's amount text: shortText with a point ("1234.56", "22.5", "100"), as
    // the bank file has always written its amounts and control sums.
    QString sepaText() const { return shortText(u'.'); }

    // The amount with a point and always two decimals ("1234.50", "-0.05"): the e-invoice's
    // amounts.
    QString decimalText() const;

    // German money text read strictly: an optional "-", digits with "." only between
    // groups of three ("1.234"), at most one "," with one or two decimals after it, blanks
    // around. At most 15 digits before the comma. Anything else ("1.5", "1,555", "12a",
    // "", ",5") gives std::nullopt.
    static std::optional<Money> parseGerman(const QString &text);

private:
    qint64 m_cents = 0;
};

// The German text ("-1.234,56"), for messages of tests and logs.
std::ostream &operator<<(std::ostream &out, Money amount);

// The sum of what `amount` gives for each element of a range.
template <typename Range, typename Amount>
Money sumOf(const Range &range, Amount amount)
{
    Money total;
    for (const auto &element : range)
        total += amount(element);
    return total;
}

} // namespace qvl
