#include "ui/rx_clock.h"

#include <algorithm>
#include <cmath>

#include "classlib/core/exception.h"
#include "classlib/win/graphics.h"
#include "classlib/win/utility_window.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TShowClock>() {
  static const TTypeInfo Info = EnumTypeInfo("TShowClock", {"scDigital", "scAnalog"});
  return &Info;
}

const TClassInfo* TRxClock::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TRxClock, TPanel>("TRxClock")
          .Prop("AlarmEnabled", &TRxClock::AlarmEnabled, &TRxClock::SetAlarmEnabled)
          .Prop("AlarmHour", &TRxClock::AlarmHour, &TRxClock::SetAlarmHour)
          .Prop("AlarmMinute", &TRxClock::AlarmMinute, &TRxClock::SetAlarmMinute)
          .Prop("AlarmSecond", &TRxClock::AlarmSecond, &TRxClock::SetAlarmSecond)
          .Prop("AutoSize", &TRxClock::AutoSize, &TRxClock::SetAutoSize)
          .Prop("DotsColor", &TRxClock::DotsColor, &TRxClock::SetDotsColor)
          .Prop("ShowMode", &TRxClock::ShowMode, &TRxClock::SetShowMode)
          .Prop("ShowSeconds", &TRxClock::ShowSeconds, &TRxClock::SetShowSeconds)
          .Prop("TwelveHour", &TRxClock::TwelveHour, &TRxClock::SetTwelveHour)
          .Prop("LeadingZero", &TRxClock::LeadingZero, &TRxClock::SetLeadingZero)
          .Prop("OnAlarm", &TRxClock::OnAlarm)
          .Prop("OnClick", &TRxClock::OnClick)
          .Prop("OnDblClick", &TRxClock::OnDblClick)
          .Prop("OnMouseDown", &TRxClock::OnMouseDown)
          .Prop("OnMouseUp", &TRxClock::OnMouseUp)
          .Prop("OnResize", &TRxClock::OnResize)
          .Build();
  return &Info;
}

namespace {

// The screen's pixel aspect, read once: the face stays round on non-square pixels.
double ScreenAspect() {
  static const double Aspect = [] {
    HDC DC = GetDC(nullptr);
    int X = GetDeviceCaps(DC, ASPECTX), Y = GetDeviceCaps(DC, ASPECTY);
    ReleaseDC(nullptr, DC);
    return X > 0 && Y > 0 ? double(X) / Y : 1.0;
  }();
  return Aspect;
}

COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)) & 0xFFFFFF; }

int TextW(HDC DC, const std::string& S) {
  std::wstring W = ToWide(S);
  SIZE Sz{0, 0};
  GetTextExtentPoint32W(DC, W.c_str(), int(W.size()), &Sz);
  return Sz.cx;
}

void Out(HDC DC, int X, int Y, const std::string& S) {
  std::wstring W = ToWide(S);
  TextOutW(DC, X, Y, W.c_str(), int(W.size()));
}

}  // namespace

TRxClock::TRxClock(TComponent* AOwner) : TPanel(AOwner) {
  FWidth = 100;
  FHeight = 30;
  SetBevelInner(bvRaised);
  SetBevelOuter(bvLowered);
  FTimer = std::make_unique<TRxTimer>(nullptr);
  FTimer->SetOnTimer([this](TObject*) { Tick(); });
}

TRxClock::~TRxClock() {
  // No tick may reach a clock that is half gone.
  FTimer.reset();
  FreeTimeChangeWindow();
}

int TRxClock::AlarmElement(int Index) const {
  int H, M, S, MS;
  DecodeTime(FAlarmTime, H, M, S, MS);
  return Index == 1 ? H : Index == 2 ? M : S;
}

void TRxClock::SetAlarmElement(int Index, int Value) {
  int H = AlarmElement(1), M = AlarmElement(2), S = AlarmElement(3);
  (Index == 1 ? H : Index == 2 ? M : S) = Value;
  if (H < 0 || H >= 24 || M < 0 || M >= 60 || S < 0 || S >= 60)
    throw EConvertError("'" + std::to_string(H) + ":" + std::to_string(M) + ":" + std::to_string(S) +
                        "' is not a valid time");
  FAlarmTime = EncodeTime(H, M, S, 0);
  FAlarmArmed = true;
}

void TRxClock::SetAutoSize(bool Value) {
  FAutoSize = Value;
  if (FAutoSize) FitFont();
  Invalidate();
}

void TRxClock::SetDotsColor(TColor Value) {
  FDotsColor = Value;
  Invalidate();
}

void TRxClock::SetShowMode(TShowClock Value) {
  if (Value == FShowMode) return;
  FShowMode = Value;
  Invalidate();
}

void TRxClock::SetShowSeconds(bool Value) {
  FShowSeconds = Value;
  if (FAutoSize) FitFont();
  Invalidate();
}

void TRxClock::SetTwelveHour(bool Value) {
  FTwelveHour = Value;
  if (FAutoSize) FitFont();
  Invalidate();
}

void TRxClock::SetLeadingZero(bool Value) {
  FLeadingZero = Value;
  Invalidate();
}

TDateTime TRxClock::GetSystemTime() {
  TDateTime T = Now();
  T -= std::floor(T);
  if (OnGetTime) OnGetTime(this, T);
  return T;
}

std::string TRxClock::TimeText(TDateTime Time, int* DigitCount) const {
  int H, M, S, MS;
  DecodeTime(Time, H, M, S, MS);
  if (FTwelveHour) {
    if (H > 12) H -= 12;
    else if (H == 0) H = 12;
  }
  std::string Fmt = FLeadingZero ? "hh:mm" : "h:mm";
  if (FShowSeconds) Fmt += ":ss";
  if (FTwelveHour) Fmt += " ampm";
  std::string Text = FormatDateTime(Fmt, Time);
  int N = (H < 10 && !FLeadingZero) ? 4 : 5;
  if (FShowSeconds) N += 3;
  if (DigitCount != nullptr) *DigitCount = std::min<int>(N, int(Text.size()));
  return Text;
}

void TRxClock::Tick() {
  if (HandleAllocated() && IsWindowVisible(FHandle)) {
    int H, M, S, MS;
    DecodeTime(GetSystemTime(), H, M, S, MS);
    if (FShowMode == scDigital && H != FDisplayHour) {
      Invalidate();
    } else {
      HDC DC = GetDC(FHandle);
      DrawFace(DC);
      ReleaseDC(FHandle, DC);
    }
  }
  CheckAlarm();
}

void TRxClock::CheckAlarm() {
  TDateTime T = GetSystemTime();
  int H, M, S, MS, AH, AM, AS;
  DecodeTime(T, H, M, S, MS);
  DecodeTime(FAlarmTime, AH, AM, AS, MS);
  if (FAlarmEnabled && H == AH && M == AM && S >= AS && S - AS <= 60) {
    if (FAlarmArmed) {
      FAlarmArmed = false;
      if (OnAlarm) OnAlarm(this);
    }
  } else {
    FAlarmArmed = T < FAlarmTime || FAlarmTime == 0.0;
  }
}

RECT TRxClock::FaceRect() {
  TRect R(0, 0, FWidth, FHeight);
  AdjustClientRect(R);
  return RECT{R.Left, R.Top, std::max(R.Left, R.Right), std::max(R.Top, R.Bottom)};
}

void TRxClock::Paint() {
  TPanel::Paint();
  DrawFace(Canvas()->Handle());
}

void TRxClock::DrawFace(HDC DC) {
  RECT R = FaceRect();
  int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return;
  // Drawn off screen and copied at once: the old hands and digits go without flicker.
  HDC Mem = CreateCompatibleDC(DC);
  HBITMAP Bmp = CreateCompatibleBitmap(DC, W, H);
  HGDIOBJ OldBmp = SelectObject(Mem, Bmp);
  SetViewportOrgEx(Mem, -R.left, -R.top, nullptr);
  HBRUSH Back = CreateSolidBrush(Rgb(Color()));
  FillRect(Mem, &R, Back);
  DeleteObject(Back);
  TDateTime T = GetSystemTime();
  if (FShowMode == scDigital) DrawDigital(Mem, R, T);
  else DrawAnalog(Mem, R, T);
  SetViewportOrgEx(Mem, 0, 0, nullptr);
  BitBlt(DC, R.left, R.top, W, H, Mem, 0, 0, SRCCOPY);
  SelectObject(Mem, OldBmp);
  DeleteObject(Bmp);
  DeleteDC(Mem);
}

void TRxClock::DrawDigital(HDC DC, const RECT& R, TDateTime Time) {
  int H, M, S, MS;
  DecodeTime(Time, H, M, S, MS);
  FDisplayHour = H;
  int N = 0;
  std::string Text = TimeText(Time, &N);
  std::string Digits = Text.substr(0, N), Suffix = Text.substr(N);
  HGDIOBJ OldFont = SelectObject(DC, FontHandle(*FFont));
  SetBkMode(DC, TRANSPARENT);
  // Digits sit in cells as wide as "8" so that the text stands still as they change.
  int Cell = TextW(DC, "8");
  int Colon = TextW(DC, ":");
  int DigitsW = 0;
  for (char C : Digits) DigitsW += C == ':' ? Colon : Cell;
  int SuffixW = Suffix.empty() ? 0 : TextW(DC, Suffix);
  TEXTMETRICW Tm;
  GetTextMetricsW(DC, &Tm);
  int X = R.left + ((R.right - R.left) - DigitsW - SuffixW) / 2;
  int Y = R.top + ((R.bottom - R.top) - Tm.tmHeight) / 2;
  COLORREF FontColor = Rgb(FFont->Color());
  for (char C : Digits) {
    std::string One(1, C);
    if (C == ':') {
      SetTextColor(DC, Rgb(FDotsColor));
      Out(DC, X, Y, One);
      X += Colon;
    } else {
      SetTextColor(DC, FontColor);
      Out(DC, X + (Cell - TextW(DC, One)) / 2, Y, One);
      X += Cell;
    }
  }
  SetTextColor(DC, FontColor);
  if (!Suffix.empty()) Out(DC, X, Y, Suffix);
  SelectObject(DC, OldFont);
}

void TRxClock::DrawAnalog(HDC DC, const RECT& R, TDateTime Time) {
  int H, M, S, MS;
  DecodeTime(Time, H, M, S, MS);
  FDisplayHour = H;
  auto At = [&](double Fraction, double Length) {
    double A = Fraction * 2 * 3.14159265358979323846;
    return POINT{FCentre.x + int(std::lround(std::sin(A) * FRadiusX * Length)),
                 FCentre.y - int(std::lround(std::cos(A) * FRadiusY * Length))};
  };
  // Marks: one dot per hour, larger at the quarters.
  HBRUSH Dots = CreateSolidBrush(Rgb(FDotsColor));
  int Dot = std::max(1, std::min(FRadiusX, FRadiusY) / 16);
  for (int I = 0; I < 12; ++I) {
    POINT P = At(I / 12.0, 1.0);
    int D = I % 3 == 0 ? Dot * 2 : Dot;
    RECT Mark{P.x - D / 2, P.y - D / 2, P.x - D / 2 + std::max(D, 1), P.y - D / 2 + std::max(D, 1)};
    FillRect(DC, &Mark, Dots);
  }
  DeleteObject(Dots);
  COLORREF FontColor = Rgb(FFont->Color());
  auto Hand = [&](double Fraction, double Length, int Width) {
    HPEN Pen = CreatePen(PS_SOLID, Width, FontColor);
    HGDIOBJ Old = SelectObject(DC, Pen);
    POINT P = At(Fraction, Length);
    MoveToEx(DC, FCentre.x, FCentre.y, nullptr);
    LineTo(DC, P.x, P.y);
    SelectObject(DC, Old);
    DeleteObject(Pen);
  };
  int Thick = std::max(1, std::min(FRadiusX, FRadiusY) / 12);
  Hand(((H % 12) + M / 60.0) / 12.0, 0.5, Thick + 1);
  Hand((M + S / 60.0) / 60.0, 0.8, Thick);
  if (FShowSeconds) Hand(S / 60.0, 0.9, 1);
}

void TRxClock::Resize() {
  RECT R = FaceRect();
  FCentre = POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2};
  int Rx = (R.right - R.left) / 2 - 2, Ry = (R.bottom - R.top) / 2 - 2;
  // Round on the screen: the vertical radius in pixels follows the pixel aspect.
  double Aspect = ScreenAspect();
  Rx = std::max(0, std::min(Rx, int(Ry * Aspect)));
  FRadiusX = Rx;
  FRadiusY = std::max(0, std::min(Ry, int(Rx / Aspect)));
  if (FAutoSize) FitFont();
  TPanel::Resize();
  Invalidate();
}

void TRxClock::FontChanged() {
  if (FAutoSize && !FFitting) FitFont();
  TPanel::FontChanged();
}

void TRxClock::FitFont() {
  if (FFitting) return;
  int MaxH = FHeight - 4, MaxW = FWidth - 30;
  if (MaxH <= 0 || MaxW <= 0) return;
  std::string Sample = "88888";
  if (FShowSeconds) Sample += "888";
  if (FTwelveHour) Sample += " " + (TimeAMString.size() >= TimePMString.size() ? TimeAMString : TimePMString);
  HDC DC = CreateCompatibleDC(nullptr);
  TFont Probe;
  Probe.Assign(FFont.get());
  int Best = 1;
  for (int Size = 1; Size <= 400; ++Size) {
    Probe.SetSize(Size);
    LOGFONTW Lf;
    FontToLogFont(Probe, Lf);
    // Probe fonts are made and freed here, not kept in the shared font cache.
    HFONT F = CreateFontIndirectW(&Lf);
    HGDIOBJ Old = SelectObject(DC, F);
    TEXTMETRICW Tm;
    GetTextMetricsW(DC, &Tm);
    int W = TextW(DC, Sample);
    SelectObject(DC, Old);
    DeleteObject(F);
    if (Tm.tmHeight > MaxH || W > MaxW) break;
    Best = Size;
  }
  DeleteDC(DC);
  FFitting = true;
  FFont->SetSize(Best);
  FFitting = false;
}

void TRxClock::CreateWnd() {
  TPanel::CreateWnd();
  if (FTimeChangeWnd == nullptr && !ComponentState().Contains(csDesigning))
    FTimeChangeWnd = AllocateHWnd([this](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
      if (M == WM_TIMECHANGE) {
        Invalidate();
        CheckAlarm();
        return 0;
      }
      return DefWindowProcW(W, M, WP, LP);
    });
}

void TRxClock::DestroyWnd() {
  FreeTimeChangeWindow();
  TPanel::DestroyWnd();
}

void TRxClock::FreeTimeChangeWindow() {
  if (FTimeChangeWnd == nullptr) return;
  DeallocateHWnd(FTimeChangeWnd);
  FTimeChangeWnd = nullptr;
}

void TRxClock::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMECHANGE) {
    Invalidate();
    CheckAlarm();
    Message.Result = 0;
    return;
  }
  TPanel::WndProc(Message);
}

void RegisterRxClock() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TRxClock>();
}
