#include "localmail/local_contact_item.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "localmail/local_client_testing.h"
#include "localmail/mail_tool.h"
#include "localmail/vcard.h"
#include "platform/mailclient/mail_client.h"

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr std::string_view kTwoCards =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;John\r\nFN:John Doe\r\n"
    "EMAIL;INTERNET:john@example.com\r\nX-MS-OL-DESIGN;CHARSET=utf-8:<card/>\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:jane-1\r\nFN:Jane Roe\r\nCATEGORIES:VIP,Press\r\n"
    "X-VELLUMO-ACCOUNT:X\r\nEND:VCARD\r\n";

class LocalContactTest : public ::testing::Test {
 protected:
  std::string ContactsPath(std::string_view file) {
    return env_.Path("Contacts/" + std::string(file));
  }
  std::vector<std::string> VcfFiles() { return env_.fs.ListFiles(env_.Path("Contacts"), "*.vcf"); }
  std::shared_ptr<mail::Items> Contacts() { return env_.client->FindFolder("Contacts")->Items(); }

  LocalClientTesting env_;
};

TEST_F(LocalContactTest, FieldsMapOntoTheCardAndSurviveTheStore) {
  auto contact = mail::AsContactItem(env_.client->CreateItem(mail::ItemType::kContact));
  EXPECT_EQ(contact->EntryID(), "");
  EXPECT_EQ(contact->MessageClass(), "IPM.Contact");
  contact->SetFullName("Ann Example");
  contact->SetFirstName("Ann");
  contact->SetLastName("Example");
  contact->SetTitle("Dr.");
  contact->SetCompanyName("Example; Inc.");
  contact->SetEmail1Address("ann@example.com");
  contact->SetCategories("VIP; Press");
  contact->SetAccount("A-1");
  contact->SetBillingInformation("billing");
  contact->SetUser3("three");
  contact->SetCustomerID("C-9");
  contact->SetBody("Note line 1\r\nline 2");
  contact->UserProperties()->Add("Seen", mail::UserPropertyType::kYesNo)->SetValue("True");
  contact->Close(mail::SaveMode::kSave);
  const std::string id = contact->EntryID();
  EXPECT_EQ(id, "00000000-0000-4000-8000-000000000001");
  ASSERT_THAT(VcfFiles(), ElementsAre(id + ".vcf"));

  env_.Reopen();
  auto stored = mail::AsContactItem(Contacts()->GetFirst());
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->EntryID(), id);
  EXPECT_EQ(stored->Parent()->Name(), "Contacts");
  EXPECT_EQ(stored->FullName(), "Ann Example");
  EXPECT_EQ(stored->Subject(), "Ann Example");
  EXPECT_EQ(stored->FirstName(), "Ann");
  EXPECT_EQ(stored->LastName(), "Example");
  EXPECT_EQ(stored->Title(), "Dr.");
  EXPECT_EQ(stored->CompanyName(), "Example; Inc.");
  EXPECT_EQ(stored->Email1Address(), "ann@example.com");
  EXPECT_EQ(stored->Categories(), "VIP, Press");
  EXPECT_EQ(stored->Account(), "A-1");
  EXPECT_EQ(stored->BillingInformation(), "billing");
  EXPECT_EQ(stored->User3(), "three");
  EXPECT_EQ(stored->CustomerID(), "C-9");
  EXPECT_EQ(stored->Body(), "Note line 1\r\nline 2");
  EXPECT_EQ(stored->UserProperties()->Find("seen")->Value(), "True");
  EXPECT_THROW(stored->Property("HTMLBody"), Error);
}

TEST_F(LocalContactTest, ACardWithoutUidKeepsOneIdAndSavingKeepsWhatIsNotModelled) {
  env_.fs.AddFile(ContactsPath("people.vcf"), kTwoCards);
  auto items = Contacts();
  ASSERT_EQ(items->Count(), 2);
  auto john = mail::AsContactItem(items->Item(1));
  EXPECT_EQ(john->EntryID(), "vcf:people.vcf");
  EXPECT_EQ(items->Item(2)->EntryID(), "jane-1");
  EXPECT_EQ(Contacts()->Item(1)->EntryID(), "vcf:people.vcf");  // the same on every listing

  john->SetTitle("Engineer");
  john->Save();
  EXPECT_EQ(john->EntryID(), "vcf:people.vcf");
  const std::string bytes = *env_.fs.Contents(ContactsPath("people.vcf"));
  const std::vector<VcardCard> cards = ParseVcards(bytes, "people.vcf");
  ASSERT_THAT(cards, SizeIs(2));  // the other card of the file is kept
  EXPECT_EQ(cards[0].EntryID(), "vcf:people.vcf");
  EXPECT_EQ(cards[0].Title(), "Engineer");
  EXPECT_TRUE(cards[0].Find("X-MS-OL-DESIGN"));
  EXPECT_EQ(cards[1].FullName(), "Jane Roe");

  auto jane = mail::AsContactItem(Contacts()->Item(2));
  jane->SetTitle("discarded");
  jane->Close(mail::SaveMode::kDiscard);
  EXPECT_EQ(jane->Title(), "");
}

TEST_F(LocalContactTest, RestrictUsesTheFilterLanguageOverContacts) {
  env_.fs.AddFile(ContactsPath("people.vcf"), kTwoCards);
  env_.fs.AddFile(ContactsPath("vip2.vcf"),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:vip-2\r\nFN:Vic Ip\r\nCATEGORIES:vip\r\n"
                  "END:VCARD\r\n");
  auto vips = Contacts()->Restrict("[Categories] = 'VIP' AND Not ([Account] = 'X')");
  ASSERT_EQ(vips->Count(), 1);
  EXPECT_EQ(vips->Item(1)->EntryID(), "vip-2");
  EXPECT_EQ(Contacts()->Restrict("[Categories] = 'Press'")->Count(), 1);
  try {
    Contacts()->Restrict("[Categories] = 'VIP");
    FAIL() << "no error";
  } catch (const mail::FilterError& e) {
    EXPECT_THAT(std::string(e.what()), HasSubstr("character"));
  }

  auto sorted = Contacts();
  sorted->Sort("[FullName]", true);
  EXPECT_EQ(mail::AsContactItem(sorted->GetFirst())->FullName(), "Vic Ip");
  auto added = mail::AsContactItem(sorted->Add(mail::ItemType::kContact));
  added->SetFullName("Added Later");
  added->Save();
  EXPECT_EQ(Contacts()->Count(), 4);
}

TEST_F(LocalContactTest, ImportStoresEveryCardAndUpdatesKnownOnes) {
  ContactImport result = ImportContacts(*env_.client, kTwoCards, "two.vcf", "");
  EXPECT_EQ(result.added, 2);
  EXPECT_EQ(result.updated, 0);
  EXPECT_THAT(VcfFiles(), SizeIs(2));
  EXPECT_THAT(VcfFiles(), ::testing::Contains("jane-1.vcf"));

  result = ImportContacts(*env_.client, kTwoCards, "two.vcf", "Contacts");
  EXPECT_EQ(result.added, 1);    // John has no UID: a new contact again
  EXPECT_EQ(result.updated, 1);  // Jane is known by her UID
  EXPECT_THAT(VcfFiles(), SizeIs(3));

  const size_t before = env_.fs.AllFiles().size();
  try {
    (void)ImportContacts(*env_.client, std::string(kTwoCards) + "BEGIN:VCARD\r\nFN:cut short\r\n",
                         "bad.vcf", "");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(std::string(e.what()), HasSubstr("bad.vcf"));
  }
  EXPECT_EQ(env_.fs.AllFiles().size(), before);  // nothing stored
  EXPECT_THROW((void)ImportContacts(*env_.client, kTwoCards, "two.vcf", "Inbox"), Error);
}

TEST_F(LocalContactTest, ABrokenFileIsSkippedAndReportedWhileTheRestLists) {
  env_.fs.AddFile(ContactsPath("people.vcf"), kTwoCards);
  env_.fs.AddFile(ContactsPath("broken.vcf"), "this is not a card\r\n");
  EXPECT_EQ(Contacts()->Count(), 2);
  const std::vector<std::string> problems = env_.client->TakeProblems();
  ASSERT_THAT(problems, SizeIs(1));
  EXPECT_THAT(problems[0], HasSubstr("broken.vcf"));
}

TEST_F(LocalContactTest, ListingAndShowingPrintTheDecodedFields) {
  env_.fs.AddFile(ContactsPath("people.vcf"), kTwoCards);
  std::ostringstream out, err;
  PrintItems(*env_.client, "contacts", "[Categories] = 'VIP'", "", out, err);
  EXPECT_EQ(out.str(), "jane-1\tJane Roe\t\tVIP, Press\n");
  out.str("");
  ShowItem(*env_.client, "Contacts", "vcf:people.vcf", out);
  EXPECT_THAT(out.str(), HasSubstr("FullName: John Doe\n"));
  EXPECT_THAT(out.str(), HasSubstr("Email1Address: john@example.com\n"));
  EXPECT_THROW(ShowItem(*env_.client, "Contacts", "nobody", out), Error);

  out.str("");
  PrintFolderTree(*env_.client, out);
  EXPECT_THAT(
      out.str(),
      HasSubstr("Personal Folders (0 items)\n  Calendar (0 items)\n  Contacts (2 contacts)\n"));
  EXPECT_THAT(out.str(), HasSubstr("\nPublic Folders (0 items)\n  All Public Folders (0 items)\n"));
  EXPECT_THAT(err.str(), IsEmpty());
}

}  // namespace
}  // namespace vellumo::localmail
