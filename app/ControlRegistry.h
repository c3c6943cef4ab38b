#pragma once
// Reaches a form's controls and fields by their names as text ("txtRechNr",
// "chkBeitrag(0)", "lbPersons.List(2)", "SSTab1.TabVisible(1)"), for the batch front
// end and the tests. Dump lines keep registration order, so they are stable.

#include "app/FormControls.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <climits>
#include <functional>

namespace qvl {

using DumpLine = QPair<QString, QString>;

class ControlRegistry {
public:
    // What a registered name reacts to when it is set as the user would set it.
    using Action = std::function<void()>;

    ControlRegistry() = default;
    // The entries refer to the registry itself.
    ControlRegistry(const ControlRegistry &) = delete;
    ControlRegistry &operator=(const ControlRegistry &) = delete;

    // MultiLine: a text box of several lines; as command-line text its line breaks are
    // written \r and \n (setAsText, dump).
    enum Property { Caption = 1, Visible = 2, Enabled = 4, MultiLine = 8 };

    void addText(const QString &name, QString *field, Action onChange = {});
    void addBool(const QString &name, bool *field);
    // A whole number from `lowest` to `highest`; anything else is refused.
    void addNumber(const QString &name, int *field, int lowest = INT_MIN, int highest = INT_MAX);
    void addTextBox(const QString &name, TextBox *box, int properties = 0, Action onChange = {});
    // A box whose leaving checks the value (a number box): when `leave` refuses it, the text
    // stays as typed, as on the form, and setting it answers InvalidValue.
    void addCheckedTextBox(const QString &name, TextBox *box, int properties, std::function<bool()> leave);

    // A checked box whose text was refused when it was last set: it holds the refused text
    // until it is set to one that is accepted.
    struct RefusedBox {
        QString name;
        TextBox *box = nullptr;
        QString accepted; // its text before the refused one
    };
    // In the order in which they were refused.
    QList<RefusedBox> refusedBoxes() const { return m_refused; }
    // Gives a refused box its text from before the refusal back.
    void restoreAccepted(const QString &name);
    void addCheckBox(const QString &name, CheckBox *box, int properties = 0, Action onChange = {});
    void addLabel(const QString &name, Label *label, int properties = Caption);
    void addFrame(const QString &name, Frame *frame, int properties = 0);
    // An option group: setting one member to 1 clears the others and fires onSelect(index).
    void addOptionGroup(const QString &name, QList<OptionButton *> buttons, int properties,
                        std::function<void(int)> onSelect);
    // Setting the index (or an entry's exact text) selects the entry and fires onChange.
    void addListBox(const QString &name, ListBox *box, Action onChange = {});
    void addTabStrip(const QString &name, TabStrip *tabs);
    // A read-only block of lines produced on demand (tables whose size changes).
    void addLines(std::function<QList<DumpLine>()> producer);
    // A settable entry with custom read and write; without a reader it is set-only (its
    // value is dumped by a line producer).
    void addCustom(const QString &name, std::function<QString()> get, std::function<bool(const QString &)> set);

    QList<DumpLine> dump() const;

    enum class SetResult { Ok, UnknownName, InvalidValue };
    // Sets the value exactly as typed (the desktop form).
    SetResult set(const QString &name, const QString &value);
    // Sets a value given as one line of text (--set): multi-line boxes read \r and \n as
    // line breaks, every other name takes the text as it stands (paths keep backslashes).
    SetResult setAsText(const QString &name, const QString &value);

    // Dumped values show line breaks as \r and \n (paths keep their backslashes).
    static QString escape(const QString &value);
    static QString unescape(const QString &value);

private:
    struct Entry {
        std::function<QList<DumpLine>()> lines;
    };
    void addLine(const QString &name, std::function<QString()> get, std::function<bool(const QString &)> set = {});
    void addSetter(const QString &name, std::function<bool(const QString &)> set);
    // A property shown and set as "0"/"1" (Visible, Enabled).
    void addFlag(const QString &name, bool *flag);

    QList<Entry> m_entries;
    QHash<QString, std::function<bool(const QString &)>> m_setters; // by lower-case name
    QSet<QString> m_multiLine;                                        // by lower-case name
    QList<RefusedBox> m_refused;
};

} // namespace qvl
