#include "common/compose/compose_windows.h"

#include <vector>

namespace vellumo::compose {

void FileListWindows::ShowFormatWarning() {
  (void)ui_.MsgBox(kFormatWarningText, ui::kOkOnly + ui::kExclamation, kFormatWarningTitle);
}

std::string FileListWindows::First(std::string_view folder) {
  const std::vector<std::string> names = fs_.ListFiles(folder, pattern_);
  return names.empty() ? std::string() : names.front();
}

}  // namespace vellumo::compose
