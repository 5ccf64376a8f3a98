#include "programs/vellumo/commands.h"

namespace vellumo::program {

void AddMailCommands(CLI::App&, CommandContext&) {}

}  // namespace vellumo::program
