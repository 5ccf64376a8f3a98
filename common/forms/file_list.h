// FileListForm (frmFileList): the hidden holder of the add-in's file lists, never shown. The
// template browser and the composition engine read its lists to enumerate the template and
// signature folders.
//
//   list                  pattern   folder at load
//   filListTXTTemplates   "*.txt"   Admin Settings "Signatures Path" (default: none)
//   filListHTMTemplates   "*.html"  Admin Settings "Signatures Path" (default: none)
//   filListRTFTemplates   "*.rtf"   Admin Settings "Signatures Path" (default: none)
//   filSignatures         "*.*"     Admin Settings "Signatures Path" (default "c:\")
//   filTemplates          "*.*"     Admin Settings "HTM Files Path" (default "C:\temp")
//
// A list holds the names (not paths) of the files in its folder that match its pattern, hidden
// files (names starting with ".") left out as a file list box does, sorted by
// name ignoring case (FileSystem::ListFiles), so the order never depends on the file system. A
// missing folder, or none, leaves the list empty; so does a folder the file system cannot list
// (a path that cannot live here), which is the same thing to a reader of the list.
//
// Load it once per run (EnsureLoaded) and keep it; the settings store and file system it was given
// must outlive it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/ui/form.h"

namespace vellumo {

inline constexpr std::string_view kFilListTXTTemplates = "filListTXTTemplates";
inline constexpr std::string_view kFilListHTMTemplates = "filListHTMTemplates";
inline constexpr std::string_view kFilListRTFTemplates = "filListRTFTemplates";
inline constexpr std::string_view kFilSignatures = "filSignatures";
inline constexpr std::string_view kFilTemplates = "filTemplates";

class FileListForm final : public ui::Form {
 public:
  FileListForm(const Settings& settings, FileSystem& fs);

  // Loads the form when it is not loaded yet: every list pointed at its folder. Throws what the
  // settings store throws.
  void EnsureLoaded();

  // Points a list at folder and lists it now. An unknown list: Error(kObjectNotSet).
  void SetPath(std::string_view list, std::string_view folder);
  // Lists the folder again (files may have come or gone since).
  void Refresh(std::string_view list);
  const std::string& Path(std::string_view list) const { return (*this)[list].folder; }
  const std::vector<std::string>& List(std::string_view list) const { return (*this)[list].list; }
  int ListCount(std::string_view list) const { return static_cast<int>((*this)[list].list.size()); }

 private:
  void OnLoad();

  const Settings& settings_;
  FileSystem& fs_;
};

}  // namespace vellumo
