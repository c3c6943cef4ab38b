#include "check/RunCheck.h"

#include "text/Conversions.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace qvl {

CheckGrade gradeOf(CheckKind kind)
{
    switch (kind) {
    case CheckKind::CalculationRefused:
    case CheckKind::NoWritableIban:
    case CheckKind::InvoiceNumberTaken:
    // The banks would refuse the file, or the members were not told in time.
    case CheckKind::DueDate:
        return CheckGrade::Error;
    case CheckKind::ComparisonGone:
    case CheckKind::ComparisonNew:
    case CheckKind::ComparisonChanged:
    case CheckKind::ComparisonTransfer:
        return CheckGrade::Hint;
    default:
        return CheckGrade::Warning;
    }
}

bool RunCheck::hasErrors() const
{
    return std::any_of(items.cbegin(), items.cend(), [](const CheckItem &i) { return i.grade() == CheckGrade::Error; });
}

bool RunCheck::onlyDueDateError() const
{
    if (!proposedDueDate)
        return false;
    bool dueDate = false;
    for (const CheckItem &i : items) {
        if (i.grade() != CheckGrade::Error)
            continue;
        if (i.kind != CheckKind::DueDate)
            return false;
        dueDate = true;
    }
    return dueDate;
}

QList<CheckItem> RunCheck::itemsOf(CheckGrade grade) const
{
    QList<CheckItem> of;
    for (const CheckItem &item : items)
        if (item.grade() == grade)
            of.append(item);
    return of;
}

void RunCheck::remove(CheckKind kind)
{
    items.removeIf([kind](const CheckItem &i) { return i.kind == kind; });
}

void RunCheck::add(CheckItem item)
{
    const auto after = std::upper_bound(items.begin(), items.end(), item.grade(),
                                        [](CheckGrade g, const CheckItem &i) { return int(g) < int(i.grade()); });
    items.insert(after, std::move(item));
}

QString gradeTitle(CheckGrade grade)
{
    switch (grade) {
    case CheckGrade::Error:
        return u"Fehler"_qs;
    case CheckGrade::Warning:
        return u"Warnungen"_qs;
    case CheckGrade::Hint:
        break;
    }
    return u"Hinweise"_qs;
}

QString euroCentsText(Money amount)
{
    return amount.german() + u" €"_qs;
}

QString countText(qsizetype n)
{
    return QLocale(QLocale::German).toString(qlonglong(n));
}

QString percentChangeText(double percent, std::optional<int> threshold)
{
    int decimals = 1;
    if (threshold) {
        const double limit = std::abs(*threshold);
        while (decimals < 10 && std::fabs(percent) > limit
               && roundHalfAwayFromZero(std::fabs(percent), decimals) <= limit)
            ++decimals;
    }
    const double shown = roundHalfAwayFromZero(percent, decimals);
    return (shown > 0 ? u"+"_qs : QString()) + QLocale(QLocale::German).toString(shown, 'f', decimals) + u" %"_qs;
}

QString itemHeadline(const CheckItem &item)
{
    if (item.owners.isEmpty())
        return item.text;
    return item.text + u" ("_qs + countText(item.owners.size()) + u" Waldbesitzer)"_qs;
}

QString ownerLine(const CheckOwner &owner)
{
    QString line = (QString::number(owner.nummer) + u' ' + owner.name).trimmed();
    if (!owner.detail.isEmpty())
        line += u": "_qs + owner.detail;
    return line;
}

QStringList figuresLines(const RunCheck &check)
{
    const RunFigures &f = check.figures;
    QStringList lines;
    QString head = (f.directDebit ? u"Lastschriftlauf "_qs : u"Rechnungslauf "_qs) + f.year + u" „"_qs + f.feeText
                   + u"“"_qs;
    if (f.directDebit && !f.dueDate.isEmpty())
        head += u", fällig am "_qs + f.dueDate;
    lines << head;
    if (f.directDebit && !f.dueDate.isEmpty()) {
        QString rules = u"Vorlauf der Bank "_qs + QString::number(f.leadDays)
                        + (f.leadDays == 1 ? u" Bankarbeitstag"_qs : u" Bankarbeitstage"_qs);
        if (f.preNotificationDays > 0)
            rules += u", Vorabankündigung mit den Beitragsbescheiden "_qs + QString::number(f.preNotificationDays)
                     + (f.preNotificationDays == 1 ? u" Tag"_qs : u" Tage"_qs);
        lines << u"Fälligkeit: "_qs + f.dueDate + u" ("_qs + rules + u')';
    }
    if (!f.selection.isEmpty())
        lines << f.selection;
    lines << u"Waldbesitzer gelesen: "_qs + countText(f.read);
    // With VAT on top the fees are net and the total is what is debited or asked for.
    const QString gross = f.withVat ? u" (mit MwSt)"_qs : QString();
    const QString feeKind = !f.withVat ? QString() : f.vatOnTop ? u" (netto)"_qs : u" (mit MwSt)"_qs;
    lines << u"Abgerechnet: "_qs + countText(f.billed) + u" Waldbesitzer, zusammen "_qs + euroCentsText(f.totalCent) + gross;
    for (const FeeTotal &fee : f.fees)
        lines << u"  "_qs + fee.name + u": "_qs + countText(fee.owners) + u" Waldbesitzer, "_qs + euroCentsText(fee.amountCent)
                     + feeKind;
    if (f.directDebit) {
        lines << u"Lastschriften in der SEPA-Datei: "_qs + countText(f.debits) + u", Kontrollsumme "_qs
                     + euroCentsText(f.debitSumCent) + gross;
        lines << u"Nicht in der SEPA-Datei: "_qs + countText(f.leftOut) + u" Waldbesitzer"_qs;
    }
    lines << u"Nicht abgerechnet (Beitrag 0): "_qs + countText(f.dropped) + u" Waldbesitzer"_qs;
    if (!check.comparison.isEmpty())
        lines << check.comparison;
    return lines;
}

QString findingsText(const RunCheck &check, int ownersPerItem, bool skipEmptyGrades)
{
    QStringList lines;
    for (const CheckGrade grade : {CheckGrade::Error, CheckGrade::Warning, CheckGrade::Hint}) {
        const QList<CheckItem> items = check.itemsOf(grade);
        if (items.isEmpty() && skipEmptyGrades)
            continue;
        if (!lines.isEmpty())
            lines << QString();
        if (items.isEmpty()) {
            lines << gradeTitle(grade) + u": keine"_qs;
            continue;
        }
        lines << gradeTitle(grade) + u':';
        for (const CheckItem &item : items) {
            lines << u"- "_qs + itemHeadline(item);
            const qsizetype all = item.owners.size();
            const qsizetype shown = ownersPerItem < 0 ? all : std::min<qsizetype>(ownersPerItem, all);
            for (qsizetype i = 0; i < shown; ++i)
                lines << u"    "_qs + ownerLine(item.owners[i]);
            if (shown < all)
                lines << u"    … und "_qs + countText(all - shown) + u" weitere"_qs;
        }
    }
    return lines.join(u'\n');
}

QString runCheckText(const RunCheck &check)
{
    return figuresLines(check).join(u'\n') + u"\n\n"_qs + findingsText(check);
}

} // namespace qvl
