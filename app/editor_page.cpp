#include "app/editor_page.h"

#include <windows.h>

#include "app/core/lng_strings.h"
#include "app/core/zemb_rout.h"
#include "app/main_form.h"
#include "app/text_print.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/menus.h"

namespace {

std::string Lng(const char* Key) {
  std::string Text;
  GetLngString(Key, Text);
  return Text;
}

TMenuItem* AddItem(TComponent* Owner, TMenuItem* Parent, const char* Name, const char* Caption,
                   std::function<void()> Work = nullptr) {
  auto* Item = new TMenuItem(Owner);
  Item->SetName(Name);
  Item->SetCaption(Caption);
  if (Work) Item->OnClick = [Work](TObject*) { Work(); };
  Parent->Add(Item);
  return Item;
}

}  // namespace

TEditorPage::TEditorPage(TMainForm* Form) : TComponent(Form), FForm(Form) {
  TmwCustomEdit* E = Form->Editor;
  AddButton("ToolButton4", "New file", 25, [this] { NewText(); });
  AddButton("ToolButton6", "Open file", 23, [this] { OpenText(); });
  AddButton("ToolButton7", "Save file", 24, [this] { SaveText(); });
  AddButton("ToolButton8", "Print file", 35, [this] { PrintText(); });
  AddButton("ToolButton14", "Undo", 37, [E] { E->Undo(); });
  AddButton("ToolButton15", "Redo", 38, [E] { E->Redo(); });
  AddButton("SpeedButton44", "Copy", 19, [E] { E->CopyToClipboard(); });
  AddButton("SpeedButton54", "Cut", 20, [E] { E->CutToClipboard(); });
  AddButton("SpeedButton55", "Paste", 21, [E] { E->PasteFromClipboard(); });
  AddButton("ToolButton22", "Font", 36, [this, E] {
    TFontDialog D(nullptr);
    D.SetFont(E->Font());
    if (D.Execute()) E->SetFont(D.Font());
  });
  AddButton("ToolButton18", "Find", 3, [this] { StartFind(); });
  TToolButton* SyntaxButton = AddButton("ToolButton10", "Syntax", 39, nullptr);
  TToolButton* CodingButton = AddButton("ToolButton12", "Change coding", 40, nullptr);
  auto DropDown = [](TToolButton* B, TPopupMenu* Menu) {
    B->OnClick = [B, Menu](TObject*) {
      POINT P{B->Left(), B->Top() + B->Height()};
      ClientToScreen(B->Parent()->Handle(), &P);
      Menu->Popup(P.x, P.y);
    };
  };
  DropDown(SyntaxButton, Form->Syntax);

  // The highlighters first, then the syntax files found at start-up.
  TMenuItem* Syn = Form->Syntax->Items();
  struct {
    const char* Name;
    const char* Caption;
    TmwCustomHighLighter* H;
  } Highlighters[] = {{"SynCpp", "C++", Form->CPP},     {"SynPas", "Pascal", Form->Pas},
                      {"SynPerl", "Perl", Form->Perl},  {"SynJava", "Java", Form->Java},
                      {"SynPlain", "Plain text", nullptr}};
  int At = 0;
  for (const auto& H : Highlighters) {
    auto* Item = new TMenuItem(this);
    Item->SetName(H.Name);
    Item->SetCaption(H.Caption);
    Item->SetRadioItem(true);
    Item->SetGroupIndex(1);
    TmwCustomHighLighter* Chosen = H.H;
    Item->OnClick = [E, Item, Chosen](TObject*) {
      E->SetHighLighter(Chosen);
      Item->SetChecked(true);
    };
    Syn->Insert(At++, Item);
    // The menu shows the editor's syntax from the start (plain text at first).
    if (Chosen == E->HighLighter()) Item->SetChecked(true);
  }

  CodingMenu = new TPopupMenu(this);
  CodingMenu->SetName("CodingMenu");
  DosItem = AddItem(this, CodingMenu->Items(), "Dos1", "Dos (866)");
  AddItem(this, DosItem, "Win1", ">> Win", [this] { Convert(tcpDos866, tcpWin1251); });
  AddItem(this, DosItem, "KOI8r2", ">> KOI8-r", [this] { Convert(tcpDos866, tcpKoi8r); });
  WinItem = AddItem(this, CodingMenu->Items(), "Windows12511", "Windows (1251)");
  AddItem(this, WinItem, "Dos2", ">> Dos", [this] { Convert(tcpWin1251, tcpDos866); });
  AddItem(this, WinItem, "KOIr1", ">> KOI8-r", [this] { Convert(tcpWin1251, tcpKoi8r); });
  KoiItem = AddItem(this, CodingMenu->Items(), "KOI8r1", "KOI8-r");
  AddItem(this, KoiItem, "Dos3", ">> Dos", [this] { Convert(tcpKoi8r, tcpDos866); });
  AddItem(this, KoiItem, "Win2", ">> Win", [this] { Convert(tcpKoi8r, tcpWin1251); });
  for (TMenuItem* I : {DosItem, WinItem, KoiItem}) {
    I->SetRadioItem(true);
    I->SetGroupIndex(2);
  }
  DropDown(CodingButton, CodingMenu);

  ServiceMenu = new TPopupMenu(this);
  ServiceMenu->SetName("ServiceMenu");
  AddItem(this, ServiceMenu->Items(), "LowerCase1", "Lower case selected text", [this] { ChangeCase(false); });
  AddItem(this, ServiceMenu->Items(), "UpperCase1", "Upper case selected text", [this] { ChangeCase(true); });
  AddItem(this, ServiceMenu->Items(), "InsertTime1", "Insert time", [this] { InsertText(TimeToStr(Time())); });
  AddItem(this, ServiceMenu->Items(), "InsertDate1", "Insert date", [this] { InsertText(DateToStr(Date())); });
  E->SetPopupMenu(ServiceMenu);

  EdD = new TFindDialog(this);
  EdD->OnFind = [this](TObject*) { FindNext(); };

  StatusBar1 = dynamic_cast<TStatusBar*>(Form->FindComponent("StatusBar1"));
  SetCodePage(tcpWin1251);

  E->OnChange = [this](TObject*) { UpdateStatus(); };
  E->OnKeyUp = [this](TObject*, uint16_t&, TShiftState) { UpdateStatus(); };
  E->OnKeyDown = [this](TObject*, uint16_t& Key, TShiftState Shift) { EditorKeyDown(Key, Shift); };

  AskOpenName = [](std::string& FileName) {
    TOpenDialog D(nullptr);
    if (!D.Execute()) return false;
    FileName = D.FileName();
    return true;
  };
  AskSaveName = [Form](std::string& FileName) {
    if (!Form->ESave->Execute()) return false;
    FileName = Form->ESave->FileName();
    return true;
  };
  AskPrinter = [Form]() -> std::unique_ptr<TPrintTarget> {
    if (!Form->pd->Execute()) return nullptr;
    return ChosenPrinter(*Form->pd);
  };
  Form->EditTab->OnHide = [this](TObject*) { EditTabExit(); };
  UpdateStatus();
}

void TEditorPage::ReadTexts(const std::string& LngFile) {
  try {
    TIniFile Ini(LngFile);
    for (int I = 0; I < ComponentCount(); ++I) {
      TComponent* C = Components(I);
      if (C->Name().empty()) continue;
      if (auto* B = dynamic_cast<TToolButton*>(C))
        B->SetHint(Ini.ReadString("MainForm", B->Name() + "_Hint", B->Hint()));
      else if (auto* M = dynamic_cast<TMenuItem*>(C))
        M->SetCaption(Ini.ReadString("MainForm", M->Name() + "_Caption", M->Caption()));
    }
  } catch (const std::exception&) {
    // An unreadable language file leaves the texts as they are, like the other captions.
  }
}

TToolButton* TEditorPage::AddButton(const char* Name, const char* Hint, int Image, std::function<void()> Work) {
  TToolBar* Bar = dynamic_cast<TToolBar*>(FForm->FindComponent("ToolBar7"));
  auto* B = new TToolButton(this);
  B->SetName(Name);
  B->SetLeft(1000 + FButtons++);  // after the buttons already there
  if (Bar != nullptr) B->SetParent(Bar);
  B->SetHint(Hint);
  B->SetImageIndex(Image);
  if (Work) B->OnClick = [Work](TObject*) { Work(); };
  return B;
}

bool TEditorPage::KeepChanges() {
  if (!FForm->Editor->Modified()) return true;
  const int R = FForm->AskBox(Lng("File_not_save"), Lng("Save_file"), MB_YESNOCANCEL | MB_ICONQUESTION);
  if (R == IDCANCEL) return false;
  return R != IDYES || SaveText();
}

bool TEditorPage::NewText() {
  if (!KeepChanges()) return false;
  FForm->Editor->ClearAll();
  FForm->Editor->SetModified(false);
  FForm->EditorFileName.clear();
  UpdateStatus();
  return true;
}

bool TEditorPage::OpenText() {
  if (!KeepChanges()) return false;
  std::string Name;
  if (!AskOpenName(Name) || Name.empty()) return false;
  try {
    FForm->EditFile(Name);
  } catch (const std::exception& E) {
    FForm->Ask(E.what(), mtError, TMsgDlgButtons{mbOK});
    return false;
  }
  UpdateStatus();
  return true;
}

bool TEditorPage::SaveText() {
  TmwCustomEdit* E = FForm->Editor;
  if (!E->Modified()) return true;
  std::string Name = FForm->EditorFileName;
  if (Name.empty() && (!AskSaveName(Name) || Name.empty())) return false;
  try {
    E->Lines()->SaveToFile(Name);
  } catch (const std::exception& Ex) {
    FForm->Ask(Ex.what(), mtError, TMsgDlgButtons{mbOK});
    return false;
  }
  FForm->EditorFileName = Name;
  E->SetModified(false);
  UpdateStatus();
  return true;
}

void TEditorPage::PrintText() {
  std::unique_ptr<TPrintTarget> Target = AskPrinter();
  if (!Target) return;
  TmwCustomEdit* E = FForm->Editor;
  std::vector<std::string> Lines;
  for (int I = 0; I < E->Lines()->Count(); ++I) Lines.push_back(E->Lines()->Strings(I));
  try {
    PrintTextLines(*Target, Lines, *E->Font(), FForm->EditorFileName.empty() ? "Zembrix" : FForm->EditorFileName);
  } catch (const std::exception& Ex) {
    FForm->Ask(Ex.what(), mtError, TMsgDlgButtons{mbOK});
  }
}

void TEditorPage::EditTabExit() {
  // Closing asks on its own, before the window goes.
  if (FForm->ComponentState().Contains(csDestroying) || !FForm->Editor->Modified()) return;
  if (FForm->AskBox(Lng("File_not_save"), Lng("Save_file"), MB_OKCANCEL | MB_ICONQUESTION) == IDOK) SaveText();
}

void TEditorPage::StartFind() {
  Find.Occurrence = 1;
  EdD->Execute();
}

void TEditorPage::FindNext() {
  TmwCustomEdit* E = FForm->Editor;
  const std::string What = EdD->FindText();
  if (What.empty()) return;
  const int Pos = Find.Next(E->GetLinesText(), What, EdD->Options().Contains(frMatchCase));
  if (Pos < 0) {
    FForm->Ask(Lng("Not_found"), mtInformation, TMsgDlgButtons{mbOK});
    return;
  }
  E->CaretToCharOffset(Pos + 1);
  const TmwPoint From = E->GetCaretXY();
  E->CaretToCharOffset(Pos + 1 + int(What.size()));
  E->SetBlockBegin(From);
  E->SetBlockEnd(E->GetCaretXY());
  E->EnsureCursorPosVisible();
  UpdateStatus();
}

void TEditorPage::Convert(TTextCodePage From, TTextCodePage To) {
  TmwCustomEdit* E = FForm->Editor;
  E->SetLinesText(ConvertCodePage(E->GetLinesText(), From, To));
  SetCodePage(To);
}

void TEditorPage::SetCodePage(TTextCodePage Page) {
  (Page == tcpDos866 ? DosItem : Page == tcpWin1251 ? WinItem : KoiItem)->SetChecked(true);
  if (StatusBar1 != nullptr && StatusBar1->Panels()->Count() > 1)
    StatusBar1->Panels()->Items(1)->SetText(CodePageStatusName(Page));
}

void TEditorPage::ChangeCase(bool Upper) {
  TmwCustomEdit* E = FForm->Editor;
  if (!E->SelAvail()) return;
  const TmwPoint B = E->GetBlockBegin(), End = E->GetBlockEnd();
  E->SetSelText(Upper ? AnsiUpperCase(E->GetSelText()) : AnsiLowerCase(E->GetSelText()));
  E->SetBlockBegin(B);
  E->SetBlockEnd(End);
}

void TEditorPage::InsertText(const std::string& Text) { FForm->Editor->SetSelText(Text); }

void TEditorPage::UpdateStatus() {
  if (StatusBar1 == nullptr || StatusBar1->Panels()->Count() < 4) return;
  TmwCustomEdit* E = FForm->Editor;
  StatusBar1->Panels()->Items(0)->SetText(CaretPosText(E->GetCaretY(), E->GetCaretX()));
  StatusBar1->Panels()->Items(2)->SetText(CaretPercentText(E->GetCaretY(), E->LineCount()));
  StatusBar1->Panels()->Items(3)->SetText(FForm->EditorFileName);
}

void TEditorPage::EditorKeyDown(uint16_t& Key, TShiftState Shift) {
  const bool Ctrl = Shift.Contains(ssCtrl), Alt = Shift.Contains(ssAlt), ShiftKey = Shift.Contains(ssShift);
  if (Key == VK_ESCAPE && !Ctrl && !Alt && !ShiftKey) {
    FForm->MainPage->SetActivePage(FForm->Main);
  } else if (Key == 'S' && Ctrl && !Alt && !ShiftKey) {
    SaveText();
  } else if (Ctrl && Alt && !ShiftKey && (Key == 'O' || Key == 'N' || Key == 'C' || Key == 'P')) {
    const char* Name = Key == 'O'   ? "ToolButton6"
                       : Key == 'N' ? "ToolButton4"
                       : Key == 'P' ? "ToolButton8"
                                    : "ToolButton10";
    if (auto* B = dynamic_cast<TControl*>(FindComponent(Name))) B->Click();
  } else {
    return;
  }
  Key = 0;
}
