#include "bank/Matching.h"

#include "bank/ReturnReasons.h"
#include "core/CreditorReference.h"
#include "core/Money.h"
#include "text/Conversions.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <cstring>
#include <iterator>

#include <algorithm>

namespace qvl {

namespace {

QString euros(qint64 cents)
{
    return Money(cents).german() + u" €"_qs;
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
    case MatchKind::Reversed:
        return u"Storno"_qs;
    case MatchKind::Ambiguous:
        return u"mehrdeutig"_qs;
    case MatchKind::Disputed:
        return u"zu prüfen"_qs;
    case MatchKind::Foreign:
        return u"Fremdwährung"_qs;
    case MatchKind::Unmatched:
        return u"nicht zugeordnet"_qs;
    case MatchKind::AlreadyRead:
        return u"bereits eingelesen"_qs;
    }
    return {};
}

namespace {

// The sub-family or the German GVC of a bank transaction code says "returned debit":
// PMNT/RDDT/UPDD, PMNT/IDDT/UPDD, GVC 108, 109 (SEPA returns), 181, 184 (returns to the
// creditor, CORE and B2B).
bool returnCode(const QString &code, const QString &proprietary)
{
    if (code.endsWith(u"/UPDD"_qs) || code.endsWith(u"/PRDD"_qs))
        return true;
    static const QRegularExpression gvc(u"(?:^|\\+)(\\d{3})(?:\\+|$)"_qs);
    const QRegularExpressionMatch m = gvc.match(proprietary);
    if (!m.hasMatch())
        return false;
    const int n = m.captured(1).toInt();
    return n == 108 || n == 109 || n == 181 || n == 184;
}

// A direct debit's collection booked on the creditor's account: PMNT/IDDT/ESDD,
// PMNT/IDDT/BBDD, PMNT/RDDT/… and the GVC 171 (CORE) and 174 (B2B) … 
bool collectionCode(const QString &code, const QString &proprietary)
{
    if ((code.contains(u"/IDDT/"_qs) || code.contains(u"/RDDT/"_qs)) && !returnCode(code, {}))
        return true;
    static const QRegularExpression gvc(u"(?:^|\\+)(17[1-4]|19[0-2])(?:\\+|$)"_qs);
    return gvc.match(proprietary).hasMatch();
}

QString compactId(const QString &id)
{
    QString s = id.toUpper();
    s.remove(u' ');
    return s;
}

} // namespace

namespace {

// The documents by one of their texts (mandate, bank file, IBAN, name), as a sorted list of
// the text's hash and the document's place: the register's texts are not copied into
// keys, and a look-up compares the texts of the few documents with the same hash.
class DocumentIndex {
public:
    using KeyOf = QString (*)(const RegisteredDocument &);

    DocumentIndex(const QList<RegisteredDocument> &documents, KeyOf keyOf, bool (*wanted)(const RegisteredDocument &))
        : m_documents(documents), m_keyOf(keyOf)
    {
        m_places.reserve(std::size_t(std::count_if(documents.cbegin(), documents.cend(), wanted)));
        for (int i = 0; i < int(documents.size()); ++i)
            if (wanted(documents[i]))
                m_places.push_back({qHash(keyOf(documents[i])), i});
        std::sort(m_places.begin(), m_places.end());
    }

    // The numbers of the documents with this text, in the register's order.
    QList<qint64> value(const QString &key) const
    {
        QList<qint64> numbers;
        const std::size_t hash = qHash(key);
        auto it = std::lower_bound(m_places.cbegin(), m_places.cend(), std::pair<std::size_t, int>(hash, -1));
        for (; it != m_places.cend() && it->first == hash; ++it) {
            const RegisteredDocument &d = m_documents[it->second];
            if (m_keyOf(d) == key)
                numbers.append(d.number);
        }
        return numbers;
    }
    bool contains(const QString &key) const { return !value(key).isEmpty(); }

private:
    const QList<RegisteredDocument> &m_documents;
    KeyOf m_keyOf;
    std::vector<std::pair<std::size_t, int>> m_places;
};

bool isDebit(const RegisteredDocument &d)
{
    return d.way == PaymentWay::DirectDebit;
}

} // namespace

// Matching, entry by entry, against the balances as this reading changes them.
class Matcher {
public:
    Matcher(OpenBalances &balances, const MatchingOptions &options)
        : b(balances), o(options), reader(options.markers),
          byMandate(b.m_documents, [](const RegisteredDocument &d) { return d.mandate; }, isDebit),
          byBatch(b.m_documents, [](const RegisteredDocument &d) { return d.batchId; },
                  [](const RegisteredDocument &d) { return isDebit(d) && !d.batchId.isEmpty(); }),
          byIban(b.m_documents, [](const RegisteredDocument &d) { return d.iban; },
                 [](const RegisteredDocument &d) { return !d.iban.isEmpty(); }),
          byName(b.m_documents, [](const RegisteredDocument &d) { return nameKey(d.name); },
                 [](const RegisteredDocument &) { return true; })
    {
    }

    Match match(const BankEntry &e, int index)
    {
        Match m;
        m.entry = index;
        if (e.foreignCurrency()) {
            m.kind = MatchKind::Foreign;
            m.note = u"Betrag in "_qs + e.currency + u" ("_qs + euros(e.cents).chopped(2) + u' ' + e.currency
                     + u"): wird nicht übernommen"_qs;
            return m;
        }
        if (e.reversal) {
            reversal(e, m);
            return m;
        }
        if (e.credit) {
            if (batchCredit(e, m) || ownCollection(e, m))
                return m;
            if (e.transactions.size() == 1) {
                transfer(e, e.transactions.first(), m);
                return m;
            }
            m.note = u"Sammelgutschrift ohne bekannten Lastschriftauftrag"_qs;
            return m;
        }
        if (std::any_of(e.transactions.cbegin(), e.transactions.cend(),
                        [&](const BankTransaction &t) { return isReturn(e, t); })) {
            returned(e, m);
            return m;
        }
        m.note = u"keine Zahlung an den Verein"_qs;
        return m;
    }

    // A return's original debit: the instructed amount, the transaction amount, else the
    // amount less the bank's charges.
    static QList<qint64> originalAmounts(const BankEntry &e, const BankTransaction &t)
    {
        QList<qint64> amounts;
        const auto add = [&](qint64 c) {
            if (c > 0 && !amounts.contains(c))
                amounts.append(c);
        };
        add(t.originalCents);
        add(t.txAmountCents);
        const qint64 amount = t.amountGiven ? t.cents : e.cents;
        const qint64 charges = t.chargeCents > 0 ? t.chargeCents : (e.transactions.size() == 1 ? e.chargeCents : 0);
        add(amount - charges);
        add(amount);
        return amounts;
    }

    bool isReturn(const BankEntry &e, const BankTransaction &t) const
    {
        if (t.isReturn)
            return true;
        const bool ours = (!t.endToEndId.isEmpty() && byMandate.contains(t.endToEndId))
                          || (!t.mandateId.isEmpty() && byMandate.contains(t.mandateId));
        return ours && (returnCode(t.bankCode, e.proprietaryCode) || returnCode(e.bankCode, e.proprietaryCode));
    }

private:
    void book(Match &m, Assignment a)
    {
        b.book(a);
        m.assignments.append(a);
    }

    QString batchNote(const Match &m, qint64 sum, const BankEntry &e) const
    {
        QString note;
        const RegisteredDocument *first = m.assignments.isEmpty() ? nullptr : b.document(m.assignments.first().number);
        if (first && !first->files.isEmpty())
            note = u"Datei "_qs + first->files + u", "_qs;
        note += QString::number(m.assignments.size()) + (m.assignments.size() == 1 ? u" Lastschrift ("_qs
                                                                                    : u" Lastschriften ("_qs)
                + euros(sum) + u')';
        if (sum != e.cents)
            note += u"; die Gutschrift beträgt "_qs + euros(e.cents);
        return note;
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
        m.how = u"Lastschriftdatei des Vereins"_qs;
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
        m.note = batchNote(m, sum, e);
        return true;
    }

    // The not yet collected debit of a mandate with this amount (the latest).
    std::optional<qint64> uncollected(const BankTransaction &t, qint64 cents) const
    {
        QList<qint64> candidates = t.endToEndId.isEmpty() ? QList<qint64>() : byMandate.value(t.endToEndId);
        if (candidates.isEmpty() && !t.mandateId.isEmpty())
            candidates = byMandate.value(t.mandateId);
        std::optional<qint64> found;
        for (const qint64 n : candidates)
            if (b.document(n)->grossCents == cents && b.collected(n) == 0 && !b.returned(n))
                found = std::max(found.value_or(n), n);
        return found;
    }

    // A credit of our own debits that names no file we know (one entry per debit without
    // the file's ids): recognised by our mandate references, our creditor id or the bank's
    // code for a collection. It confirms the debits it names and is never a transfer.
    bool ownCollection(const BankEntry &e, Match &m)
    {
        const QString ourId = compactId(o.creditorId);
        bool ours = collectionCode(e.bankCode, e.proprietaryCode);
        for (const BankTransaction &t : e.transactions) {
            const qint64 cents = t.amountGiven || e.transactions.size() == 1 ? t.cents : 0;
            ours = ours || (!ourId.isEmpty() && compactId(t.creditorId) == ourId) || !t.mandateId.isEmpty()
                   || collectionCode(t.bankCode, {}) || uncollected(t, cents).has_value();
        }
        if (!ours)
            return false;
        qint64 sum = 0;
        int unknown = 0;
        QList<Assignment> found;
        for (const BankTransaction &t : e.transactions) {
            const qint64 cents = t.amountGiven || e.transactions.size() == 1 ? t.cents : 0;
            const std::optional<qint64> n = uncollected(t, cents);
            if (!n) {
                ++unknown;
                continue;
            }
            found.append({*n, PaymentKind::Collected, cents, 0, {}});
            b.book(found.last()); // a second debit of the same mandate and amount is another one
            sum += cents;
        }
        for (const Assignment &a : found)
            b.unbook(a);
        if (unknown > 0 || found.isEmpty()) {
            m.kind = MatchKind::Unmatched;
            m.how = u"Lastschrift des Vereins"_qs;
            m.note = unknown == int(e.transactions.size())
                         ? u"Gutschrift aus Lastschriften des Vereins, keine passt zu einem offenen Einzug"_qs
                         : QString::number(unknown) + u" der Lastschriften passen zu keinem offenen Einzug"_qs;
            return true;
        }
        m.kind = MatchKind::BatchCredit;
        m.how = u"Lastschrift des Vereins (Mandatsreferenz)"_qs;
        for (const Assignment &a : found)
            book(m, a);
        m.note = batchNote(m, sum, e);
        return true;
    }

    void returned(const BankEntry &e, Match &m)
    {
        for (const BankTransaction &t : e.transactions) {
            if (!isReturn(e, t))
                continue;
            // Our end-to-end id is the mandate reference; the mandate names the same.
            QList<qint64> candidates = t.endToEndId.isEmpty() ? QList<qint64>() : byMandate.value(t.endToEndId);
            if (candidates.isEmpty() && !t.mandateId.isEmpty())
                candidates = byMandate.value(t.mandateId);
            const QList<qint64> amounts = originalAmounts(e, t);
            QList<qint64> fitting;
            qint64 original = amounts.value(0);
            for (const qint64 amount : amounts) {
                for (const qint64 n : candidates)
                    if (b.document(n)->grossCents == amount && !b.returned(n))
                        fitting.append(n);
                if (!fitting.isEmpty()) {
                    original = amount;
                    break;
                }
            }
            if (fitting.isEmpty()) {
                m.kind = MatchKind::Unmatched;
                m.note = u"Rücklastschrift ohne passende Lastschrift (Mandat „"_qs
                         + (t.endToEndId.isEmpty() ? t.mandateId : t.endToEndId) + u"“, "_qs + euros(original) + u')';
                continue;
            }
            // The latest debit of that mandate and amount: older ones were collected before.
            const qint64 number = *std::max_element(fitting.cbegin(), fitting.cend());
            qint64 charge = t.chargeCents;
            if (charge == 0 && e.transactions.size() == 1)
                charge = e.chargeCents > 0 ? e.chargeCents : std::max<qint64>(0, e.cents - original);
            m.kind = MatchKind::Returned;
            m.how = t.isReturn ? u"Mandatsreferenz"_qs : u"Mandatsreferenz und Buchungsschlüssel der Rückgabe"_qs;
            book(m, {number, PaymentKind::Returned, original, charge, t.returnCode});
            m.note = returnReasonText(t.returnCode)
                     + (charge > 0 ? u", Rücklastschriftgebühr der Bank "_qs + euros(charge) : QString());
        }
    }

    // A reversal of an incoming payment (DBIT with RvslInd) undoes it: the document its
    // reference names, else the payer's document, that received at least the amount.
    void reversal(const BankEntry &e, Match &m)
    {
        if (e.credit) {
            m.note = u"Storno einer Belastung: bitte prüfen"_qs;
            return;
        }
        const BankTransaction t = e.transactions.value(0);
        const RemittanceReferences refs = reader.read(t.remittance);
        QList<qint64> candidates = refs.creditorReferences + refs.numbers;
        for (const qint64 n : payerDocuments(t))
            if (!candidates.contains(n))
                candidates.append(n);
        QList<qint64> fit;
        for (const qint64 n : candidates)
            if (b.document(n) && (b.transferred(n) >= e.cents || b.collected(n) >= e.cents) && !fit.contains(n))
                fit.append(n);
        // A reference that fits decides alone.
        const auto named = std::find_if(fit.cbegin(), fit.cend(), [&](qint64 n) {
            return refs.creditorReferences.contains(n) || refs.numbers.contains(n);
        });
        if (named != fit.cend())
            fit = {*named};
        if (fit.size() != 1) {
            m.kind = fit.isEmpty() ? MatchKind::Unmatched : MatchKind::Ambiguous;
            m.candidates = fit;
            m.note = fit.isEmpty() ? u"Storno ohne passende Zahlung"_qs
                                   : u"Storno passt zu "_qs + QString::number(fit.size()) + u" Zahlungen"_qs;
            return;
        }
        m.kind = MatchKind::Reversed;
        m.how = named != fit.cend() ? u"Rechnungsnummer im Text"_qs : u"Zahler und Betrag"_qs;
        book(m, {fit.first(), PaymentKind::Reversed, e.cents, 0, {}});
        m.note = u"Zahlung zurückgebucht, Beleg wieder offen"_qs;
    }

    QList<qint64> openOf(const QList<qint64> &numbers, qint64 cents) const
    {
        QList<qint64> fit;
        for (const qint64 n : numbers)
            if (b.open(n) == cents && cents > 0)
                fit.append(n);
        return fit;
    }

    // The documents of the owners the payer is known as: by his account, else by his name.
    QList<qint64> payerDocuments(const BankTransaction &t) const
    {
        const QString iban = compactId(t.iban);
        QList<qint64> documents = iban.isEmpty() ? QList<qint64>() : byIban.value(iban);
        if (documents.isEmpty() && !t.name.trimmed().isEmpty())
            documents = byName.value(nameKey(t.name));
        return documents;
    }

    QSet<long> owners(const QList<qint64> &numbers) const
    {
        QSet<long> set;
        for (const qint64 n : numbers)
            if (const RegisteredDocument *d = b.document(n))
                set.insert(d->idPersonal);
        return set;
    }

    void transfer(const BankEntry &e, const BankTransaction &t, Match &m)
    {
        const qint64 cents = e.cents;
        const auto known = [this](qint64 n) { return b.document(n) != nullptr; };
        const RemittanceReferences refs = reader.read(t.remittance);
        QList<qint64> byReference;
        for (const qint64 n : refs.creditorReferences)
            if (known(n))
                byReference.append(n);
        if (!byReference.isEmpty()) {
            payDocuments(byReference, cents, m);
            m.how = u"Referenz "_qs + printedCreditorReference(creditorReference(byReference.first()));
            return;
        }
        const QSet<long> payer = owners(payerDocuments(t));
        QList<qint64> named;
        for (const qint64 n : refs.numbers)
            if (known(n))
                named.append(n);
        // A number broken over lines counts joined only when the joined number is a document
        // of this payer and its parts are none of his.
        for (const RemittanceReferences::Broken &broken : refs.broken) {
            const RegisteredDocument *joined = b.document(broken.joined);
            if (!joined || !payer.contains(joined->idPersonal))
                continue;
            const bool partIsHis = std::any_of(broken.parts.cbegin(), broken.parts.cend(), [&](qint64 p) {
                const RegisteredDocument *d = b.document(p);
                return d && payer.contains(d->idPersonal);
            });
            if (partIsHis)
                continue;
            for (const qint64 p : broken.parts)
                named.removeAll(p);
            if (!named.contains(broken.joined))
                named.prepend(broken.joined);
        }
        if (!named.isEmpty()) {
            // The payer is known and the text names another owner's document: the clerk decides.
            QStringList others;
            for (const qint64 n : named) {
                const RegisteredDocument *d = b.document(n);
                if (!payer.isEmpty() && !payer.contains(d->idPersonal))
                    others << u"Beleg "_qs + QString::number(n) + u" gehört "_qs + d->name;
            }
            if (!others.isEmpty()) {
                m.kind = MatchKind::Disputed;
                m.candidates = named;
                m.how = u"Rechnungsnummer im Text"_qs;
                m.note = others.join(u", "_qs) + u", der Zahler ist ein anderer Waldbesitzer"_qs;
                return;
            }
            payDocuments(named, cents, m);
            m.how = refs.wholeText ? u"Rechnungsnummer als Verwendungszweck"_qs : u"Rechnungsnummer im Text"_qs;
            return;
        }
        const QString iban = compactId(t.iban);
        QList<qint64> fit = iban.isEmpty() ? QList<qint64>() : openOf(byIban.value(iban), cents);
        QString how = u"IBAN und Betrag"_qs;
        if (fit.isEmpty()) {
            fit = openOf(byName.value(nameKey(t.name)), cents);
            how = u"Name und Betrag"_qs;
        }
        if (fit.size() == 1) {
            payDocuments(fit, cents, m);
            m.how = how;
        } else if (fit.size() > 1) {
            m.kind = MatchKind::Ambiguous;
            m.candidates = fit;
            m.note = how + u" passen zu "_qs + QString::number(fit.size()) + u" offenen Belegen"_qs;
        } else {
            m.note = u"kein offener Beleg passt"_qs;
        }
    }

    // The amount goes to the documents in the order named, each up to what is open; what
    // is left over goes to the last one booked (an over-payment).
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
        if (m.assignments.size() > 1)
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
    const MatchingOptions o;
    const RemittanceReader reader;
    const DocumentIndex byMandate, byBatch, byIban, byName;
};

EntryKeys::Digest EntryKeys::digest(const QString &key)
{
    const QByteArray bytes = key.toUtf8();
    const QByteArray sum = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    Digest d;
    std::memcpy(&d.high, sum.constData(), sizeof d.high);
    std::memcpy(&d.low, sum.constData() + sizeof d.high, sizeof d.low);
    return d;
}

EntryKeys::EntryKeys(std::initializer_list<QString> keys)
{
    for (const QString &key : keys)
        insert(key);
}

EntryKeys::EntryKeys(const QSet<QString> &keys)
{
    for (const QString &key : keys)
        insert(key);
}

bool EntryKeys::known(const Digest &d) const
{
    if (m_recent.count(d) > 0)
        return true;
    return std::any_of(m_runs.cbegin(), m_runs.cend(), [&](const std::vector<Digest> &run) {
        return std::binary_search(run.cbegin(), run.cend(), d);
    });
}

qsizetype EntryKeys::size() const
{
    qsizetype n = qsizetype(m_recent.size());
    for (const std::vector<Digest> &run : m_runs)
        n += qsizetype(run.size());
    return n;
}

bool EntryKeys::insert(const QString &key)
{
    const Digest d = digest(key);
    if (known(d))
        return false;
    m_recent.insert(d);
    // The hash set costs some 50 bytes a key: its keys become a sorted run of their own.
    if (m_recent.size() >= 65536) {
        std::vector<Digest> run(m_recent.cbegin(), m_recent.cend());
        std::sort(run.begin(), run.end());
        m_runs.push_back(std::move(run));
        m_recent.clear();
    }
    return true;
}

bool EntryKeys::contains(const QString &key) const
{
    return known(digest(key));
}

MatchingStream::MatchingStream(const QList<RegisteredDocument> &documents, const QList<RecordedPayment> &payments,
                               EntryKeys keysRead, const MatchingOptions &options)
    : MatchingStream(OpenBalances(documents, payments), std::move(keysRead), options)
{
}

MatchingStream::MatchingStream(OpenBalances balances, EntryKeys keysRead, const MatchingOptions &options)
    : m_balances(std::move(balances)), m_seen(std::move(keysRead)),
      m_matcher(std::make_unique<Matcher>(m_balances, options))
{
}

MatchingStream::~MatchingStream() = default;

void MatchingStream::add(Matching &matching, BankEntry &&entry)
{
    const int index = int(matching.entries.size());
    matching.entries.append(std::move(entry));
    const BankEntry &e = matching.entries.last();
    if (!m_seen.insert(e.key())) {
        Match m;
        m.entry = index;
        m.kind = MatchKind::AlreadyRead;
        m.note = u"dieser Umsatz wurde bereits eingelesen"_qs;
        matching.matches.append(m);
        return;
    }
    matching.matches.append(m_matcher->match(e, index));
    const Match &m = matching.matches.last();
    for (const Assignment &a : m.assignments)
        matching.owners.insert(a.number, m_balances.document(a.number)->name);
    for (const qint64 n : m.candidates)
        matching.owners.insert(n, m_balances.document(n)->name);
}

bool MatchingStream::assign(Matching &matching, int matchIndex, qint64 number, QString *error)
{
    if (matchIndex < 0 || matchIndex >= int(matching.matches.size()))
        return assignByHand(matching, matchIndex, number, m_balances, error);
    const QList<Assignment> before = matching.matches[matchIndex].assignments;
    for (const Assignment &a : before)
        m_balances.unbook(a);
    const bool assigned = assignByHand(matching, matchIndex, number, m_balances, error);
    for (const Assignment &a : matching.matches[matchIndex].assignments)
        m_balances.book(a);
    return assigned;
}

Matching matchEntries(QList<BankEntry> entries, const QList<RegisteredDocument> &documents,
                      const QList<RecordedPayment> &payments, const EntryKeys &keysRead,
                      const MatchingOptions &options)
{
    Matching result;
    MatchingStream stream(documents, payments, keysRead, options);
    result.entries.reserve(entries.size());
    result.matches.reserve(entries.size());
    for (BankEntry &e : entries)
        stream.add(result, std::move(e));
    return result;
}

bool assignByHand(Matching &matching, int matchIndex, qint64 number, const OpenBalances &balances, QString *error)
{
    if (matchIndex < 0 || matchIndex >= int(matching.matches.size())) {
        *error = u"Es gibt keinen Umsatz Nr. "_qs + QString::number(matchIndex + 1) + u'.';
        return false;
    }
    // Changed only when the assignment is made.
    Match m = matching.matches[matchIndex];
    const BankEntry &e = matching.entries[m.entry];
    const RegisteredDocument *d = balances.document(number);
    if (!d) {
        *error = u"Die Rechnungsnummer "_qs + QString::number(number) + u" ist nicht vergeben."_qs;
        return false;
    }
    if (m.kind == MatchKind::AlreadyRead || m.kind == MatchKind::BatchCredit || m.kind == MatchKind::Foreign
        || e.reversal) {
        *error = m.kind == MatchKind::Foreign
                     ? u"Ein Umsatz in einer anderen Währung als Euro kann nicht zugeordnet werden."_qs
                     : u"Nur eine eingegangene Zahlung oder eine Rücklastschrift kann von Hand zugeordnet werden."_qs;
        return false;
    }
    m.candidates.clear();
    m.how = u"von Hand zugeordnet"_qs;
    if (!e.credit) {
        // A returned debit: the debit the clerk names comes back, with what the bank kept.
        if (d->way != PaymentWay::DirectDebit) {
            *error = u"Beleg "_qs + QString::number(number)
                     + u" wurde nicht per Lastschrift eingezogen; eine Belastung kann nur einer Lastschrift "
                       "zugeordnet werden."_qs;
            return false;
        }
        const BankTransaction t = e.transactions.value(0);
        const QList<qint64> amounts = Matcher::originalAmounts(e, t);
        const qint64 original = amounts.contains(d->grossCents) ? d->grossCents : std::min(e.cents, d->grossCents);
        const qint64 charge = std::max<qint64>(0, e.cents - original);
        m.assignments = {{number, PaymentKind::Returned, original, charge, t.returnCode}};
        m.kind = MatchKind::Returned;
        m.note = returnReasonText(t.returnCode)
                 + (charge > 0 ? u", Rücklastschriftgebühr der Bank "_qs + euros(charge) : QString());
        matching.matches[matchIndex] = m;
        matching.owners.insert(number, d->name);
        return true;
    }
    const qint64 open = balances.open(number);
    m.assignments = {{number, PaymentKind::Transfer, e.cents, 0, {}}};
    m.kind = e.cents == open ? MatchKind::Paid : e.cents < open ? MatchKind::PartlyPaid : MatchKind::OverPaid;
    m.note = e.cents == open ? QString() : u"offen waren "_qs + euros(std::max<qint64>(0, open));
    matching.matches[matchIndex] = m;
    matching.owners.insert(number, d->name);
    return true;
}

} // namespace qvl
