#include "common/forms/path_form.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "common/settings/keys.h"
#include "platform/win_path.h"

namespace vellumo {

enum class PathForm::LoadStep {
  kNone,
  kDatabasePattern,
  kVCard,
  kAttachPattern,
  kStartInSignatures,
  kStartInTemplates,
  kStartInTips,
  kStartInLog,
};

enum class PathForm::OkStep {
  kDatabase,
  kVCard,
  kFolder,
  kAttach,
  kSignatures,
  kChosenPath,
  kBrowser,
};

struct PathForm::Purpose {
  std::string_view keyword;  // "": the prompt equals caption-table entry 135
  LoadStep load;
  OkStep ok;
};

namespace {

constexpr int kCancelEntry = 133;
constexpr int kDatabasePromptEntry = 135;
constexpr std::string_view kDatabasePrompt = "Please select database path";
// The drive box has no title of its own; the system's name stands in, as a bare message box does.
constexpr std::string_view kDriveTitle = "Vellumo";
// Where the mail client kept per-user files on Windows; here it usually does not exist, and the
// chooser then starts at the nearest folder above it (the C: drive's root).
constexpr std::string_view kVCardStart = "C:\\Documents and Settings\\";
constexpr std::string_view kDefaultStart = "C:\\";

// The labels are ours: a list without one cannot be found by a screen reader.
constexpr ui::ControlDesign kDesign[] = {
    {"lblDrive", ui::ControlKind::kLabel, "Drive", "", "", 120, 0, 2760, 120},
    {"drvMain", ui::ControlKind::kComboBox, "Drive", "", "", 120, 120, 2760, 315},
    {"lblFolders", ui::ControlKind::kLabel, "Folders", "", "", 120, 435, 2760, 120},
    {"dirMain", ui::ControlKind::kListBox, "Folders", "", "", 120, 555, 2760, 3060},
    {"lblFiles", ui::ControlKind::kLabel, "Files", "", "", 3000, 0, 2160, 120},
    {"filMain", ui::ControlKind::kFileList, "Files", "", "", 3000, 120, 2160, 3495},
    {"OKButton", ui::ControlKind::kCommandButton, "OK", "", "", 2880, 3840, 1080, 375},
    {"CancelButton", ui::ControlKind::kCommandButton, "Cancel", "", "", 4080, 3840, 1080, 375},
};

bool IsNative(std::string_view path) { return path.starts_with('/'); }

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// folder ending in its separator: "C:\temp" -> "C:\temp\", "C:\" stays, "/srv" -> "/srv/".
std::string WithSeparator(std::string_view folder) {
  char separator = IsNative(folder) ? '/' : '\\';
  std::string out(folder);
  if (out.empty() || out.back() != separator) out += separator;
  return out;
}

std::string JoinShown(std::string_view folder, std::string_view name) {
  return WithSeparator(folder) + std::string(name);
}

// The drive root of a shown path: "C:\" or "/".
std::string DriveOf(std::string_view folder) {
  if (HasDriveLetter(folder)) return std::string(folder.substr(0, 2)) + "\\";
  return "/";
}

// The shown folder's drive root, each folder above it, and the folder itself.
std::vector<std::string> Ancestry(const std::string& folder) {
  std::string root = DriveOf(folder);
  std::vector<std::string> chain{root};
  char separator = IsNative(folder) ? '/' : '\\';
  std::string at = root;
  for (const std::string& part :
       text::Split(folder.substr(root.size()), std::string(1, separator))) {
    if (part.empty()) continue;
    at = chain.size() == 1 ? root + part : at + separator + part;
    chain.push_back(at);
  }
  return chain;
}

std::vector<std::string> WithoutHidden(std::vector<std::string> names) {
  std::erase_if(names, [](const std::string& name) { return name.starts_with('.'); });
  return names;
}

// The folder itself when it exists, else the nearest folder above it on its drive; the C: root
// when nothing on that drive exists. Throws kBadFileName for a path that cannot live here.
std::string NearestExistingFolder(FileSystem& fs, std::string_view path) {
  std::string native = fs.NativePath(path);
  std::string root = IsNative(path)         ? std::string("/")
                     : HasDriveLetter(path) ? fs.NativePath(DriveOf(path))
                                            : fs.NativePath(kDefaultStart);
  while (true) {
    if (fs.FolderExists(native)) return fs.ShownPath(native);
    if (native == root || native == "/" || native == ".") break;
    native = WinPath::NativeParent(native);
  }
  return std::string(kDefaultStart);
}

std::string WithoutSpaces(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c != ' ') out += c;
  }
  return out;
}

}  // namespace

// Tested in this order; every match applies, a later one overriding an earlier one.
const PathForm::Purpose PathForm::kPurposes[] = {
    {"", LoadStep::kDatabasePattern, OkStep::kDatabase},
    {"vCard", LoadStep::kVCard, OkStep::kVCard},
    {"Quillory", LoadStep::kNone, OkStep::kFolder},
    {"attach", LoadStep::kAttachPattern, OkStep::kAttach},
    {"signatures", LoadStep::kStartInSignatures, OkStep::kSignatures},
    {"Vellumo", LoadStep::kStartInTemplates, OkStep::kChosenPath},
    {"Tips", LoadStep::kStartInTips, OkStep::kChosenPath},
    {"Error", LoadStep::kStartInLog, OkStep::kChosenPath},
    {"Internet", LoadStep::kNone, OkStep::kBrowser},
};

PathForm::PathForm(ui::Host& host, const Settings& settings, FileSystem& fs,
                   const CaptionTable& table, PathChoice& choice)
    : ui::Form("frmPath"),
      host_(host),
      settings_(settings),
      fs_(fs),
      table_(table),
      choice_(choice) {
  width = 5400;
  height = 4800;
  AddControls(kDesign);
  default_button = "OKButton";
  On("Form", "Load", [this](ui::Event&) { OnLoad(); });
  On("Form", "Unload", [this](ui::Event& event) {
    // The close box is a Cancel: the caller must not mistake its old value for a choice.
    if (event.mode == ui::UnloadMode::kCloseBox) {
      choice_.chosen_path.clear();
      answer = "Cancel";
    }
  });
  On("OKButton", "Click", [this](ui::Event&) { OnOK(); });
  On("CancelButton", "Click", [this](ui::Event&) { OnCancel(); });
  // A list renderer reports a picked drive as a click; a typed one as a change.
  On("drvMain", "Click", [this](ui::Event&) { OnDriveChange(); });
  On("drvMain", "Change", [this](ui::Event&) { OnDriveChange(); });
  On("dirMain", "Click", [this](ui::Event&) { Guarded([this] { OnFolderClick(); }); });
  On("filMain", "DblClick", [this](ui::Event& event) { OnFileDblClick(event); });
}

std::string PathForm::CurrentFolder() const {
  const ui::Control& dir = (*this)["dirMain"];
  if (dir.list_index < 0 || dir.list_index >= static_cast<int>(dir.list.size())) return {};
  return dir.list[dir.list_index];
}

std::string PathForm::SelectedFile() const {
  const ui::Control& files = (*this)["filMain"];
  if (files.list_index < 0 || files.list_index >= static_cast<int>(files.list.size())) return {};
  return files.list[files.list_index];
}

bool PathForm::Matches(const Purpose& purpose) const {
  if (purpose.keyword.empty()) {
    const std::string* entry = table_.Find(kDatabasePromptEntry);
    return choice_.prompt == (entry != nullptr ? std::string_view(*entry) : kDatabasePrompt);
  }
  return choice_.prompt.find(purpose.keyword) != std::string::npos;
}

bool PathForm::IsVCard() const {
  for (const Purpose& purpose : kPurposes) {
    if (purpose.ok == OkStep::kVCard) return Matches(purpose);
  }
  return false;
}

void PathForm::Guarded(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& error) {
    host_.MsgBox(error.description(), ui::kInformation, kPathErrorTitle);
  }
}

void PathForm::OnLoad() {
  caption = choice_.prompt;
  answer.clear();
  (*this)["OKButton"].enabled = true;
  (*this)["filMain"].pattern = "*.*";
  SetFileListPath(std::string(kDefaultStart));
  if (!choice_.chosen_path.empty()) {
    Guarded([this] { StartIn(choice_.chosen_path); });
  }
  for (const Purpose& purpose : kPurposes) {
    if (Matches(purpose)) Guarded([this, &purpose] { LoadPurpose(purpose.load); });
  }
  Guarded([this] { ShowFolder((*this)["filMain"].folder); });
  Guarded([this] {
    if (const std::string* cancel = table_.Find(kCancelEntry)) {
      (*this)["CancelButton"].caption = *cancel;
    }
  });
}

void PathForm::LoadPurpose(LoadStep step) {
  ui::Control& files = (*this)["filMain"];
  switch (step) {
    case LoadStep::kNone:
      break;
    case LoadStep::kDatabasePattern: {
      std::string pattern = WithoutSpaces(file_pattern);
      files.pattern = pattern.empty() ? std::string(kDatabasePatternDefault) : pattern;
      RefreshFiles();
      break;
    }
    case LoadStep::kVCard:
      (*this)["OKButton"].enabled = false;
      files.pattern = "*.vcf";
      RefreshFiles();
      StartIn(kVCardStart);
      break;
    case LoadStep::kAttachPattern:
      files.pattern = "*.*";
      RefreshFiles();
      break;
    case LoadStep::kStartInSignatures:
    case LoadStep::kStartInTemplates: {
      const SettingKey& key = step == LoadStep::kStartInSignatures ? keys::PathChooserSignaturesPath
                                                                   : keys::PathChooserHtmFilesPath;
      std::optional<std::string> stored = settings_.Find(key);
      StartIn(stored && !stored->empty() ? *stored : std::string(key.default_value));
      break;
    }
    case LoadStep::kStartInTips:
      StartInFolderOf(keys::PathChooserTipsFileLocation, "\\tips.txt");
      break;
    case LoadStep::kStartInLog:
      StartInFolderOf(keys::PathChooserErrorFileLocation, "\\SupportLog.txt");
      break;
  }
}

void PathForm::StartIn(std::string_view folder) {
  SetFileListPath(NearestExistingFolder(fs_, folder));
}

void PathForm::StartInFolderOf(const SettingKey& key, std::string_view file_name) {
  std::optional<std::string> stored = settings_.Find(key);
  if (!stored || stored->empty()) {
    // Nothing stored is no mistake: start at the row's default without a complaint.
    StartIn(key.default_value);
    return;
  }
  // A location without the file name makes Left fail: the load's error box, and the form stays
  // where it started.
  StartIn(text::Left(*stored, text::InStr(*stored, file_name) - 1));
}

void PathForm::OnOK() {
  for (const Purpose& purpose : kPurposes) {
    if (Matches(purpose) && !OkPurpose(purpose.ok)) return;
  }
  answer = "OK";
  Unload();
}

bool PathForm::OkPurpose(OkStep step) {
  std::string current = CurrentFolder();
  switch (step) {
    case OkStep::kDatabase:
      database_folder = current;
      database_file = SelectedFile();
      break;
    case OkStep::kVCard:
      choice_.chosen_folder_or_file = WithSeparator(current);
      choice_.chosen_path = text::Join((*this)["filMain"].list, ";");
      break;
    case OkStep::kFolder:
      choice_.chosen_folder_or_file = current;
      break;
    case OkStep::kAttach:
      choice_.chosen_folder_or_file = JoinShown(current, SelectedFile());
      break;
    case OkStep::kSignatures:
      choice_.signatures_folder = current;
      break;
    case OkStep::kChosenPath:
      choice_.chosen_path = current;
      break;
    case OkStep::kBrowser:
      if (SelectedFile().empty()) {
        host_.MsgBox(kPickBrowserText, ui::kInformation, kPickBrowserTitle);
        return false;
      }
      choice_.browser_program = JoinShown(current, SelectedFile());
      break;
  }
  return true;
}

void PathForm::OnCancel() {
  choice_.chosen_path.clear();
  answer = "Cancel";
  Unload();
}

void PathForm::OnDriveChange() {
  std::string drive = (*this)["drvMain"].text;
  bool readable = false;
  try {
    readable = !drive.empty() && fs_.FolderExists(drive);
  } catch (const Error&) {
    // A drive name that cannot live here is as unreadable as a missing one: the box below.
  }
  if (!readable) {
    host_.MsgBox(kDriveNotAvailable, ui::kOkOnly, kDriveTitle);
    ShowDrive(folder_);
    return;
  }
  Guarded([this, &drive] { ShowFolder(fs_.ShownPath(drive)); });
}

void PathForm::OnFolderClick() {
  std::string folder = CurrentFolder();
  if (folder.empty() || folder == folder_) return;
  if (!fs_.FolderExists(folder)) {
    // Gone since it was listed: the lists stay on the folder they showed.
    ShowFolder(folder_);
    throw Error(ErrorCode::kPathNotFound, folder);
  }
  // A native entry may be a mapped drive's folder: it is shown by its letter from here on.
  ShowFolder(fs_.ShownPath(folder));
}

void PathForm::OnFileDblClick(const ui::Event& event) {
  ui::Control& files = (*this)["filMain"];
  int index = -1;
  const char* end = event.arg.data() + event.arg.size();
  if (!event.arg.empty() && std::from_chars(event.arg.data(), end, index).ptr == end &&
      index >= 0 && index < static_cast<int>(files.list.size())) {
    files.list_index = index;
    files.text = files.list[index];
  }
  if (SelectedFile().empty()) return;
  OnOK();
}

void PathForm::ShowFolder(const std::string& folder) {
  ui::Control& dir = (*this)["dirMain"];
  std::vector<std::string> entries = Ancestry(folder);
  int index = static_cast<int>(entries.size()) - 1;
  for (const std::string& name : WithoutHidden(fs_.ListFolders(folder))) {
    entries.push_back(JoinShown(folder, name));
  }
  dir.list = std::move(entries);
  dir.list_index = index;
  dir.text = folder;
  folder_ = folder;
  ShowDrive(folder);
  SetFileListPath(folder);
}

void PathForm::ShowDrive(const std::string& folder) {
  ui::Control& drives = (*this)["drvMain"];
  drives.list = fs_.Drives();
  drives.list_index = -1;
  drives.text.clear();
  if (folder.empty()) return;
  std::string drive = DriveOf(folder);
  for (size_t i = 0; i < drives.list.size(); ++i) {
    if (text::FoldCase(drives.list[i]) == text::FoldCase(drive)) {
      drives.list_index = static_cast<int>(i);
      drives.text = drives.list[i];
    }
  }
}

void PathForm::SetFileListPath(const std::string& folder) {
  (*this)["filMain"].folder = folder;
  RefreshFiles();
}

void PathForm::RefreshFiles() {
  ui::Control& files = (*this)["filMain"];
  files.list = WithoutHidden(fs_.ListFiles(files.folder, files.pattern));
  files.list_index = -1;
  files.text.clear();
  FilePathChanged();
}

void PathForm::FilePathChanged() {
  // A vCard list is only worth returning when it names a file.
  if (IsVCard()) (*this)["OKButton"].enabled = !(*this)["filMain"].list.empty();
}

void ShowPathChooser(ui::Host& host, const Settings& settings, FileSystem& fs,
                     const CaptionTable& table, PathChoice& choice) {
  PathForm form(host, settings, fs, table, choice);
  host.ShowForm(form);
}

namespace {

FolderCheck BadName(std::string error) { return {FolderState::kBadName, {}, std::move(error)}; }

// Why a Windows-style path cannot name a folder, or "".
std::string WindowsNameProblem(std::string_view path) {
  std::string_view rest = HasDriveLetter(path) ? path.substr(2) : path;
  std::string normal(rest);
  std::replace(normal.begin(), normal.end(), '/', '\\');
  for (const std::string& part : text::Split(normal, "\\")) {
    if (part.empty() || part == "." || part == "..") continue;
    for (char c : part) {
      if (static_cast<unsigned char>(c) < 32) {
        return "a folder name cannot hold a control character";
      }
      if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
        return std::string("a folder name cannot hold \"") + c + "\"";
      }
    }
    if (part.back() == ' ' || part.back() == '.') {
      return "a folder name cannot end with a space or a dot (\"" + part + "\")";
    }
  }
  return {};
}

}  // namespace

FolderCheck CheckTypedFolder(FileSystem& fs, std::string_view path) {
  std::string typed(path);
  if (text::Trim(typed).empty()) return BadName("Bad file name or number: no folder given");
  if (!IsNative(typed)) {
    std::string problem = WindowsNameProblem(typed);
    if (!problem.empty()) return BadName("Bad file name or number: " + typed + ": " + problem);
  }
  std::string native;
  try {
    native = fs.NativePath(typed);
  } catch (const Error& error) {
    if (error.code() != ErrorCode::kBadFileName) throw;
    return BadName(error.what());
  }
  if (HasDriveLetter(typed) && std::toupper(static_cast<unsigned char>(typed[0])) != 'C' &&
      !fs.FolderExists(DriveOf(typed))) {
    return BadName("Path not found: " + typed + ": the drive " + typed.substr(0, 2) +
                   " is not available here");
  }
  if (fs.FolderExists(native)) return {FolderState::kExists, fs.ShownPath(native), {}};
  for (std::string at = native; at != "/" && at != "."; at = WinPath::NativeParent(at)) {
    if (fs.FileExists(at)) {
      return BadName("Path/File access error: " + typed + ": " + fs.ShownPath(at) +
                     " is a file, not a folder");
    }
  }
  return {FolderState::kMissing, fs.ShownPath(native), {}};
}

}  // namespace vellumo
