#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "ui/rx_clock.h"

namespace {

struct TClockForm {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TRxClock* Clock = new TRxClock(Form.get());
  TDateTime Time = EncodeTime(10, 0, 0, 0);
  int Alarms = 0;
  TClockForm() {
    Clock->SetParent(Form.get());
    Clock->SetBounds(10, 10, 160, 120);
    Clock->SetColor(clWhite);
    Clock->Font()->SetColor(clBlack);
    Clock->Font()->SetSize(16);
    Clock->OnGetTime = [this](TObject*, TDateTime& T) { T = Time; };
    Clock->OnAlarm = [this](TObject*) { ++Alarms; };
    Form->SetBounds(100, 100, 200, 180);
    Form->Show();
    PumpMessages();
  }
  ~TClockForm() { Form->Hide(); }
  std::unique_ptr<TBitmap> Face() {
    Clock->Repaint();
    auto B = std::make_unique<TBitmap>();
    B->SetSize(Clock->Width(), Clock->Height());
    HDC DC = GetDC(Clock->Handle());
    BitBlt(B->Canvas()->Handle(), 0, 0, Clock->Width(), Clock->Height(), DC, 0, 0, SRCCOPY);
    ReleaseDC(Clock->Handle(), DC);
    return B;
  }
  // Pixels of colour C inside the face (the area within the bevels).
  static int Count(TBitmap* B, TColor C, int X1, int Y1, int X2, int Y2) {
    int N = 0;
    for (int Y = Y1; Y < Y2; ++Y)
      for (int X = X1; X < X2; ++X)
        if ((ColorToRGB(B->Canvas()->Pixels(X, Y)) & 0xFFFFFF) == (ColorToRGB(C) & 0xFFFFFF)) ++N;
    return N;
  }
};

}  // namespace

TEST(RxClock, Defaults) {
  TRxClock C(nullptr);
  EXPECT_FALSE(C.AlarmEnabled());
  EXPECT_EQ(C.AlarmHour(), 0);
  EXPECT_EQ(C.BevelInner(), bvRaised);
  EXPECT_EQ(C.BevelOuter(), bvLowered);
  EXPECT_EQ(int(C.DotsColor()), 0x808000);
  EXPECT_EQ(C.ShowMode(), scDigital);
  EXPECT_TRUE(C.ShowSeconds());
  EXPECT_FALSE(C.TwelveHour());
  EXPECT_TRUE(C.LeadingZero());
  ASSERT_NE(C.Timer(), nullptr);
  EXPECT_TRUE(C.Timer()->Enabled());
}

TEST(RxClock, PropertiesByNameForFormResources) {
  RegisterRxClock();
  TRxClock C(nullptr);
  SetEnumProp(&C, "ShowMode", "scAnalog");
  EXPECT_EQ(C.ShowMode(), scAnalog);
  SetOrdProp(&C, "AlarmHour", 7);
  SetOrdProp(&C, "AlarmMinute", 30);
  EXPECT_EQ(GetOrdProp(&C, "AlarmHour"), 7);
  EXPECT_EQ(C.AlarmMinute(), 30);
}

TEST(RxClock, DigitalText) {
  TRxClock C(nullptr);
  int N = 0;
  EXPECT_EQ(C.TimeText(EncodeTime(9, 5, 7, 0), &N), "09:05:07");
  EXPECT_EQ(N, 8);
  C.SetLeadingZero(false);
  EXPECT_EQ(C.TimeText(EncodeTime(9, 5, 7, 0), &N), "9:05:07");
  EXPECT_EQ(N, 7);
  C.SetShowSeconds(false);
  EXPECT_EQ(C.TimeText(EncodeTime(9, 5, 7, 0), &N), "9:05");
  EXPECT_EQ(N, 4);
}

TEST(RxClock, TwelveHourText) {
  TRxClock C(nullptr);
  C.SetTwelveHour(true);
  C.SetShowSeconds(false);
  int N = 0;
  EXPECT_EQ(C.TimeText(EncodeTime(0, 30, 0, 0), &N), "12:30 " + TimeAMString);
  EXPECT_EQ(N, 5);
  EXPECT_EQ(C.TimeText(EncodeTime(13, 5, 0, 0), &N), "01:05 " + TimePMString);
  EXPECT_EQ(N, 5);
  C.SetLeadingZero(false);
  EXPECT_EQ(C.TimeText(EncodeTime(13, 5, 0, 0), &N), "1:05 " + TimePMString);
  EXPECT_EQ(N, 4);
}

TEST(RxClock, AlarmFiresOnceWithinItsMinute) {
  TClockForm F;
  F.Clock->SetAlarmEnabled(true);
  F.Clock->SetAlarmHour(10);
  F.Clock->SetAlarmMinute(0);
  F.Clock->SetAlarmSecond(30);
  F.Time = EncodeTime(10, 0, 29, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 0);
  F.Time = EncodeTime(10, 0, 31, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 1);
  F.Time = EncodeTime(10, 0, 32, 0);
  F.Clock->Tick();
  PumpMessages();  // the real timer may tick too: still once
  EXPECT_EQ(F.Alarms, 1);
  F.Time = EncodeTime(10, 1, 0, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 1);
  // After midnight it is armed again and fires the next day.
  F.Time = EncodeTime(0, 0, 5, 0);
  F.Clock->Tick();
  F.Time = EncodeTime(10, 0, 30, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 2);
}

TEST(RxClock, DisabledAlarmDoesNotFire) {
  TClockForm F;
  F.Clock->SetAlarmHour(10);
  F.Time = EncodeTime(10, 0, 0, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 0);
}

TEST(RxClock, ChangedAlarmIsArmedAgain) {
  TClockForm F;
  F.Clock->SetAlarmEnabled(true);
  F.Clock->SetAlarmHour(10);
  F.Time = EncodeTime(10, 0, 10, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 1);
  F.Clock->SetAlarmHour(11);
  F.Time = EncodeTime(11, 0, 1, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 2);
}

TEST(RxClock, OutOfRangeAlarmRaisesAndKeepsTheAlarm) {
  TRxClock C(nullptr);
  C.SetAlarmHour(7);
  C.SetAlarmMinute(30);
  EXPECT_THROW(C.SetAlarmHour(24), EConvertError);
  EXPECT_THROW(C.SetAlarmMinute(60), EConvertError);
  EXPECT_THROW(C.SetAlarmSecond(60), EConvertError);
  try {
    C.SetAlarmHour(24);
  } catch (const EConvertError& E) {
    EXPECT_EQ(std::string(E.what()), "'24:30:0' is not a valid time");
  }
  EXPECT_EQ(C.AlarmHour(), 7);
  EXPECT_EQ(C.AlarmMinute(), 30);
  EXPECT_EQ(C.AlarmSecond(), 0);
}

TEST(RxClock, DigitalAndAnalogFacesDraw) {
  TClockForm F;
  F.Time = EncodeTime(10, 10, 40, 0);
  auto Digital = F.Face();
  SaveWindowPng(F.Form->Handle(), ScreenshotPath("rx_clock_digital.png"));
  int W = F.Clock->Width(), H = F.Clock->Height();
  int DigitalInk = TClockForm::Count(Digital.get(), clBlack, 4, 4, W - 4, H - 4);
  int DigitalDots = TClockForm::Count(Digital.get(), TColor(0x808000), 4, 4, W - 4, H - 4);
  EXPECT_GT(DigitalInk, 30);
  EXPECT_GT(DigitalDots, 2);  // the colons
  // The text sits on one band across the middle: nothing drawn near the top.
  EXPECT_EQ(TClockForm::Count(Digital.get(), clBlack, 4, 4, W - 4, 20), 0);

  F.Clock->SetShowMode(scAnalog);
  PumpMessages();
  auto Analog = F.Face();
  SaveWindowPng(F.Form->Handle(), ScreenshotPath("rx_clock_analog.png"));
  // Hour marks: the twelve o'clock mark near the top centre.
  EXPECT_GT(TClockForm::Count(Analog.get(), TColor(0x808000), W / 2 - 6, 4, W / 2 + 6, 14), 0);
  // The minute hand at ten past points right and up: ink in the upper right quadrant,
  // and the hour hand near ten o'clock: ink in the upper left.
  EXPECT_GT(TClockForm::Count(Analog.get(), clBlack, W / 2 + 5, 10, W - 10, H / 2 - 2), 5);
  EXPECT_GT(TClockForm::Count(Analog.get(), clBlack, 10, 10, W / 2 - 5, H / 2 - 2), 5);
  // Nothing in the lower right quadrant away from the second hand (at 40 s: lower left).
  EXPECT_EQ(TClockForm::Count(Analog.get(), clBlack, W / 2 + 5, H / 2 + 5, W - 10, H - 10), 0);

  F.Clock->SetShowMode(scDigital);
  PumpMessages();
  auto Again = F.Face();
  EXPECT_EQ(TClockForm::Count(Again.get(), clBlack, 4, 4, W - 4, H - 4), DigitalInk);
}

TEST(RxClock, TickRedrawsTheDigits) {
  TClockForm F;
  F.Time = EncodeTime(10, 11, 11, 0);
  auto Before = F.Face();
  F.Time = EncodeTime(10, 58, 58, 0);
  F.Clock->Tick();  // same hour: drawn straight onto the window
  auto B = std::make_unique<TBitmap>();
  B->SetSize(F.Clock->Width(), F.Clock->Height());
  HDC DC = GetDC(F.Clock->Handle());
  BitBlt(B->Canvas()->Handle(), 0, 0, F.Clock->Width(), F.Clock->Height(), DC, 0, 0, SRCCOPY);
  ReleaseDC(F.Clock->Handle(), DC);
  int W = F.Clock->Width(), H = F.Clock->Height();
  // "8" has far more ink than "1".
  EXPECT_GT(TClockForm::Count(B.get(), clBlack, 4, 4, W - 4, H - 4),
            TClockForm::Count(Before.get(), clBlack, 4, 4, W - 4, H - 4) + 20);
}

TEST(RxClock, TimeChangeBroadcastRunsTheAlarmCheck) {
  TClockForm F;
  F.Clock->SetAlarmEnabled(true);
  F.Clock->SetAlarmHour(12);
  F.Time = EncodeTime(12, 0, 1, 0);
  SendMessageTimeoutW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  PumpMessages();
  EXPECT_EQ(F.Alarms, 1);
}

TEST(RxClock, AutoSizeFitsTheFont) {
  TClockForm F;
  F.Clock->SetBounds(10, 10, 200, 40);
  F.Clock->SetAutoSize(true);
  int Small = F.Clock->Font()->Size();
  F.Clock->SetBounds(10, 10, 200, 80);
  PumpMessages();
  EXPECT_GT(Small, 1);
  EXPECT_GE(F.Clock->Font()->Size(), Small);
}

TEST(RxClock, FreedWithItsTimer) {
  auto Form = std::unique_ptr<TForm>(CreateForm<TForm>(nullptr));
  auto* C = new TRxClock(Form.get());
  C->SetParent(Form.get());
  int Calls = 0;
  C->OnGetTime = [&](TObject*, TDateTime&) { ++Calls; };
  Form->Show();
  PumpMessages();
  delete C;
  int After = Calls;
  PumpMessages();
  EXPECT_EQ(Calls, After);
  Form->Hide();
}
