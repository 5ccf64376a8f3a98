// The mail client's own signature files: generated from the administrator's signature templates
// and the stored profile, plus a fixed-layout plain-text signature; and the reset that clears the
// mail client's choice of default signatures and stationery through a registry import.
//
// The add-in runs the generator when its mode button enters the signature mode and the reset
// when the button leaves it; the set-up wizard runs the generator (with its own lists) when it
// saves the profile.
//
// Neither procedure throws nor shows or logs anything: each step that fails is recorded in the
// result and the procedure goes on with the next one. Files already written stay. The result is
// for the caller to report (the `signatures` command prints it).
//
// Thread safety: as safe as the objects in OutlookSignatureDeps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace vellumo::compose {

struct OutlookSignatureDeps {
  Settings& settings;
  FileSystem& fs;
  SystemInfo& system;
  Registry& registry;
};

// Which templates the generator takes, and whether it adds the label step and the text signature.
enum class SignatureLists {
  kAddIn,   // "*.html" and "*.rtf", the label step, then kTextSignatureFile
  kWizard,  // "*.html", "*.rtf" and "*.txt"
};

// The fixed-layout plain-text signature, written in the signature folder by the add-in's run.
inline constexpr std::string_view kTextSignatureFile = "Vellumo Text Signature.txt";
// Appended to "OutlookSignaturePath" and the user name: the mail client's signature folder.
inline constexpr std::string_view kSignatureSubfolder =
    "\\application data\\Microsoft\\signatures\\";
// What a template's name holds between its base name and its extension.
inline constexpr std::string_view kTemplateMark = "_template";

// The reset's import file, below the program folder, and the temporary folder it is imported from.
inline constexpr std::string_view kResetFileName = "resetsig.reg";
inline constexpr std::string_view kResetTempFolder = "C:\\CorvaneTempReg";
// The import file's exact content: empty new-message signature, reply signature and stationery
// names for the mail client's versions 10.0 and 11.0, CR LF line ends.
extern const std::string_view kResetFileText;

// A step that failed: the file (or setting) it concerned, the step, and why.
struct SignatureStepFailure {
  std::string path;
  std::string step;
  std::string reason;
};

struct SignatureFilesResult {
  std::string folder;                // the signature folder; "" when it could not be worked out
  std::vector<std::string> written;  // paths (as the system writes them), in the order written
  std::vector<std::string> removed;  // paths removed
  std::vector<std::string> skipped;  // template file names not used: no base name before
                                     // kTemplateMark
  std::vector<SignatureStepFailure> failures;
  bool imported = false;  // the reset's registry import went through
};

// CreateOutlookSignatures. For each list in turn (HTML, RTF, then the wizard's TXT), for each file
// of Admin Settings "Signatures Path" matching the list's pattern, sorted as listings are:
//  - a name without kTemplateMark, or with nothing before it, is skipped: the template gives no
//    name to write, and a file the administrator did not mark as a template is not one;
//  - the file is read line by line (a line ends at CR LF, CR or LF). HTML and TXT templates are
//    decoded as file text (UTF-8, UTF-16 by its mark, else Windows-1252); an RTF template is kept
//    byte for byte, since RTF carries its own code page. HTML and RTF lines are joined with nothing
//    between them, TXT lines with CR LF. Where an RTF line ends in a control word (or a lone
//    backslash) the join keeps its meaning: a space delimits the control word, "par " completes
//    the escaped line break; RTF readers ignore line breaks everywhere else;
//  - FillSignatureFilePlaceholders fills it;
//  - add-in only, the label step for cell, fax, then telephone: when "SigCell" ("SigFax",
//    "SigTelephone") is empty every "Cell:" ("Fax:", "Telephone:") is removed; else when
//    "SigCellLabel" (...) is not empty every "Cell:" becomes it;
//  - the text, followed by CR LF, replaces base + the list's extension (".html", ".rtf", ".txt")
//    in the signature folder at once (a failed write leaves the old file); then, HTML list only,
//    an older base + ".htm" there is removed.
// The signature folder is Admin Settings "OutlookSignaturePath" (default
// "c:\Documents and Settings\", a separator added when it has none) & SystemInfo::UserName() &
// kSignatureSubfolder; it is created when missing. A user name that is empty or could leave the
// folder ("..", a separator) writes nothing: the folder is then recorded as a failure.
// The add-in's run ends with kTextSignatureFile: the seven rows of LayoutRows with space fill,
// each followed by CR LF.
[[nodiscard]] SignatureFilesResult CreateOutlookSignatures(const OutlookSignatureDeps& deps,
                                                           SignatureLists lists);

// ResetOutlookSignatures:
//  1. When the program folder's kResetFileName is missing, it is written as kResetFileText (the
//     folder created when missing). A file that is there is used as it is.
//  2. kResetTempFolder is created and the file copied into it as kResetFileName.
//  3. The copy is imported into the registry (all or nothing; a malformed file is a failure
//     naming the program folder's file and its line).
//  4. Only then: the program folder's file is removed (kept when the import failed, so that an
//     administrator can mend it), the copy is removed, and the temporary folder when it is then
//     empty. Nothing else is removed: no signature file, nothing else in the temporary folder.
[[nodiscard]] SignatureFilesResult ResetOutlookSignatures(const OutlookSignatureDeps& deps);

// The lines of an RTF template joined as CreateOutlookSignatures joins them.
[[nodiscard]] std::string JoinRtfLines(std::string_view text);

}  // namespace vellumo::compose
