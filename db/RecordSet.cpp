#include "db/RecordSet.h"

#include "text/Conversions.h"

#include <cmath>
#include <limits>

namespace qvl {

namespace {

bool isNumberType(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QString asText(const QVariant &v)
{
    if (isNumberType(v))
        return generalNumber(v.toDouble());
    if (v.typeId() == QMetaType::QDate)
        return formatDate(v.toDate(), u"dd.mm.yyyy"_qs);
    if (v.typeId() == QMetaType::QDateTime)
        return formatDate(v.toDateTime().date(), u"dd.mm.yyyy"_qs);
    if (v.typeId() == QMetaType::Bool)
        return boolText(v.toBool());
    return v.toString();
}

std::optional<double> asNumber(const QVariant &v)
{
    if (isNumberType(v))
        return v.toDouble();
    if (v.typeId() == QMetaType::QString)
        return parseSuiteNumber(v.toString());
    return std::nullopt;
}

QString typeName(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
        return u"ganze Zahl"_qs;
    case FieldType::Double:
        return u"Zahl"_qs;
    case FieldType::Date:
        return u"Datum"_qs;
    case FieldType::Text:
        break;
    }
    return u"Text"_qs;
}

} // namespace

void RecordSet::append(const QString &name, FieldType type, int width)
{
    m_fields.append({name, type, width});
    for (auto &row : m_rows)
        row.emplace_back();
}

void RecordSet::addNew()
{
    m_rows.emplace_back(m_fields.size());
}

int RecordSet::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int RecordSet::requireColumn(const QString &name) const
{
    const int i = columnIndex(name);
    if (i < 0)
        throw RecordSetError(u"Die Spalte „"_qs + name + u"“ gibt es nicht."_qs);
    return i;
}

void RecordSet::set(const QString &column, const QVariant &value)
{
    if (m_rows.empty())
        throw RecordSetError(u"Der Datensatz hat keine Zeile."_qs);
    const int c = requireColumn(column);
    const Field &f = m_fields.at(c);
    QVariant &target = m_rows.back()[c];
    if (!value.isValid() || value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()
                                               && f.type != FieldType::Text)) {
        target = QVariant();
        return;
    }
    const auto refuse = [&] {
        return RecordSetError(u"Der Wert „"_qs + asText(value) + u"“ passt nicht in die Spalte „"_qs + f.name
                              + u"“ ("_qs + typeName(f.type) + u")."_qs);
    };
    switch (f.type) {
    case FieldType::Text: {
        // A text longer than its column is cut visibly: a name or address that long must
        // not stop a run whose fee notices the members are owed.
        const QString text = asText(value);
        target = f.width > 0 && text.size() > f.width ? text.left(f.width - 1) + u'…' : text;
        return;
    }
    case FieldType::Integer: {
        const auto n = asNumber(value);
        if (!n || !std::isfinite(*n) || *n < std::numeric_limits<qint32>::min() - 0.5
            || *n >= std::numeric_limits<qint32>::max() + 0.5)
            throw refuse();
        // A fraction is rounded, as the runtime's conversion to a 32-bit integer does.
        target = int(roundHalfEven(*n, 0));
        return;
    }
    case FieldType::Double: {
        const auto n = asNumber(value);
        if (!n || !std::isfinite(*n))
            throw refuse();
        target = *n;
        return;
    }
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDate && value.toDate().isValid()) {
            target = value.toDate();
            return;
        }
        if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid()) {
            target = value.toDateTime().date();
            return;
        }
        const auto d = value.typeId() == QMetaType::QString ? parseDate(value.toString()) : std::nullopt;
        if (!d)
            throw refuse();
        target = d->date();
        return;
    }
    }
}

QVariant RecordSet::value(int row, int column) const
{
    return m_rows.at(size_t(row)).at(size_t(column));
}

QVariant RecordSet::value(int row, const QString &column) const
{
    return value(row, requireColumn(column));
}

QString RecordSet::text(int row, int column) const
{
    const QVariant v = value(row, column);
    return v.isNull() ? QString() : asText(v);
}

} // namespace qvl
