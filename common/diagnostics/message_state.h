// MessageState: the question the add-in's message form is asked and the answer it gives.
//
// One object per send state (ReportState, below, which the send state includes) shared by the code
// that asks (the send pipeline, the composition engine, the error report) and the message form
// that answers (common/forms/message_form.h). The caller sets kind, clears answer, shows the form
// modally and reads answer afterwards: "Yes", "No", or unchanged when the user closed the form or
// pressed OK.
#pragma once

#include <string>
#include <string_view>

namespace vellumo {

struct MessageState {
  std::string kind;    // MessageKind: names the situation, compared exactly
  std::string answer;  // MessageAnswer
};

// What a send shares with the failure report: the message form's question and answer, and
// whether a report was already offered in this send (cleared at every item-send event, so one
// send asks at most once).
struct ReportState {
  MessageState Message;
  bool ReportHandled = false;
};

// The situations the message form lays out.
inline constexpr std::string_view kMessageAutoNoTemplate = "Auto-no Template";
inline constexpr std::string_view kMessageAutoNoSignature = "Auto-no signature";
inline constexpr std::string_view kMessageFormatWarning = "Format Warning";
inline constexpr std::string_view kMessageSupportRequest = "Support email request";

// The answers the message form's buttons give.
inline constexpr std::string_view kAnswerYes = "Yes";
inline constexpr std::string_view kAnswerNo = "No";

}  // namespace vellumo
