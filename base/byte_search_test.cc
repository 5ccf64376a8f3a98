#include "base/byte_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

namespace vellumo::text::internal {
namespace {

constexpr size_t npos = std::string_view::npos;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t ReferenceNoCase(std::string_view hay, std::string_view lower, size_t from) {
  for (size_t pos = from; pos + lower.size() <= hay.size(); ++pos) {
    size_t i = 0;
    while (i < lower.size() && Lower(hay[pos + i]) == lower[i]) ++i;
    if (i == lower.size()) return pos;
  }
  return npos;
}

std::string Lowered(std::string s) {
  for (char& c : s) c = Lower(c);
  return s;
}

// Small alphabets make candidates that fail late, matches at every distance from the sixteen-byte
// blocks' edges, and runs long enough to push a search onto its linear fallback.
class ByteSearchScan : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!UseWideScanForTesting(GetParam())) GTEST_SKIP() << "no 32-byte scan on this processor";
  }
  void TearDown() override { UseWideScanForTesting(true); }
};

INSTANTIATE_TEST_SUITE_P(Widths, ByteSearchScan, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) {
                           return param.param ? "Wide" : "Narrow";
                         });

TEST_P(ByteSearchScan, FindsWhatAPlainLoopFindsOverRandomTexts) {
  std::mt19937 random(20261210);
  // The last alphabet makes matches rare, so that long texts are scanned many blocks far.
  const std::string alphabets[] = {
      "ab", "aB<", "<>img=", "xX[#]", "a\xc3\xa9\x80Zz", "aaaaaaaaaaaaaaab"};
  for (int round = 0; round < 20000; ++round) {
    const std::string& alphabet = alphabets[round % std::size(alphabets)];
    auto text = [&](size_t n) {
      std::string s;
      for (size_t i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
      return s;
    };
    // Up to four hundred bytes: a scan takes its places sixty-four at a time after the first
    // thirty-two, and a match may sit in either half of a turn.
    const std::string hay_text = text(random() % (round % 2 == 0 ? 150 : 400));
    // In a buffer of exactly its size, so that a read past the end is a sanitizer error.
    const auto buffer = std::make_unique<char[]>(hay_text.size());
    std::copy(hay_text.begin(), hay_text.end(), buffer.get());
    const std::string_view hay(buffer.get(), hay_text.size());
    // Needles of every length class the comparison treats apart: 1-3, 4-7, 8-16 and longer.
    std::string needle = text(1 + random() % 20);
    if (round % 3 == 0 && hay.size() > 2) {
      const size_t at = random() % hay.size();
      needle = hay_text.substr(at, 1 + random() % (hay.size() - at));
    }
    const size_t from = random() % (hay.size() + 2);
    SCOPED_TRACE("hay '" + hay_text + "' needle '" + needle + "' from " + std::to_string(from));
    const size_t expected = from > hay.size() ? npos : hay.find(needle, from);
    ASSERT_EQ(FindBytes(hay, needle, from), expected);
    const std::string lower = Lowered(needle);
    ASSERT_EQ(FindBytesNoCase(hay, lower, from),
              from > hay.size() ? npos : ReferenceNoCase(hay, lower, from));
  }
}

TEST(ByteSearch, FindsLineEndsInBlocksAndAtTheEdges) {
  std::mt19937 random(1012);
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    const size_t n = random() % 40;
    for (size_t i = 0; i < n; ++i) text += "ab\x8d\x8a\r\n"[random() % (round % 3 == 0 ? 6 : 4)];
    const size_t from = random() % (text.size() + 1);
    const size_t expected = text.find_first_of("\r\n", from);
    ASSERT_EQ(FindLineEnd(text, from), expected) << round;
  }
}

TEST(ByteSearch, FoldsOnlyAsciiLettersAndNothingIntoThem) {
  EXPECT_EQ(FindBytesNoCase("x <IMG src", "<img", 0), 2U);
  EXPECT_EQ(FindBytesNoCase("x <iMg src", "<img", 0), 2U);
  // 0x40 '@' and 0x60 '`' differ by the case bit, yet are not letters: no fold between them.
  EXPECT_EQ(FindBytesNoCase(std::string(40, '@') + "`", "`", 0), 40U);
  EXPECT_EQ(FindBytesNoCase(std::string(40, '`'), "@", 0), npos);
  EXPECT_EQ(FindBytesNoCase("[[[[[[[[[[[[[[[[[[[{", "{", 0), 19U);
  // Non-ASCII bytes are compared as they are.
  EXPECT_EQ(FindBytesNoCase("caf\xc3\x89 caf\xc3\xa9", "caf\xc3\xa9", 0), 6U);
}

TEST_P(ByteSearchScan, StaysRightWhereCandidatesFailOverLongRepetitiveText) {
  // Every place is a candidate that fails at its last byte: the search must still find the one
  // match at the end, and find none when it is not there.
  const std::string run(100000, 'a');
  const std::string needle = std::string(40, 'a') + "b";
  EXPECT_EQ(FindBytes(run + "b", needle, 0), run.size() - 40);
  EXPECT_EQ(FindBytes(run, needle, 0), npos);
  EXPECT_EQ(FindBytesNoCase(run + "B", Lowered(needle), 5), run.size() - 40);
  const std::string mixed = [] {
    std::string s;
    for (int i = 0; i < 20000; ++i) s += "abAB";
    return s;
  }();
  EXPECT_EQ(FindBytesNoCase(mixed + "abx", "ababababx", 0), mixed.size() - 6);
  EXPECT_EQ(FindBytesNoCase(mixed, "ababababx", 3), npos);
}

}  // namespace
}  // namespace vellumo::text::internal
