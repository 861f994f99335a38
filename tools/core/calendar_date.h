// Date and time helpers of the calendar and alarm dialogs.
#pragma once

#include <string>

#include "classlib/core/sys_utils.h"

// The calendar's long date text, " mmmm d, yyyy, dddd" in the current month and day names.
std::string CalendarLabel(TDateTime Date);

struct TAlarmTime {
  int Hour = 0, Minute = 0, Second = 0;
};

// The alarm time from the alarm dialog's "hh:mm:ss" text: characters 1-2, 4-5 and 7-8 as
// integers. A part that is not a number, or a time outside 0-23:0-59:0-59, raises
// EConvertError; nothing is returned then, so the caller changes nothing.
TAlarmTime ParseAlarmTime(const std::string& Text);
