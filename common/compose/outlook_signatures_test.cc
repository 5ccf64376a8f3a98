#include "common/compose/outlook_signatures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "common/settings/settings.h"
#include "platform/faulty_file_system.h"
#include "platform/fixed_system_info.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"

namespace vellumo::compose {
namespace {

constexpr std::string_view kTemplates = "C:\\Sigs";
constexpr std::string_view kFolder =
    "c:\\Documents and Settings\\ann\\application data\\Microsoft\\signatures\\";
constexpr std::string_view kProgramFile =
    "C:\\Program Files\\Corvane\\Vellumo\\Programs\\resetsig.reg";
constexpr std::string_view kTempFile = "C:\\CorvaneTempReg\\resetsig.reg";
constexpr std::string_view kMailSettings10 =
    "HKCU\\Software\\Microsoft\\Office\\10.0\\Common\\MailSettings";
constexpr std::string_view kMailSettings11 =
    "HKCU\\Software\\Microsoft\\Office\\11.0\\Common\\MailSettings";

std::string InFolder(std::string_view name) { return std::string(kFolder) + std::string(name); }
std::string Template(std::string_view name) {
  return std::string(kTemplates) + "\\" + std::string(name);
}

// Remembers, at each import, whether the files it reads from were still there.
class WatchedRegistry final : public MemRegistry {
 public:
  explicit WatchedRegistry(FileSystem& fs) : fs_(fs) {}
  void Apply(const std::vector<RegOp>& ops) override {
    temp_copy_present.push_back(fs_.FileExists(kTempFile));
    program_file_present.push_back(fs_.FileExists(kProgramFile));
    MemRegistry::Apply(ops);
  }
  std::vector<bool> temp_copy_present;
  std::vector<bool> program_file_present;

 private:
  FileSystem& fs_;
};

class OutlookSignaturesTest : public ::testing::Test {
 protected:
  OutlookSignaturesTest() {
    system_.user_name = "ann";
    Admin("Signatures Path", kTemplates);
    Admin("SigFullname", "Ann Lee");
    Admin("SigOrganizationName", "Harbour Lights");
    Admin("SigPosition", "Keeper");
    Admin("SigEmail", "ann@example.com");
    Admin("SigAddress", "1 Quay");
    Admin("SigAddress2", "Whitby");
    Admin("SigAddress3", "North Yorkshire");
    Admin("SigAddress4", "England");
    Admin("SigTelephone", "555-0100");
    Admin("SigFax", "555-0101");
    Admin("SigCell", "555-0199");
  }
  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "Admin Settings", key, value);
  }
  SignatureFilesResult Create(SignatureLists lists = SignatureLists::kAddIn) {
    return CreateOutlookSignatures(deps_, lists);
  }
  SignatureFilesResult Reset() { return ResetOutlookSignatures(deps_); }
  std::string Generated(std::string_view name) {
    return mem_.Contents(InFolder(name)).value_or("(none)");
  }
  std::optional<RegValue> MailSetting(std::string_view key, std::string_view name) {
    return registry_.GetValue(key, name);
  }

  MemFileSystem mem_;
  FaultyFileSystem fs_{mem_};
  WatchedRegistry registry_{mem_};
  FaultyRegistry faulty_registry_{registry_};
  Settings settings_{faulty_registry_};
  FixedSystemInfo system_;
  OutlookSignatureDeps deps_{settings_, fs_, system_, faulty_registry_};
};

// ---------------------------------------------------------------------------------------------
// The generator.

TEST_F(OutlookSignaturesTest, TemplateGivesItsBaseNameAndReplacesTheOlderFiles) {
  mem_.AddFile(Template("Main_template.html"),
               "<p>[#SigFullname#]\r\n<br>[#SigPosition#]</p>\n<p>[#SigEmail#]</p>");
  mem_.AddFile(InFolder("Main.htm"), "old htm");
  mem_.AddFile(InFolder("Main.html"), "old html");

  const SignatureFilesResult result = Create();

  EXPECT_EQ(Generated("Main.html"), "<p>Ann Lee<br>Keeper</p><p>ann@example.com</p>\r\n");
  EXPECT_FALSE(mem_.Contents(InFolder("Main.htm")));
  EXPECT_EQ(result.folder, kFolder);
  EXPECT_EQ(result.written, (std::vector<std::string>{InFolder("Main.html"),
                                                      InFolder("Vellumo Text Signature.txt")}));
  EXPECT_EQ(result.removed, std::vector<std::string>{InFolder("Main.htm")});
  EXPECT_TRUE(result.failures.empty());
}

TEST_F(OutlookSignaturesTest, OnlyMarkedTemplatesAreUsedInListingOrder) {
  mem_.AddFile(Template("b_template.html"), "B");
  mem_.AddFile(Template("A_template.rtf"), "{\\rtf1 A}");
  mem_.AddFile(Template("a_template.html"), "a");
  mem_.AddFile(Template("Notes.html"), "not a template");
  mem_.AddFile(Template("_template.html"), "no base name");
  mem_.AddFile(Template("Plain_template.txt"), "text");  // the add-in takes no text templates
  mem_.AddFile(Template("Main_template.htm"), "wrong extension");

  const SignatureFilesResult result = Create();

  EXPECT_EQ(result.written,
            (std::vector<std::string>{InFolder("a.html"), InFolder("b.html"), InFolder("A.rtf"),
                                      InFolder("Vellumo Text Signature.txt")}));
  EXPECT_EQ(result.skipped, (std::vector<std::string>{"_template.html", "Notes.html"}));
  EXPECT_EQ(Generated("A.rtf"), "{\\rtf1 A}\r\n");
  EXPECT_FALSE(mem_.Contents(InFolder("Notes.html")));
  EXPECT_FALSE(mem_.Contents(InFolder(".html")));
}

TEST_F(OutlookSignaturesTest, LabelStepFollowsTheNumbersInItsOrder) {
  const std::string labels = "Cell: [#SigCell#] Fax: [#SigFax#] Telephone: [#SigTelephone#]";
  mem_.AddFile(Template("L_template.html"), labels + "|Cell:");
  mem_.AddFile(Template("L_template.rtf"), labels);

  // Numbers set, no custom labels: the fixed labels stay.
  (void)Create();
  EXPECT_EQ(Generated("L.html"), "Cell: 555-0199 Fax: 555-0101 Telephone: 555-0100|Cell:\r\n");

  // Custom label for a number that is set: every occurrence, in HTML and RTF alike.
  Admin("SigCellLabel", "Mobile:");
  (void)Create();
  EXPECT_EQ(Generated("L.html"), "Mobile: 555-0199 Fax: 555-0101 Telephone: 555-0100|Mobile:\r\n");
  EXPECT_EQ(Generated("L.rtf"), "Mobile: 555-0199 Fax: 555-0101 Telephone: 555-0100\r\n");

  // Empty numbers lose every label, custom or not. Cell comes before fax: a cell label that
  // reads "Fax:" is removed by the fax step when the fax is empty.
  Admin("SigCellLabel", "Fax:");
  Admin("SigFax", "");
  Admin("SigTelephone", "");
  (void)Create();
  EXPECT_EQ(Generated("L.html"), " 555-0199    |\r\n");
}

TEST_F(OutlookSignaturesTest, WizardAlsoTakesTextTemplatesWithoutTheLabelStep) {
  Admin("SigCell", "");
  mem_.AddFile(Template("Plain_template.txt"), "[#SigFullname#]\nCell: [#SigCell#]\rEnd");
  mem_.AddFile(Template("Main_template.html"), "Cell:[#SigCell#]");

  const SignatureFilesResult result = Create(SignatureLists::kWizard);

  EXPECT_EQ(Generated("Plain.txt"), "Ann Lee\r\nCell: \r\nEnd\r\n");
  EXPECT_EQ(Generated("Main.html"), "Cell:\r\n");
  EXPECT_EQ(result.written,
            (std::vector<std::string>{InFolder("Main.html"), InFolder("Plain.txt")}));
  EXPECT_FALSE(mem_.Contents(InFolder("Vellumo Text Signature.txt")));
}

TEST_F(OutlookSignaturesTest, TextSignatureHasSevenRowsFilledToTheColumn) {
  (void)Create();
  const std::string pad = std::string(45 - 6, ' ');
  EXPECT_EQ(Generated("Vellumo Text Signature.txt"),
            "Ann Lee\r\n"
            "Harbour Lights" +
                std::string(45 - 14, ' ') + "\r\n" + "Keeper" + pad + "ann@example.com\r\n" +
                "1 Quay" + pad + "Telephone: 555-0100\r\n" + "Whitby" + pad +
                "Fax:       555-0101\r\n" + "North Yorkshire" + std::string(45 - 15, ' ') +
                "Cell:      555-0199\r\n" + "England\r\n");

  // A 50-character organisation gets no fill; one of 10 gets 35 spaces. No fax: row 5 is the
  // address line and its fill only.
  Admin("SigOrganizationName", std::string(50, 'O'));
  Admin("SigFax", "");
  (void)Create();
  std::string file = Generated("Vellumo Text Signature.txt");
  std::vector<std::string_view> rows = text::Lines(file);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[1], std::string(50, 'O'));
  EXPECT_EQ(rows[4], "Whitby" + pad);

  Admin("SigOrganizationName", "Lighthouse");
  (void)Create();
  file = Generated("Vellumo Text Signature.txt");
  rows = text::Lines(file);
  EXPECT_EQ(rows[1], "Lighthouse" + std::string(35, ' '));
}

TEST_F(OutlookSignaturesTest, SignatureFolderIsMadeBelowTheConfiguredRoot) {
  Admin("OutlookSignaturePath", "D:\\Profiles");  // no closing separator
  mem_.AddFile(Template("Main_template.html"), "x");

  const SignatureFilesResult result = Create();

  const std::string folder = "D:\\Profiles\\ann\\application data\\Microsoft\\signatures\\";
  EXPECT_EQ(result.folder, folder);
  EXPECT_EQ(mem_.Contents(folder + "Main.html"), "x\r\n");
  EXPECT_TRUE(result.failures.empty());
}

TEST_F(OutlookSignaturesTest, UserNameThatIsNoFolderWritesNothing) {
  mem_.AddFile(Template("Main_template.html"), "x");
  for (const char* user : {"", "..", "a\\..\\..\\b", "x/y"}) {
    system_.user_name = user;
    const SignatureFilesResult result = Create();
    EXPECT_TRUE(result.written.empty()) << user;
    ASSERT_EQ(result.failures.size(), 1u) << user;
    EXPECT_EQ(result.failures[0].step, "signature folder");
    EXPECT_NE(result.failures[0].reason.find("user name"), std::string::npos);
  }
  EXPECT_EQ(mem_.AllFiles().size(), 1u);
}

TEST_F(OutlookSignaturesTest, TemplatesInOtherEncodingsAreReadAsText) {
  // Windows-1252 and UTF-16 HTML become UTF-8; an RTF template keeps its own bytes.
  Admin("SigFullname", "Zoë");
  mem_.AddFile(Template("Latin_template.html"), "Caf\xE9 [#SigFullname#]");
  mem_.AddFile(Template("Wide_template.html"),
               std::string("\xFF\xFE", 2) + text::Utf8ToUtf16Le("Ï\r\n[#SigFullname#]"));
  mem_.AddFile(Template("Latin_template.rtf"), "{\\rtf1\\ansi Caf\xE9\r\n [#SigFullname#]}");

  const SignatureFilesResult result = Create();

  EXPECT_EQ(Generated("Latin.html"), "Café Zoë\r\n");
  EXPECT_EQ(Generated("Wide.html"), "ÏZoë\r\n");
  EXPECT_EQ(Generated("Latin.rtf"), "{\\rtf1\\ansi Caf\xE9 Zoë}\r\n");
  EXPECT_TRUE(result.failures.empty());
}

TEST(JoinRtfLines, KeepsWhatTheLineBreaksMeant) {
  // Breaks before a control or inside text mean nothing to RTF: the lines simply join.
  EXPECT_EQ(JoinRtfLines("{\\rtf1\\ansi\r\n{\\fonttbl}\r\nHel\nlo}"),
            "{\\rtf1\\ansi{\\fonttbl}Hello}");
  // A break ends a control word: a space keeps it ended.
  EXPECT_EQ(JoinRtfLines("\\b\r\nold \\f27\r\n2 \\fs-2\r\n x"), "\\b old \\f27 2 \\fs-2  x");
  // A backslash before a break is a paragraph mark.
  EXPECT_EQ(JoinRtfLines("one\\\r\ntwo\\\r\n\r\n"), "one\\par two\\par");
  // An escaped backslash is text: nothing changes there.
  EXPECT_EQ(JoinRtfLines("a\\\\\r\nb \\\\b\r\nc"), "a\\\\b \\\\bc");
  EXPECT_EQ(JoinRtfLines(""), "");
}

TEST_F(OutlookSignaturesTest, RtfPlaceholderSplitAcrossLinesIsFilled) {
  mem_.AddFile(Template("Split_template.rtf"),
               "{\\b\r\n[#SigFull\r\nname#]}[#SigAddress\\hich\\af27\\dbch\\af17\\loch\\f27\r\n2"
               "\\hich\\af27\\dbch\\af17\\loch\\f27 #]");
  (void)Create();
  EXPECT_EQ(Generated("Split.rtf"), "{\\bAnn Lee}Whitby\r\n");
}

TEST_F(OutlookSignaturesTest, FailingStepsAreSkippedAndTheRestIsWritten) {
  mem_.AddFile(Template("A_template.html"), "a");
  mem_.AddFile(Template("B_template.html"), "b");
  mem_.AddFile(Template("C_template.html"), "c");
  mem_.AddFile(InFolder("B.html"), "old b");
  mem_.AddFile(InFolder("B.htm"), "old b htm");
  fs_.FailOn(FaultyFileSystem::Call::kReadFile, "A_template", ErrorCode::kPermissionDenied);
  fs_.FailOn(FaultyFileSystem::Call::kWriteFile, "B.html", ErrorCode::kDiskFull);

  const SignatureFilesResult result = Create();

  EXPECT_EQ(result.written,
            (std::vector<std::string>{InFolder("C.html"), InFolder("Vellumo Text Signature.txt")}));
  // The failed write keeps both older files: nothing is taken away for nothing.
  EXPECT_EQ(mem_.Contents(InFolder("B.html")), "old b");
  EXPECT_EQ(mem_.Contents(InFolder("B.htm")), "old b htm");
  ASSERT_EQ(result.failures.size(), 2u);
  EXPECT_EQ(result.failures[0].path, Template("A_template.html"));
  EXPECT_EQ(result.failures[0].reason, "Permission denied");
  EXPECT_EQ(result.failures[1].path, InFolder("B.html"));
  EXPECT_EQ(result.failures[1].step, "write");
}

TEST_F(OutlookSignaturesTest, FolderThatCannotBeMadeWritesNothing) {
  mem_.AddFile(Template("A_template.html"), "a");
  fs_.FailOn(FaultyFileSystem::Call::kCreateFolder, "signatures", ErrorCode::kPermissionDenied);
  const SignatureFilesResult result = Create();
  EXPECT_TRUE(result.written.empty());
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].step, "create folder");
}

TEST_F(OutlookSignaturesTest, NoTemplateFolderStillWritesTheTextSignature) {
  Admin("Signatures Path", "");
  const SignatureFilesResult result = Create();
  EXPECT_EQ(result.written, std::vector<std::string>{InFolder("Vellumo Text Signature.txt")});
  EXPECT_TRUE(Create(SignatureLists::kWizard).written.empty());
}

TEST_F(OutlookSignaturesTest, RegistryFailureIsRecordedNeverThrown) {
  mem_.AddFile(Template("A_template.html"), "a");
  faulty_registry_.Fail(FaultyRegistry::Call::kAny, ErrorCode::kPermissionDenied, -1);
  SignatureFilesResult result;
  EXPECT_NO_THROW(result = Create());
  EXPECT_TRUE(result.written.empty());
  EXPECT_FALSE(result.failures.empty());
  EXPECT_NO_THROW(result = Reset());
  EXPECT_FALSE(result.imported);
  faulty_registry_.Heal();
}

// ---------------------------------------------------------------------------------------------
// The reset.

TEST_F(OutlookSignaturesTest, ResetWritesTheImportFileInItsExactForm) {
  // Kept in place here so that its bytes can be read afterwards.
  fs_.FailOn(FaultyFileSystem::Call::kRemoveFile, "Programs", ErrorCode::kPermissionDenied);
  (void)Reset();
  const std::string values =
      "\"NewSignature\"=hex(2):00,00\r\n"
      "\"ReplySignature\"=hex(2):00,00\r\n"
      "\"NewStationery\"=hex(2):00,00\r\n";
  EXPECT_EQ(mem_.Contents(kProgramFile),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\10.0\\Common\\MailSettings]\r\n" +
                values +
                "\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Common\\MailSettings]"
                "\r\n" +
                values);
}

TEST_F(OutlookSignaturesTest, ResetImportsThenRemovesOnlyItsOwnFiles) {
  for (std::string_view key : {kMailSettings10, kMailSettings11}) {
    registry_.SetValue(key, "NewSignature", RegValue::String("Main"));
    registry_.SetValue(key, "ReplySignature", RegValue::String("Short"));
    registry_.SetValue(key, "NewStationery", RegValue::String("Paper"));
  }
  mem_.AddFile(InFolder("My own.htm"), "made by hand");
  mem_.AddFile(InFolder("Main.html"), "generated before");

  const SignatureFilesResult result = Reset();

  EXPECT_TRUE(result.imported);
  for (std::string_view key : {kMailSettings10, kMailSettings11}) {
    for (std::string_view name : {"NewSignature", "ReplySignature", "NewStationery"}) {
      EXPECT_EQ(MailSetting(key, name), RegValue::ExpandString("")) << key << " " << name;
    }
  }
  // The import read both files while they were there; they went only afterwards.
  EXPECT_EQ(registry_.temp_copy_present, std::vector<bool>{true});
  EXPECT_EQ(registry_.program_file_present, std::vector<bool>{true});
  EXPECT_EQ(result.removed,
            (std::vector<std::string>{std::string(kProgramFile), std::string(kTempFile),
                                      "C:\\CorvaneTempReg"}));
  EXPECT_FALSE(mem_.FileExists(kProgramFile));
  EXPECT_FALSE(mem_.FolderExists("C:\\CorvaneTempReg"));
  EXPECT_EQ(mem_.Contents(InFolder("My own.htm")), "made by hand");
  EXPECT_EQ(mem_.Contents(InFolder("Main.html")), "generated before");
  EXPECT_TRUE(result.failures.empty());
}

TEST_F(OutlookSignaturesTest, ResetKeepsWhatElseIsInTheTemporaryFolder) {
  mem_.AddFile("C:\\CorvaneTempReg\\notes.txt", "someone's notes");
  mem_.AddFile(kTempFile, "stale copy");
  const SignatureFilesResult result = Reset();
  EXPECT_TRUE(result.imported);
  EXPECT_EQ(mem_.Contents("C:\\CorvaneTempReg\\notes.txt"), "someone's notes");
  EXPECT_FALSE(mem_.FileExists(kTempFile));
  EXPECT_TRUE(result.failures.empty());
}

TEST_F(OutlookSignaturesTest, ResetUsesTheAdministratorsFileAndKeepsAMalformedOne) {
  mem_.AddFile(kProgramFile,
               "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Common\\"
               "MailSettings]\r\n\"NewSignature\"=\"Corporate\"\r\n");
  SignatureFilesResult result = Reset();
  EXPECT_TRUE(result.imported);
  EXPECT_TRUE(result.written == std::vector<std::string>{std::string(kTempFile)});
  EXPECT_EQ(MailSetting(kMailSettings11, "NewSignature"), RegValue::String("Corporate"));
  EXPECT_FALSE(mem_.FileExists(kProgramFile));

  const std::string broken = "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\nnot a value\r\n";
  mem_.AddFile(kProgramFile, broken);
  result = Reset();
  EXPECT_FALSE(result.imported);
  EXPECT_EQ(mem_.Contents(kProgramFile), broken);
  EXPECT_FALSE(mem_.FileExists(kTempFile));
  EXPECT_FALSE(mem_.FolderExists("C:\\CorvaneTempReg"));
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].step, "import");
  EXPECT_NE(result.failures[0].reason.find(std::string(kProgramFile) + ":3:"), std::string::npos)
      << result.failures[0].reason;
}

TEST_F(OutlookSignaturesTest, ResetStopsAtAFailedCopyAndCleansUp) {
  fs_.FailOn(FaultyFileSystem::Call::kCopy, "resetsig", ErrorCode::kDiskFull);
  const SignatureFilesResult result = Reset();
  EXPECT_FALSE(result.imported);
  EXPECT_EQ(registry_.temp_copy_present.size(), 0u);
  // The file written for the import stays for the next reset; the empty folder goes.
  EXPECT_EQ(mem_.Contents(kProgramFile), std::string(kResetFileText));
  EXPECT_FALSE(mem_.FolderExists("C:\\CorvaneTempReg"));
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].step, "copy");
}

}  // namespace
}  // namespace vellumo::compose
