// ComposeWindows: the add-in's windows the composition needs, behind one small interface.
//
// The composition looks a fallback file up in the hidden file-list holder (frmFileList) and shows
// the message form (frmMessage) for the format warning. Those forms live elsewhere; the add-in
// hands the composition an implementation wired to them. FileListWindows is the stand-in for
// programs without those forms and for tests: it lists folders through a FileSystem and shows the
// format warning as a message box.
//
// Members may throw vellumo::Error; the composition logs and sends the user's own message.
// Not thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/file_system.h"
#include "platform/ui/host.h"

namespace vellumo::compose {

class ComposeWindows {
 public:
  virtual ~ComposeWindows() = default;

  // The first file name (not path) the file list shows for the template folder, "" when it shows
  // none.
  [[nodiscard]] virtual std::string FirstTemplateFile(std::string_view folder) = 0;
  // The same for the signature folder.
  [[nodiscard]] virtual std::string FirstSignatureFile(std::string_view folder) = 0;
  // Shows the message form modally in its "Format Warning" mode (the caller has set MessageKind)
  // and returns once it is closed.
  virtual void ShowFormatWarning() = 0;
};

class FileListWindows final : public ComposeWindows {
 public:
  // The text and title of the stand-in format warning.
  static constexpr std::string_view kFormatWarningText =
      "Vellumo could not tell the format of this message. It has been dressed as well as "
      "possible; please check it before you send it again.";
  static constexpr std::string_view kFormatWarningTitle = "Vellumo Format Warning";

  // pattern: the file list's filter (see MatchesPattern). fs and ui must outlive this object.
  FileListWindows(FileSystem& fs, ui::Host& ui, std::string pattern = "*.*")
      : fs_(fs), ui_(ui), pattern_(std::move(pattern)) {}

  std::string FirstTemplateFile(std::string_view folder) override { return First(folder); }
  std::string FirstSignatureFile(std::string_view folder) override { return First(folder); }
  // An OK box with the exclamation icon.
  void ShowFormatWarning() override;

 private:
  std::string First(std::string_view folder);

  FileSystem& fs_;
  ui::Host& ui_;
  std::string pattern_;
};

}  // namespace vellumo::compose
