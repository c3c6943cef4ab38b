#pragma once
// The cost-centre map of the forestry suite, "kstktr.ini" in the folder above the program
// folder: the section "[Kostenstellen]" assigns a cost value to each owner key, one entry
// "key,unused,value" a line.

#include <QString>
#include <QStringList>
#include <optional>

namespace qvl::fibu {

class CostCentreMap {
public:
    // Reads the file; std::nullopt when it cannot be read. Lines outside the section
    // (whose header must be written exactly so), empty ones and lines that do not split
    // into exactly three parts at "," are ignored; the parts are kept as they stand,
    // blanks included.
    static std::optional<CostCentreMap> load(const QString &path);
    static CostCentreMap parse(const QStringList &lines);

    // The value of the last entry with this key; empty when there is none.
    QString value(const QString &key) const;
    qsizetype size() const { return m_keys.size(); }

private:
    QStringList m_keys;
    QStringList m_values;
};

// Where the suite keeps the map for a program folder.
QString costCentreMapPath(const QString &programDir);

} // namespace qvl::fibu
