#include "app/main_form.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/arc_page.h"
#include "app/menu_commands.h"
#include "app/editor_page.h"
#include "app/text_pages.h"
#include "app/core/cnv.h"
#include "app/core/lng_strings.h"
#include "app/core/program_files.h"
#include "app/core/zemb_rout.h"
#include "app/f2_menu.h"
#include "app/help_form.h"
#include "app/html_page.h"
#include "app/panel_keys.h"
#include "app/plugin_manager.h"
#include "app/fast_list.h"
#include "tools/crypt_it.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/icon.h"
#include "classlib/win/media_player.h"
#include "classlib/win/ole_container.h"
#include "classlib/win/wide_string.h"
#include "shell/drop_menu.h"
#include "storage/core/file_utils.h"
#include "ui/cool_menu.h"
#include "storage/core/props_storage.h"
#include "tools/alarms.h"
#include "tools/calendar_form.h"
#include "tools/core/mp3_info.h"
#include "tools/mod_plug_player.h"
#include "tools/mpeg_player.h"
#include "tools/rs_tip.h"

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
                                 .Field("OleNew", &TMainForm::OleNew)
                                 .Field("ActiveXMenu", &TMainForm::ActiveXMenu)
                                 .Handler("NewDoc1Click", &TMainForm::NewDoc1Click)
                                 .Handler("OpenDoc1Click", &TMainForm::OpenDoc1Click)
                                 .Handler("SaveDoc1Click", &TMainForm::SaveDoc1Click)
                                 .Handler("ActiveXMenuPopup", &TMainForm::ActiveXMenuPopup)
                                 .Handler("OleNewKeyDown", &TMainForm::OleNewKeyDown)
                                 .Handler("MainPageChanging", &TMainForm::MainPageChanging)
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
                                 .Field("LEdit", &TMainForm::LEdit)
                                 .Field("REdit", &TMainForm::REdit)
                                 .Field("MP", &TMainForm::MP)
                                 .Field("mp3", &TMainForm::mp3)
                                 .Field("mpp", &TMainForm::mpp)
                                 .Field("MP3Info", &TMainForm::MP3Info)
                                 .Field("Timer2", &TMainForm::Timer2)
                                 .Field("MusicOpen", &TMainForm::MusicOpen)
                                 .Handler("SpeedButton79Click", &TMainForm::SpeedButton79Click)
                                 .Handler("SpeedButton80Click", &TMainForm::SpeedButton80Click)
                                 .Handler("SpeedButton81Click", &TMainForm::SpeedButton81Click)
                                 .Handler("Timer2Timer", &TMainForm::Timer2Timer)
                                 .Handler("CalendBtnClick", &TMainForm::CalendBtnClick)
                                 .Handler("AlarmBtnClick", &TMainForm::AlarmBtnClick)
                                 .Handler("ClockAlarm", &TMainForm::ClockAlarm)
                                 .Handler("LImageMouseDown", &TMainForm::LImageMouseDown)
                                 .Handler("RImageMouseDown", &TMainForm::RImageMouseDown)
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
                                 .Handler("SpeedButton20Click", &TMainForm::SpeedButton20Click)
                                 .Handler("N9Click", &TMainForm::N9Click)
                                 .Handler("N12Click", &TMainForm::N12Click)
                                 .Handler("ToolBar1Click", &TMainForm::ToolBar1Click)
                                 .Handler("N13Click", &TMainForm::N13Click)
                                 .Handler("N14Click", &TMainForm::N14Click)
                                 .Handler("SpeedButton21Click", &TMainForm::SpeedButton21Click)
                                 .Handler("SpeedButton22Click", &TMainForm::SpeedButton22Click)
                                 .Handler("SpeedButton25Click", &TMainForm::SpeedButton25Click)
                                 .Handler("SpeedButton27Click", &TMainForm::SpeedButton27Click)
                                 .Handler("SpeedButton29Click", &TMainForm::SpeedButton29Click)
                                 .Handler("CharMapBtnClick", &TMainForm::CharMapBtnClick)
                                 .Handler("CDBtnClick", &TMainForm::CDBtnClick)
                                 .Handler("GameBtnClick", &TMainForm::GameBtnClick)
                                 .Handler("N4Click", &TMainForm::N4Click)
                                 .Handler("UUE2Click", &TMainForm::UUE2Click)
                                 .Handler("N3Click", &TMainForm::N3Click)
                                 .Handler("N83Click", &TMainForm::N83Click)
                                 .Handler("N79Click", &TMainForm::N79Click)
                                 .Handler("Connectnetworkdrive1Click", &TMainForm::Connectnetworkdrive1Click)
                                 .Handler("Disconnectnetworkdrivw1Click", &TMainForm::Disconnectnetworkdrivw1Click)
                                 .Handler("N90Click", &TMainForm::N90Click)
                                 .Handler("N92Click", &TMainForm::N92Click)
                                 .Handler("WWW1Click", &TMainForm::WWW1Click)
                                 .Handler("Execute1Click", &TMainForm::Execute1Click)
                                 .Handler("Formatdisk1Click", &TMainForm::Formatdisk1Click)
                                 .Handler("Copydisk1Click", &TMainForm::Copydisk1Click)
                                 .Handler("N2Click", &TMainForm::N2Click)
                                 .Handler("cryptClick", &TMainForm::cryptClick)
                                 .Handler("decryptClick", &TMainForm::decryptClick)
                                 .Handler("plugN84Click", &TMainForm::plugN84Click)
                                 .Handler("PlugMenuPopup", &TMainForm::PlugMenuPopup)
                                 .Handler("PlugCloseClick", &TMainForm::PlugCloseClick)
                                 .Handler("FastEditClick", &TMainForm::FastEditClick)
                                 .Field("PlugMenu", &TMainForm::PlugMenu)
                                 .Field("PlugClose", &TMainForm::PlugClose)
                                 .Field("CopyDiskDlg1", &TMainForm::CopyDiskDlg1)
                                 .Field("RunDialog1", &TMainForm::RunDialog1)
                                 .Field("FormatDialog1", &TMainForm::FormatDialog1)
                                 .Field("spd", &TMainForm::spd)
                                 .Handler("AppletClick", &TMainForm::AppletClick)
                                 .Handler("aN77Click", &TMainForm::aN77Click)
                                 .Handler("aN79Click", &TMainForm::aN79Click)
                                 .Handler("aN78Click", &TMainForm::aN78Click)
                                 .Handler("N11Click", &TMainForm::N11Click)
                                 .Handler("Hotkeys1Click", &TMainForm::Hotkeys1Click)
                                 .Handler("Writeus1Click", &TMainForm::Writeus1Click)
                                 .Handler("ArcViewStyleClick", &TMainForm::ArcViewStyleClick)
                                 .Handler("PanelViewStyleClick", &TMainForm::PanelViewStyleClick)
                                 .Handler("SpeedButton24Click", &TMainForm::SpeedButton24Click)
                                 .Handler("SpeedButton26Click", &TMainForm::SpeedButton26Click)
                                 .Field("ToolBar3", &TMainForm::ToolBar3)
                                 .Field("ToolBar4", &TMainForm::ToolBar4)
                                 .Handler("SpeedButton63Click", &TMainForm::SpeedButton63Click)
                                 .Handler("SpeedButton73Click", &TMainForm::SpeedButton73Click)
                                 .Handler("FastMenuPopup", &TMainForm::FastMenuPopup)
                                 .Handler("FastAddClick", &TMainForm::FastAddClick)
                                 .Handler("FastAlignClick", &TMainForm::FastAlignClick)
                                 .Handler("Analog1Click", &TMainForm::Analog1Click)
                                 .Handler("Digital1Click", &TMainForm::Digital1Click)
                                 .Field("Glyphs", &TMainForm::Glyphs)
                                 .Field("CoolMenu1", &TMainForm::CoolMenu1)
                                 .Field("FastOpen", &TMainForm::FastOpen)
                                 .Field("pd", &TMainForm::pd)
                                 .Field("FastMenu", &TMainForm::FastMenu)
                                 .Field("FastLeft", &TMainForm::FastLeft)
                                 .Field("FastRight", &TMainForm::FastRight)
                                 .Field("FastBottom", &TMainForm::FastBottom)
                                 .Field("FastTop", &TMainForm::FastTop)
                                 .Field("ClockMenu", &TMainForm::ClockMenu)
                                 .Field("Analog1", &TMainForm::Analog1)
                                 .Field("Digital1", &TMainForm::Digital1)
                                 .Field("N78", &TMainForm::N78)
                                 .Handler("FormPaint", &TMainForm::FormPaint)
                                 .Handler("SpeedButton19Click", &TMainForm::SpeedButton19Click)
                                 .Handler("SpeedButton23Click", &TMainForm::SpeedButton23Click)
                                 .Handler("osd1Click", &TMainForm::osd1Click)
                                 .Handler("SpeedButton30Click", &TMainForm::SpeedButton30Click)
                                 .Handler("SpeedButton31Click", &TMainForm::SpeedButton31Click)
                                 .Handler("SpeedButton32Click", &TMainForm::SpeedButton32Click)
                                 .Handler("SpeedButton33Click", &TMainForm::SpeedButton33Click)
                                 .Handler("SpeedButton34Click", &TMainForm::SpeedButton34Click)
                                 .Handler("SpeedButton35Click", &TMainForm::SpeedButton35Click)
                                 .Handler("Compactstyle1Click", &TMainForm::Compactstyle1Click)
                                 .Handler("CaptionButton1Click", &TMainForm::CaptionButton1Click)
                                 .Handler("TrayRestore", &TMainForm::TrayRestore)
                                 .Field("TrayMenu", &TMainForm::TrayMenu)
                                 .Handler("PanelCopyClick", &TMainForm::PanelCopyClick)
                                 .Handler("PanelMoveClick", &TMainForm::PanelMoveClick)
                                 .Handler("PanelArchiveClick", &TMainForm::PanelArchiveClick)
                                 .Handler("LN73Click", &TMainForm::LN73Click)
                                 .Handler("RN78Click", &TMainForm::RN78Click)
                                 .Handler("N81Click", &TMainForm::N81Click)
                                 .Handler("N82Click", &TMainForm::N82Click)
                                 .Handler("PanelRecycleClick", &TMainForm::PanelRecycleClick)
                                 .Handler("PanelEditClick", &TMainForm::PanelEditClick)
                                 .Handler("PanelViewClick", &TMainForm::PanelViewClick)
                                 .Handler("PanelSortClick", &TMainForm::PanelSortClick)
                                 .Handler("PanelNewFolderClick", &TMainForm::PanelNewFolderClick)
                                 .Handler("PanelCancelMaskClick", &TMainForm::PanelCancelMaskClick)
                                 .Handler("PanelRefreshClick", &TMainForm::PanelRefreshClick)
                                 .Handler("PanelSpecialFolderClick", &TMainForm::PanelSpecialFolderClick)
                                 .Handler("N35Click", &TMainForm::N35Click)
                                 .Handler("N37Click", &TMainForm::N37Click)
                                 .Field("LM", &TMainForm::LM)
                                 .Field("RN", &TMainForm::RN)
                                 .Field("LMenu", &TMainForm::LMenu)
                                 .Field("RMenu", &TMainForm::RMenu)
                                 .Build();
  return &Info;
}

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterEditorClasses();
  RegisterStorageClasses();
  RegisterRxClock();
  RegisterRxRichEdit();
  RegisterMediaPlayer();
  RegisterMPEGPlayer();
  RegisterModPlugPlayer();
  static const bool TagReaderRegistered = (RegisterClass(TMP3Info::StaticClassInfo()), true);
  (void)TagReaderRegistered;
  RegisterCoolMenu();
  RegisterShellDialogs();
  RegisterOleContainer();
  Ask = [](const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons) {
    return MessageDlg(Msg, Type, Buttons, 0);
  };
  AskText = [](const std::string& Caption, const std::string& Prompt, std::string& Value) {
    return InputQuery(Caption, Prompt, Value);
  };
  Launch = [](const std::string& File, const std::string& Params, const std::string& Dir) {
    ExecuteFile(File, Params, Dir, SW_SHOWNORMAL);
  };
  ExitSystem = [](UINT Flags) { return EndSession(Flags); };
  AskBox = [](const std::string& Text, const std::string& Caption, UINT Flags) {
    return Application->MessageBox(Text, Caption, Flags);
  };
  FindFiles = [] { ShellFindFiles(); };
  // F1 in the accessories opens the program's own help.
  TCalendarForm::ShowHelp = ShowHelpTopic;
  TAlarms::ShowHelp = ShowHelpTopic;
  // The menu of a right-button drop on the panels' lists and trees, and the names of the
  // shortcuts and copies the panels make, in the user's language. A text the language file
  // lacks is left empty: the English one stands.
  DropMenuTexts = [] {
    return TDropMenuTexts{LngStringOr("Drop_copy", ""),          LngStringOr("Drop_move", ""),
                          LngStringOr("Drop_link", ""),          LngStringOr("Drop_cancel", ""),
                          LngStringOr("Drop_shortcut_name", ""), LngStringOr("Drop_copy_name", ""),
                          LngStringOr("Drop_copy_name_n", "")};
  };
}

namespace {

std::string IniFolder() { return ProgramFolder() + "ini\\"; }

std::string LngText(const std::string& Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

std::string LngMask(const std::string& Key) {
  std::string S;
  GetLngMask(Key, S);
  return S;
}

// Commands of the tool bar and the menus end with the little-error message when they fail;
// the window stays as it was.
void Guarded(const std::function<void()>& Work) {
  try {
    Work();
  } catch (const std::exception&) {
    ShowMessage(LittleErrorText());
  }
}

bool RunningUnderWine() {
  HMODULE Ntdll = GetModuleHandleW(L"ntdll.dll");
  return Ntdll != nullptr && GetProcAddress(Ntdll, "wine_get_version") != nullptr;
}

}  // namespace

// Ends the session with the privilege that it needs; every failure is told.
bool EndSession(UINT Flags) {
  if (RunningUnderWine()) {
    // Under Wine the call ends every program of the prefix instead of the session.
    ShowMessage(LngStringOr("Power_under_wine", "Shutting down, restarting and logging off are not available under Wine."));
    return false;
  }
  HANDLE Token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &Token)) {
    TOKEN_PRIVILEGES P{};
    P.PrivilegeCount = 1;
    P.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &P.Privileges[0].Luid))
      AdjustTokenPrivileges(Token, FALSE, &P, 0, nullptr, nullptr);
    CloseHandle(Token);
  }
  if (ExitWindowsEx(Flags, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED)) return true;
  ShowMessage(SysErrorMessage(GetLastError()));
  return false;
}

void TMainForm::FormCreate(TObject*) {
  FDesignLeftWidth = LPages->Width();
  if (!HtmlPage && HTMLTab) HtmlPage = new THtmlPage(this, HTMLTab);
  // The HTML page's buttons are made in code, so the language storage cannot reach them:
  // they follow each restore of the main window's texts.
  Lang->OnRestorePlacement = [this](TObject*) {
    if (HtmlPage != nullptr) HtmlPage->ReadHints(Lang->IniFileName());
    if (EditorPage != nullptr) EditorPage->ReadTexts(Lang->IniFileName());
  };
  MakeOlePage();
  EditorFileName.clear();
  StartingUp = true;
  EnglishTexts = true;
  KeyboardLayoutSet = false;
  // Panel names and commands are typed with the US layout; under some systems the call
  // changes nothing, which is harmless.
  LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE);
  if (ProgramFolder().empty()) SetProgramFolder(ExtractFilePath(Application->ExeName()));
  Lang->SetIniFileName(LngFileName());
  if (HtmlPage != nullptr) HtmlPage->ReadHints(Lang->IniFileName());

  TBitmap Strip;
  try {
    Strip.LoadFromResourceName(GetModuleHandleW(nullptr), "MAINGLYPHS");
    Glyphs->AddMasked(&Strip, clFuchsia);
  } catch (const std::exception&) {
    // A program built without its pictures still works; the buttons show their hints.
  }
  MakePanel(true);
  MakePanel(false);
  // Each panel's own menu opens beside its items and over its tool bar.
  LF->SetPopupMenu(LMenu);
  RF->SetPopupMenu(RMenu);
  ToolBar3->SetPopupMenu(LMenu);
  ToolBar4->SetPopupMenu(RMenu);
  if (ArcPage == nullptr) ArcPage = new TArcPage(this);
  // The panels' controls are made above, after the storage matched its list to the form's
  // components: their stored properties join the list now.
  static const char* const PanelProps[] = {
      "RFTree.Height", "RF.Height",     "RF.Gridlines",  "RF.Color",     "RF.Font",      "RCombo.Font",   "RF.ViewStyle",
      "LFTree.Height", "LF.Color",      "LF.Gridlines",  "LF.Font",      "LF.ViewStyle", "LCombo.Color",  "LFTree.Color",
      "RCombo.Color",  "RFTree.Color",  "LF.Folder",     "RF.Folder",    "LCombo.Width", "RCombo.Width"};
  TStringList Stored;
  Stored.Assign(FormStorage1->StoredProps());
  for (const char* P : PanelProps) Stored.Add(P);
  UpdateStoredList(this, &Stored, true);
  FormStorage1->SetStoredProps(&Stored);
  // The MPEG decoder library is one of the program's own files.
  mp3->SetPathToDLL(ProgramFolder());
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
  if (MenuCommands == nullptr) MenuCommands = new TMenuCommands(this);
  if (EditorPage == nullptr) {
    EditorPage = new TEditorPage(this);
    EditorPage->ReadTexts(Lang->IniFileName());
  }
  AcceptMusicDrops();
  if (TextPages == nullptr) TextPages = new TTextPages(this);
  MakeLaunchers();
  if (Tips == nullptr) {
    Tips = new TrsTip(this);
    // The tips come with the program; what was shown last is the user's own state.
    Tips->SetTipsFileName(ProgramFolder() + "INI\\Tips.ini");
    Tips->SetIniFileName(IniFolder() + "TipState.ini");
    Tips->SetModeless(true);
  }
}

void TMainForm::LoadFastBar() {
  for (const auto& Line : ReadFastBarFile(IniFolder() + "FastBar.ini")) AddFastButton(ExpandFileName(Line));
}

TToolButton* TMainForm::AddFastButton(const std::string& Path) {
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
  // After the buttons already there.
  B->SetLeft(FastBar->ButtonCount() > 0 ? FastBar->Buttons(FastBar->ButtonCount() - 1)->Left() + 1 : 0);
  B->SetParent(FastBar);
  B->SetImageIndex(Image);
  B->SetCaption(Path);
  B->SetHint(ExtractFileName(Path));
  B->SetStyle(tbsCheck);
  B->SetGrouped(true);
  B->SetAllowAllUp(true);
  B->OnClick = [this](TObject* S) { FastGo(S); };
  return B;
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
  if (CanClose && !KeepOleDocument()) CanClose = false;
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
  // The shell controls go before the window, in this order; the form storage has saved
  // their state when the close was agreed.
  Step([this] {
    auto Free = [](auto*& Control) {
      delete Control;
      Control = nullptr;
    };
    Free(RF);
    Free(LF);
    Free(RFTree);
    Free(LFTree);
    Free(LCombo);
    Free(RCombo);
  });
  Step([this] {
    if (OleNew != nullptr) OleNew->DestroyObject();
  });
  Step([] { ClearDir(ProgramFolder() + "Temp", false); });
  if (Failed) ShowMessage("Termination failed");
}

// The path box and the music line take the width the tool bars leave them.
void TMainForm::FormResize(TObject*) {
  if (ToolBar2 == nullptr || Clock == nullptr) return;  // resized while the resource is being read
  PathBox->SetWidth(ToolBar2->Width() - PathBox->Left() - 3);
  MusicPath->SetWidth(ToolBar2->Width() - 360);
  ToolBar11->Realign();
  Clock->SetLeft(ToolBar1->Width() - Clock->Width() - 3);
  KeepPanelShares();
}

// Runs after the form storage has restored the stored state (the panels' folders too).
void TMainForm::FormShow(TObject* Sender) {
  FormResize(Sender);
  if (!FPanelsShown) {
    FPanelsShown = true;
    // The form's own width is the left panel's in the form's own window; a stored width is
    // taken against the window's stored size, which it gets only when shown (first paint).
    if (LPages->Width() == FDesignLeftWidth) {
      RememberPanelShare();
      FShareKnown = true;
    }
    // The restored folders are read without a change: the lists are filled from them here.
    // A stored folder that is gone leaves its panel on the desktop.
    // The path combos were not told either: they name the folders the lists show.
    for (bool Left : {true, false}) {
      TPTShellList* List = Left ? LF : RF;
      try {
        List->Refill();
      } catch (const std::exception&) {
        List->Folder()->Clear();
      }
      try {
        (Left ? LCombo : RCombo)->SetFolder(List->Folder());
      } catch (const std::exception&) {
      }
    }
  }
  ApplyStartFolders();
}

void TMainForm::Exit1Click(TObject*) { Close(); }

// The path box is a command line: Enter runs it in the active panel's folder.
void TMainForm::PathBoxKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  std::string Line = Trim(PathBox->Text());
  if (Line.empty()) return;
  const TCommandLine C = SplitCommandLine(Line);
  Launch(C.Program, C.Params, PathInfo->Caption());
  if (PathBox->Items()->IndexOf(Line) < 0) PathBox->Items()->Add(Line);
}

void TMainForm::ShowSettings(TTabSheet* Page) {
  if (Settings == nullptr) return;
  if (Page != nullptr) Settings->PageControl1->SetActivePage(Page);
  Settings->ShowModal();
}

void TMainForm::SpeedButton20Click(TObject*) { Guarded([this] { ShowSettings(nullptr); }); }
void TMainForm::N9Click(TObject*) { ShowSettings(Settings != nullptr ? Settings->TabSheet3 : nullptr); }
void TMainForm::N12Click(TObject*) { ShowSettings(Settings != nullptr ? Settings->TabSheet5 : nullptr); }

void TMainForm::ToolBar1Click(TObject*) {
  if (Settings == nullptr || PathBox->Text() != "Hep!?") return;
  Settings->ShowGame(true);
  ShowSettings(Settings->TabSheet5);
}
void TMainForm::N13Click(TObject*) { ShowSettings(Settings != nullptr ? Settings->TabSheet2 : nullptr); }
void TMainForm::N14Click(TObject*) { ShowSettings(Settings != nullptr ? Settings->SysInfo : nullptr); }

// A program named in the options, started in its own folder.
void TMainForm::RunTool(const std::string& Program) {
  std::string P = Trim(Program);
  if (!P.empty()) Launch(P, "", ExtractFilePath(P));
}

void TMainForm::SpeedButton21Click(TObject*) { Guarded([this] { RunTool(Settings->CalcEdit->Text()); }); }
void TMainForm::SpeedButton22Click(TObject*) { Guarded([this] { RunTool(Settings->RegiEdit->Text()); }); }
void TMainForm::SpeedButton25Click(TObject*) {
  if (Settings == nullptr || Trim(Settings->scrSaver->Text()).empty()) {
    ShowAssistantTip("Screen_saver");
    return;
  }
  Guarded([this] { RunTool(Settings->scrSaver->Text()); });
}
void TMainForm::CDBtnClick(TObject*) { Guarded([this] { RunTool(Settings->CDEdit->Text()); }); }
void TMainForm::GameBtnClick(TObject*) { Guarded([this] { RunTool(Settings->GameEdit->Text()); }); }
void TMainForm::CharMapBtnClick(TObject*) { Guarded([this] { Launch("charmap.exe", "", ""); }); }

// The command prompt: the system's own interpreter (COMSPEC); command.com only where no
// interpreter is named, since current systems have none by that name.
void TMainForm::SpeedButton27Click(TObject*) {
  Guarded([this] {
    wchar_t Buf[MAX_PATH] = {};
    DWORD N = GetEnvironmentVariableW(L"COMSPEC", Buf, MAX_PATH);
    Launch(N > 0 && N < MAX_PATH ? FromWide(Buf) : std::string("command.com"), "", "");
  });
}

void TMainForm::SpeedButton29Click(TObject*) {
  Guarded([this] {
    Launch("sysedit.exe", "", "");
    Launch("msconfig.exe", "", "");
  });
}

std::string TMainForm::CurrentFile() const {
  std::string Name = STBar->Panels()->Items(0)->Text();
  if (Name.empty()) return "";
  std::string Folder = PathInfo->Caption();
  return Folder.size() > 3 ? Folder + "\\" + Name : Folder + Name;
}

// A new file on the editor page, or an existing one opened there.
void TMainForm::N4Click(TObject*) {
  std::string Name = CurrentFile();
  if (Name.empty()) Name = PathInfo->Caption().size() > 3 ? PathInfo->Caption() + "\\" : PathInfo->Caption();
  if (!AskText(LngText("Edit_file"), LngText("Input_filename"), Name)) return;
  if (Trim(Name).empty()) {
    ShowAssistantTip("Edit_file");
    return;
  }
  Guarded([this, &Name] {
    if (FileExists(Name)) {
      EditFile(Name);
      return;
    }
    TFileStream Created(Name, fmCreate);
    Editor->Lines()->Clear();
    Editor->SetHighLighter(nullptr);
    Editor->SetModified(false);
    EditorFileName = Name;
    MainPage->SetActivePage(EditTab);
  });
}

void TMainForm::UUE2Click(TObject*) {
  std::string Name = CurrentFile();
  if (!Name.empty()) Guarded([&Name] { UUEncodeFile(Name, 664); });
}

void TMainForm::N3Click(TObject*) { pd->Execute(); }

void TMainForm::N83Click(TObject*) {
  std::unique_ptr<TF2Menu> Menu(CreateForm<TF2Menu>(this));
  Menu->FormStorage1->SetIniFileName(LngFileName());
  Menu->ShowModal();
}

void TMainForm::N79Click(TObject*) {
  PathBox->SetFocus();
  PathBox->SetDroppedDown(true);
}

namespace {

// The network dialogs tell their own errors once they are up; one that cannot open at all
// (no network, or Wine, which has none of them) returns an error and shows nothing, so the
// command would seem to do nothing.
void TellNetworkDialogResult(DWORD Result) {
  if (Result == NO_ERROR || Result == DWORD(-1)) return;  // done, or cancelled by the user
  ShowMessage(LngStringOr("Network_failed", "Network drives are not available: the network dialog cannot be opened."));
}

}  // namespace

void TMainForm::Connectnetworkdrive1Click(TObject*) {
  TellNetworkDialogResult(WNetConnectionDialog(Application->Handle(), RESOURCETYPE_DISK));
}

void TMainForm::Disconnectnetworkdrivw1Click(TObject*) {
  TellNetworkDialogResult(WNetDisconnectDialog(Application->Handle(), RESOURCETYPE_DISK));
}

void TMainForm::N90Click(TObject*) { SHAddToRecentDocs(SHARD_PATH, nullptr); }

namespace {

bool HasSpaceOrQuote(const std::string& S) { return S.find_first_of(" \t\r\n\"<>") != std::string::npos; }

}  // namespace

void TMainForm::N92Click(TObject*) {
  std::string Address;
  if (!AskText(LngText("Mail"), LngText("Input_address"), Address)) return;
  Address = Trim(Address);
  if (Address.empty()) return;
  if (Address.find('@') == std::string::npos || HasSpaceOrQuote(Address)) {
    ShowMessage(LngStringOr("Bad_address", "Not a mail address:") + " " + Address);
    return;
  }
  Launch("mailto:" + Address, "", "");
}

// Only web addresses are opened: any other text would be run as a program.
void TMainForm::WWW1Click(TObject*) {
  std::string Url;
  if (!AskText("Open URL", "Input URL", Url)) return;
  Url = Trim(Url);
  if (Url.empty()) return;
  std::string Lower = LowerCase(Url);
  bool HasScheme = Lower.rfind("http://", 0) == 0 || Lower.rfind("https://", 0) == 0 || Lower.rfind("ftp://", 0) == 0;
  if (!HasScheme && Lower.find("://") == std::string::npos && Lower.find(':') == std::string::npos &&
      Lower.find('.') != std::string::npos)
    Url = "http://" + Url, HasScheme = true;
  if (!HasScheme || HasSpaceOrQuote(Url)) {
    ShowMessage(LngStringOr("Bad_url", "Not a web address:") + " " + Url);
    return;
  }
  Launch(Url, "", "");
}

void TMainForm::Execute1Click(TObject*) {
  if (!RunDialog1->Execute()) ShowMessage(LngStringOr("No_run_dialog", "The Run dialog is not available on this system."));
}

void TMainForm::Formatdisk1Click(TObject*) { FormatDialog1->Execute(); }
void TMainForm::Copydisk1Click(TObject*) { CopyDiskDlg1->Execute(); }

void TMainForm::plugN84Click(TObject*) {
  if (PM != nullptr) PM->ShowModal();
}

namespace {

bool IsOwnPage(const TMainForm* F, const TTabSheet* Page) {
  return Page == nullptr || Page == F->Main || Page == F->HTMLTab || Page == F->EditTab || Page == F->ActiveX;
}

}  // namespace

// Only a plug-in's page can be closed.
void TMainForm::PlugMenuPopup(TObject*) { PlugClose->SetEnabled(!IsOwnPage(this, MainPage->ActivePage())); }

void TMainForm::PlugCloseClick(TObject*) {
  TTabSheet* Page = MainPage->ActivePage();
  if (IsOwnPage(this, Page)) return;
  MainPage->SetActivePage(Main);
  // The container first: its object is closed while its window is still there.
  if (Page->ControlCount() > 0) delete dynamic_cast<TOleContainer*>(Page->Controls(0));
  delete Page;
}

void TMainForm::FastEditClick(TObject*) {
  if (FastList == nullptr) return;
  FastList->SetBar(FastBar);
  FastList->AddButton = [this] { FastAddClick(this); };
  FastList->ShowModal();
}

void TMainForm::AppletClick(TObject* Sender) {
  static const char* const Applets[] = {"netcpl.cpl",  "timedate.cpl", "mmsys.cpl @1", "modem.cpl",  "main.cpl @1",
                                        "main.cpl @0", "inetcpl.cpl",  "appwiz.cpl",   "desk.cpl"};
  auto* Item = dynamic_cast<TComponent*>(Sender);
  if (Item == nullptr || Item->Tag() < 1 || Item->Tag() > 9) return;
  Launch("rundll32.exe", std::string("shell32,Control_RunDLL ") + Applets[Item->Tag() - 1], "");
}

void TMainForm::PowerCommand(UINT Flags, const char* What) {
  if (Ask(LngText(What) + "\n" + LngText("Are_you_sure"), mtConfirmation, mbOKCancel) != mrOk) return;
  ExitSystem(Flags);
}

void TMainForm::aN77Click(TObject*) { PowerCommand(EWX_SHUTDOWN, "Shut_down"); }
void TMainForm::aN79Click(TObject*) { PowerCommand(EWX_REBOOT, "Restart"); }
void TMainForm::aN78Click(TObject*) { PowerCommand(EWX_LOGOFF, "Log_off"); }

void TMainForm::N11Click(TObject*) { Guarded([this] { Launch(ProgramFolder() + "zq.hlp", "", ""); }); }

void TMainForm::Hotkeys1Click(TObject*) {
  std::string Help = ProgramFolder() + "zq.hlp";
  if (FileExists(Help)) WinHelpW(Handle(), ToWide(Help).c_str(), HELP_CONTEXT, 26);
}

void TMainForm::Writeus1Click(TObject*) { Launch("mailto:zembrix@example.com", "", ""); }

void TMainForm::ArcViewStyleClick(TObject* Sender) {
  auto* B = dynamic_cast<TToolButton*>(Sender);
  if (B == nullptr || B->Tag() < vsIcon || B->Tag() > vsReport) return;
  TListView* View = B->Parent() != nullptr && B->Parent()->Parent() == LARc ? LAView : RAView;
  View->SetViewStyle(TViewStyle(B->Tag()));
}

// The shell's controls are made here rather than read from the form data; they take the
// names that the stored options and the other commands know them by.
void TMainForm::MakePanel(bool Left) {
  TTabSheet* Page = Left ? LFiles : RFiles;
  TToolBar* Bar = Left ? ToolBar3 : ToolBar4;
  const char* Side = Left ? "L" : "R";
  auto* Combo = new TPTShellCombo(this);
  Combo->SetName(std::string(Side) + "Combo");
  Combo->SetLeft(1000);  // after the bar's buttons
  Combo->SetWidth(150);  // the bar's buttons and the combo fit half of an 800-pixel window
  Combo->SetPopupMenu(Left ? FolderMenuL : FolderMenuR);
  Combo->SetParent(Bar);
  auto* Tree = new TPTShellTree(this);
  Tree->SetName(std::string(Side) + "FTree");
  Tree->SetAlign(alTop);
  Tree->SetTop(30);
  Tree->SetHeight(150);
  Tree->SetVisible(false);  // the tree options show it
  Tree->SetParent(Page);
  auto* Split = new TSplitter(this);
  Split->SetName(Left ? "Splitter2" : "Splitter3");
  Split->SetAlign(alTop);
  Split->SetTop(185);
  Split->SetHeight(3);
  Split->SetVisible(false);
  Split->SetParent(Page);
  TPTShellList* List = CreatePanelList(this);
  List->SetName(std::string(Side) + "F");
  List->OnKeyDown = [this, Left](TObject* Sender, uint16_t& Key, TShiftState Shift) {
    if (Left)
      LFKeyDown(Sender, Key, Shift);
    else
      RFKeyDown(Sender, Key, Shift);
  };
  List->OnKeyPress = [this, Left](TObject*, char& Key) { PanelKeyPress(Left, Key); };
  List->SetAlign(alClient);
  List->SetViewStyle(vsReport);
  List->SetMultiSelect(true);
  List->SetParent(Page);
  (Left ? LCombo : RCombo) = Combo;
  (Left ? LFTree : RFTree) = Tree;
  (Left ? Splitter2 : Splitter3) = Split;
  (Left ? LF : RF) = List;
  // The three show one folder. The combo is linked to the list: it drives the list and
  // follows it. The tree is shown only on demand, so it is kept in step while visible.
  Combo->SetShellList(List);
  Tree->OnChange = [List, Tree](TObject*, TTreeNode*) {
    if (Tree->Visible()) List->Folder()->Assign(Tree->CurrentFolder());
  };
  List->OnFillComplete = [List, Tree](TObject*) {
    if (Tree->Visible()) Tree->SetFolder(List->Folder());
  };
  WirePanelEvents(Left);
}

void TMainForm::PanelViewStyleClick(TObject* Sender) {
  auto* B = dynamic_cast<TToolButton*>(Sender);
  if (B == nullptr || B->Tag() < vsIcon || B->Tag() > vsReport) return;
  (B->Parent() == ToolBar3 ? LF : RF)->SetViewStyle(TViewStyle(B->Tag()));
}

void TMainForm::SpeedButton24Click(TObject*) { LF->GoUp(1); }
void TMainForm::SpeedButton26Click(TObject*) { RF->GoUp(1); }

void TMainForm::SetStartFolders(const std::string& Left, const std::string& Right) {
  FStartLeft = Trim(Left);
  FStartRight = Trim(Right);
  FStartPending = true;
  // Already shown: the stored state is in place, the start folders go on top of it.
  if (Visible()) ApplyStartFolders();
}

void TMainForm::ApplyStartFolders() {
  if (!FStartPending) return;
  FStartPending = false;
  // A start folder that cannot be shown leaves the panel where it was.
  auto Go = [](TPTShellList* List, const std::string& Path) {
    if (Path.empty()) return;
    try {
      List->Folder()->SetPath(Path);
    } catch (const std::exception& E) {
      Application->ShowException(E);
    }
  };
  Go(LF, FStartLeft);
  Go(RF, FStartRight);
}

void TMainForm::SpeedButton63Click(TObject*) { LPages->SetActivePage(LFiles); }
void TMainForm::SpeedButton73Click(TObject*) { RPages->SetActivePage(RFiles); }

// The item of the bar's own side is the one that would change nothing.
void TMainForm::FastMenuPopup(TObject*) {
  TAlign A = FastBar->Align();
  FastLeft->SetEnabled(A != alLeft);
  FastRight->SetEnabled(A != alRight);
  FastBottom->SetEnabled(A != alBottom);
  FastTop->SetEnabled(A != alTop);
}

void TMainForm::FastAlignClick(TObject* Sender) {
  TAlign A = Sender == FastLeft ? alLeft : Sender == FastRight ? alRight : Sender == FastBottom ? alBottom : alTop;
  // Across the window, a bar is one button high; down its side, one button wide.
  if (A == alLeft || A == alRight)
    FastBar->SetWidth(FastBar->ButtonWidth() + 4);
  else
    FastBar->SetHeight(FastBar->ButtonHeight() + 4);
  FastBar->SetAlign(A);
}

void TMainForm::FastAddClick(TObject*) {
  FastOpen->SetFilter(LngMask("Executable") + "|" + LngMask("All"));
  if (!FastOpen->Execute()) return;
  Guarded([this] { AddFastButton(ExpandFileName(FastOpen->FileName())); });
}

void TMainForm::Analog1Click(TObject*) {
  Clock->SetShowMode(scAnalog);
  Analog1->SetEnabled(false);
  Digital1->SetEnabled(true);
}

void TMainForm::Digital1Click(TObject*) {
  Clock->SetShowMode(scDigital);
  Digital1->SetEnabled(false);
  Analog1->SetEnabled(true);
}

void TMainForm::Splitter1Moved(TObject*) {
  RememberPanelShare();
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
  // The code-page menu and the status bar tell what the text is, however it was opened
  // (F4 on a panel, the page's open button, a new file).
  if (EditorPage != nullptr) {
    EditorPage->SetCodePage(IsWindowsText(FileName) ? tcpWin1251 : tcpDos866);
    EditorPage->UpdateStatus();
  }
  MainPage->SetActivePage(EditTab);
}
