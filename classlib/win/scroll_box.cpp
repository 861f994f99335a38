#include "classlib/win/scroll_box.h"

#include <algorithm>

#include "classlib/core/typinfo.h"

const TClassInfo* TScrollBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TScrollBox, TWinControl>("TScrollBox").Build();
  return &Info;
}

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner) {
  FColor = clWindow;
  SetBounds(0, 0, 185, 41);
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;
  Params.WinClassName = L"TScrollBox";
}

void TScrollBox::InitWnd() { UpdateRange(); }

void TScrollBox::ChildBoundsChanged(TControl*) {
  if (!FUpdating) UpdateRange();
}

void TScrollBox::Resize() {
  TWinControl::Resize();
  UpdateRange();
}

void TScrollBox::UpdateRange() {
  // Scroll bars that come or go resize the client area, which asks again.
  if (FUpdating) return;
  int Right = 0, Bottom = 0;
  for (TControl* C : FControls) {
    if (!C->Visible()) continue;
    Right = std::max(Right, C->Left() + C->Width() + FPos[0]);
    Bottom = std::max(Bottom, C->Top() + C->Height() + FPos[1]);
  }
  FRange[0] = Right;
  FRange[1] = Bottom;
  FUpdating = true;
  UpdateBars();
  FUpdating = false;
  ScrollTo(FPos[0], FPos[1]);  // a smaller content may leave the view past its end
}

void TScrollBox::UpdateBars() {
  if (!HandleAllocated()) return;
  const TRect Client = ClientRect();
  const int Page[2] = {Client.Width(), Client.Height()};
  for (int Bar = 0; Bar < 2; ++Bar) {
    SCROLLINFO SI{};
    SI.cbSize = sizeof SI;
    SI.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    SI.nMin = 0;
    SI.nMax = FRange[Bar] > Page[Bar] ? FRange[Bar] - 1 : 0;
    SI.nPage = FRange[Bar] > Page[Bar] ? UINT(Page[Bar]) : 0;
    SI.nPos = FPos[Bar];
    SetScrollInfo(FHandle, Bar == 0 ? SB_HORZ : SB_VERT, &SI, TRUE);
  }
}

void TScrollBox::ScrollTo(int X, int Y) {
  const TRect Client = HandleAllocated() ? ClientRect() : TRect(0, 0, Width(), Height());
  const int Want[2] = {X, Y};
  const int Page[2] = {Client.Width(), Client.Height()};
  int Delta[2];
  for (int Bar = 0; Bar < 2; ++Bar) {
    const int Pos = std::clamp(Want[Bar], 0, std::max(0, FRange[Bar] - Page[Bar]));
    Delta[Bar] = FPos[Bar] - Pos;
    FPos[Bar] = Pos;
  }
  if (Delta[0] == 0 && Delta[1] == 0) return;
  FUpdating = true;
  for (TControl* C : FControls) C->SetBounds(C->Left() + Delta[0], C->Top() + Delta[1], C->Width(), C->Height());
  FUpdating = false;
  if (HandleAllocated()) {
    SetScrollPos(FHandle, SB_HORZ, FPos[0], TRUE);
    SetScrollPos(FHandle, SB_VERT, FPos[1], TRUE);
    Invalidate();
  }
}

void TScrollBox::Scroll(int Bar, WPARAM Code) {
  SCROLLINFO SI{};
  SI.cbSize = sizeof SI;
  SI.fMask = SIF_ALL;
  GetScrollInfo(FHandle, Bar == 0 ? SB_HORZ : SB_VERT, &SI);
  const int Line = 16, Page = std::max<int>(1, SI.nPage);
  int Pos = FPos[Bar];
  switch (LOWORD(Code)) {
    case SB_LINEUP: Pos -= Line; break;
    case SB_LINEDOWN: Pos += Line; break;
    case SB_PAGEUP: Pos -= Page; break;
    case SB_PAGEDOWN: Pos += Page; break;
    case SB_THUMBTRACK:  // the content follows the thumb while it is dragged
    case SB_THUMBPOSITION: Pos = SI.nTrackPos; break;
    case SB_TOP: Pos = 0; break;
    case SB_BOTTOM: Pos = FRange[Bar]; break;
    default: return;
  }
  Bar == 0 ? ScrollTo(Pos, FPos[1]) : ScrollTo(FPos[0], Pos);
}

void TScrollBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL:
      Scroll(0, Message.WParam);
      Message.Result = 0;
      return;
    case WM_VSCROLL:
      Scroll(1, Message.WParam);
      Message.Result = 0;
      return;
  }
  TWinControl::WndProc(Message);
}
