// How the add-in becomes part of the mail client: its class in the client's in-process class
// table (programmatic identifier "Vellumo.Connect"), and its key among the client's add-ins,
//   HKEY_CURRENT_USER\Software\Microsoft\Office\Outlook\Addins\Vellumo.Connect
//     "FriendlyName" = "Vellumo Corvane", "Description" = "Add-In Project Template",
//     "LoadBehavior" = 3 (dword: connected at every start of the client).
// The client connects, at its start, every add-in of that key with load behaviour 3, creating it
// by its identifier.
//
// Failures throw vellumo::Error (the registry's, the client's). Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/connect.h"
#include "platform/env.h"
#include "platform/mailclient/application.h"
#include "platform/registry.h"

namespace vellumo::addin {

inline constexpr std::string_view kAddInsKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\Addins";
inline constexpr std::string_view kAddInKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\Addins\\Vellumo.Connect";
inline constexpr std::string_view kFriendlyName = "Vellumo Corvane";
inline constexpr std::string_view kDescription = "Add-In Project Template";
inline constexpr uint32_t kLoadAtStartup = 3;

// Registers "Vellumo.Connect" in the client's class table: each CreateObject makes a new,
// unconnected Connect over env (Connect::Create). env's members must outlive every object made.
void RegisterConnectClass(mail::Application& client, const Env& env);

// Writes the add-in key, as one registry transaction, when the key does not exist yet (the first
// run); an existing key is left as the user or an administrator has it (a load behaviour of 2
// keeps the add-in off). Returns true when it wrote the key.
bool RegisterAddInKey(Registry& registry);

// The add-ins a client connected at its start. Move-only; when it goes, every add-in it holds is
// disconnected (OnDisconnection(0), as at the client's shutdown), so it must go before the client.
class ConnectedAddIns {
 public:
  ConnectedAddIns() = default;
  ~ConnectedAddIns();
  ConnectedAddIns(ConnectedAddIns&& other) noexcept = default;
  ConnectedAddIns& operator=(ConnectedAddIns&& other) noexcept;
  ConnectedAddIns(const ConnectedAddIns&) = delete;
  ConnectedAddIns& operator=(const ConnectedAddIns&) = delete;

  const std::vector<std::shared_ptr<Connect>>& addins() const { return addins_; }
  // One line per add-in that could not be connected: its identifier and why.
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  friend ConnectedAddIns ConnectRegisteredAddIns(mail::Application& client, Registry& registry);
  void DisconnectAll();

  std::vector<std::shared_ptr<Connect>> addins_;
  std::vector<std::string> problems_;
};

// The client's start: every subkey of kAddInsKey whose "LoadBehavior" is 3 is created by its
// identifier (the subkey's name) and connected to client. An identifier the client cannot create,
// or an object that is not an add-in of this system, is left out and named in problems().
// Throws the registry's Error when the key cannot be read.
[[nodiscard]] ConnectedAddIns ConnectRegisteredAddIns(mail::Application& client,
                                                      Registry& registry);

}  // namespace vellumo::addin
