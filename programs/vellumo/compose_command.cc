// vellumo compose: the composition engine on one message file, for looking at the result.
//
// The message becomes the current item (its HTML part, or its text part when it has none), the
// settings are those of the home, and questions go to the window layer the environment chose.
// What the composition logs goes to standard error; the composed HTML to standard output.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "base/error.h"
#include "common/compose/compose_windows.h"
#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "localmail/mime_message.h"
#include "platform/mailclient/mem_application.h"
#include "platform/win_path.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {
namespace {

struct ComposeArgs {
  bool preview = false;
  std::string template_path;
  std::string reply_separator;
  bool reply = false;
  std::string message_file;
};

// The composition's log lines, one per line on standard error.
class StderrLog final : public Log {
 public:
  void Write_to_error_file(std::string_view description, std::string_view procedure,
                           std::string_view section) override {
    std::cerr << "vellumo compose: " << procedure << ", " << section << ", " << description << '\n';
  }
  void Write_log_line(std::string_view text) override {
    std::cerr << "vellumo compose: " << text << '\n';
  }
  void Write_system_check_line(std::string_view a, std::string_view b,
                               std::string_view c) override {
    std::cerr << "vellumo compose: " << a << ", " << b << ", " << c << '\n';
  }
};

// A relative path names a file of the current folder, as a user typing it means.
std::string FromCommandLine(const std::string& path) {
  if (path.empty() || path.front() == '/' || (path.size() > 1 && path[1] == ':')) return path;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

// The message file as the current item of an in-memory mail client. Throws Error naming the file.
std::shared_ptr<mail::MailItem> LoadItem(FileSystem& fs, mail::Application& app,
                                         const std::string& path) {
  std::string bytes;
  try {
    bytes = fs.ReadFile(path);
  } catch (const Error& e) {
    throw Error("cannot read the message file " + path + ": " + e.description());
  }
  const localmail::MimeMessage message = localmail::MimeMessage::Parse(bytes, path);
  std::shared_ptr<mail::MailItem> item = app.CreateMailItem();
  item->SetSubject(message.Subject());
  item->SetBody(message.TextBody());
  item->SetHTMLBody(message.HtmlBody());
  return item;
}

int RunCompose(RealPlatform& platform, const ComposeArgs& args) {
  Env& env = platform.env();
  mail::MemApplication app(&env.fs);
  std::shared_ptr<mail::MailItem> item;
  try {
    item = LoadItem(env.fs, app, FromCommandLine(args.message_file));
  } catch (const Error& e) {
    std::cerr << "vellumo compose: " << e.what() << '\n';
    return 1;
  }
  Settings settings(env.registry);
  compose::SendState state;
  state.CurrentItem = item;
  state.ApplicationPath = settings.Get(keys::ApplicationPath);
  state.PreviewMode = args.preview;
  if (args.reply) {
    state.IsReply = true;
    state.ReplySeparator = args.reply_separator;
    state.ReplyCutBefore = settings.Get(keys::ReplySearchStringVal);
    state.ReplySkipAfter = settings.Get(keys::ReplyInsertStringVal);
  }

  StderrLog log;
  compose::FileListWindows windows(env.fs, env.ui);
  compose::Composer composer(
      compose::ComposeDeps{settings, env.fs, env.clock, env.ui, log, windows, nullptr});
  const std::string html_body = item->HTMLBody();
  const std::string message = html_body.empty() ? item->Body() : html_body;
  const std::string asked = FromCommandLine(args.template_path);
  std::string template_path = asked;
  const std::string result = composer.CreateHTMLBody(message, template_path, state);
  if (template_path != asked) {
    std::cerr << "vellumo compose: no template " << asked << "; used " << template_path << '\n';
  }
  if (state.ScriptCancelled) {
    std::cerr << "vellumo compose: the template holds script and was refused; a send would be "
                 "cancelled\n";
  }
  std::cout << result;
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

void AddComposeCommand(CLI::App& app, CommandContext& context) {
  auto args = std::make_shared<ComposeArgs>();
  CLI::App* compose = app.add_subcommand(
      "compose", "merge a message into a template as a send would, and print the HTML");
  compose->add_flag("--preview", args->preview,
                    "compose as the preview does: no script question, no contact log");
  compose->add_option("--template", args->template_path, "the template (.htm) file")->required();
  compose->add_option("--reply", args->reply_separator,
                      "treat the message as a reply whose history starts at SEPARATOR");
  compose->add_option("MESSAGE", args->message_file, "the message file (.eml)")->required();
  compose->callback([&context, args, compose] {
    args->reply = compose->count("--reply") > 0;
    context.exit_code = RunCompose(context.Platform(), *args);
  });
}

}  // namespace vellumo::program
