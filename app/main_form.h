// The program's main window: two file panels side by side under the tool bars, the status
// bar below. Its layout comes from the form resource "main_form.zfm". Creating it reads the
// program files (fast bar, file-type colours, folder menus, syntax list); closing it writes
// them back and empties the temporary folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/shell_dialogs.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/win/menus.h"
#include "classlib/win/timer.h"
#include "classlib/win/std_ctrls.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor/core/dcj_java_syn.h"
#include "editor/core/dcj_perl_syn.h"
#include "editor/core/mw_pas_syn.h"
#include "editor/core/mw_general_syn.h"
#include "editor/custom_edit.h"
#include "shell/pt_shell_combo.h"
#include "shell/pt_shell_list.h"
#include "shell/pt_shell_tree.h"
#include "storage/form_placement.h"
#include "ui/rx_clock.h"
#include "ui/rx_rich_edit.h"

// Process-wide state that the main window's creation sets up.
extern bool EnglishTexts;       // run-time texts and names in English
extern bool StartingUp;         // until the main window's first paint
extern bool KeyboardLayoutSet;  // the panels switched the keyboard layout themselves

class THtmlPage;
class TCoolMenu;
class TArcPage;
class TMenuCommands;
class TEditorPage;
class TTextPages;
class TRxTrayIcon;
class TCaptionButton;
class TRunDialog;
class TFormatDialog;
class TCopyDiskDlg;
class TrsTip;
class TMediaPlayer;
class TMPEGPlayer;
class TModPlugPlayer;
class TMP3Info;
class TOleContainer;

class TMainForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMainForm(TComponent* AOwner);

  TStatusBar* STBar = nullptr;
  TToolBar* ToolBar2 = nullptr;
  TLabel* PathInfo = nullptr;
  TComboBox* PathBox = nullptr;
  TLabel* FormLabel = nullptr;
  TPageControl* MainPage = nullptr;
  TTabSheet* Main = nullptr;
  TTabSheet* HTMLTab = nullptr;
  THtmlPage* HtmlPage = nullptr;  // the HTML page's viewer and commands, on HTMLTab
  TTabSheet* ActiveX = nullptr;
  // The ActiveX page's document (ole_page.cpp): a file's document (Alt+F3 on a panel, the
  // menu's open) or a new object, in the container OleNew, whose Hint names the file that
  // the document is saved to.
  TOleContainer* OleNew = nullptr;
  TPopupMenu* ActiveXMenu = nullptr;
  void NewDoc1Click(TObject* Sender);
  void OpenDoc1Click(TObject* Sender);
  void SaveDoc1Click(TObject* Sender);
  void ActiveXMenuPopup(TObject* Sender);
  // F1 is the page's help, Esc goes back to the panels.
  void OleNewKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // Leaving the ActiveX page offers a changed document for saving; Cancel stays.
  void MainPageChanging(TObject* Sender, bool& AllowChange);
  // Shows a file's document on the ActiveX page; a file that no program serves as a
  // document is told, and the page and the document stay as they were.
  void OleViewFile(const std::string& FileName);
  // A changed document is offered for saving before it is left, replaced or closed: false
  // when the user cancelled or it could not be saved.
  bool KeepOleDocument();
  // The ActiveX page's open (Save false) and save dialogs; tests answer in their place.
  std::function<bool(bool Save, std::string& FileName)> AskDocumentName;
  TTabSheet* EditTab = nullptr;
  TmwCustomEdit* Editor = nullptr;
  TPageControl* LPages = nullptr;
  TPageControl* RPages = nullptr;
  TSplitter* Splitter1 = nullptr;
  TTabSheet* LFiles = nullptr;
  TTabSheet* LEditPage = nullptr;
  TTabSheet* LARc = nullptr;
  TTabSheet* RFiles = nullptr;
  TTabSheet* REditPage = nullptr;
  TTabSheet* RArc = nullptr;
  // The file panels: path combo and view buttons on the page's tool bar, the tree above
  // the list (shown by an option), the list.
  TToolBar* ToolBar3 = nullptr;
  TToolBar* ToolBar4 = nullptr;
  TPTShellCombo* LCombo = nullptr;
  TPTShellCombo* RCombo = nullptr;
  TPTShellTree* LFTree = nullptr;
  TPTShellTree* RFTree = nullptr;
  TSplitter* Splitter2 = nullptr;
  TSplitter* Splitter3 = nullptr;
  TPTShellList* LF = nullptr;
  TPTShellList* RF = nullptr;
  // The text/picture pages' text and picture.
  TRxRichEdit* LEdit = nullptr;
  TRxRichEdit* REdit = nullptr;
  TImage* LImage = nullptr;
  TImage* RImage = nullptr;
  TListView* LAView = nullptr;
  TListView* RAView = nullptr;
  TArcPage* ArcPage = nullptr;  // the archive pages' lists, commands and dialogs
  TMenuCommands* MenuCommands = nullptr;  // add to ZIP, swap, compare, listing, bookmarks
  TEditorPage* EditorPage = nullptr;  // the editor page's commands and status
  TTextPages* TextPages = nullptr;  // the panels' text/picture pages' buttons
  // The left panel shows the right one's folder and the right one the left one's (Ctrl+U
  // and the Commands menu).
  void SwapPanels();
  TToolBar* FastBar = nullptr;
  TImageList* Fast = nullptr;
  // The tool bars' pictures, from the program's own bitmap resource.
  TImageList* Glyphs = nullptr;
  TCoolMenu* CoolMenu1 = nullptr;  // menus drawn with the tool bar's pictures
  TOpenDialog* FastOpen = nullptr;
  TPrintDialog* pd = nullptr;
  TToolBar* ToolBar1 = nullptr;
  TRxClock* Clock = nullptr;
  TToolBar* ToolBar11 = nullptr;
  TLabel* MusicPath = nullptr;
  TProgressBar* Musbar = nullptr;
  // The players: MCI files (WAV, MIDI, video), MPEG audio, tracker modules; the tag of the
  // MP3 file played last.
  TMediaPlayer* MP = nullptr;
  TMPEGPlayer* mp3 = nullptr;
  TModPlugPlayer* mpp = nullptr;
  TMP3Info* MP3Info = nullptr;
  TTimer* Timer2 = nullptr;  // moves the music bar along with the player
  TOpenDialog* MusicOpen = nullptr;
  // True while the music bar plays a file started from it.
  bool MusicFlag = false;
  // The music bar: open and play a file, stop, the MP3 tag window; the bar follows the
  // player that plays.
  void SpeedButton79Click(TObject* Sender);
  void SpeedButton80Click(TObject* Sender);
  void SpeedButton81Click(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  // Files dropped on the music bar, its label or its progress bar: the first one plays when
  // it is a music file. AcceptMusicDrops makes them drop targets.
  void MusicBarDrop(const std::vector<std::string>& Files);
  void AcceptMusicDrops();
  // The calendar (or the calendar program the options name) and the alarm dialog; the
  // clock's alarm plays or runs what the dialog set.
  void CalendBtnClick(TObject* Sender);
  void AlarmBtnClick(TObject* Sender);
  void ClockAlarm(TObject* Sender);
  // A click on a text/picture page's picture shows it in the picture window.
  void LImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TPopupMenu* FastMenu = nullptr;
  TPopupMenu* PlugMenu = nullptr;
  TMenuItem* PlugClose = nullptr;
  TCopyDiskDlg* CopyDiskDlg1 = nullptr;
  TRunDialog* RunDialog1 = nullptr;
  TFormatDialog* FormatDialog1 = nullptr;
  TPrinterSetupDialog* spd = nullptr;
  TMenuItem* FastLeft = nullptr;
  TMenuItem* FastRight = nullptr;
  TMenuItem* FastBottom = nullptr;
  TMenuItem* FastTop = nullptr;
  TPopupMenu* ClockMenu = nullptr;
  TMenuItem* Analog1 = nullptr;
  TMenuItem* Digital1 = nullptr;
  // The editor page's highlighters.
  TDcjCppSyn* CPP = nullptr;
  TmwPasSyn* Pas = nullptr;
  TDcjPerlSyn* Perl = nullptr;
  TDcjJavaSyn* Java = nullptr;

  // The path of the file shown on the editor page; empty for a new text.
  std::string EditorFileName;
  // Opens a file on the editor page, coloured by the highlighter whose file filter names
  // its extension (plain text when none does).
  void EditFile(const std::string& FileName);
  TPopupMenu* FolderMenuL = nullptr;
  TPopupMenu* FolderMenuR = nullptr;
  TPopupMenu* Syntax = nullptr;
  TSaveDialog* ESave = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  TFormStorage* Lang = nullptr;
  TmwGeneralSyn* CustSyn = nullptr;

  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormResize(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Exit1Click(TObject* Sender);
  void PathBoxKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // The options window: as it was last left, or on one of its pages.
  void SpeedButton20Click(TObject* Sender);
  void N9Click(TObject* Sender);
  void N12Click(TObject* Sender);
  // A click on the tool panel itself: with the access code in the path box, the options
  // window opens on its parameters page with the game shown.
  void ToolBar1Click(TObject* Sender);
  void N13Click(TObject* Sender);
  void N14Click(TObject* Sender);
  // System tools: calculator, registry editor, screen saver, command prompt, system
  // configuration, character map, CD player, game.
  void SpeedButton21Click(TObject* Sender);
  void SpeedButton22Click(TObject* Sender);
  void SpeedButton25Click(TObject* Sender);
  void SpeedButton27Click(TObject* Sender);
  void SpeedButton29Click(TObject* Sender);
  void CharMapBtnClick(TObject* Sender);
  void CDBtnClick(TObject* Sender);
  void GameBtnClick(TObject* Sender);
  // File menu
  void N4Click(TObject* Sender);
  void UUE2Click(TObject* Sender);
  void N3Click(TObject* Sender);
  // Commands menu
  void N83Click(TObject* Sender);
  void N79Click(TObject* Sender);
  void Connectnetworkdrive1Click(TObject* Sender);
  void Disconnectnetworkdrivw1Click(TObject* Sender);
  void N90Click(TObject* Sender);
  void N92Click(TObject* Sender);
  void WWW1Click(TObject* Sender);
  // The shell's Run dialog; format and copy a disk; printer setup.
  void Execute1Click(TObject* Sender);
  void Formatdisk1Click(TObject* Sender);
  void Copydisk1Click(TObject* Sender);
  void N2Click(TObject* Sender);
  // Encrypt and decrypt the current file.
  void cryptClick(TObject* Sender);
  void decryptClick(TObject* Sender);
  // The plug-in manager, and closing a plug-in's page (its popup on the page control).
  void plugN84Click(TObject* Sender);
  void PlugMenuPopup(TObject* Sender);
  void PlugCloseClick(TObject* Sender);
  // The fast-bar list, to remove or change the bar's buttons.
  void FastEditClick(TObject* Sender);
  // Utilities: control-panel applets (the item's Tag picks one) and the power commands.
  void AppletClick(TObject* Sender);
  void aN77Click(TObject* Sender);
  void aN79Click(TObject* Sender);
  void aN78Click(TObject* Sender);
  // Help
  void N11Click(TObject* Sender);
  void Hotkeys1Click(TObject* Sender);
  void Writeus1Click(TObject* Sender);
  // File panels: view style (the button's Tag) and one level up.
  void PanelViewStyleClick(TObject* Sender);
  void SpeedButton24Click(TObject* Sender);
  void SpeedButton26Click(TObject* Sender);
  // The folders the options name for the panels at start; each non-empty one is shown
  // once the window's stored state has been restored, so that it wins over the stored
  // folder.
  void SetStartFolders(const std::string& Left, const std::string& Right);
  // Archive pages: the list's view style (the button's Tag), back to the files.
  void ArcViewStyleClick(TObject* Sender);
  void SpeedButton63Click(TObject* Sender);
  void SpeedButton73Click(TObject* Sender);
  // Fast bar and clock menus
  void FastMenuPopup(TObject* Sender);
  void FastAddClick(TObject* Sender);
  void FastAlignClick(TObject* Sender);
  void Analog1Click(TObject* Sender);
  void Digital1Click(TObject* Sender);
  void Splitter1Moved(TObject* Sender);
  void FastGo(TObject* Sender);
  void ChangeSyntax(TObject* Sender);

  // Adds a program button to the fast bar: the program's icon, its path as the caption.
  TToolButton* AddFastButton(const std::string& Path);
  // The file the status line names in the active panel's folder; empty when none.
  std::string CurrentFile() const;

  // Asks the user; tests answer in its place.
  std::function<int(const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons)> Ask;
  // Asks for a line of text; false when cancelled. Tests answer in its place.
  std::function<bool(const std::string& Caption, const std::string& Prompt, std::string& Value)> AskText;
  // Starts a program or opens a document through the shell (ExecuteFile); tests record
  // the calls instead.
  std::function<void(const std::string& File, const std::string& Params, const std::string& Dir)> Launch;
  // Ends the Windows session (EWX_SHUTDOWN, EWX_REBOOT, EWX_LOGOFF); false, with a message
  // already shown, when it cannot. Tests never reach the real one.
  std::function<bool(UINT Flags)> ExitSystem;
  // A message box with its own caption (MB_* flags, ID* result); tests answer in its place.
  std::function<int(const std::string& Text, const std::string& Caption, UINT Flags)> AskBox;

  // The file panels' keys (panel_keys.cpp): the two lists' handlers are mirror images.
  void LFKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void RFKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // Select by a typed mask in the left and the right panel.
  void N35Click(TObject* Sender);
  void N37Click(TObject* Sender);
  // The panels' command menus (Ctrl+0): copy, move, archive, copy or move under new names,
  // recycle, edit on the other side, view. The side is the menu the item belongs to.
  TPopupMenu* LM = nullptr;
  TPopupMenu* RN = nullptr;
  void PanelCopyClick(TObject* Sender);
  void PanelMoveClick(TObject* Sender);
  void PanelArchiveClick(TObject* Sender);
  void LN73Click(TObject* Sender);
  void RN78Click(TObject* Sender);
  void N81Click(TObject* Sender);
  void N82Click(TObject* Sender);
  void PanelRecycleClick(TObject* Sender);
  void PanelEditClick(TObject* Sender);
  void PanelViewClick(TObject* Sender);
  // The panels' own menus: sorting (the item's Tag is the column, negative descending),
  // new folder, mask, refresh, special folders (the Tag is the folder's CSIDL).
  TPopupMenu* LMenu = nullptr;
  TPopupMenu* RMenu = nullptr;
  void PanelSortClick(TObject* Sender);
  void PanelNewFolderClick(TObject* Sender);
  void PanelCancelMaskClick(TObject* Sender);
  void PanelRefreshClick(TObject* Sender);
  void PanelSpecialFolderClick(TObject* Sender);
  // Where Ctrl+0 pops the panel's command menu up, in screen pixels.
  TPoint CommandMenuPoint(bool Left) const;
  // Quick view: while on, the file selected in the panel is shown on the other side's
  // text/picture page.
  bool LQuickView = false;
  bool RQuickView = false;

  // Opens the shell's file search; where it cannot, a message says so. Tests record the
  // call instead.
  std::function<void()> FindFiles;

  // Window-wide keys and the panels' events.
  void FormPaint(TObject* Sender);
  // The selection changed: the status bar names the item; quick view shows it.
  void LFChange(TObject* Sender, TListItem* Item, TItemChange Change);
  void RFChange(TObject* Sender, TListItem* Item, TItemChange Change);
  // The panel's folder changed: free space, current directory, caption, folder history.
  void LFChanging(TObject* Sender);
  void RFChanging(TObject* Sender);
  void GoToFolder(TObject* Sender);
  // A double-clicked archive is listed on the panel's archive page when the options say
  // so, instead of being opened by the shell.
  void LFDblClickOpen(TObject* Sender, bool& Handled);
  void RFDblClickOpen(TObject* Sender, bool& Handled);
  void SpeedButton19Click(TObject* Sender);
  void SpeedButton23Click(TObject* Sender);
  void osd1Click(TObject* Sender);
  // The file pages' clipboard buttons: copy, cut, paste on the left, then on the right.
  void SpeedButton30Click(TObject* Sender);
  void SpeedButton31Click(TObject* Sender);
  void SpeedButton32Click(TObject* Sender);
  void SpeedButton33Click(TObject* Sender);
  void SpeedButton34Click(TObject* Sender);
  void SpeedButton35Click(TObject* Sender);
  // Panel display: names coloured by kind, the path label and the current directory
  // following the focused panel, free space, the compact style.
  void LFCustomDrawSh(TObject* Sender, TPTCustomDraw* CD, TListItem* Item, TPTShListData* Data);
  void RFCustomDrawSh(TObject* Sender, TPTCustomDraw* CD, TListItem* Item, TPTShListData* Data);
  void LFFillComplete(TObject* Sender);
  void RFFillComplete(TObject* Sender);
  void LFEnter(TObject* Sender);
  void RFEnter(TObject* Sender);
  void LComboChange(TObject* Sender);
  void RComboChange(TObject* Sender);
  void Compactstyle1Click(TObject* Sender);
  // Status panel 3: the free space of the drive that holds Folder; empty for no folder.
  void ShowFreeSpace(const std::string& Folder);

  // The tray icon and the caption button that minimises the program to it; the tray
  // menu's "Restore" and a double click bring it back.
  TRxTrayIcon* Tray = nullptr;
  TCaptionButton* CaptionButton1 = nullptr;
  TPopupMenu* TrayMenu = nullptr;
  void CaptionButton1Click(TObject* Sender);
  void TrayRestore(TObject* Sender);
  // The welcome tip of the first paint.
  TrsTip* Tips = nullptr;

  TMenuItem* N78 = nullptr;  // the folder history
  // The caption button's distance from the window's right edge, from the desktop metrics.
  int CaptionMargin = 0;

private:
  void PanelKeyDown(bool Left, uint16_t& Key, TShiftState Shift);
  void MakeOlePage();
  bool SaveOleDocument(std::string FileName);
  void PanelKeyPress(bool Left, char& Key);
  void PanelSelectByMask(bool Left);
  void MakeLaunchers();
  bool MenuSideLeft(TObject* Sender) const;
  void MakePanel(bool Left);
  void WirePanelEvents(bool Left);
  void PanelChange(bool Left);
  void PanelDblClickOpen(bool Left, bool& Handled);
  void RecordFolder(bool Left);
  void PanelFocused(bool Left);
  void ToggleKeyboardLayout();
  void ClipboardVerb(bool Left, const char* Verb);
  void KeepPanelShares();
  void RememberPanelShare();
  bool FActiveLeft = true;   // the panel that had the focus last
  bool FFirstPaint = true;
  double FLeftShare = 0.5;   // the left panel's part of the width, kept on resizing
  void ApplyStartFolders();
  std::string FStartLeft, FStartRight;
  bool FStartPending = false;
  bool FPanelsShown = false;
  bool FShareKnown = false;  // from then on resizing keeps FLeftShare
  int FDesignLeftWidth = 0;  // the left panel's width in the form resource
  void ShowSettings(TTabSheet* Page);
  void RunTool(const std::string& Program);
  void PowerCommand(UINT Flags, const char* What);
  void LoadFastBar();
  void LoadFolderMenus();
  void LoadSyntaxMenu();
  // Saves the editor's text; false (and a message) when it could not be written.
  bool SaveEditorText();
  // Folder-menu paths after each menu's fixed items.
  std::vector<std::string> FolderPaths(TPopupMenu* Menu) const;
  int FFolderMenuFixed = 2;
};

extern TMainForm* MainForm;

// Ends the Windows session as ExitWindowsEx does, with the shutdown privilege; false, with
// the reason shown, where it cannot (under Wine it would end every program of the prefix).
bool EndSession(UINT Flags);
// Opens the shell's find window; where it cannot (under Wine), says so.
void ShellFindFiles();
