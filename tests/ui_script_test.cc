// The script window layer on the real disk: an answers file written as a user writes it drives a
// message box and an input box, and the UI log file holds one JSON line for each.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "posix/posix_file_system.h"
#include "tests/support/scoped_temp_dir.h"
#include "tty/host_factory.h"

namespace vellumo::ui {
namespace {

using Json = nlohmann::json;

class UiScriptTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(PathOf(name), std::ios::binary) << content;
  }
  std::vector<std::string> LinesOf(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      lines.push_back(line);
    }
    return lines;
  }

  test_support::ScopedTempDir temp_{"vellumo-ui"};
  std::filesystem::path folder_ = temp_.path();
};

TEST_F(UiScriptTest, AnswersFileDrivesBoxesAndTheLogHoldsOneLineEach) {
  Write("answers.txt", "No\r\ntext: Ann Lee\r\n");
  PosixFileSystem fs(folder_.string());
  auto host = MakeHost({.ui = "script",
                        .answers_file = PathOf("answers.txt"),
                        .log_file = PathOf("ui.jsonl"),
                        .stdin_is_tty = false},
                       fs);
  EXPECT_EQ(host->MsgBox("Send the report?", kYesNo + kQuestion, "Vellumo"), kNo);
  EXPECT_EQ(host->InputBox("Your name?", "Set-up", "Ann"), "Ann Lee");

  const std::vector<std::string> lines = LinesOf("ui.jsonl");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Json::parse(lines[0]), Json::parse(R"({"kind":"msgbox","title":"Vellumo",
      "text":"Send the report?","buttons":"YesNo","icon":"question","answer":"No"})"));
  EXPECT_EQ(Json::parse(lines[1]), Json::parse(R"({"kind":"inputbox","prompt":"Your name?",
      "title":"Set-up","default":"Ann","answer":"Ann Lee","cancelled":false})"));
}

TEST_F(UiScriptTest, LogIsAppendedToAndAWrongScriptFailsLoudly) {
  Write("ui.jsonl", "{\"kind\":\"earlier\"}\n");
  Write("answers.txt", "Yes\nMaybe\n");
  PosixFileSystem fs(folder_.string());
  auto host = MakeHost(
      {.ui = "script", .answers_file = PathOf("answers.txt"), .log_file = PathOf("ui.jsonl")}, fs);
  EXPECT_EQ(host->MsgBox("First?", kYesNo, "t"), kYes);
  try {
    (void)host->MsgBox("Second?", kYesNo, "t");
    FAIL() << "a wrong answer was taken";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr(PathOf("answers.txt") + ":2:"));
  }
  const std::vector<std::string> lines = LinesOf("ui.jsonl");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Json::parse(lines[0])["kind"], "earlier");
  EXPECT_EQ(Json::parse(lines[1])["text"], "First?");
}

}  // namespace
}  // namespace vellumo::ui
