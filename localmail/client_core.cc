#include "localmail/client_core.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/maildir.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace vellumo::localmail {
namespace {

// The host part of unique names: no character that means something in a Maildir name.
std::string HostTag(std::string host) {
  std::string out;
  for (char c : host) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.') {
      out += c;
    }
  }
  while (!out.empty() && out.front() == '.') out.erase(out.begin());
  return out.empty() ? "localhost" : out;
}

}  // namespace

ClientCore::ClientCore(LocalMailDeps deps) : deps_(std::move(deps)) {
  while (deps_.mail_root.size() > 1 && deps_.mail_root.back() == '/') deps_.mail_root.pop_back();
}

ClientConfig ClientCore::Config() { return ReadClientConfig(deps_.registry, deps_.system); }

void ClientCore::Transmit(const Envelope& envelope, std::string_view message) {
  const TransportConfig config = ReadTransportConfig(deps_.registry);
  if (!transport_ || !transport_config_ || !(*transport_config_ == config)) {
    transport_.reset();
    transport_ = deps_.make_transport ? deps_.make_transport(config)
                                      : MakeTransport(config, deps_.processes);
    transport_config_ = config;
  }
  transport_->Transmit(envelope, message);
}

int64_t ClientCore::QueueTime() {
  constexpr int64_t kMicros = 1000000;
  return deps_.queue_time ? deps_.queue_time() : deps_.clock.UnixTime() * kMicros;
}

std::string ClientCore::ClaimTag() { return deps_.claim_tag ? deps_.claim_tag() : "0"; }

bool ClientCore::ClaimAlive(std::string_view claim) {
  return !deps_.claim_alive || deps_.claim_alive(claim);
}

std::string ClientCore::RandomHex() {
  if (deps_.random_hex) return deps_.random_hex();
  if (!random_) {
    std::random_device device;
    random_.emplace((static_cast<uint64_t>(device()) << 32) ^ device());
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 2; ++i) {
    uint64_t value = (*random_)();
    for (int j = 0; j < 16; ++j, value >>= 4) out += kHex[value & 15];
  }
  return out;
}

std::string ClientCore::NewUnique() {
  const std::string random = RandomHex();
  const std::string tag = random.size() > 16 ? random.substr(random.size() - 16) : random;
  return std::to_string(deps_.clock.UnixTime()) + "." + tag + "." +
         HostTag(deps_.system.ComputerName());
}

std::string ClientCore::NewUid() {
  std::string hex = RandomHex();
  hex.resize(32, '0');
  hex[12] = '4';  // version 4: random
  static constexpr char kVariant[] = "89ab";
  hex[16] = kVariant[static_cast<unsigned char>(hex[16]) & 3];
  return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
         hex.substr(16, 4) + "-" + hex.substr(20, 12);
}

std::string ClientCore::FolderPath(const FolderNames& names) const {
  std::string path = deps_.mail_root;
  for (const std::string& name : names) {
    path += '/';
    path += EncodeFolderName(name);
  }
  return path;
}

FolderNames ClientCore::StandardNames(mail::DefaultFolder id) {
  if (const mail::StandardFolderInfo* standard = mail::FindStandardFolder(id)) {
    return {std::string(kPersonalFolders), std::string(standard->name)};
  }
  throw Error(ErrorCode::kInvalidCall,
              "default folder " + std::to_string(static_cast<int>(id)) + " is not in this store");
}

mail::ItemType ClientCore::FolderType(const FolderNames& names) {
  const std::string path = FolderPath(names);
  if (Maildir::Exists(fs(), path)) return mail::ItemType::kMail;
  for (const KindMarker& marker : kKindMarkers) {
    if (fs().FileExists(path + "/" + std::string(marker.file))) return marker.type;
  }
  if (fs().FileExists(path + "/" + std::string(kContactsMarker)) ||
      !fs().ListFiles(path, "*.vcf").empty()) {
    return mail::ItemType::kContact;
  }
  return mail::ItemType::kMail;
}

void ClientCore::CreateFolderFor(const FolderNames& names, mail::ItemType type) {
  const std::string path = FolderPath(names);
  std::string_view marker;
  if (type == mail::ItemType::kContact) marker = kContactsMarker;
  for (const KindMarker& kind : kKindMarkers) {
    if (kind.type == type) marker = kind.file;
  }
  if (marker.empty()) {
    Maildir::Create(fs(), path);
    return;
  }
  fs().CreateFolder(path);
  const std::string marker_path = path + "/" + std::string(marker);
  if (!fs().FileExists(marker_path)) fs().WriteFile(marker_path, "");
}

void ClientCore::ShowFile(std::string_view name, std::string_view bytes, bool keep_earlier) {
  const std::string folder = deps_.mail_root + "/.display";
  fs().CreateFolder(folder);
  std::string path = folder + "/" + std::string(name);
  // A message shown before under this name may still be open or unsent: take the next free one.
  const std::string stem = path.substr(0, path.size() - std::min<size_t>(path.size(), 4));
  for (int n = 2; keep_earlier && fs().FileExists(path); ++n) {
    path = stem + "-" + std::to_string(n) + ".eml";
  }
  fs().WriteFile(path, bytes);
  processes().OpenDocument(fs().NativePath(path));
}

std::shared_ptr<ClientCore> LockCore(const std::weak_ptr<ClientCore>& core) {
  std::shared_ptr<ClientCore> locked = core.lock();
  if (!locked) throw Error(ErrorCode::kObjectNotSet, "the mail client has been closed");
  return locked;
}

bool SameFolder(const FolderNames& a, const FolderNames& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!text::EqualsText(a[i], b[i])) return false;
  }
  return true;
}

QueuedError::QueuedError(std::string reason)
    : Error("The message could not be sent and is kept in the Outbox: " + reason),
      reason_(std::move(reason)) {}

}  // namespace vellumo::localmail
