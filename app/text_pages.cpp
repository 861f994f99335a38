#include "app/text_pages.h"

#include <windows.h>

#include "app/core/cnv.h"
#include "app/core/editor_text.h"
#include "app/core/lng_strings.h"
#include "app/core/program_files.h"
#include "app/core/zemb_rout.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "app/text_print.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "ui/rx_rich_edit.h"

const char* const TTextPages::SaveFilter =
    "Text files|*.txt;*.doc|RTF|*.rtf|HTML|*.htm;*.html|INI and INF|*.ini;*.inf|"
    "Programs|*.c;*.cpp;*.pas;*.bas;*.lsp;*.for|DOS text file|*.*|All files|*.*";

namespace {

struct TButtonSpec {
  const char* What;
  const char* Left;   // the buttons' names on each side
  const char* Right;
  const char* Hint;
  int Image;
  const char* Caption;  // for the buttons without a picture
};

const TButtonSpec Buttons[] = {
    {"Open", "SpeedButton9", "SpeedButton14", "\xCE\xF2\xEA\xF0\xFB\xF2\xFC", 23, nullptr},
    {"Save", "SpeedButton10", "SpeedButton15", "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC", 24, nullptr},
    {"Code", "SpeedButton36", "SpeedButton37", "\xC8\xE7\xEC\xE5\xED\xE8\xF2\xFC \xEA\xEE\xE4\xE8\xF0\xEE\xE2\xEA\xF3", -1, "dos"},
    {"New", "SpeedButton40", "RSpeedButton40", "\xCD\xEE\xE2\xFB\xE9 \xF4\xE0\xE9\xEB", 25, nullptr},
    {"Find", "SpeedButton11", "RSpeedButton11", "\xCD\xE0\xE9\xF2\xE8", 3, nullptr},
    {"Print", "SpeedButton12", "RSpeedButton12", "\xCF\xE5\xF7\xE0\xF2\xE0\xF2\xFC", 35, nullptr},
    {"Koi", "SpeedButton38", "RSpeedButton38", "KOI-8r", -1, "KOI"},
    {"Font", "SpeedButton45", "RSpeedButton45", "\xD8\xF0\xE8\xF4\xF2", 36, nullptr},
    {"Rtf", "SpeedButton13", "RSpeedButton13", "RTF", -1, "RTF"},
};

void Protected(const std::function<void()>& Work) {
  try {
    Work();
  } catch (const std::exception&) {
    ShowLittleError();
  }
}

}  // namespace

TTextPages::TTextPages(TMainForm* Form) : TComponent(Form), FForm(Form) {
  for (bool Left : {true, false}) {
    auto* Bar = dynamic_cast<TToolBar*>(Form->FindComponent(Left ? "ToolBar5" : "ToolBar6"));
    if (Bar == nullptr) continue;
    for (const TButtonSpec& B : Buttons) {
      const std::string W = B.What;
      std::function<void()> Work;
      if (W == "Open") Work = [this, Left] { OpenClick(Left); };
      if (W == "Save") Work = [this, Left] { SaveClick(Left); };
      if (W == "Code") Work = [this, Left] { DosCodeClick(Left); };
      if (W == "New") Work = [this, Left] { NewClick(Left); };
      if (W == "Find") Work = [this, Left] { FindClick(Left); };
      if (W == "Print") Work = [this, Left] { PrintClick(Left); };
      if (W == "Koi") Work = [this, Left] { KoiCodeClick(Left); };
      if (W == "Font") Work = [this, Left] { FontClick(Left); };
      if (W == "Rtf") Work = [this, Left] { RtfClick(Left); };
      TToolButton* Btn = AddButton(Bar, Left ? B.Left : B.Right, B.Hint, B.Image, B.Caption, Work);
      if (W == "Rtf") Btn->SetStyle(tbsCheck);
    }
  }
  AskOpenName = [](std::string& Name) {
    TOpenDialog D(nullptr);
    if (!D.Execute()) return false;
    Name = D.FileName();
    return true;
  };
  AskSaveName = [](std::string& Name, int& Filter) {
    TSaveDialog D(nullptr);
    D.SetFilter(SaveFilter);
    if (!D.Execute()) return false;
    Name = D.FileName();
    Filter = D.FilterIndex();
    return true;
  };
  AskPrinter = [Form]() -> std::unique_ptr<TPrintTarget> {
    if (!Form->pd->Execute()) return nullptr;
    return ChosenPrinter(*Form->pd);
  };
}

TToolButton* TTextPages::AddButton(TToolBar* Bar, const std::string& Name, const char* Hint, int Image,
                                   const char* Caption, std::function<void()> Work) {
  auto* B = new TToolButton(this);
  B->SetName(Name);
  B->SetLeft(1000 + FButtons++);  // after the buttons already there
  B->SetParent(Bar);
  B->SetHint(Hint);
  B->SetImageIndex(Image);
  if (Caption != nullptr) B->SetCaption(Caption);
  B->OnClick = [Work](TObject*) { Work(); };
  return B;
}

TToolButton* TTextPages::Button(bool Left, const char* What) const {
  for (const TButtonSpec& B : Buttons)
    if (std::string(B.What) == What) return dynamic_cast<TToolButton*>(FindComponent(Left ? B.Left : B.Right));
  return nullptr;
}

TRxRichEdit* TTextPages::Edit(bool Left) const { return Left ? FForm->LEdit : FForm->REdit; }

void TTextPages::OpenClick(bool Left) {
  Protected([this, Left] {
    std::string Name;
    if (!AskOpenName(Name) || Name.empty()) return;
    OpenFileInPanel(Left ? FForm->LPages : FForm->RPages, Name);
    Edit(Left)->SetModified(false);
    FileName(Left) = Name;
  });
}

bool TTextPages::SaveClick(bool Left) {
  TRxRichEdit* E = Edit(Left);
  std::string Name = FileName(Left);
  int Filter = 0;
  if (Name.empty() && (!AskSaveName(Name, Filter) || Trim(Name).empty())) return false;
  try {
    if (Filter == DosTextFilter) {
      // The page's text as Windows text beside the program, then written out as DOS text;
      // the old file is replaced only by a whole new one.
      const std::string Temp = ProgramFolder() + "Temp\\";
      if (!DirExists(ProgramFolder() + "Temp")) ForceDirectories(ProgramFolder() + "Temp");
      const std::string Plain = Temp + "$$$$.$$$";
      TRichEditStrings* Lines = E->Lines();
      const TRichStreamFormat Was = Lines->Format();
      Lines->SetFormat(sfPlainText);
      struct TRestore {
        TRichEditStrings* L;
        TRichStreamFormat F;
        std::string Plain;
        ~TRestore() {
          L->SetFormat(F);
          DeleteFile(Plain);
        }
      } Restore{Lines, Was, Plain};
      Lines->SaveToFile(Plain);
      SaveAsDosText(Plain, Name);
    } else {
      // Rich text goes only into an RTF file; any other file gets the page's plain text
      // rather than RTF markup.
      TRichEditStrings* Lines = E->Lines();
      const TRichStreamFormat Was = Lines->Format();
      Lines->SetFormat(SameText(ExtractFileExt(Name), ".rtf") && !E->PlainText() ? sfRichText : sfPlainText);
      struct TRestore {
        TRichEditStrings* L;
        TRichStreamFormat F;
        ~TRestore() { L->SetFormat(F); }
      } Restore{Lines, Was};
      Lines->SaveToFile(Name);
    }
  } catch (const std::exception& Ex) {
    // The name is kept only for a text that was written.
    MessageDlg(Ex.what(), mtError, TMsgDlgButtons{mbOK}, 0);
    return false;
  }
  FileName(Left) = Name;
  E->SetModified(false);
  return true;
}

void TTextPages::DosCodeClick(bool Left) {
  Protected([this, Left] {
    THourGlass Wait;
    TRxRichEdit* E = Edit(Left);
    E->SetText(ConvertCodePage(E->Text(), tcpDos866, tcpWin1251));
  });
}

void TTextPages::KoiCodeClick(bool Left) {
  Protected([this, Left] {
    THourGlass Wait;
    TRxRichEdit* E = Edit(Left);
    E->SetText(ConvertCodePage(E->Text(), tcpKoi8r, tcpWin1251));
  });
}

// A new text has no file yet: Save asks for a name instead of overwriting the file shown
// before.
void TTextPages::NewClick(bool Left) {
  TRxRichEdit* E = Edit(Left);
  TImage* Picture = Left ? FForm->LImage : FForm->RImage;
  E->Clear();
  E->SetModified(false);
  E->SetAlign(alClient);
  E->SetVisible(true);
  Picture->SetAlign(alNone);
  Picture->SetVisible(false);
  FileName(Left).clear();
}

void TTextPages::FindClick(bool Left) { Edit(Left)->FindDialog(""); }

void TTextPages::PrintClick(bool Left) {
  TRxRichEdit* E = Edit(Left);
  std::unique_ptr<TPrintTarget> Target = AskPrinter();
  if (!Target) return;
  std::vector<std::string> Lines;
  for (int I = 0; I < E->Lines()->Count(); ++I) Lines.push_back(E->Lines()->Strings(I));
  try {
    PrintTextLines(*Target, Lines, *E->Font(), FileName(Left).empty() ? "Zembrix" : FileName(Left));
  } catch (const std::exception& Ex) {
    MessageDlg(Ex.what(), mtError, TMsgDlgButtons{mbOK}, 0);
  }
}

void TTextPages::FontClick(bool Left) {
  if (Settings == nullptr || Settings->pFont == nullptr) return;
  TRxRichEdit* E = Edit(Left);
  Settings->pFont->SetFont(E->Font());
  if (Settings->pFont->Execute()) E->SetFont(Settings->pFont->Font());
}

void TTextPages::RtfClick(bool Left) {
  TToolButton* B = Button(Left, "Rtf");
  if (B != nullptr) Edit(Left)->SetPlainText(!B->Down());
}
