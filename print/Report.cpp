#include "print/Report.h"

#include "platform/RunOutputs.h"

#include <algorithm>

#include "platform/AnsiTextFile.h"
#include "platform/Conversions.h"

#include "print/ReportText.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

namespace qvl {

// A piece of a section on a page: its part from `from` to `to` (section coordinates),
// whose `from` lies at `y` on the paper.
struct Fragment {
    SectionKind kind = SectionKind::Detail;
    int row = 0;
    double from = 0;
    double to = 0;
    double y = 0;
};

struct Report::Page {
    std::vector<Fragment> fragments;
    int row = -1;             // the row whose data the page header and footer show
    int rowPage = 0;          // 0 on the page where the row begins
    bool continuation = false; // continues a row begun on an earlier page
};

struct Report::Data {
    ReportDesign design;
    RecordSet rows;
    QHash<QString, QStringList> rowCaptions; // keyed by the control's name in lower case
    std::vector<Page> pages;
};

namespace {

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

bool sectionShown(const ReportSection &s, bool continuation)
{
    return s.Visible && (s.On == PrintOn::EveryPage || (s.On == PrintOn::RowContinuation) == continuation);
}

void paintItem(QPainter &painter, const ReportItem &item)
{
    const ReportControl &c = *item.control;
    switch (c.Kind) {
    case ControlKind::Line:
        painter.setPen(QPen(Qt::black, 15));
        painter.drawLine(item.line);
        break;
    case ControlKind::Image:
        painter.drawImage(item.rect, c.Picture);
        break;
    case ControlKind::Label:
    case ControlKind::TextBox: {
        const TextFont &font = textFont(c.FontName, item.fontSize, c.FontBold);
        const QPointF baseline(item.rect.left(), item.rect.top() + font.ascent);
        double width = 0;
        const QGlyphRun run = glyphRun(font, item.text, &width);
        painter.setPen(Qt::black);
        if (!run.isEmpty()) {
            painter.drawGlyphRun(baseline, run);
        } else {
            painter.setFont(font.font);
            painter.drawText(baseline, item.text);
        }
        break;
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
    paginate();
}

// Sections are placed one below the other: report header, page header, the rows, report
// footer, with the page footer at the foot. A row that does not fit the rest of the page
// starts on the next (KeepTogether, or every row with NewPagePerRow) or is broken between
// two lines and continues on the next page, which then prints what is meant for pages
// continuing a row.
void Report::paginate()
{
    const ReportDesign &de = d->design;
    std::vector<Page> &pages = d->pages;
    const double pageTop = de.TopMargin;
    const double pageBottom = de.TopMargin + de.bodyHeight();
    Page page;
    double y = 0;
    double limit = 0;
    bool content = false; // the page holds a row or the report footer

    const auto add = [&](SectionKind kind, int row, double from, double to) {
        page.fragments.push_back(Fragment{kind, row, from, to, y});
        y += to - from;
    };
    const auto open = [&](int row, bool continuation, int rowPage) {
        page = Page{{}, row, rowPage, continuation};
        y = pageTop;
        content = false;
        const int index = int(pages.size());
        if (index == 0 && de.section(SectionKind::ReportHeader).Visible)
            add(SectionKind::ReportHeader, row,  0, layout(SectionKind::ReportHeader, row, index, rowPage, false).height);
        if (sectionShown(de.section(SectionKind::PageHeader), continuation))
            add(SectionKind::PageHeader, row, 0, layout(SectionKind::PageHeader, row, index, rowPage, continuation).height);
        limit = pageBottom;
        if (sectionShown(de.section(SectionKind::PageFooter), continuation))
            limit -= layout(SectionKind::PageFooter, row, index, rowPage, continuation).height;
    };
    const auto close = [&] {
        const ReportSection &footer = de.section(SectionKind::PageFooter);
        if (sectionShown(footer, page.continuation)) {
            const double height = layout(SectionKind::PageFooter, page.row, int(pages.size()), page.rowPage,
                                         page.continuation).height;
            page.fragments.push_back(Fragment{SectionKind::PageFooter, page.row, 0, height, pageBottom - height});
        }
        pages.push_back(std::move(page));
    };
    const auto placeSection = [&](SectionKind kind, int row, bool keepTogether) {
        const SectionLayout laid = layout(kind, row, int(pages.size()), 0, false);
        if (content && keepTogether && laid.height > limit - y) {
            close();
            open(row, false, 0);
        }
        double from = 0;
        int rowPage = 0;
        for (;;) {
            const double room = limit - y;
            if (laid.height - from <= room) {
                add(kind, row, from, laid.height);
                content = true;
                return;
            }
            double cut = breakBefore(laid, from, from + room);
            if (cut <= from) {
                if (content) { // not even its first line fits under what the page holds
                    close();
                    open(row, from > 0, from > 0 ? ++rowPage : 0);
                    continue;
                }
                cut = from + std::max(room, 1.0); // taller than a page: cut where the page ends
            }
            add(kind, row, from, cut);
            close();
            open(row, true, ++rowPage);
            from = nextItemTop(laid, cut);
        }
    };

    const int rowCount = d->rows.rowCount();
    open(rowCount > 0 ? 0 : -1, false, 0);
    const ReportSection &detail = de.section(SectionKind::Detail);
    for (int row = 0; row < rowCount; ++row) {
        if (!detail.Visible)
            break;
        if (de.NewPagePerRow && content) {
            close();
            open(row, false, 0);
        }
        if (page.row < 0)
            page.row = row;
        placeSection(SectionKind::Detail, row, detail.KeepTogether);
    }
    if (de.section(SectionKind::ReportFooter).Visible)
        placeSection(SectionKind::ReportFooter, rowCount - 1, true);
    close();
}

SectionLayout Report::layout(SectionKind kind, int row, int page, int rowPage, bool continuation) const
{
    return layoutSection(
        d->design.section(kind), [&](const ReportControl &c) { return controlText(c, row, page, rowPage); },
        continuation);
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
        // A letter's second page holds its row's continuation (and the head for it).
        const bool holds = page.row == row
                           || std::any_of(page.fragments.cbegin(), page.fragments.cend(), [row](const Fragment &f) {
                                  return f.kind == SectionKind::Detail && f.row == row;
                              });
        if (holds)
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

QString Report::controlText(const ReportControl &c, int row, int page, int rowPage) const
{
    if (c.Kind == ControlKind::Label) {
        const auto captions = d->rowCaptions.constFind(c.Name.toLower());
        QString text = captions != d->rowCaptions.cend() && row >= 0 && row < captions->size() ? captions->at(row)
                                                                                              : c.Caption;
        return text.replace(u"%p"_qs, QString::number(page + 1)).replace(u"%r"_qs, QString::number(rowPage + 1));
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

std::vector<ReportItem> Report::pageItems(int index) const
{
    std::vector<ReportItem> items;
    if (index < 0 || index >= pageCount())
        return items;
    const Page &page = d->pages.at(size_t(index));
    const ReportDesign &de = d->design;
    for (const Fragment &f : page.fragments) {
        const bool pageSection = f.kind == SectionKind::PageHeader || f.kind == SectionKind::PageFooter;
        const SectionLayout laid = layout(f.kind, f.row, index, page.rowPage, pageSection && page.continuation);
        const bool first = f.from <= 0;
        const bool last = f.to >= laid.height;
        for (const ReportItem &item : laid.items) {
            const double top = item.rect.top();
            if ((top < f.from && !first) || (top >= f.to && !last))
                continue;
            ReportItem placed = item;
            const QPointF offset(de.LeftMargin, f.y - f.from);
            placed.rect.translate(offset);
            placed.line.translate(offset);
            items.push_back(std::move(placed));
        }
    }
    return items;
}

int Report::pageRow(int index) const
{
    return index < 0 || index >= pageCount() ? -1 : d->pages.at(size_t(index)).row;
}

void Report::paintPage(QPainter &painter, int index) const
{
    if (index < 0 || index >= pageCount())
        return;
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
    painter.setPen(Qt::black);
    for (const ReportItem &item : pageItems(index))
        paintItem(painter, item);
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
    return writeReplacingFile(
        path, [&](QIODevice &device, QString *problem) { return writePdfTo(device, path, problem); }, error);
}

bool Report::writePdfTo(QIODevice &device, const QString &path, QString *error) const
{
    QPdfWriter pdf(&device);
    pdf.setResolution(kTwipsPerInch);
    pdf.setTitle(title());
    pdf.setCreator(QStringLiteral("QVL32 SEPA Beitragseinzug"));
    QString printError;
    if (print(pdf, &printError))
        return true;
    if (error)
        *error = fileWriteError(path, printError);
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
