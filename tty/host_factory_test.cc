#include "tty/host_factory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "base/error.h"
#include "platform/mem_file_system.h"
#include "platform/ui/script_host.h"
#include "tty/tty_host.h"

namespace vellumo::ui {
namespace {

using ::testing::HasSubstr;

std::string ErrorOf(const HostOptions& options, FileSystem& fs) {
  try {
    (void)MakeHost(options, fs);
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

TEST(MakeHostTest, PicksTheRendererByNameOrByTheTerminal) {
  MemFileSystem fs;
  EXPECT_NE(dynamic_cast<TtyHost*>(MakeHost({.stdin_is_tty = true}, fs).get()), nullptr);
  EXPECT_NE(dynamic_cast<ScriptHost*>(MakeHost({.stdin_is_tty = false}, fs).get()), nullptr);
  EXPECT_NE(dynamic_cast<ScriptHost*>(MakeHost({.ui = "Script", .stdin_is_tty = true}, fs).get()),
            nullptr);
  EXPECT_NE(dynamic_cast<TtyHost*>(MakeHost({.ui = "tty"}, fs).get()), nullptr);
  EXPECT_TRUE(fs.files_read().empty()) << "no answers file, nothing read";
}

TEST(MakeHostTest, WebAndUnknownRenderersFailClearly) {
  MemFileSystem fs;
  EXPECT_THAT(ErrorOf({.ui = "web"}, fs), HasSubstr("web window layer is not available"));
  const std::string unknown = ErrorOf({.ui = "gui"}, fs);
  EXPECT_THAT(unknown, HasSubstr("VELLUMO_UI=gui"));
  EXPECT_THAT(unknown, HasSubstr("expected script, tty or web"));
}

TEST(MakeHostTest, ScriptReadsItsAnswersAndWritesTheLog) {
  MemFileSystem fs;
  fs.AddFile("/home/user/answers.txt", "No\ntext: Ann\n");
  auto host = MakeHost(
      {.ui = "script", .answers_file = "/home/user/answers.txt", .log_file = "/home/user/ui.log"},
      fs);
  EXPECT_EQ(host->MsgBox("Go?", kYesNo, "t"), kNo);
  EXPECT_EQ(host->InputBox("Name?", "t", ""), "Ann");
  const std::string log = fs.Contents("/home/user/ui.log").value_or("");
  const size_t first_end = log.find('\n');
  ASSERT_NE(first_end, std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(log.substr(0, first_end))["answer"], "No");
  EXPECT_EQ(nlohmann::json::parse(log.substr(first_end + 1))["answer"], "Ann");
}

TEST(MakeHostTest, WrongPathsFailAtStart) {
  MemFileSystem fs;
  EXPECT_THAT(ErrorOf({.ui = "script", .answers_file = "/home/user/none.txt"}, fs),
              HasSubstr("File not found"));
  EXPECT_THAT(ErrorOf({.ui = "script", .log_file = "/home/user/no/such/ui.log"}, fs),
              HasSubstr("Path not found"));
  // A log is created at start, so it exists even when no box is shown.
  (void)MakeHost({.ui = "tty", .log_file = "/home/user/ui.log"}, fs);
  EXPECT_EQ(fs.Contents("/home/user/ui.log"), "");
}

}  // namespace
}  // namespace vellumo::ui
