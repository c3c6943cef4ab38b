#include "run/MemberQueryFromForm.h"

#include "app/FormDesigns.h"
#include "app/FrmDTA.h"

namespace qvl {

MemberQueryInputs memberQueryInputs(const FrmDTA &f)
{
    MemberQueryInputs q;
    q.connectionString = f.strConnectionString;
    q.connectionOptions = f.connectionOptions;
    if (f.bFBGVersion)
        q.association = f.GetFBGNr();
    // The option buttons are read in their order: the first one set decides.
    if (f.Sort[0].Value)
        q.order = OwnerOrder::ByNumber;
    else if (f.Sort[1].Value)
        q.order = OwnerOrder::ByName;
    else if (f.Sort[2].Value)
        q.order = OwnerOrder::ById;
    else
        q.order = OwnerOrder::Unsorted;
    q.fibu = f.strFibu;
    return q;
}

void readMembers(FrmDTA &f, const RunInputs &run, Buchungen &records)
{
    if (RunMemberQuery(memberQueryInputs(f), run, records))
        designs(f).Beitrag.control(u"Bezeichnung16"_qs).Caption = u""_qs;
}

} // namespace qvl
