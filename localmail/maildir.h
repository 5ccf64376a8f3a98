// Maildir: the mail folders of the local store, and how folder names live on the disk.
//
// A mail folder is a Maildir: messages are files in new/ (delivered, not yet seen by a mail
// program) or cur/ ("<unique>:2,<flags>"), written first to tmp/ and then renamed, so no reader
// ever sees half a message. The unique part of a file name is the message's stable identity
// (the mail item's EntryID): it survives moves between folders and flag changes. Other mail
// programs may share the folders; names starting with '.' (temporary files) are ignored.
//
// Folder names are stored so that any name a user may give lives safely on the disk: '%',
// control characters, a leading '.' and the names tmp, new and cur (in any case) are written as
// %XX escapes. Everything goes through FileSystem, so the same code runs on MemFileSystem.
// Failures throw vellumo::Error from the FileSystem. Not thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {
class FileSystem;
}

namespace vellumo::localmail {

class Maildir {
 public:
  struct Message {
    std::string unique;  // the file name without its claim and ":2,<flags>" parts
    std::string path;    // the file's path
    std::string claim;   // who is sending it ("" none); see Claim
    std::string flags;   // the letters after ":2,"
  };

  // folder: the Maildir's path (native or anything FileSystem resolves).
  Maildir(FileSystem& fs, std::string folder);

  // Creates tmp/, new/ and cur/ (and the folder); existing ones are fine.
  static void Create(FileSystem& fs, std::string_view folder);
  // True when the folder has a cur/ folder.
  static bool Exists(FileSystem& fs, std::string_view folder);

  // The messages of new/ and cur/, ordered by unique name.
  std::vector<Message> List() const;
  // The path of the message with that unique name, or nullopt.
  std::optional<std::string> Find(std::string_view unique) const;
  // Writes bytes to tmp/<unique>, then renames it to cur/<unique>:2,<flags>; returns the new
  // path. A message of that unique name already here: Error(kPathFileAccess), nothing written.
  // REQUIRES: IsValidUnique(unique).
  std::string Deliver(std::string_view unique, std::string_view bytes, std::string_view flags);
  // Deliver, unless a message of that unique name is here already (then nullopt, nothing
  // written): one look at the folder where Find and then Deliver take two, which counts in a
  // Sent Items of many thousand messages.
  std::optional<std::string> DeliverIfAbsent(std::string_view unique, std::string_view bytes,
                                             std::string_view flags);
  // The same, named as claimed by claim (see Claim): nobody else takes it up until it is
  // released.
  std::string DeliverClaimed(std::string_view unique, std::string_view bytes,
                             std::string_view flags, std::string_view claim);

  // Queue state changes by renaming, never by rewriting: a message file is claimed by a sender
  // ("<unique>,C=<claim>:2,<flags>") before it goes out, gets the transmitted flag, and is
  // released. Each returns the message's new path, or nullopt when the file at path is gone
  // (taken by another process, or removed): never an error. Other failures throw.
  std::optional<std::string> Claim(std::string_view path, std::string_view claim);
  std::optional<std::string> Release(std::string_view path);
  std::optional<std::string> SetFlags(std::string_view path, std::string_view flags);

  // Removes what killed writers left: everything in tmp/ and the file system's temporary files in
  // new/ and cur/, last changed more than an hour ago (no live writer takes that long).
  void RemoveStaleTemporaries();

  // Replaces the message file at path atomically.
  void Replace(std::string_view path, std::string_view bytes);
  void Remove(std::string_view path);

  const std::string& folder() const { return folder_; }

 private:
  // Through tmp/ into cur/ under the full name; the unique name checked by the caller.
  std::string Write(std::string_view unique, std::string_view bytes, std::string_view flags,
                    std::string_view claim);

  FileSystem& fs_;
  std::string folder_;
};

// The parts of a message file name "<unique>[,C=<claim>][:2,<flags>]".
struct MaildirName {
  std::string unique;
  std::string claim;
  std::string flags;
};
MaildirName ParseMaildirName(std::string_view file_name);
// The same for the last component of a path.
MaildirName ParseMaildirPath(std::string_view path);
std::string FormatMaildirName(const MaildirName& name);

// The flag a message gets once the server has accepted it ("passed on"): a later flush only
// files it. Flags stay in ASCII order, as Maildir readers expect.
inline constexpr char kTransmittedFlag = 'P';
std::string WithFlag(std::string_view flags, char flag);

// "1700000000.ab12.host:2,S" -> "1700000000.ab12.host" (a claim is not part of it either).
std::string UniqueOf(std::string_view file_name);
// A unique name may not be empty, start with '.', or hold '/', '\', ':' or control characters.
bool IsValidUnique(std::string_view unique);

// A folder name a user may give: not empty, at most 200 bytes, without '/', '\' or control
// characters. Otherwise Error(kInvalidCall) naming it.
void CheckFolderName(std::string_view name);
// The folder's name on the disk, and back. Decode(Encode(n)) == n.
std::string EncodeFolderName(std::string_view name);
std::string DecodeFolderName(std::string_view disk_name);

}  // namespace vellumo::localmail
