// The main window's own keys (it sees every key before the focused control) and what the
// panels' selection and folder changes show elsewhere in the window.
#include <windows.h>
#include <ddeml.h>

#include "app/arc_page.h"
#include "app/core/lng_strings.h"
#include "app/core/zemb_rout.h"
#include "app/f2_menu.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/settings.h"
#include "app/start_up.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/wide_string.h"
#include "tools/clp_view.h"

namespace {

// Handlers that end with the little-error popup when they fail; the window stays as it was.
void Protected(const std::function<void()>& Work) {
  try {
    Work();
  } catch (const std::exception&) {
    ShowLittleError();
  }
}

bool UnderWine() {
  HMODULE Ntdll = GetModuleHandleW(L"ntdll.dll");
  return Ntdll != nullptr && GetProcAddress(Ntdll, "wine_get_version") != nullptr;
}

// A client that only executes a macro has nothing to answer.
HDDEDATA CALLBACK DdeNoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

}  // namespace

// The shell's find window, asked of the shell through its DDE service.
void ShellFindFiles() {
  if (UnderWine()) {
    // Wine's shell answers no DDE conversation, and its explorer has crashed on one.
    ShowMessage(LngStringOr("Find_under_wine", "File search is not available under Wine."));
    return;
  }
  DWORD Inst = 0;
  if (DdeInitializeW(&Inst, DdeNoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    ShowMessage(LngStringOr("Find_failed", "File search cannot be started."));
    return;
  }
  HSZ Service = DdeCreateStringHandleW(Inst, L"Folders", CP_WINUNICODE);
  HSZ Topic = DdeCreateStringHandleW(Inst, L"AppProperties", CP_WINUNICODE);
  HCONV Conv = DdeConnect(Inst, Service, Topic, nullptr);
  bool Done = false;
  if (Conv != nullptr) {
    static const char Macro[] = "[FindFolder(, )]";
    DWORD Result = 0;
    Done = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(Macro)), sizeof(Macro), Conv, nullptr, 0,
                                XTYP_EXECUTE, TIMEOUT_ASYNC, &Result) != nullptr;
    DdeDisconnect(Conv);
  }
  DdeFreeStringHandle(Inst, Service);
  DdeFreeStringHandle(Inst, Topic);
  DdeUninitialize(Inst);
  if (!Done) ShowMessage(LngStringOr("Find_no_answer", "The shell's file search did not answer."));
}

namespace {

bool IsModifierKey(uint16_t Key) {
  return Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU || Key == VK_LSHIFT || Key == VK_RSHIFT ||
         Key == VK_LCONTROL || Key == VK_RCONTROL || Key == VK_LMENU || Key == VK_RMENU;
}

}  // namespace

void TMainForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  const TShiftState Mods = Shift * TShiftState{ssShift, ssAlt, ssCtrl};
  const bool Alt = Mods.Contains(ssAlt), Ctrl = Mods.Contains(ssCtrl);
  // The key stays set: the focused control sees it afterwards.
  if (Key == 'U' && Mods == TShiftState{ssCtrl}) {
    SwapPanels();
    return;
  }
  if ((Key == VK_F1 || Key == VK_F2) && Alt) {
    if (MainPage->ActivePage() != Main) return;
    TPTShellCombo* Combo = Key == VK_F1 ? LCombo : RCombo;
    Combo->SetFocus();
    Combo->SetDroppedDown(true);
    return;
  }
  if (Key == VK_F7 && Alt) {
    SpeedButton23Click(this);
    return;
  }
  if ((Key == 'F' || Key == 0x66) && Ctrl) SpeedButton23Click(this);
  if (Key == VK_F10 && Mods.Empty()) Close();
  if (Key == VK_ESCAPE) {
    PathBox->SetText("");
    Protected([this] { SpeedButton80Click(this); });
    return;
  }
  if (Key == VK_F12) {
    ToggleKeyboardLayout();
    return;
  }
  if (Key == VK_F1 && Mods == TShiftState{ssCtrl}) {
    N11Click(this);
    return;
  }
  // The shut-down chord is a key pressed while all three modifiers are held: the last
  // modifier going down is not yet a chord.
  if (Mods == TShiftState{ssShift, ssAlt, ssCtrl}) {
    if (!IsModifierKey(Key)) aN77Click(this);
    return;
  }
  if (Key == VK_F2 && Ctrl) N83Click(this);
}

void TMainForm::SwapPanels() {
  TPTShellLocator Left;
  Left.Assign(LF->Folder());
  if (Left.Equal(RF->Folder())) return;
  LF->Folder()->Assign(RF->Folder());
  RF->Folder()->Assign(&Left);
}

// The layout flag is the truth: the platform may keep its own layout (Wine loads the same
// one for both).
void TMainForm::ToggleKeyboardLayout() {
  LoadKeyboardLayoutW(KeyboardLayoutSet ? L"00000409" : L"00000419", KLF_ACTIVATE);
  KeyboardLayoutSet = !KeyboardLayoutSet;
}

void TMainForm::LFChange(TObject*, TListItem*, TItemChange) { PanelChange(true); }
void TMainForm::RFChange(TObject*, TListItem*, TItemChange) { PanelChange(false); }

void TMainForm::PanelChange(bool Left) {
  Protected([this, Left] {
    TPTShellList* List = Left ? LF : RF;
    TPTShListData* Data = List->GetSelectedData();
    if (Data == nullptr) return;
    TStatusPanels* P = STBar->Panels();
    std::string Name = Data->GetFileName();
    P->Items(0)->SetText(Name.empty() ? Data->GetDisplayName() : Name);
    P->Items(1)->SetText(Data->GetSizeText());
    P->Items(2)->SetText(Data->GetModifiedText());
    P->Items(4)->SetText(Data->GetTypeText());
    // Quick view: the other side's text/picture page follows the selection.
    if ((Left ? LQuickView : RQuickView) && !Data->IsFolder()) {
      std::string Path = Data->GetPath();
      if (!Path.empty()) OpenFileInPanel(Left ? RPages : LPages, Path);
    }
  });
}

void TMainForm::LFChanging(TObject*) { RecordFolder(true); }
void TMainForm::RFChanging(TObject*) { RecordFolder(false); }

// A panel shows a new folder: it becomes the process's current directory, the caption
// names it when the options say so, and the history menu gets it once.
void TMainForm::RecordFolder(bool Left) {
  Protected([this, Left] {
    TPTShellList* List = Left ? LF : RF;
    std::string Path = List->Folder()->GetPath();
    std::string& Last = Left ? LastLeftPath : LastRightPath;
    if (Path.empty() || StartingUp || Path == Last) return;
    Left ? LComboChange(this) : RComboChange(this);
    SetCurrentDir(Path);
    if (Settings != nullptr && Settings->PathInCapt->Checked()) {
      SetCaption("Zembrix " + Path);
      Application->SetTitle("Zembrix " + Path);
    }
    bool Known = false;
    for (int I = 0; I < N78->Count() && !Known; ++I) Known = SameText(N78->Items(I)->Caption(), Path);
    if (!Known) {
      auto* Item = new TMenuItem(this);
      Item->SetCaption(Path);
      Item->OnClick = [this](TObject* S) { GoToFolder(S); };
      N78->Add(Item);
      N78->SetEnabled(true);
    }
    Last = Path;
  });
}

// A history item leads the active panel there.
void TMainForm::GoToFolder(TObject* Sender) {
  auto* Item = dynamic_cast<TMenuItem*>(Sender);
  if (Item == nullptr) return;
  (FActiveLeft ? LF : RF)->Folder()->SetPath(Item->Caption());
}

void TMainForm::LFDblClickOpen(TObject*, bool& Handled) { PanelDblClickOpen(true, Handled); }
void TMainForm::RFDblClickOpen(TObject*, bool& Handled) { PanelDblClickOpen(false, Handled); }

void TMainForm::PanelDblClickOpen(bool Left, bool& Handled) {
  if (Settings == nullptr || !Settings->CheckBox4->Checked()) return;
  TPTShListData* Item = (Left ? LF : RF)->GetSelectedData();
  if (Item == nullptr || Item->IsFolder()) return;
  const std::string Path = Item->GetPath();
  if (Path.empty() || !IsArchiveFile(Path)) return;
  Handled = true;
  OpenArchiveInPanel(Left ? LAView : RAView, Path);
}

void TMainForm::SpeedButton19Click(TObject*) {
  Protected([] {
    if (CLPView == nullptr) Application->CreateForm(CLPView);
    CLPView->Show();
  });
}

void TMainForm::SpeedButton23Click(TObject*) { Protected([this] { FindFiles(); }); }

void TMainForm::osd1Click(TObject*) { ShowAboutBox(); }

// The shell's own clipboard verbs: copy and cut on the panel's selection, paste into the
// panel's folder.
void TMainForm::ClipboardVerb(bool Left, const char* Verb) {
  TPTShellList* List = Left ? LF : RF;
  if (std::string(Verb) == "paste")
    List->InvokeCommandOnFolder(Verb);
  else
    List->InvokeCommandOnSelected(Verb);
}

void TMainForm::SpeedButton30Click(TObject*) { ClipboardVerb(true, "copy"); }
void TMainForm::SpeedButton31Click(TObject*) { ClipboardVerb(true, "cut"); }
void TMainForm::SpeedButton32Click(TObject*) { ClipboardVerb(true, "paste"); }
void TMainForm::SpeedButton33Click(TObject*) { ClipboardVerb(false, "copy"); }
void TMainForm::SpeedButton34Click(TObject*) { ClipboardVerb(false, "cut"); }
void TMainForm::SpeedButton35Click(TObject*) { ClipboardVerb(false, "paste"); }
