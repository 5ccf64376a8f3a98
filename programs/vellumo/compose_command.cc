#include "programs/vellumo/commands.h"

namespace vellumo::program {

void AddComposeCommand(CLI::App&, CommandContext&) {}

}  // namespace vellumo::program
