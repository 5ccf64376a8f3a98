// Registry files (.reg): the text format of the Windows registry editor, read and written.
//
// Reading accepts "Windows Registry Editor Version 5.00" and "REGEDIT4" files in UTF-16LE (with
// or without a byte-order mark), UTF-8 (with or without one) or Windows-1252; CR LF, LF, CR and
// CR CR LF line ends; [KEY] and [-KEY] lines, "name"=... and @=... values (quoted strings with \"
// and \\ escapes, dword:, hex: and hex(N): with \ continuation lines, - to delete), ; comments and
// blank lines. A backslash before any other character is kept as written, so "C:\temp" is
// C:\temp. In REGEDIT4 files, hex(1), hex(2) and hex(7) data are 8-bit (Windows-1252) text.
//
// A file is imported whole or not at all: it is parsed completely into one batch, then applied
// as one transaction. A malformed file, or one that names a root other than HKEY_CURRENT_USER
// and HKEY_CLASSES_ROOT, throws Error("FILE:LINE: what is wrong") and changes nothing.
//
// Writing produces what the registry editor exports: UTF-16LE with a byte-order mark, CR LF line
// ends, the version 5.00 header, keys in tree order with their values sorted, strings quoted and
// escaped, dwords as dword:, every other type as hex(N): (binary as hex:) wrapped with \ at 80
// columns. Strings holding a line break or NUL are written as hex(1):, which a quoted string
// cannot carry. Importing an export into an empty registry gives the same keys and values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace vellumo {

// The changes the file asks for, in file order, with normalized key paths. file_name is only
// used in error texts. Throws Error("FILE:LINE: ...") for a malformed file.
[[nodiscard]] std::vector<RegOp> ParseRegFile(std::string_view bytes, std::string_view file_name);

// Parses bytes and applies the result as one batch. Throws Error as ParseRegFile does, or as
// the registry's Apply() does; either way the registry is unchanged.
void ImportRegFile(Registry& registry, std::string_view bytes, std::string_view file_name);

// The registry file of key and everything below it. Throws Error(kPathNotFound) when the key
// does not exist, Error(kInvalidCall) for a name a registry file cannot hold (a line break in a
// key or value name), and whatever the registry throws.
[[nodiscard]] std::string ExportRegFile(Registry& registry, std::string_view key);

}  // namespace vellumo
