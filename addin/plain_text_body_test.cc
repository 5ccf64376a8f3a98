#include "addin/plain_text_body.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumo::addin {
namespace {

TEST(EscapePlainTextWithBreaks, EscapesMarkupAndTurnsEveryLineEndIntoABreak) {
  EXPECT_EQ(EscapePlainTextWithBreaks("a<b> & c\r\nd\ne\rf\r\n\r\n"),
            "a&lt;b&gt; &amp; c<br>d<br>e<br>f<br><br>");
  EXPECT_EQ(EscapePlainTextWithBreaks("Grüße – naïve"), "Grüße – naïve");
  EXPECT_EQ(EscapePlainTextWithBreaks(""), "");
}

TEST(PlainTextHtml, NewMessageWithAndWithoutDisclaimer) {
  PlainTextMessage message{.body = "Hi\r\nthere", .compact_signature = "SIG"};
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Hi<br>there<p>SIG</font></span>");
  message.disclaimer = "Confidential<br>";
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Hi<br>there<p>SIG<p>Confidential<br>"
            "</font></span>");
}

TEST(PlainTextHtml, ReplySplitsAtTheSeparatorWithTheStoredOffsets) {
  PlainTextMessage message{.body = "New text\r\n--Orig--\r\nOld text",
                           .compact_signature = "SIG",
                           .is_reply = true,
                           .reply_separator = "--Orig--"};
  // p = 11; head = the first 10 characters, tail from 12 on.
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>New text<br><p>SIG<P>-Orig--<br>Old text"
            "</font></span>");
  message.cut_before = "3";
  message.skip_after = "0";
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>New text<p>SIG<P>--Orig--<br>Old text"
            "</font></span>");
}

TEST(PlainTextHtml, OffsetsOutsideTheBodyAreClampedAndAMissingSeparatorIsANewMessage) {
  PlainTextMessage message{.body = "Ab--Orig--Cd",
                           .compact_signature = "S",
                           .is_reply = true,
                           .reply_separator = "--Orig--"};
  message.cut_before = "100";
  message.skip_after = "100";
  EXPECT_EQ(PlainTextHtml(message), "<span> <font face='Courier new' size=2><p>S<P></font></span>");
  message.cut_before = "-100";
  message.skip_after = "-100";
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Ab--Orig--Cd<p>S<P>Ab--Orig--Cd</font></span>");
  message.cut_before = "abc";  // Val gives 0: the head runs up to and including position p
  message.skip_after = "1e400";
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Ab-<p>S<P></font></span>");

  message.reply_separator = "--Other--";
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Ab--Orig--Cd<p>S"
            "</font></span>");
  message.reply_separator = "";
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Ab--Orig--Cd<p>S"
            "</font></span>");
}

TEST(PlainTextHtml, CountsCharactersNotBytes) {
  PlainTextMessage message{.body = "Grüße--Orig--Äh",
                           .compact_signature = "S",
                           .is_reply = true,
                           .reply_separator = "--Orig--",
                           .cut_before = "2"};
  EXPECT_EQ(PlainTextHtml(message),
            "<span> <font face='Courier new' size=2>Grüß<p>S<P>-Orig--Äh</font></span>");
}

}  // namespace
}  // namespace vellumo::addin
