// Application: the mail client as the system sees it, the root of its object model.
//
// The system holds the client only through these interfaces (see items.h, folders.h,
// explorer.h). Implementations: the local client (localmail/: Maildir, vCard, SMTP) and
// MemApplication (mem_application.h: everything in memory, events raised on demand, members
// failing on demand), which every test uses. The caller owns nothing it did not create; objects
// handed out are shared.
//
// Events: ItemSend is raised by MailItem::Send before anything is transmitted; OptionsPagesAdd
// when the client builds its options dialog. Connect returns an id; a component that goes away
// disconnects its own handlers by that id.
//
// Helper components are created by programmatic identifier (CreateObject), the way the system
// names them: the safe wrappers (safe_items.h) are registered by every implementation, and a host
// registers its own components (the options page) with RegisterCreator.
//
// Every member may throw vellumo::Error. Not thread-safe: the client has one user-interface
// thread, and every call and event happens on it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mailclient/event.h"
#include "platform/mailclient/explorer.h"
#include "platform/mailclient/folders.h"
#include "platform/mailclient/items.h"
#include "platform/mailclient/object.h"

namespace vellumo::ui {
class Form;
}  // namespace vellumo::ui

namespace vellumo::mail {

// The site an options page reports to.
class PropertyPageSite : public Object {
 public:
  // The page changed its dirty state; the client enables or disables its Apply button.
  virtual void OnStatusChange() = 0;
};

// A page of the client's options dialog, supplied by a component.
class PropertyPage : public Object {
 public:
  struct PageInfo {
    std::string help_file;
    int help_context = 0;
  };
  // The tab's caption.
  virtual std::string Name() = 0;
  virtual bool Dirty() = 0;
  // Saves the page's values; afterwards Dirty() is false.
  virtual void Apply() = 0;
  virtual PageInfo GetPageInfo() = 0;
  // The client hands the page its site when it shows the page (nullptr: none).
  virtual void SetSite(std::shared_ptr<PropertyPageSite> site) = 0;
  // The page's controls, which the options dialog shows in the page's tab (options_dialog.h), or
  // nullptr when the page has none to show. The page owns the form; it lives as long as the page.
  // The dialog loads and unloads it and fires "Form"/"EnterFocus" when the tab is chosen.
  virtual ui::Form* PageForm() { return nullptr; }
};

// The pages being collected for the options dialog (the OptionsPagesAdd argument).
class OptionsPages : public Object {
 public:
  virtual int Count() = 0;
  // Adds page as a tab; title "" means the page's own Name(). A null page: Error(kInvalidCall).
  virtual void Add(std::shared_ptr<PropertyPage> page, std::string_view title) = 0;
};

// ItemSend(item, cancel): cancel starts false and is shared by the handlers; true when the raise
// ends stops the send.
using ItemSendEvent = Event<std::shared_ptr<MailItem>, bool&>;
using OptionsPagesAddEvent = Event<std::shared_ptr<OptionsPages>>;

// Makes an object for a programmatic identifier.
using ObjectCreator = std::function<std::shared_ptr<Object>()>;

class Application : public Object {
 public:
  // The client's version text; its first one or two characters give the major version
  // ("9.0.0.2711", "10.0.6626", "11.0.8312").
  virtual std::string Version() = 0;
  // The window the user works in, or nullptr when no explorer is open.
  virtual std::shared_ptr<Explorer> ActiveExplorer() = 0;
  virtual std::shared_ptr<mail::Explorers> Explorers() = 0;
  // A new, unsaved item: kMail in Drafts, kContact in Contacts. A type the client does not make:
  // Error(kNotSupported).
  virtual std::shared_ptr<Item> CreateItem(ItemType type) = 0;
  // type "MAPI" (ignoring case); another: Error(kInvalidCall, type).
  virtual std::shared_ptr<Namespace> GetNamespace(std::string_view type) = 0;

  // A new object of the class registered under prog_id (ignoring case). Unknown or unavailable:
  // Error(kCantCreateObject, prog_id); a failing creator's Error passes through.
  virtual std::shared_ptr<Object> CreateObject(std::string_view prog_id) = 0;
  // Registers (or replaces) the class for prog_id.
  virtual void RegisterCreator(std::string_view prog_id, ObjectCreator create) = 0;

  virtual ItemSendEvent& ItemSend() = 0;
  virtual OptionsPagesAddEvent& OptionsPagesAdd() = 0;

  // CreateItem(kMail) as a mail item.
  std::shared_ptr<MailItem> CreateMailItem();
};

[[noreturn]] void ThrowTypeMismatch(std::string_view what);

// CreateObject(prog_id) as T; an object of another class: Error(kTypeMismatch, prog_id).
template <class T>
std::shared_ptr<T> CreateObjectAs(Application& app, std::string_view prog_id) {
  std::shared_ptr<T> typed = std::dynamic_pointer_cast<T>(app.CreateObject(prog_id));
  if (!typed) ThrowTypeMismatch(prog_id);
  return typed;
}

// Raises ItemSend for item to every handler in connection order, the cancel flag starting false
// and shared; returns the flag as the last handler left it. For the real client and the fake.
[[nodiscard]] bool RaiseItemSend(const ItemSendEvent& event, const std::shared_ptr<MailItem>& item);

// The table behind CreateObject and RegisterCreator, for implementations to hold.
class ClassTable {
 public:
  void Register(std::string_view prog_id, ObjectCreator create);
  // Removes the class (a component that is not installed); unknown ids are ignored.
  void Unregister(std::string_view prog_id);
  bool Has(std::string_view prog_id) const;
  // As Application::CreateObject.
  std::shared_ptr<Object> Create(std::string_view prog_id) const;

 private:
  std::map<std::string, ObjectCreator> creators_;  // by folded id
};

}  // namespace vellumo::mail
