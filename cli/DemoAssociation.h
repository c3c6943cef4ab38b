#pragma once
// What the demo's associations bring: the two associations and the client that collect
// fees (the creditors, rows of `personal`), and the names of their five fees.

#include "cli/DemoPersonRow.h"

#include <vector>

namespace qvl::demo {

// The associations' numbers, which every owner's row names as his.
inline constexpr int kAssociationNumbers[] = {7, 50};

std::vector<Row> creditorRows();

// A row of `strings`: the fee slots' names, the third one unused.
struct FeeName {
    int id;
    QString text;
};
std::vector<FeeName> feeNames();

} // namespace qvl::demo
