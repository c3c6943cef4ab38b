#pragma once
// The invoice text models as sections at the end of the settings file:
//   [name]
//   text lines (the text's CR LF line breaks)
//   [Ende]

#include <QList>
#include <QString>
#include <QStringList>

namespace qvl {

struct ModelSection {
    QString name;
    QString text; // lines joined by CR LF
};

// Every line starting with "[" outside a section opens one; it ends at the first line that
// reads "[ENDE]" in any letter case. A section cut off by the end of the file keeps the
// lines it has, so no text is lost.
QList<ModelSection> readModelSections(const QStringList &lines);

QStringList modelSectionLines(const QList<ModelSection> &models);

} // namespace qvl
