#pragma once
// Windows sized for the screen they open on. A dialog asks for the size its content wants,
// but never more than the screen's free room less the window manager's frame: at 125 % or
// 150 % on a 1024×768 or 1366×768 screen its buttons stay on the screen, and what does not
// fit scrolls inside the dialog.

#include <QSize>

class QScrollArea;
class QWidget;

namespace qvl {

// The room a top-level window's inside may take on the screen it opens on (its parent's,
// else the primary screen): the available geometry less the title bar and borders.
QSize screenRoom(const QWidget *window);

// Resizes `window` to `wanted`, bounded by screenRoom, and no smaller than its layout's
// minimum where that fits.
void fitToScreen(QWidget *window, QSize wanted);

// A frameless scroll area around `content` that asks for the content's size: it scrolls
// only where the screen is too small for it.
QScrollArea *scrollingArea(QWidget *content);

} // namespace qvl
