#include "classlib/win/calendar.h"

#include <algorithm>

#include "classlib/core/typinfo.h"
#include "classlib/win/graphics.h"

const TClassInfo* TCalendar::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCalendar, TCustomControl>("TCalendar")
                                     .Prop("StartOfWeek", &TCalendar::StartOfWeek, &TCalendar::SetStartOfWeek)
                                     .Prop("UseCurrentDate", &TCalendar::UseCurrentDate, &TCalendar::SetUseCurrentDate)
                                     .Prop("Year", &TCalendar::Year, &TCalendar::SetYear)
                                     .Prop("Month", &TCalendar::Month, &TCalendar::SetMonth)
                                     .Prop("Day", &TCalendar::Day, &TCalendar::SetDay)
                                     .Prop("OnChange", &TCalendar::OnChange)
                                     .Build();
  return &Info;
}

void RegisterCalendar() {
  static const bool Done = (RegisterClass(TCalendar::StaticClassInfo()), true);
  (void)Done;
}

TCalendar::TCalendar(TComponent* AOwner) : TCustomControl(AOwner) {
  FColor = clWindow;
  SetBounds(0, 0, 320, 120);
  SetCalendarDate(Date());
  SetTabStop(true);
}

void TCalendar::SetDate(int Y, int M, int D) {
  Y = std::clamp(Y, 1, 9999);
  M = std::clamp(M, 1, 12);
  D = std::clamp(D, 1, DaysInMonth(Y, M));
  if (Y == FYear && M == FMonth && D == FDay) return;
  FYear = Y;
  FMonth = M;
  FDay = D;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TCalendar::SetYear(int Value) { SetDate(Value, FMonth, FDay); }
void TCalendar::SetMonth(int Value) { SetDate(FYear, Value, FDay); }
void TCalendar::SetDay(int Value) { SetDate(FYear, FMonth, Value); }

TDateTime TCalendar::CalendarDate() const { return EncodeDate(FYear, FMonth, FDay); }

void TCalendar::SetCalendarDate(TDateTime Value) {
  int Y, M, D;
  DecodeDate(Value, Y, M, D);
  SetDate(Y, M, D);
}

void TCalendar::SetStartOfWeek(int Value) {
  FStartOfWeek = std::clamp(Value, 0, 6);
  Invalidate();
}

void TCalendar::SetUseCurrentDate(bool Value) {
  FUseCurrentDate = Value;
  if (Value) SetCalendarDate(Date());
}

void TCalendar::PrevMonth() { FMonth == 1 ? SetDate(FYear - 1, 12, FDay) : SetDate(FYear, FMonth - 1, FDay); }
void TCalendar::NextMonth() { FMonth == 12 ? SetDate(FYear + 1, 1, FDay) : SetDate(FYear, FMonth + 1, FDay); }

bool TCalendar::DayCell(int ADay, int& Col, int& Row) const {
  if (ADay < 1 || ADay > DaysInMonth(FYear, FMonth)) return false;
  // DayOfWeek: 1 Sunday .. 7 Saturday.
  const int First = (DayOfWeek(EncodeDate(FYear, FMonth, 1)) - 1 - FStartOfWeek + 7) % 7;
  const int Index = First + ADay - 1;
  Col = Index % 7;
  Row = 1 + Index / 7;
  return true;
}

int TCalendar::DayAtPos(int X, int Y) {
  const TRect R = ClientRect();
  if (R.Width() <= 0 || R.Height() <= 0 || X < 0 || Y < 0) return 0;
  const int Col = X * 7 / R.Width(), Row = Y * 7 / R.Height();
  for (int D = 1; D <= DaysInMonth(FYear, FMonth); ++D) {
    int C, Rw;
    if (DayCell(D, C, Rw) && C == Col && Rw == Row) return D;
  }
  return 0;
}

void TCalendar::Paint() {
  TCanvas* C = Canvas();
  const TRect R = ClientRect();
  C->Brush()->SetColor(Color());
  C->FillRect(R);
  C->Font()->Assign(Font());
  const auto Cell = [&R](int Col, int Row) {
    return TRect(R.Width() * Col / 7, R.Height() * Row / 7, R.Width() * (Col + 1) / 7, R.Height() * (Row + 1) / 7);
  };
  const auto Centred = [C](const TRect& Box, const std::string& Text) {
    const TSize S = C->TextExtent(Text);
    C->TextRect(Box, Box.Left + (Box.Width() - S.cx) / 2, Box.Top + (Box.Height() - S.cy) / 2, Text);
  };
  C->Brush()->SetColor(Color());
  for (int Col = 0; Col < 7; ++Col) Centred(Cell(Col, 0), ShortDayNames[(Col + FStartOfWeek) % 7]);
  for (int D = 1; D <= DaysInMonth(FYear, FMonth); ++D) {
    int Col, Row;
    DayCell(D, Col, Row);
    const bool Selected = D == FDay;
    C->Brush()->SetColor(Selected ? clHighlight : Color());
    C->Font()->SetColor(Selected ? clHighlightText : Font()->Color());
    const TRect Box = Cell(Col, Row);
    C->FillRect(Box);
    Centred(Box, IntToStr(D));
  }
  // The grid lines last: the day cells fill their boxes, which would wipe them.
  C->Pen()->SetColor(clBtnShadow);
  for (int Row = 1; Row < 7; ++Row) {
    C->MoveTo(0, Cell(0, Row).Top);
    C->LineTo(R.Right, Cell(0, Row).Top);
  }
  for (int Col = 1; Col < 7; ++Col) {
    C->MoveTo(Cell(Col, 0).Left, 0);
    C->LineTo(Cell(Col, 0).Left, R.Bottom);
  }
}

void TCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus()) SetFocus();
  if (Button == mbLeft) {
    const int D = DayAtPos(X, Y);
    if (D) SetDay(D);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCalendar::Resize() {
  TCustomControl::Resize();
  Invalidate();
}
