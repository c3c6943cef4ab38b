#include "print/Report.h"

#include "platform/AnsiTextFile.h"
#include "platform/Conversions.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

namespace qvl {

struct Report::Data {
    ReportDesign design;
    RecordSet rows;
    QHash<QString, QStringList> rowCaptions; // keyed by the control's name in lower case
    std::vector<Page> pages;
};

namespace {

int visibleHeight(const ReportSection &s)
{
    return s.Visible ? s.Height : 0;
}

// The report designer's fonts, as the machine has them: fontconfig maps Arial and
// Courier New to metric-compatible faces (Liberation Sans, Liberation Mono).
QFont controlFont(const ReportControl &c)
{
    QFont font(c.FontName);
    if (c.FontName.startsWith(u"Courier", Qt::CaseInsensitive))
        font.setStyleHint(QFont::TypeWriter);
    else
        font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qMax(1, qRound(c.FontSize * 20))); // the painter works in twips
    font.setBold(c.FontBold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A font with its metrics, made once per face and size for the device painted on: a
// report of thousands of pages paints the same few faces over and over.
struct MeasuredFont {
    QFont font;
    QFontMetricsF metrics;
    QRawFont raw;
};

// A line laid out straight from the font's character map and advances. Report texts are
// Latin script and need no shaping; shaping every line of thousands of letters would
// cost more than the rest of the painting. Empty when a character has no glyph in the
// font (then the painter's own text layout, with its fallback fonts, is used).
QGlyphRun glyphLine(const MeasuredFont &f, const QString &line, double *width)
{
    const QList<quint32> glyphs = f.raw.glyphIndexesForString(line);
    if (glyphs.size() != line.size() || glyphs.contains(0u))
        return {};
    const QList<QPointF> advances = f.raw.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double x = 0;
    for (const QPointF &a : advances) {
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

const MeasuredFont &measuredFont(const ReportControl &c, QPaintDevice *device)
{
    static thread_local QPaintDevice *cachedFor = nullptr;
    static thread_local QHash<QString, std::shared_ptr<MeasuredFont>> cache;
    if (cachedFor != device) {
        cache.clear();
        cachedFor = device;
    }
    const QString key = c.FontName + u'|' + QString::number(c.FontSize) + (c.FontBold ? u"|b"_qs : u"|"_qs);
    auto found = cache.constFind(key);
    if (found == cache.cend()) {
        const QFont font = controlFont(c);
        found = cache.insert(key, std::make_shared<MeasuredFont>(
                                      MeasuredFont{font, QFontMetricsF(font, device), QRawFont::fromFont(font)}));
    }
    return **found;
}

QStringList splitLines(const QString &text, bool skipBlank)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return {text};
    QString unified = text;
    unified.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    if (skipBlank)
        lines.removeIf([](const QString &l) { return l.trimmed().isEmpty(); });
    return lines;
}

QString formatValue(const QVariant &value, const QString &format)
{
    if (value.isNull())
        return {};
    const bool number = value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Double;
    if (!format.isEmpty() && number)
        return formatNumber(value.toDouble(), format);
    if (!format.isEmpty() && value.typeId() == QMetaType::QDate)
        return formatDate(value.toDate(), format);
    if (number)
        return generalNumber(value.toDouble());
    if (value.typeId() == QMetaType::QDate)
        return formatDate(value.toDate(), u"dd.mm.yyyy"_qs);
    return value.toString();
}

void drawText(QPainter &painter, const ReportControl &c, const QString &text, int top)
{
    if (text.isEmpty())
        return;
    const MeasuredFont &measured = measuredFont(c, painter.device());
    painter.setFont(measured.font);
    const QFontMetricsF &metrics = measured.metrics;
    const double lineHeight = metrics.height();
    double y = top;
    const double left = c.Left;
    const auto alignedX = [&c, left](double width) {
        if (c.Alignment & Qt::AlignRight)
            return left + c.Width - width;
        if (c.Alignment & Qt::AlignHCenter)
            return left + (c.Width - width) / 2;
        return left;
    };
    for (QString line : splitLines(text, c.SkipBlankLines)) {
        // Trailing blanks are invisible; they must not make a line wrap.
        while (line.endsWith(u' '))
            line.chop(1);
        double width = 0;
        const QGlyphRun run = line.isEmpty() ? QGlyphRun() : glyphLine(measured, line, &width);
        if (!run.isEmpty() && (width <= c.Width || c.Width <= 0)) {
            painter.drawGlyphRun(QPointF(alignedX(width), y + metrics.ascent()), run);
            y += lineHeight;
            continue;
        }
        if (!c.WordWrap && c.Width > 0)
            line = metrics.elidedText(line, Qt::ElideRight, c.Width);
        const double advance = metrics.horizontalAdvance(line);
        if (advance <= c.Width || c.Width <= 0) {
            painter.drawText(QPointF(alignedX(advance), y + metrics.ascent()), line);
            y += lineHeight;
        } else {
            QRectF bounds;
            painter.drawText(QRectF(left, y, c.Width, 1e6), int(c.Alignment | Qt::AlignTop) | Qt::TextWordWrap, line,
                             &bounds);
            y += qMax(lineHeight, bounds.height());
        }
    }
}

QString csvField(const QString &value)
{
    static const QRegularExpression special(QStringLiteral("[;\"\r\n]"));
    if (!value.contains(special))
        return value;
    QString v = value;
    v.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n').replace(u"\n"_qs, u"\r\n"_qs);
    return u'"' + v.replace(u"\""_qs, u"\"\""_qs) + u'"';
}

} // namespace

Report::Report(const ReportDesign &design, RecordSet rows)
    : d(std::make_shared<Data>(Data{design, std::move(rows), {}, {}}))
{
    const ReportDesign &de = d->design;
    const int room = de.bodyHeight() - visibleHeight(de.section(SectionKind::PageHeader))
                     - visibleHeight(de.section(SectionKind::PageFooter));
    const int detail = visibleHeight(de.section(SectionKind::Detail));
    Page page;
    page.reportHeader = de.section(SectionKind::ReportHeader).Visible;
    int used = visibleHeight(de.section(SectionKind::ReportHeader));
    for (int row = 0; row < d->rows.rowCount(); ++row) {
        const bool full = page.rowCount > 0 && (de.NewPagePerRow || used + detail > room);
        if (full) {
            d->pages.push_back(page);
            page = Page{row, 0, false, false};
            used = 0;
        }
        if (page.rowCount == 0)
            page.firstRow = row;
        ++page.rowCount;
        used += detail;
    }
    if (used + visibleHeight(de.section(SectionKind::ReportFooter)) > room) {
        d->pages.push_back(page);
        page = Page{d->rows.rowCount(), 0, false, false};
    }
    page.reportFooter = true;
    d->pages.push_back(page);
}

const QString &Report::name() const
{
    return d->design.Name;
}

const QString &Report::title() const
{
    return d->design.Caption;
}

const ReportDesign &Report::design() const
{
    return d->design;
}

const RecordSet &Report::rows() const
{
    return d->rows;
}

void Report::setRowCaptions(const QString &control, QStringList captions)
{
    d->rowCaptions.insert(control.toLower(), std::move(captions));
}

Report Report::rowsReport(const QList<int> &rows) const
{
    RecordSet some;
    for (const Field &f : d->rows.fields())
        some.append(f.name, f.type, f.width);
    for (int row : rows) {
        some.addNew();
        for (int c = 0; c < d->rows.columnCount(); ++c)
            some.set(d->rows.field(c).name, d->rows.value(row, c));
    }
    Report report(d->design, std::move(some));
    for (auto it = d->rowCaptions.cbegin(); it != d->rowCaptions.cend(); ++it) {
        QStringList captions;
        for (int row : rows)
            captions.append(row < it->size() ? it->at(row) : QString());
        report.d->rowCaptions.insert(it.key(), captions);
    }
    return report;
}

QList<int> Report::pagesOfRow(int row) const
{
    QList<int> pages;
    for (int p = 0; p < pageCount(); ++p) {
        const Page &page = d->pages.at(size_t(p));
        if (row >= page.firstRow && row < page.firstRow + page.rowCount)
            pages.append(p);
    }
    return pages;
}

int Report::pageCount() const
{
    return int(d->pages.size());
}

QPageLayout Report::pageLayout() const
{
    return QPageLayout(QPageSize(QPageSize::A4), d->design.Orientation, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

QString Report::controlText(const ReportControl &c, int row, int page) const
{
    if (c.Kind == ControlKind::Label) {
        const auto captions = d->rowCaptions.constFind(c.Name.toLower());
        QString text = captions != d->rowCaptions.cend() && row >= 0 && row < captions->size() ? captions->at(row)
                                                                                              : c.Caption;
        return text.replace(u"%p"_qs, QString::number(page + 1));
    }
    const int column = d->rows.columnIndex(c.DataField);
    if (column < 0)
        return {};
    if (c.Function == ControlFunction::Sum) {
        double sum = 0;
        for (int r = 0; r < d->rows.rowCount(); ++r)
            sum += d->rows.value(r, column).toDouble();
        return formatValue(sum, c.DataFormat);
    }
    if (row < 0 || row >= d->rows.rowCount())
        return {};
    return formatValue(d->rows.value(row, column), c.DataFormat);
}

void Report::paintSection(QPainter &painter, const ReportSection &section, int top, int row, int page) const
{
    if (!section.Visible)
        return;
    for (const ReportControl &c : section.Controls) {
        if (!c.Visible)
            continue;
        const int y = top + c.Top;
        switch (c.Kind) {
        case ControlKind::Line:
            painter.setPen(QPen(Qt::black, 15));
            painter.drawLine(QPointF(c.Left, y), QPointF(c.Left + c.Width, y + c.Height));
            break;
        case ControlKind::Image:
            if (!c.Picture.isNull()) {
                // Scaled into its box, keeping the picture's proportions.
                const QSizeF size = QSizeF(c.Picture.size()).scaled(QSizeF(c.Width, c.Height), Qt::KeepAspectRatio);
                painter.drawImage(QRectF(QPointF(c.Left, y), size), c.Picture);
            }
            break;
        case ControlKind::Label:
        case ControlKind::TextBox:
            drawText(painter, c, controlText(c, row, page), y);
            break;
        }
    }
}

void Report::paintPage(QPainter &painter, int index) const
{
    if (index < 0 || index >= pageCount())
        return;
    const Page &page = d->pages.at(size_t(index));
    const ReportDesign &de = d->design;
    QPaintDevice *device = painter.device();
    painter.save();
    // Painter coordinates start at the device's printable area; twips count from the
    // paper's corner.
    const double scale = double(device->logicalDpiX()) / kTwipsPerInch;
    if (auto *paged = dynamic_cast<QPagedPaintDevice *>(device)) {
        const QRect full = paged->pageLayout().fullRectPixels(device->logicalDpiX());
        const QRect paint = paged->pageLayout().paintRectPixels(device->logicalDpiX());
        painter.translate(full.topLeft() - paint.topLeft());
    }
    painter.scale(scale, double(device->logicalDpiY()) / kTwipsPerInch);
    painter.translate(de.LeftMargin, 0);
    painter.setPen(Qt::black);

    int y = de.TopMargin;
    const int firstRow = page.rowCount > 0 ? page.firstRow : qMin(page.firstRow, d->rows.rowCount() - 1);
    if (page.reportHeader) {
        paintSection(painter, de.section(SectionKind::ReportHeader), y, firstRow, index);
        y += visibleHeight(de.section(SectionKind::ReportHeader));
    }
    paintSection(painter, de.section(SectionKind::PageHeader), y, firstRow, index);
    y += visibleHeight(de.section(SectionKind::PageHeader));
    for (int row = page.firstRow; row < page.firstRow + page.rowCount; ++row) {
        paintSection(painter, de.section(SectionKind::Detail), y, row, index);
        y += visibleHeight(de.section(SectionKind::Detail));
    }
    if (page.reportFooter)
        paintSection(painter, de.section(SectionKind::ReportFooter), y, firstRow, index);
    const ReportSection &footer = de.section(SectionKind::PageFooter);
    paintSection(painter, footer, de.TopMargin + de.bodyHeight() - visibleHeight(footer), firstRow, index);
    painter.restore();
}

bool Report::print(QPagedPaintDevice &device, QString *error) const
{
    device.setPageLayout(pageLayout());
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = u"Der Bericht „"_qs + title() + u"“ kann nicht ausgegeben werden."_qs;
        return false;
    }
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !device.newPage()) {
            if (error)
                *error = u"Der Bericht „"_qs + title() + u"“ kann nicht ausgegeben werden."_qs;
            return false;
        }
        paintPage(painter, page);
    }
    return painter.end();
}

bool Report::writePdf(const QString &path, QString *error) const
{
    // The shared checked writer: on a full disk the old PDF stays and the failure is told.
    CheckedSaveFile file(path);
    QString problem;
    if (file.openForWriting()) {
        {
            QPdfWriter pdf(&file);
            pdf.setResolution(kTwipsPerInch);
            pdf.setTitle(title());
            pdf.setCreator(QStringLiteral("QVL32 SEPA Beitragseinzug"));
            QString printError;
            if (!print(pdf, &printError))
                problem = fileWriteError(path, printError);
        }
        if (problem.isEmpty() && file.commitWhole())
            return true;
    }
    if (error)
        *error = file.errorText().isEmpty() ? problem : file.errorText();
    return false;
}

QStringList Report::csvLines() const
{
    QStringList lines;
    QStringList header;
    for (const Field &f : d->rows.fields())
        header.append(csvField(f.name));
    lines.append(header.join(u';'));
    for (int r = 0; r < d->rows.rowCount(); ++r) {
        QStringList values;
        for (int c = 0; c < d->rows.columnCount(); ++c)
            values.append(csvField(d->rows.text(r, c)));
        lines.append(values.join(u';'));
    }
    return lines;
}

} // namespace qvl
