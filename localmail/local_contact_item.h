// LocalContactItem: a contact of the local client, kept as a vCard (vcard.h) in a .vcf file of
// a contacts folder.
//
// Properties map onto the card: FullName FN, FirstName and LastName N, Title TITLE,
// CompanyName ORG, Email1Address the preferred EMAIL, Categories CATEGORIES (joined with ", "),
// Body NOTE, BusinessAddressCity the work ADR; Account, BillingInformation, User1..User4,
// OrganizationalIDNumber, CustomerID, MessageClass and the user properties are X-VELLUMO-*
// properties. Subject reads and writes FN, as a contact's subject is its name. Every property
// the item does not model stays in the card as it was.
//
// EntryID is the card's UID. A card without one answers an id made from its file name (and
// card number, for files holding several cards), which Save writes into the card, so the id
// never changes. Save (and Close with kSave) rewrites the whole file atomically; other cards of
// the same file are kept. A new contact gets a UUID and a file named after it. Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "localmail/client_core.h"
#include "localmail/item_codec.h"
#include "localmail/vcard.h"
#include "platform/mailclient/items.h"

namespace vellumo::localmail {

class LocalFolder;

class LocalContactItem final : public mail::ContactItem,
                               public std::enable_shared_from_this<LocalContactItem> {
 public:
  // A new, unsaved contact in folder.
  static std::shared_ptr<LocalContactItem> New(std::weak_ptr<ClientCore> core,
                                               std::shared_ptr<LocalFolder> folder);
  // Card number index of the file file_name (a name in folder).
  static std::shared_ptr<LocalContactItem> Load(std::weak_ptr<ClientCore> core,
                                                std::shared_ptr<LocalFolder> folder,
                                                std::string file_name, size_t index,
                                                VcardCard card);

  std::string EntryID() override;
  std::shared_ptr<mail::Folder> Parent() override;
  std::string Property(std::string_view name) override;
  void SetProperty(std::string_view name, std::string_view value) override;
  std::shared_ptr<mail::UserProperties> UserProperties() override;
  void Save() override;
  void Close(mail::SaveMode mode) override;
  void Display(bool modal) override;

  // Replaces every property with those of card (an imported card updating this contact); the
  // contact keeps its EntryID. Kept in memory until Save.
  void ReplaceCard(VcardCard card);
  // The card with the pending changes.
  const VcardCard& card() const { return card_; }
  // The file's name in its folder; "" until saved.
  const std::string& file_name() const { return file_name_; }

 private:
  LocalContactItem(std::weak_ptr<ClientCore> core, std::shared_ptr<LocalFolder> folder,
                   VcardCard card);
  std::shared_ptr<ClientCore> Check();
  std::string Id() const;
  void WriteUserProperties();
  // A file name for a new contact that is not taken yet.
  std::string NewFileName(ClientCore& core, const std::string& folder, const std::string& uid);

  std::weak_ptr<ClientCore> core_;
  std::shared_ptr<LocalFolder> folder_;
  std::string file_name_;
  size_t index_ = 0;
  std::string stored_id_;  // the id the card had when read, to find it again in its file
  VcardCard card_;
  VcardCard saved_card_;
  std::shared_ptr<UserPropertyList> user_properties_;
  bool user_properties_changed_ = false;
};

}  // namespace vellumo::localmail
