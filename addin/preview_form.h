// PreviewForm (frmBrowser, "Vellumo Preview"): the window in which the user sees the outgoing
// message dressed before it leaves, pages through the templates and signatures on disk, picks a
// signature profile, a boilerplate text and the vCard, and then sends, sends plain or closes.
//
// Every change of choice recomposes the item's HTML body through the composition engine, writes
// the result to the preview file (PreviewFile()) and points the browser control brwWebBrowser at
// it. The window never writes the item: the send pipeline reads how it was left from the send
// state (BrowserSend, SendPlain, AttachVCard, SelectedBoilerplate) and the "Template" and
// "Signature" settings, and composes the final body itself.
//
// Leaving: Send (Command1) keeps BrowserSend true and hands over the vCard box and the
// boilerplate; Send Plain sets SendPlain; Close clears BrowserSend; Send to Many saves the subject
// as "SendToManySubject", starts the send-to-many program and then acts as Close. The close box
// (Escape, the tab closed, the browser gone) acts as Close too: a window dismissed without a
// button never sends. Every way out saves the window geometry in twips, and with "do not
// show Preview" ticked turns "AutoPreview" off and says so once.
//
// Failures: "> Template", "> Signature", "> Options" and the profile list log through
// Write_to_error_file and go on with their next step, so a failed composition leaves the previous
// preview in place; picking a template, a signature or a boilerplate logs one line and goes on;
// the load steps ignore failures (a missing folder leaves a list empty). Send, Send Plain, Close,
// Send to Many, Help and unload let failures pass to the caller of the window (AutoPreview logs
// them).
//
// The deps and the send state must outlive the form. Not thread-safe: the mail client's
// user-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/forms/caption_table.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/ui/form.h"
#include "platform/ui/host.h"

namespace vellumo::addin {

inline constexpr std::string_view kPreviewCaption = "Vellumo Preview";
inline constexpr std::string_view kPlainTextCaptionSuffix = "- Plain Text formatted email";
inline constexpr std::string_view kPreviewFileName = "\\myTestHtmlFile.html";
inline constexpr std::string_view kPreviewOffTitle = "Preview feature set off";
inline constexpr std::string_view kPreviewOffText =
    "Previewing your messages has been set off.\r\n"
    "You can set Preview back 'on' in the setup wizard.";
inline constexpr std::string_view kSendToManyProgram = "\\BulkSender.exe";
inline constexpr std::string_view kNoBoilerplate = "None";
inline constexpr std::string_view kBoilerplateLabel = "Boilerplate";
inline constexpr std::string_view kTemplatePickSuffix = "- cboTemplates, frmBrowser in Vellumo";
// The caption-table entry of the help page's address.
inline constexpr int kHelpPageEntry = 5102;
// The browser control's top with and without the options panel (twips).
inline constexpr int kBrowserTopClosed = 840;
inline constexpr int kBrowserTopOpen = 1175;

// The profile keys a signature profile copies into Admin Settings.
extern const std::vector<const SettingKey*> kProfileKeys;

// The part of name before the first ".htm" in any case ("Birch.HTM" -> "Birch"), or name when it
// holds none.
[[nodiscard]] std::string GetFileName(std::string_view name);

struct PreviewDeps {
  Settings& settings;
  FileSystem& fs;
  Processes& processes;
  ui::Host& host;  // the message box at unload
  Log& log;
  compose::Composer& composer;
  const CaptionTable& captions;
  // Makes the window top-most at load; may be empty.
  std::function<void(ui::Form&)> make_topmost = {};
};

class PreviewForm final : public ui::Form {
 public:
  PreviewForm(PreviewDeps deps, compose::SendState& state);

  // BrowserPath (Admin Settings) when not empty, else the state's ApplicationPath, followed by
  // kPreviewFileName.
  [[nodiscard]] std::string PreviewFile() const;
  [[nodiscard]] std::string PreviewFolder() const;
  // Keeps html as PreviewHtml, writes it (and a line end) to the preview file (creating its
  // folder when missing) and points the browser control at the file. Throws the file system's
  // Error.
  void ShowPreview(const std::string& html);
  // The item dressed as the send would dress it with the template template_name (a file of the
  // send's template folder, Admin Settings "HTM Files Path") and the boilerplate chosen in
  // cboBplates (dress.h), shown. A body that cannot be read or composed throws that failure and
  // shows nothing; a boilerplate that cannot be read is logged and left out, as at Send.
  void ComposePreview(std::string_view template_name, bool plain_text = false);
  // The template the send will use: User Settings "Template", composed and shown.
  void ComposeCurrent(bool plain_text) { ComposePreview(Setting(keys::Template), plain_text); }
  // The boilerplate name Send takes from cboBplates: its text, "" when blank.
  [[nodiscard]] std::string ChosenBoilerplate() const;

  // The window's state while loaded (reset at every load).
  bool TemplatesLoaded = false;
  bool SignaturesLoaded = false;
  int TemplateCursor = 0;
  int SignatureCursor = 0;
  bool SuppressClick = false;
  bool LoadOnlyTemplates = false;
  bool LoadOnlySignatures = false;
  std::string PreviewHtml;

 private:
  struct FileListSpec;

  FileListSpec TemplateList() const;
  FileListSpec SignatureList() const;
  void Design();
  void OnLoad();
  void FillList(const FileListSpec& files);
  void NextEntry(const FileListSpec& files);
  void PickTemplate();
  void PickSignature();
  void PickProfile();
  void PickBoilerplate();
  void PickColour();
  void ToggleOptions();
  void ToggleHelp();
  void OnUnload(ui::UnloadMode mode);
  void OnResize();

  std::string Setting(const SettingKey& key) const;
  std::string TemplateFolder() const;
  // Shows text in a visible list with SuppressClick set: the entry equal to it is selected.
  void ShowInList(std::string_view list, std::string_view text);
  // Runs step; a failure is written through Write_to_error_file(where, label) and the next step
  // runs.
  void Guarded(std::string_view where, std::string_view label, const std::function<void()>& step);

  PreviewDeps deps_;
  compose::SendState& state_;
  std::vector<bool> enabled_before_help_;
};

}  // namespace vellumo::addin
