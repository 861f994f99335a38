#include "app/html_page.h"

#include "app/core/lng_strings.h"
#include "app/shared_routines.h"

const char* const THtmlPage::MailObject = "Internet Mail.{89292102-4755-11cf-9DC2-00AA006C2B84}";
const char* const THtmlPage::ShellFilter = "*.txt;*.htm;*.html;*.shtml;*.asp;*.bmp;*.gif;*.jpg;*.jpeg;*.png";

namespace {

TToolButton* AddButton(THtmlPage* Page, TToolBar* Bar, const char* Name, const char* Caption, const char* Hint,
                       void (THtmlPage::*Handler)(TObject*)) {
  auto* b = new TToolButton(Page);
  b->SetName(Name);
  b->SetCaption(Caption);
  b->SetHint(Hint);
  b->SetShowHint(true);
  b->SetParent(Bar);
  b->OnClick = [Page, Handler](TObject* Sender) { (Page->*Handler)(Sender); };
  return b;
}

}  // namespace

THtmlPage::THtmlPage(TComponent* AOwner, TWinControl* Sheet) : TComponent(AOwner) {
  SetName("HtmlPage");
  ToolBar13 = new TToolBar(this);
  ToolBar13->SetName("ToolBar13");
  ToolBar13->SetShowCaptions(true);
  ToolBar13->SetButtonWidth(64);
  ToolBar13->SetHeight(26);
  ToolBar13->SetAlign(alTop);
  ToolBar13->SetParent(Sheet);
  SpeedButton49 = AddButton(this, ToolBar13, "SpeedButton49", "Open", "Open", &THtmlPage::SpeedButton49Click);
  ToolButton11 = AddButton(this, ToolBar13, "ToolButton11", "Back", "Go back", &THtmlPage::ToolButton11Click);
  ToolButton23 = AddButton(this, ToolBar13, "ToolButton23", "Forward", "Go forvard", &THtmlPage::ToolButton23Click);
  ToolButton24 = AddButton(this, ToolBar13, "ToolButton24", "Clear", "Clear", &THtmlPage::ToolButton24Click);
  ToolButton25 = AddButton(this, ToolBar13, "ToolButton25", "Reload", "Reload", &THtmlPage::ToolButton25Click);
  ToolButton29 = AddButton(this, ToolBar13, "ToolButton29", "Find", "Find", &THtmlPage::ToolButton29Click);
  ToolButton31 = AddButton(this, ToolBar13, "ToolButton31", "Print", "Print", &THtmlPage::ToolButton31Click);
  ToolButton36 = AddButton(this, ToolBar13, "ToolButton36", "Mail", "Mail", &THtmlPage::ToolButton36Click);
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
  OpenDialog = new TOpenDialog(this);
  LFind = new TFindDialog(this);
  LFind->SetName("LFind");
  LFind->OnFind = [this](TObject* Sender) { LFindFind(Sender); };
  FrViewHistoryChange(FrView);
}

std::string THtmlPage::OpenFilter() {
  std::string html, graph;
  GetLngMask("HTML", html);
  GetLngMask("Graph", graph);
  return html + "|" + graph;
}

void THtmlPage::SpeedButton49Click(TObject*) {
  OpenDialog->SetFilter(OpenFilter());
  if (OpenDialog->Execute()) FrView->LoadFromFile(OpenDialog->FileName());
}

void THtmlPage::ToolButton11Click(TObject*) { FrView->GoBack(); }
void THtmlPage::ToolButton23Click(TObject*) { FrView->GoFwd(); }
void THtmlPage::ToolButton24Click(TObject*) { FrView->Clear(); }
void THtmlPage::ToolButton25Click(TObject*) { FrView->Reload(); }

void THtmlPage::ToolButton29Click(TObject*) { LFind->Execute(); }

void THtmlPage::LFindFind(TObject*) { FrView->Find(LFind->FindText(), false); }

void THtmlPage::ToolButton31Click(TObject*) { FrView->Print(1, 10); }

void THtmlPage::ToolButton36Click(TObject*) { ExecuteFile(MailObject, "", "", SW_SHOWNORMAL); }

void THtmlPage::HTMLShellSelectItem(TObject*, TListItem* Item, bool Selected) {
  if (!Selected || Item == nullptr) return;
  TPTShListData* Data = HTMLShell->GetItemData(Item->Index());
  if (Data == nullptr || Data->IsFolder()) return;
  std::string Path = Data->GetPath();
  if (!Path.empty()) FrView->LoadFromFile(Path);
}

void THtmlPage::HTMLShellKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key != VK_ESCAPE || Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
  auto* Sheet = dynamic_cast<TTabSheet*>(HTMLShell->Parent());
  TPageControl* Pages = Sheet != nullptr ? Sheet->PageControl() : nullptr;
  if (Pages == nullptr) return;
  for (int I = 0; I < Pages->PageCount(); ++I)
    if (Pages->Pages(I)->Name() == "Main") {
      Pages->SetActivePage(Pages->Pages(I));
      Key = 0;
      return;
    }
}

void THtmlPage::FrViewHistoryChange(TObject*) {
  ToolButton11->SetEnabled(FrView->BackButtonEnabled());
  ToolButton23->SetEnabled(FrView->FwdButtonEnabled());
}
