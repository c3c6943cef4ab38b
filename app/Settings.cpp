#include "app/Settings.h"

#include "app/FrmDTA.h"
#include "app/InputRules.h"
#include "app/SettingsKeys.h"
#include "files/AnsiTextFile.h"
#include "models/ModelSections.h"
#include "os/Paths.h"

namespace qvl {

std::optional<KeyFile> LoadSettings(FrmDTA &f)
{
    auto opened = KeyFile::open(settingsFilePath(f.context().programDir));
    if (!opened)
        return std::nullopt;
    const KeyFile &file = *opened;
    f.settingsEncoding = file.encoding();
    for (const SettingsEntry &entry : settingsEntries()) {
        if (const auto *key = std::get_if<SettingsKey>(&entry))
            key->load(f, file.value(key->name));
        else if (const auto &group = std::get<SettingsKeyGroup>(entry); group.load)
            group.load(f, file);
    }
    return opened;
}

void LoadMindestbeitraege(FrmDTA &f, const KeyFile &file)
{
    for (int i = 0; i < f.lbPersons.ListCount() && i < kMaxEntries; ++i)
        for (int k = 0; k < kFeeSlots; ++k) {
            const QString key = f.lbPersons.List.at(i) + u" Mindest"_qs + QString::number(k + 1);
            QString value = file.value(key);
            // A minimum fee the box would refuse is no minimum fee: never billed from.
            if (!value.trimmed().isEmpty() && !typedAmountInLimit(value)) {
                noteSettingsFallback(f, key, value, {});
                value.clear();
            }
            f.aMindestbeitraege[i][k] = value.trimmed();
        }
}

void LoadModelSections(FrmDTA &f, const KeyFile &file)
{
    const QList<ModelSection> models = readModelSections(file.lines());
    f.aModelle = QList<std::array<QString, 2>>(std::max<qsizetype>(kMaxEntries, models.size()));
    for (int i = 0; i < models.size(); ++i)
        f.aModelle[i] = {models.at(i).name, models.at(i).text};
    f.lModelle = int(models.size());
}

QStringList SettingsLines(FrmDTA &f)
{
    for (int i = 0; i < 4; ++i)
        if (f.rbEinstellung[i].Value)
            f.strBerechnungsart = kBerechnungsarten[i];

    QStringList lines;
    for (const SettingsEntry &entry : settingsEntries()) {
        if (const auto *key = std::get_if<SettingsKey>(&entry)) {
            if (const std::optional<QString> value = key->save(f))
                lines.append(key->name + u'=' + *value);
        } else {
            lines.append(std::get<SettingsKeyGroup>(entry).lines(f));
        }
    }
    QList<ModelSection> models;
    for (int i = 0; i < f.lModelle && i < f.aModelle.size(); ++i)
        models.append({f.aModelle[i][0], f.aModelle[i][1]});
    lines.append(modelSectionLines(models));
    return lines;
}

bool SaveSettings(FrmDTA &f, QString *error)
{
    return writeTextFileAtomically(settingsFilePath(f.context().programDir), SettingsLines(f), f.settingsEncoding,
                                   error);
}

} // namespace qvl
