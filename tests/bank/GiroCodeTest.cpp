// The GiroCode a transfer request prints: the payload as EPC069-12 writes it, and the code
// on the painted letter read back by a QR reader (zbarimg), field by field.
#include "bank/PaymentReports.h"
#include "core/CreditorReference.h"
#include "core/GiroCode.h"
#include "print/QrCode.h"
#include "support/QrReader.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kIban = u"DE02120300000000202051"_qs;

OpenItem returnedItem(qint64 number, qint64 gross, qint64 open)
{
    OpenItem item;
    item.document.number = number;
    item.document.kind = DocumentKind::FeeNotice;
    item.document.way = PaymentWay::DirectDebit;
    item.document.name = u"Weber Karl"_qs;
    item.document.idPersonal = 7;
    item.document.grossCents = gross;
    item.document.date = QDate(2026, 12, 6);
    item.document.due = QDate(2027, 1, 4);
    item.openCents = open;
    item.returned = true;
    item.returnCode = u"AM04"_qs;
    item.returnedOn = QDate(2027, 1, 8);
    return item;
}

} // namespace

TEST(GiroCode, PayloadFollowsEpc069)
{
    const QString payload = giroCodePayload({u"BYLADEM1001"_qs, u"FBG Musterwald w.V."_qs, u"DE02 1203 0000 0000 2020 51"_qs,
                                             Money(4750), creditorReference(1001)});
    EXPECT_EQ(payload, u"BCD\n002\n1\nSCT\nBYLADEM1001\nFBG Musterwald w.V.\nDE02120300000000202051\nEUR47.50\n\n"
                       "RF401001"_qs);
    // Without a BIC (version 002 allows it), a name cut to 70 characters.
    const QString longName = QString(80, u'W');
    EXPECT_EQ(giroCodePayload({{}, longName, kIban, Money(1), creditorReference(7)}).split(u'\n').mid(4, 4),
              (QStringList{QString(), QString(70, u'W'), kIban, u"EUR0.01"_qs}));
    // No code the app would refuse: a wrong IBAN, no amount, too much, no name.
    EXPECT_TRUE(giroCodePayload({{}, u"FBG"_qs, u"DE02120300000000202052"_qs, Money(100), {}}).isEmpty());
    EXPECT_TRUE(giroCodePayload({{}, u"FBG"_qs, kIban, Money(0), {}}).isEmpty());
    EXPECT_TRUE(giroCodePayload({{}, u"FBG"_qs, kIban, Money(100000000000), {}}).isEmpty());
    EXPECT_TRUE(giroCodePayload({{}, u" "_qs, kIban, Money(100), {}}).isEmpty());
}

TEST(GiroCode, TheLetterPrintsACodeABankingAppReads)
{
    if (!haveQrReader())
        GTEST_SKIP() << "zbarimg (zbar-tools) fehlt";
    LetterOptions options;
    options.kind = LetterKind::Returns;
    options.today = QDate(2027, 1, 20);
    options.returnFeeCents = 300;
    options.sender = {.name = u"FBG Mußterwald w.V."_qs, .street = u"Forststraße 1"_qs, .postcode = u"83022"_qs,
                      .town = u"Rosenheim"_qs, .bank = u"Sparkasse"_qs, .iban = kIban, .bic = u"BYLADEM1001"_qs};
    // After a partial payment: 8,00 € open of 10,00 €, with the fee 11,00 €.
    const Report letters = paymentLetters({returnedItem(17, 1000, 800)}, {}, options);
    ASSERT_EQ(letters.pageCount(), 1);
    const QString body = letters.rows().text(0, letters.rows().columnIndex(u"Brieftext"_qs));
    EXPECT_TRUE(body.contains(u"Bitte überweisen Sie 11,00 € (8,00 € offen zuzüglich unserer Rücklastschriftgebühr "
                              "von 3,00 €)"_qs))
        << body.toStdString();
    const QString reference = printedCreditorReference(creditorReference(17));
    EXPECT_TRUE(body.contains(u"Verwendungszweck „"_qs + reference + u"“"_qs)) << body.toStdString();

    // The page painted as a printer would, at 200 dpi, and read back.
    const QImage page = paintedPage([&](QImage &image) {
        QPainter painter(&image);
        letters.paintPage(painter, 0);
    });
    const QString read = decodeQr(page);
    const QStringList fields = read.trimmed().split(u'\n');
    ASSERT_EQ(fields.size(), 10) << read.toStdString();
    EXPECT_EQ(fields[0], u"BCD"_qs);
    EXPECT_EQ(fields[1], u"002"_qs);
    EXPECT_EQ(fields[2], u"1"_qs); // UTF-8
    EXPECT_EQ(fields[3], u"SCT"_qs);
    EXPECT_EQ(fields[4], u"BYLADEM1001"_qs);
    EXPECT_EQ(fields[5], u"FBG Mußterwald w.V."_qs);
    EXPECT_EQ(fields[6], kIban);
    EXPECT_EQ(fields[7], u"EUR11.00"_qs);
    EXPECT_EQ(fields[8], QString());
    EXPECT_EQ(fields[9], creditorReference(17));
    EXPECT_TRUE(validCreditorReference(fields[9]));
    EXPECT_EQ(invoiceOfCreditorReference(fields[9]), 17);

    // A reminder asks for what is open, without a fee.
    options.kind = LetterKind::Reminders;
    const Report reminder = paymentLetters({returnedItem(17, 1000, 800)}, {}, options);
    EXPECT_TRUE(reminder.rows().text(0, reminder.rows().columnIndex(u"GiroCode"_qs)).contains(u"\nEUR8.00\n"_qs));

    // Without a usable account of the association no code is printed, and nothing reads one.
    options.sender.iban = u"DE00"_qs;
    const Report none = paymentLetters({returnedItem(17, 1000, 800)}, {}, options);
    for (const ReportItem &item : none.pageItems(0))
        EXPECT_NE(item.control->Kind, ControlKind::QrCode);
}

// A letter greets a named woman or man by name, anyone else as before.
TEST(PaymentLetters, TheSalutationNamesTheOwnerWhereTheAddressSaysWho)
{
    const struct {
        OwnerAddress address;
        const char16_t *salutation;
    } cases[] = {
        {{u"Frau"_qs, u"Anna Adler"_qs, {}, {}, u"Adler"_qs}, u"Sehr geehrte Frau Adler,"},
        {{u" frau "_qs, u"Anna Adler"_qs, {}, {}, u"Adler"_qs}, u"Sehr geehrte Frau Adler,"},
        {{u"Herrn"_qs, u"Hans Zeller"_qs, {}, {}, u"Zeller"_qs}, u"Sehr geehrter Herr Zeller,"},
        {{u"Herr"_qs, u"Hans Zeller"_qs, {}, {}, u"Zeller"_qs}, u"Sehr geehrter Herr Zeller,"},
        {{u"Familie"_qs, u"Weber"_qs, {}, {}, u"Weber"_qs}, u"Sehr geehrte Damen und Herren,"},
        {{u"Firma"_qs, u"Holz GmbH"_qs, {}, {}, u"Holz GmbH"_qs}, u"Sehr geehrte Damen und Herren,"},
        {{u"Frau"_qs, u""_qs, {}, {}, u""_qs}, u"Sehr geehrte Damen und Herren,"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(letterSalutation(c.address), QString::fromUtf16(c.salutation)) << c.address.salutation.toStdString();

    // The built-in texts of both letters begin with it.
    LetterOptions options;
    options.today = QDate(2027, 1, 20);
    for (const LetterKind kind : {LetterKind::Returns, LetterKind::Reminders}) {
        options.kind = kind;
        const Report letters = paymentLetters({returnedItem(17, 1000, 800)},
                                              {{7, OwnerAddress{u"Frau"_qs, u"Karla Weber"_qs, {}, {}, u"Weber"_qs}}},
                                              options);
        const QString body = letters.rows().text(0, letters.rows().columnIndex(u"Brieftext"_qs));
        EXPECT_TRUE(body.startsWith(u"Sehr geehrte Frau Weber,\n\n"_qs)) << body.toStdString();
    }
}
