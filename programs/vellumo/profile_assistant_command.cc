// vellumo profile-assistant: the set-up wizard, in the window layer VELLUMO_UI picks. It stores
// the signature profile on Finish and prints how it ended: "Finished", "Cancelled" or
// "System test". Installed also as the program profile-assistant, which the add-in's set-up
// button and the options page start.
#include <iostream>
#include <memory>
#include <string>

#include "platform/win_path.h"
#include "profilewizard/profile_assistant.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {

void AddProfileAssistantCommand(CLI::App& app, CommandContext& context) {
  CLI::App* wizard = app.add_subcommand(
      "profile-assistant",
      "The set-up wizard: your signature profile, signatures, vCard and the system test");
  // Started as a program it may be given the Windows arguments of its callers, and --home after
  // the command name.
  wizard->allow_extras();
  wizard->fallthrough();
  wizard->callback([&context] {
    // The client as the wizard reaches the running one: its object model only. The add-in is
    // not started again here (its start-up questions belong to the user's mail sessions).
    std::shared_ptr<localmail::LocalMailClient> client = OpenBareClient(context);
    Env env = context.Platform().env();
    env.mail = client.get();
    profilewizard::ProfileAssistantDeps deps{
        .env = env, .program_folder = std::string(WinPath::kProgramFolder)};
    switch (profilewizard::RunProfileAssistant(std::move(deps))) {
      case profilewizard::Ending::kFinished:
        std::cout << "Finished\n";
        break;
      case profilewizard::Ending::kSystemCheck:
        std::cout << "System test\n";
        break;
      default:
        std::cout << "Cancelled\n";
        break;
    }
  });
}

}  // namespace vellumo::program
