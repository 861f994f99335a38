#include "classlib/win/clipboard.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <memory>

#include "classlib/core/strings.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/picture.h"
#include "classlib/win/utility_window.h"
#include "classlib/win/wide_string.h"

namespace {

HGLOBAL GlobalCopy(const void* Data, SIZE_T Size) {
  HGLOBAL G = GlobalAlloc(GMEM_MOVEABLE, Size != 0 ? Size : 1);
  if (G == nullptr) throw EOutOfResources("Out of memory for the clipboard");
  if (Size != 0) {
    std::memcpy(GlobalLock(G), Data, Size);
    GlobalUnlock(G);
  }
  return G;
}

// Closes the clipboard when a call leaves, also by an exception.
class TOpened {
public:
  explicit TOpened(TClipboard* C) : FClip(C) { C->Open(); }
  ~TOpened() { FClip->Close(); }

private:
  TClipboard* FClip;
};

}  // namespace

TClipboard::TClipboard() = default;

TClipboard::~TClipboard() {
  if (FOpenRefCount > 0) CloseClipboard();
  DeallocateHWnd(FWindow);
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    // The owner window makes data set here survive until another program replaces it.
    if (FWindow == nullptr)
      FWindow = AllocateHWnd([](HWND W, UINT M, WPARAM Wp, LPARAM Lp) { return DefWindowProcW(W, M, Wp, Lp); });
    // Another program may hold the clipboard for a moment: a few tries before giving up.
    bool Ok = false;
    for (int Try = 0; Try < 10 && !Ok; ++Try) {
      Ok = OpenClipboard(FWindow) != FALSE;
      if (!Ok) Sleep(10);
    }
    if (!Ok) throw EClipboardException("Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Adding() {
  if (FOpenRefCount > 0 && !FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
}

void TClipboard::Clear() {
  TOpened Guard(this);
  EmptyClipboard();
  FEmptied = true;
}

bool TClipboard::HasFormat(UINT Format) const { return IsClipboardFormatAvailable(Format) != FALSE; }

int TClipboard::FormatCount() const { return CountClipboardFormats(); }

UINT TClipboard::Formats(int Index) const {
  auto* Self = const_cast<TClipboard*>(this);
  TOpened Guard(Self);
  UINT F = 0;
  for (int I = 0; (F = EnumClipboardFormats(F)) != 0; ++I)
    if (I == Index) return F;
  throw EListError("Clipboard format index out of range");
}

std::string TClipboard::AsText() {
  TOpened Guard(this);
  if (HANDLE H = GetClipboardData(CF_UNICODETEXT)) {
    SIZE_T Units = GlobalSize(H) / sizeof(wchar_t);
    auto* P = static_cast<const wchar_t*>(GlobalLock(H));
    if (P == nullptr) return {};
    std::string S = FromWideBuf(P, Units);
    GlobalUnlock(H);
    return S;
  }
  if (HANDLE H = GetClipboardData(CF_TEXT)) {
    // Text of the system's own code page: through Unicode into ours.
    SIZE_T Size = GlobalSize(H);
    auto* P = static_cast<const char*>(GlobalLock(H));
    if (P == nullptr) return {};
    SIZE_T N = 0;
    while (N < Size && P[N] != 0) ++N;
    std::wstring W(N, L'\0');
    int Got = N != 0 ? MultiByteToWideChar(CP_ACP, 0, P, int(N), W.data(), int(N)) : 0;
    GlobalUnlock(H);
    W.resize(Got > 0 ? Got : 0);
    return FromWide(W);
  }
  return {};
}

void TClipboard::SetAsText(const std::string& Value) {
  std::wstring W = ToWide(Value);
  SetBuffer(CF_UNICODETEXT, W.c_str(), int((W.size() + 1) * sizeof(wchar_t)));
}

void TClipboard::GetFiles(TStrings* Files) {
  Files->Clear();
  TOpened Guard(this);
  auto* Drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  if (Drop == nullptr) return;
  UINT Count = DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT I = 0; I < Count; ++I) {
    UINT Len = DragQueryFileW(Drop, I, nullptr, 0);
    std::wstring Name(Len + 1, L'\0');
    DragQueryFileW(Drop, I, Name.data(), Len + 1);
    Name.resize(Len);
    Files->Add(FromWide(Name));
  }
}

void TClipboard::SetFiles(const TStrings* Files) {
  // DROPFILES, then the names as wide strings, each ended by a zero, the list by another.
  std::wstring Names;
  for (int I = 0; I < Files->Count(); ++I) {
    Names += ToWide(Files->Strings(I));
    Names.push_back(L'\0');
  }
  Names.push_back(L'\0');
  std::vector<uint8_t> Block(sizeof(DROPFILES) + Names.size() * sizeof(wchar_t));
  DROPFILES Head{};
  Head.pFiles = sizeof(DROPFILES);
  Head.fWide = TRUE;
  std::memcpy(Block.data(), &Head, sizeof Head);
  std::memcpy(Block.data() + sizeof Head, Names.data(), Names.size() * sizeof(wchar_t));
  SetBuffer(CF_HDROP, Block.data(), int(Block.size()));
}

std::vector<uint8_t> TClipboard::GetBuffer(UINT Format) {
  TOpened Guard(this);
  HANDLE H = GetClipboardData(Format);
  if (H == nullptr) return {};
  SIZE_T Size = GlobalSize(H);
  auto* P = static_cast<const uint8_t*>(GlobalLock(H));
  if (P == nullptr) return {};
  std::vector<uint8_t> Data(P, P + Size);
  GlobalUnlock(H);
  return Data;
}

void TClipboard::SetBuffer(UINT Format, const void* Buffer, int Size) {
  if (Size < 0) throw EClipboardException("Invalid clipboard data size");
  HGLOBAL G = GlobalCopy(Buffer, SIZE_T(Size));
  try {
    SetAsHandle(Format, G);
  } catch (...) {
    GlobalFree(G);
    throw;
  }
}

HANDLE TClipboard::GetAsHandle(UINT Format) {
  TOpened Guard(this);
  return GetClipboardData(Format);
}

void TClipboard::SetAsHandle(UINT Format, HANDLE Value) {
  TOpened Guard(this);
  Adding();
  if (SetClipboardData(Format, Value) == nullptr)
    throw EClipboardException("Cannot put data of format " + std::to_string(Format) + " on the clipboard");
}

void TClipboard::Assign(const TPersistent* Source) {
  const TGraphic* Graphic = nullptr;
  if (auto* P = dynamic_cast<const TPicture*>(Source))
    Graphic = P->Graphic();
  else
    Graphic = dynamic_cast<const TGraphic*>(Source);
  if (Graphic == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  UINT Format = TPicture::ClipboardFormatOf(Graphic->ClassInfo());
  HANDLE Data = nullptr;
  const_cast<TGraphic*>(Graphic)->SaveToClipboardFormat(Format, Data);
  TOpened Guard(this);
  Adding();
  if (SetClipboardData(Format, Data) == nullptr) {
    GlobalFree(Data);
    throw EClipboardException("Cannot put the picture on the clipboard");
  }
}

void TClipboard::AssignTo(TPersistent* Dest) const {
  auto* Self = const_cast<TClipboard*>(this);
  if (auto* P = dynamic_cast<TPicture*>(Dest)) {
    TOpened Guard(Self);
    for (UINT Format : TPicture::ClipboardFormats())
      if (IsClipboardFormatAvailable(Format)) {
        P->LoadFromClipboardFormat(Format, GetClipboardData(Format));
        return;
      }
    throw EClipboardException("The clipboard holds no picture");
  }
  if (auto* B = dynamic_cast<TBitmap*>(Dest)) {
    TOpened Guard(Self);
    for (UINT Format : {UINT(CF_DIB), UINT(CF_BITMAP)})
      if (IsClipboardFormatAvailable(Format)) {
        B->LoadFromClipboardFormat(Format, GetClipboardData(Format));
        return;
      }
    throw EClipboardException("The clipboard holds no bitmap");
  }
  TPersistent::AssignTo(Dest);
}

TClipboard* Clipboard() {
  static TClipboard Instance;
  return &Instance;
}
