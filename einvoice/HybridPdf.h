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

// The report painted as one PDF/A-1b document in memory. Empty with *error when it cannot
// be painted. Many letters are painted into one document: the fonts are subset and
// embedded once, which costs more than painting a page.
QByteArray pdfaLetters(const Report &letters, QString *error);
// The same for some pages of the letters only, in this order.
QByteArray pdfaPages(const Report &letters, const QList<int> &pages, QString *error = nullptr);

// Takes a PDF/A-1b document of letters apart into hybrid invoices: each gets its own
// pages, with the resources they use (font subsets, output intent), and the XML.
class HybridPdfSource {
public:
    // Empty with *error when qpdf cannot read it.
    explicit HybridPdfSource(QByteArray pdfa);
    ~HybridPdfSource();
    HybridPdfSource(const HybridPdfSource &) = delete;
    HybridPdfSource &operator=(const HybridPdfSource &) = delete;

    bool isValid() const { return m_source != nullptr; }
    QString errorText() const { return m_error; }
    // The pages (0-based) with the XML embedded, as PDF/A-3b. Empty with *error when qpdf
    // refuses.
    QByteArray hybrid(const QList<int> &pages, const QByteArray &xml, const HybridPdfInfo &info, QString *error);

private:
    QByteArray m_bytes; // read by qpdf for as long as it lives
    std::unique_ptr<QPDF> m_source;
    QString m_error;
};

// The XMP packet of the hybrid invoice (PDF/A-3b, Factur-X extension schema).
QByteArray hybridXmp(const HybridPdfInfo &info);

} // namespace qvl
