#include "ui/caption_button.h"

#include <windowsx.h>

#include "classlib/core/exception.h"

namespace {

uint16_t NextHitCode = 666;

}  // namespace

const TClassInfo* TCaptionButton::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCaptionButton, TComponent>("TCaptionButton")
                                     .Prop("Glyph", &TCaptionButton::Glyph, &TCaptionButton::SetGlyph)
                                     .Prop("RightMargin", &TCaptionButton::RightMargin, &TCaptionButton::SetRightMargin)
                                     .Prop("Visible", &TCaptionButton::Visible, &TCaptionButton::SetVisible)
                                     .Prop("OnClick", &TCaptionButton::OnClick)
                                     .Build();
  return &Info;
}

void RegisterCaptionButton() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TCaptionButton>();
}

TCaptionButton::TCaptionButton(TComponent* AOwner)
    : TComponent(AOwner), FForm(dynamic_cast<TCustomForm*>(AOwner)), FGlyph(std::make_unique<TBitmap>()) {
  if (FForm == nullptr) throw EComponentError("Owner should be a form");
  FHitCode = NextHitCode++;
  FForm->HandleNeeded();
  FHook = new TRxWindowHook(this);
  FHook->AfterMessage = [this](TObject*, TMessage& M, bool&) { AfterMessage(M); };
  FHook->SetWinControl(FForm);
}

TCaptionButton::~TCaptionButton() {
  if (!FWindowGone && FForm->HandleAllocated()) {
    SetVisible(false);
    if (FCaptured && GetCapture() == FForm->Handle()) ReleaseCapture();
  }
  FHook->SetWinControl(nullptr);
}

void TCaptionButton::SetGlyph(TBitmap* Value) {
  if (Value == FGlyph.get()) return;
  FGlyph->Assign(Value);
  RepaintCaption();
}

void TCaptionButton::SetRightMargin(int Value) {
  if (Value == FRightMargin) return;
  FRightMargin = Value;
  RepaintCaption();
}

void TCaptionButton::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  RepaintCaption();
}

void TCaptionButton::RepaintCaption() {
  // The caption is repainted in the state it has: "inactive" on an active window would grey
  // its title until the next activation.
  if (FWindowGone || !FForm->HandleAllocated()) return;
  HWND Wnd = FForm->Handle();
  SendMessageW(Wnd, WM_NCACTIVATE, GetActiveWindow() == Wnd, 0);
}

void TCaptionButton::AfterMessage(TMessage& M) {
  HWND Wnd = FForm->Handle();
  if (M.Msg == WM_DESTROY) {
    FWindowGone = true;
    FCaptured = false;
    FDown = false;
    return;
  }
  FWindowGone = false;  // a new window of the form, hooked again
  if (!FVisible) return;
  switch (M.Msg) {
    case WM_NCPAINT:
    case WM_NCACTIVATE:
      Draw(false);
      break;
    case WM_NCHITTEST:
      if (M.Result == HTCAPTION) {
        // Signed: left of or above the primary monitor coordinates are negative.
        POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        ScreenToClient(Wnd, &P);
        if (P.x > FRect.left && P.x < FRect.right) {
          if (!FDown && FCaptured) Draw(true);
          M.Result = FHitCode;
          return;
        }
      }
      if (FDown) Draw(false);
      break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (M.WParam == FHitCode) {
        if (!FDown) Draw(true);
        if (!FCaptured) {
          FCaptured = true;
          SetCapture(Wnd);
        }
      } else {
        if (FDown) Draw(false);
        if (FCaptured) {
          FCaptured = false;
          ReleaseCapture();
        }
      }
      break;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
      if (FCaptured) {
        FCaptured = false;
        ReleaseCapture();
        if (FDown && OnClick) OnClick(this);
      }
      if (FDown) Draw(false);
      break;
  }
}

void TCaptionButton::Draw(bool Down) {
  FDown = Down;
  if (!FVisible || FWindowGone || !FForm->HandleAllocated()) return;
  HWND Wnd = FForm->Handle();
  HDC DC = GetWindowDC(Wnd);
  if (DC == nullptr) return;
  RECT W;
  GetWindowRect(Wnd, &W);
  int Width = W.right - W.left;
  int T;
  bool Tool = false;
  switch (FForm->BorderStyle()) {
    case bsSingle: T = 1 + GetSystemMetrics(SM_CYFRAME); break;
    case bsDialog: T = 4 + GetSystemMetrics(SM_CYBORDER); break;
    case bsToolWindow: T = 4 + GetSystemMetrics(SM_CYBORDER); Tool = true; break;
    case bsSizeToolWin: T = 2 + GetSystemMetrics(SM_CYFRAME); Tool = true; break;
    default: T = 2 + GetSystemMetrics(SM_CYFRAME); break;
  }
  int X = Width - FRightMargin - T;
  int H = GetSystemMetrics(Tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 8;
  int B = GetSystemMetrics(Tool ? SM_CXSMSIZE : SM_CXSIZE) - 5;
  // The hit test compares client x with this rectangle, as measured from the window's
  // left edge less the frame.
  FRect = RECT{X - T, T, X - T + B + 3, H + 2};
  int Y = T;
  auto Line = [DC](COLORREF C, POINT A, POINT Bp, POINT Cp) {
    HPEN Pen = CreatePen(PS_SOLID, 1, C);
    HGDIOBJ Old = SelectObject(DC, Pen);
    POINT Pts[3] = {A, Bp, Cp};
    Polyline(DC, Pts, 3);
    SelectObject(DC, Old);
    DeleteObject(Pen);
  };
  int D;
  if (!Down) {
    Line(RGB(255, 255, 255), {X, Y + H + 1}, {X, Y}, {X + B + 3, Y});
    Line(RGB(0, 0, 0), {X, Y + H + 2}, {X + B + 2, Y + H + 2}, {X + B + 2, Y - 1});
    Line(RGB(128, 128, 128), {X + B + 1, Y + 1}, {X + B + 1, Y + H + 1}, {X, Y + H + 1});
    D = 1;
  } else {
    Line(RGB(0, 0, 0), {X, Y + H + 1}, {X, Y}, {X + B + 3, Y});
    Line(RGB(255, 255, 255), {X, Y + H + 2}, {X + B + 2, Y + H + 2}, {X + B + 2, Y - 1});
    Line(RGB(128, 128, 128), {X + B, Y + 1}, {X + 1, Y + 1}, {X + 1, Y + H + 1});
    Line(RGB(192, 192, 192), {X + B + 1, Y + 1}, {X + B + 1, Y + H + 1}, {X, Y + H + 1});
    D = 2;
  }
  if (!FGlyph->Empty()) {
    int OldMode = SetStretchBltMode(DC, COLORONCOLOR);
    StretchBlt(DC, X + D, T + D, B, H, FGlyph->Canvas()->Handle(), 0, 0, FGlyph->Width(), FGlyph->Height(), SRCCOPY);
    SetStretchBltMode(DC, OldMode);
  }
  ReleaseDC(Wnd, DC);
}
