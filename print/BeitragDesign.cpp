#include "print/ReportDesigns.h"

namespace qvl {

// Landscape: the IBAN and the 27-character remittance line need the room. Every column
// lies between the margins; a name or a text wraps inside its column (a line break in a
// value is a blank), an amount up to 999.999.999,99 fits its column, and a row that does
// not fit the rest of a page starts on the next.
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
        int width; // 0: the two name columns share what the others leave
        bool right;
    };
    // In the order of the list; BLZ (the BIC) is not shown.
    const Column columns[] = {
        {u"Nachname", u"Name", 0, false},          {u"Vorname", u"Vorname", 0, false},
        {u"Mitgliedsnr.", u"Nummer", 1100, true},  {u"IBAN", u"Konto", 3800, false},
        {u"Verwendungszw.", u"Text", 2800, false}, {u"Betrag", u"Betrag", 1450, true},
        {u"Rechn.Nr", u"RechnungsNr", 1000, true}, {u"FibNr", u"FibNr", 900, false},
    };
    int fixed = 0;
    for (const Column &c : columns)
        fixed += c.width;
    const int names = d.bodyWidth() - fixed;
    const int nameWidths[] = {names * 56 / 100, names - names * 56 / 100};

    d.section(SectionKind::PageHeader).Height = 400;
    ReportSection &rows = d.section(SectionKind::Detail);
    rows.Height = 250;
    rows.KeepTogether = true;
    int left = 0;
    int amountRight = 0;
    int nameLeft = 0;
    int n = 9;
    int nameColumn = 0;
    for (const Column &c : columns) {
        const int width = c.width > 0 ? c.width : nameWidths[nameColumn++];
        // A blank between neighbouring columns.
        const int inner = width - 120;
        const int x = c.right ? left : left + (left > 0 ? 120 : 0);
        auto &caption = d.label(SectionKind::PageHeader, QStringLiteral("Bezeichnung") + QString::number(n),
                                QString::fromUtf16(c.caption), x, 0, inner, 300);
        caption.FontSize = 9;
        caption.FontBold = true;
        caption.WordWrap = false;
        caption.MinFontSize = 7;
        auto &value = d.textBox(SectionKind::Detail, QStringLiteral("Text") + QString::number(n - 8),
                                QString::fromUtf16(c.field), x, 0, inner, 250);
        value.FontSize = 9;
        value.JoinLines = true;
        if (c.right) {
            caption.Alignment = Qt::AlignRight;
            value.Alignment = Qt::AlignRight;
            value.WordWrap = false; // numbers: never broken, wider ones extend to the left
        }
        if (QStringView(c.field) == u"Konto")
            value.MinFontSize = 7.5; // the longest IBAN (34 characters) on one line
        if (QStringView(c.field) == u"Name")
            nameLeft = x;
        if (QStringView(c.field) == u"Betrag") {
            value.DataFormat = QStringLiteral("#.##0,00");
            amountRight = x + inner;
        }
        left += width;
        ++n;
    }
    d.line(SectionKind::PageHeader, QStringLiteral("Linie1"), 0, 330, left);
    // Under an owner the bank file leaves out, why: the row grows by this line only then.
    auto &note = d.textBox(SectionKind::Detail, QStringLiteral("Text19"), QStringLiteral("Hinweis"), nameLeft, 250,
                           left - nameLeft, 1);
    note.FontSize = 8;
    note.FontBold = true;
    note.JoinLines = true;

    d.section(SectionKind::PageFooter).Height = 400;
    d.label(SectionKind::PageFooter, QStringLiteral("Bezeichnung2"), QStringLiteral("Seite: %p"), left - 2000, 100,
            2000, 300)
        .Alignment = Qt::AlignRight;

    // The sum of a whole run may be far larger than one amount: it has room to the left.
    d.section(SectionKind::ReportFooter).Height = 1300;
    d.line(SectionKind::ReportFooter, QStringLiteral("Linie2"), 0, 60, left);
    const int sumWidth = 2600;
    auto &sumCaption = d.label(SectionKind::ReportFooter, QStringLiteral("Bezeichnung3"), QStringLiteral("Summe:"),
                               amountRight - sumWidth - 1500, 150, 1400, 300);
    sumCaption.FontSize = 9;
    sumCaption.FontBold = true;
    sumCaption.Alignment = Qt::AlignRight;
    auto &sum = d.textBox(SectionKind::ReportFooter, QStringLiteral("Text20"), QStringLiteral("Betrag"),
                          amountRight - sumWidth, 150, sumWidth, 300);
    sum.Function = ControlFunction::Sum;
    sum.DataFormat = QStringLiteral("#.##0,00");
    sum.Alignment = Qt::AlignRight;
    sum.WordWrap = false;
    sum.FontSize = 9;
    sum.FontBold = true;

    // A direct-debit run: what the bank file debits (its control sum, the slip's total)
    // and what it does not.
    const struct {
        const char16_t *label, *caption, *box, *field;
    } parts[] = {{u"Bezeichnung4", u"davon in der SEPA-Datei:", u"Text21", u"BetragEingezogen"},
                 {u"Bezeichnung5", u"nicht in der SEPA-Datei:", u"Text22", u"BetragNichtEingezogen"}};
    int top = 500;
    for (const auto &part : parts) {
        auto &caption = d.label(SectionKind::ReportFooter, QString::fromUtf16(part.label),
                                QString::fromUtf16(part.caption), amountRight - sumWidth - 3500, top, 3400, 300);
        caption.FontSize = 9;
        caption.Alignment = Qt::AlignRight;
        auto &value = d.textBox(SectionKind::ReportFooter, QString::fromUtf16(part.box), QString::fromUtf16(part.field),
                                amountRight - sumWidth, top, sumWidth, 300);
        value.Function = ControlFunction::Sum;
        value.DataFormat = QStringLiteral("#.##0,00");
        value.Alignment = Qt::AlignRight;
        value.WordWrap = false;
        value.FontSize = 9;
        top += 350;
    }
    return d;
}

} // namespace qvl
