#include "platform/mailclient/safe_items.h"

#include <gtest/gtest.h>

#include "platform/mailclient/mem_application.h"
#include "tests/support/thrown_code.h"

namespace vellumo::mail {
namespace {

using test_support::ThrownCode;

TEST(SafeMailItem, AnswersForTheItemAndSendsItThroughItemSend) {
  MemApplication app;
  std::shared_ptr<MailItem> seen;
  app.ItemSend().Connect([&](std::shared_ptr<MailItem> item, bool&) { seen = item; });

  auto safe = CreateSafeMailItem(app);
  EXPECT_EQ(ThrownCode([&] { safe->Subject(); }), ErrorCode::kObjectNotSet);
  auto mail = app.CreateMailItem();
  safe->SetItem(mail);
  EXPECT_EQ(safe->GetItem(), mail);

  // Code written for a mail item runs on the wrapper.
  MailItem& as_mail = *safe;
  as_mail.SetSubject("Vellumo Error");
  as_mail.SetBillingInformation("Preview Send");
  as_mail.SetDeleteAfterSubmit(true);
  as_mail.Recipients()->Add("support@example.com");
  EXPECT_EQ(mail->Subject(), "Vellumo Error");
  EXPECT_EQ(as_mail.GetInspector()->EditorType(), EditorType::kHtml);
  EXPECT_EQ(as_mail.Parent()->Name(), "Drafts");
  safe->Save();
  EXPECT_EQ(safe->EntryID(), mail->EntryID());

  safe->Send();
  ASSERT_EQ(app.sent().size(), 1u);
  EXPECT_EQ(app.sent()[0].billing_information, "Preview Send");
  EXPECT_EQ(seen, mail);                 // the event carries the item itself
  EXPECT_THROW(safe->Subject(), Error);  // sent: gone, through the wrapper too
}

TEST(SafeContactItem, ReadsAndUpdatesTheContact) {
  MemApplication app;
  auto contact = app.StandardFolder(DefaultFolder::kContacts)
                     ->AddContact({{"FirstName", "Ann"}, {"Email1Address", "ann@example.com"}});
  auto safe = CreateSafeContactItem(app);
  safe->SetItem(contact);
  EXPECT_EQ(safe->Email1Address(), "ann@example.com");
  EXPECT_EQ(safe->FirstName(), "Ann");
  safe->SetAccount(safe->Account() + ", sent");
  safe->Close(SaveMode::kSave);
  EXPECT_EQ(contact->Account(), ", sent");
  EXPECT_EQ(safe->Parent()->Name(), "Contacts");
}

TEST(SafeCurrentUser, GivesTheProfileUserAtEachCall) {
  MemApplication app;
  auto user = CreateSafeCurrentUser(app);
  app.SetCurrentUser("Ann Archer", "ann@example.com");
  EXPECT_EQ(user->Name(), "Ann Archer");
  EXPECT_EQ(user->Address(), "ann@example.com");
  EXPECT_EQ(ThrownCode([&] { user->SetType(RecipientType::kTo); }), ErrorCode::kNotSupported);
}

TEST(SafeObjects, CreatedByProgrammaticIdAndFailingWhereNotInstalled) {
  MemApplication app;
  EXPECT_NE(std::dynamic_pointer_cast<SafeMailItem>(app.CreateObject("redemption.safemailitem")),
            nullptr);
  app.classes().Unregister(kSafeMailItemProgId);
  EXPECT_EQ(ThrownCode([&] { CreateSafeMailItem(app); }), ErrorCode::kCantCreateObject);
  EXPECT_NE(CreateSafeContactItem(app), nullptr);

  // Members of a wrapper fail on demand under the wrapper's own name.
  app.FailMember(mail::Member::kSafeContactItemEmail1Address, Error(ErrorCode::kPermissionDenied));
  auto safe = CreateSafeContactItem(app);
  safe->SetItem(app.StandardFolder(DefaultFolder::kContacts)->AddContact({}));
  EXPECT_EQ(ThrownCode([&] { safe->Email1Address(); }), ErrorCode::kPermissionDenied);
  EXPECT_EQ(safe->FullName(), "");
  app.FailMember(mail::Member::kApplicationCreateObject, Error(ErrorCode::kCantCreateObject));
  EXPECT_EQ(ThrownCode([&] { CreateSafeCurrentUser(app); }), ErrorCode::kCantCreateObject);
}

TEST(SafeObjects, WrappersWorkOverAnyImplementation) {
  // A wrapper made directly, without an application, still forwards.
  MemApplication app;
  SafeMailItem safe;
  safe.SetItem(app.CreateMailItem());
  safe.SetHTMLBody("<p>x</p>");
  EXPECT_EQ(safe.GetItem()->HTMLBody(), "<p>x</p>");
  safe.SetItem(nullptr);
  EXPECT_EQ(ThrownCode([&] { safe.HTMLBody(); }), ErrorCode::kObjectNotSet);
}

}  // namespace
}  // namespace vellumo::mail
