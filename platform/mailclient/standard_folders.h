// The user's standard folders: one table that every implementation of the object model builds
// its default store from, so Namespace::GetDefaultFolder knows the same folders everywhere.
#pragma once

#include <string_view>

#include "platform/mailclient/object.h"

namespace vellumo::mail {

struct StandardFolderInfo {
  DefaultFolder id;
  std::string_view name;  // the folder's name in the personal store
  ItemType type;          // what it holds (Folder::DefaultItemType)
};

// In the order a new store creates them.
inline constexpr StandardFolderInfo kStandardFolders[] = {
    {DefaultFolder::kDeletedItems, "Deleted Items", ItemType::kMail},
    {DefaultFolder::kInbox, "Inbox", ItemType::kMail},
    {DefaultFolder::kOutbox, "Outbox", ItemType::kMail},
    {DefaultFolder::kSentMail, "Sent Items", ItemType::kMail},
    {DefaultFolder::kDrafts, "Drafts", ItemType::kMail},
    {DefaultFolder::kCalendar, "Calendar", ItemType::kAppointment},
    {DefaultFolder::kContacts, "Contacts", ItemType::kContact},
    {DefaultFolder::kTasks, "Tasks", ItemType::kTask},
};

// The row of a standard folder, or nullptr for one no store here keeps (Journal, Notes).
constexpr const StandardFolderInfo* FindStandardFolder(DefaultFolder id) {
  for (const StandardFolderInfo& info : kStandardFolders) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

}  // namespace vellumo::mail
