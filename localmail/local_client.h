// LocalMailClient: the mail client of this machine, behind the object model of
// platform/mailclient (application.h).
//
// The store lives below one folder (normally $VELLUMO_HOME/mail):
//   Personal Folders/            the default store
//     Inbox/ Drafts/ Outbox/ Sent Items/ Deleted Items/   Maildir folders (see maildir.h)
//     Contacts/                  one vCard file per contact (several cards per file are read)
//     Calendar/ Tasks/           hold no items yet; a marker file names their kind
//     any folder/sub folder/...  user folders at any depth; a folder of .vcf files is a
//                                contacts folder, a Maildir a mail folder
//   Public Folders/All Public Folders/...
// Open creates what is missing. A mail item is a MIME message (local_mail_item.h), a contact a
// vCard (local_contact_item.h).
//
// Sending (MailItem::Send): ItemSend is raised to every connected handler; when one cancels,
// the item stays where it is. Otherwise the message moves to the Outbox, goes out through the
// transport of the client's settings (client_config.h) and is filed in Sent Items (deleted with
// DeleteAfterSubmit). When the transport fails, the message stays in the Outbox with the reason
// in its X-Vellumo-Send-Error header, and Send throws QueuedError; FlushOutbox tries again.
// Nothing is ever dropped: a message is always written to its next place before it leaves the
// last one.
//
// Components (the add-in) connect to ItemSend() before anything is sent; the program that opens
// the client connects them. The safe wrappers are registered with CreateObject. The client has
// one explorer while it runs (command bars kept as a model, as in the in-memory client).
//
// Objects handed out fail with Error(kObjectNotSet) once the client is gone. Not thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "localmail/transport.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/options_page_list.h"

namespace vellumo {
class Clock;
class FileSystem;
class Processes;
class Registry;
class SystemInfo;
}  // namespace vellumo

namespace vellumo::localmail {

class ClientCore;
class LocalMailItem;

// What the client runs on. The references must outlive the client.
struct LocalMailDeps {
  FileSystem& fs;
  Registry& registry;  // the client's settings (client_config.h)
  Processes& processes;
  Clock& clock;
  SystemInfo& system;
  // The folder that holds the stores (created when missing).
  std::string mail_root;
  // 32 random hexadecimal digits, for unique names and contact ids; empty: the system's random
  // source. Tests give a counter.
  std::function<std::string()> random_hex;
  // Makes the transport for the settings; empty: MakeTransport (transport.h), which has no SMTP.
  std::function<std::unique_ptr<Transport>(const TransportConfig&)> make_transport;
  // Microseconds since 1970, for the order of the Outbox; empty: the clock's seconds.
  std::function<int64_t()> queue_time;
  // This process as named in the claims it makes on queued messages ("<pid>.<start time>", no
  // ':', ',' or '/'); empty: "0".
  std::function<std::string()> claim_tag;
  // Whether the process a claim names still runs; empty: every claim is held.
  std::function<bool(std::string_view claim)> claim_alive;
};

// Send failed in the transport: the message is kept in the Outbox. reason() is the transport's
// explanation; description() says the message is queued and why.
class QueuedError : public Error {
 public:
  explicit QueuedError(std::string reason);
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// Standard names of the store.
inline constexpr std::string_view kPersonalFolders = "Personal Folders";
inline constexpr std::string_view kPublicFolders = "Public Folders";
inline constexpr std::string_view kAllPublicFolders = "All Public Folders";

class LocalMailClient final : public mail::Application {
 public:
  // Opens the store below deps.mail_root, creating the standard folders that are missing.
  // Throws the FileSystem's Error when it cannot.
  [[nodiscard]] static std::shared_ptr<LocalMailClient> Open(LocalMailDeps deps);
  ~LocalMailClient() override;
  LocalMailClient(const LocalMailClient&) = delete;
  LocalMailClient& operator=(const LocalMailClient&) = delete;

  // Application.
  std::string Version() override;
  std::shared_ptr<mail::Explorer> ActiveExplorer() override;
  std::shared_ptr<mail::Explorers> Explorers() override;
  std::shared_ptr<mail::Item> CreateItem(mail::ItemType type) override;
  std::shared_ptr<mail::Namespace> GetNamespace(std::string_view type) override;
  std::shared_ptr<mail::Object> CreateObject(std::string_view prog_id) override;
  void RegisterCreator(std::string_view prog_id, mail::ObjectCreator create) override;
  mail::ItemSendEvent& ItemSend() override;
  mail::OptionsPagesAddEvent& OptionsPagesAdd() override;

  // A message in bytes as a new, unsaved mail item in Drafts, as if the user had written it
  // (unsent). Not a message: Error naming name_for_errors; nothing is stored.
  std::shared_ptr<LocalMailItem> ImportMessage(std::string_view bytes,
                                               std::string_view name_for_errors);

  struct OutboxResult {
    std::string entry_id;
    std::string subject;
    bool sent = false;
    std::string reason;  // why it is still queued
  };
  // Tries every message in the Outbox again, oldest first (by queue time, then name); ItemSend
  // is not raised again: they were submitted already. Each is claimed by a rename first, so two
  // flushes at once send each message once: one another process holds (or has already sent)
  // is skipped, and a claim of a process that died is released and the message sent. A message
  // marked transmitted is only filed. Sent ones are filed as Send files them.
  std::vector<OutboxResult> FlushOutbox();

  // A folder by path: its names separated by '/' or '\'. The first name may be a store's
  // ("Public Folders/All Public Folders"); otherwise the path starts in the personal store
  // ("Inbox/Projects"). Names ignore case. None: Error(kPathNotFound, path).
  std::shared_ptr<mail::Folder> FindFolder(std::string_view path);
  // The item of folder with that EntryID, or nullptr.
  std::shared_ptr<mail::Item> FindItem(mail::Folder& folder, std::string_view entry_id);

  // Files that could not be read while folders were listed ("<path>: <why>"), since the last
  // call; the listing skips them.
  std::vector<std::string> TakeProblems();

  // Builds the options dialog: raises OptionsPagesAdd and returns the pages handlers added.
  std::shared_ptr<mail::OptionsPageList> ShowOptionsDialog();
  // What WordDocument::Copy put on the client's clipboard.
  std::string clipboard() const;
  // Closes the explorer (raising its close event): the client is shutting down.
  void CloseExplorers();

 private:
  explicit LocalMailClient(std::shared_ptr<ClientCore> core);
  std::shared_ptr<ClientCore> core_;
};

}  // namespace vellumo::localmail
