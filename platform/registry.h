// Registry: a tree of keys holding named, typed values, as the Windows registry has them.
//
// Keys are addressed by full paths with a root ("HKEY_CURRENT_USER\Software\X"; the short forms
// HKCU and HKCR are accepted); only HKEY_CURRENT_USER and HKEY_CLASSES_ROOT exist, another root is
// an Error naming it. Key and value names compare case-insensitively and keep the case they were
// created with. The value name "" is the key's default value ("@" in registry files).
//
// Every call is atomic: a write is one transaction, Apply() runs a whole batch or nothing.
// Failures throw vellumo::Error. Implementations: SqliteRegistry (a file shared safely by several
// processes) and MemRegistry (in memory, for tests). Not thread-safe; one instance per thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumo {

enum class RegType : uint32_t {
  kNone = 0,
  kString = 1,        // REG_SZ
  kExpandString = 2,  // REG_EXPAND_SZ
  kBinary = 3,
  kDword = 4,
  kMultiString = 7,
  kQword = 11,
};

// A typed value. Strings are UTF-8 in text (multi-strings in parts); dword and qword live in
// number; binary data, and the data of any type number the registry does not model, in bytes.
struct RegValue {
  uint32_t type = static_cast<uint32_t>(RegType::kString);
  std::string text;
  std::vector<std::string> parts;
  uint64_t number = 0;
  std::string bytes;

  static RegValue String(std::string s);
  static RegValue ExpandString(std::string s);
  static RegValue MultiString(std::vector<std::string> parts);
  static RegValue Dword(uint32_t n);
  static RegValue Qword(uint64_t n);
  static RegValue Binary(std::string bytes);
  // A value from the bytes the registry stores for it (strings and multi-strings UTF-16LE with
  // their terminators, numbers little-endian). Bytes that are the exact encoding of a string,
  // multi-string, dword or qword give that value; any other bytes are kept as they are.
  static RegValue Raw(uint32_t type, std::string bytes);

  RegType kind() const { return static_cast<RegType>(type); }
  // The value as text: strings as they are, numbers in decimal, multi-strings joined by "\n";
  // binary data as hexadecimal byte pairs separated by blanks ("01 ff").
  std::string AsText() const;
  // True when the data lives in bytes: binary data, types the registry does not model, and
  // string or number types whose bytes were not an exact encoding.
  bool HoldsBytes() const;
  // The bytes the registry stores for the value; the inverse of Raw().
  std::string StoredBytes() const;
  // The value as every Registry stores it: only the fields its type uses, bytes given for a
  // string or number type decoded as Raw() does. Throws Error(kInvalidCall) for a value no
  // registry can hold: a dword above 0xFFFFFFFF or a multi-string part containing NUL.
  RegValue Normalized() const;
  bool operator==(const RegValue&) const = default;
};

// One change of a batch.
struct RegOp {
  enum class Kind { kCreateKey, kSetValue, kDeleteValue, kDeleteKeyTree };
  Kind kind;
  std::string key;
  std::string name;  // value name for kSetValue / kDeleteValue
  RegValue value;    // for kSetValue
};

class Registry {
 public:
  virtual ~Registry() = default;

  // The value, or nullopt when the key or the value is missing. Never creates anything.
  virtual std::optional<RegValue> GetValue(std::string_view key, std::string_view name) = 0;
  // Creates the key and its parents as needed.
  virtual void SetValue(std::string_view key, std::string_view name, const RegValue& value) = 0;
  // Missing value or key: nothing happens.
  virtual void DeleteValue(std::string_view key, std::string_view name) = 0;
  virtual bool KeyExists(std::string_view key) = 0;
  virtual void CreateKey(std::string_view key) = 0;
  // The key, every key below it and all their values. A missing key: nothing happens. A root
  // cannot be deleted: Error(kPermissionDenied).
  virtual void DeleteKeyTree(std::string_view key) = 0;
  // Names of the direct subkeys / the values of a key, as stored, sorted case-insensitively.
  // A missing key gives empty lists.
  virtual std::vector<std::string> SubKeys(std::string_view key) = 0;
  virtual std::vector<std::pair<std::string, RegValue>> Values(std::string_view key) = 0;
  // All of ops in order, as one transaction: on any failure nothing is changed.
  virtual void Apply(const std::vector<RegOp>& ops) = 0;
};

// Canonical form of a key path: full root name, backslash separators, no empty components,
// no trailing backslash. Throws Error for an unknown root or an empty path.
std::string NormalizeKeyPath(std::string_view key);

// True for a normalized path that is a root ("HKEY_CURRENT_USER"), which always exists.
bool IsRootKey(std::string_view normalized_key);

// The limits of the Windows registry. Every Registry refuses to write past them, so that what is
// stored here can be stored there, and a hostile file cannot grow the store without bound.
inline constexpr int64_t kMaxKeyNameChars = 255;
inline constexpr int64_t kMaxValueNameChars = 16383;
inline constexpr size_t kMaxKeyDepth = 512;            // levels of keys below the root
inline constexpr size_t kMaxValueBytes = 1024 * 1024;  // the data as stored (StoredBytes)

// Throw Error(kInvalidCall) whose detail names the limit broken: by a normalized key path (a name
// over kMaxKeyNameChars characters, more than kMaxKeyDepth levels), by a value name (over
// kMaxValueNameChars characters) or by a value's data (over kMaxValueBytes). Writers call them
// before changing anything.
void CheckKeyLimits(std::string_view normalized_key);
void CheckValueLimits(std::string_view name, const RegValue& value);

}  // namespace vellumo
