// The calendar's label and the alarm time's validation.
#include <gtest/gtest.h>

#include <string>

#include "classlib/core/exception.h"
#include "tools/core/calendar_date.h"

TEST(CalendarDate, Label) {
  EXPECT_EQ(CalendarLabel(EncodeDate(2001, 1, 1)), " January 1, 2001, Monday");
  EXPECT_EQ(CalendarLabel(EncodeDate(2024, 2, 29)), " February 29, 2024, Thursday");
}

TEST(AlarmTime, Parse) {
  const TAlarmTime T = ParseAlarmTime("07:30:00");
  EXPECT_EQ(T.Hour, 7);
  EXPECT_EQ(T.Minute, 30);
  EXPECT_EQ(T.Second, 0);
  const TAlarmTime Last = ParseAlarmTime("23:59:59");
  EXPECT_EQ(Last.Hour * 10000 + Last.Minute * 100 + Last.Second, 235959);
  // Blanks and underscores the mask leaves, values out of range, short texts.
  for (const char* Bad : {"7_:30:00", "__:__:__", "24:00:00", "12:60:00", "12:00:60", "12:00", "", "ab:cd:ef"})
    EXPECT_THROW(ParseAlarmTime(Bad), EConvertError) << Bad;
}
