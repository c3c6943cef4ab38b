#include "bank/CamtReader.h"

#include "platform/BuiltInSchema.h"
#include "bank/ZipArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>

#include <array>
#include <cstring>

static void initCamtSchemaResources()
{
    Q_INIT_RESOURCE(camtschema);
}

namespace qvl {

namespace {

constexpr std::array<const char *, 4> kMessages{"camt.053.001.02", "camt.053.001.08", "camt.054.001.02",
                                                "camt.054.001.08"};

xmlSchemaPtr parseSchema(const char *message)
{
    return parseBuiltInSchema(u":/qvl32/camt/"_qs + QString::fromLatin1(message) + u".xsd"_qs);
}

// Parsed once per process, shared read-only.
xmlSchemaPtr schemaOf(int index)
{
    static const std::array<xmlSchemaPtr, 4> schemas = [] {
        initCamtSchemaResources();
        xmlInitParser();
        std::array<xmlSchemaPtr, 4> parsed{};
        for (std::size_t i = 0; i < kMessages.size(); ++i)
            parsed[i] = parseSchema(kMessages[i]);
        return parsed;
    }();
    return schemas[std::size_t(index)];
}

// The bytes before the root element's namespace are held back, then handed to the parser.
struct Source {
    QByteArray head;
    qsizetype headPos = 0;
    const std::function<qint64(char *, qint64)> *read = nullptr;
    bool failed = false;
};

int readSource(void *context, char *buffer, int length)
{
    auto *s = static_cast<Source *>(context);
    if (s->headPos < s->head.size()) {
        const int n = int(std::min<qsizetype>(length, s->head.size() - s->headPos));
        std::memcpy(buffer, s->head.constData() + s->headPos, size_t(n));
        s->headPos += n;
        return n;
    }
    const qint64 n = (*s->read)(buffer, length);
    if (n < 0)
        s->failed = true;
    return int(n);
}

int closeSource(void *) { return 0; }

struct FirstError {
    int line = 0;
    QString text;
};

void recordError(void *context, xmlErrorPtr error)
{
    auto *first = static_cast<FirstError *>(context);
    if (!first->text.isEmpty() || !error)
        return;
    first->line = error->line;
    first->text = QString::fromUtf8(error->message ? error->message : "").trimmed();
}

// Collects one entry while the reader walks through it; paths are the element names from
// the entry (Ntry) down.
class EntryBuilder {
public:
    void start(const QString &file, int line, const QString &account)
    {
        entry = BankEntry();
        entry.file = file;
        entry.line = line;
        entry.account = account;
        booked = true;
        accountRef.clear();
        entryRef.clear();
    }

    void beginTransaction() { entry.transactions.append(BankTransaction()); }

    void value(const QStringList &path, const QString &text)
    {
        if (text.isEmpty()) // an element that only holds others ("Sts" around "Cd")
            return;
        const qsizetype n = path.size();
        const auto ends = [&](std::initializer_list<const char16_t *> tail) {
            if (qsizetype(tail.size()) > n)
                return false;
            qsizetype i = n - qsizetype(tail.size());
            for (const char16_t *name : tail)
                if (path[i++] != QStringView(name))
                    return false;
            return true;
        };
        const bool inTx = path.contains(u"TxDtls"_qs);
        if (!inTx) {
            if (n == 2 && path[1] == u"Amt"_qs)
                entry.cents = camtCents(text).value_or(0);
            else if (n == 2 && path[1] == u"CdtDbtInd"_qs)
                entry.credit = text == u"CRDT"_qs;
            else if (n == 2 && path[1] == u"RvslInd"_qs)
                entry.reversal = text == u"true"_qs || text == u"1"_qs;
            else if ((n == 2 && path[1] == u"Sts"_qs) || (n == 3 && path[1] == u"Sts"_qs && path[2] == u"Cd"_qs))
                booked = text == u"BOOK"_qs;
            else if (n == 3 && path[1] == u"BookgDt"_qs)
                entry.booked = QDate::fromString(text.left(10), Qt::ISODate);
            else if (n == 2 && path[1] == u"AcctSvcrRef"_qs)
                accountRef = text;
            else if (n == 2 && path[1] == u"NtryRef"_qs)
                entryRef = text;
            else if (ends({u"Btch", u"MsgId"}))
                entry.batchMessageId = text;
            else if (ends({u"Btch", u"PmtInfId"}))
                entry.batchPaymentInfoId = text;
            else if (ends({u"Btch", u"NbOfTxs"}))
                entry.batchCount = text.toInt();
            else if (n >= 2 && path[1] == u"Chrgs"_qs && path.last() == u"Amt"_qs)
                entry.chargeCents += camtCents(text).value_or(0);
            else if (n == 2 && path[1] == u"AddtlNtryInf"_qs)
                entry.information = text;
            return;
        }
        if (entry.transactions.isEmpty())
            return;
        BankTransaction &t = entry.transactions.last();
        if (ends({u"TxDtls", u"Amt"}) || ends({u"AmtDtls", u"TxAmt", u"Amt"})) {
            if (t.cents == 0 || ends({u"TxDtls", u"Amt"}))
                t.cents = camtCents(text).value_or(0);
        } else if (ends({u"AmtDtls", u"InstdAmt", u"Amt"}))
            t.originalCents = camtCents(text).value_or(0);
        else if (ends({u"Refs", u"EndToEndId"}))
            t.endToEndId = text;
        else if (ends({u"Refs", u"MndtId"}))
            t.mandateId = text;
        else if (ends({u"Refs", u"MsgId"}))
            t.messageId = text;
        else if (ends({u"Refs", u"PmtInfId"}))
            t.paymentInfoId = text;
        else if (ends({u"RltdPties", u"Dbtr", u"Nm"}) || ends({u"RltdPties", u"Dbtr", u"Pty", u"Nm"}))
            t.name = text;
        else if (ends({u"RltdPties", u"DbtrAcct", u"Id", u"IBAN"}))
            t.iban = text;
        else if (ends({u"RmtInf", u"Ustrd"}) || ends({u"CdtrRefInf", u"Ref"}))
            t.remittance += (t.remittance.isEmpty() ? QString() : u"\n"_qs) + text;
        else if (ends({u"RtrInf", u"Rsn", u"Cd"}) || ends({u"RtrInf", u"Rsn", u"Prtry"}))
            t.returnCode = text;
        else if (ends({u"RtrInf", u"AddtlInf"}))
            t.returnInfo += (t.returnInfo.isEmpty() ? QString() : u" "_qs) + text;
        else if (path.contains(u"Chrgs"_qs) && path.last() == u"Amt"_qs)
            t.chargeCents += camtCents(text).value_or(0);
    }

    void element(const QStringList &path)
    {
        if (path.size() >= 2 && path.last() == u"RtrInf"_qs && path.contains(u"TxDtls"_qs)
            && !entry.transactions.isEmpty())
            entry.transactions.last().isReturn = true;
    }

    // False for an entry that is not booked.
    bool finish()
    {
        entry.reference = accountRef.isEmpty() ? entryRef : accountRef;
        if (entry.transactions.isEmpty())
            entry.transactions.append(BankTransaction());
        for (BankTransaction &t : entry.transactions)
            if (t.cents == 0 && entry.transactions.size() == 1)
                t.cents = entry.cents;
        return booked;
    }

    BankEntry entry;

private:
    bool booked = true;
    QString accountRef, entryRef;
};

QString refusal(const QString &name, int line, const QString &what)
{
    return u"Die Datei „"_qs + name + u"“ wurde nicht gelesen: "_qs + what
           + (line > 0 ? u" (Zeile "_qs + QString::number(line) + u")"_qs : QString()) + u'.';
}

} // namespace

QString BankEntry::key() const
{
    return account + u'|' + reference + u'|' + booked.toString(Qt::ISODate) + u'|' + QString::number(cents) + u'|'
           + (credit ? u"CRDT"_qs : u"DBIT"_qs);
}

std::optional<qint64> camtCents(QStringView text)
{
    text = text.trimmed();
    static const QRegularExpression amount(u"^(\\d{1,15})(?:\\.(\\d{1,5}))?$"_qs);
    const QRegularExpressionMatch m = amount.match(text.toString());
    if (!m.hasMatch())
        return std::nullopt;
    QString fraction = m.captured(2);
    fraction = (fraction + u"00"_qs).left(2);
    return m.captured(1).toLongLong() * 100 + fraction.toLongLong();
}

QString readCamtDocument(const QString &name, const std::function<qint64(char *, qint64)> &read,
                         QList<BankEntry> &entries, CamtDocument *document)
{
    Source source;
    source.read = &read;
    // The namespace of the root names the message and with it the schema.
    static const QRegularExpression ns(u"urn:iso:std:iso:20022:tech:xsd:([a-z]{4}\\.\\d{3}\\.\\d{3}\\.\\d{2})"_qs);
    char chunk[8192];
    QRegularExpressionMatch rootNamespace;
    while (source.head.size() < 65536) {
        const qint64 n = read(chunk, sizeof chunk);
        if (n < 0)
            return refusal(name, 0, u"sie kann nicht gelesen werden"_qs);
        if (n == 0)
            break;
        source.head.append(chunk, n);
        rootNamespace = ns.match(QString::fromLatin1(source.head));
        if (rootNamespace.hasMatch())
            break;
    }
    if (!rootNamespace.hasMatch())
        return refusal(name, 0, u"sie ist keine ISO-20022-Nachricht der Bank (camt.053 oder camt.054)"_qs);
    const QString message = rootNamespace.captured(1);
    int index = -1;
    for (int i = 0; i < int(kMessages.size()); ++i)
        if (message == QLatin1StringView(kMessages[std::size_t(i)]))
            index = i;
    if (index < 0)
        return refusal(name, 0,
                       u"sie ist eine Nachricht „"_qs + message
                           + u"“; gelesen werden Kontoauszüge camt.053 und Buchungsbenachrichtigungen camt.054 in "
                             "den Versionen 001.02 und 001.08"_qs);
    const xmlSchemaPtr schema = schemaOf(index);
    if (!schema)
        return refusal(name, 0, u"das Schema „"_qs + message + u"“ fehlt dem Programm"_qs);

    const QByteArray url = name.toUtf8();
    xmlTextReaderPtr reader = xmlReaderForIO(readSource, closeSource, &source, url.constData(), nullptr,
                                             XML_PARSE_NONET);
    if (!reader)
        return refusal(name, 0, u"sie kann nicht gelesen werden"_qs);
    FirstError first;
    xmlTextReaderSetStructuredErrorHandler(reader, recordError, &first);
    xmlTextReaderSetSchema(reader, schema);

    QList<BankEntry> found;
    QStringList path;      // from the entry down, while inside one
    QStringList outer;     // the elements above
    QString text, account;
    bool inEntry = false;
    EntryBuilder builder;
    int ret = 0;
    while ((ret = xmlTextReaderRead(reader)) == 1) {
        const int type = xmlTextReaderNodeType(reader);
        if (type == XML_READER_TYPE_ELEMENT) {
            const QString local = QString::fromUtf8(reinterpret_cast<const char *>(xmlTextReaderConstLocalName(reader)));
            const bool empty = xmlTextReaderIsEmptyElement(reader);
            text.clear();
            if (!inEntry && local == u"Ntry"_qs && !empty) {
                inEntry = true;
                path = {local};
                builder.start(name, xmlTextReaderGetParserLineNumber(reader), account);
            } else if (inEntry) {
                path.append(local);
                if (local == u"TxDtls"_qs)
                    builder.beginTransaction();
                builder.element(path);
                if (empty)
                    path.removeLast();
            } else if (!empty) {
                outer.append(local);
            }
        } else if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA) {
            text += QString::fromUtf8(reinterpret_cast<const char *>(xmlTextReaderConstValue(reader)));
        } else if (type == XML_READER_TYPE_END_ELEMENT) {
            if (inEntry) {
                if (path.size() == 1) {
                    inEntry = false;
                    if (builder.finish())
                        found.append(std::move(builder.entry));
                } else {
                    builder.value(path, text.trimmed());
                    path.removeLast();
                }
            } else {
                // The account of the statement or notification (Stmt/Acct/Id/IBAN).
                if (outer.size() >= 4 && outer.last() == u"IBAN"_qs && outer[outer.size() - 3] == u"Acct"_qs)
                    account = text.trimmed();
                if (!outer.isEmpty())
                    outer.removeLast();
            }
            text.clear();
        }
    }
    const bool valid = ret == 0 && first.text.isEmpty() && xmlTextReaderIsValid(reader) == 1;
    const int lastLine = xmlTextReaderGetParserLineNumber(reader);
    xmlFreeTextReader(reader);
    if (source.failed)
        return refusal(name, 0, u"sie kann nicht gelesen werden"_qs);
    if (!valid)
        return refusal(name, first.line > 0 ? first.line : lastLine,
                       u"sie entspricht nicht dem Schema „"_qs + message + u"“"_qs
                           + (first.text.isEmpty() ? QString() : u" – "_qs + first.text));
    if (document) {
        document->file = name;
        document->message = message;
        document->entries = int(found.size());
    }
    entries.append(found);
    return {};
}

CamtReading readCamtFiles(const QStringList &paths)
{
    CamtReading reading;
    for (const QString &path : paths) {
        const QString shown = QFileInfo(path).fileName();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            reading.refused.append(refusal(shown, 0, u"sie kann nicht geöffnet werden ("_qs + file.errorString()
                                                         + u')'));
            continue;
        }
        const QByteArray magic = file.peek(4);
        if (magic == QByteArray("PK\x03\x04", 4) || magic == QByteArray("PK\x05\x06", 4)) {
            file.close();
            QString error;
            const bool opened = forEachZipMember(path, [&](const QString &member, const ZipRead &readMember) {
                if (!member.endsWith(u".xml"_qs, Qt::CaseInsensitive))
                    return;
                const QString name = shown + u':' + member;
                QList<BankEntry> entries;
                CamtDocument document;
                const QString refused = readCamtDocument(name, readMember, entries, &document);
                if (!refused.isEmpty()) {
                    reading.refused.append(refused);
                    return;
                }
                reading.entries.append(entries);
                reading.documents.append(document);
            }, &error);
            if (!opened)
                reading.refused.append(refusal(shown, 0, u"das ZIP-Archiv ist beschädigt ("_qs + error + u')'));
            continue;
        }
        const std::function<qint64(char *, qint64)> readFile = [&file](char *buffer, qint64 size) {
            return file.read(buffer, size);
        };
        CamtDocument document;
        const QString refused = readCamtDocument(shown, readFile, reading.entries, &document);
        if (!refused.isEmpty())
            reading.refused.append(refused);
        else
            reading.documents.append(document);
    }
    return reading;
}

} // namespace qvl
