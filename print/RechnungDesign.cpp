#include "print/ReportDesigns.h"

namespace qvl {

namespace {

ReportControl &text(ReportDesign &d, const QString &name, const QString &column, int left, int top, int width,
                    int height, double size = 10)
{
    auto &c = d.textBox(SectionKind::Detail, name, column, left, top, width, height);
    c.FontSize = size;
    return c;
}

} // namespace

// One letter per owner, starting on a new page. The sender line and the address sit in the
// window of a DIN 5008 envelope: 945 twips from the left margin, 2085 and 3380 twips from
// the top one; the window ends 90 mm below the paper's top edge. The address window, the
// sum and the VAT block lie in the left half of the page, so that the layout for other
// currencies can move them into a window on the right. A letter longer than its page goes
// on on a second one, headed by the sender, the addressee, the invoice number and the page.
ReportDesign RechnungDesign()
{
    ReportDesign d(QStringLiteral("Rechnung"), QStringLiteral("Rechnung"));
    d.LeftMargin = 300;
    d.RightMargin = 567;
    d.TopMargin = 567;
    d.BottomMargin = 567;
    d.NewPagePerRow = true;
    const int footer = 700;
    d.section(SectionKind::Detail).Height = d.bodyHeight() - footer;
    const int left = 945;
    const int width = 9900;

    // Letterhead, with the logo on the right; a long name takes a smaller font.
    auto &name = text(d, QStringLiteral("Text30"), QStringLiteral("Kopf1"), left, 0, 7250, 400, 14);
    name.FontBold = true;
    name.MinFontSize = 8;
    for (int i = 2; i <= 5; ++i)
        text(d, QStringLiteral("Text") + QString::number(29 + i), QStringLiteral("Kopf") + QString::number(i), left,
             420 + (i - 2) * 230, 7250, 230, 9);
    ReportControl logo;
    logo.Name = QStringLiteral("Symbol1");
    logo.Kind = ControlKind::Image;
    logo.Left = 8300;
    logo.Top = 0;
    logo.Width = 2500;
    logo.Height = 1350;
    d.add(SectionKind::Detail, std::move(logo));
    d.line(SectionKind::Detail, QStringLiteral("Linie2"), left, 1500, width);

    // Sender line and address in the envelope window: they never move. The sender line
    // stays one line (smaller, then shortened); an address of six lines starts higher so
    // that it still ends inside the window.
    auto &sender = text(d, QStringLiteral("Text35"), QStringLiteral("Absender"), left, 2085, 4800, 200, 6.5);
    sender.WordWrap = false;
    sender.MinFontSize = 6;
    sender.Fixed = true;
    auto &address = text(d, QStringLiteral("Text1"), QStringLiteral("Anrede"), left, 3380, 4700, 1155, 10);
    address.RaiseLimit = 400;
    address.MinFontSize = 8; // a line too long for the window: smaller, not a line more
    address.Fixed = true;

    // The sender block on the right (letterhead lines without the letterhead).
    const char16_t *block[] = {u"Text7", u"Text6", u"Text19", u"Text20", u"Text21", u"Text36", u"Text39"};
    for (int i = 0; i < 7; ++i)
        text(d, QString::fromUtf16(block[i]), QStringLiteral("Header") + QString::number(i + 1), 6600,
             2085 + i * 240, 4300, 240, 9)
            .MinFontSize = 7;

    text(d, QStringLiteral("Text17"), QStringLiteral("Header"), left, 5500, width, 350, 12).FontBold = true;

    const auto label = [&](const QString &name, const QString &caption, int x, int y, int w) -> ReportControl & {
        return d.label(SectionKind::Detail, name, caption, x, y, w, 260);
    };
    label(QStringLiteral("Bezeichnung8"), QStringLiteral("Rechnung Nr."), left, 6050, 1300);
    text(d, QStringLiteral("Text12"), QStringLiteral("RechNr"), 2250, 6050, 1100, 260);
    label(QStringLiteral("Bezeichnung9"), QStringLiteral("vom"), 3400, 6050, 500);
    text(d, QStringLiteral("Text13"), QStringLiteral("Datum"), 3900, 6050, 1300, 260).DataFormat =
        QStringLiteral("dd.mm.yyyy");
    label(QStringLiteral("bzMitgliedsNr"), QStringLiteral("Mitgl. Nr.:"), 5600, 6050, 1300);
    text(d, QStringLiteral("Text15"), QStringLiteral("Nummer"), 6900, 6050, 3950, 260);
    label(QStringLiteral("bzFibNummer"), QStringLiteral("Fibu-Nr.:"), 5600, 6320, 1300);
    text(d, QStringLiteral("Text40"), QStringLiteral("FibNummer"), 6900, 6320, 3950, 260);

    // The fee blocks: header line and detail text in a fixed-pitch font, as large as the
    // run's longest line allows (set per run, kFeeFontSize at most), with room for three
    // detail lines.
    const char16_t *fees[][2] = {{u"Text9", u"Text18"}, {u"Text22", u"Text23"}, {u"Text24", u"Text25"},
                                 {u"Text26", u"Text27"}, {u"Text28", u"Text29"}};
    for (int n = 0; n < 5; ++n) {
        const int top = kFeeTop + n * kFeeBlock;
        auto &head = text(d, QString::fromUtf16(fees[n][0]), QStringLiteral("BeitragKopf") + QString::number(n + 1),
                          left, top, width, kFeeHeader, kFeeFontSize);
        head.FontName = QStringLiteral("Courier New");
        auto &detail = text(d, QString::fromUtf16(fees[n][1]), QStringLiteral("Beitrag") + QString::number(n + 1),
                            left, top + kFeeHeader, width, kFeeBlock - kFeeHeader, kFeeFontSize);
        detail.FontName = QStringLiteral("Courier New");
    }

    // Sum, VAT and free text; their tops follow the last printed fee at run time.
    const int a = kFeeTop + kFeeHeader;
    d.line(SectionKind::Detail, QStringLiteral("Linie1"), left, a + 450, width);
    auto &sumCaption = text(d, QStringLiteral("Text16"), QStringLiteral("txtSumme"), 3400, a + 550, 2500, 260);
    sumCaption.Alignment = Qt::AlignRight;
    // The sum ends where the fee amounts end (set per run with the fee font).
    auto &sum = text(d, QStringLiteral("Text10"), QStringLiteral("Summe"), 6000, a + 550, 2511, 260);
    sum.Alignment = Qt::AlignRight;
    sum.WordWrap = false;
    sum.FontBold = true;
    // One VAT line beside each amount: a long one takes a smaller font before a second line.
    auto &vatTexts = text(d, QStringLiteral("Text2"), QStringLiteral("txtSteuer"), left, a + 710, 3300, 230, 9);
    vatTexts.SkipBlankLines = true;
    vatTexts.MinFontSize = 6;
    auto &vatAmounts = text(d, QStringLiteral("Text3"), QStringLiteral("Steuer"), 4300, a + 710, 1300, 230, 9);
    vatAmounts.Alignment = Qt::AlignRight;
    vatAmounts.WordWrap = false;
    // Below VAT put on top, the amount debited or asked for: bold and larger than the
    // subtotal above it, the most prominent figure of the block.
    auto &totalCaption = text(d, QStringLiteral("Text41"), QStringLiteral("GesamtText"), 3400, a + 1060, 2500, 300, 11);
    totalCaption.Alignment = Qt::AlignRight;
    totalCaption.FontBold = true;
    auto &total = text(d, QStringLiteral("Text42"), QStringLiteral("Gesamt"), 6000, a + 1060, 2511, 300, 11);
    total.Alignment = Qt::AlignRight;
    total.WordWrap = false;
    total.FontBold = true;
    // Beside the free text, a letter that asks for a transfer carries the GiroCode a banking
    // app reads (2,5 cm: read by every app, and with five fees still on the letter's page);
    // the other letters leave it empty.
    text(d, QStringLiteral("Text14"), QStringLiteral("FixText"), left, a + 1500, width - kGiroCodeSide - 200, 3000, 10);
    ReportControl qr;
    qr.Name = QStringLiteral("GiroCode");
    qr.Kind = ControlKind::QrCode;
    qr.DataField = QStringLiteral("GiroCode");
    qr.Left = left + width - kGiroCodeSide;
    qr.Top = a + 1500;
    qr.Width = kGiroCodeSide;
    qr.Height = kGiroCodeSide;
    d.add(SectionKind::Detail, std::move(qr));
    text(d, QStringLiteral("GiroCodeText"), QStringLiteral("GiroCodeText"), left + width - kGiroCodeSide,
         a + 1500 + kGiroCodeSide + 50, kGiroCodeSide, 500, 7);

    // At the foot of every page the association's bank. Where a letter begins is the
    // report's own knowledge (Report::pagesOfRow); nothing on the paper marks it.
    d.section(SectionKind::PageFooter).Height = footer;
    auto &bank = d.textBox(SectionKind::PageFooter, QStringLiteral("Text37"), QStringLiteral("Bankverbindung"), left,
                           100, width, 260);
    bank.FontSize = 9;
    bank.Alignment = Qt::AlignHCenter;

    // The head of a letter's further pages.
    ReportSection &more = d.section(SectionKind::PageHeader);
    more.On = PrintOn::RowContinuation;
    more.Height = 1250;
    auto &moreSender = d.textBox(SectionKind::PageHeader, QStringLiteral("txtFolgeAbsender"), QStringLiteral("Kopf1"),
                                 left, 0, 7500, 260);
    moreSender.FontBold = true;
    moreSender.WordWrap = false;
    moreSender.MinFontSize = 7;
    d.label(SectionKind::PageHeader, QStringLiteral("bzFolgeSeite"), QStringLiteral("Seite %r"), left + width - 2000, 0,
            2000, 260)
        .Alignment = Qt::AlignRight;
    auto &moreAddressee = d.textBox(SectionKind::PageHeader, QStringLiteral("txtFolgeEmpfaenger"),
                                    QStringLiteral("Anrede"), left, 300, width, 260);
    moreAddressee.FirstLines = 2;
    moreAddressee.WordWrap = false;
    moreAddressee.MinFontSize = 7;
    d.label(SectionKind::PageHeader, QStringLiteral("bzFolgeRechnung"), QStringLiteral("Rechnung Nr."), left, 600, 1300,
            260);
    d.textBox(SectionKind::PageHeader, QStringLiteral("txtFolgeRechNr"), QStringLiteral("RechNr"), 2250, 600, 1100,
              260);
    d.line(SectionKind::PageHeader, QStringLiteral("LinieFolge"), left, 1000, width);
    return d;
}

} // namespace qvl
