#include "platform/HResult.h"

#include <gtest/gtest.h>

TEST(ComErrorText, TheDispatchRangeGivesItsCodeAndAnyOtherIsUnknown) {
    EXPECT_EQ(ComErrorText(MakeHResult(0x80040200)), "IDispatch error #0");
    EXPECT_EQ(ComErrorText(MakeHResult(0x8004FFFF)), "IDispatch error #65023");
    EXPECT_EQ(ComErrorText(MakeHResult(0x80050000)), "Unknown error 0x80050000");
    EXPECT_EQ(ComErrorText(MakeHResult(0x800401FF)), "Unknown error 0x800401FF");
    EXPECT_EQ(ComErrorText(MakeHResult(0x80001234)), "Unknown error 0x80001234");
}
