#include "platform/mailclient/mem_application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/mailclient/filter.h"

namespace vellumo::mail {
namespace {

class SendTest : public ::testing::Test {
 protected:
  std::shared_ptr<MailItem> NewMail(std::string_view subject) {
    auto mail = app_.CreateMailItem();
    mail->SetSubject(subject);
    mail->SetBody("text");
    mail->Recipients()->Add("ann@example.com");
    return mail;
  }
  size_t Count(DefaultFolder folder) { return app_.StandardFolder(folder)->items().size(); }

  MemApplication app_;
};

TEST_F(SendTest, NewMailIsFiledInDraftsOnlyWhenSaved) {
  auto mail = NewMail("draft");
  EXPECT_EQ(mail->EntryID(), "");
  EXPECT_EQ(mail->Parent()->Name(), "Drafts");
  EXPECT_EQ(Count(DefaultFolder::kDrafts), 0u);
  mail->Save();
  mail->Save();
  EXPECT_NE(mail->EntryID(), "");
  EXPECT_EQ(Count(DefaultFolder::kDrafts), 1u);
  EXPECT_EQ(mail->MessageClass(), "IPM.Note");
  EXPECT_FALSE(mail->Sent());
}

TEST_F(SendTest, SendTransmitsWhatTheHandlersLeftAndFilesACopyInSentItems) {
  app_.ItemSend().Connect([](std::shared_ptr<MailItem> item, bool&) {
    item->SetHTMLBody("<p>dressed</p>");
    item->SetBillingInformation("Vellumo from Corvane");
    item->UserProperties()->Add("CorvaneVellumo", UserPropertyType::kText)->SetValue("v");
  });
  auto mail = NewMail("hello");
  mail->Save();
  mail->Send();

  ASSERT_EQ(app_.sent().size(), 1u);
  const MemSentMessage& out = app_.sent()[0];
  EXPECT_EQ(out.subject, "hello");
  EXPECT_EQ(out.html_body, "<p>dressed</p>");
  EXPECT_EQ(out.billing_information, "Vellumo from Corvane");
  EXPECT_EQ(out.recipients, std::vector<std::string>{"ann@example.com"});
  EXPECT_EQ(out.user_properties.size(), 1u);
  EXPECT_EQ(Count(DefaultFolder::kDrafts), 0u);
  ASSERT_EQ(Count(DefaultFolder::kSentMail), 1u);

  auto filed = AsMailItem(app_.StandardFolder(DefaultFolder::kSentMail)->Items()->GetFirst());
  EXPECT_TRUE(filed->Sent());
  EXPECT_EQ(filed->BillingInformation(), "Vellumo from Corvane");
  EXPECT_EQ(filed->Parent()->Name(), "Sent Items");
  // The sent object itself no longer answers.
  EXPECT_THROW(mail->Subject(), Error);
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_EQ(app_.sent().size(), 1u);
}

TEST_F(SendTest, DeleteAfterSubmitTransmitsWithoutFiling) {
  auto mail = NewMail("report");
  mail->SetDeleteAfterSubmit(true);
  mail->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_TRUE(app_.sent()[0].delete_after_submit);
  EXPECT_EQ(Count(DefaultFolder::kSentMail), 0u);
  EXPECT_EQ(Count(DefaultFolder::kDrafts), 0u);
}

TEST_F(SendTest, CancelFlagIsSharedByTheHandlersInOrderAndTheLastWordCounts) {
  std::vector<std::string> seen;
  app_.ItemSend().Connect([&](std::shared_ptr<MailItem>, bool& cancel) {
    seen.push_back(cancel ? "1:true" : "1:false");
    cancel = true;
  });
  auto second = app_.ItemSend().Connect([&](std::shared_ptr<MailItem>, bool& cancel) {
    seen.push_back(cancel ? "2:true" : "2:false");
  });
  auto mail = NewMail("stopped");
  mail->Save();
  mail->Send();
  EXPECT_EQ(seen, (std::vector<std::string>{"1:false", "2:true"}));
  EXPECT_TRUE(app_.sent().empty());
  EXPECT_EQ(app_.cancelled_sends(), 1);
  EXPECT_FALSE(mail->Sent());
  EXPECT_EQ(Count(DefaultFolder::kDrafts), 1u);

  // A later handler may let the item go again.
  app_.ItemSend().Disconnect(second);
  app_.ItemSend().Connect([](std::shared_ptr<MailItem>, bool& cancel) { cancel = false; });
  mail->Send();
  EXPECT_EQ(app_.sent().size(), 1u);
}

TEST_F(SendTest, FailuresStopTheSendAndLoseNothing) {
  int raised = 0;
  app_.ItemSend().Connect([&](std::shared_ptr<MailItem>, bool&) { ++raised; });
  auto nobody = app_.CreateMailItem();
  EXPECT_THROW(nobody->Send(), Error);
  EXPECT_EQ(raised, 0);

  auto mail = NewMail("kept");
  mail->Save();
  // A handler sending the item again fails instead of raising the event forever.
  auto resend =
      app_.ItemSend().Connect([](std::shared_ptr<MailItem> item, bool&) { item->Send(); });
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_EQ(raised, 1);
  app_.ItemSend().Disconnect(resend);

  app_.ItemSend().Connect(
      [](std::shared_ptr<MailItem>, bool&) { throw Error(ErrorCode::kOverflow); });
  EXPECT_THROW(mail->Send(), Error);
  EXPECT_TRUE(app_.sent().empty());
  EXPECT_EQ(raised, 2);
  EXPECT_EQ(mail->Subject(), "kept");
  EXPECT_EQ(Count(DefaultFolder::kDrafts), 1u);
}

TEST(MemEvents, HandlersUnwireByTheirIdEvenDuringARaise) {
  MemApplication app;
  std::vector<int> calls;
  ConnectionId second = 0;
  auto first = app.ItemSend().Connect([&](std::shared_ptr<MailItem>, bool&) {
    calls.push_back(1);
    app.ItemSend().Disconnect(second);  // an add-in disconnecting mid-event
  });
  second = app.ItemSend().Connect([&](std::shared_ptr<MailItem>, bool&) { calls.push_back(2); });
  EXPECT_NE(first, second);
  EXPECT_FALSE(RaiseItemSend(app.ItemSend(), nullptr));
  EXPECT_EQ(calls, std::vector<int>{1});
  EXPECT_TRUE(app.ItemSend().Disconnect(first));
  EXPECT_FALSE(app.ItemSend().Disconnect(first));
  EXPECT_EQ(app.ItemSend().Count(), 0);
  EXPECT_FALSE(RaiseItemSend(app.ItemSend(), nullptr));
  EXPECT_EQ(calls, std::vector<int>{1});
}

TEST(ExplorersModel, CloseIsRaisedWhileTheClosingExplorerStillCounts) {
  MemApplication app;
  auto second = app.OpenExplorer();
  EXPECT_EQ(app.Explorers()->Count(), 2);
  EXPECT_EQ(app.ActiveExplorer(), second);

  std::vector<int> counts;
  auto first = app.Explorers()->Item(1);
  first->CloseEvent().Connect([&] { counts.push_back(app.Explorers()->Count()); });
  second->CloseEvent().Connect([&] { counts.push_back(app.Explorers()->Count()); });
  second->Close();
  second->Close();
  first->Close();
  EXPECT_EQ(counts, (std::vector<int>{2, 1}));
  EXPECT_EQ(app.Explorers()->Count(), 0);
  EXPECT_EQ(app.ActiveExplorer(), nullptr);
}

TEST(ExplorersModel, ButtonsAreFoundByTagOnTheStandardBarAndClick) {
  MemApplication app;
  auto bar = app.ActiveExplorer()->CommandBars()->Item("standard");
  EXPECT_EQ(bar->Name(), "Standard");
  EXPECT_THROW(app.ActiveExplorer()->CommandBars()->Item("Nope"), Error);
  EXPECT_EQ(bar->FindControl("EmailMonitor"), nullptr);

  auto button = bar->Controls()->Add(ControlType::kButton, true);
  button->SetCaption("Vellumo On");
  button->SetStyle(ButtonStyle::kIconAndCaption);
  button->SetFaceId(3271);
  button->SetTag("EmailMonitor");
  EXPECT_TRUE(button->Temporary());
  EXPECT_TRUE(button->Visible());

  auto found = bar->FindControl("EmailMonitor");
  ASSERT_EQ(found, button);
  EXPECT_EQ(found->Caption(), "Vellumo On");
  EXPECT_EQ(found->FaceId(), 3271);
  EXPECT_EQ(bar->FindControl("emailmonitor"), nullptr);  // tags compare exactly

  int clicks = 0;
  CommandBarButton* clicked = nullptr;
  auto id = button->Click().Connect([&](std::shared_ptr<CommandBarButton> b, bool&) {
    ++clicks;
    clicked = b.get();
  });
  button->Execute();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(clicked, button.get());
  button->Click().Disconnect(id);
  button->Execute();
  EXPECT_EQ(clicks, 1);

  button->Delete();
  EXPECT_EQ(bar->FindControl("EmailMonitor"), nullptr);
  EXPECT_EQ(bar->Controls()->Count(), 0);
}

class TestPage final : public PropertyPage {
 public:
  std::string Name() override { return "Vellumo Settings"; }
  bool Dirty() override { return false; }
  void Apply() override {}
  PageInfo GetPageInfo() override { return {"nothing.hlp", 102}; }
  void SetSite(std::shared_ptr<PropertyPageSite>) override {}
};

TEST(MemApplicationObjects, OptionsPagesComeFromHandlersThroughRegisteredClasses) {
  MemApplication app;
  app.RegisterCreator("CorvanePage.PropPage", [] { return std::make_shared<TestPage>(); });
  app.OptionsPagesAdd().Connect([&](std::shared_ptr<OptionsPages> pages) {
    pages->Add(CreateObjectAs<PropertyPage>(app, "corvanepage.proppage"), "");
  });
  auto dialog = app.ShowOptionsDialog();
  ASSERT_EQ(dialog->pages().size(), 1u);
  EXPECT_EQ(dialog->pages()[0].page->Name(), "Vellumo Settings");
  EXPECT_THROW(dialog->Add(nullptr, "x"), Error);

  try {
    app.CreateObject("Nothing.Here");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kCantCreateObject);
  }
  try {
    CreateObjectAs<MailItem>(app, "CorvanePage.PropPage");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kTypeMismatch);
  }
}

TEST(MemApplicationObjects, NamespaceLeadsToTheStoresAndTheirFolders) {
  MemApplication app;
  EXPECT_EQ(app.Version(), "11.0.8312");
  app.SetVersion("10.0.6626");
  EXPECT_EQ(app.Version(), "10.0.6626");
  EXPECT_THROW(app.GetNamespace("IMAP"), Error);

  auto ns = app.GetNamespace("mapi");
  auto inbox = ns->GetDefaultFolder(DefaultFolder::kInbox);
  EXPECT_EQ(inbox->Name(), "Inbox");
  auto root = inbox->Parent();
  EXPECT_EQ(root->Name(), "Personal Folders");
  EXPECT_EQ(root->Parent(), nullptr);
  EXPECT_EQ(root->Folders()->Item("CONTACTS")->DefaultItemType(), ItemType::kContact);
  EXPECT_EQ(ns->GetDefaultFolder(DefaultFolder::kContacts)->EntryID(),
            root->Folders()->Item("Contacts")->EntryID());
  EXPECT_EQ(ns->GetDefaultFolder(DefaultFolder::kSentMail)->Name(), "Sent Items");
  EXPECT_THROW(ns->GetDefaultFolder(DefaultFolder::kJournal), Error);
  EXPECT_THROW(root->Folders()->Item("Missing"), Error);

  auto public_root = ns->Folders()->Item("Public Folders");
  auto all = public_root->Folders()->Item("All Public Folders");
  auto shared = all->Folders()->Add("Shared Contacts", ItemType::kContact);
  EXPECT_EQ(shared->Parent()->Name(), "All Public Folders");
  EXPECT_THROW(all->Folders()->Add("shared contacts", ItemType::kContact), Error);
  EXPECT_THROW(all->Folders()->Add("a/b", ItemType::kContact), Error);

  app.SetCurrentUser("Ann Archer", "/o=Org/cn=Recipients/cn=ann");
  EXPECT_EQ(ns->CurrentUser()->Name(), "Ann Archer");
  EXPECT_EQ(ns->CurrentUser()->Address(), "/o=Org/cn=Recipients/cn=ann");
}

TEST(MemApplicationFaults, MembersFailOnDemandWithTheGivenError) {
  MemApplication app;
  auto mail = app.CreateMailItem();
  mail->Recipients()->Add("a@example.com");

  app.FailMember(mail::Member::kMailItemSend, Error(ErrorCode::kPermissionDenied));
  try {
    mail->Send();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kPermissionDenied);
  }
  EXPECT_TRUE(app.sent().empty());
  EXPECT_EQ(app.Calls(mail::Member::kMailItemSend), 1);
  app.ClearFailure(mail::Member::kMailItemSend);

  // Reads and writes of a property fail separately; a count limits the failures.
  app.FailMember(mail::Member::kMailItemSetBillingInformation, Error("refused"), 1);
  EXPECT_THROW(mail->SetBillingInformation("Preview"), Error);
  mail->SetBillingInformation("Preview");
  EXPECT_EQ(mail->BillingInformation(), "Preview");

  app.FailMember(mail::Member::kItemsRestrict, Error("busy"));
  auto contacts = app.GetNamespace("MAPI")->GetDefaultFolder(DefaultFolder::kContacts)->Items();
  EXPECT_THROW(contacts->Restrict("[FullName] = 'x'"), Error);
  app.FailMember(mail::Member::kApplicationCreateItem, Error(ErrorCode::kCantCreateObject));
  EXPECT_THROW(app.CreateItem(ItemType::kMail), Error);
  app.FailMember(mail::Member::kInspectorEditorType, Error(ErrorCode::kNotSupported));
  EXPECT_THROW(mail->GetInspector()->EditorType(), Error);
  app.FailMember(mail::Member::kCommandBarFindControl, Error(ErrorCode::kObjectNotSet));
  auto bar = app.ActiveExplorer()->CommandBars()->Item("Standard");
  EXPECT_THROW(bar->FindControl("x"), Error);

  app.ClearFailures();
  mail->Send();
  EXPECT_EQ(app.sent().size(), 1u);
}

TEST(MemApplicationObjects, ObjectsOutlivingTheApplicationFailCleanly) {
  std::shared_ptr<MailItem> mail;
  std::shared_ptr<Folder> inbox;
  {
    MemApplication app;
    mail = app.CreateMailItem();
    inbox = app.GetNamespace("MAPI")->GetDefaultFolder(DefaultFolder::kInbox);
  }
  try {
    mail->Subject();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kObjectNotSet);
  }
  EXPECT_THROW(inbox->Items(), Error);
}

}  // namespace
}  // namespace vellumo::mail
