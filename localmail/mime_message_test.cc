#include "localmail/mime_message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "base/error.h"
#include "base/text.h"
#include "localmail/gmime_util.h"
#include "tests/support/source_dir.h"

namespace vellumo::localmail {
namespace {

using std::chrono::sys_seconds;

MimeMessage Reparse(const MimeMessage& m, bool strip_private = false) {
  return MimeMessage::Parse(m.Serialize(strip_private), "reparsed.eml");
}

bool HasLine(std::string_view message, std::string_view line) {
  for (const std::string& l : text::Split(message, "\r\n")) {
    if (l == line) return true;
  }
  return false;
}

// Every line ends in CR LF, and nothing needs more than 7 bits.
void ExpectSmtpSafe(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80u) << "8-bit byte at " << i;
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
  }
  for (const std::string& line : text::Split(bytes, "\r\n")) ASSERT_LE(line.size(), 998u);
}

constexpr std::string_view kAlternative =
    "From: =?utf-8?q?Ren=C3=A9?= <rene@example.com>\n"
    "To: Bob <bob@example.com>, team: ann@example.com, Cid <cid@example.com>;\n"
    "Cc: carol@example.com\n"
    "Bcc: secret@example.com\n"
    "Subject: =?iso-8859-1?q?Caf=E9?= time\n"
    "Date: Mon, 02 Jan 2023 10:00:00 +0100\n"
    "Message-ID: <abc@example.com>\n"
    "X-Odd:  two  spaces\n\tfolded =?iso-8859-1?q?caf=E9?=\n"
    "X-Vellumo-Billing: 42\n"
    "x-vellumo-user1: lower case\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"M\"\n"
    "\n"
    "--M\n"
    "Content-Type: multipart/alternative; boundary=\"A\"\n"
    "\n"
    "--A\n"
    "Content-Type: text/plain; charset=iso-8859-1\n"
    "Content-Transfer-Encoding: quoted-printable\n"
    "\n"
    "Caf=E9 line one\n"
    "line =\n"
    "two\n"
    "--A\n"
    "Content-Type: multipart/related; type=\"text/html\"; boundary=\"R\"\n"
    "\n"
    "--R\n"
    "Content-Type: text/html; charset=utf-8\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "PHA+Q2Fmw6k8L3A+CjxpbWcgc3JjPSJjaWQ6aW1nMSI+\n"
    "--R\n"
    "Content-Type: image/png\n"
    "Content-ID: <img1>\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "iVBORw0KGgo=\n"
    "--R--\n"
    "--A--\n"
    "--M\n"
    "Content-Type: application/pdf; name=\"..\\\\..\\\\report.pdf\"\n"
    "Content-Disposition: attachment; filename=\"..\\\\..\\\\report.pdf\"\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "JVBERi0=\n"
    "--M\n"
    "Content-Type: text/plain; name=notes.txt\n"
    "Content-Disposition: attachment; filename=notes.txt\n"
    "\n"
    "attached text\n"
    "--M--\n";

TEST(MimeParse, RejectsWhatIsNoMessageNamingTheFile) {
  for (std::string_view garbage : {"", "hello world", "no header here\n\nbody\n", "\x01\x02\x03"}) {
    try {
      (void)MimeMessage::Parse(garbage, "Inbox/cur/42.eml");
      ADD_FAILURE() << "accepted: " << garbage;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Inbox/cur/42.eml: not a MIME message");
    }
  }
}

TEST(MimeParse, DecodesHeadersAndAddresses) {
  const MimeMessage m = MimeMessage::Parse(kAlternative, "a.eml");
  EXPECT_EQ(m.Subject(), "Caf\xC3\xA9 time");
  EXPECT_EQ(m.From(), (MailAddress{"Ren\xC3\xA9", "rene@example.com"}));
  const std::vector<MimeRecipient> expected = {{"Bob", "bob@example.com", RecipientType::kTo},
                                               {"", "ann@example.com", RecipientType::kTo},
                                               {"Cid", "cid@example.com", RecipientType::kTo},
                                               {"", "carol@example.com", RecipientType::kCc},
                                               {"", "secret@example.com", RecipientType::kBcc}};
  EXPECT_EQ(m.Recipients(), expected);
  EXPECT_EQ(m.Date(), sys_seconds(std::chrono::seconds(1672650000)));
  EXPECT_EQ(m.MessageId(), "abc@example.com");
  EXPECT_EQ(m.Header("x-odd"), "two  spaces\tfolded caf\xC3\xA9");
  EXPECT_EQ(m.Header("X-Missing"), std::nullopt);
  EXPECT_EQ(m.PrivateHeader("Billing"), "42");
  EXPECT_EQ(m.PrivateHeaderNames(), (std::vector<std::string>{"Billing", "user1"}));
}

TEST(MimeBodies, DecodesBodiesToUtf8WithCrLf) {
  const MimeMessage m = MimeMessage::Parse(kAlternative, "a.eml");
  EXPECT_EQ(m.TextBody(), "Caf\xC3\xA9 line one\r\nline two");
  EXPECT_EQ(m.HtmlBody(), "<p>Caf\xC3\xA9</p>\r\n<img src=\"cid:img1\">");
}

TEST(MimeBodies, SortsAttachmentsAndInlineParts) {
  const MimeMessage m = MimeMessage::Parse(kAlternative, "a.eml");
  const std::vector<MimeAttachment> attachments = m.Attachments();
  ASSERT_EQ(attachments.size(), 2u);
  EXPECT_EQ(attachments[0].file_name, "report.pdf");
  EXPECT_EQ(attachments[0].mime_type, "application/pdf");
  EXPECT_EQ(attachments[0].content, "%PDF-");
  EXPECT_EQ(attachments[1].file_name, "notes.txt");
  EXPECT_EQ(attachments[1].content, "attached text");
  const std::vector<MimeAttachment> inline_parts = m.InlineParts();
  ASSERT_EQ(inline_parts.size(), 1u);
  EXPECT_EQ(inline_parts[0].content_id, "img1");
  EXPECT_EQ(inline_parts[0].mime_type, "image/png");
  EXPECT_EQ(inline_parts[0].content, "\x89PNG\r\n\x1A\n");
  EXPECT_EQ(inline_parts[0].file_name, "attachment");
}

TEST(MimeSerialize, KeepsUntouchedHeadersAndStripsPrivateOnes) {
  MimeMessage m = MimeMessage::Parse(kAlternative, "a.eml");
  m.SetSubject("Neu");
  m.SetTextBody("changed");
  const std::string stored = m.Serialize(false);
  EXPECT_NE(stored.find("X-Odd:  two  spaces\r\n\tfolded =?iso-8859-1?q?caf=E9?=\r\n"),
            std::string::npos);
  EXPECT_NE(stored.find("\r\nTo: Bob <bob@example.com>, team: ann@example.com, "
                        "Cid <cid@example.com>;\r\n"),
            std::string::npos);
  EXPECT_TRUE(HasLine(stored, "X-Vellumo-Billing: 42"));
  EXPECT_TRUE(HasLine(stored, "x-vellumo-user1: lower case"));
  EXPECT_TRUE(HasLine(stored, "Bcc: secret@example.com"));
  ExpectSmtpSafe(stored);

  const std::string sent = m.Serialize(true);
  EXPECT_EQ(text::InStr(sent, "x-vellumo", text::Compare::kText), 0);
  EXPECT_EQ(text::InStr(sent, "secret@example.com"), 0);
  EXPECT_TRUE(HasLine(sent, "Subject: Neu"));
  const MimeMessage back = MimeMessage::Parse(sent, "sent.eml");
  EXPECT_TRUE(back.PrivateHeaderNames().empty());
  EXPECT_EQ(back.Recipients().size(), 4u);
}

TEST(MimeMutate, BuildsTheBodyStructureFromTheParts) {
  MimeMessage m;
  EXPECT_TRUE(m.Header("Content-Type")->starts_with("text/plain"));
  m.SetTextBody("hello");
  EXPECT_EQ(m.Header("Content-Type"), "text/plain; charset=utf-8");
  m.SetHtmlBody("<p>hello</p>");
  EXPECT_TRUE(m.Header("Content-Type")->starts_with("multipart/alternative"));
  m.AddAttachment("Report.PDF", "%PDF-1.4");
  EXPECT_TRUE(m.Header("Content-Type")->starts_with("multipart/mixed"));

  MimeMessage back = Reparse(m);
  EXPECT_EQ(back.TextBody(), "hello");
  EXPECT_EQ(back.HtmlBody(), "<p>hello</p>");
  ASSERT_EQ(back.Attachments().size(), 1u);
  EXPECT_EQ(back.Attachments()[0].mime_type, "application/pdf");
  EXPECT_EQ(back.Attachments()[0].file_name, "Report.PDF");

  back.SetTextBody("");
  EXPECT_TRUE(back.Header("Content-Type")->starts_with("multipart/mixed"));
  back.RemoveAttachment(0);
  EXPECT_EQ(back.Header("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(Reparse(back).TextBody(), "");
  EXPECT_EQ(Reparse(back).HtmlBody(), "<p>hello</p>");
  EXPECT_THROW(back.RemoveAttachment(0), Error);
  back.SetHtmlBody("");
  EXPECT_TRUE(back.Header("Content-Type")->starts_with("text/plain"));
}

TEST(MimeMutate, KeepsInlinePartsWithNewHtmlAndAttachmentsExact) {
  MimeMessage m = MimeMessage::Parse(kAlternative, "a.eml");
  m.SetHtmlBody("<p>new</p><img src=\"cid:img1\">");
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  binary += "a\nb\r\nc\r";
  m.AddAttachment("/tmp/../data.bin", binary);
  const MimeMessage back = Reparse(m, true);
  EXPECT_EQ(back.TextBody(), "Caf\xC3\xA9 line one\r\nline two");
  EXPECT_EQ(back.HtmlBody(), "<p>new</p><img src=\"cid:img1\">");
  ASSERT_EQ(back.InlineParts().size(), 1u);
  EXPECT_EQ(back.InlineParts()[0].content_id, "img1");
  const std::vector<MimeAttachment> attachments = back.Attachments();
  ASSERT_EQ(attachments.size(), 3u);
  EXPECT_EQ(attachments[0].content, "%PDF-");
  EXPECT_EQ(attachments[2].file_name, "data.bin");
  EXPECT_EQ(attachments[2].mime_type, "application/octet-stream");
  EXPECT_EQ(attachments[2].content, binary);
  EXPECT_NE(m.Serialize(false).find("multipart/related"), std::string::npos);
}

TEST(MimeMutate, NewTextIsUtf8AndEverythingSevenBitSafe) {
  // An 8bit windows-1252 body kept while the HTML changes must become 7-bit too.
  MimeMessage m = MimeMessage::Parse(
      "From: a@example.com\nSubject: s\nContent-Type: text/plain; charset=windows-1252\n"
      "Content-Transfer-Encoding: 8bit\n\nfoo \xE4 \xF6 \xFC \xDF\n",
      "cp1252.eml");
  m.SetHtmlBody(
      "<p>Gr\xC3\xBC\xC3\x9F"
      "e " +
      std::string(2000, 'x') + "</p>");
  m.SetSubject(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC");
  m.AddRecipient({"J\xC3\xB6rg", "joerg@example.com", RecipientType::kCc});
  const std::string bytes = m.Serialize(true);
  ExpectSmtpSafe(bytes);
  EXPECT_NE(bytes.find("Content-Type: text/html; charset=utf-8"), std::string::npos);
  const MimeMessage back = MimeMessage::Parse(bytes, "out.eml");
  EXPECT_EQ(back.TextBody(), "foo \xC3\xA4 \xC3\xB6 \xC3\xBC \xC3\x9F\r\n");
  EXPECT_EQ(back.HtmlBody(), m.HtmlBody());
  EXPECT_EQ(back.Subject(),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(back.Recipients().back(),
            (MimeRecipient{"J\xC3\xB6rg", "joerg@example.com", RecipientType::kCc}));
}

TEST(MimeMutate, LargeBodiesSurviveARoundTrip) {
  std::string text;
  while (text.size() < (1u << 20)) text += "Zeile mit \xC3\xBCml\xC3\xA4uten und = Zeichen.\r\n";
  const std::string html = "<p>" + std::string(1u << 20, 'h') + "</p>";
  MimeMessage m;
  m.SetTextBody(text);
  m.SetHtmlBody(html);
  const MimeMessage back = Reparse(m);
  EXPECT_EQ(back.TextBody(), text);
  EXPECT_EQ(back.HtmlBody(), html);
}

TEST(MimeMutate, RecipientsAndHeadersRefuseUnsafeInput) {
  MimeMessage m;
  m.SetFrom({"Ann", "ann@example.com"});
  m.AddRecipient({"Bob", "bob@example.com", RecipientType::kTo});
  m.AddRecipient({"", "carl@example.com", RecipientType::kBcc});
  EXPECT_THROW(m.AddRecipient({"", "x@example.com\r\nBcc: evil@example.com"}), Error);
  EXPECT_THROW(m.AddRecipient({"", ""}), Error);
  m.RemoveRecipient(0);
  EXPECT_EQ(m.Recipients(),
            (std::vector<MimeRecipient>{{"", "carl@example.com", RecipientType::kBcc}}));
  EXPECT_THROW(m.RemoveRecipient(1), Error);

  m.SetHeader("X-Note", "one\r\nBcc: evil@example.com");
  m.SetPrivateHeader("User2", "caf\xC3\xA9\nsecond line");
  const std::string bytes = m.Serialize(false);
  EXPECT_EQ(bytes.find("\r\nBcc: evil"), std::string::npos);
  const MimeMessage back = MimeMessage::Parse(bytes, "b.eml");
  EXPECT_EQ(back.Header("X-Note"), "one\r\nBcc: evil@example.com");
  EXPECT_EQ(back.PrivateHeader("User2"), "caf\xC3\xA9\nsecond line");
  EXPECT_EQ(back.From(), (MailAddress{"Ann", "ann@example.com"}));
  m.RemovePrivateHeader("User2");
  EXPECT_EQ(m.PrivateHeader("User2"), std::nullopt);
  for (std::string_view bad : {"", "Bad Name", "X:Y", "Content-Type", "mime-version"}) {
    EXPECT_THROW(m.SetHeader(bad, "v"), Error) << bad;
  }
  EXPECT_THROW(m.SetMessageId("a b@c"), Error);
  m.SetMessageId("<id@example.com>");
  EXPECT_EQ(Reparse(m).MessageId(), "id@example.com");
  m.SetDate(sys_seconds(std::chrono::seconds(1700000000)), std::chrono::minutes(-300));
  EXPECT_EQ(m.Header("Date"), "Tue, 14 Nov 2023 17:13:20 -0500");
  EXPECT_EQ(Reparse(m).Date(), sys_seconds(std::chrono::seconds(1700000000)));
  EXPECT_THROW(m.AddAttachment("a.bin", "x", "not a type"), Error);
}

TEST(MimeMutate, ReadsLfAndWritesCrLf) {
  const MimeMessage m = MimeMessage::Parse("Subject: x\nX-A: y\n\nline1\nline2\n", "lf.eml");
  EXPECT_EQ(m.Serialize(false), "Subject: x\r\nX-A: y\r\n\r\nline1\r\nline2\r\n");
}

TEST(SafeAttachmentName, KeepsOnlyAHarmlessFileName) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"..\\..\\x", "x"},
      {"/etc/passwd", "passwd"},
      {"C:\\Windows\\system32\\evil.dll", "evil.dll"},
      {"a\x01\tb\x7F.txt", "ab.txt"},
      {"..", "attachment"},
      {"", "attachment"},
      {"  .hidden. ", "hidden"},
      {"what?<now>|\"x\":*.doc", "what__now___x___.doc"},
      {"invoice\xE2\x80\xAE"
       "fdp.exe",
       "invoicefdp.exe"},
      {"r\xC3\xA9sum\xC3\xA9.pdf", "r\xC3\xA9sum\xC3\xA9.pdf"},
      {"caf\xE9.txt", "caf\xC3\xA9.txt"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(SafeAttachmentName(in), out) << in;
  const std::string longest = SafeAttachmentName(std::string(300, 'a') + ".pdf");
  EXPECT_EQ(longest.size(), 255u);
  EXPECT_TRUE(longest.ends_with("a.pdf"));
  EXPECT_EQ(GuessMimeType("photo.JPG"), "image/jpeg");
  EXPECT_EQ(GuessMimeType("noext"), "application/octet-stream");
}

// The shared real-world messages: each loads (or is refused with a clear error), decodes, and
// survives a store round trip.
class RealWorldMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path dir = test_support::RealWorldDir() / "eml";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << test_support::NoRealWorldInputs(dir);
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      files_[entry.path().filename().string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }

  MimeMessage Load(const std::string& name) {
    EXPECT_TRUE(files_.count(name)) << name;
    return MimeMessage::Parse(files_[name], name);
  }

  std::map<std::string, std::string> files_;
};

TEST_F(RealWorldMessages, EveryFileLoadsAndSurvivesARoundTrip) {
  EXPECT_GE(files_.size(), 29u);
  for (const auto& [name, bytes] : files_) {
    SCOPED_TRACE(name);
    std::optional<MimeMessage> m;
    try {
      m = MimeMessage::Parse(bytes, name);
    } catch (const Error& e) {
      EXPECT_TRUE(std::string(e.what()).starts_with(name)) << e.what();
      continue;
    }
    EXPECT_TRUE(text::IsValidUtf8(m->TextBody()));
    EXPECT_TRUE(text::IsValidUtf8(m->HtmlBody()));
    const MimeMessage back = Reparse(*m);
    EXPECT_EQ(back.Subject(), m->Subject());
    EXPECT_EQ(back.Recipients(), m->Recipients());
    EXPECT_EQ(back.TextBody(), m->TextBody());
    EXPECT_EQ(back.HtmlBody(), m->HtmlBody());
    const std::vector<MimeAttachment> before = m->Attachments(), after = back.Attachments();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(after[i].file_name, before[i].file_name);
      // Text read from an LF file is written in canonical CR LF form; binary stays exact.
      auto lf = [](const std::string& t) { return text::Replace(t, "\r\n", "\n"); };
      EXPECT_EQ(lf(after[i].content), lf(before[i].content));
    }
    // A rebuilt body keeps the parts too.
    m->SetTextBody(m->TextBody() + "added");
    const MimeMessage rebuilt = Reparse(*m, true);
    EXPECT_EQ(rebuilt.TextBody(), m->TextBody());
    EXPECT_EQ(rebuilt.HtmlBody(), m->HtmlBody());
    EXPECT_EQ(rebuilt.Attachments().size(), before.size());
    EXPECT_EQ(rebuilt.InlineParts().size(), m->InlineParts().size());
  }
}

// Serialize keeps the body it wrote until the body changes and writes only the headers again.
// After every kind of change, in any order, both forms must be what a whole write gives.
TEST_F(RealWorldMessages, EveryWriteIsWhatAWholeWriteGivesWhateverChangedBefore) {
  files_["alternative.eml"] = std::string(kAlternative);
  for (const auto& [name, bytes] : files_) {
    SCOPED_TRACE(name);
    std::optional<MimeMessage> m;
    try {
      m = MimeMessage::Parse(bytes, name);
    } catch (const Error&) {
      continue;
    }
    auto expect_whole = [&](std::string_view step) {
      SCOPED_TRACE(step);
      for (bool strip : {false, true}) {
        const std::string whole = internal::SerializeWhole(*m, strip);
        ASSERT_EQ(m->Serialize(strip), whole);
        EXPECT_EQ(m->Headers(strip), whole.substr(0, whole.find("\r\n\r\n") + 2));
      }
    };
    expect_whole("as read");
    m->SetPrivateHeader("Queued", "1");
    expect_whole("private header set");
    m->SetSubject("Sent: " + m->Subject());
    m->AddRecipient({"New", "new@example.com", RecipientType::kBcc});
    expect_whole("subject and recipient");
    m->SetBodies("text \xC3\xA9\r\n", "<p>html</p>\r\n" + std::string(3000, 'x'));
    expect_whole("bodies");
    m->SetDate(sys_seconds(std::chrono::seconds(1700000000)), std::chrono::minutes(60));
    m->SetMessageId("id@example.com");
    m->SetHeader("X-Mailer", "test");
    expect_whole("date, id and header");
    m->AddAttachment("a.txt", "attached\r\n");
    expect_whole("attachment added");
    m->RemovePrivateHeader("Queued");
    m->RemoveHeader("Content-Type");
    m->RemoveRecipient(0);
    expect_whole("headers removed");
    m->SetHtmlBody("");
    m->RemoveAttachment(m->Attachments().size() - 1);
    expect_whole("html and attachment removed");
    m->SetTextBody("");
    m->SetFrom({"Me", "me@example.com"});
    expect_whole("text removed");
  }
}

TEST_F(RealWorldMessages, DecodesCharsetsAndTransferEncodings) {
  const MimeMessage koi8 = Load("exchange_koi8r_tnef_signature_placeholder.eml");
  EXPECT_TRUE(koi8.TextBody().starts_with("\xD1\x88\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8\xD0\xB9"));
  EXPECT_NE(koi8.TextBody().find("\r\n{EMAILSIGNATURE}\r\n"), std::string::npos);
  ASSERT_EQ(koi8.Attachments().size(), 1u);
  EXPECT_EQ(koi8.Attachments()[0].file_name, "winmail.dat");
  EXPECT_EQ(koi8.Attachments()[0].mime_type, "application/ms-tnef");

  const MimeMessage japanese = Load("thunderbird_iso2022jp.eml");
  EXPECT_EQ(japanese.Subject(),
            "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\xA1\xE3\x83\xBC\xE3\x83\xAB\xE3\x83\x86"
            "\xE3\x82\xB9\xE3\x83\x88 (testing Japanese emails)");
  EXPECT_NE(japanese.TextBody().find("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\x8C\r\n"),
            std::string::npos);

  const MimeMessage cp1252 = Load("thunderbird_windows1252_8bit_forward.eml");
  EXPECT_TRUE(cp1252.TextBody().starts_with("foo bar \xC3\xA4 \xC3\xB6 \xC3\xBC \xC3\x9F\r\n"));

  const MimeMessage latin1 = Load("outlook_express6_illegal_boundary.eml");
  EXPECT_NE(latin1.TextBody().find("\r\nSo there.\r\n"), std::string::npos);
  EXPECT_NE(latin1.HtmlBody().find("<HTML>"), std::string::npos);

  const MimeMessage base64 = Load("yahoo_reply_base64_blockquote.eml");
  EXPECT_TRUE(base64.TextBody().starts_with("Hi Katharine.\xC2\xA0 Sounds great."));
  EXPECT_NE(base64.HtmlBody().find("<BLOCKQUOTE"), std::string::npos);
}

TEST_F(RealWorldMessages, FindsAttachmentsAndInlineImages) {
  const MimeMessage simple = Load("outlook2007_simple_multipart_attachment.eml");
  EXPECT_EQ(simple.TextBody(), "This is the message body.\r\n");
  ASSERT_EQ(simple.Attachments().size(), 1u);
  EXPECT_EQ(simple.Attachments()[0].file_name, "attachment.txt");
  EXPECT_EQ(simple.Attachments()[0].content, "This is the base64 encoded attachment.");

  const MimeMessage apple = Load("apple_mail_related_cid_image.eml");
  ASSERT_EQ(apple.InlineParts().size(), 1u);
  EXPECT_EQ(apple.InlineParts()[0].file_name, "small.jpg");
  EXPECT_TRUE(apple.InlineParts()[0].content.starts_with("\xFF\xD8"));
  EXPECT_TRUE(apple.Attachments().empty());

  const MimeMessage zimbra = Load("zimbra_alternative_qp.eml");
  ASSERT_EQ(zimbra.Attachments().size(), 1u);
  EXPECT_EQ(zimbra.Attachments()[0].mime_type, "message/rfc822");
  EXPECT_TRUE(zimbra.Attachments()[0].file_name.ends_with(".eml"));

  const MimeMessage empty_alternative = Load("outlook2007_empty_multipart_alternative.eml");
  EXPECT_TRUE(empty_alternative.TextBody().starts_with("This part should be on the same level"));

  EXPECT_EQ(Load("malformed_bad_final_boundary.eml").Attachments().size(), 1u);
  EXPECT_EQ(Load("malformed_base64_attachment.eml").Attachments()[0].file_name, "some.doc");
  EXPECT_EQ(Load("malformed_unknown_charset_html_only.eml").HtmlBody(),
            "<meta charset=\"fakescii-7\">\r\n<p>Hello World!</p>\r\n");
  EXPECT_EQ(Load("outlook2002_bad_date.eml").Date(), std::nullopt);
}

TEST(MimeMessageSealedParts, AReportOrSignedPartBesideTheBodyIsKeptByteForByte) {
  const std::string report =
      "Content-Type: multipart/report; report-type=delivery-status; boundary=\"R\"\r\n"
      "\r\n--R\r\nContent-Type: text/plain\r\n\r\nDelivery failed.\r\n"
      "--R\r\nContent-Type: message/delivery-status\r\n\r\nReporting-MTA: dns; mx.example\r\n"
      "\r\nFinal-Recipient: rfc822; x@example.com\r\nAction: failed\r\n--R--\r\n";
  const std::string signed_part =
      "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; "
      "micalg=pgp-sha256; boundary=\"S\"\r\n"
      "\r\n--S\r\nContent-Type: text/plain\r\n\r\nsigned  text \r\n"
      "--S\r\nContent-Type: application/pgp-signature\r\n\r\n-----BEGIN PGP SIGNATURE-----\r\n"
      "AAAA\r\n-----END PGP SIGNATURE-----\r\n--S--\r\n";
  MimeMessage m = MimeMessage::Parse(
      "From: a@example.com\r\nSubject: fwd\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"M\"\r\n\r\n"
      "--M\r\nContent-Type: text/plain\r\n\r\nSee below.\r\n--M\r\n" +
          report + "\r\n--M\r\n" + signed_part + "\r\n--M--\r\n",
      "sealed.eml");
  ASSERT_EQ(m.Attachments().size(), 2u);
  m.SetBodies("See below, dressed.", "<p>See below, dressed.</p>");
  const std::string bytes = m.Serialize(true);
  EXPECT_NE(bytes.find(report), std::string::npos) << bytes;
  EXPECT_NE(bytes.find(signed_part), std::string::npos) << bytes;
  const MimeMessage again = MimeMessage::Parse(bytes, "again.eml");
  EXPECT_EQ(again.TextBody(), "See below, dressed.");
  ASSERT_EQ(again.Attachments().size(), 2u);
  EXPECT_EQ(again.Attachments()[0].mime_type, "multipart/report");
}

TEST(LineEnds, EveryEndBecomesTheOneAskedForAndTheLinesStayWhole) {
  const std::string line(37, 'x');  // longer than a block of the line-end search
  const std::string mixed = line + "\r\n" + line + "\r" + line + "\n\n" + line + "\r\r\n" + line;
  EXPECT_EQ(ToCrLf(mixed),
            line + "\r\n" + line + "\r\n" + line + "\r\n\r\n" + line + "\r\n\r\n" + line);
  EXPECT_EQ(ToLf(mixed), line + "\n" + line + "\n" + line + "\n\n" + line + "\n\n" + line);
  EXPECT_EQ(ToCrLf("\r"), "\r\n");
  EXPECT_EQ(ToLf(line), line);
}

}  // namespace
}  // namespace vellumo::localmail
