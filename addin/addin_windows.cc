#include "addin/addin_windows.h"

#include <utility>

#include "base/error.h"
#include "common/forms/caption_table.h"
#include "common/forms/message_form.h"

namespace vellumo::addin {

MessageShower AddInMessageForm(ui::Host& host, Diagnostics& diagnostics) {
  return [&host, &diagnostics](MessageState& state) {
    ShowMessageForm(host, AddInCaptions(), state, TopMostHook(diagnostics));
  };
}

AddInComposeWindows::AddInComposeWindows(const Settings& settings, FileSystem& fs,
                                         compose::SendState& state, MessageShower show_message)
    : lists_(settings, fs), state_(state), show_message_(std::move(show_message)) {}

std::string AddInComposeWindows::First(std::string_view list, std::string_view folder) {
  lists_.EnsureLoaded();
  lists_.SetPath(list, folder);
  const auto& names = lists_.List(list);
  return names.empty() ? std::string() : names.front();
}

std::string AddInComposeWindows::FirstTemplateFile(std::string_view folder) {
  return First(kFilTemplates, folder);
}

std::string AddInComposeWindows::FirstSignatureFile(std::string_view folder) {
  return First(kFilSignatures, folder);
}

void AddInComposeWindows::ShowFormatWarning() {
  if (!show_message_) throw Error(ErrorCode::kObjectNotSet, "frmMessage");
  show_message_(state_.Message);
}

}  // namespace vellumo::addin
