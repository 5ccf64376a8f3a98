// The set-up wizard's caption table (resources/strings/profilewizard.txt) and the pages it ships
// (its help, learn-more and tour pages), compiled into the program.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "common/forms/caption_table.h"

namespace vellumo::profilewizard {

// Parsed on first use.
const CaptionTable& WizardCaptions();

// The entry's text, "" when the table has none.
std::string WizardText(const CaptionTable& captions, int entry);

// The pages a window layer serves as "vellumo:pages/NAME": NAME -> {content type, body}.
std::map<std::string, std::pair<std::string, std::string>> WizardPages();

}  // namespace vellumo::profilewizard
