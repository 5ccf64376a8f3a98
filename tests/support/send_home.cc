#include "tests/support/send_home.h"

#include <stdlib.h>

#include <cctype>

#include "base/text.h"
#include "html/html_text.h"
#include "tests/support/test_files.h"

namespace vellumo::test_support {

namespace stdfs = std::filesystem;

SendHome::SendHome() : source_(EnvValue("VELLUMO_SOURCE_DIR")) {
  std::string pattern = (stdfs::temp_directory_path() / "vellumo-send-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return;
  home_ = pattern;
  const ProcessResult imported =
      Run({"regedit", "/s", (source_ / "examples" / "settings.reg").string()});
  if (imported.exit_code != 0) return;
  stdfs::create_directories(home_ / "drive_c" / "Vellumo");
  stdfs::copy(source_ / "examples" / "stationery", home_ / "drive_c" / "Vellumo" / "Stationery");
  stdfs::copy(source_ / "examples" / "signatures", home_ / "drive_c" / "Vellumo" / "Signatures");
  ok_ = true;
}

SendHome::~SendHome() {
  if (!home_.empty()) stdfs::remove_all(home_);
}

ProcessResult SendHome::Run(std::vector<std::string> args, std::string_view input) {
  args.insert(args.begin(), {"/usr/bin/env", "VELLUMO_UI=script", "VELLUMO_ANSWERS=",
                             EnvValue("VELLUMO_BIN"), "--home", home_.string()});
  return processes_.Run(args, input);
}

void SendHome::Set(const std::string& section, const std::string& key, const std::string& value) {
  Run({"settings", "set", "Vellumo", section, key, value});
}

stdfs::path SendHome::Folder(std::string_view name) const {
  return home_ / "mail" / "Personal Folders" / std::string(name) / "cur";
}

std::vector<localmail::MimeMessage> SendHome::SentItems() const {
  std::vector<localmail::MimeMessage> messages;
  for (const stdfs::path& file : FilesIn(Folder("Sent Items"))) {
    messages.push_back(localmail::MimeMessage::Parse(ReadAll(file), file.string()));
  }
  return messages;
}

std::set<std::string> Words(std::string_view text) {
  const std::string spaced = text::Replace(text, "\xC2\xA0", " ");
  std::set<std::string> words;
  std::string word;
  for (const char c : spaced) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || (byte < 0x80 && std::isalnum(byte) != 0)) {
      word += c;
    } else if (!word.empty()) {
      words.insert(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.insert(std::move(word));
  return words;
}

std::set<std::string> VisibleWords(const localmail::MimeMessage& message) {
  const std::string html = message.HtmlBody();
  return Words(html.empty() ? message.TextBody() : vellumo::html::HtmlToText(html));
}

std::string MissingWords(const std::set<std::string>& expected, std::string_view text) {
  const std::set<std::string> present = Words(text);
  std::string missing;
  for (const std::string& word : expected) {
    if (!present.contains(word)) missing += (missing.empty() ? "" : " ") + word;
  }
  return missing;
}

}  // namespace vellumo::test_support
