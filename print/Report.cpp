#include "print/Report.h"

#include "core/Money.h"
#include "text/Conversions.h"
#include "print/ReportPages.h"

#include <QRegularExpression>

#include <algorithm>

namespace qvl {

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

QList<QList<int>> Report::pagesByRow() const
{
    QList<QList<int>> byRow(d->rows.rowCount());
    const auto add = [&byRow](int row, int p) {
        if (row >= 0 && row < byRow.size() && (byRow[row].isEmpty() || byRow[row].last() != p))
            byRow[row].append(p);
    };
    for (int p = 0; p < pageCount(); ++p) {
        const Page &page = d->pages.at(size_t(p));
        // In page order, as pagesOfRow gives them.
        QList<int> rows{page.row};
        for (const Fragment &f : page.fragments)
            if (f.kind == SectionKind::Detail)
                rows.append(f.row);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (int row : rows)
            add(row, p);
    }
    return byRow;
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
        // Added up in whole cents: a sum of many amounts in binary would drift off the
        // cent the lines add up to.
        Money sum;
        for (int r = 0; r < d->rows.rowCount(); ++r)
            sum += Money::fromEuros(d->rows.value(r, column).toDouble());
        static const QStringList grouped{u"#.##0,00"_qs, u"#,##0.00"_qs, u"###,##0.00"_qs};
        return grouped.contains(c.DataFormat) ? sum.german() : formatValue(sum.euros(), c.DataFormat);
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
