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

// The class's entries under HKEY_CLASSES_ROOT: the identifier names the class id, whose key
// names the identifier and the program that serves it.
inline constexpr std::string_view kClassId = "{6B1F4E2A-3C57-4D8B-9A0E-5F2C7D1B8E43}";
inline constexpr std::string_view kProgIdKey = "HKEY_CLASSES_ROOT\\Vellumo.Connect";
inline constexpr std::string_view kClassKey =
    "HKEY_CLASSES_ROOT\\CLSID\\{6B1F4E2A-3C57-4D8B-9A0E-5F2C7D1B8E43}";
inline constexpr std::string_view kTypeLibraryName = "Vellumo";
// Set once this home has had the add-in registered, so an unregistered add-in stays so.
inline constexpr std::string_view kInstalledKey = "HKEY_CURRENT_USER\\Software\\Corvane\\Vellumo";
inline constexpr std::string_view kInstalledValue = "AddInRegistered";

// Registers "Vellumo.Connect" in the client's class table: each CreateObject makes a new,
// unconnected Connect over env (Connect::Create). env's members must outlive every object made.
void RegisterConnectClass(mail::Application& client, const Env& env);

// Registration (the install): the class entries, served by program (a path), and the add-in
// key with load behaviour 3, as one registry transaction. An existing add-in key's load
// behaviour is set to 3 again.
void RegisterAddIn(Registry& registry, std::string_view program);
// The class entries and the add-in key removed, as one transaction; the home stays marked as
// installed, so the add-in is not registered again by itself.
void UnregisterAddIn(Registry& registry);
// Whether the add-in key says the client connects the add-in at its start.
bool AddInRegistered(Registry& registry);

// The first run of a home: RegisterAddIn when this home never had the add-in registered (an
// add-in key an older version wrote counts, and is kept as it is: a load behaviour of 2 keeps
// the add-in off). Returns true when it registered.
bool RegisterAddInKey(Registry& registry, std::string_view program = {});

// The add-ins a client connected at its start. Move-only; when it goes, the client's exit is
// played to them: its main windows closed (each add-in sees its explorer close), OnBeginShutdown,
// then OnDisconnection(0); so it must go before the client.
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

  mail::Application* client_ = nullptr;
  std::vector<std::shared_ptr<Connect>> addins_;
  std::vector<std::string> problems_;
};

// The client's start: every subkey of kAddInsKey whose "LoadBehavior" is 3 is created by its
// identifier (the subkey's name) and connected to client; once all are connected, each is told
// the start is complete (OnStartupComplete). An identifier the client cannot create,
// or an object that is not an add-in of this system, is left out and named in problems().
// Throws the registry's Error when the key cannot be read.
[[nodiscard]] ConnectedAddIns ConnectRegisteredAddIns(mail::Application& client,
                                                      Registry& registry);

}  // namespace vellumo::addin
