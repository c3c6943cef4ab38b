#include "bank/MatchingText.h"

#include "bank/PaymentReports.h"
#include "platform/Conversions.h"

namespace qvl {

QString matchLine(const Matching &matching, int index)
{
    const Match &m = matching.matches[index];
    const BankEntry &e = matching.entries[m.entry];
    const BankTransaction t = e.transactions.value(0);
    QString line = QString::number(index + 1).rightJustified(4) + u"  "_qs + formatDate(e.booked, u"dd.mm.yyyy"_qs)
                   + u"  "_qs + (e.credit ? u'+' : u'-') + euroCents(e.cents) + u"  "_qs
                   + (t.name.isEmpty() ? u"(ohne Namen)"_qs : t.name) + u"  "_qs + matchKindText(m.kind);
    QStringList documents;
    for (const Assignment &a : m.assignments)
        documents << QString::number(a.number) + (m.assignments.size() > 1 ? u" ("_qs + euroCents(a.cents) + u')'
                                                                           : QString());
    if (m.kind == MatchKind::BatchCredit) {
        // A batch names its count, not every number.
    } else if (!documents.isEmpty()) {
        line += u": Beleg "_qs + documents.join(u", "_qs);
    } else if (!m.candidates.isEmpty()) {
        QStringList numbers;
        for (const qint64 n : m.candidates)
            numbers << QString::number(n);
        line += u": Belege "_qs + numbers.join(u", "_qs);
    }
    if (!m.note.isEmpty())
        line += u" – "_qs + m.note;
    return line;
}

QString matchingText(const Matching &matching)
{
    QString text;
    for (int i = 0; i < int(matching.matches.size()); ++i)
        text += matchLine(matching, i) + u'\n';
    text += u"\n"_qs + QString::number(matching.matches.size()) + u" Umsätze"_qs;
    for (const MatchKind kind : {MatchKind::BatchCredit, MatchKind::Returned, MatchKind::Paid, MatchKind::PartlyPaid,
                                 MatchKind::OverPaid, MatchKind::SeveralPaid, MatchKind::Ambiguous,
                                 MatchKind::Unmatched, MatchKind::AlreadyRead})
        if (const int n = matching.count(kind))
            text += u", "_qs + QString::number(n) + u' ' + matchKindText(kind);
    return text + u".\n"_qs;
}

} // namespace qvl
