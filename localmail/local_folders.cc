#include "localmail/local_folders.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/local_contact_item.h"
#include "localmail/local_mail_item.h"
#include "localmail/maildir.h"
#include "localmail/vcard.h"
#include "platform/file_system.h"
#include "platform/mailclient/item_list.h"

namespace vellumo::localmail {
namespace {

constexpr char kNameSeparator = '\x1f';  // no folder name holds a control character

std::string Hex(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

bool IsMaildirPart(std::string_view disk_name) {
  return disk_name == "tmp" || disk_name == "new" || disk_name == "cur";
}

class LocalCurrentUser final : public mail::Recipient {
 public:
  explicit LocalCurrentUser(std::weak_ptr<ClientCore> core) : core_(std::move(core)) {}
  std::string Name() override { return LockCore(core_)->Config().user_name; }
  std::string Address() override { return LockCore(core_)->Config().user_address; }
  mail::RecipientType Type() override {
    LockCore(core_);
    return mail::RecipientType::kOriginator;
  }
  void SetType(mail::RecipientType) override {
    throw Error(ErrorCode::kNotSupported, "CurrentUser.SetType");
  }

 private:
  std::weak_ptr<ClientCore> core_;
};

}  // namespace

// LocalFolder

LocalFolder::LocalFolder(std::weak_ptr<ClientCore> core, FolderNames names)
    : core_(std::move(core)), names_(std::move(names)) {}

std::string LocalFolder::Name() {
  LockCore(core_);
  return names_.back();
}

std::string LocalFolder::EntryID() {
  LockCore(core_);
  std::string joined;
  for (const std::string& name : names_) {
    if (!joined.empty()) joined += kNameSeparator;
    joined += name;
  }
  return Hex(joined);
}

std::shared_ptr<mail::Folders> LocalFolder::Folders() {
  LockCore(core_);
  return std::make_shared<LocalFolders>(core_, names_);
}

std::shared_ptr<mail::Items> LocalFolder::Items() {
  LockCore(core_);
  std::weak_ptr<LocalFolder> self = weak_from_this();
  return std::make_shared<mail::ItemList>(LoadItems(), [self](mail::ItemType type) {
    std::shared_ptr<LocalFolder> folder = self.lock();
    if (!folder) throw Error(ErrorCode::kObjectNotSet, "folder");
    return folder->NewItem(type);
  });
}

mail::ItemType LocalFolder::DefaultItemType() { return LockCore(core_)->FolderType(names_); }

std::shared_ptr<mail::Folder> LocalFolder::Parent() {
  LockCore(core_);
  if (names_.size() <= 1) return nullptr;
  return std::make_shared<LocalFolder>(core_, FolderNames(names_.begin(), names_.end() - 1));
}

std::string LocalFolder::Path() const { return LockCore(core_)->FolderPath(names_); }

bool LocalFolder::Is(mail::DefaultFolder id) const {
  return SameFolder(names_, ClientCore::StandardNames(id));
}

std::shared_ptr<mail::Item> LocalFolder::NewItem(mail::ItemType type) {
  LockCore(core_);
  switch (type) {
    case mail::ItemType::kMail:
      return LocalMailItem::New(core_, shared_from_this());
    case mail::ItemType::kContact:
      return LocalContactItem::New(core_, shared_from_this());
    default:
      throw Error(ErrorCode::kNotSupported, "item type " + std::to_string(static_cast<int>(type)));
  }
}

std::vector<std::shared_ptr<mail::Item>> LocalFolder::LoadItems() {
  std::shared_ptr<ClientCore> core = LockCore(core_);
  FileSystem& fs = core->fs();
  const std::string path = core->FolderPath(names_);
  std::vector<std::shared_ptr<mail::Item>> items;
  const mail::ItemType type = core->FolderType(names_);
  if (type != mail::ItemType::kMail && type != mail::ItemType::kContact) return items;
  if (type == mail::ItemType::kContact) {
    for (const std::string& file : fs.ListFiles(path, "*.vcf")) {
      const std::string file_path = path + "/" + file;
      try {
        std::vector<VcardCard> cards = ParseVcards(fs.ReadFile(file_path), file_path);
        for (size_t i = 0; i < cards.size(); ++i) {
          items.push_back(
              LocalContactItem::Load(core_, shared_from_this(), file, i, std::move(cards[i])));
        }
      } catch (const Error& e) {
        core->NoteProblem(e.what());
      }
    }
    return items;
  }
  Maildir box(fs, path);
  box.RemoveStaleTemporaries();
  for (const Maildir::Message& message : box.List()) {
    try {
      items.push_back(LocalMailItem::Load(core_, shared_from_this(), message.unique, message.path,
                                          fs.ReadFile(message.path)));
    } catch (const Error& e) {
      core->NoteProblem(e.what());
    }
  }
  return items;
}

// LocalFolders

LocalFolders::LocalFolders(std::weak_ptr<ClientCore> core, FolderNames parent)
    : core_(std::move(core)), parent_(std::move(parent)) {}

std::vector<std::string> LocalFolders::List() {
  std::shared_ptr<ClientCore> core = LockCore(core_);
  std::vector<std::string> names;
  for (const std::string& disk_name : core->fs().ListFolders(core->FolderPath(parent_))) {
    if (disk_name.empty() || disk_name.front() == '.' || IsMaildirPart(disk_name)) continue;
    names.push_back(DecodeFolderName(disk_name));
  }
  return names;
}

int LocalFolders::Count() { return static_cast<int>(List().size()); }

std::shared_ptr<mail::Folder> LocalFolders::Item(int index) {
  const std::vector<std::string> names = List();
  if (index < 1 || static_cast<size_t>(index) > names.size()) {
    throw Error(ErrorCode::kSubscriptOutOfRange, "Folders(" + std::to_string(index) + ")");
  }
  FolderNames path = parent_;
  path.push_back(names[static_cast<size_t>(index) - 1]);
  return std::make_shared<LocalFolder>(core_, std::move(path));
}

std::shared_ptr<LocalFolder> LocalFolders::Find(std::string_view name) {
  for (const std::string& candidate : List()) {
    if (text::EqualsText(candidate, name)) {
      FolderNames path = parent_;
      path.push_back(candidate);
      return std::make_shared<LocalFolder>(core_, std::move(path));
    }
  }
  return nullptr;
}

std::shared_ptr<mail::Folder> LocalFolders::Item(std::string_view name) {
  std::shared_ptr<LocalFolder> folder = Find(name);
  if (!folder) throw Error(ErrorCode::kSubscriptOutOfRange, std::string(name));
  return folder;
}

std::shared_ptr<mail::Folder> LocalFolders::Add(std::string_view name, mail::ItemType type) {
  std::shared_ptr<ClientCore> core = LockCore(core_);
  CheckFolderName(name);
  if (Find(name)) throw Error(ErrorCode::kInvalidCall, "folder '" + std::string(name) + "' exists");
  FolderNames names = parent_;
  names.emplace_back(name);
  core->CreateFolderFor(names, type);
  return std::make_shared<LocalFolder>(core_, std::move(names));
}

// LocalNamespace

std::shared_ptr<mail::Folder> LocalNamespace::GetDefaultFolder(mail::DefaultFolder folder) {
  LockCore(core_);
  return MakeStandardFolder(core_, folder);
}

std::shared_ptr<mail::Folders> LocalNamespace::Folders() {
  LockCore(core_);
  return std::make_shared<LocalFolders>(core_, FolderNames{});
}

std::shared_ptr<mail::Recipient> LocalNamespace::CurrentUser() {
  LockCore(core_);
  return std::make_shared<LocalCurrentUser>(core_);
}

std::shared_ptr<LocalFolder> MakeStandardFolder(const std::weak_ptr<ClientCore>& core,
                                                mail::DefaultFolder id) {
  return std::make_shared<LocalFolder>(core, ClientCore::StandardNames(id));
}

namespace {

std::shared_ptr<mail::Item> FindContactBelow(const std::shared_ptr<ClientCore>& core,
                                             const FolderNames& names, std::string_view entry_id,
                                             int depth) {
  // Folder trees are shallow; the limit only guards against a loop through a link on the disk.
  constexpr int kMaxDepth = 32;
  if (depth > kMaxDepth) return nullptr;
  if (!names.empty() && core->FolderType(names) == mail::ItemType::kContact) {
    auto folder = std::make_shared<LocalFolder>(core, names);
    for (const auto& item : folder->LoadItems()) {
      if (item->EntryID() == entry_id) return item;
    }
  }
  LocalFolders below(core, names);
  for (int i = 1; i <= below.Count(); ++i) {
    auto folder = std::static_pointer_cast<LocalFolder>(below.Item(i));
    if (auto found = FindContactBelow(core, folder->names(), entry_id, depth + 1)) return found;
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<mail::Item> FindItemAnywhere(const std::shared_ptr<ClientCore>& core,
                                             std::string_view entry_id) {
  if (entry_id.empty()) return nullptr;
  return FindContactBelow(core, {}, entry_id, 0);
}

void CreateStoreLayout(ClientCore& core) {
  for (const mail::StandardFolderInfo& standard : mail::kStandardFolders) {
    const FolderNames names = ClientCore::StandardNames(standard.id);
    // A store made before a standard folder was added may hold a folder of that name already:
    // it is kept as it is, with whatever it holds.
    if (standard.type != mail::ItemType::kMail && standard.type != mail::ItemType::kContact &&
        core.fs().FolderExists(core.FolderPath(names))) {
      continue;
    }
    core.CreateFolderFor(names, standard.type);
  }
  Maildir::Create(core.fs(),
                  core.FolderPath({std::string(kPublicFolders), std::string(kAllPublicFolders)}));
}

}  // namespace vellumo::localmail
