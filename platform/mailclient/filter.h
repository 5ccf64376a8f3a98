// Filter: the restriction language of Items::Restrict.
//
//   filter     := or
//   or         := and { OR and }
//   and        := unary { AND unary }
//   unary      := NOT unary | primary
//   primary    := "(" or ")" | comparison
//   comparison := "[" field "]" ( "=" | "<>" ) value
//   value      := "'" text "'" | '"' text '"'      (the quote doubled stands for itself:
//   'O''Brien')
//
// Keywords are case-insensitive; NOT binds tighter than AND, AND tighter than OR. Blanks, tabs
// and line ends separate tokens. Field names are the mail client's property names ("FullName",
// "Categories"), blanks around them ignored.
//
// Comparison is the way the mail client compares text: ignoring case (Unicode simple case
// folding) and otherwise exact, blanks included. Categories is a keyword list: the field holds
// entries joined by "," or ";" ("VIP, Press"), and [Categories] = 'VIP' is true when one entry,
// trimmed, equals the value; an item without categories equals only ''. <> is the negation of =.
//
// Errors are FilterError, a vellumo::Error whose description names the 1-based character
// position and what was expected there ("Cannot parse the filter at character 12: expected ']'
// to close the field name begun at character 1"), or the unknown field and its position.
// Parsing is linear; nesting deeper than kMaxFilterDepth is refused, so no input exhausts the
// stack. A Filter is immutable and may be shared between threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace vellumo::mail {

inline constexpr int kMaxFilterDepth = 100;

class FilterError : public Error {
 public:
  FilterError(int64_t position, std::string description);
  // 1-based character position in the filter text.
  int64_t position() const { return position_; }

 private:
  int64_t position_;
};

// The text of a field of the item being tested, or nullopt when the item has no such field.
using FieldGetter = std::function<std::optional<std::string>(std::string_view field)>;

class Filter {
 public:
  struct FieldRef {
    std::string name;  // as written, blanks trimmed
    int64_t position;  // of its "["
  };

  // Throws FilterError for any syntax error.
  static Filter Parse(std::string_view text);

  // Every field the filter compares, in text order (a field used twice is listed twice).
  const std::vector<FieldRef>& Fields() const { return fields_; }

  // Throws FilterError for the first field (in text order) that known rejects.
  void Validate(const std::function<bool(std::string_view field)>& known) const;

  // Whether the item that get describes matches. Every comparison is evaluated (no
  // short-circuit), so a field get does not know always throws FilterError at its position,
  // whatever the other values; get's own exceptions pass through.
  bool Matches(const FieldGetter& get) const;

  const std::string& text() const { return text_; }

  struct Node;  // the parsed tree; private to filter.cc

 private:
  Filter() = default;

  std::string text_;
  std::shared_ptr<const Node> root_;
  std::vector<FieldRef> fields_;
};

// True for fields compared as keyword lists (Categories).
bool IsKeywordField(std::string_view field);

}  // namespace vellumo::mail
