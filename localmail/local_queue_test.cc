// The Outbox as a queue: claims, the transmitted flag, filing once, the order of a flush.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "localmail/local_client_testing.h"
#include "localmail/local_mail_item.h"
#include "localmail/mail_tool.h"
#include "localmail/maildir.h"
#include "localmail/mime_message.h"
#include "platform/mailclient/mail_client.h"

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

class LocalQueueTest : public ::testing::Test {
 protected:
  // A message sent while the server is down: it waits in the Outbox, unclaimed.
  std::string Queue(std::string_view subject) {
    env_.transport.Fail("down", 1);
    auto mail = env_.client->CreateMailItem();
    mail->SetSubject(subject);
    mail->SetBody("text");
    mail->Recipients()->Add("ann@example.com");
    EXPECT_THROW(mail->Send(), QueuedError);
    return mail->EntryID();
  }

  std::vector<std::string> Files(std::string_view folder) {
    return env_.fs.ListFiles(env_.Path(std::string(folder) + "/cur"), "");
  }
  std::vector<std::string> SentSubjects() {
    std::vector<std::string> subjects;
    for (const auto& sent : env_.transport.sent()) {
      subjects.push_back(*MimeMessage::Parse(sent.message, "sent").Header("Subject"));
    }
    return subjects;
  }

  LocalClientTesting env_;
};

TEST_F(LocalQueueTest, AMessageAnotherLiveProcessHoldsIsLeftToItAndADeadOnesClaimIsTakenOver) {
  const std::string id = Queue("held");
  Maildir outbox(env_.fs, env_.Path("Outbox"));
  ASSERT_TRUE(outbox.Claim(*outbox.Find(id), "77.5"));
  env_.live_claims.insert("77.5");

  EXPECT_THAT(env_.client->FlushOutbox(), IsEmpty());
  EXPECT_THAT(env_.transport.sent(), IsEmpty());
  EXPECT_THAT(Files("Outbox"), ElementsAre(id + ",C=77.5:2,S"));

  env_.live_claims.clear();  // that process died mid-send
  const auto results = env_.client->FlushOutbox();
  ASSERT_THAT(results, SizeIs(1));
  EXPECT_TRUE(results[0].sent);
  EXPECT_THAT(SentSubjects(), ElementsAre("held"));
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_THAT(Files("Sent Items"), ElementsAre(id + ":2,S"));
}

TEST_F(LocalQueueTest, AMessageTakenBetweenListingAndClaimingIsSkippedWithoutAnError) {
  Queue("taken");
  env_.faulty.FailOn(FaultyFileSystem::Call::kRename, "Outbox", ErrorCode::kFileNotFound, 1);
  EXPECT_THAT(env_.client->FlushOutbox(), IsEmpty());
  EXPECT_THAT(env_.transport.sent(), IsEmpty());
}

TEST_F(LocalQueueTest, SentButNotFiledIsMarkedByRenamingAndTheNextFlushOnlyFilesIt) {
  auto mail = env_.client->CreateMailItem();
  mail->SetSubject("full disk");
  mail->Recipients()->Add("ann@example.com");
  mail->Save();
  const std::string id = mail->EntryID();
  // The disk is full once the server has the message: no file can be written any more, the
  // Outbox copy cannot be rewritten either (only the queueing write, to Outbox/tmp, went before).
  env_.faulty.FailOn(FaultyFileSystem::Call::kWriteFile, "Sent Items", ErrorCode::kDiskFull);
  // Optional: the send marks the Outbox copy by renaming it, so it never writes there; should it
  // ever try, the full disk refuses that write too.
  env_.faulty.FailOn(FaultyFileSystem::Call::kWriteFile, "Outbox/cur", ErrorCode::kDiskFull, -1,
                     Firing::kOptional);
  EXPECT_NO_THROW(mail->Send());
  EXPECT_THAT(env_.client->TakeProblems(), ElementsAre(HasSubstr("could not be filed")));
  EXPECT_THAT(Files("Outbox"), ElementsAre(id + ":2,PS"));
  EXPECT_EQ(env_.transport.attempts(), 1);

  env_.faulty.ClearFailures();
  env_.Reopen();
  const auto results = env_.client->FlushOutbox();
  ASSERT_THAT(results, SizeIs(1));
  EXPECT_TRUE(results[0].sent);
  EXPECT_EQ(env_.transport.attempts(), 1);  // filed only
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_THAT(Files("Sent Items"), ElementsAre(id + ":2,S"));
}

TEST_F(LocalQueueTest, FiledButNotRemovedIsNeitherSentNorFiledAgain) {
  auto mail = env_.client->CreateMailItem();
  mail->SetSubject("stuck");
  mail->Recipients()->Add("ann@example.com");
  env_.faulty.FailOn(FaultyFileSystem::Call::kRemoveFile, "Outbox", ErrorCode::kPermissionDenied,
                     1);
  mail->Send();
  EXPECT_THAT(env_.client->TakeProblems(), ElementsAre(HasSubstr("could not be removed")));
  EXPECT_THAT(Files("Outbox"), SizeIs(1));

  env_.Reopen();
  EXPECT_THAT(env_.client->FlushOutbox(), SizeIs(1));
  EXPECT_EQ(env_.transport.attempts(), 1);
  EXPECT_THAT(Files("Outbox"), IsEmpty());
  EXPECT_THAT(Files("Sent Items"), SizeIs(1));
}

TEST_F(LocalQueueTest, AProcessKilledAfterClaimingLeavesTheMessageForTheNextFlush) {
  // What a run killed between claiming and transmitting leaves behind.
  const std::string id = Queue("crashed");
  Maildir outbox(env_.fs, env_.Path("Outbox"));
  ASSERT_TRUE(outbox.Claim(*outbox.Find(id), env_.ClaimTag()));
  env_.Reopen();
  EXPECT_THAT(env_.client->FlushOutbox(), SizeIs(1));
  EXPECT_THAT(SentSubjects(), ElementsAre("crashed"));
}

TEST_F(LocalQueueTest, TheOutboxIsFlushedOldestFirstByQueueTimeThenName) {
  auto first_written = env_.client->CreateMailItem();
  first_written->SetSubject("queued last");
  first_written->Recipients()->Add("ann@example.com");
  first_written->Save();  // its name sorts first
  for (const char* subject : {"1 of 3", "2 of 3", "3 of 3"}) Queue(subject);
  env_.clock.Advance(60);
  env_.transport.Fail("down", 1);
  EXPECT_THROW(first_written->Send(), QueuedError);

  env_.Reopen();
  EXPECT_THAT(env_.client->FlushOutbox(), SizeIs(4));
  EXPECT_THAT(SentSubjects(), ElementsAre("1 of 3", "2 of 3", "3 of 3", "queued last"));
}

TEST_F(LocalQueueTest, SentItemsRecordsEnvelopeRecipientsAsBccThatIsNeverTransmitted) {
  std::ostringstream err;
  const std::string input =
      "From: zoe@example.org\r\nTo: ann@example.com\r\nSubject: hi\r\n\r\ntext\r\n";
  ASSERT_EQ(RunSendmail(*env_.client, input,
                        {false, true, "", "", {"ann@example.com", "bob@x.org"}}, err),
            kExitOk)
      << err.str();
  ASSERT_THAT(env_.transport.sent(), SizeIs(1));
  EXPECT_THAT(env_.transport.sent()[0].envelope.recipients,
              ElementsAre("ann@example.com", "bob@x.org"));
  EXPECT_THAT(env_.transport.sent()[0].message, Not(HasSubstr("bob@x.org")));
  const std::vector<std::string> filed = Files("Sent Items");
  ASSERT_THAT(filed, SizeIs(1));
  const std::string path = env_.Path("Sent Items/cur/" + filed[0]);
  const MimeMessage copy = MimeMessage::Parse(*env_.fs.Contents(path), path);
  EXPECT_THAT(copy.Header("Bcc").value_or(""), HasSubstr("bob@x.org"));
  EXPECT_THAT(copy.Header("To").value_or(""), HasSubstr("ann@example.com"));
}

}  // namespace
}  // namespace vellumo::localmail
