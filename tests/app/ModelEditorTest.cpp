#include "app/FrmDTA.h"
#include "app/ModelEditor.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

using namespace qvl;
using namespace qvl::test;

namespace {

void setModels(FrmDTA &form, const QList<std::array<QString, 2>> &models)
{
    for (int i = 0; i < models.size(); ++i)
        form.aModelle[i] = models[i];
    form.lModelle = int(models.size());
    form.LoadModelle();
}

QStringList names(const FrmDTA &form)
{
    QStringList out;
    for (int i = 0; i < form.lModelle; ++i)
        out.append(form.aModelle[i][0]);
    return out;
}

} // namespace

TEST(ModelEditor, NewSaveDeleteAndCloseFlows)
{
    Workspace ws(1);
    auto form = ws.form();
    setModels(*form, {{u"A"_qs, u"Text A"_qs}, {u"B"_qs, u"Text B"_qs}, {u"C"_qs, u"Text C"_qs}});

    {
        // A new model saved and the dialog closed: listed last, the form shows the first text.
        ModelEditor editor(*form);
        EXPECT_EQ(editor.lvModels.List, (QStringList{u"A"_qs, u"B"_qs, u"C"_qs}));
        EXPECT_EQ(editor.txtFixtext.Text, u"Text A"_qs);
        ws.ui.inputs = {u"D"_qs, u""_qs, u"B"_qs};
        ASSERT_TRUE(editor.cmdNewModel_Click());
        EXPECT_EQ(editor.lvModels.Text(), u"D"_qs);
        EXPECT_EQ(editor.txtFixtext.Text, u""_qs);
        editor.txtFixtext.Text = u"Zeile 1\r\nZeile 2"_qs;
        EXPECT_TRUE(editor.cmdSaveModel_Click());
        // Clicking a saved line shows what was saved in the dialog.
        editor.lvModels_Click(0);
        editor.lvModels_Click(3);
        EXPECT_EQ(editor.txtFixtext.Text, u"Zeile 1\r\nZeile 2"_qs);
        // An empty name does nothing; a name the list holds selects its line.
        EXPECT_FALSE(editor.cmdNewModel_Click());
        EXPECT_TRUE(editor.cmdNewModel_Click());
        EXPECT_EQ(editor.lvModels.ListCount(), 4);
        EXPECT_EQ(editor.lvModels.Text(), u"B"_qs);
        EXPECT_EQ(editor.txtFixtext.Text, u"Text B"_qs);
        // Deleting asks first, naming the model; "Nein" (also the answer of a closed box)
        // keeps it.
        const qsizetype before = ws.ui.messages.size();
        ws.ui.answers = {MsgResult::No};
        EXPECT_FALSE(editor.cmdDeleteModel_Click());
        ASSERT_EQ(ws.ui.messages.size(), before + 1);
        EXPECT_EQ(ws.ui.messages.last().buttons, MsgButtons::YesNo);
        EXPECT_TRUE(ws.ui.messages.last().text.contains(u"„B“"_qs)) << ws.ui.messages.last().text.toStdString();
        EXPECT_EQ(editor.lvModels.ListCount(), 4);
        EXPECT_EQ(editor.txtFixtext.Text, u"Text B"_qs);
        // "Ja": deleting the second of the models keeps the order of the others.
        ws.ui.answers = {MsgResult::Yes};
        EXPECT_TRUE(editor.cmdDeleteModel_Click());
        EXPECT_EQ(editor.lvModels.List, (QStringList{u"A"_qs, u"C"_qs, u"D"_qs}));
        form->txtFixtext.Text = u"vorher"_qs;
        editor.close();
    }
    EXPECT_EQ(names(*form), (QStringList{u"A"_qs, u"C"_qs, u"D"_qs}));
    EXPECT_EQ(form->cmbModell.List, names(*form));
    EXPECT_EQ(form->txtFixtext.Text, u"Text A"_qs);

    {
        // Not saved before closing: gone. Deleting a line never saved does nothing.
        ModelEditor editor(*form);
        ws.ui.inputs = {u"E"_qs};
        editor.cmdNewModel_Click();
        editor.txtFixtext.Text = u"ungespeichert"_qs;
        const qsizetype before = ws.ui.messages.size();
        EXPECT_FALSE(editor.cmdDeleteModel_Click());
        EXPECT_EQ(ws.ui.messages.size(), before); // nothing to ask about
        EXPECT_EQ(editor.lvModels.ListCount(), 4);
        editor.close();
    }
    EXPECT_EQ(names(*form), (QStringList{u"A"_qs, u"C"_qs, u"D"_qs}));

    // Every model deleted: the form's box and text end empty.
    {
        ModelEditor editor(*form);
        ws.ui.answers = {MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(editor.cmdDeleteModel_Click());
        EXPECT_FALSE(editor.cmdSaveModel_Click());
        editor.close();
    }
    EXPECT_EQ(form->lModelle, 0);
    EXPECT_EQ(form->cmbModell.ListCount(), 0);
    EXPECT_EQ(form->txtFixtext.Text, u""_qs);
}

TEST(ModelEditor, RefusesAnEndLineAndGrowsAFullTable)
{
    Workspace ws(1);
    auto form = ws.form();
    QList<std::array<QString, 2>> full;
    for (int i = 0; i < kMaxEntries; ++i)
        full.append({u"M"_qs + QString::number(i), u"T"_qs});
    setModels(*form, full);

    ModelEditor editor(*form);
    ws.ui.inputs = {u"Neu"_qs};
    ASSERT_TRUE(editor.cmdNewModel_Click());
    for (const QString &text : {u"a\r\n[ende]\r\nb"_qs, u"[ENDE]"_qs, u"x\n[Ende]"_qs}) {
        editor.txtFixtext.Text = text;
        EXPECT_FALSE(editor.cmdSaveModel_Click()) << text.toStdString();
    }
    EXPECT_EQ(ws.ui.messages.size(), 3);
    EXPECT_EQ(ws.ui.messages.last().title, u"Modelle"_qs);

    // A line that merely mentions the marker is a normal text.
    editor.txtFixtext.Text = u" [Ende]\r\nSiehe [Ende]"_qs;
    EXPECT_TRUE(editor.cmdSaveModel_Click());
    editor.close();
    EXPECT_EQ(form->lModelle, kMaxEntries + 1);
    EXPECT_EQ(form->aModelle[kMaxEntries][0], u"Neu"_qs);
    EXPECT_EQ(form->cmbModell.List.last(), u"Neu"_qs);
}
