#pragma once
// One row of the suite's `personal` table as the demo generator fills it: owners,
// associations and the client alike.

#include <QStringList>
#include <QVariant>

#include <array>
#include <iterator>

namespace qvl::demo {

enum Column {
    Id, Number, Name, FirstName, Salutation, Street, PostCode, Town, Nation, Phone, Fax, Mail,
    BankName, Iban, Bic, Mandate, CreditorId, VatId, TaxNumber, Area, JoinDate, Number10,
    AccountNumber, AssociationNumber, Billed, Disabled, IsAssociation, IsClient, FixedColumns
};
inline constexpr const char *kFixedColumnNames[] = {
    "id_personal", "Nummer", "Name", "Vorname", "Anrede", "Strasse", "PLZ", "Ort", "Nation",
    "Telefon", "Telefax", "Email", "BANK", "IBAN", "BIC", "MANDATSNUMMER", "GlaubigerID",
    "UID1", "BLZ1", "Hektar", "Beitrittsdatum", "number10", "Zusatz1", "Zusatz5", "Abrech1",
    "DISABLE", "sonstiger", "mandanten",
};
static_assert(std::size(kFixedColumnNames) == FixedColumns);

// Per-owner parameters of the five fee slots (Fixbeitrag1 ... Flachenbertrag5).
enum SlotField {
    FixedFee, RatePerHa, FurtherAmount, StartedHaCountFull, FlatAreaAmount, SlotFields
};
inline constexpr const char *kSlotFieldNames[] = {
    "Fixbeitrag", "Ha", "Weitere", "Angefangene", "Flachenbertrag",
};
static_assert(std::size(kSlotFieldNames) == SlotFields);
inline constexpr int kSlots = 5;
inline constexpr int kColumnCount = FixedColumns + SlotFields * kSlots;

constexpr int slotColumn(SlotField field, int slot)
{
    return FixedColumns + field * kSlots + slot - 1;
}

// A null QVariant is written as NULL: a column left unset stays empty in the table.
using Row = std::array<QVariant, kColumnCount>;

// The column names in the order of a Row.
inline QStringList personColumns()
{
    QStringList names;
    for (const char *name : kFixedColumnNames)
        names << QString::fromLatin1(name);
    for (const char *field : kSlotFieldNames)
        for (int slot = 1; slot <= kSlots; ++slot)
            names << QString::fromLatin1(field) + QString::number(slot);
    return names;
}

} // namespace qvl::demo
