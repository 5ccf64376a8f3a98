#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "common/settings/listing.h"
#include "common/settings/settings.h"
#include "platform/reg_file.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {
namespace {

struct SettingsArgs {
  std::string application;
  std::string section;
  std::string key;
  std::string value;
  std::string default_value;
  bool known = false;
};

// shown_section is written as it is (already escaped).
void ListSection(Settings& settings, const std::string& application, const std::string& section,
                 const std::string& shown_section) {
  for (const auto& [key, value] : settings.Keys(application, section)) {
    std::cout << shown_section << '\t' << ListField(key) << '\t' << ListField(value) << '\n';
  }
}

void List(Settings& settings, const SettingsArgs& args) {
  if (args.known) {
    std::cout << ListKnownKeys(settings, args.application, args.section);
  } else if (args.application.empty()) {
    for (const std::string& application : settings.Applications()) {
      for (const std::string& section : settings.Sections(application)) {
        // The joining backslash stays single: every backslash of a name is doubled.
        ListSection(settings, application, section,
                    ListField(application) + "\\" + ListField(section));
      }
    }
  } else if (args.section.empty()) {
    for (const std::string& section : settings.Sections(args.application)) {
      ListSection(settings, args.application, section, ListField(section));
    }
  } else {
    ListSection(settings, args.application, args.section, ListField(args.section));
  }
}

const char* const kRegeditUsage =
    "Usage: vellumo regedit /s FILE.reg        import a registry file silently (all or nothing)\n"
    "       vellumo regedit /e FILE.reg KEY    export the key tree KEY to FILE.reg\n";

bool IsSwitch(const std::string& arg, char letter) {
  return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') &&
         (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

int Regedit(RealPlatform& platform, const std::vector<std::string>& args) {
  if (args.size() == 2 && IsSwitch(args[0], 's')) {
    const std::string path = CommandLinePath(args[1]);
    ImportRegFile(platform.registry(), platform.fs().ReadFile(path), path);
    return 0;
  }
  if (args.size() == 3 && IsSwitch(args[0], 'e')) {
    const std::string path = CommandLinePath(args[1]);
    platform.fs().WriteFile(path, ExportRegFile(platform.registry(), args[2]));
    std::cout << "exported " << args[2] << " to " << platform.fs().NativePath(path) << '\n';
    return 0;
  }
  std::cerr << kRegeditUsage;
  return 2;
}

}  // namespace

void AddSettingsCommands(CLI::App& app, CommandContext& context) {
  auto args = std::make_shared<SettingsArgs>();
  CLI::App* settings = app.add_subcommand("settings", "read and write the per-user settings");
  settings->require_subcommand(1);

  CLI::App* get = settings->add_subcommand("get", "print a value (or the default when missing)");
  get->add_option("APP", args->application, "application, e.g. Vellumo")->required();
  get->add_option("SECTION", args->section, "section, e.g. \"User Settings\"")->required();
  get->add_option("KEY", args->key, "key, e.g. Template")->required();
  get->add_option("--default", args->default_value, "printed when the value is missing");
  get->callback([&context, args] {
    Settings store(context.Platform().registry());
    std::cout << store.GetSetting(args->application, args->section, args->key, args->default_value)
              << '\n';
  });

  CLI::App* set = settings->add_subcommand("set", "store a value");
  set->add_option("APP", args->application)->required();
  set->add_option("SECTION", args->section)->required();
  set->add_option("KEY", args->key)->required();
  set->add_option("VALUE", args->value)->required();
  set->callback([&context, args] {
    Settings(context.Platform().registry())
        .SaveSetting(args->application, args->section, args->key, args->value);
  });

  CLI::App* del = settings->add_subcommand("delete", "remove a section with all its keys");
  del->add_option("APP", args->application)->required();
  del->add_option("SECTION", args->section)->required();
  del->callback([&context, args] {
    Settings(context.Platform().registry()).DeleteSetting(args->application, args->section);
  });

  CLI::App* list = settings->add_subcommand(
      "list",
      "print section<TAB>key<TAB>value lines (all applications when APP is omitted, the section "
      "then as APP\\SECTION); a TAB, CR, LF or backslash inside a field is written \\t, \\r, "
      "\\n or \\\\");
  list->add_option("APP", args->application);
  list->add_option("SECTION", args->section);
  list->add_flag("--known", args->known,
                 "every setting the program knows, stored or not, as application<TAB>section<TAB>"
                 "key<TAB>default<TAB>value<TAB>origin<TAB>description; value is what the "
                 "program reads now, origin \"stored\" or \"default\"; APP and SECTION narrow "
                 "the list");
  list->callback([&context, args] {
    Settings store(context.Platform().registry());
    List(store, *args);
  });
}

void AddRegeditCommand(CLI::App& app, CommandContext& context) {
  CLI::App* regedit = app.add_subcommand(
      "regedit", "import (/s FILE.reg) or export (/e FILE.reg KEY) registry files");
  regedit->prefix_command();
  regedit->set_help_flag();
  regedit->callback([&context, regedit] {
    std::vector<std::string> args = regedit->remaining();
    for (const std::string& arg : args) {
      if (arg == "--help" || arg == "-h") {
        std::cout << kRegeditUsage;
        return;
      }
    }
    context.exit_code = Regedit(context.Platform(), args);
  });
}

}  // namespace vellumo::program
