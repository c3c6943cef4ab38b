#include "print/CsvList.h"

#include "base/Clock.h"
#include "files/AnsiTextFile.h"
#include "files/RunOutputs.h"
#include "text/Conversions.h"
#include "text/Cp1252.h"
#include "os/Paths.h"
#include "core/RunError.h"
#include "core/ErrorLog.h"

#include <cmath>

namespace qvl {

namespace {

RecordSet bookingTable()
{
    RecordSet rs;
    rs.append(u"RechnungsNr"_qs, FieldType::Integer);
    rs.append(u"FibNr"_qs, FieldType::Text, 50);
    rs.append(u"Nummer"_qs, FieldType::Integer);
    rs.append(u"Name"_qs, FieldType::Text, 50);
    rs.append(u"Vorname"_qs, FieldType::Text, 50);
    rs.append(u"BLZ"_qs, FieldType::Text, 15);
    rs.append(u"Konto"_qs, FieldType::Text, 35);
    rs.append(u"Text"_qs, FieldType::Text, 27);
    rs.append(u"Betrag"_qs, FieldType::Double);
    // The list names what the bank file does: an owner left out of it is marked with the
    // reason, and the list adds up what is debited and what is not, apart.
    rs.append(u"Hinweis"_qs, FieldType::Text, 200);
    rs.append(u"BetragEingezogen"_qs, FieldType::Double);
    rs.append(u"BetragNichtEingezogen"_qs, FieldType::Double);
    return rs;
}

// Why the bank file leaves a booking out; empty when it carries it (and always in an
// invoice run, which debits nothing).
QString bankFileHint(const CsvListParams &p, std::size_t i)
{
    if (!p.directDebit || i >= p.notInBankFile.size() || p.notInBankFile[i].isEmpty())
        return {};
    return u"nicht in der SEPA-Datei: "_qs + p.notInBankFile[i];
}

// The direct-debit run's two sums under the list's total; an invoice run shows the total alone.
void showSums(ReportDesign &d, bool directDebit)
{
    for (const char16_t *name : {u"Bezeichnung4", u"Text21", u"Bezeichnung5", u"Text22"})
        if (ReportControl *c = d.find(QString::fromUtf16(name)))
            c->Visible = directDebit;
}

} // namespace

QString csvListLine(const QStringList &values)
{
    QStringList clean;
    clean.reserve(values.size());
    for (QString v : values) {
        for (const QChar c : {u';', u'\r', u'\n'})
            v.replace(c, u' ');
        clean.append(v);
    }
    return clean.join(u';');
}

CsvList WriteCSVList(const CsvListParams &p, const Buchungen &aBuchungen)
{
    const QString path = nativePath(p.exportDir + u"Dtaus0.csv"_qs);
    RecordSet rs = bookingTable();
    QStringList lines{u"RechnungsNr;FibNr;Nummer;Name;Vorname;BLZ;Konto;Text;Betrag"_qs};
    QStringList unrepresentable; // owners whose line the file shows with "?"
    const bool directDebit = p.directDebit;
    for (size_t i = 0; i < aBuchungen.size(); ++i) {
        const Buchung &b = aBuchungen[i];
        const QString name = b.NameOrig.trimmed();
        const QString vorname = b.VornameOrig.trimmed();
        try {
            rs.addNew();
            rs.set(u"RechnungsNr"_qs, double(p.firstInvoiceNumber + qint64(i)));
            rs.set(u"FibNr"_qs, b.FibuKonto);
            rs.set(u"Nummer"_qs, qlonglong(b.Nummer));
            rs.set(u"Name"_qs, name);
            rs.set(u"Vorname"_qs, vorname);
            rs.set(u"BLZ"_qs, b.BIC);
            rs.set(u"Konto"_qs, b.IBAN);
            rs.set(u"Text"_qs, b.Verwendungszweck);
            const double amount = b.SummeCent.euros(); // the list's number columns
            const QString leftOut = bankFileHint(p, i);
            rs.set(u"Betrag"_qs, amount);
            rs.set(u"Hinweis"_qs, leftOut);
            rs.set(u"BetragEingezogen"_qs, directDebit && leftOut.isEmpty() ? amount : 0.0);
            rs.set(u"BetragNichtEingezogen"_qs, leftOut.isEmpty() ? 0.0 : amount);
        } catch (const RecordSetError &e) {
            throw WriteError(path,
                           u"Die Daten des Waldbesitzers "_qs + QString::number(b.Nummer) + u' ' + name + u' '
                               + vorname + u" sind fehlerhaft. Bitte prüfen die eingetragenen Daten in Quarvel.\r\n"_qs
                               + e.message(),
                             b.Nummer,
                           u"SEPA Fehler"_qs);
        }
        const int row = rs.rowCount() - 1;
        lines.append(csvListLine({rs.text(row, 0), b.FibuKonto, QString::number(b.Nummer), name, vorname, b.BIC,
                                  b.IBAN, b.Verwendungszweck, b.SummeCent.shortText(u',')}));
        if (!fitsCp1252(lines.last()))
            unrepresentable.append(QString::number(b.Nummer) + u' ' + name + u' ' + vorname);
    }

    showSums(*p.design, directDebit);
    CsvList result{Report(*p.design, std::move(rs)), {}};
    QString error;
    if (!writeAnsiFileAtomically(p.outputs, path, lines, &error))
        throw WriteError(path, error);
    result.file = path;
    // Each such owner named once in the export error log.
    QStringList log;
    for (const QString &owner : unrepresentable)
        log.append(unrepresentableMessage(owner.trimmed(), u"in der Datei „"_qs + path + u"“"_qs));
    if (!log.isEmpty() && !WriteLogLines(p.outputs, p.programDir, *p.clock, log, &error))
        throw WriteError(logFilePath(p.programDir), error);
    return result;
}

} // namespace qvl
