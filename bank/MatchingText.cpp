#include "bank/MatchingText.h"

#include "bank/PaymentReports.h"
#include "text/Conversions.h"

namespace qvl {

QString shortRemittance(const QString &text, int length)
{
    QString line = text.simplified();
    if (line.size() > length)
        line = line.left(length - 1).trimmed() + u'…';
    return line;
}

MatchCells matchCells(const Matching &matching, int index)
{
    const Match &m = matching.matches[index];
    const BankEntry &e = matching.entries[m.entry];
    const BankTransaction t = e.transactions.value(0);
    MatchCells cells;
    // A batch booked as one entry names no single payer (its details name each debtor).
    const bool batch = e.transactions.size() > 1 || !e.batchMessageId.isEmpty() || e.batchCount > 1;
    if (batch)
        cells.payer = u"Sammelbuchung"_qs + (e.batchCount > 0 ? u" ("_qs + QString::number(e.batchCount) + u')'
                                                               : e.transactions.size() > 1
                                                                   ? u" ("_qs + QString::number(e.transactions.size()) + u')'
                                                                   : QString());
    else
        cells.payer = t.name.isEmpty() ? u"(ohne Namen)"_qs : t.name;
    QString remittance = t.remittance;
    if (remittance.isEmpty())
        remittance = e.information;
    if (!batch && !remittance.isEmpty())
        cells.remittance = u"„"_qs + shortRemittance(remittance) + u"“"_qs;
    const auto owner = [&](qint64 n) {
        const QString name = matching.owners.value(n);
        return QString::number(n) + (name.isEmpty() ? QString() : u' ' + name);
    };
    QStringList documents;
    for (const Assignment &a : m.assignments)
        documents << owner(a.number) + (m.assignments.size() > 1 ? u" ("_qs + euroCents(a.cents) + u')' : QString());
    if (m.kind == MatchKind::BatchCredit) {
        // A batch names its file and count, not every number.
    } else if (!documents.isEmpty()) {
        cells.documents = u"Beleg "_qs + documents.join(u", "_qs);
    } else if (!m.candidates.isEmpty()) {
        QStringList numbers;
        for (const qint64 n : m.candidates)
            numbers << owner(n);
        cells.documents = (m.candidates.size() == 1 ? u"Beleg "_qs : u"Belege "_qs) + numbers.join(u", "_qs);
    }
    QStringList why;
    if (!m.how.isEmpty())
        why << m.how;
    if (!m.note.isEmpty())
        why << m.note;
    cells.why = why.join(u"; "_qs);
    return cells;
}

QString matchLine(const Matching &matching, int index)
{
    const Match &m = matching.matches[index];
    const BankEntry &e = matching.entries[m.entry];
    const MatchCells cells = matchCells(matching, index);
    QString amount = (e.credit ? u'+' : u'-') + euroCents(e.cents);
    if (e.currency != u"EUR"_qs)
        amount = amount.chopped(1) + e.currency;
    QString line = QString::number(matching.first + index + 1).rightJustified(4) + u"  "_qs + formatDate(e.booked, u"dd.mm.yyyy"_qs)
                   + u"  "_qs + amount + u"  "_qs + cells.payer + u"  "_qs
                   + (cells.remittance.isEmpty() ? QString() : cells.remittance + u"  "_qs) + matchKindText(m.kind);
    if (!cells.documents.isEmpty())
        line += u": "_qs + cells.documents;
    if (!cells.why.isEmpty())
        line += u" – "_qs + cells.why;
    return line;
}

MatchCounts matchCounts(const Matching &matching)
{
    MatchCounts counts{};
    for (const Match &m : matching.matches)
        ++counts[std::size_t(m.kind)];
    return counts;
}

QString matchingSummary(const MatchCounts &counts)
{
    int total = 0;
    for (const int n : counts)
        total += n;
    QString text = QString::number(total) + u" Umsätze"_qs;
    for (const MatchKind kind : {MatchKind::BatchCredit, MatchKind::Returned, MatchKind::Paid, MatchKind::PartlyPaid,
                                 MatchKind::OverPaid, MatchKind::SeveralPaid, MatchKind::Reversed,
                                 MatchKind::Ambiguous, MatchKind::Disputed, MatchKind::Foreign, MatchKind::Unmatched,
                                 MatchKind::AlreadyRead})
        if (const int n = counts[std::size_t(kind)])
            text += u", "_qs + QString::number(n) + u' ' + matchKindText(kind);
    return text + u".\n"_qs;
}

QString matchingLines(const Matching &matching)
{
    QString text;
    for (int i = 0; i < int(matching.matches.size()); ++i)
        text += matchLine(matching, i) + u'\n';
    return text;
}

QString matchingText(const Matching &matching)
{
    return matchingLines(matching) + u"\n"_qs + matchingSummary(matchCounts(matching));
}

} // namespace qvl
