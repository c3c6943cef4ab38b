#include "files/BuiltInSchema.h"

#include <QFile>

namespace qvl {

namespace {

void ignoreError(void *, xmlErrorPtr) {}

} // namespace

xmlSchemaPtr parseBuiltInSchema(const QString &resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray xsd = file.readAll();
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewMemParserCtxt(xsd.constData(), int(xsd.size()));
    xmlSchemaSetParserStructuredErrors(parser, ignoreError, nullptr);
    xmlSchemaPtr schema = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    return schema;
}

} // namespace qvl
