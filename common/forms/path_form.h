// PathForm (frmPath): the small modal window for picking a folder or a file, shared by the
// options page and the set-up wizard. A drive list, a folder list and a file list, with OK and
// Cancel. The caller fills a PathChoice, shows the form and reads the PathChoice afterwards; the
// prompt both titles the window and chooses its purpose by the keywords it holds.
//
// Purposes: every row is tested in this order, case-sensitively, and each match applies (a later
// one overrides an earlier one):
//
//   keyword                    on load                                on OK
//   prompt == entry 135        pattern = file_pattern without its     database_folder = current
//   ("Please select database   spaces, or the database default when   folder, database_file =
//   path")                     that is empty                          selected file
//   "vCard"                    OK disabled, pattern "*.vcf", start    chosen_folder_or_file =
//                              in "C:\Documents and Settings\"        current folder + "\",
//                                                                     chosen_path = every listed
//                                                                     file joined by ";"
//   "Quillory"                 -                                      chosen_folder_or_file =
//                                                                     current folder
//   "attach"                   pattern "*.*"                          chosen_folder_or_file =
//                                                                     current folder\selected file
//   "signatures"               start in "Signatures Path"             signatures_folder = current
//   "Vellumo"                  start in "HTM Files Path"              chosen_path = current folder
//   "Tips"                     start in the folder before "\tips.txt" chosen_path = current folder
//                              of "TipsFileLocation"
//   "Error"                    start in the folder before             chosen_path = current folder
//                              "\SupportLog.txt" of "ErrorFileLocation"
//   "Internet"                 -                                      browser_program = current
//                                                                     folder\selected file; with
//                                                                     no file selected a notice,
//                                                                     and the form stays open
//
// Without a purpose that says otherwise the form starts in the folder of the current path the
// caller put in chosen_path, else at "C:\". A start folder that does not exist here (the Windows
// defaults) becomes the nearest folder above it that does; the form never fails to open.
//
// Folders: the current folder is the folder list's entry at its list index. The folder list holds
// full paths: the current folder's drive root and each folder above it, the current folder (at
// the list index), then its subfolders. Clicking any entry makes it the current folder: both lists
// show it. Paths under a mapped drive letter are shown and returned Windows-style ("C:\temp"),
// others natively ("/srv/mail"). Hidden names (starting with ".") are left out of both lists.
//
// Errors while loading show their description (information icon, title "Path error...") and the
// load goes on with its next step. Cancel and the close box leave chosen_path empty. A drive that
// cannot be read shows "The selected drive is not available" and changes nothing.
//
// The form refers to everything it was given; all of it must outlive the form.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/forms/caption_table.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/ui/form.h"
#include "platform/ui/host.h"

namespace vellumo {

// The values the caller and the chooser share: set before showing, read after it closes.
struct PathChoice {
  std::string prompt;                 // the caption; its keywords choose the purpose
  std::string chosen_path;            // in: the current path; out: by purpose; "" after Cancel
  std::string chosen_folder_or_file;  // out: vCard, Quillory and attach purposes
  std::string browser_program;        // out: Internet purpose
  std::string signatures_folder;      // out: signatures purpose
};

inline constexpr std::string_view kPathErrorTitle = "Path error...";
inline constexpr std::string_view kDriveNotAvailable = "The selected drive is not available";
inline constexpr std::string_view kDatabasePatternDefault = "*.mdb;*.txt;*.csv;*.xls;*.dbf;*.db";
inline constexpr std::string_view kPickBrowserText =
    "Please click on the Internet Browser program in the file list...";
inline constexpr std::string_view kPickBrowserTitle = "Internet Browser Program";

class PathForm final : public ui::Form {
 public:
  // table: the caller's caption table (entry 133 is Cancel's caption, 135 the database prompt).
  PathForm(ui::Host& host, const Settings& settings, FileSystem& fs, const CaptionTable& table,
           PathChoice& choice);

  // Database purpose: the pattern the caller asks for (in), what was picked (out).
  std::string file_pattern;
  std::string database_folder;
  std::string database_file;

  // The folder list's entry at its list index; "" when none is selected.
  std::string CurrentFolder() const;
  // The file list's selected name; "" when none.
  std::string SelectedFile() const;

 private:
  enum class LoadStep;
  enum class OkStep;
  struct Purpose;
  static const Purpose kPurposes[];

  bool Matches(const Purpose& purpose) const;
  bool IsVCard() const;
  // Runs one step; an Error shows its description in a "Path error..." box and the caller goes on.
  void Guarded(const std::function<void()>& step);

  void OnLoad();
  void LoadPurpose(LoadStep step);
  void OnOK();
  // False when the form must stay open.
  bool OkPurpose(OkStep step);
  void OnCancel();
  void OnDriveChange();
  void OnFolderClick();
  void OnFileDblClick(const ui::Event& event);

  // Starts in folder, or the nearest existing folder above it.
  void StartIn(std::string_view folder);
  // The folder part of a stored file location: the text before file_name.
  void StartInFolderOf(const SettingKey& key, std::string_view file_name);
  // Both lists and the drive list show folder (a shown path that exists).
  void ShowFolder(const std::string& folder);
  void SetFileListPath(const std::string& folder);
  void RefreshFiles();
  void FilePathChanged();
  void ShowDrive(const std::string& folder);

  std::string folder_;  // the folder both lists show

  ui::Host& host_;
  const Settings& settings_;
  FileSystem& fs_;
  const CaptionTable& table_;
  PathChoice& choice_;
};

// Shows a new chooser for choice on host, modally (the database fields are not reachable this
// way: create a PathForm for that purpose).
void ShowPathChooser(ui::Host& host, const Settings& settings, FileSystem& fs,
                     const CaptionTable& table, PathChoice& choice);

// What a path typed by hand names, checked the way the chooser would show it.
enum class FolderState {
  kExists,   // a folder: shown is how the chooser shows it
  kMissing,  // could be made (FileSystem::CreateFolder makes it with its parents)
  kBadName,  // cannot be a folder here: error says why, naming the path
};
struct FolderCheck {
  FolderState state = FolderState::kBadName;
  std::string shown;  // kExists, kMissing: the path as the chooser shows it
  std::string error;  // kBadName
};
// Never throws for a bad path: an empty one, a network path, a name Windows cannot hold
// (< > : " | ? * or a control character, a name ending in a space or a dot), a file where a
// folder should be, a drive letter other than C: that is not mapped here. The file system's
// other failures (a disk that cannot be read) throw.
[[nodiscard]] FolderCheck CheckTypedFolder(FileSystem& fs, std::string_view path);

}  // namespace vellumo
