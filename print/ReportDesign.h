#pragma once
// A banded report design: five sections (report header, page header, detail per row,
// page footer, report footer) holding controls placed in twips. The program finds
// controls by name and changes their properties at run time; a design lives as long as
// the program, so such changes stay for later runs.

#include <QImage>
#include <QPageLayout>
#include <QString>
#include <array>
#include <vector>

namespace qvl {

inline constexpr int kTwipsPerInch = 1440;

enum class ControlKind { Label, TextBox, Line, Image };

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
    QString Caption;    // a label's text; "%p" stands for the page number
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
    // A line too wide for its box wraps at blanks and the box grows downwards; without
    // WordWrap (list columns) it is shortened with "…".
    bool WordWrap = true;

    // The position as designed; moves at run time are measured from here.
    int DesignTop = 0;
    int DesignLeft = 0;
};

enum class SectionKind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };

struct ReportSection {
    QString Name;
    int Height = 0; // twips
    bool Visible = true;
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
