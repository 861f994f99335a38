#include "classlib/win/check_list_box.h"

#include <windowsx.h>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

const TClassInfo* TCheckListBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCheckListBox, TListBox>("TCheckListBox").Build();
  return &Info;
}

void RegisterCheckListBox() {
  static const bool Done = (RegisterClass(TCheckListBox::StaticClassInfo()), true);
  (void)Done;
}

bool TCheckListBox::Checked(int Index) const {
  return Index >= 0 && Index < int(FChecked.size()) && FChecked[size_t(Index)];
}

void TCheckListBox::SetChecked(int Index, bool Value) {
  if (Index < 0 || Index >= Items()->Count()) return;
  if (int(FChecked.size()) <= Index) FChecked.resize(size_t(Index) + 1, false);
  if (FChecked[size_t(Index)] == Value) return;
  FChecked[size_t(Index)] = Value;
  if (!HandleAllocated()) return;
  RECT R;
  if (SendMessageW(FHandle, LB_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&R)) != LB_ERR)
    InvalidateRect(FHandle, &R, FALSE);
}

void TCheckListBox::CreateParams(TCreateParams& P) {
  TListBox::CreateParams(P);
  P.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
}

// Lines that went away take their marks with them; new ones come unmarked.
void TCheckListBox::ItemsChanged() { FChecked.resize(size_t(Items()->Count()), false); }

int TCheckListBox::CheckWidth() {
  int H = HandleAllocated() ? int(SendMessageW(FHandle, LB_GETITEMHEIGHT, 0, 0)) : 16;
  return H > 0 ? H + 2 : 18;
}

void TCheckListBox::Toggle(int Index) {
  if (Index < 0 || Index >= Items()->Count()) return;
  SetChecked(Index, !Checked(Index));
  if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& D) {
  if (D.itemID == UINT(-1)) return;
  const int Index = int(D.itemID);
  const bool Selected = (D.itemState & ODS_SELECTED) != 0;
  RECT Box = D.rcItem;
  Box.right = Box.left + (Box.bottom - Box.top);
  RECT Text = D.rcItem;
  Text.left = Box.right + 2;
  FillRect(D.hDC, &D.rcItem, GetSysColorBrush(COLOR_WINDOW));
  RECT Mark = Box;
  InflateRect(&Mark, -1, -1);
  DrawFrameControl(D.hDC, &Mark, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (Checked(Index) ? DFCS_CHECKED : 0));
  FillRect(D.hDC, &Text, GetSysColorBrush(Selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(D.hDC, TRANSPARENT);
  SetTextColor(D.hDC, GetSysColor(Selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ Old = SelectObject(D.hDC, FontHandle(*Font()));
  RECT T = Text;
  T.left += 2;
  std::wstring S = ToWide(Index < Items()->Count() ? Items()->Strings(Index) : std::string());
  DrawTextW(D.hDC, S.c_str(), int(S.size()), &T, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(D.hDC, Old);
  if ((D.itemState & ODS_FOCUS) != 0) DrawFocusRect(D.hDC, &Text);
}

void TCheckListBox::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam));
      M.Result = TRUE;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TListBox::WndProc(M);
      const int X = GET_X_LPARAM(M.LParam), Y = GET_Y_LPARAM(M.LParam);
      LRESULT Hit = SendMessageW(FHandle, LB_ITEMFROMPOINT, 0, MAKELPARAM(X, Y));
      if (HIWORD(Hit) == 0 && X < CheckWidth()) Toggle(LOWORD(Hit));
      return;
    }
    case WM_CHAR:
      if (M.WParam == ' ') {
        Toggle(ItemIndex());
        M.Result = 0;
        return;
      }
      break;
  }
  TListBox::WndProc(M);
}
