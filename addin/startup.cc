#include "addin/startup.h"

#include "base/text.h"
#include "common/settings/keys.h"
#include "platform/reg_file.h"

namespace vellumo::addin {
namespace {

void RemoveTree(FileSystem& fs, const std::string& folder) {
  for (const std::string& file : fs.ListFiles(folder, "*")) fs.RemoveFile(folder + "\\" + file);
  for (const std::string& sub : fs.ListFolders(folder)) RemoveTree(fs, folder + "\\" + sub);
  fs.RemoveFolder(folder);
}

void SetDword(Registry& registry, std::string_view key, std::string_view name, uint32_t value) {
  registry.SetValue(key, name, RegValue::Dword(value));
}

}  // namespace

bool ImportRegistryFileOnce(const StartupDeps& deps, std::string_view path) {
  bool imported = false;
  Ignore([&] {
    if (!deps.fs.FileExists(path)) return;
    try {
      ImportRegFile(deps.registry, deps.fs.ReadFile(path), path);
    } catch (const std::exception& e) {
      deps.log.Write_log_line("OnStartupComplete - registry file not imported, kept: " +
                              std::string(e.what()));
      return;
    }
    imported = true;
    deps.fs.RemoveFile(path);
  });
  return imported;
}

void ApplyEditorSwitches(const StartupDeps& deps) {
  Ignore([&] {
    if (!deps.settings.IsTrue(keys::WipeoutRichTextToHTML)) return;
    for (std::string_view key : kMailOptionKeys) {
      Ignore([&] { SetDword(deps.registry, key, "EditorPreference", kEditorHtml); });
    }
  });
  Ignore([&] {
    if (!deps.settings.IsTrue(keys::WipeoutWordRTFtoWordHTML)) return;
    for (std::string_view key : kMailOptionKeys) {
      Ignore([&] {
        const std::optional<RegValue> editor = deps.registry.GetValue(key, "EditorPreference");
        if (editor && editor->kind() == RegType::kDword && editor->number == kEditorWordRtf) {
          SetDword(deps.registry, key, "EditorPreference", kEditorWordHtml);
        }
      });
    }
  });
  Ignore([&] {
    if (!deps.settings.IsTrue(keys::WipeoutSetSpellCheckOn)) return;
    for (std::string_view key : kSpellingKeys) {
      Ignore([&] { SetDword(deps.registry, key, "Check", 1); });
    }
    Ignore([&] { SetDword(deps.registry, kSpellingKeys[1], "UseAutoCorrect", 1); });
  });
}

void RemovePersonalStationery(const StartupDeps& deps) {
  Ignore([&] {
    if (!deps.settings.IsTrue(keys::WipeoutPersonalStationeryAlways)) return;
    for (std::string_view folder : kStationeryFolders) {
      Ignore([&] { RemoveTree(deps.fs, std::string(folder)); });
    }
    Ignore([&] { deps.registry.DeleteKeyTree(kStationeryComponentKey); });
  });
}

void ApplyVersionRule(const StartupDeps& deps, std::string_view client_version) {
  Ignore([&] {
    // Written only when it changes: a start that learns nothing new costs the registry nothing.
    if (text::Val(text::Left(client_version, 2)) > 9 &&
        deps.settings.Get(keys::WipeoutRemoveConvertedBR) != "True") {
      deps.settings.Set(keys::WipeoutRemoveConvertedBR, "True");
    }
  });
}

}  // namespace vellumo::addin
