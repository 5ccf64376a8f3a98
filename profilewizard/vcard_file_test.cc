#include "profilewizard/vcard_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/text.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "tests/support/source_dir.h"
#include "tests/support/thrown_code.h"

namespace vellumo::profilewizard {
namespace {

using test_support::ThrownCode;

VCardFields AnnMarieLee() {
  VCardFields f;
  f.full_name = "Ann Marie Lee";
  f.organization = "Harbour Lanterns Ltd";
  f.position = "Keeper";
  f.telephone = "+44 1632 960001";
  f.cell = "+44 7700 900123";
  f.fax = "";
  f.email = "ann@harbour.example";
  f.website = "http://harbour.example";
  f.address1 = "1 Quay Street";
  f.address2 = "Portree";
  f.address3 = "IV51 9DE";
  return f;
}

std::vector<std::string> CardLines(const VCardFields& f) {
  const std::string card = VCardText(f);
  std::vector<std::string> lines;
  for (std::string_view line : text::Lines(card)) lines.emplace_back(line);
  return lines;
}

TEST(VCardWriter, WritesTheFourteenLinesInOrderWithFamilyNameFirst) {
  EXPECT_EQ(VCardText(AnnMarieLee()),
            "BEGIN:VCARD\r\n"
            "VERSION:2.1\r\n"
            "N:Lee, Ann Marie\r\n"
            "FN:Ann Marie Lee\r\n"
            "ORG:Harbour Lanterns Ltd\r\n"
            "TITLE:Keeper\r\n"
            "TEL;WORK;VOICE:+44 1632 960001\r\n"
            "TEL;CELL;VOICE:+44 7700 900123\r\n"
            "TEL;WORK;FAX:\r\n"
            "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:1 Quay Street=0D=0APortree=0D=0AIV51 9DE\r\n"
            "ADR;WORK:;;1 Quay Street;Portree;IV51 9DE\r\n"
            "URL;WORK:http://harbour.example\r\n"
            "EMAIL;PREF;INTERNET:ann@harbour.example\r\n"
            "END:VCARD\r\n");
}

TEST(VCardWriter, EmptyFieldsKeepTheirLinesAndValuesAreTrimmedOfSpacesOnly) {
  VCardFields f;
  f.full_name = "  Lee  ";
  f.position = "\tKeeper ";
  const std::vector<std::string> lines = CardLines(f);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[2], "N:Lee");  // one word: unchanged
  EXPECT_EQ(lines[3], "FN:Lee");
  EXPECT_EQ(lines[5], "TITLE:\tKeeper");
  EXPECT_EQ(lines[8], "TEL;WORK;FAX:");
  EXPECT_EQ(lines[9], "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:=0D=0A=0D=0A");
  EXPECT_EQ(lines[10], "ADR;WORK:;;;;");
  EXPECT_EQ(lines[12], "EMAIL;PREF;INTERNET:");
}

TEST(VCardWriter, FixNamePutsTheLastWordFirst) {
  EXPECT_EQ(FixName("Ann Marie Lee"), "Lee, Ann Marie");
  EXPECT_EQ(FixName("Ann Lee"), "Lee, Ann");
  EXPECT_EQ(FixName("Lee"), "Lee");
  EXPECT_EQ(FixName(""), "");
  EXPECT_EQ(FixName("Ann  Lee"), "Lee, Ann ");  // the text before the last space, as it is
  EXPECT_EQ(FixName("Zoë Ängström"), "Ängström, Zoë");
}

// A semicolon typed in a name or an address must not add an N or ADR component.
TEST(VCardWriter, SemicolonsAndBackslashesAreEscapedCommasAreNot) {
  VCardFields f;
  f.full_name = "Ann;Marie Lee";
  f.organization = "Lee, Lee & Co";
  f.address1 = "Unit 4; Dock 2";
  f.address2 = "C:\\odd";
  f.address3 = "end\\";
  const std::vector<std::string> lines = CardLines(f);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[2], "N:Lee, Ann\\;Marie");
  EXPECT_EQ(lines[3], "FN:Ann\\;Marie Lee");
  EXPECT_EQ(lines[4], "ORG:Lee, Lee & Co");
  EXPECT_EQ(lines[10], "ADR;WORK:;;Unit 4\\; Dock 2;C:\\\\odd;end\\\\");
}

TEST(VCardWriter, LineBreaksInAValueCannotStartANewProperty) {
  VCardFields f;
  f.full_name = "Ann Lee\r\nEND:VCARD";
  f.address1 = "1 Quay St\nFlat 2";
  f.address2 = "Portree\r";
  const std::vector<std::string> lines = CardLines(f);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[3], "FN:Ann Lee END:VCARD");
  EXPECT_EQ(lines[10], "ADR;WORK:;;1 Quay St Flat 2;Portree;");
}

// The LABEL line says quoted-printable, so a typed "=" must not read as an escape there.
TEST(VCardWriter, EqualsSignsAreEncodedInTheQuotedPrintableLabelOnly) {
  VCardFields f;
  f.address1 = "Flat=41";
  const std::vector<std::string> lines = CardLines(f);
  EXPECT_EQ(lines[9], "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:Flat=3D41=0D=0A=0D=0A");
  EXPECT_EQ(lines[10], "ADR;WORK:;;Flat=41;;");
}

TEST(VCardWriter, AFailedWriteKeepsTheEarlierCard) {
  MemFileSystem mem;
  mem.AddFile("C:\\My Documents\\Ann Lee.vcf", "old card");
  FaultyFileSystem fs(mem);
  fs.FailOn(FaultyFileSystem::Call::kWriteFile, "Ann Lee.vcf", ErrorCode::kDiskFull);
  EXPECT_EQ(ThrownCode([&] { WriteVCard(fs, "C:\\My Documents\\Ann Lee.vcf", AnnMarieLee()); }),
            ErrorCode::kDiskFull);
  EXPECT_EQ(mem.Contents("C:\\My Documents\\Ann Lee.vcf"), "old card");
}

TEST(VCardWriter, CreatesTheUsersCardInMyDocumentsNamedAfterTheFullName) {
  MemFileSystem fs;
  VCardFields f = AnnMarieLee();
  f.full_name = " Ann Marie Lee ";
  const CreatedVCard created = CreateUserVCard(fs, f);
  EXPECT_EQ(created.name, "Ann Marie Lee.vcf");
  EXPECT_EQ(created.path, "C:\\My Documents\\Ann Marie Lee.vcf");
  EXPECT_EQ(fs.Contents(created.path), VCardText(f));
  EXPECT_EQ(CardLines(f)[2], "N:Lee, Ann Marie");
}

TEST(VCardWriter, AFullNameThatCannotNameAFileWritesNothing) {
  for (const char* name : {"", "   ", "Ann/Lee", "..\\Ann", "A:B", "Ann\nLee", ".."}) {
    MemFileSystem fs;
    VCardFields f;
    f.full_name = name;
    EXPECT_EQ(ThrownCode([&] { (void)CreateUserVCard(fs, f); }), ErrorCode::kBadFileName) << name;
    EXPECT_TRUE(fs.files_written().empty()) << name;
    EXPECT_FALSE(fs.FolderExists("C:\\My Documents")) << name;
  }
}

TEST(VCardLineImporter, TakesEachKnownPropertyCaseInsensitively) {
  VCardFields f;
  EXPECT_TRUE(ImportVCardLine("FN:Ann Lee", f));
  EXPECT_TRUE(ImportVCardLine("org:Harbour", f));
  EXPECT_TRUE(ImportVCardLine("Title:Keeper", f));
  EXPECT_TRUE(ImportVCardLine("TEL;WORK;VOICE:111", f));
  EXPECT_TRUE(ImportVCardLine("TEL;CELL;VOICE:222", f));
  EXPECT_TRUE(ImportVCardLine("tel;work;fax:333", f));
  EXPECT_TRUE(ImportVCardLine("EMAIL;PREF;INTERNET:ann@x.example", f));
  EXPECT_TRUE(ImportVCardLine("URL;WORK:http://x.example/a:b", f));
  EXPECT_EQ(f.full_name, "Ann Lee");
  EXPECT_EQ(f.organization, "Harbour");
  EXPECT_EQ(f.position, "Keeper");
  EXPECT_EQ(f.telephone, "111");
  EXPECT_EQ(f.cell, "222");
  EXPECT_EQ(f.fax, "333");
  EXPECT_EQ(f.email, "ann@x.example");
  EXPECT_EQ(f.website, "http://x.example/a:b");

  const VCardFields before = f;
  for (const char* other :
       {"BEGIN:VCARD", "N:Lee;Ann", "TEL;HOME;VOICE:9", "EMAIL;PREF:a@b",
        "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:x", "FN", "", "NOTE:call FN: Bob or TITLE: boss"}) {
    EXPECT_FALSE(ImportVCardLine(other, f)) << other;
  }
  EXPECT_EQ(f, before);
}

// Parameters after the property name are not data: the value starts after the line's colon.
TEST(VCardLineImporter, ParametersBeforeTheColonAreNotTakenAsData) {
  VCardFields f;
  EXPECT_TRUE(ImportVCardLine("TEL;CELL;VOICE;PREF:0777", f));
  EXPECT_TRUE(ImportVCardLine("ADR;WORK;PREF:;;Crescent Drive;Albany;NY", f));
  EXPECT_EQ(f.cell, "0777");
  EXPECT_EQ(f.address1, "Crescent Drive");
  EXPECT_EQ(f.address2, "Albany");
  EXPECT_EQ(f.address3, "NY");
}

TEST(VCardLineImporter, SplitsTheAddressIntoThreeLines) {
  VCardFields f;
  ImportVCardLine("ADR;WORK:;;1 Quay Street;;Portree", f);
  EXPECT_EQ(f.address1, "1 Quay Street");
  EXPECT_EQ(f.address2, "Portree");
  EXPECT_EQ(f.address3, "");

  ImportVCardLine("ADR;WORK;ENCODING=QUOTED-PRINTABLE:;;1 Quay St=0D=0AFlat 2;Portree;", f);
  EXPECT_EQ(f.address1, "1 Quay St, Flat 2");
  EXPECT_EQ(f.address2, "Portree");
  EXPECT_EQ(f.address3, "");

  // More parts than lines: the rest joins the third line, nothing is dropped.
  ImportVCardLine("ADR;WORK:;Office 4;1 Main St;Austin;TX;12345;USA", f);
  EXPECT_EQ(f.address1, "Office 4");
  EXPECT_EQ(f.address2, "1 Main St");
  EXPECT_EQ(f.address3, "Austin, TX, 12345, USA");

  // An escaped semicolon stays inside its part.
  ImportVCardLine("ADR;WORK:;;Unit 4\\; Dock 2;C:\\\\odd", f);
  EXPECT_EQ(f.address1, "Unit 4; Dock 2");
  EXPECT_EQ(f.address2, "C:\\odd");
  EXPECT_EQ(f.address3, "");
}

class ImportVCardTest : public ::testing::Test {
 protected:
  MemFileSystem fs_;
  const std::string path_ = "C:\\My Documents\\card.vcf";
};

TEST_F(ImportVCardTest, ReadingWhatTheWriterWroteGivesTheSameFields) {
  VCardFields written = AnnMarieLee();
  written.full_name = "Ann;Marie Lee";
  written.organization = "Lee, Lee\\Co";
  written.fax = "=41";
  written.address1 = "Unit 4; Dock 2";
  written.address2 = "Bay\\;Quay, Skye";  // a typed backslash before a typed semicolon
  fs_.AddFolder("C:\\My Documents");
  WriteVCard(fs_, path_, written);
  VCardFields read;
  ImportVCard(fs_, path_, read);
  EXPECT_EQ(read, written);
}

TEST_F(ImportVCardTest, StartsFromEmptyFieldsAndReadsAnyLineEnd) {
  fs_.AddFile(path_, "BEGIN:VCARD\nFN:Ann Lee\rTITLE:Keeper\r\nEMAIL;PREF;INTERNET:a@b.example");
  VCardFields f = AnnMarieLee();
  ImportVCard(fs_, path_, f);
  VCardFields expected;
  expected.full_name = "Ann Lee";
  expected.position = "Keeper";
  expected.email = "a@b.example";
  EXPECT_EQ(f, expected);
}

TEST_F(ImportVCardTest, AFileOfSeveralCardsGivesTheFirstCardOnly) {
  fs_.AddFile(path_,
              "BEGIN:VCARD\r\nFN:Ann Lee\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nFN:Bob Roe\r\nORG:Roe Ltd\r\nEND:VCARD\r\n");
  VCardFields f;
  ImportVCard(fs_, path_, f);
  EXPECT_EQ(f.full_name, "Ann Lee");
  EXPECT_EQ(f.organization, "");
}

TEST_F(ImportVCardTest, AnUnreadableFileLeavesTheFieldsAsTheyWere) {
  VCardFields f = AnnMarieLee();
  EXPECT_EQ(ThrownCode([&] { ImportVCard(fs_, path_, f); }), ErrorCode::kPathNotFound);
  EXPECT_EQ(f, AnnMarieLee());
}

TEST_F(ImportVCardTest, DecodesUtf16AndWindows1252Files) {
  fs_.AddFile(path_, std::string("\xFF\xFE") + text::Utf8ToUtf16Le("FN:Zoë Lee\r\n"));
  VCardFields f;
  ImportVCard(fs_, path_, f);
  EXPECT_EQ(f.full_name, "Zoë Lee");

  fs_.AddFile(path_, "FN:Zo\xEB Lee\r\n");
  ImportVCard(fs_, path_, f);
  EXPECT_EQ(f.full_name, "Zoë Lee");
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Cards exported by real programs: none may fail to read, and the common fields come out.
TEST(ImportVCardRealWorld, ReadsExportedCards) {
  const std::filesystem::path folder = test_support::RealWorldDir() / "vcf";
  if (!std::filesystem::is_directory(folder))
    GTEST_SKIP() << test_support::NoRealWorldInputs(folder);
  MemFileSystem fs;
  int cards = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string path = "C:\\cards\\" + entry.path().filename().string();
    fs.AddFile(path, ReadBytes(entry.path()));
    VCardFields f;
    ImportVCard(fs, path, f);
    EXPECT_TRUE(text::IsValidUtf8(f.full_name + f.organization + f.address1)) << path;
    ++cards;
  }
  EXPECT_GE(cards, 10);

  VCardFields f;
  ImportVCard(fs, "C:\\cards\\outlook_2_1_john_doe.vcf", f);
  EXPECT_EQ(f.full_name, "Mr. John Richter James Doe Sr.");
  EXPECT_EQ(f.organization, "IBM;Accounting");
  EXPECT_EQ(f.position, "Money Counter");
  EXPECT_EQ(f.telephone, "(905) 555-1234");
  EXPECT_EQ(f.website, "http://www.ibm.com");
  EXPECT_EQ(f.email, "john.doe@ibm.cm");
  EXPECT_EQ(f.address1, "Cresent moon drive");
  EXPECT_EQ(f.address2, "Albaney");
  EXPECT_EQ(f.address3, "New York, 12345, United States of America");

  ImportVCard(fs, "C:\\cards\\outlook2003_2_1_qp_note_x509.vcf", f);
  EXPECT_EQ(f.full_name, "John Doe III");
  EXPECT_EQ(f.telephone, "BusinessPhone");
  EXPECT_EQ(f.cell, "MobilePhone");
  EXPECT_EQ(f.fax, "BusinessFaxPhone");
  EXPECT_EQ(f.email, "jdoe@hotmail.com");
  EXPECT_EQ(f.address1, "TheOffice");
  EXPECT_EQ(f.address3, "Austin, TX, 12345, United States of America");
}

}  // namespace
}  // namespace vellumo::profilewizard
