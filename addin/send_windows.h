// The two windows the send pipeline reaches but does not own: the toolbar's mode button and the
// preview window (frmBrowser). Each is an interface here; the toolbar and the preview fill them
// in, and tests answer them with fakes.
//
// The pipeline calls them on the mail client's user-interface thread, inside the item-send
// event. Either may throw vellumo::Error; the pipeline logs the failure as its own rules say and
// carries on with the send. Not thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "common/compose/send_state.h"

namespace vellumo::addin {

// The mode button of the "Standard" command bar (tag "EmailMonitor"). Its caption is the send
// mode the user sees: "Vellumo On" (auto), "Vellumo Off" (off), "eSignature".
class ModeButton {
 public:
  virtual ~ModeButton() = default;
  virtual void SetCaption(std::string_view caption) = 0;
};

// How the preview window is to be laid out for this send (all from the settings).
struct PreviewSetup {
  bool vcard_visible = false;    // chkvCard: the user has a vCard (User Settings "vCard")
  bool vcard_ticked = false;     // chkvCard ticked: shown and Admin Settings "SendvCardAlways"
  bool select_visible = false;   // cmdNext, cmdSignNext: "ShowPreviewSelectButton"
  bool plain_visible = false;    // cmdSendPlain: "ShowAutoSendPlain"
  bool options_visible = false;  // cmdOptions: "ShowPreviewOptionsButton"
  int attachments = 0;           // lblAttachments / txtAttachments shown when above 0
  // Position and size in twips, as stored (User Settings "BrowserTop", ...).
  std::string top = "990";
  std::string left = "2595";
  std::string height = "6000";
  std::string width = "10170";
  bool operator==(const PreviewSetup&) const = default;
};

// The preview window, shown modally by the add-in's AutoPreview operation.
//
// On entry the pipeline has set BrowserSend true and SendPlain, AttachVCard false, and
// state.CurrentItem is the item being sent. The window may compose previews (PreviewMode) and
// change the "Template" and "Signature" settings; it never writes the item. It returns when it
// has unloaded, leaving in state how it was left:
//   Send        BrowserSend true, AttachVCard as ticked, SelectedBoilerplate chosen ("" none);
//   Send Plain  SendPlain true (the pipeline then cancels the send, the item stays undressed);
//   Close       BrowserSend false (the pipeline cancels the send).
class PreviewWindow {
 public:
  virtual ~PreviewWindow() = default;
  virtual void AutoPreview(const PreviewSetup& setup, compose::SendState& state) = 0;
};

}  // namespace vellumo::addin
