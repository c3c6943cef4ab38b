#pragma once
// Loading and saving the settings file "QVL32-SEPA-Beitragseinzug.ini".

#include "app/SettingsFile.h"

#include <QString>
#include <optional>

namespace qvl {

class FrmDTA;

// Reads every plain key except the per-entry minimum fees into the form's fields and
// controls. std::nullopt when the file does not exist; the form is then unchanged.
// The returned file serves the later start-up steps (minimum fees, models).
std::optional<KeyFile> LoadSettings(FrmDTA &form);

// Reads the keys "<entry text> Mindest1" … "Mindest5" of every creditor list entry.
void LoadMindestbeitraege(FrmDTA &form, const KeyFile &file);

// The model sections at the end of the file.
void LoadModelSections(FrmDTA &form, const KeyFile &file);

// The whole file as the form's state gives it: the keys in their fixed order, then the
// model sections.
QStringList SettingsLines(FrmDTA &form);

// Writes the file anew (atomically). False with a German message in *error on failure.
bool SaveSettings(FrmDTA &form, QString *error);

} // namespace qvl
