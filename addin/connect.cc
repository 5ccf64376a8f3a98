#include "addin/connect.h"

#include <string>
#include <utility>

#include "addin/startup.h"
#include "base/error.h"
#include "base/text.h"
#include "common/compose/outlook_signatures.h"
#include "common/diagnostics/log.h"
#include "common/forms/caption_table.h"
#include "common/forms/message_form.h"
#include "common/settings/keys.h"
#include "platform/mailclient/safe_items.h"
#include "platform/ui/host.h"
#include "platform/win_path.h"

namespace vellumo::addin {
namespace {

Env WithoutMail(const Env& env) {
  Env copy = env;
  copy.mail = nullptr;
  return copy;
}

// The handler names of the trace lines.
constexpr std::string_view kOnConnection = "On Connection";
constexpr std::string_view kOnStartupComplete = "On StartupComplete";
constexpr std::string_view kOnDisconnection = "OnDisconnection";
constexpr std::string_view kOnBeginShutdown = "OnBeginShutdown";

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
                           AddInCaptions(), TopMostHook(diagnostics_)}),
      toolbar_(ToolbarDeps{settings_, env_.processes, [this] { return state_.ApplicationPath; },
                           [this] {
                             if (signature_files_.create) signature_files_.create();
                           },
                           [this] {
                             if (signature_files_.reset) signature_files_.reset();
                           }}) {
  diagnostics_.set_question(AddInMessageForm(env_.ui, diagnostics_));
  diagnostics_.set_report_state(&state_);
  // The mode button's eSignature mode: the mail client's own signature files from the profile.
  const auto signature_deps = [this] {
    return compose::OutlookSignatureDeps{settings_, env_.fs, env_.system, env_.registry};
  };
  signature_files_ = {
      [signature_deps] {
        (void)compose::CreateOutlookSignatures(signature_deps(), compose::SignatureLists::kAddIn);
      },
      [signature_deps] { (void)compose::ResetOutlookSignatures(signature_deps()); }};
  state_.ApplicationPath = std::string(WinPath::kProgramFolder);
}

Connect::~Connect() {
  // The application may already be gone (see the header): only our own state is touched here.
  state_.CurrentItem.reset();
}

bool Connect::TraceOn() {
  bool on = false;
  Ignore([&] { on = settings_.IsTrue(keys::SystemCheck); });
  return on;
}

void Connect::Trace(std::string_view procedure, std::string_view place, std::string_view status) {
  if (TraceOn()) diagnostics_.Write_system_check_line(procedure, place, status);
}

void Connect::StartWizard() {
  // A wizard that cannot be started is not reported: the user can start it from the toolbar.
  Ignore([&] {
    env_.processes.Start(std::string(WinPath::kProgramFolder) + std::string(kSetupProgram));
  });
  settings_.Set(keys::StartupSetupWiz, "False");
}

void Connect::OnConnection(mail::Application& application) {
  if (connected()) OnDisconnection(0);
  Trace(kOnConnection, "Top", "Fired");
  application_ = &application;
  host_held_ = true;
  diagnostics_.set_mail(&application);
  contacts_.set_application(&application);
  Ignore([&] {
    explorer_ = application.ActiveExplorer();
    if (!explorer_) return;
    std::weak_ptr<Connect> self = weak_from_this();
    explorer_close_ = explorer_->CloseEvent().Connect([self] {
      if (std::shared_ptr<Connect> connect = self.lock()) connect->myActiveExplorer_Close();
    });
  });
  const auto guarded = [&](const std::function<void()>& step) {
    Guard(diagnostics_, kConnectionWhere, kConnectionLabel, step);
  };
  guarded([&] {
    state_.ApplicationPath = settings_.Get(keys::ApplicationPath);
    diagnostics_.set_application_path(state_.ApplicationPath);
  });
  handler_ = std::make_unique<ItemSendHandler>(
      ItemSendDeps{application, settings_, env_.registry, env_.fs, env_.ui, diagnostics_, composer_,
                   state_, AddInMessageForm(env_.ui, diagnostics_)});
  handler_->set_mode_button(mode_button_ != nullptr ? mode_button_ : &toolbar_);
  handler_->set_preview(preview_);
  guarded([&] {
    std::weak_ptr<Connect> self = weak_from_this();
    item_send_ =
        application.ItemSend().Connect([self](std::shared_ptr<mail::MailItem> item, bool& cancel) {
          if (std::shared_ptr<Connect> connect = self.lock()) connect->ol_ItemSend(item, cancel);
        });
    options_pages_ =
        application.OptionsPagesAdd().Connect([self](std::shared_ptr<mail::OptionsPages> pages) {
          if (std::shared_ptr<Connect> connect = self.lock()) connect->OptionsPagesAdd(pages);
        });
  });
  guarded([&] {
    if (settings_.IsTrue(keys::SysTrayAtStartup) && tray_ != nullptr) tray_->LoadTray();
  });
  guarded([&] {
    if (settings_.Get(keys::SigEmail).empty() || settings_.Get(keys::SigWebsite).empty()) {
      StartWizard();
    }
  });
  guarded([&] {
    if (settings_.IsTrue(keys::StartupSetupWiz)) StartWizard();
  });
  guarded([&] { SystemTestQuestion(application); });
  Trace(kOnConnection, "Bottom", "Exiting Sub");
}

void Connect::SystemTestQuestion(mail::Application& application) {
  if (!settings_.IsTrue(keys::SystemCheck)) return;
  if (env_.ui.MsgBox(kSystemTestQuestion, ui::kYesNo, kSystemTestTitle) != ui::kNo) return;
  settings_.Set(keys::SystemCheck, "False");
  if (env_.ui.MsgBox(kSystemReportQuestion, ui::kYesNo, kSystemReportTitle) != ui::kYes) return;
  std::shared_ptr<mail::SafeMailItem> report = mail::CreateSafeMailItem(application);
  report->SetItem(application.CreateMailItem());
  report->Recipients()->Add(settings_.Get(keys::EmailAddressNotify));
  report->SetSubject(kSystemReportSubject);
  report->SetHTMLBody(kSystemReportBody);
  report->Attachments()->Add(settings_.Get(keys::ErrorFileLocation));
  report->Send();
}

void Connect::OnStartupComplete() {
  if (!connected()) return;
  Trace(kOnStartupComplete, "Top", "Fired");
  const StartupDeps deps{settings_, env_.registry, env_.fs, diagnostics_};
  ImportRegistryFileOnce(deps, kNewUserRegFile);
  ImportRegistryFileOnce(deps, kDefaultUserRegFile);
  Ignore([&] {
    state_.ApplicationPath = settings_.Get(keys::ApplicationPath);
    diagnostics_.set_application_path(state_.ApplicationPath);
  });
  ApplyEditorSwitches(deps);
  RemovePersonalStationery(deps);
  Ignore([&] {
    if (!explorer_) return;
    command_bars_ = explorer_->CommandBars();
    standard_bar_ = command_bars_->Item(std::string_view("Standard"));
  });
  Ignore([&] { ApplyVersionRule(deps, application_->Version()); });
  Ignore([&] {
    if (standard_bar_) toolbar_.CreateButtons(*standard_bar_);
  });
  Trace(kOnStartupComplete, "Calling Get_Marketing_Info", "Trace");
  contacts_.Get_Marketing_Info();
  Trace(kOnStartupComplete, "Bottom", "Exiting Sub");
}

void Connect::OnDisconnection(int remove_mode) {
  if (!connected()) return;
  Trace(kOnDisconnection, "Top", "Fired");
  if (remove_mode != 0) OnBeginShutdown();
  Ignore([&] {
    if (settings_.IsTrue(keys::SysTrayAtStartup) && tray_ != nullptr) tray_->UnloadTray();
  });
  Ignore([&] {
    if (application_->Explorers()->Count() > 0) VarCleanup();
  });
  Trace(kOnDisconnection, "Bottom", "Exiting Sub");
  // Whatever the client still has of ours goes now, with or without open windows: nothing may
  // call into us, or we into it, after this.
  Release(/*trace=*/false);
  handler_.reset();
  contacts_.set_application(nullptr);
  diagnostics_.set_mail(nullptr);
  application_ = nullptr;
}

void Connect::OnBeginShutdown() {
  Trace(kOnBeginShutdown, "Top", "Fired");
  VarCleanup();
  Trace(kOnBeginShutdown, "Bottom", "Exiting Sub");
}

void Connect::OnAddInsUpdate() { Trace("OnAddInsUpdate", "Top- no code here", "Fired"); }

void Connect::VarCleanup() { Release(TraceOn()); }

void Connect::Release(bool trace) {
  const auto release = [&](std::string_view name, bool held, const std::function<void()>& let_go) {
    if (!held) return;
    Ignore(let_go);
    if (trace) diagnostics_.Write_system_check_line(name, "Not Nothing", "VarCleanup");
  };
  release("myActiveExplorer", explorer_ != nullptr, [&] {
    std::shared_ptr<mail::Explorer> explorer = std::move(explorer_);
    if (explorer_close_ != 0) explorer->CloseEvent().Disconnect(explorer_close_);
    explorer_close_ = 0;
  });
  release("OL", item_send_ != 0 || options_pages_ != 0, [&] { Unwire(); });
  release("oHostApp", host_held_, [&] { host_held_ = false; });
  release("oCommandBars", command_bars_ != nullptr, [&] { command_bars_.reset(); });
  release("oStandardBar", standard_bar_ != nullptr, [&] { standard_bar_.reset(); });
  const bool mode_held = toolbar_.mode_button() != nullptr;
  const bool setup_held = toolbar_.setup_button() != nullptr;
  toolbar_.Release();
  release("myButtonSetting", mode_held, [] {});
  release("MyButtonSetupLauncher", setup_held, [] {});
  release("MyMessItem", state_.CurrentItem != nullptr, [&] { state_.CurrentItem.reset(); });
}

void Connect::myActiveExplorer_Close() {
  Ignore([&] {
    const int count = application_ != nullptr ? application_->Explorers()->Count() : 0;
    if (count >= 2) return;
    Trace("myActiveExplorer_Close", "Explorer count <= 1 (Count is " + std::to_string(count) + ")",
          "Calling Varcleanup");
    VarCleanup();
  });
}

void Connect::OptionsPagesAdd(const std::shared_ptr<mail::OptionsPages>& pages) {
  Guard(diagnostics_, "OptionsPagesAdd", kConnectionLabel, [&] {
    if (!settings_.IsTrue(keys::ShowOptionsPage) || application_ == nullptr) return;
    std::shared_ptr<mail::PropertyPage> page =
        mail::CreateObjectAs<mail::PropertyPage>(*application_, kOptionsPageProgId);
    pages->Add(page, "");
  });
}

void Connect::Unwire() {
  if (application_ == nullptr) return;
  if (item_send_ != 0) {
    const mail::ConnectionId id = std::exchange(item_send_, 0);
    Guard(diagnostics_, "OnDisconnection", kConnectionLabel,
          [&] { application_->ItemSend().Disconnect(id); });
  }
  if (options_pages_ != 0) {
    const mail::ConnectionId id = std::exchange(options_pages_, 0);
    Ignore([&] { application_->OptionsPagesAdd().Disconnect(id); });
  }
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
  if (handler_) handler_->set_mode_button(button != nullptr ? button : &toolbar_);
}

void Connect::set_preview(PreviewWindow* preview) {
  preview_ = preview;
  if (handler_) handler_->set_preview(preview);
}

}  // namespace vellumo::addin
