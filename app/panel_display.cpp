// How the file panels and the window's frame look and follow the user: names coloured by
// file kind, the path label and the current directory following the focused panel, free
// space, the compact style, the panels' shares of the width, and the first paint.
#include <windows.h>

#include <algorithm>

#include "app/core/display_rules.h"
#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "tools/rs_tip.h"
#include "ui/caption_button.h"
#include "app/settings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"

// The list's own events go to the window's handlers; what the panel already does on them
// (the combo and the tree follow the list) stays.
void TMainForm::WirePanelEvents(bool Left) {
  TPTShellList* List = Left ? LF : RF;
  List->OnCustomDrawSh = [this, Left](TObject* S, TPTCustomDraw* CD, TListItem* I, TPTShListData* D) {
    Left ? LFCustomDrawSh(S, CD, I, D) : RFCustomDrawSh(S, CD, I, D);
  };
  List->OnChange = [this, Left](TObject* S, TListItem* I, TItemChange C) { Left ? LFChange(S, I, C) : RFChange(S, I, C); };
  List->OnEnter = [this, Left](TObject* S) { Left ? LFEnter(S) : RFEnter(S); };
  List->OnDblClickOpen = [this, Left](TObject* S, bool& Handled) {
    Left ? LFDblClickOpen(S, Handled) : RFDblClickOpen(S, Handled);
  };
  TNotifyEvent Filled = List->OnFillComplete;
  List->OnFillComplete = [this, Left, Filled](TObject* S) {
    if (Filled) Filled(S);
    Left ? LFFillComplete(S) : RFFillComplete(S);
  };
}

namespace {

void StyleName(TPTCustomDraw* CD, TListItem* Item, TPTShListData* Data) {
  if (CD == nullptr) return;
  std::string Name = Data != nullptr ? Data->GetFileName() : "";
  if (Name.empty() && Item != nullptr) Name = Item->Caption();
  const TNameStyle S = NameStyle(Name, FileTypeColors);
  TFont* F = CD->GetFont();
  F->SetColor(S.Color);
  if (!S.Matched) return;
  TFontStyles Style = F->Style();
  if (S.Bold) Style << fsBold;
  if (S.Italic) Style << fsItalic;
  if (Style != F->Style()) F->SetStyle(Style);
}

}  // namespace

void TMainForm::LFCustomDrawSh(TObject*, TPTCustomDraw* CD, TListItem* Item, TPTShListData* Data) {
  StyleName(CD, Item, Data);
}

void TMainForm::RFCustomDrawSh(TObject*, TPTCustomDraw* CD, TListItem* Item, TPTShListData* Data) {
  StyleName(CD, Item, Data);
}

// The path label names the active panel's folder: a panel that fills in the background
// leaves it alone, and the history records every panel's own folder.
void TMainForm::LFFillComplete(TObject*) {
  if (FActiveLeft) PathInfo->SetCaption(LF->Folder()->GetPath());
  FormResize(this);
  LFChanging(this);
}

void TMainForm::RFFillComplete(TObject*) {
  if (!FActiveLeft) PathInfo->SetCaption(RF->Folder()->GetPath());
  FormResize(this);
  RFChanging(this);
}

void TMainForm::LFEnter(TObject*) { PanelFocused(true); }
void TMainForm::RFEnter(TObject*) { PanelFocused(false); }

void TMainForm::PanelFocused(bool Left) {
  FActiveLeft = Left;
  std::string Path = (Left ? LF : RF)->Folder()->GetPath();
  PathInfo->SetCaption(Path);
  if (!Path.empty()) SetCurrentDir(Path);
  Left ? LComboChange(this) : RComboChange(this);
  FormResize(this);
}

void TMainForm::LComboChange(TObject*) { ShowFreeSpace(LF->Folder()->GetPath()); }
void TMainForm::RComboChange(TObject*) { ShowFreeSpace(RF->Folder()->GetPath()); }

// Asked of the folder itself, so that a folder that is no drive's root (a network share,
// a mounted folder) shows its own volume.
void TMainForm::ShowFreeSpace(const std::string& Folder) {
  if (Folder.empty()) {
    STBar->Panels()->Items(3)->SetText("");
    return;
  }
  ULARGE_INTEGER Free{};
  int64_t Bytes = -1;
  if (GetDiskFreeSpaceExW(ToWide(IncludeTrailingBackslash(Folder)).c_str(), &Free, nullptr, nullptr))
    Bytes = int64_t(Free.QuadPart);
  STBar->Panels()->Items(3)->SetText(FreeSpaceText(Bytes));
}

void TMainForm::Compactstyle1Click(TObject*) {
  FastBar->SetVisible(false);
  ToolBar1->SetVisible(false);
  ToolBar2->SetVisible(false);
  ToolBar11->SetVisible(false);
  for (TPTShellList* List : {LF, RF}) List->SetViewStyle(vsList);
  for (TPTShellTree* Tree : {LFTree, RFTree}) Tree->SetHeight(1);
  SetWindowState(wsNormal);
  const TWindowSize Size = CompactWindowSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  SetBounds(50, 50, Size.Width, Size.Height);
  // Half each, of the room the panels really have.
  FLeftShare = 0.5;
  KeepPanelShares();
}

// The panels keep their shares of the width when the window changes size; a maximised
// first start gives both halves.
void TMainForm::KeepPanelShares() {
  if (!FShareKnown || LPages == nullptr || Main == nullptr) return;
  const int W = Main->ClientWidth();
  if (W <= 0) return;
  const int Left = std::clamp(int(W * FLeftShare + 0.5), 1, std::max(1, W - Splitter1->Width() - 1));
  if (Left != LPages->Width()) LPages->SetWidth(Left);
}

// The share the user chose with the splitter, or the stored one; a share that leaves a
// panel almost nothing is not kept.
void TMainForm::RememberPanelShare() {
  const int W = Main != nullptr ? Main->ClientWidth() : 0;
  if (W <= 0) return;
  const double Share = double(LPages->Width()) / W;
  if (Share > 0.05 && Share < 0.95) FLeftShare = Share;
}

namespace {

// The desktop's caption width, read once for the run.
int DesktopCaptionMargin(int Current) {
  static const std::string Value = [] {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    if (!Reg.OpenKeyReadOnly("\\Control Panel\\Desktop\\WindowMetrics") || !Reg.ValueExists("CaptionWidth"))
      return std::string();
    try {
      return Reg.ReadString("CaptionWidth");
    } catch (const std::exception&) {
      return std::string();
    }
  }();
  return CaptionButtonMargin(Value, Current);
}

}  // namespace

void TMainForm::FormPaint(TObject*) {
  if (FFirstPaint) {
    FFirstPaint = false;
    StartingUp = false;
    // A stored width was the left panel's in the window as it was then; the window has
    // only now got that size back (a maximised one is shown after its stored state is
    // read at the normal size), so its share is taken here.
    if (!FShareKnown) {
      RememberPanelShare();
      FShareKnown = true;
    }
    Screen->SetCursor(crDefault);
    // The tip stands beside the window: a damaged tips file does not hold up the start.
    if (Tips != nullptr) {
      try {
        Tips->Execute();
      } catch (const std::exception&) {
      }
    }
  }
  Digital1->SetEnabled(Clock->ShowMode() == scAnalog);
  Analog1->SetEnabled(Clock->ShowMode() != scAnalog);
  if (FormLabel != nullptr) {
    if (Color() != FormLabel->Color()) SetColor(FormLabel->Color());
    const TFont* L = FormLabel->Font();
    TFont* F = Font();
    // Assigning repaints: only a real difference is assigned, or painting never ends.
    if (F->Name() != L->Name() || F->Size() != L->Size() || F->Style() != L->Style() || F->Color() != L->Color() ||
        F->Charset() != L->Charset())
      F->Assign(L);
  }
  CaptionMargin = DesktopCaptionMargin(CaptionMargin);
  if (CaptionButton1 != nullptr && CaptionButton1->RightMargin() != CaptionMargin)
    CaptionButton1->SetRightMargin(CaptionMargin);
}
