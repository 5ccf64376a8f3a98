// The add-in's own windows as the composition and the send pipeline use them: the hidden file
// lists (frmFileList) that name a folder's first template or signature, and the message form
// (frmMessage) for the warnings.
//
// AddInComposeWindows keeps one file-list form for the add-in's life and shows the message form
// through the given MessageShower. The settings store, file system, send state and message state
// it refers to must outlive it. Members may throw vellumo::Error (the composition logs them).
// Not thread-safe.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/compose/compose_windows.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/diagnostics.h"
#include "common/diagnostics/message_state.h"
#include "common/forms/file_list.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/ui/host.h"

namespace vellumo::addin {

// Shows the message form modally for the state's kind; the answer is in the state afterwards.
using MessageShower = std::function<void(MessageState& state)>;

// The real message form on host, with the add-in's caption table, made top-most through
// diagnostics. host and diagnostics must outlive the result.
MessageShower AddInMessageForm(ui::Host& host, Diagnostics& diagnostics);

class AddInComposeWindows final : public compose::ComposeWindows {
 public:
  AddInComposeWindows(const Settings& settings, FileSystem& fs, compose::SendState& state,
                      MessageShower show_message);

  // The first name the file list shows for the folder ("" when none).
  std::string FirstTemplateFile(std::string_view folder) override;
  std::string FirstSignatureFile(std::string_view folder) override;
  // The message form on the send state's Message: kind set by the caller, the answer left there.
  void ShowFormatWarning() override;

 private:
  std::string First(std::string_view list, std::string_view folder);

  FileListForm lists_;
  compose::SendState& state_;
  MessageShower show_message_;
};

}  // namespace vellumo::addin
