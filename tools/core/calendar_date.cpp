#include "tools/core/calendar_date.h"

#include "classlib/core/exception.h"

std::string CalendarLabel(TDateTime Date) {
  return FormatDateTime(" mmmm d, yyyy, dddd", Date);
}

TAlarmTime ParseAlarmTime(const std::string& Text) {
  const auto Part = [&Text](size_t Start) { return StrToInt(Start < Text.size() ? Text.substr(Start, 2) : ""); };
  TAlarmTime T;
  T.Hour = Part(0);
  T.Minute = Part(3);
  T.Second = Part(6);
  if (T.Hour < 0 || T.Hour > 23 || T.Minute < 0 || T.Minute > 59 || T.Second < 0 || T.Second > 59)
    throw EConvertError("'" + Text + "' is not a valid time");
  return T;
}
