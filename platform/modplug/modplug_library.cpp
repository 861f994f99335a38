// npmod32.dll over libopenmpt, playing through waveOut (or into a file of samples).
#include "platform/modplug/modplug_library.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/wave_output.h"
#include "tools/core/mod_params.h"

namespace {

constexpr int32_t Rate = 44100;
constexpr int Bands = 16;
constexpr UINT_PTR ViewTimer = 1;
constexpr int MaxPosition = 0xFFFF;

std::wstring Wide(const char* Text) {
  if (Text == nullptr || *Text == 0) return std::wstring();
  const int n = MultiByteToWideChar(1251, 0, Text, -1, nullptr, 0);
  std::wstring W(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(1251, 0, Text, -1, W.data(), n);
  return W;
}

struct TInstance {
  // Display settings from the parameters.
  COLORREF Back = 0, VU = RGB(0, 255, 0), VUTop = RGB(255, 0, 0), SP = RGB(255, 0, 0), SPTop = RGB(255, 255, 0);
  bool Hidden = false, Loop = false, Stereo = false;
  int Width = 169, Height = 49;
  std::string Title;
  std::wstring WaveFile;

  HWND Parent = nullptr;
  HWND View = nullptr;

  std::mutex ModLock;  // the module is rendered on the play thread
  openmpt_module* Mod = nullptr;
  double Duration = 0;

  TWaveOutput Output;
  HANDLE Thread = nullptr;
  std::atomic<bool> StopRequest{false};
  std::atomic<bool> Playing{false};

  // The latest levels (0..1) for the display, written by the play thread.
  std::mutex LevelLock;
  float Peak[2] = {0, 0};
  float Spectrum[2][Bands] = {};
  // What the display shows: the levels, falling off slowly.
  float ShownPeak[2] = {0, 0};
  float ShownSpectrum[2][Bands] = {};
};

// Levels of one block: the peak of each channel and the strength of Bands frequency
// bands (Goertzel filters, 60 Hz to 16 kHz, logarithmically spaced) over its first frames.
void Analyse(TInstance* I, const int16_t* Frames, size_t Count) {
  float Peak[2] = {0, 0};
  for (size_t i = 0; i < Count; ++i)
    for (int c = 0; c < 2; ++c) Peak[c] = std::max(Peak[c], std::fabs(Frames[i * 2 + c] / 32768.0f));
  float Spectrum[2][Bands];
  const size_t N = std::min<size_t>(Count, 512);
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < Bands; ++b) {
      const double F = 60.0 * std::pow(16000.0 / 60.0, b / double(Bands - 1));
      const double K = 2 * std::cos(2 * M_PI * F / Rate);
      double S1 = 0, S2 = 0;
      for (size_t i = 0; i < N; ++i) {
        const double X = I->Stereo ? Frames[i * 2 + c] : (Frames[i * 2] + Frames[i * 2 + 1]) / 2.0;
        const double S0 = X / 32768.0 + K * S1 - S2;
        S2 = S1;
        S1 = S0;
      }
      const double Power = S1 * S1 + S2 * S2 - K * S1 * S2;
      const double Magnitude = N ? std::sqrt(std::max(0.0, Power)) / (N / 2.0) : 0;
      // Roughly logarithmic: -48 dB at the bottom of the display.
      const double Db = 20 * std::log10(Magnitude + 1e-9);
      Spectrum[c][b] = float(std::clamp((Db + 48) / 48, 0.0, 1.0));
    }
  }
  std::lock_guard<std::mutex> G(I->LevelLock);
  std::copy(Peak, Peak + 2, I->Peak);
  std::copy(&Spectrum[0][0], &Spectrum[0][0] + 2 * Bands, &I->Spectrum[0][0]);
}

void PostEnd(TInstance* I) {
  if (I->Parent) PostMessageW(I->Parent, ModPlugEndMessage, 0, LPARAM(I));
}

DWORD WINAPI PlayThread(void* Param) {
  TInstance* I = static_cast<TInstance*>(Param);
  std::vector<int16_t> Buffer(I->Output.BlockBytes() / sizeof(int16_t));
  const size_t BlockFrames = Buffer.size() / 2;
  bool Ended = false;
  while (!I->StopRequest) {
    size_t Frames;
    {
      std::lock_guard<std::mutex> G(I->ModLock);
      Frames = openmpt_module_read_interleaved_stereo(I->Mod, Rate, BlockFrames, Buffer.data());
    }
    if (Frames == 0) {
      Ended = true;
      break;
    }
    Analyse(I, Buffer.data(), Frames);
    if (!I->Output.Write(Buffer.data(), Frames * 4, I->StopRequest)) break;
  }
  if (Ended && I->Output.Drain(I->StopRequest)) {
    I->Playing = false;
    std::lock_guard<std::mutex> G(I->LevelLock);
    I->Peak[0] = I->Peak[1] = 0;
    std::fill(&I->Spectrum[0][0], &I->Spectrum[0][0] + 2 * Bands, 0.0f);
  }
  if (Ended && !I->StopRequest) PostEnd(I);
  return 0;
}

void StopPlaying(TInstance* I) {
  if (I->Thread) {
    I->StopRequest = true;
    I->Output.Wake();
    WaitForSingleObject(I->Thread, INFINITE);
    CloseHandle(I->Thread);
    I->Thread = nullptr;
  }
  I->Output.Close();
  I->StopRequest = false;
  I->Playing = false;
  std::lock_guard<std::mutex> G(I->LevelLock);
  I->Peak[0] = I->Peak[1] = 0;
  std::fill(&I->Spectrum[0][0], &I->Spectrum[0][0] + 2 * Bands, 0.0f);
}

void DropModule(TInstance* I) {
  StopPlaying(I);
  if (I->Mod) openmpt_module_destroy(I->Mod);
  I->Mod = nullptr;
  I->Duration = 0;
}

// The display: VU bars of the two channels at the left, the spectrum beside them.
void Bar(HDC DC, const RECT& R, float Level, COLORREF Colour, COLORREF Top) {
  const int H = R.bottom - R.top;
  const int Fill = int(std::lround(std::clamp(Level, 0.0f, 1.0f) * H));
  const int Split = R.bottom - H * 3 / 4;  // the top quarter in the top colour
  const int Y = R.bottom - Fill;
  if (Fill <= 0) return;
  HBRUSH Low = CreateSolidBrush(Colour), High = CreateSolidBrush(Top);
  RECT Lower{R.left, std::max(Y, Split), R.right, R.bottom};
  FillRect(DC, &Lower, Low);
  if (Y < Split) {
    RECT Upper{R.left, Y, R.right, Split};
    FillRect(DC, &Upper, High);
  }
  DeleteObject(Low);
  DeleteObject(High);
}

void PaintView(TInstance* I, HDC Target) {
  RECT Client;
  GetClientRect(I->View, &Client);
  const int W = Client.right, H = Client.bottom;
  if (W <= 0 || H <= 0) return;
  HDC DC = CreateCompatibleDC(Target);
  HBITMAP Bitmap = CreateCompatibleBitmap(Target, W, H);
  HGDIOBJ Old = SelectObject(DC, Bitmap);
  HBRUSH Back = CreateSolidBrush(I->Back);
  FillRect(DC, &Client, Back);
  DeleteObject(Back);
  const int Margin = 2, VUWidth = 6;
  for (int c = 0; c < 2; ++c) {
    const RECT R{Margin + c * (VUWidth + 1), Margin, Margin + c * (VUWidth + 1) + VUWidth, H - Margin};
    Bar(DC, R, I->ShownPeak[c], I->VU, I->VUTop);
  }
  const int Left = Margin + 2 * (VUWidth + 1) + 4;
  const int Columns = I->Stereo ? 2 * Bands : Bands;
  const int Space = W - Left - Margin;
  for (int k = 0; k < Columns && Space > 0; ++k) {
    const int X0 = Left + Space * k / Columns, X1 = Left + Space * (k + 1) / Columns - 1;
    const float Level = I->Stereo ? I->ShownSpectrum[k / Bands][k % Bands] : I->ShownSpectrum[0][k];
    Bar(DC, RECT{X0, Margin, std::max(X0 + 1, X1), H - Margin}, Level, I->SP, I->SPTop);
  }
  BitBlt(Target, 0, 0, W, H, DC, 0, 0, SRCCOPY);
  SelectObject(DC, Old);
  DeleteObject(Bitmap);
  DeleteDC(DC);
}

// One step of the display: take the latest levels, let the shown ones fall towards them.
// False once everything has fallen to zero and nothing plays.
bool StepView(TInstance* I) {
  float Peak[2], Spectrum[2][Bands];
  {
    std::lock_guard<std::mutex> G(I->LevelLock);
    std::copy(I->Peak, I->Peak + 2, Peak);
    std::copy(&I->Spectrum[0][0], &I->Spectrum[0][0] + 2 * Bands, &Spectrum[0][0]);
  }
  const auto Follow = [](float& Shown, float Level) { Shown = Level >= Shown ? Level : std::max(Level, Shown - 0.08f); };
  bool Any = false;
  for (int c = 0; c < 2; ++c) {
    Follow(I->ShownPeak[c], Peak[c]);
    Any |= I->ShownPeak[c] > 0;
    for (int b = 0; b < Bands; ++b) {
      Follow(I->ShownSpectrum[c][b], Spectrum[c][b]);
      Any |= I->ShownSpectrum[c][b] > 0;
    }
  }
  return Any || I->Playing;
}

LRESULT CALLBACK ViewProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TInstance* I = reinterpret_cast<TInstance*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  switch (Msg) {
    case WM_PAINT: {
      PAINTSTRUCT PS;
      HDC DC = BeginPaint(Wnd, &PS);
      if (I) PaintView(I, DC);
      EndPaint(Wnd, &PS);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (I && WParam == ViewTimer) {
        if (!StepView(I)) KillTimer(Wnd, ViewTimer);
        InvalidateRect(Wnd, nullptr, FALSE);
      }
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks belong to the panel underneath
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

HINSTANCE ModuleInstance() {
  HMODULE M = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ViewProc), &M);
  return M;
}

const wchar_t* ViewClass() {
  static const wchar_t* Name = [] {
    WNDCLASSW C{};
    C.lpfnWndProc = ViewProc;
    C.hInstance = ModuleInstance();
    C.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    C.lpszClassName = L"ZembrixModuleView";
    RegisterClassW(&C);
    return L"ZembrixModuleView";
  }();
  return Name;
}

void DestroyView(TInstance* I) {
  if (I->View) DestroyWindow(I->View);
  I->View = nullptr;
}

int Tenths(double Seconds) {
  if (!(Seconds > 0)) return 0;
  return int(std::min<double>(MaxPosition, std::floor(Seconds * 10)));
}

}  // namespace

extern "C" {

void* MODPLUG_CALL ModPlug_CreateEx(const char* Params) {
  TInstance* I = new TInstance;
  for (const auto& [Key, Value] : SplitModPlugParams(Params ? Params : "")) {
    if (Key == "bgcolor") I->Back = ModColorValue(Value, I->Back);
    else if (Key == "vucolor") I->VU = ModColorValue(Value, I->VU);
    else if (Key == "vucolorhi") I->VUTop = ModColorValue(Value, I->VUTop);
    else if (Key == "spcolor") I->SP = ModColorValue(Value, I->SP);
    else if (Key == "spcolorhi") I->SPTop = ModColorValue(Value, I->SPTop);
    else if (Key == "hidden") I->Hidden = Value == "true";
    else if (Key == "loop") I->Loop = Value == "true";
    else if (Key == "controls") I->Stereo = Value == "stereo";
    else if (Key == "Title") I->Title = Value;
    else if (Key == "width") I->Width = std::clamp(atoi(Value.c_str()), 0, 4096);
    else if (Key == "height") I->Height = std::clamp(atoi(Value.c_str()), 0, 4096);
    else if (Key == "wavefile") I->WaveFile = Wide(Value.c_str());
  }
  return I;
}

void MODPLUG_CALL ModPlug_SetWindow(void* Instance, HWND Window) {
  TInstance* I = static_cast<TInstance*>(Instance);
  if (I == nullptr) return;
  DestroyView(I);
  I->Parent = Window;
  if (Window == nullptr || !IsWindow(Window)) {
    I->Parent = nullptr;
    return;
  }
  I->View = CreateWindowExW(0, ViewClass(), L"", WS_CHILD | (I->Hidden ? 0 : WS_VISIBLE), 0, 0, I->Width,
                            I->Height, Window, nullptr, ModuleInstance(), nullptr);
  if (I->View) SetWindowLongPtrW(I->View, GWLP_USERDATA, LONG_PTR(I));
}

void MODPLUG_CALL ModPlug_Load(void* Instance, const char* FileName) {
  TInstance* I = static_cast<TInstance*>(Instance);
  if (I == nullptr) return;
  DropModule(I);
  const std::wstring Name = Wide(FileName);
  if (Name.empty()) return;
  HANDLE F = CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (F == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER Size;
  std::vector<char> Data;
  // Modules are small; anything past 64 MB is not one.
  if (GetFileSizeEx(F, &Size) && Size.QuadPart > 0 && Size.QuadPart <= (64 << 20)) {
    Data.resize(size_t(Size.QuadPart));
    DWORD Got = 0;
    if (!ReadFile(F, Data.data(), DWORD(Data.size()), &Got, nullptr) || Got != Data.size()) Data.clear();
  }
  CloseHandle(F);
  if (Data.empty()) return;
  int Error = 0;
  I->Mod = openmpt_module_create_from_memory2(Data.data(), Data.size(), openmpt_log_func_silent, nullptr, nullptr,
                                              nullptr, &Error, nullptr, nullptr);
  if (I->Mod == nullptr) return;
  openmpt_module_set_repeat_count(I->Mod, I->Loop ? -1 : 0);
  I->Duration = openmpt_module_get_duration_seconds(I->Mod);
}

int MODPLUG_CALL ModPlug_IsReady(void* Instance) {
  TInstance* I = static_cast<TInstance*>(Instance);
  return I && I->Mod ? 1 : 0;
}

void MODPLUG_CALL ModPlug_Play(void* Instance) {
  TInstance* I = static_cast<TInstance*>(Instance);
  if (I == nullptr || I->Playing) return;
  StopPlaying(I);  // a thread that ran to the end
  if (I->Mod == nullptr) {
    PostEnd(I);
    return;
  }
  openmpt_module_set_position_seconds(I->Mod, 0);
  const bool Opened = I->WaveFile.empty() ? I->Output.OpenDevice(WAVE_MAPPER, Rate, 2)
                                          : I->Output.OpenFile(I->WaveFile, Rate, 2);
  if (!Opened) {
    PostEnd(I);
    return;
  }
  I->Playing = true;
  I->Thread = CreateThread(nullptr, 0, PlayThread, I, 0, nullptr);
  if (I->Thread == nullptr) {
    I->Output.Close();
    I->Playing = false;
    PostEnd(I);
    return;
  }
  if (I->View) SetTimer(I->View, ViewTimer, 50, nullptr);
}

void MODPLUG_CALL ModPlug_Stop(void* Instance) {
  TInstance* I = static_cast<TInstance*>(Instance);
  if (I == nullptr) return;
  StopPlaying(I);
  if (I->View) InvalidateRect(I->View, nullptr, FALSE);
}

void MODPLUG_CALL ModPlug_Destroy(void* Instance) {
  TInstance* I = static_cast<TInstance*>(Instance);
  if (I == nullptr) return;
  DropModule(I);
  DestroyView(I);
  delete I;
}

int MODPLUG_CALL ModPlug_GetMaxPosition(void* Instance) {
  TInstance* I = static_cast<TInstance*>(Instance);
  return I && I->Mod ? Tenths(I->Duration) : 0;
}

int MODPLUG_CALL ModPlug_GetCurrentPosition(void* Instance) {
  TInstance* I = static_cast<TInstance*>(Instance);
  if (I == nullptr || I->Mod == nullptr || I->Thread == nullptr) return 0;
  double Seconds = double(I->Output.Played()) / Rate;
  // A looping module goes round: show where in the module it is. One that does not loop
  // may sound a little past its last row (notes ringing out): that is its end.
  if (I->Duration > 0 && Seconds > I->Duration)
    Seconds = I->Loop ? std::fmod(Seconds, I->Duration) : I->Duration;
  return Tenths(Seconds);
}

int MODPLUG_CALL ModPlug_GetVersion() { return int(openmpt_get_library_version()); }

}  // extern "C"
