// CaptionTable: the numbered English texts a deliverable's windows take their captions and tool
// tips from, compiled in from a string-table resource, and the rule that applies them when a
// window loads.
//
// Resource format (resources/strings/*.txt), UTF-8, one entry per line:
//   NUMBER<TAB>TEXT
// NUMBER is 1 to 65535 in decimal digits and appears once; the text runs to the end of the line,
// spaces kept. In the text, "\t" is a tab, "\n" a line feed, "\r" a carriage return and "\\" a
// backslash; any other backslash sequence is an error. Empty lines and lines starting with '#'
// are skipped; lines end at LF or CR LF. A malformed table is an Error naming source and line.
//
// Applying a table to a form (ApplyCaptionTable): a form whose Tag is a number takes that entry as
// its caption; a menu item whose caption is a number takes that entry as caption; any other
// control whose Tag is a number takes the entry as caption, and one whose tool tip is a number
// takes that entry as tool tip. A control kind without a caption (text, combo and list boxes,
// file lists, images, browsers, progress bars) keeps its caption; a text that is not a number, or
// a number without an entry, leaves the design text as it is.
//
// Immutable once parsed; safe to share between threads.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/form.h"

namespace vellumo {

class CaptionTable {
 public:
  CaptionTable() = default;

  // Throws Error("<source>:<line>: <what is wrong>") for a malformed line.
  static CaptionTable Parse(std::string_view text, std::string_view source);

  // The entry's text, or nullptr when the table has none.
  const std::string* Find(int number) const;
  size_t size() const { return entries_.size(); }
  const std::map<int, std::string>& entries() const { return entries_; }

 private:
  std::map<int, std::string> entries_;
};

// The add-in's table (resources/strings/addin.txt), parsed on first use. Throws the parse Error
// when the compiled-in resource is malformed (a build mistake the tests catch).
const CaptionTable& AddInCaptions();

// The entry number a Tag, caption or tool tip names: decimal digits, blanks around allowed, 1 to
// 65535. Anything else (empty, "abc", "12a", "-3", "0") names no entry.
std::optional<int> EntryNumber(std::string_view text);

struct CaptionRules {
  // The set-up wizard's windows also fill a text box's text from its numeric Tag.
  bool text_boxes_take_text = false;
};

void ApplyCaptionTable(ui::Form& form, const CaptionTable& table, const CaptionRules& rules = {});

}  // namespace vellumo
