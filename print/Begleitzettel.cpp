#include "print/Begleitzettel.h"

#include "text/Conversions.h"
#include "core/RunError.h"

namespace qvl {

Report PrintBegleitzettel(const SlipParams &p, qint64 numberOfTransactions, Money controlSum)
{
    // The slip is what the bank may ask for: the form's texts as long as the letters take
    // them (a creditor name of 79 characters among them), wrapped on the slip.
    RecordSet rs;
    for (const char16_t *name : {u"Volume", u"Datum", u"SumDS", u"SumBetraege", u"BLZAbsaender", u"KontoAbsaender",
                                 u"NameAbsaender", u"DiskEmpfaenger", u"Referenznummer"})
        rs.append(QString::fromUtf16(name), QStringView(name) == u"Datum" ? FieldType::Date : FieldType::Text, 200);
    try {
        rs.addNew();
        rs.set(u"Volume"_qs, p.volume);
        rs.set(u"Datum"_qs, formatDate(p.printed, u"dd.mm.yyyy"_qs));
        rs.set(u"SumDS"_qs, QString::number(numberOfTransactions));
        rs.set(u"SumBetraege"_qs, controlSum.german());
        rs.set(u"BLZAbsaender"_qs, p.sender.bic);
        rs.set(u"KontoAbsaender"_qs, p.sender.iban);
        rs.set(u"NameAbsaender"_qs, p.sender.name);
        rs.set(u"DiskEmpfaenger"_qs, p.sender.bank);
        rs.set(u"Referenznummer"_qs, p.reference);
    } catch (const RecordSetError &e) {
        throw RunError(RunError::Kind::Output, u"Fehler beim Schreiben der Exportdatei.\r"_qs + e.message());
    }
    return Report(*p.design, std::move(rs));
}

} // namespace qvl
