// ClientCore: what every object of the local mail client shares: the platform, the client's
// events and class table, the transport, and the names of the store. Objects hold it weakly
// (LockCore) so they fail cleanly once the client is gone. Internal to localmail/.
// Not thread-safe.
#pragma once

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "localmail/client_config.h"
#include "localmail/local_client.h"
#include "localmail/transport.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/explorer_model.h"
#include "platform/mailclient/standard_folders.h"

namespace vellumo::localmail {

// A file in a contacts folder that marks it as one while it holds no card yet.
inline constexpr std::string_view kContactsMarker = ".vellumo-contacts";

// Folders of items the client keeps no files for yet (appointments, tasks): a plain folder that a
// marker file names the kind of, so the folder lists with its kind and stays empty.
struct KindMarker {
  mail::ItemType type;
  std::string_view file;
};
inline constexpr KindMarker kKindMarkers[] = {
    {mail::ItemType::kAppointment, ".vellumo-calendar"},
    {mail::ItemType::kTask, ".vellumo-tasks"},
};

// The names of a folder from the top: {"Personal Folders", "Inbox", "Projects"}.
using FolderNames = std::vector<std::string>;

class ClientCore {
 public:
  explicit ClientCore(LocalMailDeps deps);

  FileSystem& fs() { return deps_.fs; }
  Registry& registry() { return deps_.registry; }
  Processes& processes() { return deps_.processes; }
  Clock& clock() { return deps_.clock; }
  SystemInfo& system() { return deps_.system; }
  const std::string& root() const { return deps_.mail_root; }

  // The settings, read now (they may change while the client runs).
  ClientConfig Config();
  // Hands the message to the transport of the current settings; one transport object serves
  // while the settings stay the same, so its connection is reused.
  void Transmit(const Envelope& envelope, std::string_view message);

  // See LocalMailDeps.
  int64_t QueueTime();
  std::string ClaimTag();
  bool ClaimAlive(std::string_view claim);

  // A new Maildir unique name ("<seconds>.<random>.<host>") and a new contact id (a UUID).
  std::string NewUnique();
  std::string NewUid();

  // The disk path of a folder.
  std::string FolderPath(const FolderNames& names) const;
  // The names of a standard folder of the personal store.
  static FolderNames StandardNames(mail::DefaultFolder id);
  // The ItemType a folder holds, judged from the disk.
  mail::ItemType FolderType(const FolderNames& names);
  // Creates the folder at names for items of type: a Maildir for mail (and any type the client
  // has no marker for), a marked folder for contacts, appointments and tasks.
  void CreateFolderFor(const FolderNames& names, mail::ItemType type);

  // Writes bytes to a file below the store for the desktop to show, and opens it there. With
  // keep_earlier a file of that name already there is kept and the next free "NAME-2.eml", ...
  // is taken (name ends in ".eml").
  void ShowFile(std::string_view name, std::string_view bytes, bool keep_earlier = false);

  void NoteProblem(std::string problem) { problems_.push_back(std::move(problem)); }
  std::vector<std::string> TakeProblems() { return std::exchange(problems_, {}); }

  mail::ItemSendEvent item_send;
  mail::OptionsPagesAddEvent options_pages_add;
  mail::ClassTable classes;
  std::vector<std::shared_ptr<mail::ExplorerModel>> explorers;
  std::string clipboard;

 private:
  std::string RandomHex();

  LocalMailDeps deps_;
  std::optional<std::mt19937_64> random_;
  std::optional<TransportConfig> transport_config_;
  std::unique_ptr<Transport> transport_;
  std::vector<std::string> problems_;
};

// The core, or Error(kObjectNotSet) when the client is gone.
std::shared_ptr<ClientCore> LockCore(const std::weak_ptr<ClientCore>& core);

// Names compare ignoring case.
bool SameFolder(const FolderNames& a, const FolderNames& b);

}  // namespace vellumo::localmail
