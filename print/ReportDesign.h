#pragma once
// A banded report design: five sections (report header, page header, detail per row,
// page footer, report footer) holding controls placed in twips. The program finds
// controls by name and changes their properties at run time; a design lives as long as
// the program, so such changes stay for later runs.
//
// A control's place is where it starts when the content above it fits its boxes. Content
// flows: a text box shows all of its lines, growing below its Height when it needs to,
// and whatever lies below a box that grew (or moved) moves down with it; controls that
// stand on one line of the design (the same Top) move together; nothing is ever printed
// over what was printed before. A section that grows past the page continues on the next
// one.

#include <QImage>
#include <QPageLayout>
#include <QString>
#include <array>
#include <vector>

namespace qvl {

inline constexpr int kTwipsPerInch = 1440;

// QrCode: a square QR code of its DataField's text (the GiroCode of a transfer request);
// nothing where the text is empty.
enum class ControlKind { Label, TextBox, Line, Image, QrCode };

// On which pages a section or control is printed. A detail section that does not fit the
// rest of a page continues on the next: that page continues the row.
enum class PrintOn {
    EveryPage,
    RowStart,        // not on a page that continues a row begun on an earlier page
    RowContinuation, // only on such a page (a letter's second page)
};

// What a text box shows instead of its row's value.
enum class ControlFunction { None, Sum };

struct ReportControl {
    QString Name;
    ControlKind Kind = ControlKind::Label;
    int Top = 0; // twips, from the top of the section
    int Left = 0; // twips, from the left margin
    int Width = 0;
    int Height = 0;
    bool Visible = true;
    QString Caption;    // a label's text; "%p" stands for the page number, "%r" for the
                        // page number within the row (a letter's own pages)
    QString DataField;  // a text box's column
    QString DataFormat; // "#.##0,00", "###,##0.00", "dd.mm.yyyy" …; empty: the value as text
    ControlFunction Function = ControlFunction::None;
    QString FontName = QStringLiteral("Arial");
    double FontSize = 10; // points
    bool FontBold = false;
    Qt::Alignment Alignment = Qt::AlignLeft;
    QImage Picture;
    // Blank lines of a multi-line value are left out, so that the lines stand level with
    // a neighbouring column that lists only the lines that have a value.
    bool SkipBlankLines = false;
    // A line too wide for its box first takes a smaller font, down to MinFontSize (points;
    // 0 keeps the size). Still too wide, it wraps at blanks (a word wider than the box at
    // any character) and the box grows downwards; without WordWrap it stays one line: an
    // amount (right-aligned) extends to the left, any other line is shortened at a word
    // with "…".
    bool WordWrap = true;
    double MinFontSize = 0;
    // Twips a box whose lines need more than its Height may start higher, so that it still
    // ends where its Height ends (an address in an envelope window); beyond that it grows.
    int RaiseLimit = 0;
    // Never moved by content that grows above it (a position fixed by the envelope).
    bool Fixed = false;
    // Only the first lines of the value, joined by blanks, on one line (0: all of them).
    int FirstLines = 0;
    // Line breaks inside the value are blanks (a list cell: one value, one paragraph).
    bool JoinLines = false;
    PrintOn On = PrintOn::EveryPage;

    // The position as designed; moves at run time are measured from here.
    int DesignTop = 0;
    int DesignLeft = 0;
};

enum class SectionKind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };

struct ReportSection {
    QString Name;
    int Height = 0; // twips; the section grows with its content
    bool Visible = true;
    PrintOn On = PrintOn::EveryPage; // page header and page footer
    // A row that does not fit the rest of the page starts on the next one (a list row);
    // otherwise it is broken between two lines of text (a long letter).
    bool KeepTogether = false;
    std::vector<ReportControl> Controls;
};

class ReportDesign {
public:
    // Sections are named as the report designer names them: "Bereich1" detail, "Bereich2"
    // page header, "Bereich3" page footer, "Bereich4" report header, "Bereich5" report footer.
    ReportDesign(QString name, QString caption, QPageLayout::Orientation orientation = QPageLayout::Portrait);

    QString Name;
    QString Caption; // the report window's title
    QPageLayout::Orientation Orientation;
    int LeftMargin = 1134; // twips (2 cm)
    int RightMargin = 567;
    int TopMargin = 567;
    int BottomMargin = 567;
    bool NewPagePerRow = false; // every row starts a new page (one letter per owner)

    ReportSection &section(SectionKind kind) { return m_sections[size_t(kind)]; }
    const ReportSection &section(SectionKind kind) const { return m_sections[size_t(kind)]; }
    // nullptr when there is no section or control of that name (letter case ignored).
    ReportSection *findSection(const QString &name);
    ReportControl *find(const QString &name);
    const ReportControl *find(const QString &name) const;
    // A control the design is known to hold; a missing one is a programming error.
    ReportControl &control(const QString &name);

    ReportControl &add(SectionKind kind, ReportControl control);
    ReportControl &label(SectionKind kind, const QString &name, const QString &caption, int left, int top,
                         int width, int height);
    ReportControl &textBox(SectionKind kind, const QString &name, const QString &dataField, int left, int top,
                           int width, int height);
    ReportControl &line(SectionKind kind, const QString &name, int left, int top, int width);

    // The page in twips and the room between the margins.
    int pageWidth() const;
    int pageHeight() const;
    int bodyWidth() const { return pageWidth() - LeftMargin - RightMargin; }
    int bodyHeight() const { return pageHeight() - TopMargin - BottomMargin; }

private:
    std::array<ReportSection, 5> m_sections;
};

} // namespace qvl
