#pragma once
// The amount of one fee slot by calculation mode, computed on the main form's inputs read
// once per run.

#include "app/RunInputs.h"
#include "core/Buchung.h"
#include "core/BusinessYear.h"
#include "core/FeeAmounts.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

namespace qvl::fees {

// How slot 0 is computed; every other slot always uses the owner's own parameters.
using Mode = CalculationMode;

// The run's inputs as the calculation uses them, prepared once per run: limits in
// ten-thousandths, the scale's base in cents, the plain remittance line.
struct FeeInputs : SettleInputs {
    Mode mode = Mode::OwnParameters;
    std::array<double, kStaffelBoxes> staffel{};
    std::array<qint64, kStaffelBoxes / 2 - 1> limits{}; // S(0), S(2), …, S(18) in ten-thousandths
    double scaleBase = 0; // S(21) rounded to cents: the base amount of the scale
    bool rundeHaAuf = false;
    qint64 haMindestbetrag = 0; // ten-thousandths of a hectare
    double preisMindestbetrag = 0;
    qint64 haZuschlag = 0;      // ten-thousandths of a hectare
    double preisZuschlag = 0;
    double hoechstbeitrag = 0;
    bool komma = false;
    std::optional<BusinessYear> proRataYear; // set only when pro rata is switched on
    QString verwendungszweck;
    QString plainRemittanceLine; // the line of an owner without VAT texts
};

// Hectares, limits and steps carry at most four decimals, as the form shows them. Counted
// in ten-thousandths they compare and divide exactly: the binary 0.1 + 0.2 is 0.3, and
// 1 - 5 × 0.2 leaves no started block. Beyond a hundred billion hectares the value is
// clamped (only a typing error gets there).
qint64 tenThousandths(double value);

// Whole hectares when the slot's rounding flag is set: a fraction up to 0.49 (as a decimal)
// rounds down, from 0.5 up. Without the flag the hectares as they are.
double slotHectares(double hektar, bool roundToWhole);

// Slot 0 by the form's modes; the amounts are not yet rounded.
double classAmount(const FeeInputs &in, double h);
double formulaAmount(const FeeInputs &in, double h, const QDate &joined, FormulaTerms *terms = nullptr);
// The months of the business year after the month of joining, for an owner who joined in
// it; std::nullopt for one who did not (he pays the whole fee).
std::optional<int> monthsLeft(const BusinessYear &year, const QDate &joined);
// Also sets Weitere(0) to the price of the last step reached.
double scaleAmount(const FeeInputs &in, Buchung &b, double h);
// The hectares the scale bills, in ten-thousandths: h (as the slot's rounding flag left
// it), rounded up to whole hectares when "ha aufrunden" is ticked.
qint64 scaleHectares(const FeeInputs &in, double h);

// Any slot by the owner's own parameters of slot k.
double ownAmount(const Buchung &b, int k, double h);

} // namespace qvl::fees
