#include <gtest/gtest.h>

#include <cstring>

#include "resources/StringTable.h"

namespace talven {
namespace {

TEST(StringTable, HoldsTheProgramTextsExactly) {
    EXPECT_STREQ(StringText(IDS_TESTING), "Testting(%u/%u)....");
    EXPECT_STREQ(StringText(IDS_CHIP_IDENTITY), "Chip %02x%02x Revision:%02x%02x %c%c/%c%c '%c%c");
    EXPECT_STREQ(StringText(162), "No card reader device.");
    EXPECT_EQ(StringText(130), nullptr);
    EXPECT_EQ(StringText(0), nullptr);
}

}  // namespace
}  // namespace talven
