#include "ui/vcl_utils.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/win/picture.h"
#include "classlib/win/wide_string.h"

int32_t PaletteColor(TColor Color) { return ColorToRGB(Color) | 0x02000000; }

void ResourceNotFound(const wchar_t* ResID) {
  std::string Name = IS_INTRESOURCE(ResID) ? IntToStr(int(reinterpret_cast<UINT_PTR>(ResID))) : FromWide(ResID);
  throw EResNotFound(Format("Resource %s not found", {Name}));
}

std::unique_ptr<TBitmap> MakeModuleBitmap(HINSTANCE Module, const wchar_t* ResID) {
  HBITMAP H = static_cast<HBITMAP>(
      Module == nullptr ? LoadImageW(nullptr, ResID, IMAGE_BITMAP, 0, 0, LR_SHARED)
                        : LoadImageW(Module, ResID, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (H == nullptr) ResourceNotFound(ResID);
  auto B = std::make_unique<TBitmap>();
  if (Module == nullptr) {
    // A shared system bitmap is copied, never owned.
    H = static_cast<HBITMAP>(CopyImage(H, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (H == nullptr) ResourceNotFound(ResID);
  }
  B->SetHandle(H);
  return B;
}

void CopyParentImage(TControl* Control, TCanvas* Dest) {
  TWinControl* Parent = Control == nullptr ? nullptr : Control->Parent();
  if (Parent == nullptr || !Parent->HandleAllocated()) return;
  HDC DC = Dest->Handle();
  int X = Control->Left(), Y = Control->Top();
  RECT Client;
  GetClientRect(Parent->Handle(), &Client);
  int Saved = SaveDC(DC);
  SetViewportOrgEx(DC, -X, -Y, nullptr);
  IntersectClipRect(DC, 0, 0, Client.right, Client.bottom);
  // The parent paints into our context as if into its own window.
  SendMessageW(Parent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  SendMessageW(Parent->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT);
  RestoreDC(DC, Saved);
  // Graphic siblings below the control, in z-order, that it overlaps.
  RECT Self = Control->BoundsRect();
  for (int I = 0; I < Parent->ControlCount(); ++I) {
    TControl* C = Parent->Controls(I);
    if (C == Control) break;
    auto* G = dynamic_cast<TGraphicControl*>(C);
    RECT Bounds = C->BoundsRect(), Overlap;
    if (G == nullptr || !G->Visible() || !IntersectRect(&Overlap, &Self, &Bounds)) continue;
    int S = SaveDC(DC);
    SetViewportOrgEx(DC, C->Left() - X, C->Top() - Y, nullptr);
    IntersectClipRect(DC, 0, 0, C->Width(), C->Height());
    G->PaintTo(DC);
    RestoreDC(DC, S);
  }
}

void StretchBitmapRectTransparent(TCanvas* Dest, int DstX, int DstY, int DstW, int DstH, const TRect& SrcRect,
                                  TBitmap* Bitmap, TColor TransparentColor) {
  int SW = SrcRect.Width(), SH = SrcRect.Height();
  if (SW <= 0 || SH <= 0 || DstW <= 0 || DstH <= 0 || Bitmap == nullptr || Bitmap->Empty()) return;
  HDC Dst = Dest->Handle();
  HDC Src = Bitmap->Canvas()->Handle();
  // A monochrome mask: 1 where the source has the transparent colour.
  HDC MaskDC = CreateCompatibleDC(Dst);
  HBITMAP Mask = CreateBitmap(SW, SH, 1, 1, nullptr);
  HGDIOBJ OldMask = SelectObject(MaskDC, Mask);
  COLORREF OldBk = SetBkColor(Src, COLORREF(ColorToRGB(TransparentColor)));
  BitBlt(MaskDC, 0, 0, SW, SH, Src, SrcRect.Left, SrcRect.Top, SRCCOPY);
  SetBkColor(Src, OldBk);
  // The source with its transparent pixels made black.
  HDC CopyDC = CreateCompatibleDC(Dst);
  HBITMAP Copy = CreateCompatibleBitmap(Dst, SW, SH);
  HGDIOBJ OldCopy = SelectObject(CopyDC, Copy);
  BitBlt(CopyDC, 0, 0, SW, SH, Src, SrcRect.Left, SrcRect.Top, SRCCOPY);
  SetBkColor(CopyDC, RGB(255, 255, 255));
  SetTextColor(CopyDC, RGB(0, 0, 0));
  BitBlt(CopyDC, 0, 0, SW, SH, MaskDC, 0, 0, 0x00220326 /* DSna */);
  // The destination cleared where the picture goes, then the picture ORed in.
  COLORREF OldText = SetTextColor(Dst, RGB(0, 0, 0));
  COLORREF OldDstBk = SetBkColor(Dst, RGB(255, 255, 255));
  int OldMode = SetStretchBltMode(Dst, COLORONCOLOR);
  StretchBlt(Dst, DstX, DstY, DstW, DstH, MaskDC, 0, 0, SW, SH, SRCAND);
  StretchBlt(Dst, DstX, DstY, DstW, DstH, CopyDC, 0, 0, SW, SH, SRCPAINT);
  SetStretchBltMode(Dst, OldMode);
  SetTextColor(Dst, OldText);
  SetBkColor(Dst, OldDstBk);
  SelectObject(CopyDC, OldCopy);
  DeleteObject(Copy);
  DeleteDC(CopyDC);
  SelectObject(MaskDC, OldMask);
  DeleteObject(Mask);
  DeleteDC(MaskDC);
}

std::unique_ptr<TBitmap> CreateDisabledBitmap(TBitmap* Bitmap, TColor OutlineColor) {
  auto Result = std::make_unique<TBitmap>();
  if (Bitmap == nullptr || Bitmap->Empty()) return Result;
  int W = Bitmap->Width(), H = Bitmap->Height();
  Result->SetPixelFormat(pf24bit);
  Result->SetSize(W, H);
  TCanvas* C = Result->Canvas();
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect(0, 0, W, H));
  HDC Src = Bitmap->Canvas()->Handle();
  COLORREF Back = GetPixel(Src, 0, H - 1) & 0xFFFFFF;
  COLORREF Outline = COLORREF(ColorToRGB(OutlineColor)) & 0xFFFFFF;
  COLORREF Shadow = COLORREF(ColorToRGB(clBtnShadow)), Light = COLORREF(ColorToRGB(clBtnHighlight));
  auto Drawn = [&](int X, int Y) {
    COLORREF P = GetPixel(Src, X, Y) & 0xFFFFFF;
    return OutlineColor == clNone ? P != Back : P == Outline;
  };
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      if (Drawn(X, Y) && X + 1 < W && Y + 1 < H) SetPixel(C->Handle(), X + 1, Y + 1, Light);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      if (Drawn(X, Y)) SetPixel(C->Handle(), X, Y, Shadow);
  return Result;
}

void ImageListDrawDisabled(TImageList* Images, TCanvas* Canvas, int X, int Y, int Index, TColor HighlightColor,
                           TColor GrayColor, bool DrawHighlight) {
  if (Images == nullptr || Index < 0 || Index >= Images->Count()) return;
  int W = Images->Width(), H = Images->Height();
  // The image's mask in black and white: black where the image has pixels.
  TBitmap Mono;
  Mono.SetPixelFormat(pf1bit);
  Mono.SetSize(W, H);
  ImageList_Draw(Images->Handle(), Index, Mono.Canvas()->Handle(), 0, 0, ILD_MASK);
  HDC Dst = Canvas->Handle();
  auto Paint = [&](int PX, int PY, TColor Color) {
    HBRUSH Brush = CreateSolidBrush(COLORREF(ColorToRGB(Color)));
    HGDIOBJ Old = SelectObject(Dst, Brush);
    COLORREF OldText = SetTextColor(Dst, RGB(0, 0, 0));
    COLORREF OldBk = SetBkColor(Dst, RGB(255, 255, 255));
    // Where the mask is black, the brush; elsewhere the destination.
    BitBlt(Dst, PX, PY, W, H, Mono.Canvas()->Handle(), 0, 0, 0x00B8074A /* PSDPxax */);
    SetTextColor(Dst, OldText);
    SetBkColor(Dst, OldBk);
    SelectObject(Dst, Old);
    DeleteObject(Brush);
  };
  if (DrawHighlight) Paint(X + 1, Y + 1, HighlightColor);
  Paint(X, Y, GrayColor);
}

std::unique_ptr<TBitmap> CreateTwoColorsBrushPattern(TColor Color1, TColor Color2) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(8, 8);
  COLORREF C1 = COLORREF(ColorToRGB(Color1)), C2 = COLORREF(ColorToRGB(Color2));
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) SetPixel(B->Canvas()->Handle(), X, Y, (X % 2) == (Y % 2) ? C2 : C1);
  return B;
}

void NotImplemented() {
  if (Application != nullptr) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  MessageDlg("\xD4\xF3\xED\xEA\xF6\xE8\xFF \xED\xE5 \xF0\xE5\xE0\xEB\xE8\xE7\xEE\xE2\xE0\xED\xE0", mtInformation,
             {mbOK}, 0);  // "Функция не реализована"
  Abort();
}

void KillMessage(HWND Wnd, UINT Msg) {
  MSG M;
  M.message = 0;
  if (PeekMessageW(&M, Wnd, Msg, Msg, PM_REMOVE) && M.message == WM_QUIT) PostQuitMessage(int(M.wParam));
}

int PaletteEntries(HPALETTE Palette) {
  WORD Count = 0;
  if (Palette == nullptr || GetObjectW(Palette, sizeof Count, &Count) == 0) return 0;
  return Count;
}

void CenterControl(TControl* Control) {
  if (Control == nullptr) return;
  int X, Y;
  if (dynamic_cast<TCustomForm*>(Control) != nullptr && Control->Parent() == nullptr) {
    X = (GetSystemMetrics(SM_CXSCREEN) - Control->Width()) / 2;
    Y = (GetSystemMetrics(SM_CYSCREEN) - Control->Height()) / 2;
  } else if (Control->Parent() != nullptr) {
    X = (Control->Parent()->ClientWidth() - Control->Width()) / 2;
    Y = (Control->Parent()->ClientHeight() - Control->Height()) / 2;
  } else {
    return;
  }
  Control->SetBounds(std::max(X, 0), std::max(Y, 0), Control->Width(), Control->Height());
}

void CenterWindow(HWND Wnd) {
  RECT R;
  if (!GetWindowRect(Wnd, &R)) return;
  int Width = R.right - R.left, Height = R.bottom - R.top;
  int ScreenWidth = GetSystemMetrics(SM_CXSCREEN), ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  int Left = (ScreenWidth - Width) / 2, Top = (ScreenHeight - Height) / 2;
  if (Left + Width > ScreenWidth) Left = ScreenWidth - Width;
  if (Left < 0) Left = 0;
  if (Top + Height > ScreenHeight) Top = ScreenHeight - Height;
  if (Top < 0) Top = 0;
  SetWindowPos(Wnd, nullptr, Left, Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SwitchToWindow(HWND Wnd, bool Restore) {
  if (!IsWindowEnabled(Wnd)) return;
  SetForegroundWindow(Wnd);
  if (Restore && IsWindowVisible(Wnd)) {
    if (!IsZoomed(Wnd)) SendMessageW(Wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetFocus(Wnd);
  }
}

std::string MinimizeText(const std::string& Text, TCanvas* Canvas, int MaxWidth) {
  return MinimizeText(Text, [Canvas](const std::string& S) { return Canvas->TextWidth(S); }, MaxWidth);
}

void* AllocMemo(long Size) {
  if (Size < 1) return nullptr;
  return std::calloc(std::size_t(Size), 1);
}

void FreeMemo(void*& Ptr) {
  std::free(Ptr);
  Ptr = nullptr;
}

bool CompareMem(const void* P1, const void* P2, std::size_t Length) {
  return Length == 0 || std::memcmp(P1, P2, Length) == 0;
}

bool IsForegroundTask() {
  HWND Active = GetForegroundWindow();
  return Active != nullptr && GetWindowThreadProcessId(Active, nullptr) == GetCurrentThreadId();
}

void Delay(long MSecs) {
  DWORD Start = GetTickCount();
  for (;;) {
    if (Application != nullptr) Application->ProcessMessages();
    DWORD Elapsed = GetTickCount() - Start;
    if (MSecs <= 0 || Elapsed >= static_cast<DWORD>(MSecs)) return;
    // Sleeps until the time is up or a message comes.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(MSecs) - Elapsed, QS_ALLINPUT);
  }
}

UINT IconClipboardFormat() {
  static const UINT Format = RegisterClipboardFormatW(L"Morvane Icon");
  return Format;
}

void RegisterClipboardIconFormat() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  TPicture::RegisterClipboardFormat(IconClipboardFormat(), TIcon::StaticClassInfo());
}

std::unique_ptr<TIcon> CreateIconFromClipboard() {
  UINT Format = IconClipboardFormat();
  if (!IsClipboardFormatAvailable(Format) || !OpenClipboard(nullptr)) return nullptr;
  struct TClose {
    ~TClose() { CloseClipboard(); }
  } Close;
  HANDLE Data = GetClipboardData(Format);
  if (Data == nullptr) return nullptr;
  const void* P = GlobalLock(Data);
  if (P == nullptr) return nullptr;
  TMemoryStream S;
  S.WriteBuffer(P, std::int64_t(GlobalSize(Data)));
  GlobalUnlock(Data);
  S.SetPosition(0);
  auto Icon = std::make_unique<TIcon>();
  Icon->LoadFromStream(&S);
  return Icon;
}
