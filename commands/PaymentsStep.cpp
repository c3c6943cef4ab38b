#include "commands/PaymentsStep.h"

#include "app/FrmDTA.h"
#include "params/CreditorFromForm.h"
#include "db/Database.h"

#include <limits>

namespace qvl {

namespace {

Database &connection(FrmDTA &f)
{
    if (!f.SQLConn)
        f.SQLConn = Database::open(f.strConnectionString, f.connectionOptions);
    return *f.SQLConn;
}

} // namespace

MatchingOptions matchingOptions(const FrmDTA &f)
{
    MatchingOptions options;
    // The debits' own remittance text begins with the prefix; a number right behind it is
    // meant as a reference.
    const QString prefix = f.txtVerwendungszweck.Text.trimmed();
    if (!prefix.isEmpty())
        options.markers << prefix;
    options.creditorId = creditorOf(f).creditorId.trimmed();
    return options;
}

BankImport readBankFiles(FrmDTA &f, const QStringList &paths)
{
    BankImport import;
    StatementImportRequest request;
    request.paths = paths;
    request.options = matchingOptions(f);
    request.partSize = std::numeric_limits<int>::max(); // kept whole: one part
    const StatementImport read = importStatements(connection(f), request, [&](Matching &whole) {
        import.matching = std::move(whole);
    });
    import.reading.refused = read.refused;
    import.skipped = read.skipped;
    import.statements = read.statements;
    return import;
}

ApplyResult applyBankImport(FrmDTA &f, const BankImport &import)
{
    return applyMatching(connection(f), import.matching, import.statements, f.clock().now());
}

StatementImport streamBankFiles(FrmDTA &f, StatementImportRequest request, const std::function<void(Matching &)> &part)
{
    request.options = matchingOptions(f);
    request.now = f.clock().now();
    return importStatements(connection(f), request, part);
}

OpenBalances registerBalances(FrmDTA &f)
{
    Database &db = connection(f);
    return OpenBalances(readDocuments(db), readPayments(db));
}

QList<OpenItem> currentOpenItems(FrmDTA &f, bool openOnly)
{
    Database &db = connection(f);
    return openItems(readDocuments(db), readPayments(db), openOnly);
}

QString letterModel(const FrmDTA &f, LetterKind kind)
{
    const QString name = kind == LetterKind::Returns ? u"Rücklastschrift"_qs : u"Mahnung"_qs;
    for (const auto &model : f.aModelle)
        if (model[0].trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return model[1];
    return {};
}

Letters makeLetters(FrmDTA &f, const LetterRequest &request)
{
    const QDate today = f.clock().now().date();
    const QList<OpenItem> items = currentOpenItems(f, true);
    Letters letters;
    letters.kind = request.kind;
    letters.items = request.kind == LetterKind::Returns ? returnsOpen(items)
                                                        : remindersDue(items, today, request.reminderDays);
    if (letters.items.isEmpty())
        return letters;
    LetterOptions options;
    options.kind = request.kind;
    options.today = today;
    options.returnFeeCents = request.returnFeeCents;
    options.model = letterModel(f, request.kind);
    options.sender = creditorOf(f);
    letters.report = paymentLetters(letters.items, ownerAddresses(connection(f)), options);
    return letters;
}

void recordLettersSent(FrmDTA &f, const Letters &letters)
{
    recordReminders(connection(f), letters.items, f.clock().now().date(), letters.kind);
}

} // namespace qvl
