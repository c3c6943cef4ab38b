#include "select/OwnerSelection.h"

#include "app/FrmDTA.h"
#include "text/Conversions.h"
#include "text/GermanOrder.h"
#include "select/OwnerSelectionSql.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace qvl {

QList<long> selectedNumberList(const QString &strWBIN)
{
    QList<long> numbers;
    static const QRegularExpression number(u"-?[0-9]+"_qs);
    for (const QRegularExpressionMatch &m : number.globalMatch(strWBIN))
        numbers.append(m.captured().toLong());
    return numbers;
}

QSet<long> selectedNumbers(const QString &strWBIN)
{
    const QList<long> list = selectedNumberList(strWBIN);
    return QSet<long>(list.cbegin(), list.cend());
}

QString selectionCaption(const QString &strWBIN)
{
    const qsizetype n = selectedNumbers(strWBIN).size();
    if (n == 0)
        return {};
    return u"Auswahl: "_qs + QLocale(QLocale::German).toString(qlonglong(n)) + u" Waldbesitzer"_qs;
}

QString selectionCheckLine(const QString &strWBIN)
{
    constexpr qsizetype kNumbersShown = 10;
    const QList<long> numbers = selectedNumberList(strWBIN);
    if (numbers.isEmpty())
        return {};
    QStringList shown;
    for (qsizetype i = 0; i < numbers.size() && i < kNumbersShown; ++i)
        shown.append(QString::number(numbers[i]));
    if (numbers.size() > kNumbersShown)
        shown.append(u"…"_qs);
    return u"Waldbesitzer-Auswahl: nur "_qs + QLocale(QLocale::German).toString(qlonglong(numbers.size()))
           + u" ausgewählte Waldbesitzer ("_qs + shown.join(u", "_qs) + u')';
}

QString BuildWBIN(const QStringList &selectedLines)
{
    QString wbin = u"("_qs;
    for (const QString &line : selectedLines) {
        const QString t = line.trimmed();
        const qsizetype blank = t.indexOf(u' ');
        wbin += (blank < 0 ? t : t.left(blank)) + u',';
    }
    wbin.chop(1);
    wbin += u')';
    return wbin.size() < 3 ? QString() : wbin;
}

QList<OwnerLine> LoadWaldbesitzer(const FrmDTA &form, bool byName)
{
    namespace sql = owner_selection_sql;
    if (!form.SQLConn)
        throw DbError(u"Es besteht keine Verbindung zur Datenbank."_qs);
    const Database &db = *form.SQLConn;
    QString statement = db.sql(sql::kOwners) + db.sql(form.LaoderRe[0].Value ? sql::kDirectDebit : sql::kInvoice);
    QVariantList values;
    if (form.bFBGVersion) {
        const long n = form.GetFBGNr();
        statement += db.sql(sql::kAssociation);
        values = {formatNumber(double(n), u"0000"_qs), QString::number(n)};
    }
    statement += db.sql(byName ? sql::kOrderByName : sql::kOrderByNumber);

    struct Row {
        OwnerLine line;
        QString name, firstName;
        long long id = 0;
    };
    QList<Row> rows;
    QSqlQuery query = db.run(statement, values);
    while (query.next()) {
        const QSqlRecord r = query.record();
        Row row;
        row.id = qlonglong(fieldNumber(r, u"id_personal"_qs));
        row.line.nummer = qlonglong(fieldNumber(r, u"Nummer"_qs));
        row.name = fieldText(r, u"Name"_qs);
        row.firstName = fieldText(r, u"Vorname"_qs);
        QStringList parts{QString::number(row.line.nummer)};
        for (const char16_t *column : {u"Name", u"Vorname"})
            if (!fieldIsNull(r, QString::fromUtf16(column)))
                parts.append(fieldText(r, QString::fromUtf16(column)));
        row.line.text = parts.join(u' ');
        rows.append(row);
    }
    if (byName && db.dialect() == SqlDialect::Sqlite)
        std::stable_sort(rows.begin(), rows.end(), [](const Row &x, const Row &y) {
            if (const int c = compareGerman(x.name, y.name); c != 0)
                return c < 0;
            if (const int c = compareGerman(x.firstName, y.firstName); c != 0)
                return c < 0;
            return x.id < y.id;
        });
    QList<OwnerLine> lines;
    for (const Row &row : rows)
        lines.append(row.line);
    return lines;
}

OwnerSelection::OwnerSelection(FrmDTA &form)
    : m_form(form)
{
    load();
    selectAll(true);
}

void OwnerSelection::load()
{
    m_lines = LoadWaldbesitzer(m_form, m_byName);
    m_selected = QList<bool>(m_lines.size(), false);
    m_current = m_lines.isEmpty() ? -1 : 0;
}

void OwnerSelection::setSelected(int line, bool on)
{
    if (line >= 0 && line < m_selected.size()) {
        m_selected[line] = on;
        m_current = line;
    }
}

void OwnerSelection::selectAll(bool on)
{
    m_selected.fill(on);
    m_current = m_lines.isEmpty() ? -1 : 0;
}

void OwnerSelection::setSortByName(bool byName)
{
    m_byName = byName;
    load();
}

void OwnerSelection::close()
{
    // Built from the numbers themselves, never from a line's text.
    QStringList numbers;
    for (int i = 0; i < m_lines.size(); ++i)
        if (m_selected[i])
            numbers.append(QString::number(m_lines[i].nummer));
    m_form.strWBIN = BuildWBIN(numbers);
}

} // namespace qvl
