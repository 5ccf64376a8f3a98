// The date line the composition can put in front of the user's text: the date (short
// "January 5, 2004" or long "Monday, January 5, 2004"), optionally a text before it and the time
// after it, wrapped in a font tag, together with a free text, in the order the user chose.
//
// The seven settings are User Settings of application "Vellumo"; every comparison with a setting
// value is exact and case-sensitive. Names are English whatever the system's language.
#pragma once

#include <string>

#include "common/settings/settings.h"
#include "platform/clock.h"

namespace vellumo::compose {

struct DateLineSettings {
  std::string insert_date;         // "InsertDate", default "False": "True" puts a line in
  std::string insert_time;         // "InsertTime", default "False": "True" adds the time
  std::string format;              // "InsertDateFormat", default "": "Long" adds the weekday
  std::string order;               // "InsertOrder", default "": "" or "DateString" date first
  std::string insert_string;       // "InsertString", default ""
  std::string string_before_date;  // "InsertStringBeforeDate", default ""
  std::string font_control;        // "InsertFontControl", default "": an opening font tag
};

// Reads the seven keys. Throws what Settings throws.
[[nodiscard]] DateLineSettings ReadDateLineSettings(const Settings& settings);

// The text to put in front of the user's text at time now: "" unless insert_date is "True";
// otherwise, with D the date and S the string (each wrapped as font_control, value, "</font>"
// when font_control is not empty), D "<br>" S "<p>" when order is "" or "DateString", else
// S "<br>" D "<br>" "<p>". The time, when asked for, is " [" and the system's time text "]".
[[nodiscard]] std::string DateLinePrefix(const DateLineSettings& settings, const LocalTime& now);

}  // namespace vellumo::compose
