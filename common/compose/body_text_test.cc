#include "common/compose/body_text.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/mem_file_system.h"

namespace vellumo::compose {
namespace {

TEST(PlainTextToDivLines, LinesTabsAndBlanks) {
  EXPECT_EQ(PlainTextToDivLines(""), "");
  EXPECT_EQ(PlainTextToDivLines("one\r\n  \r\ntwo"),
            "<div><span>one</span></div><div><span>  </span></div>&nbsp"
            "<div><span>two</span></div>&nbsp;&nbsp;&nbsp;");
  // Every TAB becomes three spaces; an empty piece between two TABs gets one more, without
  // its semicolon.
  EXPECT_EQ(PlainTextToDivLines("x\t\ty"),
            "<div><span>x&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbspy</span></div>"
            "&nbsp;&nbsp;&nbsp;");
  // Only CR LF ends a line here.
  EXPECT_EQ(PlainTextToDivLines("a\nb\rc"), "<div><span>a\nb\rc</span></div>&nbsp;&nbsp;&nbsp;");
  // A trailing CR LF leaves a last empty line.
  EXPECT_EQ(PlainTextToDivLines("a\r\n"),
            "<div><span>a</span></div><div><span></span></div>&nbsp&nbsp;&nbsp;&nbsp;");
}

TEST(PlainTextToDivLines, MakesWwwWordsLinks) {
  EXPECT_EQ(PlainTextToDivLines("see www.example.com, now"),
            "<div><span>see <a href=\"http://www.example.com\">www.example.com</a>, now"
            "</span></div>&nbsp;&nbsp;&nbsp;");
}

TEST(CutReply, SplitsAroundTheSeparator) {
  ReplyParts parts = CutReply("newSEPold", 4, "1", "1");
  EXPECT_EQ(parts.new_text, "new");
  EXPECT_EQ(parts.quoted_text, "EPold");
  parts = CutReply("newSEPold", 4, "0", "3");
  EXPECT_EQ(parts.new_text, "newS");
  EXPECT_EQ(parts.quoted_text, "old");
  parts = CutReply("newSEPold", 4, "1", "99");
  EXPECT_EQ(parts.quoted_text, "");
  // Numbers round half to even, as a classic Long.
  parts = CutReply("abXcd", 3, "0.5", " 0.5");
  EXPECT_EQ(parts.new_text, "ab");
  EXPECT_EQ(parts.quoted_text, "cd");
  // Characters, not bytes.
  parts = CutReply("ÄÖSEPÜ", 3, "1", "3");
  EXPECT_EQ(parts.new_text, "ÄÖ");
  EXPECT_EQ(parts.quoted_text, "Ü");
}

TEST(CutReply, EmptyNewTextOrHistoryBeforeTheTextFails) {
  EXPECT_THROW((void)CutReply("SEPold", 1, "1", "1"), Error);  // separator at the start
  EXPECT_THROW((void)CutReply("text", 0, "1", "1"), Error);    // not found
  EXPECT_THROW((void)CutReply("text", 0, "0", "1"), Error);
  EXPECT_THROW((void)CutReply("newSEP", 4, "1", "-4"), Error);
  EXPECT_THROW((void)CutReply("newSEP", 4, "-1e300", "1"), Error);
  EXPECT_NO_THROW((void)CutReply("newSEP", 4, "abc", "1"));  // Val("abc") is 0
}

TEST(ReadFileLines, DecodesAndEndsEveryLine) {
  MemFileSystem fs;
  fs.AddFile("C:\\a.txt", "one\r\ntwo\nthree\rfour");
  EXPECT_EQ(ReadFileLines(fs, "C:\\a.txt", "\r\n"), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(ReadFileLines(fs, "C:\\a.txt", " "), "one two three four ");
  fs.AddFile("C:\\b.txt",
             "\xef\xbb\xbf"
             "caf\xc3\xa9\r\n");
  EXPECT_EQ(ReadFileLines(fs, "C:\\b.txt", "|"), "café|");
  fs.AddFile("C:\\c.txt", "");
  EXPECT_EQ(ReadFileLines(fs, "C:\\c.txt", "|"), "");
  EXPECT_THROW((void)ReadFileLines(fs, "C:\\missing.txt", "|"), Error);
}

}  // namespace
}  // namespace vellumo::compose
