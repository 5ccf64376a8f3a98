// `vellumo register`, `vellumo unregister`, `vellumo toolbar [click TAG]`: the add-in as the mail
// client knows it, and the buttons it puts on the client's Standard bar.
#include <iostream>
#include <memory>
#include <string>

#include "addin/registration.h"
#include "base/error.h"
#include "common/settings/listing.h"
#include "platform/mailclient/explorer.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {
namespace {

std::shared_ptr<mail::CommandBar> StandardBar(mail::Application& client) {
  std::shared_ptr<mail::Explorer> explorer = client.ActiveExplorer();
  if (!explorer) throw Error("the mail client has no main window open");
  return explorer->CommandBars()->Item(std::string_view("Standard"));
}

// One line per control: caption, tag, tool tip, visible (tab-separated, escaped as settings list
// escapes fields).
void PrintBar(mail::CommandBar& bar) {
  std::shared_ptr<mail::CommandBarControls> controls = bar.Controls();
  for (int i = 1; i <= controls->Count(); ++i) {
    std::shared_ptr<mail::CommandBarButton> button = controls->Item(i);
    std::cout << ListField(button->Caption()) << '\t' << ListField(button->Tag()) << '\t'
              << ListField(button->TooltipText()) << '\t'
              << (button->Visible() ? "visible" : "hidden") << '\n';
  }
}

}  // namespace

void AddAddInCommands(CLI::App& app, CommandContext& context) {
  app.add_subcommand("register", "register the add-in with the mail client (loaded at every start)")
      ->callback([&context] {
        addin::RegisterAddIn(context.Platform().registry(), SelfExe());
        std::cout << "registered " << addin::Connect::kProgId << '\n';
      });
  app.add_subcommand("unregister", "remove the add-in from the mail client (it stays off)")
      ->callback([&context] {
        addin::UnregisterAddIn(context.Platform().registry());
        std::cout << "unregistered " << addin::Connect::kProgId << '\n';
      });

  auto tag = std::make_shared<std::string>();
  CLI::App* toolbar = app.add_subcommand(
      "toolbar",
      "start the mail client and list its Standard bar: caption, tag, tool tip, visible");
  CLI::App* click = toolbar->add_subcommand("click", "click the button with this tag, then list");
  click->add_option("TAG", *tag, "the button's tag, e.g. EmailMonitor or ButtonWiz")->required();
  toolbar->callback([&context, toolbar, click, tag] {
    std::shared_ptr<localmail::LocalMailClient> client = OpenClient(context);
    std::shared_ptr<mail::CommandBar> bar = StandardBar(*client);
    if (click->parsed()) {
      std::shared_ptr<mail::CommandBarButton> button = bar->FindControl(*tag);
      if (!button) {
        const bool registered = addin::AddInRegistered(context.Platform().registry());
        throw Error("no button with the tag \"" + *tag + "\" on the Standard bar" +
                    (registered ? "" : " (the add-in is not registered: vellumo register)"));
      }
      button->Execute();
    }
    (void)toolbar;
    PrintBar(*bar);
    if (bar->Controls()->Count() == 0 && !addin::AddInRegistered(context.Platform().registry())) {
      std::cerr << "vellumo: the add-in is not registered, so the Standard bar has no buttons "
                   "(vellumo register)\n";
    }
  });
}

}  // namespace vellumo::program
