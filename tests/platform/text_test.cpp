#include "platform/text.h"

#include <gtest/gtest.h>

#include <array>

namespace vornel::platform {
namespace {

TEST(Text, ClipAndCompareIgnoreTrailingBlanks) {
  EXPECT_EQ(Clip("SHOW "), "SHOW");
  EXPECT_EQ(Clip(std::string_view("AB\0\0", 4)), "AB");
  EXPECT_EQ(Clip("   "), "");
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_TRUE(EqualClipped("SHOW", "SHOW   "));
  EXPECT_FALSE(EqualClipped(" SHOW", "SHOW"));
  EXPECT_LT(CompareClipped("ABC", "ABD "), 0);
  EXPECT_LT(CompareClipped("AB", "ABC"), 0);
  EXPECT_TRUE(EqualNoCase("O'Neil ", "o'NEIL"));
  EXPECT_GT(CompareNoCase("smith", "SMIT"), 0);
}

TEST(Text, UpperLower) {
  EXPECT_EQ(Upper("log:trans_type"), "LOG:TRANS_TYPE");
  EXPECT_EQ(Lower("Cli:CURRENT"), "cli:current");
}

TEST(Text, PaddedFieldsNeverLoseText) {
  std::array<char, 5> field{'x', 'x', 'x', 'x', 'x'};
  EXPECT_TRUE(AssignPadded(field, "AB"));
  EXPECT_EQ(std::string_view(field.data(), 5), "AB   ");
  EXPECT_EQ(ReadField(field), "AB");
  EXPECT_TRUE(AssignPadded(field, "ABCDE   ")) << "trailing blanks do not count";
  EXPECT_FALSE(AssignPadded(field, "ABCDEF"));
  EXPECT_EQ(ReadField(field), "ABCDE") << "a refused assignment leaves the field as it was";
  AssignCut(field, "123456789");
  EXPECT_EQ(ReadField(field), "12345");
}

TEST(Text, InstringFindsListCodes) {
  const std::string_view list = "]SCHED[]SHOW[]NOSHW[]CANC[]RESCH[";
  EXPECT_EQ(Instring("]SHOW[", list), 8u);
  EXPECT_EQ(Instring("]NOSHOW[", list), 0u);
  EXPECT_EQ(Instring("][", list), 0u);
  EXPECT_EQ(Instring("", list), 0u);
  EXPECT_EQ(Instring("ab", "xxabab", 2, 1), 3u);
  EXPECT_EQ(Instring("ab", "xabab", 2, 1), 0u) << "step 2 only looks at odd positions";
  EXPECT_EQ(Instring("ab", "abab", 1, 2), 3u);
}

}  // namespace
}  // namespace vornel::platform
