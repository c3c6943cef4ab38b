#include "bank/StatementImport.h"

#include "text/Conversions.h"
#include "db/Database.h"

namespace qvl {

namespace {

// A statement skipped: where it stands, and where it was read before.
struct Skipped {
    QString id, account, file;
    bool notification = false;
    std::optional<StatementRead> before; // applied before; else it stood earlier in this reading
    QString firstFile;                   // this reading's file that held it first
    int entries = 0;
};

QString skippedText(const Skipped &s)
{
    const QString what = s.notification ? u"Die Buchungsbenachrichtigung „"_qs : u"Der Kontoauszug „"_qs;
    const QString entries = s.entries == 1 ? u"sein Umsatz wird"_qs
                                           : u"seine "_qs + QString::number(s.entries) + u" Umsätze werden"_qs;
    QString text = what + s.id + u"“ des Kontos "_qs + s.account + u" in „"_qs + s.file + u"“ "_qs;
    if (s.before)
        text += u"wurde bereits am "_qs + formatDate(s.before->read.date(), u"dd.mm.yyyy"_qs) + u" um "_qs
                + s.before->read.toString(u"HH:mm"_qs) + u" Uhr eingelesen (aus „"_qs + s.before->file + u"“)"_qs;
    else
        text += u"stand in dieser Lesung schon in „"_qs + s.firstFile + u'“';
    return text + u"; "_qs + entries + u" übersprungen."_qs;
}

} // namespace

StatementImport importStatements(Database &db, const StatementImportRequest &request,
                                 const std::function<void(Matching &)> &part)
{
    StatementImport result;
    std::optional<MatchingApplier> applier;
    QList<RegisteredDocument> documents;
    QList<RecordedPayment> payments;
    if (request.apply) {
        // Read and matched under the transaction that applies: the same state throughout.
        applier.emplace(db, request.now);
        documents = applier->documents();
        payments = applier->payments();
    } else {
        documents = readDocuments(db);
        payments = readPayments(db);
    }
    const QHash<QString, StatementRead> before = statementsRead(db);
    // Under the transaction, the matching's balances start as a copy of the applier's,
    // sharing their index of the documents.
    MatchingStream stream(applier ? applier->balances() : OpenBalances(documents, payments), keysRead(db),
                          request.options);
    QMap<int, qint64> assignments = request.assignments;

    Matching current;
    const auto flush = [&] {
        if (current.matches.isEmpty())
            return;
        part(current);
        if (applier)
            applier->apply(current);
        for (const Match &m : current.matches)
            ++result.counts[std::size_t(m.kind)];
        current = Matching();
        current.first = result.entries;
    };

    // The statements of this reading by key; the entries coming in belong to one of them
    // (or to one skipped) until the key or the document changes.
    QHash<QString, int> readHere;
    QList<Skipped> skipped;
    QString runKey;
    int runDocument = -1, runStatement = -1, runSkipped = -1;
    int document = 0; // documents ended so far: a file read twice starts a new run

    CamtSink sink;
    sink.entry = [&](BankEntry &&e) {
        if (e.statementKey() != runKey || document != runDocument) {
            runKey = e.statementKey();
            runDocument = document;
            runStatement = runSkipped = -1;
            const QString key = statementKey(e);
            const auto earlier = readHere.constFind(key);
            const auto applied = before.constFind(key);
            if (e.statementId.isEmpty()) {
                // The schema demands an id; without one nothing names the statement.
            } else if (applied != before.cend() || earlier != readHere.cend()) {
                Skipped s{e.statementId, e.account, e.file, e.notification, {}, {}, 0};
                if (applied != before.cend())
                    s.before = *applied;
                else
                    s.firstFile = result.statements[*earlier].file;
                runSkipped = int(skipped.size());
                skipped.append(s);
            } else {
                runStatement = int(result.statements.size());
                readHere.insert(key, runStatement);
                result.statements.append({e.account, e.notification, e.statementId, e.file, 0, {}, firstEntryDigest(e)});
            }
        }
        if (runSkipped >= 0) {
            ++skipped[runSkipped].entries;
            return;
        }
        if (runStatement >= 0)
            ++result.statements[runStatement].entries;
        stream.add(current, std::move(e));
        ++result.entries;
        if (const auto a = assignments.find(result.entries); a != assignments.end()) {
            QString error;
            if (!stream.assign(current, int(current.matches.size()) - 1, a.value(), &error))
                result.assignErrors.append(error);
            assignments.erase(a);
        }
        if (current.matches.size() >= request.partSize)
            flush();
    };
    sink.document = [&](const CamtDocument &) { ++document; };
    sink.refused = [&](const QString &message) {
        ++document;
        result.refused.append(message);
    };
    readCamtFiles(request.paths, sink);
    flush();
    for (auto a = assignments.cbegin(); a != assignments.cend(); ++a)
        result.assignErrors.append(u"Es gibt keinen Umsatz Nr. "_qs + QString::number(a.key()) + u'.');
    for (const Skipped &s : skipped)
        result.skipped.append(skippedText(s));
    if (applier && result.refused.isEmpty() && result.assignErrors.isEmpty())
        result.applied = applier->commit(result.statements);
    return result;
}

} // namespace qvl
