// Items of the mail client: the mail item, the contact item and what hangs off them (recipients,
// attachments, user properties, links, the inspector and its word-editor document).
//
// Objects are shared (std::shared_ptr) and live as long as someone holds them; two references to
// the same stored item may be the same object or not, so compare EntryID, not pointers.
// Text properties go through one pair of virtual members, Property and SetProperty, addressed by
// the mail client's property names (case-insensitive); the classic getter and setter pairs
// (Subject()/SetSubject(), Body(), HTMLBody(), BillingInformation(), ...) are spelled out below
// over them, so an implementation (the local client, the fake, the safe wrappers) provides each
// text property once and Restrict and Sort read them by the same names.
//
// Every member may throw vellumo::Error. An item that has been sent no longer answers: every
// member of it throws Error("The item has been moved or deleted.") (the copy filed in Sent Items
// is a different object). Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/mailclient/object.h"

namespace vellumo::mail {

class Folder;
class Item;

// Property names, as the mail client spells them.
namespace prop {
inline constexpr std::string_view kMessageClass = "MessageClass";
inline constexpr std::string_view kSubject = "Subject";
inline constexpr std::string_view kBody = "Body";
inline constexpr std::string_view kBillingInformation = "BillingInformation";
inline constexpr std::string_view kCategories = "Categories";
inline constexpr std::string_view kHTMLBody = "HTMLBody";
// The message's header block as it came in (read-only where the client keeps real messages).
inline constexpr std::string_view kInternetHeaders = "InternetHeaders";
inline constexpr std::string_view kFullName = "FullName";
inline constexpr std::string_view kFirstName = "FirstName";
inline constexpr std::string_view kLastName = "LastName";
inline constexpr std::string_view kTitle = "Title";
inline constexpr std::string_view kCompanyName = "CompanyName";
inline constexpr std::string_view kEmail1Address = "Email1Address";
inline constexpr std::string_view kAccount = "Account";
inline constexpr std::string_view kBusinessAddressCity = "BusinessAddressCity";
inline constexpr std::string_view kOrganizationalIDNumber = "OrganizationalIDNumber";
inline constexpr std::string_view kCustomerID = "CustomerID";
inline constexpr std::string_view kUser1 = "User1";
inline constexpr std::string_view kUser2 = "User2";
inline constexpr std::string_view kUser3 = "User3";
inline constexpr std::string_view kUser4 = "User4";
}  // namespace prop

// The text properties every item answers.
inline constexpr std::string_view kItemTextProperties[] = {
    prop::kMessageClass, prop::kSubject, prop::kBody, prop::kBillingInformation, prop::kCategories};
// Those a mail item adds.
inline constexpr std::string_view kMailTextProperties[] = {prop::kHTMLBody, prop::kInternetHeaders};
// Those a contact item adds.
inline constexpr std::string_view kContactTextProperties[] = {prop::kFullName,
                                                              prop::kFirstName,
                                                              prop::kLastName,
                                                              prop::kTitle,
                                                              prop::kCompanyName,
                                                              prop::kEmail1Address,
                                                              prop::kAccount,
                                                              prop::kBusinessAddressCity,
                                                              prop::kOrganizationalIDNumber,
                                                              prop::kCustomerID,
                                                              prop::kUser1,
                                                              prop::kUser2,
                                                              prop::kUser3,
                                                              prop::kUser4};

// Message classes the system meets.
inline constexpr std::string_view kMessageClassNote = "IPM.Note";
inline constexpr std::string_view kMessageClassContact = "IPM.Contact";

class UserProperty : public Object {
 public:
  virtual std::string Name() = 0;
  virtual UserPropertyType Type() = 0;
  // The value as text ("" for a new property).
  virtual std::string Value() = 0;
  // Kept with the item when the item is saved.
  virtual void SetValue(std::string_view value) = 0;
};

// The item's own named properties, in the order they were added.
class UserProperties : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<UserProperty> Item(int index) = 0;
  // The property of that name (ignoring case), or nullptr.
  virtual std::shared_ptr<UserProperty> Find(std::string_view name) = 0;
  // Adds an empty property at the end and returns it. A property of that name (ignoring case)
  // already on the item is returned as it is. An empty name: Error(kInvalidCall).
  virtual std::shared_ptr<UserProperty> Add(std::string_view name, UserPropertyType type) = 0;
  virtual void Remove(int index) = 0;
};

class Recipient : public Object {
 public:
  // The display name; for a recipient added by address, the address as given.
  virtual std::string Name() = 0;
  // The address: an Internet address ("a@b.example") or a mail-server address without "@".
  virtual std::string Address() = 0;
  virtual RecipientType Type() = 0;
  virtual void SetType(RecipientType type) = 0;
};

class Recipients : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<Recipient> Item(int index) = 0;
  // Adds a To recipient with the address as given (name = address). Empty or blank address:
  // Error(kInvalidCall).
  virtual std::shared_ptr<Recipient> Add(std::string_view address) = 0;
  virtual void Remove(int index) = 0;
};

class Attachment : public Object {
 public:
  // The file's name without its folder ("report.txt").
  virtual std::string FileName() = 0;
  virtual std::string DisplayName() = 0;
  // Writes the attachment's content to path (created or replaced) through the client's file
  // system; its failures (kPathNotFound, kPermissionDenied, ...) pass through.
  virtual void SaveAsFile(std::string_view path) = 0;
};

class Attachments : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<Attachment> Item(int index) = 0;
  // Attaches a copy of the file at path (Windows-style or native), read now: a missing file
  // throws kFileNotFound and attaches nothing.
  virtual std::shared_ptr<Attachment> Add(std::string_view path) = 0;
  virtual void Remove(int index) = 0;
};

// A link from a mail to another item (a mail created from a contact links that contact).
class Link : public Object {
 public:
  virtual std::string Name() = 0;
  // The linked item, or nullptr when it no longer exists.
  virtual std::shared_ptr<mail::Item> Item() = 0;
};

class Links : public Object {
 public:
  virtual int Count() = 0;
  // index from 1; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<Link> Item(int index) = 0;
  // Links item (saved, so it has an EntryID; else Error(kInvalidCall)).
  virtual std::shared_ptr<Link> Add(std::shared_ptr<mail::Item> item) = 0;
};

// The document of the word editor, when it is the mail editor.
class WordDocument : public Object {
 public:
  // The document's text.
  virtual std::string Content() = 0;
  // Puts the content on the clipboard.
  virtual void Copy() = 0;
  // The word processor's version text ("9.0", "10.0", "11.0").
  virtual std::string ApplicationVersion() = 0;
  // Saves the document as HTML at path: format kWordFormatHtml (8) or kWordFormatFilteredHtml
  // (10); another format: Error(kInvalidCall). File failures pass through.
  virtual void SaveAs(std::string_view path, int format) = 0;
};

// The window a mail item is edited in.
class Inspector : public Object {
 public:
  virtual mail::EditorType EditorType() = 0;
  // True when the word editor edits the item (then EditorType() is kWord).
  virtual bool IsWordMail() = 0;
  // The word editor's document, or nullptr when IsWordMail() is false.
  virtual std::shared_ptr<WordDocument> WordEditor() = 0;
};

// Anything a folder holds.
class Item : public Object {
 public:
  virtual ItemType Type() = 0;
  // The store's id for the item; "" until it is first saved.
  virtual std::string EntryID() = 0;
  // The folder that holds the item; for a new item, the folder it will be saved in.
  virtual std::shared_ptr<Folder> Parent() = 0;

  // A text property by name, ignoring case: one of kItemTextProperties or of the item type's
  // list; "" when never set. Another name: Error(kNotSupported, name).
  virtual std::string Property(std::string_view name) = 0;
  // Sets a text property (kept in memory until Save). Unknown name: Error(kNotSupported, name).
  virtual void SetProperty(std::string_view name, std::string_view value) = 0;

  virtual std::shared_ptr<mail::UserProperties> UserProperties() = 0;

  // Stores the item in its folder (the first save gives it its EntryID).
  virtual void Save() = 0;
  // kSave saves; kDiscard forgets the changes since the last save; kPromptForSave saves.
  virtual void Close(SaveMode mode) = 0;
  // Shows the item to the user (modal: waits until it is closed).
  virtual void Display(bool modal) = 0;

  std::string MessageClass() { return Property(prop::kMessageClass); }
  void SetMessageClass(std::string_view v) { SetProperty(prop::kMessageClass, v); }
  std::string Subject() { return Property(prop::kSubject); }
  void SetSubject(std::string_view v) { SetProperty(prop::kSubject, v); }
  // The plain-text body. Body and HTMLBody are kept as set: setting one never rewrites the other.
  std::string Body() { return Property(prop::kBody); }
  void SetBody(std::string_view v) { SetProperty(prop::kBody, v); }
  // Free text kept with the item; the system's marks live here.
  std::string BillingInformation() { return Property(prop::kBillingInformation); }
  void SetBillingInformation(std::string_view v) { SetProperty(prop::kBillingInformation, v); }
  // A list joined with ", ".
  std::string Categories() { return Property(prop::kCategories); }
  void SetCategories(std::string_view v) { SetProperty(prop::kCategories, v); }
};

class MailItem : public Item {
 public:
  ItemType Type() override { return ItemType::kMail; }

  virtual std::shared_ptr<mail::Recipients> Recipients() = 0;
  virtual std::shared_ptr<mail::Attachments> Attachments() = 0;
  virtual std::shared_ptr<mail::Links> Links() = 0;
  // The item's inspector (the same object on every call for one item object).
  virtual std::shared_ptr<Inspector> GetInspector() = 0;

  // When set, a sent item is not filed in Sent Items.
  virtual bool DeleteAfterSubmit() = 0;
  virtual void SetDeleteAfterSubmit(bool value) = 0;

  // Submits the item. The client raises Application::ItemSend first, then checks and transmits:
  // - no recipient: Error, nothing raised, nothing sent;
  // - a handler cancelled: the call returns normally, the item stays as it is, unsent;
  // - otherwise the item is transmitted and filed in Sent Items (not at all with
  //   DeleteAfterSubmit), after which this object no longer answers (see the file comment).
  // A handler's escaping exception passes through and nothing is sent.
  virtual void Send() = 0;
  // True once the item has been submitted (also for received and filed sent items).
  virtual bool Sent() = 0;

  std::string HTMLBody() { return Property(prop::kHTMLBody); }
  void SetHTMLBody(std::string_view v) { SetProperty(prop::kHTMLBody, v); }
};

class ContactItem : public Item {
 public:
  ItemType Type() override { return ItemType::kContact; }

  std::string FullName() { return Property(prop::kFullName); }
  void SetFullName(std::string_view v) { SetProperty(prop::kFullName, v); }
  std::string FirstName() { return Property(prop::kFirstName); }
  void SetFirstName(std::string_view v) { SetProperty(prop::kFirstName, v); }
  std::string LastName() { return Property(prop::kLastName); }
  void SetLastName(std::string_view v) { SetProperty(prop::kLastName, v); }
  std::string Title() { return Property(prop::kTitle); }
  void SetTitle(std::string_view v) { SetProperty(prop::kTitle, v); }
  std::string CompanyName() { return Property(prop::kCompanyName); }
  void SetCompanyName(std::string_view v) { SetProperty(prop::kCompanyName, v); }
  std::string Email1Address() { return Property(prop::kEmail1Address); }
  void SetEmail1Address(std::string_view v) { SetProperty(prop::kEmail1Address, v); }
  std::string Account() { return Property(prop::kAccount); }
  void SetAccount(std::string_view v) { SetProperty(prop::kAccount, v); }
  std::string BusinessAddressCity() { return Property(prop::kBusinessAddressCity); }
  void SetBusinessAddressCity(std::string_view v) { SetProperty(prop::kBusinessAddressCity, v); }
  std::string OrganizationalIDNumber() { return Property(prop::kOrganizationalIDNumber); }
  void SetOrganizationalIDNumber(std::string_view v) {
    SetProperty(prop::kOrganizationalIDNumber, v);
  }
  std::string CustomerID() { return Property(prop::kCustomerID); }
  void SetCustomerID(std::string_view v) { SetProperty(prop::kCustomerID, v); }
  std::string User1() { return Property(prop::kUser1); }
  void SetUser1(std::string_view v) { SetProperty(prop::kUser1, v); }
  std::string User2() { return Property(prop::kUser2); }
  void SetUser2(std::string_view v) { SetProperty(prop::kUser2, v); }
  std::string User3() { return Property(prop::kUser3); }
  void SetUser3(std::string_view v) { SetProperty(prop::kUser3, v); }
  std::string User4() { return Property(prop::kUser4); }
  void SetUser4(std::string_view v) { SetProperty(prop::kUser4, v); }
};

// The item as a mail or contact item, or nullptr when it is something else (or null).
inline std::shared_ptr<MailItem> AsMailItem(const std::shared_ptr<Item>& item) {
  return std::dynamic_pointer_cast<MailItem>(item);
}
inline std::shared_ptr<ContactItem> AsContactItem(const std::shared_ptr<Item>& item) {
  return std::dynamic_pointer_cast<ContactItem>(item);
}

}  // namespace vellumo::mail
