#include "stored/YearComparison.h"

#include "text/Conversions.h"
#include "db/Database.h"
#include "stored/StoredFeesSql.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace qvl {

namespace {

// The insert stores at most this many characters of the type.
constexpr int kTypeLength = 50;

QString ownerName(const QString &name, const QString &vorname)
{
    return (name.trimmed() + u' ' + vorname.trimmed()).trimmed();
}

bool byNumber(const ComparedOwner &a, const ComparedOwner &b)
{
    return a.nummer < b.nummer;
}

} // namespace

std::optional<double> ComparedOwner::percent() const
{
    if (lastYear.isZero())
        return std::nullopt;
    return double((thisRun - lastYear).cents()) / double(lastYear.abs().cents()) * 100;
}

std::optional<double> YearComparison::totalPercent() const
{
    if (lastTotal.isZero())
        return std::nullopt;
    return double((thisTotal - lastTotal).cents()) / double(lastTotal.abs().cents()) * 100;
}

QList<StoredYearFee> storedFeesOfYear(Database &db, const QString &jahr, const QString &typ,
                                      std::optional<long> association)
{
    QVariantList values{jahr.isNull() ? u""_qs : jahr, typ.left(kTypeLength).isNull() ? u""_qs : typ.left(kTypeLength)};
    if (association)
        values << formatNumber(double(*association), u"0000"_qs) << QString::number(*association);
    const std::unique_ptr<RowCursor> rows =
        db.select(db.sql(association ? stored_fees_sql::kFeesOfYearOfAssociation : stored_fees_sql::kFeesOfYear),
                  values);
    QList<StoredYearFee> fees;
    while (rows->next())
        fees.append({long(rows->integer(0)), long(rows->integer(1)), ownerName(rows->text(2), rows->text(3)),
                     Money::fromEuros(roundHalfEven(rows->number(4), 2))});
    return fees;
}

YearComparison compareWithYear(const QString &lastYear, const QString &typ, const QList<StoredYearFee> &stored,
                               const Buchungen &records, int thresholdPercent, const QSet<long> &notDebited)
{
    YearComparison c;
    c.lastYear = lastYear;
    c.typ = typ;
    c.thresholdPercent = thresholdPercent;
    c.anyStored = !stored.isEmpty();
    QHash<long, const StoredYearFee *> last;
    last.reserve(stored.size());
    for (const StoredYearFee &fee : stored) {
        last.insert(fee.idPersonal, &fee);
        ++c.lastCount;
        c.lastTotal += fee.amount;
    }
    QSet<long> billed;
    billed.reserve(qsizetype(records.size()));
    for (const Buchung &b : records) {
        const Money amount = b.SummeCent;
        billed.insert(b.Id_Personal);
        if (notDebited.contains(b.Id_Personal)) {
            const auto found = last.constFind(b.Id_Personal);
            c.transfer.append({b.Nummer, ownerName(b.NameOrig, b.VornameOrig),
                               found == last.cend() ? Money() : (*found)->amount, amount});
            c.transferTotal += amount;
            continue;
        }
        ++c.thisCount;
        c.thisTotal += amount;
        const auto found = last.constFind(b.Id_Personal);
        if (found == last.cend()) {
            if (c.anyStored)
                c.added.append({b.Nummer, ownerName(b.NameOrig, b.VornameOrig), Money(), amount});
            continue;
        }
        const Money lastAmount = (*found)->amount;
        // Compared in cents, so that 25 % of 12,00 € is exactly 3,00 €; the threshold's
        // amount rounds its halves to even.
        const bool beyond = lastAmount.isZero()
                                ? !amount.isZero()
                                : (amount - lastAmount).abs()
                                      > Money::fromEuros(roundHalfEven(lastAmount.abs().euros() * thresholdPercent / 100, 2));
        if (beyond)
            c.changed.append({b.Nummer, ownerName(b.NameOrig, b.VornameOrig), lastAmount, amount});
    }
    for (const StoredYearFee &fee : stored)
        if (!billed.contains(fee.idPersonal))
            c.gone.append({fee.nummer, fee.name, fee.amount, Money()});
    std::sort(c.gone.begin(), c.gone.end(), byNumber);
    std::sort(c.added.begin(), c.added.end(), byNumber);
    std::sort(c.transfer.begin(), c.transfer.end(), byNumber);
    // Largest change first: by its share of last year's amount (an amount where there was
    // none first of all), then by euros.
    const auto share = [](const ComparedOwner &o) {
        const std::optional<double> p = o.percent();
        return p ? std::fabs(*p) : INFINITY;
    };
    std::stable_sort(c.changed.begin(), c.changed.end(), [&](const ComparedOwner &a, const ComparedOwner &b) {
        const double pa = share(a);
        const double pb = share(b);
        if (pa != pb)
            return pa > pb;
        return (a.thisRun - a.lastYear).abs() > (b.thisRun - b.lastYear).abs();
    });
    return c;
}

} // namespace qvl
