// The editor page's commands: new, open and save texts, undo and the clipboard, the
// font, find, the syntax and code-page menus, the text services, and the caret status in
// the page's status bar.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/core/editor_text.h"
#include "classlib/core/component.h"
#include "classlib/win/controls.h"

class TMainForm;
class TFindDialog;
class TPopupMenu;
class TMenuItem;
class TToolButton;
class TStatusBar;
class TPrintTarget;

class TEditorPage : public TComponent {
public:
  explicit TEditorPage(TMainForm* Form);

  // The page's buttons and menus are made in code, out of the language storage's reach:
  // their hints and captions come from the language file's section "MainForm" (keys
  // Name_Hint, Name_Caption), each keeping its text where the file has none.
  void ReadTexts(const std::string& LngFile);

  TFindDialog* EdD = nullptr;
  TPopupMenu* CodingMenu = nullptr;
  TPopupMenu* ServiceMenu = nullptr;
  TMenuItem *DosItem = nullptr, *WinItem = nullptr, *KoiItem = nullptr;  // the radio items
  TStatusBar* StatusBar1 = nullptr;

  // False when the user cancelled (a changed text was not to be left).
  bool NewText();
  bool OpenText();
  // Saves a changed text (asking for a name when it has none); true when there was
  // nothing to save or it was saved.
  bool SaveText();
  // Prints the text's lines in the editor's font after the print dialog.
  void PrintText();
  // The editor page is left: a changed text is offered for saving.
  void EditTabExit();
  void StartFind();  // from the first occurrence, with the find dialog
  void FindNext();   // the dialog's request
  void Convert(TTextCodePage From, TTextCodePage To);
  void SetCodePage(TTextCodePage Page);
  void ChangeCase(bool Upper);
  void InsertText(const std::string& Text);
  void UpdateStatus();
  void EditorKeyDown(uint16_t& Key, TShiftState Shift);

  TEditorFind Find;
  // Asked in place of the dialogs; tests answer here.
  std::function<bool(std::string& FileName)> AskOpenName;
  std::function<bool(std::string& FileName)> AskSaveName;
  // The print dialog; the printer chosen there, or nullptr when cancelled.
  std::function<std::unique_ptr<TPrintTarget>()> AskPrinter;

private:
  // Asks about a changed text before it is left: false when the user cancelled.
  bool KeepChanges();
  TToolButton* AddButton(const char* Name, const char* Hint, int Image, std::function<void()> Work);
  TMainForm* FForm;
  int FButtons = 0;
};
