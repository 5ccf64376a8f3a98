#include "platform/ui/host.h"

#include "base/error.h"

namespace vellumo::ui {
namespace {

struct ButtonStyle {
  int style;
  std::string_view name;
  std::vector<int> buttons;
};

const std::vector<ButtonStyle>& ButtonStyles() {
  static const std::vector<ButtonStyle> styles = {
      {kOkOnly, "OK", {kOk}},
      {kOkCancel, "OKCancel", {kOk, kCancel}},
      {kAbortRetryIgnore, "AbortRetryIgnore", {kAbort, kRetry, kIgnore}},
      {kYesNoCancel, "YesNoCancel", {kYes, kNo, kCancel}},
      {kYesNo, "YesNo", {kYes, kNo}},
      {kRetryCancel, "RetryCancel", {kRetry, kCancel}},
  };
  return styles;
}

const ButtonStyle& StyleOf(int style) {
  const int buttons = style & 0x0F;
  for (const auto& entry : ButtonStyles()) {
    if (entry.style == buttons) {
      return entry;
    }
  }
  throw Error(ErrorCode::kInvalidCall, "message box style " + std::to_string(style));
}

}  // namespace

std::vector<int> MsgBoxButtons(int style) { return StyleOf(style).buttons; }

std::string_view MsgBoxButtonsName(int style) { return StyleOf(style).name; }

int MsgBoxDefault(int style) {
  const std::vector<int>& buttons = StyleOf(style).buttons;
  size_t index = 0;
  if ((style & 0x300) == kDefaultButton2) {
    index = 1;
  }
  if ((style & 0x300) == kDefaultButton3) {
    index = 2;
  }
  return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string_view MsgBoxIconName(int style) {
  switch (style & 0x70) {
    case kCritical:
      return "critical";
    case kQuestion:
      return "question";
    case kExclamation:
      return "exclamation";
    case kInformation:
      return "information";
    default:
      return "";
  }
}

std::string_view AnswerText(int answer) {
  switch (answer) {
    case kOk:
      return "OK";
    case kCancel:
      return "Cancel";
    case kAbort:
      return "Abort";
    case kRetry:
      return "Retry";
    case kIgnore:
      return "Ignore";
    case kYes:
      return "Yes";
    case kNo:
      return "No";
    default:
      return "";
  }
}

}  // namespace vellumo::ui
