// Painting a report's pages onto a paged device: a printer, the preview or a PDF.

#include "print/ReportPages.h"

#include "files/AnsiTextFile.h"
#include "files/RunOutputs.h"
#include "core/RunError.h"
#include "print/QrCode.h"
#include "print/ReportText.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <numeric>

namespace qvl {

namespace {

void paintItem(QPainter &painter, const ReportItem &item)
{
    const ReportControl &c = *item.control;
    switch (c.Kind) {
    case ControlKind::Line:
        painter.setPen(QPen(Qt::black, 15));
        painter.drawLine(item.line);
        break;
    case ControlKind::Image:
        painter.drawImage(item.rect, c.Picture);
        break;
    case ControlKind::QrCode:
        paintQr(painter, item.rect, encodeQr(item.text.toUtf8()));
        break;
    case ControlKind::Label:
    case ControlKind::TextBox: {
        const TextFont &font = textFont(c.FontName, item.fontSize, c.FontBold);
        const QPointF baseline(item.rect.left(), item.rect.top() + font.ascent);
        double width = 0;
        const QGlyphRun run = glyphRun(font, item.text, &width);
        painter.setPen(Qt::black);
        if (!run.isEmpty()) {
            painter.drawGlyphRun(baseline, run);
        } else {
            painter.setFont(font.font);
            painter.drawText(baseline, item.text);
        }
        break;
    }
    }
}

} // namespace

void Report::paintPage(QPainter &painter, int index) const
{
    if (index < 0 || index >= pageCount())
        return;
    QPaintDevice *device = painter.device();
    painter.save();
    // Painter coordinates start at the device's printable area; twips count from the
    // paper's corner.
    const double scale = double(device->logicalDpiX()) / kTwipsPerInch;
    if (auto *paged = dynamic_cast<QPagedPaintDevice *>(device)) {
        const QRect full = paged->pageLayout().fullRectPixels(device->logicalDpiX());
        const QRect paint = paged->pageLayout().paintRectPixels(device->logicalDpiX());
        painter.translate(full.topLeft() - paint.topLeft());
    }
    painter.scale(scale, double(device->logicalDpiY()) / kTwipsPerInch);
    painter.setPen(Qt::black);
    for (const ReportItem &item : pageItems(index))
        paintItem(painter, item);
    painter.restore();
}

bool Report::print(QPagedPaintDevice &device, QString *error) const
{
    QList<int> pages(pageCount());
    std::iota(pages.begin(), pages.end(), 0);
    return printPages(device, pages, error);
}

bool Report::printPages(QPagedPaintDevice &device, const QList<int> &pages, QString *error) const
{
    device.setPageLayout(pageLayout());
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = u"Der Bericht „"_qs + title() + u"“ kann nicht ausgegeben werden."_qs;
        return false;
    }
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const int page = pages.at(i);
        if (i > 0 && !device.newPage()) {
            if (error)
                *error = u"Der Bericht „"_qs + title() + u"“ kann nicht ausgegeben werden."_qs;
            return false;
        }
        paintPage(painter, page);
    }
    return painter.end();
}

void Report::writePdf(const QString &path, RunOutputs *run) const
{
    // The shared checked writer: on a full disk the old PDF stays and the failure is told.
    QString error;
    const bool written = writeReplacingFile(
        run, path,
        [&](QIODevice &device, QString *problem) {
            QPdfWriter pdf(&device);
            pdf.setResolution(kTwipsPerInch);
            pdf.setTitle(title());
            pdf.setCreator(QStringLiteral("QVL32 SEPA Beitragseinzug"));
            QString printError;
            if (print(pdf, &printError))
                return true;
            *problem = fileWriteError(path, printError);
            return false;
        },
        &error);
    if (!written)
        throw WriteError(path, error);
}

} // namespace qvl
