#pragma once
// An in-memory record set: columns appended with a name, a type and (for texts) a width,
// rows added one after the other and set by column name. It is the data source of the
// reports, and its types are a check of the data: a value that does not convert to the
// column's type throws RecordSetError, which the writers turn into their own messages. A
// text longer than its column is shortened to its width, its last character "…".

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace qvl {

enum class FieldType { Text, Integer, Double, Date };

struct Field {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0; // characters, texts only
};

class RecordSetError : public std::runtime_error {
public:
    explicit RecordSetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

class RecordSet {
public:
    void append(const QString &name, FieldType type, int width = 0);
    // A new row at the end; its values are empty (null) until set.
    void addNew();
    // Sets a value of the last row. Texts accept any value (numbers in the general
    // German form); integers and doubles accept numbers and number texts; dates accept
    // dates and date texts. A null or empty value leaves the field empty.
    void set(const QString &column, const QVariant &value);

    int columnCount() const { return int(m_fields.size()); }
    int rowCount() const { return int(m_rows.size()); }
    const Field &field(int column) const { return m_fields.at(column); }
    const QList<Field> &fields() const { return m_fields; }
    // -1 when there is no such column (names compared without letter case).
    int columnIndex(const QString &name) const;
    // The typed value: QString, int, double, QDate, or null when never set.
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &column) const;
    // The value as text: numbers in the general German form, dates as dd.mm.yyyy.
    QString text(int row, int column) const;

private:
    int requireColumn(const QString &name) const;

    QList<Field> m_fields;
    std::vector<std::vector<QVariant>> m_rows;
};

} // namespace qvl
