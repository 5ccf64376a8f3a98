#include "html/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumo::html {
namespace {

TEST(HtmlToText, BlocksParagraphsAndBreaksGiveLines) {
  EXPECT_EQ(HtmlToText("<p>Dear Tomas,</p><p>the   lanterns\n are  ready.</p>"
                       "<div>one<br>two<br><br>four</div>"),
            "Dear Tomas,\r\n\r\nthe lanterns are ready.\r\n\r\none\r\ntwo\r\n\r\nfour");
  EXPECT_EQ(HtmlToText("<html><body>\n  <div><div>a</div></div>\n<div>b</div></body></html>"),
            "a\r\nb");
  EXPECT_EQ(HtmlToText(""), "");
  EXPECT_EQ(HtmlToText("   \n<p> </p>"), "");
}

TEST(HtmlToText, DropsHeadStyleScriptCommentsAndPictures) {
  EXPECT_EQ(HtmlToText("<html><head><title>T</title><style>p{color:red}</style></head>"
                       "<body><script>alert(1)</script><!--[if mso]>hidden<![endif]-->"
                       "<p>shown <img src=x alt=picture>text</p><template>no</template></body>"),
            "shown text");
}

TEST(HtmlToText, DecodesEntitiesAndKeepsPreformattedText) {
  EXPECT_EQ(HtmlToText("a&lt;b &amp; c&gt;d&nbsp;&eacute;&#x263A;"), "a<b & c>d\u00a0\u00e9\u263a");
  EXPECT_EQ(HtmlToText("<pre>x  =  1\n  y</pre>after"), "x  =  1\r\n  y\r\nafter");
}

TEST(HtmlToText, ListsGiveDashItemsIndentedByLevel) {
  EXPECT_EQ(HtmlToText("<p>Bring:</p><ul><li> brass</li><li>glass<ol><li>clear</li></ol></li>"
                       "</ul>done"),
            "Bring:\r\n\r\n- brass\r\n- glass\r\n  - clear\r\ndone");
}

TEST(HtmlToText, LinksShowTheirAddressWhenTheTextDiffers) {
  EXPECT_EQ(HtmlToText("<a href='https://x.example/a'>the map</a>, "
                       "<a href='https://x.example/b'>https://x.example/b</a>, "
                       "<a href='mailto:ann@x.example'>Ann</a>, <a href='#top'>top</a>"),
            "the map <https://x.example/a>, https://x.example/b, Ann, top");
}

TEST(HtmlToText, TableCellsAreSeparatedAndRowsOnTheirOwnLine) {
  EXPECT_EQ(HtmlToText("<table><tr><td>Item</td><td> Price </td></tr>"
                       "<tr><td>Lantern</td><td>12</td></tr></table>Total"),
            "Item\tPrice\r\nLantern\t12\r\nTotal");
}

TEST(HtmlToText, BrokenAndDeepMarkupStillGivesItsText) {
  EXPECT_EQ(HtmlToText("<p>open <b>bold <i>both</p>after</b> end"),
            "open bold both\r\n\r\nafter end");
  std::string deep;
  for (int i = 0; i < 50000; ++i) deep += "<div><span>";
  deep += "bottom<style>p{}</style>";
  for (int i = 0; i < 50000; ++i) deep += "</span></div>";
  EXPECT_EQ(HtmlToText(deep + "<p>after</p>"), "bottom\r\n\r\nafter");
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += "<p>line<br>";
  const std::string long_text = HtmlToText(lines + "<style>hidden</style>end");
  EXPECT_EQ(long_text.substr(0, 12), "line\r\n\r\nline");
  EXPECT_TRUE(long_text.ends_with("line\r\nend")) << "no style text, no lost break";
}

TEST(HtmlTitle, IsTheHeadTitleCollapsedAndDecoded) {
  EXPECT_EQ(HtmlTitle("<html><head><title>\n Morning  &amp; Paper </title></head><p>x</p>"),
            "Morning & Paper");
  EXPECT_EQ(HtmlTitle("<p>no title</p>"), "");
  // A title written in the body moves to the head as a browser reads it; a second one is ignored.
  EXPECT_EQ(HtmlTitle("<title>One</title><title>Two</title>"), "One");
}

// Text becomes HTML that shows the same: markup characters escaped, every kind of line end one
// break, and the round trip gives the text back.
TEST(TextAsHtml, EscapesAndBreaksEveryLineEnd) {
  EXPECT_EQ(TextAsHtml("a<b & c>\r\nd\re\nf"), "a&lt;b &amp; c&gt;<br>\r\nd<br>\r\ne<br>\r\nf");
  EXPECT_EQ(TextAsHtml("end\r\n"), "end<br>\r\n");
  EXPECT_EQ(TextAsHtml("\n\n"), "<br>\r\n<br>\r\n");
  EXPECT_EQ(TextAsHtml(""), "");
  EXPECT_EQ(HtmlToText(TextAsHtml("Fish & <chips>\r\nline two")), "Fish & <chips>\r\nline two");
}

}  // namespace
}  // namespace vellumo::html
