#include "bank/Matching.h"

#include "bank/ReturnReasons.h"
#include "platform/Conversions.h"

#include <algorithm>

namespace qvl {

namespace {

QString euros(qint64 cents)
{
    return formatNumber(double(cents) / 100, u"#,##0.00"_qs) + u" €"_qs;
}

// Names compared as sets of words, without case, accents of the bank's character set or
// punctuation: "Schmidt, Bernd" is "Bernd Schmidt".
QString nameKey(const QString &name)
{
    // By hand rather than by a pattern: the register's every name is keyed.
    QStringList words;
    QString word;
    const auto flush = [&] {
        if (!word.isEmpty())
            words.append(word);
        word.clear();
    };
    for (const QChar c : name) {
        switch (c.unicode()) {
        case u'ä': case u'Ä': word += u"ae"_qs; continue;
        case u'ö': case u'Ö': word += u"oe"_qs; continue;
        case u'ü': case u'Ü': word += u"ue"_qs; continue;
        case u'ß': word += u"ss"_qs; continue;
        default: break;
        }
        const char16_t lower = c.toLower().unicode();
        if ((lower >= u'a' && lower <= u'z') || (lower >= u'0' && lower <= u'9'))
            word += QChar(lower);
        else
            flush();
    }
    flush();
    words.sort();
    return words.join(u' ');
}

} // namespace

int Matching::count(MatchKind kind) const
{
    return int(std::count_if(matches.cbegin(), matches.cend(), [kind](const Match &m) { return m.kind == kind; }));
}

bool Matching::applicable(const Match &m) const
{
    return !m.assignments.isEmpty() && m.kind != MatchKind::Ambiguous && m.kind != MatchKind::AlreadyRead;
}

QString matchKindText(MatchKind kind)
{
    switch (kind) {
    case MatchKind::BatchCredit:
        return u"Lastschriften eingezogen"_qs;
    case MatchKind::Returned:
        return u"Rücklastschrift"_qs;
    case MatchKind::Paid:
        return u"bezahlt"_qs;
    case MatchKind::PartlyPaid:
        return u"teilweise bezahlt"_qs;
    case MatchKind::OverPaid:
        return u"überzahlt"_qs;
    case MatchKind::SeveralPaid:
        return u"mehrere Belege bezahlt"_qs;
    case MatchKind::Ambiguous:
        return u"mehrdeutig"_qs;
    case MatchKind::Unmatched:
        return u"nicht zugeordnet"_qs;
    case MatchKind::AlreadyRead:
        return u"bereits eingelesen"_qs;
    }
    return {};
}

// Matching, entry by entry, against the balances as this reading changes them.
class Matcher {
public:
    explicit Matcher(OpenBalances &balances) : b(balances)
    {
        for (const RegisteredDocument &d : b.m_documents) {
            if (d.way == PaymentWay::DirectDebit) {
                byMandate[d.mandate].append(d.number);
                if (!d.batchId.isEmpty())
                    byBatch[d.batchId].append(d.number);
            }
            if (!d.iban.isEmpty())
                byIban[d.iban].append(d.number);
            byName[nameKey(d.name)].append(d.number);
        }
    }

    Match match(const BankEntry &e, int index)
    {
        Match m;
        m.entry = index;
        if (e.credit && !e.reversal) {
            if (batchCredit(e, m))
                return m;
            if (e.transactions.size() == 1) {
                transfer(e, e.transactions.first(), m);
                return m;
            }
            m.note = u"Sammelgutschrift ohne bekannten Lastschriftauftrag"_qs;
            return m;
        }
        if (!e.credit && std::any_of(e.transactions.cbegin(), e.transactions.cend(),
                                      [](const BankTransaction &t) { return t.isReturn; })) {
            returned(e, m);
            return m;
        }
        m.note = u"keine Zahlung an den Verein"_qs;
        return m;
    }

private:
    void book(Match &m, Assignment a)
    {
        b.book(a);
        m.assignments.append(a);
    }

    // One entry for the batch, or one per debit: our message id (or "LS00" + it as the
    // payment information id) names the run.
    bool batchCredit(const BankEntry &e, Match &m)
    {
        QStringList ids{e.batchMessageId, e.batchPaymentInfoId};
        for (const BankTransaction &t : e.transactions)
            ids << t.messageId << t.paymentInfoId;
        QList<qint64> batch;
        for (QString id : ids) {
            if (id.startsWith(u"LS00"_qs))
                id = id.mid(4);
            if (!id.isEmpty() && byBatch.contains(id)) {
                batch = byBatch.value(id);
                break;
            }
        }
        if (batch.isEmpty())
            return false;
        // A rerun for the same owners writes the same message id: the credit is for the
        // latest run of it whose debits are not yet collected.
        QMap<QString, QList<qint64>> byRun;
        for (const qint64 number : batch)
            byRun[b.document(number)->run].append(number);
        qint64 latest = -1;
        for (auto it = byRun.cbegin(); it != byRun.cend(); ++it) {
            const bool collected = std::all_of(it->cbegin(), it->cend(), [this](qint64 n) { return b.paid(n) > 0; });
            if (!collected && it->last() > latest) {
                latest = it->last();
                batch = *it;
            }
        }
        if (latest < 0) {
            m.note = u"die Lastschriften dieses Auftrags sind bereits als eingezogen erfasst"_qs;
            return true;
        }
        m.kind = MatchKind::BatchCredit;
        // Debits booked one by one name their mandate; a single booking covers the batch.
        QSet<QString> mandates;
        for (const BankTransaction &t : e.transactions)
            if (!t.endToEndId.isEmpty())
                mandates.insert(t.endToEndId);
        qint64 sum = 0;
        for (const qint64 number : batch) {
            const RegisteredDocument *d = b.document(number);
            if (!mandates.isEmpty() && !mandates.contains(d->mandate))
                continue;
            book(m, {number, PaymentKind::Collected, d->grossCents, 0, {}});
            sum += d->grossCents;
        }
        m.note = QString::number(m.assignments.size()) + u" Lastschriften ("_qs + euros(sum) + u')';
        if (sum != e.cents)
            m.note += u"; die Gutschrift beträgt "_qs + euros(e.cents);
        return true;
    }

    void returned(const BankEntry &e, Match &m)
    {
        for (const BankTransaction &t : e.transactions) {
            if (!t.isReturn)
                continue;
            const qint64 original = t.originalCents > 0 ? t.originalCents : t.cents;
            // Our end-to-end id is the mandate reference; the mandate names the same.
            QList<qint64> candidates = byMandate.value(t.endToEndId);
            if (candidates.isEmpty())
                candidates = byMandate.value(t.mandateId);
            QList<qint64> fitting;
            for (const qint64 n : candidates)
                if (b.document(n)->grossCents == original && !b.returned(n))
                    fitting.append(n);
            if (fitting.isEmpty()) {
                m.kind = MatchKind::Unmatched;
                m.note = u"Rücklastschrift ohne passende Lastschrift (Mandat „"_qs + t.endToEndId + u"“, "_qs
                         + euros(original) + u')';
                continue;
            }
            // The latest debit of that mandate and amount: older ones were collected before.
            const qint64 number = *std::max_element(fitting.cbegin(), fitting.cend());
            qint64 charge = t.chargeCents;
            if (charge == 0 && e.transactions.size() == 1)
                charge = e.chargeCents > 0 ? e.chargeCents : std::max<qint64>(0, e.cents - original);
            m.kind = MatchKind::Returned;
            book(m, {number, PaymentKind::Returned, original, charge, t.returnCode});
            m.note = returnReasonText(t.returnCode)
                     + (charge > 0 ? u", Rücklastschriftgebühr der Bank "_qs + euros(charge) : QString());
        }
    }

    QList<qint64> openOf(const QList<qint64> &numbers, qint64 cents) const
    {
        QList<qint64> fit;
        for (const qint64 n : numbers)
            if (b.open(n) == cents && cents > 0)
                fit.append(n);
        return fit;
    }

    void transfer(const BankEntry &e, const BankTransaction &t, Match &m)
    {
        const qint64 cents = e.cents;
        const QList<qint64> named =
            numbersInRemittance(t.remittance, [this](qint64 n) { return b.document(n) != nullptr; });
        if (!named.isEmpty()) {
            payDocuments(named, cents, m);
            m.note = u"Rechnungsnummer im Verwendungszweck"_qs + (m.note.isEmpty() ? QString() : u"; "_qs + m.note);
            return;
        }
        const QString iban = t.iban.toUpper().remove(u' ');
        QList<qint64> fit = iban.isEmpty() ? QList<qint64>() : openOf(byIban.value(iban), cents);
        QString how = u"IBAN und Betrag"_qs;
        if (fit.isEmpty()) {
            fit = openOf(byName.value(nameKey(t.name)), cents);
            how = u"Name und Betrag"_qs;
        }
        if (fit.size() == 1) {
            payDocuments(fit, cents, m);
            m.note = how;
        } else if (fit.size() > 1) {
            m.kind = MatchKind::Ambiguous;
            m.candidates = fit;
            m.note = how + u" passen zu "_qs + QString::number(fit.size()) + u" offenen Belegen"_qs;
        } else {
            m.note = u"kein offener Beleg passt"_qs;
        }
    }

    // The amount goes to the documents in the order named, each up to what is open; what
    // is left over goes to the last one (an over-payment).
    void payDocuments(const QList<qint64> &numbers, qint64 cents, Match &m)
    {
        qint64 left = cents;
        qint64 openBefore = 0;
        for (int i = 0; i < int(numbers.size()) && left > 0; ++i) {
            const qint64 open = std::max<qint64>(0, b.open(numbers[i]));
            openBefore += open;
            const bool last = i + 1 == int(numbers.size());
            const qint64 part = last ? left : std::min(open, left);
            if (part > 0)
                book(m, {numbers[i], PaymentKind::Transfer, part, 0, {}});
            left -= part;
        }
        if (numbers.size() > 1)
            m.kind = MatchKind::SeveralPaid;
        else if (cents == openBefore)
            m.kind = MatchKind::Paid;
        else if (cents < openBefore)
            m.kind = MatchKind::PartlyPaid;
        else
            m.kind = MatchKind::OverPaid;
        if (m.kind == MatchKind::OverPaid)
            m.note = openBefore == 0 ? u"Beleg war bereits bezahlt"_qs
                                     : u"offen waren "_qs + euros(openBefore);
        else if (m.kind == MatchKind::PartlyPaid)
            m.note = u"offen waren "_qs + euros(openBefore);
        else if (m.kind == MatchKind::SeveralPaid && cents != openBefore)
            m.note = u"offen waren "_qs + euros(openBefore);
    }

    OpenBalances &b;
    QHash<QString, QList<qint64>> byMandate, byBatch, byIban, byName;
};

Matching matchEntries(QList<BankEntry> entries, const QList<RegisteredDocument> &documents,
                      const QList<RecordedPayment> &payments, const QSet<QString> &keysRead)
{
    Matching result;
    result.entries = std::move(entries);
    OpenBalances balances(documents, payments);
    Matcher matcher(balances);
    QSet<QString> seen = keysRead;
    for (int i = 0; i < int(result.entries.size()); ++i) {
        const BankEntry &e = result.entries[i];
        const QString key = e.key();
        if (seen.contains(key)) {
            Match m;
            m.entry = i;
            m.kind = MatchKind::AlreadyRead;
            m.note = u"dieser Umsatz wurde bereits eingelesen"_qs;
            result.matches.append(m);
            continue;
        }
        seen.insert(key);
        result.matches.append(matcher.match(e, i));
    }
    return result;
}

bool assignByHand(Matching &matching, int matchIndex, qint64 number, const OpenBalances &balances, QString *error)
{
    if (matchIndex < 0 || matchIndex >= int(matching.matches.size())) {
        *error = u"Es gibt keinen Umsatz Nr. "_qs + QString::number(matchIndex + 1) + u'.';
        return false;
    }
    Match &m = matching.matches[matchIndex];
    const BankEntry &e = matching.entries[m.entry];
    if (!balances.document(number)) {
        *error = u"Die Rechnungsnummer "_qs + QString::number(number) + u" ist nicht vergeben."_qs;
        return false;
    }
    if (!e.credit || m.kind == MatchKind::AlreadyRead || m.kind == MatchKind::BatchCredit) {
        *error = u"Nur eine eingegangene Zahlung kann von Hand zugeordnet werden."_qs;
        return false;
    }
    const qint64 open = balances.open(number);
    m.assignments = {{number, PaymentKind::Transfer, e.cents, 0, {}}};
    m.candidates.clear();
    m.kind = e.cents == open ? MatchKind::Paid : e.cents < open ? MatchKind::PartlyPaid : MatchKind::OverPaid;
    m.note = u"von Hand zugeordnet"_qs;
    return true;
}

} // namespace qvl
