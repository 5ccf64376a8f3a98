// `vellumo compose` over real-world messages and templates (VELLUMO_REALWORLD_DIR, else
// ../shared/realworld beside the sources): every message lands at the marker of the template, the
// template around it stays exactly as it was, and with every rule switched on the result still has
// the template's own head and tail, so it renders as the template does.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/text.h"
#include "common/compose/body_text.h"
#include "common/settings/settings.h"
#include "localmail/mime_message.h"
#include "posix/sqlite_registry.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

constexpr std::string_view kMarker = "[#Input your message here#]";

using test_support::ReadAll;

std::string Quote(const std::string& arg) { return "'" + text::Replace(arg, "'", "'\\''") + "'"; }

std::vector<stdfs::path> FilesOf(const stdfs::path& folder, std::string_view extension) {
  std::vector<stdfs::path> files;
  for (const auto& entry : stdfs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == extension) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The template as the composition reads it (decoded, every line ending in CR LF), cut at the
// marker.
struct TemplateParts {
  std::string head;
  std::string tail;
};

TemplateParts PartsOf(const stdfs::path& prepared) {
  const std::string decoded = text::DecodeFileText(ReadAll(prepared));
  std::string read;
  for (std::string_view line : text::Lines(decoded)) {
    read.append(line).append("\r\n");
  }
  const size_t marker = read.find(kMarker);
  return {read.substr(0, marker), read.substr(marker + kMarker.size())};
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class ComposeRealWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("VELLUMO_BIN");
    if (bin == nullptr) GTEST_SKIP() << "VELLUMO_BIN is not set";
    bin_ = bin;
    realworld_ = test_support::RealWorldDir();
    if (!stdfs::is_directory(realworld_ / "eml")) {
      GTEST_SKIP() << test_support::NoRealWorldInputs(realworld_ / "eml");
    }
    stdfs::create_directories(home_ / "templates");
    stdfs::create_directories(home_ / "work");
    messages_ = FilesOf(realworld_ / "eml", ".eml");
    for (const stdfs::path& source : FilesOf(realworld_ / "html", ".html")) {
      templates_.push_back(Prepare(source));
    }
    ASSERT_FALSE(messages_.empty());
    ASSERT_FALSE(templates_.empty());
  }

  // A copy of the template with the marker right after its opening body tag.
  stdfs::path Prepare(const stdfs::path& source) {
    std::string html = ReadAll(source);
    const std::string lower = text::LCase(html);
    size_t at = lower.find("<body");
    at = at == std::string::npos ? 0 : html.find('>', at) + 1;
    html.insert(at, kMarker);
    const stdfs::path copy = home_ / "templates" / source.filename();
    std::ofstream(copy, std::ios::binary) << html;
    return copy;
  }

  Outcome Compose(const std::vector<std::string>& args) {
    const stdfs::path err = home_ / "stderr.txt";
    std::string command = "VELLUMO_UI=script VELLUMO_ANSWERS= " + Quote(bin_) + " --home " +
                          Quote(home_.string()) + " compose";
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " 2>" + Quote(err.string());
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.out.append(buffer, n);
    outcome.status = pclose(pipe);
    outcome.err = ReadAll(err);
    return outcome;
  }

  void SwitchEveryRuleOn() {
    SqliteRegistry registry((home_ / "registry.db").string());
    Settings settings(registry);
    for (const char* key :
         {"WipeoutHTML", "WipeOutFontControl", "WipeoutBlockquote", "WipeOutFileCompare",
          "WipeoutHardRule", "RemoveReplyTags", "WipeoutReplyFontSmall"}) {
      settings.SaveSetting(kVellumo, "Admin Settings", key, "True");
    }
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLTagsGroup", "TD,TR");
    settings.SaveSetting(kVellumo, "Admin Settings", "ApplicationPath", (home_ / "work").string());
    settings.SaveSetting(kVellumo, "Admin Settings", "Signatures Path", home_.string());
    for (const char* key : {"WipeoutDivTag", "InsertDate", "InsertTime"}) {
      settings.SaveSetting(kVellumo, "User Settings", key, "True");
    }
    settings.SaveSetting(kVellumo, "User Settings", "Signature", "sig.htm");
    settings.SaveSetting(kVellumo, "Admin Settings", "SigFullname", "Ada Lovelace");
    std::ofstream(home_ / "sig.htm", std::ios::binary) << "<p>Regards,<br>[#SigFullname#]</p>\n";
  }

  std::string bin_;
  stdfs::path realworld_;
  test_support::ScopedTempDir temp_{"vellumo-compose"};
  stdfs::path home_ = temp_.path();
  std::vector<stdfs::path> messages_;
  std::vector<stdfs::path> templates_;
};

// What the composition puts at the marker with no setting stored: the HTML part with the one
// rule that is on by default, or the text part made HTML (its "&", "<" and ">" escaped).
std::string ExpectedAtMarker(const stdfs::path& eml) {
  const localmail::MimeMessage message = localmail::MimeMessage::Parse(ReadAll(eml), eml.string());
  const std::string html = message.HtmlBody();
  if (!html.empty()) return text::Replace(html, "BLOCKQUOTE", "xBLOCKQUOTE");
  return compose::PlainTextToDivLines(text::EscapeHtml(message.TextBody()));
}

// A comment opened and not closed would hide the rest of the template from every reader.
bool CommentsClosed(std::string_view html) {
  for (size_t open = html.find("<!--"); open != std::string_view::npos;
       open = html.find("<!--", open)) {
    const size_t close = html.find("-->", open + 4);
    if (close == std::string_view::npos) return false;
    open = close + 3;
  }
  return true;
}

TEST_F(ComposeRealWorldTest, EveryMessageLandsAtTheMarkerOfTheTemplate) {
  for (size_t i = 0; i < messages_.size(); ++i) {
    const stdfs::path& eml = messages_[i];
    const stdfs::path& html = templates_[i % templates_.size()];
    SCOPED_TRACE(eml.filename().string() + " into " + html.filename().string());
    const Outcome run = Compose({"--template", html.string(), eml.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const TemplateParts parts = PartsOf(html);
    ASSERT_GE(run.out.size(), parts.head.size() + parts.tail.size());
    EXPECT_EQ(run.out.substr(0, parts.head.size()), parts.head);
    EXPECT_EQ(run.out.substr(run.out.size() - parts.tail.size()), parts.tail);
    EXPECT_EQ(
        run.out.substr(parts.head.size(), run.out.size() - parts.head.size() - parts.tail.size()),
        ExpectedAtMarker(eml));
  }
}

TEST_F(ComposeRealWorldTest, EveryRuleOnKeepsTheTemplateWholeAroundTheMessage) {
  SwitchEveryRuleOn();
  for (size_t i = 0; i < messages_.size(); ++i) {
    const stdfs::path& eml = messages_[i];
    const stdfs::path& html = templates_[(i + 1) % templates_.size()];
    SCOPED_TRACE(eml.filename().string() + " into " + html.filename().string());
    const TemplateParts parts = PartsOf(html);
    for (const bool reply : {false, true}) {
      std::vector<std::string> args = {"--template", html.string()};
      if (reply) args.insert(args.end(), {"--reply", "<blockquote"});
      args.push_back(eml.string());
      const Outcome run = Compose(args);
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_TRUE(text::IsValidUtf8(run.out));
      ASSERT_EQ(run.out.substr(0, parts.head.size()), parts.head);
      // A reply's history follows the template's tail, unless the separator could not be cut:
      // then the send goes out as the user wrote it.
      const std::string end = reply ? parts.tail + "<p><hr>" : parts.tail;
      const size_t tail = reply ? run.out.find(end, parts.head.size())
                                : run.out.size() - std::min(run.out.size(), parts.tail.size());
      if (reply && tail == std::string::npos) {
        EXPECT_NE(run.err.find("parsing error - reply"), std::string::npos);
        continue;
      }
      ASSERT_GE(tail, parts.head.size());
      EXPECT_EQ(run.out.compare(tail, end.size(), end), 0);
      EXPECT_NE(parts.tail.find("</html>"), std::string::npos);
      EXPECT_TRUE(CommentsClosed(run.out.substr(parts.head.size(), tail - parts.head.size())));
    }
  }
}

TEST_F(ComposeRealWorldTest, MissingMessageFileFailsNamingIt) {
  const std::string missing = (home_ / "nowhere.eml").string();
  const Outcome run = Compose({"--template", templates_[0].string(), missing});
  EXPECT_EQ(WEXITSTATUS(run.status), 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
}

}  // namespace
}  // namespace vellumo
