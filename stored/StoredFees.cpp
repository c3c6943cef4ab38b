#include "stored/StoredFees.h"

#include "text/Conversions.h"
#include "stored/FeeSlotRecord.h"
#include "stored/FeeSlotRecordSql.h"
#include "stored/StoredFeesSql.h"
#include "stored/StoredRunCaption.h"

#include <sqlite3.h>

namespace qvl {

namespace {

// The insert stores at most this many characters of the type, so the delete compares
// with the same cut text.
constexpr int kTypeLength = 50;

// Texts are bound as the empty text, never as NULL: the suite wrote '' for a missing
// value, and an empty type must still find rows whose typ is NULL through isnull(typ,'').
QString textValue(const QString &text)
{
    return text.isNull() ? u""_qs : text;
}

// dd.mm.yyyy as typed in the form -> the ISO date the embedded database stores; an
// invalid text gives a null text, stored as NULL.
QString isoDate(const QString &germanDate)
{
    const std::optional<QDateTime> date = parseDate(germanDate.trimmed());
    if (!date)
        return {};
    return date->date().toString(Qt::ISODate);
}

DbError statementFailed(const QString &statement, const QString &reason)
{
    QString shown = statement.simplified();
    if (shown.size() > 200)
        shown = shown.left(200) + u" …"_qs;
    return DbError(u"Die Datenbankabfrage „"_qs + shown + u"“ ist fehlgeschlagen:\n"_qs
                   + (reason.trimmed().isEmpty() ? u"unbekannter Fehler"_qs : reason.trimmed()));
}

} // namespace

class StoredFeesWriter::Statement {
public:
    virtual ~Statement() = default;
    // Positions count from 0. A null text binds NULL.
    virtual void bind(int position, qint64 value) = 0;
    virtual void bind(int position, double value) = 0;
    virtual void bind(int position, const QString &value) = 0;
    virtual void run() = 0;
};

namespace {

// Through QtSql (SQL Server over ODBC).
class QtStatement final : public StoredFeesWriter::Statement {
public:
    QtStatement(const Database &db, const QString &sql) : m_query(db.prepare(sql)) {}
    void bind(int position, qint64 value) override { m_query.bindValue(position, value); }
    void bind(int position, double value) override { m_query.bindValue(position, value); }
    void bind(int position, const QString &value) override { m_query.bindValue(position, value); }
    void run() override { Database::exec(m_query); }

private:
    QSqlQuery m_query;
};

// Through SQLite's own interface: QtSql spends several times longer per execution than
// SQLite itself, which a run of 100,000 owners would feel.
class SqliteStatement final : public StoredFeesWriter::Statement {
public:
    SqliteStatement(sqlite3 *handle, const QString &sql) : m_handle(handle), m_sql(sql)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            throw failure();
        }
    }
    ~SqliteStatement() override { sqlite3_finalize(m_stmt); }

    void bind(int position, qint64 value) override { check(sqlite3_bind_int64(m_stmt, position + 1, value)); }
    void bind(int position, double value) override { check(sqlite3_bind_double(m_stmt, position + 1, value)); }
    void bind(int position, const QString &value) override
    {
        if (value.isNull()) {
            check(sqlite3_bind_null(m_stmt, position + 1));
            return;
        }
        const QByteArray text = value.toUtf8();
        check(sqlite3_bind_text(m_stmt, position + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT));
    }

    void run() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_DONE || rc == SQLITE_ROW) {
            sqlite3_reset(m_stmt);
            return;
        }
        const DbError error = failure();
        sqlite3_reset(m_stmt);
        throw error;
    }

private:
    void check(int rc) const
    {
        if (rc != SQLITE_OK)
            throw failure();
    }
    DbError failure() const { return statementFailed(m_sql, QString::fromUtf8(sqlite3_errmsg(m_handle))); }

    sqlite3 *m_handle;
    QString m_sql;
    sqlite3_stmt *m_stmt = nullptr;
};

std::unique_ptr<StoredFeesWriter::Statement> prepareStatement(const Database &db, const DialectSql &sql)
{
    if (sqlite3 *handle = db.nativeSqlite())
        return std::make_unique<SqliteStatement>(handle, db.sql(sql));
    return std::make_unique<QtStatement>(db, db.sql(sql));
}

} // namespace

StoredFeesWriter::StoredFeesWriter(Database &db, QDateTime now)
    : m_db(db),
      m_created(now.toString(u"yyyy-MM-dd HH:mm:ss"_qs)),
      m_delete(prepareStatement(db, stored_fees_sql::kDeleteOwnerFee)),
      m_insert(prepareStatement(db, stored_fees_sql::kInsertFee))
{
    ensureFeeSlotTables(db);
    m_deleteSlots = prepareStatement(db, fee_slot_sql::kDeleteOwner);
    m_insertSlot = prepareStatement(db, fee_slot_sql::kInsert);
}

StoredFeesWriter::~StoredFeesWriter() = default;

void StoredFeesWriter::deleteOwnerFee(long idPersonal, const QString &jahr, const QString &typ)
{
    m_delete->bind(0, qlonglong(idPersonal));
    m_delete->bind(1, textValue(jahr));
    m_delete->bind(2, textValue(typ.left(kTypeLength)));
    m_delete->run();
}

void StoredFeesWriter::insert(const StoredFee &fee)
{
    int i = 0;
    m_insert->bind(i++, qlonglong(fee.idPersonal));
    m_insert->bind(i++, textValue(fee.jahr));
    m_insert->bind(i++, fee.betrag.euros()); // the suite's column holds euros
    if (m_db.dialect() == SqlDialect::Sqlite) {
        m_insert->bind(i++, m_created);
        for (const QString *date : {&fee.rechDat, &fee.faellDat}) {
            auto known = m_isoDates.constFind(*date);
            if (known == m_isoDates.cend())
                known = m_isoDates.insert(*date, isoDate(*date));
            m_insert->bind(i++, *known);
        }
    } else {
        m_insert->bind(i++, textValue(fee.rechDat));
        m_insert->bind(i++, textValue(fee.faellDat));
    }
    // Cut here as well, so both dialects store exactly what the delete compares with.
    m_insert->bind(i++, textValue(fee.typ.left(kTypeLength)));
    m_insert->bind(i++, textValue(fee.rechNr));
    m_insert->bind(i++, textValue(fee.iban));
    m_insert->run();
}

void StoredFeesWriter::recordSlots(long idPersonal, const QString &jahr, const QString &typ, unsigned mask)
{
    const QString year = textValue(fee_slots::yearKey(jahr));
    const QString type = textValue(typ.left(kTypeLength));
    m_deleteSlots->bind(0, qlonglong(idPersonal));
    m_deleteSlots->bind(1, year);
    m_deleteSlots->bind(2, type);
    m_deleteSlots->run();
    for (int k = 0; k < 32; ++k) {
        if (!((mask >> k) & 1U))
            continue;
        m_insertSlot->bind(0, qlonglong(idPersonal));
        m_insertSlot->bind(1, year);
        m_insertSlot->bind(2, type);
        m_insertSlot->bind(3, qlonglong(k + 1));
        m_insertSlot->run();
    }
}

namespace {

// The association number as the owners' column zusatz5 holds it: "0007" or "7".
QVariantList associationValues(long association)
{
    return {formatNumber(double(association), u"0000"_qs), QString::number(association)};
}

} // namespace

QStringList listStoredRuns(Database &db, std::optional<long> association)
{
    QSqlQuery rows = association ? db.run(db.sql(stored_fees_sql::kListRunsOfAssociation),
                                          associationValues(*association))
                                 : db.run(db.sql(stored_fees_sql::kListRuns));
    QStringList keys;
    while (rows.next())
        keys.append(rows.value(0).toString());
    return keys;
}

int countStoredRun(Database &db, const QString &runKey, std::optional<long> association)
{
    QSqlQuery rows = association ? db.run(db.sql(stored_fees_sql::kCountRunOfAssociation),
                                          QVariantList{textValue(runKey)} + associationValues(*association))
                                 : db.run(db.sql(stored_fees_sql::kCountRun), {textValue(runKey)});
    return rows.next() ? rows.value(0).toInt() : 0;
}

QSet<QString> storedFeeNumbers(Database &db, const QString &jahr, const QString &typ)
{
    QSet<QString> numbers;
    const std::unique_ptr<RowCursor> rows =
        db.select(db.sql(stored_fees_sql::kFeeNumbersOfYear), {textValue(jahr), textValue(typ.left(50))});
    while (rows->next()) {
        // The number as the register keeps it: "0815" is 815.
        bool ok = false;
        const QString text = rows->text(1).trimmed();
        const qint64 number = text.toLongLong(&ok);
        numbers.insert(QString::number(rows->integer(0)) + u'\t' + (ok ? QString::number(number) : text));
    }
    return numbers;
}

QString deleteRunQuestion(const QString &runKey, int fees)
{
    // The key reads "2026 Mitgliedsbeitrag, Erstellt: Dec  5 2026"; its day is shown German.
    const QString caption = storedRunCaption(runKey);
    const qsizetype at = caption.lastIndexOf(u", Erstellt: "_qs);
    const QString run = at < 0 ? caption : caption.left(at);
    const QString day = at < 0 ? QString() : caption.mid(at + 12);
    return u"Wollen Sie den gespeicherten Lauf „"_qs + run + u"“"_qs + (day.isEmpty() ? QString() : u" vom "_qs + day)
           + u" mit "_qs + (fees == 1 ? u"1 Beitrag"_qs : QString::number(fees) + u" Beiträgen"_qs)
           + u" löschen?\n\nDie SEPA-Datei dieses Laufs wird dadurch nicht zurückgenommen: Ist sie schon bei der "
             "Bank eingereicht, werden ihre Lastschriften trotzdem eingezogen. Löschen Sie einen Lauf nur, wenn "
             "seine Datei nie eingereicht wurde."_qs;
}

std::optional<int> deleteStoredRun(Database &db, const QString &runKey, std::optional<long> association)
{
    const QSqlQuery done =
        association ? db.run(db.sql(stored_fees_sql::kDeleteRunOfAssociation),
                             QVariantList{textValue(runKey)} + associationValues(*association))
                    : db.run(db.sql(stored_fees_sql::kDeleteRun), {textValue(runKey)});
    return db.rowsAffected(done);
}

} // namespace qvl
