#include "common/compose/date_line.h"

#include <string_view>

#include "common/settings/keys.h"

namespace vellumo::compose {
namespace {

std::string FourDigitYear(int year) {
  std::string digits = std::to_string(year);
  if (year >= 0 && digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return digits;
}

std::string WrapFont(const std::string& font_control, const std::string& value) {
  return font_control + value + "</font>";
}

}  // namespace

DateLineSettings ReadDateLineSettings(const Settings& settings) {
  DateLineSettings s;
  s.insert_date = settings.Get(keys::InsertDate);
  s.insert_time = settings.Get(keys::InsertTime);
  s.format = settings.Get(keys::InsertDateFormat);
  s.order = settings.Get(keys::InsertOrder);
  s.insert_string = settings.Get(keys::InsertString);
  s.string_before_date = settings.Get(keys::InsertStringBeforeDate);
  s.font_control = settings.Get(keys::InsertFontControl);
  return s;
}

std::string DateLinePrefix(const DateLineSettings& s, const LocalTime& now) {
  if (s.insert_date != "True") return {};
  std::string short_date =
      EnglishMonthName(now.month) + " " + std::to_string(now.day) + ", " + FourDigitYear(now.year);
  std::string long_date = EnglishWeekdayName(now.weekday) + ", " + short_date;
  if (!s.string_before_date.empty()) {
    short_date = s.string_before_date + " " + short_date;
    long_date = s.string_before_date + " " + long_date;
  }
  if (s.insert_time == "True") {
    const std::string time = " [" + FormatTimeText(now) + "]";
    short_date += time;
    long_date += time;
  }
  std::string string = s.insert_string;
  if (!s.font_control.empty()) {
    short_date = WrapFont(s.font_control, short_date);
    long_date = WrapFont(s.font_control, long_date);
    string = WrapFont(s.font_control, string);
  }
  const std::string& date = s.format == "Long" ? long_date : short_date;
  if (s.order.empty() || s.order == "DateString") return date + "<br>" + string + "<p>";
  return string + "<br>" + date + "<br>" + "<p>";
}

}  // namespace vellumo::compose
