#pragma once
// A report in the print preview: the user pages through it, prints it, or saves it as a
// PDF file. Failures are told through the user interface.

#include <QString>

class QWidget;

namespace qvl {

class Report;
class UserInterface;

// Shows the preview modally. False when printing failed (the user has been told why).
bool showReportPreview(const Report &report, UserInterface &ui, QWidget *parent);

// Writes the report as a PDF file. False when it could not be written (the user has been
// told why; no half-written file remains).
bool saveReportPdf(const Report &report, const QString &path, UserInterface &ui);

} // namespace qvl
