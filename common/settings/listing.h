// Settings as lines of text, for `vellumo settings list`: one setting per line, fields separated
// by TABs. A field never holds a TAB, CR, LF or a lone backslash: they are written \t, \r, \n and
// \\, so every line reads back unambiguously whatever the values hold.
#pragma once

#include <string>
#include <string_view>

#include "common/settings/settings.h"

namespace vellumo {

// One field of a listed line, escaped as above.
[[nodiscard]] std::string ListField(std::string_view text);

// Every row of the table of keys (keys.h) whose application and section match the filters (an
// empty filter matches all; names compare case-insensitively, as the store does), one line each:
//   application TAB section TAB key TAB default TAB value TAB origin TAB description
// value is what a reader of that row gets now; origin is "stored" when the store holds the key,
// "default" when it does not. Two rows of one key with different defaults give two lines.
// Throws what Settings throws.
[[nodiscard]] std::string ListKnownKeys(const Settings& settings, std::string_view application = {},
                                        std::string_view section = {});

}  // namespace vellumo
