#pragma once
// The dialog "Modelle" without widgets: the list of model names, the dialog's text box and
// the working copy of the main form's models (part of the form's state, as the models'
// sections of the settings file are read and written in models/). The GUI shows this state; every button and
// click of the dialog is an operation here.

#include "app/FormControls.h"

#include <QList>
#include <QString>
#include <array>

namespace qvl {

class FrmDTA;

class ModelEditor {
public:
    // Opening the dialog: takes the working copy of the form's models and shows them.
    explicit ModelEditor(FrmDTA &form);

    ListBox lvModels;   // one line per model name; ListIndex is the selected line
    TextBox txtFixtext; // the selected model's text

    // Clicking a line: shows the text saved for it in the working copy (empty for a line
    // not saved yet).
    void lvModels_Click(int index);
    // "Modell &neu": asks for a name. True when a line was added or chosen, so the caller
    // puts the focus into the text box. A name the list already holds selects that line.
    bool cmdNewModel_Click();
    // "Modell &speichern": stores the text under the selected line's name, growing the
    // table when it is full. Refuses (with a message) a text that holds a line "[Ende]".
    bool cmdSaveModel_Click();
    // "Modell &löschen": asks, naming the model ("Nein" the default), and removes the
    // selected line's saved model only on "Ja". True when it was removed.
    bool cmdDeleteModel_Click();
    // Closing the dialog, however it is closed: the working copy becomes the form's models
    // and the form's combo box and fixed text are loaded again.
    void close();

    int modelCount() const { return m_count; }

private:
    void ShowModelle();
    int FindModell(const QString &name) const;
    QString LoadModell(const QString &name) const;

    FrmDTA &m_form;
    QList<std::array<QString, 2>> m_models; // the working copy
    int m_count = 0;
};

} // namespace qvl
