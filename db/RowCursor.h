#pragma once
// Walks the rows of a result forward and reads cells with the program's normalisation:
// NULL and the empty text both mean "no value", giving "" for texts and 0 for numbers.
// The embedded database is read through SQLite's own interface, which is several times
// faster for big results than going through QVariant; other databases through QtSql.

#include <QDate>
#include <QString>
#include <QVariant>

namespace qvl {

class RowCursor {
public:
    virtual ~RowCursor() = default;

    // The column's position, compared case-insensitively; -1 when there is none.
    virtual int columnIndex(const QString &name) const = 0;
    virtual bool next() = 0;

    bool isBlank(int column) const;
    // Texts as stored; numbers in the German general form.
    QString text(int column) const;
    // Numbers; a text is read with a decimal point, else with the decimal comma.
    double number(int column) const;
    long integer(int column) const;
    // Numbers: not 0; texts: a Boolean text.
    bool boolean(int column) const;
    // A date value, or ISO text ("2026-12-06", optionally with a time); invalid otherwise.
    QDate date(int column) const;

protected:
    enum class Cell { Null, Integer, Real, Text, Other };
    virtual Cell cellType(int column) const = 0;
    virtual qint64 integerCell(int column) const = 0;
    virtual double realCell(int column) const = 0;
    virtual QString textCell(int column) const = 0;
    virtual QVariant otherCell(int column) const = 0;
};

} // namespace qvl
