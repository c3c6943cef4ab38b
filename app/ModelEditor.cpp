#include "app/ModelEditor.h"

#include "app/FrmDTA.h"

namespace qvl {

namespace {

const QString kTitle = QStringLiteral("Modelle");

// The settings file ends a model's section at a line reading "[Ende]" in any letter case,
// so such a line would cut the text off at the next start.
bool holdsEndLine(const QString &text)
{
    for (const QString &line : QString(text).replace(u"\r\n"_qs, u"\n"_qs).split(u'\n'))
        if (line.toUpper() == u"[ENDE]"_qs)
            return true;
    return false;
}

} // namespace

ModelEditor::ModelEditor(FrmDTA &form)
    : m_form(form)
    , m_models(form.aModelle)
    , m_count(std::min<int>(form.lModelle, int(form.aModelle.size())))
{
    ShowModelle();
}

void ModelEditor::ShowModelle()
{
    lvModels.Clear();
    for (int i = 0; i < m_count; ++i)
        if (!lvModels.List.contains(m_models[i][0])) // names are the lines' keys
            lvModels.AddItem(m_models[i][0]);
    txtFixtext.Text.clear();
    if (lvModels.ListCount() > 0) {
        lvModels.ListIndex = 0;
        txtFixtext.Text = LoadModell(lvModels.Text());
    }
}

int ModelEditor::FindModell(const QString &name) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_models[i][0] == name)
            return i;
    return -1;
}

QString ModelEditor::LoadModell(const QString &name) const
{
    const int i = FindModell(name);
    return i < 0 ? QString() : m_models[i][1];
}

void ModelEditor::lvModels_Click(int index)
{
    if (index < 0 || index >= lvModels.ListCount())
        return;
    lvModels.ListIndex = index;
    txtFixtext.Text = LoadModell(lvModels.Text());
}

bool ModelEditor::cmdNewModel_Click()
{
    const auto name = m_form.ui().inputBox(u"Bitte Modellnamen eingeben:"_qs, u"Modell neu"_qs, {});
    if (!name || name->isEmpty())
        return false;
    int index = int(lvModels.List.indexOf(*name));
    if (index < 0) {
        lvModels.AddItem(*name);
        index = lvModels.ListCount() - 1;
    }
    lvModels.ListIndex = index;
    txtFixtext.Text = LoadModell(*name);
    return true;
}

bool ModelEditor::cmdSaveModel_Click()
{
    if (lvModels.ListCount() == 0 || lvModels.ListIndex < 0)
        return false;
    if (holdsEndLine(txtFixtext.Text)) {
        m_form.ui().message(u"Der Text darf keine Zeile „[Ende]“ enthalten: Beim nächsten Programmstart "
                            "würde das Modell dort abgeschnitten. Das Modell wurde nicht gespeichert."_qs,
                            kTitle, MsgIcon::Exclamation);
        return false;
    }
    const QString name = lvModels.Text();
    int i = FindModell(name);
    if (i < 0) {
        i = m_count++;
        if (i >= m_models.size())
            m_models.resize(i + 1);
    }
    m_models[i] = {name, txtFixtext.Text};
    return true;
}

bool ModelEditor::cmdDeleteModel_Click()
{
    if (lvModels.ListCount() == 0)
        return false;
    const int i = FindModell(lvModels.Text());
    if (i < 0)
        return false;
    // One key press (Alt+L) must not remove a text the letters are written with.
    if (!m_form.ui().askYesNo(u"Soll das Modell „"_qs + lvModels.Text()
                                  + u"“ gelöscht werden?\n\nSein Text geht verloren, sobald das Programm die "
                                    "Einstellungen speichert."_qs,
                              u"Modelle"_qs))
        return false;
    m_models.removeAt(i);
    m_models.append(std::array<QString, 2>{});
    --m_count;
    ShowModelle();
    return true;
}

void ModelEditor::close()
{
    m_form.aModelle = m_models;
    m_form.lModelle = m_count;
    m_form.LoadModelle();
}

} // namespace qvl
