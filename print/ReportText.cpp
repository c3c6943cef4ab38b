#include "print/ReportText.h"

#include <QHash>
#include <QThreadStorage>

#include <cmath>
#include <memory>

namespace qvl {

namespace {

// The report designer's fonts, as the machine has them: fontconfig maps Arial and
// Courier New to metric-compatible faces (Liberation Sans, Liberation Mono).
QFont makeFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setStyleHint(family.startsWith(u"Courier", Qt::CaseInsensitive) ? QFont::TypeWriter : QFont::SansSerif);
    font.setPixelSize(qMax(1, qRound(points * 20))); // twips
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Advance of each UTF-16 unit of the text (the second unit of a pair gets 0).
QList<double> advances(const TextFont &f, const QString &text)
{
    QList<double> result;
    result.reserve(text.size());
    const QList<quint32> glyphs = f.raw.glyphIndexesForString(text);
    if (glyphs.size() == text.size() && !glyphs.contains(0u)) {
        for (const QPointF &a : f.raw.advancesForGlyphIndexes(glyphs))
            result.append(a.x());
        return result;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        result.append(f.metrics.horizontalAdvance(text.mid(i, pair ? 2 : 1)));
        if (pair) {
            result.append(0);
            ++i;
        }
    }
    return result;
}

double sum(const QList<double> &a, qsizetype from, qsizetype to)
{
    double s = 0;
    for (qsizetype i = from; i < to; ++i)
        s += a.at(i);
    return s;
}

// Never between the two units of a surrogate pair.
qsizetype characterBoundary(const QString &text, qsizetype at)
{
    if (at > 0 && at < text.size() && text.at(at).isLowSurrogate())
        return at + 1;
    return at;
}

void chopTrailingBlanks(QString &line)
{
    while (line.endsWith(u' '))
        line.chop(1);
}

// A paragraph in lines no wider than `width`: broken at the last blank that fits, a word
// wider than the box at the last character that fits (at least one per line).
QStringList wrap(const TextFont &f, const QString &paragraph, double width)
{
    const QList<double> a = advances(f, paragraph);
    const qsizetype n = paragraph.size();
    QStringList lines;
    qsizetype start = 0;
    while (start < n) {
        double x = 0;
        qsizetype lastBlank = -1;
        qsizetype i = start;
        for (; i < n; ++i) {
            const QChar c = paragraph.at(i);
            if (c == u' ')
                lastBlank = i;
            // Blanks never overflow: at the end of a line they are not printed.
            else if (x + a.at(i) > width && i > start)
                break;
            x += a.at(i);
        }
        if (i == n) {
            lines.append(paragraph.mid(start));
            break;
        }
        const qsizetype end = lastBlank > start ? lastBlank : characterBoundary(paragraph, i);
        QString line = paragraph.mid(start, end - start);
        chopTrailingBlanks(line);
        lines.append(line);
        start = end;
        while (start < n && paragraph.at(start) == u' ')
            ++start;
    }
    return lines;
}

// The longest start of the line that fits `width` with "…": up to a blank where there is
// one (" …"), else up to any character.
QString shortened(const TextFont &f, const QString &line, double width)
{
    const QList<double> a = advances(f, line);
    const QString atWord = QStringLiteral(" …");
    const double roomAtWord = width - textWidth(f, atWord);
    const double roomAtCharacter = width - textWidth(f, QStringLiteral("…"));
    qsizetype bestBlank = -1;
    qsizetype bestCharacter = 0;
    double x = 0; // the width of line[0, i)
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == u' ' && i > 0 && x <= roomAtWord)
            bestBlank = i;
        if (x <= roomAtCharacter && !line.at(i).isLowSurrogate())
            bestCharacter = i;
        x += a.at(i);
    }
    if (bestBlank > 0) {
        QString head = line.left(bestBlank);
        chopTrailingBlanks(head);
        return head + atWord;
    }
    return line.left(bestCharacter) + u'…';
}

QStringList paragraphs(const ReportControl &c, const QString &text)
{
    QString unified = text;
    unified.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    if (c.JoinLines)
        unified.replace(u'\n', u' ');
    QStringList lines = unified.split(u'\n');
    if (c.FirstLines > 0) {
        QStringList first;
        for (const QString &l : lines.first(qMin<qsizetype>(c.FirstLines, lines.size())))
            if (!l.trimmed().isEmpty())
                first.append(l.trimmed());
        lines = {first.join(u' ')};
    }
    if (c.SkipBlankLines)
        lines.removeIf([](const QString &l) { return l.trimmed().isEmpty(); });
    for (QString &l : lines)
        chopTrailingBlanks(l);
    return lines;
}

double widest(const TextFont &f, const QStringList &lines)
{
    double w = 0;
    for (const QString &l : lines)
        w = qMax(w, textWidth(f, l));
    return w;
}

} // namespace

const TextFont &textFont(const QString &family, double points, bool bold)
{
    // Fonts and their engines belong to the thread that made them: a cache per thread, in
    // Qt's storage (see os/ThreadEnd.h for why not in a thread_local).
    static QThreadStorage<QHash<QString, std::shared_ptr<TextFont>>> caches;
    QHash<QString, std::shared_ptr<TextFont>> &cache = caches.localData();
    const QString key = family + u'|' + QString::number(qRound(points * 20)) + (bold ? u"|b"_qs : u"|"_qs);
    auto found = cache.constFind(key);
    if (found == cache.cend()) {
        const QFont font = makeFont(family, points, bold);
        QRawFont raw = QRawFont::fromFont(font);
        const QFontMetricsF metrics(font);
        const double ascent = raw.isValid() ? raw.ascent() : metrics.ascent();
        const double descent = raw.isValid() ? raw.descent() : metrics.descent();
        found = cache.insert(key, std::make_shared<TextFont>(TextFont{font, metrics, raw, ascent, ascent + descent}));
    }
    return **found;
}

double textWidth(const TextFont &f, const QString &line)
{
    const QList<double> a = advances(f, line);
    return sum(a, 0, a.size());
}

QGlyphRun glyphRun(const TextFont &f, const QString &line, double *width)
{
    const QList<quint32> glyphs = f.raw.glyphIndexesForString(line);
    if (line.isEmpty() || glyphs.size() != line.size() || glyphs.contains(0u))
        return {};
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double x = 0;
    for (const QPointF &a : f.raw.advancesForGlyphIndexes(glyphs)) {
        positions.append(QPointF(x, 0));
        x += a.x();
    }
    QGlyphRun run;
    run.setRawFont(f.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    *width = x;
    return run;
}

TextLines fitText(const ReportControl &c, const QString &text)
{
    TextLines out;
    out.fontSize = c.FontSize;
    if (text.isEmpty())
        return out;
    const QStringList source = paragraphs(c, text);
    const double width = c.Width;
    const TextFont *font = &textFont(c.FontName, c.FontSize, c.FontBold);

    if (width > 0 && c.MinFontSize > 0 && c.MinFontSize < c.FontSize) {
        const double w = widest(*font, source);
        if (w > width) {
            // Advances grow with the size; the pixel size steps by a twentieth of a point.
            double size = qMax(c.MinFontSize, std::floor(c.FontSize * width / w * 20) / 20);
            font = &textFont(c.FontName, size, c.FontBold);
            while (size > c.MinFontSize && widest(*font, source) > width) {
                size = qMax(c.MinFontSize, size - 0.05);
                font = &textFont(c.FontName, size, c.FontBold);
            }
            out.fontSize = size;
        }
    }

    for (const QString &paragraph : source) {
        if (width <= 0 || paragraph.isEmpty() || textWidth(*font, paragraph) <= width) {
            out.lines.append(paragraph);
        } else if (c.WordWrap) {
            out.lines += wrap(*font, paragraph, width);
        } else if (c.Alignment & Qt::AlignRight) {
            out.lines.append(paragraph);
        } else {
            out.lines.append(shortened(*font, paragraph, width));
        }
    }
    for (const QString &line : out.lines)
        out.widths.append(textWidth(*font, line));
    return out;
}

} // namespace qvl
