#include "tests/support/send_home.h"

#include <cctype>

#include "base/text.h"
#include "html/html_text.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo::test_support {

namespace stdfs = std::filesystem;

std::string FillExampleHome(const stdfs::path& home,
                            const std::function<ProcessResult(std::vector<std::string>)>& run) {
  const stdfs::path examples = SourceDir() / "examples";
  const ProcessResult imported = run({"regedit", "/s", (examples / "settings.reg").string()});
  if (imported.exit_code != 0) {
    return "importing " + (examples / "settings.reg").string() + " failed: " + imported.errors;
  }
  const stdfs::path folder = home / "drive_c" / "Vellumo";
  stdfs::create_directories(folder);
  stdfs::copy(examples / "stationery", folder / "Stationery");
  stdfs::copy(examples / "signatures", folder / "Signatures");
  return "";
}

SendHome::SendHome() : source_(SourceDir()) {
  error_ = FillExampleHome(home_,
                           [this](std::vector<std::string> args) { return Run(std::move(args)); });
}

ProcessResult SendHome::Run(std::vector<std::string> args, std::string_view input) {
  args.insert(args.begin(), {"/usr/bin/env", "VELLUMO_UI=script", "VELLUMO_ANSWERS=" + answers_,
                             "VELLUMO_UI_LOG=" + UiLog().string(), EnvValue("VELLUMO_BIN"),
                             "--home", home_.string()});
  return processes_.Run(args, input);
}

void SendHome::Answer(std::string_view lines) {
  if (lines.empty()) {
    answers_.clear();
    return;
  }
  answers_ = (home_ / "answers.txt").string();
  WriteAll(answers_, lines);
}

std::string SendHome::Get(const std::string& section, const std::string& key) {
  return Run({"settings", "get", "Vellumo", section, key}).output;
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
