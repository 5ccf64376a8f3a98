// SqliteRegistry: the registry kept in one SQLite file, shared safely by several processes.
//
// The file is opened in WAL mode with a busy timeout of 10 seconds, so readers never wait and a
// writer waits for another instead of failing. Every write and every Apply() is one immediate
// transaction, committed with a full sync: a process killed in the middle leaves the file as it
// was before the call.
//
// Reads of a file that nobody changed since the last read are answered from memory: a change
// committed by any connection of any process is seen by the very next read (see ChangeWatch).
//
// A missing file is created with the registry's schema. An existing file that cannot be opened,
// is not a SQLite database, or holds another program's tables is reported as an Error naming the
// file and is left exactly as it is: the registry never resets a file it does not recognise.
//
// Not thread-safe: one instance per thread. An instance must not cross a fork(); open a new one
// in the child.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace vellumo {

class SqliteRegistry : public Registry {
 public:
  // The schema this code writes (PRAGMA user_version) and the file's mark (application_id).
  static constexpr int kSchemaVersion = 1;
  static constexpr int kApplicationId = 0x56656C6C;  // "Vell"

  // Opens the registry file at path, creating it when absent (the folder must exist).
  // Throws Error naming the file when it cannot be used.
  explicit SqliteRegistry(std::string path);
  ~SqliteRegistry() override;
  SqliteRegistry(const SqliteRegistry&) = delete;
  SqliteRegistry& operator=(const SqliteRegistry&) = delete;

  const std::string& path() const;

  std::optional<RegValue> GetValue(std::string_view key, std::string_view name) override;
  void SetValue(std::string_view key, std::string_view name, const RegValue& value) override;
  void DeleteValue(std::string_view key, std::string_view name) override;
  bool KeyExists(std::string_view key) override;
  void CreateKey(std::string_view key) override;
  void DeleteKeyTree(std::string_view key) override;
  std::vector<std::string> SubKeys(std::string_view key) override;
  std::vector<std::pair<std::string, RegValue>> Values(std::string_view key) override;
  void Apply(const std::vector<RegOp>& ops) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellumo
