#include "common/compose/fill_tables.h"

namespace vellumo::compose {
namespace {

// ---------------------------------------------------------------------------------------------
// Composition fill: empty-line patterns. A line made of an optional label, the placeholder and a
// line break goes away whole; a closing tag that ends the label stays so the markup stays
// balanced.

constexpr Replacement kPositionPatterns[] = {
    {"[#SigPosition#]</FONT><BR>", "</FONT>"},
    {"[#SigPosition#]</font><br>", "</font>"},
    {"[#SigPosition#]<BR>", ""},
    {"[#SigPosition#] <BR>", ""},
    {"[#SigPosition#]<br>", ""},
    {"[#SigPosition#] <br>", ""},
    {"[#SigPositionFR#]</FONT><BR>", "</FONT>"},
    {"[#SigPositionFR#]</font><br>", "</font>"},
    {"[#SigPositionFR#]<BR>", ""},
    {"[#SigPositionFR#] <BR>", ""},
    {"[#SigPositionFR#]<br>", ""},
    {"[#SigPositionFR#] <br>", ""},
};

constexpr Replacement kTelephonePatterns[] = {
    {"Phone:</FONT> [#SigTelephone#]<BR>", "</FONT>"},
    {"Phone:</font> [#SigTelephone#]<br>", "</font>"},
    {"Phone: [#SigTelephone#]<BR>", ""},
    {"Phone: [#SigTelephone#] <BR>", ""},
    {"Phone: [#SigTelephone#]<br>", ""},
    {"Phone: [#SigTelephone#] <br>", ""},
    {"TEL</FONT> [#SigTelephone#]<BR>", "</FONT>"},
    {"TEL</font> [#SigTelephone#]<br>", "</font>"},
    {"TEL</font>&nbsp; [#SigTelephone#]<br>", "</font>"},
    {"TEL</FONT>&nbsp; [#SigTelephone#]<BR>", "</FONT>"},
    {"TEL [#SigTelephone#]<BR>", ""},
    {"TEL [#SigTelephone#] <BR>", ""},
    {"TEL [#SigTelephone#]<br>", ""},
    {"TEL [#SigTelephone#] <br>", ""},
    {"TEL</B> [#SigTelephone#]<BR>", "</B>"},
    {"Tel:</FONT> [#SigTelephone#]<BR>", "</FONT>"},
    {"Tel:</font> [#SigTelephone#]<br>", "</font>"},
    {"Tel:</B> [#SigTelephone#]<BR>", "</B>"},
    {"Tel: [#SigTelephone#]<BR>", ""},
    {"Tel: [#SigTelephone#] <BR>", ""},
    {"Tel: [#SigTelephone#]<br>", ""},
    {"Tel: [#SigTelephone#] <br>", ""},
    {"[#SigTelephoneLabel#][#SigTelephone#]<BR>", ""},
    {"[#SigTelephoneLabel#][#SigTelephone#] <BR>", ""},
    {"[#SigTelephoneLabel#][#SigTelephone#]<br>", ""},
    {"[#SigTelephoneLabel#][#SigTelephone#] <br>", ""},
    {"[#SigTelephoneLabel#]", ""},
    {"[#SigTelephone#]<BR>", ""},
    {"[#SigTelephone#] <BR>", ""},
    {"[#SigTelephone#]<br>", ""},
    {"[#SigTelephone#] <br>", ""},
};

// The label-line patterns spell "label" in lower case; "[#SigFaxLabel#]" below catches the label.
constexpr Replacement kFaxPatterns[] = {
    {"Fax:</FONT> [#SigFax#]<BR>", "</FONT>"},
    {"Fax:</font> [#SigFax#]<br>", "</font>"},
    {"Fax:</B> [#SigFax#]<BR>", "</B>"},
    {"Fax: [#SigFax#]<BR>", ""},
    {"Fax: [#SigFax#] <BR>", ""},
    {"Fax: [#SigFax#]<br>", ""},
    {"Fax: [#SigFax#] <br>", ""},
    {"FAX</FONT> [#SigFax#]<BR>", "</FONT>"},
    {"FAX</font> [#SigFax#]<br>", "</font>"},
    {"FAX</FONT>&nbsp; [#SigFax#]<BR>", "</FONT>"},
    {"FAX</font>&nbsp; [#SigFax#]<br>", "</font>"},
    {"FAX [#SigFax#]<BR>", ""},
    {"FAX [#SigFax#] <BR>", ""},
    {"FAX [#SigFax#]<br>", ""},
    {"FAX [#SigFax#] <br>", ""},
    {"FAX</B> [#SigFax#]<BR>", "</B>"},
    {"[#SigFaxlabel#][#SigFax#]<BR>", ""},
    {"[#SigFaxlabel#][#SigFax#] <BR>", ""},
    {"[#SigFaxlabel#][#SigFax#]<br>", ""},
    {"[#SigFaxlabel#][#SigFax#] <br>", ""},
    {"[#SigFaxLabel#]", ""},
    {"[#SigFax#]<BR>", ""},
    {"[#SigFax#] <BR>", ""},
    {"[#SigFax#]<br>", ""},
    {"[#SigFax#] <br>", ""},
};

// Here the bare placeholder lines come before the label lines.
constexpr Replacement kCellPatterns[] = {
    {"Cell:</FONT> [#SigCell#]<BR>", "</FONT>"},
    {"Cell:</font> [#SigCell#]<br>", "</font>"},
    {"Cell:</B> [#SigCell#]<BR>", "</B>"},
    {"Cell: [#SigCell#]<BR>", ""},
    {"Cell: [#SigCell#] <BR>", ""},
    {"Cell: [#SigCell#]<br>", ""},
    {"Cell: [#SigCell#] <br>", ""},
    {"CELL</FONT> [#SigCell#]<BR>", "</FONT>"},
    {"CELL</font> [#SigCell#]<br>", "</font>"},
    {"CELL</FONT>&nbsp; [#SigCell#]<BR>", "</FONT>"},
    {"CELL</font>&nbsp; [#SigCell#]<br>", "</font>"},
    {"CELL [#SigCell#]<BR>", ""},
    {"CELL [#SigCell#] <BR>", ""},
    {"CELL [#SigCell#]<br>", ""},
    {"CELL [#SigCell#] <br>", ""},
    {"CELL</B> [#SigCell#]<BR>", "</B>"},
    {"[#SigCell#]<BR>", ""},
    {"[#SigCell#] <BR>", ""},
    {"[#SigCell#]<br>", ""},
    {"[#SigCell#] <br>", ""},
    {"[#SigCellLabel#][#SigCell#]<BR>", ""},
    {"[#SigCellLabel#][#SigCell#] <BR>", ""},
    {"[#SigCellLabel#][#SigCell#]<br>", ""},
    {"[#SigCellLabel#][#SigCell#] <br>", ""},
    {"[#SigCellLabel#]", ""},
};

// ---------------------------------------------------------------------------------------------
// Composition fill: placeholders.

constexpr FieldFill kPositionFills[] = {
    {"[#SigPosition#]", "SigPosition"},
    {"[#SigPositionFR#]", "SigPositionFR"},
};
constexpr FieldFill kTelephoneFills[] = {{"[#SigTelephone#]", "SigTelephone"}};
constexpr FieldFill kFaxFills[] = {{"[#SigFax#]", "SigFax"}};
constexpr FieldFill kCellFills[] = {{"[#SigCell#]", "SigCell"}};

constexpr FieldFill kNameFieldsData[] = {
    {"[#SigFullname#]", "SigFullname"},
    {"[#SigFullnameFR#]", "SigFullnameFR"},
};

constexpr FieldFill kAddressFieldsData[] = {
    {"[#SigAddress#]", "SigAddress"},       {"[#SigAddress2#]", "SigAddress2"},
    {"[#SigAddress3#]", "SigAddress3"},     {"[#SigAddress4#]", "SigAddress4"},
    {"[#SigAddressFR#]", "SigAddressFR"},   {"[#SigAddress2FR#]", "SigAddress2FR"},
    {"[#SigAddress3FR#]", "SigAddress3FR"}, {"[#SigAddress4FR#]", "SigAddress4FR"},
};

constexpr FieldFill kCompositionOtherData[] = {
    {"[#SigEmail#]", "SigEmail"},
    {"[#SigOrganizationName#]", "SigOrganizationName"},
    {"[#SigOrganizationNameFR#]", "SigOrganizationNameFR"},
    {"[#SigWebsite#]", "SigWebsite"},
    {"[#SigWebsiteFR#]", "SigWebsiteFR"},
    {"[#SigWebsiteCustom1#]", "SigWebsiteCustom1"},
    {"[#SigWebsiteCustom2#]", "SigWebsiteCustom2"},
    {"[#SigWebsiteCustom3#]", "SigWebsiteCustom3"},
    {"[#SigWebsiteCustom4#]", "SigWebsiteCustom4"},
    {"[#SigWebsiteCustom5#]", "SigWebsiteCustom5"},
    {"[#SigWebsiteCustom6#]", "SigWebsiteCustom6"},
    {"[#SigWebsiteCustom7#]", "SigWebsiteCustom7"},
    {"[#SigWebsiteCustom8#]", "SigWebsiteCustom8"},
    {"[#SigWebsiteCustom9#]", "SigWebsiteCustom9"},
    {"[#SigWebsiteCustom10#]", "SigWebsiteCustom10"},
    {"[#SigWebsiteDisplayName#]", "SigWebsiteDisplayName"},
    {"[#SigWebsiteDisplayNameFR#]", "SigWebsiteDisplayNameFR"},
    {"[#SigGifFile#]", "SigGifFile"},
    {"[#SigGifFile2#]", "SigGifFile2"},
    {"[#SigGifFile3#]", "SigGifFile3"},
    {"[#SigGifFile4#]", "SigGifFile4"},
    {"[#SigGifFile5#]", "SigGifFile5"},
    {"[#SigJPEGFile#]", "SigJPEGFile"},
    {"[#SigJPEGFile2#]", "SigJPEGFile2"},
    {"[#SigJPEGFile3#]", "SigJPEGFile3"},
    {"[#SigJPEGFile4#]", "SigJPEGFile4"},
    {"[#SigJPEGFile5#]", "SigJPEGFile5"},
};

// ---------------------------------------------------------------------------------------------
// Signature-file fill.

constexpr FieldFill kSignatureFileFirstData[] = {
    {"[#SigFullname#]", "SigFullname"},
    {"[#SigFullnameFR#]", "SigFullnameFR"},
    {"[#SigOrganizationName#]", "SigOrganizationName"},
    {"[#SigOrganizationNameFR#]", "SigOrganizationNameFR"},
    {"[#SigDivision#]", "SigDivision"},
    {"[#SigDivisionFR#]", "SigDivisionFR"},
    {"[#SigBranch#]", "SigBranch"},
    {"[#SigBranchFR#]", "SigBranchFR"},
    {"[#SigPosition#]", "SigPosition"},
    {"[#SigPositionFR#]", "SigPositionFR"},
    {"[#SigTelephone#]", "SigTelephone"},
    {"[#SigTelephoneLabel#]", "SigTelephoneLabel"},
    {"[#SigFaxLabel#]", "SigFaxLabel"},
    {"[#SigCellLabel#]", "SigCellLabel"},
    {"[#SigPositionLabel#]", "SigPositionLabel"},
    {"[#SigDivisionLabel#]", "SigDivisionLabel"},
    {"[#SigBranchLabel#]", "SigBranchLabel"},
};

constexpr EmptyStringSetting kFaxEmptyStrings[] = {
    {"SigFaxEmptyStringHTM", "FAX</font>&nbsp; [#SigFax#]", "SigFaxEmptyStringReplaceHTM",
     "</font>"},
    {"SigFaxEmptyStringRTFTXT", "FAX", "SigFaxEmptyStringReplaceRTFTXT", ""},
};
constexpr EmptyStringSetting kCellEmptyStrings[] = {
    {"SigCellEmptyStringHTM", "CELL</font>&nbsp; [#SigCell#]", "SigCellEmptyStringReplaceHTM",
     "</font>"},
    {"SigCellEmptyStringRTFTXT", "CELL", "SigCellEmptyStringReplaceRTFTXT", ""},
};

// A word processor that saved a template whose links pointed at placeholders turned "[" into
// "%5b" and the part after "#" into a bookmark switch; the doubled backslashes are those of the
// RTF source, and the folder is the fixed default signature folder.
constexpr FieldFill kSignatureFileLinkData[] = {
    {.find = R"x(mailto:%5b" \\l "SigEmail#])x", .key = "SigEmail", .prefix = "mailto:"},
    {.find =
         R"x(file:///C:\\\\Program%20Files\\\\Corvane\\\\Vellumo\\\\Signatures\\\\%5b" \\l "SigWebsite#])x",
     .key = "SigWebsite"},
    {.find = "outbind://2/[#SigWebsite#]", .key = "SigWebsite"},
    {.find = "[#SigEmail#]", .key = "SigEmail"},
    {.find = "[#SigWebsite#]", .key = "SigWebsite"},
    {.find = "[#SigWebsiteFR#]", .key = "SigWebsiteFR"},
    {.find = "[#SigWebsiteDisplayName#]", .key = "SigWebsiteDisplayName"},
    {.find = R"x([#SigWebsiteDispl\hich\af27\dbch\af17\loch\f27 ayName#])x",
     .key = "SigWebsiteDisplayName"},
    {.find = "[#SigWebsiteDisplayNameFR#]", .key = "SigWebsiteDisplayNameFR"},
};

constexpr FieldFill kSignatureFileRtfAddressData[] = {
    {R"x([#SigAddress\hich\af27\dbch\af17\loch\f27 2\hich\af27\dbch\af17\loch\f27 #])x",
     "SigAddress2"},
    {R"x([#SigAddress\hich\af27\dbch\af17\loch\f27 3\hich\af27\dbch\af17\loch\f27 #])x",
     "SigAddress3"},
    {R"x([#SigAddress\hich\af27\dbch\af17\loch\f27 4\hich\af27\dbch\af17\loch\f27 #])x",
     "SigAddress4"},
};

constexpr Replacement kSignatureFileLeftoverData[] = {
    {"#SigEmail#]", ""},
    {"#SigWebsite#]", ""},
};

constexpr UserSubstitution kUserSubstitutionData[] = {
    {"UserCode1", "UserSwap1"}, {"UserCode2", "UserSwap2"}, {"UserCode3", "UserSwap3"},
    {"UserCode4", "UserSwap4"}, {"UserCode5", "UserSwap5"},
};

}  // namespace

constinit const std::span<const FieldFill> kAddressFields{kAddressFieldsData};
constinit const std::span<const FieldFill> kCompositionNameFields{kNameFieldsData};
constinit const EmptyLineFamily kPositionFamily{
    "SigPosition", kPositionPatterns, kPositionFills, {}};
constinit const EmptyLineFamily kTelephoneFamily{
    "SigTelephone",
    kTelephonePatterns,
    kTelephoneFills,
    {"[#SigTelephoneLabel#]", "SigTelephoneLabel", "Tel:"}};
constinit const EmptyLineFamily kFaxFamily{
    "SigFax", kFaxPatterns, kFaxFills, {"[#SigFaxLabel#]", "SigFaxLabel", "Fax:"}};
constinit const EmptyLineFamily kCellFamily{
    "SigCell", kCellPatterns, kCellFills, {"[#SigCellLabel#]", "SigCellLabel", "Cell:"}};
constinit const std::span<const FieldFill> kCompositionOtherFields{kCompositionOtherData};
constinit const FieldFill kBackgroundColourField{"[#SigBGColor#]", "SigBGColor", "#FFFFFF"};

constinit const std::span<const FieldFill> kSignatureFileFirstFields{kSignatureFileFirstData};
constinit const EmptyStringFamily kSignatureFileFax{"SigFax", "[#SigFax#]", kFaxEmptyStrings};
constinit const EmptyStringFamily kSignatureFileCell{"SigCell", "[#SigCell#]", kCellEmptyStrings};
constinit const std::span<const FieldFill> kSignatureFileLinkFields{kSignatureFileLinkData};
constinit const std::span<const FieldFill> kSignatureFileRtfAddressFields{
    kSignatureFileRtfAddressData};
constinit const std::span<const Replacement> kSignatureFileLeftovers{kSignatureFileLeftoverData};

constinit const std::span<const UserSubstitution> kUserSubstitutions{kUserSubstitutionData};

}  // namespace vellumo::compose
