// Neutralising rules: text rules that switch off markup in the user's text that would fight a
// stationery template (its own body attributes, style sheets, pictures, fonts, block quotes,
// rules), the rules applied to a reply's quoted history, and the small markup helpers of the
// composition (www links, boilerplate snippets, template names).
//
// The rules rename or drop tags by plain text replacement; they never parse HTML. A tag renamed
// to "<xhr" or "xBLOCKQUOTE" is ignored by mail readers while its text stays in place. All
// replacements are case-sensitive and replace every occurrence unless a function says otherwise.
// Every function here is linear (or close to it) in the size of the text, whatever the input.
//
// Settings are read from application "Vellumo"; a switch is on only when its value is exactly
// "True". Functions that read settings throw what Settings throws (vellumo::Error) unless they
// take a Log, in which case they log and go on as documented.
//
// Thread safety: the pure text functions are; the others are as safe as the objects passed in.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"

namespace vellumo::compose {

// ---------------------------------------------------------------------------------------------
// The rules on the user's text, in the order the composition applies them.

// Step 3 of the composition (before the date line): when Admin Settings "WipeOutFileCompare" is
// "True", writes text followed by CR LF to application_path & "\beforetext.txt" (created or
// replaced). A failure (setting or file) is logged as ("CreateHTMLBody- error HTML File Compare",
// "CompareFile_Err") and ignored.
void WriteBeforeDump(const Settings& settings, FileSystem& fs, Log& log,
                     std::string_view application_path, std::string_view text);
// The same on a text being rewritten (its spare buffer holds the dump's content meanwhile).
void WriteBeforeDump(const Settings& settings, FileSystem& fs, Log& log,
                     std::string_view application_path, text::Rewriting& text);

// Step 5 of the composition: the rules on the user's text, each when its switch is "True":
//   WipeoutHTML        (Admin, default "False")  WipeoutHtml
//   WipeOutFontControl (Admin, default "False")  WipeoutFontControl
//   WipeoutDivTag      (User,  default "False")  RemoveDivTags, then DivEndTagsToBreaks
//   WipeoutBlockquote  (Admin, default "True")   WipeoutBlockquote
//   WipeOutFileCompare (Admin, default "False")  the text (plus CR LF) to application_path &
//                                                "\aftertext.txt"
//   WipeoutHardRule    (Admin, default "False")  WipeoutHardRule
// A step that fails (reading its switch, writing the dump) is logged through
// Write_to_error_file with the composition's where-text and label for that step, leaves the text
// as it was, and the next step runs. Never throws vellumo::Error.
[[nodiscard]] std::string ApplyUserTextRules(const Settings& settings, FileSystem& fs, Log& log,
                                             std::string_view application_path, std::string text);
// The same on a text being rewritten: no whole-text buffer is allocated beyond its two.
void ApplyUserTextRules(const Settings& settings, FileSystem& fs, Log& log,
                        std::string_view application_path, text::Rewriting& text);

// WipeoutHTML: ReduceBody, then EmptyStyle, then, only when a style block was emptied,
// SwitchPictures and RestorePictures. Net effect: pictures carrying "id=rid" or "alt=" go, the
// others stay.
[[nodiscard]] std::string WipeoutHtml(std::string_view text);
void WipeoutHtml(text::Rewriting& text);

// The first "<body" tag (any case) with all its attributes becomes "<BODY>". Unchanged when there
// is no "<body", no ">" after it, or when the text opens with a bare "<body>".
[[nodiscard]] std::string ReduceBody(std::string_view text);
bool ReduceBodyInPlace(std::string& text);  // true when it reduced

struct StyleEmptied {
  std::string text;
  bool style_found = false;  // a block was found and emptied
};
// The first bare "<style>" (any case, no attributes) and the first "</style>" after it become
// "<STYLE></STYLE>", with everything between them dropped. Without a bare "<style>" or without a
// "</style>" after it, the text is unchanged and style_found is false.
[[nodiscard]] StyleEmptied EmptyStyle(std::string_view text);
bool EmptyStyleInPlace(std::string& text);  // true when a block was emptied

// Picture switch on the first "<img" (any case) and the first ">" after it: when the tag text
// holds "id=rid" or "alt=" (any case) the whole tag becomes "<xIMG>", otherwise only "<img"
// becomes "<xxxIMG". Returns false, text unchanged, when there is no "<img" or no ">" after it.
[[nodiscard]] bool SwitchFirstPicture(std::string& text);
// The picture switch repeated while it changes something; one forward walk, same result as
// calling SwitchFirstPicture until it returns false.
[[nodiscard]] std::string SwitchPictures(std::string_view text);
// The same written into out (cleared first); false, out untouched, when no picture switches.
bool SwitchPicturesInto(std::string_view text, std::string& out);

// Picture restore on the first "<xxxIMG" (any case): it becomes "<IMG " (trailing space).
// Returns false when there is none.
[[nodiscard]] bool RestoreFirstPicture(std::string& text);
// Every "<xxxIMG" (any case) becomes "<IMG "; same as calling RestoreFirstPicture until false.
[[nodiscard]] std::string RestorePictures(std::string_view text);
// RestorePictures(SwitchPictures(text)) in one walk, written into out (cleared first); false,
// out untouched, when that changes nothing.
bool SwitchAndRestorePicturesInto(std::string_view text, std::string& out);

// WipeOutFontControl: "face=" becomes "xface=", then "size=" becomes "xsize=".
[[nodiscard]] std::string WipeoutFontControl(std::string_view text);
void WipeoutFontControl(text::Rewriting& text);
// WipeoutDivTag, first replacement: every "<div>" is removed.
[[nodiscard]] std::string RemoveDivTags(std::string_view text);
void RemoveDivTags(text::Rewriting& text);
// WipeoutDivTag, second replacement: every "</div>" becomes "<br>".
[[nodiscard]] std::string DivEndTagsToBreaks(std::string_view text);
void DivEndTagsToBreaks(text::Rewriting& text);
// WipeoutBlockquote: "BLOCKQUOTE" becomes "xBLOCKQUOTE" (upper case only).
[[nodiscard]] std::string WipeoutBlockquote(std::string_view text);
void WipeoutBlockquote(text::Rewriting& text);
// WipeoutHardRule: "<hr" becomes "<xhr".
[[nodiscard]] std::string WipeoutHardRule(std::string_view text);
void WipeoutHardRule(text::Rewriting& text);

// The Word path's rule on the HTML it reads back: every "IMG" (any case) becomes "xMG", which
// switches every picture tag off. Same as replacing the first one until none is left.
[[nodiscard]] std::string SwitchOffWordPictures(std::string_view text);

// ---------------------------------------------------------------------------------------------
// The rules on a reply.

inline constexpr std::string_view kSignatureTableOpen =
    "<TABLE  width='100%' cellspacing='0' cellpadding='0' border='0'>";

// The reply's new text with the signature below it: when Admin Settings "WipeoutSignatureTable"
// (default "True") is "True", kSignatureTableOpen, new_text, "<P>", signature, "</TABLE>";
// otherwise new_text, "<P>", signature.
[[nodiscard]] std::string AddReplySignature(const Settings& settings, std::string_view new_text,
                                            std::string_view signature);

// The history rules: every begin_tag becomes "<!-- ", then every end_tag becomes " -->" (an empty
// tag changes nothing), then, unless tags_group is empty or contains "NONE", tags_group is split
// at "," and each element t, in list order and untrimmed, is replaced by "x" & t.
[[nodiscard]] std::string RemoveReplyTags(std::string_view history, std::string_view begin_tag,
                                          std::string_view end_tag, std::string_view tags_group);
void RemoveReplyTags(text::Rewriting& history, std::string_view begin_tag, std::string_view end_tag,
                     std::string_view tags_group);

// "<span font size=1>", history, "</span>".
[[nodiscard]] std::string ReplyFontSmall(std::string_view history);

// Step 15 of the composition on the quoted history: when Admin Settings "RemoveReplyTags" is
// "True", RemoveReplyTags with "WipeoutHTMLBeginTag", "WipeoutHTMLEndTag" and
// "WipeoutHTMLTagsGroup" (all default ""); then, when "WipeoutReplyFontSmall" is "True",
// ReplyFontSmall.
[[nodiscard]] std::string ApplyReplyRules(const Settings& settings, std::string_view history);
// The same on a history the caller gives up: rewritten in its own buffer, not a copy.
[[nodiscard]] std::string ApplyReplyRules(const Settings& settings, std::string&& history);

// The markup put between the stationery and the history: Admin Settings "WipeoutReplySeparator",
// default "<hr>".
[[nodiscard]] std::string ReplySeparatorMarkup(const Settings& settings);

// ---------------------------------------------------------------------------------------------
// Markup helpers.

// Turns every word that starts with `search` into a link: the word runs from the search text up
// to (not including) the first space, TAB, ")", "?", ",", ":", ";", "!" or CR, or to the end; it
// becomes "<a href=" & Chr(34) & "http://" & word & Chr(34) & ">" & word & "</a>". A full stop is
// part of the word. Each occurrence is linked once, in place, in one forward pass; a search text
// found inside a word already linked starts no new link. An empty search changes nothing.
// The search text is matched byte for byte: for a valid UTF-8 search text that is matching whole
// characters, also in text that is not valid UTF-8.
[[nodiscard]] std::string MakeWwwLinks(std::string_view text, std::string_view search = "www.");

// A boilerplate snippet as HTML: "" for an empty name or "None"; otherwise the file
// Admin Settings "HTM Files Path" (default "") & "/" & name, read line by line (a line ends at
// CR LF, CR or LF), as "<BR>", each line followed by "<BR>", then "<BR>". A file that cannot be
// read gives the path, " - ", and the name. Throws only what Settings throws.
[[nodiscard]] std::string LoadBoilerplate(const Settings& settings, FileSystem& fs,
                                          std::string_view name);

// The name up to (not including) the first "_template"; a name without it is returned whole.
[[nodiscard]] std::string TrimTemplateName(std::string_view name);

}  // namespace vellumo::compose
