// The picture window, the calendar and alarm dialogs and the tag window, driven through
// their handlers and keys under Wine; screenshots of each.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/core/lng_strings.h"
#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/graphics.h"
#include "classlib/win/jpeg_image.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"
#include "tools/alarms.h"
#include "tools/calendar_form.h"
#include "tools/core/mp3_info.h"
#include "tools/mp3_form.h"
#include "tools/pict.h"
#include "ui/gif_image.h"

namespace {

// A 40 x 30 picture: a red field with a blue bar.
std::unique_ptr<TBitmap> Picture() {
  auto B = std::make_unique<TBitmap>();
  B->SetSize(40, 30);
  B->Canvas()->Brush()->SetColor(clRed);
  B->Canvas()->FillRect(TRect(0, 0, 40, 30));
  B->Canvas()->Brush()->SetColor(clBlue);
  B->Canvas()->FillRect(TRect(0, 10, 40, 20));
  return B;
}

TEST(PictureWindow, ShowsJpegAndGifAndZoomsWithinLimits) {
  RegisterPictureForm();
  TTempFolder Temp;
  {
    TJPEGImage Jpeg;
    Jpeg.Assign(Picture().get());
    Jpeg.SaveToFile(Temp / "p.jpg");
    TGIFImage Gif;
    Gif.Assign(Picture().get());
    Gif.SaveToFile(Temp / "p.gif");
  }
  std::unique_ptr<TForm1> F(CreateForm<TForm1>(nullptr));
  for (const char* Name : {"p.jpg", "p.gif"}) {
    F->Image1->Picture()->LoadFromFile(Temp / Name);
    EXPECT_EQ(F->Image1->Width(), 40) << Name;
    EXPECT_EQ(F->Image1->Height(), 30) << Name;
  }
  F->Show();
  PumpMessages();
  EXPECT_EQ(F->WindowState(), wsMaximized);
  // A picture smaller than the window sits in its middle, also after a zoom.
  const auto Centred = [&] {
    const TRect C = F->ScrollBox1->ClientRect();
    return F->Image1->Left() == (C.Width() - F->Image1->Width()) / 2 &&
           F->Image1->Top() == (C.Height() - F->Image1->Height()) / 2;
  };
  EXPECT_TRUE(WaitFor(Centred));
  EXPECT_GT(F->Image1->Left(), 0);
  EXPECT_GT(F->Image1->Top(), 0);

  // Keypad plus and the left button double; keypad minus and the right button halve.
  PressKey(VK_ADD);
  EXPECT_EQ(F->Image1->Width(), 80);
  F->Image1MouseDown(F->Image1, mbLeft, {}, 1, 1);
  EXPECT_EQ(F->Image1->Height(), 120);
  // The scroll box follows the picture's size.
  EXPECT_EQ(F->ScrollBox1->HorzRange(), F->Image1->Left() + 160 + F->ScrollBox1->HorzPosition());
  F->Image1MouseDown(F->Image1, mbRight, {}, 1, 1);
  PressKey(VK_SUBTRACT);
  EXPECT_EQ(F->Image1->Width(), 40);
  EXPECT_TRUE(Centred());
  // Halving stops before a side would vanish: 30 -> 15 -> 7 -> 3 -> 1, then no more.
  for (int i = 0; i < 10; ++i) PressKey(VK_SUBTRACT);
  EXPECT_EQ(F->Image1->Height(), 1);
  EXPECT_EQ(F->Image1->Width(), 2);
  EXPECT_FALSE(F->ZoomOut());
  // Doubling stops before a side would pass the largest.
  for (int i = 0; i < 40; ++i) F->ZoomIn();
  EXPECT_LE(F->Image1->Width(), TForm1::MaxSide);
  EXPECT_GT(F->Image1->Width() * 2, TForm1::MaxSide);
  EXPECT_FALSE(F->ZoomIn());
  // Larger than the window: it starts at the scrolled content's origin, and scrolls.
  EXPECT_EQ(F->Image1->Left(), -F->ScrollBox1->HorzPosition());
  EXPECT_EQ(F->ScrollBox1->HorzRange(), F->Image1->Width());
  F->ScrollBox1->ScrollTo(100, 100);
  EXPECT_EQ(F->Image1->Left(), -100);

  while (F->ZoomOut()) {
  }
  EXPECT_TRUE(Centred());
  while (F->Image1->Width() < 320 && F->ZoomIn()) {
  }
  // Another picture while the window is open is centred too.
  F->Image1->Picture()->LoadFromFile(Temp / "p.gif");
  EXPECT_TRUE(WaitFor(Centred));
  EXPECT_EQ(F->Image1->Width(), 40);
  while (F->Image1->Width() < 320 && F->ZoomIn()) {
  }
  PumpMessages();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("picture-window.png")), 0);
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(F->Visible());
}

TEST(CalendarDialog, LabelMonthsAndYears) {
  std::unique_ptr<TCalendarForm> F(CreateForm<TCalendarForm>(nullptr));
  F->Show();  // the year box reports its changes through its window
  F->Calendar->SetCalendarDate(EncodeDate(2001, 1, 1));
  EXPECT_EQ(F->Label1->Caption(), " January 1, 2001, Monday");
  EXPECT_EQ(F->dYear->Value(), 2001);
  EXPECT_EQ(F->Calendar->StartOfWeek(), 1);
  int Col, Row;
  ASSERT_TRUE(F->Calendar->DayCell(1, Col, Row));
  EXPECT_EQ(Col, 0);  // a Monday starts the week

  struct Case {
    int Y, M, D;
    std::function<void()> Act;
    int EY, EM, ED;
  } Cases[] = {
      {2001, 1, 31, [&] { F->Button3Click(nullptr); }, 2001, 2, 28},
      {2000, 1, 31, [&] { F->Button3Click(nullptr); }, 2000, 2, 29},
      {2001, 3, 31, [&] { F->Button2Click(nullptr); }, 2001, 2, 28},
      {2001, 12, 15, [&] { F->Button3Click(nullptr); }, 2002, 1, 15},
      {2001, 1, 15, [&] { F->Button2Click(nullptr); }, 2000, 12, 15},
      {2024, 2, 29, [&] { F->dYear->SetValue(2023); }, 2023, 2, 28},
      {2024, 2, 29, [&] { F->dYear->SetValue(9999); }, 3000, 2, 28},  // the box's limit
  };
  for (const Case& C : Cases) {
    F->Calendar->SetCalendarDate(EncodeDate(C.Y, C.M, C.D));
    C.Act();
    EXPECT_EQ(F->Calendar->Year() * 10000 + F->Calendar->Month() * 100 + F->Calendar->Day(),
              C.EY * 10000 + C.EM * 100 + C.ED)
        << C.Y << "-" << C.M << "-" << C.D;
    EXPECT_EQ(F->dYear->Value(), F->Calendar->Year());
  }
  F->Button1Click(nullptr);
  EXPECT_EQ(F->Calendar->CalendarDate(), Date());

  F->Calendar->SetCalendarDate(EncodeDate(2001, 1, 1));
  PumpMessages();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("calendar.png")), 0);
  {
    // The grid lines run across the day cells too, not only across the empty ones: the
    // line above the second week in the middle of a day's cell, and the line between the
    // first two columns in the middle of the day names' row and of a week's row.
    const TRect R = F->Calendar->ClientRect();
    const int X = R.Width() * 7 / 14, Y = R.Height() * 2 / 7;
    const int ColX = R.Width() / 7, NamesY = R.Height() / 14, WeekY = R.Height() * 5 / 14;
    const COLORREF Line = COLORREF(ColorToRGB(clBtnShadow));
    HDC DC = GetDC(F->Calendar->Handle());
    EXPECT_TRUE(WaitFor([&] { return GetPixel(DC, X, Y) == Line; }, 3000));
    EXPECT_EQ(GetPixel(DC, ColX, NamesY), Line);
    EXPECT_EQ(GetPixel(DC, ColX, WeekY), Line);
    ReleaseDC(F->Calendar->Handle(), DC);
  }
  int Topics = 0;
  TCalendarForm::ShowHelp = [&](int Topic) { Topics += Topic; };
  PressKey(VK_F1);
  EXPECT_EQ(Topics, 14);
  TCalendarForm::ShowHelp = nullptr;
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(F->Visible());
}

struct TAlarmFixture {
  std::unique_ptr<TForm> Main{CreateForm<TForm>(nullptr)};
  TRxClock* Clock = new TRxClock(Main.get());
  TLabel* Label = new TLabel(Main.get());
  TDateTime Now = EncodeTime(7, 0, 0, 0);
  int Alarms = 0;
  TAlarmFixture() {
    Clock->SetParent(Main.get());
    Label->SetParent(Main.get());
    Clock->OnGetTime = [this](TObject*, TDateTime& T) { T = Now; };
    Clock->OnAlarm = [this](TObject*) { ++Alarms; };
    TAlarms::DefaultClock = Clock;
    TAlarms::DefaultTimeLabel = Label;
  }
  ~TAlarmFixture() { TAlarms::DefaultClock = nullptr, TAlarms::DefaultTimeLabel = nullptr; }
  std::unique_ptr<TAlarms> Dialog() {
    std::unique_ptr<TAlarms> D(CreateForm<TAlarms>(nullptr));
    D->Message = [this](const std::string& Text) { Messages += Text + "\n"; };
    return D;
  }
  std::string Messages;
};

TEST(AlarmDialog, SetsTheClocksAlarmWhichFires) {
  TAlarmFixture F;
  F.Clock->SetAlarmHour(6);
  F.Clock->SetAlarmMinute(5);
  F.Clock->SetAlarmFile("old.wav");
  auto D = F.Dialog();
  EXPECT_EQ(D->Label4->Caption(), "6:5:0");
  EXPECT_EQ(D->WaveEdit->Text(), "old.wav");
  EXPECT_EQ(D->TimeEdit->Text(), "00:00:00");

  D->CheckBox1->SetChecked(true);
  D->CheckBox1Click(nullptr);
  EXPECT_EQ(D->WaveEdit->Text(), "ZQsound.wav");
  D->TimeEdit->SetText("07:30:00");
  D->BitBtn1Click(nullptr);
  EXPECT_TRUE(F.Clock->AlarmEnabled());
  EXPECT_EQ(F.Clock->AlarmHour() * 10000 + F.Clock->AlarmMinute() * 100 + F.Clock->AlarmSecond(), 73000);
  EXPECT_EQ(F.Clock->AlarmFile(), "ZQsound.wav");
  EXPECT_EQ(F.Label->Caption(), "07:30:00");
  EXPECT_EQ(D->Files->Items()->Text(), "ZQsound.wav\r\n");
  EXPECT_EQ(D->ModalResult(), mrOk);

  // The clock sounds it when the time comes.
  F.Now = EncodeTime(7, 29, 59, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 0);
  F.Now = EncodeTime(7, 30, 1, 0);
  F.Clock->Tick();
  EXPECT_EQ(F.Alarms, 1);
}

// The time prompt stands whole beside the time box, in both languages the program ships.
TEST(AlarmDialog, TimePromptIsNotCoveredByTheTimeBox) {
  const std::string OldFolder = ProgramFolder();
  for (const char* Language : {"Russian", "English"}) {
    TTempFolder Dir;
    SetProgramFolder(Dir.Path() + "\\");
    ASSERT_TRUE(CreateDir(Dir / "INI"));
    TMemoryStream Lng;
    Lng.LoadFromFile(std::string(ZX_TEST_DATA) + "/../../resources/langs/" + Language + ".zq.lng");
    Lng.SaveToFile(Dir / "INI\\zq.lng");
    TAlarmFixture F;
    auto D = F.Dialog();
    D->Show();
    PumpMessages();
    const std::string Prompt = D->Label1->Caption();
    EXPECT_EQ(Prompt, TIniFile(Dir / "INI\\zq.lng").ReadString("Alarm", "Label1_Caption", "?")) << Language;
    HDC DC = GetDC(nullptr);
    HGDIOBJ Old = SelectObject(DC, FontHandle(*D->Label1->Font()));
    SIZE Size{};
    const std::wstring Wide = ToWide(Prompt);
    GetTextExtentPoint32W(DC, Wide.c_str(), int(Wide.size()), &Size);
    SelectObject(DC, Old);
    ReleaseDC(nullptr, DC);
    EXPECT_LE(Size.cx, D->Label1->Width()) << Language << ": " << Prompt;
    EXPECT_LE(D->Label1->Left() + D->Label1->Width(), D->TimeEdit->Left()) << Language;
    if (std::string(Language) == "Russian") EXPECT_GT(SaveWindowPng(D->Handle(), ScreenshotPath("alarm-russian.png")), 0);
    D->Close();
  }
  SetProgramFolder(OldFolder);
}

TEST(AlarmDialog, RefusalsChangeNothing) {
  TAlarmFixture F;
  F.Clock->SetAlarmHour(6);
  auto D = F.Dialog();
  // A time the mask left half empty: refused before the alarm is switched on.
  D->WaveEdit->SetText("a.wav");
  for (const char* Bad : {"7_:30:00", "25:00:00", "__:__:__"}) {
    D->TimeEdit->SetText(Bad);
    EXPECT_THROW(D->BitBtn1Click(nullptr), EConvertError) << Bad;
    EXPECT_FALSE(F.Clock->AlarmEnabled());
    EXPECT_EQ(F.Clock->AlarmHour(), 6);
    EXPECT_EQ(F.Clock->AlarmFile(), "");
    EXPECT_EQ(D->Files->Items()->Count(), 0);
  }
  // No sound or program: the language's "Invalid" message, nothing set.
  D->TimeEdit->SetText("07:30:00");
  D->WaveEdit->SetText("");
  D->BitBtn1Click(nullptr);
  EXPECT_FALSE(F.Messages.empty());
  EXPECT_FALSE(F.Clock->AlarmEnabled());
  // The entries used before fill the file box; Clear empties the list.
  D->Files->Items()->Add("one.wav");
  D->Files->Items()->Add("two.exe");
  D->Files->SetItemIndex(1);
  D->FilesChange(nullptr);
  EXPECT_EQ(D->WaveEdit->Text(), "two.exe");
  D->Button1Click(nullptr);
  EXPECT_EQ(D->Files->Items()->Count(), 0);
}

TEST(AlarmDialog, MaskedTyping) {
  TAlarmFixture F;
  auto D = F.Dialog();
  D->Show();
  D->TimeEdit->SetFocus();
  D->TimeEdit->SetText("__:__:__");
  D->TimeEdit->SetSelStart(0);
  for (char C : std::string("0x7305"))  // the letter is refused; digits skip the colons
    D->TimeEdit->TypeChar(C);
  EXPECT_EQ(D->TimeEdit->Text(), "07:30:5_");
  PumpMessages();
  EXPECT_GT(SaveWindowPng(D->Handle(), ScreenshotPath("alarm.png")), 0);
}

TEST(TagWindow, ShowsATag) {
  TTempFolder Temp;
  std::string Tag(128, ' ');
  Tag.replace(0, 3, "TAG");
  Tag.replace(3, 13, "\xCF\xE5\xF1\xED\xFF \xEE \xE2\xE5\xF2\xF0\xE5");  // a title in 1251
  Tag.replace(33, 8, "\xC0\xED\xF1\xE0\xEC\xE1\xEB\xFC");
  Tag.replace(93, 4, "1999");
  Tag[127] = char(8);
  {
    TFileStream S(Temp / "song.mp3", fmCreate);
    const std::string Data = std::string(1000, '\0') + Tag;
    S.WriteBuffer(Data.data(), int64_t(Data.size()));
  }
  TMP3Info Info(nullptr);
  Info.SetFilename(Temp / "song.mp3");
  ASSERT_TRUE(Info.Valid());
  std::unique_ptr<TMP3Form> F(CreateForm<TMP3Form>(nullptr));
  // As the main window fills it.
  F->Memo1->Lines()->Clear();
  F->Memo1->Lines()->Add("Artist: " + Info.Artist());
  F->Memo1->Lines()->Add("Title: " + Info.Title());
  F->Memo1->Lines()->Add("Album: " + Info.Album());
  F->Memo1->Lines()->Add("Year: " + Info.Year());
  F->Memo1->Lines()->Add("Comment: " + Info.Comment());
  F->Memo1->Lines()->Add("Genre: " + Info.Genre());
  EXPECT_EQ(F->Memo1->Lines()->Strings(5), "Genre: Jazz");
  F->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("mp3-tag.png")), 0);
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(F->Visible());
}

}  // namespace
