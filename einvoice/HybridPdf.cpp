#include "einvoice/HybridPdf.h"

#include "einvoice/CiiXml.h"
#include "print/Report.h"
#include "core/RunError.h"

#include <QDir>

#include <QBuffer>
#include <QPdfWriter>

// qpdf 11: its smart pointers are the standard ones.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <exception>

#include <numeric>

namespace qvl {

namespace {

const QString kProducer = QStringLiteral("QVL32 SEPA Beitragseinzug");
constexpr char kFileName[] = "factur-x.xml";

// "+01:00" / "+01'00'"
QString utcOffset(const QDateTime &t, const QString &separator, const QString &end)
{
    const int minutes = t.offsetFromUtc() / 60;
    const int m = std::abs(minutes);
    return (minutes < 0 ? u"-"_qs : u"+"_qs) + QStringLiteral("%1").arg(m / 60, 2, 10, QLatin1Char('0'))
           + separator + QStringLiteral("%1").arg(m % 60, 2, 10, QLatin1Char('0')) + end;
}

// The dates of the document information and of the XMP must name the same moment.
QString pdfDate(const QDateTime &t)
{
    return u"D:"_qs + t.toString(u"yyyyMMddHHmmss"_qs) + utcOffset(t, u"'"_qs, u"'"_qs);
}

QString xmpDate(const QDateTime &t)
{
    return t.toString(u"yyyy-MM-ddTHH:mm:ss"_qs) + utcOffset(t, u":"_qs, {});
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

QPDFObjectHandle pdfText(const QString &text)
{
    return QPDFObjectHandle::newUnicodeString(utf8(text));
}

// The extension schema PDF/A asks for every property outside its own namespaces.
QString factorXProperty(const QString &name, const QString &description)
{
    return u"            <rdf:li rdf:parseType=\"Resource\">\n"
           "              <pdfaProperty:name>"_qs
           + name
           + u"</pdfaProperty:name>\n"
             "              <pdfaProperty:valueType>Text</pdfaProperty:valueType>\n"
             "              <pdfaProperty:category>external</pdfaProperty:category>\n"
             "              <pdfaProperty:description>"_qs
           + description
           + u"</pdfaProperty:description>\n"
             "            </rdf:li>\n"_qs;
}

// Qt writes the subset tag ("QVEAAA+") only into the font descriptor; the font
// dictionaries name the font without it, so readers take the subsets for whole fonts.
void tagFontSubsets(QPDF &pdf)
{
    for (QPDFObjectHandle &object : pdf.getAllObjects()) {
        if (!object.isDictionary() || !object.getKey("/Type").isNameAndEquals("/Font"))
            continue;
        QPDFObjectHandle descendants = object.getKey("/DescendantFonts");
        QPDFObjectHandle cidFont = descendants.isArray() && descendants.getArrayNItems() > 0
                                       ? descendants.getArrayItem(0)
                                       : object;
        QPDFObjectHandle fontName = cidFont.getKey("/FontDescriptor").getKey("/FontName");
        if (fontName.isName() && fontName.getName().find('+') == 7)
            object.replaceKey("/BaseFont", fontName);
    }
}

// The XML as associated file of the document, the XMP of PDF/A-3 with the Factur-X fields,
// and a document information that says what the XMP says.
void embedInvoice(QPDF &pdf, const QByteArray &xml, const HybridPdfInfo &info)
{
    QPDFObjectHandle root = pdf.getRoot();
    const std::string date = utf8(pdfDate(info.created));

    auto stream = QPDFEFStreamObjectHelper::createEFStream(pdf, xml.toStdString());
    stream.setSubtype("text/xml").setCreationDate(date).setModDate(date);
    auto spec = QPDFFileSpecObjectHelper::createFileSpec(pdf, kFileName, stream);
    spec.setDescription("Rechnungsdaten (Factur-X/ZUGFeRD, EN 16931)");
    spec.getObjectHandle().replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Alternative"));
    QPDFEmbeddedFileDocumentHelper(pdf).replaceEmbeddedFile(kFileName, spec);
    root.replaceKey("/AF", QPDFObjectHandle::newArray({spec.getObjectHandle()}));

    QPDFObjectHandle metadata = QPDFObjectHandle::newStream(&pdf, hybridXmp(info).toStdString());
    metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
    root.replaceKey("/Metadata", metadata);

    QPDFObjectHandle docInfo = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    docInfo.replaceKey("/Title", pdfText(info.title));
    docInfo.replaceKey("/Author", pdfText(info.author));
    docInfo.replaceKey("/Creator", pdfText(kProducer));
    docInfo.replaceKey("/Producer", pdfText(kProducer));
    docInfo.replaceKey("/CreationDate", QPDFObjectHandle::newString(date));
    docInfo.replaceKey("/ModDate", QPDFObjectHandle::newString(date));
    pdf.getTrailer().replaceKey("/Info", docInfo);
}

} // namespace

QByteArray hybridXmp(const HybridPdfInfo &info)
{
    const QString created = xmpDate(info.created);
    QString x;
    x += u"<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
         "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
         "  <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
         "    <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
         "      <pdfaid:part>3</pdfaid:part>\n"
         "      <pdfaid:conformance>B</pdfaid:conformance>\n"
         "    </rdf:Description>\n"
         "    <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
         "      <dc:format>application/pdf</dc:format>\n"
         "      <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">"_qs
         + xmlEscaped(info.title)
         + u"</rdf:li></rdf:Alt></dc:title>\n"
           "      <dc:creator><rdf:Seq><rdf:li>"_qs
         + xmlEscaped(info.author)
         + u"</rdf:li></rdf:Seq></dc:creator>\n"
           "    </rdf:Description>\n"
           "    <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
           "      <pdf:Producer>"_qs
         + kProducer
         + u"</pdf:Producer>\n"
           "    </rdf:Description>\n"
           "    <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
           "      <xmp:CreatorTool>"_qs
         + kProducer + u"</xmp:CreatorTool>\n      <xmp:CreateDate>"_qs + created
         + u"</xmp:CreateDate>\n      <xmp:ModifyDate>"_qs + created
         + u"</xmp:ModifyDate>\n"
           "    </rdf:Description>\n"
           "    <rdf:Description rdf:about=\"\"\n"
           "        xmlns:pdfaExtension=\"http://www.aiim.org/pdfa/ns/extension/\"\n"
           "        xmlns:pdfaSchema=\"http://www.aiim.org/pdfa/ns/schema#\"\n"
           "        xmlns:pdfaProperty=\"http://www.aiim.org/pdfa/ns/property#\">\n"
           "      <pdfaExtension:schemas>\n"
           "        <rdf:Bag>\n"
           "          <rdf:li rdf:parseType=\"Resource\">\n"
           "            <pdfaSchema:schema>Factur-X PDFA Extension Schema</pdfaSchema:schema>\n"
           "            <pdfaSchema:namespaceURI>urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#"
           "</pdfaSchema:namespaceURI>\n"
           "            <pdfaSchema:prefix>fx</pdfaSchema:prefix>\n"
           "            <pdfaSchema:property>\n"
           "              <rdf:Seq>\n"_qs;
    x += factorXProperty(u"DocumentFileName"_qs, u"The name of the embedded XML document"_qs);
    x += factorXProperty(u"DocumentType"_qs, u"The type of the hybrid document in capital letters, e.g. INVOICE"_qs);
    x += factorXProperty(u"Version"_qs, u"The actual version of the standard applying to the embedded XML document"_qs);
    x += factorXProperty(u"ConformanceLevel"_qs, u"The conformance level of the embedded XML document"_qs);
    x += u"              </rdf:Seq>\n"
         "            </pdfaSchema:property>\n"
         "          </rdf:li>\n"
         "        </rdf:Bag>\n"
         "      </pdfaExtension:schemas>\n"
         "    </rdf:Description>\n"
         "    <rdf:Description rdf:about=\"\" xmlns:fx=\"urn:factur-x:pdfa:CrossIndustryDocument:invoice:1p0#\">\n"
         "      <fx:DocumentType>INVOICE</fx:DocumentType>\n"
         "      <fx:DocumentFileName>factur-x.xml</fx:DocumentFileName>\n"
         "      <fx:Version>1.0</fx:Version>\n"
         "      <fx:ConformanceLevel>EN 16931</fx:ConformanceLevel>\n"
         "    </rdf:Description>\n"
         "  </rdf:RDF>\n"
         "</x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>"_qs;
    return x.toUtf8();
}

QByteArray pdfaLetters(const Report &letters, const QString &target)
{
    QList<int> pages(letters.pageCount());
    std::iota(pages.begin(), pages.end(), 0);
    return pdfaPages(letters, pages, target);
}

QByteArray pdfaPages(const Report &letters, const QList<int> &pages, const QString &target)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        pdf.setResolution(kTwipsPerInch);
        pdf.setTitle(letters.title());
        pdf.setCreator(kProducer);
        QString error;
        if (!letters.printPages(pdf, pages, &error))
            throw WriteError(target, error);
    }
    return bytes;
}

HybridPdfSource::HybridPdfSource(QByteArray pdfa) : m_bytes(std::move(pdfa))
{
    try {
        auto source = std::make_unique<QPDF>();
        source->setSuppressWarnings(true);
        source->processMemoryFile("letters.pdf", m_bytes.constData(), size_t(m_bytes.size()));
        source->getAllPages();
        // Only indirect objects can be copied into another document.
        QPDFObjectHandle root = source->getRoot();
        if (root.hasKey("/OutputIntents") && !root.getKey("/OutputIntents").isIndirect())
            root.replaceKey("/OutputIntents", source->makeIndirectObject(root.getKey("/OutputIntents")));
        m_source = std::move(source);
    } catch (const std::exception &e) {
        m_error = u"Die Briefe der E-Rechnungen können nicht gelesen werden: "_qs + QString::fromUtf8(e.what());
    }
}

HybridPdfSource::~HybridPdfSource() = default;

QByteArray HybridPdfSource::hybrid(const QList<int> &pages, const QByteArray &xml, const HybridPdfInfo &info,
                                   const QString &target)
{
    try {
        if (!m_source)
            throw std::runtime_error(m_error.toStdString());
        QPDF pdf;
        pdf.emptyPDF();
        pdf.setSuppressWarnings(true);
        const std::vector<QPDFObjectHandle> &all = m_source->getAllPages();
        for (int p : pages)
            pdf.addPage(pdf.copyForeignObject(all.at(size_t(p))), false);
        QPDFObjectHandle sourceRoot = m_source->getRoot();
        if (sourceRoot.hasKey("/OutputIntents"))
            pdf.getRoot().replaceKey("/OutputIntents", pdf.copyForeignObject(sourceRoot.getKey("/OutputIntents")));
        tagFontSubsets(pdf);
        embedInvoice(pdf, xml, info);

        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        writer.setMinimumPDFVersion("1.7");
        // The letter's streams are compressed already: copied as they are.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setDeterministicID(true);
        writer.write();
        const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char *>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception &e) {
        throw WriteError(target, u"Die E-Rechnung „"_qs + QDir::toNativeSeparators(target)
                                     + u"“ konnte nicht als PDF/A-3 geschrieben werden: "_qs
                                     + QString::fromUtf8(e.what()));
    }
}

} // namespace qvl
