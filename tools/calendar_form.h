// The calendar dialog: a month calendar with the long date above it, buttons for today and
// the months before and after, and the year to pick.
#pragma once

#include "classlib/win/calendar.h"
#include "classlib/win/forms.h"
#include "classlib/win/spin.h"
#include "classlib/win/std_ctrls.h"

class TCalendarForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCalendarForm(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TCalendar* Calendar = nullptr;
  TButton* Button1 = nullptr;  // Today
  TButton* Button2 = nullptr;  // << Month
  TButton* Button3 = nullptr;  // Month >>
  TSpinEdit* dYear = nullptr;

  // F1 asks for help topic 14; the program points this at its help window.
  static inline std::function<void(int Topic)> ShowHelp;

  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void CalendarChange(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void dYearChange(TObject* Sender);

private:
  bool FShowing = false;  // the year box follows the calendar: no loop back
};

void RegisterCalendarForm();
