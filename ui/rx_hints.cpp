#include "ui/rx_hints.h"

#include <algorithm>

#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"
#include "ui/vcl_utils.h"

namespace {

THintStyle GStyle;

UINT AlignFlag() {
  switch (GStyle.Alignment) {
    case 1: return DT_RIGHT;
    case 2: return DT_CENTER;
    default: return DT_LEFT;
  }
}

bool Shaped() { return GStyle.Style != 0 || GStyle.ShadowSize > 0 || GStyle.Tail; }

}  // namespace

const THintStyle& HintStyle() { return GStyle; }

void RegisterHintWindow(THintWindowClass AClass) {
  if (Application != nullptr) Application->SetHintWindowClass(std::move(AClass));
}

void SetHintStyle(int Style, int ShadowSize, bool Tail, int Alignment) {
  GStyle.Style = std::clamp(Style, 0, 2);
  GStyle.ShadowSize = std::clamp(ShadowSize, 0, 255);
  GStyle.Tail = Tail;
  GStyle.Alignment = std::clamp(Alignment, 0, 2);
  RegisterHintWindow([] { return std::make_unique<TRxHintWindow>(nullptr); });
}

const TClassInfo* TRxHintWindow::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TRxHintWindow, THintWindow>("TRxHintWindow").Build();
  return &Info;
}

TRxHintWindow::TRxHintWindow(TComponent* AOwner)
    : THintWindow(AOwner), FBackground(std::make_unique<TBitmap>()), FDrawing(std::make_unique<TBitmap>()) {
  NONCLIENTMETRICSW M{};
  M.cbSize = sizeof M;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof M, &M, 0)) {
    LogFontToFont(M.lfStatusFont, *Font());
  } else {
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
  }
  Font()->SetColor(clInfoText);
}

void TRxHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
}

TRect TRxHintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*) {
  RECT R{0, 0, MaxWidth, 0};
  std::wstring W = ToWide(AHint);
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  DrawTextW(DC, W.c_str(), int(W.size()), &R, AlignFlag() | DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  FGeometry = CalcHintGeometry(R.right - R.left, R.bottom - R.top, GStyle);
  return TRect(0, 0, FGeometry.Window.Width(), FGeometry.Window.Height());
}

void TRxHintWindow::ActivateHint(const TRect& Rect, const std::string& AHint) {
  SetCaption(AHint);
  POINT Cur;
  GetCursorPos(&Cur);
  FTailPosition = 2;
  int SW = GetSystemMetrics(SM_CXSCREEN), SH = GetSystemMetrics(SM_CYSCREEN);
  TRect Size = CalcHintRect(SW, AHint, nullptr);
  THintPlacement P =
      PlaceHint(Rect.Left, Rect.Top, Size.Width(), Size.Height(), Cur.x, Cur.y, SW, SH, GStyle, FGeometry);
  FTailPosition = P.TailPosition;
  HWND Wnd = Handle();
  if (Shaped()) {
    if (IsWindowVisible(Wnd)) {
      // Out of the way first, so that the screen copy below shows no old hint.
      SetWindowPos(Wnd, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
      if (TCustomForm* F = Screen != nullptr ? Screen->ActiveForm() : nullptr)
        if (F->HandleAllocated()) UpdateWindow(F->Handle());
    }
    FBackground->SetPixelFormat(pfDevice);
    FBackground->SetSize(Size.Width(), Size.Height());
    HDC ScreenDC = GetDC(nullptr);
    BitBlt(FBackground->Canvas()->Handle(), 0, 0, Size.Width(), Size.Height(), ScreenDC, P.Left, P.Top, SRCCOPY);
    ReleaseDC(nullptr, ScreenDC);
  }
  SetBounds(P.Left, P.Top, Size.Width(), Size.Height());
  SetWindowPos(Wnd, HWND_TOPMOST, P.Left, P.Top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Invalidate();
}

HRGN TRxHintWindow::CreateOutlineRegion(bool Shadow) const {
  const int S = Shadow ? GStyle.ShadowSize : 0;
  THintRect B = FGeometry.Body;
  B.Left += S, B.Right += S, B.Top += S, B.Bottom += S;
  HRGN Outline = GStyle.Style == 1   ? CreateRoundRectRgn(B.Left, B.Top, B.Right, B.Bottom, FGeometry.Corner,
                                                          FGeometry.Corner)
                 : GStyle.Style == 2 ? CreateEllipticRgn(B.Left, B.Top, B.Right, B.Bottom)
                                     : CreateRectRgn(B.Left, B.Top, B.Right, B.Bottom);
  if (!GStyle.Tail) return Outline;
  THintRect T = FGeometry.Text;
  T.Left += S, T.Right += S, T.Top += S, T.Bottom += S;
  const int W = Width(), H = Height();
  const int Pos = FTailPosition;
  const int X0 = (Pos == 0 || Pos == 2) ? 0 : W + S;
  const int Half = T.Width() / 2, Q = std::min(T.Width(), T.Height()) / 4;
  const int D = std::min(std::max(8, Q), Half);
  POINT Pts[3];
  const bool Bottom = Pos == 0 || Pos == 1;
  const bool Left = Pos == 0 || Pos == 2;
  Pts[0] = POINT{X0, Bottom ? H - GStyle.ShadowSize : 0};
  const int BaseY = Bottom ? T.Bottom : T.Top;
  Pts[1] = POINT{Left ? T.Left + D / 4 : T.Right - D / 4, BaseY};
  Pts[2] = POINT{Left ? T.Left + 2 * D : T.Right - 2 * D, BaseY};
  HRGN Tail = CreatePolygonRgn(Pts, 3, WINDING);
  HRGN Result = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(Result, Outline, Tail, RGN_OR);
  DeleteObject(Outline);
  DeleteObject(Tail);
  return Result;
}

void TRxHintWindow::Paint() {
  const int W = Width(), H = Height();
  FDrawing->SetPixelFormat(pfDevice);
  FDrawing->SetSize(W, H);
  HDC DC = FDrawing->Canvas()->Handle();
  if (Shaped() && !FBackground->Empty()) {
    BitBlt(DC, 0, 0, W, H, FBackground->Canvas()->Handle(), 0, 0, SRCCOPY);
  } else {
    RECT All{0, 0, W, H};
    FillRect(DC, &All, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (GStyle.ShadowSize > 0) {
    HRGN Shadow = CreateOutlineRegion(true);
    std::unique_ptr<TBitmap> Pattern = CreateTwoColorsBrushPattern(clBtnFace, clBtnShadow);
    HBRUSH B = CreatePatternBrush(Pattern->Handle());
    FillRgn(DC, Shadow, B);
    DeleteObject(B);
    DeleteObject(Shadow);
  }
  HRGN Plain = CreateOutlineRegion(false);
  HBRUSH Fill = CreateSolidBrush(COLORREF(ColorToRGB(Color())));
  FillRgn(DC, Plain, Fill);
  DeleteObject(Fill);
  if (GStyle.Style != 0 || GStyle.Tail) {
    HBRUSH Frame = CreateSolidBrush(COLORREF(ColorToRGB(Font()->Color())));
    FrameRgn(DC, Plain, Frame, 1, 1);
    DeleteObject(Frame);
  } else {
    RECT Body{FGeometry.Body.Left, FGeometry.Body.Top, FGeometry.Body.Right, FGeometry.Body.Bottom};
    DrawEdge(DC, &Body, BDR_RAISEDOUTER, BF_RECT);
  }
  DeleteObject(Plain);

  RECT T{FGeometry.Text.Left, FGeometry.Text.Top, FGeometry.Text.Right, FGeometry.Text.Bottom};
  if (GStyle.Alignment == 0) T.left += 2;
  std::wstring Text = ToWide(Caption());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, COLORREF(ColorToRGB(Font()->Color())));
  HGDIOBJ OldFont = SelectObject(DC, FontHandle(*Font()));
  DrawTextW(DC, Text.c_str(), int(Text.size()), &T, AlignFlag() | DT_NOPREFIX | DT_WORDBREAK);
  SelectObject(DC, OldFont);
  BitBlt(Canvas()->Handle(), 0, 0, W, H, DC, 0, 0, SRCCOPY);
}

void TRxHintWindow::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:  // Paint covers every pixel
      M.Result = 1;
      return;
    case WM_NCPAINT:
      M.Result = 0;
      return;
    default:
      THintWindow::WndProc(M);
  }
}
