#include "print/InvoicePrinting.h"
#include "core/CreditorReference.h"
#include "core/GiroCode.h"

#include "text/Conversions.h"
#include "print/FeeLines.h"
#include "print/InvoiceAddress.h"
#include "print/ReportDesigns.h"
#include "print/ReportText.h"
#include "core/RunError.h"

#include <algorithm>
#include <cmath>

namespace qvl {

namespace {

const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

RecordSet invoiceTable()
{
    RecordSet rs;
    rs.append(u"Header"_qs, FieldType::Text, 120);
    for (int i = 1; i <= 7; ++i)
        rs.append(u"Header"_qs + QString::number(i), FieldType::Text, 100);
    for (int i = 1; i <= 5; ++i)
        rs.append(u"Kopf"_qs + QString::number(i), FieldType::Text, 100);
    rs.append(u"Absender"_qs, FieldType::Text, 200);
    rs.append(u"Anrede"_qs, FieldType::Text, 200);
    // The free text as the clerk typed it, after the debit note or the transfer request.
    rs.append(u"FixText"_qs, FieldType::Text, 2000);
    rs.append(u"txtSumme"_qs, FieldType::Text, 150);
    rs.append(u"Bankverbindung"_qs, FieldType::Text, 400);
    rs.append(u"Nummer"_qs, FieldType::Text, 50);
    rs.append(u"FibNummer"_qs, FieldType::Text, 50);
    rs.append(u"RechNr"_qs, FieldType::Integer);
    rs.append(u"Datum"_qs, FieldType::Date);
    rs.append(u"Summe"_qs, FieldType::Text, 20);
    for (int i = 1; i <= 5; ++i) {
        rs.append(u"BeitragKopf"_qs + QString::number(i), FieldType::Text, 200);
        rs.append(u"Beitrag"_qs + QString::number(i), FieldType::Text, 200);
    }
    rs.append(u"txtSteuer"_qs, FieldType::Text, 200);
    rs.append(u"Steuer"_qs, FieldType::Text, 200);
    // The amount debited or asked for below a VAT block that puts VAT on top.
    rs.append(u"GesamtText"_qs, FieldType::Text, 20);
    rs.append(u"Gesamt"_qs, FieldType::Text, 30);
    // A transfer request's EPC QR code and the line beside it.
    rs.append(u"GiroCode"_qs, FieldType::Text, 400);
    rs.append(u"GiroCodeText"_qs, FieldType::Text, 300);
    return rs;
}

// "Tel.: 0123" or nothing when the value is empty.
QString prefixed(const QString &prefix, const QString &value)
{
    return value.isEmpty() ? QString() : prefix + value;
}

// The debit note of an owner whose debit is in the bank file.
QString debitNote(const QString &dueDate, const Buchung &b)
{
    return debitNoteSentence(dueDate) + CRLF + u"Bank:     "_qs + b.BankOrig + u' ' + CRLF + u"BIC:      "_qs + b.BIC
           + u' ' + CRLF + u"IBAN:     "_qs + b.IBAN;
}

// An owner whose debit was left out of the bank file (his bank details are unusable) pays
// himself: the amount, the due date and the association's account, with the invoice's RF
// creditor reference (which the bank's statement brings back exactly) and its number as
// the purpose.
// "RF40 1001" for invoice 1001; empty for an invoice number that is no number.
QString invoiceReference(const Buchung &b)
{
    bool isNumber = false;
    const qint64 number = b.RechNr.trimmed().toLongLong(&isNumber);
    return isNumber && number > 0 ? printedCreditorReference(creditorReference(number)) : QString();
}

QString transferRequest(const InvoiceParams &p, const Buchung &b)
{
    QString reference = invoiceReference(b);
    if (!reference.isEmpty())
        reference += u' ';
    return transferRequestSentence(b.SummeCent, p.fees.waehrung, p.dueDate) + CRLF + u"Bank:     "_qs + p.creditor.bank + CRLF
           + u"IBAN:     "_qs + p.creditor.iban + CRLF + u"BIC:      "_qs + p.creditor.bic + CRLF + u"Verwendungszweck: "_qs + reference
           + u"Rechnung Nr. "_qs + b.RechNr;
}

// The transfer request as a banking app reads it: the association's account, the amount
// asked for and the invoice's RF reference. Nothing when the account or the amount cannot
// make a valid code.
void setGiroCode(RecordSet &rs, const InvoiceParams &p, const Buchung &b)
{
    bool isNumber = false;
    const qint64 number = b.RechNr.trimmed().toLongLong(&isNumber);
    const QString reference = isNumber && number > 0 ? creditorReference(number) : QString();
    const QString payload = giroCodePayload({p.creditor.bic, p.senderName, p.creditor.iban, b.SummeCent, reference});
    if (payload.isEmpty())
        return;
    rs.set(u"GiroCode"_qs, payload);
    rs.set(u"GiroCodeText"_qs, u"GiroCode: mit der Banking-App scannen"_qs);
}

// Whole twips, as the position boxes and the settings file hold them: a "." is no
// thousands separator here, so "1.500" is refused rather than read as another place.
int position(const QString &text, const QString &what)
{
    const std::optional<qint64> n = parseWholeNumber(text);
    if (!n || *n > 1000000)
        throw RunError(RunError::Kind::Input, u"Die Position "_qs + what + u" („"_qs + text
                                                  + u"“) ist keine Zahl. Bitte prüfen Sie die Einstellung."_qs);
    return int(*n);
}

void moveBy(ReportDesign &d, std::initializer_list<const char16_t *> names, int dx, int dy)
{
    for (const char16_t *name : names)
        if (ReportControl *c = d.find(QString::fromUtf16(name))) {
            c->Left += dx;
            c->Top += dy;
        }
}

// The largest fee font (kFeeFontSize at most, kFeeMinFontSize at least) in which a line of
// `characters` fits the width of the fee table.
double feeFontSize(qsizetype characters, int width)
{
    const double full = textWidth(textFont(u"Courier New"_qs, kFeeFontSize, false), QString(characters, u'0'));
    if (full <= width)
        return kFeeFontSize;
    return qMax(kFeeMinFontSize, std::floor(kFeeFontSize * width / full * 20) / 20);
}

// The longest line of a fee text (trailing blanks do not count).
qsizetype longestLine(const QString &text)
{
    qsizetype longest = 0;
    for (QString line : text.split(u'\r')) {
        while (line.endsWith(u' ') || line.endsWith(u'\n'))
            line.chop(1);
        longest = qMax(longest, line.size());
    }
    return longest;
}

// Steps after the last owner: the sum block follows the last printed fee, customer and
// currency shifts, the window positions from the settings. Controls moved by an amount
// start from their designed place, so that a second run does not move them further.
void placeControls(const InvoiceParams &p, int printedFees, qsizetype longestFeeLine)
{
    // Positions first: a position that is no number changes nothing.
    const int senderTop = position(p.senderTop, u"des Absenders (oben)"_qs);
    const int senderLeft = position(p.senderLeft, u"des Absenders (links)"_qs);
    const int addressTop = position(p.addressTop, u"der Anschrift (oben)"_qs);
    const int addressLeft = position(p.addressLeft, u"der Anschrift (links)"_qs);

    const FeeLineSettings &s = p.fees;
    ReportDesign &d = *p.design;
    const auto shifted = {u"Text1",  u"Text2",  u"Text3",  u"Text4",  u"Text5", u"Text8",
                          u"Text11", u"Text35", u"Text38", u"Text41", u"Text42"};
    for (const char16_t *name : shifted)
        if (ReportControl *c = d.find(QString::fromUtf16(name))) {
            c->Top = c->DesignTop;
            c->Left = c->DesignLeft;
        }

    // The fee table as large as the run's longest line allows; the sum ends where the
    // amounts end (97 characters).
    const double size = feeFontSize(longestFeeLine, d.control(u"Text18"_qs).Width);
    for (const char16_t *name : {u"Text9", u"Text18", u"Text22", u"Text23", u"Text24", u"Text25", u"Text26", u"Text27",
                                 u"Text28", u"Text29"})
        d.control(QString::fromUtf16(name)).FontSize = size;
    ReportControl &sum = d.control(u"Text10"_qs);
    const double amountsEnd = d.control(u"Text18"_qs).Left + textWidth(textFont(u"Courier New"_qs, size, false),
                                                                        QString(97, u'0'));
    sum.Width = qMax(1, int(std::lround(amountsEnd)) - sum.Left);
    d.control(u"Text42"_qs).Width = sum.Width; // the amount due ends where the sum ends

    const char16_t *lastFee[] = {u"Text18", u"Text18", u"Text23", u"Text25", u"Text27", u"Text29"};
    const int a = d.control(QString::fromUtf16(lastFee[qBound(0, printedFees, 5)])).Top;
    d.control(u"Linie1"_qs).Top = a + 450;
    d.control(u"Text16"_qs).Top = a + 550;
    d.control(u"Text10"_qs).Top = a + 550;
    d.control(u"Text2"_qs).Top = a + 710;
    d.control(u"Text3"_qs).Top = a + 710;
    d.control(u"Text41"_qs).Top = a + 1060;
    d.control(u"Text42"_qs).Top = a + 1060;
    d.control(u"Text14"_qs).Top = a + 1500;
    d.control(u"GiroCode"_qs).Top = a + 1500;
    d.control(u"GiroCodeText"_qs).Top = a + 1500 + kGiroCodeSide + 50;

    if (s.variant == LayoutVariant::Orvelde)
        moveBy(d, {u"Text2", u"Text3", u"Text4", u"Text5", u"Text8", u"Text11", u"Text38", u"Text41", u"Text42"}, 0,
               300);
    else
        moveBy(d, {u"Text4", u"Text5", u"Text11", u"Text38"}, 0, -285);

    // Other currencies: the address into a window on the right, the sender block away.
    const bool euro = s.waehrung.toUpper() == u"EUR"_qs;
    if (!euro)
        moveBy(d, {u"Text1", u"Text2", u"Text8", u"Text3", u"Text4", u"Text5", u"Text11", u"Text35", u"Text38",
                   u"Text41", u"Text42"},
               5350,
               0);
    for (const char16_t *name : {u"Text7", u"Text6", u"Text19", u"Text20", u"Text21"})
        d.control(QString::fromUtf16(name)).Visible = euro;

    d.control(u"Text35"_qs).Top = senderTop;
    d.control(u"Text35"_qs).Left = senderLeft;
    d.control(u"Text1"_qs).Top = addressTop;
    d.control(u"Text1"_qs).Left = addressLeft;
}

} // namespace

QString debitNoteSentence(const QString &dueDate)
{
    return u"Bitte nicht selbst überweisen! - Betrag wird am "_qs + dueDate + u" von folgendem Konto abgebucht:"_qs;
}

QString transferRequestSentence(Money amount, const QString &currency, const QString &dueDate)
{
    return u"Ihre Bankverbindung ist bei uns nicht vollständig hinterlegt. Bitte überweisen Sie den Betrag von "_qs
           + amount.german() + u' ' + currency + u" bis zum "_qs + dueDate
           + u" auf folgendes Konto:"_qs;
}

Report PrintRechnungen(const InvoiceParams &p, const Buchungen &aBuchungen, const QSet<long> &notCollected)
{
    Q_ASSERT(p.design);
    const FeeLineSettings &s = p.fees;
    ReportDesign &design = *p.design;
    const QString &name = p.senderName;
    const QString plzOrt = p.creditor.postcode + u' ' + p.creditor.town;
    const bool kopf = p.letterhead;
    const QString absender = p.omitSenderLine
                                 ? u" "_qs
                                 : senderLine(design.control(u"Text35"_qs), p.creditor.name, p.creditor.street, plzOrt);

    design.control(u"Linie2"_qs).Visible = kopf;
    if (kopf && !p.logoPath.isEmpty()) {
        // A picture that cannot be loaded is left out.
        const QImage logo(p.logoPath);
        if (!logo.isNull())
            design.control(u"Symbol1"_qs).Picture = logo;
    }
    if (s.variant != LayoutVariant::Farnwinkel)
        design.control(u"bzFibNummer"_qs).Caption.clear();

    // What continues a letter on a further page names the sender as the letter does.
    design.control(u"txtFolgeAbsender"_qs).DataField =
        kopf ? u"Kopf1"_qs : s.variant == LayoutVariant::Orvelde ? u"Header3"_qs : u"Header1"_qs;

    int ticked = 0;
    qsizetype longestFeeLine = 0;
    for (const bool printed : p.feePrinted)
        ticked += printed ? 1 : 0;

    RecordSet rs = invoiceTable();
    QStringList memberCaptions;
    const int total = int(aBuchungen.size());
    for (int i = 0; i < total; ++i) {
        const Buchung &b = aBuchungen[size_t(i)];
        try {
            rs.addNew();
            if (p.title)
                rs.set(u"Header"_qs, *p.title);
            QStringList header(8);
            if (kopf) {
                rs.set(u"Kopf1"_qs, name);
                rs.set(u"Kopf2"_qs, p.creditor.street);
                rs.set(u"Kopf3"_qs, plzOrt);
                rs.set(u"Kopf4"_qs, prefixed(u"Tel.: "_qs, p.creditor.phone));
                rs.set(u"Kopf5"_qs, prefixed(u"Fax:  "_qs, p.creditor.fax));
                header[1] = prefixed(u"Email:  "_qs, p.creditor.email);
                header[2] = b.Lastschrift == u"1"_qs ? u"Gläubiger ID: "_qs + p.creditor.creditorId : QString();
                header[3] = prefixed(u"SteuerNr:  "_qs, p.creditor.taxNumber);
            } else {
                header = {{}, name, p.creditor.street, plzOrt, prefixed(u"Tel.: "_qs, p.creditor.phone), prefixed(u"Fax:  "_qs, p.creditor.fax),
                          prefixed(u"Email:  "_qs, p.creditor.email), prefixed(u"SteuerNr:  "_qs, p.creditor.taxNumber)};
            }
            if (s.variant == LayoutVariant::Orvelde) {
                header[1] = u"Im Auftrag für:"_qs;
                header[2].clear();
                header[3] = p.creditor.name;
                header[4] = p.creditor.street;
                header[5] = plzOrt;
            }
            for (int h = 1; h <= 7; ++h)
                rs.set(u"Header"_qs + QString::number(h), header[h]);
            rs.set(u"Absender"_qs, absender);
            rs.set(u"Anrede"_qs, addressBlock(b, s.variant));

            // The caption beside the number belongs to each owner's own letter.
            const bool mandate = b.Lastschrift == u"1"_qs;
            memberCaptions.append(mandate ? u"MandatsNr.: "_qs : u"Mitgl. Nr.: "_qs);
            rs.set(u"Nummer"_qs, mandate ? b.Mandatsnummer.left(35) : QString::number(b.Nummer));
            if (s.variant == LayoutVariant::Farnwinkel)
                rs.set(u"FibNummer"_qs, b.FibuKonto);
            rs.set(u"RechNr"_qs, b.RechNr);
            rs.set(u"Datum"_qs, p.date);

            Money sum; // the printed fee lines, added up
            int n = 1;
            for (int k = 0; k < 5; ++k) {
                if (!p.feePrinted[size_t(k)])
                    continue;
                const FeeLines lines = BuildFeeLines(s, b, k);
                rs.set(u"BeitragKopf"_qs + QString::number(n), lines.header);
                rs.set(u"Beitrag"_qs + QString::number(n), lines.detail);
                longestFeeLine = std::max({longestFeeLine, longestLine(lines.header), longestLine(lines.detail)});
                sum += b.BetragCent[size_t(k)];
                ++n;
            }

            QString fixText = p.fixText;
            if (p.directDebitNote)
                fixText = (notCollected.contains(b.Id_Personal) ? transferRequest(p, b) : debitNote(p.dueDate, b))
                          + CRLF + CRLF + CRLF + p.fixText;
            rs.set(u"FixText"_qs, fixText);
            const bool asksForTransfer = p.directDebitNote ? notCollected.contains(b.Id_Personal) : true;
            if (asksForTransfer && s.waehrung.trimmed().toUpper() == u"EUR"_qs)
                setGiroCode(rs, p, b);
            rs.set(u"Summe"_qs, sum.german() + u' ' + s.waehrung);

            // One VAT line per rate, its VAT computed once from the rate's total. Every
            // layout prints it: the fee notice is the pre-notification and must name the
            // amount debited, which with VAT on top only the block's "Gesamt" shows.
            QString t;
            const auto &st = b.SteuerText;
            const bool anyVat = std::any_of(st.begin(), st.begin() + 5, [](const QString &x) { return !x.isEmpty(); });
            if (anyVat) {
                if (s.netto) {
                    t = st[0] + CR + st[1] + CR + st[2] + CR + st[3] + CR + st[4];
                    // What is debited or asked for: the figure that matters most.
                    rs.set(u"GesamtText"_qs, u"Gesamt:"_qs);
                    rs.set(u"Gesamt"_qs, b.SummeCent.german() + u' ' + s.waehrung);
                } else {
                    t = u"davon"_qs + CR + st[0] + CR + st[1] + CR + st[2] + CR + st[3] + CR + st[4];
                }
            }
            rs.set(u"txtSumme"_qs, s.netto && !t.isEmpty() ? u"Zwischensumme:"_qs : QString());
            rs.set(u"txtSteuer"_qs, t);
            if (p.bankLine) {
                // An invoice is paid by transfer: its RF reference is the purpose to give.
                const QString reference = p.directDebitNote ? QString() : invoiceReference(b);
                rs.set(u"Bankverbindung"_qs, u"Bank: "_qs + p.creditor.bank + u" IBAN: "_qs + p.creditor.iban + u" BIC: "_qs + p.creditor.bic
                                                 + (reference.isEmpty() ? QString()
                                                                        : u" Verwendungszweck: "_qs + reference));
            }
        } catch (const RecordSetError &e) {
            throw RunError(RunError::Kind::Output,
                           u"Die Rechnung des Waldbesitzers "_qs + QString::number(b.Nummer) + u' '
                               + b.NameOrig.trimmed() + u' ' + b.VornameOrig.trimmed()
                               + u" kann nicht gedruckt werden.\r\n"_qs + e.message());
        }
        if (p.progress)
            p.progress(i + 1, total);
    }

    placeControls(p, ticked, longestFeeLine);
    Report report(design, std::move(rs));
    report.setRowCaptions(u"bzMitgliedsNr"_qs, memberCaptions);
    return report;
}

} // namespace qvl
