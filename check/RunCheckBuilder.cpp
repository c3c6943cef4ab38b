#include "check/RunCheckBuilder.h"

#include "app/RunInputs.h"

#include "app/FrmDTA.h"
#include "fibu/BookingFindings.h"
#include "text/Conversions.h"
#include "text/Cp1252.h"
#include "check/EInvoiceCheck.h"
#include "check/MailCheck.h"
#include "params/InvoiceFromForm.h"
#include "db/Database.h"
#include "select/OwnerSelection.h"
#include "sepa/BookingSelection.h"
#include "core/BusinessYear.h"
#include "core/DueDateRules.h"

#include <QHash>
#include <QMap>

#include <cmath>

namespace qvl {

namespace {

QString ownerName(const Buchung &b)
{
    return (b.NameOrig.trimmed() + u' ' + b.VornameOrig.trimmed()).trimmed();
}

CheckOwner owner(const Buchung &b, const QString &detail = {})
{
    return {b.Nummer, ownerName(b), detail};
}

QString quoted(const QString &text)
{
    return u"„"_qs + text + u"“"_qs;
}

QString dateText(const QDate &day)
{
    return formatDate(day, u"dd.mm.yyyy"_qs);
}

// The items of one run, gathered owner by owner and added in a fixed order.
class Items {
public:
    void add(CheckKind kind, const QString &text, const CheckOwner &who)
    {
        const QString key = QString::number(int(kind)) + u'\n' + text;
        auto found = m_index.constFind(key);
        if (found == m_index.cend()) {
            found = m_index.insert(key, m_items.size());
            m_items.append({kind, text, {}});
        }
        m_items[*found].owners.append(who);
    }
    void addTo(RunCheck &check)
    {
        // Stable by kind, so the list reads the same in every run.
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const CheckItem &a, const CheckItem &b) { return int(a.kind) < int(b.kind); });
        for (CheckItem &item : m_items)
            check.add(std::move(item));
    }

private:
    QList<CheckItem> m_items;
    QHash<QString, qsizetype> m_index;
};

// The texts of an owner that the bank file and the Windows-1252 files carry: his name and
// address. The transliteration changed only letters Windows-1252 holds, so its texts tell
// for both; what the bank's character set holds, the code page holds too.
void checkCharacters(bool directDebit, const Buchung &b, Items &items)
{
    QString lost;
    QString unfit;
    for (const QString *text : {&b.Name, &b.Vorname, &b.Strasse, &b.PLZ, &b.Ort}) {
        if (bankCharsetLosses(*text).isEmpty())
            continue; // the usual case, told by one look at each character
        for (const char32_t c : bankCharsetLosses(*text).toUcs4()) {
            const QString character = QString::fromUcs4(&c, 1);
            if (!lost.contains(character))
                lost += character;
        }
        if (fitsCp1252(*text))
            continue;
        for (const char32_t c : toCp1252Letters(*text).toUcs4()) {
            const QString character = QString::fromUcs4(&c, 1);
            if (!fitsCp1252(character) && !unfit.contains(character))
                unfit += character;
        }
    }
    if (directDebit && !lost.isEmpty())
        items.add(CheckKind::BankCharacters,
                  u"Name oder Anschrift mit Zeichen, die die SEPA-Datei nicht darstellen kann; sie werden dort "
                  "zu Leerzeichen"_qs,
                  owner(b, u"Zeichen "_qs + quoted(lost)));
    if (!unfit.isEmpty())
        items.add(CheckKind::Cp1252Characters,
                  u"Name oder Anschrift mit Zeichen, die in Windows-1252-Dateien (CSV-Liste, FIBU-Dateien) als "
                  "„?“ erscheinen"_qs,
                  owner(b, u"Zeichen "_qs + quoted(unfit)));
}

void checkBankRules(const FrmDTA &f, const BookingCheck &c, const Buchung &b, Items &items)
{
    const bool letters = f.chkRechnung.Value == 1;
    const QString iban = b.IBAN.isEmpty() ? u"keine IBAN"_qs : u"IBAN "_qs + quoted(b.IBAN);
    if (c.iban == BookingCheck::Iban::Unwritable)
        items.add(CheckKind::LeftOut,
                  letters ? u"Lastschrift nicht in der SEPA-Datei (IBAN fehlt oder ist ungültig); der Beitragsbescheid "
                            "bittet stattdessen um Überweisung"_qs
                          : u"Lastschrift nicht in der SEPA-Datei (IBAN fehlt oder ist ungültig); der Beitrag wird "
                            "nicht eingezogen"_qs,
                  owner(b, iban));
    else if (c.iban == BookingCheck::Iban::Invalid)
        items.add(CheckKind::IbanInvalid,
                  letters ? u"IBAN mit falscher Länge oder Prüfziffer: die Lastschrift wird nicht in die SEPA-Datei "
                            "geschrieben (die Bank wiese sie zurück); der Beitragsbescheid bittet stattdessen um "
                            "Überweisung"_qs
                          : u"IBAN mit falscher Länge oder Prüfziffer: die Lastschrift wird nicht in die SEPA-Datei "
                            "geschrieben (die Bank wiese sie zurück); der Beitrag wird nicht eingezogen"_qs,
                  owner(b, iban));
    if (c.iban != BookingCheck::Iban::Valid)
        return; // nothing of him goes into the file
    if (c.bicReplaced)
        items.add(CheckKind::BicReplaced, u"BIC ungültig; in der SEPA-Datei steht NOTPROVIDED"_qs,
                  owner(b, u"BIC "_qs + quoted(b.BIC)));
    if (c.mandateBlank)
        items.add(CheckKind::MandateBlank, u"Keine Mandatsreferenz; die Waldbesitzer-Nummer wird verwendet"_qs, owner(b));
    if (c.mandateCharacters)
        items.add(CheckKind::MandateCharacters,
                  u"Mandatsreferenz mit Zeichen außerhalb des SEPA-Zeichensatzes (A–Z a–z 0–9 ' : ? , - ( + . ) /); "
                  "die Bank kann die Lastschrift zurückweisen"_qs,
                  owner(b, quoted(b.Mandatsnummer)));
    if (c.mandateCut)
        items.add(CheckKind::MandateCut, u"Mandatsreferenz länger als 35 Zeichen; in der SEPA-Datei gekürzt"_qs,
                  owner(b, quoted(b.Mandatsnummer)));
}

void addComparison(const RunCheckInputs &in, RunCheck &check)
{
    if (!in.comparison) {
        check.comparison = in.noComparison;
        return;
    }
    const YearComparison &c = *in.comparison;
    const QString what = c.lastYear + u" „"_qs + c.typ + u"“"_qs;
    if (!c.anyStored) {
        check.comparison = u"Für "_qs + what + u" sind keine Beiträge gespeichert; kein Vergleich mit dem Vorjahr."_qs;
        return;
    }
    const std::optional<double> percent = c.totalPercent();
    // Only debits were stored: debited is compared with debited, transfers are told apart.
    check.comparison = u"Vorjahr "_qs + what + u": "_qs + countText(c.lastCount) + u" Waldbesitzer abgebucht, "_qs
                       + euroCentsText(c.lastTotal) + u"; dieser Lauf: "_qs + countText(c.thisCount)
                       + u" Waldbesitzer abgebucht, "_qs + euroCentsText(c.thisTotal)
                       + (percent ? u" ("_qs + percentChangeText(*percent) + u')' : QString())
                       + (c.transfer.isEmpty() ? QString()
                                               : u"; dazu "_qs + countText(c.transfer.size())
                                                     + u" Waldbesitzer per Überweisung, "_qs + euroCentsText(c.transferTotal)
                                                     + u" (nicht verglichen)"_qs)
                       + u'.';
    const auto owners = [](const QList<ComparedOwner> &list, const std::function<QString(const ComparedOwner &)> &detail) {
        QList<CheckOwner> out;
        out.reserve(list.size());
        for (const ComparedOwner &o : list)
            out.append({o.nummer, o.name, detail(o)});
        return out;
    };
    if (!c.gone.isEmpty())
        check.add({CheckKind::ComparisonGone, u"Im Vorjahr abgerechnet, in diesem Lauf nicht"_qs,
                   owners(c.gone, [&](const ComparedOwner &o) { return c.lastYear + u": "_qs + euroCentsText(o.lastYear); })});
    if (!c.added.isEmpty())
        check.add({CheckKind::ComparisonNew, u"Neu in diesem Lauf, im Vorjahr nicht abgerechnet"_qs,
                   owners(c.added, [](const ComparedOwner &o) { return euroCentsText(o.thisRun); })});
    if (!c.transfer.isEmpty())
        check.add({CheckKind::ComparisonTransfer,
                   u"Zahlen per Überweisung (nicht in der SEPA-Datei, ihre Beiträge werden nicht gespeichert); nicht "
                   "mit dem Vorjahr verglichen"_qs,
                   owners(c.transfer, [&](const ComparedOwner &o) {
                       return euroCentsText(o.thisRun)
                              + (o.lastYear.isZero() ? QString()
                                                    : u", "_qs + c.lastYear + u" abgebucht: "_qs + euroCentsText(o.lastYear));
                   })});
    if (!c.changed.isEmpty())
        check.add({CheckKind::ComparisonChanged,
                   u"Betrag weicht um mehr als "_qs + QString::number(c.thresholdPercent)
                       + u" % vom Vorjahr ab (größte Abweichung zuerst)"_qs,
                   owners(c.changed, [&](const ComparedOwner &o) {
                       const std::optional<double> p = o.percent();
                       return c.lastYear + u' ' + euroCentsText(o.lastYear) + u", jetzt "_qs + euroCentsText(o.thisRun)
                              + (p ? u" ("_qs + percentChangeText(*p, c.thresholdPercent) + u')' : QString());
                   })});
}

// The association's name as the letters print it; the form's firm name when the
// association's row cannot be read now (the run reads it again before the letters).
QString eInvoiceSellerName(const FrmDTA &f)
{
    try {
        return invoiceSenderName(f);
    } catch (const DbError &) {
        return f.txtFirmenName.Text;
    }
}

} // namespace

void checkDueDate(const FrmDTA &f, const RunInputs &run, RunCheck &check)
{
    check.remove(CheckKind::DueDate);
    check.proposedDueDate.reset();
    if (!run.directDebit() || !run.dueDate.isValid())
        return;
    check.figures.dueDate = dateText(run.dueDate);
    DueDateRules rules;
    rules.today = f.clock().today();
    rules.leadDays = f.lVorlaufBankarbeitstage;
    check.figures.leadDays = rules.leadDays;
    // The fee notices are the members' pre-notification of the debit.
    if (f.chkRechnung.Value == 1) {
        rules.noticeDate = run.invoiceDate;
        check.figures.preNotificationDays = f.lVorabankuendigungTage;
    }
    rules.preNotificationDays = f.lVorabankuendigungTage;
    const DueDateCheck result = qvl::checkDueDate(run.dueDate, rules);
    for (const DueDateFinding &finding : result.findings)
        check.add({CheckKind::DueDate, finding.text, {}});
    check.proposedDueDate = result.proposal;
}

RunCheck buildRunCheck(const FrmDTA &f, const RunInputs &run, const Buchungen &records, const RunCheckInputs &in)
{
    RunCheck check;
    RunFigures &fig = check.figures;
    fig.directDebit = run.directDebit();
    fig.year = run.businessYearText;
    fig.feeText = f.strBeitragsText;
    // A restricted run says so: "Waldbesitzer gelesen: 2" alone does not tell why.
    fig.selection = selectionCheckLine(f.strWBIN);
    fig.read = in.read;
    fig.dropped = int(in.dropped.size());
    if (!in.calculationRefused.isEmpty())
        check.add({CheckKind::CalculationRefused, in.calculationRefused, {}});

    Items items;
    // The SEPA writer's own selection, whose checks say what it will do with each booking.
    std::vector<BookingCheck> bankChecks;
    if (fig.directDebit && !records.empty()) {
        const BookingSelection selection =
            selectBookings(sepaFormatFromText(f.cmbSEPAFormat.Text()), records, &bankChecks);
        fig.debits = qint64(selection.written.size());
        fig.debitSumCent = selection.controlSumCent;
        fig.leftOut = int(selection.leftOut.size());
        if (selection.written.empty())
            check.add({CheckKind::NoWritableIban,
                       u"Keine der "_qs + countText(qsizetype(records.size()))
                           + u" Buchungen hat eine IBAN, die in die SEPA-Datei geschrieben werden kann; es würde keine "
                             "SEPA-Datei erstellt."_qs,
                       {}});
    }
    const bool noJoiningDateMatters = proRataByJoiningDate(run) && !in.withoutJoiningDate.isEmpty();
    // The member query reads the database's day for them.
    const QString noJoiningDate =
        u"Ohne Eintrittsdatum bei anteiliger Berechnung: gerechnet, als wären sie heute eingetreten"_qs;
    std::array<FeeTotal, kFeeSlots> fees;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Buchung &b = records[i];
        fig.withVat = fig.withVat || !b.MwstSummeCent.isZero();
        for (int k = 0; k < kFeeSlots; ++k) {
            const auto slot = std::size_t(k);
            if (f.chkBeitrag[slot].Value != 1 || b.BetragCent[slot].isZero())
                continue;
            ++fees[slot].owners;
            fees[slot].amountCent += b.BetragCent[slot];
        }
        if (i < bankChecks.size())
            checkBankRules(f, bankChecks[i], b, items);
        if (noJoiningDateMatters && in.withoutJoiningDate.contains(b.Id_Personal))
            items.add(CheckKind::NoJoiningDate, noJoiningDate, owner(b));
        if (fibu::booksWithoutOwnerAccount(f.strFibu, b))
            items.add(CheckKind::NoAccount,
                      u"Ohne FIBU-Konto ("_qs + f.strFibu.trimmed()
                          + u"): ihre Buchungen werden ohne Konto geschrieben; die Buchhaltung nimmt sie so nicht an"_qs,
                      owner(b));
        checkCharacters(fig.directDebit, b, items);
    }
    fig.billed = int(records.size());
    fig.totalCent = sumOf(records, [](const Buchung &b) { return b.SummeCent; });
    fig.vatOnTop = f.bBeitraegeNetto;
    for (int k = 0; k < kFeeSlots; ++k)
        if (f.chkBeitrag[std::size_t(k)].Value == 1) {
            fees[std::size_t(k)].name = f.aBeitragsNamen[std::size_t(k)].isEmpty() ? f.chkBeitrag[std::size_t(k)].Caption
                                                                                   : f.aBeitragsNamen[std::size_t(k)];
            fig.fees.append(fees[std::size_t(k)]);
        }

    // The business year's last month: pro rata bills nothing to who joins in it.
    const std::optional<BusinessYear> &year = run.businessYear;
    const int lastMonth = year ? year->end.month() : 12;
    for (const DroppedOwner &d : in.dropped) {
        const CheckOwner who{d.nummer, (d.name.trimmed() + u' ' + d.vorname.trimmed()).trimmed(), {}};
        const bool noDate = proRataByJoiningDate(run) && in.withoutJoiningDate.contains(d.idPersonal);
        const QString why = noDate && d.reason == ZeroReason::JoinedInLastMonth
                                ? u"ohne Eintrittsdatum, bei anteiliger Berechnung als im "_qs + monthName(lastMonth)
                                      + u" eingetreten gerechnet"_qs
                                : zeroReasonText(d.reason, lastMonth);
        items.add(CheckKind::ZeroFee, u"Nicht abgerechnet, Beitrag 0: "_qs + why, who);
        if (noDate)
            items.add(CheckKind::NoJoiningDate, noJoiningDate, who);
    }

    items.addTo(check);
    addEInvoiceFindings(f, run, records, eInvoiceSellerName(f), check);
    addMailFindings(f, records, check);
    addComparison(in, check);
    checkDueDate(f, run, check);
    return check;
}

} // namespace qvl
