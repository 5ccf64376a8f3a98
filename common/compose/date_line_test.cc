#include "common/compose/date_line.h"

#include <gtest/gtest.h>

#include "platform/mem_registry.h"

namespace vellumo::compose {
namespace {

const LocalTime kMonday{2004, 1, 5, 14, 7, 9, 2, 0};

DateLineSettings On() {
  DateLineSettings s;
  s.insert_date = "True";
  return s;
}

TEST(DateLine, NothingUnlessInsertDateIsExactlyTrue) {
  DateLineSettings s = On();
  s.insert_string = "Sent";
  s.insert_date = "true";
  EXPECT_EQ(DateLinePrefix(s, kMonday), "");
  s.insert_date = "False";
  EXPECT_EQ(DateLinePrefix(s, kMonday), "");
}

TEST(DateLine, ShortOrLongDateFirstByDefault) {
  DateLineSettings s = On();
  EXPECT_EQ(DateLinePrefix(s, kMonday), "January 5, 2004<br><p>");
  s.format = "Long";
  s.order = "DateString";
  EXPECT_EQ(DateLinePrefix(s, kMonday), "Monday, January 5, 2004<br><p>");
  s.format = "long";
  EXPECT_EQ(DateLinePrefix(s, kMonday), "January 5, 2004<br><p>");
  EXPECT_EQ(DateLinePrefix(s, LocalTime{2026, 12, 31, 0, 0, 0, 5, 0}), "December 31, 2026<br><p>");
}

TEST(DateLine, StringFirstForAnyOtherOrder) {
  DateLineSettings s = On();
  s.order = "datestring";
  s.insert_string = "Sent:";
  EXPECT_EQ(DateLinePrefix(s, kMonday), "Sent:<br>January 5, 2004<br><p>");
}

TEST(DateLine, TextBeforeTimeAfterAndFontAroundBoth) {
  DateLineSettings s = On();
  s.format = "Long";
  s.string_before_date = "On";
  s.insert_time = "True";
  s.font_control = "<font size=1>";
  EXPECT_EQ(DateLinePrefix(s, kMonday),
            "<font size=1>On Monday, January 5, 2004 [14:07:09]</font><br>"
            "<font size=1></font><p>");
  s.insert_string = "Hi";
  s.order = "StringDate";
  EXPECT_EQ(DateLinePrefix(s, kMonday),
            "<font size=1>Hi</font><br><font size=1>On Monday, January 5, 2004 [14:07:09]</font>"
            "<br><p>");
}

TEST(DateLine, ReadsTheSevenUserSettings) {
  MemRegistry registry;
  Settings settings(registry);
  EXPECT_EQ(ReadDateLineSettings(settings).insert_date, "False");
  EXPECT_EQ(ReadDateLineSettings(settings).insert_time, "False");
  const char* keys[] = {"InsertDate",       "InsertTime",   "InsertDateFormat",
                        "InsertOrder",      "InsertString", "InsertStringBeforeDate",
                        "InsertFontControl"};
  for (const char* key : keys) settings.SaveSetting(kVellumo, "User Settings", key, key);
  const DateLineSettings s = ReadDateLineSettings(settings);
  EXPECT_EQ(s.insert_date, "InsertDate");
  EXPECT_EQ(s.insert_time, "InsertTime");
  EXPECT_EQ(s.format, "InsertDateFormat");
  EXPECT_EQ(s.order, "InsertOrder");
  EXPECT_EQ(s.insert_string, "InsertString");
  EXPECT_EQ(s.string_before_date, "InsertStringBeforeDate");
  EXPECT_EQ(s.font_control, "InsertFontControl");
}

}  // namespace
}  // namespace vellumo::compose
