// Sending through the local client: ItemSend, the Outbox, transmission and filing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "localmail/local_client_testing.h"
#include "localmail/local_mail_item.h"
#include "localmail/mail_tool.h"
#include "localmail/mime_message.h"
#include "platform/mailclient/mail_client.h"

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

class LocalSendTest : public ::testing::Test {
 protected:
  // A saved draft to ann (To) and bob (Bcc) with private properties.
  std::shared_ptr<mail::MailItem> Draft(std::string_view subject = "Report") {
    auto mail = env_.client->CreateMailItem();
    mail->SetSubject(subject);
    mail->SetBody("Dear Ann");
    mail->SetBillingInformation("Vellumo from Corvane");
    mail->UserProperties()
        ->Add("CorvaneVellumo", mail::UserPropertyType::kText)
        ->SetValue("Version 3.9.9");
    mail->Recipients()->Add("Ann <ann@example.com>");
    mail->Recipients()->Add("bob@example.com")->SetType(mail::RecipientType::kBcc);
    mail->Save();
    return mail;
  }

  std::vector<std::string> Files(std::string_view folder) {
    return env_.fs.ListFiles(env_.Path(std::string(folder) + "/cur"), "");
  }
  MimeMessage Stored(std::string_view folder) {
    const std::vector<std::string> files = Files(folder);
    EXPECT_THAT(files, SizeIs(1)) << folder;
    const std::string path = env_.Path(std::string(folder) + "/cur/" + files.at(0));
    return MimeMessage::Parse(*env_.fs.Contents(path), path);
  }

  LocalClientTesting env_;
};

TEST_F(LocalSendTest, SentMailIsTransmittedWithoutPrivateHeadersAndFiledInSentItems) {
  env_.registry.SetValue(kClientKey, "UserName", RegValue::String("Zoe Sender"));
  env_.registry.SetValue(kClientKey, "UserAddress", RegValue::String("zoe@example.org"));
  auto mail = Draft();
  const std::string id = mail->EntryID();
  mail->Send();

  ASSERT_THAT(env_.transport.sent(), SizeIs(1));
  const MemTransport::Sent& sent = env_.transport.sent().front();
  EXPECT_EQ(sent.envelope.from, "zoe@example.org");
  EXPECT_THAT(sent.envelope.recipients, ElementsAre("ann@example.com", "bob@example.com"));
  EXPECT_THAT(sent.message, Not(HasSubstr("X-Vellumo")));
  EXPECT_THAT(sent.message, Not(HasSubstr("bob@example.com")));  // Bcc only in the envelope
  const MimeMessage wire = MimeMessage::Parse(sent.message, "wire");
  EXPECT_EQ(wire.From().address, "zoe@example.org");
  EXPECT_EQ(wire.From().name, "Zoe Sender");
  EXPECT_TRUE(wire.Date().has_value());
  EXPECT_THAT(wire.MessageId(), HasSubstr("@example.org"));
  EXPECT_THAT(wire.TextBody(), ::testing::StartsWith("Dear Ann"));

  EXPECT_THAT(Files("Drafts"), IsEmpty());
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_THAT(Files("Sent Items"), ElementsAre(id + ":2,S"));
  const MimeMessage filed = Stored("Sent Items");
  EXPECT_EQ(filed.PrivateHeader(header::kBillingInformation), "Vellumo from Corvane");
  EXPECT_FALSE(filed.PrivateHeader(header::kUnsent));

  EXPECT_THROW(mail->Subject(), Error);  // a sent item no longer answers
  EXPECT_THROW(mail->Send(), Error);
  auto copy = mail::AsMailItem(env_.client->FindFolder("Sent Items")->Items()->GetFirst());
  EXPECT_TRUE(copy->Sent());
  EXPECT_EQ(copy->UserProperties()->Item(1)->Value(), "Version 3.9.9");
}

TEST_F(LocalSendTest, ItemSendReachesEveryHandlerAndTheirChangesGoOut) {
  std::vector<std::string> seen;
  env_.client->ItemSend().Connect([&](std::shared_ptr<mail::MailItem> item, bool&) {
    seen.push_back("first:" + item->Subject());
    item->SetHTMLBody("<p>dressed</p>");  // not saved: still goes out
  });
  env_.client->ItemSend().Connect([&](std::shared_ptr<mail::MailItem> item, bool& cancel) {
    seen.push_back("second");
    EXPECT_FALSE(cancel);
    EXPECT_EQ(item->Parent()->Name(), "Drafts");
  });
  Draft()->Send();
  EXPECT_THAT(seen, ElementsAre("first:Report", "second"));
  ASSERT_THAT(env_.transport.sent(), SizeIs(1));
  EXPECT_EQ(MimeMessage::Parse(env_.transport.sent()[0].message, "wire").HtmlBody(),
            "<p>dressed</p>");
}

TEST_F(LocalSendTest, ACancellingHandlerLeavesTheItemInDraftsAndNothingIsTransmitted) {
  int later_handler_calls = 0;
  env_.client->ItemSend().Connect([](std::shared_ptr<mail::MailItem> item, bool& cancel) {
    item->SetBillingInformation("DoNotSend");
    item->Save();
    cancel = true;
  });
  env_.client->ItemSend().Connect([&](std::shared_ptr<mail::MailItem>, bool& cancel) {
    ++later_handler_calls;
    EXPECT_TRUE(cancel);  // handlers see what the one before left
  });
  auto mail = Draft();
  const std::string id = mail->EntryID();
  mail->Send();

  EXPECT_EQ(later_handler_calls, 1);
  EXPECT_EQ(env_.transport.attempts(), 0);
  EXPECT_THAT(Files("Drafts"), ElementsAre(id + ":2,DS"));
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_THAT(Files("Sent Items"), IsEmpty());
  EXPECT_EQ(Stored("Drafts").PrivateHeader(header::kBillingInformation), "DoNotSend");
  EXPECT_FALSE(mail->Sent());  // still answers
}

TEST_F(LocalSendTest, AHandlerThatThrowsStopsTheSend) {
  env_.client->ItemSend().Connect(
      [](std::shared_ptr<mail::MailItem>, bool&) { throw Error("handler failed"); });
  auto mail = Draft();
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_EQ(env_.transport.attempts(), 0);
  EXPECT_THAT(Files("Drafts"), SizeIs(1));
  // The guard against re-entry is released: a later send may go ahead.
  env_.client->ItemSend().DisconnectAll();
  mail->Send();
  EXPECT_THAT(env_.transport.sent(), SizeIs(1));
}

TEST_F(LocalSendTest, SendingAgainFromAHandlerIsRefused) {
  env_.client->ItemSend().Connect(
      [](std::shared_ptr<mail::MailItem> item, bool&) { item->Send(); });
  EXPECT_THROW(Draft()->Send(), Error);
  EXPECT_EQ(env_.transport.attempts(), 0);
}

TEST_F(LocalSendTest, WithoutRecipientsNothingIsRaisedOrSent) {
  int raised = 0;
  env_.client->ItemSend().Connect([&](std::shared_ptr<mail::MailItem>, bool&) { ++raised; });
  auto mail = env_.client->CreateMailItem();
  mail->SetSubject("nobody");
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_EQ(raised, 0);
}

TEST_F(LocalSendTest, AFailedTransmissionKeepsTheMessageInTheOutboxWithTheReason) {
  env_.transport.Fail("Connection refused by smtp.example.com", 1);
  auto mail = Draft();
  const std::string id = mail->EntryID();
  try {
    mail->Send();
    FAIL() << "no error";
  } catch (const QueuedError& e) {
    EXPECT_EQ(e.reason(), "Connection refused by smtp.example.com");
    EXPECT_THAT(e.description(), HasSubstr("kept in the Outbox"));
  }
  EXPECT_THAT(Files("Drafts"), IsEmpty());
  EXPECT_THAT(Files("Outbox"), ElementsAre(id + ":2,S"));
  EXPECT_EQ(Stored("Outbox").PrivateHeader(header::kSendError),
            "Connection refused by smtp.example.com");
  EXPECT_EQ(mail->Parent()->Name(), "Outbox");  // the object still answers

  env_.Reopen();
  const auto results = env_.client->FlushOutbox();
  ASSERT_THAT(results, SizeIs(1));
  EXPECT_TRUE(results[0].sent);
  EXPECT_EQ(results[0].entry_id, id);
  ASSERT_THAT(env_.transport.sent(), SizeIs(1));
  EXPECT_THAT(env_.transport.sent()[0].envelope.recipients,
              ElementsAre("ann@example.com", "bob@example.com"));
  EXPECT_THAT(env_.transport.sent()[0].message, Not(HasSubstr("X-Vellumo")));
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_FALSE(Stored("Sent Items").PrivateHeader(header::kSendError));
}

TEST_F(LocalSendTest, FlushReportsWhatStaysQueued) {
  env_.transport.Fail("still down");
  Draft("one");
  Draft("two");
  auto items = env_.client->FindFolder("Drafts")->Items();
  for (auto item = items->GetFirst(); item; item = items->GetNext()) {
    EXPECT_THROW(mail::AsMailItem(item)->Send(), QueuedError);
  }
  const auto results = env_.client->FlushOutbox();
  ASSERT_THAT(results, SizeIs(2));
  EXPECT_FALSE(results[0].sent);
  EXPECT_EQ(results[0].reason, "still down");
  EXPECT_THAT(Files("Outbox"), SizeIs(2));
  EXPECT_EQ(env_.transport.attempts(), 4);
}

TEST_F(LocalSendTest, WhenTheOutboxCannotBeWrittenTheDraftStaysAndNothingGoesOut) {
  auto mail = Draft();
  const std::string id = mail->EntryID();
  env_.faulty.FailOn(FaultyFileSystem::Call::kWriteFile, "Outbox", ErrorCode::kDiskFull);
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_EQ(env_.transport.attempts(), 0);
  EXPECT_THAT(Files("Drafts"), ElementsAre(id + ":2,DS"));
  EXPECT_THAT(Files("Outbox"), IsEmpty());
}

TEST_F(LocalSendTest, SentButNotFiledStaysInTheOutboxAndIsNeverTransmittedTwice) {
  auto mail = Draft();
  env_.faulty.FailOn(FaultyFileSystem::Call::kWriteFile, "Sent Items", ErrorCode::kDiskFull);
  // Delivered is delivered: the filing failure is a warning, not a failed send.
  EXPECT_NO_THROW(mail->Send());
  EXPECT_THAT(env_.client->TakeProblems(),
              ElementsAre(HasSubstr("could not be filed in Sent Items")));
  EXPECT_EQ(env_.transport.attempts(), 1);
  ASSERT_THAT(Files("Outbox"), SizeIs(1));
  EXPECT_THAT(Files("Outbox")[0], testing::EndsWith(":2,PS"));

  env_.faulty.ClearFailures();
  const auto results = env_.client->FlushOutbox();
  ASSERT_THAT(results, SizeIs(1));
  EXPECT_TRUE(results[0].sent);
  EXPECT_EQ(env_.transport.attempts(), 1);  // filed only
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_FALSE(Stored("Sent Items").PrivateHeader(header::kTransmitted));
}

TEST_F(LocalSendTest, AReasonThatCannotBeRecordedIsStillReported) {
  env_.transport.Fail("refused", 1);
  auto mail = Draft();
  env_.faulty.FailOn(FaultyFileSystem::Call::kWriteFile, "Outbox/cur", ErrorCode::kDiskFull);
  try {
    mail->Send();
    FAIL() << "no error";
  } catch (const QueuedError& e) {
    EXPECT_THAT(e.reason(), HasSubstr("refused"));
    EXPECT_THAT(e.reason(), HasSubstr("could not be recorded"));
  }
  EXPECT_THAT(Files("Outbox"), SizeIs(1));  // the message itself is there
}

TEST_F(LocalSendTest, DeleteAfterSubmitSendsWithoutFilingACopy) {
  auto mail = Draft();
  mail->SetDeleteAfterSubmit(true);
  mail->Send();
  EXPECT_THAT(env_.transport.sent(), SizeIs(1));
  EXPECT_THAT(Files("Drafts"), IsEmpty());
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_THAT(Files("Sent Items"), IsEmpty());
}

TEST_F(LocalSendTest, AnUnsavedItemIsSentStraightFromMemory) {
  auto mail = env_.client->CreateMailItem();
  mail->Recipients()->Add("ann@example.com");
  mail->SetSubject("never saved");
  mail->Send();
  EXPECT_THAT(env_.transport.sent(), SizeIs(1));
  EXPECT_THAT(Files("Drafts"), IsEmpty());
  EXPECT_EQ(Stored("Sent Items").Subject(), "never saved");
}

TEST_F(LocalSendTest, OneTransportServesManyMessagesWhileTheSettingsStay) {
  Draft("one")->Send();
  Draft("two")->Send();
  EXPECT_EQ(env_.transports_made, 1);
  env_.registry.SetValue(kClientKey, "Transport", RegValue::String("smtp://mail.example.com"));
  Draft("three")->Send();
  EXPECT_EQ(env_.transports_made, 2);
  EXPECT_THAT(env_.transport.sent(), SizeIs(3));
}

TEST_F(LocalSendTest, InvalidTransportSettingsQueueTheMessageWithTheReason) {
  env_.registry.SetValue(kClientKey, "Transport", RegValue::String("smpt://typo"));
  try {
    Draft()->Send();
    FAIL() << "no error";
  } catch (const QueuedError& e) {
    EXPECT_THAT(e.reason(), HasSubstr("smpt://typo"));
  }
  EXPECT_THAT(Files("Outbox"), SizeIs(1));
}

TEST_F(LocalSendTest, SendCommandReportsSentCancelledAndQueued) {
  const std::string message =
      "From: a@example.com\r\nTo: b@example.com\r\nSubject: s\r\n\r\nhi\r\n";
  SendOutcome outcome = SendMessageBytes(*env_.client, message, "m.eml", {});
  EXPECT_EQ(outcome.status, SendStatus::kSent);
  EXPECT_THAT(Files("Sent Items"), ElementsAre(outcome.entry_id + ":2,S"));

  env_.transport.Fail("down", 1);
  outcome = SendMessageBytes(*env_.client, message, "m.eml", {});
  EXPECT_EQ(outcome.status, SendStatus::kQueued);
  EXPECT_EQ(outcome.reason, "down");

  mail::ConnectionId id = env_.client->ItemSend().Connect(
      [](std::shared_ptr<mail::MailItem>, bool& cancel) { cancel = true; });
  outcome = SendMessageBytes(*env_.client, message, "m.eml", {});
  EXPECT_EQ(outcome.status, SendStatus::kCancelled);
  EXPECT_THAT(Files("Drafts"), ElementsAre(outcome.entry_id + ":2,DS"));
  env_.client->ItemSend().Disconnect(id);

  const size_t before = env_.fs.AllFiles().size();
  try {
    (void)SendMessageBytes(*env_.client, "Subject: nobody\r\n\r\nx\r\n", "nobody.eml", {});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(std::string(e.what()), HasSubstr("nobody.eml"));
  }
  EXPECT_THROW((void)SendMessageBytes(*env_.client, "", "empty.eml", {}), Error);
  EXPECT_EQ(env_.fs.AllFiles().size(), before);  // nothing stored
  outcome = SendMessageBytes(*env_.client, "Subject: nobody\r\n\r\nx\r\n", "n.eml",
                             {"Added <added@example.com>"});
  EXPECT_EQ(outcome.status, SendStatus::kSent);
  EXPECT_THAT(env_.transport.sent().back().envelope.recipients, ElementsAre("added@example.com"));
}

TEST_F(LocalSendTest, ListingAndShowingMailPrintDecodedFieldsAndTheQueueReason) {
  env_.transport.Fail("mail.example.com said 451 try later", 1);
  auto mail = Draft("Grüße\tand tabs");
  const std::string id = mail->EntryID();
  EXPECT_THROW(mail->Send(), QueuedError);
  std::ostringstream out, err;
  PrintItems(*env_.client, "outbox", "", "", out, err);
  EXPECT_EQ(out.str(), id + "\tGrüße and tabs\tann@example.com, bob@example.com\t" +
                           "mail.example.com said 451 try later\n");
  out.str("");
  PrintItems(*env_.client, "Outbox", "[Subject] = 'other'", "", out, err);
  EXPECT_EQ(out.str(), "");
  EXPECT_THROW(PrintItems(*env_.client, "Outbox", "[Nope] = 'x'", "", out, err), Error);

  ShowItem(*env_.client, "Outbox", id, out);
  const std::string shown = out.str();
  EXPECT_THAT(shown, HasSubstr("EntryID: " + id + "\nFolder: Outbox\nMessageClass: IPM.Note\n"));
  EXPECT_THAT(shown, HasSubstr("To: Ann <ann@example.com>\nBcc: bob@example.com\n"));
  EXPECT_THAT(shown, HasSubstr("BillingInformation: Vellumo from Corvane\n"));
  EXPECT_THAT(shown, HasSubstr("UserProperty: CorvaneVellumo = Version 3.9.9\n"));
  EXPECT_THAT(shown, HasSubstr("SendError: mail.example.com said 451 try later\n"));
  EXPECT_THAT(shown, HasSubstr("--- Body ---\nDear Ann"));
  EXPECT_THROW(ShowItem(*env_.client, "Outbox", "no-such-id", out), Error);
  EXPECT_THROW(ShowItem(*env_.client, "No Folder", id, out), Error);
}

TEST(SendmailInput, StopsAtALoneDotUnlessDotsAreIgnored) {
  EXPECT_EQ(SendmailInput("a\n.\nb\n", false), "a\n");
  EXPECT_EQ(SendmailInput("a\r\n.\r\nb\r\n", false), "a\r\n");
  EXPECT_EQ(SendmailInput("a\n..\n.x\n", false), "a\n..\n.x\n");
  EXPECT_EQ(SendmailInput("a\n.\nb\n", true), "a\n.\nb\n");
  EXPECT_EQ(SendmailInput(".", false), "");
}

TEST_F(LocalSendTest, SendmailEntryUsesTheEnvelopeItIsGiven) {
  const std::string message =
      "To: header@example.com\nCc: cc@example.com\nBcc: hidden@example.com\nSubject: s\n\nbody\n";
  std::ostringstream err;
  SendmailOptions options;
  options.addresses = {"only@example.com"};
  options.from = "bounce@example.org";
  EXPECT_EQ(RunSendmail(*env_.client, message, options, err), kExitOk) << err.str();
  ASSERT_THAT(env_.transport.sent(), SizeIs(1));
  EXPECT_EQ(env_.transport.sent()[0].envelope.from, "bounce@example.org");
  EXPECT_THAT(env_.transport.sent()[0].envelope.recipients, ElementsAre("only@example.com"));
  EXPECT_THAT(env_.transport.sent()[0].message, Not(HasSubstr("hidden@example.com")));

  options.addresses = {"extra@example.com"};
  options.extract_recipients = true;
  options.full_name = "Bounce Handler";
  EXPECT_EQ(RunSendmail(*env_.client, message, options, err), kExitOk);
  EXPECT_THAT(env_.transport.sent()[1].envelope.recipients,
              ElementsAre("header@example.com", "cc@example.com", "hidden@example.com",
                          "extra@example.com"));
  EXPECT_EQ(MimeMessage::Parse(env_.transport.sent()[1].message, "w").From().name,
            "Bounce Handler");
  EXPECT_THAT(Files("Sent Items"), SizeIs(2));
}

TEST_F(LocalSendTest, SendmailExitCodesSayWhatHappened) {
  std::ostringstream err;
  SendmailOptions none;
  EXPECT_EQ(RunSendmail(*env_.client, "To: a@example.com\n\nx\n", none, err), kExitUsage);
  SendmailOptions extract;
  extract.extract_recipients = true;
  EXPECT_EQ(RunSendmail(*env_.client, "Subject: no one\n\nx\n", extract, err), kExitUsage);
  EXPECT_EQ(RunSendmail(*env_.client, "", extract, err), kExitDataError);
  env_.transport.Fail("try later", 1);
  EXPECT_EQ(RunSendmail(*env_.client, "To: a@example.com\n\nx\n", extract, err), kExitTempFail);
  EXPECT_THAT(err.str(), HasSubstr("try later"));
  EXPECT_THAT(Files("Outbox"), SizeIs(1));
  env_.client->ItemSend().Connect(
      [](std::shared_ptr<mail::MailItem>, bool& cancel) { cancel = true; });
  EXPECT_EQ(RunSendmail(*env_.client, "To: a@example.com\n\nx\n", extract, err), kExitUnavailable);
}

}  // namespace
}  // namespace vellumo::localmail
