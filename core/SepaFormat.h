#pragma once
// The bank file's format as the settings name it: the setting "SEPAFormat" and the main
// form's drop-down read it, the bank file is written in it.

#include <QString>

namespace qvl {

enum class SepaFormat { Pain00800102, Pain00800108 };

// "pain.008.001.02" or "pain.008.001.08"; anything else (also empty) is pain.008.001.08.
inline SepaFormat sepaFormatFromText(const QString &text)
{
    return text.trimmed() == QLatin1StringView("pain.008.001.02") ? SepaFormat::Pain00800102
                                                                  : SepaFormat::Pain00800108;
}

inline QString sepaFormatText(SepaFormat format)
{
    return format == SepaFormat::Pain00800102 ? QStringLiteral("pain.008.001.02") : QStringLiteral("pain.008.001.08");
}

} // namespace qvl
