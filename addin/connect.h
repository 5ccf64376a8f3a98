// Connect: the add-in object the mail client creates by its programmatic identifier
// ("Vellumo.Connect") and connects at its start. It owns the add-in's shared send state, its
// diagnostics (the add-in variant, whose report question is the real message form), the
// composition engine with the add-in's windows, the contact log, the toolbar buttons and the
// send interception (item_send.h).
//
// Lifecycle, as the mail client drives it:
//   OnConnection(application)  the application and its active explorer held, ItemSend and
//                              OptionsPagesAdd wired; the tray, the set-up wizard on a first
//                              start or an empty profile, the system-test question
//   OnStartupComplete()        the administrator's registry files imported once, the editor and
//                              stationery switches, the toolbar buttons, the marketing state
//   ... sends are intercepted; the options dialog asks for the page ...
//   explorer close             the last main window closing releases everything (VarCleanup)
//   OnBeginShutdown()          VarCleanup
//   OnDisconnection(mode)      a removal (mode not 0) first shuts down; the tray taken down;
//                              events unwired and the application let go
// While System Settings "SystemCheck" is "True", each handler writes its trace lines.
//
// A Connect dropped while still connected never calls into the application again (the event
// handlers hold it weakly). The Env's members must outlive the object; env.mail is ignored (the
// application comes with OnConnection). Not thread-safe: the mail client's user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "addin/addin_windows.h"
#include "addin/browser_preview.h"
#include "addin/item_send.h"
#include "addin/send_windows.h"
#include "addin/toolbar.h"
#include "common/compose/contact_log.h"
#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/diagnostics.h"
#include "common/settings/settings.h"
#include "platform/env.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/event.h"

namespace vellumo::addin {

// Where-text and label of the connection's failures.
inline constexpr std::string_view kConnectionWhere = "AddinInstance_OnConnection";
inline constexpr std::string_view kConnectionLabel = "error_handler";

// The options page's programmatic identifier.
inline constexpr std::string_view kOptionsPageProgId = "CorvanePage.PropPage";
// The system-test questions at the mail client's start and the report they may send.
inline constexpr std::string_view kSystemTestTitle = "Vellumo System Test";
inline constexpr std::string_view kSystemTestQuestion =
    "The System Test is set to ON, click Yes to leave it on, No to set it off.";
inline constexpr std::string_view kSystemReportTitle = "Vellumo System Report";
inline constexpr std::string_view kSystemReportQuestion =
    "Send a system report to Corvane support?";
inline constexpr std::string_view kSystemReportSubject = "System test - file report";
inline constexpr std::string_view kSystemReportBody = "Report sent from session startup";

// The administrator's tray icon (its window arrives with the tray menu); the add-in only puts it
// up and takes it down.
class Tray {
 public:
  virtual ~Tray() = default;
  virtual void LoadTray() = 0;
  virtual void UnloadTray() = 0;
};

// What the mode button does to the mail client's own signature files (eSignature mode).
struct SignatureFiles {
  std::function<void()> create;
  std::function<void()> reset;
};

class Connect final : public mail::Object, public std::enable_shared_from_this<Connect> {
 public:
  static constexpr std::string_view kProgId = "Vellumo.Connect";

  // A new, unconnected add-in over env.
  [[nodiscard]] static std::shared_ptr<Connect> Create(const Env& env);
  ~Connect() override;
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // Holds application, reads the application path (Admin Settings "ApplicationPath", default
  // the program folder) and the marketing description (Get_Marketing_Info), and wires ItemSend.
  // Connecting again first disconnects. Never throws: failures are logged as (kConnectionWhere,
  // kConnectionLabel).
  void OnConnection(mail::Application& application);
  // After the client has finished starting (see the file comment). Never throws; each step that
  // fails is skipped.
  void OnStartupComplete();
  // A removal (remove_mode not 0) first runs OnBeginShutdown; the tray is taken down, what is
  // held released, ItemSend unwired and the application let go. 0: the host shuts down.
  // Harmless when not connected.
  void OnDisconnection(int remove_mode);
  void OnBeginShutdown();
  void OnAddInsUpdate();
  // Releases every held object of the mail client that is still held, in a fixed order, each
  // with a trace line while the system test is on.
  void VarCleanup();
  // The explorer's close event: the last main window going releases everything.
  void myActiveExplorer_Close();
  // The OptionsPagesAdd event: the options page added when Admin Settings "ShowOptionsPage" is
  // "True". A page that cannot be created is logged, as any failure of the add-in.
  void OptionsPagesAdd(const std::shared_ptr<mail::OptionsPages>& pages);

  // The ItemSend handler (item_send.h); does nothing while not connected. Never throws.
  void ol_ItemSend(const std::shared_ptr<mail::MailItem>& Item, bool& Cancel);

  // Shows the preview window for item without sending it (ItemSendHandler::PreviewOnly). Throws
  // Error(kObjectNotSet) while not connected.
  ItemSendHandler::PreviewOutcome PreviewItem(const std::shared_ptr<mail::MailItem>& item);

  // The toolbar and the preview plug in here (null: none). They must outlive the connection.
  // The preview starts as the add-in's own window (BrowserPreview on env.ui).
  void set_mode_button(ModeButton* button);
  void set_preview(PreviewWindow* preview);
  // The tray (null: none) and the mode button's signature-file actions.
  void set_tray(Tray* tray) { tray_ = tray; }
  void set_signature_files(SignatureFiles files) { signature_files_ = std::move(files); }

  Toolbar& toolbar() { return toolbar_; }
  bool connected() const { return application_ != nullptr; }
  mail::Application* application() const { return application_; }
  compose::SendState& send_state() { return state_; }
  const compose::ContactLog& contact_log() const { return contacts_; }
  Diagnostics& diagnostics() { return diagnostics_; }
  const Settings& settings() const { return settings_; }

 private:
  struct Key {};

 public:
  // Use Create: the event handler needs the object to be shared.
  Connect(Key, const Env& env);

 private:
  void Unwire();
  void Release(bool trace);
  bool TraceOn();
  void Trace(std::string_view procedure, std::string_view place, std::string_view status);
  void StartWizard();
  void SystemTestQuestion(mail::Application& application);

  Env env_;
  Settings settings_;
  Diagnostics diagnostics_;
  compose::SendState state_;
  AddInComposeWindows windows_;
  compose::ContactLog contacts_;
  compose::Composer composer_;
  BrowserPreview browser_;
  std::unique_ptr<ItemSendHandler> handler_;
  ModeButton* mode_button_ = nullptr;
  PreviewWindow* preview_ = &browser_;
  Toolbar toolbar_;
  Tray* tray_ = nullptr;
  SignatureFiles signature_files_;
  mail::Application* application_ = nullptr;
  bool host_held_ = false;  // oHostApp
  std::shared_ptr<mail::Explorer> explorer_;
  mail::ConnectionId explorer_close_ = 0;
  std::shared_ptr<mail::CommandBars> command_bars_;
  std::shared_ptr<mail::CommandBar> standard_bar_;
  mail::ConnectionId item_send_ = 0;
  mail::ConnectionId options_pages_ = 0;
};

}  // namespace vellumo::addin
