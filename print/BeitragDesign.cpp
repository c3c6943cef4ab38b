#include "print/ReportDesigns.h"

namespace qvl {

// Landscape: the IBAN and the 27-character remittance line need the room.
ReportDesign BeitragDesign()
{
    ReportDesign d(QStringLiteral("Beitrag"), QStringLiteral("Einzelbuchungen SEPA"), QPageLayout::Landscape);
    d.section(SectionKind::ReportHeader).Height = 700;
    auto &title = d.label(SectionKind::ReportHeader, QStringLiteral("Bezeichnung1"),
                          QStringLiteral("Einzelbuchungen SEPA"), 0, 0, 8000, 500);
    title.FontSize = 16;
    title.FontBold = true;

    struct Column {
        const char16_t *caption;
        const char16_t *field;
        int width;
        bool right;
    };
    // In the order of the list; BLZ (the BIC) is not shown.
    const Column columns[] = {
        {u"Nachname", u"Name", 2700, false},        {u"Vorname", u"Vorname", 2000, false},
        {u"Mitgliedsnr.", u"Nummer", 1200, true},   {u"IBAN", u"Konto", 3300, false},
        {u"Verwendungszw.", u"Text", 3000, false},  {u"Betrag", u"Betrag", 1200, true},
        {u"Rechn.Nr", u"RechnungsNr", 1000, true},  {u"FibNr", u"FibNr", 900, false},
    };
    d.section(SectionKind::PageHeader).Height = 400;
    d.section(SectionKind::Detail).Height = 250;
    int left = 0;
    int n = 9;
    for (const Column &c : columns) {
        // A blank between neighbouring columns.
        const int inner = c.width - 120;
        const int x = c.right ? left : left + (left > 0 ? 120 : 0);
        auto &caption = d.label(SectionKind::PageHeader, QStringLiteral("Bezeichnung") + QString::number(n),
                                QString::fromUtf16(c.caption), x, 0, inner, 300);
        caption.FontSize = 9;
        caption.FontBold = true;
        auto &value = d.textBox(SectionKind::Detail, QStringLiteral("Text") + QString::number(n - 8),
                                QString::fromUtf16(c.field), x, 0, inner, 250);
        value.FontSize = 9;
        value.WordWrap = false;
        if (c.right) {
            caption.Alignment = Qt::AlignRight;
            value.Alignment = Qt::AlignRight;
        }
        if (QStringView(c.field) == u"Betrag")
            value.DataFormat = QStringLiteral("#.##0,00");
        if (QStringView(c.field) == u"Text")
            value.FontName = QStringLiteral("Courier New");
        left += c.width;
        ++n;
    }
    d.line(SectionKind::PageHeader, QStringLiteral("Linie1"), 0, 330, left);

    d.section(SectionKind::PageFooter).Height = 400;
    d.label(SectionKind::PageFooter, QStringLiteral("Bezeichnung2"), QStringLiteral("Seite: %p"), left - 2000, 100,
            2000, 300)
        .Alignment = Qt::AlignRight;

    d.section(SectionKind::ReportFooter).Height = 600;
    d.line(SectionKind::ReportFooter, QStringLiteral("Linie2"), 0, 60, left);
    const int amountLeft = 2700 + 2000 + 1200 + 3300 + 3000;
    auto &sumCaption = d.label(SectionKind::ReportFooter, QStringLiteral("Bezeichnung3"), QStringLiteral("Summe:"),
                               amountLeft - 1500, 150, 1400, 300);
    sumCaption.FontSize = 9;
    sumCaption.FontBold = true;
    auto &sum = d.textBox(SectionKind::ReportFooter, QStringLiteral("Text20"), QStringLiteral("Betrag"), amountLeft,
                          150, 1080, 300);
    sum.Function = ControlFunction::Sum;
    sum.DataFormat = QStringLiteral("#.##0,00");
    sum.Alignment = Qt::AlignRight;
    sum.FontSize = 9;
    sum.FontBold = true;
    return d;
}

} // namespace qvl
