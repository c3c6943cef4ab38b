#pragma once
// Programs without a window still paint reports, and fonts need Qt's GUI layer. Call
// before constructing the QGuiApplication: it chooses the offscreen platform unless one
// is set, and gives Qt a private runtime folder when the session has none (otherwise Qt
// warns on stderr, which the batch program keeps for its messages). On Windows it names the
// system's font folder for the offscreen platform and switches the console to UTF-8, the
// encoding of every message the program prints.

namespace qvl {

// force: the offscreen platform even when another one is set — for a start of the desktop
// program that only prints (--help, --version) and must not need a display.
void prepareHeadlessGui(bool force = false);

} // namespace qvl
