#include "gui/ReportPreview.h"
#include "gui/HelpWindow.h"

#include "base/UserInterface.h"
#include "core/RunError.h"
#include "print/Report.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QToolBar>

namespace qvl {

namespace {

// The zoom the user chose last, in the user's settings: "Breite" (fit width), "Seite"
// (fit page) or a factor.
const QString kZoomKey = QStringLiteral("Druckvorschau/Zoom");

void restoreZoom(QPrintPreviewDialog &dialog)
{
    const QString zoom = QSettings().value(kZoomKey, u"Breite"_qs).toString();
    bool isFactor = false;
    const double factor = zoom.toDouble(&isFactor);
    auto *combo = dialog.findChild<QComboBox *>();
    if (isFactor && factor > 0 && combo && combo->lineEdit()) {
        // Through the dialog's own zoom box, so its buttons show that no fitting is on.
        combo->lineEdit()->setText(QString::number(factor * 100) + u'%');
        emit combo->lineEdit()->editingFinished();
        return;
    }
    const QString action = zoom == u"Seite"_qs ? u"fitPageAction"_qs : u"fitWidthAction"_qs;
    if (auto *fit = dialog.findChild<QAction *>(action))
        fit->trigger();
}

void saveZoom(const QPrintPreviewDialog &dialog)
{
    const auto *preview = dialog.findChild<QPrintPreviewWidget *>();
    if (!preview)
        return;
    switch (preview->zoomMode()) {
    case QPrintPreviewWidget::FitToWidth: QSettings().setValue(kZoomKey, u"Breite"_qs); break;
    case QPrintPreviewWidget::FitInView: QSettings().setValue(kZoomKey, u"Seite"_qs); break;
    case QPrintPreviewWidget::CustomZoom: QSettings().setValue(kZoomKey, QString::number(preview->zoomFactor())); break;
    }
}

} // namespace

bool saveReportPdf(const Report &report, const QString &path, UserInterface &ui)
{
    try {
        report.writePdf(path, nullptr);
        return true;
    } catch (const WriteError &e) {
        ui.message(u"Der Bericht konnte nicht als PDF-Datei gespeichert werden.\n"_qs + e.message(), report.title(),
                   MsgIcon::Critical);
        return false;
    }
}

bool showReportPreview(const Report &report, UserInterface &ui, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout());
    printer.setDocName(report.title());
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(u"ReportPreview"_qs);
    installHelpKey(&dialog, u"druckvorschau"_qs);
    dialog.setWindowTitle(report.title());
    // A page is read at the width of the screen, not as a thumbnail: maximised, and nearly
    // as large when the window manager does not maximise dialogs or the user restores it.
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), screen->availableGeometry().size() * 0.9);
        area.moveCenter(screen->availableGeometry().center());
        dialog.setGeometry(area);
    }
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    restoreZoom(dialog);
    bool failed = false;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        QString error;
        if (!report.print(*target, &error)) {
            failed = true;
            ui.message(u"Der Bericht konnte nicht gedruckt werden.\n"_qs + error, report.title(), MsgIcon::Critical);
        }
    });

    // Saving as PDF without a PDF printer installed.
    if (auto *toolbar = dialog.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        QAction *save = toolbar->addAction(u"Als PDF speichern …"_qs);
        save->setObjectName(u"actSavePdf"_qs);
        QObject::connect(save, &QAction::triggered, &dialog, [&] {
            const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            const QString path = QFileDialog::getSaveFileName(&dialog, u"Als PDF speichern"_qs,
                                                              QDir(folder).filePath(report.name() + u".pdf"_qs),
                                                              u"PDF-Dateien (*.pdf)"_qs);
            if (!path.isEmpty())
                saveReportPdf(report, path, ui);
        });
    }
    dialog.exec();
    saveZoom(dialog);
    return !failed;
}

} // namespace qvl
