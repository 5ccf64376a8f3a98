// The guard of every change to the send path: each real-world message (realworld/eml) and each
// real-world HTML body (realworld/html, sent as an HTML-only message) goes through `vellumo send`
// in automatic mode on a fresh home made from examples/, to an SMTP sink on 127.0.0.1. Every word
// a reader saw in the message must be in both alternatives of what is filed in Sent Items and of
// what reaches the sink, and the attachments must arrive byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "html/html_text.h"
#include "localmail/mime_message.h"
#include "tests/support/send_home.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using localmail::MimeAttachment;
using localmail::MimeMessage;
using test_support::EnvValue;
using test_support::MissingWords;
using test_support::ReadAll;
using test_support::SendHome;
using test_support::SmtpSink;

std::vector<stdfs::path> FilesUnder(const stdfs::path& folder, const std::string& extension) {
  std::vector<stdfs::path> files;
  if (!stdfs::is_directory(folder)) return files;
  for (const auto& entry : stdfs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == extension) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The message as a user would send it: an HTML body becomes an HTML-only message, and a message
// without recipients gets one (the client refuses to send to nobody).
std::string AsOutgoing(const stdfs::path& file) {
  std::string bytes = ReadAll(file);
  if (file.extension() == ".html") {
    return "From: Corpus <corpus@example.org>\r\nTo: reader@example.org\r\nSubject: " +
           file.filename().string() +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" + bytes;
  }
  if (MimeMessage::Parse(bytes, file.string()).Recipients().empty()) {
    bytes.insert(0, "To: reader@example.org\r\n");
  }
  return bytes;
}

void ExpectTextKept(const std::set<std::string>& words, const MimeMessage& sent,
                    const std::vector<MimeAttachment>& attachments, const std::string& where) {
  SCOPED_TRACE(where);
  EXPECT_EQ(MissingWords(words, sent.TextBody()), "") << "missing from the text part";
  EXPECT_EQ(MissingWords(words, html::HtmlToText(sent.HtmlBody())), "")
      << "missing from the HTML part";
  const std::vector<MimeAttachment> arrived = sent.Attachments();
  ASSERT_EQ(arrived.size(), attachments.size());
  for (size_t i = 0; i < arrived.size(); ++i) {
    EXPECT_EQ(arrived[i].file_name, attachments[i].file_name);
    EXPECT_TRUE(arrived[i].content == attachments[i].content) << attachments[i].file_name;
  }
}

TEST(SendCorpus, EveryWordOfEveryRealMessageLeavesInBothAlternatives) {
  const stdfs::path realworld = test_support::RealWorldDir();
  std::vector<stdfs::path> files = FilesUnder(realworld / "eml", ".eml");
  for (const stdfs::path& html : FilesUnder(realworld / "html", ".html")) files.push_back(html);
  if (files.empty()) GTEST_SKIP() << test_support::NoRealWorldInputs(realworld);

  SendHome home;
  ASSERT_TRUE(home.ok()) << home.error();
  SmtpSink sink(home.home() / "sink");
  ASSERT_NE(sink.Start(), 0) << "the SMTP sink did not start (/usr/bin/python3, aiosmtpd)";
  ASSERT_EQ(
      home.Run({"transport", "set", "smtp://127.0.0.1:" + std::to_string(sink.port())}).exit_code,
      0);

  std::set<stdfs::path> seen;
  for (const stdfs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string outgoing = AsOutgoing(file);
    const MimeMessage original = MimeMessage::Parse(outgoing, file.string());
    const std::set<std::string> words = test_support::VisibleWords(original);
    // Attachments as the original would carry them over SMTP, where text lines end in CR LF
    // (files kept with LF only differ there and nowhere else).
    const std::vector<MimeAttachment> attachments =
        MimeMessage::Parse(original.Serialize(true), file.string()).Attachments();
    EXPECT_FALSE(words.empty()) << "nothing to check";

    for (const stdfs::path& old : test_support::FilesIn(home.Folder("Sent Items"))) {
      stdfs::remove(old);
    }
    const ProcessResult sent = home.Send(outgoing);
    ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
    EXPECT_EQ(sent.output, "sent\n");

    const std::vector<MimeMessage> filed = home.SentItems();
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0].PrivateHeader("Billing-Information").value_or(""), "Vellumo from Corvane")
        << "dressed";
    ExpectTextKept(words, filed[0], attachments, "Sent Items");

    std::vector<stdfs::path> arrived;
    for (const stdfs::path& message : sink.Messages()) {
      if (seen.insert(message).second) arrived.push_back(message);
    }
    ASSERT_EQ(arrived.size(), 1u);
    const stdfs::path& wire = arrived.front();
    ExpectTextKept(words, MimeMessage::Parse(ReadAll(wire), wire.string()), attachments,
                   "SMTP sink");
  }
}

}  // namespace
}  // namespace vellumo
