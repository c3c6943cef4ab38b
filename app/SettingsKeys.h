#pragma once
// Every plain key of the settings file, written down once: its name, what the form's state
// writes under it and how its value is read back into the form. Saving writes the keys in
// this order; loading reads them in the same order.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>

namespace qvl {

class FrmDTA;
class KeyFile;

struct SettingsKey {
    QString name;
    // The value written; std::nullopt writes no line (a key only some states have).
    std::function<std::optional<QString>(const FrmDTA &)> save;
    // Reads the key's value (empty when the file lacks the key) into the form.
    std::function<void(FrmDTA &, const QString &value)> load;
};

// A run of keys whose names the form's state decides, kept by a module of its own (the
// e-mail settings) or read by a later start-up step (the creditors' minimum fees): written
// at its place among the keys, read by `load` when the step loading it is this one.
struct SettingsKeyGroup {
    std::function<QStringList(const FrmDTA &)> lines; // "key=value"
    std::function<void(FrmDTA &, const KeyFile &)> load; // empty: read by a later step
};

using SettingsEntry = std::variant<SettingsKey, SettingsKeyGroup>;

// The settings file's keys in their order.
const QList<SettingsEntry> &settingsEntries();

// A value the program cannot use gives way to the default, and the clerk is told once at
// start: "VergleichAbweichungProzent = „abc“, stattdessen 25" (an empty fallback: "leer").
void noteSettingsFallback(FrmDTA &form, const QString &key, const QString &value, const QString &fallback);

} // namespace qvl
