#include "print/ReportDesigns.h"

namespace qvl {

ReportDesign BegleitzettelDesign()
{
    ReportDesign d(QStringLiteral("Begleitzettel"), QStringLiteral("Begleitzettel"));
    const auto header = SectionKind::PageHeader;
    const auto detail = SectionKind::Detail;
    const int width = d.bodyWidth();

    d.section(header).Height = 1300;
    auto &title = d.label(header, QStringLiteral("Bezeichnung1"), QStringLiteral("B E G L E I T Z E T T E L"), 0,
                          200, width, 600);
    title.FontSize = 20;
    title.FontBold = true;
    title.Alignment = Qt::AlignHCenter;
    d.line(header, QStringLiteral("Linie1"), 0, 1000, width);

    d.section(detail).Height = 9000;
    auto &kind = d.label(detail, QStringLiteral("Bezeichnung2"), QStringLiteral("SEPA Datenträgeraustausch"), 0, 300,
                         width, 400);
    kind.FontSize = 14;
    kind.FontBold = true;
    d.label(detail, QStringLiteral("Bezeichnung3"), QStringLiteral("Sammel - Lastschriftauftrag"), 0, 750, width, 400)
        .FontSize = 12;
    d.label(detail, QStringLiteral("Bezeichnung4"), QStringLiteral("Volume-Nr.:"), 0, 1400, 2000, 300);
    d.textBox(detail, QStringLiteral("Text1"), QStringLiteral("Volume"), 2000, 1400, 3000, 300);

    // Caption and value pairs, one per line.
    const std::pair<const char16_t *, const char16_t *> pairs[] = {
        {u"Erstellungsdatum", u"Datum"},
        {u"Anzahl der Datensätze", u"SumDS"},
        {u"Summe Betrag der Datensätze", u"SumBetraege"},
        {u"BIC des Absenders", u"BLZAbsaender"},
        {u"IBAN des Absenders", u"KontoAbsaender"},
        {u"Name des Absenders", u"NameAbsaender"},
        {u"Datenträgerempfänger", u"DiskEmpfaenger"},
        {u"Referenznummer", u"Referenznummer"},
    };
    int top = 2200;
    int n = 5;
    for (const auto &[caption, column] : pairs) {
        d.label(detail, QStringLiteral("Bezeichnung") + QString::number(n), QString::fromUtf16(caption), 0, top, 4200,
                300)
            .FontSize = 11;
        auto &value = d.textBox(detail, QStringLiteral("Text") + QString::number(n - 3),
                                QString::fromUtf16(column), 4400, top, width - 4400, 300);
        value.FontSize = 11;
        value.FontBold = true;
        if (QStringView(column) == u"Datum")
            value.DataFormat = QStringLiteral("dd.mm.yyyy");
        top += 500;
        ++n;
    }

    // Place and date on the left, the signature on the right.
    const int foot = top + 2200;
    d.line(detail, QStringLiteral("Linie2"), 0, foot, 3400);
    d.label(detail, QStringLiteral("Bezeichnung13"), QStringLiteral(", den"), 3450, foot - 250, 600, 300);
    d.textBox(detail, QStringLiteral("Text11"), QStringLiteral("Datum"), 4050, foot - 250, 1200, 300).DataFormat =
        QStringLiteral("dd.MM.yy");
    d.line(detail, QStringLiteral("Linie3"), 5800, foot, width - 5800);
    auto &signature = d.label(detail, QStringLiteral("Bezeichnung14"), QStringLiteral("(Unterschrift)"), 5800,
                              foot + 80, width - 5800, 300);
    signature.FontSize = 9;
    signature.Alignment = Qt::AlignHCenter;
    return d;
}

} // namespace qvl
