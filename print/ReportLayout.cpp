#include "print/ReportLayout.h"

#include "print/ReportText.h"

#include <algorithm>
#include <cmath>

namespace qvl {

namespace {

// Half the width of a rule's stroke (twips).
constexpr double kRuleHalfWidth = 7.5;
// What a control pushed down by content it would overlap keeps clear of it (0.7 mm).
constexpr double kClearance = 40;

struct Placed {
    const ReportControl *control = nullptr;
    std::vector<ReportItem> items; // at the control's own place, before any move
    double contentBottom = 0;      // where its content ends, before any move
    double shift = 0;

    double designBottom() const { return control->Top + control->Height; }
    // How far its content reaches below its box.
    double growth() const { return std::max(0.0, contentBottom - designBottom()); }
};

bool shownOn(PrintOn on, bool continuation)
{
    return on == PrintOn::EveryPage || (on == PrintOn::RowContinuation) == continuation;
}

bool overlap(double a0, double a1, double b0, double b1)
{
    return a0 < b1 && b0 < a1;
}

bool designOverlapsHorizontally(const ReportControl &a, const ReportControl &b)
{
    return overlap(a.Left, a.Left + std::max(a.Width, 1), b.Left, b.Left + std::max(b.Width, 1));
}

Placed place(const ReportControl &c, const std::function<QString(const ReportControl &)> &textOf)
{
    Placed p;
    p.control = &c;
    p.contentBottom = c.Top;
    switch (c.Kind) {
    case ControlKind::Line: {
        ReportItem item;
        item.control = &c;
        item.line = QLineF(c.Left, c.Top, c.Left + c.Width, c.Top + c.Height);
        item.rect = QRectF(item.line.p1(), item.line.p2()).normalized().adjusted(0, -kRuleHalfWidth, 0, kRuleHalfWidth);
        p.items.push_back(item);
        p.contentBottom = c.Top + std::max(0, c.Height);
        break;
    }
    case ControlKind::Image:
        if (!c.Picture.isNull()) {
            // Scaled into its box, keeping the picture's proportions.
            const QSizeF size = QSizeF(c.Picture.size()).scaled(QSizeF(c.Width, c.Height), Qt::KeepAspectRatio);
            ReportItem item;
            item.control = &c;
            item.rect = QRectF(QPointF(c.Left, c.Top), size);
            p.items.push_back(item);
            p.contentBottom = item.rect.bottom();
        }
        break;
    case ControlKind::QrCode: {
        const QString payload = textOf(c);
        if (!payload.isEmpty()) {
            const int side = std::min(c.Width, c.Height);
            ReportItem item;
            item.control = &c;
            item.text = payload;
            item.rect = QRectF(c.Left, c.Top, side, side);
            p.items.push_back(item);
            p.contentBottom = item.rect.bottom();
        }
        break;
    }
    case ControlKind::Label:
    case ControlKind::TextBox: {
        const TextLines text = fitText(c, textOf(c));
        const TextFont &font = textFont(c.FontName, text.fontSize, c.FontBold);
        qsizetype used = text.lines.size(); // trailing blank lines take no room
        while (used > 0 && text.lines.at(used - 1).isEmpty())
            --used;
        const double needed = double(used) * font.height;
        double top = c.Top;
        if (c.RaiseLimit > 0 && needed > c.Height)
            top -= std::min<double>(c.RaiseLimit, needed - c.Height);
        for (qsizetype i = 0; i < used; ++i) {
            const QString &line = text.lines.at(i);
            if (line.isEmpty())
                continue;
            const double width = text.widths.at(i);
            double x = c.Left;
            if (c.Alignment & Qt::AlignRight)
                x = c.Left + c.Width - width;
            else if (c.Alignment & Qt::AlignHCenter)
                x = c.Left + (c.Width - width) / 2;
            ReportItem item;
            item.control = &c;
            item.rect = QRectF(x, top + double(i) * font.height, width, font.height);
            item.text = line;
            item.fontSize = text.fontSize;
            p.items.push_back(std::move(item));
        }
        p.contentBottom = top + needed;
        break;
    }
    }
    return p;
}

// How far `member` must move down so that none of its items overlaps an item of `above`
// (moved by its shift) that shares part of its width; where they would, it keeps a little
// clear of it.
double collisionShift(const Placed &above, const Placed &member, double shift)
{
    bool moved = true;
    while (moved) {
        moved = false;
        for (const ReportItem &u : above.items) {
            const double uTop = u.rect.top() + above.shift;
            const double uBottom = u.rect.bottom() + above.shift;
            for (const ReportItem &v : member.items) {
                if (!overlap(u.rect.left(), u.rect.right(), v.rect.left(), v.rect.right()))
                    continue;
                const double vTop = v.rect.top() + shift;
                if (overlap(uTop, uBottom, vTop, v.rect.bottom() + shift)) {
                    shift = uBottom + kClearance - v.rect.top();
                    moved = true;
                }
            }
        }
    }
    return shift;
}

} // namespace

SectionLayout layoutSection(const ReportSection &section, const std::function<QString(const ReportControl &)> &textOf,
                            bool continuation)
{
    std::vector<Placed> placed;
    for (const ReportControl &c : section.Controls)
        if (c.Visible && shownOn(c.On, continuation))
            placed.push_back(place(c, textOf));
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed &a, const Placed &b) { return a.control->Top < b.control->Top; });

    // Line by line of the design: a control moves by what grew or moved above it in its
    // column, and at least so far that it overlaps nothing printed above it.
    for (std::size_t first = 0; first < placed.size();) {
        std::size_t end = first;
        while (end < placed.size() && placed[end].control->Top == placed[first].control->Top)
            ++end;
        double shift = 0;
        for (std::size_t m = first; m < end; ++m) {
            const Placed &member = placed[m];
            if (member.control->Fixed)
                continue;
            for (std::size_t a = 0; a < first; ++a) {
                const Placed &above = placed[a];
                if (above.designBottom() <= member.control->Top
                    && designOverlapsHorizontally(*above.control, *member.control))
                    shift = std::max(shift, above.shift + above.growth());
            }
        }
        // Moving one member can bring another into something above it: until all are clear.
        for (bool moved = true; moved;) {
            moved = false;
            for (std::size_t m = first; m < end; ++m) {
                if (placed[m].control->Fixed)
                    continue;
                for (std::size_t a = 0; a < first; ++a) {
                    const double needed = collisionShift(placed[a], placed[m], shift);
                    if (needed > shift) {
                        shift = needed;
                        moved = true;
                    }
                }
            }
        }
        for (std::size_t m = first; m < end; ++m)
            if (!placed[m].control->Fixed)
                placed[m].shift = shift;
        first = end;
    }

    SectionLayout layout;
    layout.height = section.Height;
    for (Placed &p : placed)
        for (ReportItem &item : p.items) {
            item.rect.translate(0, p.shift);
            item.line.translate(0, p.shift);
            layout.height = std::max(layout.height, item.rect.bottom());
            layout.items.push_back(std::move(item));
        }
    return layout;
}

double breakBefore(const SectionLayout &layout, double from, double limit)
{
    double cut = limit;
    for (bool moved = true; moved;) {
        moved = false;
        for (const ReportItem &item : layout.items)
            if (item.rect.top() >= from && item.rect.top() < cut && item.rect.bottom() > cut) {
                cut = item.rect.top();
                moved = true;
            }
    }
    return std::max(cut, from);
}

double nextItemTop(const SectionLayout &layout, double at)
{
    double next = layout.height;
    for (const ReportItem &item : layout.items)
        if (item.rect.top() >= at)
            next = std::min(next, item.rect.top());
    return next;
}

} // namespace qvl
