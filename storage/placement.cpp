#include "storage/placement.h"

#include <windows.h>

#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/registry.h"

namespace {

std::string ExecutableName() {
  std::wstring Buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD N = GetModuleFileNameW(nullptr, Buf.data(), static_cast<DWORD>(Buf.size()));
    if (N < Buf.size()) {
      Buf.resize(N);
      break;
    }
    Buf.resize(Buf.size() * 2);
  }
  return Utf16ToCp1251(std::u16string(Buf.begin(), Buf.end()));
}

TPlacementScreen CurrentScreen() {
  TPlacementScreen S;
  S.Width = GetSystemMetrics(SM_CXSCREEN);
  S.Height = GetSystemMetrics(SM_CYSCREEN);
  HDC DC = GetDC(nullptr);
  S.PixelsPerInch = GetDeviceCaps(DC, LOGPIXELSY);
  ReleaseDC(nullptr, DC);
  return S;
}

bool IsMainForm(TCustomForm* Form) { return Application != nullptr && Application->MainForm() == Form; }

}  // namespace

std::string GetDefaultSection(TComponent* Component) {
  if (Component == nullptr) return {};
  if (dynamic_cast<TCustomForm*>(Component) != nullptr) return Component->ClassName();
  if (auto* Control = dynamic_cast<TControl*>(Component)) {
    if (TCustomForm* Form = GetParentForm(Control)) return Form->ClassName() + Control->Name();
    if (Control->Parent() != nullptr) return Control->Parent()->Name() + Control->Name();
  } else if (auto* Form = dynamic_cast<TCustomForm*>(Component->Owner())) {
    return Format("%s.%s", {Form->ClassName(), Component->Name()});
  }
  return Component->Name();
}

std::string GetDefaultIniName() { return ChangeFileExt(ExecutableName(), ".INI"); }

std::string GetDefaultIniRegKey() { return "Software\\" + ChangeFileExt(ExtractFileName(ExecutableName()), ""); }

void WriteFormPlacement(TCustomForm* Form, TCustomIniFile* IniFile, const std::string& Section) {
  if (Form == nullptr || IniFile == nullptr) return;
  WINDOWPLACEMENT P{};
  P.length = sizeof P;
  GetWindowPlacement(Form->Handle(), &P);
  if (IsMainForm(Form) && IsIconic(Application->Handle()))
    P.showCmd = SW_SHOWMINIMIZED;
  if (Form->FormStyle() == fsMDIChild && Form->WindowState() == wsMinimized) P.flags |= WPF_SETMINPOSITION;
  TPlacementRecord R;
  R.Flags = static_cast<int>(P.flags);
  R.ShowCmd = static_cast<int>(P.showCmd);
  R.MinPosition = {P.ptMinPosition.x, P.ptMinPosition.y};
  R.MaxPosition = {P.ptMaxPosition.x, P.ptMaxPosition.y};
  R.NormalPosition = {P.rcNormalPosition.left, P.rcNormalPosition.top, P.rcNormalPosition.right,
                      P.rcNormalPosition.bottom};
  WritePlacementRecord(IniFile, Section, R, CurrentScreen());
}

void WriteFormPlacementReg(TCustomForm* Form, TRegIniFile* IniFile, const std::string& Section) {
  WriteFormPlacement(Form, IniFile, Section);
}

void WriteFormPlacementIni(TCustomForm* Form, TIniFile* IniFile, const std::string& Section) {
  WriteFormPlacement(Form, IniFile, Section);
}

void ReadFormPlacement(TCustomForm* Form, TCustomIniFile* IniFile, const std::string& Section, bool LoadState,
                       bool LoadPosition) {
  if (Form == nullptr || IniFile == nullptr || (!LoadState && !LoadPosition)) return;
  HWND Wnd = Form->Handle();
  WINDOWPLACEMENT P{};
  P.length = sizeof P;
  GetWindowPlacement(Wnd, &P);
  if (!IsWindowVisible(Wnd)) P.showCmd = SW_HIDE;
  if (LoadPosition) {
    TPlacementRecord R;
    R.Flags = static_cast<int>(P.flags);
    R.MinPosition = {P.ptMinPosition.x, P.ptMinPosition.y};
    R.MaxPosition = {P.ptMaxPosition.x, P.ptMaxPosition.y};
    R.NormalPosition = {P.rcNormalPosition.left, P.rcNormalPosition.top, P.rcNormalPosition.right,
                        P.rcNormalPosition.bottom};
    TPlacementRect Bounds{Form->Left(), Form->Top(), Form->Left() + Form->Width(), Form->Top() + Form->Height()};
    if (ReadPlacementPosition(IniFile, Section, R, Bounds, CurrentScreen())) {
      // A form the user cannot size keeps its designed size wherever it is put.
      if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin)
        R.NormalPosition = {R.NormalPosition.Left, R.NormalPosition.Top, R.NormalPosition.Left + Form->Width(),
                            R.NormalPosition.Top + Form->Height()};
      if (R.NormalPosition.Right > R.NormalPosition.Left) {
        if (Form->Position() == poScreenCenter) Form->SetPosition(poDesigned);
        P.flags = static_cast<UINT>(R.Flags);
        P.ptMinPosition = {R.MinPosition.X, R.MinPosition.Y};
        P.ptMaxPosition = {R.MaxPosition.X, R.MaxPosition.Y};
        P.rcNormalPosition = {R.NormalPosition.Left, R.NormalPosition.Top, R.NormalPosition.Right,
                              R.NormalPosition.Bottom};
        SetWindowPlacement(Wnd, &P);
      }
    }
  }
  if (LoadState) {
    // Nothing stored yet (a first start): a form designed maximised starts maximised.
    TWindowState State = Form->WindowState() == wsMaximized ? wsMaximized : wsNormal;
    if (IsMainForm(Form) &&
        (Form->FormStyle() == fsMDIForm || (Form->FormStyle() == fsNormal && Form->Position() == poDefault)))
      State = wsMaximized;
    switch (IniReadInteger(IniFile, Section, siShowCmd, 0)) {
      case SW_SHOWNORMAL: case SW_SHOW: case SW_RESTORE: State = wsNormal; break;
      case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE: State = wsMinimized; break;
      case SW_SHOWMAXIMIZED: State = wsMaximized; break;
      default: break;
    }
    if (State == wsMinimized && IsMainForm(Form)) {
      // The main form starts normal and is minimised once the program runs; the main
      // form's window stands for the application here.
      Form->SetWindowState(wsNormal);
      PostMessageW(Wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return;
    }
    Form->SetWindowState(State);
  }
  Form->Invalidate();
}

void ReadFormPlacementReg(TCustomForm* Form, TRegIniFile* IniFile, const std::string& Section, bool LoadState,
                          bool LoadPosition) {
  ReadFormPlacement(Form, IniFile, Section, LoadState, LoadPosition);
}

void ReadFormPlacementIni(TCustomForm* Form, TIniFile* IniFile, const std::string& Section, bool LoadState,
                          bool LoadPosition) {
  ReadFormPlacement(Form, IniFile, Section, LoadState, LoadPosition);
}
