#include "programs/vellumo/addin_registration.h"

#include <iostream>
#include <utility>

#include "addin/registration.h"
#include "optionspage/prop_page.h"
#include "platform/win_path.h"
#include "programs/vellumo/real_platform.h"

namespace vellumo::program {
namespace {

// The client and its add-ins; members go in reverse order, so the add-ins are disconnected
// while the client is still there.
struct ClientWithAddIns {
  std::shared_ptr<localmail::LocalMailClient> client;
  addin::ConnectedAddIns addins;
};

}  // namespace

void RegisterAddIn(mail::Application& client, const Env& env) {
  addin::RegisterConnectClass(client, env);
  // The options page is installed with the add-in: the add-in creates it by its identifier.
  optionspage::RegisterPropPage(
      client, optionspage::PropPageDeps{
                  .env = env,
                  .choose_path = optionspage::PathChooser(env.ui, env.registry, env.fs),
                  .program_folder = std::string(WinPath::kProgramFolder)});
  (void)addin::RegisterAddInKey(env.registry, SelfExe());
}

std::shared_ptr<localmail::LocalMailClient> WithAddIns(
    std::shared_ptr<localmail::LocalMailClient> client, const Env& env) {
  RegisterAddIn(*client, env);
  auto bundle = std::make_shared<ClientWithAddIns>();
  bundle->client = std::move(client);
  bundle->addins = addin::ConnectRegisteredAddIns(*bundle->client, env.registry);
  for (const std::string& problem : bundle->addins.problems()) {
    std::cerr << "vellumo: the add-in " << problem << " was not connected\n";
  }
  localmail::LocalMailClient* raw = bundle->client.get();
  return std::shared_ptr<localmail::LocalMailClient>(std::move(bundle), raw);
}

}  // namespace vellumo::program
