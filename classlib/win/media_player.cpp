#include "classlib/win/media_player.h"

#include <mmsystem.h>

#include <atomic>
#include <cstdlib>

#include "classlib/core/typinfo.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

const TClassInfo* TMediaPlayer::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TMediaPlayer, TGraphicControl>("TMediaPlayer")
          .Prop("FileName", &TMediaPlayer::FileName, &TMediaPlayer::SetFileName)
          .Build();
  return &Info;
}

void RegisterMediaPlayer() {
  static const bool Done = (RegisterClass(TMediaPlayer::StaticClassInfo()), true);
  (void)Done;
}

namespace {

constexpr int ButtonWidth = 25;
enum { btPlay, btPause, btStop, btCount };

std::string Replace(std::string S, const std::string& From, const std::string& To) {
  for (size_t P = S.find(From); P != std::string::npos; P = S.find(From, P + To.size())) S.replace(P, From.size(), To);
  return S;
}

}  // namespace

TMediaPlayer::TMediaPlayer(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, ButtonWidth * btCount, 30);
}

TMediaPlayer::~TMediaPlayer() {
  try {
    Close();
  } catch (...) {
    // The device goes with the process; nothing may leave a destructor.
  }
}

std::string TMediaPlayer::Send(const std::string& Command) {
  const std::wstring W = ToWide(Replace(Command, "%A", FAlias));
  wchar_t Reply[256] = {};
  const MCIERROR Error = mciSendStringW(W.c_str(), Reply, 256, nullptr);
  if (Error != 0) {
    wchar_t Text[256] = {};
    if (!mciGetErrorStringW(Error, Text, 256)) return "";
    throw EMCIDeviceError(FromWide(Text));
  }
  return FromWide(Reply);
}

void TMediaPlayer::Open() {
  Close();
  if (FFileName.empty()) throw EMCIDeviceError("No file name to open");
  // A name of our own per open: two players never share a device.
  static std::atomic<unsigned> Count{0};
  const std::string Alias = "zxmedia" + std::to_string(++Count);
  std::string Name = FFileName;
  if (Name.find('"') != std::string::npos) throw EMCIDeviceError("Invalid file name: " + FFileName);
  FAlias.clear();
  const std::wstring W = ToWide("open \"" + Name + "\" alias " + Alias);
  const MCIERROR Error = mciSendStringW(W.c_str(), nullptr, 0, nullptr);
  if (Error != 0) {
    wchar_t Text[256] = {};
    mciGetErrorStringW(Error, Text, 256);
    throw EMCIDeviceError(FromWide(Text));
  }
  FAlias = Alias;
  try {
    Send("set %A time format milliseconds");
  } catch (...) {
    Close();
    throw;
  }
  Invalidate();
}

void TMediaPlayer::Close() {
  if (FAlias.empty()) return;
  const std::wstring W = ToWide("close " + FAlias);
  FAlias.clear();
  mciSendStringW(W.c_str(), nullptr, 0, nullptr);
}

void TMediaPlayer::Play() {
  if (!IsOpen()) throw EMCIDeviceError("No media file is open");
  Send("play %A");
}

void TMediaPlayer::Pause() {
  if (IsOpen()) Send("pause %A");
}

void TMediaPlayer::Stop() {
  if (IsOpen()) Send("stop %A");
}

int TMediaPlayer::Status(const char* Item) {
  if (!IsOpen()) return 0;
  return std::atoi(Send(std::string("status %A ") + Item).c_str());
}

int TMediaPlayer::Length() { return Status("length"); }
int TMediaPlayer::Position() { return Status("position"); }

TMPModes TMediaPlayer::Mode() {
  if (!IsOpen()) return mpNotReady;
  const std::string M = Send("status %A mode");
  static const struct {
    const char* Text;
    TMPModes Mode;
  } Modes[] = {{"stopped", mpStopped}, {"playing", mpPlaying}, {"recording", mpRecording},
               {"seeking", mpSeeking}, {"paused", mpPaused},   {"open", mpOpen}};
  for (const auto& R : Modes)
    if (M == R.Text) return R.Mode;
  return mpNotReady;
}

void TMediaPlayer::Paint() {
  TCanvas* C = Canvas();
  const int H = Height();
  const bool Live = IsOpen();
  for (int B = 0; B < btCount; ++B) {
    RECT R{B * ButtonWidth, 0, (B + 1) * ButtonWidth, H};
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect{R.left, R.top, R.right, R.bottom});
    DrawEdge(C->Handle(), &R, EDGE_RAISED, BF_RECT);
    // The glyphs are grey while there is nothing to play.
    C->Brush()->SetColor(Live ? (B == btPlay ? TColor(0x008000) : clBtnText) : clGrayText);
    C->Pen()->SetColor(C->Brush()->Color());
    const int X = R.left + ButtonWidth / 2, Y = H / 2;
    if (B == btPlay) {
      C->Polygon({TPoint{X - 4, Y - 5}, TPoint{X + 4, Y}, TPoint{X - 4, Y + 5}});
    } else if (B == btPause) {
      C->FillRect(TRect{X - 4, Y - 5, X - 1, Y + 6});
      C->FillRect(TRect{X + 1, Y - 5, X + 4, Y + 6});
    } else {
      C->FillRect(TRect{X - 4, Y - 4, X + 5, Y + 5});
    }
  }
}

void TMediaPlayer::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !IsOpen()) return;
  switch (X / ButtonWidth) {
    case btPlay: Play(); break;
    case btPause: Pause(); break;
    case btStop: Stop(); break;
    default: break;
  }
}
