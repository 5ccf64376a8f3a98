// `vellumo compose` as a user runs it: the message file becomes the current item, the home's
// settings and the scripted window layer are used, and bad message files fail naming the file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/text.h"
#include "common/settings/settings.h"
#include "posix/sqlite_registry.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

using test_support::ReadAll;

std::string Quote(const std::string& arg) { return "'" + text::Replace(arg, "'", "'\\''") + "'"; }

constexpr char kHtmlMail[] =
    "From: Ann <ann@example.com>\r\n"
    "To: bob@example.com\r\n"
    "Subject: Figures\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/html; charset=utf-8\r\n"
    "\r\n"
    "<p>Hello Bob</p>-----Original-----<p>Old</p>\r\n";

constexpr char kTextMail[] =
    "From: Ann <ann@example.com>\r\n"
    "To: bob@example.com\r\n"
    "Subject: Plain\r\n"
    "\r\n"
    "one\r\n"
    "\r\n"
    "two\r\n";

class ComposeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("VELLUMO_BIN");
    if (bin == nullptr) GTEST_SKIP() << "VELLUMO_BIN is not set";
    bin_ = bin;
    Write("t.htm", "<html><body>\n[#Input your message here#]\n</body></html>\n");
    Write("html.eml", kHtmlMail);
    Write("text.eml", kTextMail);
  }
  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(home_ / name, std::ios::binary) << content;
    return (home_ / name).string();
  }
  std::string PathOf(const std::string& name) const { return (home_ / name).string(); }
  void Save(const char* section, const char* key, const char* value) {
    SqliteRegistry registry((home_ / "registry.db").string());
    Settings(registry).SaveSetting(kVellumo, section, key, value);
  }

  // Runs vellumo compose with the answers given to the script window layer.
  Outcome Compose(const std::vector<std::string>& args, const std::string& answers = "") {
    const std::string answers_file = Write("answers.txt", answers);
    std::string command = "VELLUMO_UI=script VELLUMO_ANSWERS=" + Quote(answers_file) + " " +
                          Quote(bin_) + " --home " + Quote(home_.string()) + " compose";
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " 2>" + Quote(PathOf("stderr.txt"));
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadAll(PathOf("stderr.txt"));
    return outcome;
  }

  std::string bin_;
  test_support::ScopedTempDir temp_{"vellumo-composecmd"};
  stdfs::path home_ = temp_.path();
};

TEST_F(ComposeProgramTest, PrintsTheHtmlPartAtTheMarker) {
  const Outcome run = Compose({"--template", PathOf("t.htm"), PathOf("html.eml")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "<html><body>\r\n<p>Hello Bob</p>-----Original-----<p>Old</p>\r\n\r\n</body></html>"
            "\r\n");
}

TEST_F(ComposeProgramTest, TextOnlyMessageIsMadeHtml) {
  const Outcome run = Compose({"--template", PathOf("t.htm"), PathOf("text.eml")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "<html><body>\r\n<div><span>one</span></div><div><span></span></div>&nbsp"
            "<div><span>two</span></div><div><span></span></div>&nbsp&nbsp;&nbsp;&nbsp;\r\n"
            "</body></html>\r\n");
}

TEST_F(ComposeProgramTest, ReplyTakesItsOffsetsFromTheSettings) {
  Save("System Settings", "ReplySearchStringVal", "0");
  Save("System Settings", "ReplyInsertStringVal", "18");
  const Outcome run =
      Compose({"--template", PathOf("t.htm"), "--reply", "-----Original-----", PathOf("html.eml")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "<html><body>\r\n<p>Hello Bob</p>-\r\n</body></html>\r\n<p><hr><p>Old</p>\r\n");
}

TEST_F(ComposeProgramTest, ScriptQuestionGoesToTheWindowLayer) {
  Write("t.htm", "<script>x()</script>\n[#Input your message here#]\n");
  Outcome run = Compose({"--template", PathOf("t.htm"), PathOf("html.eml")}, "No\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "<script>x()</script>\r\n[#Input your message here#]\r\n");
  EXPECT_NE(run.err.find("refused"), std::string::npos) << run.err;

  run = Compose({"--preview", "--template", PathOf("t.htm"), PathOf("html.eml")});
  EXPECT_EQ(run.out,
            "<script>x()</script>\r\n<p>Hello Bob</p>-----Original-----<p>Old</p>\r\n\r\n");
}

TEST_F(ComposeProgramTest, MissingTemplateFallsBackAndSaysSo) {
  Save("Admin Settings", "HTM Files Path", home_.string().c_str());
  const Outcome run = Compose({"--template", PathOf("gone.htm"), PathOf("text.eml")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("used " + home_.string() + "\\answers.txt"), std::string::npos) << run.err;
}

TEST_F(ComposeProgramTest, BadMessageFilesFailNamingThem) {
  Outcome run = Compose({"--template", PathOf("t.htm"), PathOf("missing.eml")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(PathOf("missing.eml")), std::string::npos) << run.err;

  run = Compose({"--template", PathOf("t.htm"), home_.string()});  // a folder
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find(home_.string()), std::string::npos) << run.err;

  run = Compose({"--template", PathOf("t.htm")});
  EXPECT_EQ(run.exit_code, 2);  // usage
}

}  // namespace
}  // namespace vellumo
