#include "common/compose/outlook_signatures.h"

#include <exception>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "common/compose/neutralise.h"
#include "common/compose/placeholders.h"
#include "common/compose/short_signature.h"
#include "common/diagnostics/log.h"
#include "common/settings/keys.h"
#include "platform/reg_file.h"
#include "platform/win_path.h"

namespace vellumo::compose {

const std::string_view kResetFileText =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\10.0\\Common\\MailSettings]\r\n"
    "\"NewSignature\"=hex(2):00,00\r\n"
    "\"ReplySignature\"=hex(2):00,00\r\n"
    "\"NewStationery\"=hex(2):00,00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Common\\MailSettings]\r\n"
    "\"NewSignature\"=hex(2):00,00\r\n"
    "\"ReplySignature\"=hex(2):00,00\r\n"
    "\"NewStationery\"=hex(2):00,00\r\n";

namespace {

enum class Joining { kNothing, kRtf, kCrLf };

struct TemplateList {
  std::string_view pattern;
  std::string_view extension;        // of the file written
  std::string_view older_extension;  // a twin removed once the file is written, or ""
  Joining joining;
  bool decode;  // as file text; RTF stays byte for byte
};

constexpr TemplateList kHtmlList{"*.html", ".html", ".htm", Joining::kNothing, true};
constexpr TemplateList kRtfList{"*.rtf", ".rtf", "", Joining::kRtf, false};
constexpr TemplateList kTxtList{"*.txt", ".txt", "", Joining::kCrLf, true};

// The label step, in its order: the number's setting, the fixed label, the custom label.
struct LabelRule {
  const SettingKey& number;
  std::string_view label;
  const SettingKey& custom;
};

constexpr LabelRule kLabelRules[] = {
    {keys::SigCell, "Cell:", keys::SigCellLabel},
    {keys::SigFax, "Fax:", keys::SigFaxLabel},
    {keys::SigTelephone, "Telephone:", keys::SigTelephoneLabel},
};

// Records each failed step in the result instead of a log: the caller shows what it wants.
class FailureList final : public Log {
 public:
  explicit FailureList(std::vector<SignatureStepFailure>& failures) : failures_(failures) {}
  void Write_to_error_file(std::string_view description, std::string_view procedure,
                           std::string_view section) override {
    failures_.push_back({std::string(procedure), std::string(section), std::string(description)});
  }
  void Write_log_line(std::string_view) override {}
  void Write_system_check_line(std::string_view, std::string_view, std::string_view) override {}

 private:
  std::vector<SignatureStepFailure>& failures_;
};

// RTF control words are ASCII, whatever the locale.
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the backslash at pos starts a control (not itself escaped by the backslashes before).
bool IsControlBackslash(std::string_view s, size_t pos) {
  size_t first = pos + 1;
  while (first > 0 && s[first - 1] == '\\') --first;
  return (pos + 1 - first) % 2 == 1;
}

// Whether s ends with a control word: a backslash, letters, an optional signed number.
bool EndsWithControlWord(std::string_view s) {
  size_t end = s.size();
  while (end > 0 && IsDigit(s[end - 1])) --end;
  if (end < s.size() && end > 0 && s[end - 1] == '-') --end;
  const size_t letters_end = end;
  while (end > 0 && IsLetter(s[end - 1])) --end;
  if (end == letters_end || end == 0 || s[end - 1] != '\\') return false;
  return IsControlBackslash(s, end - 1);
}

// Whether s ends with a backslash that escapes what follows it (here: the line break).
bool EndsWithLoneBackslash(std::string_view s) {
  return !s.empty() && s.back() == '\\' && IsControlBackslash(s, s.size() - 1);
}

// Whether a line starting so would run on into a control word ending the text before it.
bool ExtendsControlWord(std::string_view line) {
  if (line.empty()) return false;
  const char c = line.front();
  return IsLetter(c) || IsDigit(c) || c == '-' || c == ' ';
}

std::string JoinLines(std::string_view text, Joining joining) {
  if (joining == Joining::kRtf) return JoinRtfLines(text);
  const std::vector<std::string_view> lines = text::Lines(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0 && joining == Joining::kCrLf) out.append(text::kCrLf);
    out.append(lines[i]);
  }
  return out;
}

void LabelStep(const Settings& settings, std::string& text) {
  for (const LabelRule& rule : kLabelRules) {
    if (settings.Get(rule.number).empty()) {
      text = text::Replace(text, rule.label, "");
      continue;
    }
    const std::string custom = settings.Get(rule.custom);
    if (!custom.empty()) text = text::Replace(text, rule.label, custom);
  }
}

// A user name that names one folder below the profile root, and nothing else.
bool IsPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

class Generator {
 public:
  Generator(const OutlookSignatureDeps& deps, SignatureFilesResult& result)
      : deps_(deps), result_(result), failures_(result.failures) {}

  // The signature folder, made when missing; false when it cannot be had.
  bool PrepareFolder() {
    std::string folder;
    const bool found = Guard(failures_, keys::OutlookSignaturePath.name, "signature folder", [&] {
      folder = deps_.settings.Get(keys::OutlookSignaturePath);
      if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
      const std::string user = deps_.system.UserName();
      if (!IsPlainFolderName(user)) {
        throw Error("the user name \"" + user + "\" does not name a folder");
      }
      folder.append(user).append(kSignatureSubfolder);
    });
    if (!found) return false;
    result_.folder = folder;
    return Guard(failures_, folder, "create folder", [&] {
      if (!deps_.fs.FolderExists(folder)) deps_.fs.CreateFolder(folder);
    });
  }

  void RunList(const TemplateList& list, bool label_step) {
    std::string source;
    std::vector<std::string> names;
    Guard(failures_, keys::SignatureTemplatesFolder.name, "list templates", [&] {
      source = deps_.settings.Get(keys::SignatureTemplatesFolder);
      // No folder set: no templates (rather than the drive's root).
      if (!source.empty()) names = deps_.fs.ListFiles(source, list.pattern);
    });
    for (const std::string& name : names) {
      const std::string base = TrimTemplateName(name);
      if (base.empty() || base == name) {
        result_.skipped.push_back(name);
        continue;
      }
      RunTemplate(list, source + "\\" + name, base, label_step);
    }
  }

  void WriteTextSignature() {
    const std::string path = result_.folder + std::string(kTextSignatureFile);
    Guard(failures_, path, "write", [&] {
      std::string out;
      for (const std::string& row : LayoutRows(ReadSignatureProfile(deps_.settings), " ")) {
        out.append(row).append(text::kCrLf);
      }
      deps_.fs.WriteFile(path, out);
      result_.written.push_back(path);
    });
  }

 private:
  void RunTemplate(const TemplateList& list, const std::string& path, const std::string& base,
                   bool label_step) {
    std::string filled;
    const bool made = Guard(failures_, path, "fill", [&] {
      const std::string bytes = deps_.fs.ReadFile(path);
      const std::string joined =
          JoinLines(list.decode ? text::DecodeFileText(bytes) : bytes, list.joining);
      filled = FillSignatureFilePlaceholders(deps_.settings, joined);
      if (label_step) LabelStep(deps_.settings, filled);
      filled.append(text::kCrLf);
    });
    if (!made) return;
    const std::string target = result_.folder + base + std::string(list.extension);
    // Written in one go: a failed write keeps the file that was there.
    const bool written = Guard(failures_, target, "write", [&] {
      deps_.fs.WriteFile(target, filled);
      result_.written.push_back(target);
    });
    if (!written || list.older_extension.empty()) return;
    const std::string older = result_.folder + base + std::string(list.older_extension);
    Guard(failures_, older, "remove", [&] {
      if (!deps_.fs.FileExists(older)) return;
      deps_.fs.RemoveFile(older);
      result_.removed.push_back(older);
    });
  }

  const OutlookSignatureDeps& deps_;
  SignatureFilesResult& result_;
  FailureList failures_;
};

}  // namespace

std::string JoinRtfLines(std::string_view text) {
  const std::vector<std::string_view> lines = text::Lines(text);
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      // A backslash before a line break is a paragraph mark; the break also ends a control word.
      if (EndsWithLoneBackslash(out)) out.append("par");
      if (EndsWithControlWord(out) && ExtendsControlWord(lines[i])) out.push_back(' ');
    }
    out.append(lines[i]);
  }
  return out;
}

SignatureFilesResult CreateOutlookSignatures(const OutlookSignatureDeps& deps,
                                             SignatureLists lists) {
  SignatureFilesResult result;
  try {
    Generator generator(deps, result);
    if (!generator.PrepareFolder()) return result;
    const bool add_in = lists == SignatureLists::kAddIn;
    generator.RunList(kHtmlList, add_in);
    generator.RunList(kRtfList, add_in);
    if (!add_in) generator.RunList(kTxtList, false);
    if (add_in) generator.WriteTextSignature();
  } catch (const std::exception& e) {
    // Only the result's own bookkeeping can get here (memory); the caller is never thrown at.
    result.failures.push_back({"", "generate", e.what()});
  }
  return result;
}

SignatureFilesResult ResetOutlookSignatures(const OutlookSignatureDeps& deps) {
  SignatureFilesResult result;
  try {
    FailureList failures(result.failures);
    FileSystem& fs = deps.fs;
    const std::string program_file =
        std::string(WinPath::kProgramFolder) + "\\" + std::string(kResetFileName);
    const std::string temp_file =
        std::string(kResetTempFolder) + "\\" + std::string(kResetFileName);

    const bool have_file = Guard(failures, program_file, "write", [&] {
      if (fs.FileExists(program_file)) return;
      if (!fs.FolderExists(WinPath::kProgramFolder)) fs.CreateFolder(WinPath::kProgramFolder);
      fs.WriteFile(program_file, kResetFileText);
      result.written.push_back(program_file);
    });
    const bool copied = have_file && Guard(failures, temp_file, "copy", [&] {
                          fs.CreateFolder(kResetTempFolder);
                          fs.Copy(program_file, temp_file, /*overwrite=*/true);
                          result.written.push_back(temp_file);
                        });
    // The import reads the copy to its end before anything below removes it.
    result.imported = copied && Guard(failures, program_file, "import", [&] {
                        ImportRegFile(deps.registry, fs.ReadFile(temp_file), program_file);
                      });

    auto remove = [&](const std::string& path) {
      Guard(failures, path, "remove", [&] {
        fs.RemoveFile(path);
        result.removed.push_back(path);
      });
    };
    // A file that did not import stays where an administrator can mend it.
    if (result.imported) remove(program_file);
    if (copied) remove(temp_file);
    Guard(failures, kResetTempFolder, "remove folder", [&] {
      // Only a folder the reset left empty goes; whatever else is in it is not ours.
      if (!fs.FolderExists(kResetTempFolder) || !fs.ListFiles(kResetTempFolder, "").empty() ||
          !fs.ListFolders(kResetTempFolder).empty()) {
        return;
      }
      fs.RemoveFolder(kResetTempFolder);
      result.removed.push_back(std::string(kResetTempFolder));
    });
  } catch (const std::exception& e) {
    result.failures.push_back({"", "reset", e.what()});
  }
  return result;
}

}  // namespace vellumo::compose
