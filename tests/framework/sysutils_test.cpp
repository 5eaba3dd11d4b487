#include <gtest/gtest.h>

#include "resource_strings.h"
#include "sysutils.h"

using namespace orlo;

TEST(Format, FillsPlaceholdersInOrderAndKeepsPercent) {
  EXPECT_EQ(Format("%s_%d", "Form1", 2), "Form1_2");
  EXPECT_EQ(Format("100%% %s", "done"), "100% done");
  EXPECT_EQ(Format(res::SFOpenError, "C:\\a\\\\dirlist.txt"),
            "\xCC\xA7\xB2\xD9 C:\\a\\\\dirlist.txt \x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1");
}

TEST(StrToInt, DecimalAndHexadecimalRules) {
  int32_t v = 0;
  EXPECT_TRUE(TryStrToInt("  -5", v)); EXPECT_EQ(v, -5);
  EXPECT_TRUE(TryStrToInt("+7", v)); EXPECT_EQ(v, 7);
  EXPECT_TRUE(TryStrToInt("-2147483648", v)); EXPECT_EQ(v, INT32_MIN);
  EXPECT_FALSE(TryStrToInt("2147483648", v));
  EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v)); EXPECT_EQ(v, -1);
  EXPECT_TRUE(TryStrToInt("x10", v)); EXPECT_EQ(v, 16);
  EXPECT_TRUE(TryStrToInt("0X1f", v)); EXPECT_EQ(v, 31);
  EXPECT_FALSE(TryStrToInt("$100000000", v));
  EXPECT_FALSE(TryStrToInt("-$1", v));
  EXPECT_FALSE(TryStrToInt("1 ", v));
  EXPECT_FALSE(TryStrToInt("", v));
  EXPECT_FALSE(TryStrToInt("-", v));
  EXPECT_FALSE(TryStrToInt("$", v));
  EXPECT_EQ(StrToIntDef("abc", 0), 0);
}
