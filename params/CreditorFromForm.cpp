#include "params/CreditorFromForm.h"

#include "app/FrmDTA.h"

namespace qvl {

Creditor creditorOf(const FrmDTA &f)
{
    Creditor c;
    c.name = f.txtFirmenName.Text;
    c.street = f.txtAdresse.Text;
    c.postcode = f.txtPLZ.Text;
    c.town = f.txtOrt.Text;
    c.phone = f.txtTelefon.Text;
    c.fax = f.txtTelefax.Text;
    c.email = f.txtEmail.Text;
    c.taxNumber = f.txtSteuernummer.Text;
    c.bank = f.txtBank.Text;
    c.iban = f.txtKontonummer.Text;
    c.bic = f.txtBankleitzahl.Text;
    c.creditorId = f.txtGlaubigerID.Text;
    return c;
}

} // namespace qvl
