#include "app/settings.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "app/core/lng_strings.h"
#include "app/core/program_files.h"
#include "app/ass_form.h"
#include "app/html_page.h"
#include "app/main_form.h"
#include "app/re_form.h"
#include "classlib/core/exception.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "tools/win_miner.h"
#include "ui/cool_menu.h"

TSettings* Settings = nullptr;

const TClassInfo* TSettings::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TSettings, TForm>("TSettings")
          .Handler("FormCreate", &TSettings::FormCreate)
          .Handler("FormShow", &TSettings::FormShow)
          .Handler("FormPaint", &TSettings::FormPaint)
          .Handler("DrComChange", &TSettings::DrComChange)
          .Handler("CheckBox1Click", &TSettings::CheckBox1Click)
          .Handler("CheckBox5Click", &TSettings::CheckBox5Click)
          .Handler("AssCheckClick", &TSettings::AssCheckClick)
          .Handler("RecycleClick", &TSettings::RecycleClick)
          .Handler("CheckBox2Click", &TSettings::CheckBox2Click)
          .Handler("CheckBox3Click", &TSettings::CheckBox3Click)
          .Handler("HideFilesClick", &TSettings::HideFilesClick)
          .Handler("lTreecClick", &TSettings::lTreecClick)
          .Handler("rTreecClick", &TSettings::rTreecClick)
          .Handler("PanButClick", &TSettings::PanButClick)
          .Handler("BitBtn3Click", &TSettings::BitBtn3Click)
          .Handler("PathInCaptClick", &TSettings::PathInCaptClick)
          .Handler("CheckFastClick", &TSettings::CheckFastClick)
          .Handler("MusBarClick", &TSettings::MusBarClick)
          .Handler("RadioButton1Click", &TSettings::RadioButton1Click)
          .Handler("RadioButton2Click", &TSettings::RadioButton2Click)
          .Handler("OtherClick", &TSettings::OtherClick)
          .Handler("mp3PriorChange", &TSettings::mp3PriorChange)
          .Handler("ArcButClick", &TSettings::ArcButClick)
          .Handler("BitBtn4Click", &TSettings::BitBtn4Click)
          .Handler("ForButClick", &TSettings::ForButClick)
          .Handler("SpeedButton2Click", &TSettings::SpeedButton2Click)
          .Handler("FileTypeChange", &TSettings::FileTypeChange)
          .Handler("Button1Click", &TSettings::Button1Click)
          .Handler("Button2Click", &TSettings::Button2Click)
          .Handler("Button3Click", &TSettings::Button3Click)
          .Handler("BitBtn1Click", &TSettings::BitBtn1Click)
          .Handler("BitBtn2Click", &TSettings::BitBtn2Click)
          .Handler("BitBtn5Click", &TSettings::BitBtn5Click)
          .Handler("BitBtn6Click", &TSettings::BitBtn6Click)
          .Handler("SunClick", &TSettings::SunClick)
          .Handler("stopClick", &TSettings::stopClick)
          .Handler("MinerGameOver", &TSettings::MinerGameOver)
#define ZX_FIELD(N) .Field(#N, &TSettings::N)
          ZX_FIELD(PageControl1) ZX_FIELD(SysInfo) ZX_FIELD(TabSheet2) ZX_FIELD(TabSheet3) ZX_FIELD(TabSheet5)
          ZX_FIELD(BitBtn1) ZX_FIELD(BitBtn2) ZX_FIELD(BitBtn5) ZX_FIELD(BitBtn6) ZX_FIELD(Label7) ZX_FIELD(Label8)
          ZX_FIELD(Label9) ZX_FIELD(Label10) ZX_FIELD(Label11) ZX_FIELD(Label13) ZX_FIELD(Label14) ZX_FIELD(Label17)
          ZX_FIELD(Label18) ZX_FIELD(Label19) ZX_FIELD(Label20) ZX_FIELD(DrCom) ZX_FIELD(Label2) ZX_FIELD(Label3)
          ZX_FIELD(Label4) ZX_FIELD(Label5) ZX_FIELD(Label6) ZX_FIELD(FileType) ZX_FIELD(ColorBox) ZX_FIELD(Ital)
          ZX_FIELD(Bold) ZX_FIELD(Button1) ZX_FIELD(Button2) ZX_FIELD(Button3) ZX_FIELD(PanBut) ZX_FIELD(BitBtn3) ZX_FIELD(ArcBut)
          ZX_FIELD(ForBut) ZX_FIELD(BitBtn4) ZX_FIELD(SpeedButton3) ZX_FIELD(GroupBox7)
          ZX_FIELD(CheckBox1) ZX_FIELD(CheckBox2) ZX_FIELD(CheckBox3) ZX_FIELD(HideFiles) ZX_FIELD(PathInCapt)
          ZX_FIELD(CheckFast) ZX_FIELD(MusBar) ZX_FIELD(lTreec) ZX_FIELD(rTreec) ZX_FIELD(CheckBox5)
          ZX_FIELD(AssCheck) ZX_FIELD(Recycle) ZX_FIELD(RadioButton1) ZX_FIELD(RadioButton2) ZX_FIELD(Other)
          ZX_FIELD(mp3Prior) ZX_FIELD(mp3lab) ZX_FIELD(pMove) ZX_FIELD(pCopy) ZX_FIELD(pQuit) ZX_FIELD(CheckBox6)
          ZX_FIELD(CheckDel) ZX_FIELD(OpenLarge) ZX_FIELD(CheckBox4) ZX_FIELD(AltCheck) ZX_FIELD(AltEditor)
          ZX_FIELD(Alt1Check) ZX_FIELD(AltViewer) ZX_FIELD(LeftFolder) ZX_FIELD(RightFolder) ZX_FIELD(scrSaver)
          ZX_FIELD(CalcEdit) ZX_FIELD(CalendEdit) ZX_FIELD(CDEdit) ZX_FIELD(RegiEdit) ZX_FIELD(GameEdit)
          ZX_FIELD(pFont) ZX_FIELD(pSave) ZX_FIELD(OpenDialog1) ZX_FIELD(LangDialog) ZX_FIELD(FormStorage1)
          ZX_FIELD(Lang2) ZX_FIELD(Sun) ZX_FIELD(Miner) ZX_FIELD(stop)
#undef ZX_FIELD
          .Build();
  return &Info;
}

TSettings::TSettings(TComponent* AOwner) : TForm(AOwner) {
  cpu = new TCPUID(this);
  cpu->SetName("cpu");
  RegisterStorageClasses();
  RegisterColorButton();
  RegisterColorCombos();
  RegisterWinMiner();
  Tell = [](const std::string& Text) { ShowMessage(Text); };
}

namespace {

// The records behind the rows of the file-type combo.
const TFileTypeKind FileTypeRows[] = {ftArcs, ftExecutable, ftHTML, ftPics, ftText, ftOther};

std::string RegText(HKEY Root, const std::string& Key, const std::string& Name) {
  TRegistry Reg;
  Reg.SetRootKey(Root);
  if (!Reg.OpenKeyReadOnly(Key)) return "";
  try {
    if (Reg.GetDataType(Name) == rdInteger) return std::to_string(Reg.ReadInteger(Name));
    return Reg.ReadString(Name);
  } catch (const std::exception&) {
    return "";
  }
}

std::string Format2(const char* Fmt, unsigned long A, unsigned long B) {
  char Buf[64];
  std::snprintf(Buf, sizeof Buf, Fmt, A, B);
  return Buf;
}

}  // namespace

std::string DriveTypeName(UINT Type) {
  static const char* const Names[] = {"Unknoun", "Path not found", "Floppy", "Fixed", "Network", "CD-Rom", "RAM Drive"};
  return Type < 7 ? Names[Type] : Names[0];
}

void TSettings::FormCreate(TObject*) {
  Miner->SetVisible(false);  // the main window reveals the game
  OSVERSIONINFOW V{};
  V.dwOSVersionInfoSize = sizeof V;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&V);
#pragma GCC diagnostic pop
  Label17->SetCaption("Windows " + Format2("%lu,%lu", V.dwMajorVersion, V.dwMinorVersion) + " Build " +
                      std::to_string(V.dwBuildNumber));
  MEMORYSTATUSEX M{};
  M.dwLength = sizeof M;
  GlobalMemoryStatusEx(&M);
  Label14->SetCaption("Physical memory: " + std::to_string(M.ullTotalPhys / 1024) + " kb");
  Label18->SetCaption("Memory uses: " + std::to_string(M.dwMemoryLoad) + " %");
  const std::string NtKey = "\\Software\\Microsoft\\Windows NT\\CurrentVersion";
  Label19->SetCaption("User: " + RegText(HKEY_LOCAL_MACHINE, NtKey, "RegisteredOwner"));
  Label20->SetCaption("Company: " + RegText(HKEY_LOCAL_MACHINE, NtKey, "RegisteredOrganization"));
  Label13->SetCaption("Current screen size: " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                      std::to_string(GetSystemMetrics(SM_CYSCREEN)));

  DWORD Drives = GetLogicalDrives();
  for (int I = 0; I < 26; ++I)
    if (Drives & (1u << I)) DrCom->Items()->Add(std::string(1, char('A' + I)) + ":");
  int C = DrCom->Items()->IndexOf("C:");
  DrCom->SetItemIndex(C >= 0 ? C : 0);
  DrComChange(DrCom);
  FileType->SetItemIndex(0);
  FileTypeChange(FileType);
  // The language file's file-type names replace the list, which leaves no row chosen.
  Lang2->OnRestorePlacement = [this](TObject*) {
    if (FileType->ItemIndex() < 0 && FileType->Items()->Count() > 0) {
      FileType->SetItemIndex(0);
      FileTypeChange(FileType);
    }
  };
}

void TSettings::FormPaint(TObject*) {
  Label7->SetCaption("Processor description: " + cpu->ProcessorDescription());
  Label8->SetCaption("Processor speed: " + FloatToStr(cpu->ProcessorSpeed()));
  Label9->SetCaption("Processor vendor: " + cpu->ProcessorVendor());
  Label10->SetCaption("Processor family: " + IntToStr(cpu->ProcessorFamily()));
  Label11->SetCaption("Processor model: " + IntToStr(cpu->ProcessorModel()));
}

void TSettings::DrComChange(TObject*) {
  std::string Text = DrCom->Text();
  if (Text.empty() && DrCom->ItemIndex() >= 0) Text = (*DrCom->Items())[DrCom->ItemIndex()];
  if (Text.empty()) return;
  std::wstring Root = ToWide(std::string(1, Text[0]) + ":\\");
  Label2->SetCaption(DriveTypeName(GetDriveTypeW(Root.c_str())));
  ULARGE_INTEGER Free{}, Total{};
  if (!GetDiskFreeSpaceExW(Root.c_str(), &Free, &Total, nullptr)) Free.QuadPart = Total.QuadPart = 0;
  Label3->SetCaption("Disk size: " + std::to_string(Total.QuadPart / 1024) + " \xEA\xE1");
  Label4->SetCaption("Free disk size: " + std::to_string(Free.QuadPart / 1024) + " \xEA\xE1");
  wchar_t Volume[MAX_PATH + 1] = {}, FileSystem[MAX_PATH + 1] = {};
  GetVolumeInformationW(Root.c_str(), Volume, MAX_PATH, nullptr, nullptr, nullptr, FileSystem, MAX_PATH);
  Label5->SetCaption("File system: " + FromWide(FileSystem));
  Label6->SetCaption("Volume label: " + FromWide(Volume));
  CheckBox3Click(CheckBox3);
  CheckBox2Click(CheckBox2);
  CheckBox1Click(CheckBox1);
  HideFilesClick(HideFiles);
}

// Options shown on the main window.

void TSettings::CheckBox1Click(TObject*) {
  if (MainForm != nullptr) MainForm->ToolBar2->SetVisible(!CheckBox1->Checked());
}

void TSettings::CheckBox5Click(TObject*) {
  if (MainForm != nullptr && MainForm->CoolMenu1 != nullptr) MainForm->CoolMenu1->SetActive(!CheckBox5->Checked());
}

namespace {

// While the program starts, the main window is not shown yet: the window is shown after
// the splash has gone, by the start itself.
void ShowWithOption(TForm* Form, bool Checked) {
  if (Form == nullptr) return;
  if (!Checked)
    Form->Hide();
  else if (MainForm != nullptr && MainForm->Visible())
    Form->Show();
}

}  // namespace

void TSettings::AssCheckClick(TObject*) { ShowWithOption(AssForm, AssCheck->Checked()); }
void TSettings::RecycleClick(TObject*) { ShowWithOption(ReForm, Recycle->Checked()); }

void TSettings::CheckBox2Click(TObject*) {
  if (MainForm != nullptr) MainForm->ToolBar1->SetVisible(!CheckBox2->Checked());
}

void TSettings::CheckBox3Click(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  MainForm->LF->SetGridLines(CheckBox3->Checked());
  MainForm->RF->SetGridLines(CheckBox3->Checked());
}

void TSettings::HideFilesClick(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  // The HTML page's file list hides and shows what the panels do.
  TPTShellList* Html = MainForm->HtmlPage != nullptr ? MainForm->HtmlPage->HTMLShell : nullptr;
  for (TPTShellList* L : {MainForm->LF, MainForm->RF, Html}) {
    if (L == nullptr) continue;
    TPTShellListOptions O = L->Options();
    if (HideFiles->Checked())
      O.Include(ptsloShowHidden);
    else
      O.Exclude(ptsloShowHidden);
    if (O != L->Options()) L->SetOptions(O);
  }
}

void TSettings::lTreecClick(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  MainForm->LFTree->SetVisible(lTreec->Checked());
  MainForm->Splitter2->SetVisible(lTreec->Checked());
  if (lTreec->Checked()) MainForm->LFTree->SetFolder(MainForm->LF->Folder());
}

void TSettings::rTreecClick(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  MainForm->RFTree->SetVisible(rTreec->Checked());
  MainForm->Splitter3->SetVisible(rTreec->Checked());
  if (rTreec->Checked()) MainForm->RFTree->SetFolder(MainForm->RF->Folder());
}

void TSettings::PathInCaptClick(TObject*) {
  if (MainForm != nullptr && !PathInCapt->Checked()) MainForm->SetCaption("Zembrix");
}

void TSettings::CheckFastClick(TObject*) {
  if (MainForm != nullptr) MainForm->FastBar->SetVisible(!CheckFast->Checked());
}

void TSettings::MusBarClick(TObject*) {
  if (MainForm != nullptr) MainForm->ToolBar11->SetVisible(!MusBar->Checked());
}


// Languages

bool TSettings::SwitchLanguage(const std::string& LanguageFile, bool English) {
  THourGlass Busy;
  if (!FileExists(LanguageFile)) return false;
  // Copied beside the old texts first, so a failed copy leaves them in place.
  std::string Target = LngFileName();
  std::string Temp = Target + ".new";
  try {
    ForceDirectories(ExtractFilePath(Target));
    if (FileExists(Temp)) DeleteFileW(ToWide(Temp).c_str());
    CopyFileWithProgress(LanguageFile, Temp, nullptr);
  } catch (const std::exception& E) {
    DeleteFileW(ToWide(Temp).c_str());
    Application->ShowException(E);
    return false;
  }
  if (!MoveFileExW(ToWide(Temp).c_str(), ToWide(Target).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(ToWide(Temp).c_str());
    ShowMessage(LngStringOr("Cannot_replace", "Cannot replace") + " " + Target);
    return false;
  }
  EnglishTexts = English;
  for (TFormStorage* S : {Lang2, MainForm != nullptr ? MainForm->Lang : nullptr}) {
    if (S == nullptr) continue;
    S->SetIniFileName(Target);
    S->RestoreFormPlacement();
  }
  mp3PriorChange(mp3Prior);  // the priority's name follows the language
  ApplyDialogTexts();
  return true;
}

void ApplyDialogTexts() {
  static const char* const Captions[] = {"Warning", "Error", "Information", "Confirmation"};
  static const char* const Buttons[] = {"Yes", "No",  "OK",      "Cancel",   "Abort", "Retry",
                                        "Ignore", "All", "NoToAll", "YesToAll", "Help"};
  static_assert(std::size(Captions) == mtCustom && std::size(Buttons) == mbHelp + 1);
  TMsgDlgTexts Texts;
  try {
    TIniFile Ini(LngFileName());
    for (int I = 0; I < mtCustom; ++I) Texts.Captions[I] = Ini.ReadString("MsgDlg", Captions[I], "");
    for (int I = 0; I <= mbHelp; ++I) Texts.Buttons[I] = Ini.ReadString("MsgDlg", Buttons[I], "");
    Texts.SelectDirectory = Ini.ReadString("MsgDlg", "SelectDirectory", "");
    Texts.CreateDirectory = Ini.ReadString("MsgDlg", "CreateDirectory", "");
  } catch (const Exception&) {
    Texts = TMsgDlgTexts();  // an unreadable file: the English texts
  }
  SetMsgDlgTexts(Texts);
  ApplyDateNames();
}

void TSettings::RadioButton1Click(TObject*) { SwitchLanguage(ProgramFolder() + "Langs\\Russian.zq.lng", false); }

void TSettings::RadioButton2Click(TObject*) { SwitchLanguage(ProgramFolder() + "Langs\\English.zq.lng", true); }

void TSettings::OtherClick(TObject*) {
  // Restoring the option at start-up must not open a dialog.
  if (StartingUp) return;
  LangDialog->SetInitialDir(ProgramFolder() + "Langs");
  LangDialog->SetDefaultExt("lng");
  if (LangDialog->Execute() && FileExists(LangDialog->FileName())) SwitchLanguage(LangDialog->FileName(), EnglishTexts);
}

void TSettings::mp3PriorChange(TObject*) {
  static const char* const En[] = {"Idle", "Lowest", "Below normal", "Normal", "Above normal", "Highest", "Time critical"};
  static const char* const Ru[] = {"\xCD\xE0\xE8\xEC\xE5\xED\xFC\xF8\xE8\xE9", "\xCD\xE8\xE7\xEA\xE8\xE9",
                                   "\xCD\xE8\xE6\xE5 \xEE\xE1\xFB\xF7\xED\xEE\xE3\xEE", "\xCE\xE1\xFB\xF7\xED\xFB\xE9",
                                   "\xC2\xFB\xF8\xE5 \xEE\xE1\xFB\xF7\xED\xEE\xE3\xEE", "\xC2\xFB\xF1\xEE\xEA\xE8\xE9",
                                   "\xCD\xE0\xE8\xE2\xFB\xF1\xF8\xE8\xE9"};
  FPlayerPriority = std::clamp(mp3Prior->Position(), 1, 7) - 1;
  std::string Name = EnglishTexts ? En[FPlayerPriority] : Ru[FPlayerPriority];
  mp3lab->SetCaption(Name);
  mp3Prior->SetHint(Name);
}

// Colours and fonts of the main window

void TSettings::PanButClick(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  for (TWinControl* C : std::initializer_list<TWinControl*>{MainForm->LF, MainForm->RF, MainForm->LFTree,
                                                            MainForm->RFTree})
    C->SetColor(PanBut->Color());
}

void TSettings::BitBtn3Click(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  pFont->SetFont(MainForm->LF->Font());
  if (!pFont->Execute()) return;
  for (TWinControl* C : std::initializer_list<TWinControl*>{MainForm->LF, MainForm->RF, MainForm->LFTree,
                                                            MainForm->RFTree})
    C->SetFont(pFont->Font());
}

void TSettings::ArcButClick(TObject*) {
  if (MainForm == nullptr) return;
  MainForm->LAView->SetColor(ArcBut->Color());
  MainForm->RAView->SetColor(ArcBut->Color());
}

void TSettings::BitBtn4Click(TObject*) {
  if (MainForm == nullptr) return;
  pFont->SetFont(MainForm->LAView->Font());
  if (!pFont->Execute()) return;
  MainForm->LAView->SetFont(pFont->Font());
  MainForm->RAView->SetFont(pFont->Font());
}

void TSettings::ForButClick(TObject*) {
  if (MainForm == nullptr) return;
  MainForm->SetColor(ForBut->Color());
  MainForm->FormLabel->SetColor(ForBut->Color());
}

void TSettings::SpeedButton2Click(TObject*) {
  if (MainForm == nullptr) return;
  pFont->SetFont(MainForm->Font());
  if (!pFont->Execute()) return;
  MainForm->SetFont(pFont->Font());
  MainForm->FormLabel->SetFont(pFont->Font());
}

void TSettings::FileTypeChange(TObject*) {
  int Row = FileType->ItemIndex();
  if (Row < 0 || Row >= FileTypeCount) return;
  const TFileTypeColor& C = FileTypeColors[FileTypeRows[Row]];
  ColorBox->SetColorValue(C.Color);
  Ital->SetChecked(C.Italic);
  Bold->SetChecked(C.Bold);
}

void TSettings::Button1Click(TObject*) {
  int Row = FileType->ItemIndex();
  if (Row < 0 || Row >= FileTypeCount) return;
  TFileTypeColor& C = FileTypeColors[FileTypeRows[Row]];
  C.Color = ColorBox->ColorValue();
  C.Italic = Ital->Checked();
  C.Bold = Bold->Checked();
  if (MainForm != nullptr) MainForm->Invalidate();
}

// Palettes

void TSettings::Button2Click(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  std::string OldFilter = OpenDialog1->Filter();
  OpenDialog1->SetFilter("Palettes|*.pal");
  OpenDialog1->SetInitialDir(ProgramFolder() + "ini\\pal");
  bool Chosen = OpenDialog1->Execute();
  OpenDialog1->SetFilter(OldFilter);
  if (!Chosen) return;
  TPalette P;
  P.FormFont = MainForm->Font();
  P.FilesFont = MainForm->LF->Font();
  P.FilesColor = MainForm->LF->Color();
  try {
    LoadPalette(OpenDialog1->FileName(), P);
  } catch (const std::exception& E) {
    Application->ShowException(E);
    return;
  }
  FileTypeColors = P.Types;
  MainForm->SetColor(P.FormColor);
  MainForm->SetFont(P.FormFont);
  ForBut->SetColor(P.FormColor);
  PanBut->SetColor(P.FilesColor);
  for (TWinControl* C : std::initializer_list<TWinControl*>{MainForm->LF, MainForm->RF, MainForm->LFTree,
                                                            MainForm->RFTree}) {
    C->SetColor(P.FilesColor);
    C->SetFont(P.FilesFont);
  }
  FileTypeChange(FileType);
  MainForm->Invalidate();
}

void TSettings::Button3Click(TObject*) {
  if (MainForm == nullptr || MainForm->LF == nullptr) return;
  pSave->SetInitialDir(ProgramFolder() + "ini\\pal");
  if (!pSave->Execute()) return;
  TPalette P;
  P.Types = FileTypeColors;
  P.FormFont = MainForm->Font();
  P.FormColor = MainForm->Color();
  P.FilesFont = MainForm->LF->Font();
  P.FilesColor = MainForm->LF->Color();
  try {
    SavePalette(pSave->FileName(), P);
  } catch (const std::exception& E) {
    Application->ShowException(E);
  }
}

// Window

void TSettings::FormShow(TObject*) {
  if (MainForm != nullptr && MainForm->LF != nullptr) {
    PanBut->SetColor(MainForm->LF->Color());
    ForBut->SetColor(MainForm->Color());
    ArcBut->SetColor(MainForm->LAView->Color());
    lTreec->SetChecked(MainForm->LFTree->Visible());
    rTreec->SetChecked(MainForm->RFTree->Visible());
  }
  FormStorage1->SaveFormPlacement();
}

void TSettings::BitBtn1Click(TObject*) {
  if (Modal())
    SetModalResult(mrOk);
  else
    Close();
}

void TSettings::BitBtn2Click(TObject*) {
  ShellAboutW(Handle(), L"Zembrix", ToWide(LngStringOr("About_text", "Zembrix: a two-panel file manager")).c_str(),
              nullptr);
  PageControl1->SetFocus();
}

void TSettings::BitBtn5Click(TObject*) { FormStorage1->SaveFormPlacement(); }

void TSettings::BitBtn6Click(TObject*) {
  FormStorage1->RestoreFormPlacement();
  if (Modal())
    SetModalResult(mrCancel);
  else
    Close();
}

// The game.

void TSettings::ShowGame(bool Show) {
  if (Show && Miner->Field().Cols() == 0) Miner->NewGame();  // never an empty field
  Sun->SetVisible(Show);
  Miner->SetVisible(Show);
  stop->SetVisible(Show);
}

void TSettings::SunClick(TObject*) { Miner->NewGame(); }

void TSettings::stopClick(TObject*) { ShowGame(false); }

void TSettings::MinerGameOver(TObject*) { Tell("Game over!"); }
