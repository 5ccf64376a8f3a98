// Case folding that remembers where each folded character came from, for the text-compare
// searches of the text module; not part of its public contract.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::text::internal {

// The simple case folding of a character (one code point to one); others map to themselves.
char32_t FoldChar(char32_t cp);

// Folding keeps one character per character, but a character may change its byte length (the
// Kelvin sign folds to "k"). shifts lists, after each such character, the pair (offset in text,
// offset in the original), so offsets of character boundaries translate back.
struct FoldedText {
  std::string text;
  std::vector<std::pair<size_t, size_t>> shifts;  // starts with {0, 0}
};
FoldedText FoldWithOffsets(std::string_view s);

// Translates folded offsets (character boundaries, asked in non-decreasing order) to offsets in
// the original text, in amortised constant time.
class OffsetMapper {
 public:
  explicit OffsetMapper(const FoldedText& folded) : shifts_(folded.shifts) {}
  size_t operator()(size_t folded_offset) {
    while (current_ + 1 < shifts_.size() && shifts_[current_ + 1].first <= folded_offset)
      ++current_;
    return shifts_[current_].second + (folded_offset - shifts_[current_].first);
  }

 private:
  const std::vector<std::pair<size_t, size_t>>& shifts_;
  size_t current_ = 0;
};

}  // namespace vellumo::text::internal
