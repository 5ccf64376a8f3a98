#include "html/text_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "html/html_text.h"
#include "tests/support/source_dir.h"

namespace vellumo::html {
namespace {

namespace stdfs = std::filesystem;
using internal::HtmlToTextEveryCharacterParsed;
using internal::MarkTextRuns;

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Pieces of markup where the parser treats text apart: tables and their column groups, <pre>
// and <textarea> with their first line end, raw text, comments with each way of ending,
// doctypes, attributes holding ">" and spaced "=", references with and without ";", line ends,
// NUL, controls, invalid UTF-8, and text long enough to be marked.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {
      "<p>",
      "</p>",
      "<b>",
      "</b>",
      "<i>",
      "<a href=\"http://example.org/x\">",
      "</a>",
      "<a href='http://example.org/>y' title = 'q>r'>",
      "<a href = \"mailto:x@example.org\">",
      "<table>",
      "</table>",
      "<tr>",
      "<td>",
      "</td>",
      "<caption>",
      "<colgroup>",
      "<col>",
      "<tbody>",
      "<pre>",
      "</pre>",
      "<pre>\n",
      "<textarea>\n",
      "</textarea>",
      "<ul><li>",
      "<ol><li>",
      "</li>",
      "<div>",
      "</div>",
      "<br>",
      "<hr>",
      "<img alt=x>",
      "<head>",
      "<body>",
      "<html>",
      "</body>",
      "</html>",
      "<title>",
      "</title>",
      "<style>",
      "</style>",
      "<style>p > b { x: '</styl' }</style>",
      "<xmp>",
      "</xmp >",
      "<!-- c -->",
      "<!-->",
      "<!--->",
      "<!-- a --!> ",
      "<!-- a -- b -->",
      "<!--",
      "-->",
      "<!DOCTYPE html>",
      "<!doctype html public \"a>b\">",
      "<!bogus>",
      "<?php x ?>",
      "</ x>",
      "</>",
      "< b",
      "a < b",
      "&amp;",
      "&ampfoo",
      "&#65;",
      "&#x42",
      "&nbsp;",
      "&",
      "\r\n",
      "\r",
      "\n",
      "\t",
      " ",
      "   ",
      "\f",
      std::string("\0", 1),
      "\x01",
      "\x7f",
      "\xc2\x85",
      "\xc3\xa9",
      "\xef\xbb\xbf",
      "\xff",
      "\xc3",
      "\xed\xa0\x80",
      "\xef\xb7\x90",
      "\xf0\x9f\x98\x80",
      "<font size=2>",
      "</font>",
      "<a b c='d' e=f/>",
      "<p/>",
      "<br/>",
      "<nobr>",
      "</script>",
      "Lanterns glow along the harbour wall tonight",
      "  the keeper's \"rope\" = anchor; gull, quay & tide ",
      "caf\xc3\xa9 na\xc3\xafve fa\xc3\xa7"
      "ade and a long line of words to mark",
      "Words words words words words words words",
      "<p>Paragraph text that goes on and on</p>"};
  return pieces;
}

// Markup after which nothing is marked.
const std::vector<std::string> kLeftAlone = {"<frameset>", "<template>",  "<select>",
                                             "<script>",   "<svg>",       "<math>",
                                             "<noscript>", "<plaintext>", "<![CDATA[x]]>"};

void ExpectSameText(const std::string& html, const std::string& name) {
  ASSERT_EQ(HtmlToText(html), HtmlToTextEveryCharacterParsed(html)) << name;
}

TEST(TextRuns, MarkedDocumentsGiveTheTextOfTheWholeDocument) {
  std::mt19937 random(1210);
  const std::vector<std::string>& pieces = Pieces();
  int marked = 0;
  for (int n = 0; n < 6000; ++n) {
    std::string html;
    const int count = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      html += n % 8 == 0 && i == count / 2 ? kLeftAlone[random() % kLeftAlone.size()]
                                           : pieces[random() % pieces.size()];
    }
    if (MarkTextRuns(html)) ++marked;
    ExpectSameText(html, "generated case " + std::to_string(n));
  }
  // Most cases must go through the marks, or the comparison proves nothing.
  EXPECT_GT(marked, 2000);
}

TEST(TextRuns, FuzzCorporaAndRealWorldHtmlGiveTheSameText) {
  std::vector<stdfs::path> files;
  const stdfs::path corpora = test_support::SourceDir() / "fuzz" / "corpus";
  for (const char* target : {"create_html_body_fuzz", "neutralise_fuzz", "link_maker_fuzz"}) {
    for (const auto& entry : stdfs::directory_iterator(corpora / target)) {
      files.push_back(entry.path());
    }
  }
  const stdfs::path realworld = test_support::RealWorldDir() / "html";
  if (stdfs::is_directory(realworld)) {
    for (const auto& entry : stdfs::recursive_directory_iterator(realworld)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
  }
  ASSERT_FALSE(files.empty());
  for (const stdfs::path& file : files) ExpectSameText(ReadAll(file), file.string());
}

TEST(TextRuns, LongTextIsMarkedAndMarkupLeftAloneIsNot) {
  const std::string text = "<p>  Lanterns glow along the harbour wall tonight.</p>";
  const auto marked = MarkTextRuns(text);
  ASSERT_TRUE(marked);
  ASSERT_EQ(marked->runs.size(), 1U);
  // Leading white space stays for the parser; the run starts at the first letter.
  EXPECT_EQ(marked->runs[0], "Lanterns glow along the harbour wall tonight.");
  EXPECT_EQ(marked->html.substr(0, 5), "<p>  ");
  // Attribute values, comments and raw text are not text runs.
  EXPECT_FALSE(MarkTextRuns("<a title='Lanterns glow along the harbour wall'>x</a>"));
  EXPECT_FALSE(MarkTextRuns("<!-- Lanterns glow along the harbour wall --!>"));
  EXPECT_FALSE(MarkTextRuns("<style>Lanterns glow along the harbour wall</style>"));
  // A "=" after white space still opens the value, so its ">" is not the tag's end.
  EXPECT_FALSE(MarkTextRuns("<a b = 'x> Lanterns glow along the harbour wall'>"));
  for (const char* left_alone :
       {"<script>", "<svg>", "<math>", "<select>", "<frameset>", "<template>", "<plaintext>"}) {
    EXPECT_FALSE(MarkTextRuns(std::string(left_alone) + text)) << left_alone;
  }
  EXPECT_FALSE(MarkTextRuns(text + "\xee\x80\x80"));
}

}  // namespace
}  // namespace vellumo::html
