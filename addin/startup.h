// The one-time and every-time tasks of the add-in's start-up, after the mail client has finished
// starting: the administrator's registry files imported once, the mail client's editor and
// spelling switched as the administrator asks, its personal stationery removed, the rule for
// newer client versions. Each task stands alone: a failing one is skipped and the next runs.
#pragma once

#include <string>
#include <string_view>

#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace vellumo::addin {

// The registry files an administrator drops into the program folder for the next start.
inline constexpr std::string_view kNewUserRegFile =
    "C:\\Program Files\\Corvane\\Vellumo\\Programs\\NewUser.reg";
inline constexpr std::string_view kDefaultUserRegFile =
    "C:\\Program Files\\Corvane\\Vellumo\\Programs\\DefaultUser.reg";
inline constexpr std::string_view kStationeryFolders[] = {
    "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery",
    "C:\\Program Files\\Microsoft Office\\Stationery"};
inline constexpr std::string_view kStationeryComponentKey =
    "HKEY_CLASSES_ROOT\\Installer\\Components\\79AE92CC2CB71D119A12000A9CE1A22A";
// The mail client's option keys of its two versions the switches reach.
inline constexpr std::string_view kMailOptionKeys[] = {
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Outlook\\Options\\Mail",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\10.0\\Outlook\\Options\\Mail"};
inline constexpr std::string_view kSpellingKeys[] = {
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Outlook\\Options\\Spelling",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\10.0\\Outlook\\Options\\Spelling"};
inline constexpr uint32_t kEditorHtml = 0x20000;
inline constexpr uint32_t kEditorWordRtf = 0x30001;
inline constexpr uint32_t kEditorWordHtml = 0x20001;

struct StartupDeps {
  Settings& settings;
  Registry& registry;
  FileSystem& fs;
  Log& log;
};

// Imports the registry file at path when it exists, as one transaction, then deletes it, so it
// is imported once. A file that does not parse is not imported and is kept for the
// administrator to mend; the problem, with the file and line, is a note in the log. Never throws.
// Returns true when it imported the file.
bool ImportRegistryFileOnce(const StartupDeps& deps, std::string_view path);

// "WipeoutRichTextToHTML", "WipeoutWordRTFtoWordHTML", "WipeoutSetSpellCheckOn": the mail
// client's editor and spelling options. Each switch skipped on failure; never throws.
void ApplyEditorSwitches(const StartupDeps& deps);

// "WipeoutPersonalStationeryAlways": both stationery folders removed with their content, and the
// stationery component's key. Never throws.
void RemovePersonalStationery(const StartupDeps& deps);

// A client version whose first two characters are a number above 9: Admin Settings
// "WipeoutRemoveConvertedBR" = "True". Never throws.
void ApplyVersionRule(const StartupDeps& deps, std::string_view client_version);

}  // namespace vellumo::addin
