#include "addin/connect.h"

#include <string>
#include <utility>

#include "base/error.h"
#include "common/diagnostics/log.h"
#include "common/forms/caption_table.h"
#include "common/forms/message_form.h"
#include "common/settings/keys.h"
#include "platform/win_path.h"

namespace vellumo::addin {
namespace {

Env WithoutMail(const Env& env) {
  Env copy = env;
  copy.mail = nullptr;
  return copy;
}

}  // namespace

std::shared_ptr<Connect> Connect::Create(const Env& env) {
  return std::make_shared<Connect>(Key{}, env);
}

Connect::Connect(Key, const Env& env)
    : env_(WithoutMail(env)),
      settings_(env_.registry),
      diagnostics_(env_, kAddInDiagnostics, ProgramInfo{}, std::string(WinPath::kProgramFolder)),
      windows_(settings_, env_.fs, state_, AddInMessageForm(env_.ui, diagnostics_)),
      contacts_(compose::ContactLogDeps{settings_, env_.clock, diagnostics_, env_.database}),
      composer_(compose::ComposeDeps{settings_, env_.fs, env_.clock, env_.ui, diagnostics_,
                                     windows_, &contacts_}),
      browser_(PreviewDeps{settings_, env_.fs, env_.processes, env_.ui, diagnostics_, composer_,
                           AddInCaptions(), TopMostHook(diagnostics_)}) {
  diagnostics_.set_question(AddInMessageForm(env_.ui, diagnostics_));
  diagnostics_.set_report_state(&state_);
  state_.ApplicationPath = std::string(WinPath::kProgramFolder);
}

Connect::~Connect() {
  // The application may already be gone (see the header): only our own state is touched here.
  state_.CurrentItem.reset();
}

void Connect::OnConnection(mail::Application& application) {
  if (connected()) OnDisconnection(0);
  application_ = &application;
  diagnostics_.set_mail(&application);
  Guard(diagnostics_, kConnectionWhere, kConnectionLabel, [&] {
    state_.ApplicationPath = settings_.Get(keys::ApplicationPath);
    diagnostics_.set_application_path(state_.ApplicationPath);
  });
  contacts_.set_application(&application);
  contacts_.Get_Marketing_Info();
  handler_ = std::make_unique<ItemSendHandler>(
      ItemSendDeps{application, settings_, env_.registry, env_.fs, env_.ui, diagnostics_, composer_,
                   state_, AddInMessageForm(env_.ui, diagnostics_)});
  handler_->set_mode_button(mode_button_);
  handler_->set_preview(preview_);
  Guard(diagnostics_, kConnectionWhere, kConnectionLabel, [&] {
    std::weak_ptr<Connect> self = weak_from_this();
    item_send_ =
        application.ItemSend().Connect([self](std::shared_ptr<mail::MailItem> item, bool& cancel) {
          if (std::shared_ptr<Connect> connect = self.lock()) connect->ol_ItemSend(item, cancel);
        });
  });
}

void Connect::OnDisconnection(int /*remove_mode*/) {
  if (!connected()) return;
  Unwire();
  handler_.reset();
  state_.CurrentItem.reset();
  contacts_.set_application(nullptr);
  diagnostics_.set_mail(nullptr);
  application_ = nullptr;
}

void Connect::Unwire() {
  if (item_send_ == 0) return;
  const mail::ConnectionId id = item_send_;
  item_send_ = 0;
  Guard(diagnostics_, "OnDisconnection", kConnectionLabel,
        [&] { application_->ItemSend().Disconnect(id); });
}

void Connect::ol_ItemSend(const std::shared_ptr<mail::MailItem>& Item, bool& Cancel) {
  if (handler_) handler_->ol_ItemSend(Item, Cancel);
}

ItemSendHandler::PreviewOutcome Connect::PreviewItem(const std::shared_ptr<mail::MailItem>& item) {
  if (!handler_) throw Error(ErrorCode::kObjectNotSet, "Connect");
  return handler_->PreviewOnly(item);
}

void Connect::set_mode_button(ModeButton* button) {
  mode_button_ = button;
  if (handler_) handler_->set_mode_button(button);
}

void Connect::set_preview(PreviewWindow* preview) {
  preview_ = preview;
  if (handler_) handler_->set_preview(preview);
}

}  // namespace vellumo::addin
