#include "platform/mailclient/mem_items.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/file_system.h"
#include "platform/mailclient/item_fields.h"
#include "platform/mailclient/mem_folders.h"

namespace vellumo::mail {
namespace {

using Data = MemItemData;

[[noreturn]] void OutOfRange(std::string_view collection, int index) {
  throw Error(ErrorCode::kSubscriptOutOfRange,
              std::string(collection) + "(" + std::to_string(index) + ")");
}

template <class T>
const std::shared_ptr<T>& At(std::vector<std::shared_ptr<T>>& list, std::string_view collection,
                             int index) {
  if (index < 1 || static_cast<size_t>(index) > list.size()) OutOfRange(collection, index);
  return list[static_cast<size_t>(index) - 1];
}

// The last part of a Windows-style or native path.
std::string FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

class MemUserProperty final : public UserProperty {
 public:
  MemUserProperty(std::shared_ptr<MemItemCore> core, std::shared_ptr<Data::UserPropertyData> d)
      : core_(std::move(core)), d_(std::move(d)) {}
  std::string Name() override { return Check("Name"), d_->name; }
  UserPropertyType Type() override { return Check("Type"), d_->type; }
  std::string Value() override { return Check("Value"), d_->value; }
  void SetValue(std::string_view value) override {
    Check("SetValue");
    d_->value = std::string(value);
  }

 private:
  void Check(std::string_view member) { core_->CheckSub("UserProperty", member); }
  std::shared_ptr<MemItemCore> core_;
  std::shared_ptr<Data::UserPropertyData> d_;
};

class MemUserProperties final : public UserProperties {
 public:
  explicit MemUserProperties(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}
  int Count() override {
    Check("Count");
    return static_cast<int>(List().size());
  }
  std::shared_ptr<UserProperty> Item(int index) override {
    Check("Item");
    return Wrap(At(List(), "UserProperties", index));
  }
  std::shared_ptr<UserProperty> Find(std::string_view name) override {
    Check("Find");
    for (const auto& d : List()) {
      if (text::EqualsText(d->name, name)) return Wrap(d);
    }
    return nullptr;
  }
  std::shared_ptr<UserProperty> Add(std::string_view name, UserPropertyType type) override {
    Check("Add");
    if (text::Trim(name).empty()) throw Error(ErrorCode::kInvalidCall, "UserProperties.Add");
    for (const auto& d : List()) {
      if (text::EqualsText(d->name, name)) return Wrap(d);
    }
    auto d = std::make_shared<Data::UserPropertyData>(
        Data::UserPropertyData{std::string(name), type, {}});
    List().push_back(d);
    return Wrap(d);
  }
  void Remove(int index) override {
    Check("Remove");
    At(List(), "UserProperties", index);
    List().erase(List().begin() + (index - 1));
  }

 private:
  void Check(std::string_view member) { core_->CheckSub("UserProperties", member); }
  std::vector<std::shared_ptr<Data::UserPropertyData>>& List() {
    return core_->data().user_properties;
  }
  std::shared_ptr<UserProperty> Wrap(const std::shared_ptr<Data::UserPropertyData>& d) {
    return std::make_shared<MemUserProperty>(core_, d);
  }
  std::shared_ptr<MemItemCore> core_;
};

class MemRecipient final : public Recipient {
 public:
  MemRecipient(std::shared_ptr<MemItemCore> core, std::shared_ptr<Data::RecipientData> d)
      : core_(std::move(core)), d_(std::move(d)) {}
  std::string Name() override { return Check("Name"), d_->address; }
  std::string Address() override { return Check("Address"), d_->address; }
  RecipientType Type() override { return Check("Type"), d_->type; }
  void SetType(RecipientType type) override {
    Check("SetType");
    d_->type = type;
  }

 private:
  void Check(std::string_view member) { core_->CheckSub("Recipient", member); }
  std::shared_ptr<MemItemCore> core_;
  std::shared_ptr<Data::RecipientData> d_;
};

class MemRecipients final : public Recipients {
 public:
  explicit MemRecipients(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}
  int Count() override {
    Check("Count");
    return static_cast<int>(List().size());
  }
  std::shared_ptr<Recipient> Item(int index) override {
    Check("Item");
    return std::make_shared<MemRecipient>(core_, At(List(), "Recipients", index));
  }
  std::shared_ptr<Recipient> Add(std::string_view address) override {
    Check("Add");
    if (text::Trim(address).empty()) throw Error(ErrorCode::kInvalidCall, "Recipients.Add");
    auto d = std::make_shared<Data::RecipientData>(Data::RecipientData{std::string(address)});
    List().push_back(d);
    return std::make_shared<MemRecipient>(core_, d);
  }
  void Remove(int index) override {
    Check("Remove");
    At(List(), "Recipients", index);
    List().erase(List().begin() + (index - 1));
  }

 private:
  void Check(std::string_view member) { core_->CheckSub("Recipients", member); }
  std::vector<std::shared_ptr<Data::RecipientData>>& List() { return core_->data().recipients; }
  std::shared_ptr<MemItemCore> core_;
};

class MemAttachment final : public Attachment {
 public:
  MemAttachment(std::shared_ptr<MemItemCore> core, std::shared_ptr<Data::AttachmentData> d)
      : core_(std::move(core)), d_(std::move(d)) {}
  std::string FileName() override { return Check("FileName"), d_->file_name; }
  std::string DisplayName() override { return Check("DisplayName"), d_->file_name; }
  void SaveAsFile(std::string_view path) override {
    std::shared_ptr<MemState> state = core_->CheckSub("Attachment", "SaveAsFile");
    if (state->fs) state->fs->WriteFile(path, d_->content);
  }

 private:
  std::shared_ptr<MemState> Check(std::string_view member) {
    return core_->CheckSub("Attachment", member);
  }
  std::shared_ptr<MemItemCore> core_;
  std::shared_ptr<Data::AttachmentData> d_;
};

class MemAttachments final : public Attachments {
 public:
  explicit MemAttachments(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}
  int Count() override {
    Check("Count");
    return static_cast<int>(List().size());
  }
  std::shared_ptr<Attachment> Item(int index) override {
    Check("Item");
    return std::make_shared<MemAttachment>(core_, At(List(), "Attachments", index));
  }
  std::shared_ptr<Attachment> Add(std::string_view path) override {
    std::shared_ptr<MemState> state = Check("Add");
    auto d = std::make_shared<Data::AttachmentData>(Data::AttachmentData{FileNameOf(path), {}});
    if (state->fs) d->content = state->fs->ReadFile(path);
    List().push_back(d);
    return std::make_shared<MemAttachment>(core_, d);
  }
  void Remove(int index) override {
    Check("Remove");
    At(List(), "Attachments", index);
    List().erase(List().begin() + (index - 1));
  }

 private:
  std::shared_ptr<MemState> Check(std::string_view member) {
    return core_->CheckSub("Attachments", member);
  }
  std::vector<std::shared_ptr<Data::AttachmentData>>& List() { return core_->data().attachments; }
  std::shared_ptr<MemItemCore> core_;
};

class MemLink final : public Link {
 public:
  MemLink(std::shared_ptr<MemItemCore> core, std::shared_ptr<Data::LinkData> d)
      : core_(std::move(core)), d_(std::move(d)) {}
  std::string Name() override { return Check("Name"), d_->name; }
  std::shared_ptr<mail::Item> Item() override { return Check("Item"), d_->item.lock(); }

 private:
  void Check(std::string_view member) { core_->CheckSub("Link", member); }
  std::shared_ptr<MemItemCore> core_;
  std::shared_ptr<Data::LinkData> d_;
};

class MemLinks final : public Links {
 public:
  explicit MemLinks(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}
  int Count() override {
    Check("Count");
    return static_cast<int>(List().size());
  }
  std::shared_ptr<Link> Item(int index) override {
    Check("Item");
    return std::make_shared<MemLink>(core_, At(List(), "Links", index));
  }
  std::shared_ptr<Link> Add(std::shared_ptr<mail::Item> item) override {
    Check("Add");
    if (!item || item->EntryID().empty()) throw Error(ErrorCode::kInvalidCall, "Links.Add");
    std::shared_ptr<ContactItem> contact = AsContactItem(item);
    auto d = std::make_shared<Data::LinkData>(
        Data::LinkData{contact ? contact->FullName() : item->Subject(), item});
    List().push_back(d);
    return std::make_shared<MemLink>(core_, d);
  }

 private:
  void Check(std::string_view member) { core_->CheckSub("Links", member); }
  std::vector<std::shared_ptr<Data::LinkData>>& List() { return core_->data().links; }
  std::shared_ptr<MemItemCore> core_;
};

class MemWordDocument final : public WordDocument {
 public:
  explicit MemWordDocument(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}
  std::string Content() override {
    Check("Content");
    return core_->Property(prop::kBody);
  }
  void Copy() override {
    std::shared_ptr<MemState> state = Check("Copy");
    state->clipboard = core_->Property(prop::kBody);
  }
  std::string ApplicationVersion() override { return Check("ApplicationVersion")->word_version; }
  // The body, one paragraph per line: enough HTML for the callers that read it back.
  void SaveAs(std::string_view path, int format) override {
    std::shared_ptr<MemState> state = Check("SaveAs");
    if (format != kWordFormatHtml && format != kWordFormatFilteredHtml) {
      throw Error(ErrorCode::kInvalidCall, "WordDocument.SaveAs format " + std::to_string(format));
    }
    std::string html = "<html>\r\n<body>\r\n";
    for (const std::string& line : text::Split(core_->Property(prop::kBody), "\r\n")) {
      html += "<p>" + text::EscapeHtml(line) + "</p>\r\n";
    }
    html += "</body>\r\n</html>\r\n";
    if (state->fs) state->fs->WriteFile(path, html);
  }

 private:
  std::shared_ptr<MemState> Check(std::string_view member) {
    return core_->CheckSub("WordDocument", member);
  }
  std::shared_ptr<MemItemCore> core_;
};

class MemInspector final : public Inspector {
 public:
  explicit MemInspector(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}
  mail::EditorType EditorType() override {
    Check("EditorType");
    return core_->editor();
  }
  bool IsWordMail() override {
    Check("IsWordMail");
    return core_->editor() == EditorType::kWord;
  }
  std::shared_ptr<WordDocument> WordEditor() override {
    Check("WordEditor");
    if (core_->editor() != EditorType::kWord) return nullptr;
    return std::make_shared<MemWordDocument>(core_);
  }

 private:
  void Check(std::string_view member) { core_->CheckSub("Inspector", member); }
  std::shared_ptr<MemItemCore> core_;
};

}  // namespace

// MemItemData

MemItemData MemItemData::Clone() const {
  MemItemData copy = *this;
  for (auto& p : copy.user_properties) p = std::make_shared<UserPropertyData>(*p);
  for (auto& r : copy.recipients) r = std::make_shared<RecipientData>(*r);
  for (auto& a : copy.attachments) a = std::make_shared<AttachmentData>(*a);
  for (auto& l : copy.links) l = std::make_shared<LinkData>(*l);
  return copy;
}

// MemItemCore

MemItemCore::MemItemCore(std::weak_ptr<MemState> state, ItemType type,
                         std::shared_ptr<MemFolder> parent)
    : state_(std::move(state)),
      type_(type),
      kind_(type == ItemType::kContact ? "ContactItem" : "MailItem"),
      parent_(parent),
      editor_(LockState(state_)->default_editor) {
  data_.text[std::string(prop::kMessageClass)] =
      std::string(type == ItemType::kContact ? kMessageClassContact : kMessageClassNote);
  saved_ = data_.Clone();
}

std::string MemItemCore::Text(std::string_view canonical) const {
  auto it = data_.text.find(canonical);
  return it == data_.text.end() ? std::string() : it->second;
}

std::shared_ptr<MemState> MemItemCore::Check(std::string_view member) {
  return CheckSub(kind_, member);
}

std::shared_ptr<MemState> MemItemCore::CheckSub(std::string_view prefix, std::string_view member) {
  if (gone_) throw Error("The item has been moved or deleted.");
  return CheckMember(state_, std::string(prefix) + "." + std::string(member));
}

std::string MemItemCore::EntryID() {
  Check("EntryID");
  return entry_id_;
}

std::shared_ptr<MemFolder> MemItemCore::Parent() {
  Check("Parent");
  return parent_.lock();
}

std::string MemItemCore::Property(std::string_view name) {
  std::optional<std::string_view> canonical = CanonicalPropertyName(type_, name);
  Check(canonical ? *canonical : name);
  if (!canonical) throw Error(ErrorCode::kNotSupported, kind_ + "." + std::string(name));
  return Text(*canonical);
}

void MemItemCore::SetProperty(std::string_view name, std::string_view value) {
  std::optional<std::string_view> canonical = CanonicalPropertyName(type_, name);
  Check("Set" + std::string(canonical ? *canonical : name));
  if (!canonical) throw Error(ErrorCode::kNotSupported, kind_ + "." + std::string(name));
  data_.text[std::string(*canonical)] = std::string(value);
}

std::shared_ptr<UserProperties> MemItemCore::GetUserProperties() {
  Check("UserProperties");
  return std::make_shared<MemUserProperties>(shared_from_this());
}

void MemItemCore::Store() {
  std::shared_ptr<MemState> state = LockState(state_);
  if (entry_id_.empty()) entry_id_ = state->NewEntryId();
  if (auto parent = parent_.lock()) parent->File(self());
  saved_ = data_.Clone();
}

void MemItemCore::SetUp(std::string_view name, std::string_view value) {
  std::optional<std::string_view> canonical = CanonicalPropertyName(type_, name);
  if (!canonical) throw Error(ErrorCode::kNotSupported, kind_ + "." + std::string(name));
  data_.text[std::string(*canonical)] = std::string(value);
}

void MemItemCore::Save() {
  Check("Save");
  Store();
}

void MemItemCore::Close(SaveMode mode) {
  Check("Close");
  if (mode == SaveMode::kDiscard) {
    data_ = saved_.Clone();
  } else {
    Store();
  }
}

void MemItemCore::Display(bool modal) {
  std::shared_ptr<MemState> state = Check("Display");
  state->displayed.push_back({Text(prop::kSubject), modal});
}

void MemItemCore::Send() {
  std::shared_ptr<MemState> state = Check("Send");
  if (data_.recipients.empty()) throw Error("There must be at least one recipient.");
  // A handler that sends the item again would raise the event forever.
  if (sending_) throw Error("The item is already being sent.");
  std::shared_ptr<MailItem> item = AsMailItem(self());
  sending_ = true;
  bool cancelled;
  try {
    cancelled = RaiseItemSend(state->item_send, item);
  } catch (...) {
    sending_ = false;
    throw;
  }
  sending_ = false;
  if (cancelled) {
    ++state->cancelled_sends;
    return;
  }

  MemSentMessage record;
  record.subject = Text(prop::kSubject);
  record.body = Text(prop::kBody);
  record.html_body = Text(prop::kHTMLBody);
  record.billing_information = Text(prop::kBillingInformation);
  record.message_class = Text(prop::kMessageClass);
  for (const auto& r : data_.recipients) record.recipients.push_back(r->address);
  for (const auto& a : data_.attachments) record.attachments.push_back(a->file_name);
  for (const auto& p : data_.user_properties) record.user_properties.push_back({p->name, p->value});
  record.delete_after_submit = data_.delete_after_submit;
  state->sent.push_back(std::move(record));

  data_.sent = true;
  if (auto parent = parent_.lock()) parent->Unfile(item.get());
  if (!data_.delete_after_submit) {
    auto sent_folder = state->defaults.find(DefaultFolder::kSentMail);
    if (sent_folder != state->defaults.end()) {
      auto copy = std::static_pointer_cast<MemMailItem>(
          MakeMemItem(state_, ItemType::kMail, sent_folder->second));
      copy->core()->data_ = data_.Clone();
      copy->core()->editor_ = editor_;
      copy->core()->Store();
    }
  }
  gone_ = true;
}

// MemItemBase, MemMailItem, MemContactItem

template <class Base>
std::shared_ptr<Folder> MemItemBase<Base>::Parent() {
  return core_->Parent();
}

template class MemItemBase<MailItem>;
template class MemItemBase<ContactItem>;

MemMailItem::MemMailItem(std::shared_ptr<MemItemCore> core)
    : MemItemBase<MailItem>(std::move(core)), inspector_(std::make_shared<MemInspector>(core_)) {}

std::shared_ptr<mail::Recipients> MemMailItem::Recipients() {
  core_->Check("Recipients");
  return std::make_shared<MemRecipients>(core_);
}

std::shared_ptr<mail::Attachments> MemMailItem::Attachments() {
  core_->Check("Attachments");
  return std::make_shared<MemAttachments>(core_);
}

std::shared_ptr<mail::Links> MemMailItem::Links() {
  core_->Check("Links");
  return std::make_shared<MemLinks>(core_);
}

std::shared_ptr<Inspector> MemMailItem::GetInspector() {
  core_->Check("GetInspector");
  return inspector_;
}

bool MemMailItem::DeleteAfterSubmit() {
  core_->Check("DeleteAfterSubmit");
  return core_->data().delete_after_submit;
}

void MemMailItem::SetDeleteAfterSubmit(bool value) {
  core_->Check("SetDeleteAfterSubmit");
  core_->data().delete_after_submit = value;
}

void MemMailItem::Send() { core_->Send(); }

bool MemMailItem::Sent() {
  core_->Check("Sent");
  return core_->data().sent;
}

MemContactItem::MemContactItem(std::shared_ptr<MemItemCore> core)
    : MemItemBase<ContactItem>(std::move(core)) {}

std::shared_ptr<Item> MakeMemItem(const std::weak_ptr<MemState>& state, ItemType type,
                                  const std::shared_ptr<MemFolder>& parent) {
  auto core = std::make_shared<MemItemCore>(state, type, parent);
  std::shared_ptr<Item> item;
  switch (type) {
    case ItemType::kMail:
      item = std::make_shared<MemMailItem>(core);
      break;
    case ItemType::kContact:
      item = std::make_shared<MemContactItem>(core);
      break;
    default:
      throw Error(ErrorCode::kNotSupported, "item type " + std::to_string(static_cast<int>(type)));
  }
  core->set_self(item);
  return item;
}

}  // namespace vellumo::mail
