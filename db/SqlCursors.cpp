#include "db/DatabaseInUse.h"
#include "db/SqlCursors.h"

#include "db/Database.h"

#include <QSqlRecord>
#include <sqlite3.h>

namespace qvl {

namespace {

class SqliteCursor final : public RowCursor {
public:
    SqliteCursor(sqlite3 *handle, const QString &statement, const QVariantList &values)
    {
        const QByteArray sql = statement.toUtf8();
        bool ok = sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &m_stmt, nullptr) == SQLITE_OK;
        for (int i = 0; ok && i < values.size(); ++i)
            ok = bind(i + 1, values.at(i)) == SQLITE_OK;
        if (!ok) {
            const DbError error = failure(handle, statement);
            sqlite3_finalize(m_stmt);
            throw error;
        }
        m_handle = handle;
        m_statement = statement;
        const int columns = sqlite3_column_count(m_stmt);
        for (int c = 0; c < columns; ++c)
            m_names.append(QString::fromUtf8(sqlite3_column_name(m_stmt, c)).toLower());
    }
    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }

    int columnIndex(const QString &name) const override { return int(m_names.indexOf(name.toLower())); }

    bool next() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw failure(m_handle, m_statement);
        return false;
    }

protected:
    Cell cellType(int c) const override
    {
        switch (sqlite3_column_type(m_stmt, c)) {
        case SQLITE_NULL: return Cell::Null;
        case SQLITE_INTEGER: return Cell::Integer;
        case SQLITE_FLOAT: return Cell::Real;
        default: return Cell::Text;
        }
    }
    qint64 integerCell(int c) const override { return sqlite3_column_int64(m_stmt, c); }
    double realCell(int c) const override { return sqlite3_column_double(m_stmt, c); }
    QString textCell(int c) const override
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, c));
    }
    QVariant otherCell(int c) const override { return textCell(c); }

private:
    int bind(int position, const QVariant &v)
    {
        if (v.isNull())
            return sqlite3_bind_null(m_stmt, position);
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::Bool:
            return sqlite3_bind_int64(m_stmt, position, v.toLongLong());
        case QMetaType::Double:
            return sqlite3_bind_double(m_stmt, position, v.toDouble());
        default: {
            const QByteArray text = v.toString().toUtf8();
            return sqlite3_bind_text(m_stmt, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }
    static DbError failure(sqlite3 *handle, const QString &statement)
    {
        if (sqliteInUse(sqlite3_errcode(handle)))
            return DbError(databaseInUseMessage(QString(), QString::fromUtf8(sqlite3_errmsg(handle))));
        const QString simplified = statement.simplified();
        return DbError(u"Die Datenbankabfrage „"_qs + (simplified.size() > 200 ? simplified.left(200) + u" …"_qs : simplified)
                      + u"“ ist fehlgeschlagen:\n"_qs + QString::fromUtf8(sqlite3_errmsg(handle)));
    }

    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_statement;
    QStringList m_names;
};

class QtCursor final : public RowCursor {
public:
    explicit QtCursor(QSqlQuery query) : m_query(std::move(query))
    {
        const QSqlRecord record = m_query.record();
        for (int c = 0; c < record.count(); ++c)
            m_names.append(record.fieldName(c).toLower());
    }

    int columnIndex(const QString &name) const override { return int(m_names.indexOf(name.toLower())); }
    bool next() override
    {
        if (!m_query.next())
            return false;
        m_row.clear();
        for (int c = 0; c < m_names.size(); ++c)
            m_row.append(m_query.value(c));
        return true;
    }

protected:
    Cell cellType(int c) const override
    {
        const QVariant &v = m_row.at(c);
        if (v.isNull())
            return Cell::Null;
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            return Cell::Integer;
        case QMetaType::Double:
        case QMetaType::Float:
            return Cell::Real;
        case QMetaType::QString:
            return Cell::Text;
        default:
            return Cell::Other;
        }
    }
    qint64 integerCell(int c) const override { return m_row.at(c).toLongLong(); }
    double realCell(int c) const override { return m_row.at(c).toDouble(); }
    QString textCell(int c) const override { return m_row.at(c).toString(); }
    QVariant otherCell(int c) const override { return m_row.at(c); }

private:
    QSqlQuery m_query;
    QStringList m_names;
    QVariantList m_row;
};

} // namespace

std::unique_ptr<RowCursor> openSqliteCursor(sqlite3 *handle, const QString &statement, const QVariantList &values)
{
    return std::make_unique<SqliteCursor>(handle, statement, values);
}

std::unique_ptr<RowCursor> openQtCursor(QSqlQuery query)
{
    return std::make_unique<QtCursor>(std::move(query));
}

} // namespace qvl
