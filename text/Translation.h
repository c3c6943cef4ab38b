#pragma once
// Qt's own texts (the system's error descriptions, the command-line parser's messages, the
// standard buttons of message boxes) in German, for both programs.

namespace qvl {

// Installs Qt's German translation (qtbase_de) into the running application. Looks beside
// the program first (a deployed copy), then in Qt's translation folder. False when no
// translation was found; Qt's texts then stay English.
bool installGermanTranslation();

} // namespace qvl
