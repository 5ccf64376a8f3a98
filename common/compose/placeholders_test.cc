#include "common/compose/placeholders.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "common/compose/fill_tables.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "platform/mem_registry.h"

namespace vellumo::compose {
namespace {

class FillTest : public ::testing::Test {
 protected:
  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "Admin Settings", key, value);
  }
  void User(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "User Settings", key, value);
  }
  void Swap(int i, std::string_view code, std::string_view swap) {
    settings_.SaveSetting("Vellumo", "Template Settings", "UserCode" + std::to_string(i), code);
    settings_.SaveSetting("Vellumo", "Template Settings", "UserSwap" + std::to_string(i), swap);
  }
  std::string Compose(std::string_view text) {
    return FillCompositionPlaceholders(settings_, text);
  }
  std::string SigFile(std::string_view text) {
    return FillSignatureFilePlaceholders(settings_, text);
  }

  MemRegistry registry_;
  Settings settings_{registry_};
};

// ---------------------------------------------------------------------------------------------
// Composition fill: one test per empty-line family, empty and filled.

TEST_F(FillTest, EmptyTelephoneTakesEachLabelledLineAwayAndKeepsClosingTags) {
  EXPECT_EQ(Compose("<FONT>Tel:</FONT> [#SigTelephone#]<BR>"), "<FONT></FONT>");
  EXPECT_EQ(Compose("A Phone: [#SigTelephone#] <br>B TEL</font>&nbsp; [#SigTelephone#]<br>"
                    "C TEL</B> [#SigTelephone#]<BR>D Tel: [#SigTelephone#]<BR>"
                    "E [#SigTelephoneLabel#][#SigTelephone#] <BR>"
                    "F [#SigTelephoneLabel#] [#SigTelephone#]<br>G [#SigTelephone#]"),
            "A B </font>C </B>D E F  G ");
  // Only exact spellings match.
  EXPECT_EQ(Compose("tel: [#SigTelephone#]<Br>"), "tel: <Br>");
}

TEST_F(FillTest, TelephoneValueFillsThePlaceholderAndTheLabel) {
  Admin("SigTelephone", "555-1234");
  EXPECT_EQ(Compose("Tel: [#SigTelephone#]<BR>[#SigTelephoneLabel#] [#SigTelephone#]"),
            "Tel: 555-1234<BR>Tel: 555-1234");
  Admin("SigTelephoneLabel", "Phone");
  EXPECT_EQ(Compose("[#SigTelephoneLabel#] [#SigTelephone#]"), "Phone 555-1234");
}

TEST_F(FillTest, EmptyFaxRemovesItsLinesAndLabel) {
  EXPECT_EQ(Compose("[#SigFaxLabel#][#SigFax#]<BR>"), "");
  EXPECT_EQ(Compose("a Fax:</B> [#SigFax#]<BR>b FAX</FONT>&nbsp; [#SigFax#]<BR>"
                    "c FAX [#SigFax#] <br>d [#SigFaxlabel#][#SigFax#]<br>e [#SigFax#] <BR>"
                    "f Fax:</font> [#SigFax#]<br>g [#SigFaxLabel#]: [#SigFax#]"),
            "a </B>b </FONT>c d e f </font>g : ");
}

TEST_F(FillTest, FaxValueKeepsItsLineAndTheLabelDefaultsToFax) {
  Admin("SigFax", "555-9876");
  EXPECT_EQ(Compose("Fax: [#SigFax#]<BR>[#SigFaxLabel#] [#SigFax#]"),
            "Fax: 555-9876<BR>Fax: 555-9876");
}

TEST_F(FillTest, EmptyCellRemovesItsLinesAndLabel) {
  EXPECT_EQ(Compose("Cell:</FONT> [#SigCell#]<BR>x CELL</font>&nbsp; [#SigCell#]<br>"
                    "y [#SigCellLabel#][#SigCell#]<BR>z CELL</B> [#SigCell#]<BR>w [#SigCell#]"),
            "</FONT>x </font>y z </B>w ");
  Admin("SigCell", "07700");
  EXPECT_EQ(Compose("[#SigCellLabel#] [#SigCell#]<BR>"), "Cell: 07700<BR>");
}

TEST_F(FillTest, EmptyPositionRemovesTheFrenchLinesTooButFillsTheFrenchValueElsewhere) {
  Admin("SigPositionFR", "Directrice");
  EXPECT_EQ(Compose("<FONT>[#SigPosition#]</FONT><BR>[#SigPositionFR#] <br>"
                    "<font>[#SigPositionFR#]</font><br>Titre: [#SigPositionFR#]"),
            "<FONT></FONT><font></font>Titre: Directrice");
  Admin("SigPosition", "Manager");
  EXPECT_EQ(Compose("[#SigPosition#]<BR>[#SigPositionFR#]<BR>"), "Manager<BR>Directrice<BR>");
}

// ---------------------------------------------------------------------------------------------
// Composition fill: the other steps and their order.

TEST_F(FillTest, QuoteComesFirstAndFileAddressesBecomeWebAddressesForRtfOnly) {
  User("SendQuoteString", "See file://q");
  EXPECT_EQ(Compose("[#SigQuote#] <img src=file://c/x.gif>"), " <img src=file://c/x.gif>");
  User("SendQuote", "True");
  EXPECT_EQ(Compose("[#SigQuote#] <img src=file://c/x.gif>"),
            "See file://q <img src=file://c/x.gif>");
  User("RTFOnly", "True");
  EXPECT_EQ(Compose("[#SigQuote#] <img src=file://c/x.gif>"),
            "See http://q <img src=http://c/x.gif>");
}

TEST_F(FillTest, ValuesGoInAsStoredAndLaterStepsFillPlaceholdersThatValuesBroughtIn) {
  Admin("SigFullname", "[#SigEmail#] <b>&amp;</b> ");
  Admin("SigEmail", "[#SigFullname#]");
  EXPECT_EQ(Compose("[#SigFullname#]/[#SigEmail#]"),
            "[#SigFullname#] <b>&amp;</b> /[#SigFullname#]");
}

TEST_F(FillTest, CompositionFillsProfileImageAndWebPlaceholders) {
  const char* keys[] = {"SigFullnameFR",
                        "SigAddress",
                        "SigAddress4FR",
                        "SigOrganizationName",
                        "SigOrganizationNameFR",
                        "SigWebsite",
                        "SigWebsiteFR",
                        "SigWebsiteCustom1",
                        "SigWebsiteCustom10",
                        "SigWebsiteDisplayName",
                        "SigWebsiteDisplayNameFR",
                        "SigGifFile",
                        "SigGifFile5",
                        "SigJPEGFile",
                        "SigJPEGFile3"};
  std::string text, expected;
  for (const char* key : keys) {
    Admin(key, std::string("<") + key + ">");
    text += std::string("[#") + key + "#]";
    expected += std::string("<") + key + ">";
  }
  EXPECT_EQ(Compose(text), expected);
  // Fields of the signature files only, and unset fields, as the fill leaves or empties them.
  EXPECT_EQ(Compose("[#SigDivision#][#SigBranchFR#][#SigPositionLabel#]|[#SigAddress3#]"
                    "[#SigWebsiteCustom7#][#SigJPEGFile5#]|"),
            "[#SigDivision#][#SigBranchFR#][#SigPositionLabel#]||");
}

TEST_F(FillTest, ConvertedBreaksLoseOneBreakPerMatchAndColourComesLast) {
  const std::string three = "<BR>\r\n<BR>\r\n<BR>[#SigBGColor#]";
  EXPECT_EQ(Compose(three), "<BR>\r\n<BR>\r\n<BR>#FFFFFF");
  Admin("WipeoutRemoveConvertedBR", "True");
  Admin("SigBGColor", "#000080");
  EXPECT_EQ(Compose(three), "\r\n<BR>\r\n<BR>#000080");
  // The telephone line goes before the breaks are merged.
  EXPECT_EQ(Compose("<BR>\r\nTel: [#SigTelephone#]<BR><BR>"), "\r\n<BR>");
}

TEST_F(FillTest, ASettingsFailureReachesTheCaller) {
  FaultyRegistry faulty(registry_);
  Settings settings(faulty);
  faulty.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, 5);
  EXPECT_THROW((void)FillCompositionPlaceholders(settings, "[#SigFax#]"), Error);
  faulty.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, 5);
  EXPECT_THROW((void)FillSignatureFilePlaceholders(settings, "[#SigFax#]"), Error);
}

// ---------------------------------------------------------------------------------------------
// Signature-file fill.

TEST_F(FillTest, SignatureFileFillsItsOwnSetAndLeavesTheRest) {
  const std::string untouched =
      "[#SigGifFile#][#SigQuote#][#SigBGColor#][#SigWebsiteCustom1#][#SigJPEGFile2#]";
  EXPECT_EQ(SigFile(untouched), untouched);
  Admin("SigDivision", "Sales");
  Admin("SigBranchFR", "Paris");
  Admin("SigPosition", "Chef");
  Admin("SigPositionLabel", "Title:");
  Admin("SigTelephone", "555");
  EXPECT_EQ(SigFile("[#SigDivision#]/[#SigBranchFR#] [#SigPositionLabel#] [#SigPosition#] "
                    "[#SigTelephoneLabel#][#SigTelephone#] [#SigFaxLabel#]"),
            "Sales/Paris Title: Chef 555 ");
}

TEST_F(FillTest, SignatureFileEmptyFaxAndCellUseTheEmptyStringSettings) {
  EXPECT_EQ(SigFile("<font>FAX</font>&nbsp; [#SigFax#]<br>{\\b FAX}\\tab [#SigFax#]\\par "
                    "<font>CELL</font>&nbsp; [#SigCell#]<br>CELL [#SigCell#]"),
            "<font></font><br>{\\b }\\tab \\par <font></font><br> ");
  Admin("SigCellEmptyStringHTM", "Mobile: [#SigCell#]<br>");
  Admin("SigCellEmptyStringReplaceHTM", "");
  Admin("SigCellEmptyStringRTFTXT", "Mob");
  Admin("SigCellEmptyStringReplaceRTFTXT", "-");
  EXPECT_EQ(SigFile("a Mobile: [#SigCell#]<br>b Mob [#SigCell#] CELL"), "a b -  CELL");
  Admin("SigFax", "555");
  EXPECT_EQ(SigFile("FAX [#SigFax#]"), "FAX 555");
}

TEST_F(FillTest, SignatureFileRepairsBrokenLinksBeforeFillingPlaceholders) {
  Admin("SigEmail", "jo@corvane.com");
  Admin("SigWebsite", "www.corvane.com");
  EXPECT_EQ(SigFile(R"(<a href="mailto:%5b" \\l "SigEmail#]">[#SigEmail#]</a>)"),
            R"(<a href="mailto:jo@corvane.com">jo@corvane.com</a>)");
  EXPECT_EQ(
      SigFile(
          R"x(HYPERLINK "file:///C:\\\\Program%20Files\\\\Corvane\\\\Vellumo\\\\Signatures\\\\%5b" \\l "SigWebsite#]")x"),
      R"(HYPERLINK "www.corvane.com")");
  EXPECT_EQ(SigFile(R"(<a href="outbind://2/[#SigWebsite#]">[#SigWebsite#]</a>)"),
            R"(<a href="www.corvane.com">www.corvane.com</a>)");
  // Fragments a repair could not place go.
  EXPECT_EQ(SigFile("x#SigEmail#]y#SigWebsite#]z"), "xyz");
}

TEST_F(FillTest, SignatureFileRepairsTheKnownRtfSplitsOnly) {
  Admin("SigWebsiteDisplayName", "Corvane");
  Admin("SigAddress2", "Line 2");
  Admin("SigAddress4", "Line 4");
  EXPECT_EQ(
      SigFile(R"({[#SigWebsiteDispl\hich\af27\dbch\af17\loch\f27 ayName#]}\par )"
              R"({[#SigAddress\hich\af27\dbch\af17\loch\f27 2\hich\af27\dbch\af17\loch\f27 #]})"
              R"({[#SigAddress\hich\af27\dbch\af17\loch\f27 4\hich\af27\dbch\af17\loch\f27 #]})"
              R"({[#SigAddress\hich\af27\dbch\af17\loch\f27 3\hich\af27\dbch\af17\loch\f27 #]})"
              R"({[#SigFull\hich\af27\dbch\af17\loch\f27 name#]})"),
      R"({Corvane}\par {Line 2}{Line 4}{}{[#SigFull\hich\af27\dbch\af17\loch\f27 name#]})");
}

TEST_F(FillTest, UserSubstitutionsRunInOrderOnlyForCompletePairs) {
  Swap(1, "A", "B");
  Swap(2, "B", "C");
  Swap(3, "X", "");
  Swap(4, "", "Y");
  settings_.SaveSetting("Vellumo", "Admin Settings", "UserCode5", "Z");
  settings_.SaveSetting("Vellumo", "Admin Settings", "UserSwap5", "z");
  EXPECT_EQ(ApplyUserSubstitutions(settings_, "AB XZ"), "CC XZ");
  // The signature-file fill substitutes last, so the codes also match inserted values.
  Admin("SigOrganizationName", "A Ltd");
  EXPECT_EQ(SigFile("[#SigOrganizationName#]"), "C Ltd");
  // The composition fill does not substitute: the composition does that before it.
  EXPECT_EQ(Compose("[#SigOrganizationName#]"), "A Ltd");
}

// ---------------------------------------------------------------------------------------------
// The fills against the plain chain of replace-alls they stand for: each step a whole-text
// replace in table order. The fills skip steps and leave stretches far from any placeholder
// alone; none of that may change a byte.

namespace reference {

class Values {
 public:
  explicit Values(const Settings& settings) : settings_(settings) {}
  std::string Get(std::string_view section, std::string_view key, std::string_view dflt = {}) {
    return settings_.GetSetting("Vellumo", section, key, dflt);
  }
  std::string Get(const FieldFill& f) { return Get(f.section, f.key, f.default_value); }
  bool IsTrue(std::string_view section, std::string_view key) {
    return Get(section, key, "False") == "True";
  }

 private:
  const Settings& settings_;
};

std::string Fill(const std::string& text, const FieldFill& f, Values& v) {
  return text::Replace(text, f.find, std::string(f.prefix) + v.Get(f));
}
std::string FillAll(std::string text, std::span<const FieldFill> fields, Values& v) {
  for (const FieldFill& f : fields) text = Fill(text, f, v);
  return text;
}
std::string Family(std::string text, const EmptyLineFamily& family, Values& v) {
  const bool empty = v.Get(kAdminSettings, family.key).empty();
  if (empty) {
    for (const Replacement& r : family.patterns) text = text::Replace(text, r.find, r.with);
  }
  text = FillAll(text, family.fills, v);
  if (family.label.find.empty()) return text;
  return empty ? text::Replace(text, family.label.find, "") : Fill(text, family.label, v);
}
std::string EmptyStrings(std::string text, const EmptyStringFamily& family, Values& v) {
  const std::string value = v.Get(kAdminSettings, family.key);
  if (value.empty()) {
    for (const EmptyStringSetting& s : family.settings) {
      text = text::Replace(text, v.Get(kAdminSettings, s.find_key, s.find_default),
                           v.Get(kAdminSettings, s.with_key, s.with_default));
    }
  }
  return text::Replace(text, family.placeholder, value);
}
std::string Substitute(std::string text, Values& v) {
  for (const UserSubstitution& pair : kUserSubstitutions) {
    const std::string code = v.Get(kTemplateSettings, pair.code_key);
    const std::string swap = v.Get(kTemplateSettings, pair.swap_key);
    if (!code.empty() && !swap.empty()) text = text::Replace(text, code, swap);
  }
  return text;
}

std::string Composition(const Settings& settings, std::string text) {
  Values v(settings);
  const std::string quote =
      v.IsTrue(kUserSettings, "SendQuote") ? v.Get(kUserSettings, "SendQuoteString") : "";
  text = text::Replace(text, "[#SigQuote#]", quote);
  if (v.IsTrue(kUserSettings, "RTFOnly")) text = text::Replace(text, "file://", "http://");
  text = FillAll(text, kCompositionNameFields, v);
  text = Family(text, kPositionFamily, v);
  text = Family(text, kTelephoneFamily, v);
  text = Family(text, kFaxFamily, v);
  text = FillAll(text, kAddressFields, v);
  text = Family(text, kCellFamily, v);
  text = FillAll(text, kCompositionOtherFields, v);
  if (v.IsTrue(kAdminSettings, "WipeoutRemoveConvertedBR")) {
    text = text::Replace(text, "<BR>\r\n<BR>", "\r\n<BR>");
  }
  return Fill(text, kBackgroundColourField, v);
}

std::string SignatureFile(const Settings& settings, std::string text) {
  Values v(settings);
  text = FillAll(text, kSignatureFileFirstFields, v);
  text = EmptyStrings(text, kSignatureFileFax, v);
  text = EmptyStrings(text, kSignatureFileCell, v);
  text = FillAll(text, kSignatureFileLinkFields, v);
  text = FillAll(text, kAddressFields, v);
  text = FillAll(text, kSignatureFileRtfAddressFields, v);
  for (const Replacement& r : kSignatureFileLeftovers) text = text::Replace(text, r.find, r.with);
  return Substitute(text, v);
}

}  // namespace reference

// Every pattern and placeholder the fills know, the keys they read, and pieces that cut patterns
// short, join them, or put non-ASCII and invalid UTF-8 around them.
struct FillVocabulary {
  std::vector<std::string> pieces = {"#]", "[#", "[#Sig", "<BR>", "<br>", "\r\n", " ", "</FONT>",
                                     "\xC3\xA9", "\x80", "\xE2\x82", "\xF0\x9F\x98", "x", "Tel:",
                                     // Patterns without "#]", more often.
                                     "FAX", "CELL", "ACME", "file://", "<BR>\r\n<BR>", "FAX",
                                     "CELL", "ACME", "file://", "<BR>\r\n<BR>",
                                     "\x80<BR>\r\n<BR>\xC3"};
  std::vector<std::pair<std::string, std::string>> keys;  // section, key

  FillVocabulary() {
    auto fields = [&](std::span<const FieldFill> list) {
      for (const FieldFill& f : list) {
        pieces.emplace_back(f.find);
        keys.emplace_back(f.section, f.key);
      }
    };
    for (auto list :
         {kAddressFields, kCompositionNameFields, kCompositionOtherFields,
          kSignatureFileFirstFields, kSignatureFileLinkFields, kSignatureFileRtfAddressFields}) {
      fields(list);
    }
    for (const EmptyLineFamily* family :
         {&kPositionFamily, &kTelephoneFamily, &kFaxFamily, &kCellFamily}) {
      for (const Replacement& r : family->patterns) pieces.emplace_back(r.find);
      fields(family->fills);
      keys.emplace_back(kAdminSettings, family->key);
      if (!family->label.find.empty()) fields(std::span(&family->label, 1));
    }
    fields(std::span(&kBackgroundColourField, 1));
    for (const EmptyStringFamily* family : {&kSignatureFileFax, &kSignatureFileCell}) {
      for (const EmptyStringSetting& s : family->settings) {
        pieces.emplace_back(s.find_default);
        keys.emplace_back(kAdminSettings, s.find_key);
        keys.emplace_back(kAdminSettings, s.with_key);
      }
    }
    for (const UserSubstitution& pair : kUserSubstitutions) {
      keys.emplace_back(kTemplateSettings, pair.code_key);
      keys.emplace_back(kTemplateSettings, pair.swap_key);
    }
  }

  std::string Piece(std::mt19937& rng) const { return pieces[rng() % pieces.size()]; }
  std::string Value(std::mt19937& rng) const {
    std::string value;
    for (int n = static_cast<int>(rng() % 3); n >= 0; --n) value += Piece(rng);
    return value;
  }
  // Long plain text (a message), which the fills leave alone when no pattern reaches into it.
  std::string Filler(std::mt19937& rng) const {
    // Lines with and without line ends: stretches left alone begin and end on one where they can.
    const std::string lines[] = {"plain mail text \xC3\xA9 ", "\x80<p>ACME x</p>",
                                 "<p>a line</p>\r\n", "\xC3\xA9\n"};
    const std::string& line = lines[rng() % 4];
    std::string filler;
    for (size_t size = 4000 + rng() % 8000; filler.size() < size;) {
      filler += line;
      if (rng() % 1000 == 0) filler += Piece(rng);
    }
    return filler;
  }
  // Pieces, padding of any length, and long plain text with a piece near each of its edges: those
  // edges lie some 64 bytes after a "#]" and some 192 bytes before one.
  std::string Text(std::mt19937& rng) const {
    std::string text;
    for (int n = static_cast<int>(rng() % 16); n >= 0; --n) {
      switch (rng() % 3) {
        case 0:
          text += Piece(rng);
          break;
        case 1:
          text.append(rng() % 260, 'y').append(Piece(rng));
          break;
        default:
          text.append("#]").append(54 + rng() % 14, 'y').append(Piece(rng));
          text.append(Filler(rng)).append(Piece(rng));
          text.append(176 + rng() % 20, 'y').append("#]");
      }
    }
    return text;
  }
};

TEST_F(FillTest, FillsEqualThePlainChainOfReplacements) {
  const FillVocabulary vocabulary;
  std::mt19937 rng(20261208);
  for (int round = 0; round < 400; ++round) {
    MemRegistry registry;
    Settings settings(registry);
    for (const auto& [section, key] : vocabulary.keys) {
      if (rng() % 3 != 0) settings.SaveSetting("Vellumo", section, key, vocabulary.Value(rng));
    }
    for (auto key : {"SendQuote", "RTFOnly"}) {
      settings.SaveSetting("Vellumo", "User Settings", key, rng() % 2 ? "True" : "False");
    }
    settings.SaveSetting("Vellumo", "User Settings", "SendQuoteString", vocabulary.Value(rng));
    settings.SaveSetting("Vellumo", "Admin Settings", "WipeoutRemoveConvertedBR",
                         rng() % 2 ? "True" : "False");
    const std::string text = vocabulary.Text(rng);
    const std::string composed = reference::Composition(settings, text);
    ASSERT_EQ(FillCompositionPlaceholders(settings, text), composed) << "round " << round;
    // The composition's own way: a spare buffer lent for the whole text, or too small for it.
    for (size_t room : {text.size() + text.size() / 4, text.size() / 2}) {
      text::Rewriting rewriting{std::string(text)};
      rewriting.Reserve(room);
      FillCompositionPlaceholders(settings, rewriting);
      ASSERT_EQ(rewriting.text(), composed) << "round " << round << ", room " << room;
    }
    ASSERT_EQ(FillSignatureFilePlaceholders(settings, text),
              reference::SignatureFile(settings, text))
        << "round " << round;
    reference::Values values(settings);
    ASSERT_EQ(ApplyUserSubstitutions(settings, text), reference::Substitute(text, values))
        << "round " << round;
  }
}

TEST_F(FillTest, APatternAcrossTheEdgeOfALongMessageStillMatches) {
  // Placeholders far apart leave the message between them alone, unless a pattern reaches in.
  const std::string message(20000, 'm');
  Admin("SigTelephone", "");
  Admin("SigFullname", "Jo");
  Admin("WipeoutRemoveConvertedBR", "True");
  EXPECT_EQ(Compose("[#SigFullname#]" + message + "<BR>\r\n<BR>" + message + "[#SigFullname#]"),
            "Jo" + message + "\r\n<BR>" + message + "Jo");
  // Converted breaks astride where the message would be left alone.
  EXPECT_EQ(Compose("[#SigFullname#]" + std::string(62, 'x') + "<BR>\r\n<BR>" + message),
            "Jo" + std::string(62, 'x') + "\r\n<BR>" + message);
  // A value brings in the start of a pattern whose end is in the text.
  Admin("SigFullname", "Tel: [#SigTelephone");
  EXPECT_EQ(Compose("[#SigFullname#]#]<BR>" + message), message);
}

TEST_F(FillTest, APatternAtEveryPlaceAroundTheEdgesOfALongMessageStillMatches) {
  // The long text between two "#]" is left alone from some 64 bytes after the first to some 192
  // bytes before the second, its edges moved onto a line end where one is near. Each pattern is
  // slid through both edges, byte by byte, with and without line ends around.
  User("RTFOnly", "True");
  Admin("WipeoutRemoveConvertedBR", "True");
  const std::pair<std::string, std::string> patterns[] = {{"<BR>\r\n<BR>", "\r\n<BR>"},
                                                          {"file://", "http://"}};
  for (const std::string filler_line : {"plain text ", "a line\r\n"}) {
    std::string filler;
    while (filler.size() < 6000) filler += filler_line;
    for (const auto& [find, with] : patterns) {
      for (size_t at = 0; at < 330; ++at) {
        const std::string before = "#]" + filler.substr(0, at) + find + filler;
        ASSERT_EQ(Compose(before), text::Replace(before, find, with)) << at << filler_line;
        const std::string after = filler + find + filler.substr(0, at) + "#]";
        ASSERT_EQ(Compose(after), text::Replace(after, find, with)) << at << filler_line;
      }
    }
  }
}

// The fill tables name their settings themselves; each must be a row of the table of keys, with
// the same default, or `settings list --known` would not show what the fills read.
TEST(FillTableKeys, EveryKeyTheFillsReadIsAKnownRowWithItsDefault) {
  std::set<std::tuple<std::string, std::string, std::string>> known;
  for (const SettingKey* key : keys::KnownKeys()) {
    if (key->application != kVellumo) continue;
    known.emplace(text::LCase(key->section), text::LCase(key->name),
                  std::string(key->default_value));
  }
  size_t checked = 0;
  auto expect = [&](std::string_view section, std::string_view key, std::string_view dflt) {
    ++checked;
    EXPECT_TRUE(known.contains({text::LCase(section), text::LCase(key), std::string(dflt)}))
        << section << " \"" << key << "\" with default \"" << dflt << "\" is not in keys.h";
  };
  auto fields = [&](std::span<const FieldFill> list) {
    for (const FieldFill& f : list) expect(f.section, f.key, f.default_value);
  };
  for (auto list :
       {kAddressFields, kCompositionNameFields, kCompositionOtherFields, kSignatureFileFirstFields,
        kSignatureFileLinkFields, kSignatureFileRtfAddressFields}) {
    fields(list);
  }
  for (const EmptyLineFamily* family :
       {&kPositionFamily, &kTelephoneFamily, &kFaxFamily, &kCellFamily}) {
    expect(kAdminSettings, family->key, "");
    fields(family->fills);
    if (!family->label.find.empty()) fields(std::span(&family->label, 1));
  }
  fields(std::span(&kBackgroundColourField, 1));
  for (const EmptyStringFamily* family : {&kSignatureFileFax, &kSignatureFileCell}) {
    expect(kAdminSettings, family->key, "");
    for (const EmptyStringSetting& s : family->settings) {
      expect(kAdminSettings, s.find_key, s.find_default);
      expect(kAdminSettings, s.with_key, s.with_default);
    }
  }
  for (const UserSubstitution& pair : kUserSubstitutions) {
    expect(kTemplateSettings, pair.code_key, "");
    expect(kTemplateSettings, pair.swap_key, "");
  }
  EXPECT_GT(checked, 80u);
}

}  // namespace
}  // namespace vellumo::compose
