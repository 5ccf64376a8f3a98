// The table of every setting the system reads or writes: one row per use, with its application,
// section, name, the default a reader gets when nothing is stored, and a line for administrators
// (`vellumo settings list --known` prints them). Call sites name a row, never a literal:
// `settings.Get(keys::HtmFilesPath)`, `settings.Set(keys::AutoPreview, "False")`.
//
// A name usually has one row. Where a step reads a name with another default on purpose, that
// use is a row of its own, named for it, with the reason above it; the two rows share the stored
// value and differ only in what an unset value reads as.
//
// KnownKeys() lists every row below in this order; the settings tests check that it misses none
// and that no source file reads a setting by a literal.
#pragma once

#include <span>
#include <string_view>

#include "common/settings/settings.h"
#include "platform/win_path.h"

namespace vellumo::keys {

inline constexpr std::string_view kAdmin = "Admin Settings";
inline constexpr std::string_view kUser = "User Settings";
inline constexpr std::string_view kSystem = "System Settings";
inline constexpr std::string_view kTemplate = "Template Settings";

// Admin Settings: where the files are, and what the administrator switches on
inline constexpr SettingKey ApplicationPath{
    kVellumo, kAdmin, "ApplicationPath", WinPath::kProgramFolder,
    "Program folder: dumps, help pages and the report's paths"};
inline constexpr SettingKey HtmFilesPath{kVellumo, kAdmin, "HTM Files Path", "C:\\temp",
                                         "Folder of the stationery templates"};
// The send joins the template path to the folder as set; an unset folder leaves the composer to
// fall back to HtmFilesPath's first template. Boilerplates are read from it as set too.
inline constexpr SettingKey HtmFilesPathAsSet{
    kVellumo, kAdmin, "HTM Files Path", "",
    "Folder of the templates, as the send and the boilerplates read it"};
inline constexpr SettingKey SignaturesPath{kVellumo, kAdmin, "Signatures Path", "C:\\temp",
                                           "Folder of the signature files"};
// The composer's first try for the signature file: an unset folder looks at the drive's root
// before SignaturesPath's folder.
inline constexpr SettingKey SignaturesPathFirstTry{
    kVellumo, kAdmin, "Signatures Path",
    "c:", "Folder of the signature files, first try of the composer"};
// The file-list window's list of signatures starts at the drive's root when no folder is set.
inline constexpr SettingKey SignatureListFolder{
    kVellumo, kAdmin, "Signatures Path", "c:\\",
    "Folder of the signature files, in the file-list window"};
// The file-list window's TXT, HTML and RTF template lists stay empty when no folder is set.
inline constexpr SettingKey SignatureTemplatesFolder{
    kVellumo, kAdmin, "Signatures Path", "",
    "Folder of the signature templates, in the file-list window"};
inline constexpr SettingKey OutlookSignaturePath{
    kVellumo, kAdmin, "OutlookSignaturePath", "c:\\Documents and Settings\\",
    "Root of the per-user folders that hold the mail client's signature files"};
inline constexpr SettingKey BrowserPath{kVellumo, kAdmin, "BrowserPath", "",
                                        "Folder of the preview's pages; empty: the program folder"};
inline constexpr SettingKey TipsFileLocation{
    kVellumo, kAdmin, "TipsFileLocation",
    "C:\\program files\\corvane\\corvane vellumo\\support\\tips.txt",
    "The tips file, one numbered tip a line"};
inline constexpr SettingKey ErrorFileLocation{
    kVellumo, kAdmin, "ErrorFileLocation", "",
    "The support log; made and stored on the first failure when empty"};
// The path chooser starts in the stored folders, and at the C: drive's root when none is stored,
// so a chooser opened before anything was set starts somewhere that always exists.
inline constexpr SettingKey PathChooserHtmFilesPath{
    kVellumo, kAdmin, "HTM Files Path", "C:\\",
    "Folder of the stationery templates, where the path chooser starts"};
inline constexpr SettingKey PathChooserSignaturesPath{
    kVellumo, kAdmin, "Signatures Path", "C:\\",
    "Folder of the signature files, where the path chooser starts"};
// The chooser starts in the folder of the tips file and of the log; with none stored, at C:\.
inline constexpr SettingKey PathChooserTipsFileLocation{
    kVellumo, kAdmin, "TipsFileLocation", "C:\\",
    "The tips file; the path chooser starts in its folder"};
inline constexpr SettingKey PathChooserErrorFileLocation{
    kVellumo, kAdmin, "ErrorFileLocation", "C:\\",
    "The support log; the path chooser starts in its folder"};
inline constexpr SettingKey ErrorFileSuppressEmail{
    kVellumo, kAdmin, "ErrorFileSuppressEmail", "False",
    "True: failures go to the log only, no report mail offered"};
inline constexpr SettingKey ErrorFileExceptions{
    kVellumo, kAdmin, "ErrorFileExceptions", "",
    "Failure texts never logged, e.g. \"Overflow;Type mismatch\""};
inline constexpr SettingKey EmailErrorNotify{kVellumo, kAdmin, "EmailErrorNotify", "True",
                                             "True: offer to mail a failure report"};
inline constexpr SettingKey EmailAddressNotify{kVellumo, kAdmin, "EmailAddressNotify",
                                               "support@corvane.example",
                                               "Recipient of failure reports"};
inline constexpr SettingKey UseExclaimer{
    kVellumo, kAdmin, "UseExclaimer", "False",
    "True: leave messages to the server-side signature rule named below"};
inline constexpr SettingKey ExclaimerRule{kVellumo, kAdmin, "ExclaimerRule", "Exclaimer",
                                          "Name of the server-side signature rule"};
inline constexpr SettingKey UseRedemption{kVellumo, kAdmin, "UseRedemption", "False",
                                          "True: reach the message through the safe-items wrapper"};
inline constexpr SettingKey SuppressResendsOutbox{
    kVellumo, kAdmin, "SuppressResendsOutbox", "False",
    "True: messages sent again from Outbox or Drafts go out undressed"};
inline constexpr SettingKey SuppressResendsSentItems{
    kVellumo, kAdmin, "SuppressResendsSentItems", "False",
    "True: messages sent again from Sent Items go out undressed"};
inline constexpr SettingKey DressPatches{kVellumo, kAdmin, "DressPatches", "False",
                                         "True: dress patches like any other message"};
inline constexpr SettingKey WipeoutPersonalStationery{
    kVellumo, kAdmin, "WipeoutPersonalStationery", "False",
    "True: clear the mail client's own stationery before dressing"};
inline constexpr SettingKey SkipInternal{
    kVellumo, kAdmin, "SkipInternal", "0",
    "1: messages to internal recipients only go out undressed"};
inline constexpr SettingKey TestSkipInternal{
    kVellumo, kAdmin, "TestSkipInternal", "False",
    "True: treat every message as internal (testing SkipInternal)"};
inline constexpr SettingKey ExchangeUser{
    kVellumo, kAdmin, "ExchangeUser", "False",
    "True: only recipients without an @ (directory names) are internal"};
inline constexpr SettingKey AutoPreview{kVellumo, kAdmin, "AutoPreview", "False",
                                        "True: show the preview before every automatic send"};
inline constexpr SettingKey ShowPreviewSelectButton{
    kVellumo, kAdmin, "ShowPreviewSelectButton", "False",
    "True: the preview offers template and signature selection"};
inline constexpr SettingKey ShowAutoSendPlain{kVellumo, kAdmin, "ShowAutoSendPlain", "False",
                                              "True: the preview offers sending as plain text"};
inline constexpr SettingKey ShowPreviewOptionsButton{kVellumo, kAdmin, "ShowPreviewOptionsButton",
                                                     "False",
                                                     "True: the preview shows its options button"};
inline constexpr SettingKey PreviewOptionsShow{
    kVellumo, kAdmin, "PreviewOptionsShow", "False",
    "True: the preview opens with its options shown (remembered)"};
inline constexpr SettingKey SendvCardAlways{
    kVellumo, kAdmin, "SendvCardAlways", "False",
    "True: the vCard box is ticked whenever the user has a vCard"};
inline constexpr SettingKey BrowserWarnPastedImages{kVellumo, kAdmin, "BrowserWarnPastedImages",
                                                    "False",
                                                    "True: the preview warns about pasted images"};
inline constexpr SettingKey ShowBoilerplates{kVellumo, kAdmin, "Show Boilerplates", "True",
                                             "True: the preview lists boilerplates"};
inline constexpr SettingKey MultipleSignatures{kVellumo, kAdmin, "Multiple Signatures", "False",
                                               "True: the preview offers the signature profiles"};
inline constexpr SettingKey CurrentSignature{kVellumo, kAdmin, "Current Signature", "",
                                             "The signature profile in use"};
inline constexpr SettingKey WipeOutBrowserSendButton{kVellumo, kAdmin, "WipeOutBrowserSendButton",
                                                     "True",
                                                     "False: the preview hides its Send button"};
inline constexpr SettingKey ShowSendToMany{kVellumo, kAdmin, "ShowSendToMany", "False",
                                           "True: the preview offers sending to many"};
inline constexpr SettingKey SendToManySubject{
    kVellumo, kAdmin, "SendToManySubject", "",
    "Subject handed from the preview to the send-to-many wizard"};
inline constexpr SettingKey FormatWarning{kVellumo, kAdmin, "FormatWarning", "False",
                                          "True: warn when a message is not in HTML"};
inline constexpr SettingKey Marketing{
    kVellumo, kAdmin, "Marketing", "",
    "Not empty: the marketing and contact hooks run on each send"};
inline constexpr SettingKey SuppressMailItemToolbar{kVellumo, kAdmin, "SuppressMailItemToolbar", "",
                                                    "Shown in failure reports"};
inline constexpr SettingKey SysTray{kVellumo, kAdmin, "SysTray", "", "Shown in failure reports"};
// The add-in's connection reads it as a switch.
inline constexpr SettingKey SysTrayAtStartup{kVellumo, kAdmin, "SysTray", "False",
                                             "True: the administrator's tray icon is shown"};
inline constexpr SettingKey StartupSetupWiz{
    kVellumo, kAdmin, "StartupSetupWiz", "True",
    "True: the set-up wizard starts at the mail client's next start (then False)"};
inline constexpr SettingKey ShowSetupLauncherButton{
    kVellumo, kAdmin, "ShowSetupLauncherButton", "True",
    "True: the set-up button is on the Standard bar"};
inline constexpr SettingKey ESignature{
    kVellumo, kAdmin, "eSignature", "True",
    "True: the mode button also offers eSignature (the mail client's own signature files)"};
inline constexpr SettingKey ShowOptionsPage{kVellumo, kAdmin, "ShowOptionsPage", "True",
                                            "True: Vellumo's page is in the options dialog"};
inline constexpr SettingKey WipeoutRichTextToHTML{
    kVellumo, kAdmin, "WipeoutRichTextToHTML", "False",
    "True: at start-up the mail client's editor is set to HTML"};
inline constexpr SettingKey WipeoutWordRTFtoWordHTML{
    kVellumo, kAdmin, "WipeoutWordRTFtoWordHTML", "False",
    "True: at start-up a word-editor rich-text preference becomes word-editor HTML"};
inline constexpr SettingKey WipeoutSetSpellCheckOn{
    kVellumo, kAdmin, "WipeoutSetSpellCheckOn", "False",
    "True: at start-up the mail client's spelling check and auto-correct are switched on"};
inline constexpr SettingKey WipeoutPersonalStationeryAlways{
    kVellumo, kAdmin, "WipeoutPersonalStationeryAlways", "False",
    "True: at every start-up the mail client's personal stationery is removed"};
inline constexpr SettingKey WipeoutHTML{kVellumo, kAdmin, "WipeoutHTML", "False",
                                        "True: take the user's own HTML formatting out"};
inline constexpr SettingKey WipeOutFontControl{kVellumo, kAdmin, "WipeOutFontControl", "False",
                                               "True: take the user's font tags out"};
inline constexpr SettingKey WipeoutBlockquote{kVellumo, kAdmin, "WipeoutBlockquote", "True",
                                              "True: take block quotes out of the user's text"};
inline constexpr SettingKey WipeOutFileCompare{
    kVellumo, kAdmin, "WipeOutFileCompare", "False",
    "True: dump the user's text before and after the rules"};
inline constexpr SettingKey WipeoutHardRule{kVellumo, kAdmin, "WipeoutHardRule", "False",
                                            "True: take horizontal rules out of the user's text"};
inline constexpr SettingKey WipeoutSignatureTable{kVellumo, kAdmin, "WipeoutSignatureTable", "True",
                                                  "True: a reply's signature goes in a table"};
inline constexpr SettingKey RemoveReplyTags{kVellumo, kAdmin, "RemoveReplyTags", "False",
                                            "True: remove the tags below from a reply's history"};
inline constexpr SettingKey WipeoutHTMLBeginTag{kVellumo, kAdmin, "WipeoutHTMLBeginTag", "",
                                                "Opening tag removed from a reply's history"};
inline constexpr SettingKey WipeoutHTMLEndTag{kVellumo, kAdmin, "WipeoutHTMLEndTag", "",
                                              "Closing tag removed from a reply's history"};
inline constexpr SettingKey WipeoutHTMLTagsGroup{kVellumo, kAdmin, "WipeoutHTMLTagsGroup", "",
                                                 "Group of tags removed from a reply's history"};
inline constexpr SettingKey WipeoutReplyFontSmall{
    kVellumo, kAdmin, "WipeoutReplyFontSmall", "False", "True: a reply's history in a small font"};
inline constexpr SettingKey WipeoutReplySeparator{
    kVellumo, kAdmin, "WipeoutReplySeparator", "<hr>",
    "Markup between the new text and a reply's history"};
inline constexpr SettingKey WipeoutRemoveConvertedBR{
    kVellumo, kAdmin, "WipeoutRemoveConvertedBR", "False",
    "True: a double break made from a line end becomes one"};

// Admin Settings: the active signature profile (a profile keeps the same names in its own section)
inline constexpr SettingKey SigFullname{kVellumo, kAdmin, "SigFullname", "", "Full name"};
inline constexpr SettingKey SigFullnameFR{kVellumo, kAdmin, "SigFullnameFR", "",
                                          "Full name, French"};
inline constexpr SettingKey SigOrganizationName{kVellumo, kAdmin, "SigOrganizationName", "",
                                                "Organisation"};
inline constexpr SettingKey SigOrganizationNameFR{kVellumo, kAdmin, "SigOrganizationNameFR", "",
                                                  "Organisation, French"};
inline constexpr SettingKey SigDivision{kVellumo, kAdmin, "SigDivision", "", "Division"};
inline constexpr SettingKey SigDivisionFR{kVellumo, kAdmin, "SigDivisionFR", "",
                                          "Division, French"};
inline constexpr SettingKey SigBranch{kVellumo, kAdmin, "SigBranch", "", "Branch"};
inline constexpr SettingKey SigBranchFR{kVellumo, kAdmin, "SigBranchFR", "", "Branch, French"};
inline constexpr SettingKey SigPosition{kVellumo, kAdmin, "SigPosition", "", "Position"};
inline constexpr SettingKey SigPositionFR{kVellumo, kAdmin, "SigPositionFR", "",
                                          "Position, French"};
inline constexpr SettingKey SigEmail{kVellumo, kAdmin, "SigEmail", "", "E-mail address"};
inline constexpr SettingKey SigTelephone{kVellumo, kAdmin, "SigTelephone", "", "Telephone"};
inline constexpr SettingKey SigFax{kVellumo, kAdmin, "SigFax", "", "Fax"};
inline constexpr SettingKey SigCell{kVellumo, kAdmin, "SigCell", "", "Cell phone"};
inline constexpr SettingKey SigAddress{kVellumo, kAdmin, "SigAddress", "", "Address, line 1"};
inline constexpr SettingKey SigAddress2{kVellumo, kAdmin, "SigAddress2", "", "Address, line 2"};
inline constexpr SettingKey SigAddress3{kVellumo, kAdmin, "SigAddress3", "", "Address, line 3"};
inline constexpr SettingKey SigAddress4{kVellumo, kAdmin, "SigAddress4", "", "Address, line 4"};
inline constexpr SettingKey SigAddressFR{kVellumo, kAdmin, "SigAddressFR", "",
                                         "Address, line 1, French"};
inline constexpr SettingKey SigAddress2FR{kVellumo, kAdmin, "SigAddress2FR", "",
                                          "Address, line 2, French"};
inline constexpr SettingKey SigAddress3FR{kVellumo, kAdmin, "SigAddress3FR", "",
                                          "Address, line 3, French"};
inline constexpr SettingKey SigAddress4FR{kVellumo, kAdmin, "SigAddress4FR", "",
                                          "Address, line 4, French"};
inline constexpr SettingKey SigWebsite{kVellumo, kAdmin, "SigWebsite", "", "Web site"};
inline constexpr SettingKey SigWebsiteFR{kVellumo, kAdmin, "SigWebsiteFR", "", "Web site, French"};
inline constexpr SettingKey SigWebsiteDisplayName{kVellumo, kAdmin, "SigWebsiteDisplayName", "",
                                                  "Web site's shown name"};
inline constexpr SettingKey SigWebsiteDisplayNameFR{kVellumo, kAdmin, "SigWebsiteDisplayNameFR", "",
                                                    "Web site's shown name, French"};
inline constexpr SettingKey SigWebsiteCustom1{kVellumo, kAdmin, "SigWebsiteCustom1", "",
                                              "Custom web site 1"};
inline constexpr SettingKey SigWebsiteCustom2{kVellumo, kAdmin, "SigWebsiteCustom2", "",
                                              "Custom web site 2"};
inline constexpr SettingKey SigWebsiteCustom3{kVellumo, kAdmin, "SigWebsiteCustom3", "",
                                              "Custom web site 3"};
inline constexpr SettingKey SigWebsiteCustom4{kVellumo, kAdmin, "SigWebsiteCustom4", "",
                                              "Custom web site 4"};
inline constexpr SettingKey SigWebsiteCustom5{kVellumo, kAdmin, "SigWebsiteCustom5", "",
                                              "Custom web site 5"};
inline constexpr SettingKey SigWebsiteCustom6{kVellumo, kAdmin, "SigWebsiteCustom6", "",
                                              "Custom web site 6"};
inline constexpr SettingKey SigWebsiteCustom7{kVellumo, kAdmin, "SigWebsiteCustom7", "",
                                              "Custom web site 7"};
inline constexpr SettingKey SigWebsiteCustom8{kVellumo, kAdmin, "SigWebsiteCustom8", "",
                                              "Custom web site 8"};
inline constexpr SettingKey SigWebsiteCustom9{kVellumo, kAdmin, "SigWebsiteCustom9", "",
                                              "Custom web site 9"};
inline constexpr SettingKey SigWebsiteCustom10{kVellumo, kAdmin, "SigWebsiteCustom10", "",
                                               "Custom web site 10"};
inline constexpr SettingKey SigGifFile{kVellumo, kAdmin, "SigGifFile", "", "GIF picture 1"};
inline constexpr SettingKey SigGifFile2{kVellumo, kAdmin, "SigGifFile2", "", "GIF picture 2"};
inline constexpr SettingKey SigGifFile3{kVellumo, kAdmin, "SigGifFile3", "", "GIF picture 3"};
inline constexpr SettingKey SigGifFile4{kVellumo, kAdmin, "SigGifFile4", "", "GIF picture 4"};
inline constexpr SettingKey SigGifFile5{kVellumo, kAdmin, "SigGifFile5", "", "GIF picture 5"};
inline constexpr SettingKey SigJPEGFile{kVellumo, kAdmin, "SigJPEGFile", "", "JPEG picture 1"};
inline constexpr SettingKey SigJPEGFile2{kVellumo, kAdmin, "SigJPEGFile2", "", "JPEG picture 2"};
inline constexpr SettingKey SigJPEGFile3{kVellumo, kAdmin, "SigJPEGFile3", "", "JPEG picture 3"};
inline constexpr SettingKey SigJPEGFile4{kVellumo, kAdmin, "SigJPEGFile4", "", "JPEG picture 4"};
inline constexpr SettingKey SigJPEGFile5{kVellumo, kAdmin, "SigJPEGFile5", "", "JPEG picture 5"};
inline constexpr SettingKey SigBGColor{kVellumo, kAdmin, "SigBGColor", "#FFFFFF",
                                       "Background colour of the signature"};
inline constexpr SettingKey SigTelephoneLabel{kVellumo, kAdmin, "SigTelephoneLabel", "",
                                              "Label before the telephone number"};
inline constexpr SettingKey SigFaxLabel{kVellumo, kAdmin, "SigFaxLabel", "",
                                        "Label before the fax number"};
inline constexpr SettingKey SigCellLabel{kVellumo, kAdmin, "SigCellLabel", "",
                                         "Label before the cell number"};
inline constexpr SettingKey SigPositionLabel{kVellumo, kAdmin, "SigPositionLabel", "",
                                             "Label before the position"};
inline constexpr SettingKey SigDivisionLabel{kVellumo, kAdmin, "SigDivisionLabel", "",
                                             "Label before the division"};
inline constexpr SettingKey SigBranchLabel{kVellumo, kAdmin, "SigBranchLabel", "",
                                           "Label before the branch"};
// The composition's templates carry the label as a placeholder; an unset label still reads as the
// usual word there. Signature files show nothing.
inline constexpr SettingKey CompositionTelephoneLabel{
    kVellumo, kAdmin, "SigTelephoneLabel",
    "Tel:", "Label before the telephone number, in a composed message"};
// As CompositionTelephoneLabel.
inline constexpr SettingKey CompositionFaxLabel{
    kVellumo, kAdmin, "SigFaxLabel", "Fax:", "Label before the fax number, in a composed message"};
// As CompositionTelephoneLabel.
inline constexpr SettingKey CompositionCellLabel{
    kVellumo, kAdmin, "SigCellLabel",
    "Cell:", "Label before the cell number, in a composed message"};
inline constexpr SettingKey SigFaxEmptyStringHTM{
    kVellumo, kAdmin, "SigFaxEmptyStringHTM", "FAX</font>&nbsp; [#SigFax#]",
    "HTML signature text removed when there is no fax"};
inline constexpr SettingKey SigFaxEmptyStringReplaceHTM{
    kVellumo, kAdmin, "SigFaxEmptyStringReplaceHTM", "</font>", "What it is replaced with"};
inline constexpr SettingKey SigFaxEmptyStringRTFTXT{
    kVellumo, kAdmin, "SigFaxEmptyStringRTFTXT", "FAX",
    "RTF and text signature text removed when there is no fax"};
inline constexpr SettingKey SigFaxEmptyStringReplaceRTFTXT{
    kVellumo, kAdmin, "SigFaxEmptyStringReplaceRTFTXT", "", "What it is replaced with"};
inline constexpr SettingKey SigCellEmptyStringHTM{
    kVellumo, kAdmin, "SigCellEmptyStringHTM", "CELL</font>&nbsp; [#SigCell#]",
    "HTML signature text removed when there is no cell number"};
inline constexpr SettingKey SigCellEmptyStringReplaceHTM{
    kVellumo, kAdmin, "SigCellEmptyStringReplaceHTM", "</font>", "What it is replaced with"};
inline constexpr SettingKey SigCellEmptyStringRTFTXT{
    kVellumo, kAdmin, "SigCellEmptyStringRTFTXT", "CELL",
    "RTF and text signature text removed when there is no cell number"};
inline constexpr SettingKey SigCellEmptyStringReplaceRTFTXT{
    kVellumo, kAdmin, "SigCellEmptyStringReplaceRTFTXT", "", "What it is replaced with"};

// User Settings: the user's choices
inline constexpr SettingKey SettingButtonBar{
    kVellumo, kUser, "SettingButtonBar", "",
    "auto: every message is dressed when sent; on: by the toolbar"};
inline constexpr SettingKey Template{kVellumo, kUser, "Template", "",
                                     "The template file, e.g. Blue Sky.htm"};
inline constexpr SettingKey LogContactNotes{
    kVellumo, kUser, "LogContactNotes", "True",
    "True: in contact mode a dated line goes into the contact's notes on each send"};
inline constexpr SettingKey Signature{kVellumo, kUser, "Signature", "",
                                      "The signature file; none: no signature"};
inline constexpr SettingKey SignatureList{kVellumo, kUser, "SignatureList", "Main signature",
                                          "The signature profiles, separated by ;"};
inline constexpr SettingKey SendAsIs{kVellumo, kUser, "SendAsIs", "False",
                                     "True: the next message goes out undressed (reset after it)"};
inline constexpr SettingKey ReplyAsIs{kVellumo, kUser, "Reply as is", "0",
                                      "1: replies go out undressed"};
inline constexpr SettingKey SendQuote{kVellumo, kUser, "SendQuote", "False",
                                      "True: the quote below fills the quote placeholder"};
inline constexpr SettingKey SendQuoteString{kVellumo, kUser, "SendQuoteString", "",
                                            "The quote (the next tip when tips are on)"};
inline constexpr SettingKey RTFOnly{kVellumo, kUser, "RTFOnly", "False",
                                    "True: file links in the signature become web links"};
inline constexpr SettingKey vCard{kVellumo, kUser, "vCard", "", "The user's vCard; empty: none"};
inline constexpr SettingKey vCardPath{kVellumo, kUser, "vCardPath", "",
                                      "The vCard file attached when the box is ticked"};
inline constexpr SettingKey BrowserTop{kVellumo, kUser, "BrowserTop", "990",
                                       "Preview window's top, in twips (remembered)"};
inline constexpr SettingKey BrowserLeft{kVellumo, kUser, "BrowserLeft", "2595",
                                        "Preview window's left, in twips (remembered)"};
inline constexpr SettingKey BrowserHeight{kVellumo, kUser, "BrowserHeight", "6000",
                                          "Preview window's height, in twips (remembered)"};
inline constexpr SettingKey BrowserWidth{kVellumo, kUser, "BrowserWidth", "10170",
                                         "Preview window's width, in twips (remembered)"};
inline constexpr SettingKey FormatWarningMessage{kVellumo, kUser, "FormatWarningMessage", "True",
                                                 "False: the user turned the format warning off"};
inline constexpr SettingKey WipeoutDivTag{kVellumo, kUser, "WipeoutDivTag", "False",
                                          "True: the user's division tags become line breaks"};
inline constexpr SettingKey InsertDate{kVellumo, kUser, "InsertDate", "False",
                                       "True: a date line above the text"};
inline constexpr SettingKey InsertTime{kVellumo, kUser, "InsertTime", "False",
                                       "True: the time on the date line"};
inline constexpr SettingKey InsertDateFormat{kVellumo, kUser, "InsertDateFormat", "",
                                             "Long: the date with its weekday"};
inline constexpr SettingKey InsertOrder{kVellumo, kUser, "InsertOrder", "",
                                        "\"\" or DateString: the date first; else the text first"};
inline constexpr SettingKey InsertString{kVellumo, kUser, "InsertString", "",
                                         "Text on the date line"};
inline constexpr SettingKey InsertStringBeforeDate{kVellumo, kUser, "InsertStringBeforeDate", "",
                                                   "Text before the date on the date line"};
inline constexpr SettingKey InsertFontControl{kVellumo, kUser, "InsertFontControl", "",
                                              "Font markup around the date line"};
inline constexpr SettingKey SuppressToolbar{kVellumo, kUser, "SuppressToolbar", "",
                                            "Shown in failure reports"};
// The add-in's start-up reads these two with its own defaults: no mode button until a user
// asks for one, and automatic mode when none was ever chosen.
inline constexpr SettingKey SuppressToolbarAtStartup{
    kVellumo, kUser, "SuppressToolbar", "True", "False: the mode button is on the Standard bar"};
inline constexpr SettingKey SettingButtonBarAtStartup{
    kVellumo, kUser, "SettingButtonBar", "auto",
    "The mode the mode button shows: auto, off, eSignature (on: no caption)"};
inline constexpr SettingKey PromptOnReplies{kVellumo, kUser, "PromptOnReplies", "",
                                            "Shown in failure reports"};
// The options page keeps its log's location with the user's settings, not the administrator's.
inline constexpr SettingKey OptionsPageErrorFileLocation{
    kVellumo, kUser, "ErrorFileLocation", "",
    "The options page's error log; made and stored when empty"};

// System Settings: kept by the program
inline constexpr SettingKey SystemCheck{kVellumo, kSystem, "SystemCheck", "False",
                                        "True: trace lines for every check of a send in the log"};
inline constexpr SettingKey MyReplySearchString{
    kVellumo, kSystem, "MyReplySearchString", "",
    "Text that marks a reply's history in a plain-text message"};
inline constexpr SettingKey Office2003SearchString{
    kVellumo, kSystem, "Office2003SearchString", "",
    "Text that marks a reply's history in an HTML message"};
inline constexpr SettingKey ExchangeDomain{kVellumo, kSystem, "ExchangeDomain",
                                           "exchange.corvane.example",
                                           "Domain of internal recipients (when not ExchangeUser)"};
inline constexpr SettingKey ReplySearchStringVal{kVellumo, kSystem, "ReplySearchStringVal", "1",
                                                 "How a reply is cut at its marker (cut before)"};
inline constexpr SettingKey ReplyInsertStringVal{kVellumo, kSystem, "ReplyInsertStringVal", "1",
                                                 "How a reply is cut at its marker (skip after)"};
inline constexpr SettingKey LastTipNumber{kVellumo, kSystem, "LastTipNumber", "1",
                                          "The tip shown last"};

// Template Settings: the user's own substitutions, code N becomes swap N
inline constexpr SettingKey UserCode1{kVellumo, kTemplate, "UserCode1", "",
                                      "Text replaced by UserSwap1"};
inline constexpr SettingKey UserSwap1{kVellumo, kTemplate, "UserSwap1", "",
                                      "What replaces UserCode1"};
inline constexpr SettingKey UserCode2{kVellumo, kTemplate, "UserCode2", "",
                                      "Text replaced by UserSwap2"};
inline constexpr SettingKey UserSwap2{kVellumo, kTemplate, "UserSwap2", "",
                                      "What replaces UserCode2"};
inline constexpr SettingKey UserCode3{kVellumo, kTemplate, "UserCode3", "",
                                      "Text replaced by UserSwap3"};
inline constexpr SettingKey UserSwap3{kVellumo, kTemplate, "UserSwap3", "",
                                      "What replaces UserCode3"};
inline constexpr SettingKey UserCode4{kVellumo, kTemplate, "UserCode4", "",
                                      "Text replaced by UserSwap4"};
inline constexpr SettingKey UserSwap4{kVellumo, kTemplate, "UserSwap4", "",
                                      "What replaces UserCode4"};
inline constexpr SettingKey UserCode5{kVellumo, kTemplate, "UserCode5", "",
                                      "Text replaced by UserSwap5"};
inline constexpr SettingKey UserSwap5{kVellumo, kTemplate, "UserSwap5", "",
                                      "What replaces UserCode5"};

// The options page: it shows and saves these with its own defaults, the ones a user sees on a
// store nothing was written to yet.
inline constexpr SettingKey PageHtmFilesPath{
    kVellumo, kAdmin, "HTM Files Path", "C:\\temp\\",
    "Folder of the templates, as the options page shows it"};
inline constexpr SettingKey PageSignaturesPath{
    kVellumo, kAdmin, "Signatures Path", "C:\\windows\\application data\\microsoft\\signatures",
    "Folder of the signature files, as the options page shows it"};
inline constexpr SettingKey PageExchangeDomain{
    kVellumo, kSystem, "ExchangeDomain", "",
    "Domain of internal recipients, as the options page shows it"};
inline constexpr SettingKey PageSettingButtonBar{
    kVellumo, kUser, "SettingButtonBar", "on",
    "The send mode the options page shows: on and auto select a dressed send, off none"};
inline constexpr SettingKey PageReplyAsIs{kVellumo, kUser, "Reply as is", "False",
                                          "1: the options page shows replies sent as they are"};
inline constexpr SettingKey AdminSuppressToolBar{
    kVellumo, kAdmin, "SuppressToolBar", "False",
    "True: the options page ticks \"Do not show toolbar shortcuts\" until the user chose"};
inline constexpr SettingKey PageInsertOrder{
    kVellumo, kUser, "InsertOrder", "DateString",
    "The order the options page shows: DateString (Above) the date first"};
inline constexpr SettingKey HelpOptionsPage{
    kVellumo, kAdmin, "HelpOptionsPage", "vellumo:pages/options-help.html",
    "The options page's help page: an address, a file or a page shipped with the program"};

// The set-up wizard's vCard panel: the card chosen in its list, and whether it has offered to
// create one.
inline constexpr SettingKey vCardSelected{kVellumo, kUser, "vCardSelected", "",
                                          "File name of the vCard chosen in the set-up wizard"};
inline constexpr SettingKey vCardPathSelected{kVellumo, kUser, "vCardPathSelected", "",
                                              "Full path of the vCard chosen in the set-up wizard"};
inline constexpr SettingKey AskedForVCard{
    kVellumo, kAdmin, "AskedForVCard", "True",
    "False: the set-up wizard offers once to save the profile as a vCard"};

// The set-up wizard. Its frame's two screens are kept under its own application name, shared
// with the send-to-many wizard.
inline constexpr SettingKey IntroductionScreen{
    kSetupWiz, "Vellumo", "IntroductionScreen", "",
    "ShowIntro: the set-up wizards start at Step 1, skipping the introduction"};
inline constexpr SettingKey ConfirmScreen{
    kSetupWiz, "Vellumo", "ConfirmScreen", "",
    "DontShow: the set-up wizards end without the confirmation screen"};
inline constexpr SettingKey ShowCustomTemplates{
    kVellumo, kAdmin, "ShowCustomTemplates", "True",
    "False: the set-up wizard leaves out its custom-templates step"};
inline constexpr SettingKey RunFirstTime{
    kVellumo, kAdmin, "RunFirstTime", "False",
    "True: the set-up wizard offers the quick tour once after it saved"};
// The wizard's tour offer reads the user's toolbar choice as stored: only "True" suppresses it.
inline constexpr SettingKey WizardSuppressToolbar{
    kVellumo, kUser, "SuppressToolbar", "False",
    "True: the set-up wizard does not offer the quick tour"};
inline constexpr SettingKey VellumoSignatureOnly{
    kVellumo, kAdmin, "VellumoSignatureOnly", "False",
    "True: the set-up wizard also writes the mail client's signature files when it saves"};
// The wizard's own default for the preview box: a new user previews. (Its three label boxes start
// as the composition reads them: the Composition*Label rows.)
inline constexpr SettingKey WizardAutoPreview{kVellumo, kAdmin, "AutoPreview", "True",
                                              "The set-up wizard's preview box"};
inline constexpr SettingKey BilingualWizard{
    kVellumo, kAdmin, "BilingualWizard", "False",
    "True: the set-up wizard shows the second-language column"};
// The wizard's web site box starts with the scheme when nothing is stored.
inline constexpr SettingKey WizardWebsite{kVellumo, kAdmin, "SigWebsite", "http://",
                                          "Web site, as the set-up wizard starts it"};
inline constexpr SettingKey WizardLogo{
    kVellumo, kAdmin, "WizardLogo", "",
    "Picture shown on the set-up wizard's first and last screens"};
inline constexpr SettingKey UseMAPI{
    kVellumo, kAdmin, "UseMAPI", "False",
    "True: the set-up wizard pre-fills name and address from the mail client's current user"};
inline constexpr SettingKey WizDisablevCard{kVellumo, kAdmin, "WizDisablevCard", "False",
                                            "True: the set-up wizard hides its vCard panel"};
inline constexpr SettingKey WizDisableBilingual{kVellumo, kAdmin, "WizDisableBilingual", "False",
                                                "True: the set-up wizard hides the bilingual box"};
inline constexpr SettingKey WizDisableWebsite{kVellumo, kAdmin, "WizDisableWebsite", "False",
                                              "True: the set-up wizard hides the web site"};
inline constexpr SettingKey WizDisableOrganizationName{
    kVellumo, kAdmin, "WizDisableOrganizationName", "False",
    "True: the set-up wizard hides the organisation name"};
inline constexpr SettingKey WizDisablePosition{kVellumo, kAdmin, "WizDisablePosition", "False",
                                               "True: the set-up wizard hides the position"};
inline constexpr SettingKey WizDisableTelephone{kVellumo, kAdmin, "WizDisableTelephone", "False",
                                                "True: the set-up wizard hides the telephone"};
inline constexpr SettingKey WizDisableFax{kVellumo, kAdmin, "WizDisableFax", "False",
                                          "True: the set-up wizard hides the fax"};
inline constexpr SettingKey WizDisableCell{kVellumo, kAdmin, "WizDisableCell", "False",
                                           "True: the set-up wizard hides the cell"};
inline constexpr SettingKey WizDisableAddress{kVellumo, kAdmin, "WizDisableAddress", "False",
                                              "True: the set-up wizard hides the address lines"};
inline constexpr SettingKey WizDisableLabels{kVellumo, kAdmin, "WizDisableLabels", "False",
                                             "True: the set-up wizard hides the label panel"};
inline constexpr SettingKey WizDisableCustom1{
    kVellumo, kAdmin, "WizDisableCustom1", "False",
    "True: the set-up wizard hides the first custom template panel"};
inline constexpr SettingKey WizDisableCustom2{
    kVellumo, kAdmin, "WizDisableCustom2", "False",
    "True: the set-up wizard hides the second custom template panel"};
inline constexpr SettingKey WizDisableDoNotShowStep{
    kVellumo, kAdmin, "WizDisableDoNotShowStep", "False",
    "True: the set-up wizard hides \"Do not show this step\""};
inline constexpr SettingKey SystemCheckState{
    kVellumo, kSystem, "SystemCheckState", "",
    "Send Report: the set-up wizard's system test button sends the report (stage two)"};

// Every row above, in the order of this file.
[[nodiscard]] std::span<const SettingKey* const> KnownKeys();

}  // namespace vellumo::keys
