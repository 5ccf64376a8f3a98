#include "common/compose/compose_windows.h"

#include <vector>

namespace vellumo::compose {

void FileListWindows::ShowFormatWarning() {
  (void)ui_.MsgBox(kFormatWarningText, ui::kOkOnly + ui::kExclamation, kFormatWarningTitle);
}

std::string FileListWindows::First(std::string_view folder) {
  // Hidden files are left out, as in the add-in's file lists.
  for (std::string& name : fs_.ListFiles(folder, pattern_)) {
    if (!name.starts_with('.')) return std::move(name);
  }
  return {};
}

}  // namespace vellumo::compose
