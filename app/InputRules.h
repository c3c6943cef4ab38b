#pragma once
// The main form's rules for typed input, by control name: which characters a box accepts,
// which boxes are formatted when they are left, and the file filters of its dialogs. The
// GUI asks these; the rules themselves are tested without widgets.

#include <QChar>
#include <QString>
#include <QStringList>

namespace qvl {

enum class KeyFilter {
    None,    // any character
    Digits,  // position boxes: digits only, Backspace dropped too
    Decimal  // decimal boxes: digits, "." and ",", Backspace
};

KeyFilter keyFilterFor(const QString &controlName);

// Whether a typed character reaches the box. Only characters a key types count: the GUI
// asks for printable characters and Backspace (code 8), never for Delete, Tab or Enter.
bool acceptsTypedChar(KeyFilter filter, QChar c);

// The decimals a formatted decimal box shows after it is left (4 or 2); 0 for every other
// control.
int formattedDecimalsFor(const QString &controlName);

// The logo's file dialog filter, in the runtime's form "Text|patterns|Text|patterns".
extern const QString kLogoFilter;

// A runtime file filter as the entries of a Qt file dialog ("Bitmap (*.bmp *.BMP)"). Every
// pattern is offered as given, in lower and in upper case, so a file system that tells
// letter case apart still finds "BILD.JPG" under "*.jpg".
QStringList qtFileFilters(const QString &runtimeFilter);

} // namespace qvl
