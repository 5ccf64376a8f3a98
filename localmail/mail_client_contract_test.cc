// One suite for the mail client's object model, run against the in-memory application and the
// local client on the in-memory file system: what the system relies on must hold for both, or
// the tests that use the fake prove nothing about the real client.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "localmail/local_client_testing.h"
#include "localmail/mime_message.h"
#include "platform/mailclient/mail_client.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mailclient/standard_folders.h"
#include "platform/mem_file_system.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The in-memory application over a memory file system (for attachments).
class MemClient {
 public:
  mail::Application& app() { return app_; }
  MemFileSystem& fs() { return fs_; }
  std::vector<std::string> Transmitted() const {
    std::vector<std::string> subjects;
    for (const mail::MemSentMessage& sent : app_.sent()) subjects.push_back(sent.subject);
    return subjects;
  }

 private:
  MemFileSystem fs_;
  mail::MemApplication app_{&fs_};
};

// The local client with a transport that records what it is handed.
class LocalClient {
 public:
  mail::Application& app() { return *env_.client; }
  MemFileSystem& fs() { return env_.fs; }
  std::vector<std::string> Transmitted() const {
    std::vector<std::string> subjects;
    for (const localmail::MemTransport::Sent& sent : env_.transport.sent()) {
      subjects.push_back(localmail::MimeMessage::Parse(sent.message, "transmitted").Subject());
    }
    return subjects;
  }

 private:
  localmail::LocalClientTesting env_;
};

template <class Client>
class MailClientContract : public ::testing::Test {
 protected:
  mail::Application& app() { return client_.app(); }

  std::shared_ptr<mail::Folder> Standard(mail::DefaultFolder id) {
    return app().GetNamespace("MAPI")->GetDefaultFolder(id);
  }
  std::vector<std::string> Subjects(mail::DefaultFolder id) {
    std::vector<std::string> subjects;
    auto items = Standard(id)->Items();
    for (int i = 1; i <= items->Count(); ++i) {
      subjects.push_back(mail::AsMailItem(items->Item(i))->Subject());
    }
    return subjects;
  }
  // A saved draft to one recipient.
  std::shared_ptr<mail::MailItem> Draft(std::string_view subject) {
    auto mail = app().CreateMailItem();
    mail->SetSubject(subject);
    mail->SetBody("Dear Ann");
    mail->Recipients()->Add("ann@example.com");
    mail->Save();
    return mail;
  }
  void AddContact(std::string_view name, std::string_view address) {
    auto contact = mail::AsContactItem(app().CreateItem(mail::ItemType::kContact));
    contact->SetFullName(name);
    contact->SetEmail1Address(address);
    contact->Save();
  }

  Client client_;
};

using Clients = ::testing::Types<MemClient, LocalClient>;
class ClientNames {
 public:
  template <class T>
  static std::string GetName(int) {
    return std::is_same_v<T, MemClient> ? "Mem" : "Local";
  }
};
TYPED_TEST_SUITE(MailClientContract, Clients, ClientNames);

TYPED_TEST(MailClientContract, EveryStandardFolderIsThereWithItsNameAndKind) {
  for (const mail::StandardFolderInfo& standard : mail::kStandardFolders) {
    SCOPED_TRACE(standard.name);
    auto folder = this->Standard(standard.id);
    EXPECT_EQ(folder->Name(), standard.name);
    EXPECT_EQ(folder->DefaultItemType(), standard.type);
    EXPECT_EQ(folder->Parent()->Name(), "Personal Folders");
    EXPECT_EQ(folder->Items()->Count(), 0);
    EXPECT_EQ(folder->EntryID(), this->Standard(standard.id)->EntryID());
    // Reached through the store's tree as well, ignoring case.
    auto personal = this->app().GetNamespace("mapi")->Folders()->Item("personal folders");
    EXPECT_EQ(personal->Folders()->Item(standard.name)->EntryID(), folder->EntryID());
  }
  EXPECT_THROW(this->Standard(mail::DefaultFolder::kJournal), Error);
  EXPECT_THROW(this->app().GetNamespace("LDAP"), Error);
  EXPECT_NO_THROW(this->app().GetNamespace("MAPI")->Folders()->Item("Public Folders"));
}

TYPED_TEST(MailClientContract, NewItemsAreUnsavedInTheirFolderUntilSaved) {
  auto mail = this->app().CreateMailItem();
  EXPECT_EQ(mail->Parent()->Name(), "Drafts");
  EXPECT_FALSE(mail->Sent());
  mail->SetSubject("Plans");
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kDrafts), IsEmpty());
  mail->Save();
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kDrafts), ElementsAre("Plans"));

  auto contact = this->app().CreateItem(mail::ItemType::kContact);
  EXPECT_EQ(contact->Type(), mail::ItemType::kContact);
  EXPECT_EQ(contact->Parent()->Name(), "Contacts");
  EXPECT_THROW(this->app().CreateItem(mail::ItemType::kJournal), Error);
}

TYPED_TEST(MailClientContract, SendRaisesItemSendTransmitsAndFilesACopyInSentItems) {
  std::vector<std::string> seen;
  this->app().ItemSend().Connect([&](std::shared_ptr<mail::MailItem> item, bool& cancel) {
    seen.push_back(item->Subject() + " from " + item->Parent()->Name());
    EXPECT_FALSE(cancel);
  });
  auto mail = this->Draft("Report");
  mail->Send();

  EXPECT_THAT(seen, ElementsAre("Report from Drafts"));
  EXPECT_THAT(this->client_.Transmitted(), ElementsAre("Report"));
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kDrafts), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kOutbox), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kSentMail), ElementsAre("Report"));
  auto filed = mail::AsMailItem(this->Standard(mail::DefaultFolder::kSentMail)->Items()->Item(1));
  EXPECT_TRUE(filed->Sent());
  ASSERT_EQ(filed->Recipients()->Count(), 1);
  EXPECT_EQ(filed->Recipients()->Item(1)->Address(), "ann@example.com");
  // The item that was sent is gone: it neither answers nor goes out twice.
  EXPECT_THROW(mail->Subject(), Error);
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_THAT(this->client_.Transmitted(), ElementsAre("Report"));
}

TYPED_TEST(MailClientContract, ACancelledSendLeavesTheItemWhereItWas) {
  int later = 0;
  this->app().ItemSend().Connect(
      [](std::shared_ptr<mail::MailItem>, bool& cancel) { cancel = true; });
  this->app().ItemSend().Connect([&](std::shared_ptr<mail::MailItem>, bool& cancel) {
    ++later;
    EXPECT_TRUE(cancel) << "each handler sees what the one before left";
  });
  auto mail = this->Draft("Kept");
  mail->Send();

  EXPECT_EQ(later, 1);
  EXPECT_THAT(this->client_.Transmitted(), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kDrafts), ElementsAre("Kept"));
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kOutbox), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kSentMail), IsEmpty());
  EXPECT_EQ(mail->Subject(), "Kept");
  EXPECT_FALSE(mail->Sent());
}

TYPED_TEST(MailClientContract, ASendThatCannotStartChangesNothing) {
  int raised = 0;
  this->app().ItemSend().Connect([&](std::shared_ptr<mail::MailItem>, bool&) { ++raised; });
  auto nobody = this->app().CreateMailItem();
  nobody->SetSubject("nobody");
  EXPECT_THROW(nobody->Send(), Error);
  EXPECT_EQ(raised, 0) << "no recipient: nothing raised";

  this->app().ItemSend().DisconnectAll();
  this->app().ItemSend().Connect(
      [](std::shared_ptr<mail::MailItem>, bool&) { throw Error("handler failed"); });
  auto mail = this->Draft("Stopped");
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_THAT(this->client_.Transmitted(), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kDrafts), ElementsAre("Stopped"));

  // The send may be tried again once the handler is gone.
  this->app().ItemSend().DisconnectAll();
  mail->Send();
  EXPECT_THAT(this->client_.Transmitted(), ElementsAre("Stopped"));
}

TYPED_TEST(MailClientContract, DeleteAfterSubmitLeavesNoCopyAndTheOutboxEmpty) {
  auto mail = this->Draft("Once");
  EXPECT_FALSE(mail->DeleteAfterSubmit());
  mail->SetDeleteAfterSubmit(true);
  mail->Send();
  EXPECT_THAT(this->client_.Transmitted(), ElementsAre("Once"));
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kOutbox), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kSentMail), IsEmpty());
  EXPECT_THAT(this->Subjects(mail::DefaultFolder::kDrafts), IsEmpty());
}

TYPED_TEST(MailClientContract, RestrictKeepsTheMatchingItemsInOrder) {
  this->AddContact("Ann Smith", "ann@example.com");
  this->AddContact("Bob Jones", "bob@example.com");
  this->AddContact("Ann Other", "other@example.com");
  auto items = this->Standard(mail::DefaultFolder::kContacts)->Items();
  ASSERT_EQ(items->Count(), 3);

  auto anns = items->Restrict("[Email1Address] <> 'bob@example.com'");
  ASSERT_EQ(anns->Count(), 2);
  std::vector<std::string> names;
  for (auto item = anns->GetFirst(); item; item = anns->GetNext()) {
    names.push_back(mail::AsContactItem(item)->FullName());
  }
  // The store's order is its own; the restriction keeps it.
  std::vector<std::string> all;
  for (int i = 1; i <= items->Count(); ++i) {
    const std::string name = mail::AsContactItem(items->Item(i))->FullName();
    if (name != "Bob Jones") all.push_back(name);
  }
  EXPECT_EQ(names, all);
  EXPECT_EQ(items->Restrict("[FullName] = 'bob jones'")->Count(), 1) << "text ignores case";
  EXPECT_EQ(items->Restrict("[FullName] = 'Nobody'")->Count(), 0);
  EXPECT_THROW(items->Restrict("[FullName] = 'unclosed"), Error);
  EXPECT_THROW(items->Restrict("[NoSuchField] = 'x'"), Error);

  this->Draft("Monthly report");
  this->Draft("Lunch");
  auto drafts = this->Standard(mail::DefaultFolder::kDrafts)->Items();
  auto reports = drafts->Restrict("[Subject] = 'Monthly report'");
  ASSERT_EQ(reports->Count(), 1);
  EXPECT_EQ(mail::AsMailItem(reports->Item(1))->Subject(), "Monthly report");
}

TYPED_TEST(MailClientContract, AttachmentsAreReadFromFilesTravelAndSaveBack) {
  MemFileSystem& fs = this->client_.fs();
  fs.AddFile("C:\\temp\\report.txt", "line one\r\n");
  fs.AddFolder("C:\\out");
  auto mail = this->Draft("With file");
  auto attachment = mail->Attachments()->Add("C:\\temp\\report.txt");
  EXPECT_EQ(attachment->FileName(), "report.txt");
  EXPECT_THROW(mail->Attachments()->Add("C:\\temp\\missing.txt"), Error);
  EXPECT_EQ(mail->Attachments()->Count(), 1);
  mail->Save();
  mail->Send();

  auto filed = mail::AsMailItem(this->Standard(mail::DefaultFolder::kSentMail)->Items()->Item(1));
  ASSERT_EQ(filed->Attachments()->Count(), 1);
  EXPECT_EQ(filed->Attachments()->Item(1)->FileName(), "report.txt");
  filed->Attachments()->Item(1)->SaveAsFile("C:\\out\\copy.txt");
  EXPECT_EQ(fs.Contents("C:\\out\\copy.txt"), "line one\r\n");
}

TYPED_TEST(MailClientContract, CalendarAndTasksHoldNoMailButKeepTheirKind) {
  for (mail::DefaultFolder id : {mail::DefaultFolder::kCalendar, mail::DefaultFolder::kTasks}) {
    auto folder = this->Standard(id);
    SCOPED_TRACE(folder->Name());
    auto sub = folder->Folders()->Add("Projects", folder->DefaultItemType());
    EXPECT_EQ(sub->DefaultItemType(), folder->DefaultItemType());
    EXPECT_EQ(sub->Parent()->Name(), folder->Name());
    EXPECT_EQ(folder->Folders()->Count(), 1);
    EXPECT_EQ(folder->Items()->Count(), 0);
  }
}

}  // namespace
}  // namespace vellumo
