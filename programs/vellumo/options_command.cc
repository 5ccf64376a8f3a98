// vellumo options: the mail client's Options dialog, with the tab each add-in supplies (Vellumo's
// settings page), in the window layer VELLUMO_UI picks. The dialog saves through its Apply and OK
// buttons; the command prints how it was closed ("OK" or "Cancel").
#include <iostream>
#include <memory>
#include <string>

#include "platform/mailclient/options_dialog.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {

void AddOptionsCommand(CLI::App& app, CommandContext& context) {
  CLI::App* options = app.add_subcommand(
      "options", "Show the mail client's Options dialog with Vellumo's settings tab");
  options->callback([&context] {
    std::shared_ptr<localmail::LocalMailClient> client = OpenClient(context);
    std::shared_ptr<mail::OptionsPageList> pages = client->ShowOptionsDialog();
    if (pages->Count() == 0) {
      std::cerr << "vellumo options: no add-in supplied a page. Vellumo's page needs the add-in "
                   "registered (vellumo register) and Admin Settings ShowOptionsPage at True; a "
                   "page that failed to open is in the error log.\n";
      context.exit_code = 1;
      return;
    }
    std::cout << mail::RunOptionsDialog(context.Platform().env().ui, *pages) << '\n';
  });
}

}  // namespace vellumo::program
