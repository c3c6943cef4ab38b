#pragma once
// Inside a Report: its design, rows and the pages they were broken into. Shared by the
// files that build a report, break it into pages and paint it.

#include "print/Report.h"

#include <vector>

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

} // namespace qvl
