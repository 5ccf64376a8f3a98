// The set-up wizard's window as designed (profile_assistant_design.cc).
#pragma once

#include <span>

#include "platform/ui/form.h"

namespace vellumo::profilewizard {

std::span<const ui::ControlDesign> WizardDesign();
int WizardWidth();   // twips
int WizardNavTop();  // where the navigation buttons stand (twips)

}  // namespace vellumo::profilewizard
