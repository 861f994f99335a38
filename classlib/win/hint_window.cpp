#include "classlib/win/hint_window.h"

#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

const TClassInfo* THintWindow::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<THintWindow, TCustomControl>("THintWindow").Build();
  return &Info;
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(Application != nullptr ? Application->HintColor() : clInfoBk);
  Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  // Owned by the application's window, so that it never shows on the task bar.
  Params.WndParent = Application != nullptr ? Application->Handle() : nullptr;
  Params.ClassStyle |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void*) {
  RECT R{0, 0, MaxWidth, 0};
  std::wstring W = ToWide(AHint);
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  DrawTextW(DC, W.c_str(), int(W.size()), &R, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  // Room for the border and a pixel or two of margin round the text.
  return TRect(0, 0, R.right + 6, R.bottom + 2);
}

void THintWindow::ActivateHint(const TRect& Rect, const std::string& AHint) {
  SetCaption(AHint);
  TRect R = Rect;
  // Kept on the screen.
  int SW = GetSystemMetrics(SM_CXSCREEN), SH = GetSystemMetrics(SM_CYSCREEN);
  if (R.Right > SW) {
    R.Left -= R.Right - SW;
    R.Right = SW;
  }
  if (R.Bottom > SH) {
    R.Top -= R.Bottom - SH;
    R.Bottom = SH;
  }
  if (R.Left < 0) R.Right -= R.Left, R.Left = 0;
  if (R.Top < 0) R.Bottom -= R.Top, R.Top = 0;
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
  SetWindowPos(Handle(), HWND_TOPMOST, R.Left, R.Top, R.Width(), R.Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Invalidate();
}

void THintWindow::ActivateHintData(const TRect& Rect, const std::string& AHint, void*) { ActivateHint(Rect, AHint); }

void THintWindow::ReleaseHint() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

bool THintWindow::Showing() const { return FHandle != nullptr && IsWindowVisible(FHandle); }

void THintWindow::Paint() {
  TRect R = ClientRect();
  R.Left += 2;
  R.Top += 2;
  std::wstring W = ToWide(Caption());
  HDC DC = Canvas()->Handle();
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(Font()->Color()));
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  RECT RR = R;
  DrawTextW(DC, W.c_str(), int(W.size()), &RR, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(DC, Old);
}

void THintWindow::WndProc(TMessage& M) {
  // The mouse goes through to what lies below, so that a hint never takes a click.
  if (M.Msg == WM_NCHITTEST) {
    M.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::WndProc(M);
}
