#include "bank/Register.h"

#include "bank/RegisterSql.h"
#include "db/Database.h"
#include "core/OwnTable.h"

#include <QHash>
#include <sqlite3.h>

namespace qvl {

namespace {

bool tableExists(Database &db, const QString &table)
{
    QSqlQuery rows = db.run(db.sql(register_sql::kTableExists), {table});
    return rows.next() && rows.value(0).toInt() > 0;
}

bool columnExists(Database &db, const QString &table, const QString &column)
{
    QSqlQuery rows = db.run(db.sql(register_sql::kColumnExists), {table, column});
    return rows.next() && rows.value(0).toInt() > 0;
}

bool registerExists(Database &db)
{
    return tableExists(db, u"QVL32_BELEGE"_qs);
}

QVariant dateValue(const QDate &date)
{
    return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant(QMetaType(QMetaType::QString));
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

} // namespace

QString documentKindText(DocumentKind kind)
{
    return kind == DocumentKind::Invoice ? u"Rechnung"_qs : u"Beitragsbescheid"_qs;
}

QString paymentWayText(PaymentWay way)
{
    return way == PaymentWay::DirectDebit ? u"Lastschrift"_qs : u"Überweisung"_qs;
}

QString paymentKindText(PaymentKind kind)
{
    switch (kind) {
    case PaymentKind::Collected:
        return u"Lastschrift"_qs;
    case PaymentKind::Transfer:
        return u"Überweisung"_qs;
    case PaymentKind::Returned:
        return u"Rücklastschrift"_qs;
    case PaymentKind::Reversed:
        return u"Storno"_qs;
    }
    return {};
}

namespace register_tables {

QList<OwnTable> ownTables()
{
    return {{u"QVL32_LAEUFE"_qs, register_sql::kCreateLaeufe, nullptr, {{u"kennung"_qs, register_sql::kAddRunId}}},
            {u"QVL32_BELEGE"_qs, register_sql::kCreateBelege},
            {u"QVL32_ZAHLUNGEN"_qs, register_sql::kCreateZahlungen, &register_sql::kIndexZahlungen},
            {u"QVL32_UMSAETZE"_qs, register_sql::kCreateUmsaetze},
            {u"QVL32_AUSZUEGE"_qs, register_sql::kCreateAuszuege}};
}

} // namespace register_tables

void ensureRegisterTables(Database &db)
{
    for (const OwnTable &table : register_tables::ownTables()) {
        if (!tableExists(db, table.name)) {
            db.run(db.sql(table.create));
            if (table.index)
                db.run(db.sql(*table.index));
            continue;
        }
        for (const OwnColumn &column : table.added)
            if (!columnExists(db, table.name, column.name))
                db.run(db.sql(column.add));
    }
}

namespace {

// The values of a document's row, in the insert's order.
std::array<QVariant, 14> rowValues(const RegisteredDocument &d, qint64 run)
{
    return {d.number,
            documentKindText(d.kind),
            qint64(d.idPersonal),
            qint64(d.nummer),
            d.name,
            dateValue(d.date),
            dateValue(d.due),
            paymentWayText(d.way),
            textOrNull(d.mandate),
            textOrNull(d.iban),
            d.grossCents,
            d.vatCents,
            textOrNull(d.vatByRate),
            run};
}

// The embedded database through its own interface: a run of 100,000 owners registers its
// documents in a fraction of the time QtSql's per-value binding takes. The texts every
// document of a run shares (kind, dates, way of payment) are converted once.
void insertNative(Database &db, sqlite3 *handle, const QList<RegisteredDocument> &documents,
                  const QList<qint64> &runs)
{
    const QByteArray sql = db.sql(register_sql::kInsertBeleg).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const auto failed = [&] {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_finalize(stmt);
        return DbError(u"Der Beleg konnte nicht eingetragen werden: "_qs + reason);
    };
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        throw failed();
    QHash<QString, QByteArray> shared;
    const auto check = [&](int rc) {
        if (rc != SQLITE_OK)
            throw failed();
    };
    int column = 0;
    const auto text = [&](const QString &value, bool nullWhenEmpty, bool runWide) {
        ++column;
        if (value.isEmpty() && nullWhenEmpty)
            return check(sqlite3_bind_null(stmt, column));
        if (runWide) {
            auto it = shared.constFind(value);
            if (it == shared.cend())
                it = shared.insert(value, value.toUtf8());
            return check(sqlite3_bind_text(stmt, column, it->constData(), int(it->size()), SQLITE_STATIC));
        }
        const QByteArray bytes = value.toUtf8();
        check(sqlite3_bind_text(stmt, column, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT));
    };
    const auto number = [&](qint64 value) { check(sqlite3_bind_int64(stmt, ++column, value)); };
    const auto date = [&](const QDate &value) {
        text(value.isValid() ? value.toString(Qt::ISODate) : QString(), true, true);
    };
    for (qsizetype i = 0; i < documents.size(); ++i) {
        const RegisteredDocument &d = documents[i];
        column = 0;
        number(d.number);
        text(documentKindText(d.kind), false, true);
        number(d.idPersonal);
        number(d.nummer);
        text(d.name, false, false);
        date(d.date);
        date(d.due);
        text(paymentWayText(d.way), false, true);
        text(d.mandate, true, false);
        text(d.iban, true, false);
        number(d.grossCents);
        number(d.vatCents);
        text(d.vatByRate, true, false);
        number(runs[i]);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw failed();
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

bool sameRun(const RegisteredDocument &a, const RegisteredDocument &b)
{
    return a.run == b.run && a.runId == b.runId && a.year == b.year && a.feeType == b.feeType && a.batchId == b.batchId
           && a.files == b.files;
}

// One row per run in QVL32_LAEUFE, numbered on from the highest; the run of each document.
QList<qint64> registerRuns(Database &db, const QList<RegisteredDocument> &documents)
{
    QSqlQuery last = db.run(db.sql(register_sql::kLastRun));
    qint64 next = last.next() ? last.value(0).toLongLong() + 1 : 1;
    QSqlQuery insert = db.prepare(db.sql(register_sql::kInsertLauf));
    QList<qint64> runs;
    runs.reserve(documents.size());
    QList<int> firstOfRun; // the first document of each run registered here
    for (qsizetype i = 0; i < documents.size(); ++i) {
        const RegisteredDocument &d = documents[i];
        // The documents of a run come together: the one before is nearly always of the same run.
        if (i > 0 && sameRun(d, documents[i - 1])) {
            runs.append(runs.last());
            continue;
        }
        const auto known = std::find_if(firstOfRun.cbegin(), firstOfRun.cend(),
                                        [&](int first) { return sameRun(d, documents[first]); });
        if (known != firstOfRun.cend()) {
            runs.append(runs[*known]);
            continue;
        }
        const QVariant values[] = {next, d.run, textOrNull(d.year), textOrNull(d.feeType), textOrNull(d.batchId),
                                   textOrNull(d.files), textOrNull(d.runId)};
        for (int v = 0; v < int(std::size(values)); ++v)
            insert.bindValue(v, values[v]);
        Database::exec(insert);
        firstOfRun.append(int(i));
        runs.append(next++);
    }
    return runs;
}

} // namespace

void registerDocuments(Database &db, const QList<RegisteredDocument> &documents)
{
    if (documents.isEmpty())
        return;
    ensureRegisterTables(db);
    const QList<qint64> runs = registerRuns(db, documents);
    if (sqlite3 *handle = db.nativeSqlite()) {
        insertNative(db, handle, documents, runs);
        return;
    }
    QSqlQuery insert = db.prepare(db.sql(register_sql::kInsertBeleg));
    for (qsizetype i = 0; i < documents.size(); ++i) {
        const std::array<QVariant, 14> values = rowValues(documents[i], runs[i]);
        for (int v = 0; v < int(values.size()); ++v)
            insert.bindValue(v, values[size_t(v)]);
        Database::exec(insert);
    }
}

std::optional<qint64> highestNumber(Database &db)
{
    if (!registerExists(db))
        return std::nullopt;
    QSqlQuery rows = db.run(db.sql(register_sql::kMaxNumber));
    if (!rows.next() || rows.value(0).isNull())
        return std::nullopt;
    return rows.value(0).toLongLong();
}

NumberClash numbersTaken(Database &db, qint64 first, qint64 last)
{
    NumberClash clash;
    if (!registerExists(db))
        return clash;
    QSqlQuery rows = db.run(db.sql(register_sql::kTakenBetween), {first, last});
    if (rows.next()) {
        clash.count = rows.value(0).toInt();
        clash.first = rows.value(1).toLongLong();
    }
    return clash;
}

QList<RegisteredDocument> readDocuments(Database &db)
{
    QList<RegisteredDocument> documents;
    if (!registerExists(db))
        return documents;
    // As many as there are: a list grown by doubling would hold up to twice the memory.
    if (QSqlQuery count = db.run(db.sql(register_sql::kCountDocuments)); count.next())
        documents.reserve(count.value(0).toLongLong());
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kAllDocuments));
    // The run's texts are the same for all of its documents: kept once, not once a row.
    QHash<QString, QString> shared;
    const auto once = [&](QString text) {
        const auto it = shared.constFind(text);
        return it != shared.cend() ? *it : *shared.insert(text, text);
    };
    while (rows->next()) {
        RegisteredDocument d;
        d.number = rows->integer(0);
        d.kind = rows->text(1) == u"Rechnung"_qs ? DocumentKind::Invoice : DocumentKind::FeeNotice;
        d.idPersonal = rows->integer(2);
        d.nummer = rows->integer(3);
        d.name = rows->text(4);
        d.date = rows->date(5);
        d.due = rows->date(6);
        d.way = rows->text(7) == u"Lastschrift"_qs ? PaymentWay::DirectDebit : PaymentWay::Transfer;
        d.mandate = rows->text(8);
        d.iban = rows->text(9);
        d.grossCents = rows->integer(10);
        d.run = once(rows->text(11));
        d.year = once(rows->text(12));
        d.feeType = once(rows->text(13));
        d.batchId = once(rows->text(14));
        d.reminderLevel = int(rows->integer(15));
        d.lastReminder = rows->date(16);
        d.files = once(rows->text(17));
        documents.append(std::move(d));
    }
    return documents;
}

QList<RecordedPayment> readPayments(Database &db)
{
    QList<RecordedPayment> payments;
    if (!tableExists(db, u"QVL32_ZAHLUNGEN"_qs))
        return payments;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kAllPayments));
    while (rows->next()) {
        RecordedPayment p;
        p.number = rows->integer(0);
        const QString kind = rows->text(1);
        p.kind = kind == u"Lastschrift"_qs ? PaymentKind::Collected
                 : kind == u"Rücklastschrift"_qs ? PaymentKind::Returned
                 : kind == u"Storno"_qs          ? PaymentKind::Reversed
                                                 : PaymentKind::Transfer;
        p.cents = rows->integer(2);
        p.chargeCents = rows->integer(3);
        p.reason = rows->text(4);
        p.booked = rows->date(5);
        payments.append(std::move(p));
    }
    return payments;
}

QHash<qint64, IssuedDocument> issuedDocuments(Database &db, qint64 first, qint64 last)
{
    QHash<qint64, IssuedDocument> documents;
    if (!registerExists(db))
        return documents;
    const bool withRunIds = columnExists(db, u"QVL32_LAEUFE"_qs, u"kennung"_qs);
    const std::unique_ptr<RowCursor> rows = db.select(
        db.sql(withRunIds ? register_sql::kIssuedBetween : register_sql::kIssuedBetweenWithoutRunIds), {first, last});
    while (rows->next()) {
        IssuedDocument d;
        d.number = rows->integer(0);
        d.kind = rows->text(1) == u"Rechnung"_qs ? DocumentKind::Invoice : DocumentKind::FeeNotice;
        d.idPersonal = long(rows->integer(2));
        d.way = rows->text(3) == u"Lastschrift"_qs ? PaymentWay::DirectDebit : PaymentWay::Transfer;
        d.run = rows->integer(4);
        d.runId = rows->text(5);
        d.year = rows->text(6);
        d.feeType = rows->text(7);
        documents.insert(d.number, d);
    }
    return documents;
}

QList<IssuedDocument> debitsOfRun(Database &db, qint64 run)
{
    QList<IssuedDocument> debits;
    const std::unique_ptr<RowCursor> rows = db.select(db.sql(register_sql::kDebitsOfRun), {run});
    while (rows->next()) {
        IssuedDocument d;
        d.number = rows->integer(0);
        d.kind = DocumentKind::FeeNotice;
        d.idPersonal = long(rows->integer(1));
        d.way = PaymentWay::DirectDebit;
        d.run = run;
        debits.append(d);
    }
    return debits;
}

} // namespace qvl
