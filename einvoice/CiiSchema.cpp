#include "einvoice/CiiSchema.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlschemas.h>

#include <cstring>
#include <mutex>

// Resources of a static library reach the program only when something refers to them.
static void initEInvoiceSchemaResources()
{
    Q_INIT_RESOURCE(einvoiceschema);
}

namespace qvl {

namespace {

// The schema's modules import each other by relative names; they are read from the
// resources through an input scheme of their own.
constexpr char kScheme[] = "qvl32-cii:";
const QString kResourceFolder = QStringLiteral(":/qvl32/einvoice/");

int matchScheme(const char *uri)
{
    return uri && std::strncmp(uri, kScheme, sizeof kScheme - 1) == 0 ? 1 : 0;
}

void *openResource(const char *uri)
{
    const char *name = std::strrchr(uri, '/');
    name = name ? name + 1 : uri + sizeof kScheme - 1;
    auto *file = new QFile(kResourceFolder + QString::fromUtf8(name));
    if (file->open(QIODevice::ReadOnly))
        return file;
    delete file;
    return nullptr;
}

int readResource(void *context, char *buffer, int len)
{
    return int(static_cast<QFile *>(context)->read(buffer, len));
}

int closeResource(void *context)
{
    delete static_cast<QFile *>(context);
    return 0;
}

void ignoreError(void *, xmlErrorPtr) {}

// Parsed once per process and shared read-only by every validation; null only when the
// program was built without its schema.
xmlSchemaPtr schema()
{
    static const xmlSchemaPtr parsed = [] {
        initEInvoiceSchemaResources();
        xmlInitParser();
        xmlRegisterInputCallbacks(matchScheme, openResource, readResource, closeResource);
        const QByteArray root = QByteArray(kScheme) + "/schema/CrossIndustryInvoice_100pD16B.xsd";
        xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(root.constData());
        xmlSchemaSetParserStructuredErrors(parser, ignoreError, nullptr);
        xmlSchemaPtr s = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
        return s;
    }();
    return parsed;
}

struct FirstError {
    std::optional<QString> text;
    static void record(void *self, xmlErrorPtr e)
    {
        auto &first = static_cast<FirstError *>(self)->text;
        if (e && e->level >= XML_ERR_ERROR && !first)
            first = u"Zeile "_qs + QString::number(e->line) + u": "_qs + QString::fromUtf8(e->message).trimmed();
    }
};

} // namespace

std::optional<QString> ciiSchemaError(const QByteArray &document)
{
    const xmlSchemaPtr s = schema();
    if (!s)
        return u"Das Schema der E-Rechnung fehlt im Programm."_qs;
    FirstError first;
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    xmlSetStructuredErrorFunc(&first, FirstError::record);
    xmlDocPtr doc = xmlCtxtReadMemory(parser, document.constData(), int(document.size()), "factur-x.xml", "UTF-8",
                                      XML_PARSE_NONET);
    if (doc) {
        xmlSchemaValidCtxtPtr validation = xmlSchemaNewValidCtxt(s);
        xmlSchemaSetValidStructuredErrors(validation, FirstError::record, &first);
        if (xmlSchemaValidateDoc(validation, doc) != 0 && !first.text)
            first.text = u"Das Dokument entspricht nicht dem Schema."_qs;
        xmlSchemaFreeValidCtxt(validation);
        xmlFreeDoc(doc);
    } else if (!first.text) {
        first.text = u"Das Dokument ist kein XML."_qs;
    }
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    xmlFreeParserCtxt(parser);
    return first.text;
}

} // namespace qvl
