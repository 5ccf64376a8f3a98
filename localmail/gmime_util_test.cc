#include "localmail/gmime_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/source_dir.h"

namespace vellumo::localmail {
namespace {

namespace stdfs = std::filesystem;

std::string QuotedPrintable(std::string_view content) {
  return MemoryStreamBytes(QuotedPrintableStream(content).get());
}

// GMime's own encoder, through the filter a part's content is written with.
std::string GMimeQuotedPrintable(std::string_view content) {
  EnsureGMime();
  GObjectPtr<GMimeStream> source = MemoryStream(content);
  GObjectPtr<GMimeStream> encoded(g_mime_stream_mem_new());
  GObjectPtr<GMimeStream> filtered(g_mime_stream_filter_new(encoded.get()));
  GObjectPtr<GMimeFilter> encoder(
      g_mime_filter_basic_new(GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE, TRUE));
  g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), encoder.get());
  g_mime_stream_write_to_stream(source.get(), filtered.get());
  g_mime_stream_flush(filtered.get());
  return MemoryStreamBytes(encoded.get());
}

// GMime's own decoder, through the data wrapper a parsed part's content is read with.
std::string GMimeDecoded(std::string_view encoded) {
  EnsureGMime();
  GObjectPtr<GMimeStream> raw = MemoryStream(encoded);
  GObjectPtr<GMimeDataWrapper> wrapper(
      g_mime_data_wrapper_new_with_stream(raw.get(), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE));
  GObjectPtr<GMimeStream> decoded(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(wrapper.get(), decoded.get());
  return MemoryStreamBytes(decoded.get());
}

struct Choice {
  GMimeContentEncoding ours;
  GMimeContentEncoding gmime;
};

Choice Encodings(std::string_view content) {
  EnsureGMime();
  GObjectPtr<GMimePart> part(GMIME_PART(g_mime_text_part_new_with_subtype("plain")));
  SetContent(part.get(), content);
  const GMimeContentEncoding gmime =
      g_mime_part_get_best_content_encoding(part.get(), GMIME_ENCODING_CONSTRAINT_7BIT);
  return {EightBitEncoding(content).value_or(gmime), gmime};
}

void ExpectSameAsGMime(std::string_view content, const std::string& what) {
  ASSERT_EQ(QuotedPrintable(content), GMimeQuotedPrintable(content)) << what;
  const Choice choice = Encodings(content);
  ASSERT_EQ(choice.ours, choice.gmime) << what;
}

// The places where the encoder's rules meet: soft breaks at each column around 75, blanks and
// CRs held back before line ends and at the end, escapes that would cross the limit.
TEST(QuotedPrintable, EdgesOfTheLineAndTheContentMatchGMime) {
  const std::vector<std::string> cases = {
      "",
      "a",
      " ",
      "\t",
      "=",
      "\r",
      "\n",
      "\r\n",
      "a \n",
      "a\t\r\n",
      "a \r",
      "x\r\ry",
      " \n \n",
      "caf\xC3\xA9 au lait",
      "From the harbour\nFrom here",
      "\x01\x7F\x80\xFF",
      "ends with =",
  };
  for (const std::string& c : cases) ExpectSameAsGMime(c, "case '" + c + "'");
  for (size_t plain = 70; plain <= 80; ++plain) {
    for (const char* tail : {"", " ", "\t", "=", "\xC3\xA9", " x", "\n", " \n", "\r\n", "\xC3"}) {
      for (const char* head : {"", "=", "\xE2\x82\xAC", " "}) {
        const std::string content = head + std::string(plain, 'q') + tail + std::string(80, 'w');
        ExpectSameAsGMime(
            content, "plain " + std::to_string(plain) + " head '" + head + "' tail '" + tail + "'");
      }
    }
  }
}

// Random text over the bytes the rules treat apart, with long runs of plain letters between them
// so that lines cross the soft-break column in every state.
TEST(QuotedPrintable, RandomTextMatchesGMime) {
  std::mt19937 random(20261211);
  const std::string special = std::string(" \t=\r\n\n\n", 7) + "\xC3\xA9\x80\xFF" + '\0';
  for (int n = 0; n < 3000; ++n) {
    std::string content;
    const size_t pieces = random() % 40;
    for (size_t i = 0; i < pieces; ++i) {
      if (random() % 3 == 0) {
        content.append(random() % 90, static_cast<char>('a' + random() % 26));
      } else {
        content.push_back(special[random() % special.size()]);
      }
    }
    // Some contents are 7-bit, for GMime to decide; the rest are decided by the count.
    if (n % 4 == 0) std::erase_if(content, [](char c) { return (c & 0x80) != 0 || c == '\0'; });
    if (n % 7 == 0) content.insert(random() % (content.size() + 1), "\nFrom me\n");
    ExpectSameAsGMime(content, "random case " + std::to_string(n));
  }
}

// Texts long enough to be encoded in several pieces, with a blank, CR or escape at every place
// a piece may end.
TEST(QuotedPrintable, LongTextsMatchGMimeWhereverTheyAreCut) {
  std::mt19937 random(9);
  const std::string special = std::string(" \t=\r\n", 5) + "\xC3\xA9";
  for (int n = 0; n < 60; ++n) {
    std::string content;
    while (content.size() < 40'000 + static_cast<size_t>(n) * 500) {
      content.append(random() % 12, static_cast<char>('a' + random() % 26));
      content.push_back(special[random() % special.size()]);
    }
    ASSERT_EQ(QuotedPrintable(content), GMimeQuotedPrintable(content)) << "long case " << n;
  }
}

// The 8-bit share where GMime turns from quoted-printable to base64 (17%), and the line length
// where 7-bit text needs an encoding (998).
TEST(EightBitEncoding, ThresholdsMatchGMime) {
  for (size_t high = 0; high <= 40; ++high) {
    std::string content(200 - high, 'a');
    content.append(high, '\xE9');
    const Choice choice = Encodings(content);
    EXPECT_EQ(choice.ours, choice.gmime) << high << " 8-bit bytes in 200";
  }
  for (size_t line : {997, 998, 999, 1200}) {
    const Choice choice = Encodings(std::string(line, 'x') + "\nend\n");
    EXPECT_EQ(choice.ours, choice.gmime) << "line of " << line;
  }
  EXPECT_EQ(Encodings(std::string("a\0b", 3)).ours, GMIME_CONTENT_ENCODING_BASE64);
  EXPECT_FALSE(EightBitEncoding(std::string(2000, 'x') + "\nFrom me\n").has_value());
  EXPECT_EQ(Encodings("a caf\xC3\xA9 by the harbour").ours, GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
}

// Escapes in both cases, soft breaks after LF and CR LF, '=' before bytes that make no escape,
// and sequences cut short by the end; then whatever random bytes around '=' give.
TEST(DecodeQuotedPrintable, MatchesGMime) {
  const std::vector<std::string> cases = {
      "",      "=",     "=4",   "=41", "=4a=4A", "a=\nb",     "a=\r\nb", "a=\rb",          "=G1",
      "=1G",   "=G=41", "==41", "x=",  "x=\r",   "caf=C3=A9", "=e9t=E9", "line\r\nnext\n", "= \n",
      "=\t\n", "=\n=\n"};
  for (const std::string& c : cases) {
    ASSERT_EQ(DecodeQuotedPrintable(c), GMimeDecoded(c)) << "case '" << c << "'";
  }
  std::mt19937 random(1211);
  const std::string alphabet = "==== =aAfFgG09\r\n\n\t\x80\xE9xyz";
  for (int n = 0; n < 3000; ++n) {
    std::string encoded;
    const size_t length = random() % 60;
    for (size_t i = 0; i < length; ++i) {
      if (random() % 8 == 0) encoded.append(random() % 40, 'p');
      encoded.push_back(alphabet[random() % alphabet.size()]);
    }
    ASSERT_EQ(DecodeQuotedPrintable(encoded), GMimeDecoded(encoded)) << "random case " << n;
  }
}

// Mail as others wrote it: every real-world message and page, as the text a part would hold.
TEST(QuotedPrintable, RealWorldFilesMatchGMime) {
  const stdfs::path realworld = test_support::RealWorldDir();
  if (!stdfs::is_directory(realworld)) GTEST_SKIP() << "no real-world folder at " << realworld;
  size_t files = 0;
  for (const auto& entry : stdfs::recursive_directory_iterator(realworld)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ExpectSameAsGMime(ToLf(bytes), entry.path().string());
    ASSERT_EQ(DecodeQuotedPrintable(bytes), GMimeDecoded(bytes)) << entry.path().string();
    ++files;
  }
  EXPECT_GT(files, 20u);
}

}  // namespace
}  // namespace vellumo::localmail
