#include "base/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/error.h"
#include "tests/support/thrown_code.h"

namespace vellumo::text {
namespace {

using test_support::ThrownCode;

// Replace as a plain byte loop; on valid UTF-8 byte matches are character matches.
std::string ReferenceReplace(const std::string& s, const std::string& find,
                             const std::string& with) {
  std::string out;
  size_t done = 0;
  for (size_t pos = s.find(find); pos != std::string::npos; pos = s.find(find, done)) {
    out += s.substr(done, pos - done) + with;
    done = pos + find.size();
  }
  return out + s.substr(done);
}

size_t CountOccurrences(const std::string& s, const std::string& find) {
  size_t count = 0;
  for (size_t pos = s.find(find); pos != std::string::npos; pos = s.find(find, pos + find.size())) {
    ++count;
  }
  return count;
}

TEST(TextLength, CountsCharactersAndEachInvalidByteOnce) {
  EXPECT_EQ(Len(""), 0);
  EXPECT_EQ(Len("abc"), 3);
  EXPECT_EQ(Len("é"), 1);
  EXPECT_EQ(Len("日本"), 2);
  EXPECT_EQ(Len("a😀b"), 3);
  EXPECT_EQ(Len("abcdefghé日😀"), 11);     // multi-byte after a full ASCII block
  EXPECT_EQ(Len("\xC3"), 1);              // truncated two-byte sequence
  EXPECT_EQ(Len("\xE6\x97"), 2);          // truncated three-byte sequence
  EXPECT_EQ(Len("\xC0\xAF"), 2);          // overlong form of "/"
  EXPECT_EQ(Len("\xED\xA0\x80"), 3);      // encoded surrogate
  EXPECT_EQ(Len("\xF4\x90\x80\x80"), 4);  // beyond U+10FFFF
  EXPECT_EQ(Len("\x80\xBF\xFF"), 3);
  EXPECT_EQ(Len("\xC3\xC3\xA9"), 2);  // a lead byte followed by a whole "é"
}

TEST(TextSlices, LeftRightMidCountCharacters) {
  EXPECT_EQ(Left("日本語", 2), "日本");
  EXPECT_EQ(Left("日本語", 0), "");
  EXPECT_EQ(Left("日本語", 10), "日本語");
  EXPECT_EQ(Left("a\xFF😀", 2), "a\xFF");
  EXPECT_EQ(Right("héllo", 4), "éllo");
  EXPECT_EQ(Right("héllo", 0), "");
  EXPECT_EQ(Right("héllo", 99), "héllo");
  EXPECT_EQ(Mid("a😀b", 2, 1), "😀");
  EXPECT_EQ(Mid("a😀b", 2), "😀b");
  EXPECT_EQ(Mid("a😀b", 3, 50), "b");
  EXPECT_EQ(Mid("a😀b", 4), "");
  EXPECT_EQ(Mid("a😀b", 40, 2), "");
  EXPECT_EQ(Mid("abc", 2, 0), "");
  EXPECT_EQ(Mid("a\xE6\x97z", 3, 1), "\x97");
  EXPECT_EQ(Mid("0123456789abcdefé", 17), "é");
}

TEST(TextSlices, NegativeLengthsAndStartsAreInvalidCalls) {
  EXPECT_EQ(ThrownCode([] { (void)Left("abc", -1); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([] { (void)Right("abc", -1); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([] { (void)Mid("abc", 0); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([] { (void)InStr(0, "abc", "a"); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([] { (void)String(-1, "x"); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([] { (void)String(2, ""); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([] { (void)Space(-1); }), ErrorCode::kInvalidCall);
  try {
    (void)Left("abc", -1);
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), "Invalid procedure call or argument");
  }
}

TEST(TextInStr, ReportsCharacterPositionsFromStart) {
  EXPECT_EQ(InStr("日本語テキスト", "テ"), 4);
  EXPECT_EQ(InStr("a😀b😀", "b"), 3);
  EXPECT_EQ(InStr("abcabc", "c"), 3);
  EXPECT_EQ(InStr(3, "abcabc", "c"), 3);
  EXPECT_EQ(InStr(4, "abcabc", "c"), 6);
  EXPECT_EQ(InStr(3, "日本日本", "日"), 3);
  EXPECT_EQ(InStr(4, "日本日本", "日"), 0);
  EXPECT_EQ(InStr("abc", "x"), 0);
  EXPECT_EQ(InStr("ABC", "b"), 0);  // binary compare is case-sensitive
  EXPECT_EQ(InStr("ab", "abc"), 0);
  EXPECT_EQ(InStr(10, "abc", "a"), 0);
  // An empty find answers start, as long as start is at most one past the end.
  EXPECT_EQ(InStr("abc", ""), 1);
  EXPECT_EQ(InStr(3, "日本語", ""), 3);
  EXPECT_EQ(InStr(4, "日本語", ""), 4);
  EXPECT_EQ(InStr(5, "日本語", ""), 0);
  EXPECT_EQ(InStr("", ""), 1);
  EXPECT_EQ(InStr("", "a"), 0);
}

TEST(TextInStr, MatchesOnlyWholeCharacters) {
  // The last byte of "é" is not a character of its own; a stray one is.
  EXPECT_EQ(InStr("é", "\xA9"), 0);
  EXPECT_EQ(InStr("é\xA9", "\xA9"), 2);
  EXPECT_EQ(InStr("\xA9é", "\xA9"), 1);
  EXPECT_EQ(InStr("é", "\xC3"), 0);
  EXPECT_EQ(InStr("é\xC3x", "\xC3"), 2);
  EXPECT_EQ(InStr("日本", "\x97\xA5"), 0);
  EXPECT_EQ(Replace("é\xA9", "\xA9", "!"), "é!");
  EXPECT_EQ(Split("é", "\xA9"), (std::vector<std::string>{"é"}));
  EXPECT_EQ(InStrRev("\xA9é", "\xA9"), 1);
}

TEST(TextInStrRev, FindsTheLastOccurrence) {
  EXPECT_EQ(InStrRev("a.b.c", "."), 4);
  EXPECT_EQ(InStrRev("日本日本", "日"), 3);
  EXPECT_EQ(InStrRev("aaa", "aa"), 2);
  EXPECT_EQ(InStrRev("abc", "x"), 0);
  EXPECT_EQ(InStrRev("日本日本", ""), 5);
  EXPECT_EQ(InStrRev("", ""), 1);
  EXPECT_EQ(InStrRev("Abcabc", "A", Compare::kText), 4);
  EXPECT_EQ(InStrRev("Abcabc", "A"), 1);
}

TEST(TextCompare, IgnoresCaseAndCountsPositionsInTheOriginal) {
  EXPECT_EQ(InStr("xxÜBER", "über", Compare::kText), 3);
  EXPECT_EQ(InStr("ΑΒΓ", "βγ", Compare::kText), 2);
  EXPECT_EQ(InStr(2, "Hello hello", "HELLO", Compare::kText), 7);
  // The Kelvin sign (3 bytes) folds to "k" (1 byte), and U+023A (2 bytes) to U+2C65 (3 bytes):
  // positions after them must still count original characters.
  EXPECT_EQ(InStr("\u212A\u212Ab", "B", Compare::kText), 3);
  EXPECT_EQ(InStr("a\u212Ab", "k", Compare::kText), 2);
  EXPECT_EQ(InStr(2, "\u023Ax\u023Ay", "\u2C65Y", Compare::kText), 3);
  EXPECT_EQ(InStr("ſx", "S", Compare::kText), 1);
  EXPECT_EQ(InStrRev("K\u212A", "k", Compare::kText), 2);
  EXPECT_EQ(InStr("Straße", "STRASSE", Compare::kText), 0);  // simple folding keeps ß
  EXPECT_EQ(InStr("abc", "", Compare::kText), 1);
}

TEST(TextCompare, EqualsTextFoldsOneCharacterToOne) {
  EXPECT_TRUE(EqualsText("Über", "über"));
  EXPECT_TRUE(EqualsText("ΣΑΣ", "σας"));  // final sigma folds like sigma
  EXPECT_TRUE(EqualsText("ПРИВЕТ", "привет"));
  EXPECT_TRUE(EqualsText("\u212Aelvin", "kELVIN"));
  EXPECT_TRUE(EqualsText("", ""));
  EXPECT_TRUE(EqualsText("a\xFF", "A\xFF"));
  EXPECT_FALSE(EqualsText("Straße", "STRASSE"));
  EXPECT_FALSE(EqualsText("abc", "abcd"));
  EXPECT_FALSE(EqualsText("\xC3", "\xC3\xA9"));
  EXPECT_FALSE(EqualsText("\xC3\x80", "\xE0"));  // "À" versus the byte 0xE0 ("à" in 1252)
  EXPECT_EQ(FoldCase("ÀB\u212A"), "àbk");
  std::string kept = "a longer text than the next one, left from before";
  FoldCaseInto("ÀB", kept);
  EXPECT_EQ(kept, "àb");
}

TEST(TextReplace, ReplacesNonOverlappingMatchesLeftToRightWithoutRescanning) {
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Replace("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(Replace("aXa", "a", "aa"), "aaXaa");
  EXPECT_EQ(Replace("abc", "b", "bb"), "abbc");
  EXPECT_EQ(Replace("ab", "ab", "abab"), "abab");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("", "a", "x"), "");
  EXPECT_EQ(Replace("a-b-c", "-", ""), "abc");
  EXPECT_EQ(Replace("abc", "x", "y"), "abc");
  EXPECT_EQ(Replace("日本日本", "本", "x"), "日x日x");
  EXPECT_EQ(Replace("x😀y😀", "😀", "<3"), "x<3y<3");
  EXPECT_EQ(Replace("Abc abc", "abc", "x"), "Abc x");
  EXPECT_EQ(Replace("<P>a</P>", "<P>", "<p>"), "<p>a</P>");
}

TEST(TextReplace, TextCompareMapsMatchesBackToTheOriginal) {
  EXPECT_EQ(Replace("Hello HELLO hello", "hello", "bye", Compare::kText), "bye bye bye");
  EXPECT_EQ(Replace("aAa", "aa", "-", Compare::kText), "-a");
  EXPECT_EQ(Replace("\u212A-k-K", "k", "x", Compare::kText), "x-x-x");
  EXPECT_EQ(Replace("ſ ÄBC äbc", "äbc", "Z", Compare::kText), "ſ Z Z");
  EXPECT_EQ(Replace("ks KS", "\u212As", "x", Compare::kText), "x x");
  EXPECT_EQ(Replace("\u023Ab \u2C65B", "\u2C65b", "-", Compare::kText), "- -");
  // Unmatched text, including invalid bytes, comes through byte for byte.
  EXPECT_EQ(Replace("\xFF\u212A\xC3X", "x", "y", Compare::kText), "\xFF\u212A\xC3y");
  EXPECT_EQ(Replace("Straße", "SS", "s", Compare::kText), "Straße");
}

TEST(TextReplace, LargeTextWithManyMatchesIsOnePass) {
  std::string big;
  for (int i = 0; i < 100000; ++i) big += "0123456789abcdefghij";  // 2 MB, 100k matches
  const std::string once = Replace(big, "ab", "XYZ");
  EXPECT_EQ(once.size(), big.size() + 100000);
  EXPECT_EQ(CountOccurrences(once, "XYZ"), 100000u);
  EXPECT_EQ(once.substr(0, 21), "0123456789XYZcdefghij");
  const std::string folded = Replace(big, "AB", "é", Compare::kText);
  EXPECT_EQ(CountOccurrences(folded, "é"), 100000u);
  EXPECT_EQ(Len(folded), Len(big) - 100000);
  // Every character of a run matches: the worst case for a naive search.
  const std::string run(2 << 20, 'a');
  EXPECT_EQ(Replace(run, "aa", "b"), std::string(1 << 20, 'b'));
}

TEST(TextReplace, AgreesWithAByteLoopOnRandomAndRepetitiveText) {
  // Small alphabets make overlapping and adjacent matches frequent.
  const std::string alphabet[] = {"a", "b", "é", "日"};
  std::mt19937 random(20261208);
  for (int round = 0; round < 2000; ++round) {
    auto make = [&](int max_len) {
      std::string out;
      for (int i = static_cast<int>(random() % max_len); i > 0; --i) out += alphabet[random() % 4];
      return out;
    };
    const std::string s = make(40);
    const std::string find = make(4);
    if (find.empty()) continue;
    ASSERT_EQ(Replace(s, find, "<>"), ReferenceReplace(s, find, "<>")) << s << " / " << find;
    const size_t byte_pos = s.find(find);
    ASSERT_EQ(InStr(s, find), byte_pos == std::string::npos ? 0 : Len(s.substr(0, byte_pos)) + 1);
  }
  // Long needles over long runs: candidates keep failing, and matches lie far apart.
  const std::string needle = std::string(300, 'a') + "b";
  std::string hay;
  for (size_t gap : {1000, 70000, 3, 250000, 299, 300}) hay += std::string(gap, 'a') + "b";
  EXPECT_EQ(Replace(hay, needle, "X"), ReferenceReplace(hay, needle, "X"));
  EXPECT_EQ(InStr(hay, needle), 701);
  EXPECT_EQ(InStr(702, hay, needle), 1001 + 70000 - 300 + 1);
  // Wherever the match lies, also across the edges of the search windows.
  for (int64_t gap = 300; gap < 6000; gap += 7) {
    ASSERT_EQ(InStr(std::string(gap, 'a') + "b", needle), gap - 299) << gap;
  }
}

// Written over the text itself, a replacement must read only bytes it has not yet overwritten:
// matches back to back, at both ends, and characters cut by a match's edges (whose checks look
// back) must come out as the two-buffer replace gives them.
TEST(TextReplace, InPlaceAgreesWithTheTwoBufferReplace) {
  const std::string pieces[] = {"<BR>", "\r\n", "é", "\x80", "\xE2\x82", "x", "<BR>\r\n<BR>"};
  const std::pair<std::string, std::string> rules[] = {{"<BR>\r\n<BR>", "\r\n<BR>"},
                                                       {"<BR>\r\n<BR>", ""},
                                                       {"<BR>\xE2", "é"},
                                                       {"file://", "http://"}};
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    for (int i = static_cast<int>(random() % 30); i > 0; --i) s += pieces[random() % 7];
    for (const auto& [find, with] : rules) {
      ASSERT_TRUE(CanReplaceInPlace(find, with)) << find;
      std::string in_place = s;
      const bool changed = ReplaceInPlace(in_place, find, with);
      ASSERT_EQ(in_place, Replace(s, find, with)) << round << ": " << s;
      ASSERT_EQ(changed, in_place != s) << s;  // no rule replaces a text with itself
    }
  }
  // What could grow the text, or start inside a character, is refused, never half done.
  EXPECT_FALSE(CanReplaceInPlace("<BR>", "<BR><BR>"));
  EXPECT_FALSE(CanReplaceInPlace("<B", ""));
  EXPECT_FALSE(CanReplaceInPlace("\xA9<BR>", ""));
  std::string text = "a<BR>b";
  EXPECT_THROW(ReplaceInPlace(text, "<BR>", "<BR><BR>"), Error);
  EXPECT_EQ(text, "a<BR>b");
}

// A text is its own joined lines exactly when joining them gives it back.
TEST(TextLines, LinesEndWithAgreesWithJoiningTheLines) {
  // Long pieces too, so that line ends fall on every place of the sixteen-byte blocks.
  const std::string pieces[] = {"a", "\r", "\n", "\r\n", "é", "\n\r", "0123456789abcde"};
  std::mt19937 random(20261210);
  for (int round = 0; round < 6000; ++round) {
    std::string text;
    for (int i = static_cast<int>(random() % 40); i > 0; --i) text += pieces[random() % 7];
    for (std::string_view line_end : {"\r\n", "\n", "\r", " ", "\r\n\r\n"}) {
      std::string joined;
      for (std::string_view line : Lines(text)) joined.append(line).append(line_end);
      ASSERT_EQ(LinesEndWith(text, line_end), joined == text) << text;
    }
  }
}

// The composition sizes its two buffers once for the whole message: asking for a little more
// than a buffer holds must not double it (a string's own reserve would), and the text stays.
TEST(TextRewriting, ReserveGivesBothBuffersTheRoomAskedAndKeepsTheText) {
  const std::string text(1 << 20, 'a');
  Rewriting work{std::string(text)};
  const size_t room = text.size() + text.size() / 8;
  work.Reserve(room);
  EXPECT_EQ(work.text(), text);
  EXPECT_GE(work.text().capacity(), room);
  EXPECT_LT(work.text().capacity(), room + room / 8);
  std::string& spare = work.Spare();
  EXPECT_GE(spare.capacity(), room);
  EXPECT_LT(spare.capacity(), room + room / 8);
  spare.append(text).append("b");
  work.Commit();
  EXPECT_EQ(work.text().size(), text.size() + 1);
}

TEST(TextSplitJoin, SplitCornersAndJoinInvertsSplit) {
  using Parts = std::vector<std::string>;
  EXPECT_EQ(Split("", ";"), Parts{});
  EXPECT_EQ(Split("", ""), Parts{});
  EXPECT_EQ(Split("a;", ";"), (Parts{"a", ""}));
  EXPECT_EQ(Split(";", ";"), (Parts{"", ""}));
  EXPECT_EQ(Split("a;b;;c", ";"), (Parts{"a", "b", "", "c"}));
  EXPECT_EQ(Split("abc", ""), (Parts{"abc"}));
  EXPECT_EQ(Split("abc", ";"), (Parts{"abc"}));
  EXPECT_EQ(Split("a<br>b<BR>c", "<br>"), (Parts{"a", "b<BR>c"}));
  EXPECT_EQ(Split("日、本、", "、"), (Parts{"日", "本", ""}));
  EXPECT_EQ(Split("aaa", "aa"), (Parts{"", "a"}));
  EXPECT_EQ(Join({}, ","), "");
  EXPECT_EQ(Join({"a"}, ","), "a");
  EXPECT_EQ(Join({"", ""}, ", "), ", ");
  for (const std::string s : {"a;b", "a;", ";", ";;x;", "日;本"}) {
    EXPECT_EQ(Join(Split(s, ";"), ";"), s);
  }
}

TEST(TextTrim, RemovesSpacesOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(LTrim("  a b  "), "a b  ");
  EXPECT_EQ(RTrim("  a b  "), "  a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(LTrim(""), "");
  EXPECT_EQ(RTrim("  "), "");
  EXPECT_EQ(Trim("\t a \r\n"), "\t a \r\n");
  EXPECT_EQ(Trim(" \u00A0x\u00A0 "), "\u00A0x\u00A0");  // no-break space is kept
}

TEST(TextPadding, RepeatsAndPadsByCharacters) {
  EXPECT_EQ(String(3, "é"), "ééé");
  EXPECT_EQ(String(2, "日本"), "日日");
  EXPECT_EQ(String(2, "\xFFz"), "\xFF\xFF");
  EXPECT_EQ(String(0, "x"), "");
  EXPECT_EQ(Space(3), "   ");
  EXPECT_EQ(Space(0), "");
  EXPECT_EQ(PadRight("日本", 4), "日本  ");
  EXPECT_EQ(PadRight("abcdef", 3), "abcdef");
  EXPECT_EQ(PadLeft("é", 3), "  é");
  EXPECT_EQ(PadLeft("abc", 3), "abc");
  EXPECT_EQ(PadLeft("", -2), "");
  EXPECT_EQ(kCrLf, "\r\n");
  EXPECT_EQ(kQuote, "\"");
}

TEST(EscapeHtml, MarkupCharactersBecomeEntitiesAndTheRestStays) {
  EXPECT_EQ(EscapeHtml("a<b && c>d"), "a&lt;b &amp;&amp; c&gt;d");
  EXPECT_EQ(EscapeHtml("&amp;"), "&amp;amp;") << "entities are text too";
  EXPECT_EQ(EscapeHtml("\"Grüße\"\r\n"), "\"Grüße\"\r\n");
  EXPECT_EQ(EscapeHtml(""), "");
}

TEST(Lines, EndAtCrLfCrOrLfAndKeepALastLineWithoutEnd) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a"), V{"a"});
  EXPECT_EQ(Lines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines("a\r\n"), V{"a"});
  EXPECT_EQ(Lines("\r\n\r\n"), (V{"", ""}));
  // CR CR LF is an empty line between two ends, not one end.
  EXPECT_EQ(Lines("a\r\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(Lines("\n\r"), (V{"", ""}));
}

}  // namespace
}  // namespace vellumo::text
