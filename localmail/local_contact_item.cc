#include "localmail/local_contact_item.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/local_folders.h"
#include "platform/file_system.h"
#include "platform/mailclient/item_fields.h"

namespace vellumo::localmail {
namespace {

constexpr std::string_view kMessageClassProperty = "X-VELLUMO-MESSAGECLASS";
constexpr std::string_view kUserPropertiesProperty = "X-VELLUMO-USERPROPERTIES";
constexpr std::string_view kOrganizationalIdProperty = "X-VELLUMO-ORGANIZATIONALID";
constexpr std::string_view kCustomerIdProperty = "X-VELLUMO-CUSTOMERID";

// Sets a property the card may lack; "" removes it, so a cleared field leaves no trace.
void SetOrRemove(VcardCard& card, std::string_view name, std::string_view value) {
  if (value.empty()) {
    std::erase_if(card.properties(),
                  [&](const VcardProperty& p) { return text::EqualsText(p.name, name); });
  } else {
    card.SetText(name, value);
  }
}

std::vector<std::string> SplitCategories(std::string_view value) {
  std::vector<std::string> out;
  for (const std::string& part : text::Split(text::Replace(value, ";", ","), ",")) {
    std::string trimmed = text::Trim(part);
    if (!trimmed.empty()) out.push_back(std::move(trimmed));
  }
  return out;
}

using Getter = std::string (*)(const VcardCard&);
using Setter = void (*)(VcardCard&, std::string_view);

struct ContactField {
  std::string_view name;
  Getter get;
  Setter set;
};

// Every text property of a contact, by the table spelling of items.h.
const ContactField kFields[] = {
    {mail::prop::kMessageClass,
     [](const VcardCard& c) {
       std::string v = c.Text(kMessageClassProperty);
       return v.empty() ? std::string(mail::kMessageClassContact) : v;
     },
     [](VcardCard& c, std::string_view v) { SetOrRemove(c, kMessageClassProperty, v); }},
    {mail::prop::kSubject, [](const VcardCard& c) { return c.FullName(); },
     [](VcardCard& c, std::string_view v) { c.SetFullName(v); }},
    {mail::prop::kBody, [](const VcardCard& c) { return c.Body(); },
     [](VcardCard& c, std::string_view v) { c.SetBody(v); }},
    {mail::prop::kBillingInformation, [](const VcardCard& c) { return c.BillingInformation(); },
     [](VcardCard& c, std::string_view v) { c.SetBillingInformation(v); }},
    {mail::prop::kCategories, [](const VcardCard& c) { return text::Join(c.Categories(), ", "); },
     [](VcardCard& c, std::string_view v) { c.SetCategories(SplitCategories(v)); }},
    {mail::prop::kFullName, [](const VcardCard& c) { return c.FullName(); },
     [](VcardCard& c, std::string_view v) { c.SetFullName(v); }},
    {mail::prop::kFirstName, [](const VcardCard& c) { return c.FirstName(); },
     [](VcardCard& c, std::string_view v) { c.SetFirstName(v); }},
    {mail::prop::kLastName, [](const VcardCard& c) { return c.LastName(); },
     [](VcardCard& c, std::string_view v) { c.SetLastName(v); }},
    {mail::prop::kTitle, [](const VcardCard& c) { return c.Title(); },
     [](VcardCard& c, std::string_view v) { c.SetTitle(v); }},
    {mail::prop::kCompanyName, [](const VcardCard& c) { return c.CompanyName(); },
     [](VcardCard& c, std::string_view v) { c.SetCompanyName(v); }},
    {mail::prop::kEmail1Address, [](const VcardCard& c) { return c.Email1Address(); },
     [](VcardCard& c, std::string_view v) { c.SetEmail1Address(v); }},
    {mail::prop::kAccount, [](const VcardCard& c) { return c.Account(); },
     [](VcardCard& c, std::string_view v) { c.SetAccount(v); }},
    {mail::prop::kBusinessAddressCity, [](const VcardCard& c) { return c.BusinessAddressCity(); },
     [](VcardCard& c, std::string_view v) { c.SetBusinessAddressCity(v); }},
    {mail::prop::kOrganizationalIDNumber,
     [](const VcardCard& c) { return c.Text(kOrganizationalIdProperty); },
     [](VcardCard& c, std::string_view v) { SetOrRemove(c, kOrganizationalIdProperty, v); }},
    {mail::prop::kCustomerID, [](const VcardCard& c) { return c.Text(kCustomerIdProperty); },
     [](VcardCard& c, std::string_view v) { SetOrRemove(c, kCustomerIdProperty, v); }},
    {mail::prop::kUser1, [](const VcardCard& c) { return c.User(1); },
     [](VcardCard& c, std::string_view v) { c.SetUser(1, v); }},
    {mail::prop::kUser2, [](const VcardCard& c) { return c.User(2); },
     [](VcardCard& c, std::string_view v) { c.SetUser(2, v); }},
    {mail::prop::kUser3, [](const VcardCard& c) { return c.User(3); },
     [](VcardCard& c, std::string_view v) { c.SetUser(3, v); }},
    {mail::prop::kUser4, [](const VcardCard& c) { return c.User(4); },
     [](VcardCard& c, std::string_view v) { c.SetUser(4, v); }},
};

const ContactField& FieldFor(std::string_view name) {
  const std::optional<std::string_view> canonical =
      mail::CanonicalPropertyName(mail::ItemType::kContact, name);
  if (canonical) {
    for (const ContactField& field : kFields) {
      if (field.name == *canonical) return field;
    }
  }
  throw Error(ErrorCode::kNotSupported, "ContactItem." + std::string(name));
}

// The id of a card that has no UID: its place, which does not change while it is not saved.
std::string PlaceId(std::string_view file_name, size_t index) {
  std::string id = "vcf:" + std::string(file_name);
  if (index > 0) id += "#" + std::to_string(index + 1);
  return id;
}

std::string IdOf(const VcardCard& card, std::string_view file_name, size_t index) {
  std::string uid = card.EntryID();
  return uid.empty() ? PlaceId(file_name, index) : uid;
}

}  // namespace

LocalContactItem::LocalContactItem(std::weak_ptr<ClientCore> core,
                                   std::shared_ptr<LocalFolder> folder, VcardCard card)
    : core_(std::move(core)),
      folder_(std::move(folder)),
      card_(std::move(card)),
      saved_card_(card_),
      user_properties_(std::make_shared<UserPropertyList>(
          DecodeUserProperties(card_.Text(kUserPropertiesProperty)))) {}

std::shared_ptr<LocalContactItem> LocalContactItem::New(std::weak_ptr<ClientCore> core,
                                                        std::shared_ptr<LocalFolder> folder) {
  return std::shared_ptr<LocalContactItem>(
      new LocalContactItem(std::move(core), std::move(folder), VcardCard("3.0")));
}

std::shared_ptr<LocalContactItem> LocalContactItem::Load(std::weak_ptr<ClientCore> core,
                                                         std::shared_ptr<LocalFolder> folder,
                                                         std::string file_name, size_t index,
                                                         VcardCard card) {
  auto item = std::shared_ptr<LocalContactItem>(
      new LocalContactItem(std::move(core), std::move(folder), std::move(card)));
  item->file_name_ = std::move(file_name);
  item->index_ = index;
  item->stored_id_ = item->Id();
  return item;
}

std::shared_ptr<ClientCore> LocalContactItem::Check() { return LockCore(core_); }

std::string LocalContactItem::Id() const {
  if (file_name_.empty()) return card_.EntryID();
  return IdOf(card_, file_name_, index_);
}

std::string LocalContactItem::EntryID() {
  Check();
  return Id();
}

std::shared_ptr<mail::Folder> LocalContactItem::Parent() {
  Check();
  return folder_;
}

std::string LocalContactItem::Property(std::string_view name) {
  Check();
  return FieldFor(name).get(card_);
}

void LocalContactItem::SetProperty(std::string_view name, std::string_view value) {
  Check();
  FieldFor(name).set(card_, value);
}

std::shared_ptr<mail::UserProperties> LocalContactItem::UserProperties() {
  Check();
  std::weak_ptr<LocalContactItem> self = weak_from_this();
  auto check = [self](std::string_view) {
    std::shared_ptr<LocalContactItem> item = self.lock();
    if (!item) throw Error(ErrorCode::kObjectNotSet, "item");
    item->Check();
  };
  auto changed = [self] {
    if (auto item = self.lock()) item->user_properties_changed_ = true;
  };
  return std::make_shared<ListUserProperties>(user_properties_, check, changed);
}

void LocalContactItem::WriteUserProperties() {
  if (!user_properties_changed_) return;
  SetOrRemove(card_, kUserPropertiesProperty, EncodeUserProperties(*user_properties_));
  user_properties_changed_ = false;
}

std::string LocalContactItem::NewFileName(ClientCore& core, const std::string& folder,
                                          const std::string& uid) {
  std::string base;
  for (char c : uid) {
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    base += plain ? c : '_';
    if (base.size() >= 100) break;
  }
  if (base.empty()) base = "contact";
  for (int n = 1;; ++n) {
    std::string name = base + (n == 1 ? "" : "-" + std::to_string(n)) + ".vcf";
    if (!core.fs().FileExists(folder + "/" + name)) return name;
  }
}

void LocalContactItem::Save() {
  std::shared_ptr<ClientCore> core = Check();
  FileSystem& fs = core->fs();
  WriteUserProperties();
  if (card_.EntryID().empty()) card_.SetEntryID(file_name_.empty() ? core->NewUid() : Id());
  const std::string folder = folder_->Path();
  if (file_name_.empty() || !fs.FileExists(folder + "/" + file_name_)) {
    if (!fs.FolderExists(folder)) fs.CreateFolder(folder);
    const std::string name =
        file_name_.empty() ? NewFileName(*core, folder, card_.EntryID()) : file_name_;
    fs.WriteFile(folder + "/" + name, WriteVcard(card_));
    file_name_ = name;
    index_ = 0;
  } else {
    const std::string path = folder + "/" + file_name_;
    std::vector<VcardCard> cards = ParseVcards(fs.ReadFile(path), path);
    size_t at = cards.size();
    if (index_ < cards.size() && IdOf(cards[index_], file_name_, index_) == stored_id_) {
      at = index_;
    } else {
      for (size_t i = 0; i < cards.size(); ++i) {
        if (IdOf(cards[i], file_name_, i) == stored_id_) at = i;
      }
    }
    if (at == cards.size()) {
      cards.push_back(card_);
    } else {
      cards[at] = card_;
    }
    std::string bytes;
    for (const VcardCard& card : cards) bytes += WriteVcard(card);
    fs.WriteFile(path, bytes);
    index_ = at;
  }
  stored_id_ = Id();
  saved_card_ = card_;
}

void LocalContactItem::ReplaceCard(VcardCard card) {
  Check();
  const std::string id = Id();
  card_ = std::move(card);
  if (!id.empty()) card_.SetEntryID(id);
  *user_properties_ = DecodeUserProperties(card_.Text(kUserPropertiesProperty));
  user_properties_changed_ = false;
}

void LocalContactItem::Close(mail::SaveMode mode) {
  Check();
  if (mode != mail::SaveMode::kDiscard) {
    Save();
    return;
  }
  card_ = saved_card_;
  *user_properties_ = DecodeUserProperties(card_.Text(kUserPropertiesProperty));
  user_properties_changed_ = false;
}

void LocalContactItem::Display(bool) {
  std::shared_ptr<ClientCore> core = Check();
  WriteUserProperties();
  core->ShowFile(file_name_.empty() ? std::string("new.vcf") : file_name_, WriteVcard(card_));
}

}  // namespace vellumo::localmail
