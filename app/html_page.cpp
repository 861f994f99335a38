#include "app/html_page.h"

#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "app/shared_routines.h"
#include "classlib/core/ini_file.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/image_list.h"
#include "classlib/win/print_target.h"
#include "html/gdi_host.h"

const char* const THtmlPage::MailObject = "Internet Mail.{89292102-4755-11cf-9DC2-00AA006C2B84}";
const char* const THtmlPage::ShellFilter = "*.txt;*.htm;*.html;*.shtml;*.asp;*.bmp;*.gif;*.jpg;*.jpeg;*.png";

namespace {

TToolButton* AddButton(THtmlPage* Page, TToolBar* Bar, const char* Name, int Image, const char* Hint,
                       void (THtmlPage::*Handler)(TObject*)) {
  auto* b = new TToolButton(Page);
  b->SetName(Name);
  b->SetLeft(1000 + Image);  // in the order made, after any buttons already there
  b->SetImageIndex(Image);
  b->SetHint(Hint);
  b->SetShowHint(true);
  b->SetParent(Bar);
  b->OnClick = [Page, Handler](TObject* Sender) { (Page->*Handler)(Sender); };
  return b;
}

}  // namespace

THtmlPage::THtmlPage(TComponent* AOwner, TWinControl* Sheet) : TComponent(AOwner), FSheet(Sheet) {
  SetName("HtmlPage");
  Pictures = new TImageList(this);
  try {
    TBitmap Strip;
    Strip.LoadFromResourceName(GetModuleHandleW(nullptr), "HTMLGLYPHS");
    Pictures->AddMasked(&Strip, clFuchsia);
  } catch (const std::exception&) {
    // Without its pictures the bar still works; the buttons keep their hints.
  }
  ToolBar13 = new TToolBar(this);
  ToolBar13->SetName("ToolBar13");
  ToolBar13->SetImages(Pictures);
  ToolBar13->SetHeight(26);
  ToolBar13->SetAlign(alTop);
  ToolBar13->SetParent(Sheet);
  // The pictures are in this order in the strip.
  SpeedButton49 = AddButton(this, ToolBar13, "SpeedButton49", 0, "Open", &THtmlPage::SpeedButton49Click);
  ToolButton11 = AddButton(this, ToolBar13, "ToolButton11", 1, "Go back", &THtmlPage::ToolButton11Click);
  ToolButton23 = AddButton(this, ToolBar13, "ToolButton23", 2, "Go forvard", &THtmlPage::ToolButton23Click);
  ToolButton24 = AddButton(this, ToolBar13, "ToolButton24", 3, "Clear", &THtmlPage::ToolButton24Click);
  ToolButton25 = AddButton(this, ToolBar13, "ToolButton25", 4, "Reload", &THtmlPage::ToolButton25Click);
  ToolButton29 = AddButton(this, ToolBar13, "ToolButton29", 5, "Find", &THtmlPage::ToolButton29Click);
  ToolButton31 = AddButton(this, ToolBar13, "ToolButton31", 6, "Print", &THtmlPage::ToolButton31Click);
  ToolButton36 = AddButton(this, ToolBar13, "ToolButton36", 7, "Mail", &THtmlPage::ToolButton36Click);
  HTMLShell = new TPTShellList(this);
  HTMLShell->SetName("HTMLShell");
  HTMLShell->SetViewStyle(vsSmallIcon);
  HTMLShell->SetFileFilter(ShellFilter);
  HTMLShell->SetAlign(alLeft);
  HTMLShell->SetWidth(180);
  HTMLShell->SetParent(Sheet);
  HTMLShell->OnSelectItem = [this](TObject* Sender, TListItem* Item, bool Selected) {
    HTMLShellSelectItem(Sender, Item, Selected);
  };
  HTMLShell->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) {
    HTMLShellKeyDown(Sender, Key, Shift);
  };
  FrView = new TFrameViewer(this);
  FrView->SetName("FrView");
  FrView->SetAlign(alClient);
  FrView->SetHistoryMaxCount(32);
  FrView->SetParent(Sheet);
  FrView->OnHistoryChange = [this](TObject* Sender) { FrViewHistoryChange(Sender); };
  // Set before the first page: every frame's viewer takes the viewer's key event.
  FrView->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) { FrViewKeyDown(Sender, Key, Shift); };
  OpenDialog = new TOpenDialog(this);
  LFind = new TFindDialog(this);
  LFind->SetName("LFind");
  LFind->OnFind = [this](TObject* Sender) { LFindFind(Sender); };
  AskOpenName = [this](std::string& FileName) {
    OpenDialog->SetFilter(OpenFilter());
    if (!OpenDialog->Execute()) return false;
    FileName = OpenDialog->FileName();
    return true;
  };
  PrintDevice = [] { return std::unique_ptr<TPrintDevice>(std::make_unique<TGdiPrintDevice>()); };
  Tell = [](const std::string& Message) { MessageDlg(Message, mtInformation, TMsgDlgButtons{mbOK}, 0); };
  ShowHelp = ShowHelpTopic;
  FrViewHistoryChange(FrView);
}

void THtmlPage::Show(const std::string& Name) {
  try {
    FrView->LoadFromFile(Name);
  } catch (const std::exception& E) {
    Tell(E.what());
  }
}

void THtmlPage::ShowMainPage() {
  auto* Sheet = dynamic_cast<TTabSheet*>(FSheet);
  TPageControl* Pages = Sheet != nullptr ? Sheet->PageControl() : nullptr;
  if (Pages == nullptr) return;
  for (int I = 0; I < Pages->PageCount(); ++I)
    if (Pages->Pages(I)->Name() == "Main") {
      Pages->SetActivePage(Pages->Pages(I));
      return;
    }
}

std::string THtmlPage::OpenFilter() {
  std::string html, graph;
  GetLngMask("HTML", html);
  GetLngMask("Graph", graph);
  return html + "|" + graph;
}

void THtmlPage::ReadHints(const std::string& LngFile) {
  try {
    TIniFile Ini(LngFile);
    for (TToolButton* B : {SpeedButton49, ToolButton11, ToolButton23, ToolButton24, ToolButton25, ToolButton29,
                           ToolButton31, ToolButton36})
      if (B != nullptr) B->SetHint(Ini.ReadString("MainForm", B->Name() + "_Hint", B->Hint()));
  } catch (const std::exception&) {
    // An unreadable language file leaves the hints as they are, like the other captions.
  }
}

void THtmlPage::SpeedButton49Click(TObject*) {
  std::string Name;
  if (AskOpenName(Name) && !Name.empty()) Show(Name);
}

void THtmlPage::ToolButton11Click(TObject*) { FrView->GoBack(); }
void THtmlPage::ToolButton23Click(TObject*) { FrView->GoFwd(); }
void THtmlPage::ToolButton24Click(TObject*) { FrView->Clear(); }
void THtmlPage::ToolButton25Click(TObject*) {
  // The file may have gone since it was shown.
  try {
    FrView->Reload();
  } catch (const std::exception& E) {
    Tell(E.what());
  }
}

void THtmlPage::ToolButton29Click(TObject*) { LFind->Execute(); }

void THtmlPage::LFindFind(TObject*) {
  if (FrView->Find(LFind->FindText(), false)) return;
  std::string Text;
  GetLngString("Not_found", Text);
  Tell(Text);
}

void THtmlPage::ToolButton31Click(TObject*) {
  try {
    std::unique_ptr<TPrintDevice> Device = PrintDevice();
    if (Device) FrView->PrintTo(*Device, 1, 10);
  } catch (const std::exception& E) {
    Tell(HasDefaultPrinter() ? std::string(E.what()) : LngStringOr("No_printer", "No printer is installed."));
  }
}

void THtmlPage::ToolButton36Click(TObject*) { ExecuteFile(MailObject, "", "", SW_SHOWNORMAL); }

void THtmlPage::HTMLShellSelectItem(TObject*, TListItem* Item, bool Selected) {
  if (!Selected || Item == nullptr) return;
  TPTShListData* Data = HTMLShell->GetItemData(Item->Index());
  if (Data == nullptr || Data->IsFolder()) return;
  std::string Path = Data->GetPath();
  if (!Path.empty()) Show(Path);
}

void THtmlPage::HTMLShellKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key != VK_ESCAPE || Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
  ShowMainPage();
  Key = 0;
}

void THtmlPage::FrViewKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
  if (Key == VK_F1) {
    ShowHelp(HelpTopic);
  } else if (Key == VK_ESCAPE) {
    ShowMainPage();
  } else {
    return;
  }
  Key = 0;
}

void THtmlPage::FrViewHistoryChange(TObject*) {
  ToolButton11->SetEnabled(FrView->BackButtonEnabled());
  ToolButton23->SetEnabled(FrView->FwdButtonEnabled());
}
