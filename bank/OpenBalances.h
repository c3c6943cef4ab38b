#pragma once
// What is still open on each registered document, as the payments recorded before and the
// assignments of the reading under way leave it.

#include "bank/Register.h"

#include <QHash>
#include <QList>

namespace qvl {

// What one bank entry books on one document.
struct Assignment {
    qint64 number = 0;
    PaymentKind kind = PaymentKind::Transfer;
    qint64 cents = 0;
    qint64 chargeCents = 0;
    QString reason; // a return's code
};

// The register's state: each document with what is still open.
class OpenBalances {
public:
    OpenBalances(const QList<RegisteredDocument> &documents, const QList<RecordedPayment> &payments);

    const RegisteredDocument *document(qint64 number) const;
    qint64 open(qint64 number) const;       // gross − paid (negative: paid too much)
    qint64 paid(qint64 number) const;       // debits collected less returns, plus transfers
    qint64 transferred(qint64 number) const; // transfers less reversals
    qint64 collected(qint64 number) const;  // debits collected less returns
    bool returned(qint64 number) const;      // a return is recorded
    void book(const Assignment &assignment); // counts an assignment of this reading
    void unbook(Assignment assignment);      // takes it back
    const QList<RegisteredDocument> &documents() const { return m_documents; }

private:
    friend class Matcher;
    QList<RegisteredDocument> m_documents;
    QHash<qint64, int> m_index;
    QList<qint64> m_collected, m_returned, m_transferred;
};

} // namespace qvl
