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

// One page per owner. The sender line and the address sit in the window of a DIN 5008
// envelope: 945 twips from the left margin, 2085 and 3380 twips from the top one. The
// address window, the sum and the VAT block lie in the left half of the page, so that the
// layout for other currencies can move them into a window on the right.
ReportDesign RechnungDesign()
{
    ReportDesign d(QStringLiteral("Rechnung"), QStringLiteral("Rechnung"));
    d.LeftMargin = 300;
    d.RightMargin = 567;
    d.TopMargin = 567;
    d.BottomMargin = 567;
    d.NewPagePerRow = true;
    d.section(SectionKind::Detail).Height = d.bodyHeight();
    const int left = 945;
    const int width = 9900;

    // Letterhead, with the logo on the right.
    text(d, QStringLiteral("Text30"), QStringLiteral("Kopf1"), left, 0, 7000, 400, 14).FontBold = true;
    for (int i = 2; i <= 5; ++i)
        text(d, QStringLiteral("Text") + QString::number(28 + i), QStringLiteral("Kopf") + QString::number(i), left,
             420 + (i - 2) * 230, 7000, 230, 9);
    ReportControl logo;
    logo.Name = QStringLiteral("Symbol1");
    logo.Kind = ControlKind::Image;
    logo.Left = 8300;
    logo.Top = 0;
    logo.Width = 2500;
    logo.Height = 1350;
    d.add(SectionKind::Detail, std::move(logo));
    d.line(SectionKind::Detail, QStringLiteral("Linie2"), left, 1500, width);

    // Sender line and address in the envelope window.
    auto &sender = text(d, QStringLiteral("Text35"), QStringLiteral("Absender"), left, 2085, 4800, 200, 6.5);
    sender.WordWrap = false;
    text(d, QStringLiteral("Text1"), QStringLiteral("Anrede"), left, 3380, 4700, 1600, 10);

    // The sender block on the right (letterhead lines without the letterhead).
    const char16_t *block[] = {u"Text7", u"Text6", u"Text19", u"Text20", u"Text21", u"Text36", u"Text39"};
    for (int i = 0; i < 7; ++i)
        text(d, QString::fromUtf16(block[i]), QStringLiteral("Header") + QString::number(i + 1), 6600,
             2085 + i * 240, 4300, 240, 9);

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

    // The fee blocks: header line and detail text in a fixed-pitch font, small enough
    // for the widest line and for three detail lines above the sum line.
    const char16_t *fees[][2] = {{u"Text9", u"Text18"}, {u"Text22", u"Text23"}, {u"Text24", u"Text25"},
                                 {u"Text26", u"Text27"}, {u"Text28", u"Text29"}};
    for (int n = 0; n < 5; ++n) {
        const int top = 6850 + n * 750;
        auto &head = text(d, QString::fromUtf16(fees[n][0]), QStringLiteral("BeitragKopf") + QString::number(n + 1),
                          left, top, width, 160, 6.5);
        head.FontName = QStringLiteral("Courier New");
        auto &detail = text(d, QString::fromUtf16(fees[n][1]), QStringLiteral("Beitrag") + QString::number(n + 1),
                            left, top + 160, width, 450, 6.5);
        detail.FontName = QStringLiteral("Courier New");
    }

    // Sum, VAT and free text; their tops follow the last printed fee at run time.
    const int a = 6850 + 160;
    d.line(SectionKind::Detail, QStringLiteral("Linie1"), left, a + 450, width);
    // The sum ends where the fee amounts end (97 characters of 6.5 point Courier).
    auto &sumCaption = text(d, QStringLiteral("Text16"), QStringLiteral("txtSumme"), 3400, a + 550, 2500, 260);
    sumCaption.Alignment = Qt::AlignRight;
    auto &sum = text(d, QStringLiteral("Text10"), QStringLiteral("Summe"), 6000, a + 550, 2511, 260);
    sum.Alignment = Qt::AlignRight;
    sum.FontBold = true;
    auto &vatTexts = text(d, QStringLiteral("Text2"), QStringLiteral("txtSteuer"), left, a + 710, 3300, 1200, 9);
    vatTexts.SkipBlankLines = true;
    text(d, QStringLiteral("Text3"), QStringLiteral("Steuer"), 4300, a + 710, 1300, 1200, 9).Alignment =
        Qt::AlignRight;
    text(d, QStringLiteral("Text14"), QStringLiteral("FixText"), left, a + 1500, width, 3000, 10);

    auto &bank = text(d, QStringLiteral("Text37"), QStringLiteral("Bankverbindung"), left, d.bodyHeight() - 600,
                      width, 260, 9);
    bank.Alignment = Qt::AlignHCenter;
    // The marker a mailing service splits the print job at.
    label(QStringLiteral("Bezeichnung1"), QStringLiteral("[[NeuerBrief]]"), left, d.bodyHeight() - 250, 2000)
        .FontSize = 5;
    return d;
}

} // namespace qvl
