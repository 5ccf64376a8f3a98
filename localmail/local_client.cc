#include "localmail/local_client.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/client_core.h"
#include "localmail/local_folders.h"
#include "localmail/local_mail_item.h"
#include "localmail/maildir.h"
#include "platform/file_system.h"
#include "platform/mailclient/safe_items.h"

namespace vellumo::localmail {
namespace {

void OpenExplorer(const std::shared_ptr<ClientCore>& core) {
  std::weak_ptr<ClientCore> weak = core;
  auto explorer = std::make_shared<mail::ExplorerModel>(
      mail::MemberHook{}, [weak](mail::ExplorerModel& closed) {
        if (auto c = weak.lock()) {
          std::erase_if(c->explorers, [&](const auto& held) { return held.get() == &closed; });
        }
      });
  core->explorers.push_back(std::move(explorer));
}

struct QueuedMessage {
  Maildir::Message message;
  int64_t queued = 0;
};

// The X-Vellumo-Queued value of a stored message, read from its header block without parsing
// the whole message; 0 when absent (queued by an older version).
int64_t QueuedTime(std::string_view bytes) {
  const size_t head_end = std::min(bytes.find("\n\r\n"), bytes.find("\n\n"));
  const std::string_view head = bytes.substr(0, head_end);
  const std::string field = "\nX-Vellumo-" + std::string(header::kQueued) + ":";
  const size_t at = head.find(field);
  if (at == std::string_view::npos) return 0;
  int64_t value = 0;
  for (size_t i = at + field.size(); i < head.size(); ++i) {
    const char c = head[i];
    if (c == ' ' || c == '\t') continue;
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Oldest first: by the time each entered the Outbox, then by name. A file that cannot be read
// is left to the flush itself to report.
std::vector<QueuedMessage> QueueOrder(ClientCore& core, std::vector<Maildir::Message> messages) {
  std::vector<QueuedMessage> queue;
  for (Maildir::Message& message : messages) {
    int64_t queued = 0;
    try {
      queued = QueuedTime(core.fs().ReadFile(message.path));
    } catch (const Error&) {  // ignore: gone or unreadable; the claim or the load says so
    }
    queue.push_back({std::move(message), queued});
  }
  std::stable_sort(queue.begin(), queue.end(), [](const QueuedMessage& a, const QueuedMessage& b) {
    return a.queued != b.queued ? a.queued < b.queued : a.message.unique < b.message.unique;
  });
  return queue;
}

// A message this flush claimed but could not even read: others may try it later.
void ReleaseAfterFailure(ClientCore& core, Maildir& box, const std::string& path) {
  try {
    (void)box.Release(path);
  } catch (const Error& e) {
    core.NoteProblem(path + ": could not release the claim on the message: " + e.what());
  }
}

}  // namespace

LocalMailClient::LocalMailClient(std::shared_ptr<ClientCore> core) : core_(std::move(core)) {}

LocalMailClient::~LocalMailClient() = default;

std::shared_ptr<LocalMailClient> LocalMailClient::Open(LocalMailDeps deps) {
  auto core = std::make_shared<ClientCore>(std::move(deps));
  core->fs().CreateFolder(core->root());
  CreateStoreLayout(*core);
  std::weak_ptr<ClientCore> weak = core;
  mail::RegisterSafeObjects(core->classes, [weak]() -> std::shared_ptr<mail::Recipient> {
    return LocalNamespace(weak).CurrentUser();
  });
  OpenExplorer(core);
  return std::shared_ptr<LocalMailClient>(new LocalMailClient(std::move(core)));
}

std::string LocalMailClient::Version() { return core_->Config().version; }

std::shared_ptr<mail::Explorer> LocalMailClient::ActiveExplorer() {
  if (core_->explorers.empty()) return nullptr;
  return core_->explorers.back();
}

std::shared_ptr<mail::Explorers> LocalMailClient::Explorers() {
  std::weak_ptr<ClientCore> weak = core_;
  return std::make_shared<mail::ExplorersModel>(mail::MemberHook{}, [weak] {
    std::vector<std::shared_ptr<mail::Explorer>> list;
    for (const auto& explorer : LockCore(weak)->explorers) list.push_back(explorer);
    return list;
  });
}

std::shared_ptr<mail::Item> LocalMailClient::CreateItem(mail::ItemType type) {
  switch (type) {
    case mail::ItemType::kMail:
      return MakeStandardFolder(core_, mail::DefaultFolder::kDrafts)->NewItem(type);
    case mail::ItemType::kContact:
      return MakeStandardFolder(core_, mail::DefaultFolder::kContacts)->NewItem(type);
    default:
      throw Error(ErrorCode::kNotSupported,
                  "CreateItem(" + std::to_string(static_cast<int>(type)) + ")");
  }
}

std::shared_ptr<mail::Namespace> LocalMailClient::GetNamespace(std::string_view type) {
  if (!text::EqualsText(type, "MAPI")) throw Error(ErrorCode::kInvalidCall, std::string(type));
  return std::make_shared<LocalNamespace>(core_);
}

std::shared_ptr<mail::Object> LocalMailClient::CreateObject(std::string_view prog_id) {
  return core_->classes.Create(prog_id);
}

void LocalMailClient::RegisterCreator(std::string_view prog_id, mail::ObjectCreator create) {
  core_->classes.Register(prog_id, std::move(create));
}

mail::ItemSendEvent& LocalMailClient::ItemSend() { return core_->item_send; }

mail::OptionsPagesAddEvent& LocalMailClient::OptionsPagesAdd() { return core_->options_pages_add; }

std::shared_ptr<LocalMailItem> LocalMailClient::ImportMessage(std::string_view bytes,
                                                              std::string_view name_for_errors) {
  return LocalMailItem::Import(core_, MakeStandardFolder(core_, mail::DefaultFolder::kDrafts),
                               bytes, name_for_errors);
}

std::vector<LocalMailClient::OutboxResult> LocalMailClient::FlushOutbox() {
  std::vector<OutboxResult> results;
  std::shared_ptr<LocalFolder> outbox = MakeStandardFolder(core_, mail::DefaultFolder::kOutbox);
  Maildir box(core_->fs(), outbox->Path());
  box.RemoveStaleTemporaries();
  for (const QueuedMessage& queued : QueueOrder(*core_, box.List())) {
    OutboxResult result;
    result.entry_id = queued.message.unique;
    std::optional<std::string> path = queued.message.path;
    try {
      if (!queued.message.claim.empty() && queued.message.claim != core_->ClaimTag()) {
        if (core_->ClaimAlive(queued.message.claim)) continue;  // that process sends it
        path = box.Release(*path);                              // its sender died
      }
      // Gone meanwhile, or claimed by another flush first: that one sends it.
      if (path) path = box.Claim(*path, core_->ClaimTag());
    } catch (const Error& e) {
      result.reason = e.what();
      results.push_back(std::move(result));
      continue;
    }
    if (!path) continue;
    try {
      auto message = LocalMailItem::Load(core_, outbox, queued.message.unique, *path,
                                         core_->fs().ReadFile(*path));
      result.subject = message->Subject();
      message->Retransmit();
      result.sent = true;
    } catch (const QueuedError& e) {
      result.reason = e.reason();
    } catch (const Error& e) {
      result.reason = e.what();
      ReleaseAfterFailure(*core_, box, *path);
    }
    results.push_back(std::move(result));
  }
  return results;
}

std::shared_ptr<mail::Folder> LocalMailClient::FindFolder(std::string_view path) {
  std::vector<std::string> parts;
  for (const std::string& part : text::Split(text::Replace(path, "\\", "/"), "/")) {
    if (!text::Trim(part).empty()) parts.push_back(part);
  }
  if (parts.empty()) throw Error(ErrorCode::kPathNotFound, std::string(path));
  std::shared_ptr<LocalFolder> folder = LocalFolders(core_, {}).Find(parts.front());
  size_t next = 1;
  if (!folder) {
    folder = LocalFolders(core_, {}).Find(kPersonalFolders);
    next = 0;
  }
  for (size_t i = next; folder && i < parts.size(); ++i) {
    folder = LocalFolders(core_, folder->names()).Find(parts[i]);
  }
  if (!folder) throw Error(ErrorCode::kPathNotFound, std::string(path));
  return folder;
}

std::shared_ptr<mail::Item> LocalMailClient::FindItem(mail::Folder& folder,
                                                      std::string_view entry_id) {
  auto* local = dynamic_cast<LocalFolder*>(&folder);
  if (local == nullptr) throw Error(ErrorCode::kTypeMismatch, "not a folder of this client");
  for (const auto& item : local->LoadItems()) {
    if (item->EntryID() == entry_id) return item;
  }
  return nullptr;
}

std::vector<std::string> LocalMailClient::TakeProblems() { return core_->TakeProblems(); }

std::shared_ptr<mail::OptionsPageList> LocalMailClient::ShowOptionsDialog() {
  auto pages = std::make_shared<mail::OptionsPageList>();
  core_->options_pages_add.Raise(pages);
  return pages;
}

std::string LocalMailClient::clipboard() const { return core_->clipboard; }

void LocalMailClient::CloseExplorers() {
  const auto open = core_->explorers;
  for (const auto& explorer : open) explorer->Close();
}

}  // namespace vellumo::localmail
