#include "platform/mailclient/mem_application.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"
#include "platform/mailclient/safe_items.h"
#include "platform/mailclient/standard_folders.h"

namespace vellumo::mail {

MemApplication::MemApplication(FileSystem* fs) : state_(std::make_shared<MemState>()) {
  state_->fs = fs;
  std::weak_ptr<MemState> weak = state_;

  state_->stores = std::make_shared<MemFolder>(weak, "", ItemType::kMail, nullptr, true);
  auto personal = state_->stores->AddFolder("Personal Folders", ItemType::kMail);
  for (const StandardFolderInfo& standard : kStandardFolders) {
    state_->defaults[standard.id] = personal->AddFolder(standard.name, standard.type);
  }
  auto public_store = state_->stores->AddFolder("Public Folders", ItemType::kMail);
  public_store->AddFolder("Favorites", ItemType::kMail);
  public_store->AddFolder("All Public Folders", ItemType::kMail);

  RegisterSafeObjects(
      state_->classes,
      [weak]() -> std::shared_ptr<Recipient> { return MemNamespace(weak).CurrentUser(); },
      MakeHook(weak));
  OpenExplorer();
}

std::shared_ptr<MemState> MemApplication::Check(std::string_view member) {
  state_->faults.Check("Application." + std::string(member));
  return state_;
}

std::string MemApplication::Version() { return Check("Version")->version; }

std::shared_ptr<Explorer> MemApplication::ActiveExplorer() {
  Check("ActiveExplorer");
  if (state_->explorers.empty()) return nullptr;
  return state_->explorers.back();
}

std::shared_ptr<mail::Explorers> MemApplication::Explorers() {
  Check("Explorers");
  std::weak_ptr<MemState> weak = state_;
  return std::make_shared<ExplorersModel>(MakeHook(weak), [weak] {
    std::vector<std::shared_ptr<Explorer>> list;
    for (const auto& explorer : LockState(weak)->explorers) list.push_back(explorer);
    return list;
  });
}

std::shared_ptr<Item> MemApplication::CreateItem(ItemType type) {
  Check("CreateItem");
  switch (type) {
    case ItemType::kMail:
      return MakeMemItem(state_, type, StandardFolder(DefaultFolder::kDrafts));
    case ItemType::kContact:
      return MakeMemItem(state_, type, StandardFolder(DefaultFolder::kContacts));
    default:
      throw Error(ErrorCode::kNotSupported,
                  "CreateItem(" + std::to_string(static_cast<int>(type)) + ")");
  }
}

std::shared_ptr<Namespace> MemApplication::GetNamespace(std::string_view type) {
  Check("GetNamespace");
  if (!text::EqualsText(type, "MAPI")) throw Error(ErrorCode::kInvalidCall, std::string(type));
  return std::make_shared<MemNamespace>(state_);
}

std::shared_ptr<Object> MemApplication::CreateObject(std::string_view prog_id) {
  Check("CreateObject");
  return state_->classes.Create(prog_id);
}

void MemApplication::RegisterCreator(std::string_view prog_id, ObjectCreator create) {
  Check("RegisterCreator");
  state_->classes.Register(prog_id, std::move(create));
}

void MemApplication::SetCurrentUser(std::string name, std::string address) {
  state_->user_name = std::move(name);
  state_->user_address = std::move(address);
}

std::shared_ptr<MemFolder> MemApplication::StandardFolder(DefaultFolder folder) const {
  auto it = state_->defaults.find(folder);
  return it == state_->defaults.end() ? nullptr : it->second;
}

std::shared_ptr<MemFolder> MemApplication::Store(std::string_view name) const {
  return state_->stores->SubFolder(name);
}

std::shared_ptr<ExplorerModel> MemApplication::OpenExplorer() {
  std::weak_ptr<MemState> weak = state_;
  auto explorer = std::make_shared<ExplorerModel>(MakeHook(weak), [weak](ExplorerModel& closed) {
    if (auto state = weak.lock()) {
      std::erase_if(state->explorers,
                    [&closed](const auto& held) { return held.get() == &closed; });
    }
  });
  state_->explorers.push_back(explorer);
  return explorer;
}

std::shared_ptr<OptionsPageList> MemApplication::ShowOptionsDialog() {
  auto pages = std::make_shared<OptionsPageList>();
  state_->options_pages_add.Raise(pages);
  return pages;
}

void MemApplication::FailMember(Member member, Error error, int times, Firing firing,
                                std::source_location where) {
  state_->faults.Fail(member, std::move(error), times, firing, where);
}

}  // namespace vellumo::mail
