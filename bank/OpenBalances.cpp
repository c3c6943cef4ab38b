#include "bank/OpenBalances.h"

#include <algorithm>

namespace qvl {

OpenBalances::OpenBalances(const QList<RegisteredDocument> &documents, const QList<RecordedPayment> &payments)
    : m_documents(documents)
{
    m_index.reserve(documents.size());
    for (int i = 0; i < int(documents.size()); ++i)
        m_index.insert(documents[i].number, i);
    m_collected.fill(0, documents.size());
    m_returned.fill(0, documents.size());
    m_transferred.fill(0, documents.size());
    for (const RecordedPayment &p : payments)
        book({p.number, p.kind, p.cents, p.chargeCents, p.reason});
}

const RegisteredDocument *OpenBalances::document(qint64 number) const
{
    const auto i = m_index.constFind(number);
    return i == m_index.cend() ? nullptr : &m_documents[*i];
}

qint64 OpenBalances::paid(qint64 number) const
{
    const auto i = m_index.constFind(number);
    if (i == m_index.cend())
        return 0;
    // A return takes back what the debit brought, never more: a return read before the
    // batch credit leaves the document open, not open twice.
    return std::max<qint64>(0, m_collected[*i] - m_returned[*i]) + m_transferred[*i];
}

qint64 OpenBalances::open(qint64 number) const
{
    const RegisteredDocument *d = document(number);
    return d ? d->grossCents - paid(number) : 0;
}

qint64 OpenBalances::transferred(qint64 number) const
{
    const auto i = m_index.constFind(number);
    return i == m_index.cend() ? 0 : m_transferred[*i];
}

qint64 OpenBalances::collected(qint64 number) const
{
    const auto i = m_index.constFind(number);
    return i == m_index.cend() ? 0 : m_collected[*i] - m_returned[*i];
}

bool OpenBalances::returned(qint64 number) const
{
    const auto i = m_index.constFind(number);
    return i != m_index.cend() && m_returned[*i] > 0;
}

void OpenBalances::unbook(Assignment a)
{
    a.cents = -a.cents;
    book(a);
}

void OpenBalances::book(const Assignment &a)
{
    const auto i = m_index.constFind(a.number);
    if (i == m_index.cend())
        return;
    switch (a.kind) {
    case PaymentKind::Collected:
        m_collected[*i] += a.cents;
        break;
    case PaymentKind::Returned:
        m_returned[*i] += a.cents;
        break;
    case PaymentKind::Transfer:
        m_transferred[*i] += a.cents;
        break;
    case PaymentKind::Reversed:
        // A reversed collection is as good as a return; a reversed transfer takes it back.
        if (m_transferred[*i] >= a.cents || m_collected[*i] < a.cents)
            m_transferred[*i] -= a.cents;
        else
            m_collected[*i] -= a.cents;
        break;
    }
}

} // namespace qvl
