#include "fibu/CostCentreMap.h"

#include "files/AnsiTextFile.h"
#include "os/Paths.h"

namespace qvl::fibu {

std::optional<CostCentreMap> CostCentreMap::load(const QString &path)
{
    const std::optional<QStringList> lines = readAnsiLines(path);
    if (!lines)
        return std::nullopt;
    return parse(*lines);
}

CostCentreMap CostCentreMap::parse(const QStringList &lines)
{
    CostCentreMap map;
    bool inSection = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line == u"[Kostenstellen]"_qs;
            continue;
        }
        if (!inSection || line.isEmpty())
            continue;
        const QStringList parts = line.split(u',');
        if (parts.size() != 3)
            continue;
        map.m_keys.append(parts[0]);
        map.m_values.append(parts[2]);
    }
    return map;
}

QString CostCentreMap::value(const QString &key) const
{
    const qsizetype at = m_keys.lastIndexOf(key);
    return at < 0 ? QString() : m_values[at];
}

QString costCentreMapPath(const QString &programDir)
{
    return joinPath(programDir, u"../kstktr.ini"_qs);
}

} // namespace qvl::fibu
