#pragma once
// The hybrid invoice: the printed letter as PDF/A-3b with the invoice data embedded as
// "factur-x.xml" (Factur-X/ZUGFeRD, conformance level EN 16931). Qt writes the letter as
// PDF/A-1b (embedded font subsets, sRGB output intent, XMP); qpdf then adds the embedded
// file, the catalog's associated files and the XMP of PDF/A-3 with the Factur-X fields.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace qvl {

class Report;

struct HybridPdfInfo {
    QString title;   // document title, e.g. "Rechnung 501"
    QString author;  // the association
    QDateTime created;
};

// The report painted as PDF/A-1b into memory. Empty with *error when it cannot be painted.
QByteArray pdfaLetter(const Report &letter, const QString &title, QString *error);

// The letter with the XML embedded, as PDF/A-3b. Empty with *error when qpdf refuses.
QByteArray hybridPdf(const QByteArray &pdfaLetter, const QByteArray &xml, const HybridPdfInfo &info,
                     QString *error);

// The XMP packet of the hybrid invoice (PDF/A-3b, Factur-X extension schema).
QByteArray hybridXmp(const HybridPdfInfo &info);

} // namespace qvl
