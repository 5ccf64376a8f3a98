// MessageForm (frmMessage, "Vellumo Option"): the add-in's own modal question and notice window.
//
// The caller names the situation in MessageState::kind, sets or clears the answer, shows the form
// modally and reads the answer afterwards: cmdYes gives "Yes", cmdNo "No", cmdOK and the close box
// leave it as the caller set it. A question opens with the focus on its safe answer (cmdNo is the
// default button), and the answer the caller reads is the form's answer in the UI log. On load the
// form makes itself top-most, applies the caption table, then lays itself out by kind (exact
// comparison):
//
//   kind                    text   buttons                  title
//   "Auto-no Template"      5018   cmdOK                    "Vellumo Template warning"
//   "Auto-no signature"     5018   cmdOK                    5019
//   "Format Warning"        5030   cmdOK                    5031
//   "Support email request" 5032   cmdYes, cmdNo (own       5033
//                                  captions), no cmdOK
//
// Texts and titles given by number come from the caption table; a number the table lacks leaves
// the design text. Any other kind keeps the design: an empty message with cmdOK only. The form
// traps no errors: a failing hook passes through ShowForm to the caller.
//
// The form refers to the table and the state it was given; both must outlive it.
#pragma once

#include <functional>
#include <string_view>

#include "common/diagnostics/diagnostics.h"
#include "common/diagnostics/message_state.h"
#include "common/forms/caption_table.h"
#include "platform/ui/form.h"
#include "platform/ui/host.h"

namespace vellumo {

class MessageForm final : public ui::Form {
 public:
  // Called first at every load to make the window top-most (see TopMostHook).
  using TopMost = std::function<void(ui::Form& form)>;

  MessageForm(const CaptionTable& table, MessageState& state, TopMost make_topmost = {});

 private:
  void OnLoad();
  void Answer(std::string_view given);

  const CaptionTable& table_;
  MessageState& state_;
  TopMost make_topmost_;
};

// A TopMost hook that calls diagnostics.SetTopMostWindow(0, true): the window layers here have
// no window handles; a host that has them maps forms to handles in its WindowPositioner.
MessageForm::TopMost TopMostHook(Diagnostics& diagnostics);

// Shows a new message form for state on host, modally; the answer is in state afterwards.
void ShowMessageForm(ui::Host& host, const CaptionTable& table, MessageState& state,
                     const MessageForm::TopMost& make_topmost = {});

// The report question Diagnostics asks (Diagnostics::set_question): the message form on host,
// made top-most through diagnostics. host, table and diagnostics must outlive the question.
Diagnostics::Question MessageFormQuestion(ui::Host& host, const CaptionTable& table,
                                          Diagnostics& diagnostics);

}  // namespace vellumo
