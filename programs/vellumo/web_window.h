// The browser window layer as the program sets it up (VELLUMO_UI=web): the address is printed on
// standard error, opened with the desktop's opener where a display exists, and written to
// VELLUMO_WEB_ADDRESS_FILE when that names a file (for scripts and tests that drive the page).
// Browser controls may show files of the home and of the configured template, signature,
// program and preview folders only, and the pages shipped with the add-in.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/ui/host.h"
#include "platform/ui/transcript.h"
#include "programs/vellumo/program_modules.h"

namespace vellumo::program {

struct WebWindowOptions {
  std::string home;          // native path of the home folder
  std::string address_file;  // "" for none
  bool has_display = false;  // open the browser
};

// The host comes from the web module (program_modules.h), loaded when the first window is shown;
// a module that cannot be loaded is that window's Error. fs, registry, processes and transcript
// (may be null) must outlive the host.
std::unique_ptr<ui::Host> MakeWebWindowHost(const WebWindowOptions& options,
                                            ProgramModules& modules, FileSystem& fs,
                                            Registry& registry, Processes& processes,
                                            ui::Transcript* transcript);

// Whether path (native, normalised) lies inside one of roots (native folders), component by
// component: "/a/bc" is not inside "/a/b".
bool InsideAnyRoot(const std::string& path, const std::vector<std::string>& roots);

}  // namespace vellumo::program
