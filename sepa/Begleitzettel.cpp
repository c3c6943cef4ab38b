#include "sepa/Begleitzettel.h"

#include "app/FrmDTA.h"
#include "platform/Conversions.h"
#include "core/RunError.h"

namespace qvl {

Report PrintBegleitzettel(FrmDTA &f, qint64 numberOfTransactions, double controlSum)
{
    // The slip is what the bank may ask for: the form's texts as long as the letters take
    // them (a creditor name of 79 characters among them), wrapped on the slip.
    RecordSet rs;
    for (const char16_t *name : {u"Volume", u"Datum", u"SumDS", u"SumBetraege", u"BLZAbsaender", u"KontoAbsaender",
                                 u"NameAbsaender", u"DiskEmpfaenger", u"Referenznummer"})
        rs.append(QString::fromUtf16(name), QStringView(name) == u"Datum" ? FieldType::Date : FieldType::Text, 200);
    try {
        rs.addNew();
        rs.set(u"Volume"_qs, f.strVolume);
        rs.set(u"Datum"_qs, formatDate(f.clock().now(), u"dd.mm.yyyy"_qs));
        rs.set(u"SumDS"_qs, QString::number(numberOfTransactions));
        rs.set(u"SumBetraege"_qs, formatNumber(controlSum, u"#,##0.00"_qs));
        rs.set(u"BLZAbsaender"_qs, f.txtBankleitzahl.Text);
        rs.set(u"KontoAbsaender"_qs, f.txtKontonummer.Text);
        rs.set(u"NameAbsaender"_qs, f.txtFirmenName.Text);
        rs.set(u"DiskEmpfaenger"_qs, f.txtBank.Text);
        rs.set(u"Referenznummer"_qs, f.txtReferenznummer.Text);
    } catch (const RecordSetError &e) {
        throw RunError(RunError::Kind::Output, u"Fehler beim Schreiben der Exportdatei.\r"_qs + e.message());
    }
    return Report(f.reports.Begleitzettel, std::move(rs));
}

} // namespace qvl
