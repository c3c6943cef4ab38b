#include "gui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace qvl {

namespace {

// Asks for its content's size, so a dialog opens large enough to need no scroll bar where
// the screen has the room.
class ContentArea : public QScrollArea {
public:
    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        const int frame = 2 * frameWidth();
        QSize hint = widget()->sizeHint() + QSize(frame, frame);
        // Room for the scroll bar that appears when the height does not fit.
        hint.rwidth() += verticalScrollBar()->sizeHint().width();
        return hint;
    }
    QSize minimumSizeHint() const override
    {
        // A few lines of the content, never the whole of it.
        const QSize hint = sizeHint();
        return {std::min(hint.width(), 200), std::min(hint.height(), fontMetrics().height() * 4)};
    }
};

} // namespace

QSize screenRoom(const QWidget *window)
{
    const QWidget *anchor = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen *screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // The window manager's title bar and border: the style's own figures are smaller than
    // most window managers draw them, so a little more is kept free.
    const QStyle *style = window->style();
    const int border = style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    const int title = std::max(style->pixelMetric(QStyle::PM_TitleBarHeight), window->fontMetrics().height() + 12);
    return {room.width() - 2 * border, room.height() - title - 2 * border};
}

void fitToScreen(QWidget *window, QSize wanted)
{
    const QSize room = screenRoom(window);
    const QSize least = window->minimumSizeHint().boundedTo(room);
    window->resize(wanted.expandedTo(least).boundedTo(room));
}

QScrollArea *scrollingArea(QWidget *content)
{
    auto *area = new ContentArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    // The content's own boxes take the focus, not the area around them.
    area->setFocusPolicy(Qt::NoFocus);
    return area;
}

} // namespace qvl
