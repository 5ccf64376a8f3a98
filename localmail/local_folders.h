// The folders and the "MAPI" namespace of the local mail client.
//
// A LocalFolder is a name path into the store ({"Personal Folders", "Inbox"}); it reads the disk
// whenever it is asked, so two folder objects for one path always agree. Items() lists the
// folder as it is now: every message of a Maildir or every card of every .vcf file of a contacts
// folder. A file that cannot be read is skipped and noted (LocalMailClient::TakeProblems), so
// one damaged file never hides the rest. EntryID is the path, hex-encoded: stable while the
// folder keeps its name. Members behave as folders.h states. Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "localmail/client_core.h"
#include "platform/mailclient/folders.h"

namespace vellumo::localmail {

class LocalFolder final : public mail::Folder, public std::enable_shared_from_this<LocalFolder> {
 public:
  LocalFolder(std::weak_ptr<ClientCore> core, FolderNames names);

  std::string Name() override;
  std::string EntryID() override;
  std::shared_ptr<mail::Folders> Folders() override;
  std::shared_ptr<mail::Items> Items() override;
  mail::ItemType DefaultItemType() override;
  std::shared_ptr<mail::Folder> Parent() override;

  const FolderNames& names() const { return names_; }
  // The folder's disk path. Error(kObjectNotSet) when the client is gone.
  std::string Path() const;
  bool Is(mail::DefaultFolder id) const;
  // A new, unsaved item of type in this folder: kMail or kContact, else Error(kNotSupported).
  std::shared_ptr<mail::Item> NewItem(mail::ItemType type);
  // The folder's items now (see the file comment).
  std::vector<std::shared_ptr<mail::Item>> LoadItems();

 private:
  std::weak_ptr<ClientCore> core_;
  FolderNames names_;
};

// The folders below a folder, or the stores (names empty).
class LocalFolders final : public mail::Folders {
 public:
  LocalFolders(std::weak_ptr<ClientCore> core, FolderNames parent);

  int Count() override;
  std::shared_ptr<mail::Folder> Item(int index) override;
  std::shared_ptr<mail::Folder> Item(std::string_view name) override;
  std::shared_ptr<mail::Folder> Add(std::string_view name, mail::ItemType type) override;

  // The sub-folder of that name (ignoring case), or nullptr.
  std::shared_ptr<LocalFolder> Find(std::string_view name);

 private:
  // Names of the folders below, in the store's order.
  std::vector<std::string> List();

  std::weak_ptr<ClientCore> core_;
  FolderNames parent_;
};

class LocalNamespace final : public mail::Namespace {
 public:
  explicit LocalNamespace(std::weak_ptr<ClientCore> core) : core_(std::move(core)) {}

  std::shared_ptr<mail::Folder> GetDefaultFolder(mail::DefaultFolder folder) override;
  std::shared_ptr<mail::Folders> Folders() override;
  std::shared_ptr<mail::Recipient> CurrentUser() override;

 private:
  std::weak_ptr<ClientCore> core_;
};

// A standard folder of the personal store.
std::shared_ptr<LocalFolder> MakeStandardFolder(const std::weak_ptr<ClientCore>& core,
                                                mail::DefaultFolder id);

// The contact with that EntryID in any contacts folder of any store, or nullptr.
std::shared_ptr<mail::Item> FindItemAnywhere(const std::shared_ptr<ClientCore>& core,
                                             std::string_view entry_id);

// Creates the folders of a new store below the core's root; existing ones are kept.
void CreateStoreLayout(ClientCore& core);

}  // namespace vellumo::localmail
