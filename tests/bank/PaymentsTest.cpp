// The payments on a real demo run: a direct-debit run and an invoice run register their
// documents; statements built from them are read back, matched, applied; the open items
// and the letters follow.
#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "bank/ApplyMatches.h"
#include "bank/CamtBuilder.h"
#include "bank/MatchingText.h"
#include "bank/RegisterSql.h"
#include "db/Database.h"
#include "commands/PaymentsStep.h"
#include "run/RunDriver.h"
#include "support/Workspace.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

struct DemoRuns {
    Workspace ws{120};
    std::unique_ptr<FrmDTA> form;
    std::unique_ptr<Database> db;

    DemoRuns()
    {
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
        settings.replaceInStrings(u"FibuZiel="_qs, u"FibuZiel="_qs + ws.root());
        settings << u"BankKonto=1200"_qs << u"MBTKonto=8401"_qs;
        ws.writeSettings(settings);
        form = ws.form();
        EXPECT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        form->chkBeitrag[0].Value = 1;
        form->rbEinstellung_Click(0);
        form->txtMindestbeitrag[0].Text = u"10"_qs;
        form->chkEinzelbuchungen.Value = 0;
        form->strFibu.clear();
        db = Database::open(u"Provider=SQLite;Data Source="_qs + ws.databaseFile());
    }

    RunReport directDebit()
    {
        form->names().set(u"LaoderRe(0)"_qs, u"1"_qs);
        return cmdStart_Click(*form);
    }
    RunReport invoices()
    {
        form->names().set(u"LaoderRe(1)"_qs, u"1"_qs);
        return cmdStart_Click(*form);
    }
    QList<RegisteredDocument> documents(std::optional<DocumentKind> kind = std::nullopt)
    {
        QList<RegisteredDocument> all = readDocuments(*db);
        if (kind)
            all.removeIf([&](const RegisteredDocument &d) { return d.kind != *kind; });
        return all;
    }
    QVariant datumBezahlt(const RegisteredDocument &d)
    {
        QSqlQuery q = db->run(u"select datum_bezahlt from PERSONAL_MG_BEITRAGE where id_personal = ? and r_name = ?"_qs,
                              {qint64(d.idPersonal), QString::number(d.number)});
        return q.next() ? q.value(0) : QVariant(u"(keine Zeile)"_qs);
    }
};

TestTransaction transferFrom(const QString &name, qint64 cents, QStringList remittance, const QString &iban = {})
{
    TestTransaction t;
    t.cents = cents;
    t.name = name;
    t.iban = iban;
    t.remittance = std::move(remittance);
    return t;
}

TestEntry credit(qint64 cents, const QDate &day, const QString &ref, const TestTransaction &t)
{
    return {cents, true, day, ref, {}, 0, {t}};
}

TestEntry returned(const RegisteredDocument &d, const QString &code, qint64 charge, const QString &ref)
{
    TestTransaction t;
    t.cents = d.grossCents + charge;
    t.originalCents = d.grossCents;
    t.endToEndId = d.mandate;
    t.mandateId = d.mandate;
    t.name = d.name;
    t.returnCode = code;
    t.chargeCents = charge;
    return {d.grossCents + charge, false, QDate(2027, 1, 8), ref, {}, 0, {t}};
}

// What a matching says, entry by entry, for comparing readings.
QStringList summary(const Matching &m)
{
    QStringList lines;
    for (int i = 0; i < int(m.matches.size()); ++i)
        lines << matchLine(m, i).section(u"  "_qs, 1);
    return lines;
}

} // namespace

TEST(Payments, InvoiceNumbersAreNeverIssuedTwice)
{
    DemoRuns r;
    r.form->txtRechNr.Text = u"1001"_qs;
    ASSERT_EQ(r.directDebit().outcome, RunOutcome::Completed);
    const int first = int(r.documents().size());
    ASSERT_GT(first, 0);
    // The form proposes the next free number after the run.
    EXPECT_EQ(r.form->txtRechNr.Text, QString::number(1001 + first));
    ASSERT_EQ(r.invoices().outcome, RunOutcome::Completed);
    r.ws.ui.answers = {MsgResult::Yes}; // the repeated-run question of the rerun
    ASSERT_EQ(r.directDebit().outcome, RunOutcome::Completed);

    const QList<RegisteredDocument> all = r.documents();
    QSet<qint64> numbers;
    for (const RegisteredDocument &d : all)
        numbers.insert(d.number);
    EXPECT_EQ(numbers.size(), all.size());
    EXPECT_EQ(r.documents(DocumentKind::FeeNotice).size(), 2 * first);
    EXPECT_GT(r.documents(DocumentKind::Invoice).size(), 0);

    // A number typed back into the used range is the check's error, naming the next free one.
    const qint64 next = all.last().number + 1;
    EXPECT_EQ(r.form->txtRechNr.Text, QString::number(next));
    r.form->txtRechNr.Text = u"1005"_qs;
    r.ws.ui.runChecks.clear();
    EXPECT_EQ(r.directDebit().outcome, RunOutcome::Stopped);
    ASSERT_EQ(r.ws.ui.runChecks.size(), 1);
    const QList<CheckItem> errors = r.ws.ui.runChecks[0].itemsOf(CheckGrade::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].kind, CheckKind::InvoiceNumberTaken);
    EXPECT_TRUE(errors[0].text.endsWith(u"Nächste freie Rechnungsnummer: "_qs + QString::number(next) + u'.'))
        << errors[0].text.toStdString();
    EXPECT_EQ(r.documents().size(), all.size());

    // A new start proposes it as well.
    const std::unique_ptr<FrmDTA> again = r.ws.form();
    ASSERT_EQ(Form_Load(*again, {}), StartupResult::Ready);
    EXPECT_EQ(again->txtRechNr.Text, QString::number(next));
}

TEST(Payments, StatementsOfARealRunAreMatchedAppliedAndListed)
{
    DemoRuns r;
    const RunReport debitRun = r.directDebit();
    ASSERT_EQ(debitRun.outcome, RunOutcome::Completed);
    ASSERT_EQ(r.invoices().outcome, RunOutcome::Completed);
    // A fee notice of an owner the bank file left out asks for a transfer.
    QList<RegisteredDocument> debits;
    const QList<RegisteredDocument> notices = r.documents(DocumentKind::FeeNotice);
    for (const RegisteredDocument &d : notices) {
        if (d.way == PaymentWay::DirectDebit) {
            debits.append(d);
            continue;
        }
        EXPECT_TRUE(d.mandate.isEmpty());
        EXPECT_TRUE(d.batchId.isEmpty());
    }
    EXPECT_EQ(notices.size() - debits.size(), debitRun.leftOut);
    EXPECT_EQ(debits.size(), debitRun.debits);
    const QList<RegisteredDocument> invoices = r.documents(DocumentKind::Invoice);
    ASSERT_GE(debits.size(), 5);
    ASSERT_GE(invoices.size(), 6);
    for (const RegisteredDocument &d : debits) {
        EXPECT_EQ(d.way, PaymentWay::DirectDebit);
        EXPECT_FALSE(d.mandate.isEmpty());
        EXPECT_FALSE(d.batchId.isEmpty());
        EXPECT_GT(d.grossCents, 0);
    }

    qint64 batchSum = 0;
    for (const RegisteredDocument &d : debits)
        batchSum += d.grossCents;
    const RegisteredDocument &r1 = debits[0], &r2 = debits[1], &r3 = debits[2];
    const RegisteredDocument &i1 = invoices[0], &i2 = invoices[1], &i3 = invoices[2], &i4 = invoices[3],
                             &i5 = invoices[4], &i6 = invoices[5];
    const QDate day(2027, 1, 15);
    const QList<TestEntry> entries{
        {batchSum, true, QDate(2027, 1, 4), u"B-1"_qs, debits[0].batchId, int(debits.size()), {}},
        returned(r1, u"AC04"_qs, 350, u"R-1"_qs),
        returned(r2, u"MD06"_qs, 0, u"R-2"_qs),
        returned(r3, u"AM04"_qs, 0, u"R-3"_qs),
        credit(i1.grossCents, day, u"T-1"_qs, transferFrom(u"X"_qs, i1.grossCents, {u"Rechnung Nr. "_qs + QString::number(i1.number)})),
        credit(i2.grossCents / 2, day, u"T-2"_qs, transferFrom(u"X"_qs, i2.grossCents / 2, {u"RE"_qs + QString::number(i2.number) + u" Teilzahlung"_qs})),
        credit(i3.grossCents, day, u"T-3"_qs, transferFrom(u"X"_qs, i3.grossCents, {QString::number(i3.number)})),
        credit(i3.grossCents, day.addDays(1), u"T-4"_qs, transferFrom(u"X"_qs, i3.grossCents, {u"Beitrag RE "_qs + QString::number(i3.number)})),
        credit(i4.grossCents + i5.grossCents, day, u"T-5"_qs,
               transferFrom(u"X"_qs, i4.grossCents + i5.grossCents,
                            {u"Rechnungen "_qs + QString::number(i4.number) + u" und "_qs + QString::number(i5.number)})),
        credit(i6.grossCents, day, u"T-6"_qs, transferFrom(i6.name, i6.grossCents, {u"Mitgliedsbeitrag"_qs})),
        credit(123456, day, u"T-7"_qs, transferFrom(u"Stadtwerke"_qs, 123456, {u"Erstattung Abschlag"_qs})),
        credit(r1.grossCents, QDate(2027, 1, 20), u"T-8"_qs, transferFrom(r1.name, r1.grossCents, {u"RE "_qs + QString::number(r1.number)})),
    };
    const MatchKind expected[] = {MatchKind::BatchCredit, MatchKind::Returned,   MatchKind::Returned,
                                  MatchKind::Returned,    MatchKind::Paid,       MatchKind::PartlyPaid,
                                  MatchKind::Paid,        MatchKind::OverPaid,   MatchKind::SeveralPaid,
                                  MatchKind::Paid,        MatchKind::Unmatched,  MatchKind::Paid};

    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString file = write(u"auszug.xml"_qs, camtDocument(u"camt.053.001.08"_qs, entries));
    BankImport import = readBankFiles(*r.form, {file});
    ASSERT_TRUE(import.reading.refused.isEmpty()) << import.reading.refused.join(u'\n').toStdString();
    ASSERT_EQ(import.matching.matches.size(), qsizetype(std::size(expected)));
    for (int i = 0; i < int(std::size(expected)); ++i)
        EXPECT_EQ(import.matching.matches[i].kind, expected[i]) << matchLine(import.matching, i).toStdString();
    EXPECT_EQ(import.matching.matches[0].assignments.size(), debits.size());
    EXPECT_EQ(import.matching.matches[1].assignments.value(0).chargeCents, 350);
    EXPECT_TRUE(matchLine(import.matching, 1).contains(u"Konto erloschen, Rücklastschriftgebühr der Bank 3,50 €"_qs))
        << matchLine(import.matching, 1).toStdString();
    EXPECT_TRUE(matchLine(import.matching, 2).contains(u"Widerspruch"_qs));

    // Every version and the archive say the same.
    const QStringList reference = summary(import.matching);
    for (const QString &message : {u"camt.053.001.02"_qs, u"camt.054.001.02"_qs, u"camt.054.001.08"_qs}) {
        const QString other = write(message + u".xml"_qs, camtDocument(message, entries));
        EXPECT_EQ(summary(readBankFiles(*r.form, {other}).matching), reference) << message.toStdString();
    }
    ASSERT_TRUE(writeZip(dir.filePath(u"auszug.zip"_qs), {{u"a.xml"_qs, camtDocument(u"camt.053.001.02"_qs, entries)}}));
    EXPECT_EQ(summary(readBankFiles(*r.form, {dir.filePath(u"auszug.zip"_qs)}).matching), reference);

    // The same statement twice in one reading: the second is skipped as a whole and named.
    const BankImport twice = readBankFiles(*r.form, {file, file});
    EXPECT_EQ(twice.matching.matches.size(), qsizetype(std::size(expected)));
    EXPECT_EQ(twice.matching.count(MatchKind::AlreadyRead), 0);
    ASSERT_EQ(twice.skipped.size(), 1);
    EXPECT_TRUE(twice.skipped[0].startsWith(u"Der Kontoauszug „A-"_qs)) << twice.skipped[0].toStdString();
    EXPECT_TRUE(twice.skipped[0].endsWith(u"in „auszug.xml“ stand in dieser Lesung schon in „auszug.xml“; seine 12 "
                                          "Umsätze werden übersprungen."_qs))
        << twice.skipped[0].toStdString();

    const QVariant paidBefore = r.datumBezahlt(debits[3]);
    const ApplyResult applied = applyBankImport(*r.form, import);
    EXPECT_EQ(applied.entries, int(std::size(expected)) - 1); // the unrelated booking stays unread
    EXPECT_EQ(applied.feesCleared, 3);
    EXPECT_EQ(applied.feesPaid, 1);

    // Returned: not paid; paid later: the day of the transfer; the others as the run stored them.
    EXPECT_TRUE(r.datumBezahlt(r2).isNull());
    EXPECT_TRUE(r.datumBezahlt(r3).isNull());
    EXPECT_EQ(r.datumBezahlt(r1).toString(), u"2027-01-20"_qs);
    EXPECT_EQ(r.datumBezahlt(debits[3]), paidBefore);
    EXPECT_FALSE(paidBefore.isNull());

    const QList<OpenItem> items = currentOpenItems(*r.form, false);
    QHash<qint64, OpenItem> byNumber;
    for (const OpenItem &item : items)
        byNumber.insert(item.document.number, item);
    const std::pair<const RegisteredDocument *, qint64> open[] = {
        {&r1, 0}, {&r2, r2.grossCents}, {&r3, r3.grossCents}, {&debits[3], 0}, {&i1, 0},
        {&i2, i2.grossCents - i2.grossCents / 2}, {&i3, -i3.grossCents}, {&i4, 0}, {&i5, 0}, {&i6, 0}};
    for (const auto &[d, cents] : open)
        EXPECT_EQ(byNumber.value(d->number).openCents, cents) << d->number;
    EXPECT_TRUE(byNumber.value(r2.number).returned);
    EXPECT_EQ(byNumber.value(r2.number).returnCode, u"MD06"_qs);
    EXPECT_EQ(byNumber.value(r1.number).returnChargeCents, 350);
    EXPECT_EQ(items.size(), r.documents().size());

    // Read again: the statement is skipped as a whole, named with the day it was applied.
    const QString appliedAt = r.ws.clock.now().toString(u"dd.MM.yyyy' um 'HH:mm"_qs);
    const BankImport again = readBankFiles(*r.form, {file});
    EXPECT_TRUE(again.matching.matches.isEmpty());
    ASSERT_EQ(again.skipped.size(), 1);
    EXPECT_TRUE(again.skipped[0].contains(u"“ des Kontos "_qs + kOurAccount + u" in „auszug.xml“ wurde bereits am "_qs
                                          + appliedAt + u" Uhr eingelesen (aus „auszug.xml“); seine 12 Umsätze werden "
                                                        "übersprungen."_qs))
        << again.skipped[0].toStdString();
    // Its entries in another message (the bank's notifications of the same bookings) count
    // nothing twice, entry by entry; nothing changes.
    const BankImport notified = readBankFiles(*r.form, {write(u"avis.xml"_qs, camtDocument(u"camt.054.001.08"_qs, entries))});
    EXPECT_TRUE(notified.skipped.isEmpty());
    EXPECT_EQ(notified.matching.count(MatchKind::AlreadyRead), qsizetype(std::size(expected)) - 1);
    EXPECT_EQ(notified.matching.count(MatchKind::Unmatched), 1);
    const qsizetype paymentsBefore = readPayments(*r.db).size();
    const ApplyResult none = applyBankImport(*r.form, notified);
    EXPECT_EQ(none.payments, 0);
    EXPECT_EQ(readPayments(*r.db).size(), paymentsBefore);
    // Now applied too, the notification is skipped as a whole as well.
    EXPECT_EQ(readBankFiles(*r.form, {dir.filePath(u"avis.xml"_qs)}).skipped.size(), 1);

    // The open-items list: its rows are the open documents, its sum their open amounts.
    const QList<OpenItem> openOnly = currentOpenItems(*r.form, true);
    const Report list = openItemsReport(openOnly, QDate(2027, 2, 1), u"FBG"_qs);
    EXPECT_EQ(list.rows().rowCount(), openOnly.size());
    const QStringList csv = list.csvLines();
    ASSERT_EQ(csv.size(), openOnly.size() + 1);
    EXPECT_TRUE(csv[0].contains(u"Ruecklastschrift"_qs));
    EXPECT_GT(list.pageCount(), 0);

    // Paid too much is an open item too, below zero, and counts in the list's sum.
    EXPECT_TRUE(std::any_of(openOnly.cbegin(), openOnly.cend(), [&](const OpenItem &item) {
        return item.document.number == i3.number && item.openCents == -i3.grossCents;
    }));
    qint64 openSum = 0;
    for (const OpenItem &item : openOnly)
        openSum += item.openCents;
    double listed = 0;
    for (int row = 0; row < list.rows().rowCount(); ++row)
        listed += list.rows().value(row, u"Offen"_qs).toDouble();
    EXPECT_NEAR(listed, double(openSum) / 100, 0.001);

    // Letters for the returns: the amount with the association's fee.
    Letters letters = makeLetters(*r.form, {LetterKind::Returns, 14, 250});
    ASSERT_TRUE(letters.report);
    ASSERT_EQ(letters.items.size(), 2);
    const RecordSet &rows = letters.report->rows();
    EXPECT_EQ(rows.value(0, u"Gesamt"_qs).toDouble(), double(r2.grossCents + 250) / 100);
    EXPECT_EQ(rows.value(1, u"Gesamt"_qs).toDouble(), double(r3.grossCents + 250) / 100);
    EXPECT_TRUE(rows.text(0, rows.columnIndex(u"Brieftext"_qs)).contains(u"Erstattung auf Verlangen des Zahlers"_qs));
    EXPECT_EQ(letters.report->pageCount(), 2);

    // A part of r2 paid after its return: the letter asks for what is open and the fee, and the figures add up.
    const qint64 part = r2.grossCents / 2;
    const QString partFile = write(u"teil.xml"_qs, camtDocument(u"camt.053.001.08"_qs,
        {credit(part, QDate(2027, 1, 25), u"T-9"_qs, transferFrom(r2.name, part, {u"RE "_qs + QString::number(r2.number)}))}));
    const BankImport partly = readBankFiles(*r.form, {partFile});
    ASSERT_EQ(partly.matching.matches.value(0).kind, MatchKind::PartlyPaid) << matchLine(partly.matching, 0).toStdString();
    applyBankImport(*r.form, partly);
    r.ws.clock.set(QDateTime(QDate(2027, 2, 15), QTime(9, 0)));
    letters = makeLetters(*r.form, {LetterKind::Returns, 14, 300});
    ASSERT_TRUE(letters.report);
    const qint64 open2 = r2.grossCents - part;
    const QString text2 = letters.report->rows().text(0, letters.report->rows().columnIndex(u"Brieftext"_qs));
    EXPECT_TRUE(text2.contains(u"Bitte überweisen Sie "_qs + euroCents(open2 + 300) + u" ("_qs + euroCents(open2)
                               + u" offen zuzüglich unserer Rücklastschriftgebühr von 3,00 €)"_qs))
        << text2.toStdString();
    // The return letter is the last request to pay: no reminder on its day, one after the interval.
    recordLettersSent(*r.form, letters);
    const auto remindedOn = [&](const QDate &day) {
        r.ws.clock.set(QDateTime(day, QTime(9, 0)));
        QSet<qint64> numbers;
        const Letters l = makeLetters(*r.form, {LetterKind::Reminders, 14, 0});
        for (const OpenItem &item : l.items)
            numbers.insert(item.document.number);
        return std::make_pair(numbers, l);
    };
    EXPECT_FALSE(remindedOn(QDate(2027, 2, 15)).first.contains(r2.number));
    EXPECT_TRUE(remindedOn(QDate(2027, 3, 1)).first.contains(r2.number));

    // Reminders: open 14 days after the due date; each letter raises its document's level,
    // and the next comes only after the interval.
    const auto [reminded, reminders] = remindedOn(QDate(2027, 3, 1));
    ASSERT_TRUE(reminders.report);
    EXPECT_TRUE(reminded.contains(i2.number));
    EXPECT_TRUE(reminded.contains(r2.number));
    EXPECT_FALSE(reminded.contains(i1.number));
    EXPECT_FALSE(reminded.contains(i3.number)); // paid too much is not open
    for (int row = 0; row < reminders.report->rows().rowCount(); ++row)
        EXPECT_EQ(reminders.report->rows().value(row, u"Mahnstufe"_qs).toInt(), 1);
    recordLettersSent(*r.form, reminders);
    EXPECT_FALSE(makeLetters(*r.form, {LetterKind::Reminders, 14, 0}).report); // twice a day: nobody
    EXPECT_TRUE(remindedOn(QDate(2027, 3, 14)).first.isEmpty());
    const Letters second = remindedOn(QDate(2027, 3, 15)).second;
    ASSERT_TRUE(second.report);
    EXPECT_EQ(second.items.size(), reminders.items.size());
    EXPECT_EQ(second.report->rows().value(0, u"Mahnstufe"_qs).toInt(), 2);
    EXPECT_TRUE(second.report->rows().text(0, second.report->rows().columnIndex(u"Betreff"_qs)).startsWith(u"2. Mahnung"_qs));
}
