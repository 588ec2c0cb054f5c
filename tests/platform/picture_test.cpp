#include "platform/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/dates.h"

namespace vornel::platform {
namespace {

Picture P(std::string_view text) {
  std::optional<Picture> p = Picture::Parse(text);
  EXPECT_TRUE(p.has_value()) << text;
  return p ? *p : *Picture::Parse("@s1");
}

std::string Show(std::string_view picture, double value) { return P(picture).Format(value); }

double Entered(std::string_view picture, std::string_view typed) {
  EntryResult r = P(picture).Deformat(typed);
  EXPECT_TRUE(r.ok) << picture << " \"" << typed << "\": " << r.message;
  return r.number;
}

std::string Refusal(std::string_view picture, std::string_view typed) {
  EntryResult r = P(picture).Deformat(typed);
  EXPECT_FALSE(r.ok) << picture << " \"" << typed << "\" was accepted as " << r.number << " / "
                     << r.text;
  EXPECT_FALSE(r.message.empty()) << picture << " \"" << typed << "\"";
  return r.message;
}

TEST(PictureParse, EveryPictureTheSystemUsesParses) {
  struct Case {
    const char* text;
    PictureKind kind;
    int width;
  };
  const Case cases[] = {
      {"@n10.2", PictureKind::kNumber, 10},  {"@n-10.2", PictureKind::kNumber, 10},
      {"@n_7", PictureKind::kNumber, 7},     {"@n-7", PictureKind::kNumber, 7},
      {"@n$10.2", PictureKind::kNumber, 10}, {"@N_9.2", PictureKind::kNumber, 9},
      {"@n5.2", PictureKind::kNumber, 5},    {"@n_14", PictureKind::kNumber, 14},
      {"@n3", PictureKind::kNumber, 3},      {"@n_8", PictureKind::kNumber, 8},
      {"@n_4", PictureKind::kNumber, 4},     {"@n6.2", PictureKind::kNumber, 6},
      {"@n_3", PictureKind::kNumber, 3},     {"@n_5", PictureKind::kNumber, 5},
      {"@n_6", PictureKind::kNumber, 6},     {"@n_9", PictureKind::kNumber, 9},
      {"@N10.2", PictureKind::kNumber, 10},  {"n_10", PictureKind::kNumber, 10},
      {"n8.2", PictureKind::kNumber, 8},     {"n-8.2", PictureKind::kNumber, 8},
      {"N_5", PictureKind::kNumber, 5},      {"N_5.1", PictureKind::kNumber, 5},
      {"n_5.1", PictureKind::kNumber, 5},    {"n10.4", PictureKind::kNumber, 10},
      {"n_2", PictureKind::kNumber, 2},      {"@n010.2", PictureKind::kNumber, 10},
      {"@n*10.2B", PictureKind::kNumber, 10}, {"@n10.2-", PictureKind::kNumber, 10},
      {"@d1", PictureKind::kDate, 8},        {"@d2", PictureKind::kDate, 10},
      {"@D2", PictureKind::kDate, 10},       {"@D4", PictureKind::kDate, 18},
      {"D1", PictureKind::kDate, 8},         {"D17", PictureKind::kDate, 10},
      {"d2", PictureKind::kDate, 10},        {"@d18", PictureKind::kDate, 29},
      {"@d2B", PictureKind::kDate, 10},      {"@t3", PictureKind::kTime, 7},
      {"@T3", PictureKind::kTime, 7},        {"T8", PictureKind::kTime, 8},
      {"t3", PictureKind::kTime, 7},         {"@s1", PictureKind::kString, 1},
      {"@s80", PictureKind::kString, 80},    {"s25", PictureKind::kString, 25},
      {"@p###-##-####p", PictureKind::kPattern, 11},
      {"@p(###)###-####p", PictureKind::kPattern, 13},
      {"@P(###)###-####P", PictureKind::kPattern, 13},
      {"p ###  ###-####p", PictureKind::kPattern, 14},
      {"P##P", PictureKind::kPattern, 2},
  };
  for (const Case& c : cases) {
    std::string error;
    std::optional<Picture> p = Picture::Parse(c.text, &error);
    ASSERT_TRUE(p.has_value()) << c.text << ": " << error;
    EXPECT_EQ(p->kind(), c.kind) << c.text;
    EXPECT_EQ(p->width(), c.width) << c.text;
  }
  for (int n = 1; n <= 80; ++n) EXPECT_EQ(P("@s" + std::to_string(n)).width(), n);
  for (int n = 1; n <= 18; ++n) EXPECT_TRUE(Picture::Parse("@d" + std::to_string(n))) << n;
  for (int n = 1; n <= 8; ++n) EXPECT_TRUE(Picture::Parse("@t" + std::to_string(n))) << n;
  EXPECT_EQ(P("n_10").text(), "@n_10") << "messages name the picture with its '@'";
}

TEST(PictureParse, MalformedPicturesAreRefusedWithAReason) {
  for (const char* bad :
       {"", "@", "@x5", "@n", "@n10.2.3", "@n.2", "@n10.", "@n-10.2-", "@n0", "@n3.2", "@n10x",
        "@n99", "@s", "@s-1", "@s0", "@s5x", "@d", "@d0", "@d19", "@d99", "@d2x", "@t", "@t9",
        "@t0", "@p###", "@p", "@pp", "@p--p", "@p##p##", "@n1.", "P##"}) {
    std::string error;
    EXPECT_FALSE(Picture::Parse(bad, &error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  // Without a usable picture a value still shows, as its plain text.
  EXPECT_EQ(FormatWith("@x5", 12.5), "12.5");
  EXPECT_EQ(FormatWith("@n", -3), "-3");
  EXPECT_EQ(FormatTextWith("@p###", "abc"), "abc");
  EXPECT_EQ(FormatWith("@n_7", 42), "     42");
  EXPECT_EQ(FormatTextWith("@s3", "abcdef"), "abc");
}

TEST(NumberPictures, DisplayOfTheSystemsPictures) {
  EXPECT_EQ(Show("@n10.2", 1234.5), "  1,234.50");
  EXPECT_EQ(Show("@N10.2", 123456.781), "123,456.78");
  EXPECT_EQ(Show("@n-10.2", -1234.5), " -1,234.50");
  EXPECT_EQ(Show("@n_7", 1234567), "1234567");
  EXPECT_EQ(Show("@n-7", -12), "    -12");
  EXPECT_EQ(Show("@n-7", 123456), "123,456");
  EXPECT_EQ(Show("@n$10.2", 1234.5), " $1,234.50");
  EXPECT_EQ(Show("@n$10.2", -1234.5), "-$1,234.50");
  EXPECT_EQ(Show("@N_9.2", 1234.5), "  1234.50");
  EXPECT_EQ(Show("@n5.2", 1.5), " 1.50");
  EXPECT_EQ(Show("@n_14", 12345678901234), "12345678901234");
  EXPECT_EQ(Show("@n3", 7), "  7");
  EXPECT_EQ(Show("@n_8", 20260001), "20260001");
  EXPECT_EQ(Show("@n_4", 12), "  12");
  EXPECT_EQ(Show("@n6.2", 12.25), " 12.25");
  EXPECT_EQ(Show("@n_3", 0), "  0");
  EXPECT_EQ(Show("@n_5", 99999), "99999");
  EXPECT_EQ(Show("@n_6", 101), "   101");
  EXPECT_EQ(Show("@n_9", 123456789), "123456789");
  EXPECT_EQ(Show("n_10", 4711), "      4711");
  EXPECT_EQ(Show("n8.2", 12345.6), "########") << "the comma takes a place";
  EXPECT_EQ(Show("n8.2", 1234.6), "1,234.60");
  EXPECT_EQ(Show("n-8.2", -12.5), "  -12.50");
  EXPECT_EQ(Show("N_5", 5), "    5");
  EXPECT_EQ(Show("n_5.1", 2.25), "  2.3");
  EXPECT_EQ(Show("n10.4", 1.5), "    1.5000");
  EXPECT_EQ(Show("@n010.2", -5), "-000005.00");
  EXPECT_EQ(Show("@n*10.2", 5), "******5.00");
  EXPECT_EQ(Show("@n$*10.2", 5), "$*****5.00");
}

TEST(NumberPictures, RoundsHalfAwayFromZeroOnTheDigitsShown) {
  EXPECT_EQ(Show("@n10.2", 0.125), "      0.13");
  EXPECT_EQ(Show("@n-10.2", -0.125), "     -0.13");
  EXPECT_EQ(Show("@n10.2", 2.675), "      2.68") << "2.675 is held as 2.67499999...";
  EXPECT_EQ(Show("@n10.2", 1.005), "      1.01");
  EXPECT_EQ(Show("@n10.2", 0.1 + 0.2), "      0.30");
  EXPECT_EQ(Show("@n_7", 2.5), "      3");
  EXPECT_EQ(Show("@n-7", -2.5), "     -3");
  EXPECT_EQ(Show("@n_7", 2.4999), "      2");
  EXPECT_EQ(Show("@n10.2", 9.995), "     10.00");
  EXPECT_EQ(Show("@n10.2", 999.995), "  1,000.00") << "the carry reaches a new group";
  EXPECT_EQ(Show("@n-10.2", -0.004), "      0.00") << "no minus on a value that rounds to zero";
  EXPECT_EQ(Entered("@n10.2", "2.675"), 2.68);
  EXPECT_EQ(Entered("@n-10.2", "-2.675"), -2.68);
}

TEST(NumberPictures, OverflowShowsHashesNeverACutNumber) {
  EXPECT_EQ(Show("@n5.2", 100), "#####");
  EXPECT_EQ(Show("@n5.2", 99.99), "99.99");
  EXPECT_EQ(Show("@n5.2", 99.996), "#####") << "rounding up can overflow";
  EXPECT_EQ(Show("@n_7", 12345678), "#######");
  EXPECT_EQ(Show("@n-7", -1234567), "#######") << "the minus needs a place too";
  EXPECT_EQ(Show("@n_7", -123456), "-123456");
  EXPECT_EQ(Show("@n3", 1000), "###");
  EXPECT_EQ(Show("@n-7", 1234567), "#######") << "commas count in the width";
  EXPECT_EQ(Show("@n10.2", std::nan("")), "##########");
  EXPECT_EQ(Show("@n10.2", INFINITY), "##########");
  EXPECT_EQ(Show("@n_14", 1e300), "##############");
  EXPECT_EQ(Show("@n10.2", 1e-300), "      0.00");
}

TEST(NumberPictures, NegativesInEachSignForm) {
  EXPECT_EQ(Show("@n-10.2", -5), "     -5.00");
  EXPECT_EQ(Show("@n10.2-", -5), "     5.00-");
  EXPECT_EQ(Show("@n10.2-", 5), "     5.00 ") << "decimal points stay in line";
  EXPECT_EQ(Show("@n_7-", -42), "    42-");
  // No sign position: a debit still shows its minus.
  EXPECT_EQ(Show("@n10.2", -5), "     -5.00");
  EXPECT_EQ(Show("@n_7", -42), "    -42");

  EXPECT_EQ(Entered("@n-10.2", "-5"), -5);
  EXPECT_EQ(Entered("@n-10.2", "5-"), -5);
  EXPECT_EQ(Entered("@n10.2-", "1,234.50-"), -1234.5);
  EXPECT_EQ(Entered("@n10.2-", "-12"), -12);
  EXPECT_EQ(Entered("n-8.2", " - 3.10 "), -3.1);
  EXPECT_EQ(Entered("@n$-10.2", "-$5"), -5);
  EXPECT_EQ(Entered("@n$-10.2", "$5-"), -5);
}

TEST(NumberPictures, UnsignedPicturesRefuseNegativeEntry) {
  EXPECT_NE(Refusal("@n_7", "-5").find("negative"), std::string::npos);
  Refusal("@n10.2", "5-");
  Refusal("@n$10.2", "$-5.00");
  Refusal("@n10.2", "-2.675");
  EXPECT_EQ(Entered("@n_7", "-0"), 0) << "minus zero is zero";
}

TEST(NumberPictures, BlankWhenZero) {
  EXPECT_EQ(Show("@n10.2B", 0), "          ");
  EXPECT_EQ(Show("@n10.2B", 0.004), "          ") << "rounds to zero";
  EXPECT_EQ(Show("@n10.2B", 0.005), "      0.01");
  EXPECT_EQ(Show("@n_7b", -1), "     -1");
  EXPECT_EQ(Show("@n10.2", 0), "      0.00");
  EXPECT_EQ(Entered("@n10.2B", "          "), 0);
}

TEST(NumberPictures, EntryAcceptsWhatAPersonTypes) {
  EXPECT_EQ(Entered("@n10.2", ""), 0);
  EXPECT_EQ(Entered("@n10.2", "   "), 0);
  EXPECT_EQ(Entered("@n10.2", "  12.5 "), 12.5);
  EXPECT_EQ(Entered("@n10.2", "1,234.56"), 1234.56);
  EXPECT_EQ(Entered("@n10.2", "1234.56"), 1234.56);
  EXPECT_EQ(Entered("@n$10.2", "$1,234"), 1234);
  EXPECT_EQ(Entered("@n10.2", "$ 7"), 7) << "the currency sign is accepted anywhere before";
  EXPECT_EQ(Entered("@n10.2", ".5"), 0.5);
  EXPECT_EQ(Entered("@n10.2", "5."), 5);
  EXPECT_EQ(Entered("@n10.2", "+5"), 5);
  EXPECT_EQ(Entered("@n10.2", "0001.10"), 1.1);
  EXPECT_EQ(Entered("@n10.2", "3.14159"), 3.14) << "extra decimals are rounded";
  EXPECT_EQ(Entered("@n_7", "2.5"), 3);
  EXPECT_EQ(Entered("@n*10.2", "******5.00"), 5) << "its own display reads back";
  EXPECT_EQ(Entered("@n-010.2", "-000005.00"), -5) << "zero fill with a minus is still negative";
  EXPECT_EQ(Entered("@n_14", "12345678901234"), 12345678901234.0);
  EXPECT_EQ(Entered("@n5.2", "99.99"), 99.99);
}

TEST(NumberPictures, EntryRefusesWhatIsNotANumberOrDoesNotFit) {
  EXPECT_NE(Refusal("@n10.2", "12a").find("not a number"), std::string::npos);
  EXPECT_NE(Refusal("@n10.2", "1.2.3").find("decimal point"), std::string::npos);
  EXPECT_NE(Refusal("@n_7", "12345678").find("@n_7"), std::string::npos);
  Refusal("@n5.2", "100");
  Refusal("@n5.2", "99.996");  // rounds to 100.00
  Refusal("@n-7", "-1234567");
  Refusal("@n10.2", "1,5");  // a comma is no decimal point
  Refusal("@n10.2", "12,34,567");
  Refusal("@n10.2", "1234,567");
  Refusal("@n10.2", ",123");
  Refusal("@n10.2", "1.234,5");
  Refusal("@n10.2", "1 000");
  Refusal("@n10.2", "--5");
  Refusal("@n-10.2", "-5-");
  Refusal("@n10.2", "$$5");
  Refusal("@n10.2", "1e5");
  Refusal("@n10.2", "-");
  Refusal("@n10.2", ".");
  Refusal("@n10.2", "##########");
  Refusal("@n_14", std::string(5000, '9'));
}

TEST(DatePictures, EveryFormShowsItsLayout) {
  const DayNumber d = DateFromMdy(12, 7, 2026);  // a Monday
  const char* expected[] = {"12/07/26",   "12/07/2026", "DEC 07,2026", "December 7, 2026",
                            "07/12/26",   "07/12/2026", "07 DEC 26",   "07 DEC 2026",
                            "26/12/07",   "2026/12/07", "261207",      "20261207",
                            "12/26",      "12/2026",    "26/12",       "2026/12",
                            "12/07/2026", "Monday, December 7, 2026"};
  for (int form = 1; form <= 18; ++form) {
    EXPECT_EQ(Show("@d" + std::to_string(form), d), expected[form - 1]) << "@d" << form;
  }
  EXPECT_EQ(Show("@D2", DateFromMdy(1, 5, 1999)), "01/05/1999");
  EXPECT_EQ(Show("D1", DateFromMdy(3, 9, 2005)), "03/09/05");
  EXPECT_EQ(Show("@D4", DateFromMdy(9, 30, 2026)), "September 30, 2026");
  EXPECT_EQ(Show("@d18", DateFromMdy(9, 30, 2026)).size(), 29u) << "the widest long date";
  EXPECT_EQ(Show("@d2", 0), "          ") << "no date";
  EXPECT_EQ(Show("@d2B", 0), "          ");
  EXPECT_EQ(Show("@d4", 0), "") << "long forms have no fixed width";
  EXPECT_EQ(Show("@d2", -1), "##########");
  EXPECT_EQ(Show("@d2", 1e12), "##########");
  EXPECT_EQ(Show("@d2", DateFromMdy(12, 31, 9999)), "12/31/9999");
}

TEST(DatePictures, EntryReadsThePartsInThePicturesOrder) {
  const DayNumber dec7 = DateFromMdy(12, 7, 2026);
  EXPECT_EQ(Entered("@d2", "12/07/2026"), dec7);
  EXPECT_EQ(Entered("@d2", "12/7/2026"), dec7);
  EXPECT_EQ(Entered("@d2", "12-7-2026"), dec7);
  EXPECT_EQ(Entered("@d2", "12.07.2026"), dec7);
  EXPECT_EQ(Entered("@d2", "12 7 2026"), dec7);
  EXPECT_EQ(Entered("@d2", "12072026"), dec7);
  EXPECT_EQ(Entered("@d2", "120726"), DateFromMdy(12, 7, TwoDigitYear(26)));
  EXPECT_EQ(Entered("@d1", "12/07/26"), DateFromMdy(12, 7, TwoDigitYear(26)));
  EXPECT_EQ(Entered("D17", "12/07/2026"), dec7);
  EXPECT_EQ(Entered("@d3", "dec 07,2026"), dec7);
  EXPECT_EQ(Entered("@d3", "December 7 2026"), dec7);
  EXPECT_EQ(Entered("@d4", "December 7, 2026"), dec7);
  EXPECT_EQ(Entered("@d4", "DECEMBER 7, 2026"), dec7);
  EXPECT_EQ(Entered("@d4", "12/7/2026"), dec7) << "a month number also does";
  EXPECT_EQ(Entered("@d5", "07/12/2026"), dec7);
  EXPECT_EQ(Entered("@d6", "7.12.2026"), dec7);
  EXPECT_EQ(Entered("@d7", "07 dec 26"), DateFromMdy(12, 7, TwoDigitYear(26)));
  EXPECT_EQ(Entered("@d8", "7 Dec 2026"), dec7);
  EXPECT_EQ(Entered("@d9", "26/12/07"), DateFromMdy(12, 7, TwoDigitYear(26)));
  EXPECT_EQ(Entered("@d10", "2026/12/07"), dec7);
  EXPECT_EQ(Entered("@d11", "261207"), DateFromMdy(12, 7, TwoDigitYear(26)));
  EXPECT_EQ(Entered("@d12", "20261207"), dec7);
  EXPECT_EQ(Entered("@d13", "12/26"), DateFromMdy(12, 1, TwoDigitYear(26)));
  EXPECT_EQ(Entered("@d14", "12/2026"), DateFromMdy(12, 1, 2026));
  EXPECT_EQ(Entered("@d15", "26/12"), DateFromMdy(12, 1, TwoDigitYear(26)));
  EXPECT_EQ(Entered("@d16", "2026/12"), DateFromMdy(12, 1, 2026));
  EXPECT_EQ(Entered("@d18", "Monday, December 7, 2026"), dec7);
  EXPECT_EQ(Entered("@d18", "December 7, 2026"), dec7);
  EXPECT_EQ(Entered("@d2", ""), 0);
  EXPECT_EQ(Entered("@d2", "  "), 0);
  EXPECT_EQ(Entered("@d2", "02/29/2024"), DateFromMdy(2, 29, 2024)) << "leap day";
  EXPECT_EQ(Entered("@d2", "2/29/2000"), DateFromMdy(2, 29, 2000));
  EXPECT_EQ(Entered("@d2", "1/1/1801"), 4);
}

TEST(DatePictures, ImpossibleDatesAreRefused) {
  EXPECT_NE(Refusal("@d2", "2/30/2026").find("28 days"), std::string::npos);
  EXPECT_NE(Refusal("@d2", "13/01/2026").find("month 13"), std::string::npos);
  Refusal("@d2", "02/29/2026");
  Refusal("@d2", "02/29/1900");
  Refusal("@d2", "0/10/2026");
  Refusal("@d2", "4/31/2026");
  Refusal("@d2", "4/0/2026");
  Refusal("@d2", "12/31/1800");
  Refusal("@d2", "12/7");
  Refusal("@d2", "12/7/2026/1");
  Refusal("@d2", "12/7/202");
  Refusal("@d2", "tomorrow");
  Refusal("@d2", "12/07/2026 5pm");
  Refusal("@d2", "1207");
  Refusal("@d5", "12/13/2026");  // day first: there is no month 13
  Refusal("@d3", "Ju 7,2026");  // too short to name a month
  Refusal("@d4", "Smarch 7, 2026");
  EXPECT_NE(Refusal("@d18", "Tuesday, December 7, 2026").find("Monday"), std::string::npos);
  Refusal("@d2", "12/07/2026!");
}

TEST(TimePictures, EveryFormShowsItsLayout) {
  const TimeOfDay t = TimeFromHms(17, 30, 5);
  EXPECT_EQ(Show("@t1", t), "17:30");
  EXPECT_EQ(Show("@t2", t), "1730");
  EXPECT_EQ(Show("@t3", t), " 5:30PM");
  EXPECT_EQ(Show("@T3", TimeFromHms(8, 0)), " 8:00AM");
  EXPECT_EQ(Show("@t4", t), "17:30:05");
  EXPECT_EQ(Show("@t5", t), "173005");
  EXPECT_EQ(Show("@t6", t), " 5:30:05PM");
  EXPECT_EQ(Show("@t7", t), " 5:30PM");
  EXPECT_EQ(Show("T8", t), "17:30:05");
  EXPECT_EQ(Show("T8", TimeFromHms(8, 5, 9)), "08:05:09");
  EXPECT_EQ(Show("@t3", TimeFromHms(0, 0)), "12:00AM") << "midnight";
  EXPECT_EQ(Show("@t3", TimeFromHms(0, 30)), "12:30AM");
  EXPECT_EQ(Show("@t3", TimeFromHms(12, 0)), "12:00PM") << "noon";
  EXPECT_EQ(Show("@t3", TimeFromHms(12, 59)), "12:59PM");
  EXPECT_EQ(Show("@t3", TimeFromHms(23, 59, 59, 99)), "11:59PM");
  EXPECT_EQ(Show("@t1", TimeFromHms(9, 59, 59, 99)), "09:59") << "the clock never rounds up";
  EXPECT_EQ(Show("@t3", 0), "       ") << "no time";
  EXPECT_EQ(Show("@t3", -5), "#######");
  EXPECT_EQ(Show("@t3", 24 * kOneHour + 1), "#######");
}

TEST(TimePictures, EntryAcceptsCommonWaysOfTypingATime) {
  const double t1730 = TimeFromHms(17, 30);
  EXPECT_EQ(Entered("@t3", "5:30PM"), t1730);
  EXPECT_EQ(Entered("@t3", "5:30 pm"), t1730);
  EXPECT_EQ(Entered("@t3", "5:30p"), t1730);
  EXPECT_EQ(Entered("@t3", "5:30 p.m."), t1730);
  EXPECT_EQ(Entered("@t3", "17:30"), t1730);
  EXPECT_EQ(Entered("@t3", "1730"), t1730);
  EXPECT_EQ(Entered("@t3", " 5:30PM"), t1730) << "its own display reads back";
  EXPECT_EQ(Entered("@t1", "530"), TimeFromHms(5, 30));
  EXPECT_EQ(Entered("@t3", "8"), TimeFromHms(8, 0));
  EXPECT_EQ(Entered("@t3", "8am"), TimeFromHms(8, 0));
  EXPECT_EQ(Entered("@t3", "8 PM"), TimeFromHms(20, 0));
  EXPECT_EQ(Entered("@t3", "12am"), TimeFromHms(0, 0));
  EXPECT_EQ(Entered("@t3", "12:30AM"), TimeFromHms(0, 30));
  EXPECT_EQ(Entered("@t3", "12pm"), TimeFromHms(12, 0));
  EXPECT_EQ(Entered("@t3", "0:00"), 1) << "midnight is a time, not 'no time'";
  EXPECT_EQ(Entered("T8", "17:30:15"), TimeFromHms(17, 30, 15));
  EXPECT_EQ(Entered("@t5", "173015"), TimeFromHms(17, 30, 15));
  EXPECT_EQ(Entered("@t6", "5:30:15pm"), TimeFromHms(17, 30, 15));
  EXPECT_EQ(Entered("@t4", "17:30"), TimeFromHms(17, 30)) << "seconds may be left out";
  EXPECT_EQ(Entered("@t3", ""), 0);
}

TEST(TimePictures, ImpossibleTimesAreRefused) {
  Refusal("@t3", "25:00");
  Refusal("@t3", "24:00");
  Refusal("@t3", "5:75");
  Refusal("@t3", "13pm");
  Refusal("@t3", "0am");
  Refusal("@t3", "5:3");
  Refusal("@t3", "5:30:15");  // the picture keeps no seconds
  Refusal("@t1", "173015");
  Refusal("T8", "17:30:75");
  Refusal("@t3", "noon");
  Refusal("@t3", "5:30xm");
  Refusal("@t3", ":30");
  Refusal("@t3", "1234567");
  Refusal("@t3", "pm");
}

TEST(StringPictures, DisplayCutsEntryNeverDoes) {
  EXPECT_EQ(P("@s5").FormatText("Hello, world"), "Hello");
  EXPECT_EQ(P("@s30").FormatText("Smith"), "Smith") << "no padding added";
  EXPECT_EQ(P("@s1").FormatText(""), "");
  EXPECT_EQ(P("@s4").FormatText("ab\xC3\xA9\xC3\xA9"), "ab\xC3\xA9") << "no half character";
  EXPECT_EQ(Show("@s5", 12.5), "12.5");
  EXPECT_EQ(Show("@s3", 123456), "123");

  EntryResult ok = P("@s5").Deformat("Hello   ");
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.text, "Hello") << "trailing blanks do not count";
  EXPECT_EQ(P("@s5").Deformat("  ab").text, "  ab") << "leading blanks are kept";
  EXPECT_TRUE(P("@s1").Deformat("").ok);
  std::string why = Refusal("@s5", "Hello!");
  EXPECT_NE(why.find("6"), std::string::npos) << why;
  EXPECT_NE(why.find("5"), std::string::npos) << why;
}

TEST(PatternPictures, DisplayOfText) {
  const Picture phone = P("@p(###)###-####p");
  EXPECT_EQ(phone.FormatText("(555)123-4567"), "(555)123-4567");
  EXPECT_EQ(phone.FormatText("5551234567"), "(555)123-4567");
  EXPECT_EQ(phone.FormatText("(555)123-4567   "), "(555)123-4567");
  EXPECT_EQ(phone.FormatText("555-1234"), "555-1234") << "too few digits: as it is";
  EXPECT_EQ(phone.FormatText("call me at 5551234567"), "call me at 55") << "cut to the width";
  EXPECT_EQ(phone.FormatText(""), "");
  // A phone kept as "(###)###-####" prints in a claim form's own layout.
  EXPECT_EQ(P("p ###  ###-####p").FormatText("(555)123-4567"), " 555  123-4567");
  EXPECT_EQ(P("@p###-##-####p").FormatText("123456789"), "123-45-6789");
  EXPECT_EQ(P("@P(###)###-####P").FormatText("8005550199"), "(800)555-0199");
}

TEST(PatternPictures, DisplayOfNumbersFillsFromTheRight) {
  EXPECT_EQ(Show("P##P", 5), " 5");
  EXPECT_EQ(Show("P##P", 31), "31");
  EXPECT_EQ(Show("P##P", 0), " 0");
  EXPECT_EQ(Show("P##P", 100), "##");
  EXPECT_EQ(Show("P##P", -3), "##");
  EXPECT_EQ(Show("@p###-##-####p", 123456789), "123-45-6789");
  EXPECT_EQ(Show("@p###-##-####p", 23456789), " 23-45-6789");
  EXPECT_EQ(Show("@p###-##-####p", 6789), "   -  -6789");
}

TEST(PatternPictures, EntryWithAndWithoutLiterals) {
  const Picture phone = P("@p(###)###-####p");
  EXPECT_EQ(phone.Deformat("(555)123-4567").text, "(555)123-4567");
  EXPECT_EQ(phone.Deformat("5551234567").text, "(555)123-4567");
  EXPECT_EQ(phone.Deformat("555 123 4567").text, "(555)123-4567");
  EXPECT_EQ(phone.Deformat("555-123-4567").text, "(555)123-4567");
  EXPECT_EQ(phone.Deformat("(555) 123-4567").text, "(555)123-4567");
  EXPECT_EQ(phone.Deformat("  (555)123-4567  ").text, "(555)123-4567");
  EntryResult empty = phone.Deformat("   ");
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.text, "");
  const Picture ssn = P("@p###-##-####p");
  EXPECT_EQ(ssn.Deformat("123-45-6789").text, "123-45-6789");
  EXPECT_EQ(ssn.Deformat("123456789").text, "123-45-6789");
  EXPECT_EQ(P("p ###  ###-####p").Deformat("5551234567").text, " 555  123-4567");
  EXPECT_EQ(P("p ###  ###-####p").Deformat(" 555  123-4567").text, " 555  123-4567");

  std::string why = Refusal("@p(###)###-####p", "555-1234");
  EXPECT_NE(why.find("10 digits"), std::string::npos) << why;
  EXPECT_NE(Refusal("@p###-##-####p", "12345678901").find("9 digits"), std::string::npos);
  Refusal("@p(###)###-####p", "555.123.4567");  // '.' is none of the pattern's characters
  Refusal("@p(###)###-####p", "555123456x");
  Refusal("@p###-##-####p", "123-45-678#");
}

// Random pictures and typed texts: nothing may crash, every refusal has a
// message, numbers always show at their width, and what is shown reads back.
TEST(PictureRandomInput, InvariantsHoldForManyInputs) {
  std::mt19937 rng(20261207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto chars = [&](std::string_view alphabet, int max_len) {
    std::string s(static_cast<std::size_t>(pick(0, max_len)), ' ');
    for (char& c : s) c = alphabet[static_cast<std::size_t>(pick(0, int(alphabet.size()) - 1))];
    return s;
  };
  const std::string typed_alphabet = "0123456789 -+$,.:/*#()apmAPMxDecMonday";
  int shown_and_read_back = 0;

  for (int i = 0; i < 100000; ++i) {
    std::string text = pick(0, 1) ? "@" : "";
    int family = pick(0, 5);
    switch (family) {
      case 0: {
        text += pick(0, 1) ? 'n' : 'N';
        if (pick(0, 3) == 0) text += '$';
        bool lead = pick(0, 2) == 0;
        if (lead) text += '-';
        const char* fills[] = {"", "_", "0", "*"};
        text += fills[pick(0, 3)];
        text += std::to_string(pick(1, 20));
        if (pick(0, 1)) text += "." + std::to_string(pick(0, 4));
        if (!lead && pick(0, 3) == 0) text += '-';
        if (pick(0, 4) == 0) text += 'B';
        break;
      }
      case 1:
        text += (pick(0, 1) ? "d" : "D") + std::to_string(pick(0, 20));
        break;
      case 2:
        text += (pick(0, 1) ? "t" : "T") + std::to_string(pick(0, 9));
        break;
      case 3:
        text += "s" + std::to_string(pick(-1, 90));
        break;
      case 4:
        text += "p" + chars("#-() /.#", 14) + (pick(0, 9) ? "p" : "");
        break;
      default:
        text += chars("@nNdDtTsSpP$-_*0123456789.#()Bb /:", 10);
    }
    std::string error;
    std::optional<Picture> p = Picture::Parse(text, &error);
    const double any = pick(0, 3) == 0 ? std::ldexp(pick(-1000, 1000), pick(-60, 60))
                                       : pick(-100000000, 100000000) / 100.0;
    if (!p) {
      ASSERT_FALSE(error.empty()) << text;
      ASSERT_FALSE(FormatWith(text, any).empty()) << text;
      continue;
    }
    const std::string typed = chars(typed_alphabet, 16);
    EntryResult r = p->Deformat(typed);
    ASSERT_TRUE(r.ok || !r.message.empty()) << text << " \"" << typed << "\"";
    p->FormatText(typed);

    switch (p->kind()) {
      case PictureKind::kNumber: {
        ASSERT_EQ(p->Format(any).size(), std::size_t(p->width())) << text << " " << any;
        if (r.ok) {
          ASSERT_EQ(p->Format(r.number).size(), std::size_t(p->width()));
        }
        // A value of at most 15 significant digits and the picture's decimals.
        const int digits = pick(1, std::min(15, p->width()));
        double whole = std::floor(std::pow(10.0, digits) * pick(0, 1000000) / 1000001.0);
        double value = whole / std::pow(10.0, p->places()) * (pick(0, 3) == 0 ? -1 : 1);
        std::string shown = p->Format(value);
        ASSERT_EQ(shown.size(), std::size_t(p->width())) << text << " " << value;
        if (shown.find_first_not_of('#') == std::string::npos) break;
        EntryResult back = p->Deformat(shown);
        bool unsigned_negative = value < 0 && text.find('-') == std::string::npos;
        if (unsigned_negative) {
          ASSERT_FALSE(back.ok) << text << " \"" << shown << "\"";
        } else {
          ASSERT_TRUE(back.ok) << text << " \"" << shown << "\": " << back.message;
          ASSERT_EQ(back.number, value) << text << " \"" << shown << "\"";
          ++shown_and_read_back;
        }
        break;
      }
      case PictureKind::kDate: {
        const int form = std::atoi(text.c_str() + text.find_first_of("0123456789"));
        const DayNumber day = pick(4, DateFromMdy(12, 31, 9999));
        std::string shown = p->Format(day);
        ASSERT_LE(shown.size(), std::size_t(p->width())) << text;
        EntryResult back = p->Deformat(shown);
        const int year = YearOf(day);
        const bool two_digit = form == 1 || form == 5 || form == 7 || form == 9 || form == 11 ||
                               form == 13 || form == 15;
        if (two_digit && TwoDigitYear(year % 100) != year) break;
        ASSERT_TRUE(back.ok) << text << " \"" << shown << "\": " << back.message;
        ASSERT_EQ(p->Format(back.number), shown) << text;
        if (form < 13 || form > 16) {
          ASSERT_EQ(back.number, day) << text;
        }
        ++shown_and_read_back;
        break;
      }
      case PictureKind::kTime: {
        const TimeOfDay time = TimeFromHms(pick(0, 23), pick(0, 59), pick(0, 59));
        std::string shown = p->Format(time);
        ASSERT_EQ(shown.size(), std::size_t(p->width())) << text;
        EntryResult back = p->Deformat(shown);
        ASSERT_TRUE(back.ok) << text << " \"" << shown << "\": " << back.message;
        ASSERT_EQ(p->Format(back.number), shown) << text;
        ++shown_and_read_back;
        break;
      }
      case PictureKind::kString: {
        std::string value = chars("abc XYZ-1", p->width());
        EntryResult back = p->Deformat(value);
        ASSERT_TRUE(back.ok) << text << " \"" << value << "\"";
        ASSERT_EQ(p->FormatText(back.text), back.text);
        if (r.ok) {
          ASSERT_LE(r.text.size(), std::size_t(p->width()));
        }
        break;
      }
      case PictureKind::kPattern: {
        ASSERT_EQ(p->Format(any).size(), std::size_t(p->width())) << text;
        const auto positions = std::count(text.begin(), text.end(), '#');
        std::string digits(static_cast<std::size_t>(positions), '0');
        for (char& c : digits) c = static_cast<char>('0' + pick(0, 9));
        const std::string shown = p->FormatText(digits);
        EntryResult back = p->Deformat(shown);
        ASSERT_TRUE(back.ok) << text << " \"" << shown << "\": " << back.message;
        ASSERT_EQ(back.text, shown) << text;
        if (r.ok && !r.text.empty()) {
          ASSERT_EQ(r.text.size(), std::size_t(p->width())) << text;
        }
        break;
      }
    }
  }
  EXPECT_GT(shown_and_read_back, 20000);
}

}  // namespace
}  // namespace vornel::platform
