#include "params/FibuFromForm.h"

#include "app/FrmDTA.h"
#include "app/RunInputs.h"
#include "os/Paths.h"

namespace qvl {

fibu::FibuSettings fibuSettings(const FrmDTA &f, const RunInputs &run)
{
    fibu::FibuSettings s;
    s.system = f.strFibu;
    // The folder the clerk sees and the run checked.
    s.folder = nativePath(f.Dir1.Path);
    s.programDir = f.context().programDir;
    s.clock = &f.clock();
    s.directDebit = f.LaoderRe[0].Value;
    s.firstInvoiceNumber = run.firstInvoiceNumber;
    s.invoiceDateText = f.txtRechDat.Text;
    s.invoiceDate = run.invoiceDate;
    s.bookingText = f.txtVerwendungszweck.Text;
    s.businessYear = f.txtWirtschaftsjahr.Text;
    for (int k = 0; k < kFeeSlots; ++k)
        s.vatRates[std::size_t(k)] = f.txtMwst[std::size_t(k)].Text;
    s.bankAccount = f.txtBankKonto.Text;
    s.feeAccounts = {f.txtMBTKonto.Text, f.txtWBVKonto.Text, f.txtHaftpflichtkonto.Text, f.txtSturmkonto.Text,
                     f.txtKonto5.Text, {}};
    for (int k = 0; k < kFeeSlots; ++k)
        s.feeNames[std::size_t(k)] = f.aBeitragsNamen[std::size_t(k)];
    return s;
}

fibu::FibuSettings fibuSettings(const FrmDTA &f)
{
    return fibuSettings(f, readRunInputs(f));
}

} // namespace qvl
