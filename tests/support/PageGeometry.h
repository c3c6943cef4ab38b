#pragma once
// What a laid-out page shows, checked as a reader would look at it: text boxes that lie on
// one another, things outside the margins, the text of one control.

#include "print/Report.h"

#include <QStringList>

namespace qvl::test {

// 90 mm, where the window of a DIN 5008 envelope ends (twips from the paper's top edge).
inline constexpr double kWindowBottom = 90.0 / 25.4 * kTwipsPerInch;

// "Text2 „Gesamt:“ × Text14 „Bank: …“" for every two text lines that share part of the page.
inline QStringList overlappingTexts(const std::vector<ReportItem> &items)
{
    QStringList found;
    for (std::size_t i = 0; i < items.size(); ++i)
        for (std::size_t j = i + 1; j < items.size(); ++j) {
            const ReportItem &a = items[i];
            const ReportItem &b = items[j];
            if (a.text.isEmpty() || b.text.isEmpty())
                continue;
            const QRectF common = a.rect.intersected(b.rect);
            if (common.width() > 0.5 && common.height() > 0.5)
                found.append(a.control->Name + u" „"_qs + a.text + u"“ × "_qs + b.control->Name + u" „"_qs + b.text
                             + u"“"_qs);
        }
    return found;
}

// Everything that reaches past a margin of the report's page.
inline QStringList outsideMargins(const Report &report, const std::vector<ReportItem> &items)
{
    const ReportDesign &d = report.design();
    const QRectF body(d.LeftMargin, d.TopMargin, d.bodyWidth(), d.bodyHeight());
    QStringList found;
    for (const ReportItem &item : items)
        if (!body.adjusted(-0.5, -0.5, 0.5, 0.5).contains(item.rect))
            found.append(item.control->Name + u" „"_qs + item.text + u"“"_qs);
    return found;
}

// The lines a control shows on a page, top to bottom.
inline QStringList linesOf(const std::vector<ReportItem> &items, const QString &control)
{
    QStringList lines;
    for (const ReportItem &item : items)
        if (item.control->Name.compare(control, Qt::CaseInsensitive) == 0 && !item.text.isEmpty())
            lines.append(item.text);
    return lines;
}

inline const ReportItem *firstOf(const std::vector<ReportItem> &items, const QString &control)
{
    for (const ReportItem &item : items)
        if (item.control->Name.compare(control, Qt::CaseInsensitive) == 0)
            return &item;
    return nullptr;
}

inline double bottomOf(const std::vector<ReportItem> &items, const QString &control)
{
    double bottom = 0;
    for (const ReportItem &item : items)
        if (item.control->Name.compare(control, Qt::CaseInsensitive) == 0)
            bottom = std::max(bottom, item.rect.bottom());
    return bottom;
}

} // namespace qvl::test
