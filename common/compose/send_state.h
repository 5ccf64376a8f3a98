// SendState: the shared send state of the add-in, as one plain struct.
//
// The send pipeline owns one SendState for the add-in's life and fills it before each send; the
// composition, the preview and the message form read it, and the composition writes
// ScriptCancelled. It is handed by reference to whoever needs it, never kept in a global. The
// field names are the ones the behaviours use, so a reader can find them. Nothing here validates
// anything: the owner keeps the fields consistent (for example IsReply only with a
// ReplySeparator).
//
// Not thread-safe; it must not change while a composition runs.
#pragma once

#include <memory>
#include <string>

#include "common/diagnostics/message_state.h"
#include "platform/mailclient/items.h"

namespace vellumo::compose {

// The message form's question and answer (Message: "Format Warning", "Auto-no Template", ...;
// "Yes", "No", or left as it was) and the report-handled flag come from ReportState, so the error
// report asks through the same state as the send.
struct SendState : ReportState {
  // The mail item being sent (or the safe wrapper around it); null when there is none, and then
  // every read of it fails as an object-model call does.
  std::shared_ptr<mail::MailItem> CurrentItem;
  // Admin Settings "ApplicationPath": the folder of the work files (beforetext.txt, ...).
  std::string ApplicationPath;

  // The item is a reply or forward whose history goes below the stationery.
  bool IsReply = false;
  // The text that marks where the quoted history starts.
  std::string ReplySeparator;
  // Numbers as text (System Settings "ReplySearchStringVal" / "ReplyInsertStringVal"): how many
  // characters before the separator the new text ends, and after its position the history starts.
  std::string ReplyCutBefore = "1";
  std::string ReplySkipAfter = "1";

  // A preview is being composed: no script question, no contact log, no marketing record.
  bool PreviewMode = false;
  // Written by the composition: the user refused a template that holds script; the send must
  // then be cancelled.
  bool ScriptCancelled = false;

  // Every recipient is internal (short signature only).
  bool MyInternal = false;
  // The item's subject as it was when the send began.
  std::string ItemSubject;
  // The item was dressed in this send and must be marked.
  bool MessageDressed = false;
  // Hand-over to and from the preview: send it, send it plain, attach the vCard, the boilerplate
  // chosen there.
  bool BrowserSend = false;
  bool SendPlain = false;
  bool AttachVCard = false;
  std::string SelectedBoilerplate;
  // The system test is on: trace lines are written.
  bool TraceOn = false;
};

}  // namespace vellumo::compose
