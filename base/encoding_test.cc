#include <gtest/gtest.h>

#include <string>

#include "base/text.h"

namespace vellumo::text {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST(TextUtf8, ValidatesStrictly) {
  for (const char* good : {"", "plain", "é日😀", "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  }
  for (const char* bad : {"\xC3", "a\xC3z", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\x80", "\xFF", "\xE6\x97"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    // After and between runs of ASCII long enough to be read in blocks, at every offset.
    for (size_t lead = 0; lead < 140; ++lead) {
      const std::string ascii(lead, 'a');
      EXPECT_FALSE(IsValidUtf8(ascii + bad + ascii)) << lead << " " << bad;
      EXPECT_TRUE(IsValidUtf8(ascii + "\xC3\xA9" + ascii)) << lead;
    }
  }
}

TEST(TextWindows1252, MapsEveryByteIncludingThe80To9FBlock) {
  EXPECT_EQ(Windows1252ToUtf8("caf\xE9"), "café");
  EXPECT_EQ(Windows1252ToUtf8("\x80 \x93quoted\x94 \x85\x96\x99"), "€ “quoted” …–™");
  EXPECT_EQ(Windows1252ToUtf8("\x8A\x9A\x8C\x9C\x9F\x83\x88\x98"), "ŠšŒœŸƒˆ˜");
  EXPECT_EQ(Windows1252ToUtf8("\xA0\xFF"), "\u00A0ÿ");
  EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Len(utf8), 256);
  EXPECT_EQ(utf8.substr(0, 128), all.substr(0, 128));
}

TEST(TextUtf16, RoundTripsAndReplacesUnpairedSurrogates) {
  const std::string utf16 = Utf8ToUtf16Le("A€😀");
  EXPECT_EQ(utf16, Bytes({0x41, 0x00, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_EQ(Utf16LeToUtf8(utf16), "A€😀");
  for (const std::string s : {"", "plain", "é日😀\U0010FFFF\uFFFF", "line\r\nbreak"}) {
    EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(s)), s);
  }
  EXPECT_EQ(Utf16LeToUtf8(Bytes({0x3D, 0xD8, 0x41, 0x00})), "\uFFFDA");  // high, then no low
  EXPECT_EQ(Utf16LeToUtf8(Bytes({0x00, 0xDC, 0x41, 0x00})), "\uFFFDA");  // lone low
  EXPECT_EQ(Utf16LeToUtf8(Bytes({0x41, 0x00, 0x3D, 0xD8})), "A\uFFFD");  // high at the end
  EXPECT_EQ(Utf16LeToUtf8(Bytes({0x3D, 0xD8, 0x3D, 0xD8, 0x00, 0xDE})), "\uFFFD😀");
  EXPECT_EQ(Utf16LeToUtf8(Bytes({0x41, 0x00, 0x42})), "A\uFFFD");  // odd byte count
  EXPECT_EQ(Utf8ToUtf16Le("a\xFF"), Bytes({0x61, 0x00, 0xFD, 0xFF}));
  EXPECT_EQ(Utf8ToUtf16Le("\xED\xA0\x80"), Bytes({0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF}));
}

TEST(TextDecodeFile, PicksTheEncodingAndDropsTheBom) {
  EXPECT_EQ(DecodeFileText(""), "");
  EXPECT_EQ(DecodeFileText("plain"), "plain");
  EXPECT_EQ(DecodeFileText("h\xC3\xA9"), "hé");
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFh\xC3\xA9"), "hé");
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF"), "");
  EXPECT_EQ(DecodeFileText("caf\xE9 \x80"), "café €");
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF"
                           "caf\xE9"),
            "café");
  EXPECT_EQ(DecodeFileText(Bytes({0xFF, 0xFE, 0x68, 0x00, 0xE9, 0x00, 0x0D, 0x00, 0x0A, 0x00})),
            "hé\r\n");
  EXPECT_EQ(DecodeFileText(Bytes({0xFE, 0xFF, 0x00, 0x68, 0x65, 0xE5})), "h日");
  EXPECT_EQ(DecodeFileText("\xFF\xFE" + Utf8ToUtf16Le("REGEDIT4 ✓")), "REGEDIT4 ✓");
}

// Handed over, the bytes decode the same, and UTF-8 keeps its buffer (what large templates rely
// on not to be copied).
TEST(TextDecodeFile, TakingTheBytesDecodesThemAlike) {
  for (const std::string& bytes :
       {std::string(), std::string("plain"), std::string("\xEF\xBB\xBFh\xC3\xA9"),
        std::string("\xEF\xBB\xBF"), std::string("caf\xE9 \x80"),
        "\xFF\xFE" + Utf8ToUtf16Le("REGEDIT4 ✓"), Bytes({0xFE, 0xFF, 0x00, 0x68, 0x65, 0xE5})}) {
    EXPECT_EQ(TakeFileText(bytes), DecodeFileText(bytes));
  }
  std::string large(100000, 'a');
  const char* const buffer = large.data();
  const std::string text = TakeFileText(std::move(large));
  EXPECT_EQ(text.data(), buffer);
  EXPECT_EQ(text.size(), 100000u);
}

}  // namespace
}  // namespace vellumo::text
