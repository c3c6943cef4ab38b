#include "sepa/SepaSchema.h"

#include <QScopeGuard>

#include "files/BuiltInSchema.h"
#include "base/ChunkQueue.h"
#include "base/FaultPoints.h"
#include "base/InternalError.h"

#include <QFile>
#include <QRegularExpression>

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>

// Resources of a static library reach the program only when something refers to them.
static void initSepaSchemaResources()
{
    Q_INIT_RESOURCE(sepaschema);
}

namespace qvl {

namespace {

constexpr std::size_t kMaxQueued = 8; // chunks of the writer's size, about 8 MB

xmlSchemaPtr parseSchema(SepaFormat format)
{
    return parseBuiltInSchema(u":/qvl32/sepa/"_qs + sepaFormatText(format) + u".xsd"_qs);
}

// Parsed once per process and shared read-only by every validation. Null only when the
// program was built without its schemas.
xmlSchemaPtr schemaOf(SepaFormat format)
{
    static const std::array<xmlSchemaPtr, 2> schemas = [] {
        initSepaSchemaResources();
        xmlInitParser();
        return std::array<xmlSchemaPtr, 2>{parseSchema(SepaFormat::Pain00800102),
                                           parseSchema(SepaFormat::Pain00800108)};
    }();
    return schemas[format == SepaFormat::Pain00800102 ? 0 : 1];
}

// The writer's indentation, skipped before the parser: the blanks after a line break up to
// the next tag. They are two thirds of a bank file's bytes and mean nothing to the schema
// (they stand between elements), but cost the parser and the validator most of their time.
// The line breaks stay, so an error's line is the file's. Blanks after a line break that
// are followed by anything else than a tag are handed on unchanged, also across chunks.
class IndentSkipper {
public:
    QByteArray operator()(const QByteArray &chunk)
    {
        QByteArray out;
        out.reserve(chunk.size() / 2 + m_held);
        const char *at = chunk.constData();
        const char *const end = at + chunk.size();
        while (at < end) {
            if (m_afterBreak) {
                while (at < end && *at == ' ') {
                    ++at;
                    ++m_held;
                }
                if (at == end)
                    break; // the next chunk tells whether a tag follows
                if (*at != '<')
                    out.append(m_held, ' ');
                m_held = 0;
                m_afterBreak = false;
            }
            const char *const lineEnd = static_cast<const char *>(std::memchr(at, '\n', std::size_t(end - at)));
            const char *const next = lineEnd ? lineEnd + 1 : end;
            out.append(at, qsizetype(next - at));
            at = next;
            m_afterBreak = lineEnd != nullptr;
        }
        return out;
    }

    // Blanks at the very end of the document.
    QByteArray rest() const { return QByteArray(m_held, ' '); }

private:
    bool m_afterBreak = false;
    qsizetype m_held = 0;
};

} // namespace

// The validation of one document, on its own thread: a push parser without a tree whose
// events pass through the schema validator. The callbacks find the run through a
// thread-local pointer, as libxml2 hands them different context pointers.
struct SepaValidator::Run {
    ChunkQueue queue{kMaxQueued};
    std::atomic<bool> failed{false};
    std::optional<SepaSchemaError> error; // written by the thread, read after it ended
    qint64 transactions = 0;
    bool inTransaction = false;
    bool transactionEnded = false; // the last event closed a transaction block
    const xmlChar *lastElement = nullptr;
    xmlParserCtxtPtr parser = nullptr;
    ThreadFailure failure; // what ended the thread otherwise, thrown by finish()
    std::thread thread;

    static thread_local Run *current;

    static void onStart(void *, const xmlChar *localname, const xmlChar *, const xmlChar *, int,
                        const xmlChar **, int, int, const xmlChar **)
    {
        Run &r = *current;
        if (std::strcmp(reinterpret_cast<const char *>(localname), "DrctDbtTxInf") == 0) {
            ++r.transactions;
            r.inTransaction = true;
        }
        r.transactionEnded = false;
        r.lastElement = localname;
    }

    static void onEnd(void *, const xmlChar *localname, const xmlChar *, const xmlChar *)
    {
        Run &r = *current;
        if (std::strcmp(reinterpret_cast<const char *>(localname), "DrctDbtTxInf") == 0) {
            r.inTransaction = false;
            r.transactionEnded = true;
        }
        r.lastElement = localname;
    }

    // Text after a transaction block's end tag: an error now no longer belongs to the block.
    static void onText(void *, const xmlChar *, int) { current->transactionEnded = false; }

    static void onError(void *, xmlErrorPtr e)
    {
        Run &r = *current;
        if (!e || e->level < XML_ERR_ERROR || r.error)
            return;
        SepaSchemaError error;
        error.message = QString::fromUtf8(e->message).trimmed();
        // Schema errors of a parser without a tree carry no line of their own.
        error.line = e->line > 0 ? e->line : r.parser ? xmlSAX2GetLineNumber(r.parser) : 0;
        // Schema errors name their element ("Element '{urn:…}IBAN': …"); the parser's do not.
        static const QRegularExpression named(u"Element '(?:\\{[^}]*\\})?([^']+)'"_qs);
        if (const QRegularExpressionMatch m = named.match(error.message); m.hasMatch())
            error.element = m.captured(1);
        else if (r.lastElement)
            error.element = QString::fromUtf8(reinterpret_cast<const char *>(r.lastElement));
        if (r.inTransaction || r.transactionEnded)
            error.transaction = r.transactions - 1;
        r.error = std::move(error);
        r.failed.store(true, std::memory_order_relaxed);
        r.queue.giveUp();
        if (r.parser)
            xmlStopParser(r.parser);
    }

    void validate(xmlSchemaPtr schema)
    {
        current = this;
        xmlSetStructuredErrorFunc(nullptr, onError);
        if (!schema) {
            error = SepaSchemaError{-1, {}, 0, u"schema missing from the program"_qs};
            failed = true;
            queue.giveUp();
            return;
        }
        xmlSchemaValidCtxtPtr validation = xmlSchemaNewValidCtxt(schema);
        xmlSchemaSetValidStructuredErrors(validation, onError, nullptr);
        xmlSAXHandler handler{};
        handler.initialized = XML_SAX2_MAGIC;
        handler.startElementNs = onStart;
        handler.endElementNs = onEnd;
        handler.characters = onText;
        handler.serror = onError;
        xmlSAXHandlerPtr sax = &handler;
        void *user = this;
        xmlSchemaSAXPlugPtr plug = xmlSchemaSAXPlug(validation, &sax, &user);
        parser = xmlCreatePushParserCtxt(sax, user, nullptr, 0, "sepa.xml");
        // Freed however the check ends, also by an exception on this thread.
        const auto release = qScopeGuard([this, plug, validation] {
            xmlFreeParserCtxt(parser);
            parser = nullptr;
            xmlSchemaSAXUnplug(plug);
            xmlSchemaFreeValidCtxt(validation);
            xmlSetStructuredErrorFunc(nullptr, nullptr);
            current = nullptr;
        });
        xmlCtxtUseOptions(parser, XML_PARSE_NONET);
        IndentSkipper skipIndent;
        while (const std::optional<QByteArray> chunk = queue.pop()) {
            faultPoint("sepa-pruefen");
            const QByteArray bytes = skipIndent(*chunk);
            if (xmlParseChunk(parser, bytes.constData(), int(bytes.size()), 0) != 0 || error)
                break;
        }
        if (!error) {
            const QByteArray rest = skipIndent.rest();
            xmlParseChunk(parser, rest.constData(), int(rest.size()), 1);
        }
        if (!error && (!parser->wellFormed || xmlSchemaIsValid(validation) != 1))
            error = SepaSchemaError{-1, {}, parser->input ? parser->input->line : 0, u"document not valid"_qs};
        if (error)
            failed = true;
    }
};

thread_local SepaValidator::Run *SepaValidator::Run::current = nullptr;

SepaValidator::SepaValidator(SepaFormat format) : m_run(std::make_unique<Run>())
{
    xmlSchemaPtr schema = schemaOf(format); // parsed here, before any thread uses it
    m_run->thread = std::thread([run = m_run.get(), schema] {
        run->failure.guard([run, schema] { run->validate(schema); });
        if (run->failure.failed()) {
            run->failed = true;
            run->queue.giveUp();
        }
    });
}

SepaValidator::~SepaValidator()
{
    if (m_run->thread.joinable()) {
        m_run->queue.giveUp();
        m_run->thread.join();
    }
}

bool SepaValidator::failed() const
{
    return m_run->failed.load(std::memory_order_relaxed);
}

void SepaValidator::feed(const QByteArray &bytes)
{
    m_run->queue.push(bytes);
}

std::optional<SepaSchemaError> SepaValidator::finish()
{
    if (m_run->thread.joinable()) {
        m_run->queue.close();
        m_run->thread.join();
    }
    m_run->failure.rethrow();
    return m_run->error;
}

std::optional<SepaSchemaError> sepaSchemaError(SepaFormat format, const QByteArray &document)
{
    SepaValidator validator(format);
    for (qsizetype at = 0; at < document.size(); at += 1 << 20)
        validator.feed(document.mid(at, 1 << 20));
    return validator.finish();
}

} // namespace qvl
