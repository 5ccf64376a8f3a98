#include "common/forms/caption_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "common/diagnostics/diagnostics.h"

namespace vellumo {
namespace {

std::string ParseError(std::string_view text) {
  try {
    CaptionTable::Parse(text, "t.txt");
  } catch (const Error& e) {
    return e.description();
  }
  return "(parsed)";
}

TEST(CaptionTableParse, ReadsEntriesEscapesCommentsAndBothLineEnds) {
  const CaptionTable table = CaptionTable::Parse(
      "# comment\r\n\r\n101\tSend\r\n1000\t  Remove \n1001\ta\\tb\\nc\\rd\\\\e\n5\t\n7\tlast",
      "t.txt");
  EXPECT_EQ(table.size(), 5u);
  EXPECT_EQ(*table.Find(101), "Send");
  EXPECT_EQ(*table.Find(1000), "  Remove ") << "blanks are part of the text";
  EXPECT_EQ(*table.Find(1001), "a\tb\nc\rd\\e");
  EXPECT_EQ(*table.Find(5), "");
  EXPECT_EQ(*table.Find(7), "last");
  EXPECT_EQ(table.Find(102), nullptr);
}

TEST(CaptionTableParse, MalformedLinesNameSourceAndLine) {
  EXPECT_EQ(ParseError("1\ta\n1\tb\n"), "t.txt:2: entry 1 appears twice");
  EXPECT_EQ(ParseError("# x\n101 Send\n"), "t.txt:2: expected NUMBER<TAB>TEXT");
  EXPECT_EQ(ParseError("abc\tSend\n"), "t.txt:1: 'abc' is not an entry number");
  EXPECT_EQ(ParseError("0\tzero\n"), "t.txt:1: '0' is not an entry number");
  EXPECT_EQ(ParseError("65536\tbig\n"), "t.txt:1: '65536' is not an entry number");
  EXPECT_EQ(ParseError(" 5\tblank\n"), "t.txt:1: ' 5' is not an entry number");
  EXPECT_EQ(ParseError("5\ta\\x\n"), "t.txt:1: unknown escape \\x");
  EXPECT_EQ(ParseError("5\ta\\\n"), "t.txt:1: a backslash ends the line");
  EXPECT_EQ(ParseError("5\t\xff\xfe\n"), "t.txt:1: the text is not UTF-8");
}

TEST(CaptionTableParse, EntryNumberAcceptsDigitsOnly) {
  EXPECT_EQ(EntryNumber("5009"), 5009);
  EXPECT_EQ(EntryNumber("  5009 "), 5009);
  EXPECT_EQ(EntryNumber("65535"), 65535);
  for (std::string_view text : {"", "   ", "abc", "12a", "-3", "+3", "0", "65536", "1 2", "\t5"}) {
    EXPECT_EQ(EntryNumber(text), std::nullopt) << "'" << text << "'";
  }
}

// Every entry the add-in's windows name, with its text: the toolbar, the template browser, the
// message form and the tray menu.
TEST(AddInCaptions, HoldsEveryEntryTheAddInsWindowsName) {
  const std::pair<int, std::string_view> expected[] = {
      {101, "Send"},
      {2001, "Go to the Corvane Help Web Site"},
      {2002, "Display or hide Outlook and other options for this message"},
      {2003, "Click Cancel to return to the email item."},
      {2005, "Send without any changes (without a template)"},
      {2006, "Click this to send the email item with the options you chose."},
      {5009, "Close"},
      {5010,
       "Note: pasted images will not appear in this preview, but will be seen in the sent "
       "version."},
      {5018, "You have chosen 'auto' mode but there is no default Template file."},
      {5019, "Vellumo Template warning"},
      {5030,
       "Your Outlook Mail Format should be HTML or Outlook Rich Text (Word as editor is "
       "optional). Check your Outlook Options. Some formatting may be lost."},
      {5031, "Vellumo Oulook Mail Format warning"},
      {5032,
       "An error has been trapped and logged. Corvane support will be notified by email. OK?"},
      {5033, "Vellumo error - notify Corvane support"},
      {5065, "Close Admininstrator"},
      {5066, "About Corvane Vellumo"},
      {5067, "Visit our site"},
      {5068, "System Info"},
      {5069, "Run the Advanced SetupLauncher"},
      {5070, "Hide Administrator"},
      {5071, "Vellumo Off"},
      {5072, "Vellumo On"},
      {5087, "Send Plain"},
      {5088, "> Template"},
      {5089, "> Signature"},
      {5090, "> Options"},
      {5091, "Attachments:"},
      {5092, "Template"},
      {5093, "Signature"},
      {5094, "do not show Preview"},
      {5095, "Subject:"},
      {5096, "Attach my vCard"},
      {5097, "Signature Profile"},
      {5099, "Next template"},
      {5100, "Next signature"},
      {5101, "Vellumo Setup"},
      {5105, "Select boilerplate text from the list"},
  };
  const CaptionTable& table = AddInCaptions();
  for (const auto& [number, text] : expected) {
    const std::string* entry = table.Find(number);
    ASSERT_NE(entry, nullptr) << "entry " << number;
    EXPECT_EQ(*entry, text) << "entry " << number;
  }
  ASSERT_NE(table.Find(5102), nullptr);
  EXPECT_THAT(*table.Find(5102), ::testing::StartsWith("vellumo:pages/"));
  // The diagnostics ask the same question when no message form is wired.
  EXPECT_EQ(*table.Find(5032), kReportQuestionText);
  EXPECT_EQ(*table.Find(5033), kReportQuestionTitle);
}

class ApplyCaptions : public ::testing::Test {
 protected:
  ApplyCaptions()
      : table_(CaptionTable::Parse("10\tWindow\n20\tButton\n30\tTip\n40\tMenu\n50\tBox text\n",
                                   "t.txt")) {
    form_.caption = "design window";
    form_.Add({.name = "cmdA", .kind = ui::ControlKind::kCommandButton, .caption = "a"});
  }
  ui::Control& Add(ui::Control control) { return form_.Add(std::move(control)); }

  CaptionTable table_;
  ui::Form form_{"frmTest"};
};

TEST_F(ApplyCaptions, NumericTagsAndToolTipsTakeTheirEntries) {
  form_.tag = "10";
  Add({.name = "cmdSend",
       .kind = ui::ControlKind::kCommandButton,
       .caption = "x",
       .tooltip = " 30 ",
       .tag = "20"});
  Add({.name = "lblA", .kind = ui::ControlKind::kLabel, .caption = "x", .tag = "20"});
  Add({.name = "chkA", .kind = ui::ControlKind::kCheckBox, .caption = "x", .tag = "20"});
  Add({.name = "cboA", .kind = ui::ControlKind::kComboBox, .tooltip = "30"});
  ApplyCaptionTable(form_, table_);

  EXPECT_EQ(form_.caption, "Window");
  EXPECT_EQ(form_["cmdSend"].caption, "Button");
  EXPECT_EQ(form_["cmdSend"].tooltip, "Tip");
  EXPECT_EQ(form_["lblA"].caption, "Button");
  EXPECT_EQ(form_["chkA"].caption, "Button");
  EXPECT_EQ(form_["cboA"].tooltip, "Tip") << "a tool tip needs no Tag of its own";
  EXPECT_EQ(form_["cmdA"].caption, "a") << "no Tag, no change";
}

TEST_F(ApplyCaptions, NonNumbersAndMissingEntriesKeepTheDesignText) {
  form_.tag = "99";
  Add({.name = "cmdB",
       .kind = ui::ControlKind::kCommandButton,
       .caption = "design",
       .tooltip = "Press here",
       .tag = "abc"});
  Add({.name = "cmdC",
       .kind = ui::ControlKind::kCommandButton,
       .caption = "design",
       .tooltip = "31",
       .tag = "21"});
  ApplyCaptionTable(form_, table_);
  EXPECT_EQ(form_.caption, "design window");
  EXPECT_EQ(form_["cmdB"].caption, "design");
  EXPECT_EQ(form_["cmdB"].tooltip, "Press here");
  EXPECT_EQ(form_["cmdC"].caption, "design");
  EXPECT_EQ(form_["cmdC"].tooltip, "31");
}

TEST_F(ApplyCaptions, MenusUseTheirCaptionAndKindsWithoutCaptionAreSkipped) {
  Add({.name = "mnHide", .kind = ui::ControlKind::kMenu, .caption = "40", .tag = "20"});
  Add({.name = "mnSep", .kind = ui::ControlKind::kMenu, .caption = "-"});
  Add({.name = "txtA", .kind = ui::ControlKind::kTextBox, .text = "typed", .tag = "50"});
  Add({.name = "filA", .kind = ui::ControlKind::kFileList, .tag = "20"});
  ApplyCaptionTable(form_, table_);
  EXPECT_EQ(form_["mnHide"].caption, "Menu");
  EXPECT_EQ(form_["mnSep"].caption, "-");
  EXPECT_EQ(form_["txtA"].text, "typed");
  EXPECT_EQ(form_["txtA"].caption, "");
  EXPECT_EQ(form_["filA"].caption, "");

  ApplyCaptionTable(form_, table_, {.text_boxes_take_text = true});
  EXPECT_EQ(form_["txtA"].text, "Box text");
}

}  // namespace
}  // namespace vellumo
