#include "core/GiroCode.h"

#include "core/Iban.h"

#include <QStringList>

namespace qvl {

QString giroCodePayload(const GiroCodeTransfer &t)
{
    QString iban = t.iban.toUpper();
    iban.remove(u' ');
    QString bic = t.bic.toUpper();
    bic.remove(u' ');
    const QString name = t.name.simplified().left(70);
    if (name.isEmpty() || !isValidIban(iban) || t.amount < Money(1) || t.amount > Money(99999999999))
        return {};
    if (bic.size() != 8 && bic.size() != 11)
        bic.clear(); // optional within the EEA; a wrong one would stop the app
    const QString amount = u"EUR"_qs + t.amount.decimalText();
    QString reference = t.reference;
    reference.remove(u' ');
    const QStringList lines{u"BCD"_qs, u"002"_qs, u"1"_qs, u"SCT"_qs, bic, name, iban, amount,
                            QString(), // purpose code
                            reference.left(35)};
    return lines.join(u'\n');
}

} // namespace qvl
