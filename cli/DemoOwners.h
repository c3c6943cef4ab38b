#pragma once
// The demo's forest owners, drawn at random but with every case real data brings: firms,
// foreign owners, broken IBANs, owners with plots but no area, owners not billed.

#include "cli/DemoDice.h"
#include "cli/DemoPersonRow.h"

#include <cstdint>
#include <vector>

namespace qvl::demo {

struct Owner {
    Row person;
    bool directDebit = true;
    bool business = false;
    int administrationRows = 1; // rows in waldb_verwaltung
    std::vector<double> plots;  // areas of forest plots in ha
};

// Draws the owners one by one. Case flags are drawn up front with exact counts, so every
// case is present even in a small database; the rest is drawn per owner.
// Never draw twice inside one expression: the order of evaluation is unspecified.
class OwnerFactory {
public:
    OwnerFactory(int count, std::uint32_t seed);

    // The owner of INDEX (0 ... count - 1); owners must be made in this order.
    Owner make(int index);

private:
    enum NameMark { Person, Firm, Apostrophe };
    enum IbanMark { Domestic, Broken, Foreign };
    enum AccountMark { Numbered, Empty, Lettered };

    void drawName(Owner &owner, int mark);
    void drawAddressAndBank(Owner &owner, int mark);
    void drawArea(Owner &owner, bool plotOnly);
    void drawSlots(Row &row);
    QVariant drawJoinDate();

    Dice dice_;
    std::vector<int> names_, ibans_, plotOnly_, notBilled_, disabled_, invoice_,
        twoAdministrations_, accounts_;
    int firms_ = 0, apostrophes_ = 0, broken_ = 0, foreign_ = 0, notBilledSeen_ = 0,
        areaLess_ = 0;
};

} // namespace qvl::demo
