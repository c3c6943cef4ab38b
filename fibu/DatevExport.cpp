#include "fibu/DatevExport.h"

#include "fibu/BookingFindings.h"
#include "fibu/FibuFiles.h"
#include "text/Conversions.h"
#include "core/InvoiceDate.h"
#include "core/RunError.h"
#include "base/Clock.h"

namespace qvl::fibu {

namespace {

const QString kDebtorHeader = QStringLiteral(
    "NUMMER;Name1;Name2;Kurzbezeichnung;USTID;Strasse;Postfach;PLZ;Ort;NAtKZ;AnredSchl;AnredeInd;Titel;"
    "Zustellzusatz;Kundennr;Sprache;Telefon;Telefax;Mobil;Email;Internet;Ansprechpartner;Vertreter;Briefanrede;"
    "Grussformel;BLZ;Bank;Konto;Lastschrift;Unternehmer;Steuernummer;NameUnternehmen;BankLaenderKZ;"
    "KennzifferHauptbankverbindung1");

const QString kBookingHeader = QStringLiteral(
    "Währungskennung;Soll/Haben;Umsatz;BU-Schlüssel;Gegenkonto;Belegfeld1;Belegfeld2;Datum;Konto;Kostfeld1;"
    "Kostfeld2;Kostmenge;Skonto;Buchungstext;EU-Land;EU-Steuersatz;Basiswährungskennung;Basiswährungsbetrag;Kurs;"
    "ZusatzinformationArt;ZusatzinformationInhalt");

// The fields joined by ";", each cleaned of the separator, the quote and line breaks: a
// reader of the format takes a field that starts with a quote as quoted and would merge
// it with the next ones.
QString record(std::initializer_list<QString> fields)
{
    QStringList cleaned;
    cleaned.reserve(qsizetype(fields.size()));
    for (const QString &f : fields)
        cleaned.append(field(f, u";\""));
    return cleaned.join(u';');
}

// Bank code and account as DATEV takes them: no blanks, "-", "_" or ".", at most 20 characters.
QString bankNumber(QString text)
{
    for (const QChar c : {u' ', u'-', u'_', u'.'})
        text.remove(c);
    return text.left(20);
}

QString debtorLine(const Buchung &b)
{
    const QString none;
    return record({b.FibuKonto, b.Name, b.Vorname, b.Name, b.USTID, b.Strasse, b.Postfach, b.PLZ, b.Ort, none, none,
                   b.Anrede, none, none, QString::number(b.Nummer), none, none, none, none, none, none, none, none,
                   none, none, bankNumber(b.BLZ), b.Bank, bankNumber(b.Konto), b.Lastschrift, b.Unternehmer,
                   b.Steuernummer, b.NameUnternehmen, b.BankLaenderKZ, b.KennzifferHauptbankverbindung1});
}

} // namespace

QStringList ExportDATEV(const FibuSettings &f, const Buchungen &records, QStringList &written)
{
    const QDate today = f.clock->today();
    const QString kind = f.directDebit ? u"BEITLA"_qs : u"BEITRE"_qs;
    const QString day = formatDate(today, u"yyyymmdd"_qs);
    const auto names = [&](int n) {
        const QString suffix = day + (n > 0 ? u'_' + QString::number(n) : QString()) + u".csv"_qs;
        // The bookings file decides the number; the debtor file of that number must be new too.
        return QStringList{u"DATEV_"_qs + kind + suffix, u"DATEV_"_qs + kind + u"_DEBKRED_"_qs + suffix};
    };
    const qint64 firstNumber = f.firstInvoiceNumber;
    const std::optional<QDate> date = f.invoiceDate;
    if (!date)
        throw RunError(RunError::Kind::Output, invalidInvoiceDateMessage() + u' '
                                                   + u"Die DATEV-Dateien wurden nicht geschrieben."_qs);

    // The revenue accounts of fees 1 to 5: fee 1 books to the MBT account, fee 2 to the WBV account.
    const QString datum = formatDate(*date, u"ddmm"_qs);
    QStringList debtors{kDebtorHeader};
    QStringList bookings{kBookingHeader};
    BookingFindings findings;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Buchung &b = records[i];
        const QString debtor = debtorLine(b);
        const QString number = generalNumber(double(firstNumber + qint64(i)));
        QStringList lines;
        for (int k = 0; k < kFeeSlots; ++k) {
            if (!datevBooks(b, k))
                continue;
            // The fee with its share of its rate's VAT: an owner's lines add up to what he is billed.
            const Money gross = b.BruttoCent[std::size_t(k)];
            const QString none;
            debtors.append(debtor);
            if (f.feeAccounts[std::size_t(k)].trimmed().isEmpty())
                findings.formAccountMissing(u"Beitragskonto "_qs + f.feeNames[std::size_t(k)]);
            lines.append(record({none, u"H"_qs, gross.german(false), none, f.feeAccounts[std::size_t(k)],
                                 f.bookingText, u"L"_qs, datum, b.FibuKonto, none, none, none, none,
                                 number, none, none, none, none, none, none, none}));
        }
        findings.owner(b, lines.isEmpty() ? lines : lines + QStringList{debtor}, lacksOwnerAccount(b));
        bookings += lines;
    }

    // The bookings file decides the number, so the debtor file is named first: a program
    // stopped between the two leaves a debtor file whose number the next export skips.
    const auto debtorFirst = [&](int n) { return QStringList{names(n)[1], names(n)[0]}; };
    const QStringList files = writeNumberedFiles(f.outputs, f.folder, debtorFirst, {debtors, bookings});
    written.append(files);
    return findings.tell(f, {files[1], files[0]});
}

} // namespace qvl::fibu
