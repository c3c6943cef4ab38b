#pragma once
// Programs without a window still paint reports, and fonts need Qt's GUI layer. Call
// before constructing the QGuiApplication: it chooses the offscreen platform unless one
// is set, and gives Qt a private runtime folder when the session has none (otherwise Qt
// warns on stderr, which the batch program keeps for its messages).

namespace qvl {

void prepareHeadlessGui();

} // namespace qvl
