#include "sepa/SepaWriter.h"

#include "text/Conversions.h"
#include "base/FaultPoints.h"
#include "os/Paths.h"
#include "core/RunError.h"
#include "sepa/BookingSelection.h"
#include "core/ErrorLog.h"
#include "stored/FeeSlotRecord.h"
#include "core/Iban.h"
#include "stored/RunLock.h"
#include "sepa/SepaDocument.h"
#include "sepa/SepaFile.h"
#include "stored/StoredFees.h"
#include "core/Transliteration.h"
#include "base/Clock.h"
#include "files/RunOutputs.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace qvl {

namespace {

std::function<void(QByteArray &)> &blockFilter()
{
    static std::function<void(QByteArray &)> filter;
    return filter;
}

// The remittance text's parts that are the same for every booking of the run.
struct RemittanceParts {
    QString prefix; // the form's remittance text, transliterated
    QString year;
    bool accountingVariant = false;
};

RemittanceParts remittanceParts(const SepaParams &p)
{
    return {ReplaceUmlauteText(p.remittance), p.businessYear, p.accountingRemittance};
}

// " INKL. 19% MWST ", " INKL. 7% UND 19% MWST ": the owner's own rates that carry VAT, from
// the lowest; nothing for an owner without VAT.
QString vatRemark(const Buchung &b)
{
    std::vector<const MwstSatz *> rates;
    for (const MwstSatz &rate : b.MwstSaetze)
        if (rate.satz > 0)
            rates.push_back(&rate);
    if (rates.empty())
        return {};
    std::stable_sort(rates.begin(), rates.end(), [](const MwstSatz *x, const MwstSatz *y) { return x->satz < y->satz; });
    QString list;
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (i > 0)
            list += i + 1 == rates.size() ? u" UND "_qs : u", "_qs;
        list += rates[i]->text + u'%';
    }
    return u" INKL. "_qs + list + u" MWST "_qs;
}

QString remittanceText(const RemittanceParts &p, const Buchung &b, const QString &mandate)
{
    const QString base = p.accountingVariant
                             ? p.prefix + u" FiBu "_qs + b.FibuKonto + u" RG "_qs + b.RechNr
                             : p.prefix + u" Jahr "_qs + p.year + u' ' + generalNumber(b.Hektar) + u"ha "_qs
                                   + u" MandatNr.: "_qs + mandate;
    return (base + vatRemark(b)).left(140).replace(u'&', u' ');
}

QString debtorName(const Buchung &b)
{
    return (b.Name + u' ' + b.Vorname + u", "_qs + b.PLZ + u' ' + b.Ort + u", "_qs + b.Strasse)
        .left(70)
        .replace(u'&', u' ');
}

QString fieldName(const QString &element)
{
    static const QHash<QString, QString> names = {
        {u"EndToEndId"_qs, u"Mandatsreferenz"_qs}, {u"MndtId"_qs, u"Mandatsreferenz"_qs},
        {u"InstdAmt"_qs, u"Betrag"_qs},            {u"DtOfSgntr"_qs, u"Datum der Unterschrift"_qs},
        {u"Id"_qs, u"GläubigerID"_qs},             {u"BIC"_qs, u"BIC"_qs},
        {u"BICFI"_qs, u"BIC"_qs},                  {u"Nm"_qs, u"Name"_qs},
        {u"StrtNm"_qs, u"Straße"_qs},              {u"PstCd"_qs, u"PLZ"_qs},
        {u"TwnNm"_qs, u"Ort"_qs},                  {u"Ctry"_qs, u"Land"_qs},
        {u"IBAN"_qs, u"IBAN"_qs},                  {u"Ustrd"_qs, u"Verwendungszweck"_qs},
    };
    return names.value(element, element);
}

WriteError invalidFile(const QString &file, SepaFormat format, const SepaSchemaError &e, const Buchungen &aBuchungen,
                       const std::vector<std::uint32_t> &written)
{
    QString where;
    std::optional<long> owner;
    if (e.transaction >= 0 && std::size_t(e.transaction) < written.size()) {
        const Buchung &b = aBuchungen[written[std::size_t(e.transaction)]];
        owner = b.Nummer;
        where = u"beim Waldbesitzer "_qs + logLabel(b) + u", Feld "_qs + fieldName(e.element);
    } else {
        where = u"in Zeile "_qs + QString::number(e.line)
                + (e.element.isEmpty() ? QString() : u", Element "_qs + e.element);
    }
    return WriteError(file,
                    u"Die SEPA-Datei "_qs + file + u" entspricht nicht dem Schema "_qs + sepaFormatText(format)
                        + u" und wurde nicht erstellt; es wurden keine Beiträge gespeichert.\nDer erste Fehler liegt "_qs
                        + where + u".\n("_qs + e.message + u')',
                      owner);
}

} // namespace

void setSepaBlockFilterForTests(std::function<void(QByteArray &)> filter)
{
    blockFilter() = std::move(filter);
}

QString sepaMessageId(const QDateTime &now, const QString &runId)
{
    return u"QVL"_qs + formatDate(now, u"yyyymmdd"_qs) + formatDate(now, u"hhmmss"_qs) + u'-' + runId.left(8);
}

QString sepaErrorsMessage(const QString &logFile)
{
    return u"Beim Export sind Fehler aufgetreten. Bitte kontrollieren Sie die Log-Datei „"_qs
           + QDir::toNativeSeparators(logFile)
           + u"“; sie wurde um die aktuellen Fehler ergänzt.\n\nSie können die Log-Datei löschen oder leeren; "
             "sie wird beim nächsten Fehler wieder angelegt."_qs;
}

void writeSepaLog(RunOutputs *outputs, const SepaParams &p, const QStringList &lines)
{
    QString error;
    if (!WriteLogLines(outputs, p.programDir, *p.clock, lines, &error))
        throw WriteError(logFilePath(p.programDir), error);
}

SepaExport writeSepaFile(const SepaParams &p, const Buchungen &aBuchungen, Database &db, RunOutputs &outputs)
{
    const QDateTime &now = p.now;
    // The invoice date stored with every fee, in the form SQL Server's style 104 reads.
    const QString rechDatText = formatDate(p.invoiceDate, u"dd.mm.yyyy"_qs);
    const SepaFormat format = p.format;

    // The totals come first: the header carries them before any transaction.
    const BookingSelection selection = selectBookings(format, aBuchungen);
    SepaExport result;
    result.numberOfTransactions = qint64(selection.written.size());
    result.dataErrors = selection.errors;
    result.notCollected = selection.leftOut;
    result.controlSumCent = selection.controlSumCent;
    if (selection.written.empty()) {
        writeSepaLog(&outputs, p, selection.logLines); // the message points to them
        throw RunError(RunError::Kind::Input,
                       u"Es wurde keine SEPA-Datei erstellt: keine der "_qs + QString::number(aBuchungen.size())
                           + u" Buchungen hat eine IBAN, die in die Datei geschrieben werden kann. Es wurde nichts "
                             "gespeichert. Die Fehler stehen in der Log-Datei."_qs);
    }
    QStringList logLines = selection.logLines;
    if (selection.errors > 0)
        logLines.append(u"Es sind "_qs + QString::number(selection.errors) + u" Fehler von gesamt "_qs
                   + QString::number(result.numberOfTransactions) + u" Buchungen aufgetreten. Kontrollsumme: EUR "_qs
                   + selection.controlSumCent.shortText(u','));

    result.file = nativePath(p.exportDir + u"MB_"_qs + p.feeText + u'_' + formatDate(now, u"ddmmyyyy"_qs) + u'T'
                             + formatDate(now, u"hhmmss"_qs) + u".xml"_qs);
    // A file without a collection date is no direct debit: the run never gets here without one.
    if (!p.dueDate.isValid())
        throw RunError(RunError::Kind::Input, u"Die SEPA-Datei braucht ein Fälligkeitsdatum."_qs);
    // Stored in full (06.12.2026): SQL Server's style 104 takes no two-digit year.
    const QString faellDatText = formatDate(p.dueDate, u"dd.mm.yyyy"_qs);
    SepaFile file(result.file, format, outputs.tag());
    try {
        SepaHeader header;
        header.messageId = sepaMessageId(now, outputs.runId());
        result.messageId = header.messageId;
        header.created = now;
        header.numberOfTransactions = result.numberOfTransactions;
        header.controlSum = result.controlSumCent.sepaText();
        header.creditorName = ReplaceUmlauteText(p.creditor.name).left(70);
        header.dueDate = formatDate(p.dueDate, u"yyyy-mm-dd"_qs);
        header.creditorIban = normalisedIban(p.creditor.iban);
        header.creditorBic = normalisedIban(p.creditor.bic);
        file.write(sepaHeaderBlock(format, header));

        // Pass 2: each block goes out as it is built, its fee stored beside it in the run's
        // transaction.
        StoredFeesWriter fees(db, now);
        const RemittanceParts remittance = remittanceParts(p);
        const QString signatureDate = formatDate(now, u"yyyy-mm-dd"_qs);
        for (const std::uint32_t i : selection.written) {
            stopIfInterrupted();
            const Buchung &b = aBuchungen[i];
            fees.deleteOwnerFee(b.Id_Personal, p.businessYear, p.feeText);
            SepaTransaction t;
            t.mandateId = mandateOf(b);
            t.amount = b.SummeCent.sepaText();
            t.signatureDate = signatureDate;
            t.creditorId = p.creditor.creditorId;
            t.debtorBic = bicOf(format, b);
            t.debtorName = debtorName(b);
            t.debtorIban = normalisedIban(b.IBAN);
            t.remittance = remittanceText(remittance, b, t.mandateId);
            t.street = b.Strasse;
            t.postcode = b.PLZ;
            t.town = b.Ort;
            QByteArray block = sepaTransactionBlock(format, t);
            if (blockFilter())
                blockFilter()(block);
            file.write(block);
            fees.insert({b.Id_Personal, p.businessYear, b.SummeCent, rechDatText, faellDatText, p.feeText, b.RechNr,
                         t.debtorIban});
            fees.recordSlots(b.Id_Personal, p.businessYear, p.feeText, fee_slots::debitedSlots(p.tickedSlots, b));
        }
        file.write(sepaFooterBlock(format));
        file.finish();
        faultPoint("sepa-datei-fertig");
        stopIfInterrupted();
        // Named after the run's commit, with the fees written above.
        result.file = outputs.add(file.release(), result.file, Naming::NextFree);
        result.logLines = logLines;
    } catch (const InvalidSepaFile &invalid) {
        throw invalidFile(result.file, format, invalid.error, aBuchungen, selection.written);
    }
    return result;
}

} // namespace qvl
