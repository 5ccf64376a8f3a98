// A fresh home made from examples/ (what scripts/demo makes) for tests that run `vellumo send` as
// a user does, and the word check that guards the user's text: the words a reader sees.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "localmail/mime_message.h"
#include "posix/posix_processes.h"

namespace vellumo::test_support {

class SendHome {
 public:
  // REQUIRES: VELLUMO_BIN and VELLUMO_SOURCE_DIR set (program_path.cc sees to it). Imports
  // examples/settings.reg and copies the stationery and signatures; ok() tells whether it did.
  SendHome();
  ~SendHome();
  SendHome(const SendHome&) = delete;
  SendHome& operator=(const SendHome&) = delete;

  bool ok() const { return ok_; }
  const std::filesystem::path& home() const { return home_; }
  const std::filesystem::path& source() const { return source_; }

  // The program with --home, the window layer scripted with no answers (every box and form
  // takes its default).
  ProcessResult Run(std::vector<std::string> args, std::string_view input = {});
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // `vellumo send -` of these bytes.
  ProcessResult Send(std::string_view message) { return Run({"send", "-"}, message); }
  std::filesystem::path Folder(std::string_view name) const;
  // Every message filed in Sent Items, parsed, in name order.
  std::vector<localmail::MimeMessage> SentItems() const;

 private:
  std::filesystem::path source_;
  std::filesystem::path home_;
  PosixProcesses processes_{"", ""};
  bool ok_ = false;
};

// The words of a text: runs of letters and digits (any byte above 127 counts as a letter, a
// no-break space as a space).
std::set<std::string> Words(std::string_view text);
// The words of what a reader sees in the message: its HTML part rendered, else its text part.
std::set<std::string> VisibleWords(const localmail::MimeMessage& message);
// The words of `expected` missing from `text`, joined by spaces ("" when none is missing).
std::string MissingWords(const std::set<std::string>& expected, std::string_view text);

}  // namespace vellumo::test_support
