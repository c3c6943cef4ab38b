#pragma once
// One section of a report laid out for one row: each control's lines, rules and picture
// placed in twips, after what grew has moved down what lies below it (see ReportDesign.h
// for the rules).

#include "print/ReportDesign.h"

#include <QLineF>
#include <QRectF>
#include <functional>
#include <vector>

namespace qvl {

// One thing a page shows. On a page: twips from the paper's top-left corner; inside a
// section layout: from the section's top and the left margin.
struct ReportItem {
    const ReportControl *control = nullptr;
    // A text line: its advance by the font's line height; a rule: its stroke; a picture:
    // its box.
    QRectF rect;
    QString text;        // a text line
    double fontSize = 0; // points: the size a text line is painted in
    QLineF line;         // a rule
};

struct SectionLayout {
    double height = 0; // the section's own height, or more when its content grew
    std::vector<ReportItem> items;
};

// `textOf` gives the text a label or text box shows. `continuation`: the page continues a
// row begun on an earlier one (controls are printed by their PrintOn).
SectionLayout layoutSection(const ReportSection &section, const std::function<QString(const ReportControl &)> &textOf,
                            bool continuation);

// Where to break a section laid out so that the part from `from` ends at `limit` at the
// latest: the lowest point at or above `limit` that cuts through no item. `from` when
// not even the first item fits.
double breakBefore(const SectionLayout &layout, double from, double limit);

// The top of the first item at or below `at` (the section's height when there is none):
// where the rest of a broken section starts on the next page.
double nextItemTop(const SectionLayout &layout, double at);

} // namespace qvl
