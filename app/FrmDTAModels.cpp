// The main form's side of the invoice text models.
#include "app/FrmDTA.h"
#include "models/MailModels.h"

namespace qvl {

QString FrmDTA::LoadModell(const QString &strModell) const
{
    for (int i = 0; i < lModelle && i < aModelle.size(); ++i)
        if (aModelle[i][0] == strModell)
            return aModelle[i][1];
    return {};
}

void FrmDTA::LoadModelle()
{
    cmbModell.Clear();
    txtFixtext.Text.clear();
    for (int i = 0; i < lModelle && i < aModelle.size(); ++i)
        if (!isMailModel(aModelle[i][0])) // the mails' texts, no fixed text of a letter
            cmbModell.AddItem(aModelle[i][0]);
    if (cmbModell.ListCount() > 0) {
        cmbModell.ListIndex = 0;
        cmbModell_Click();
    }
}

} // namespace qvl
