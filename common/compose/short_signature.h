// Short signatures: the signature texts the send pipeline puts into mail that it does not dress
// with stationery. Internal mail gets a two-line signature (plain text or HTML, by the editor);
// a plain-text message turned into HTML gets the compact seven-row block and, when the
// administrator placed one, the disclaimer block.
//
// The profile is the active one: application "Vellumo", section "Admin Settings", every field
// read with an empty default and put in as stored (no escaping, no trimming). A missing field
// simply leaves its place empty.
//
// The four procedures never throw: a failure (the settings store, the disclaimer file) is logged
// through Write_to_error_file with the procedure's where-text and label below, and the procedure
// returns its safe value: the body unchanged, or "". The builders taking a SignatureProfile are
// pure.
//
// Thread safety: the pure functions are; the others are as safe as the objects passed in.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"

namespace vellumo::compose {

// Where-texts and labels of the failures the procedures log.
inline constexpr std::string_view kAddShortSignatureWhere = "AddShortSignature";
inline constexpr std::string_view kAddShortSignatureLabel = "AddShortSignature_Err";
inline constexpr std::string_view kAddShortSignatureHtmlWhere = "AddShortSignatureHTML";
inline constexpr std::string_view kAddShortSignatureHtmlLabel = "AddShortSignatureHTML_Err";
inline constexpr std::string_view kCompactSignatureWhere = "GetCompactSignature";
inline constexpr std::string_view kCompactSignatureLabel = "GetCompactSignature_Err";
inline constexpr std::string_view kDisclaimerWhere = "GetDisclaimerText";
inline constexpr std::string_view kDisclaimerLabel = "GetDisclaimerText_Err";

// The disclaimer file, below the application path.
inline constexpr std::string_view kDisclaimerFile = "\\DisclaimerText.txt";

// A reply separator equal to this text (exactly, case-sensitive) stands for the whole separator
// line a mail client writes above quoted history; that line is kOriginalLineLength characters
// long and is dropped when a short signature goes in front of it.
inline constexpr std::string_view kOriginalSeparator = "-----Original";
inline constexpr int64_t kOriginalLineLength = 26;

// The width of the left column of the seven-row layout, in characters.
inline constexpr int64_t kLayoutColumnWidth = 45;

// The profile fields the short signatures show.
struct SignatureProfile {
  std::string full_name;               // SigFullname
  std::string organization;            // SigOrganizationName
  std::string position;                // SigPosition
  std::string email;                   // SigEmail
  std::array<std::string, 4> address;  // SigAddress, SigAddress2, SigAddress3, SigAddress4
  std::string telephone;               // SigTelephone
  std::string fax;                     // SigFax
  std::string cell;                    // SigCell
};

// Reads the active profile. Throws what Settings throws.
[[nodiscard]] SignatureProfile ReadSignatureProfile(const Settings& settings);

// The reply state of the send being handled: IsReply and ReplySeparator, as the send pipeline
// set them.
struct ReplyState {
  bool is_reply = false;
  std::string separator;
};

// ---------------------------------------------------------------------------------------------
// The seven-row layout, shared by the compact block and the fixed-layout text signature file.

// The rows, without line ends. Each left value of rows 2 to 6 is followed by `fill` repeated up
// to kLayoutColumnWidth characters (45 minus its length; none when it has 45 or more):
//   1 full name
//   2 organisation, filled, nothing after it
//   3 position, filled, e-mail address
//   4 address line 1, filled, then "Telephone: " + telephone when the telephone is not empty
//   5 address line 2, filled, then "Fax:       " + fax when the fax is not empty
//   6 address line 3, filled, then "Cell:      " + cell when the cell is not empty
//   7 address line 4
// fill is " " for the text file and "&nbsp;" for the compact block.
[[nodiscard]] std::array<std::string, 7> LayoutRows(const SignatureProfile& profile,
                                                    std::string_view fill);

// The compact block: the rows with "&nbsp;" fill, rows 1 to 6 each followed by "<br>", row 7 with
// nothing after it; no line breaks.
[[nodiscard]] std::string CompactSignatureBlock(const SignatureProfile& profile);

// ---------------------------------------------------------------------------------------------
// The two-line signatures for internal mail.

// full name + ", " + telephone, then ", Cell " + cell when the cell is not empty, then CR LF and
// the position.
[[nodiscard]] std::string ShortTextSignature(const SignatureProfile& profile);

// The same two lines as HTML: the name bold in 10pt dark blue Verdana, ",&nbsp;" and the
// telephone after a bold TEL, ",&nbsp;" and the cell after a bold CELL when the cell is not
// empty, then "<br>" and the position in 8pt Verdana.
[[nodiscard]] std::string ShortHtmlSignature(const SignatureProfile& profile);

// Puts signature into body.
// Not a reply: body + gap + signature.
// Reply: p = the first occurrence of reply.separator in body, ignoring case; the text before p,
// gap, signature, after_gap, then the body from p on. When the separator is exactly
// kOriginalSeparator, the kOriginalLineLength characters from p on are left out.
// A reply whose separator is empty or not in body (the pipeline may have found it only in the
// other body) takes the signature at the end, like a new message: there is no place to cut.
[[nodiscard]] std::string InsertShortSignature(std::string_view body, std::string_view signature,
                                               const ReplyState& reply, std::string_view gap,
                                               std::string_view after_gap);

// ---------------------------------------------------------------------------------------------
// The procedures the send pipeline and the preview call.

// The plain-text body with ShortTextSignature put in: gap CR LF CR LF, nothing between the
// signature and the quoted history. A failure returns body unchanged.
[[nodiscard]] std::string AddShortSignature(const Settings& settings, Log& log,
                                            std::string_view body, const ReplyState& reply);

// The HTML body with ShortHtmlSignature put in: gap "<P>", and "<P>" between the signature and
// the quoted history. A failure returns body unchanged.
[[nodiscard]] std::string AddShortSignatureHTML(const Settings& settings, Log& log,
                                                std::string_view body, const ReplyState& reply);

// CompactSignatureBlock of the active profile; "" after a failure. The add-in keeps the result
// as the compact signature of its connection object.
[[nodiscard]] std::string GetCompactSignature(const Settings& settings, Log& log);

// The disclaimer block: when application_path & kDisclaimerFile exists, each of its lines (a line
// ends at CR LF, CR or LF) followed by "<br>"; otherwise "". The file may be UTF-8, UTF-16 or
// Windows-1252 (see DecodeFileText). A file that exists but cannot be read is logged and gives "".
[[nodiscard]] std::string GetDisclaimerText(FileSystem& fs, Log& log,
                                            std::string_view application_path);

}  // namespace vellumo::compose
