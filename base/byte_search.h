// Substring search over bytes, the inner loop of every replace and rule of a composition.
//
// Both searches jump with memchr to the needle's rarest byte while that finds matches; once
// candidates keep failing (a common byte such as "<" in HTML), the rest of the search (and a
// ByteSearcher's later calls) looks at
// sixteen places at a time for the needle's first and last bytes together, which rejects almost
// every wrong place without a call (thirty-two places at a time where the processor has AVX2).
// Pathological needles over repetitive text fall back to a linear algorithm, so each call is linear
// in the distance it covers.
#pragma once

#include <cstddef>
#include <string_view>

namespace vellumo::text::internal {

// One needle searched for again and again, as a replace does: the needle's anchor is chosen
// once, and a needle whose candidates kept failing goes straight to the pair scan afterwards.
class ByteSearcher {
 public:
  enum class Case { kExact, kFoldAsciiLetters };
  // needle (not empty, and with no A-Z when folding) must outlive the searcher.
  explicit ByteSearcher(std::string_view needle, Case letter_case = Case::kExact);
  // Byte offset of the first occurrence at or after from; npos when none.
  size_t Find(std::string_view hay, size_t from);
  size_t size() const { return needle_.size(); }

 private:
  std::string_view needle_;
  bool no_case_;
  size_t anchor_;  // npos when memchr cannot find the needle by any one byte
  int misses_ = 0;
};

// Whether the pair scan may use 32-byte registers where the processor has them (the default);
// false when asked for and not available. For tests of both paths.
bool UseWideScanForTesting(bool wide);

// Byte offset of the first CR or LF at or after from; npos when none. Eight bytes at a time.
size_t FindLineEnd(std::string_view text, size_t from);

// Whether every CR of text is followed by an LF and every LF follows a CR: all its line ends
// are CR LF. Sixteen bytes at a time.
bool LineEndsArePairs(std::string_view text);

// Byte offset of the first occurrence of needle (not empty) at or after from; npos when none.
size_t FindBytes(std::string_view hay, std::string_view needle, size_t from);

// The same with the A-Z of hay read as a-z: lower_needle (not empty) holds no A-Z. Only ASCII
// letters fold, so offsets are those of hay and no folded copy is made.
size_t FindBytesNoCase(std::string_view hay, std::string_view lower_needle, size_t from);

}  // namespace vellumo::text::internal
