// vellumo signatures: the mail client's signature files, generated from the signature templates
// and the profile (`create`), and the reset of the mail client's default signatures (`reset`).
//
// What was written and removed goes to standard output as native paths, failed steps to standard
// error; the command fails (exit 1) when nothing could be written, or when the reset's import did
// not go through.
#include <iostream>
#include <memory>
#include <string>

#include "common/compose/outlook_signatures.h"
#include "common/settings/settings.h"
#include "posix/posix_system_info.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {
namespace {

constexpr std::string_view kName = "vellumo signatures";

// A path as the user finds it on this machine; as written when it cannot live here.
std::string Shown(FileSystem& fs, const std::string& path) {
  try {
    return fs.NativePath(path);
  } catch (const std::exception&) {
    return path;  // shown as the system wrote it, which names it just as well
  }
}

void Report(FileSystem& fs, const compose::SignatureFilesResult& result) {
  for (const std::string& path : result.written) std::cout << "wrote " << Shown(fs, path) << '\n';
  for (const std::string& path : result.removed) {
    std::cout << "removed " << Shown(fs, path) << '\n';
  }
  for (const std::string& name : result.skipped) {
    std::cout << "skipped " << name << ": no name before \"" << compose::kTemplateMark << "\"\n";
  }
  for (const compose::SignatureStepFailure& failure : result.failures) {
    std::cerr << kName << ": " << failure.path << ": " << failure.step << ": " << failure.reason
              << '\n';
  }
}

int Create(RealPlatform& platform, bool wizard) {
  Settings settings(platform.registry());
  PosixSystemInfo system;
  const compose::SignatureFilesResult result = compose::CreateOutlookSignatures(
      {settings, platform.fs(), system, platform.registry()},
      wizard ? compose::SignatureLists::kWizard : compose::SignatureLists::kAddIn);
  Report(platform.fs(), result);
  if (!result.written.empty()) return 0;
  std::cerr << kName << ": no signature file was written";
  if (!result.folder.empty()) std::cerr << " to " << Shown(platform.fs(), result.folder);
  std::cerr << (wizard && result.failures.empty()
                    ? " (no *_template.html, *_template.rtf or *_template.txt in \"Signatures "
                      "Path\")"
                    : "")
            << '\n';
  return 1;
}

int Reset(RealPlatform& platform) {
  Settings settings(platform.registry());
  PosixSystemInfo system;
  const compose::SignatureFilesResult result =
      compose::ResetOutlookSignatures({settings, platform.fs(), system, platform.registry()});
  Report(platform.fs(), result);
  if (result.imported) {
    std::cout << "the mail client's default signatures and stationery are cleared\n";
    return 0;
  }
  std::cerr << kName << ": the reset was not imported; nothing changed in the registry\n";
  return 1;
}

}  // namespace

void AddSignatureCommands(CLI::App& app, CommandContext& context) {
  CLI::App* signatures =
      app.add_subcommand("signatures", "write or reset the mail client's own signature files");
  signatures->require_subcommand(1);

  auto wizard = std::make_shared<bool>(false);
  CLI::App* create = signatures->add_subcommand(
      "create",
      "fill every *_template.html and *_template.rtf of \"Signatures Path\" with the profile and "
      "write them, with \"Vellumo Text Signature.txt\", to the mail client's signature folder "
      "(\"OutlookSignaturePath\"\\USER\\application data\\Microsoft\\signatures)");
  create->add_flag("--wizard", *wizard,
                   "as the set-up wizard does: *_template.txt too, no label step and no text "
                   "signature");
  create->callback([&context, wizard] { context.exit_code = Create(context.Platform(), *wizard); });

  CLI::App* reset = signatures->add_subcommand(
      "reset",
      "clear the mail client's default new-message and reply signatures and stationery "
      "(imports resetsig.reg from the program folder, written when missing, then removes it); "
      "signature files stay");
  reset->callback([&context] { context.exit_code = Reset(context.Platform()); });
}

}  // namespace vellumo::program
