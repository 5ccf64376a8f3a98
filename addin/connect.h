// Connect: the add-in object the mail client creates by its programmatic identifier
// ("Vellumo.Connect") and connects at its start. It owns the add-in's shared send state, its
// diagnostics (the add-in variant, whose report question is the real message form), the
// composition engine with the add-in's windows, and the send interception (item_send.h).
//
// Lifecycle: Create -> OnConnection(application) holds the application and wires its ItemSend
// event to ol_ItemSend -> sends are intercepted -> OnDisconnection unwires the event and lets
// the application go. The host calls OnDisconnection before the application goes away; a Connect
// dropped while still connected never calls into the application again (the event handler holds
// it weakly and does nothing once it is gone).
//
// The Env's members must outlive the object; env.mail is ignored (the application comes with
// OnConnection). Not thread-safe: everything runs on the mail client's user-interface thread.
#pragma once

#include <memory>
#include <string_view>

#include "addin/addin_windows.h"
#include "addin/browser_preview.h"
#include "addin/item_send.h"
#include "addin/send_windows.h"
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
  // Unwires ItemSend and lets the application go. remove_mode is the host's reason (0: the host
  // shuts down); both ways do the same here. Harmless when not connected.
  void OnDisconnection(int remove_mode);

  // The ItemSend handler (item_send.h); does nothing while not connected. Never throws.
  void ol_ItemSend(const std::shared_ptr<mail::MailItem>& Item, bool& Cancel);

  // Shows the preview window for item without sending it (ItemSendHandler::PreviewOnly). Throws
  // Error(kObjectNotSet) while not connected.
  ItemSendHandler::PreviewOutcome PreviewItem(const std::shared_ptr<mail::MailItem>& item);

  // The toolbar and the preview plug in here (null: none). They must outlive the connection.
  // The preview starts as the add-in's own window (BrowserPreview on env.ui).
  void set_mode_button(ModeButton* button);
  void set_preview(PreviewWindow* preview);

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
  mail::Application* application_ = nullptr;
  mail::ConnectionId item_send_ = 0;
};

}  // namespace vellumo::addin
