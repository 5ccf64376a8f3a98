#include "platform/mailclient/mem_items.h"

#include <gtest/gtest.h>

#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "tests/support/thrown_code.h"

namespace vellumo::mail {
namespace {

using test_support::ThrownCode;

class ItemsTest : public ::testing::Test {
 protected:
  MemFileSystem fs_;
  MemApplication app_{&fs_};
  std::shared_ptr<MailItem> mail_ = app_.CreateMailItem();
};

TEST_F(ItemsTest, TextPropertiesByNameIgnoringCase) {
  mail_->SetProperty("subject", "Hi");
  EXPECT_EQ(mail_->Subject(), "Hi");
  EXPECT_EQ(mail_->Property("SUBJECT"), "Hi");
  EXPECT_EQ(mail_->Body(), "");
  // Body and HTMLBody are separate parts.
  mail_->SetHTMLBody("<b>x</b>");
  EXPECT_EQ(mail_->Body(), "");
  EXPECT_EQ(ThrownCode([&] { mail_->Property("FullName"); }), ErrorCode::kNotSupported);
  EXPECT_EQ(ThrownCode([&] { mail_->SetProperty("Nonsense", "x"); }), ErrorCode::kNotSupported);

  auto contact = AsContactItem(app_.CreateItem(ItemType::kContact));
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(contact->MessageClass(), "IPM.Contact");
  contact->SetUser3("three");
  contact->SetCustomerID("C-7");
  EXPECT_EQ(contact->Property("user3"), "three");
  EXPECT_EQ(contact->CustomerID(), "C-7");
  EXPECT_EQ(ThrownCode([&] { contact->Property("HTMLBody"); }), ErrorCode::kNotSupported);
  EXPECT_EQ(contact->Parent()->Name(), "Contacts");
}

TEST_F(ItemsTest, CloseDiscardForgetsUnsavedChangesAndSaveKeepsThem) {
  auto contact = app_.StandardFolder(DefaultFolder::kContacts)
                     ->AddContact({{"FullName", "Ann"}, {"Categories", "VIP"}});
  contact->SetCategories("VIP, Sent");
  contact->UserProperties()->Add("Temp", UserPropertyType::kText);
  contact->Close(SaveMode::kDiscard);
  EXPECT_EQ(contact->Categories(), "VIP");
  EXPECT_EQ(contact->UserProperties()->Count(), 0);
  contact->SetBody("note");
  contact->Close(SaveMode::kSave);
  contact->SetBody("lost");
  contact->Close(SaveMode::kDiscard);
  EXPECT_EQ(contact->Body(), "note");
}

TEST_F(ItemsTest, UserPropertiesAddFindAndKeepTheirValues) {
  auto props = mail_->UserProperties();
  EXPECT_EQ(props->Count(), 0);
  props->Add("CorvaneVellumo", UserPropertyType::kText);
  props->Item(1)->SetValue("Version 3.9.9");
  EXPECT_EQ(mail_->UserProperties()->Count(), 1);
  EXPECT_EQ(mail_->UserProperties()->Item(1)->Value(), "Version 3.9.9");
  EXPECT_EQ(mail_->UserProperties()->Item(1)->Type(), UserPropertyType::kText);
  // The same name again is the same property.
  EXPECT_EQ(props->Add("corvanevellumo", UserPropertyType::kText)->Value(), "Version 3.9.9");
  EXPECT_EQ(props->Count(), 1);
  EXPECT_EQ(props->Find("CORVANEVELLUMO")->Name(), "CorvaneVellumo");
  EXPECT_EQ(props->Find("Other"), nullptr);
  EXPECT_EQ(ThrownCode([&] { props->Add(" ", UserPropertyType::kText); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([&] { props->Item(2); }), ErrorCode::kSubscriptOutOfRange);
  props->Remove(1);
  EXPECT_EQ(props->Count(), 0);
}

TEST_F(ItemsTest, RecipientsKeepAddressesAsGiven) {
  auto recipients = mail_->Recipients();
  recipients->Add("ann@example.com");
  recipients->Add("/o=Org/cn=bob")->SetType(RecipientType::kCc);
  EXPECT_EQ(recipients->Count(), 2);
  EXPECT_EQ(recipients->Item(1)->Address(), "ann@example.com");
  EXPECT_EQ(recipients->Item(2)->Address(), "/o=Org/cn=bob");
  EXPECT_EQ(recipients->Item(2)->Type(), RecipientType::kCc);
  EXPECT_EQ(ThrownCode([&] { recipients->Add("  "); }), ErrorCode::kInvalidCall);
  EXPECT_EQ(ThrownCode([&] { recipients->Item(3); }), ErrorCode::kSubscriptOutOfRange);
  recipients->Remove(1);
  EXPECT_EQ(mail_->Recipients()->Item(1)->Address(), "/o=Org/cn=bob");
}

TEST_F(ItemsTest, AttachmentsCopyFilesInAndOutThroughTheFileSystem) {
  fs_.AddFile("C:\\temp\\report.txt", "log lines");
  auto attachments = mail_->Attachments();
  EXPECT_EQ(attachments->Add("C:\\temp\\report.txt")->FileName(), "report.txt");
  EXPECT_EQ(ThrownCode([&] { attachments->Add("C:\\temp\\missing.txt"); }),
            ErrorCode::kFileNotFound);
  EXPECT_EQ(attachments->Count(), 1);

  fs_.RemoveFile("C:\\temp\\report.txt");  // the attachment is a copy
  fs_.AddFolder("C:\\out");
  attachments->Item(1)->SaveAsFile("C:\\out\\copy.txt");
  EXPECT_EQ(fs_.Contents("C:\\out\\copy.txt"), "log lines");
  EXPECT_EQ(ThrownCode([&] { attachments->Item(1)->SaveAsFile("C:\\nowhere\\x.txt"); }),
            ErrorCode::kPathNotFound);
}

TEST_F(ItemsTest, LinksLeadToTheContactAMailWasCreatedFrom) {
  auto contact =
      app_.StandardFolder(DefaultFolder::kContacts)->AddContact({{"FullName", "Ann Archer"}});
  EXPECT_EQ(ThrownCode([&] { mail_->Links()->Add(app_.CreateItem(ItemType::kContact)); }),
            ErrorCode::kInvalidCall);  // unsaved
  mail_->Links()->Add(contact);
  ASSERT_EQ(mail_->Links()->Count(), 1);
  EXPECT_EQ(mail_->Links()->Item(1)->Name(), "Ann Archer");
  auto linked = AsContactItem(mail_->Links()->Item(1)->Item());
  ASSERT_NE(linked, nullptr);
  EXPECT_EQ(linked->EntryID(), contact->EntryID());
  EXPECT_EQ(linked->Parent()->Name(), "Contacts");
}

TEST_F(ItemsTest, InspectorReportsTheEditorAndTheWordDocumentSavesHtml) {
  EXPECT_EQ(mail_->GetInspector()->EditorType(), EditorType::kHtml);
  EXPECT_FALSE(mail_->GetInspector()->IsWordMail());
  EXPECT_EQ(mail_->GetInspector()->WordEditor(), nullptr);
  EXPECT_EQ(mail_->GetInspector(), mail_->GetInspector());

  app_.SetDefaultEditor(EditorType::kWord);
  app_.SetWordVersion("10.0");
  auto word_mail = app_.CreateMailItem();
  word_mail->SetBody("line <1>\r\nline 2");
  auto inspector = word_mail->GetInspector();
  EXPECT_TRUE(inspector->IsWordMail());
  EXPECT_EQ(inspector->EditorType(), EditorType::kWord);
  auto doc = inspector->WordEditor();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->ApplicationVersion(), "10.0");
  doc->Copy();
  EXPECT_EQ(app_.clipboard(), "line <1>\r\nline 2");
  fs_.AddFolder("C:\\app");
  doc->SaveAs("C:\\app\\GetMyHtml.htm", kWordFormatFilteredHtml);
  const std::string html = fs_.Contents("C:\\app\\GetMyHtml.htm").value_or("");
  EXPECT_NE(html.find("<p>line &lt;1&gt;</p>"), std::string::npos) << html;
  EXPECT_NE(html.find("<p>line 2</p>"), std::string::npos) << html;
  EXPECT_EQ(ThrownCode([&] { doc->SaveAs("C:\\app\\x.htm", 9); }), ErrorCode::kInvalidCall);

  auto rtf = app_.CreateMailItem();
  std::static_pointer_cast<MemMailItem>(rtf)->SetEditorType(EditorType::kRtf);
  EXPECT_EQ(rtf->GetInspector()->EditorType(), EditorType::kRtf);
}

TEST_F(ItemsTest, DisplayIsRecorded) {
  mail_->SetSubject("System test");
  mail_->Display(false);
  ASSERT_EQ(app_.displayed().size(), 1u);
  EXPECT_EQ(app_.displayed()[0].subject, "System test");
  EXPECT_FALSE(app_.displayed()[0].modal);
}

}  // namespace
}  // namespace vellumo::mail
