#include "localmail/local_mail_item.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "localmail/local_client_testing.h"
#include "localmail/mime_message.h"
#include "platform/mailclient/mail_client.h"

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class LocalMailItemTest : public ::testing::Test {
 protected:
  std::shared_ptr<mail::MailItem> NewMail() { return env_.client->CreateMailItem(); }

  // The one stored file of a folder ("Drafts"), parsed.
  MimeMessage StoredMessage(std::string_view folder) {
    std::vector<std::string> files = env_.fs.ListFiles(env_.Path(std::string(folder) + "/cur"), "");
    EXPECT_EQ(files.size(), 1u) << folder;
    if (files.empty()) return MimeMessage();
    const std::string path = env_.Path(std::string(folder) + "/cur/" + files.front());
    return MimeMessage::Parse(*env_.fs.Contents(path), path);
  }

  // The item as a fresh client reads it from the store.
  std::shared_ptr<mail::MailItem> Reload(std::string_view folder, const std::string& entry_id) {
    env_.Reopen();
    auto found = env_.client->FindItem(*env_.client->FindFolder(folder), entry_id);
    EXPECT_TRUE(found) << entry_id;
    return mail::AsMailItem(found);
  }

  LocalClientTesting env_;
};

TEST_F(LocalMailItemTest, NewMailIsUnsavedInDraftsUntilSaved) {
  auto mail = NewMail();
  EXPECT_EQ(mail->EntryID(), "");
  EXPECT_EQ(mail->Parent()->Name(), "Drafts");
  EXPECT_FALSE(mail->Sent());
  EXPECT_EQ(env_.client->FindFolder("Drafts")->Items()->Count(), 0);

  mail->SetSubject("Hello");
  mail->Save();
  const std::string id = mail->EntryID();
  EXPECT_FALSE(id.empty());
  EXPECT_THAT(env_.fs.ListFiles(env_.Path("Drafts/cur"), ""), ElementsAre(id + ":2,DS"));
  EXPECT_TRUE(env_.fs.ListFiles(env_.Path("Drafts/tmp"), "").empty());

  mail->SetSubject("Hello again");
  mail->Save();
  EXPECT_EQ(mail->EntryID(), id);  // a second save replaces the same message
  EXPECT_EQ(Reload("Drafts", id)->Subject(), "Hello again");
}

TEST_F(LocalMailItemTest, BodyAndHtmlBodyAreTwoAlternativesThatNeverDisagree) {
  auto mail = NewMail();
  mail->SetBody("line one\nline two");
  EXPECT_EQ(mail->Body(), "line one\r\nline two");  // CR LF whatever was given
  EXPECT_EQ(mail->HTMLBody(), "");
  EXPECT_EQ(mail->GetInspector()->EditorType(), mail::EditorType::kText);

  // Writing the HTML writes the text alternative from it.
  mail->SetHTMLBody("<p>Grüße &amp; more</p><p>signed <b>Iris</b></p>");
  EXPECT_EQ(mail->Body(), "Grüße & more\r\n\r\nsigned Iris");
  mail->Save();
  const MimeMessage stored = StoredMessage("Drafts");
  EXPECT_THAT(*stored.Header("Content-Type"), HasSubstr("multipart/alternative"));
  EXPECT_EQ(stored.TextBody(), "Grüße & more\r\n\r\nsigned Iris");

  auto reloaded = Reload("Drafts", mail->EntryID());
  EXPECT_EQ(reloaded->HTMLBody(), "<p>Grüße &amp; more</p><p>signed <b>Iris</b></p>");
  EXPECT_EQ(reloaded->GetInspector()->EditorType(), mail::EditorType::kHtml);

  // Writing the text of a message that has HTML writes the HTML from it, escaped.
  reloaded->SetBody("a<b & c\r\nnext");
  EXPECT_EQ(reloaded->HTMLBody(), "a&lt;b &amp; c<br>\r\nnext");
  EXPECT_EQ(reloaded->Body(), "a<b & c\r\nnext");

  reloaded->SetBody("");
  reloaded->Save();
  EXPECT_EQ(reloaded->HTMLBody(), "");
  EXPECT_EQ(reloaded->Body(), "");
}

TEST_F(LocalMailItemTest, BodyOfAnHtmlOnlyMessageIsItsRenderedText) {
  auto item = env_.client->ImportMessage(
      "From: a@example.com\r\nSubject: Lanterns\r\nMIME-Version: 1.0\r\n"
      "Content-Type: text/html; charset=utf-8\r\n\r\n"
      "<p>Dear Tomas,</p>\r\n<p>the twelve storm lanterns\r\nare finished.</p>\r\n"
      "<p>Warm wishes,<br>Iris</p>\r\n",
      "lanterns.eml");
  EXPECT_EQ(item->Body(),
            "Dear Tomas,\r\n\r\nthe twelve storm lanterns are finished.\r\n\r\n"
            "Warm wishes,\r\nIris");
  EXPECT_EQ(item->GetInspector()->EditorType(), mail::EditorType::kHtml);
}

TEST_F(LocalMailItemTest, AMessageWhoseStructureCannotBeReadKeepsItsRawBodyAsText) {
  auto item = env_.client->ImportMessage(
      "From: Mailer-Daemon@example.com\nSubject: Failure\nTo: user@example.com\n"
      "Content-Type: multipart/report;\n\nI'm  multipart message without boundary\n",
      "no-boundary.eml");
  EXPECT_EQ(item->Body(), "I'm  multipart message without boundary\r\n");
  item->SetHTMLBody("<p>dressed</p><p>I'm multipart message without boundary</p>");
  item->Save();
  const MimeMessage stored = StoredMessage("Drafts");
  EXPECT_THAT(stored.TextBody(), HasSubstr("I'm multipart message without boundary"));
  EXPECT_EQ(stored.Subject(), "Failure");
}

TEST_F(LocalMailItemTest, WritingABodyKeepsAttachmentsInlinePartsAndOtherHeaders) {
  auto item = env_.client->ImportMessage(
      "From: a@example.com\r\nTo: b@example.com\r\nSubject: Plan\r\n"
      "Thread-Index: AQHZ1234\r\nList-Id: <harbour.example>\r\nAutocrypt: addr=a@example.com; "
      "keydata=AAAA\r\nMIME-Version: 1.0\r\nContent-Language: de-DE\r\n"
      "Content-Class: urn:content-classes:message\r\n"
      "Content-Type: multipart/mixed; boundary=\"M\"\r\n\r\n"
      "--M\r\nContent-Type: multipart/related; boundary=\"R\"\r\n\r\n"
      "--R\r\nContent-Type: text/html\r\n\r\n<p>see <img src=\"cid:logo\"></p>\r\n"
      "--R\r\nContent-Type: image/png\r\nContent-ID: <logo>\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=\r\n--R--\r\n"
      "--M\r\nContent-Type: application/pdf; name=plan.pdf\r\n"
      "Content-Disposition: attachment; filename=plan.pdf\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQK\r\n--M--\r\n",
      "plan.eml");
  item->SetHTMLBody("<p>dressed</p>" + item->HTMLBody());
  item->SetBody(item->Body() + "\r\n-- \r\nIris");
  item->Save();
  const MimeMessage stored = StoredMessage("Drafts");
  EXPECT_EQ(stored.TextBody(), "dressed\r\n\r\nsee\r\n-- \r\nIris");
  EXPECT_THAT(stored.HtmlBody(), HasSubstr("Iris"));
  ASSERT_EQ(stored.Attachments().size(), 1u);
  EXPECT_EQ(stored.Attachments()[0].content, "%PDF-1.4\n");
  ASSERT_EQ(stored.InlineParts().size(), 1u);
  EXPECT_EQ(stored.InlineParts()[0].content_id, "logo");
  for (auto [name, value] : {std::pair{"Thread-Index", "AQHZ1234"},
                             {"List-Id", "<harbour.example>"},
                             {"Autocrypt", "addr=a@example.com; keydata=AAAA"},
                             {"Content-Language", "de-DE"},
                             {"Content-Class", "urn:content-classes:message"}}) {
    EXPECT_EQ(stored.Header(name).value_or("(none)"), value) << name;
  }
}

TEST_F(LocalMailItemTest, PropertiesWithoutMimeHeadersTravelInPrivateHeaders) {
  auto mail = NewMail();
  mail->SetBillingInformation("Vellumo from Corvane");
  mail->SetCategories("VIP, Press");
  mail->UserProperties()
      ->Add("CorvaneVellumo", mail::UserPropertyType::kText)
      ->SetValue("Version 3.9.9; with, separators % and ü");
  mail->SetMessageClass("IPM.Note.Custom");
  mail->SetDeleteAfterSubmit(true);
  mail->Save();

  const MimeMessage stored = StoredMessage("Drafts");
  EXPECT_EQ(stored.PrivateHeader(header::kBillingInformation), "Vellumo from Corvane");
  EXPECT_TRUE(stored.PrivateHeader(header::kUserProperties).has_value());

  auto reloaded = Reload("Drafts", mail->EntryID());
  EXPECT_EQ(reloaded->BillingInformation(), "Vellumo from Corvane");
  EXPECT_EQ(reloaded->Categories(), "VIP, Press");
  EXPECT_EQ(reloaded->MessageClass(), "IPM.Note.Custom");
  EXPECT_TRUE(reloaded->DeleteAfterSubmit());
  auto properties = reloaded->UserProperties();
  ASSERT_EQ(properties->Count(), 1);
  EXPECT_EQ(properties->Item(1)->Name(), "CorvaneVellumo");
  EXPECT_EQ(properties->Item(1)->Value(), "Version 3.9.9; with, separators % and ü");
}

TEST_F(LocalMailItemTest, MessageClassFollowsACalendarRequestUnlessSetExplicitly) {
  const std::string request =
      "From: a@example.com\r\nTo: b@example.com\r\nSubject: Meet\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/alternative; boundary=\"b\"\r\n\r\n"
      "--b\r\nContent-Type: text/plain\r\n\r\nJoin us\r\n"
      "--b\r\nContent-Type: text/calendar; method=REQUEST\r\n\r\n"
      "BEGIN:VCALENDAR\r\nMETHOD:REQUEST\r\nEND:VCALENDAR\r\n--b--\r\n";
  auto item = env_.client->ImportMessage(request, "meet.eml");
  EXPECT_EQ(item->MessageClass(), kMessageClassMeetingRequest);
  EXPECT_EQ(item->Body(), "Join us");
  item->SetMessageClass("IPM.Note");
  EXPECT_EQ(item->MessageClass(), "IPM.Note");

  auto plain = env_.client->ImportMessage("Subject: x\r\n\r\nhi\r\n", "plain.eml");
  EXPECT_EQ(plain->MessageClass(), "IPM.Note");
}

TEST_F(LocalMailItemTest, RecipientsKeepNamesTypesAndOrderThroughTheStore) {
  auto mail = NewMail();
  auto recipients = mail->Recipients();
  recipients->Add("ann@example.com");
  recipients->Add("\"Bob B.\" <bob@example.com>")->SetType(mail::RecipientType::kCc);
  recipients->Add("carol@example.com")->SetType(mail::RecipientType::kBcc);
  EXPECT_EQ(recipients->Item(1)->Name(), "ann@example.com");
  EXPECT_EQ(recipients->Item(2)->Name(), "Bob B.");
  EXPECT_THROW(recipients->Add("  "), Error);
  EXPECT_THROW(recipients->Add("x@example.com\r\nBcc: evil@example.com"), Error);
  EXPECT_THROW(recipients->Item(1)->SetType(mail::RecipientType::kOriginator), Error);
  mail->Save();

  auto reloaded = Reload("Drafts", mail->EntryID())->Recipients();
  ASSERT_EQ(reloaded->Count(), 3);
  EXPECT_EQ(reloaded->Item(2)->Address(), "bob@example.com");
  EXPECT_EQ(reloaded->Item(2)->Type(), mail::RecipientType::kCc);
  EXPECT_EQ(reloaded->Item(3)->Type(), mail::RecipientType::kBcc);
  reloaded->Remove(1);
  EXPECT_EQ(reloaded->Count(), 2);
  EXPECT_THROW(reloaded->Item(3), Error);
}

TEST_F(LocalMailItemTest, AttachmentsAreCopiedInAndSavedOutUnderSafeNames) {
  env_.fs.AddFile("C:\\temp\\report.txt", "line\r\n");
  auto mail = NewMail();
  auto attachment = mail->Attachments()->Add("C:\\temp\\report.txt");
  EXPECT_EQ(attachment->FileName(), "report.txt");
  EXPECT_THROW(mail->Attachments()->Add("C:\\temp\\missing.txt"), Error);
  EXPECT_EQ(mail->Attachments()->Count(), 1);
  mail->Save();

  auto reloaded = Reload("Drafts", mail->EntryID());
  ASSERT_EQ(reloaded->Attachments()->Count(), 1);
  EXPECT_THROW(reloaded->Attachments()->Item(1)->SaveAsFile("C:\\out\\copy.txt"), Error);
  env_.fs.AddFolder("C:\\out");
  reloaded->Attachments()->Item(1)->SaveAsFile("C:\\out\\copy.txt");
  EXPECT_EQ(env_.fs.Contents("C:\\out\\copy.txt"), "line\r\n");
}

TEST_F(LocalMailItemTest, HostileAttachmentNamesAreMadeSafeBeforeAnythingIsWritten) {
  const std::string message =
      "Subject: names\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"m\"\r\n\r\n"
      "--m\r\nContent-Type: text/plain\r\n\r\nbody\r\n"
      "--m\r\nContent-Type: application/octet-stream\r\n"
      "Content-Disposition: attachment; filename=\"..\\\\..\\\\x\"\r\n\r\nA\r\n"
      "--m\r\nContent-Type: application/octet-stream\r\n"
      "Content-Disposition: attachment; filename=\"/etc/passwd\"\r\n\r\nB\r\n"
      "--m\r\nContent-Type: application/octet-stream\r\n"
      "Content-Disposition: attachment; filename=\"a\x01"
      "b\x7f.txt\"\r\n\r\nC\r\n--m--\r\n";
  auto item = env_.client->ImportMessage(message, "names.eml");
  auto attachments = item->Attachments();
  ASSERT_EQ(attachments->Count(), 3);
  EXPECT_EQ(attachments->Item(1)->FileName(), "x");
  EXPECT_EQ(attachments->Item(2)->FileName(), "passwd");
  EXPECT_EQ(attachments->Item(3)->FileName(), "ab.txt");
  env_.fs.AddFolder("C:\\save");
  for (int i = 1; i <= attachments->Count(); ++i) {
    attachments->Item(i)->SaveAsFile("C:\\save\\" + attachments->Item(i)->FileName());
  }
  EXPECT_EQ(env_.fs.Contents("C:\\save\\passwd"), "B");
  EXPECT_EQ(env_.fs.Contents("/etc/passwd"), std::nullopt);
}

TEST_F(LocalMailItemTest, CloseDiscardForgetsChangesSinceTheLastSave) {
  auto mail = NewMail();
  mail->SetSubject("kept");
  mail->Recipients()->Add("ann@example.com");
  mail->Save();
  mail->SetSubject("forgotten");
  mail->Recipients()->Add("bob@example.com");
  mail->Close(mail::SaveMode::kDiscard);
  EXPECT_EQ(mail->Subject(), "kept");
  EXPECT_EQ(mail->Recipients()->Count(), 1);

  mail->SetSubject("saved by close");
  mail->Close(mail::SaveMode::kSave);
  EXPECT_EQ(Reload("Drafts", mail->EntryID())->Subject(), "saved by close");
}

// Handlers save before and after their work; a save of an unchanged item leaves its file alone
// (here the file is replaced behind the item's back, so a write would show), and every kind of
// change is written.
TEST_F(LocalMailItemTest, ASaveWritesOnlyWhatChanged) {
  auto mail = NewMail();
  mail->SetSubject("one");
  mail->Recipients()->Add("ann@example.com");
  mail->Save();
  const std::string path = env_.Path("Drafts/cur/" + mail->EntryID() + ":2,DS");
  const std::string behind = "Subject: written behind the item's back\r\n\r\nx\r\n";
  env_.fs.WriteFile(path, behind);
  mail->Save();
  (void)mail->HTMLBody();
  mail->Close(mail::SaveMode::kSave);
  EXPECT_EQ(*env_.fs.Contents(path), behind);

  const std::vector<std::pair<std::string, std::function<void()>>> changes = {
      {"subject", [&] { mail->SetSubject("two"); }},
      {"body", [&] { mail->SetBody("Dear Ann"); }},
      {"html body", [&] { mail->SetHTMLBody("<p>Dear Ann</p>"); }},
      {"billing", [&] { mail->SetBillingInformation("mark"); }},
      {"recipient", [&] { mail->Recipients()->Add("bob@example.com"); }},
      {"recipient removed", [&] { mail->Recipients()->Remove(2); }},
      {"user property",
       [&] { mail->UserProperties()->Add("Kind", mail::UserPropertyType::kText); }},
      {"delete after submit", [&] { mail->SetDeleteAfterSubmit(true); }},
  };
  for (const auto& [name, change] : changes) {
    env_.fs.WriteFile(path, behind);
    change();
    mail->Save();
    EXPECT_NE(*env_.fs.Contents(path), behind) << name;
  }
  EXPECT_THAT(Reload("Drafts", mail->EntryID())->HTMLBody(), HasSubstr("<p>Dear Ann</p>"));
}

TEST_F(LocalMailItemTest, LinksLeadToTheLinkedContact) {
  auto contact = mail::AsContactItem(env_.client->CreateItem(mail::ItemType::kContact));
  contact->SetFullName("Ann Example");
  auto mail = NewMail();
  EXPECT_THROW(mail->Links()->Add(contact), Error);  // unsaved: no EntryID yet
  contact->Save();
  const std::string contact_id = contact->EntryID();
  mail->Links()->Add(contact);
  mail->Save();

  auto links = Reload("Drafts", mail->EntryID())->Links();
  ASSERT_EQ(links->Count(), 1);
  EXPECT_EQ(links->Item(1)->Name(), "Ann Example");
  auto linked = mail::AsContactItem(links->Item(1)->Item());
  ASSERT_TRUE(linked);
  EXPECT_EQ(linked->EntryID(), contact_id);
}

TEST_F(LocalMailItemTest, WordEditorOnlyForItemsMarkedAndWritesTheBodyAsHtml) {
  auto mail = NewMail();
  mail->SetBody("a < b\r\nsecond");
  EXPECT_FALSE(mail->GetInspector()->IsWordMail());
  EXPECT_EQ(mail->GetInspector()->WordEditor(), nullptr);

  env_.registry.SetValue(kClientKey, "EditorType", RegValue::String("4"));
  env_.registry.SetValue(kClientKey, "WordVersion", RegValue::String("10.0"));
  auto word_mail = NewMail();
  word_mail->SetBody("a < b\r\nsecond");
  auto inspector = word_mail->GetInspector();
  EXPECT_EQ(inspector, word_mail->GetInspector());
  ASSERT_TRUE(inspector->IsWordMail());
  EXPECT_EQ(inspector->EditorType(), mail::EditorType::kWord);
  auto document = inspector->WordEditor();
  ASSERT_TRUE(document);
  EXPECT_EQ(document->ApplicationVersion(), "10.0");
  EXPECT_EQ(document->Content(), "a < b\r\nsecond");
  document->Copy();
  EXPECT_EQ(env_.client->clipboard(), "a < b\r\nsecond");
  env_.fs.AddFolder("C:\\temp");
  document->SaveAs("C:\\temp\\body.htm", mail::kWordFormatFilteredHtml);
  EXPECT_THAT(*env_.fs.Contents("C:\\temp\\body.htm"),
              HasSubstr("<p>a &lt; b</p>\r\n<p>second</p>"));
  EXPECT_THROW(document->SaveAs("C:\\temp\\body.doc", 0), Error);
}

TEST_F(LocalMailItemTest, FoldersHoldMailOrContactsAndNestAtAnyDepth) {
  auto ns = env_.client->GetNamespace("MAPI");
  EXPECT_THROW(env_.client->GetNamespace("OTHER"), Error);
  EXPECT_EQ(ns->GetDefaultFolder(mail::DefaultFolder::kContacts)->DefaultItemType(),
            mail::ItemType::kContact);
  EXPECT_EQ(ns->GetDefaultFolder(mail::DefaultFolder::kInbox)->DefaultItemType(),
            mail::ItemType::kMail);
  EXPECT_EQ(ns->GetDefaultFolder(mail::DefaultFolder::kCalendar)->DefaultItemType(),
            mail::ItemType::kAppointment);
  EXPECT_THROW(ns->GetDefaultFolder(mail::DefaultFolder::kJournal), Error);
  auto stores = ns->Folders();
  ASSERT_EQ(stores->Count(), 2);
  EXPECT_EQ(stores->Item("public folders")->Folders()->Item(1)->Name(), "All Public Folders");

  auto inbox = ns->GetDefaultFolder(mail::DefaultFolder::kInbox);
  auto projects = inbox->Folders()->Add("Projects", mail::ItemType::kMail);
  auto deep = projects->Folders()->Add("tmp", mail::ItemType::kMail);  // a Maildir's own name
  auto friends = ns->GetDefaultFolder(mail::DefaultFolder::kContacts)
                     ->Folders()
                     ->Add("Friends", mail::ItemType::kContact);
  EXPECT_THROW(inbox->Folders()->Add("projects", mail::ItemType::kMail), Error);
  EXPECT_THROW(inbox->Folders()->Add("a/b", mail::ItemType::kMail), Error);
  EXPECT_THROW(inbox->Folders()->Add("", mail::ItemType::kMail), Error);
  EXPECT_EQ(friends->DefaultItemType(), mail::ItemType::kContact);

  auto item = mail::AsMailItem(deep->Items()->Add(mail::ItemType::kMail));
  item->SetSubject("deep");
  item->Save();
  const std::string deep_id = deep->EntryID();
  env_.Reopen();
  auto found = env_.client->FindFolder("Inbox/Projects/TMP");
  EXPECT_EQ(found->Name(), "tmp");
  EXPECT_EQ(found->Parent()->Parent()->Name(), "Inbox");
  EXPECT_EQ(found->EntryID(), deep_id);
  ASSERT_EQ(found->Items()->Count(), 1);
  EXPECT_EQ(found->Items()->GetFirst()->Subject(), "deep");
  EXPECT_EQ(env_.client->FindFolder("Inbox/Projects")->Items()->Count(), 0);
  EXPECT_THROW(env_.client->FindFolder("Inbox/Nowhere"), Error);
}

TEST_F(LocalMailItemTest, DisplayHandsTheMessageToTheDesktop) {
  auto mail = NewMail();
  mail->SetSubject("shown");
  mail->Display(true);
  ASSERT_EQ(env_.processes.opened().size(), 1u);
  const std::string shown = env_.processes.opened()[0];
  EXPECT_EQ(shown, std::string(LocalClientTesting::kRoot) + "/.display/new.eml");
  EXPECT_THAT(*env_.fs.Contents(shown), HasSubstr("Subject: shown"));
  EXPECT_EQ(env_.client->FindFolder("Drafts")->Items()->Count(), 0);    // showing is not saving
  EXPECT_EQ(env_.client->GetNamespace("MAPI")->Folders()->Count(), 2);  // nor a store
}

TEST_F(LocalMailItemTest, ASecondUnsavedMessageShownKeepsTheFirst) {
  auto first = NewMail();
  first->SetSubject("first");
  first->Display(false);
  auto second = NewMail();
  second->SetSubject("second");
  second->Display(false);
  const std::string folder = std::string(LocalClientTesting::kRoot) + "/.display/";
  ASSERT_EQ(env_.processes.opened().size(), 2u);
  EXPECT_EQ(env_.processes.opened()[1], folder + "new-2.eml");
  EXPECT_THAT(*env_.fs.Contents(folder + "new.eml"), HasSubstr("Subject: first"));
  EXPECT_THAT(*env_.fs.Contents(folder + "new-2.eml"), HasSubstr("Subject: second"));
}

TEST_F(LocalMailItemTest, UnreadableFilesAreSkippedAndReported) {
  auto mail = NewMail();
  mail->SetSubject("good");
  mail->Save();
  env_.fs.AddFile(env_.Path("Drafts/cur/broken:2,S"), "");
  env_.fs.AddFile(env_.Path("Drafts/cur/.hidden-temp"), "Subject: no\r\n\r\n");
  auto items = env_.client->FindFolder("Drafts")->Items();
  ASSERT_EQ(items->Count(), 1);
  EXPECT_EQ(items->Item(1)->Subject(), "good");
  const std::vector<std::string> problems = env_.client->TakeProblems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_THAT(problems.front(), HasSubstr("broken"));
  EXPECT_TRUE(env_.client->TakeProblems().empty());
}

TEST_F(LocalMailItemTest, ObjectsFailCleanlyOnceTheClientIsGone) {
  auto mail = NewMail();
  auto folder = env_.client->FindFolder("Inbox");
  env_.client.reset();
  EXPECT_THROW(mail->Subject(), Error);
  EXPECT_THROW(folder->Items(), Error);
}

TEST_F(LocalMailItemTest, SafeWrappersAreRegisteredAndDelegate) {
  auto safe = mail::CreateSafeMailItem(*env_.client);
  auto mail = NewMail();
  safe->SetItem(mail);
  safe->SetSubject("through the wrapper");
  EXPECT_EQ(mail->Subject(), "through the wrapper");
  env_.registry.SetValue(kClientKey, "UserName", RegValue::String("Ann Example"));
  EXPECT_EQ(mail::CreateSafeCurrentUser(*env_.client)->Name(), "Ann Example");
  EXPECT_EQ(mail::CreateSafeCurrentUser(*env_.client)->Address(), "user@testhost");
  EXPECT_THROW(env_.client->CreateObject("No.Such.Class"), Error);
}

TEST_F(LocalMailItemTest, ApplicationReportsVersionAndOneExplorer) {
  EXPECT_EQ(env_.client->Version(), "11.0.8312");
  env_.registry.SetValue(kClientKey, "Version", RegValue::String("10.0.6626"));
  EXPECT_EQ(env_.client->Version(), "10.0.6626");
  ASSERT_EQ(env_.client->Explorers()->Count(), 1);
  auto explorer = env_.client->ActiveExplorer();
  int closes = 0;
  explorer->CloseEvent().Connect([&] { ++closes; });
  auto bar = explorer->CommandBars()->Item("Standard");
  auto button = bar->Controls()->Add(mail::ControlType::kButton, true);
  button->SetTag("Vellumo");
  EXPECT_EQ(bar->FindControl("Vellumo"), button);
  env_.client->CloseExplorers();
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(env_.client->ActiveExplorer(), nullptr);
  EXPECT_EQ(env_.client->CreateItem(mail::ItemType::kContact)->Parent()->Name(), "Contacts");
  EXPECT_THROW(env_.client->CreateItem(mail::ItemType::kTask), Error);
}

}  // namespace
}  // namespace vellumo::localmail
