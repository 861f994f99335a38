#include "classlib/win/dialogs.h"

#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/utility_window.h"
#include "classlib/win/wide_string.h"

std::function<void(int HelpContext)> HelpContextProc;

template <>
const TTypeInfo* TypeInfoOf<TMsgDlgType>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TMsgDlgType", {"mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TMsgDlgBtn>() {
  static const TTypeInfo Info = EnumTypeInfo("TMsgDlgBtn", {"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry",
                                                            "mbIgnore", "mbAll", "mbNoToAll", "mbYesToAll", "mbHelp"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TSelectDirOpt>() {
  static const TTypeInfo Info = EnumTypeInfo("TSelectDirOpt", {"sdAllowCreate", "sdPerformCreate", "sdPrompt"});
  return &Info;
}

namespace {

// ---------------------------------------------------------------------------------------
// Message dialogs and input boxes: an empty dialog template whose controls are made and
// laid out when the dialog starts, sized to the text in the dialog's font.

const int HelpButtonId = 100;
const int PromptEditId = 101;

struct TDialogState {
  std::wstring Caption;
  std::wstring Text;
  LPCWSTR Icon = nullptr;  // a system icon, or none
  std::vector<std::pair<int, std::wstring>> Buttons;
  int DefaultId = IDOK;
  int CancelResult = IDCANCEL;
  int HelpCtx = 0;
  bool Input = false;  // an edit box under the text
  std::wstring Value;
};

std::string ProgramTitle() {
  if (Application != nullptr && !Application->Title().empty()) return Application->Title();
  wchar_t Path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, Path, MAX_PATH);
  return ChangeFileExt(ExtractFileName(FromWideBuf(Path, MAX_PATH)), "");
}

HWND ActiveOwner() {
  HWND W = GetActiveWindow();
  if (W == nullptr && Application != nullptr) W = Application->Handle();
  return W;
}

HWND MakeControl(HWND Dlg, const wchar_t* Class, const std::wstring& Text, DWORD Style, int Id, int X, int Y, int W,
                 int H, HFONT Font, DWORD ExStyle = 0) {
  HWND C = CreateWindowExW(ExStyle, Class, Text.c_str(), WS_CHILD | WS_VISIBLE | Style, X, Y, W, H, Dlg,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(C, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  return C;
}

void Layout(HWND Dlg, TDialogState& S) {
  HFONT Font = reinterpret_cast<HFONT>(SendMessageW(Dlg, WM_GETFONT, 0, 0));
  HDC DC = GetDC(Dlg);
  HGDIOBJ OldFont = SelectObject(DC, Font);
  TEXTMETRICW Tm{};
  GetTextMetricsW(DC, &Tm);
  const int Margin = 12, Gap = 8;
  int ButtonH = std::max<int>(23, Tm.tmHeight + 10);
  int ButtonW = 75;
  for (auto& [Id, Caption] : S.Buttons) {
    RECT R{0, 0, 0, 0};
    DrawTextW(DC, Caption.c_str(), -1, &R, DT_CALCRECT | DT_SINGLELINE);
    ButtonW = std::max<int>(ButtonW, R.right + 24);
  }
  int IconSize = S.Icon != nullptr ? GetSystemMetrics(SM_CXICON) : 0;
  int MaxText = S.Input ? 280 : std::max(200, GetSystemMetrics(SM_CXSCREEN) / 2);
  RECT TextRect{0, 0, MaxText, 0};
  DrawTextW(DC, S.Text.empty() ? L" " : S.Text.c_str(), -1, &TextRect,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(DC, OldFont);
  ReleaseDC(Dlg, DC);
  int TextW = S.Input ? MaxText : int(TextRect.right), TextH = TextRect.bottom;
  int EditH = S.Input ? Tm.tmHeight + 8 : 0;
  int N = int(S.Buttons.size());
  int ButtonsW = N * ButtonW + (N - 1) * Gap;
  int ContentW = (IconSize > 0 ? IconSize + Margin : 0) + TextW;
  int ClientW = std::max(ContentW, ButtonsW) + 2 * Margin;
  int ContentH = std::max(IconSize, TextH + (S.Input ? Gap + EditH : 0));
  int ClientH = Margin + ContentH + Margin + ButtonH + Margin;

  SetWindowTextW(Dlg, S.Caption.c_str());
  RECT W{0, 0, ClientW, ClientH};
  AdjustWindowRectEx(&W, DWORD(GetWindowLongPtrW(Dlg, GWL_STYLE)), FALSE, DWORD(GetWindowLongPtrW(Dlg, GWL_EXSTYLE)));
  int WinW = W.right - W.left, WinH = W.bottom - W.top;
  // Centred over the owner, or on the screen.
  RECT Area;
  HWND Owner = GetWindow(Dlg, GW_OWNER);
  if (Owner == nullptr || !IsWindowVisible(Owner) || !GetWindowRect(Owner, &Area))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &Area, 0);
  SetWindowPos(Dlg, nullptr, Area.left + (Area.right - Area.left - WinW) / 2,
               Area.top + (Area.bottom - Area.top - WinH) / 2, WinW, WinH, SWP_NOZORDER | SWP_NOACTIVATE);

  int X = Margin;
  if (IconSize > 0) {
    HWND Icon = MakeControl(Dlg, L"STATIC", L"", SS_ICON, -1, Margin, Margin, IconSize, IconSize, Font);
    SendMessageW(Icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, S.Icon)), 0);
    X += IconSize + Margin;
  }
  MakeControl(Dlg, L"STATIC", S.Text, SS_LEFT | SS_NOPREFIX, -1, X, Margin, TextW, TextH, Font);
  HWND Focus = nullptr;
  if (S.Input) {
    Focus = MakeControl(Dlg, L"EDIT", S.Value, WS_TABSTOP | ES_AUTOHSCROLL, PromptEditId, X, Margin + TextH + Gap,
                        TextW, EditH, Font, WS_EX_CLIENTEDGE);
    SendMessageW(Focus, EM_LIMITTEXT, 255, 0);
    SendMessageW(Focus, EM_SETSEL, 0, -1);
  }
  int BX = (ClientW - ButtonsW) / 2, BY = ClientH - Margin - ButtonH;
  for (auto& [Id, Caption] : S.Buttons) {
    DWORD Style = WS_TABSTOP | (Id == S.DefaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND B = MakeControl(Dlg, L"BUTTON", Caption, Style, Id, BX, BY, ButtonW, ButtonH, Font);
    if (Id == S.DefaultId && Focus == nullptr) Focus = B;
    BX += ButtonW + Gap;
  }
  SendMessageW(Dlg, DM_SETDEFID, WPARAM(S.DefaultId), 0);
  if (Focus != nullptr) SetFocus(Focus);
}

INT_PTR CALLBACK DialogProc(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* S = reinterpret_cast<TDialogState*>(GetWindowLongPtrW(Dlg, DWLP_USER));
  switch (Msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(Dlg, DWLP_USER, LParam);
      Layout(Dlg, *reinterpret_cast<TDialogState*>(LParam));
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      if (S == nullptr || HIWORD(WParam) != BN_CLICKED) break;
      int Id = LOWORD(WParam);
      if (Id == HelpButtonId) {
        try {
          if (HelpContextProc) HelpContextProc(S->HelpCtx);
        } catch (...) {
          // A help topic that cannot be opened leaves the question on screen.
        }
        return TRUE;
      }
      if (Id == IDCANCEL) {
        EndDialog(Dlg, S->CancelResult);
        return TRUE;
      }
      if (S->Input && Id == IDOK) {
        HWND Edit = GetDlgItem(Dlg, PromptEditId);
        int Len = GetWindowTextLengthW(Edit);
        std::wstring V(Len + 1, L'\0');
        GetWindowTextW(Edit, V.data(), Len + 1);
        V.resize(Len);
        S->Value = V;
      }
      for (auto& B : S->Buttons)
        if (B.first == Id) {
          EndDialog(Dlg, Id);
          return TRUE;
        }
      break;
    }
    case WM_CLOSE:
      if (S != nullptr) EndDialog(Dlg, S->CancelResult);
      return TRUE;
  }
  return FALSE;
}

int RunDialog(TDialogState& S) {
  // DLGTEMPLATE with no items, then menu, class, title and the font of DS_SETFONT.
  std::vector<WORD> T(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* Head = reinterpret_cast<DLGTEMPLATE*>(T.data());
  Head->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  Head->cx = 100;
  Head->cy = 50;
  T.push_back(0);  // no menu
  T.push_back(0);  // the standard dialog class
  T.push_back(0);  // title: set at layout time
  T.push_back(8);  // points
  for (wchar_t C : std::wstring(L"MS Shell Dlg")) T.push_back(WORD(C));
  T.push_back(0);
  std::vector<DWORD> Aligned((T.size() + 1) / 2, 0);
  std::memcpy(Aligned.data(), T.data(), T.size() * sizeof(WORD));
  INT_PTR R = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(Aligned.data()),
                                      ActiveOwner(), DialogProc, reinterpret_cast<LPARAM>(&S));
  if (R == -1) throw EOutOfResources("Cannot show the dialog");
  return int(R);
}

}  // namespace

TMsgDlgTexts DefaultMsgDlgTexts() {
  return {{"Warning", "Error", "Information", "Confirmation"},
          {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"},
          "Select Directory",
          "The %s directory does not exist. Create it?"};
}

namespace {
TMsgDlgTexts& CurrentMsgDlgTexts() {
  static TMsgDlgTexts Texts = DefaultMsgDlgTexts();
  return Texts;
}

std::wstring ButtonText(TMsgDlgBtn B) { return ToWide(MsgDlgTexts().Buttons[B]); }
}  // namespace

const TMsgDlgTexts& MsgDlgTexts() { return CurrentMsgDlgTexts(); }

void SetMsgDlgTexts(const TMsgDlgTexts& Texts) {
  TMsgDlgTexts Defaults = DefaultMsgDlgTexts();
  TMsgDlgTexts& Current = CurrentMsgDlgTexts();
  for (int I = 0; I < mtCustom; ++I) Current.Captions[I] = Texts.Captions[I].empty() ? Defaults.Captions[I] : Texts.Captions[I];
  for (int I = 0; I <= mbHelp; ++I) Current.Buttons[I] = Texts.Buttons[I].empty() ? Defaults.Buttons[I] : Texts.Buttons[I];
  Current.SelectDirectory = Texts.SelectDirectory.empty() ? Defaults.SelectDirectory : Texts.SelectDirectory;
  // The question names the folder, so a text without its place for it is not taken.
  Current.CreateDirectory =
      Texts.CreateDirectory.find("%s") == std::string::npos ? Defaults.CreateDirectory : Texts.CreateDirectory;
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  static const LPCWSTR Icons[] = {IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION};
  static const int Results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll,
                                HelpButtonId};
  if (Buttons.Empty()) Buttons = {mbOK};
  TDialogState S;
  S.Text = ToWide(Msg);
  if (DlgType >= mtWarning && DlgType < mtCustom) {
    S.Caption = ToWide(MsgDlgTexts().Captions[DlgType]);
    S.Icon = Icons[DlgType];
  } else {
    S.Caption = ToWide(ProgramTitle());
  }
  for (int B = mbYes; B <= mbHelp; ++B)
    if (Buttons.Contains(TMsgDlgBtn(B))) S.Buttons.emplace_back(Results[B], ButtonText(TMsgDlgBtn(B)));
  S.DefaultId = Buttons.Contains(mbOK)      ? mrOk
                : Buttons.Contains(mbYes)   ? mrYes
                : Buttons.Contains(mbRetry) ? mrRetry
                                            : S.Buttons.front().first;
  S.CancelResult = Buttons.Contains(mbCancel) ? mrCancel
                   : Buttons.Contains(mbNo)   ? mrNo
                   : Buttons.Contains(mbOK)   ? mrOk
                                              : mrCancel;
  S.HelpCtx = HelpCtx;
  return RunDialog(S);
}

void ShowMessage(const std::string& Msg) { MessageDlg(Msg, mtCustom, {mbOK}, 0); }

bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) {
  TDialogState S;
  S.Caption = ToWide(Caption);
  S.Text = ToWide(Prompt);
  S.Input = true;
  S.Value = ToWide(Value);
  S.Buttons = {{IDOK, ButtonText(mbOK)}, {IDCANCEL, ButtonText(mbCancel)}};
  S.DefaultId = IDOK;
  S.CancelResult = IDCANCEL;
  if (RunDialog(S) != IDOK) return false;
  Value = FromWide(S.Value);
  return true;
}

std::string InputBox(const std::string& Caption, const std::string& Prompt, const std::string& Default) {
  std::string Value = Default;
  return InputQuery(Caption, Prompt, Value) ? Value : Default;
}

// ---------------------------------------------------------------------------------------
// The folder browser.

namespace {

int CALLBACK BrowseCallback(HWND Wnd, UINT Msg, LPARAM, LPARAM Data) {
  if (Msg == BFFM_INITIALIZED && Data != 0) SendMessageW(Wnd, BFFM_SETSELECTIONW, TRUE, Data);
  return 0;
}

bool Browse(const std::string& Caption, const std::string& Root, std::string& Directory, UINT Flags) {
  HRESULT Init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  PIDLIST_ABSOLUTE RootList = nullptr;
  if (!Root.empty()) SHParseDisplayName(ToWide(Root).c_str(), nullptr, &RootList, 0, nullptr);
  std::wstring Title = ToWide(Caption), Start = ToWide(Directory);
  wchar_t Display[MAX_PATH] = {};
  BROWSEINFOW Bi{};
  Bi.hwndOwner = ActiveOwner();
  Bi.pidlRoot = RootList;
  Bi.pszDisplayName = Display;
  Bi.lpszTitle = Title.c_str();
  Bi.ulFlags = Flags;
  Bi.lpfn = BrowseCallback;
  Bi.lParam = Start.empty() ? 0 : reinterpret_cast<LPARAM>(Start.c_str());
  PIDLIST_ABSOLUTE Result = SHBrowseForFolderW(&Bi);
  bool Ok = false;
  if (Result != nullptr) {
    wchar_t Path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(Result, Path)) {
      Directory = FromWideBuf(Path, MAX_PATH);
      Ok = true;
    }
    CoTaskMemFree(Result);
  }
  if (RootList != nullptr) CoTaskMemFree(RootList);
  if (SUCCEEDED(Init)) CoUninitialize();
  return Ok;
}

}  // namespace

bool SelectDirectory(const std::string& Caption, const std::string& Root, std::string& Directory) {
  return Browse(Caption, Root, Directory, BIF_RETURNONLYFSDIRS);
}

bool SelectDirectory(std::string& Directory, TSelectDirOpts Options, int) {
  UINT Flags = BIF_RETURNONLYFSDIRS;
  if (Options.Contains(sdAllowCreate)) Flags |= BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  std::string Chosen = Directory;
  if (!Browse(MsgDlgTexts().SelectDirectory, "", Chosen, Flags)) return false;
  if (Options.Contains(sdPerformCreate) && !Chosen.empty() && !DirectoryExists(Chosen)) {
    std::string Question = MsgDlgTexts().CreateDirectory;
    Question.replace(Question.find("%s"), 2, Chosen);
    if (Options.Contains(sdPrompt) && MessageDlg(Question, mtConfirmation, {mbYes, mbNo}, 0) != mrYes) return false;
    int R = SHCreateDirectoryExW(nullptr, ToWide(Chosen).c_str(), nullptr);
    if (R != ERROR_SUCCESS && R != ERROR_ALREADY_EXISTS)
      throw EInOutError("Unable to create directory " + Chosen, R);
  }
  Directory = Chosen;
  return true;
}

// ---------------------------------------------------------------------------------------
// Common dialog components.

const TClassInfo* TCommonDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TCommonDialog, TComponent>("TCommonDialog")
          .Prop("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext)
          .Prop("OnClose", &TCommonDialog::OnClose)
          .Prop("OnShow", &TCommonDialog::OnShow)
          .Build();
  return &Info;
}

HWND TCommonDialog::OwnerWindow() { return ActiveOwner(); }

template <>
const TTypeInfo* TypeInfoOf<TOpenOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TOpenOption",
      {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
       "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
       "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
       "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"});
  return &Info;
}

namespace {

const DWORD OpenFlags[] = {OFN_READONLY,          OFN_OVERWRITEPROMPT,   OFN_HIDEREADONLY,   OFN_NOCHANGEDIR,
                           OFN_SHOWHELP,          OFN_NOVALIDATE,        OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT,
                           OFN_PATHMUSTEXIST,     OFN_FILEMUSTEXIST,     OFN_CREATEPROMPT,   OFN_SHAREAWARE,
                           OFN_NOREADONLYRETURN,  OFN_NOTESTFILECREATE,  OFN_NONETWORKBUTTON, OFN_NOLONGNAMES,
                           0,                     OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING};

// "a|b|c|d" as the system wants it: "a\0b\0c\0d\0\0".
std::wstring FilterText(const std::string& Filter) {
  std::wstring W = ToWide(Filter);
  std::replace(W.begin(), W.end(), L'|', L'\0');
  W.push_back(L'\0');
  W.push_back(L'\0');
  return W;
}

}  // namespace

const TClassInfo* TOpenDialog::StaticClassInfo() {
  using C = TOpenDialog;
  static const TClassInfo Info = TClassBuilder<C, TCommonDialog>("TOpenDialog")
                                     .Prop("DefaultExt", &C::DefaultExt, &C::SetDefaultExt)
                                     .Prop("FileName", &C::FileName, &C::SetFileName)
                                     .Prop("Filter", &C::Filter, &C::SetFilter)
                                     .Prop("FilterIndex", &C::FilterIndex, &C::SetFilterIndex)
                                     .Prop("InitialDir", &C::InitialDir, &C::SetInitialDir)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Prop("Title", &C::Title, &C::SetTitle)
                                     .Build();
  return &Info;
}

const TClassInfo* TSaveDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TSaveDialog, TOpenDialog>("TSaveDialog").Build();
  return &Info;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TOpenDialog::Execute() { return DoExecute(false); }

bool TSaveDialog::Execute() { return DoExecute(true); }

bool TOpenDialog::DoExecute(bool Save) {
  const size_t BufLen = 32768;
  std::vector<wchar_t> Buf(BufLen, L'\0');
  std::wstring Name = ToWide(FFileName);
  std::copy_n(Name.begin(), std::min(Name.size(), BufLen - 1), Buf.begin());
  std::wstring Filter = FilterText(FFilter), Dir = ToWide(FInitialDir), Title = ToWide(FTitle);
  std::wstring Ext = ToWide(FDefaultExt);
  if (!Ext.empty() && Ext[0] == L'.') Ext.erase(0, 1);
  OPENFILENAMEW Ofn{};
  Ofn.lStructSize = sizeof Ofn;
  Ofn.hwndOwner = OwnerWindow();
  Ofn.lpstrFilter = FFilter.empty() ? nullptr : Filter.c_str();
  Ofn.nFilterIndex = DWORD(std::max(FFilterIndex, 0));
  Ofn.lpstrFile = Buf.data();
  Ofn.nMaxFile = DWORD(BufLen);
  Ofn.lpstrInitialDir = Dir.empty() ? nullptr : Dir.c_str();
  Ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
  Ofn.lpstrDefExt = Ext.empty() ? nullptr : Ext.c_str();
  DWORD Flags = FOptions.Contains(ofOldStyleDialog) ? 0 : OFN_EXPLORER;
  for (int I = ofReadOnly; I <= ofEnableSizing; ++I)
    if (FOptions.Contains(TOpenOption(I))) Flags |= OpenFlags[I];
  Ofn.Flags = Flags;
  if (OnShow) OnShow(this);
  BOOL Ok = Save ? GetSaveFileNameW(&Ofn) : GetOpenFileNameW(&Ofn);
  if (OnClose) OnClose(this);
  if (!Ok) return false;
  FFilterIndex = int(Ofn.nFilterIndex);
  FOptions.Exclude(ofReadOnly).Exclude(ofExtensionDifferent);
  if (Ofn.Flags & OFN_READONLY) FOptions.Include(ofReadOnly);
  if (Ofn.Flags & OFN_EXTENSIONDIFFERENT) FOptions.Include(ofExtensionDifferent);
  // Several names come as the folder followed by the names, each ended by a zero.
  std::vector<std::string> Parts;
  for (size_t I = 0; I < BufLen && Buf[I] != 0;) {
    size_t Len = 0;
    while (I + Len < BufLen && Buf[I + Len] != 0) ++Len;
    Parts.push_back(FromWide(std::wstring_view(&Buf[I], Len)));
    I += Len + 1;
  }
  FFiles.Clear();
  if (Parts.size() <= 1) {
    FFileName = Parts.empty() ? std::string() : Parts[0];
    FFiles.Add(FFileName);
  } else {
    std::string Dir8 = IncludeTrailingBackslash(Parts[0]);
    for (size_t I = 1; I < Parts.size(); ++I) FFiles.Add(Dir8 + Parts[I]);
    FFileName = FFiles[0];
  }
  return true;
}

// ---------------------------------------------------------------------------------------

template <>
const TTypeInfo* TypeInfoOf<TFontDialogDevice>() {
  static const TTypeInfo Info = EnumTypeInfo("TFontDialogDevice", {"fdScreen", "fdPrinter", "fdBoth"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TFontDialogOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TFontDialogOption",
      {"fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly", "fdForceFontExist", "fdNoFaceSel",
       "fdNoOEMFonts", "fdNoSimulations", "fdNoSizeSel", "fdNoStyleSel", "fdNoVectorFonts", "fdShowHelp", "fdWysiwyg",
       "fdLimitSize", "fdScalableOnly", "fdApplyButton"});
  return &Info;
}

const TClassInfo* TFontDialog::StaticClassInfo() {
  using C = TFontDialog;
  static const TClassInfo Info = TClassBuilder<C, TCommonDialog>("TFontDialog")
                                     .Prop("Font", &C::Font, &C::SetFont)
                                     .Prop("MaxFontSize", &C::MaxFontSize, &C::SetMaxFontSize)
                                     .Prop("MinFontSize", &C::MinFontSize, &C::SetMinFontSize)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Build();
  return &Info;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}

bool TFontDialog::Execute() {
  static const DWORD Flags[] = {CF_SCRIPTSONLY,   CF_TTONLY,      CF_EFFECTS,     CF_FIXEDPITCHONLY,
                                CF_FORCEFONTEXIST, CF_NOFACESEL,  CF_NOVECTORFONTS, CF_NOSIMULATIONS,
                                CF_NOSIZESEL,     CF_NOSTYLESEL,  CF_NOVECTORFONTS, CF_SHOWHELP,
                                CF_WYSIWYG,       CF_LIMITSIZE,   CF_SCALABLEONLY, CF_APPLY};
  LOGFONTW Lf;
  FontToLogFont(*FFont, Lf);
  CHOOSEFONTW Cf{};
  Cf.lStructSize = sizeof Cf;
  Cf.hwndOwner = OwnerWindow();
  Cf.lpLogFont = &Lf;
  Cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  for (int I = fdAnsiOnly; I <= fdApplyButton; ++I)
    if (FOptions.Contains(TFontDialogOption(I))) Cf.Flags |= Flags[I];
  Cf.rgbColors = static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF;
  Cf.nSizeMin = FMinFontSize;
  Cf.nSizeMax = FMaxFontSize;
  if (OnShow) OnShow(this);
  BOOL Ok = ChooseFontW(&Cf);
  if (OnClose) OnClose(this);
  if (!Ok) return false;
  LogFontToFont(Lf, *FFont);
  if (Cf.Flags & CF_EFFECTS) FFont->SetColor(TColor(Cf.rgbColors));
  return true;
}

// ---------------------------------------------------------------------------------------

template <>
const TTypeInfo* TypeInfoOf<TColorDialogOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TColorDialogOption", {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"});
  return &Info;
}

const TClassInfo* TColorDialog::StaticClassInfo() {
  using C = TColorDialog;
  static const TClassInfo Info = TClassBuilder<C, TCommonDialog>("TColorDialog")
                                     .Prop("Color", &C::Color, &C::SetColor)
                                     .Prop("CustomColors", [](const C& D) -> TStrings* {
                                       return const_cast<C&>(D).CustomColors();
                                     }, &C::SetCustomColors)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Build();
  return &Info;
}

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TColorDialog::Execute() {
  static const DWORD Flags[] = {CC_FULLOPEN, CC_PREVENTFULLOPEN, CC_SHOWHELP, CC_SOLIDCOLOR, CC_ANYCOLOR};
  COLORREF Custom[16];
  for (int I = 0; I < 16; ++I) {
    std::string V = FCustomColors.Values(std::string("Color") + char('A' + I));
    Custom[I] = COLORREF(StrToIntDef("$" + V, 0xFFFFFF)) & 0xFFFFFF;
    if (V.empty()) Custom[I] = 0xFFFFFF;
  }
  CHOOSECOLORW Cc{};
  Cc.lStructSize = sizeof Cc;
  Cc.hwndOwner = OwnerWindow();
  Cc.rgbResult = static_cast<COLORREF>(ColorToRGB(FColor)) & 0xFFFFFF;
  Cc.lpCustColors = Custom;
  Cc.Flags = CC_RGBINIT;
  for (int I = cdFullOpen; I <= cdAnyColor; ++I)
    if (FOptions.Contains(TColorDialogOption(I))) Cc.Flags |= Flags[I];
  if (OnShow) OnShow(this);
  BOOL Ok = ChooseColorW(&Cc);
  if (OnClose) OnClose(this);
  if (!Ok) return false;
  FColor = TColor(Cc.rgbResult & 0xFFFFFF);
  for (int I = 0; I < 16; ++I)
    FCustomColors.SetValues(std::string("Color") + char('A' + I), IntToHex(int(Custom[I] & 0xFFFFFF), 6));
  return true;
}

// ---------------------------------------------------------------------------------------

template <>
const TTypeInfo* TypeInfoOf<TPrintDialogOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TPrintDialogOption", {"poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp", "poDisablePrintToFile"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TPrintRange>() {
  static const TTypeInfo Info = EnumTypeInfo("TPrintRange", {"prAllPages", "prSelection", "prPageNums"});
  return &Info;
}

const TClassInfo* TPrintDialog::StaticClassInfo() {
  using C = TPrintDialog;
  static const TClassInfo Info = TClassBuilder<C, TCommonDialog>("TPrintDialog")
                                     .Prop("Collate", &C::Collate, &C::SetCollate)
                                     .Prop("Copies", &C::Copies, &C::SetCopies)
                                     .Prop("FromPage", &C::FromPage, &C::SetFromPage)
                                     .Prop("MaxPage", &C::MaxPage, &C::SetMaxPage)
                                     .Prop("MinPage", &C::MinPage, &C::SetMinPage)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Prop("PrintRange", &C::PrintRange, &C::SetPrintRange)
                                     .Prop("PrintToFile", &C::PrintToFile, &C::SetPrintToFile)
                                     .Prop("ToPage", &C::ToPage, &C::SetToPage)
                                     .Build();
  return &Info;
}

TPrintDialog::~TPrintDialog() {
  if (FDevMode != nullptr) GlobalFree(FDevMode);
  if (FDevNames != nullptr) GlobalFree(FDevNames);
}

bool TPrintDialog::Execute() {
  PRINTDLGW Pd{};
  Pd.lStructSize = sizeof Pd;
  Pd.hwndOwner = OwnerWindow();
  Pd.hDevMode = FDevMode;
  Pd.hDevNames = FDevNames;
  DWORD Flags = PD_USEDEVMODECOPIESANDCOLLATE;
  if (!FOptions.Contains(poPrintToFile)) Flags |= PD_HIDEPRINTTOFILE;
  if (!FOptions.Contains(poPageNums)) Flags |= PD_NOPAGENUMS;
  if (!FOptions.Contains(poSelection)) Flags |= PD_NOSELECTION;
  if (!FOptions.Contains(poWarning)) Flags |= PD_NOWARNING;
  if (FOptions.Contains(poHelp)) Flags |= PD_SHOWHELP;
  if (FOptions.Contains(poDisablePrintToFile)) Flags |= PD_DISABLEPRINTTOFILE;
  if (FPrintRange == prSelection) Flags |= PD_SELECTION;
  if (FPrintRange == prPageNums) Flags |= PD_PAGENUMS;
  if (FCollate) Flags |= PD_COLLATE;
  if (FPrintToFile) Flags |= PD_PRINTTOFILE;
  Pd.Flags = Flags;
  Pd.nCopies = WORD(std::clamp(FCopies, 1, 0xFFFF));
  Pd.nMinPage = WORD(std::clamp(FMinPage, 0, 0xFFFF));
  Pd.nMaxPage = WORD(std::clamp(FMaxPage, 0, 0xFFFF));
  Pd.nFromPage = WORD(std::clamp(FFromPage, 0, 0xFFFF));
  Pd.nToPage = WORD(std::clamp(FToPage, 0, 0xFFFF));
  if (OnShow) OnShow(this);
  BOOL Ok = PrintDlgW(&Pd);
  if (OnClose) OnClose(this);
  // The dialog may have replaced the blocks it was given.
  FDevMode = Pd.hDevMode;
  FDevNames = Pd.hDevNames;
  if (!Ok) return false;
  FCopies = Pd.nCopies;
  FFromPage = Pd.nFromPage;
  FToPage = Pd.nToPage;
  FCollate = (Pd.Flags & PD_COLLATE) != 0;
  FPrintToFile = (Pd.Flags & PD_PRINTTOFILE) != 0;
  FPrintRange = (Pd.Flags & PD_SELECTION) ? prSelection : (Pd.Flags & PD_PAGENUMS) ? prPageNums : prAllPages;
  return true;
}

const TClassInfo* TPrinterSetupDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPrinterSetupDialog, TCommonDialog>("TPrinterSetupDialog").Build();
  return &Info;
}

TPrinterSetupDialog::~TPrinterSetupDialog() {
  if (FDevMode != nullptr) GlobalFree(FDevMode);
  if (FDevNames != nullptr) GlobalFree(FDevNames);
}

bool TPrinterSetupDialog::Execute() {
  PRINTDLGW Pd{};
  Pd.lStructSize = sizeof Pd;
  Pd.hwndOwner = OwnerWindow();
  Pd.hDevMode = FDevMode;
  Pd.hDevNames = FDevNames;
  Pd.Flags = PD_PRINTSETUP;
  if (OnShow) OnShow(this);
  BOOL Ok = PrintDlgW(&Pd);
  if (OnClose) OnClose(this);
  FDevMode = Pd.hDevMode;
  FDevNames = Pd.hDevNames;
  return Ok != FALSE;
}

// ---------------------------------------------------------------------------------------
// Find and replace: modeless dialogs. Their keys (Tab, Enter, Escape) need the dialog
// manager, which the message loop does not know of: a message hook of the thread hands
// those keys to the dialog while one is open.

template <>
const TTypeInfo* TypeInfoOf<TFindOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TFindOption", {"frDown", "frFindNext", "frHideMatchCase", "frHideWholeWord", "frHideUpDown", "frMatchCase",
                      "frDisableMatchCase", "frDisableUpDown", "frDisableWholeWord", "frReplace", "frReplaceAll",
                      "frWholeWord", "frShowHelp"});
  return &Info;
}

namespace {

const DWORD FindFlags[] = {FR_DOWN,       FR_FINDNEXT,  FR_HIDEMATCHCASE, FR_HIDEWHOLEWORD, FR_HIDEUPDOWN,
                           FR_MATCHCASE,  FR_NOMATCHCASE, FR_NOUPDOWN,    FR_NOWHOLEWORD,   FR_REPLACE,
                           FR_REPLACEALL, FR_WHOLEWORD, FR_SHOWHELP};

std::vector<HWND> OpenFindDialogs;
HHOOK FindHook = nullptr;

LRESULT CALLBACK FindMessageHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && WParam == PM_REMOVE) {
    auto* M = reinterpret_cast<MSG*>(LParam);
    if (M->message >= WM_KEYFIRST && M->message <= WM_KEYLAST)
      for (HWND D : OpenFindDialogs)
        if (M->hwnd == D || IsChild(D, M->hwnd)) {
          if (IsDialogMessageW(D, M)) M->message = WM_NULL;
          break;
        }
  }
  return CallNextHookEx(FindHook, Code, WParam, LParam);
}

void AddFindDialog(HWND D) {
  OpenFindDialogs.push_back(D);
  if (FindHook == nullptr) FindHook = SetWindowsHookExW(WH_GETMESSAGE, FindMessageHook, nullptr, GetCurrentThreadId());
}

void RemoveFindDialog(HWND D) {
  std::erase(OpenFindDialogs, D);
  if (OpenFindDialogs.empty() && FindHook != nullptr) {
    UnhookWindowsHookEx(FindHook);
    FindHook = nullptr;
  }
}

UINT FindMessage() {
  static const UINT M = RegisterWindowMessageW(FINDMSGSTRINGW);
  return M;
}

void CopyToBuffer(const std::string& Text, wchar_t* Buf, size_t Len) {
  std::wstring W = ToWide(Text);
  size_t N = std::min(W.size(), Len - 1);
  std::copy_n(W.begin(), N, Buf);
  Buf[N] = 0;
}

}  // namespace

const TClassInfo* TFindDialog::StaticClassInfo() {
  using C = TFindDialog;
  static const TClassInfo Info = TClassBuilder<C, TCommonDialog>("TFindDialog")
                                     .Prop("FindText", &C::FindText, &C::SetFindText)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Prop("OnFind", &C::OnFind)
                                     .Build();
  return &Info;
}

const TClassInfo* TReplaceDialog::StaticClassInfo() {
  using C = TReplaceDialog;
  static const TClassInfo Info = TClassBuilder<C, TFindDialog>("TReplaceDialog")
                                     .Prop("ReplaceText", &C::ReplaceText, &C::SetReplaceText)
                                     .Prop("OnReplace", &C::OnReplace)
                                     .Build();
  return &Info;
}

TFindDialog::TFindDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

TFindDialog::~TFindDialog() {
  // Going away: no more events to an owner that may be half destroyed.
  OnFind = nullptr;
  OnReplace = nullptr;
  OnClose = nullptr;
  CloseDialog();
  if (FHandle != nullptr) {
    RemoveFindDialog(FHandle);
    DestroyWindow(FHandle);
  }
  DeallocateHWnd(FOwner);
}

HWND TFindDialog::CreateDialogWindow(FINDREPLACEW& Fr) { return ::FindTextW(&Fr); }

HWND TReplaceDialog::CreateDialogWindow(FINDREPLACEW& Fr) { return ::ReplaceTextW(&Fr); }

bool TFindDialog::Execute() {
  if (FHandle != nullptr) {
    SetForegroundWindow(FHandle);
    return true;
  }
  if (FOwner == nullptr) {
    FOwner = AllocateHWnd(
        [this](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) { return Message(Wnd, Msg, WParam, LParam); });
    if (FOwner == nullptr) return false;
  }
  // The buffers hold twice the length given, whether the system counts it in characters
  // or in bytes.
  CopyToBuffer(FFindText, FFindBuf, 256);
  CopyToBuffer(FReplaceText, FReplaceBuf, 256);
  FRecord = FINDREPLACEW{};
  FRecord.lStructSize = sizeof FRecord;
  FRecord.hwndOwner = FOwner;
  for (int I = frDown; I <= frShowHelp; ++I)
    if (FOptions.Contains(TFindOption(I))) FRecord.Flags |= FindFlags[I];
  FRecord.Flags &= ~DWORD(FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM);
  FRecord.lpstrFindWhat = FFindBuf;
  FRecord.lpstrReplaceWith = FReplaceBuf;
  FRecord.wFindWhatLen = 256;
  FRecord.wReplaceWithLen = 256;
  FHandle = CreateDialogWindow(FRecord);
  if (FHandle == nullptr) return false;
  AddFindDialog(FHandle);
  if (FPosition.X >= 0 && FPosition.Y >= 0)
    SetWindowPos(FHandle, nullptr, FPosition.X, FPosition.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (OnShow) OnShow(this);
  return true;
}

void TFindDialog::CloseDialog() {
  if (FHandle != nullptr) SendMessageW(FHandle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void TFindDialog::SetFindText(const std::string& Value) {
  FFindText = Value;
  if (FHandle != nullptr) SetDlgItemTextW(FHandle, edt1, ToWide(Value).c_str());
}

void TReplaceDialog::SetReplaceText(const std::string& Value) {
  FReplaceText = Value;
  if (FHandle != nullptr) SetDlgItemTextW(FHandle, edt2, ToWide(Value).c_str());
}

void TFindDialog::SetPosition(TPoint Value) {
  FPosition = Value;
  if (FHandle != nullptr) SetWindowPos(FHandle, nullptr, Value.X, Value.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT TFindDialog::Message(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != FindMessage() || Msg == 0) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  auto* Fr = reinterpret_cast<FINDREPLACEW*>(LParam);
  DWORD Flags = Fr->Flags;
  FFindText = FromWideBuf(FFindBuf, 256);
  FReplaceText = FromWideBuf(FReplaceBuf, 256);
  for (TFindOption O : {frDown, frMatchCase, frWholeWord, frFindNext, frReplace, frReplaceAll}) {
    if (Flags & FindFlags[O])
      FOptions.Include(O);
    else
      FOptions.Exclude(O);
  }
  try {
    if (Flags & FR_DIALOGTERM) {
      RemoveFindDialog(FHandle);
      FHandle = nullptr;
      if (OnClose) OnClose(this);
    } else if (Flags & FR_FINDNEXT) {
      if (OnFind) OnFind(this);
    } else if (Flags & (FR_REPLACE | FR_REPLACEALL)) {
      if (OnReplace) OnReplace(this);
    }
  } catch (...) {
    // Nothing may unwind through the system's message dispatch.
    if (Application != nullptr) Application->HandleException(this);
  }
  return 0;
}
