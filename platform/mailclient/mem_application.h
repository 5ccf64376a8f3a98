// MemApplication: the whole mail client in memory, for every test, example and dry run.
//
// It starts with the store "Personal Folders" (Inbox, Drafts, Outbox, Sent Items, Deleted
// Items, Contacts, Calendar, Tasks), the store "Public Folders" with "All Public Folders" and
// "Favorites", one open explorer with the bars "Menu Bar" and "Standard", version "11.0.8312",
// HTML as the editor of new mail, and the safe wrappers registered (safe_items.h).
//
// It behaves as the interfaces state (application.h, items.h, folders.h, explorer.h):
// CreateItem(kMail) makes an unsaved mail in Drafts; Send raises ItemSend and, unless a handler
// cancels, records what went out (sent()), files a copy in Sent Items (not with
// DeleteAfterSubmit) and takes the item out of its folder. Nothing reaches a network.
//
// Failures on demand: FailMember(Member::kMailItemSend, Error(...)) makes that member throw (see
// Member and FaultPlan in mem_state.h); Calls() tells how often a member was called. A planned
// failure that never fired fails the test (platform/fault_plan.h). Events
// are raised by the members that raise them in a real client (Send, Close, Execute) or by
// ShowOptionsDialog. Files: attachments and saved documents go through the FileSystem given to
// the constructor; without one nothing is read or written.
//
// Objects handed out stay valid after the application is destroyed but then fail with
// Error(kObjectNotSet). Not thread-safe.
#pragma once

#include <memory>
#include <source_location>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/mailclient/application.h"
#include "platform/mailclient/explorer_model.h"
#include "platform/mailclient/mem_folders.h"
#include "platform/mailclient/mem_items.h"
#include "platform/mailclient/mem_state.h"
#include "platform/mailclient/options_page_list.h"

namespace vellumo {
class FileSystem;
}

namespace vellumo::mail {

class MemApplication final : public Application {
 public:
  explicit MemApplication(FileSystem* fs = nullptr);
  MemApplication(const MemApplication&) = delete;
  MemApplication& operator=(const MemApplication&) = delete;

  // Application ("Application.<member>" in the failure plan).
  std::string Version() override;
  std::shared_ptr<Explorer> ActiveExplorer() override;
  std::shared_ptr<mail::Explorers> Explorers() override;
  std::shared_ptr<Item> CreateItem(ItemType type) override;
  std::shared_ptr<Namespace> GetNamespace(std::string_view type) override;
  std::shared_ptr<Object> CreateObject(std::string_view prog_id) override;
  void RegisterCreator(std::string_view prog_id, ObjectCreator create) override;
  ItemSendEvent& ItemSend() override { return state_->item_send; }
  OptionsPagesAddEvent& OptionsPagesAdd() override { return state_->options_pages_add; }

  // Set-up.
  void SetVersion(std::string version) { state_->version = std::move(version); }
  void SetWordVersion(std::string version) { state_->word_version = std::move(version); }
  // The editor of mail created from now on (kWord: IsWordMail and a word document).
  void SetDefaultEditor(EditorType editor) { state_->default_editor = editor; }
  void SetCurrentUser(std::string name, std::string address);
  // A standard folder of "Personal Folders".
  std::shared_ptr<MemFolder> StandardFolder(DefaultFolder folder) const;
  // A store's root folder by name ("Personal Folders", "Public Folders"), or nullptr.
  std::shared_ptr<MemFolder> Store(std::string_view name) const;
  // Opens another explorer (it becomes the active one).
  std::shared_ptr<ExplorerModel> OpenExplorer();
  // The open explorers, in opening order.
  const std::vector<std::shared_ptr<ExplorerModel>>& explorers() const { return state_->explorers; }
  // Builds the options dialog: raises OptionsPagesAdd and returns the pages the handlers added.
  std::shared_ptr<OptionsPageList> ShowOptionsDialog();
  // The classes CreateObject knows (Unregister a wrapper to act as if it were not installed).
  ClassTable& classes() { return state_->classes; }

  // Failures on demand.
  void FailMember(Member member, Error error, int times = -1, Firing firing = Firing::kRequired,
                  std::source_location where = std::source_location::current());
  void ClearFailure(Member member) { state_->faults.Clear(member); }
  void ClearFailures() { state_->faults.ClearAll(); }
  int Calls(Member member) const { return state_->faults.Calls(member); }

  // What happened.
  const std::vector<MemSentMessage>& sent() const { return state_->sent; }
  const std::vector<MemDisplay>& displayed() const { return state_->displayed; }
  const std::string& clipboard() const { return state_->clipboard; }
  int cancelled_sends() const { return state_->cancelled_sends; }

 private:
  std::shared_ptr<MemState> Check(std::string_view member);

  std::shared_ptr<MemState> state_;
};

}  // namespace vellumo::mail
