#include "app/main_form.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/core/lng_strings.h"
#include "app/core/program_files.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/icon.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"

TMainForm* MainForm = nullptr;
bool EnglishTexts = true;
bool StartingUp = true;
bool KeyboardLayoutSet = false;

const TClassInfo* TMainForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMainForm, TForm>("TMainForm")
                                 .Handler("FormCreate", &TMainForm::FormCreate)
                                 .Handler("FormCloseQuery", &TMainForm::FormCloseQuery)
                                 .Handler("FormClose", &TMainForm::FormClose)
                                 .Handler("FormResize", &TMainForm::FormResize)
                                 .Handler("FormShow", &TMainForm::FormShow)
                                 .Handler("FormKeyDown", &TMainForm::FormKeyDown)
                                 .Handler("Exit1Click", &TMainForm::Exit1Click)
                                 .Handler("SettingsClick", &TMainForm::SettingsClick)
                                 .Handler("PathBoxKeyDown", &TMainForm::PathBoxKeyDown)
                                 .Handler("Splitter1Moved", &TMainForm::Splitter1Moved)
                                 .Field("STBar", &TMainForm::STBar)
                                 .Field("ToolBar2", &TMainForm::ToolBar2)
                                 .Field("PathInfo", &TMainForm::PathInfo)
                                 .Field("PathBox", &TMainForm::PathBox)
                                 .Field("FormLabel", &TMainForm::FormLabel)
                                 .Field("MainPage", &TMainForm::MainPage)
                                 .Field("Main", &TMainForm::Main)
                                 .Field("HTMLTab", &TMainForm::HTMLTab)
                                 .Field("ActiveX", &TMainForm::ActiveX)
                                 .Field("EditTab", &TMainForm::EditTab)
                                 .Field("Editor", &TMainForm::Editor)
                                 .Field("LPages", &TMainForm::LPages)
                                 .Field("RPages", &TMainForm::RPages)
                                 .Field("Splitter1", &TMainForm::Splitter1)
                                 .Field("LFiles", &TMainForm::LFiles)
                                 .Field("LEditPage", &TMainForm::LEditPage)
                                 .Field("LARc", &TMainForm::LARc)
                                 .Field("RFiles", &TMainForm::RFiles)
                                 .Field("REditPage", &TMainForm::REditPage)
                                 .Field("RArc", &TMainForm::RArc)
                                 .Field("LImage", &TMainForm::LImage)
                                 .Field("RImage", &TMainForm::RImage)
                                 .Field("LAView", &TMainForm::LAView)
                                 .Field("RAView", &TMainForm::RAView)
                                 .Field("FastBar", &TMainForm::FastBar)
                                 .Field("Fast", &TMainForm::Fast)
                                 .Field("ToolBar1", &TMainForm::ToolBar1)
                                 .Field("Clock", &TMainForm::Clock)
                                 .Field("ToolBar11", &TMainForm::ToolBar11)
                                 .Field("MusicPath", &TMainForm::MusicPath)
                                 .Field("Musbar", &TMainForm::Musbar)
                                 .Field("MainMenu1", &TMainForm::MainMenu1)
                                 .Field("Exit1", &TMainForm::Exit1)
                                 .Field("CPP", &TMainForm::CPP)
                                 .Field("Pas", &TMainForm::Pas)
                                 .Field("Perl", &TMainForm::Perl)
                                 .Field("Java", &TMainForm::Java)
                                 .Field("FolderMenuL", &TMainForm::FolderMenuL)
                                 .Field("FolderMenuR", &TMainForm::FolderMenuR)
                                 .Field("Syntax", &TMainForm::Syntax)
                                 .Field("ESave", &TMainForm::ESave)
                                 .Field("FormStorage1", &TMainForm::FormStorage1)
                                 .Field("Lang", &TMainForm::Lang)
                                 .Build();
  return &Info;
}

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterEditorClasses();
  RegisterStorageClasses();
  RegisterRxClock();
  Ask = [](const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons) {
    return MessageDlg(Msg, Type, Buttons, 0);
  };
}

namespace {

std::string IniFolder() { return ProgramFolder() + "ini\\"; }

std::string LngText(const std::string& Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

}  // namespace

void TMainForm::FormCreate(TObject*) {
  EditorFileName.clear();
  StartingUp = true;
  EnglishTexts = true;
  KeyboardLayoutSet = false;
  // Panel names and commands are typed with the US layout; under some systems the call
  // changes nothing, which is harmless.
  LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE);
  if (ProgramFolder().empty()) SetProgramFolder(ExtractFilePath(Application->ExeName()));
  Lang->SetIniFileName(LngFileName());

  LImage->SetLeft(0);
  LImage->SetTop(34);
  RImage->SetLeft(0);
  RImage->SetTop(34);

  for (const char* Sub : {"temp", "ini", "ini\\pal"})
    if (!DirExists(ProgramFolder() + Sub)) ForceDirectories(ProgramFolder() + Sub);

  LoadFastBar();
  FileTypeColors = ReadColorFile(IniFolder() + "Color.ini");
  LoadFolderMenus();
  if (CustSyn == nullptr) CustSyn = new TmwGeneralSyn(this);
  LoadSyntaxMenu();
}

void TMainForm::LoadFastBar() {
  for (const auto& Line : ReadFastBarFile(IniFolder() + "FastBar.ini")) {
    std::string Path = ExpandFileName(Line);
    std::wstring W = ToWide(Path);
    WORD Index = 0;
    std::vector<wchar_t> Buf(W.begin(), W.end());
    Buf.resize(std::max<size_t>(Buf.size() + 1, MAX_PATH), L'\0');
    HICON Icon = ExtractAssociatedIconW(GetModuleHandleW(nullptr), Buf.data(), &Index);
    int Image = -1;
    if (Icon != nullptr) {
      TIcon Ico;
      Ico.SetHandle(Icon);
      Image = Fast->AddIcon(&Ico);
    }
    auto* B = new TToolButton(this);
    B->SetParent(FastBar);
    B->SetImageIndex(Image);
    B->SetCaption(Path);
    B->SetHint(ExtractFileName(Path));
    B->SetStyle(tbsCheck);
    B->SetGrouped(true);
    B->SetAllowAllUp(true);
    B->OnClick = [this](TObject* S) { FastGo(S); };
  }
}

void TMainForm::LoadFolderMenus() {
  TFolderMenus M = ReadFolderFile(IniFolder() + "Folder.ini");
  // The menus take the user to these folders once the panels are there; until then the
  // paths are kept so that closing writes them back.
  auto Fill = [this](TPopupMenu* Menu, const std::vector<std::string>& Paths) {
    for (const auto& P : Paths) {
      auto* I = new TMenuItem(this);
      I->SetCaption(P);
      Menu->Items()->Add(I);
    }
  };
  Fill(FolderMenuL, M.Left);
  Fill(FolderMenuR, M.Right);
}

void TMainForm::LoadSyntaxMenu() {
  std::string Dir = ExtractFilePath(Application->ExeName()) + "INI\\Synt\\";
  if (!DirExists(RemoveBackSlash(Dir))) return;
  TSearchRec F;
  if (FindFirst(Dir + "*.syn", faAnyFile, F) != 0) return;
  do {
    if (F.Name.size() <= 4) continue;
    auto* I = new TMenuItem(this);
    I->SetCaption(F.Name.substr(0, F.Name.size() - 4));
    I->SetRadioItem(true);
    I->SetGroupIndex(1);
    I->OnClick = [this](TObject* S) { ChangeSyntax(S); };
    Syntax->Items()->Add(I);
  } while (FindNext(F) == 0);
  FindClose(F);
}

std::vector<std::string> TMainForm::FolderPaths(TPopupMenu* Menu) const {
  std::vector<std::string> R;
  for (int I = FFolderMenuFixed; I < Menu->Items()->Count(); ++I) R.push_back(Menu->Items()->Items(I)->Caption());
  return R;
}

void TMainForm::FastGo(TObject*) {
  for (int I = 0; I < FastBar->ButtonCount(); ++I) {
    TToolButton* B = FastBar->Buttons(I);
    if (!B->Down()) continue;
    std::string Path = B->Caption();
    ExecuteFile(Path, "", ExtractFilePath(Path), SW_SHOWNORMAL);
    B->SetDown(false);
  }
}

void TMainForm::ChangeSyntax(TObject* Sender) {
  auto* Item = dynamic_cast<TMenuItem*>(Sender);
  if (Item == nullptr) return;
  std::string Name = ExtractFilePath(Application->ExeName()) + "INI\\Synt\\" + Item->Caption() + ".syn";
  Editor->SetHighLighter(nullptr);
  try {
    CustSyn->KeyWords()->LoadFromFile(Name);
  } catch (const std::exception& E) {
    // A syntax file removed since start-up: the editor stays without highlighting.
    Application->ShowException(E);
    return;
  }
  Editor->SetHighLighter(CustSyn);
  Item->SetChecked(true);
}

bool TMainForm::SaveEditorText() {
  if (EditorFileName.empty()) {
    if (!ESave->Execute()) return false;
    EditorFileName = ESave->FileName();
  }
  try {
    Editor->Lines()->SaveToFile(EditorFileName);
    Editor->SetModified(false);
    return true;
  } catch (const std::exception& E) {
    Application->ShowException(E);
    return false;
  }
}

void TMainForm::FormCloseQuery(TObject*, bool& CanClose) {
  if (Settings != nullptr && Settings->pQuit->Checked() &&
      Ask(LngText("Close_zembrix"), mtConfirmation, mbOKCancel) != mrOk) {
    CanClose = false;
    return;
  }
  // Unsaved text is asked about here, where the answer can still keep the program open.
  if (Editor->Modified()) {
    int R = Ask(LngText("File_not_save") + "\n" + LngText("Save_file"), mtConfirmation, mbYesNoCancel);
    if (R == mrCancel || (R == mrYes && !SaveEditorText())) CanClose = false;
  }
}

void TMainForm::FormClose(TObject*, TCloseAction&) {
  // Each step stands alone: one that fails (a read-only folder, a full disk) does not keep
  // the others from running.
  bool Failed = false;
  auto Step = [&Failed](const std::function<void()>& Work) {
    try {
      Work();
    } catch (...) {
      Failed = true;
    }
  };
  Step([this] {
    std::vector<std::string> Paths;
    for (int I = 0; I < FastBar->ButtonCount(); ++I) Paths.push_back(FastBar->Buttons(I)->Caption());
    WriteFastBarFile(IniFolder() + "FastBar.ini", Paths);
  });
  Step([] { WriteColorFile(IniFolder() + "Color.ini", FileTypeColors); });
  Step([this] { WriteFolderFile(IniFolder() + "Folder.ini", {FolderPaths(FolderMenuL), FolderPaths(FolderMenuR)}); });
  Step([this] {
    LAView->SetSmallImages(nullptr);
    RAView->SetSmallImages(nullptr);
  });
  Step([] { ClearDir(ProgramFolder() + "Temp", false); });
  if (Failed) ShowMessage("Termination failed");
}

// The path box and the music line take the width the tool bars leave them.
void TMainForm::FormResize(TObject*) {
  if (ToolBar2 == nullptr || Clock == nullptr) return;  // resized while the resource is being read
  PathBox->SetWidth(ToolBar2->Width() - PathBox->Left() - 3);
  MusicPath->SetWidth(ToolBar2->Width() - 360);
  Clock->SetLeft(ToolBar1->Width() - Clock->Width() - 3);
}

void TMainForm::FormShow(TObject* Sender) { FormResize(Sender); }

void TMainForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) PathBox->SetText("");
  (void)Shift;
}

void TMainForm::Exit1Click(TObject*) { Close(); }

// The options window opens on the page the menu item names in its Tag.
void TMainForm::SettingsClick(TObject* Sender) {
  if (Settings == nullptr) return;
  auto* Item = dynamic_cast<TComponent*>(Sender);
  Settings->PageControl1->SetActivePageIndex(Item != nullptr ? int(Item->Tag()) : 0);
  Settings->ShowModal();
}

void TMainForm::PathBoxKeyDown(TObject*, uint16_t&, TShiftState) {}

void TMainForm::Splitter1Moved(TObject*) {
  int W = Width();
  if (W > 0) Splitter1->SetHint(std::to_string(std::lround(100.0 * LPages->Width() / W)) + "%");
}

namespace {

// Whether a highlighter's file filter ("C++ files (*.cpp,*.h)|*.CPP;*.H") names the file's
// extension.
bool FilterNamesFile(const std::string& Filter, const std::string& FileName) {
  std::string Ext = UpperCase(ExtractFileExt(FileName));
  std::size_t Bar = Filter.find('|');
  if (Ext.empty() || Bar == std::string::npos) return false;
  std::string Masks = UpperCase(Filter.substr(Bar + 1));
  std::size_t I = 0;
  while (I <= Masks.size()) {
    std::size_t J = std::min(Masks.find(';', I), Masks.size());
    if (Masks.compare(I, J - I, "*" + Ext) == 0) return true;
    I = J + 1;
  }
  return false;
}

}  // namespace

void TMainForm::EditFile(const std::string& FileName) {
  Editor->Lines()->LoadFromFile(FileName);
  TmwCustomHighLighter* Chosen = nullptr;
  for (TmwCustomHighLighter* H : {static_cast<TmwCustomHighLighter*>(CPP), static_cast<TmwCustomHighLighter*>(Pas),
                                  static_cast<TmwCustomHighLighter*>(Perl), static_cast<TmwCustomHighLighter*>(Java)})
    if (H != nullptr && FilterNamesFile(H->GetDefaultFilter(), FileName)) Chosen = H;
  Editor->SetHighLighter(Chosen);
  Editor->SetModified(false);
  EditorFileName = FileName;
  MainPage->SetActivePage(EditTab);
}
