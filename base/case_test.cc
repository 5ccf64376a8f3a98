#include <gtest/gtest.h>

#include <string>

#include "base/text.h"

namespace vellumo::text {
namespace {

// Pairs of the same text in lower and upper case, one per script the mail texts use.
struct CasePair {
  const char* lower;
  const char* upper;
};
constexpr CasePair kScripts[] = {
    {"hello, world 42!", "HELLO, WORLD 42!"},
    {"àéîõüýþ ÿ", "ÀÉÎÕÜÝÞ Ÿ"},                    // Latin-1; ÿ's capital lies outside it
    {"ąčďěłńőřšťůžŀĳ", "ĄČĎĚŁŃŐŘŠŤŮŽĿĲ"},          // Latin Extended-A
    {"ƀƃƈɓǆǉǌǎǘǻȁȝȳ", "ɃƂƇƁǄǇǊǍǗǺȀȜȲ"},            // Latin Extended-B
    {"αβγδ άέήίόύώ ϊϋ", "ΑΒΓΔ ΆΈΉΊΌΎΏ ΪΫ"},        // Greek
    {"привет ёж ґєії ђћџ", "ПРИВЕТ ЁЖ ҐЄІЇ ЂЋЏ"},  // Cyrillic
    {"բարեւ աշխարհ", "ԲԱՐԵՒ ԱՇԽԱՐՀ"},              // Armenian
};

TEST(TextCase, MapsEachScriptBothWays) {
  for (const auto& [lower, upper] : kScripts) {
    EXPECT_EQ(UCase(lower), upper) << lower;
    EXPECT_EQ(LCase(upper), lower) << upper;
    EXPECT_TRUE(EqualsText(lower, upper)) << lower;
    EXPECT_EQ(FoldCase(lower), FoldCase(upper)) << lower;
  }
}

TEST(TextCase, FullMappingsChangeTheLength) {
  EXPECT_EQ(UCase("straße"), "STRASSE");
  EXPECT_EQ(UCase("ﬁne ﬄ"), "FINE FFL");
  EXPECT_EQ(UCase("և"), "ԵՒ");
  EXPECT_EQ(UCase("ŉ"), "ʼN");
  EXPECT_EQ(UCase("ǰ"), "J\u030C");
  EXPECT_EQ(UCase("ΐ"), "\u0399\u0308\u0301");
  EXPECT_EQ(UCase("ᾳ"), "\u0391\u0399");
  EXPECT_EQ(UCase("ẞ"), "ẞ");  // the capital sharp s has no other upper form
  EXPECT_EQ(LCase("ẞ"), "ß");
  EXPECT_EQ(FoldCase("ẞ"), "ß");
  EXPECT_EQ(LCase("İstanbul"), "i\u0307stanbul");
  // Title-case digraphs take their upper and lower forms.
  EXPECT_EQ(UCase("ǅ"), "Ǆ");
  EXPECT_EQ(LCase("ǅ"), "ǆ");
  // Context-free: Σ lowers to σ everywhere, dotted and dotless i keep their own mappings.
  EXPECT_EQ(LCase("ΟΔΟΣ"), "οδοσ");
  EXPECT_EQ(UCase("ıi"), "II");
}

TEST(TextCase, LeavesCaselessTextAndInvalidBytesAlone) {
  EXPECT_EQ(UCase("日本語 😀 123 ∑"), "日本語 😀 123 ∑");
  EXPECT_EQ(LCase("日本語 😀 123 ∑"), "日本語 😀 123 ∑");
  EXPECT_EQ(UCase("a\xFF"
                  "b\xC3"),
            "A\xFF"
            "B\xC3");
  EXPECT_EQ(LCase("\xE6\x97Z"), "\xE6\x97z");
  EXPECT_EQ(FoldCase("\xF0\x9F\x98X"), "\xF0\x9F\x98x");
  // Folding takes ASCII eight bytes at a time; every byte must come out as lowering gives it.
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
  for (size_t skew = 0; skew < 8; ++skew) {
    const std::string text = ascii.substr(skew) + "É" + ascii;
    EXPECT_EQ(FoldCase(text), LCase(text)) << skew;
  }
  EXPECT_EQ(UCase(""), "");
  EXPECT_EQ(FoldCase(""), "");
}

// Case folding must agree with the case mappings: a character and its upper or lower form share
// a folding key. Checked for every code point, this cross-checks the three run tables.
TEST(TextCase, FoldingAgreesWithMappingForEveryCodePoint) {
  int mapped = 0;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string c;
    if (cp < 0x80) {
      c.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      c = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
    } else if (cp < 0x10000) {
      c = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
           static_cast<char>(0x80 | (cp & 0x3F))};
    } else {
      c = {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
           static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
    }
    const unsigned code = static_cast<unsigned>(cp);  // printable in failure messages
    const std::string upper = UCase(c);
    const std::string lower = LCase(c);
    ASSERT_TRUE(IsValidUtf8(upper) && IsValidUtf8(lower)) << std::hex << code;
    ASSERT_EQ(Len(FoldCase(c)), 1) << std::hex << code;
    if (upper != c) ++mapped;
    // Dotless i is the one character whose capital (I) folds elsewhere.
    if (cp == 0x131) continue;
    if (Len(upper) == 1) {
      ASSERT_TRUE(EqualsText(upper, c)) << std::hex << code;
    }
    if (Len(lower) == 1) {
      ASSERT_TRUE(EqualsText(lower, c)) << std::hex << code;
    }
  }
  EXPECT_GT(mapped, 1400);  // every cased script, not just the ones listed above
}

}  // namespace
}  // namespace vellumo::text
