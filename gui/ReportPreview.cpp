#include "gui/ReportPreview.h"

#include "platform/UserInterface.h"
#include "print/Report.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QToolBar>

namespace qvl {

bool saveReportPdf(const Report &report, const QString &path, UserInterface &ui)
{
    QString error;
    if (report.writePdf(path, &error))
        return true;
    ui.message(u"Der Bericht konnte nicht als PDF-Datei gespeichert werden.\n"_qs + error, report.title(),
               MsgIcon::Critical);
    return false;
}

bool showReportPreview(const Report &report, UserInterface &ui, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout());
    printer.setDocName(report.title());
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(u"ReportPreview"_qs);
    dialog.setWindowTitle(report.title());
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
    return !failed;
}

} // namespace qvl
