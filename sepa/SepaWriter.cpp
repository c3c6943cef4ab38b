#include "sepa/SepaWriter.h"

#include "app/FrmDTA.h"
#include "platform/BackgroundWriter.h"
#include "platform/Conversions.h"
#include "platform/Paths.h"
#include "run/InvoiceDate.h"
#include "run/RunError.h"
#include "sepa/ErrorLog.h"
#include "sepa/Iban.h"
#include "sepa/SepaDocument.h"
#include "sepa/StoredFees.h"
#include "sepa/Transliteration.h"

#include <QFile>

#include <cmath>
#include <QSaveFile>

namespace qvl {

namespace {

QString withoutBlanks(QString text)
{
    return text.remove(u' ');
}

// The amount of a booking in euros, exactly as its decimal text shows it. For whole cents
// the quotient already is the double nearest to that text.
double amountOf(const Buchung &b)
{
    if (b.Summe == std::trunc(b.Summe) && std::fabs(b.Summe) < 1e15)
        return b.Summe / 100.0;
    return numberOrZero(generalNumber(b.Summe / 100.0));
}

// The length test of the German, Austrian and Swiss IBANs, then the full ISO 13616 check.
// Empty when the IBAN passes, else the log line.
QString ibanProblem(const Buchung &b)
{
    const QString s = withoutBlanks(b.IBAN);
    const QString country = b.IBAN.left(2);
    const bool wrongLength = (country == u"DE"_qs && s.size() != 22) || (country == u"AT"_qs && s.size() != 20)
                             || (country == u"CH"_qs && s.size() != 21) || s.isEmpty();
    const auto who = [&b] { return QString::number(b.Nummer) + u' ' + b.Name + u' ' + b.Vorname; };
    if (wrongLength)
        return who() + u" IBAN hat nicht die erforderliche Länge. "_qs + b.IBAN;
    if (!isValidIban(s))
        return who() + u" IBAN ist ungültig (Prüfziffer oder Länge). "_qs + b.IBAN;
    return {};
}

// The remittance text's parts that are the same for every booking of the run.
struct RemittanceParts {
    QString prefix; // the form's remittance text, transliterated
    QString vat;    // " INKL. 19% MWST " or empty
    QString year;
    bool accountingVariant = false;
};

RemittanceParts remittanceParts(const FrmDTA &f)
{
    const QString rate = f.txtMwst[0].Text;
    return {ReplaceUmlauteText(f.txtVerwendungszweck.Text),
            rate.isEmpty() ? QString() : u" INKL. "_qs + rate + u"% MWST "_qs, f.txtWirtschaftsjahr.Text,
            f.chkVerwendungszweck.Value == 1};
}

QString remittanceText(const RemittanceParts &p, const Buchung &b)
{
    const QString &prefix = p.prefix;
    const QString &vat = p.vat;
    const QString base = p.accountingVariant
                             ? prefix + u" FiBu "_qs + b.FibuKonto + u" RG "_qs + b.RechNr
                             : prefix + u" Jahr "_qs + p.year + u' ' + generalNumber(b.Hektar)
                                   + u"ha "_qs + u" MandatNr.: "_qs + b.Mandatsnummer.left(35);
    return (base + vat).left(140).replace(u'&', u' ');
}

QString debtorName(const Buchung &b)
{
    return (b.Name + u' ' + b.Vorname + u", "_qs + b.PLZ + u' ' + b.Ort + u", "_qs + b.Strasse)
        .left(70)
        .replace(u'&', u' ');
}

QString writeError(const QString &file, const QString &reason)
{
    return u"Fehler beim Schreiben der XML Datei "_qs + file + u" \r"_qs + reason;
}

void log(const FrmDTA &f, const QString &message)
{
    QString error;
    if (!WriteLog(f.context().programDir, f.clock(), message, &error))
        throw RunError(RunError::Kind::Output, error);
}

} // namespace

QString sepaErrorsMessage()
{
    return u"Es sind beim Export fehler aufgetreten. Bitte kontrollieren Sie die Log-Datei. Sie wurde um die "
           "aktuellen Fehler ergänzt.\rZur Info: \rSie können die Logdatei komplett löschen oder leeren und "
           "speichern. Sie wird beim Auftreten des nächsten Fehlers wieder erzeugt und ergänzt."_qs;
}

SepaExport CreateSEPAFile(FrmDTA &f, const QString &exportDir, const Buchungen &aBuchungen)
{
    const QDateTime now = f.clock().now();
    // The invoice date stored with every fee, in the form SQL Server's style 104 reads.
    const std::optional<QDate> rechDat = invoiceDate(f);
    if (!rechDat)
        throw RunError(RunError::Kind::Input, invalidInvoiceDateMessage());
    const QString rechDatText = formatDate(*rechDat, u"dd.mm.yyyy"_qs);
    const SepaFormat format = sepaFormatFromText(f.cmbSEPAFormat.Text());
    const std::unique_ptr<Database> db = Database::open(f.strConnectionString, f.connectionOptions);

    // Pass 1: count, control sum, numbers, IBAN checks.
    SepaExport result;
    double controlSum = 0;
    QString firstNumber, lastNumber;
    std::vector<double> amounts;
    amounts.reserve(aBuchungen.size());
    for (std::size_t i = 0; i < aBuchungen.size(); ++i) {
        const Buchung &b = aBuchungen[i];
        amounts.push_back(amountOf(b));
        controlSum += roundHalfEven(amounts.back(), 2);
        ++result.numberOfTransactions;
        (i == 0 ? firstNumber : lastNumber) = QString::number(b.Nummer);
        const QString problem = ibanProblem(b);
        if (!problem.isEmpty()) {
            log(f, problem);
            ++result.ibanErrors;
        }
    }
    if (result.ibanErrors > 0)
        log(f, u"Es sind "_qs + QString::number(result.ibanErrors) + u" Fehler von gesamt "_qs
                   + QString::number(result.numberOfTransactions) + u" Buchungen aufgetreten. Kontrollsumme: EUR "_qs
                   + generalNumber(controlSum));
    result.controlSum = roundHalfEven(controlSum, 2);

    result.file = nativePath(exportDir + u"MB_"_qs + f.strBeitragsText + u'_' + formatDate(now, u"ddmmyyyy"_qs) + u'T'
                             + formatDate(now, u"hhmmss"_qs) + u".xml"_qs);
    QSaveFile file(result.file);
    if (!file.open(QIODevice::WriteOnly))
        throw RunError(RunError::Kind::Output, writeError(result.file, file.errorString()));
    // The file is written on a thread of its own while the fees go to the database.
    BackgroundWriter writer(file);

    const QString messageId = firstNumber + lastNumber;
    const QString signatureDate = formatDate(now, u"yyyy-mm-dd"_qs);
    const auto dueDate = parseDate(f.txtFaellDat.Text);
    // Stored in full (06.12.2026): SQL Server's style 104 takes no two-digit year.
    const QString faellDatText = dueDate ? formatDate(*dueDate, u"dd.mm.yyyy"_qs) : f.txtFaellDat.Text;
    SepaHeader header;
    header.messageId = messageId;
    header.created = now;
    header.numberOfTransactions = result.numberOfTransactions;
    header.controlSum = sepaAmountText(result.controlSum);
    header.creditorName = ReplaceUmlauteText(f.txtFirmenName.Text).left(70);
    header.dueDate = dueDate ? formatDate(*dueDate, u"yyyy-mm-dd"_qs) : QString();
    header.creditorIban = withoutBlanks(f.txtKontonummer.Text);
    header.creditorBic = withoutBlanks(f.txtBankleitzahl.Text);
    writer.write(sepaHeaderBlock(format, header));

    // Pass 2: one transaction block and one stored fee per booking, all or nothing.
    Transaction transaction(*db);
    StoredFeesWriter fees(*db, now);
    const RemittanceParts remittance = remittanceParts(f);
    for (std::size_t i = 0; i < aBuchungen.size(); ++i) {
        const Buchung &b = aBuchungen[i];
        fees.deleteOwnerFee(b.Id_Personal, f.txtWirtschaftsjahr.Text, f.strBeitragsText);
        SepaTransaction t;
        t.mandateId = b.Mandatsnummer.left(35);
        t.amount = sepaAmountText(amounts[i]);
        t.signatureDate = signatureDate;
        t.creditorId = f.txtGlaubigerID.Text;
        t.debtorBic = b.BIC;
        t.debtorName = debtorName(b);
        t.debtorIban = b.IBAN;
        t.remittance = remittanceText(remittance, b);
        t.street = b.Strasse;
        t.postcode = b.PLZ;
        t.town = b.Ort;
        writer.write(sepaTransactionBlock(format, t));
        fees.insert({b.Id_Personal, f.txtWirtschaftsjahr.Text, t.amount, rechDatText, faellDatText,
                     f.strBeitragsText, b.RechNr, b.IBAN});
    }
    writer.write(sepaFooterBlock(format));
    QString error;
    if (!writer.finish(&error))
        throw RunError(RunError::Kind::Output, writeError(result.file, error));
    if (!file.commit())
        throw RunError(RunError::Kind::Output, writeError(result.file, file.errorString()));
    try {
        transaction.commit();
    } catch (...) {
        // Fees that are not stored must not be collected either.
        QFile::remove(result.file);
        throw;
    }
    return result;
}

} // namespace qvl
