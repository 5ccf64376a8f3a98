#include "html/html_text.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/text.h"
#include "html/text_runs.h"

namespace vellumo::html {
namespace {

constexpr std::string_view kCrLf = "\r\n";

enum class Kind { kInline, kBlock, kParagraph, kDropped };

struct TagKind {
  GumboTag tag;
  Kind kind;
};

// clang-format off
constexpr TagKind kTagKinds[] = {
    {GUMBO_TAG_HEAD, Kind::kDropped}, {GUMBO_TAG_TITLE, Kind::kDropped},
    {GUMBO_TAG_STYLE, Kind::kDropped}, {GUMBO_TAG_SCRIPT, Kind::kDropped},
    {GUMBO_TAG_TEMPLATE, Kind::kDropped}, {GUMBO_TAG_IMG, Kind::kDropped},
    {GUMBO_TAG_P, Kind::kParagraph}, {GUMBO_TAG_H1, Kind::kParagraph},
    {GUMBO_TAG_H2, Kind::kParagraph}, {GUMBO_TAG_H3, Kind::kParagraph},
    {GUMBO_TAG_H4, Kind::kParagraph}, {GUMBO_TAG_H5, Kind::kParagraph},
    {GUMBO_TAG_H6, Kind::kParagraph},
    {GUMBO_TAG_ADDRESS, Kind::kBlock}, {GUMBO_TAG_ARTICLE, Kind::kBlock},
    {GUMBO_TAG_ASIDE, Kind::kBlock}, {GUMBO_TAG_BLOCKQUOTE, Kind::kBlock},
    {GUMBO_TAG_BODY, Kind::kBlock}, {GUMBO_TAG_CAPTION, Kind::kBlock},
    {GUMBO_TAG_CENTER, Kind::kBlock}, {GUMBO_TAG_DD, Kind::kBlock},
    {GUMBO_TAG_DETAILS, Kind::kBlock},
    {GUMBO_TAG_DIV, Kind::kBlock}, {GUMBO_TAG_DL, Kind::kBlock}, {GUMBO_TAG_DT, Kind::kBlock},
    {GUMBO_TAG_FIELDSET, Kind::kBlock}, {GUMBO_TAG_FIGCAPTION, Kind::kBlock},
    {GUMBO_TAG_FIGURE, Kind::kBlock}, {GUMBO_TAG_FOOTER, Kind::kBlock},
    {GUMBO_TAG_FORM, Kind::kBlock}, {GUMBO_TAG_HEADER, Kind::kBlock},
    {GUMBO_TAG_HR, Kind::kBlock}, {GUMBO_TAG_LI, Kind::kBlock}, {GUMBO_TAG_MAIN, Kind::kBlock},
    {GUMBO_TAG_NAV, Kind::kBlock}, {GUMBO_TAG_OL, Kind::kBlock}, {GUMBO_TAG_PRE, Kind::kBlock},
    {GUMBO_TAG_SECTION, Kind::kBlock}, {GUMBO_TAG_SUMMARY, Kind::kBlock},
    {GUMBO_TAG_TABLE, Kind::kBlock}, {GUMBO_TAG_TR, Kind::kBlock}, {GUMBO_TAG_UL, Kind::kBlock},
    {GUMBO_TAG_HTML, Kind::kBlock},
};
// clang-format on

Kind KindOf(GumboTag tag) {
  for (const TagKind& k : kTagKinds) {
    if (k.tag == tag) return k.kind;
  }
  return Kind::kInline;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view Attribute(const GumboElement& element, const char* name) {
  const GumboAttribute* a = gumbo_get_attribute(&element.attributes, name);
  return a == nullptr ? std::string_view() : std::string_view(a->value);
}

std::string Collapsed(std::string_view s) {
  std::string out;
  bool space = false;
  for (char c : s) {
    if (IsSpace(c)) {
      space = !out.empty();
    } else {
      if (space) out += ' ';
      space = false;
      out += c;
    }
  }
  return out;
}

// Builds the text: white space and line breaks are held back until the next visible character,
// so no line starts or ends with a space and breaks never pile up beyond what was asked.
class Writer {
 public:
  void Text(std::string_view s, bool preformatted) {
    if (!preformatted) {
      // A word goes in whole: after its first character nothing is held back.
      for (size_t i = 0; i < s.size();) {
        if (IsSpace(s[i])) {
          space_ = true;
          ++i;
          continue;
        }
        size_t end = i + 1;
        while (end < s.size() && !IsSpace(s[end])) ++end;
        Put(s[i]);
        out_.append(s.substr(i + 1, end - i - 1));
        i = end;
      }
      return;
    }
    for (char c : s) {
      if (c == '\r') continue;
      if (c == '\n') {
        LineBreak();
      } else {
        Put(c);
      }
    }
  }
  // Asks for the next text to start on a new line, after `blank` empty lines.
  void Break(int blank_lines) { wanted_ = std::max(wanted_, blank_lines + 1); }
  void LineBreak() {
    Flush(false);
    out_ += kCrLf;
    ++trailing_;
    space_ = false;
  }
  // Text put where the next character goes (a list bullet, a cell separator), held like it.
  void Prefix(std::string_view s) {
    Flush(false);
    out_ += s;
    trailing_ = 0;
    space_ = false;
    after_prefix_ = true;
  }
  size_t size() const { return out_.size(); }
  std::string_view Since(size_t position) const {
    return std::string_view(out_).substr(std::min(position, out_.size()));
  }
  std::string Finish() {
    while (!out_.empty() && IsSpace(out_.back())) out_.pop_back();
    return std::move(out_);
  }

 private:
  void Put(char c) {
    Flush(!after_prefix_);
    out_ += c;
    trailing_ = 0;
    after_prefix_ = false;
  }
  void Flush(bool with_space) {
    if (out_.empty()) {
      wanted_ = 0;
      space_ = false;
      return;
    }
    if (wanted_ > 0) {
      for (int i = trailing_; i < wanted_; ++i) out_ += kCrLf;
      trailing_ = std::max(trailing_, wanted_);
      wanted_ = 0;
      space_ = false;
      return;
    }
    if (with_space && space_ && trailing_ == 0) out_ += ' ';
    space_ = false;
  }

  std::string out_;
  int wanted_ = 0;    // line ends the next text needs in front of it
  int trailing_ = 0;  // line ends at the end of out_
  bool space_ = false;
  bool after_prefix_ = false;  // white space right after a prefix is not shown
};

class Renderer {
 public:
  // runs: the text runs the parsed document holds as marks.
  explicit Renderer(std::span<const std::string_view> runs = {}) : runs_(runs) {}

  std::string Render(const GumboNode* root) {
    struct Frame {
      const GumboNode* node;
      unsigned next_child;
      size_t text_start;
    };
    // An explicit stack: nesting depth in a message is the sender's to choose.
    std::vector<Frame> stack;
    stack.push_back({root, 0, 0});
    Enter(root);
    while (!stack.empty()) {
      Frame& frame = stack.back();
      const GumboVector* children = Children(frame.node);
      if (children != nullptr && frame.next_child < children->length) {
        const auto* child = static_cast<const GumboNode*>(children->data[frame.next_child++]);
        if (Enter(child)) stack.push_back({child, 0, writer_.size()});
        continue;
      }
      Leave(frame.node, frame.text_start);
      stack.pop_back();
    }
    return writer_.Finish();
  }

 private:
  static const GumboVector* Children(const GumboNode* node) {
    if (node->type == GUMBO_NODE_DOCUMENT) return &node->v.document.children;
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
      return &node->v.element.children;
    }
    return nullptr;
  }

  // False when the node's content is not shown (nothing to walk).
  bool Enter(const GumboNode* node) {
    switch (node->type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_CDATA:
      case GUMBO_NODE_WHITESPACE: {
        std::string_view text = node->v.text.text;
        if (!runs_.empty() && internal::HoldsMarks(text)) {
          unmarked_.clear();
          internal::UnmarkInto(text, runs_, unmarked_);
          text = unmarked_;
        }
        writer_.Text(text, pre_depth_ > 0);
        return false;
      }
      case GUMBO_NODE_DOCUMENT:
        return true;
      case GUMBO_NODE_ELEMENT:
        break;
      default:
        return false;
    }
    const GumboElement& element = node->v.element;
    const Kind kind = KindOf(element.tag);
    if (kind == Kind::kDropped) return false;
    if (kind == Kind::kParagraph) writer_.Break(1);
    if (kind == Kind::kBlock) writer_.Break(0);
    switch (element.tag) {
      case GUMBO_TAG_BR:
        writer_.LineBreak();
        return false;
      case GUMBO_TAG_PRE:
        ++pre_depth_;
        break;
      case GUMBO_TAG_UL:
      case GUMBO_TAG_OL:
        ++list_depth_;
        break;
      case GUMBO_TAG_LI:
        writer_.Prefix(std::string(2 * static_cast<size_t>(std::max(list_depth_ - 1, 0)), ' ') +
                       "- ");
        break;
      case GUMBO_TAG_TR:
        cells_.push_back(0);
        break;
      case GUMBO_TAG_TD:
      case GUMBO_TAG_TH:
        if (!cells_.empty() && cells_.back()++ > 0) writer_.Prefix("\t");
        break;
      default:
        break;
    }
    return true;
  }

  void Leave(const GumboNode* node, size_t text_start) {
    if (node->type != GUMBO_NODE_ELEMENT) return;
    const GumboElement& element = node->v.element;
    switch (element.tag) {
      case GUMBO_TAG_PRE:
        --pre_depth_;
        break;
      case GUMBO_TAG_UL:
      case GUMBO_TAG_OL:
        --list_depth_;
        break;
      case GUMBO_TAG_TR:
        if (!cells_.empty()) cells_.pop_back();
        break;
      case GUMBO_TAG_A:
        LinkAddress(element, writer_.Since(text_start));
        break;
      default:
        break;
    }
    const Kind kind = KindOf(element.tag);
    if (kind == Kind::kParagraph) writer_.Break(1);
    if (kind == Kind::kBlock) writer_.Break(0);
  }

  void LinkAddress(const GumboElement& element, std::string_view shown) {
    const std::string href = Collapsed(Attribute(element, "href"));
    if (href.empty() || href.front() == '#' || href.rfind("mailto:", 0) == 0) return;
    const std::string text = Collapsed(shown);
    if (text == href || text.empty()) return;
    writer_.Text(" <" + href + ">", false);
  }

  std::span<const std::string_view> runs_;
  std::string unmarked_;
  Writer writer_;
  int pre_depth_ = 0;
  int list_depth_ = 0;
  std::vector<int> cells_;  // cells seen in each open table row
};

bool IsTagStart(std::string_view html, size_t i) {
  if (i + 1 >= html.size()) return false;
  const auto next = static_cast<unsigned char>(html[i + 1]);
  return std::isalpha(next) != 0 || (next == '/' && i + 2 < html.size() &&
                                     std::isalpha(static_cast<unsigned char>(html[i + 2])) != 0);
}

std::string TagName(std::string_view tag) {
  std::string name;
  for (size_t i = tag[1] == '/' ? 2 : 1; i < tag.size(); ++i) {
    const auto c = static_cast<unsigned char>(tag[i]);
    if (std::isalnum(c) == 0) break;
    name += static_cast<char>(std::tolower(c));
  }
  return name;
}

// Elements without content, and elements whose content is not markup (their tags must stay, or
// their content would show as text).
constexpr std::string_view kVoid[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                      "input", "link", "meta", "param", "source", "track", "wbr"};
constexpr std::string_view kRawText[] = {"script", "style",    "title",    "textarea",
                                         "xmp",    "template", "noscript", "plaintext",
                                         "iframe", "noembed"};

bool IsOneOf(std::string_view name, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The parser's time grows with the square of the nesting depth, and a message may nest as deep as
// its sender likes: tags nested deeper than a reader could ever show are dropped before parsing,
// their text kept. The depth is counted roughly (a tag that is not void or closed by "/>" opens
// one level, an end tag closes one): nesting is only ever flattened, never text lost.
std::string FlattenDeepTags(std::string_view html) {
  constexpr int kMaxDepth = 1000;
  std::string out;
  out.reserve(html.size());
  int depth = 0;
  size_t i = 0;
  while (i < html.size()) {
    if (html[i] != '<') {
      const size_t next = std::min(html.find('<', i), html.size());
      out.append(html.substr(i, next - i));
      i = next;
      continue;
    }
    if (!IsTagStart(html, i)) {
      out += html[i++];
      continue;
    }
    const size_t close = html.find('>', i);
    const size_t end = close == std::string_view::npos ? html.size() : close + 1;
    const std::string_view tag = html.substr(i, end - i);
    const bool end_tag = tag[1] == '/';
    const std::string name = TagName(tag);
    const bool opens = !end_tag && !IsOneOf(name, kVoid) && !tag.ends_with("/>");
    const bool keep = IsOneOf(name, kRawText) || IsOneOf(name, kVoid);
    if (end_tag) {
      if (depth <= kMaxDepth || keep) out += tag;
      depth = std::max(depth - 1, 0);
    } else {
      if (depth < kMaxDepth || keep) out += tag;
      if (opens) ++depth;
    }
    i = end;
  }
  return out;
}

}  // namespace

namespace {

std::string ParseAndRender(const std::string& html, std::span<const std::string_view> runs) {
  std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> output(
      gumbo_parse_with_options(&kGumboDefaultOptions, html.c_str(), html.size()),
      [](GumboOutput* o) { gumbo_destroy_output(&kGumboDefaultOptions, o); });
  if (!output) return {};
  return Renderer(runs).Render(output->document);
}

}  // namespace

std::string HtmlToText(std::string_view given) {
  const std::string html = FlattenDeepTags(given);
  if (const std::optional<internal::MarkedText> marked = internal::MarkTextRuns(html)) {
    return ParseAndRender(marked->html, marked->runs);
  }
  return ParseAndRender(html, {});
}

namespace internal {

std::string HtmlToTextEveryCharacterParsed(std::string_view given) {
  return ParseAndRender(FlattenDeepTags(given), {});
}

}  // namespace internal

std::string HtmlTitle(std::string_view given) {
  const std::string html = FlattenDeepTags(given);
  std::unique_ptr<GumboOutput, void (*)(GumboOutput*)> output(
      gumbo_parse_with_options(&kGumboDefaultOptions, html.c_str(), html.size()),
      [](GumboOutput* o) { gumbo_destroy_output(&kGumboDefaultOptions, o); });
  if (!output) return {};
  // The parser always gives the document an html element holding a head.
  const GumboNode* root = output->root;
  for (unsigned i = 0; i < root->v.element.children.length; ++i) {
    const auto* head = static_cast<const GumboNode*>(root->v.element.children.data[i]);
    if (head->type != GUMBO_NODE_ELEMENT || head->v.element.tag != GUMBO_TAG_HEAD) continue;
    for (unsigned j = 0; j < head->v.element.children.length; ++j) {
      const auto* node = static_cast<const GumboNode*>(head->v.element.children.data[j]);
      if (node->type != GUMBO_NODE_ELEMENT || node->v.element.tag != GUMBO_TAG_TITLE) continue;
      std::string title;
      for (unsigned k = 0; k < node->v.element.children.length; ++k) {
        const auto* t = static_cast<const GumboNode*>(node->v.element.children.data[k]);
        if (t->type == GUMBO_NODE_TEXT) title += t->v.text.text;
      }
      std::string collapsed;
      for (char c : title) {
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
        if (!blank) {
          collapsed += c;
        } else if (!collapsed.empty() && collapsed.back() != ' ') {
          collapsed += ' ';
        }
      }
      if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
      return collapsed;
    }
  }
  return {};
}

std::string TextAsHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  // Each line escaped, every line end (CR LF, LF or a lone CR) a <br> and CR LF.
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    out += text::EscapeHtml(text.substr(0, end));
    if (end == std::string_view::npos) break;
    out += "<br>\r\n";
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crlf ? 2 : 1));
  }
  return out;
}

}  // namespace vellumo::html
