#include "common/compose/placeholders.h"

#include <gtest/gtest.h>

#include <string>

#include "common/settings/settings.h"
#include "platform/error.h"
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

}  // namespace
}  // namespace vellumo::compose
