#pragma once
// An XML schema built into the program as a Qt resource, parsed by libxml2. The schemas are
// the official ones and parse without messages; a parser's complaints would only reach
// stderr, so they are dropped.

#include <QString>

#include <libxml/xmlschemas.h>

namespace qvl {

// Null when the resource is missing (a program built without its schemas).
xmlSchemaPtr parseBuiltInSchema(const QString &resourcePath);

} // namespace qvl
