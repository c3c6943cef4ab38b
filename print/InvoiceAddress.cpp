#include "print/InvoiceAddress.h"

#include "print/ReportText.h"

#include <QStringList>

namespace qvl {

namespace {

const QString CR = QStringLiteral("\r");

// A line break typed into a name or address field is a blank: each field keeps its one
// line, so the address keeps the lines the window holds.
QString oneLine(const QString &field)
{
    QString text = field;
    text.replace(u"\r\n"_qs, u" "_qs);
    for (const char16_t c : {u'\r', u'\n', u'\v', u'\f', u'\u2028', u'\u2029'})
        text.replace(c, u' ');
    return text;
}

} // namespace

QString addressBlock(const Buchung &b, LayoutVariant variant)
{
    const QString postfach = oneLine(b.Postfach).trimmed();
    QString a = oneLine(b.AnredeOrig) + CR + oneLine(b.VornameOrig + u' ' + b.NameOrig).trimmed() + CR;
    const bool orvelde = variant == LayoutVariant::Orvelde;
    if (!orvelde)
        a += oneLine(b.Bezeichnung) + CR;
    else if (!postfach.isEmpty())
        a += postfach + CR;
    if (!oneLine(b.StrasseOrig).trimmed().isEmpty())
        a += oneLine(b.StrasseOrig).trimmed() + CR;
    if (!orvelde && variant != LayoutVariant::Farnwinkel && !postfach.isEmpty())
        a += postfach + CR;
    const QString nation = b.NationOrig.trimmed().isEmpty() ? QString() : oneLine(b.NationOrig).trimmed() + u'-';
    return a + oneLine(nation + b.PLZ + u' ' + b.OrtOrig).trimmed() + CR;
}

// The sender line above the address window must bring returned mail back: when it does
// not fit the window at its smallest font, the name is shortened first (at a word, with
// "…"), then the street; postcode and town always stay.
QString senderLine(const ReportControl &box, const QString &name, const QString &street, const QString &plzOrt)
{
    const TextFont &font = textFont(box.FontName, box.MinFontSize > 0 ? box.MinFontSize : box.FontSize, box.FontBold);
    const auto fits = [&](const QString &text) { return textWidth(font, text) <= box.Width; };
    const auto join = [](const QStringList &parts) {
        QStringList kept;
        for (const QString &p : parts)
            if (!p.trimmed().isEmpty())
                kept.append(p.trimmed());
        return kept.join(u' ');
    };
    QString first = oneLine(name).simplified();
    QString second = oneLine(street).simplified();
    const QString last = oneLine(plzOrt).simplified();
    QString line = join({first, second, last});
    // The name keeps its first word (the sender must stay recognisable), the street may go.
    const std::pair<QString *, int> parts[] = {{&first, 1}, {&second, 0}};
    for (const auto &[part, keep] : parts) {
        QStringList words = part->split(u' ', Qt::SkipEmptyParts);
        while (!fits(line) && words.size() > keep) {
            words.removeLast();
            *part = words.isEmpty() ? QString() : words.join(u' ') + u"…"_qs;
            line = join({first, second, last});
        }
    }
    return line;
}

} // namespace qvl
