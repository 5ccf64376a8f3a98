// A fresh home made from examples/ (what scripts/demo makes) for tests that run `vellumo send` as
// a user does, and the word check that guards the user's text: the words a reader sees.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "localmail/mime_message.h"
#include "posix/posix_processes.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo::test_support {

// A short plain message from the example sender to the example recipient.
inline constexpr char kShortMessage[] =
    "From: Iris Calloway <iris@northwind-lanterns.example>\r\n"
    "To: Tomas Reyes <tomas@harbourmaster.example>\r\n"
    "Subject: Lanterns\r\n"
    "\r\n"
    "The lanterns are ready.\r\n";

// Makes home what scripts/demo makes: examples/settings.reg imported by run (the program with
// this home, as the caller runs it), the example stationery and signatures copied where those
// settings point. Returns "" when done, else what failed.
std::string FillExampleHome(const std::filesystem::path& home,
                            const std::function<ProcessResult(std::vector<std::string>)>& run);

class SendHome {
 public:
  // REQUIRES: VELLUMO_BIN set (program_path.cc sees to it). A fresh home, removed with the
  // object, filled by FillExampleHome; ok() tells whether that worked, error() what did not.
  SendHome();
  SendHome(const SendHome&) = delete;
  SendHome& operator=(const SendHome&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::filesystem::path& home() const { return home_; }
  const std::filesystem::path& source() const { return source_; }

  // The program with --home, the window layer scripted (with no answers until Answer gives some:
  // every box and form takes its default) and every window logged to UiLog().
  ProcessResult Run(std::vector<std::string> args, std::string_view input = {});
  // The window layer answers from these lines (the script format) in the runs that follow; ""
  // goes back to no answers.
  void Answer(std::string_view lines);
  std::filesystem::path UiLog() const { return home_ / "ui.jsonl"; }
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // A Vellumo setting as `settings get` prints it, newline included.
  std::string Get(const std::string& section, const std::string& key);
  // `vellumo send -` of these bytes.
  ProcessResult Send(std::string_view message) { return Run({"send", "-"}, message); }
  std::filesystem::path Folder(std::string_view name) const;
  // Every message filed in Sent Items, parsed, in name order.
  std::vector<localmail::MimeMessage> SentItems() const;

 private:
  std::filesystem::path source_;
  ScopedTempDir dir_{"vellumo-send"};
  std::filesystem::path home_ = dir_.path();
  PosixProcesses processes_{"", ""};
  std::string answers_;
  std::string error_;
};

// The words of a text: runs of letters and digits (any byte above 127 counts as a letter, a
// no-break space as a space).
std::set<std::string> Words(std::string_view text);
// The words of what a reader sees in the message: its HTML part rendered, else its text part.
std::set<std::string> VisibleWords(const localmail::MimeMessage& message);
// The words of `expected` missing from `text`, joined by spaces ("" when none is missing).
std::string MissingWords(const std::set<std::string>& expected, std::string_view text);

}  // namespace vellumo::test_support
