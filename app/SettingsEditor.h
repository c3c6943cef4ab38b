#pragma once
// The dialog "Einstellungen" without widgets: the settings that have no box on the main
// form — e-mail, business year, VAT, the bank's lead time, the pre-notification period, the
// comparison threshold —, each shown as the clerk types it and checked by the rule the
// settings file's reading applies. Only when every value passes are they taken into the
// form, which writes them with the settings file.

#include <QList>
#include <QString>
#include <QStringList>

namespace qvl {

class FrmDTA;

struct SettingField {
    enum class Kind {
        Text,   // any text; blanks around are dropped
        Number, // a whole number from lowest to highest, digits only
        Choice, // one of choices
        Flag    // "1" ticked, "0" not
    };
    QString key;     // the settings file's key
    QString page;    // the dialog's tab
    QString caption; // what the dialog writes before it
    Kind kind = Kind::Text;
    int lowest = 0;
    int highest = 0;
    QStringList choices;
    QString hint;    // a line below the field, or empty
    QString value;   // as shown: the text, the number's digits, the choice, "1" or "0"
};

class SettingsEditor {
public:
    // Opening the dialog: the form's values.
    explicit SettingsEditor(const FrmDTA &form);

    QList<SettingField> fields;

    // The field of a key; -1 for none.
    int indexOf(const QString &key) const;
    // Sets a field's value as typed (no check yet); false for an unknown key.
    bool set(const QString &key, const QString &value);
    // Checks every value; the first refused gives false with its German reason in *why and
    // its index in *field, and nothing is taken.
    bool check(QString *why, int *field) const;
    // check, then every value into the form.
    bool apply(FrmDTA &form, QString *why, int *field) const;

    // The pages in their order.
    QStringList pages() const;
};

} // namespace qvl
