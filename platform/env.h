// Env: the platform a component is handed. References to one implementation of each interface;
// only main() (or a test fixture) picks which. Nothing below the programs reaches the operating
// system any other way.
#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/ui/host.h"

namespace vellumo {
namespace mail {
class Application;
}
namespace db {
class Database;
}

struct Env {
  Registry& registry;
  FileSystem& fs;
  Clock& clock;
  Processes& processes;
  SystemInfo& system;
  ui::Host& ui;
  mail::Application* mail = nullptr;  // the mail client, where one is running
  db::Database* database = nullptr;   // the outside SQL database, where one can be reached
};

}  // namespace vellumo
