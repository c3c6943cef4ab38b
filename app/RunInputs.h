#pragma once
// What a run reads of the main form, read once when it starts: the dates, the payment type,
// the fees and how they are computed, the owner selection. Every box is read with the
// reader the box itself uses when it is left (app/InputRules), and readRunInputs is the one
// place where a text no box would take is refused: a value that came by another way than
// typing (the settings file, the batch program's --set) stops the run there, before any
// owner is read, instead of turning into an empty date or another number further down.
// Everything after it takes these values, never the boxes' text.

#include "app/FrmDTA.h"
#include "core/Buchung.h"
#include "core/BusinessYear.h"
#include "core/FeeAmounts.h"
#include "core/Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace qvl {

// "Lastschrift" (LaoderRe(0)) or "Rechnung" (LaoderRe(1)).
enum class PaymentType { DirectDebit, Invoice };

// How fee 1 is computed, the options rbEinstellung(0..3); every other fee always uses the
// owner's own parameters.
enum class CalculationMode { OwnParameters, HectareClasses, Formula, Scale };

struct FeeSlotInputs {
    QString name;                    // the fee's name (aBeitragsNamen), as the messages say it
    bool ticked = false;             // chkBeitrag(k)
    std::optional<Money> minimumFee; // "Mind. Beitrag"; none when the box is empty
    fees::Vat vat;                         // "MwSt.": applies when the box holds a rate
};

struct RunInputs {
    PaymentType payment = PaymentType::DirectDebit;
    bool directDebit() const { return payment == PaymentType::DirectDebit; }

    // "Fälligkeitsdatum"; a null date when the box is empty (a direct-debit run's start
    // checks refuse that, an invoice run's letters then name none).
    QDate dueDate;
    // "Rechnungsdatum"; the run's own day when the box is empty.
    QDate invoiceDate;

    // "Wirtschaftsjahr" as typed, the first year it names ("2026" of "2026/2027") and the
    // business year with the association's start month. A text that is no year leaves the
    // two empty: the run goes on without last year's comparison and pro rata.
    QString businessYearText;
    std::optional<int> firstBusinessYear;
    std::optional<BusinessYear> businessYear;

    std::array<FeeSlotInputs, kFeeSlots> fees{};
    bool anyFeeTicked() const;
    bool netFees = false; // the fees are net amounts, VAT comes on top

    CalculationMode mode = CalculationMode::OwnParameters;
    // The scale (ha-Staffel) as typed: boxes 0, 2, …, 18 the upper limits in hectares, the
    // odd ones their fees in euros, 20 and 21 the fixed line; hectares and prices carry up
    // to four decimals, so they stay doubles.
    std::array<double, kStaffelBoxes> scaleBoxes{};
    bool roundHectaresUp = false; // "Mit aufgerundeten Hektar rechnen"
    // The formula: a minimum price up to an area, a price per started surcharge step above
    // it, a maximum fee.
    double formulaMinimumPrice = 0;    // "Mindestbetrag … €"
    double formulaMinimumHectares = 0; // "bis … ha"
    double formulaStepHectares = 0;    // "Zuschlag alle … ha"
    double formulaStepPrice = 0;       // "… €" per step
    double formulaMaximumFee = 0;      // "Höchstbeitrag in €"; 0: none
    bool wholeEuros = false;           // "Kommastellen auf ganze Werte runden"
    bool proRata = false;              // "anteilige Berechnung" ticked

    QString remittance;          // "Verwendungszweck", as typed
    qint64 firstInvoiceNumber = 0; // "Rechnungs Nr."; an empty box counts as 0

    // The owner selection: the owners' numbers, or none for every owner.
    std::optional<QList<long>> owners;
};

// Throws RunError (input) with a German message naming the box as the clerk sees it when a
// box holds a text its own rule refuses.
RunInputs readRunInputs(const FrmDTA &form);

// The owner selection (strWBIN) as numbers: "(1001, 1002)" gives 1001 and 1002, an empty
// text std::nullopt (every owner); a text that is no such list, an empty list too.
std::optional<QList<long>> ownerSelectionNumbers(const QString &strWBIN, bool *valid);

} // namespace qvl
