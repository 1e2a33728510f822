#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace talmi {
namespace {

struct FoldCase_ {
  const char* a;
  const char* b;
  bool equal;
};

TEST(CaseFold, ComparesLatinGreekCyrillicWithoutRegardToCase) {
  const FoldCase_ cases[] = {
      {"Profile1", "PROFILE1", true},
      {"fast", "Fast", true},
      {"ÄÖÜ Ñ Ø Þ", "äöü ñ ø þ", true},
      {"Łódź ŒUVRE Ÿ", "łódź œuvre ÿ", true},
      {"ſ", "S", true},                    // long s folds to s
      {"ΑΒΓΔ Ω", "αβγδ ω", true},
      {"ΣΟΦΟΣ", "σοφος", true},            // final sigma folds with sigma
      {"Άλφα", "άλφα", true},
      {"ПРИВЕТ Ёж Ї", "привет ёж ї", true},
      {"Ѣ Ґ Ӂ", "ѣ ґ ӂ", true},
      {"Ｆａｓｔ", "ｆａｓｔ", true},         // full-width
      {"Kelvin K Ω", "kelvin k ω", true}, // Kelvin and Ohm signs
      {"ẞ", "ß", true},
      {"Ǆ ǅ", "ǆ ǆ", true},
      {"profile1", "profile2", false},
      {"ß", "ss", false},                 // simple folding only
      {"İ", "i", false},
      {"a", "a ", false},
      {"連射", "連射", true},
  };
  for (const FoldCase_& c : cases) {
    EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

TEST(CaseFold, PairRangesFoldOnlyTheUpperHalf) {
  EXPECT_EQ(FoldCodePoint(0x0100), 0x0101u);
  EXPECT_EQ(FoldCodePoint(0x0101), 0x0101u);
  EXPECT_EQ(FoldCodePoint(0x0139), 0x013Au);
  EXPECT_EQ(FoldCodePoint(0x013A), 0x013Au);
  EXPECT_EQ(FoldCodePoint(0x0460), 0x0461u);
  EXPECT_EQ(FoldCodePoint(0x04C1), 0x04C2u);
  EXPECT_EQ(FoldCodePoint(0x1F59), 0x1F51u);
  EXPECT_EQ(FoldCodePoint(0x1F5A), 0x1F5Au);
  EXPECT_EQ(FoldCodePoint(0x10FFFF), 0x10FFFFu);
}

TEST(CaseFold, BrokenBytesAreKeptNotMerged) {
  EXPECT_EQ(FoldCase(std::string("A\xFF" "B", 3)), std::string("a\xFF" "b", 3));
  EXPECT_EQ(FoldCase("\xC3"), "\xC3");              // truncated sequence
  EXPECT_EQ(FoldCase("\xC0\x81"), "\xC0\x81");      // overlong form of 'A' stays
  EXPECT_FALSE(EqualsIgnoreCase("\xC3\x84", "\xC3"));
}

}  // namespace
}  // namespace talmi
