#include "bank/Matching.h"
#include "bank/ReturnReasons.h"

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

TEST(Matching, RemittanceNumbersTolerateBlanksPrefixesAndLineBreaks)
{
    const QSet<qint64> known{1001, 1002, 1003, 2026, 10011002};
    const auto isKnown = [&](qint64 n) { return known.contains(n); };
    const std::pair<const char16_t *, QList<qint64>> cases[] = {
        {u"RE 1001", {1001}},
        {u"Rechnung Nr. 1001", {1001}},
        {u"Rechnungsnr.1002 Beitrag 2026", {1002}}, // the year beside a prefixed number is no invoice
        {u"Beitrag 2026", {2026}},                  // alone it may be one
        {u"RE1001, 1002 und 1003", {1001, 1002, 1003}},
        {u"Rechnung 10\n01", {1001}},               // broken by the bank's line length
        {u"Mitgliedsbeitrag", {}},
        {u"Nr 999", {}},
    };
    for (const auto &[text, numbers] : cases)
        EXPECT_EQ(numbersInRemittance(QString::fromUtf16(text), isKnown), numbers) << QString::fromUtf16(text).toStdString();
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
