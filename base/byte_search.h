// Substring search over bytes, the inner loop of every replace and rule of a composition.
//
// Both searches jump with memchr to the needle's rarest byte while that finds matches; once
// candidates keep failing (a common byte such as "<" in HTML), the rest of the call looks at
// sixteen places at a time for the needle's first and last bytes together, which rejects almost
// every wrong place without a call. Pathological needles over repetitive text fall back to a
// linear algorithm, so each call is linear in the distance it covers.
#pragma once

#include <cstddef>
#include <string_view>

namespace vellumo::text::internal {

// Byte offset of the first occurrence of needle (not empty) at or after from; npos when none.
size_t FindBytes(std::string_view hay, std::string_view needle, size_t from);

// The same with the A-Z of hay read as a-z: lower_needle (not empty) holds no A-Z. Only ASCII
// letters fold, so offsets are those of hay and no folded copy is made.
size_t FindBytesNoCase(std::string_view hay, std::string_view lower_needle, size_t from);

}  // namespace vellumo::text::internal
