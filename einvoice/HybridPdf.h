#pragma once
// The hybrid invoice: the printed letter as PDF/A-3b with the invoice data embedded as
// "factur-x.xml" (Factur-X/ZUGFeRD, conformance level EN 16931). Qt writes the letter as
// PDF/A-1b (embedded font subsets, sRGB output intent, XMP); qpdf then adds the embedded
// file, the catalog's associated files and the XMP of PDF/A-3 with the Factur-X fields.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class QPDF;

namespace qvl {

class Report;

struct HybridPdfInfo {
    QString title;   // document title, e.g. "Rechnung 501"
    QString author;  // the association
    QDateTime created;
};

// The report painted as one PDF/A-1b document in memory. Many letters are painted into one
// document: the fonts are subset and embedded once, which costs more than painting a page.
// Throws WriteError naming `target` (the file or folder the letters are for) when it
// cannot be painted.
QByteArray pdfaLetters(const Report &letters, const QString &target);
// The same for some pages of the letters only, in this order.
QByteArray pdfaPages(const Report &letters, const QList<int> &pages, const QString &target);

// Takes a PDF/A-1b document of letters apart into hybrid invoices: each gets its own
// pages, with the resources they use (font subsets, output intent), and the XML.
class HybridPdfSource {
public:
    // A document qpdf cannot read makes hybrid() throw, saying why.
    explicit HybridPdfSource(QByteArray pdfa);
    ~HybridPdfSource();
    HybridPdfSource(const HybridPdfSource &) = delete;
    HybridPdfSource &operator=(const HybridPdfSource &) = delete;

    // The pages (0-based) with the XML embedded, as PDF/A-3b. Throws WriteError naming
    // `target` (the file they are for) when qpdf refuses.
    QByteArray hybrid(const QList<int> &pages, const QByteArray &xml, const HybridPdfInfo &info,
                      const QString &target);

private:
    QByteArray m_bytes; // read by qpdf for as long as it lives
    std::unique_ptr<QPDF> m_source;
    QString m_error;
};

// The XMP packet of the hybrid invoice (PDF/A-3b, Factur-X extension schema).
QByteArray hybridXmp(const HybridPdfInfo &info);

} // namespace qvl
