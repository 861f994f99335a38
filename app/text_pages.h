// The panels' text/picture pages (LEditPage, REditPage): open a file there, save the text
// back or under a new name (a DOS text converted on the way), the code-page buttons, a new
// text, find, print, font and the rich-text switch.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/component.h"

class TMainForm;
class TRxRichEdit;
class TImage;
class TPageControl;
class TPrintTarget;
class TToolButton;
class TToolBar;

class TTextPages : public TComponent {
public:
  explicit TTextPages(TMainForm* Form);

  // The file each side's page writes back to; empty: Save asks for a name.
  std::string LFileName, RFileName;

  void OpenClick(bool Left);
  // False when nothing was written (cancelled, or the failure told).
  bool SaveClick(bool Left);
  void DosCodeClick(bool Left);  // DOS 866 to Windows 1251
  void KoiCodeClick(bool Left);  // KOI8-R to Windows 1251
  void NewClick(bool Left);
  void FindClick(bool Left);
  void PrintClick(bool Left);
  void FontClick(bool Left);
  void RtfClick(bool Left);

  // The save dialog's filter row for a DOS text file (1-based, as the dialog counts).
  static constexpr int DosTextFilter = 6;
  static const char* const SaveFilter;

  // Asked in place of the dialogs; tests answer here.
  std::function<bool(std::string& FileName)> AskOpenName;
  std::function<bool(std::string& FileName, int& FilterIndex)> AskSaveName;
  // The print dialog; the printer chosen there, or nullptr when cancelled.
  std::function<std::unique_ptr<TPrintTarget>()> AskPrinter;

  TToolButton* Button(bool Left, const char* What) const;

private:
  TRxRichEdit* Edit(bool Left) const;
  std::string& FileName(bool Left) { return Left ? LFileName : RFileName; }
  TToolButton* AddButton(TToolBar* Bar, const std::string& Name, const char* Hint, int Image, const char* Caption,
                         std::function<void()> Work);
  TMainForm* FForm;
  int FButtons = 0;
};
