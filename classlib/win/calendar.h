// TCalendar: a month of days in a grid under a row of day names; a click picks a day.
// Moves between months and years keep the day within the new month's length.
#pragma once

#include "classlib/core/sys_utils.h"
#include "classlib/win/controls.h"

class TCalendar : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCalendar(TComponent* AOwner);

  int Year() const { return FYear; }
  void SetYear(int Value);
  int Month() const { return FMonth; }
  void SetMonth(int Value);
  int Day() const { return FDay; }
  void SetDay(int Value);
  TDateTime CalendarDate() const;
  void SetCalendarDate(TDateTime Value);
  // The first column's day of the week: 0 Sunday .. 6 Saturday.
  int StartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(int Value);
  // Starts on today's date (set at creation).
  bool UseCurrentDate() const { return FUseCurrentDate; }
  void SetUseCurrentDate(bool Value);

  void PrevMonth();
  void NextMonth();
  void PrevYear() { SetYear(FYear - 1); }
  void NextYear() { SetYear(FYear + 1); }
  // The cell of a day (row 0 holds the day names); false for a day not in this month.
  bool DayCell(int ADay, int& Col, int& Row) const;
  // The day under a client point, 0 when none.
  int DayAtPos(int X, int Y);

  TNotifyEvent OnChange;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;

private:
  void SetDate(int Y, int M, int D);
  int FYear = 2000, FMonth = 1, FDay = 1;
  int FStartOfWeek = 1;
  bool FUseCurrentDate = true;
};

void RegisterCalendar();
