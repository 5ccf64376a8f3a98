#include "tty/host_factory.h"

#include <iostream>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/ui/script_host.h"
#include "platform/ui/transcript.h"
#include "tty/tty_host.h"

namespace vellumo::ui {
namespace {

// The renderers take the transcript by pointer; this keeps it alive as long as the host.
class TranscribedHost : public Host {
 public:
  TranscribedHost(std::unique_ptr<Transcript> transcript, std::unique_ptr<Host> host)
      : transcript_(std::move(transcript)), host_(std::move(host)) {}
  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    return host_->MsgBox(prompt, style, title);
  }
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override {
    return host_->InputBox(prompt, title, default_text);
  }
  void ShowForm(Form& form) override { host_->ShowForm(form); }

 private:
  std::unique_ptr<Transcript> transcript_;
  std::unique_ptr<Host> host_;  // declared last: destroyed before the transcript it points to
};

}  // namespace

std::unique_ptr<Host> MakeHost(const HostOptions& options, FileSystem& fs) {
  std::string ui = text::LCase(text::Trim(options.ui));
  if (ui.empty()) {
    ui = options.stdin_is_tty ? "tty" : "script";
  }
  if (ui == "web") {
    throw Error(
        "VELLUMO_UI=web: the web window layer is not available in this build; use "
        "script or tty");
  }
  if (ui != "script" && ui != "tty") {
    throw Error("VELLUMO_UI=" + options.ui +
                ": unknown window layer (expected script, tty or "
                "web)");
  }
  std::unique_ptr<Transcript> transcript;
  if (!options.log_file.empty()) {
    fs.AppendFile(options.log_file, "");
    transcript = std::make_unique<Transcript>(fs, options.log_file);
  }
  std::unique_ptr<Host> host;
  if (ui == "script") {
    host = std::make_unique<ScriptHost>(ScriptAnswers::Load(fs, options.answers_file),
                                        transcript.get());
  } else {
    TtyOptions tty = options.tty;
    tty.fs = &fs;
    host = std::make_unique<TtyHost>(std::cin, std::cout, transcript.get(), std::move(tty));
  }
  if (!transcript) {
    return host;
  }
  return std::make_unique<TranscribedHost>(std::move(transcript), std::move(host));
}

}  // namespace vellumo::ui
