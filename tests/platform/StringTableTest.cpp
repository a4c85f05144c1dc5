#include "platform/StringTable.h"

#include <gtest/gtest.h>

TEST(StringTable, UnknownIdsGiveNoText) {
    EXPECT_FALSE(HasString(0));
    EXPECT_FALSE(HasString(-1));
    EXPECT_EQ(LoadString(-1), "");
    EXPECT_EQ(LoadString(601), "");
}

TEST(StringTable, EveryLabelIdIsInTheLabelRange) {
    for (int id = 0; id < 1000; ++id) {
        if (!HasString(id))
            continue;
        EXPECT_GE(id, 301);
        EXPECT_LE(id, 600);
        EXPECT_FALSE(LoadString(id).empty()) << id;
    }
}

TEST(StringTable, InsertsAreFilledInOrder) {
    EXPECT_EQ(FormatInserts(LoadString(IDS_GPI_INPUT_N), {"3"}), "GPI Input 3:");
    EXPECT_EQ(FormatInserts(LoadString(IDS_YES_GOP_PATTERN), {"IBBP"}), "Yes (IBBP)");
    EXPECT_EQ(FormatInserts("%2 then %1!s!", {"a", "b"}), "b then a");
    EXPECT_EQ(FormatInserts("%1!d! and %2!d!", {"7"}), "7 and %2!d!");
    EXPECT_EQ(FormatInserts("100% sure", {"x"}), "100% sure");
}
