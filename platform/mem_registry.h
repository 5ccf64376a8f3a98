// MemRegistry: the registry kept in memory, for tests, examples and dry runs. It keeps the
// contract of every Registry, awkward parts included: names compare case-insensitively and keep
// the case they were created with, listings are sorted case-insensitively, values are stored
// Normalized(), Apply() changes everything or nothing, reading never creates a key.
//
// FaultyRegistry: forwards every call to another registry and makes chosen calls fail on demand,
// so a test can check what its code does when the registry refuses. Each Fail() is a planned
// failure (fault_plan.h): one that never made a call fail is reported when the wrapper goes away,
// unless it was planned with Firing::kOptional.
//
// Neither is thread-safe.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/error.h"
#include "platform/fault_plan.h"
#include "platform/registry.h"

namespace vellumo {

class MemRegistry : public Registry {
 public:
  MemRegistry();

  std::optional<RegValue> GetValue(std::string_view key, std::string_view name) override;
  void SetValue(std::string_view key, std::string_view name, const RegValue& value) override;
  void DeleteValue(std::string_view key, std::string_view name) override;
  bool KeyExists(std::string_view key) override;
  void CreateKey(std::string_view key) override;
  void DeleteKeyTree(std::string_view key) override;
  std::vector<std::string> SubKeys(std::string_view key) override;
  std::vector<std::pair<std::string, RegValue>> Values(std::string_view key) override;
  void Apply(const std::vector<RegOp>& ops) override;

  // How many calls changed the registry or could have (every successful write, including ones
  // that found nothing to delete). Reads never count.
  int writes() const { return writes_; }

 private:
  struct Key {
    std::string name;  // as first created
    // Folded value name -> (name as first created, value).
    std::map<std::string, std::pair<std::string, RegValue>> values;
  };
  // Folded full path -> key. Every key's parent is present; the roots always are.
  using Tree = std::map<std::string, Key>;

  static void ApplyOne(Tree& tree, const RegOp& op);
  static void Set(Tree& tree, std::string_view key, std::string_view name, const RegValue& value);
  static void Remove(Tree& tree, std::string_view key, std::string_view name);
  static void Create(Tree& tree, std::string_view key);
  static void RemoveTree(Tree& tree, std::string_view key);

  Tree tree_;
  int writes_ = 0;
  // The key GetValue found last, as asked for, while writes_ was read_writes_ (every write
  // counts, so a memo from before one is never used).
  std::string read_key_;
  Tree::iterator read_found_;
  int read_writes_ = -1;
  std::string read_name_;  // the folded value name of the last GetValue
};

class FaultyRegistry : public Registry {
 public:
  enum class Call {
    kAny,
    kGetValue,
    kSetValue,
    kDeleteValue,
    kKeyExists,
    kCreateKey,
    kDeleteKeyTree,
    kSubKeys,
    kValues,
    kApply,
  };

  // REQUIRES: target outlives this object.
  explicit FaultyRegistry(Registry& target) : target_(target) {}

  // After `after` more matching calls have gone through, the next `times` matching calls (all
  // of them when times < 0) throw Error(code) without reaching the target. kAny matches every
  // call. A new Fail() replaces the previous one.
  void Fail(Call call, ErrorCode code = ErrorCode::kPermissionDenied, int times = 1, int after = 0,
            Firing firing = Firing::kRequired,
            std::source_location where = std::source_location::current());
  // No more failures.
  void Heal() { times_ = 0; }
  // Calls of that kind made so far, failed ones included.
  int calls(Call call) const { return calls_[static_cast<size_t>(call)]; }

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
  static constexpr size_t kCallKinds = static_cast<size_t>(Call::kApply) + 1;

  // Counts the call and throws when it is due to fail.
  void Enter(Call call);

  Registry& target_;
  Call fail_call_ = Call::kAny;
  ErrorCode code_ = ErrorCode::kPermissionDenied;
  int times_ = 0;
  int after_ = 0;
  size_t plan_ = 0;
  std::array<int, kCallKinds> calls_{};
  FaultLedger ledger_;
};

}  // namespace vellumo
