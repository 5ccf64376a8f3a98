#include "platform/mailclient/filter.h"

#include <utility>

#include "base/text.h"

namespace vellumo::mail {

struct Filter::Node {
  enum class Kind { kEqual, kNotEqual, kNot, kAnd, kOr };
  Kind kind;
  std::string field;  // comparisons
  std::string value;
  int64_t position = 0;
  std::vector<std::shared_ptr<const Node>> children;  // the others
};

namespace {

using Node = Filter::Node;
using NodePtr = std::shared_ptr<const Node>;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

class Parser {
 public:
  Parser(std::string_view text, std::vector<Filter::FieldRef>& fields)
      : text_(text), fields_(fields) {}

  NodePtr ParseAll() {
    NodePtr root = ParseOr(0);
    SkipBlanks();
    if (pos_ < text_.size()) Fail(pos_, "expected AND, OR or the end of the filter");
    return root;
  }

 private:
  // Character position (1-based) of a byte offset.
  int64_t CharPos(size_t offset) const { return text::Len(text_.substr(0, offset)) + 1; }

  [[noreturn]] void Fail(size_t offset, std::string_view expected) const {
    const int64_t at = CharPos(offset);
    throw FilterError(at, "Cannot parse the filter at character " + std::to_string(at) + ": " +
                              std::string(expected));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  // The word at the cursor (letters, digits, '_'), without consuming it.
  std::string_view PeekWord() const {
    size_t end = pos_;
    while (end < text_.size() && IsWordChar(text_[end])) ++end;
    return text_.substr(pos_, end - pos_);
  }

  // Consumes keyword when the next word is it (ignoring case).
  bool TakeKeyword(std::string_view keyword) {
    SkipBlanks();
    std::string_view word = PeekWord();
    if (word.empty() || !text::EqualsText(word, keyword)) return false;
    pos_ += word.size();
    return true;
  }

  void CheckDepth(int depth) const {
    if (depth > kMaxFilterDepth) Fail(pos_, "conditions nested too deeply");
  }

  NodePtr ParseOr(int depth) {
    CheckDepth(depth);
    NodePtr first = ParseAnd(depth);
    if (!TakeKeyword("OR")) return first;
    auto node = std::make_shared<Node>(Node{Node::Kind::kOr, {}, {}, 0, {first}});
    do {
      node->children.push_back(ParseAnd(depth));
    } while (TakeKeyword("OR"));
    return node;
  }

  NodePtr ParseAnd(int depth) {
    NodePtr first = ParseUnary(depth);
    if (!TakeKeyword("AND")) return first;
    auto node = std::make_shared<Node>(Node{Node::Kind::kAnd, {}, {}, 0, {first}});
    do {
      node->children.push_back(ParseUnary(depth));
    } while (TakeKeyword("AND"));
    return node;
  }

  NodePtr ParseUnary(int depth) {
    if (TakeKeyword("NOT")) {
      CheckDepth(depth + 1);
      NodePtr operand = ParseUnary(depth + 1);
      return std::make_shared<Node>(Node{Node::Kind::kNot, {}, {}, 0, {operand}});
    }
    return ParsePrimary(depth);
  }

  NodePtr ParsePrimary(int depth) {
    SkipBlanks();
    if (pos_ >= text_.size()) Fail(pos_, "expected a condition ('[', '(' or NOT)");
    if (text_[pos_] == '(') {
      const size_t open = pos_++;
      NodePtr inner = ParseOr(depth + 1);
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != ')') {
        Fail(pos_, "expected ')' to close the '(' at character " + std::to_string(CharPos(open)));
      }
      ++pos_;
      return inner;
    }
    if (text_[pos_] == '[') return ParseComparison();
    Fail(pos_, "expected a condition ('[', '(' or NOT)");
  }

  NodePtr ParseComparison() {
    const size_t open = pos_++;
    const size_t close = text_.find(']', pos_);
    if (close == std::string_view::npos) {
      Fail(text_.size(), "expected ']' to close the field name begun at character " +
                             std::to_string(CharPos(open)));
    }
    std::string field = text::Trim(text_.substr(pos_, close - pos_));
    if (field.empty()) Fail(pos_, "expected a field name");
    pos_ = close + 1;

    SkipBlanks();
    Node::Kind kind;
    if (text_.substr(pos_, 2) == "<>") {
      kind = Node::Kind::kNotEqual;
      pos_ += 2;
    } else if (pos_ < text_.size() && text_[pos_] == '=') {
      kind = Node::Kind::kEqual;
      pos_ += 1;
    } else {
      Fail(pos_, "expected '=' or '<>' after [" + field + "]");
    }

    std::string value = ParseValue();
    const int64_t position = CharPos(open);
    fields_.push_back({field, position});
    return std::make_shared<Node>(Node{kind, std::move(field), std::move(value), position, {}});
  }

  std::string ParseValue() {
    SkipBlanks();
    if (pos_ >= text_.size() || (text_[pos_] != '\'' && text_[pos_] != '"')) {
      Fail(pos_, "expected a value in quotes ('...' or \"...\")");
    }
    const char quote = text_[pos_];
    const size_t open = pos_++;
    std::string value;
    while (true) {
      const size_t next = text_.find(quote, pos_);
      if (next == std::string_view::npos) {
        Fail(text_.size(), std::string("expected ") + quote +
                               " to close the value begun at character " +
                               std::to_string(CharPos(open)));
      }
      value.append(text_.substr(pos_, next - pos_));
      pos_ = next + 1;
      if (pos_ < text_.size() && text_[pos_] == quote) {  // doubled: a quote in the value
        value += quote;
        ++pos_;
        continue;
      }
      return value;
    }
  }

  std::string_view text_;
  std::vector<Filter::FieldRef>& fields_;
  size_t pos_ = 0;
};

FilterError UnknownField(std::string_view field, int64_t position) {
  return FilterError(position, "Unknown field [" + std::string(field) + "] at character " +
                                   std::to_string(position) + " of the filter");
}

bool KeywordListContains(std::string_view list, std::string_view value) {
  bool any_entry = false;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find_first_of(",;", start);
    if (end == std::string_view::npos) end = list.size();
    const std::string entry = text::Trim(list.substr(start, end - start));
    if (!entry.empty()) {
      any_entry = true;
      if (text::EqualsText(entry, value)) return true;
    }
    start = end + 1;
  }
  return !any_entry && value.empty();
}

bool Evaluate(const Node& node, const FieldGetter& get) {
  switch (node.kind) {
    case Node::Kind::kEqual:
    case Node::Kind::kNotEqual: {
      const std::optional<std::string> actual = get(node.field);
      if (!actual) throw UnknownField(node.field, node.position);
      const bool equal = IsKeywordField(node.field) ? KeywordListContains(*actual, node.value)
                                                    : text::EqualsText(*actual, node.value);
      return node.kind == Node::Kind::kEqual ? equal : !equal;
    }
    case Node::Kind::kNot:
      return !Evaluate(*node.children.front(), get);
    case Node::Kind::kAnd: {
      bool all = true;
      for (const NodePtr& child : node.children) all = Evaluate(*child, get) && all;
      return all;
    }
    case Node::Kind::kOr: {
      bool any = false;
      for (const NodePtr& child : node.children) any = Evaluate(*child, get) || any;
      return any;
    }
  }
  return false;
}

}  // namespace

FilterError::FilterError(int64_t position, std::string description)
    : Error(std::move(description)), position_(position) {}

Filter Filter::Parse(std::string_view text) {
  Filter filter;
  filter.text_ = std::string(text);
  Parser parser(filter.text_, filter.fields_);
  filter.root_ = parser.ParseAll();
  return filter;
}

void Filter::Validate(const std::function<bool(std::string_view field)>& known) const {
  for (const FieldRef& ref : fields_) {
    if (!known(ref.name)) throw UnknownField(ref.name, ref.position);
  }
}

bool Filter::Matches(const FieldGetter& get) const { return Evaluate(*root_, get); }

bool IsKeywordField(std::string_view field) { return text::EqualsText(field, "Categories"); }

}  // namespace vellumo::mail
