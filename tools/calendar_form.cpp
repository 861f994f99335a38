#include "tools/calendar_form.h"

#include "classlib/core/typinfo.h"
#include "storage/form_placement.h"
#include "tools/core/calendar_date.h"

const TClassInfo* TCalendarForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCalendarForm, TForm>("TCalendarForm")
                                     .Handler("FormCreate", &TCalendarForm::FormCreate)
                                     .Handler("FormKeyDown", &TCalendarForm::FormKeyDown)
                                     .Handler("CalendarChange", &TCalendarForm::CalendarChange)
                                     .Handler("Button1Click", &TCalendarForm::Button1Click)
                                     .Handler("Button2Click", &TCalendarForm::Button2Click)
                                     .Handler("Button3Click", &TCalendarForm::Button3Click)
                                     .Handler("dYearChange", &TCalendarForm::dYearChange)
                                     .Field("Label1", &TCalendarForm::Label1)
                                     .Field("Calendar", &TCalendarForm::Calendar)
                                     .Field("Button1", &TCalendarForm::Button1)
                                     .Field("Button2", &TCalendarForm::Button2)
                                     .Field("Button3", &TCalendarForm::Button3)
                                     .Field("dYear", &TCalendarForm::dYear)
                                     .Build();
  return &Info;
}

void RegisterCalendarForm() {
  static const bool Done = [] {
    RegisterCalendar();
    RegisterSpinEdit();
    return true;
  }();
  (void)Done;
}

TCalendarForm::TCalendarForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterCalendarForm();
  RegisterStorageClasses();
}

void TCalendarForm::FormCreate(TObject* Sender) { CalendarChange(Sender); }

void TCalendarForm::CalendarChange(TObject*) {
  Label1->SetCaption(CalendarLabel(Calendar->CalendarDate()));
  FShowing = true;
  dYear->SetValue(Calendar->Year());
  FShowing = false;
  Calendar->Invalidate();
}

void TCalendarForm::Button1Click(TObject*) { Calendar->SetCalendarDate(Date()); }
void TCalendarForm::Button2Click(TObject*) { Calendar->PrevMonth(); }
void TCalendarForm::Button3Click(TObject*) { Calendar->NextMonth(); }

void TCalendarForm::dYearChange(TObject*) {
  if (FShowing) return;
  // A year typed half-way ("20" on the way to "2024") is within the box's limits all the
  // same; the calendar takes each one and keeps the day valid.
  Calendar->SetYear(dYear->Value());
  Calendar->Invalidate();
}

void TCalendarForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F1 && Shift.Empty()) {
    if (ShowHelp) ShowHelp(14);
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    Close();
    Key = 0;
  }
}
