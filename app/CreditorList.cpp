// The creditor list of the main form: associations or clients, and the chosen one's data.
#include "app/FrmDTA.h"
#include "app/StartupSql.h"
#include "text/Conversions.h"

namespace qvl {

void FrmDTA::LoadFBGListe()
{
    aFBGNr = {0};
    lbPersons.Clear();
    QSqlQuery rows = SQLConn->run(SQLConn->sql(bFBGVersion ? startup_sql::kAssociations : startup_sql::kClients));
    while (rows.next()) {
        const QSqlRecord r = rows.record();
        QString line;
        if (!fieldIsNull(r, u"Nummer"_qs))
            line = formatNumber(fieldNumber(r, u"Nummer"_qs), u"0000"_qs) + u' ';
        if (!fieldIsNull(r, u"Name"_qs))
            line += fieldText(r, u"Name"_qs);
        lbPersons.AddItem(line);
        aFBGNr.last() = long(fieldNumber(r, u"Nummer"_qs));
        aFBGNr.append(0);
    }
    if (lbPersons.ListCount() > 0) {
        lbPersons.ListIndex = 0;
        lbPersons_Click();
    }
}

void FrmDTA::LoadCreditorData()
{
    if (!SQLConn)
        return;
    QSqlQuery rows = SQLConn->run(SQLConn->sql(startup_sql::kCreditor), {qlonglong(GetFBGNr())});
    if (!rows.next())
        return;
    const QSqlRecord r = rows.record();
    const std::pair<TextBox *, const char16_t *> boxes[] = {
        {&txtFirmenName, u"Name"}, {&txtAdresse, u"Strasse"}, {&txtPLZ, u"PLZ"}, {&txtOrt, u"Ort"},
        {&txtTelefon, u"Telefon"}, {&txtTelefax, u"Telefax"}, {&txtEmail, u"Email"}, {&txtBank, u"Bank"},
        {&txtBankleitzahl, u"BIC"}, {&txtKontonummer, u"IBAN"}, {&txtGlaubigerID, u"GlaubigerID"}};
    for (const auto &[box, column] : boxes)
        box->Text = fieldText(r, QString::fromUtf16(column));
    txtReferenznummer.Text.clear();
    // The column is named by the settings file; a name that is no column gives "".
    txtSteuernummer.Text = fieldText(r, strSteuernummerfeld);
}

} // namespace qvl
