#include "fees/AmountLimits.h"

#include "app/RunInputs.h"
#include "text/Conversions.h"
#include "core/RunError.h"

#include <cmath>

namespace qvl {

namespace {

// Empty when the amount is fine, else what is wrong with it.
QString amountProblem(double euros)
{
    if (!std::isfinite(euros))
        return u"ist keine gültige Zahl"_qs;
    if (std::abs(euros) > kMaxAmount)
        return u"beträgt "_qs + formatNumber(euros, u"#,##0.00"_qs) + u" € und übersteigt den Höchstbetrag von "_qs
               + formatNumber(kMaxAmount, u"#,##0.00"_qs) + u" €"_qs;
    return {};
}

[[noreturn]] void refuse(const QString &what, const Buchung &b, const QString &problem)
{
    throw RunError(RunError::Kind::Input,
                   what + u" des Waldbesitzers "_qs + QString::number(b.Nummer) + u' '
                       + QString(b.Name + u' ' + b.Vorname).trimmed() + u' ' + problem
                       + u". Der Lauf wurde abgebrochen, es wurde nichts geschrieben. Bitte prüfen Sie die "
                         "Beitragsparameter und Mindestbeiträge."_qs);
}

} // namespace

void CheckBetraege(const RunInputs &run, const Buchungen &aBuchungen)
{
    for (const Buchung &b : aBuchungen) {
        for (int k = 0; k < kFeeSlots; ++k)
            for (const double amount : {b.Betrag[k], b.SteuerCent[k].euros()})
                if (const QString problem = amountProblem(amount); !problem.isEmpty())
                    refuse(u"Der Beitrag „"_qs + run.fees[std::size_t(k)].name + u"“"_qs, b, problem);
        if (const QString problem = amountProblem(b.SummeCent.euros()); !problem.isEmpty())
            refuse(u"Die Summe der Beiträge"_qs, b, problem);
    }
}

} // namespace qvl
