// BrowserPreview: the add-in's AutoPreview operation, the preview window (PreviewForm) shown
// modally on the window layer before an automatic send.
//
// AutoPreview sets PreviewMode, loads the window, lays it out for the setup the send pipeline
// read, composes the first preview (the item's HTML body with the current template; for the
// plain-text editor the plain rendering with the compact signature block and disclaimer, and the
// template and signature choices disabled), places the window where it was last left and shows
// it. It returns when the window has unloaded; the send state then says how (send_windows.h).
//
// Failures never leave AutoPreview: each step that fails is logged as one line of the error text
// followed by kPreviewErrorSuffix, and the next step runs (a window that cannot be shown leaves
// BrowserSend as the pipeline set it, so the message goes out dressed).
//
// The deps must outlive the object. Not thread-safe.
#pragma once

#include "addin/preview_form.h"
#include "addin/send_windows.h"

namespace vellumo::addin {

class BrowserPreview final : public PreviewWindow {
 public:
  explicit BrowserPreview(PreviewDeps deps) : deps_(std::move(deps)) {}
  void AutoPreview(const PreviewSetup& setup, compose::SendState& state) override;

 private:
  PreviewDeps deps_;
};

}  // namespace vellumo::addin
