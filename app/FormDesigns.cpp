#include "app/FormDesigns.h"

#include "app/FrmDTA.h"

#include <utility>

namespace qvl {

const ReportDesigns &designs(const FrmDTA &form)
{
    if (!form.reports)
        form.reports = std::make_shared<ReportDesigns>();
    return *form.reports;
}

ReportDesigns &designs(FrmDTA &form)
{
    designs(std::as_const(form));
    return *form.reports;
}

} // namespace qvl
