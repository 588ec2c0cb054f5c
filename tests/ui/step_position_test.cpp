#include "ui/step_position.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "platform/text.h"

namespace vornel::ui {
namespace {

// Random names in upper case, some with characters outside the letters.
std::vector<std::string> SortedNames(std::mt19937& random, int count) {
  std::uniform_int_distribution<int> length(1, 12);
  std::uniform_int_distribution<int> letter(0, 25);
  std::uniform_int_distribution<int> odd(0, 9);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string name;
    for (int n = length(random); n > 0; --n) {
      const int pick = odd(random);
      name.push_back(pick == 0 ? ' ' : pick == 1 ? '\'' : static_cast<char>('A' + letter(random)));
    }
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareClipped(a, b) < 0;
  });
  return names;
}

void ExpectStrictlySorted(const std::vector<std::string>& entries) {
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_LT(entries[i - 1], entries[i]) << "entry " << i;
  }
}

TEST(StepWholeNumber, MapsCodesOntoTheThumbAndBack) {
  WholeNumberStep step;
  EXPECT_TRUE(step.NeedsLimits());
  EXPECT_EQ(step.Percentile(5.0), 50) << "no limits yet";
  step.SetLimit(1, 201);
  EXPECT_EQ(step.Percentile(101.0), 50);
  EXPECT_EQ(step.NumberAt(25), 51);
  EXPECT_EQ(step.Percentile(1.0), 1) << "position 0 is raised to 1";
  EXPECT_EQ(step.Percentile(201.0), 100);
  EXPECT_EQ(step.Percentile(-40.0), 1);
  EXPECT_EQ(step.Percentile(9000.0), 100);
  EXPECT_EQ(step.NumberAt(0), 1);
  EXPECT_EQ(step.NumberAt(100), 201);
  EXPECT_EQ(step.NumberAt(250), 201) << "positions are clamped to 0..100";

  // Integer arithmetic truncates: 0..3 puts 1 at 33 and position 50 at 1.
  step.SetLimit(3, 0);  // either order
  EXPECT_EQ(step.low(), 0);
  EXPECT_EQ(step.high(), 3);
  EXPECT_EQ(step.Percentile(1.0), 33);
  EXPECT_EQ(step.NumberAt(50), 1);
  EXPECT_EQ(step.NumberAt(99), 2);

  step.SetLimit(42, 42);  // every record alike
  for (double v : {0.0, 42.0, 1e9}) EXPECT_EQ(step.Percentile(v), 50);
  EXPECT_EQ(step.NumberAt(80), 42);
}

TEST(StepWholeNumber, DescendingMirrors) {
  WholeNumberStep step(kStepDescending);
  step.SetLimit(1, 201);
  EXPECT_EQ(step.Percentile(101.0), 50);
  EXPECT_EQ(step.Percentile(201.0), 1);
  EXPECT_EQ(step.Percentile(1.0), 100);
  EXPECT_EQ(step.Percentile(51.0), 75);
  EXPECT_EQ(step.NumberAt(25), 151);
  EXPECT_EQ(step.NumberAt(100), 1);
}

TEST(StepWholeNumber, ExtremeLimitsDoNotOverflow) {
  WholeNumberStep step;
  const double big = 9e18;
  step.SetLimit(-big, big);
  EXPECT_EQ(step.Percentile(0.0), 50);
  EXPECT_EQ(step.Percentile(big), 100);
  EXPECT_EQ(step.Percentile(-big), 1);
  EXPECT_DOUBLE_EQ(step.NumberAt(100), big);
  EXPECT_DOUBLE_EQ(step.NumberAt(0), -big);
  EXPECT_NEAR(step.NumberAt(50), 0.0, 1.0);
}

TEST(StepRealNumber, UsesRealArithmetic) {
  RealNumberStep step;
  EXPECT_TRUE(step.NeedsLimits());
  step.SetLimit(0.0, 2.0);
  EXPECT_DOUBLE_EQ(step.NumberAt(25), 0.5);
  EXPECT_DOUBLE_EQ(step.NumberAt(1), 0.02);
  EXPECT_EQ(step.Percentile(1.0), 50);
  EXPECT_EQ(step.Percentile(0.999), 49) << "truncated";
  EXPECT_EQ(step.Percentile(0.0), 1);
  EXPECT_EQ(step.Percentile(5.0), 100);
  EXPECT_EQ(step.Percentile(std::nan("")), 50);

  RealNumberStep down(kStepDescending);
  down.SetLimit(2.0, 0.0);
  EXPECT_EQ(down.Percentile(0.5), 75);
  EXPECT_DOUBLE_EQ(down.NumberAt(25), 1.5);

  RealNumberStep same;
  same.SetLimit(3.5, 3.5);
  EXPECT_EQ(same.Percentile(3.5), 50);
  same.SetLimit(0.0, std::numeric_limits<double>::infinity());
  EXPECT_EQ(same.Percentile(3.5), 50);
}

TEST(StepTables, SurnameTableHas100SortedThreeCharacterEntries) {
  TextStep step(TextStepKind::kSurnames, kStepLetters);
  EXPECT_FALSE(step.NeedsLimits());
  const auto& entries = step.entries();
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries.front(), "   ");
  EXPECT_EQ(entries[1], "ALB");
  EXPECT_EQ(entries.back(), "YOR");
  for (const auto& e : entries) EXPECT_EQ(e.size(), 3u) << e;
  ExpectStrictlySorted(entries);

  step.SetLimit("SMITH", "SMYTHE");  // fixed tables ignore limits
  EXPECT_EQ(step.entries().size(), 100u);
  EXPECT_EQ(step.prefix(), "");
}

TEST(StepTables, TwoCharacterTableHas100SortedEntries) {
  TextStep step(TextStepKind::kTwoCharacters, kStepLetters);
  const auto& entries = step.entries();
  ASSERT_EQ(entries.size(), 100u);
  for (const auto& e : entries) EXPECT_EQ(e.size(), 2u) << "[" << e << "]";
  ExpectStrictlySorted(entries);
  EXPECT_EQ(entries[0], "  ");
  EXPECT_EQ(entries[1], "AF");
  EXPECT_EQ(entries[3], "AT");
  EXPECT_EQ(entries[4], "B ");
  EXPECT_EQ(entries.back(), "ZN");
  auto has = [&](const char* e) { return std::find(entries.begin(), entries.end(), e) != entries.end(); };
  EXPECT_TRUE(has("Q "));
  EXPECT_TRUE(has("QN"));
  EXPECT_FALSE(has("QF"));
  EXPECT_FALSE(has("A "));
  EXPECT_FALSE(has("ZT"));
}

TEST(StepTables, PositionsAndValuesRoundTrip) {
  for (TextStepKind kind : {TextStepKind::kSurnames, TextStepKind::kTwoCharacters}) {
    TextStep step(kind, kStepLetters);
    for (int p = 1; p <= 100; ++p) {
      EXPECT_EQ(step.Percentile(step.TextAt(p)), p) << static_cast<int>(kind) << " at " << p;
    }
    EXPECT_EQ(step.TextAt(1), "") << "blank entry, clipped";
    EXPECT_EQ(step.TextAt(0), step.TextAt(1));
    EXPECT_EQ(step.Percentile(""), 1);
    EXPECT_EQ(step.Percentile("ZZZZZ"), 100);
  }
  TextStep surnames(TextStepKind::kSurnames, kStepLetters);
  EXPECT_EQ(surnames.TextAt(2), "ALB");
  EXPECT_EQ(surnames.Percentile("ALBERT"), 2);
  EXPECT_EQ(surnames.Percentile("ALA"), 1);
  EXPECT_EQ(surnames.Percentile("smith"), surnames.Percentile("SMITH")) << "upper case";

  TextStep exact(TextStepKind::kSurnames, kStepLetters | kStepCaseSensitive);
  EXPECT_EQ(exact.Percentile("smith"), 100) << "lower case sorts after every entry";

  TextStep down(TextStepKind::kSurnames, kStepLetters | kStepDescending);
  EXPECT_EQ(down.TextAt(98), "ALB");
  EXPECT_EQ(down.Percentile("ALBERT"), 98);
  EXPECT_EQ(down.Percentile("ZZZ"), 1);
  EXPECT_EQ(down.Percentile(""), 99);
}

TEST(StepCharacters, FlagsChooseTheCharacterSetInCodeOrder) {
  auto set = [](int flags) { return TextStep(TextStepKind::kComputed, flags).characters(); };
  EXPECT_EQ(set(kStepLetters), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(set(kStepLetters | kStepCaseSensitive).size(), 52u);
  EXPECT_EQ(set(kStepDigits), "0123456789");
  const std::string punctuation = set(kStepPunctuation);
  EXPECT_EQ(punctuation.size(), 30u) << "31 listed, the percent sign twice";
  EXPECT_EQ(punctuation.front(), ' ');
  EXPECT_EQ(punctuation.back(), '\xA3');
  EXPECT_EQ(std::count(punctuation.begin(), punctuation.end(), '%'), 1);
  const std::string all = set(kStepLetters | kStepDigits | kStepPunctuation);
  EXPECT_EQ(all.size(), 66u);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](char a, char b) {
    return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
  }));

  // No character classes: nothing to compute, the step stays at the base answers.
  TextStep none(TextStepKind::kComputed, kStepDescending);
  none.SetLimit("ADAMS", "ZIMMERMAN");
  EXPECT_TRUE(none.entries().empty());
  EXPECT_EQ(none.Percentile("MILLER"), 50);
  EXPECT_EQ(none.TextAt(3), "");
}

TEST(StepComputed, SpreadsLettersBetweenTheLimits) {
  TextStep step(TextStepKind::kComputed, kStepLetters);
  EXPECT_TRUE(step.NeedsLimits());
  EXPECT_EQ(step.Percentile("MILLER"), 50) << "no table before the limits";
  step.SetLimit("ADAMS", "ZIMMERMAN  ");
  EXPECT_EQ(step.prefix(), "");
  ASSERT_EQ(step.entries().size(), 100u);
  ExpectStrictlySorted(step.entries());
  EXPECT_EQ(step.entries().front(), "ADAM");
  EXPECT_EQ(step.TextAt(1), "ADAM");
  EXPECT_EQ(step.TextAt(0), "ADAM");
  // ADAM = 2040 and ZIMM = 445132 in base 26: steps of 4430; MILL = 216617
  // lies past 48 steps, and entry 49 (2040 + 48 * 4430) reads MFOY.
  EXPECT_EQ(step.TextAt(49), "MFOY");
  EXPECT_EQ(step.Percentile("MILLER"), 49);
  EXPECT_EQ(step.Percentile("miller"), 49);
  EXPECT_EQ(step.Percentile("ADAMS"), 1);
  EXPECT_EQ(step.Percentile("ZIMMERMAN"), 100);
  EXPECT_EQ(step.Percentile("AARON"), 1);
  for (int p = 1; p <= 100; ++p) EXPECT_EQ(step.Percentile(step.TextAt(p)), p) << p;

  TextStep swapped(TextStepKind::kComputed, kStepLetters);
  swapped.SetLimit("zimmerman", "adams");
  EXPECT_EQ(swapped.entries(), step.entries()) << "limits in either order and either case";
}

TEST(StepComputed, OrderOfNamesIsKept) {
  std::mt19937 random(7);
  const std::vector<std::string> names = SortedNames(random, 2000);
  TextStep up(TextStepKind::kComputed, kStepLetters);
  TextStep down(TextStepKind::kComputed, kStepLetters | kStepDescending);
  up.SetLimit("ADAMS", "ZIMMERMAN");
  down.SetLimit("ZIMMERMAN", "ADAMS");
  TextStep surnames(TextStepKind::kSurnames, kStepLetters);
  TextStep pairs(TextStepKind::kTwoCharacters, kStepLetters);
  for (std::size_t i = 1; i < names.size(); ++i) {
    const std::string& a = names[i - 1];
    const std::string& b = names[i];
    EXPECT_LE(up.Percentile(a), up.Percentile(b)) << a << " / " << b;
    EXPECT_GE(down.Percentile(a), down.Percentile(b)) << a << " / " << b;
    EXPECT_LE(surnames.Percentile(a), surnames.Percentile(b)) << a << " / " << b;
    EXPECT_LE(pairs.Percentile(a), pairs.Percentile(b)) << a << " / " << b;
  }
  // The value for a name's position is the low end of the name's band: never
  // past the name (a descending list's last band, below the first entry, is
  // the exception).
  for (const std::string& name : names) {
    if (platform::CompareClipped(name, "ADAMS") < 0 ||
        platform::CompareClipped(name, "ZIMMERMAN") > 0) {
      continue;
    }
    EXPECT_LE(platform::CompareClipped(up.TextAt(up.Percentile(name)), name), 0) << name;
    if (down.Percentile(name) < 100) {
      EXPECT_LE(platform::CompareClipped(down.TextAt(down.Percentile(name)), name), 0) << name;
    }
  }
}

TEST(StepComputed, DescendingFillsFromTheHighEnd) {
  TextStep step(TextStepKind::kComputed, kStepLetters | kStepDescending);
  step.SetLimit("ADAMS", "ZIMMERMAN");
  ASSERT_EQ(step.entries().size(), 100u);
  ExpectStrictlySorted(step.entries());
  EXPECT_EQ(step.entries().back(), "ZIMM");
  EXPECT_EQ(step.Percentile("ZIMMERMAN"), 1);
  EXPECT_EQ(step.Percentile("ADAMS"), 100);
  EXPECT_EQ(step.TextAt(100), step.entries().front());
  for (int p = 1; p <= 99; ++p) EXPECT_EQ(step.Percentile(step.TextAt(p)), p) << p;
}

TEST(StepComputed, SharedPrefixIsSetAside) {
  TextStep step(TextStepKind::kComputed, kStepLetters);
  step.SetLimit("SMITH", "SMYTHE");
  EXPECT_EQ(step.prefix(), "SM");
  EXPECT_EQ(step.entries().front(), "ITHA") << "the low value is padded with the first letter";
  EXPECT_EQ(step.TextAt(1), "SMITHA");
  for (int p = 1; p <= 100; ++p) EXPECT_EQ(step.TextAt(p).substr(0, 2), "SM") << p;
  EXPECT_EQ(step.Percentile("SMITH"), 1);
  EXPECT_EQ(step.Percentile("SMYTHE"), 100);
  EXPECT_EQ(step.Percentile("SANDERS"), 1) << "before the prefix";
  EXPECT_EQ(step.Percentile("TAYLOR"), 100) << "after the prefix";
  const int middle = step.Percentile("SMOOT");
  EXPECT_GT(middle, 10);
  EXPECT_LT(middle, 90);

  TextStep three(TextStepKind::kComputed, kStepLetters);
  three.SetLimit("MACDONALD", "MACKENZIE");
  EXPECT_EQ(three.prefix(), "MAC");
  EXPECT_EQ(three.Percentile("MACDONALD"), 1);
  EXPECT_EQ(three.Percentile("MACKENZIE"), 100);
  // DONA = 62530 and KENZ = 178827 in base 26 (steps of 1162); HIN sorts
  // before HINA = 128778, past 57 steps.
  EXPECT_EQ(three.Percentile("MACHIN"), 58);

  const std::string long_name(50, 'Q');
  TextStep capped(TextStepKind::kComputed, kStepLetters);
  capped.SetLimit(long_name + "A", long_name + "Z");
  EXPECT_EQ(capped.prefix(), std::string(40, 'Q'));
  // The limits differ only past the four characters after the prefix: every
  // entry is the same, and any value with the prefix counts past all of them.
  EXPECT_EQ(capped.entries().front(), capped.entries().back());
  EXPECT_EQ(capped.Percentile(long_name + "A"), 100);

  // All records alike: the whole range after the value is spread, and the
  // value itself sits at the top.
  TextStep alike(TextStepKind::kComputed, kStepLetters);
  alike.SetLimit("JONES", "JONES");
  EXPECT_EQ(alike.prefix(), "JONES");
  EXPECT_EQ(alike.entries().front(), "AAAA");
  EXPECT_EQ(alike.Percentile("JONES"), 1);
}

TEST(StepComputed, CaseSensitiveKeepsLowerCaseApart) {
  TextStep step(TextStepKind::kComputed, kStepLetters | kStepCaseSensitive);
  step.SetLimit("Adams", "Zimmerman");
  EXPECT_EQ(step.prefix(), "");
  const int miller = step.Percentile("Miller");
  EXPECT_GT(miller, 1);
  EXPECT_LT(miller, 100);
  EXPECT_EQ(step.Percentile("miller"), 100);
  for (int p = 1; p <= 100; ++p) EXPECT_EQ(step.Percentile(step.TextAt(p)), p) << p;
}

TEST(StepComputed, DigitsAndPunctuation) {
  TextStep step(TextStepKind::kComputed, kStepDigits);
  step.SetLimit("10000", "19999");
  EXPECT_EQ(step.prefix(), "1");
  EXPECT_EQ(step.TextAt(1), "10000");
  // 0000..9999 in steps of 99: entry 51 is 4950.
  EXPECT_EQ(step.TextAt(51), "14950");
  EXPECT_EQ(step.Percentile("14950"), 51);
  EXPECT_EQ(step.Percentile("15000"), 51);
  EXPECT_EQ(step.Percentile("14949"), 50);
  EXPECT_EQ(step.Percentile("2"), 100);

  // A table whose entries end in blanks still answers its own values.
  TextStep blanks(TextStepKind::kComputed, kStepLetters | kStepPunctuation);
  blanks.SetLimit("A", "B");
  ExpectStrictlySorted(blanks.entries());
  EXPECT_EQ(blanks.TextAt(1), "A");
  for (int p = 1; p <= 100; ++p) EXPECT_EQ(blanks.Percentile(blanks.TextAt(p)), p) << p;
}

TEST(StepRange, PercentileNeverLeavesOneToHundred) {
  std::vector<std::unique_ptr<StepPosition>> steps;
  for (int flags : std::initializer_list<int>{0, kStepLetters, kStepLetters | kStepDescending,
                    kStepLetters | kStepDigits | kStepPunctuation | kStepCaseSensitive,
                    kStepPunctuation | kStepDescending, kStepDigits}) {
    for (TextStepKind kind :
         {TextStepKind::kSurnames, TextStepKind::kTwoCharacters, TextStepKind::kComputed}) {
      auto step = std::make_unique<TextStep>(kind, flags);
      step->SetLimit("BAKER", "WILSON");
      steps.push_back(std::move(step));
    }
    steps.push_back(std::make_unique<WholeNumberStep>(flags));
    steps.back()->SetLimit(-5000, 5000);
    steps.push_back(std::make_unique<RealNumberStep>(flags));
    steps.back()->SetLimit(-1.5, 1e6);
  }
  std::mt19937 random(11);
  std::uniform_int_distribution<int> length(0, 60);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_real_distribution<double> number(-1e7, 1e7);
  auto in_range = [](int p) { return p >= 1 && p <= 100; };
  for (int i = 0; i < 10000; ++i) {
    std::string text;
    for (int n = i % 500 == 0 ? 5000 : length(random); n > 0; --n) {
      text.push_back(static_cast<char>(byte(random)));
    }
    const double value = number(random);
    const int position = byte(random) - 80;  // -80..175
    for (const auto& step : steps) {
      ASSERT_PRED1(in_range, step->Percentile(text)) << text;
      ASSERT_PRED1(in_range, step->Percentile(value)) << value;
      const double at = step->NumberAt(position);
      ASSERT_TRUE(at >= -5000 && at <= 1e6) << at;
      ASSERT_LE(step->TextAt(position).size(), 40u + 4u);
    }
  }
  for (double odd : {std::nan(""), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
    for (const auto& step : steps) EXPECT_PRED1(in_range, step->Percentile(odd)) << odd;
  }
  for (const auto& step : steps) EXPECT_PRED1(in_range, step->Percentile(""));
}

}  // namespace
}  // namespace vornel::ui
