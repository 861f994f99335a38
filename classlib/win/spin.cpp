#include "classlib/win/spin.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"

const TClassInfo* TSpinEdit::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TSpinEdit, TCustomEdit>("TSpinEdit")
                                     .Prop("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue)
                                     .Prop("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue)
                                     .Prop("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement)
                                     .Prop("Value", &TSpinEdit::Value, &TSpinEdit::SetValue)
                                     .Prop("OnChange", &TSpinEdit::OnChange)
                                     .Build();
  return &Info;
}

void RegisterSpinEdit() {
  static const bool Done = (RegisterClass(TSpinEdit::StaticClassInfo()), true);
  (void)Done;
}

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 121, 22);
  SetText("0");
}

int TSpinEdit::Clamp(int V) const {
  // MaxValue below MinValue means no upper limit, as 0..0 means none at all.
  if (FMaxValue > FMinValue || (FMaxValue == FMinValue && FMaxValue != 0)) return std::clamp(V, FMinValue, FMaxValue);
  return FMinValue == 0 && FMaxValue == 0 ? V : std::max(V, FMinValue);
}

void TSpinEdit::SetMinValue(int Value) {
  FMinValue = Value;
  SetValue(this->Value());
}

void TSpinEdit::SetMaxValue(int Value) {
  FMaxValue = Value;
  SetValue(this->Value());
}

int TSpinEdit::Value() const {
  int V;
  if (!TryStrToInt(Trim(Text()), V)) V = FMinValue;
  return Clamp(V);
}

void TSpinEdit::SetValue(int Value) {
  const std::string S = IntToStr(Clamp(Value));
  if (S != Text()) SetText(S);
}

void TSpinEdit::Step(int Steps) {
  if (ReadOnly()) return;
  SetValue(Value() + Steps * FIncrement);
  SelectAll();
}

void TSpinEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TSpinEdit::InitWnd() {
  TCustomEdit::InitWnd();
  // The arrows are a child of the edit; their notifications come here. Their own position
  // stays 0: each click is taken as one step.
  FButtons = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS, 0, 0, 0, 0, FHandle,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (FButtons) {
    SendMessageW(FButtons, UDM_SETRANGE32, WPARAM(-1000), LPARAM(1000));
    SendMessageW(FButtons, UDM_SETPOS32, 0, 0);
  }
  PlaceButtons();
}

void TSpinEdit::DestroyWnd() {
  FButtons = nullptr;  // goes with the edit's window
  TCustomEdit::DestroyWnd();
}

void TSpinEdit::PlaceButtons() {
  if (!FButtons) return;
  RECT R;
  GetClientRect(FHandle, &R);
  const int W = std::min<int>(GetSystemMetrics(SM_CXVSCROLL), R.right / 2);
  MoveWindow(FButtons, R.right - W, 0, W, R.bottom, TRUE);
  SendMessageW(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, W + 1));
}

bool TSpinEdit::WantsKey(uint16_t Key) { return Key == VK_UP || Key == VK_DOWN || TCustomEdit::WantsKey(Key); }

void TSpinEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    Step(Key == VK_UP ? 1 : -1);
    Key = 0;
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

void TSpinEdit::DoExit() {
  SetValue(Value());  // what was typed, held within the limits
  TCustomEdit::DoExit();
}

void TSpinEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NOTIFY: {
      const NMHDR* H = reinterpret_cast<const NMHDR*>(Message.LParam);
      if (H && H->hwndFrom == FButtons && H->code == UDN_DELTAPOS) {
        Step(reinterpret_cast<const NMUPDOWN*>(H)->iDelta > 0 ? 1 : -1);
        Message.Result = 1;  // the arrows keep their own position
        return;
      }
      break;
    }
    case WM_VSCROLL:
      if (HWND(Message.LParam) == FButtons) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_MOUSEWHEEL:
      Step(GET_WHEEL_DELTA_WPARAM(Message.WParam) > 0 ? 1 : -1);
      Message.Result = 0;
      return;
    case WM_SIZE:
      TCustomEdit::WndProc(Message);
      PlaceButtons();
      return;
  }
  TCustomEdit::WndProc(Message);
}
