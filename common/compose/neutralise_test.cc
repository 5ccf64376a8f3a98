#include "common/compose/neutralise.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/utf8.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"

namespace vellumo::compose {
namespace {

constexpr std::string_view kApp = "C:\\Vellumo";

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() { fs_.AddFolder(kApp); }
  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "Admin Settings", key, value);
  }
  void User(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "User Settings", key, value);
  }
  void AllSwitchesOn() {
    for (auto key : {"WipeoutHTML", "WipeOutFontControl", "WipeoutBlockquote", "WipeOutFileCompare",
                     "WipeoutHardRule"}) {
      Admin(key, "True");
    }
    User("WipeoutDivTag", "True");
  }
  std::string Rules(std::string text) {
    return ApplyUserTextRules(settings_, fs_, log_, kApp, std::move(text));
  }

  MemRegistry registry_;
  Settings settings_{registry_};
  MemFileSystem fs_;
  MemLog log_;
};

// Repeats a first-match rule until it changes nothing: the rules as the behaviour states them.
template <typename Rule>
std::string Repeat(std::string text, Rule rule) {
  while (rule(text)) {
  }
  return text;
}

// A random text over fragments that make and break the tags the picture rules look for.
std::string RandomTagSoup(std::mt19937& rng, const std::vector<std::string>& pieces, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
  return text;
}

// ---------------------------------------------------------------------------------------------

TEST(BodyReducer, DropsTheAttributesOfTheFirstBodyTag) {
  EXPECT_EQ(ReduceBody("<body bgcolor=red leftmargin=0>Hello"), "<BODY>Hello");
  EXPECT_EQ(ReduceBody("<html><Body background='x.gif'>Hi<body a>x</body>"),
            "<html><BODY>Hi<body a>x</body>");
  // Offsets stay those of the original text when non-ASCII text precedes the tag, also where
  // lower-casing changes a character's length.
  EXPECT_EQ(ReduceBody("\xC3\x89t\xC3\xA9 \xC4\xB0<body x=1>\xC3\xA9"),
            "\xC3\x89t\xC3\xA9 \xC4\xB0<BODY>\xC3\xA9");
}

TEST(BodyReducer, LeavesABareOpeningBodyAndUnfinishedTagsAlone) {
  EXPECT_EQ(ReduceBody("<body>Hi <b>there</b>"), "<body>Hi <b>there</b>");
  EXPECT_EQ(ReduceBody("<BODY>Hi"), "<BODY>Hi");
  EXPECT_EQ(ReduceBody("<html><body bgcolor=red"), "<html><body bgcolor=red");
  EXPECT_EQ(ReduceBody("no tag at all"), "no tag at all");
  // A bare tag further in is reduced to itself, in capitals.
  EXPECT_EQ(ReduceBody("x<body>y"), "x<BODY>y");
}

TEST(StyleEmptier, EmptiesTheFirstBareStyleBlockAndRaisesTheFlag) {
  StyleEmptied r = EmptyStyle("<html><style>p { color: red }</style><p>Hi");
  EXPECT_EQ(r.text, "<html><STYLE></STYLE><p>Hi");
  EXPECT_TRUE(r.style_found);

  r = EmptyStyle("<STYLE>a</Style>x<style>b</style>");
  EXPECT_EQ(r.text, "<STYLE></STYLE>x<style>b</style>");
  EXPECT_TRUE(r.style_found);
}

TEST(StyleEmptier, LeavesTextWithoutACompleteBareBlockUnchanged) {
  for (const char* text :
       {"<style type=\"text/css\">p{}</style>", "<style>p{} and no end", "plain text"}) {
    StyleEmptied r = EmptyStyle(text);
    EXPECT_EQ(r.text, text);
    EXPECT_FALSE(r.style_found) << text;
  }
  // A stray closing tag before the block does not make the text between them appear twice.
  StyleEmptied r = EmptyStyle("</style>A<style>B</style>C");
  EXPECT_EQ(r.text, "</style>A<STYLE></STYLE>C");
  EXPECT_TRUE(r.style_found);
}

TEST(PictureSwitch, HandlesOnlyTheFirstPictureEachCall) {
  std::string text = "<img src=a.gif><IMG ALT='Logo' src=b.gif><img id=rid7 src=c>";
  ASSERT_TRUE(SwitchFirstPicture(text));
  EXPECT_EQ(text, "<xxxIMG src=a.gif><IMG ALT='Logo' src=b.gif><img id=rid7 src=c>");
  ASSERT_TRUE(SwitchFirstPicture(text));
  EXPECT_EQ(text, "<xxxIMG src=a.gif><xIMG><img id=rid7 src=c>");
  ASSERT_TRUE(SwitchFirstPicture(text));
  EXPECT_EQ(text, "<xxxIMG src=a.gif><xIMG><xIMG>");
  EXPECT_FALSE(SwitchFirstPicture(text));

  ASSERT_TRUE(RestoreFirstPicture(text));
  EXPECT_EQ(text, "<IMG  src=a.gif><xIMG><xIMG>");
  EXPECT_FALSE(RestoreFirstPicture(text));
}

TEST(PictureSwitch, LooksOnlyAtTheTagTextAndStopsAtAnUnfinishedTag) {
  // "alt=" after the tag's ">" does not count.
  EXPECT_EQ(SwitchPictures("<img src=a><p alt=x>"), "<xxxIMG src=a><p alt=x>");
  // No ">" after the first picture: nothing more can be switched, and the loop ends.
  std::string text = "<img src=a><img src=b";
  EXPECT_EQ(SwitchPictures(text), "<xxxIMG src=a><img src=b");
  EXPECT_EQ(Repeat(text, SwitchFirstPicture), "<xxxIMG src=a><img src=b");
  EXPECT_EQ(RestorePictures("<XxXiMg src=a>"), "<IMG  src=a>");
}

TEST(PictureSwitch, ForwardWalksEqualTheRepeatedFirstMatchRules) {
  const std::vector<std::string> pieces = {
      "<img", "<IMG", "<iMg",    ">",       " alt=", " ALT=",   "id=rid", "ID=Rid",
      "id=",  "rid",  "alt",     "=",       "<",     "i",       "mg",     "x",
      " ",    "<xxx", "<xxxIMG", "<XXXimg", "xx",    "\xC3\xA9"};
  std::mt19937 rng(20240607);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomTagSoup(rng, pieces, 1 + static_cast<int>(rng() % 40));
    ASSERT_EQ(SwitchPictures(text), Repeat(text, SwitchFirstPicture)) << text;
    ASSERT_EQ(RestorePictures(text), Repeat(text, RestoreFirstPicture)) << text;
    // The switch and the restore in one walk, as the rule runs them.
    const std::string both = RestorePictures(SwitchPictures(text));
    std::string out = "left over";
    ASSERT_EQ(SwitchAndRestorePicturesInto(text, out), both != text) << text;
    ASSERT_EQ(both != text ? out : text, both) << text;
  }
}

TEST(WipeoutHtml, SwitchesPicturesOffOnlyWhenAStyleBlockWasEmptied) {
  EXPECT_EQ(WipeoutHtml("<body bgcolor=red><style>p{}</style><img src=a.gif>"
                        "<img alt=\"Logo\" src=b.gif><img id=rid1 src=c.gif>"),
            "<BODY><STYLE></STYLE><IMG  src=a.gif><xIMG><xIMG>");
  // A style tag with attributes is not emptied, so every picture stays as it was.
  const std::string with_attributes =
      "<style type=text/css>p{}</style><img alt=x src=a.gif><xxxIMG src=b>";
  EXPECT_EQ(WipeoutHtml(with_attributes), with_attributes);
}

TEST(WipeoutHtml, StaysLinearOnAMegabyteOfTags) {
  // Every picture shares one far ">": searching from the start for each would be quadratic.
  std::string pictures, expected;
  for (int i = 0; i < 200000; ++i) {
    pictures += "<img ";
    expected += "<IMG  ";
  }
  EXPECT_EQ(WipeoutHtml("<style>s</style>" + pictures + "> alt=x"),
            "<STYLE></STYLE>" + expected + "> alt=x");
  // No ">" at all after the pictures: the switch stops at the first.
  EXPECT_EQ(WipeoutHtml("<style></style>" + pictures), "<STYLE></STYLE>" + pictures);
}

TEST(WordPictures, EveryImgInAnyCaseBecomesXmg) {
  EXPECT_EQ(SwitchOffWordPictures("<img src=a.gif><IMG><Img alt=x>IMGimg see Imagery"),
            "<xMG src=a.gif><xMG><xMG alt=x>xMGxMG see Imagery");
}

namespace reference {

// The tag rules as first written: search a lowered copy of the text (A-Z folded), and restore
// or switch off pictures with the text module's case-insensitive replace.
std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string ReduceBody(std::string_view text) {
  const std::string lower = Lower(text);
  const size_t s = lower.find("<body");
  if (s == std::string::npos) return std::string(text);
  const size_t g = lower.find('>', s);
  if (g == std::string::npos || g == 5) return std::string(text);
  return std::string(text.substr(0, s)) + "<BODY>" + std::string(text.substr(g + 1));
}

StyleEmptied EmptyStyle(std::string_view text) {
  const std::string lower = Lower(text);
  const size_t s = lower.find("<style>");
  if (s == std::string::npos) return {std::string(text), false};
  const size_t e = lower.find("</style>", s + 7);
  if (e == std::string::npos) return {std::string(text), false};
  return {std::string(text.substr(0, s)) + "<STYLE></STYLE>" + std::string(text.substr(e + 8)),
          true};
}

bool SwitchFirstPicture(std::string& text) {
  const std::string lower = Lower(text);
  const size_t s = lower.find("<img");
  if (s == std::string::npos) return false;
  const size_t g = lower.find('>', s + 4);
  if (g == std::string::npos) return false;
  const std::string tag = lower.substr(s, g - s + 1);
  if (tag.find("id=rid") == std::string::npos && tag.find("alt=") == std::string::npos) {
    text.replace(s, 4, "<xxxIMG");
  } else {
    text.replace(s, g - s + 1, "<xIMG>");
  }
  return true;
}

std::string RestorePictures(std::string_view text) {
  return text::Replace(text, "<xxxIMG", "<IMG ", text::Compare::kText);
}

std::string SwitchOffWordPictures(std::string_view text) {
  return text::Replace(text, "IMG", "xMG", text::Compare::kText);
}

}  // namespace reference

TEST(TagRules, EqualTheRulesOnALoweredCopyAndTheUnicodeCaseInsensitiveReplace) {
  // Characters that fold or lower-case to ASCII, or change length when they do, sit among the
  // tags: the Kelvin sign, long s, dotted and dotless i, and invalid bytes.
  const std::vector<std::string> pieces = {"<img",
                                           "<IMG",
                                           "<iMg",
                                           ">",
                                           " alt=",
                                           " ALT=",
                                           "id=rid",
                                           "ID=Rid",
                                           "<body",
                                           "<BODY",
                                           "<bOdY ",
                                           "<style>",
                                           "<STYLE>",
                                           "</style>",
                                           "</STYLE>",
                                           "<xxxIMG",
                                           "<XXXimg",
                                           "<xxx",
                                           "img",
                                           "IMG",
                                           "i",
                                           "mg",
                                           "<",
                                           "x",
                                           " ",
                                           "\xC3\xA9",
                                           "\xE2\x84\xAA",
                                           "\xC5\xBF",
                                           "\xC4\xB0",
                                           "\xC4\xB1",
                                           "\x80",
                                           "\xE2\x82",
                                           "<x\xC3\x97xIMG",
                                           "<xxx\xC4\xB0MG"};
  std::mt19937 rng(20261208);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomTagSoup(rng, pieces, 1 + static_cast<int>(rng() % 40));
    ASSERT_EQ(ReduceBody(text), reference::ReduceBody(text)) << text;
    const StyleEmptied emptied = EmptyStyle(text);
    const StyleEmptied expected = reference::EmptyStyle(text);
    ASSERT_EQ(emptied.text, expected.text) << text;
    ASSERT_EQ(emptied.style_found, expected.style_found) << text;
    ASSERT_EQ(SwitchPictures(text), Repeat(text, reference::SwitchFirstPicture)) << text;
    ASSERT_EQ(RestorePictures(text), reference::RestorePictures(text)) << text;
    ASSERT_EQ(SwitchOffWordPictures(text), reference::SwitchOffWordPictures(text)) << text;
  }
}

TEST(TagRules, NoCharacterBeyondAsciiFoldsOntoATagLetter) {
  // The picture rules ignore case by folding A-Z only; that equals full case folding as long as
  // nothing outside ASCII folds onto a letter of "<xxximg" (the Kelvin sign folds to "k", the long
  // s to "s": neither is one).
  for (char32_t cp = 0x80; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string utf8;
    text::internal::AppendUtf8(utf8, cp);
    const std::string folded = text::FoldCase(utf8);
    if (folded.size() != 1) continue;
    EXPECT_EQ(std::string_view("<xim>g").find(folded[0]), std::string_view::npos)
        << "U+" << std::hex << static_cast<uint32_t>(cp);
  }
}

// ---------------------------------------------------------------------------------------------

TEST_F(RulesTest, OnlyTheBlockquoteRuleIsOnByDefault) {
  const std::string text =
      "<body bgcolor=red><div><font face=Arial size=2><BLOCKQUOTE>q</BLOCKQUOTE>"
      "<blockquote>b</blockquote></font></div><hr>";
  EXPECT_EQ(Rules(text),
            "<body bgcolor=red><div><font face=Arial size=2><xBLOCKQUOTE>q</xBLOCKQUOTE>"
            "<blockquote>b</blockquote></font></div><hr>");
  EXPECT_TRUE(fs_.files_written().empty());
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(RulesTest, EverySwitchOnRunsTheRulesInOrderAroundTheAfterDump) {
  AllSwitchesOn();
  WriteBeforeDump(settings_, fs_, log_, kApp, "<div>raw</div>");
  const std::string out = Rules(
      "<body bgcolor=red><div><font face=Arial size=2>Hi</font></div>"
      "<BLOCKQUOTE>q</BLOCKQUOTE><hr size=1>");
  EXPECT_EQ(out,
            "<BODY><font xface=Arial xsize=2>Hi</font><br><xBLOCKQUOTE>q</xBLOCKQUOTE>"
            "<xhr xsize=1>");
  EXPECT_EQ(fs_.Contents("C:\\Vellumo\\beforetext.txt"), "<div>raw</div>\r\n");
  // The after dump comes before the hard-rule rule.
  EXPECT_EQ(fs_.Contents("C:\\Vellumo\\aftertext.txt"),
            "<BODY><font xface=Arial xsize=2>Hi</font><br><xBLOCKQUOTE>q</xBLOCKQUOTE>"
            "<hr xsize=1>\r\n");
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(RulesTest, SwitchesMustBeExactlyTrueAndInTheirOwnSection) {
  Admin("WipeoutBlockquote", "true");
  Admin("WipeoutHardRule", "TRUE");
  Admin("WipeoutDivTag", "True");      // the div rule reads User Settings
  User("WipeOutFontControl", "True");  // and the font rule Admin Settings
  const std::string text = "<div><BLOCKQUOTE><hr face=x></div>";
  EXPECT_EQ(Rules(text), text);
  WriteBeforeDump(settings_, fs_, log_, kApp, text);
  EXPECT_TRUE(fs_.files_written().empty());
}

TEST_F(RulesTest, AFailedDumpIsLoggedAndTheRulesGoOn) {
  AllSwitchesOn();
  FaultyFileSystem faulty(fs_);
  faulty.FailOn(FaultyFileSystem::Call::kWriteFile, "text.txt", ErrorCode::kPermissionDenied);
  WriteBeforeDump(settings_, faulty, log_, kApp, "x");
  const std::string out = ApplyUserTextRules(settings_, faulty, log_, kApp, "<hr>");
  EXPECT_EQ(out, "<xhr>");
  const MemLog::Entry dump_failed{"error", "Permission denied",
                                  "CreateHTMLBody- error HTML File Compare", "CompareFile_Err"};
  EXPECT_EQ(log_.entries, (std::vector<MemLog::Entry>{dump_failed, dump_failed}));
}

TEST_F(RulesTest, EachStepLogsItsOwnFailureAndLeavesTheTextForTheNext) {
  struct Case {
    int read;  // which switch read fails, counting from 0
    std::string where, label, out;
  };
  const std::string text = "<body x><div>a</div><font size=1><BLOCKQUOTE><hr>";
  const std::vector<Case> cases = {
      {0, "CreateHTMLBody- error Wipeout HTML", "WipeoutHTML_Err",
       "<body x>a<br><font xsize=1><xBLOCKQUOTE><xhr>"},
      {1, "CreateHTMLBody- error FontControl", "FontControl_Err",
       "<BODY>a<br><font size=1><xBLOCKQUOTE><xhr>"},
      {2, "CreateHTMLBody- error DivControl", "DivControl_Err",
       "<BODY><div>a<br><font xsize=1><xBLOCKQUOTE><xhr>"},
      {3, "CreateHTMLBody- error EndDIvControl", "EndDivControl_Err",
       "<BODY>a</div><font xsize=1><xBLOCKQUOTE><xhr>"},
      {4, "CreateHTMLBody- error FontControl", "FontControl_Err",
       "<BODY>a<br><font xsize=1><BLOCKQUOTE><xhr>"},
      {5, "CreateHTMLBody- error HTML File Compare", "CompareFile_Err",
       "<BODY>a<br><font xsize=1><xBLOCKQUOTE><xhr>"},
      {6, "CreateHTMLBody- error FontControl", "FontControl_Err",
       "<BODY>a<br><font xsize=1><xBLOCKQUOTE><hr>"},
  };
  AllSwitchesOn();
  for (const Case& c : cases) {
    FaultyRegistry faulty(registry_);
    Settings settings(faulty);
    MemLog log;
    faulty.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, c.read);
    EXPECT_EQ(ApplyUserTextRules(settings, fs_, log, kApp, text), c.out) << c.label;
    EXPECT_EQ(log.entries,
              (std::vector<MemLog::Entry>{{"error", "Permission denied", c.where, c.label}}));
  }
}

// ---------------------------------------------------------------------------------------------

TEST_F(RulesTest, ReplySignatureSitsInAFullWidthTableUnlessSwitchedOff) {
  EXPECT_EQ(AddReplySignature(settings_, "Thanks", "Jo"),
            "<TABLE  width='100%' cellspacing='0' cellpadding='0' border='0'>Thanks<P>Jo</TABLE>");
  Admin("WipeoutSignatureTable", "False");
  EXPECT_EQ(AddReplySignature(settings_, "Thanks", "Jo"), "Thanks<P>Jo");
}

// The font rule walks once for both of its replacements; it must give what the two replace-alls
// give one after the other, around invalid UTF-8 and with the patterns back to back.
TEST(FontControl, OneWalkEqualsTheTwoReplacementsInTurn) {
  const std::string pieces[] = {"face=", "size=",    "fac",  "e=",     "siz",
                                "x",     "\xC3\xA9", "\x80", "<font ", "="};
  std::mt19937 rng(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = static_cast<int>(rng() % 16); i > 0; --i) text += pieces[rng() % 10];
    const std::string expected =
        text::Replace(text::Replace(text, "face=", "xface="), "size=", "xsize=");
    ASSERT_EQ(WipeoutFontControl(text), expected) << text;
  }
}

TEST(ReplyTags, TagGroupPutsAnXBeforeEachListedText) {
  EXPECT_EQ(RemoveReplyTags("<TABLE><TR><TD>x</TD></TR></TABLE>", "", "", "TABLE,TD"),
            "<xTABLE><TR><xTD>x</xTD></TR></xTABLE>");
  // No trimming: " TD" only matches after a space and keeps its space; an empty element
  // changes nothing.
  EXPECT_EQ(RemoveReplyTags("<TD> TD", "", "", "TABLE, TD,"), "<TD>x TD");
  // In list order, so a repeated element doubles the x.
  EXPECT_EQ(RemoveReplyTags("<P>", "", "", "P,P"), "<xxP>");
  EXPECT_EQ(RemoveReplyTags("<TABLE>", "", "", "TABLE,NONE"), "<TABLE>");
  EXPECT_EQ(RemoveReplyTags("<TABLE>", "", "", "none,TABLE"), "<xTABLE>");
}

TEST(ReplyTags, BeginThenEndTagsBecomeCommentMarks) {
  EXPECT_EQ(RemoveReplyTags("<table border=1>x</table>", "<table", "</table>", ""),
            "<!--  border=1>x -->");
  // The end rule runs over what the begin rule put in.
  EXPECT_EQ(RemoveReplyTags("a", "a", "-", ""), "<! --> --> ");
}

TEST_F(RulesTest, ReplyRulesNeedTheirSwitchesAndRunTagsBeforeSmallFont) {
  Admin("WipeoutHTMLBeginTag", "<table");
  Admin("WipeoutHTMLTagsGroup", "span");
  const std::string history = "<table><span>q</span>";
  EXPECT_EQ(ApplyReplyRules(settings_, history), history);

  Admin("RemoveReplyTags", "True");
  Admin("WipeoutReplyFontSmall", "True");
  EXPECT_EQ(ApplyReplyRules(settings_, history), "<span font size=1><!-- ><xspan>q</xspan></span>");
}

TEST_F(RulesTest, ReplySeparatorDefaultsToARule) {
  EXPECT_EQ(ReplySeparatorMarkup(settings_), "<hr>");
  Admin("WipeoutReplySeparator", "<br>----<br>");
  EXPECT_EQ(ReplySeparatorMarkup(settings_), "<br>----<br>");
}

// ---------------------------------------------------------------------------------------------

std::string Link(std::string_view word) {
  return "<a href=\"http://" + std::string(word) + "\">" + std::string(word) + "</a>";
}

TEST(LinkMaker, StopsAtPunctuationButKeepsAFullStop) {
  EXPECT_EQ(MakeWwwLinks("Visit www.corvane.com, or www.example.org."),
            "Visit " + Link("www.corvane.com") + ", or " + Link("www.example.org."));
  for (char stop : std::string(" \t)?,:;!\r")) {
    EXPECT_EQ(MakeWwwLinks(std::string("(www.a.b") + stop + "c"),
              "(" + Link("www.a.b") + stop + "c")
        << static_cast<int>(stop);
  }
  // A lone LF is not a stop; a word may end the text.
  EXPECT_EQ(MakeWwwLinks("www.a\nb c www.z"), Link("www.a\nb") + " c " + Link("www.z"));
  EXPECT_EQ(MakeWwwLinks("WWW.upper and nothing"), "WWW.upper and nothing");
  EXPECT_EQ(MakeWwwLinks("caf\xC3\xA9 www.caf\xC3\xA9.fr!"),
            "caf\xC3\xA9 " + Link("www.caf\xC3\xA9.fr") + "!");
}

TEST(LinkMaker, LinksRepeatedAndNestedWordsOnceEach) {
  EXPECT_EQ(MakeWwwLinks("www.a.com or www.a.com"), Link("www.a.com") + " or " + Link("www.a.com"));
  EXPECT_EQ(MakeWwwLinks("www.a.co www.a.com"), Link("www.a.co") + " " + Link("www.a.com"));
  EXPECT_EQ(MakeWwwLinks("www.www.a"), Link("www.www.a"));
  EXPECT_EQ(MakeWwwLinks("x", ""), "x");
  // A search text that starts with a stop character reads empty words: nothing to link.
  EXPECT_EQ(MakeWwwLinks("a b c", " "), "a b c");
}

// The link maker as first written: collect the words, then for each word replace every
// occurrence in the whole text, links put in before included.
std::string LinkEachWordEverywhere(const std::string& text, const std::string& search,
                                   std::vector<std::string>* words_out) {
  std::vector<std::string> words;
  for (size_t hit = text.find(search); hit != std::string::npos; hit = text.find(search, hit + 1)) {
    size_t end = hit;
    while (end < text.size() &&
           std::string_view(" \t)?,:;!\r").find(text[end]) == std::string_view::npos) {
      ++end;
    }
    words.push_back(text.substr(hit, end - hit));
  }
  std::string out = text;
  for (const std::string& w : words) out = text::Replace(out, w, Link(w));
  if (words_out) *words_out = words;
  return out;
}

TEST(LinkMaker, OnePassEqualsLinkingEachWordEverywhereWhenWordsAreDistinct) {
  const std::vector<std::string> fillers = {"", "x", "ww", "w", "w.", "\xC3\xA9", "\n", "www."};
  const std::string stops = " \t)?,:;!\r";
  std::mt19937 rng(7);
  int compared = 0;
  int compared_several = 0;
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (int n = static_cast<int>(rng() % 6); n > 0; --n) {
      text += fillers[rng() % fillers.size()];
      if (rng() % 4 != 0) {
        text += "www.";
        for (int len = 1 + static_cast<int>(rng() % 6); len > 0; --len) text += "abc.w"[rng() % 5];
      }
      text += stops[rng() % stops.size()];
    }
    std::vector<std::string> words;
    const std::string literal = LinkEachWordEverywhere(text, "www.", &words);
    bool distinct = true;
    for (size_t i = 0; i < words.size() && distinct; ++i) {
      for (size_t j = 0; j < words.size() && distinct; ++j) {
        if (i != j && words[j].find(words[i]) != std::string::npos) distinct = false;
      }
    }
    if (!distinct) continue;
    ++compared;
    if (words.size() > 1) ++compared_several;
    ASSERT_EQ(MakeWwwLinks(text), literal) << text;
  }
  EXPECT_GT(compared, 1000);
  EXPECT_GT(compared_several, 200);
  // Where they differ, the per-word replace puts a link inside an earlier link's address.
  EXPECT_NE(LinkEachWordEverywhere("www.a www.a", "www.", nullptr).find("http://<a"),
            std::string::npos);
}

TEST(LinkMaker, StaysLinearOnAMegabyteOfWords) {
  std::string text;
  while (text.size() < (1u << 20)) text += "www.same.com www.www. ";
  const std::string out = MakeWwwLinks(text);
  const std::string first = Link("www.same.com") + " " + Link("www.www.") + " ";
  EXPECT_EQ(out.substr(0, 2 * first.size()), first + first);
}

// ---------------------------------------------------------------------------------------------

TEST_F(RulesTest, BoilerplateIsEachLineFollowedByABreakBetweenBreaks) {
  Admin("HTM Files Path", "C:\\Bplates");
  fs_.AddFile("C:\\Bplates\\crlf.txt", "First line\r\nSecond\r\n");
  fs_.AddFile("C:\\Bplates\\lf.txt", "First line\nSecond");
  fs_.AddFile("C:\\Bplates\\cr.txt", "First line\rSecond\r");
  fs_.AddFile("C:\\Bplates\\blank.txt", "a\r\n\r\nb");
  fs_.AddFile("C:\\Bplates\\empty.txt", "");
  fs_.AddFile("C:\\Bplates\\latin1.txt", "caf\xE9");
  for (const char* name : {"crlf.txt", "lf.txt", "cr.txt"}) {
    EXPECT_EQ(LoadBoilerplate(settings_, fs_, name), "<BR>First line<BR>Second<BR><BR>") << name;
  }
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, "blank.txt"), "<BR>a<BR><BR>b<BR><BR>");
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, "empty.txt"), "<BR><BR>");
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, "latin1.txt"), "<BR>caf\xC3\xA9<BR><BR>");
  EXPECT_EQ(fs_.files_read().back(), "C:\\Bplates/latin1.txt");
}

TEST_F(RulesTest, BoilerplateNoneIsEmptyAndAMissingFileNamesItself) {
  Admin("HTM Files Path", "C:\\Bplates");
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, ""), "");
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, "None"), "");
  EXPECT_TRUE(fs_.files_read().empty());
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, "none"), "C:\\Bplates/none - none");
  EXPECT_EQ(LoadBoilerplate(settings_, fs_, "gone.txt"), "C:\\Bplates/gone.txt - gone.txt");
}

TEST(TemplateNameTrimmer, KeepsThePartBeforeTheFirstTemplateMark) {
  EXPECT_EQ(TrimTemplateName("Corporate_template.htm"), "Corporate");
  EXPECT_EQ(TrimTemplateName("a_template_b_template.rtf"), "a");
  EXPECT_EQ(TrimTemplateName("_template.txt"), "");
  EXPECT_EQ(TrimTemplateName("Plain.htm"), "Plain.htm");
}

}  // namespace
}  // namespace vellumo::compose
