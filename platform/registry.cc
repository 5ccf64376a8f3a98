#include "platform/registry.h"

#include <array>

#include "base/error.h"
#include "base/text.h"

namespace vellumo {
namespace {

struct Root {
  std::string_view full;
  std::string_view abbreviation;
};
constexpr std::array<Root, 2> kRoots{
    {{"HKEY_CURRENT_USER", "HKCU"}, {"HKEY_CLASSES_ROOT", "HKCR"}}};

constexpr std::string_view kNul16("\0\0", 2);

bool IsStringType(uint32_t type) {
  return type == static_cast<uint32_t>(RegType::kString) ||
         type == static_cast<uint32_t>(RegType::kExpandString);
}

// Types whose data the registry keeps decoded (text, parts, number) rather than as bytes.
bool IsDecodedType(uint32_t type) {
  return IsStringType(type) || type == static_cast<uint32_t>(RegType::kMultiString) ||
         type == static_cast<uint32_t>(RegType::kDword) ||
         type == static_cast<uint32_t>(RegType::kQword);
}

std::string LittleEndian(uint64_t n, int size) {
  std::string out;
  for (int i = 0; i < size; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return out;
}

uint64_t FromLittleEndian(std::string_view bytes) {
  uint64_t n = 0;
  for (size_t i = bytes.size(); i-- > 0;) n = (n << 8) | static_cast<unsigned char>(bytes[i]);
  return n;
}

// UTF-16LE code units of text that converts back to exactly the same units, or nothing.
bool DecodeUtf16Exact(std::string_view units, std::string& text) {
  text = text::Utf16LeToUtf8(units);
  return text::Utf8ToUtf16Le(text) == units;
}

bool IsNulUnit(std::string_view bytes, size_t at) { return bytes[at] == 0 && bytes[at + 1] == 0; }

// Multi-string data: each part followed by a NUL unit, then one more NUL unit.
bool DecodeMultiExact(std::string_view bytes, std::vector<std::string>& parts) {
  if (bytes.size() % 2 != 0 || bytes.size() < 2 || !IsNulUnit(bytes, bytes.size() - 2)) {
    return false;
  }
  std::string_view body = bytes.substr(0, bytes.size() - 2);
  if (!body.empty() && !IsNulUnit(body, body.size() - 2)) return false;
  size_t start = 0;
  for (size_t i = 0; i < body.size(); i += 2) {
    if (!IsNulUnit(body, i)) continue;
    std::string part;
    if (!DecodeUtf16Exact(body.substr(start, i - start), part)) return false;
    parts.push_back(std::move(part));
    start = i + 2;
  }
  return true;
}

std::string HexPairs(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

}  // namespace

RegValue RegValue::String(std::string s) {
  RegValue v;
  v.type = static_cast<uint32_t>(RegType::kString);
  v.text = std::move(s);
  return v;
}

RegValue RegValue::ExpandString(std::string s) {
  RegValue v;
  v.type = static_cast<uint32_t>(RegType::kExpandString);
  v.text = std::move(s);
  return v;
}

RegValue RegValue::MultiString(std::vector<std::string> parts) {
  RegValue v;
  v.type = static_cast<uint32_t>(RegType::kMultiString);
  v.parts = std::move(parts);
  return v;
}

RegValue RegValue::Dword(uint32_t n) {
  RegValue v;
  v.type = static_cast<uint32_t>(RegType::kDword);
  v.number = n;
  return v;
}

RegValue RegValue::Qword(uint64_t n) {
  RegValue v;
  v.type = static_cast<uint32_t>(RegType::kQword);
  v.number = n;
  return v;
}

RegValue RegValue::Binary(std::string bytes) {
  RegValue v;
  v.type = static_cast<uint32_t>(RegType::kBinary);
  v.bytes = std::move(bytes);
  return v;
}

RegValue RegValue::Raw(uint32_t type, std::string bytes) {
  RegValue v;
  v.type = type;
  if (IsStringType(type)) {
    if (bytes.size() >= 2 && bytes.size() % 2 == 0 && IsNulUnit(bytes, bytes.size() - 2) &&
        DecodeUtf16Exact(std::string_view(bytes).substr(0, bytes.size() - 2), v.text)) {
      return v;
    }
    v.text.clear();
  } else if (type == static_cast<uint32_t>(RegType::kMultiString)) {
    if (DecodeMultiExact(bytes, v.parts)) return v;
    v.parts.clear();
  } else if ((type == static_cast<uint32_t>(RegType::kDword) && bytes.size() == 4) ||
             (type == static_cast<uint32_t>(RegType::kQword) && bytes.size() == 8)) {
    v.number = FromLittleEndian(bytes);
    return v;
  }
  v.bytes = std::move(bytes);
  return v;
}

bool RegValue::HoldsBytes() const { return !IsDecodedType(type) || !bytes.empty(); }

std::string RegValue::AsText() const {
  if (!HoldsBytes()) {
    if (IsStringType(type)) return text;
    if (type == static_cast<uint32_t>(RegType::kMultiString)) return text::Join(parts, "\n");
    return std::to_string(number);
  }
  if (IsStringType(type)) {
    // Data that is not an exact string encoding: its text up to the first NUL.
    std::string units = bytes.substr(0, bytes.size() & ~size_t{1});
    for (size_t i = 0; i < units.size(); i += 2) {
      if (IsNulUnit(units, i)) {
        units.resize(i);
        break;
      }
    }
    return text::Utf16LeToUtf8(units);
  }
  return HexPairs(bytes);
}

std::string RegValue::StoredBytes() const {
  if (HoldsBytes()) return bytes;
  if (IsStringType(type)) return text::Utf8ToUtf16Le(text).append(kNul16);
  if (type == static_cast<uint32_t>(RegType::kMultiString)) {
    std::string out;
    for (const std::string& part : parts) out.append(text::Utf8ToUtf16Le(part)).append(kNul16);
    return out.append(kNul16);
  }
  return LittleEndian(number, type == static_cast<uint32_t>(RegType::kDword) ? 4 : 8);
}

RegValue RegValue::Normalized() const {
  if (!IsDecodedType(type)) {
    RegValue v;
    v.type = type;
    v.bytes = bytes;
    return v;
  }
  if (!bytes.empty()) return Raw(type, bytes);
  RegValue v;
  v.type = type;
  if (IsStringType(type)) {
    v.text = text;
  } else if (type == static_cast<uint32_t>(RegType::kMultiString)) {
    for (const std::string& part : parts) {
      if (part.find('\0') != std::string::npos) {
        throw Error(ErrorCode::kInvalidCall, "a multi-string part cannot contain a NUL character");
      }
    }
    v.parts = parts;
  } else {
    if (type == static_cast<uint32_t>(RegType::kDword) && number > 0xFFFFFFFFu) {
      throw Error(ErrorCode::kInvalidCall,
                  "dword value " + std::to_string(number) + " does not fit in 32 bits");
    }
    v.number = number;
  }
  return v;
}

std::string NormalizeKeyPath(std::string_view key) {
  std::string out;
  bool root_seen = false;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    const std::string_view part = key.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (!root_seen) {
      root_seen = true;
      for (const Root& root : kRoots) {
        if (text::EqualsText(part, root.full) || text::EqualsText(part, root.abbreviation)) {
          out = root.full;
          break;
        }
      }
      if (out.empty()) {
        throw Error("Unknown registry root " + std::string(part) +
                    ": only HKEY_CURRENT_USER and HKEY_CLASSES_ROOT exist here");
      }
      continue;
    }
    out.push_back('\\');
    out.append(part);
  }
  if (!root_seen) throw Error(ErrorCode::kInvalidCall, "empty registry key path");
  return out;
}

bool IsRootKey(std::string_view normalized_key) {
  for (const Root& root : kRoots) {
    if (normalized_key == root.full) return true;
  }
  return false;
}

namespace {

// A name for an error text, cut short when long.
std::string Shown(std::string_view name) {
  constexpr int64_t kMax = 40;
  return "\"" + (text::Len(name) <= kMax ? std::string(name) : text::Left(name, kMax) + "...") +
         "\"";
}

}  // namespace

void CheckKeyLimits(std::string_view normalized_key) {
  size_t depth = 0;
  size_t start = normalized_key.find('\\');
  while (start != std::string_view::npos) {
    const size_t end = normalized_key.find('\\', start + 1);
    const std::string_view name = normalized_key.substr(
        start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1);
    if (text::Len(name) > kMaxKeyNameChars) {
      throw Error(ErrorCode::kInvalidCall, "the key name " + Shown(name) + " has " +
                                               text::FormatGrouped(text::Len(name)) +
                                               " characters; a registry key name has at most " +
                                               std::to_string(kMaxKeyNameChars));
    }
    ++depth;
    start = end;
  }
  if (depth > kMaxKeyDepth) {
    throw Error(ErrorCode::kInvalidCall,
                "the key " + Shown(normalized_key) + " is " + std::to_string(depth) +
                    " levels deep; registry keys nest at most " + std::to_string(kMaxKeyDepth) +
                    " levels below the root");
  }
}

void CheckValueLimits(std::string_view name, const RegValue& value) {
  if (text::Len(name) > kMaxValueNameChars) {
    throw Error(ErrorCode::kInvalidCall,
                "the value name " + Shown(name) + " has " + text::FormatGrouped(text::Len(name)) +
                    " characters; a registry value name has at most 16,383");
  }
  const size_t size = value.StoredBytes().size();
  if (size > kMaxValueBytes) {
    throw Error(ErrorCode::kInvalidCall,
                "the value " + Shown(name) + " holds " +
                    text::FormatGrouped(static_cast<int64_t>(size)) +
                    " bytes; a registry value holds at most 1 MB (1,048,576 bytes)");
  }
}

}  // namespace vellumo
