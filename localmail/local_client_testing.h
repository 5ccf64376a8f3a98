// A LocalMailClient on the in-memory platform, for the unit tests of localmail/: a memory
// file system (behind a FaultyFileSystem, so a test can make calls fail), registry, processes and
// clock, fixed system information, and a MemTransport that
// the test holds (the client's transport forwards to it, whatever the settings say). Unique names
// and contact ids come from a counter, so runs repeat exactly. Include only from *_test.cc.
#pragma once

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "localmail/local_client.h"
#include "localmail/transport.h"
#include "platform/clock.h"
#include "platform/faulty_file_system.h"
#include "platform/fixed_system_info.h"
#include "platform/mem_file_system.h"
#include "platform/mem_processes.h"
#include "platform/mem_registry.h"

namespace vellumo::localmail {

class ForwardingTransport final : public Transport {
 public:
  explicit ForwardingTransport(Transport& target) : target_(target) {}
  void Transmit(const Envelope& envelope, std::string_view message) override {
    target_.Transmit(envelope, message);
  }

 private:
  Transport& target_;
};

struct LocalClientTesting {
  static constexpr std::string_view kRoot = "/home/user/mail";

  MemFileSystem fs;
  FaultyFileSystem faulty{fs};  // what the client uses
  MemRegistry registry;
  MemProcesses processes;
  MemClock clock;
  FixedSystemInfo system;
  MemTransport transport;
  int serial = 0;
  int transports_made = 0;
  // Each Reopen is another run of the program: the claims of earlier runs are of dead processes,
  // except those a test keeps in live_claims.
  int run = 0;
  std::set<std::string> live_claims;
  std::shared_ptr<LocalMailClient> client;

  LocalClientTesting() { Reopen(); }

  // A new client object over the same platform (what a second run of the program sees).
  void Reopen() {
    ++run;
    client = LocalMailClient::Open(
        LocalMailDeps{faulty,
                      registry,
                      processes,
                      clock,
                      system,
                      std::string(kRoot),
                      [this] {
                        char hex[33];
                        std::snprintf(hex, sizeof hex, "%032x", ++serial);
                        return std::string(hex);
                      },
                      [this](const TransportConfig&) -> std::unique_ptr<Transport> {
                        ++transports_made;
                        return std::make_unique<ForwardingTransport>(transport);
                      },
                      {},
                      [this] { return ClaimTag(); },
                      [this](std::string_view claim) {
                        return claim == ClaimTag() || live_claims.contains(std::string(claim));
                      }});
  }

  std::string ClaimTag() const { return std::to_string(run) + ".100"; }

  // A path below the store: Path("Drafts/cur").
  static std::string Path(std::string_view below) {
    return std::string(kRoot) + "/Personal Folders/" + std::string(below);
  }
};

}  // namespace vellumo::localmail
