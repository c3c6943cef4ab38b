#include "db/RowCursor.h"

#include "text/Conversions.h"

#include <cmath>

namespace qvl {

bool RowCursor::isBlank(int c) const
{
    switch (cellType(c)) {
    case Cell::Null: return true;
    case Cell::Text: return textCell(c).isEmpty();
    default: return false;
    }
}

QString RowCursor::text(int c) const
{
    switch (cellType(c)) {
    case Cell::Null: return {};
    case Cell::Integer: return QString::number(integerCell(c));
    case Cell::Real: return generalNumber(realCell(c));
    case Cell::Text: return textCell(c);
    case Cell::Other: return otherCell(c).toString();
    }
    return {};
}

double RowCursor::number(int c) const
{
    switch (cellType(c)) {
    case Cell::Null: return 0.0;
    case Cell::Integer: return double(integerCell(c));
    case Cell::Real: return realCell(c);
    case Cell::Text:
    case Cell::Other: {
        const QString t = text(c).trimmed();
        bool ok = false;
        const double d = t.toDouble(&ok); // drivers hand decimals over with a point
        return ok ? d : suiteNumberOrZero(t);  // a text typed into the suite has a comma
    }
    }
    return 0.0;
}

long RowCursor::integer(int c) const
{
    if (cellType(c) == Cell::Integer)
        return long(integerCell(c));
    return long(roundHalfEven(number(c), 0));
}

bool RowCursor::boolean(int c) const
{
    if (isBlank(c))
        return false;
    if (cellType(c) == Cell::Text)
        return parseBool(textCell(c)).value_or(false);
    return number(c) != 0.0;
}

QDate RowCursor::date(int c) const
{
    switch (cellType(c)) {
    case Cell::Text: {
        const QString t = textCell(c);
        // The plain ISO date is by far the most common form.
        if (t.size() == 10) {
            const QDate d = QDate::fromString(t, Qt::ISODate);
            if (d.isValid())
                return d;
        }
        const auto parsed = parseDate(t);
        return parsed ? parsed->date() : QDate();
    }
    case Cell::Other: {
        const QVariant v = otherCell(c);
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().date();
        return v.toDate();
    }
    default: return {};
    }
}

} // namespace qvl
