// The design tables of the options page and its help window (prop_page_design.cc).
#pragma once

#include <span>

#include "platform/ui/form.h"

namespace vellumo::optionspage {

std::span<const ui::ControlDesign> PageDesign();
std::span<const ui::ControlDesign> HelpDesign();

}  // namespace vellumo::optionspage
