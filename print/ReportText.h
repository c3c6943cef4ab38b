#pragma once
// A report control's text as lines that fit its box: measured with the font's own advances
// (no shaping: report texts are Latin script, and shaping every line of thousands of
// letters would cost more than the rest of the painting), wrapped at blanks, shrunk,
// shortened or widened as the control asks. The same measures place and paint a line, so
// what a layout promises is what the page shows.

#include "print/ReportDesign.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QStringList>

namespace qvl {

// A face at one size, in twips (the painter works in twips). Made once per face and size:
// a report of thousands of pages uses the same few over and over.
struct TextFont {
    QFont font;
    QFontMetricsF metrics;
    QRawFont raw;
    double ascent = 0;
    double height = 0; // ascent + descent: the room of one line
};
const TextFont &textFont(const QString &family, double points, bool bold);

// Width of a line in twips.
double textWidth(const TextFont &font, const QString &line);

// The line laid out straight from the font's character map and advances; empty when a
// character has no glyph in the font (the painter's own text layout, with its fallback
// fonts, is used then). *width receives the run's advance.
QGlyphRun glyphRun(const TextFont &font, const QString &line, double *width);

struct TextLines {
    QStringList lines;    // blank lines of the text keep their place as empty lines
    QList<double> widths; // twips, per line
    double fontSize = 0;  // points: the control's, or smaller when shrunk to fit
};

// The text of a control as it is printed: the value's own line breaks (CR, LF or CR LF)
// start new lines; with JoinLines they are blanks, with FirstLines only the first ones
// count, with SkipBlankLines blank ones are left out; trailing blanks of a line are
// dropped. The font shrinks (down to MinFontSize, when given) until the widest line fits.
// A line still wider than the box wraps at blanks (a word wider than the box at any
// character); without WordWrap it stays one line and, unless the box is right-aligned (an
// amount, which extends to the left), is shortened at a word with "…".
TextLines fitText(const ReportControl &control, const QString &text);

} // namespace qvl
