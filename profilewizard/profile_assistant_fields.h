// The set-up wizard's tables: which box edits which profile setting, and which controls each
// administrator switch hides.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "common/settings/settings.h"

namespace vellumo::profilewizard {

struct ProfileField {
  std::string_view control;
  const SettingKey* key;
  bool second_language = false;  // shown in bilingual mode only
  bool per_signature = false;    // loaded from a named signature's section when it is chosen
  const SettingKey* hidden_by = nullptr;  // the administrator switch that hides it
};

// Every profile field in the order they are saved: the addresses, the name, organisation,
// position, numbers and address lines (both columns), the three labels, the custom templates.
std::span<const ProfileField> ProfileFields();

struct AdminSwitch {
  const SettingKey* key;
  std::array<std::string_view, 10> controls;  // "" past the last
};
std::span<const AdminSwitch> AdminSwitches();

}  // namespace vellumo::profilewizard
