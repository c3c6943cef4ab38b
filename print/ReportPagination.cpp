// Breaking a report into pages as its sections flow.

#include "print/ReportPages.h"

#include <algorithm>

namespace qvl {

namespace {

bool sectionShown(const ReportSection &s, bool continuation)
{
    return s.Visible && (s.On == PrintOn::EveryPage || (s.On == PrintOn::RowContinuation) == continuation);
}

} // namespace

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

} // namespace qvl
