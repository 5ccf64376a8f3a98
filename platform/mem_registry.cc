#include "platform/mem_registry.h"

#include <iterator>
#include <string>

#include "base/text.h"

namespace vellumo {
namespace {

// The components of a normalized path and of its folded form, which split alike: folding never
// adds or removes a backslash.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    parts.emplace_back(path.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string Fold(std::string_view normalized) { return text::FoldCase(normalized); }

}  // namespace

MemRegistry::MemRegistry() {
  for (const char* root : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"}) {
    tree_[Fold(root)] = Key{root, {}};
  }
}

std::optional<RegValue> MemRegistry::GetValue(std::string_view key, std::string_view name) {
  // Readers ask for many values of one key in a row; the key is looked up again after a write.
  if (read_writes_ != writes_ || key != read_key_) {
    read_found_ = tree_.find(Fold(NormalizeKeyPath(key)));
    read_key_.assign(key);
    read_writes_ = writes_;
  }
  if (read_found_ == tree_.end()) return std::nullopt;
  const auto& values = read_found_->second.values;
  // Folded into a kept buffer: a composition reads some eighty values.
  text::FoldCaseInto(name, read_name_);
  auto value = values.find(read_name_);
  if (value == values.end()) return std::nullopt;
  return value->second.second;
}

void MemRegistry::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
  Set(tree_, key, name, value);
  ++writes_;
}

void MemRegistry::DeleteValue(std::string_view key, std::string_view name) {
  Remove(tree_, key, name);
  ++writes_;
}

bool MemRegistry::KeyExists(std::string_view key) {
  return tree_.count(Fold(NormalizeKeyPath(key))) != 0;
}

void MemRegistry::CreateKey(std::string_view key) {
  Create(tree_, key);
  ++writes_;
}

void MemRegistry::DeleteKeyTree(std::string_view key) {
  RemoveTree(tree_, key);
  ++writes_;
}

std::vector<std::string> MemRegistry::SubKeys(std::string_view key) {
  std::vector<std::string> names;
  const std::string prefix = Fold(NormalizeKeyPath(key)) + "\\";
  auto it = tree_.lower_bound(prefix);
  while (it != tree_.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
    const size_t below = it->first.find('\\', prefix.size());
    if (below == std::string::npos) {
      names.push_back(it->second.name);
      ++it;
    } else {
      // Everything below a child sorts between "child\" and "child]" (']' follows '\'): skip it
      // whole, so listing a key costs its children, not its whole tree.
      it = tree_.lower_bound(it->first.substr(0, below) + "]");
    }
  }
  return names;
}

std::vector<std::pair<std::string, RegValue>> MemRegistry::Values(std::string_view key) {
  std::vector<std::pair<std::string, RegValue>> values;
  auto found = tree_.find(Fold(NormalizeKeyPath(key)));
  if (found == tree_.end()) return values;
  for (const auto& [fold, entry] : found->second.values) values.push_back(entry);
  return values;
}

void MemRegistry::Apply(const std::vector<RegOp>& ops) {
  // Work on a copy so that a failing op leaves the registry as it was.
  Tree copy = tree_;
  for (const RegOp& op : ops) ApplyOne(copy, op);
  tree_ = std::move(copy);
  ++writes_;
}

void MemRegistry::ApplyOne(Tree& tree, const RegOp& op) {
  switch (op.kind) {
    case RegOp::Kind::kCreateKey:
      return Create(tree, op.key);
    case RegOp::Kind::kSetValue:
      return Set(tree, op.key, op.name, op.value);
    case RegOp::Kind::kDeleteValue:
      return Remove(tree, op.key, op.name);
    case RegOp::Kind::kDeleteKeyTree:
      return RemoveTree(tree, op.key);
  }
  throw Error(ErrorCode::kInvalidCall, "unknown registry operation");
}

void MemRegistry::Set(Tree& tree, std::string_view key, std::string_view name,
                      const RegValue& value) {
  RegValue normalized = value.Normalized();
  CheckValueLimits(name, normalized);
  const std::string path = NormalizeKeyPath(key);
  Create(tree, path);
  auto& values = tree[Fold(path)].values;
  auto [it, inserted] = values.try_emplace(text::FoldCase(name), std::string(name), normalized);
  if (!inserted) it->second.second = std::move(normalized);
}

void MemRegistry::Remove(Tree& tree, std::string_view key, std::string_view name) {
  auto found = tree.find(Fold(NormalizeKeyPath(key)));
  if (found != tree.end()) found->second.values.erase(text::FoldCase(name));
}

void MemRegistry::Create(Tree& tree, std::string_view key) {
  const std::string path = NormalizeKeyPath(key);
  CheckKeyLimits(path);
  const std::vector<std::string> names = Components(path);
  const std::vector<std::string> folds = Components(Fold(path));
  std::string prefix = folds[0];
  for (size_t i = 1; i < names.size(); ++i) {
    prefix.append("\\").append(folds[i]);
    tree.try_emplace(prefix, Key{names[i], {}});
  }
}

void MemRegistry::RemoveTree(Tree& tree, std::string_view key) {
  const std::string path = NormalizeKeyPath(key);
  if (IsRootKey(path)) {
    throw Error(ErrorCode::kPermissionDenied, "the registry root " + path + " cannot be deleted");
  }
  const std::string fold = Fold(path);
  tree.erase(fold);
  tree.erase(tree.lower_bound(fold + "\\"), tree.lower_bound(fold + "]"));
}

void FaultyRegistry::Fail(Call call, ErrorCode code, int times, int after, Firing firing,
                          std::source_location where) {
  static constexpr const char* kNames[] = {"any call",  "GetValue",  "SetValue",      "DeleteValue",
                                           "KeyExists", "CreateKey", "DeleteKeyTree", "SubKeys",
                                           "Values",    "Apply"};
  static_assert(std::size(kNames) == kCallKinds);
  std::string what = std::string("registry ") + kNames[static_cast<size_t>(call)];
  if (after > 0) what += " after " + std::to_string(after) + " more";
  plan_ = ledger_.Plan(std::move(what), firing, where);
  fail_call_ = call;
  code_ = code;
  times_ = times;
  after_ = after;
}

void FaultyRegistry::Enter(Call call) {
  ++calls_[static_cast<size_t>(call)];
  ++calls_[static_cast<size_t>(Call::kAny)];
  if (times_ == 0 || (fail_call_ != Call::kAny && fail_call_ != call)) return;
  if (after_ > 0) {
    --after_;
    return;
  }
  if (times_ > 0) --times_;
  ledger_.Fire(plan_);
  throw Error(code_, "injected registry failure");
}

std::optional<RegValue> FaultyRegistry::GetValue(std::string_view key, std::string_view name) {
  Enter(Call::kGetValue);
  return target_.GetValue(key, name);
}

void FaultyRegistry::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
  Enter(Call::kSetValue);
  target_.SetValue(key, name, value);
}

void FaultyRegistry::DeleteValue(std::string_view key, std::string_view name) {
  Enter(Call::kDeleteValue);
  target_.DeleteValue(key, name);
}

bool FaultyRegistry::KeyExists(std::string_view key) {
  Enter(Call::kKeyExists);
  return target_.KeyExists(key);
}

void FaultyRegistry::CreateKey(std::string_view key) {
  Enter(Call::kCreateKey);
  target_.CreateKey(key);
}

void FaultyRegistry::DeleteKeyTree(std::string_view key) {
  Enter(Call::kDeleteKeyTree);
  target_.DeleteKeyTree(key);
}

std::vector<std::string> FaultyRegistry::SubKeys(std::string_view key) {
  Enter(Call::kSubKeys);
  return target_.SubKeys(key);
}

std::vector<std::pair<std::string, RegValue>> FaultyRegistry::Values(std::string_view key) {
  Enter(Call::kValues);
  return target_.Values(key);
}

void FaultyRegistry::Apply(const std::vector<RegOp>& ops) {
  Enter(Call::kApply);
  target_.Apply(ops);
}

}  // namespace vellumo
