// Signature placeholders: the fills that put the user's signature profile into templates,
// signature files and the generated mail-client signature files.
//
// A placeholder is "[#", a field name, "#]". The values are settings of application "Vellumo"
// (profile fields in "Admin Settings", empty by default unless fill_tables.h says otherwise), put
// in as stored: no escaping, no trimming. Both fills also take away the whole labelled line of a
// field whose value is empty, so a signature never shows "Fax:" with nothing after it. Every
// replacement is case-sensitive and replaces every occurrence, in the order documented below.
//
// Every fill reads each setting it needs at most once per call. Settings failures
// (vellumo::Error) are thrown to the caller before or while the text is filled; the caller logs
// them ("CreateHTMLBody", "CreateHTM_Err" in the composition) and keeps its own copy of the text.
//
// Thread safety: as safe as the Settings passed in.
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"
#include "common/settings/settings.h"

namespace vellumo::compose {

// The composition fill, last stage of the composition, in this order:
//  1. "[#SigQuote#]" by User Settings "SendQuoteString" when User Settings "SendQuote" is "True",
//     else by ""; then, when User Settings "RTFOnly" is "True", every "file://" by "http://".
//  2. The full name, English and French.
//  3. Position: when "SigPosition" is empty, the position empty-line patterns (English and French
//     lines alike); then "[#SigPosition#]" and "[#SigPositionFR#]" by their values.
//  4. Telephone, 5. Fax: when the value is empty, the field's empty-line patterns, the placeholder
//     by "" and the label placeholder removed; else the placeholder by the value and the label
//     placeholder by its setting (defaults "Tel:", "Fax:").
//  6. The eight address placeholders, English then French.
//  7. Cell, as 4 (label default "Cell:").
//  8. E-mail, organisation name (and French), web site (and French), the ten custom web sites,
//     the display name (and French), the five GIF and the five JPEG file placeholders.
//  9. When Admin Settings "WipeoutRemoveConvertedBR" is "True": every "<BR>" CR LF "<BR>" by
//     CR LF "<BR>", in one pass (a run of three breaks loses only its first).
// 10. "[#SigBGColor#]" by "SigBGColor" (default "#FFFFFF").
// User substitutions are not part of it: the composition applies them just before.
[[nodiscard]] std::string FillCompositionPlaceholders(const Settings& settings,
                                                      std::string_view text);

// The signature-file fill, for one HTML, RTF or plain-text signature template, in this order:
//  1. Full name, organisation, division, branch, position (each English then French),
//     telephone, then the labels of telephone, fax, cell, position, division, branch (all
//     defaults "").
//  2. Fax: when "SigFax" is empty, the value of "SigFaxEmptyStringHTM" by that of
//     "SigFaxEmptyStringReplaceHTM", then "SigFaxEmptyStringRTFTXT" by
//     "SigFaxEmptyStringReplaceRTFTXT" (defaults in fill_tables.cc); then "[#SigFax#]" by the
//     value.
//  3. Cell: the same with the "SigCellEmptyString..." settings and "[#SigCell#]".
//  4. Repairs of links broken by a word processor: the "mailto:%5b" bookmark form by "mailto:" &
//     "SigEmail"; the default-signature-folder "file:///" bookmark form and
//     "outbind://2/[#SigWebsite#]" by "SigWebsite".
//  5. E-mail, web site (and French), display name, its RTF-split form, display name French.
//  6. The eight address placeholders, then the RTF-split forms of address lines 2 to 4.
//  7. Left-over fragments "#SigEmail#]" and "#SigWebsite#]" removed.
//  8. ApplyUserSubstitutions.
// Quote, picture, colour and custom web-site placeholders are left as they are.
[[nodiscard]] std::string FillSignatureFilePlaceholders(const Settings& settings,
                                                        std::string_view text);

// For i = 1 to 5: when Template Settings "UserCode"i and "UserSwap"i are both not empty, every
// occurrence of the code value becomes the swap value.
[[nodiscard]] std::string ApplyUserSubstitutions(const Settings& settings, std::string_view text);
void ApplyUserSubstitutions(const Settings& settings, text::Rewriting& text);
// FillCompositionPlaceholders on a text being rewritten: the filled text is put together in its
// spare buffer.
void FillCompositionPlaceholders(const Settings& settings, text::Rewriting& text);

}  // namespace vellumo::compose
