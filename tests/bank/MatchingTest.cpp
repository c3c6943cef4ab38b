#include "bank/Matching.h"
#include "bank/MatchingText.h"
#include "bank/ReturnReasons.h"
#include "core/CreditorReference.h"

#include <gtest/gtest.h>

using namespace qvl;

namespace {

RegisteredDocument invoice(qint64 number, const QString &name, qint64 cents, const QString &iban = {})
{
    RegisteredDocument d;
    d.number = number;
    d.name = name;
    d.grossCents = cents;
    d.iban = iban;
    d.due = QDate(2027, 1, 1);
    return d;
}

RegisteredDocument debit(qint64 number, const QString &mandate, qint64 cents, const QString &batch)
{
    RegisteredDocument d = invoice(number, u"Debit "_qs + mandate, cents);
    d.kind = DocumentKind::FeeNotice;
    d.way = PaymentWay::DirectDebit;
    d.mandate = mandate;
    d.batchId = batch;
    return d;
}

BankEntry transfer(qint64 cents, const QString &name, const QString &iban, const QString &text, const QString &ref)
{
    BankEntry e;
    e.account = u"DE02120300000000202051"_qs;
    e.cents = cents;
    e.booked = QDate(2027, 1, 10);
    e.reference = ref;
    BankTransaction t;
    t.cents = cents;
    t.name = name;
    t.iban = iban;
    t.remittance = text;
    e.transactions = {t};
    return e;
}

const QList<RegisteredDocument> kDocuments{
    invoice(1001, u"Schmidt Bernd"_qs, 4500, u"DE89370400440532013000"_qs),
    invoice(1002, u"Müller Anna"_qs, 4500, u"DE44500105175407324931"_qs),
    invoice(1003, u"Weber Karl"_qs, 2000, u"DE44500105175407324931"_qs), // a joint account
    invoice(1004, u"Weber Karl"_qs, 2000),
    invoice(2026, u"Jahr Zahl"_qs, 999),
    debit(5001, u"M-1"_qs, 3000, u"10011004"_qs),
    debit(5002, u"M-2"_qs, 3100, u"10011004"_qs),
    debit(4001, u"M-1"_qs, 3000, u"09990999"_qs), // last year's debit of the same mandate
};

} // namespace

TEST(Matching, ANumberInTheTextCountsOnlyAsAReference)
{
    const auto numbers = [](const QString &text) { return referencesInRemittance(text, {u"Mitgliedsbeitrag"_qs}).numbers; };
    const std::pair<const char16_t *, QList<qint64>> cases[] = {
        {u"RE 1001", {1001}},
        {u"RE1001", {1001}},
        {u"Rechnung Nr. 1001", {1001}},
        {u"Re.-Nr. 17", {17}},
        {u"Rechnungsnummer: 17", {17}},
        {u"Beitragsbescheid 12 Forst", {12}},
        {u"Rechnungsnr.1002 Beitrag 2026", {1002}},
        {u"RE1001, 1002 und 1003", {1001, 1002, 1003}},
        {u"VZ FiBu 8400 RG 17", {17}},               // the debits' accounting text
        {u"Mitgliedsbeitrag 44", {44}},              // the association's own prefix
        {u"1001", {1001}},                           // the whole text
        {u" 17. ", {17}},
        // Never inside a date, an amount, a hectare figure, an IBAN or a postcode.
        {u"Beitrag 2026 vom 07.12.2026", {}},
        {u"Beitrag 2026", {}},
        {u"RE 4 + 3 EUR Ruecklastschriftgebuehr", {4}},
        {u"RE 4 + 3,00 Gebuehr", {4}},
        {u"Mitgliedsbeitrag Jahr 2026 16,5459ha  MandatNr.: 16", {}},
        {u"Nr. 16,5 ha", {}},
        {u"RE 12 ha Wald", {}},
        {u"Rechnung 07.12.2026", {}},
        {u"IBAN DE89370400440532013000 Beitrag", {}},
        {u"Hauptstr. 5, 80331 Muenchen", {}},
        {u"RE 1001, 80331 Muenchen", {1001}},
        {u"Mitgliedsbeitrag", {}},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(numbers(QString::fromUtf16(text)), expected) << QString::fromUtf16(text).toStdString();

    // A number broken over lines is offered joined beside its parts; the matching decides.
    const RemittanceReferences broken = referencesInRemittance(u"Rechnung Nr 8\n0 Woerle"_qs);
    EXPECT_EQ(broken.numbers, QList<qint64>{8});
    ASSERT_EQ(broken.broken.size(), 1);
    EXPECT_EQ(broken.broken[0].joined, 80);
    EXPECT_EQ(broken.broken[0].parts, (QList<qint64>{8, 0}));
    EXPECT_TRUE(referencesInRemittance(u"Rechnung Nr 8\n07.12.2026"_qs).broken.isEmpty());

    // RF references: valid check digits only, blanks as printed or not.
    EXPECT_EQ(referencesInRemittance(creditorReference(1001)).creditorReferences, QList<qint64>{1001});
    EXPECT_EQ(referencesInRemittance(u"Beitrag "_qs + printedCreditorReference(creditorReference(17)) + u" Danke"_qs)
                  .creditorReferences,
              QList<qint64>{17});
    EXPECT_TRUE(referencesInRemittance(u"RF41 1001"_qs).creditorReferences.isEmpty());
}

TEST(Matching, CreditorReferencesFollowIso11649)
{
    // The standard's own examples.
    for (const char16_t *valid : {u"RF18 5390 0754 7034", u"RF18539007547034", u"RF45G72UUR", u"RF6518K5", u"rf45g72uur"})
        EXPECT_TRUE(validCreditorReference(QString::fromUtf16(valid))) << QString::fromUtf16(valid).toStdString();
    for (const char16_t *invalid : {u"RF19 5390 0754 7034", u"RF18 5390 0754 7035", u"RF", u"RF18", u"XX18539007547034",
                                    u"RF18 1234 5678 9012 3456 7890 12"})
        EXPECT_FALSE(validCreditorReference(QString::fromUtf16(invalid))) << QString::fromUtf16(invalid).toStdString();
    EXPECT_EQ(creditorReference(1001), u"RF401001"_qs);
    EXPECT_EQ(printedCreditorReference(creditorReference(1001)), u"RF40 1001"_qs);
    for (const qint64 n : {qint64(1), qint64(7), qint64(99), qint64(1001), qint64(123456789), qint64(999999999999)}) {
        EXPECT_TRUE(validCreditorReference(creditorReference(n))) << n;
        EXPECT_EQ(invoiceOfCreditorReference(printedCreditorReference(creditorReference(n))), n);
    }
    EXPECT_EQ(invoiceOfCreditorReference(u"RF45G72UUR"_qs), std::nullopt); // valid, but no number of ours
}

TEST(Matching, TransfersByNumberThenIbanThenNameAndNeverAGuess)
{
    const struct {
        BankEntry entry;
        MatchKind kind;
        QList<qint64> documents; // assigned, or the candidates when ambiguous
    } cases[] = {
        {transfer(4500, u"X"_qs, {}, u"RE 1001"_qs, u"1"_qs), MatchKind::Paid, {1001}},
        {transfer(4500, u"Anna Müller"_qs, u"DE44 5001 0517 5407 3249 31"_qs, u"Beitrag"_qs, u"2"_qs), MatchKind::Paid, {1002}},
        // The same account pays for two owners: amount 20,00 fits 1003 only by IBAN.
        {transfer(2000, u"Karl Weber"_qs, u"DE44500105175407324931"_qs, u"Beitrag"_qs, u"3"_qs), MatchKind::Paid, {1003}},
        // By name and amount 1004 is left (1003 is paid now).
        {transfer(2000, u"WEBER, KARL"_qs, {}, u"Beitrag"_qs, u"4"_qs), MatchKind::Paid, {1004}},
        {transfer(4500, u"Niemand"_qs, {}, u"Spende"_qs, u"5"_qs), MatchKind::Unmatched, {}},
        {transfer(1000, u"X"_qs, {}, u"RE 1001"_qs, u"6"_qs), MatchKind::OverPaid, {1001}},
    };
    QList<BankEntry> entries;
    for (const auto &c : cases)
        entries.append(c.entry);
    const Matching m = matchEntries(entries, kDocuments, {}, {});
    for (int i = 0; i < int(std::size(cases)); ++i) {
        EXPECT_EQ(m.matches[i].kind, cases[i].kind) << i << m.matches[i].note.toStdString();
        QList<qint64> got;
        for (const Assignment &a : m.matches[i].assignments)
            got.append(a.number);
        EXPECT_EQ(got, cases[i].documents) << i;
    }

    // Two open documents of the same name and amount: listed, not guessed.
    QList<RegisteredDocument> twins{invoice(1, u"Weber Karl"_qs, 2000), invoice(2, u"Weber Karl"_qs, 2000)};
    const Matching ambiguous = matchEntries({transfer(2000, u"Karl Weber"_qs, {}, {}, u"7"_qs)}, twins, {}, {});
    EXPECT_EQ(ambiguous.matches[0].kind, MatchKind::Ambiguous);
    EXPECT_EQ(ambiguous.matches[0].candidates, (QList<qint64>{1, 2}));
    EXPECT_FALSE(ambiguous.applicable(ambiguous.matches[0]));

    // … until the clerk assigns it.
    Matching byHand = ambiguous;
    QString error;
    const OpenBalances balances(twins, {});
    EXPECT_FALSE(assignByHand(byHand, 0, 99, balances, &error));
    EXPECT_EQ(error, u"Die Rechnungsnummer 99 ist nicht vergeben."_qs);
    ASSERT_TRUE(assignByHand(byHand, 0, 2, balances, &error));
    EXPECT_EQ(byHand.matches[0].kind, MatchKind::Paid);
    EXPECT_TRUE(byHand.applicable(byHand.matches[0]));
}

TEST(Matching, BatchesAndReturnsFindTheirRun)
{
    BankEntry batch = transfer(6100, {}, {}, {}, u"B"_qs);
    batch.batchMessageId = u"10011004"_qs;
    batch.transactions.first().name.clear();
    // One entry per debit: only the debit named counts.
    BankEntry single = transfer(3100, {}, {}, {}, u"S"_qs);
    single.transactions.first().paymentInfoId = u"LS0010011004"_qs;
    single.transactions.first().endToEndId = u"M-2"_qs;

    BankEntry ret = transfer(3350, u"Debit M-1"_qs, {}, {}, u"R"_qs);
    ret.credit = false;
    ret.transactions.first().isReturn = true;
    ret.transactions.first().endToEndId = u"M-1"_qs;
    ret.transactions.first().originalCents = 3000;
    ret.transactions.first().returnCode = u"MD07"_qs;
    BankEntry unknownReturn = ret;
    unknownReturn.reference = u"R2"_qs;
    unknownReturn.transactions.first().endToEndId = u"M-9"_qs;
    unknownReturn.transactions.first().mandateId = u"M-9"_qs;
    BankEntry fee = transfer(500, u"Bank"_qs, {}, u"Kontoführung"_qs, u"F"_qs);
    fee.credit = false;

    const Matching m = matchEntries({batch, single, ret, unknownReturn, fee, batch}, kDocuments, {},
                                    {single.key()});
    EXPECT_EQ(m.matches[0].kind, MatchKind::BatchCredit);
    EXPECT_EQ(m.matches[0].assignments.size(), 2);
    EXPECT_EQ(m.matches[1].kind, MatchKind::AlreadyRead); // read before
    ASSERT_EQ(m.matches[2].kind, MatchKind::Returned);
    const Assignment &a = m.matches[2].assignments.first();
    EXPECT_EQ(a.number, 5001); // this year's debit of the mandate, not last year's
    EXPECT_EQ(a.cents, 3000);
    EXPECT_EQ(a.chargeCents, 350); // the entry's amount beyond the original debit
    EXPECT_EQ(a.reason, u"MD07"_qs);
    EXPECT_TRUE(m.matches[2].note.startsWith(u"Kontoinhaber verstorben"_qs));
    EXPECT_EQ(m.matches[3].kind, MatchKind::Unmatched);
    EXPECT_EQ(m.matches[4].kind, MatchKind::Unmatched);
    EXPECT_EQ(m.matches[4].note, u"keine Zahlung an den Verein"_qs);
    EXPECT_EQ(m.matches[5].kind, MatchKind::AlreadyRead); // the same entry twice in one reading

    // The balance: a return takes back the collected debit; before the credit it opens nothing twice.
    OpenBalances b(kDocuments, {{5001, PaymentKind::Returned, 3000, 0, u"AC04"_qs, {}}});
    EXPECT_EQ(b.open(5001), 3000);
    b.book({5001, PaymentKind::Collected, 3000, 0, {}});
    EXPECT_EQ(b.open(5001), 3000);
    b.book({5001, PaymentKind::Transfer, 3000, 0, {}});
    EXPECT_EQ(b.open(5001), 0);
    EXPECT_TRUE(b.returned(5001));
}

TEST(Matching, ReturnReasonsInGerman)
{
    const std::pair<const char16_t *, const char16_t *> cases[] = {
        {u"AC04", u"Konto erloschen"},     {u"md01", u"Kein Mandat"},
        {u"MD06", u"Erstattung auf Verlangen des Zahlers (Widerspruch)"},
        {u"AM04", u"Deckung unzureichend"}, {u"AC01", u"IBAN fehlerhaft"},
        {u"MD07", u"Kontoinhaber verstorben"}, {u"", u"Grund nicht angegeben"},
        {u"ZZ99", u"Rückgabegrund ZZ99 (unbekannter Code)"}};
    for (const auto &[code, text] : cases)
        EXPECT_EQ(returnReasonText(QString::fromUtf16(code)), QString::fromUtf16(text));
}

namespace {

// Short invoice numbers of several owners, so that any stray digit would name a document.
struct SmallRegister {
    QList<RegisteredDocument> documents;
    SmallRegister()
    {
        const QString names[] = {u"Woerle Josef"_qs, u"Schmidt Bernd"_qs, u"Weber Karl"_qs, u"Müller Anna"_qs,
                                 u"Fischer Eva"_qs};
        for (qint64 n = 1; n <= 99; ++n) {
            RegisteredDocument d =
                invoice(n, names[n % 5], 1000 + 10 * n, u"DE0012345678900000000"_qs + QString::number(n % 5));
            d.idPersonal = long(n % 5) + 1;
            if (n >= 10 && n < 20) { // fee notices collected by direct debit
                d.kind = DocumentKind::FeeNotice;
                d.way = PaymentWay::DirectDebit;
                d.mandate = u"M-"_qs + QString::number(n);
                d.files = u"SEPA_20261206.xml"_qs;
            }
            documents.append(d);
        }
    }
    const RegisteredDocument &operator[](qint64 n) const { return documents[n - 1]; }
};

BankEntry fromOwner(const RegisteredDocument &d, qint64 cents, const QString &text, const QString &ref = {})
{
    return transfer(cents, d.name, d.iban, text, ref);
}

QList<qint64> assigned(const Match &m)
{
    QList<qint64> numbers;
    for (const Assignment &a : m.assignments)
        numbers.append(a.number);
    return numbers;
}

} // namespace

TEST(Matching, NoPaymentIsBookedToAnotherOwnersDocumentOnAStrayNumber)
{
    const SmallRegister r;
    const RegisteredDocument &woerle80 = r[80], &fischer4 = r[4], &mueller3 = r[3], &weber7 = r[7];
    ASSERT_EQ(woerle80.name, u"Woerle Josef"_qs);
    ASSERT_EQ(r[8].name, u"Müller Anna"_qs);
    // Each case: the entry, what it becomes, the documents it books on (or lists).
    BankEntry ownDebit = transfer(r[16].grossCents, u"Weber Karl"_qs, {}, u"Mitgliedsbeitrag Jahr 2026 16,5459ha  MandatNr.: M-16"_qs, {});
    ownDebit.transactions.first().endToEndId = u"M-16"_qs;
    ownDebit.transactions.first().mandateId = u"M-16"_qs;
    BankEntry ownByCreditorId = transfer(1000, u"Weber Karl"_qs, {}, u"Beitrag 17 Mitgliedsbeitrag"_qs, {});
    ownByCreditorId.transactions.first().endToEndId = u"NOTPROVIDED"_qs;
    ownByCreditorId.transactions.first().creditorId = u"DE98 ZZZ 09999999999"_qs;
    BankEntry rf = transfer(r[99].grossCents, u"Jemand"_qs, {}, u"Danke"_qs, {});
    rf.transactions.first().remittance = printedCreditorReference(creditorReference(99));
    const struct {
        BankEntry entry;
        MatchKind kind;
        QList<qint64> documents;
    } cases[] = {
        {fromOwner(weber7, weber7.grossCents, u"Beitrag 2026 vom 07.12.2026"_qs), MatchKind::Paid, {7}}, // by IBAN, not "07"
        {transfer(weber7.grossCents, u"Unbekannt"_qs, {}, u"Beitrag 2026 vom 07.12.2026"_qs, {}), MatchKind::Unmatched, {}},
        {fromOwner(fischer4, fischer4.grossCents + 300, u"RE 4 + 3 EUR Ruecklastschriftgebuehr"_qs), MatchKind::OverPaid, {4}},
        // Our own debit, credited one per debit without the file's ids: collected, not a transfer.
        {ownDebit, MatchKind::BatchCredit, {16}},
        {ownByCreditorId, MatchKind::Unmatched, {}}, // ours by the creditor id, but no debit of 10,00 € for it is open
        // Broken over lines: the joined number is the payer's, the part is another owner's.
        {fromOwner(woerle80, woerle80.grossCents, u"Rechnung Nr 8\n0 Woerle"_qs), MatchKind::Paid, {80}},
        // The text names another owner's document than the payer's: for the clerk.
        {fromOwner(fischer4, mueller3.grossCents, u"RE 3"_qs), MatchKind::Disputed, {}},
        // A payer nobody knows may pay for anyone.
        {transfer(mueller3.grossCents, u"Nachbar"_qs, {}, u"RE 3"_qs, {}), MatchKind::Paid, {3}},
        {rf, MatchKind::Paid, {99}},
    };
    QList<BankEntry> entries;
    for (const auto &c : cases)
        entries.append(c.entry);
    MatchingOptions options;
    options.markers = {u"Mitgliedsbeitrag"_qs};
    options.creditorId = u"DE98ZZZ09999999999"_qs;
    const Matching m = matchEntries(entries, r.documents, {}, {}, options);
    for (int i = 0; i < int(std::size(cases)); ++i) {
        EXPECT_EQ(m.matches[i].kind, cases[i].kind) << i << ": " << m.matches[i].note.toStdString();
        EXPECT_EQ(assigned(m.matches[i]), cases[i].documents) << i;
    }
    EXPECT_EQ(m.matches[3].assignments.value(0).kind, PaymentKind::Collected);
    EXPECT_EQ(m.matches[6].candidates, QList<qint64>{3});
    EXPECT_FALSE(m.applicable(m.matches[6]));
    EXPECT_TRUE(m.matches[6].note.contains(mueller3.name)) << m.matches[6].note.toStdString();
    EXPECT_TRUE(m.matches[8].how.startsWith(u"Referenz RF"_qs)) << m.matches[8].how.toStdString();
    EXPECT_EQ(m.matches[5].how, u"Rechnungsnummer im Text"_qs);
    EXPECT_EQ(m.matches[0].how, u"IBAN und Betrag"_qs);

    // The printout: payer, text, the document with its owner, and why.
    const QString line = matchLine(m, 5);
    EXPECT_TRUE(line.contains(u"Woerle Josef  „Rechnung Nr 8 0 Woerle“  bezahlt: Beleg 80 Woerle Josef – "
                              "Rechnungsnummer im Text"_qs))
        << line.toStdString();
    EXPECT_TRUE(matchLine(m, 3).contains(u"Datei SEPA_20261206.xml, 1 Lastschrift (11,60 €)"_qs))
        << matchLine(m, 3).toStdString();

    // The clerk assigns the disputed one after all.
    Matching byHand = m;
    QString error;
    ASSERT_TRUE(assignByHand(byHand, 6, 4, OpenBalances(r.documents, {}), &error)) << error.toStdString();
    EXPECT_TRUE(byHand.applicable(byHand.matches[6]));
}

TEST(Matching, EqualPaymentsWithoutBankReferenceStayTwoAndForeignMoneyIsNeverEuro)
{
    const SmallRegister r;
    BankEntry a = transfer(1000, u"Anna Müller"_qs, {}, u"Beitrag"_qs, u"NONREF"_qs);
    a.statementId = u"2027-01/4"_qs;
    a.position = 1;
    BankEntry b = a;
    b.position = 2;
    b.transactions.first().name = u"Josef Woerle"_qs;
    BankEntry same = a; // the same statement read again
    EXPECT_NE(a.key(), b.key());
    EXPECT_EQ(a.key(), same.key());
    EXPECT_FALSE(a.hasBankReference());
    BankEntry noRef = a;
    noRef.reference.clear();
    EXPECT_FALSE(noRef.identity().isEmpty());
    BankEntry real = a;
    real.reference = u"2027011500042"_qs;
    EXPECT_EQ(real.identity(), u"2027011500042"_qs);

    // Two owners pay the same amount on the same day: both recorded; the same file again: read.
    QList<RegisteredDocument> documents{invoice(1, u"Müller Anna"_qs, 1000), invoice(2, u"Woerle Josef"_qs, 1000)};
    documents[1].idPersonal = 2;
    const Matching m = matchEntries({a, b}, documents, {}, {});
    EXPECT_EQ(m.matches[0].kind, MatchKind::Paid);
    EXPECT_EQ(m.matches[1].kind, MatchKind::Paid);
    EXPECT_EQ(m.count(MatchKind::AlreadyRead), 0);
    EXPECT_EQ(matchEntries({same}, documents, {}, {a.key(), b.key()}).matches[0].kind, MatchKind::AlreadyRead);

    // 10,00 in USD or CHF is no payment of 10,00 €.
    for (const QString &currency : {u"USD"_qs, u"CHF"_qs}) {
        BankEntry foreign = transfer(1000, u"Müller Anna"_qs, {}, u"RE 1"_qs, u"F-"_qs + currency);
        foreign.currency = currency;
        const Matching f = matchEntries({foreign}, documents, {}, {});
        EXPECT_EQ(f.matches[0].kind, MatchKind::Foreign);
        EXPECT_FALSE(f.applicable(f.matches[0]));
        EXPECT_TRUE(matchLine(f, 0).contains(u"+10,00 "_qs + currency)) << matchLine(f, 0).toStdString();
        Matching byHand = f;
        QString error;
        EXPECT_FALSE(assignByHand(byHand, 0, 1, OpenBalances(documents, {}), &error));
    }
    // An account kept in another currency: nothing of it is euro.
    BankEntry chfAccount = transfer(1000, u"Müller Anna"_qs, {}, u"RE 1"_qs, u"C"_qs);
    chfAccount.currency = u"CHF"_qs;
    chfAccount.accountCurrency = u"CHF"_qs;
    EXPECT_TRUE(chfAccount.foreignCurrency());
}

TEST(Matching, ReturnsAndReversalsReopenTheirDocument)
{
    const SmallRegister r;
    const RegisteredDocument &d12 = r[12], &d13 = r[13], &d14 = r[14];
    // Collected before: three debits, and a transfer paying invoice 30.
    const QList<RecordedPayment> before{{12, PaymentKind::Collected, d12.grossCents, 0, {}, {}},
                                        {13, PaymentKind::Collected, d13.grossCents, 0, {}, {}},
                                        {14, PaymentKind::Collected, d14.grossCents, 0, {}, {}},
                                        {30, PaymentKind::Transfer, r[30].grossCents, 0, {}, {}}};
    // 14,20 = 11,20 + charges 3,00, no amount details.
    BankEntry charged = transfer(d12.grossCents + 300, d12.name, {}, {}, u"R1"_qs);
    charged.credit = false;
    charged.chargeCents = 300;
    charged.transactions.first().isReturn = true;
    charged.transactions.first().endToEndId = d12.mandate;
    charged.transactions.first().returnCode = u"AM04"_qs;
    // Marked only by the bank transaction code and our mandate.
    BankEntry byCode = transfer(d13.grossCents, d13.name, {}, u"RUECKGABE"_qs, u"R2"_qs);
    byCode.credit = false;
    byCode.bankCode = u"PMNT/RDDT/UPDD"_qs;
    byCode.transactions.first().bankCode = byCode.bankCode;
    byCode.transactions.first().endToEndId = d13.mandate;
    BankEntry byGvc = byCode;
    byGvc.reference = u"R3"_qs;
    byGvc.cents = d14.grossCents;
    byGvc.transactions.first().cents = d14.grossCents;
    byGvc.bankCode.clear();
    byGvc.transactions.first().bankCode.clear();
    byGvc.proprietaryCode = u"NDDT+109+00900"_qs;
    byGvc.transactions.first().endToEndId = d14.mandate;
    // The same code without our mandate is someone else's debit.
    BankEntry notOurs = byCode;
    notOurs.reference = u"R4"_qs;
    notOurs.transactions.first().endToEndId = u"FREMD"_qs;
    // The reversal of the transfer for invoice 30.
    BankEntry reversal = fromOwner(r[30], r[30].grossCents, u"RE 30"_qs, u"S1"_qs);
    reversal.credit = false;
    reversal.reversal = true;

    const Matching m = matchEntries({charged, byCode, byGvc, notOurs, reversal}, r.documents, before, {});
    ASSERT_EQ(m.matches[0].kind, MatchKind::Returned) << m.matches[0].note.toStdString();
    EXPECT_EQ(m.matches[0].assignments[0].cents, d12.grossCents);
    EXPECT_EQ(m.matches[0].assignments[0].chargeCents, 300);
    EXPECT_EQ(m.matches[1].kind, MatchKind::Returned);
    EXPECT_EQ(assigned(m.matches[1]), QList<qint64>{13});
    EXPECT_EQ(m.matches[2].kind, MatchKind::Returned);
    EXPECT_EQ(assigned(m.matches[2]), QList<qint64>{14});
    EXPECT_EQ(m.matches[3].kind, MatchKind::Unmatched);
    ASSERT_EQ(m.matches[4].kind, MatchKind::Reversed) << m.matches[4].note.toStdString();
    EXPECT_EQ(assigned(m.matches[4]), QList<qint64>{30});

    OpenBalances after(r.documents, before);
    for (const Match &match : m.matches)
        for (const Assignment &a : match.assignments)
            after.book(a);
    for (const qint64 n : {12, 13, 14, 30})
        EXPECT_EQ(after.open(n), r[n].grossCents) << n;

    // A return the program could not place is assigned by hand, with the bank's charge.
    BankEntry unknown = charged;
    unknown.reference = u"R5"_qs;
    unknown.transactions.first().endToEndId = u"VERSTUemmelt"_qs;
    Matching byHand = matchEntries({unknown}, r.documents, before, {});
    EXPECT_EQ(byHand.matches[0].kind, MatchKind::Unmatched);
    QString error;
    EXPECT_FALSE(assignByHand(byHand, 0, 30, OpenBalances(r.documents, before), &error)); // no debit
    EXPECT_TRUE(error.contains(u"Lastschrift"_qs)) << error.toStdString();
    ASSERT_TRUE(assignByHand(byHand, 0, 12, OpenBalances(r.documents, before), &error)) << error.toStdString();
    EXPECT_EQ(byHand.matches[0].kind, MatchKind::Returned);
    EXPECT_EQ(byHand.matches[0].assignments[0].kind, PaymentKind::Returned);
    EXPECT_EQ(byHand.matches[0].assignments[0].cents, d12.grossCents);
    EXPECT_EQ(byHand.matches[0].assignments[0].chargeCents, 300);
    EXPECT_TRUE(byHand.applicable(byHand.matches[0]));
}
