#include "cli/DemoWriter.h"

#include "cli/DemoAssociation.h"
#include "cli/DemoOwners.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <span>

namespace qvl::demo {

namespace {

// A prepared INSERT with named placeholders. Qt formats a placeholder name for every
// positional bind; binding by ready-made names saves a good part of the time that a
// large demo database takes.
class Insert {
public:
    Insert(const QSqlDatabase &db, const QString &table, const QStringList &columns)
        : query_(db), table_(table), columns_(columns)
    {
        for (const QString &column : columns)
            placeholders_ << u':' + column;
    }

    bool prepare()
    {
        query_.setForwardOnly(true);
        return query_.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(table_, columns_.join(QStringLiteral(", ")),
                                       placeholders_.join(QStringLiteral(", "))));
    }

    bool exec(std::span<const QVariant> values)
    {
        Q_ASSERT(values.size() == std::size_t(placeholders_.size()));
        for (qsizetype i = 0; i < placeholders_.size(); ++i)
            query_.bindValue(placeholders_[i], values[std::size_t(i)]);
        return query_.exec();
    }
    bool exec(std::initializer_list<QVariant> values)
    {
        return exec(std::span(values.begin(), values.size()));
    }

    QString error() const { return query_.lastError().text(); }

private:
    QSqlQuery query_;
    QString table_;
    QStringList columns_;
    QStringList placeholders_;
};

class DemoWriter {
public:
    explicit DemoWriter(const QSqlDatabase &db)
        : fee_(db, QStringLiteral("strings"), {"id_string", "Custom_German"}),
          person_(db, QStringLiteral("personal"), personColumns()),
          free_(db, QStringLiteral("personal_free"),
                {"id_personal", "BOXFREE1", "BoxFree2", "BOXFREE3"}),
          administration_(db, QStringLiteral("waldb_verwaltung"), {"id_verwaltung", "id_personal"}),
          plot_(db, QStringLiteral("waldort"), {"id_waldort", "flaeche"}),
          plotLink_(db, QStringLiteral("wb_waldort_zuord"),
                    {"id_zuord", "id_personal", "id_waldort"})
    {
    }

    bool prepare();
    bool writeFeeNames();
    bool writeCreditors();
    bool writeOwners(const DemoOptions &options);
    QString error() const { return error_; }

private:
    bool run(Insert &insert, std::initializer_list<QVariant> values);
    bool writePerson(const Row &row);
    bool writeOwner(const Owner &owner);

    Insert fee_, person_, free_, administration_, plot_, plotLink_;
    QString error_;
    int nextAdministration_ = 1;
    int nextPlot_ = 1;
};

bool DemoWriter::prepare()
{
    for (Insert *insert : {&fee_, &person_, &free_, &administration_, &plot_, &plotLink_}) {
        if (!insert->prepare()) {
            error_ = insert->error();
            return false;
        }
    }
    return true;
}

bool DemoWriter::run(Insert &insert, std::initializer_list<QVariant> values)
{
    if (insert.exec(values))
        return true;
    error_ = insert.error();
    return false;
}

bool DemoWriter::writeFeeNames()
{
    for (const FeeName &name : feeNames()) {
        if (!run(fee_, {name.id, name.text}))
            return false;
    }
    return true;
}

bool DemoWriter::writeCreditors()
{
    for (const Row &row : creditorRows()) {
        if (!writePerson(row))
            return false;
    }
    return true;
}

bool DemoWriter::writePerson(const Row &row)
{
    if (person_.exec(row))
        return true;
    error_ = person_.error();
    return false;
}

bool DemoWriter::writeOwner(const Owner &owner)
{
    const QVariant id = owner.person[Id];
    if (!writePerson(owner.person)
        || !run(free_, {id, owner.directDebit ? 1 : 0, owner.directDebit ? 0 : 1,
                        owner.business ? 1 : 0}))
        return false;
    for (int i = 0; i < owner.administrationRows; ++i) {
        if (!run(administration_, {nextAdministration_++, id}))
            return false;
    }
    for (double area : owner.plots) {
        const int plot = nextPlot_++;
        if (!run(plot_, {plot, area}) || !run(plotLink_, {plot, id, plot}))
            return false;
    }
    return true;
}

bool DemoWriter::writeOwners(const DemoOptions &options)
{
    OwnerFactory factory(options.owners, options.seed);
    for (int i = 0; i < options.owners; ++i) {
        if (!writeOwner(factory.make(i)))
            return false;
    }
    return true;
}

} // namespace

bool writeDemoRows(const QSqlDatabase &db, const DemoOptions &options, QString *error)
{
    DemoWriter writer(db);
    if (writer.prepare() && writer.writeFeeNames() && writer.writeCreditors()
        && writer.writeOwners(options))
        return true;
    *error = writer.error();
    return false;
}

} // namespace qvl::demo
