// The in-memory mail and contact items of MemApplication.
//
// An item keeps its text properties, user properties, recipients, attachments and links in
// memory. It behaves as items.h states, including the awkward parts: a new item is in no folder's
// Items until it is saved, Close(kDiscard) forgets unsaved changes, a sent item no longer
// answers. Every member checks the application's failure plan under "MailItem.<member>" or
// "ContactItem.<member>" (sub-objects: "Recipients.Add", "Attachment.SaveAsFile", ...).
// Files (attachments, saved documents) go through the application's FileSystem when it has one;
// without one, Attachments.Add keeps only the name and nothing is written.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mailclient/items.h"
#include "platform/mailclient/mem_state.h"

namespace vellumo::mail {

class MemFolder;

struct MemItemData {
  struct UserPropertyData {
    std::string name;
    UserPropertyType type;
    std::string value;
  };
  struct RecipientData {
    std::string address;
    RecipientType type = RecipientType::kTo;
  };
  struct AttachmentData {
    std::string file_name;
    std::string content;
  };
  struct LinkData {
    std::string name;
    std::weak_ptr<Item> item;
  };

  std::map<std::string, std::string, std::less<>> text;  // by table spelling
  std::vector<std::shared_ptr<UserPropertyData>> user_properties;
  std::vector<std::shared_ptr<RecipientData>> recipients;
  std::vector<std::shared_ptr<AttachmentData>> attachments;
  std::vector<std::shared_ptr<LinkData>> links;
  bool delete_after_submit = false;
  bool sent = false;

  // A deep copy: the copy's entries are not shared with this one.
  MemItemData Clone() const;
};

// What the item objects and their sub-objects share.
class MemItemCore : public std::enable_shared_from_this<MemItemCore> {
 public:
  MemItemCore(std::weak_ptr<MemState> state, ItemType type, std::shared_ptr<MemFolder> parent);

  // Checks that the item still answers and that "<Kind>.<member>" is not told to fail.
  std::shared_ptr<MemState> Check(std::string_view member);
  // Checks "<prefix>.<member>" (a sub-object's member) the same way.
  std::shared_ptr<MemState> CheckSub(std::string_view prefix, std::string_view member);

  ItemType type() const { return type_; }
  MemItemData& data() { return data_; }
  std::shared_ptr<Item> self() const { return self_.lock(); }
  void set_self(std::weak_ptr<Item> self) { self_ = std::move(self); }

  std::string EntryID();
  std::shared_ptr<MemFolder> Parent();
  std::string Property(std::string_view name);
  void SetProperty(std::string_view name, std::string_view value);
  std::shared_ptr<UserProperties> GetUserProperties();
  void Save();
  void Close(SaveMode mode);
  void Display(bool modal);
  // MailItem::Send (the core keeps what it needs to file and record the send).
  void Send();

  // Set-up without failure checks: a property by name (unknown: Error(kNotSupported)), and a
  // save.
  void SetUp(std::string_view name, std::string_view value);
  void Store();

  EditorType editor() const { return editor_; }
  void set_editor(EditorType editor) { editor_ = editor; }

 private:
  // A text property by table spelling, without checks.
  std::string Text(std::string_view canonical) const;

  std::weak_ptr<MemState> state_;
  ItemType type_;
  std::string kind_;  // "MailItem", "ContactItem"
  std::weak_ptr<Item> self_;
  std::weak_ptr<MemFolder> parent_;
  std::string entry_id_;
  MemItemData data_;
  MemItemData saved_;
  EditorType editor_;
  bool gone_ = false;     // sent: the object no longer answers
  bool sending_ = false;  // inside the ItemSend raise of this item
};

// The Item members, for both item kinds.
template <class Base>
class MemItemBase : public Base {
 public:
  std::string EntryID() override { return core_->EntryID(); }
  std::shared_ptr<Folder> Parent() override;
  std::string Property(std::string_view name) override { return core_->Property(name); }
  void SetProperty(std::string_view name, std::string_view value) override {
    core_->SetProperty(name, value);
  }
  std::shared_ptr<mail::UserProperties> UserProperties() override {
    return core_->GetUserProperties();
  }
  void Save() override { core_->Save(); }
  void Close(SaveMode mode) override { core_->Close(mode); }
  void Display(bool modal) override { core_->Display(modal); }

  const std::shared_ptr<MemItemCore>& core() const { return core_; }

 protected:
  explicit MemItemBase(std::shared_ptr<MemItemCore> core) : core_(std::move(core)) {}

  std::shared_ptr<MemItemCore> core_;
};

extern template class MemItemBase<MailItem>;
extern template class MemItemBase<ContactItem>;

class MemMailItem final : public MemItemBase<MailItem> {
 public:
  explicit MemMailItem(std::shared_ptr<MemItemCore> core);

  std::shared_ptr<mail::Recipients> Recipients() override;
  std::shared_ptr<mail::Attachments> Attachments() override;
  std::shared_ptr<mail::Links> Links() override;
  std::shared_ptr<Inspector> GetInspector() override;
  bool DeleteAfterSubmit() override;
  void SetDeleteAfterSubmit(bool value) override;
  void Send() override;
  bool Sent() override;

  // Test set-up: the editor the inspector reports (new items take the application's default).
  void SetEditorType(EditorType editor) { core_->set_editor(editor); }

 private:
  std::shared_ptr<Inspector> inspector_;
};

class MemContactItem final : public MemItemBase<ContactItem> {
 public:
  explicit MemContactItem(std::shared_ptr<MemItemCore> core);
};

// A new, unsaved item of type in parent: kMail or kContact; another type:
// Error(kNotSupported).
std::shared_ptr<Item> MakeMemItem(const std::weak_ptr<MemState>& state, ItemType type,
                                  const std::shared_ptr<MemFolder>& parent);

}  // namespace vellumo::mail
