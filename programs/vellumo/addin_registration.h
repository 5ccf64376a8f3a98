// The Vellumo add-in in the program's mail client: where the program opens the local mail client,
// it makes the add-in known to it and connects it, so that every `vellumo send` goes through the
// send interception.
//
// In OpenClient (mail_commands.cc), the one place the program opens the client:
//   return WithAddIns(LocalMailClient::Open(...), env);
#pragma once

#include <memory>

#include "localmail/local_client.h"
#include "platform/env.h"
#include "platform/mailclient/application.h"

namespace vellumo::program {

// Registers the add-in class "Vellumo.Connect" in the client's in-process class table and, on the
// first run (no key yet), writes its key under
// HKEY_CURRENT_USER\Software\Microsoft\Office\Outlook\Addins with "FriendlyName",
// "Description" and "LoadBehavior" = 3. Call it before the client connects its add-ins. env's
// members must outlive the client. Throws the registry's or the client's Error.
void RegisterAddIn(mail::Application& client, const Env& env);

// RegisterAddIn, then the client's start: every add-in of the key with load behaviour 3 is
// created by its identifier and connected (a problem with one is reported on standard error and
// the others still connect). The result is the client, sharing ownership with the connected
// add-ins: when its last copy goes, the add-ins are disconnected first, then the client closes.
// For a client that does not connect its add-ins itself.
[[nodiscard]] std::shared_ptr<localmail::LocalMailClient> WithAddIns(
    std::shared_ptr<localmail::LocalMailClient> client, const Env& env);

}  // namespace vellumo::program
