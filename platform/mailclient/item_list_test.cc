#include "platform/mailclient/item_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/mailclient/filter.h"
#include "platform/mailclient/mem_application.h"

namespace vellumo::mail {
namespace {

class ContactsTest : public ::testing::Test {
 protected:
  ContactsTest() {
    contacts_ = app_.StandardFolder(DefaultFolder::kContacts);
    contacts_->AddContact({{"FullName", "Ann Archer"},
                           {"Categories", "VIP, Press"},
                           {"Account", "X"},
                           {"LastName", "Archer"}});
    contacts_->AddContact({{"FullName", "Bob Baker"},
                           {"Categories", "vip"},
                           {"Account", "Y"},
                           {"LastName", "baker"}});
    contacts_->AddContact({{"FullName", "Cid Cole"},
                           {"Categories", "Press"},
                           {"Account", "Z"},
                           {"LastName", "Cole"}});
    contacts_->AddContact(
        {{"FullName", "Dee Dunn"}, {"Categories", ""}, {"Account", ""}, {"LastName", "Dunn"}});
    contacts_->AddContact({{"FullName", "Eve Ewing"},
                           {"Categories", "Press;VIP"},
                           {"Account", "W, X"},
                           {"CompanyName", "Ewing & Co"},
                           {"LastName", "Ewing"}});
  }

  // The full names of the items of a collection, walking it with GetFirst/GetNext.
  static std::vector<std::string> Names(Items& items) {
    std::vector<std::string> names;
    for (auto item = items.GetFirst(); item; item = items.GetNext()) {
      names.push_back(AsContactItem(item)->FullName());
    }
    return names;
  }

  std::vector<std::string> Restricted(std::string_view filter) {
    return Names(*contacts_->Items()->Restrict(filter));
  }

  MemApplication app_;
  std::shared_ptr<MemFolder> contacts_;
};

using NameList = std::vector<std::string>;

TEST_F(ContactsTest, RestrictKeepsExactlyTheMatchingContactsInFolderOrder) {
  EXPECT_EQ(Restricted("[Categories] = 'VIP' AND Not ([Account] = 'X')"),
            (NameList{"Bob Baker", "Eve Ewing"}));
  EXPECT_EQ(Restricted("[Categories] = 'VIP'"), (NameList{"Ann Archer", "Bob Baker", "Eve Ewing"}));
  EXPECT_EQ(Restricted("Not ([Categories] = 'VIP')"), (NameList{"Cid Cole", "Dee Dunn"}));
  EXPECT_EQ(Restricted("[Account] = 'X' OR [Account] = 'z'"), (NameList{"Ann Archer", "Cid Cole"}));
  EXPECT_EQ(Restricted("[Organization] = 'EWING & CO'"), (NameList{"Eve Ewing"}));
  EXPECT_EQ(Restricted("[Account] = 'nobody'"), NameList{});
}

TEST_F(ContactsTest, RestrictResultIsANewCollectionThatCanBeRestrictedAgain) {
  auto all = contacts_->Items();
  auto vip = all->Restrict("[Categories] = 'VIP'");
  EXPECT_EQ(all->Count(), 5);
  EXPECT_EQ(vip->Count(), 3);
  EXPECT_EQ(Names(*vip->Restrict("[Categories] = 'Press'")), (NameList{"Ann Archer", "Eve Ewing"}));
  // The items are the live objects, not copies.
  AsContactItem(vip->Item(1))->SetAccount("changed");
  EXPECT_EQ(AsContactItem(all->Item(1))->Account(), "changed");
}

TEST_F(ContactsTest, RestrictRefusesBadFiltersEvenInAnEmptyFolder) {
  auto empty = app_.Store("Personal Folders")->AddFolder("Empty", ItemType::kContact)->Items();
  auto full = contacts_->Items();
  for (Items* items : {full.get(), empty.get()}) {
    try {
      items->Restrict("[Categories] = 'VIP' AND [Acount] = 'X'");
      ADD_FAILURE() << "no error";
    } catch (const FilterError& e) {
      EXPECT_EQ(e.position(), 26);
    }
    EXPECT_THROW(items->Restrict("[Categories] = 'VIP"), FilterError);
  }
  // A field of another item type reads as empty text.
  auto mail = app_.StandardFolder(DefaultFolder::kInbox);
  mail->AddMail({{"Subject", "hello"}});
  EXPECT_EQ(mail->Items()->Restrict("[FullName] = ''")->Count(), 1);
  EXPECT_EQ(mail->Items()->Restrict("[subject] = 'HELLO'")->Count(), 1);
}

TEST_F(ContactsTest, SortOrdersByTextIgnoringCaseAndKeepsTiesInOrder) {
  auto items = contacts_->Items();
  items->Sort("[LastName]", true);
  EXPECT_EQ(Names(*items),
            (NameList{"Eve Ewing", "Dee Dunn", "Cid Cole", "Bob Baker", "Ann Archer"}));
  items->Sort("LastName", false);
  EXPECT_EQ(Names(*items),
            (NameList{"Ann Archer", "Bob Baker", "Cid Cole", "Dee Dunn", "Eve Ewing"}));
  items->Sort("Categories", false);  // "", "Press", "Press;VIP", "vip", "VIP, Press"
  EXPECT_EQ(Names(*items),
            (NameList{"Dee Dunn", "Cid Cole", "Eve Ewing", "Bob Baker", "Ann Archer"}));
  EXPECT_EQ(AsContactItem(items->Item(1))->FullName(), "Dee Dunn");
  EXPECT_THROW(items->Sort("[Nonsense]", false), Error);
  EXPECT_EQ(AsContactItem(items->Item(1))->FullName(), "Dee Dunn");
}

TEST_F(ContactsTest, CursorAndIndexWalkTheSnapshot) {
  auto items = contacts_->Items();
  EXPECT_EQ(AsContactItem(items->GetNext())->FullName(), "Ann Archer");  // before GetFirst
  EXPECT_EQ(AsContactItem(items->GetNext())->FullName(), "Bob Baker");
  EXPECT_EQ(AsContactItem(items->GetFirst())->FullName(), "Ann Archer");
  for (int i = 0; i < 4; ++i) EXPECT_NE(items->GetNext(), nullptr);
  EXPECT_EQ(items->GetNext(), nullptr);
  EXPECT_EQ(items->GetNext(), nullptr);
  EXPECT_THROW(items->Item(0), Error);
  EXPECT_THROW(items->Item(6), Error);
  items->SetIncludeRecurrences(true);
  EXPECT_TRUE(items->IncludeRecurrences());

  // Contacts saved after the snapshot need a new collection.
  auto added = AsContactItem(items->Add(ItemType::kContact));
  added->SetFullName("Fay Fox");
  EXPECT_EQ(items->Count(), 5);
  EXPECT_EQ(contacts_->Items()->Count(), 5);  // not saved yet
  added->Save();
  EXPECT_EQ(items->Count(), 5);
  EXPECT_EQ(contacts_->Items()->Count(), 6);
  EXPECT_EQ(ItemList({}).GetFirst(), nullptr);
  EXPECT_THROW(ItemList({}).Add(ItemType::kMail), Error);
}

}  // namespace
}  // namespace vellumo::mail
