#include "bank/CamtReader.h"

#include "files/BuiltInSchema.h"
#include "bank/ZipArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>

#include <array>
#include <cstring>
#include <mutex>

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

// Each parsed once per process when first needed (a parsed schema costs megabytes), shared
// read-only.
xmlSchemaPtr schemaOf(int index)
{
    static std::once_flag resources;
    static std::array<std::once_flag, kMessages.size()> parsedOnce;
    static std::array<xmlSchemaPtr, kMessages.size()> schemas{};
    std::call_once(resources, [] {
        initCamtSchemaResources();
        xmlInitParser();
    });
    const std::size_t i = std::size_t(index);
    std::call_once(parsedOnce[i], [i] { schemas[i] = parseSchema(kMessages[i]); });
    return schemas[i];
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
    bool schema = false; // a schema's verdict, not the XML's form
    QString text;        // libxml2's own words, never shown as they are
};

void recordError(void *context, xmlErrorPtr error)
{
    auto *first = static_cast<FirstError *>(context);
    if (!first->text.isEmpty() || !error || error->level < XML_ERR_ERROR)
        return;
    first->line = error->line;
    first->schema = error->domain == XML_FROM_SCHEMASV || error->domain == XML_FROM_SCHEMASP
                    || error->domain == XML_FROM_VALID;
    first->text = QString::fromUtf8(error->message ? error->message : "?").trimmed();
}

// What libxml2 writes beside its structured errors (internal notes of the schema check)
// goes nowhere: the clerk gets one German sentence per file.
void silent(void *, const char *, ...) {}

// libxml2's English verdict as the clerk reads it: the element and what is wrong with it.
QString germanReason(const FirstError &e)
{
    if (!e.schema)
        return u"die Datei ist kein vollständiges, wohlgeformtes XML"_qs;
    static const QRegularExpression element(u"Element '(?:\\{[^}]*\\})?([\\w.-]+)'"_qs);
    const QRegularExpressionMatch m = element.match(e.text);
    const QString name = m.hasMatch() ? u"das Element „"_qs + m.captured(1) + u"“"_qs : u"ein Element"_qs;
    if (e.text.contains(u"not a valid value"_qs) || e.text.contains(u"is not accepted by the pattern"_qs)
        || e.text.contains(u"facet"_qs))
        return name + u" hat einen ungültigen Wert"_qs;
    if (e.text.contains(u"Missing child element"_qs))
        return name + u" ist unvollständig (ein vorgeschriebenes Element fehlt)"_qs;
    if (e.text.contains(u"not expected"_qs))
        return name + u" ist an dieser Stelle nicht erlaubt"_qs;
    if (e.text.contains(u"attribute"_qs, Qt::CaseInsensitive))
        return name + u" hat ein ungültiges Attribut"_qs;
    if (e.text.contains(u"No matching global declaration"_qs))
        return u"das Wurzelelement ist keines dieser Nachricht"_qs;
    return name + u" ist ungültig"_qs;
}

// Collects one entry while the reader walks through it; paths are the element names from
// the entry (Ntry) down.
class EntryBuilder {
public:
    void start(const QString &file, int line, const QString &account, const QString &accountCurrency,
               const QString &statementId, int position)
    {
        entry = BankEntry();
        entry.file = file;
        entry.line = line;
        entry.account = account;
        entry.accountCurrency = accountCurrency;
        entry.statementId = statementId;
        entry.position = position;
        booked = true;
        accountRef.clear();
        entryRef.clear();
        domain.clear();
        family.clear();
        subFamily.clear();
        txDomain.clear();
        txFamily.clear();
        txSubFamily.clear();
    }

    void beginTransaction()
    {
        entry.transactions.append(BankTransaction());
        txDomain.clear();
        txFamily.clear();
        txSubFamily.clear();
    }

    // An amount's currency (its attribute Ccy), before its text.
    void currency(const QStringList &path, const QString &ccy)
    {
        if (path.size() == 2 && path[1] == u"Amt"_qs && !ccy.isEmpty())
            entry.currency = ccy;
    }

    // The first amount that is no exact one: its line and text.
    int badAmountLine = 0;
    QString badAmount;

    void value(const QStringList &path, const QString &text, int line)
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
        const auto cents = [&]() -> qint64 {
            const std::optional<qint64> c = camtCents(text, currencyDecimals(entry.currency));
            if (!c && badAmount.isEmpty()) {
                badAmount = text;
                badAmountLine = line;
            }
            return c.value_or(0);
        };
        const bool inTx = path.contains(u"TxDtls"_qs);
        if (!inTx) {
            if (n == 2 && path[1] == u"Amt"_qs)
                entry.cents = cents();
            else if (n == 2 && path[1] == u"CdtDbtInd"_qs)
                entry.credit = text == u"CRDT"_qs;
            else if (n == 2 && path[1] == u"RvslInd"_qs)
                entry.reversal = text == u"true"_qs || text == u"1"_qs;
            else if ((n == 2 && path[1] == u"Sts"_qs) || (n == 3 && path[1] == u"Sts"_qs && path[2] == u"Cd"_qs))
                booked = text == u"BOOK"_qs;
            else if (n == 3 && path[1] == u"BookgDt"_qs)
                entry.booked = QDate::fromString(text.left(10), Qt::ISODate);
            else if (n == 3 && path[1] == u"ValDt"_qs)
                entry.valued = QDate::fromString(text.left(10), Qt::ISODate);
            else if (n == 2 && path[1] == u"AcctSvcrRef"_qs)
                accountRef = text;
            else if (n == 2 && path[1] == u"NtryRef"_qs)
                entryRef = text;
            else if (ends({u"Ntry", u"BkTxCd", u"Domn", u"Cd"}))
                domain = text;
            else if (ends({u"Ntry", u"BkTxCd", u"Domn", u"Fmly", u"Cd"}))
                family = text;
            else if (ends({u"Ntry", u"BkTxCd", u"Domn", u"Fmly", u"SubFmlyCd"}))
                subFamily = text;
            else if (ends({u"Ntry", u"BkTxCd", u"Prtry", u"Cd"}))
                entry.proprietaryCode = text;
            else if (ends({u"Btch", u"MsgId"}))
                entry.batchMessageId = text;
            else if (ends({u"Btch", u"PmtInfId"}))
                entry.batchPaymentInfoId = text;
            else if (ends({u"Btch", u"NbOfTxs"}))
                entry.batchCount = text.toInt();
            else if (n >= 2 && path[1] == u"Chrgs"_qs && path.last() == u"Amt"_qs)
                entry.chargeCents += cents();
            else if (n == 2 && path[1] == u"AddtlNtryInf"_qs)
                entry.information = text;
            return;
        }
        if (entry.transactions.isEmpty())
            return;
        BankTransaction &t = entry.transactions.last();
        if (ends({u"TxDtls", u"Amt"})) {
            t.cents = cents();
            t.amountGiven = true;
        } else if (ends({u"AmtDtls", u"TxAmt", u"Amt"})) {
            t.txAmountCents = cents();
            if (!t.amountGiven) {
                t.cents = t.txAmountCents;
                t.amountGiven = true;
            }
        } else if (ends({u"AmtDtls", u"InstdAmt", u"Amt"}))
            t.originalCents = cents();
        else if (path.contains(u"AmtDtls"_qs) && path.last() == u"Amt"_qs)
            cents(); // the other amounts of the details: checked, not used
        else if (ends({u"Refs", u"EndToEndId"}))
            t.endToEndId = text;
        else if (ends({u"Refs", u"MndtId"}))
            t.mandateId = text;
        else if (ends({u"Refs", u"MsgId"}))
            t.messageId = text;
        else if (ends({u"Refs", u"PmtInfId"}))
            t.paymentInfoId = text;
        else if (ends({u"TxDtls", u"BkTxCd", u"Domn", u"Cd"}))
            txDomain = text;
        else if (ends({u"TxDtls", u"BkTxCd", u"Domn", u"Fmly", u"Cd"}))
            txFamily = text;
        else if (ends({u"TxDtls", u"BkTxCd", u"Domn", u"Fmly", u"SubFmlyCd"}))
            txSubFamily = text;
        else if (ends({u"RltdPties", u"Dbtr", u"Nm"}) || ends({u"RltdPties", u"Dbtr", u"Pty", u"Nm"}))
            t.name = text;
        else if (ends({u"RltdPties", u"DbtrAcct", u"Id", u"IBAN"}))
            t.iban = text;
        else if (path.contains(u"RltdPties"_qs) && path.contains(u"Cdtr"_qs) && ends({u"Othr", u"Id"}))
            t.creditorId = text;
        else if (ends({u"RmtInf", u"Ustrd"}))
            t.remittance += (t.remittance.isEmpty() ? QString() : u"\n"_qs) + text;
        else if (ends({u"CdtrRefInf", u"Ref"})) {
            t.structuredReference = text;
            t.remittance += (t.remittance.isEmpty() ? QString() : u"\n"_qs) + text;
        } else if (ends({u"RtrInf", u"Rsn", u"Cd"}) || ends({u"RtrInf", u"Rsn", u"Prtry"}))
            t.returnCode = text;
        else if (ends({u"RtrInf", u"AddtlInf"}))
            t.returnInfo += (t.returnInfo.isEmpty() ? QString() : u" "_qs) + text;
        else if (path.contains(u"Chrgs"_qs) && path.last() == u"Amt"_qs)
            t.chargeCents += cents();
    }

    void element(const QStringList &path)
    {
        if (path.size() >= 2 && path.last() == u"RtrInf"_qs && path.contains(u"TxDtls"_qs)
            && !entry.transactions.isEmpty())
            entry.transactions.last().isReturn = true;
    }

    void endTransaction()
    {
        if (!entry.transactions.isEmpty() && !txDomain.isEmpty())
            entry.transactions.last().bankCode = txDomain + u'/' + txFamily + u'/' + txSubFamily;
    }

    // False for an entry that is not booked.
    bool finish(const QDate &statementDate)
    {
        entry.reference = accountRef.isEmpty() ? entryRef : accountRef;
        if (!domain.isEmpty())
            entry.bankCode = domain + u'/' + family + u'/' + subFamily;
        if (!entry.booked.isValid())
            entry.booked = entry.valued.isValid() ? entry.valued : statementDate;
        if (entry.transactions.isEmpty())
            entry.transactions.append(BankTransaction());
        for (BankTransaction &t : entry.transactions) {
            if (t.cents == 0 && !t.amountGiven && entry.transactions.size() == 1)
                t.cents = entry.cents;
            if (t.bankCode.isEmpty())
                t.bankCode = entry.bankCode;
        }
        return booked;
    }

    BankEntry entry;

private:
    bool booked = true;
    QString accountRef, entryRef;
    QString domain, family, subFamily, txDomain, txFamily, txSubFamily;
};

QString refusal(const QString &name, int line, const QString &what)
{
    return u"Die Datei „"_qs + name + u"“ wurde nicht gelesen: "_qs + what
           + (line > 0 ? u" (Zeile "_qs + QString::number(line) + u")"_qs : QString()) + u'.';
}

} // namespace

bool BankEntry::hasBankReference() const
{
    const QString r = reference.trimmed().toUpper();
    return !r.isEmpty() && r != u"NONREF"_qs && r != u"NOTPROVIDED"_qs && r != u"NOTAVAILABLE"_qs
           && r != u"NONE"_qs && r.count(u'0') != r.size();
}

QString BankEntry::identity() const
{
    if (hasBankReference())
        return reference.trimmed();
    // Without the bank's reference: where the entry stands, and what it says.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(valued.toString(Qt::ISODate).toUtf8());
    hash.addData(information.toUtf8());
    for (const BankTransaction &t : transactions)
        hash.addData((u'|' + t.name + u'|' + t.iban + u'|' + t.endToEndId + u'|' + t.remittance + u'|'
                      + QString::number(t.cents))
                         .toUtf8());
    return u"Auszug "_qs + statementId + u" Nr. "_qs + QString::number(position) + u' '
           + QString::fromLatin1(hash.result().toHex().left(12));
}

QString BankEntry::key() const
{
    return account + u'|' + identity() + u'|' + booked.toString(Qt::ISODate) + u'|' + QString::number(cents) + u'|'
           + (credit ? u"CRDT"_qs : u"DBIT"_qs);
}

QString BankEntry::statementKey() const
{
    return account + (notification ? u"|camt.054|"_qs : u"|camt.053|"_qs) + statementId;
}

bool BankEntry::foreignCurrency() const
{
    const QString own = accountCurrency.isEmpty() ? u"EUR"_qs : accountCurrency;
    return currency != own || currency != u"EUR"_qs;
}

int currencyDecimals(const QString &currency)
{
    static const QSet<QString> none{u"JPY"_qs, u"KRW"_qs, u"ISK"_qs, u"CLP"_qs, u"VND"_qs, u"XOF"_qs, u"XAF"_qs,
                                   u"PYG"_qs, u"UGX"_qs, u"RWF"_qs};
    static const QSet<QString> three{u"BHD"_qs, u"KWD"_qs, u"OMR"_qs, u"JOD"_qs, u"TND"_qs, u"LYD"_qs, u"IQD"_qs};
    return none.contains(currency) ? 0 : three.contains(currency) ? 3 : 2;
}

std::optional<qint64> camtCents(QStringView text, int decimals)
{
    text = text.trimmed();
    // xs:decimal: a sign, digits, a point with or without digits after it.
    static const QRegularExpression amount(u"^([+-]?)(\\d*)(?:\\.(\\d*))?$"_qs);
    const QRegularExpressionMatch m = amount.match(text);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0) || m.capturedLength(2) > 16)
        return std::nullopt;
    const QString fraction = m.captured(3);
    for (qsizetype i = decimals; i < fraction.size(); ++i)
        if (fraction[i] != u'0')
            return std::nullopt; // a fraction of the currency's smallest unit
    const qint64 cents = m.captured(2).toLongLong() * 100 + (fraction + u"00"_qs).left(2).toLongLong();
    if (m.captured(1) == u"-"_qs && cents != 0)
        return std::nullopt;
    return cents;
}

namespace {

// The head's text for finding the namespace: UTF-16 (with or without its byte order mark)
// decoded, anything else taken byte by byte.
QString headText(const QByteArray &head)
{
    const auto at = [&](int i) { return i < head.size() ? uchar(head[i]) : 0x100; };
    std::optional<QStringConverter::Encoding> utf16;
    if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0 && at(2) != 0))
        utf16 = QStringConverter::Utf16LE;
    else if ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<'))
        utf16 = QStringConverter::Utf16BE;
    if (!utf16)
        return QString::fromLatin1(head);
    QStringDecoder decode(*utf16);
    return decode(head);
}

} // namespace

QString readCamtDocument(const QString &name, const std::function<qint64(char *, qint64)> &read,
                         QList<BankEntry> &entries, CamtDocument *document)
{
    QList<BankEntry> found;
    const QString refused = readCamtDocument(name, read, [&](BankEntry &&e) { found.append(std::move(e)); }, document);
    if (refused.isEmpty())
        entries.append(std::move(found));
    return refused;
}

QString readCamtDocument(const QString &name, const std::function<qint64(char *, qint64)> &read,
                         const std::function<void(BankEntry &&)> &handOn, CamtDocument *document)
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
        rootNamespace = ns.match(headText(source.head));
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

    FirstError first;
    // What libxml2 reports outside the reader's handler goes to the same place, for this
    // thread and this document only.
    xmlGenericErrorFunc genericBefore = xmlGenericError;
    void *genericContextBefore = xmlGenericErrorContext;
    xmlStructuredErrorFunc structuredBefore = xmlStructuredError;
    void *structuredContextBefore = xmlStructuredErrorContext;
    xmlSetGenericErrorFunc(nullptr, silent);
    xmlSetStructuredErrorFunc(&first, recordError);
    struct RestoreHandlers {
        xmlGenericErrorFunc generic;
        void *genericContext;
        xmlStructuredErrorFunc structured;
        void *structuredContext;
        ~RestoreHandlers()
        {
            xmlSetGenericErrorFunc(genericContext, generic);
            xmlSetStructuredErrorFunc(structuredContext, structured);
        }
    } restore{genericBefore, genericContextBefore, structuredBefore, structuredContextBefore};

    const QByteArray url = name.toUtf8();
    xmlTextReaderPtr reader = xmlReaderForIO(readSource, closeSource, &source, url.constData(), nullptr,
                                             XML_PARSE_NONET | XML_PARSE_BIG_LINES);
    if (!reader)
        return refusal(name, 0, u"sie kann nicht gelesen werden"_qs);
    xmlTextReaderSetStructuredErrorHandler(reader, recordError, &first);
    xmlTextReaderSetSchema(reader, schema);

    int found = 0;
    const bool notification = message.startsWith(u"camt.054"_qs);
    QStringList path;      // from the entry down, while inside one
    QStringList outer;     // the elements above
    QString text, account, accountCurrency, statementId, sequence;
    QDate statementDate, messageDate;
    int position = 0;
    bool inEntry = false;
    EntryBuilder builder;
    int ret = 0;
    // The line of the element the reader stands on (the parser may have read further).
    const auto nodeLine = [&] {
        const xmlNodePtr node = xmlTextReaderCurrentNode(reader);
        const long line = node ? xmlGetLineNo(node) : -1;
        return line > 0 ? int(line) : xmlTextReaderGetParserLineNumber(reader);
    };
    const auto localName = [&] {
        return QString::fromUtf8(reinterpret_cast<const char *>(xmlTextReaderConstLocalName(reader)));
    };
    // The first error ends the reading: nothing after it is used.
    while (first.text.isEmpty() && builder.badAmount.isEmpty() && (ret = xmlTextReaderRead(reader)) == 1) {
        const int type = xmlTextReaderNodeType(reader);
        if (type == XML_READER_TYPE_ELEMENT) {
            const QString local = localName();
            const bool empty = xmlTextReaderIsEmptyElement(reader);
            text.clear();
            if (!inEntry && local == u"Ntry"_qs && !empty) {
                inEntry = true;
                path = {local};
                const QString stmt = statementId + (sequence.isEmpty() ? QString() : u'/' + sequence);
                builder.start(name, nodeLine(), account, accountCurrency, stmt,
                              ++position);
            } else if (inEntry) {
                path.append(local);
                if (local == u"TxDtls"_qs)
                    builder.beginTransaction();
                else if (local == u"Amt"_qs) {
                    xmlChar *ccy = xmlTextReaderGetAttribute(reader, BAD_CAST "Ccy");
                    if (ccy) {
                        builder.currency(path, QString::fromUtf8(reinterpret_cast<const char *>(ccy)));
                        xmlFree(ccy);
                    }
                }
                builder.element(path);
                if (empty)
                    path.removeLast();
            } else if (!empty) {
                if (local == u"Stmt"_qs || local == u"Ntfctn"_qs) {
                    statementId.clear();
                    sequence.clear();
                    statementDate = QDate();
                    accountCurrency.clear();
                    account.clear();
                    position = 0;
                }
                outer.append(local);
            }
        } else if (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA) {
            text += QString::fromUtf8(reinterpret_cast<const char *>(xmlTextReaderConstValue(reader)));
        } else if (type == XML_READER_TYPE_END_ELEMENT) {
            if (inEntry) {
                if (path.size() == 1) {
                    inEntry = false;
                    if (builder.finish(statementDate.isValid() ? statementDate : messageDate)) {
                        builder.entry.notification = notification;
                        ++found;
                        handOn(std::move(builder.entry));
                    }
                } else {
                    builder.value(path, text.trimmed(), nodeLine());
                    if (path.last() == u"TxDtls"_qs)
                        builder.endTransaction();
                    path.removeLast();
                }
            } else {
                const qsizetype n = outer.size();
                const QString value = text.trimmed();
                const bool inReport = n >= 2 && (outer[n - 2] == u"Stmt"_qs || outer[n - 2] == u"Ntfctn"_qs);
                // The account of the statement or notification (Stmt/Acct/Id/IBAN), its
                // currency, the statement's id, sequence number and date.
                if (n >= 4 && outer.last() == u"IBAN"_qs && outer[n - 3] == u"Acct"_qs)
                    account = value;
                else if (n >= 3 && outer.last() == u"Ccy"_qs && outer[n - 2] == u"Acct"_qs)
                    accountCurrency = value;
                else if (inReport && outer.last() == u"Id"_qs)
                    statementId = value;
                else if (inReport && outer.last() == u"ElctrncSeqNb"_qs)
                    sequence = value;
                else if (inReport && outer.last() == u"CreDtTm"_qs)
                    statementDate = QDate::fromString(value.left(10), Qt::ISODate);
                else if (n >= 2 && outer[n - 2] == u"GrpHdr"_qs && outer.last() == u"CreDtTm"_qs)
                    messageDate = QDate::fromString(value.left(10), Qt::ISODate);
                if (!outer.isEmpty())
                    outer.removeLast();
            }
            text.clear();
        }
    }
    const bool stopped = !first.text.isEmpty() || !builder.badAmount.isEmpty();
    const bool valid = !stopped && ret == 0 && xmlTextReaderIsValid(reader) == 1;
    const int lastLine = xmlTextReaderGetParserLineNumber(reader);
    xmlFreeTextReader(reader);
    if (source.failed)
        return refusal(name, 0, u"sie kann nicht gelesen werden"_qs);
    if (first.text.isEmpty() && !builder.badAmount.isEmpty())
        return refusal(name, builder.badAmountLine,
                       u"der Betrag „"_qs + builder.badAmount
                           + u"“ ist kein genauer Betrag in "_qs + builder.entry.currency + u" (höchstens "_qs
                           + QString::number(currencyDecimals(builder.entry.currency)) + u" Nachkommastellen)"_qs);
    if (!valid)
        return refusal(name, first.line > 0 ? first.line : lastLine,
                       u"sie entspricht nicht dem Schema „"_qs + message + u"“ – "_qs
                           + (first.text.isEmpty() ? u"sie ist unvollständig"_qs : germanReason(first)));
    if (document) {
        document->file = name;
        document->message = message;
        document->entries = found;
    }
    return {};
}

void readCamtFiles(const QStringList &paths, const CamtSink &sink)
{
    for (const QString &path : paths) {
        const QString shown = QFileInfo(path).fileName();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            sink.refused(refusal(shown, 0, u"sie kann nicht geöffnet werden ("_qs + file.errorString() + u')'));
            continue;
        }
        const QByteArray magic = file.peek(4);
        if (magic == QByteArray("PK\x03\x04", 4) || magic == QByteArray("PK\x05\x06", 4)) {
            file.close();
            QString error;
            int statements = 0;
            const bool opened = forEachZipMember(path, [&](const QString &member, const ZipRead &readMember) {
                if (!member.endsWith(u".xml"_qs, Qt::CaseInsensitive))
                    return;
                ++statements;
                CamtDocument document;
                const QString refused = readCamtDocument(shown + u':' + member, readMember, sink.entry, &document);
                if (!refused.isEmpty())
                    sink.refused(refused);
                else
                    sink.document(document);
            }, &error);
            if (!opened)
                sink.refused(refusal(shown, 0, error));
            else if (statements == 0)
                sink.refused(refusal(shown, 0, u"das ZIP-Archiv enthält keinen Kontoauszug (keine XML-Datei)"_qs));
            continue;
        }
        const std::function<qint64(char *, qint64)> readFile = [&file](char *buffer, qint64 size) {
            return file.read(buffer, size);
        };
        CamtDocument document;
        const QString refused = readCamtDocument(shown, readFile, sink.entry, &document);
        if (!refused.isEmpty())
            sink.refused(refused);
        else
            sink.document(document);
    }
}

CamtReading readCamtFiles(const QStringList &paths)
{
    CamtReading reading;
    // A document's entries count only once it was read whole.
    QList<BankEntry> pending;
    CamtSink sink;
    sink.entry = [&](BankEntry &&e) { pending.append(std::move(e)); };
    sink.document = [&](const CamtDocument &d) {
        reading.entries.append(std::move(pending));
        pending.clear();
        reading.documents.append(d);
    };
    sink.refused = [&](const QString &message) {
        pending.clear();
        reading.refused.append(message);
    };
    readCamtFiles(paths, sink);
    return reading;
}

} // namespace qvl
