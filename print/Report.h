#pragma once
// A report ready to be shown: a snapshot of its design bound to its row table. It breaks
// into pages as its content flows (see ReportDesign.h) and paints any page with QPainter
// onto any paged device — the PDF writer here, a printer or the print preview in the GUI.

#include "db/RecordSet.h"
#include "print/ReportDesign.h"
#include "print/ReportLayout.h"

#include <QHash>
#include <QPageLayout>
#include <QStringList>
#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace qvl {

class RunOutputs;

class Report {
public:
    Report(const ReportDesign &design, RecordSet rows);

    const QString &name() const;  // the design's name: "Rechnung", "Beitrag", "Begleitzettel"
    const QString &title() const; // the report window's title
    const ReportDesign &design() const;
    const RecordSet &rows() const;

    // A label whose caption differs from row to row (one entry per row).
    void setRowCaptions(const QString &control, QStringList captions);

    // The report of some rows alone (some owners' letters): the same design, those rows
    // in the order given with their own captions, broken into pages anew.
    Report rowsReport(const QList<int> &rows) const;
    // The pages (0-based) on which a row is painted.
    QList<int> pagesOfRow(int row) const;
    // The same for every row at once (one entry per row).
    QList<QList<int>> pagesByRow() const;

    int pageCount() const;
    // A4 in the design's orientation, without margins: the design places everything itself.
    QPageLayout pageLayout() const;

    // What one page (0-based) shows, placed on the paper: exactly what paintPage paints.
    std::vector<ReportItem> pageItems(int page) const;
    // The row whose data a page shows (its first detail row; -1 when it shows none).
    int pageRow(int page) const;

    // Paints one page (0-based). The painter must be active on a paged device whose page
    // layout is pageLayout(); positions are converted from twips with the device's
    // resolution, and the printer's unprintable border is accounted for.
    void paintPage(QPainter &painter, int page) const;
    // Sets the device's page layout and paints every page. False (with a German text in
    // *error) when the device could not be painted on.
    bool print(QPagedPaintDevice &device, QString *error = nullptr) const;
    // Paints these pages only, in this order.
    bool printPages(QPagedPaintDevice &device, const QList<int> &pages, QString *error = nullptr) const;
    // The whole report as a PDF file, replacing the file atomically; within a run (`run`
    // given) a hidden file the run names after its commit. Throws WriteError naming the file.
    void writePdf(const QString &path, RunOutputs *run) const;

    // The row table as CSV lines (";", a header line of the column names). A value that
    // holds ";", a quote or a line break is quoted, quotes doubled.
    QStringList csvLines() const;

private:
    struct Data;
    struct Page;

    void paginate();
    SectionLayout layout(SectionKind kind, int row, int page, int rowPage, bool continuation) const;
    QString controlText(const ReportControl &control, int row, int page, int rowPage) const;

    std::shared_ptr<Data> d;
};

} // namespace qvl
