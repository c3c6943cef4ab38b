#include "select/OwnerSelection.h"

#include <gtest/gtest.h>

using namespace qvl;

TEST(OwnerSelection, BuildsTheInListFromTheSelectedLinesInListOrder)
{
    EXPECT_EQ(BuildWBIN({u"7 Adler Anna"_qs, u"  12 Zeller Hans "_qs}), u"(7,12)"_qs);
    EXPECT_EQ(BuildWBIN({u"1001"_qs}), u"(1001)"_qs);
    EXPECT_EQ(BuildWBIN({}), u""_qs);
}
