#include "print/ReportDesign.h"

#include <QPageSize>
#include <stdexcept>

namespace qvl {

ReportDesign::ReportDesign(QString name, QString caption, QPageLayout::Orientation orientation)
    : Name(std::move(name)), Caption(std::move(caption)), Orientation(orientation)
{
    section(SectionKind::Detail).Name = QStringLiteral("Bereich1");
    section(SectionKind::PageHeader).Name = QStringLiteral("Bereich2");
    section(SectionKind::PageFooter).Name = QStringLiteral("Bereich3");
    section(SectionKind::ReportHeader).Name = QStringLiteral("Bereich4");
    section(SectionKind::ReportFooter).Name = QStringLiteral("Bereich5");
}

ReportSection *ReportDesign::findSection(const QString &name)
{
    for (ReportSection &s : m_sections)
        if (s.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

ReportControl *ReportDesign::find(const QString &name)
{
    for (ReportSection &s : m_sections)
        for (ReportControl &c : s.Controls)
            if (c.Name.compare(name, Qt::CaseInsensitive) == 0)
                return &c;
    return nullptr;
}

const ReportControl *ReportDesign::find(const QString &name) const
{
    return const_cast<ReportDesign *>(this)->find(name);
}

ReportControl &ReportDesign::control(const QString &name)
{
    if (ReportControl *c = find(name))
        return *c;
    throw std::logic_error("report " + Name.toStdString() + " has no control " + name.toStdString());
}

ReportControl &ReportDesign::add(SectionKind kind, ReportControl control)
{
    control.DesignTop = control.Top;
    control.DesignLeft = control.Left;
    auto &controls = section(kind).Controls;
    controls.push_back(std::move(control));
    return controls.back();
}

ReportControl &ReportDesign::label(SectionKind kind, const QString &name, const QString &caption, int left, int top,
                                   int width, int height)
{
    ReportControl c;
    c.Name = name;
    c.Kind = ControlKind::Label;
    c.Caption = caption;
    c.Left = left;
    c.Top = top;
    c.Width = width;
    c.Height = height;
    return add(kind, std::move(c));
}

ReportControl &ReportDesign::textBox(SectionKind kind, const QString &name, const QString &dataField, int left,
                                     int top, int width, int height)
{
    ReportControl c;
    c.Name = name;
    c.Kind = ControlKind::TextBox;
    c.DataField = dataField;
    c.Left = left;
    c.Top = top;
    c.Width = width;
    c.Height = height;
    return add(kind, std::move(c));
}

ReportControl &ReportDesign::line(SectionKind kind, const QString &name, int left, int top, int width)
{
    ReportControl c;
    c.Name = name;
    c.Kind = ControlKind::Line;
    c.Left = left;
    c.Top = top;
    c.Width = width;
    return add(kind, std::move(c));
}

int ReportDesign::pageWidth() const
{
    const QSize a4 = QPageSize(QPageSize::A4).sizePoints(); // 1 point = 20 twips
    return (Orientation == QPageLayout::Portrait ? a4.width() : a4.height()) * 20;
}

int ReportDesign::pageHeight() const
{
    const QSize a4 = QPageSize(QPageSize::A4).sizePoints();
    return (Orientation == QPageLayout::Portrait ? a4.height() : a4.width()) * 20;
}

} // namespace qvl
