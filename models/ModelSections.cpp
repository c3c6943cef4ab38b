#include "models/ModelSections.h"

namespace qvl {

QList<ModelSection> readModelSections(const QStringList &lines)
{
    QList<ModelSection> models;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (!line.startsWith(u'['))
            continue;
        ModelSection model;
        model.name = line.size() >= 2 ? line.mid(1, line.size() - 2) : QString();
        QStringList text;
        for (++i; i < lines.size() && lines.at(i).toUpper() != u"[ENDE]"_qs; ++i)
            text.append(lines.at(i));
        model.text = text.join(u"\r\n"_qs);
        models.append(model);
    }
    return models;
}

QStringList modelSectionLines(const QList<ModelSection> &models)
{
    QStringList lines;
    for (const ModelSection &model : models) {
        lines.append(u'[' + model.name + u']');
        // A text's own line breaks become lines of the file; an empty text one empty line.
        lines.append(QString(model.text).replace(u"\r\n"_qs, u"\n"_qs).split(u'\n'));
        lines.append(u"[Ende]"_qs);
    }
    return lines;
}

} // namespace qvl
