#include "common/compose/neutralise.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/byte_search.h"
#include "base/error.h"
#include "base/text.h"
#include "common/settings/keys.h"

namespace vellumo::compose {
namespace {

constexpr std::string_view kCompareWhere = "CreateHTMLBody- error HTML File Compare";
constexpr std::string_view kCompareLabel = "CompareFile_Err";
constexpr std::string_view kFontWhere = "CreateHTMLBody- error FontControl";
constexpr std::string_view kFontLabel = "FontControl_Err";
constexpr size_t npos = std::string::npos;
using text::internal::ByteSearcher;
constexpr ByteSearcher::Case kAnyCase = ByteSearcher::Case::kFoldAsciiLetters;

// The rules search for ASCII tags in any case, folding A-Z only. That finds the same matches
// as a full lower-casing (the non-ASCII characters that lower-case to ASCII, the Kelvin sign and
// the dotted capital I, cannot complete any of these tags) and keeps byte offsets those of the
// original text, which a full lower-casing does not. No lowered copy of the text is ever made.

// The first position at or after from where text, A-Z folded to a-z, reads lower_needle (lower-
// case ASCII, not empty); npos when none.
size_t FindNoCase(std::string_view text, std::string_view lower_needle, size_t from) {
  return ByteSearcher(lower_needle, kAnyCase).Find(text, from);
}

// Every occurrence of lower_needle (as FindNoCase reads it), left to right and not overlapping,
// replaced by with, written into out (cleared first). False, out untouched, when there is none.
bool ReplaceNoCaseInto(std::string_view text, std::string_view lower_needle, std::string_view with,
                       std::string& out) {
  ByteSearcher needle(lower_needle, kAnyCase);
  size_t pos = needle.Find(text, 0);
  if (pos == npos) return false;
  out.clear();
  out.reserve(text.size() + text.size() / 8);
  size_t copied = 0;
  while (pos != npos) {
    out.append(text.substr(copied, pos - copied)).append(with);
    copied = pos + lower_needle.size();
    pos = needle.Find(text, copied);
  }
  out.append(text.substr(copied));
  return true;
}

// A rule on a whole text, run as the pipeline runs it.
std::string Rewritten(std::string_view text, void (*rule)(text::Rewriting&)) {
  text::Rewriting work{std::string(text)};
  rule(work);
  return std::move(work).Take();
}

// The first occurrence of needle (lower-case ASCII, any case in the text) at or after from,
// remembered between calls whose from never decreases, so that walking a text asks each region
// once.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view haystack, std::string_view needle)
      : haystack_(haystack), needle_(needle, kAnyCase) {}
  size_t FindFrom(size_t from) {
    if (!known_ || (hit_ != npos && hit_ < from)) {
      hit_ = needle_.Find(haystack_, from);
      known_ = true;
    }
    return hit_;
  }

 private:
  std::string_view haystack_;
  ByteSearcher needle_;
  size_t hit_ = npos;
  bool known_ = false;
};

// The dumps are written as a print statement writes: the text, then CR LF. The line end goes on
// the text itself for the write and comes off again, whatever the write does: no copy of the
// whole text is made for it.
void Dump(FileSystem& fs, std::string_view application_path, std::string_view file_name,
          text::Rewriting& text) {
  std::string& content = text.Edit();
  const size_t size = content.size();
  struct TakeOff {
    std::string& content;
    size_t size;
    ~TakeOff() { content.resize(size); }
  } take_off{content, size};
  content.append(text::kCrLf);
  fs.WriteFile(std::string(application_path) + std::string(file_name), content);
}

// The rules on the user's text in their order. A null apply marks the after dump.
struct UserTextRule {
  const SettingKey& key;
  std::string_view where;
  std::string_view label;
  void (*apply)(text::Rewriting&);
};

constexpr UserTextRule kUserTextRules[] = {
    {keys::WipeoutHTML, "CreateHTMLBody- error Wipeout HTML", "WipeoutHTML_Err", WipeoutHtml},
    {keys::WipeOutFontControl, kFontWhere, kFontLabel, WipeoutFontControl},
    {keys::WipeoutDivTag, "CreateHTMLBody- error DivControl", "DivControl_Err", RemoveDivTags},
    {keys::WipeoutDivTag, "CreateHTMLBody- error EndDIvControl", "EndDivControl_Err",
     DivEndTagsToBreaks},
    {keys::WipeoutBlockquote, kFontWhere, kFontLabel, WipeoutBlockquote},
    {keys::WipeOutFileCompare, kCompareWhere, kCompareLabel, nullptr},
    {keys::WipeoutHardRule, kFontWhere, kFontLabel, WipeoutHardRule},
};

bool IsLinkStop(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case ')':
    case '?':
    case ',':
    case ':':
    case ';':
    case '!':
    case '\r':
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------

void WriteBeforeDump(const Settings& settings, FileSystem& fs, Log& log,
                     std::string_view application_path, text::Rewriting& text) {
  Guard(log, kCompareWhere, kCompareLabel, [&] {
    if (settings.IsTrue(keys::WipeOutFileCompare)) {
      Dump(fs, application_path, "\\beforetext.txt", text);
    }
  });
}

void WriteBeforeDump(const Settings& settings, FileSystem& fs, Log& log,
                     std::string_view application_path, std::string_view text) {
  text::Rewriting work{std::string(text)};
  WriteBeforeDump(settings, fs, log, application_path, work);
}

void ApplyUserTextRules(const Settings& settings, FileSystem& fs, Log& log,
                        std::string_view application_path, text::Rewriting& text) {
  for (const UserTextRule& rule : kUserTextRules) {
    Guard(log, rule.where, rule.label, [&] {
      if (!settings.IsTrue(rule.key)) return;
      if (rule.apply == nullptr) {
        Dump(fs, application_path, "\\aftertext.txt", text);
      } else {
        rule.apply(text);
      }
    });
  }
}

std::string ApplyUserTextRules(const Settings& settings, FileSystem& fs, Log& log,
                               std::string_view application_path, std::string text) {
  text::Rewriting work(std::move(text));
  ApplyUserTextRules(settings, fs, log, application_path, work);
  return std::move(work).Take();
}

void WipeoutHtml(text::Rewriting& text) {
  ReduceBodyInPlace(text.Edit());
  if (!EmptyStyleInPlace(text.Edit())) return;
  if (SwitchAndRestorePicturesInto(text.text(), text.Spare())) text.Commit();
}

std::string WipeoutHtml(std::string_view text) { return Rewritten(text, WipeoutHtml); }

bool ReduceBodyInPlace(std::string& text) {
  const size_t s = FindNoCase(text, "<body", 0);
  if (s == npos) return false;
  const size_t g = text.find('>', s);
  // g == 5 only when the text opens with a bare "<body>": nothing to reduce.
  if (g == npos || g == 5) return false;
  text.replace(s, g - s + 1, "<BODY>");
  return true;
}

std::string ReduceBody(std::string_view text) {
  std::string out(text);
  ReduceBodyInPlace(out);
  return out;
}

bool EmptyStyleInPlace(std::string& text) {
  const size_t s = FindNoCase(text, "<style>", 0);
  if (s == npos) return false;
  // The closing tag of this block: a stray "</style>" before it must not make the text between
  // the two appear twice.
  const size_t e = FindNoCase(text, "</style>", s + 7);
  if (e == npos) return false;
  text.replace(s, e + 8 - s, "<STYLE></STYLE>");
  return true;
}

StyleEmptied EmptyStyle(std::string_view text) {
  StyleEmptied emptied{std::string(text), false};
  emptied.style_found = EmptyStyleInPlace(emptied.text);
  return emptied;
}

bool SwitchFirstPicture(std::string& text) {
  const size_t s = FindNoCase(text, "<img", 0);
  if (s == npos) return false;
  const size_t g = text.find('>', s + 4);
  if (g == npos) return false;
  const std::string_view tag = std::string_view(text).substr(s, g - s + 1);
  if (FindNoCase(tag, "id=rid", 0) == npos && FindNoCase(tag, "alt=", 0) == npos) {
    text.replace(s, 4, "<xxxIMG");
  } else {
    text.replace(s, g - s + 1, "<xIMG>");
  }
  return true;
}

namespace {

bool EqualsAsciiNoCase(std::string_view text, std::string_view lower) {
  for (size_t i = 0; i < lower.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

// Whether a picture's tag, from its "<img" up to its ">" (not included), holds "id=rid" or
// "alt=" in any case (A-Z folded, as the searches fold). Each holds an "=", and a tag has only a
// few: the tag is read around each of them instead of the whole text being searched twice.
bool NamesThePicture(std::string_view tag) {
  for (size_t q = tag.find('='); q != npos; q = tag.find('=', q + 1)) {
    if (q >= 3 && EqualsAsciiNoCase(tag.substr(q - 3), "alt")) return true;
    if (q >= 2 && q + 4 <= tag.size() && EqualsAsciiNoCase(tag.substr(q - 2), "id") &&
        EqualsAsciiNoCase(tag.substr(q + 1), "rid")) {
      return true;
    }
  }
  return false;
}

// Neither replacement can form a new "<img" with the text around it, and the text before a match
// holds none, so the next match of the repeated switch is the first "<img" after the replacement:
// the walk goes on from there. The ">" search only ever moves forward.
//
// With restore, every "<xxximg" marker also becomes "<IMG ", as a restore after the switch would
// make it. What the switch copies between pictures cannot hold a part of a marker that the
// restore would find only in the whole output: a marker starts with "<" and has no other, and
// everything the switch puts in starts with "<" and holds no marker's start but its own
// "<xxxIMG". So each copied stretch is restored on its own, and the switch writes "<IMG " where
// the restore would turn its "<xxxIMG" into that.
bool WalkPictures(std::string_view text, std::string& out, bool restore) {
  ForwardFinder close(text, ">");
  ByteSearcher picture("<img", kAnyCase);
  ByteSearcher marker("<xxximg", kAnyCase);
  size_t copied = 0;
  size_t from = 0;
  size_t next_marker = restore ? marker.Find(text, 0) : npos;
  bool changed = false;
  auto start = [&] {
    if (changed) return;
    out.clear();
    out.reserve(text.size() + text.size() / 8);
    changed = true;
  };
  // The text from copied up to end, its markers restored.
  auto copy_to = [&](size_t end) {
    while (next_marker != npos && next_marker + 7 <= end) {
      start();
      out.append(text.substr(copied, next_marker - copied)).append("<IMG ");
      copied = next_marker + 7;
      next_marker = marker.Find(text, copied);
    }
    if (changed) out.append(text.substr(copied, end - copied));
    copied = end;
  };
  while (true) {
    const size_t s = picture.Find(text, from);
    if (s == npos) break;
    const size_t g = close.FindFrom(s + 4);
    if (g == npos) break;  // no ">" after this or any later "<img": nothing more to switch
    const bool drop_whole = NamesThePicture(text.substr(s, g - s));
    start();
    copy_to(s);
    if (drop_whole) {
      out.append("<xIMG>");
      copied = g + 1;
    } else {
      out.append(restore ? "<IMG " : "<xxxIMG");
      copied = s + 4;
    }
    // A marker the dropped tag cut is gone with it.
    if (next_marker != npos && next_marker < copied) next_marker = marker.Find(text, copied);
    from = copied;
  }
  copy_to(text.size());
  return changed;
}

}  // namespace

bool SwitchPicturesInto(std::string_view text, std::string& out) {
  return WalkPictures(text, out, /*restore=*/false);
}

bool SwitchAndRestorePicturesInto(std::string_view text, std::string& out) {
  return WalkPictures(text, out, /*restore=*/true);
}

std::string SwitchPictures(std::string_view text) {
  std::string out;
  if (!SwitchPicturesInto(text, out)) out.assign(text);
  return out;
}

bool RestoreFirstPicture(std::string& text) {
  const size_t s = FindNoCase(text, "<xxximg", 0);
  if (s == npos) return false;
  text.replace(s, 7, "<IMG ");
  return true;
}

// "<xxximg" cannot overlap itself and "<IMG " cannot complete one with its neighbours, so one
// replace-all pass equals the repeated first-match restore. Ignoring case folds A-Z only: no
// character outside ASCII folds to one of the tag's letters (the case-folding tests hold this).
std::string RestorePictures(std::string_view text) {
  std::string out;
  if (!ReplaceNoCaseInto(text, "<xxximg", "<IMG ", out)) out.assign(text);
  return out;
}

// The two replacements in one walk: neither pattern overlaps the other or holds the "x" put
// before them, and both are ASCII, so the second finds in the first's result just what it finds
// in the text.
void WipeoutFontControl(text::Rewriting& text) {
  const std::string_view in = text.text();
  ByteSearcher face("face=");
  ByteSearcher size("size=");
  size_t next_face = face.Find(in, 0);
  size_t next_size = size.Find(in, 0);
  if (next_face == npos && next_size == npos) return;
  std::string& out = text.Spare();
  out.clear();
  out.reserve(in.size() + in.size() / 8);
  size_t copied = 0;
  while (next_face != npos || next_size != npos) {
    const size_t pos = std::min(next_face, next_size);
    out.append(in.substr(copied, pos - copied)).push_back('x');
    copied = pos;  // the pattern itself goes with the next stretch
    if (pos == next_face) {
      next_face = face.Find(in, pos + 5);
    } else {
      next_size = size.Find(in, pos + 5);
    }
  }
  out.append(in.substr(copied));
  text.Commit();
}
void RemoveDivTags(text::Rewriting& text) { text.Replace("<div>", ""); }
void DivEndTagsToBreaks(text::Rewriting& text) { text.Replace("</div>", "<br>"); }
void WipeoutBlockquote(text::Rewriting& text) { text.Replace("BLOCKQUOTE", "xBLOCKQUOTE"); }
void WipeoutHardRule(text::Rewriting& text) { text.Replace("<hr", "<xhr"); }

std::string WipeoutFontControl(std::string_view text) {
  return Rewritten(text, WipeoutFontControl);
}
std::string RemoveDivTags(std::string_view text) { return Rewritten(text, RemoveDivTags); }
std::string DivEndTagsToBreaks(std::string_view text) {
  return Rewritten(text, DivEndTagsToBreaks);
}
std::string WipeoutBlockquote(std::string_view text) { return Rewritten(text, WipeoutBlockquote); }
std::string WipeoutHardRule(std::string_view text) { return Rewritten(text, WipeoutHardRule); }

// "xMG" holds no "IMG" and cannot form one with its neighbours, so the repeated first-match
// replacement is one replace-all pass. As for the restore, only A-Z fold onto the letters.
std::string SwitchOffWordPictures(std::string_view text) {
  std::string out;
  if (!ReplaceNoCaseInto(text, "img", "xMG", out)) out.assign(text);
  return out;
}

// ---------------------------------------------------------------------------------------------

std::string AddReplySignature(const Settings& settings, std::string_view new_text,
                              std::string_view signature) {
  std::string out;
  const bool table = settings.IsTrue(keys::WipeoutSignatureTable);
  if (table) out.append(kSignatureTableOpen);
  out.append(new_text).append("<P>").append(signature);
  if (table) out.append("</TABLE>");
  return out;
}

void RemoveReplyTags(text::Rewriting& history, std::string_view begin_tag, std::string_view end_tag,
                     std::string_view tags_group) {
  history.Replace(begin_tag, "<!-- ");
  history.Replace(end_tag, " -->");
  if (tags_group.empty() || tags_group.find("NONE") != npos) return;
  for (const std::string& tag : text::Split(tags_group, ",")) history.Replace(tag, "x" + tag);
}

std::string RemoveReplyTags(std::string_view history, std::string_view begin_tag,
                            std::string_view end_tag, std::string_view tags_group) {
  text::Rewriting work{std::string(history)};
  RemoveReplyTags(work, begin_tag, end_tag, tags_group);
  return std::move(work).Take();
}

std::string ReplyFontSmall(std::string_view history) {
  std::string out("<span font size=1>");
  out.append(history).append("</span>");
  return out;
}

std::string ApplyReplyRules(const Settings& settings, std::string_view history) {
  return ApplyReplyRules(settings, std::string(history));
}

std::string ApplyReplyRules(const Settings& settings, std::string&& history) {
  text::Rewriting work{std::move(history)};
  if (settings.IsTrue(keys::RemoveReplyTags)) {
    RemoveReplyTags(work, settings.Get(keys::WipeoutHTMLBeginTag),
                    settings.Get(keys::WipeoutHTMLEndTag),
                    settings.Get(keys::WipeoutHTMLTagsGroup));
  }
  if (settings.IsTrue(keys::WipeoutReplyFontSmall)) {
    std::string& out = work.Spare();
    out.reserve(work.text().size() + 25);
    out.append("<span font size=1>").append(work.text()).append("</span>");
    work.Commit();
  }
  return std::move(work).Take();
}

std::string ReplySeparatorMarkup(const Settings& settings) {
  return settings.Get(keys::WipeoutReplySeparator);
}

// ---------------------------------------------------------------------------------------------

// Linking every word where it stands, once, is what linking each collected word through a
// replace-all of the whole text gives whenever the words are distinct and none holds another; on
// the other inputs (a word repeated, a word that starts another) the replace-all puts links inside
// the href of earlier links. The stop characters are ASCII, so a byte walk reads UTF-8 text
// character by character.
std::string MakeWwwLinks(std::string_view text, std::string_view search) {
  if (search.empty()) return std::string(text);
  std::string out;
  size_t copied = 0;
  size_t from = 0;
  while (true) {
    const size_t hit = text.find(search, from);
    if (hit == npos) break;
    size_t end = hit;
    while (end < text.size() && !IsLinkStop(text[end])) ++end;
    if (end == hit) {  // a search text that starts with a stop character reads an empty word
      from = hit + 1;
      continue;
    }
    const std::string_view word = text.substr(hit, end - hit);
    out.append(text.substr(copied, hit - copied));
    out.append("<a href=\"http://").append(word).append("\">").append(word).append("</a>");
    copied = end;
    from = end;
  }
  out.append(text.substr(copied));
  return out;
}

std::string LoadBoilerplate(const Settings& settings, FileSystem& fs, std::string_view name) {
  if (name.empty() || name == "None") return "";
  std::string path = settings.Get(keys::HtmFilesPathAsSet);
  path.append("/").append(name);
  std::string content;
  try {
    content = text::DecodeFileText(fs.ReadFile(path));
  } catch (const Error&) {
    // The caller shows the snippet as it is: the path and name tell the user what is missing.
    return path + " - " + std::string(name);
  }
  std::string out("<BR>");
  for (std::string_view line : text::Lines(content)) out.append(line).append("<BR>");
  out.append("<BR>");
  return out;
}

std::string TrimTemplateName(std::string_view name) {
  const int64_t at = text::InStr(name, "_template");
  if (at == 0) return std::string(name);
  return text::Left(name, at - 1);
}

}  // namespace vellumo::compose
