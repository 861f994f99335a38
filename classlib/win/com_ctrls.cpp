#include "classlib/win/com_ctrls.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"

template <> const TTypeInfo* TypeInfoOf<TToolButtonStyle>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TStatusPanelStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TStatusPanelStyle", {"psText", "psOwnerDraw"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TStatusPanelBevel>() {
  static const TTypeInfo Info = EnumTypeInfo("TStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"});
  return &Info;
}

// ---------------------------------------------------------------------------------------
// TTabSheet

const TClassInfo* TTabSheet::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TTabSheet, TWinControl>("TTabSheet")
          .Prop("Caption", [](const TTabSheet& T) { return T.Caption(); }, &TTabSheet::SetCaption)
          .Prop("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl)
          .Prop("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
          .Prop("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
          .Prop("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex)
          .Prop("OnShow", &TTabSheet::OnShow)
          .Prop("OnHide", &TTabSheet::OnHide)
          .Build();
  return &Info;
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FParentColor = false;
}

TTabSheet::~TTabSheet() {
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
}

void TTabSheet::SetParentComponent(TComponent* AParent) {
  auto* P = dynamic_cast<TPageControl*>(AParent);
  if (P == nullptr) throw EInvalidOperation("a tab sheet belongs in a page control");
  SetPageControl(P);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == FPageControl) return;
  if (FPageControl != nullptr) FPageControl->RemovePage(this);
  SetParent(Value);
  if (Value != nullptr) Value->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (FPageControl == nullptr) return -1;
  auto& P = FPageControl->FPages;
  return int(std::find(P.begin(), P.end(), this) - P.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (FPageControl == nullptr) return;
  auto& P = FPageControl->FPages;
  P.erase(std::find(P.begin(), P.end(), this));
  Value = std::clamp(Value, 0, int(P.size()));
  P.insert(P.begin() + Value, this);
  FPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
  if (FPageControl == nullptr || !FTabVisible) return -1;
  int N = 0;
  for (TTabSheet* S : FPageControl->FPages) {
    if (S == this) return N;
    if (S->FTabVisible) ++N;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  FTabVisible = Value;
  if (FPageControl != nullptr) FPageControl->UpdateTabs();
}

void TTabSheet::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (FPageControl != nullptr) FPageControl->UpdateTabs();
}

void TTabSheet::TextChanged() {
  TWinControl::TextChanged();
  if (FPageControl != nullptr) FPageControl->UpdateTabs();
}

// ---------------------------------------------------------------------------------------
// TPageControl

const TClassInfo* TPageControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TPageControl, TWinControl>("TPageControl")
          .Prop("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
          .Prop("OnChange", &TPageControl::OnChange)
          .Prop("OnChanging", &TPageControl::OnChanging)
          .Build();
  return &Info;
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
}

TPageControl::~TPageControl() {
  for (TTabSheet* S : FPages) S->FPageControl = nullptr;
}

void TPageControl::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = WC_TABCONTROLW;
  P.Style |= WS_CLIPCHILDREN;
}

void TPageControl::InitWnd() { UpdateTabs(); }

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  Page->FreeNotification(this);
  UpdateTabs();
  if (FActivePage == nullptr && Page->FTabVisible) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  Page->FPageControl = nullptr;
  if (FActivePage == Page) {
    FActivePage = nullptr;
    for (TTabSheet* S : FPages)
      if (S->FTabVisible) {
        SetActivePage(S);
        break;
      }
  }
  UpdateTabs();
}

void TPageControl::UpdateTabs() {
  if (FHandle == nullptr) return;
  SendMessageW(FHandle, TCM_DELETEALLITEMS, 0, 0);
  int N = 0;
  for (TTabSheet* S : FPages) {
    if (!S->FTabVisible) continue;
    std::wstring W = ToWide(S->Caption());
    TCITEMW Item{};
    Item.mask = TCIF_TEXT | TCIF_IMAGE;
    Item.pszText = W.data();
    Item.iImage = S->FImageIndex;
    SendMessageW(FHandle, TCM_INSERTITEMW, N++, reinterpret_cast<LPARAM>(&Item));
  }
  if (FActivePage != nullptr) SendMessageW(FHandle, TCM_SETCURSEL, FActivePage->TabIndex(), 0);
  Realign();
}

int TPageControl::ActivePageIndex() const { return FActivePage != nullptr ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[Value] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page != nullptr && Page->FPageControl != this) throw EInvalidOperation("The page belongs to another control");
  if (Page == FActivePage) return;
  TTabSheet* Old = FActivePage;
  FActivePage = Page;
  if (Page != nullptr) {
    Page->SetVisible(true);
    Page->BringToFront();
    if (FHandle != nullptr) SendMessageW(FHandle, TCM_SETCURSEL, Page->TabIndex(), 0);
  }
  if (Old != nullptr) Old->SetVisible(false);
  Realign();
  if (Old != nullptr && Old->OnHide) Old->OnHide(Old);
  if (Page != nullptr && Page->OnShow) Page->OnShow(Page);
}

void TPageControl::SelectNextPage(bool GoForward) {
  int N = PageCount();
  if (N == 0) return;
  int Start = ActivePageIndex();
  for (int Step = 1; Step <= N; ++Step) {
    int I = ((Start + (GoForward ? Step : -Step)) % N + N) % N;
    if (FPages[I]->FTabVisible) {
      bool Allow = true;
      if (OnChanging) OnChanging(this, Allow);
      if (!Allow) return;
      SetActivePage(FPages[I]);
      if (OnChange) OnChange(this);
      return;
    }
  }
}

void TPageControl::AdjustClientRect(TRect& R) {
  if (FHandle == nullptr) {
    R.Top += 24;
    R.Left += 4;
    R.Right -= 4;
    R.Bottom -= 4;
    return;
  }
  RECT W = R;
  SendMessageW(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&W));
  R = TRect(W);
}

void TPageControl::AlignControls(TRect& R) {
  for (TTabSheet* S : FPages) S->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  // Anything else on the control aligns in what is left.
  TWinControl::AlignControls(R);
}

void TPageControl::WndProc(TMessage& M) {
  if (M.Msg == CN_NOTIFY) {
    auto* H = reinterpret_cast<NMHDR*>(M.LParam);
    if (H->code == TCN_SELCHANGING) {
      bool Allow = true;
      if (OnChanging) OnChanging(this, Allow);
      M.Result = Allow ? FALSE : TRUE;
      return;
    }
    if (H->code == TCN_SELCHANGE) {
      int Tab = int(SendMessageW(FHandle, TCM_GETCURSEL, 0, 0));
      for (TTabSheet* S : FPages)
        if (S->TabIndex() == Tab) {
          SetActivePage(S);
          break;
        }
      if (OnChange) OnChange(this);
      return;
    }
  }
  TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TToolButton and TToolBar

const TClassInfo* TToolButton::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TToolButton, TGraphicControl>("TToolButton")
          .Prop("Caption", [](const TToolButton& B) { return B.Caption(); }, &TToolButton::SetCaption)
          .Prop("Style", &TToolButton::Style, &TToolButton::SetStyle)
          .Prop("Down", &TToolButton::Down, &TToolButton::SetDown)
          .Prop("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped)
          .Prop("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp)
          .Prop("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex)
          .Build();
  return &Info;
}

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 23;
  FHeight = 22;
  FParentShowHint = true;
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(FParent); }

void TToolButton::SetStyle(TToolButtonStyle Value) {
  FStyle = Value;
  if (FParent != nullptr) FParent->Realign();
  Invalidate();
}

void TToolButton::SetDown(bool Value) {
  if (Value == FDown) return;
  if (!Value && FGrouped && !FAllowAllUp && FStyle == tbsCheck && !Loading()) return;  // the group keeps one down
  FDown = Value;
  if (Value && FGrouped && FParent != nullptr) {
    // Neighbouring grouped check buttons form the group.
    int Me = -1;
    std::vector<TToolButton*> Row;
    for (int I = 0; I < FParent->ControlCount(); ++I)
      if (auto* B = dynamic_cast<TToolButton*>(FParent->Controls(I))) Row.push_back(B);
    for (int I = 0; I < int(Row.size()); ++I)
      if (Row[I] == this) Me = I;
    auto InGroup = [](TToolButton* B) { return B->FGrouped && B->FStyle == tbsCheck; };
    for (int I = Me - 1; I >= 0 && InGroup(Row[I]); --I) Row[I]->FDown = false, Row[I]->Invalidate();
    for (int I = Me + 1; I < int(Row.size()) && InGroup(Row[I]); ++I) Row[I]->FDown = false, Row[I]->Invalidate();
  }
  Invalidate();
}

void TToolButton::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (FParent != nullptr) FParent->Realign();  // a caption may show or hide with the picture
  Invalidate();
}

void TToolButton::TextChanged() {
  if (FParent != nullptr) FParent->Realign();  // a shown caption sizes its button
  Invalidate();
}

bool TToolButton::HasImage() const {
  TToolBar* Bar = ToolBar();
  TCustomImageList* Images = Bar != nullptr ? Bar->Images() : nullptr;
  return Images != nullptr && FImageIndex >= 0 && FImageIndex < Images->Count();
}

bool TToolButton::ShowsCaption() const {
  TToolBar* Bar = ToolBar();
  return !FText.empty() && (!HasImage() || (Bar != nullptr && Bar->ShowCaptions()));
}

int TToolButton::CaptionWidth() const {
  if (FText.empty()) return 0;
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*FFont));
  std::wstring W = ToWide(FText);
  SIZE S{};
  GetTextExtentPoint32W(DC, W.c_str(), int(W.size()), &S);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return S.cx;
}

void TToolButton::Click() {
  if (FStyle == tbsCheck) {
    if (FDown) {
      if (!FGrouped || FAllowAllUp) {
        FDown = false;
        Invalidate();
      }
    } else {
      SetDown(true);
    }
  }
  TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FStyle != tbsSeparator && FStyle != tbsDivider && Enabled()) {
    FPressed = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FPressed) {
    FPressed = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TToolButton::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = Rect(0, 0, FWidth, FHeight);
  FillRect(DC, &R, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (FStyle == tbsSeparator) return;
  if (FStyle == tbsDivider) {
    RECT L = Rect(FWidth / 2 - 1, 2, FWidth / 2 + 1, FHeight - 2);
    DrawEdge(DC, &L, EDGE_ETCHED, BF_LEFT);
    return;
  }
  TToolBar* Bar = ToolBar();
  if (FPressed || FDown)
    DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT);
  else if (Bar == nullptr || !Bar->Flat())
    DrawEdge(DC, &R, BDR_RAISEDINNER, BF_RECT);
  // The image centred, or above the caption when the bar shows captions.
  TCustomImageList* Images = Bar != nullptr ? Bar->Images() : nullptr;
  const bool ShowText = ShowsCaption();
  int Shift = FPressed || FDown ? 1 : 0;
  if (HasImage()) {
    int X = (FWidth - Images->Width()) / 2 + Shift;
    int Y = (ShowText ? 3 : (FHeight - Images->Height()) / 2) + Shift;
    Images->Draw(Canvas(), X, Y, FImageIndex, Enabled());
    if (!ShowText) return;
    R.top = 3 + Images->Height();
  }
  if (!ShowText) return;
  std::wstring W = ToWide(FText);
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, Enabled() ? static_cast<COLORREF>(ColorToRGB(FFont->Color())) & 0xFFFFFF
                             : GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ Old = SelectObject(DC, FontHandle(*FFont));
  OffsetRect(&R, Shift, Shift);
  DrawTextW(DC, W.c_str(), int(W.size()), &R, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
  SelectObject(DC, Old);
}

const TClassInfo* TToolBar::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TToolBar, TCustomControl>("TToolBar")
                                     .Prop("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth)
                                     .Prop("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight)
                                     .Prop("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions)
                                     .Prop("Flat", &TToolBar::Flat, &TToolBar::SetFlat)
                                     .Prop("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable)
                                     .Prop("Images", &TToolBar::Images, &TToolBar::SetImages)
                                     .Build();
  return &Info;
}

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FAlign = alTop;
  FWidth = 150;
  FHeight = 29;
}

void TToolBar::SetButtonWidth(int Value) {
  FButtonWidth = Value;
  Realign();
}

void TToolBar::SetButtonHeight(int Value) {
  FButtonHeight = Value;
  Realign();
}

void TToolBar::SetShowCaptions(bool Value) {
  FShowCaptions = Value;
  Realign();  // shown captions size their buttons
  Invalidate();
}

void TToolBar::SetFlat(bool Value) {
  FFlat = Value;
  Invalidate();
}

void TToolBar::SetWrapable(bool Value) {
  FWrapable = Value;
  Realign();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove) FImages.Removed(AComponent);
}

int TToolBar::ButtonCount() const {
  int N = 0;
  for (TControl* C : FControls)
    if (dynamic_cast<TToolButton*>(C) != nullptr) ++N;
  return N;
}

TToolButton* TToolBar::Buttons(int Index) const {
  for (TControl* C : FControls)
    if (auto* B = dynamic_cast<TToolButton*>(C); B != nullptr && Index-- == 0) return B;
  throw EListError("Tool button index out of bounds (" + std::to_string(Index) + ")");
}

void TToolBar::AlignControls(TRect& R) {
  // Aligned children (a status line inside a bar) take their place first.
  TWinControl::AlignControls(R);
  std::vector<TControl*> Row;
  for (TControl* C : FControls)
    if (C->Align() == alNone) Row.push_back(C);
  // One row in the order of their left edges; it wraps where the bar is too narrow. A
  // wrapped control starts its line at the left again, so the order is by the line each
  // control was put on last, then by left edge: a narrow bar that widens gets its order
  // back. A control not laid out before joins the last line.
  int LastLine = 0;
  for (const auto& [C, L] : FLines) LastLine = std::max(LastLine, L);
  auto LineOf = [&](TControl* C) {
    auto It = FLines.find(C);
    return It != FLines.end() ? It->second : LastLine;
  };
  std::stable_sort(Row.begin(), Row.end(), [&](TControl* A, TControl* B) {
    const int LA = LineOf(A), LB = LineOf(B);
    return LA != LB ? LA < LB : A->Left() < B->Left();
  });
  std::map<const TControl*, int> Lines;
  int Line = 0;
  int X = R.Left, Y = R.Top + 2, LineHeight = FButtonHeight;
  for (TControl* C : Row) {
    if (!C->Visible()) {
      Lines[C] = LineOf(C);
      continue;
    }
    auto* B = dynamic_cast<TToolButton*>(C);
    int W = C->Width(), H = C->Height();
    if (B != nullptr) {
      if (B->Style() == tbsSeparator || B->Style() == tbsDivider) {
        H = FButtonHeight;
      } else {
        // A shown caption gets the width it needs; picture buttons keep the bar's width.
        W = FButtonWidth;
        if (B->ShowsCaption()) {
          const int Picture = B->HasImage() ? Images()->Width() : 0;
          const int Text = std::min(B->CaptionWidth(), MaxCaptionWidth);  // a long path ends in "..."
          W = std::max(W, std::max(Text, Picture) + 2 * CaptionMargin);
        }
        H = FButtonHeight;
      }
    }
    if (FWrapable && X > R.Left && X + W > R.Right) {
      X = R.Left;
      Y += LineHeight;
      LineHeight = FButtonHeight;
      ++Line;
    }
    Lines[C] = Line;
    int Top = B != nullptr ? Y : Y + std::max(0, (FButtonHeight - H) / 2);
    C->SetBounds(X, Top, W, H);
    X += W;
    LineHeight = std::max(LineHeight, H);
  }
  FLines.swap(Lines);
}

void TToolBar::Paint() {
  HDC DC = Canvas()->Handle();
  RECT R = Rect(0, 0, FWidth, FHeight);
  FillRect(DC, &R, ColorBrush());
  DrawEdge(DC, &R, BDR_RAISEDINNER, BF_TOP);
}

// ---------------------------------------------------------------------------------------
// Status bar

const TClassInfo* TStatusPanel::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TStatusPanel, TCollectionItem>("TStatusPanel")
          .Prop("Text", [](const TStatusPanel& P) { return P.Text(); }, &TStatusPanel::SetText)
          .Prop("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth)
          .Prop("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment)
          .Prop("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel)
          .Prop("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle)
          .Build();
  return &Info;
}

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const std::string& Value) {
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
  FWidth = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
  FBevel = Value;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
  FStyle = Value;
  Changed(false);
}

const TClassInfo* TStatusPanels::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TStatusPanels, TCollection>("TStatusPanels").Build();
  return &Info;
}

TStatusPanels::TStatusPanels(TStatusBar* Owner) : TCollection(TStatusPanel::StaticClassInfo(), Owner), FStatusBar(Owner) {}

void TStatusPanels::Update(TCollectionItem*) { FStatusBar->UpdatePanels(); }

const TClassInfo* TStatusBar::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TStatusBar, TWinControl>("TStatusBar")
          .Prop("Panels", [](const TStatusBar& S) { return S.Panels(); }, nullptr)
          .Prop("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel)
          .Prop("SimpleText", [](const TStatusBar& S) { return S.SimpleText(); }, &TStatusBar::SetSimpleText)
          .Prop("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip)
          .Build();
  return &Info;
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this)) {
  FAlign = alBottom;
  FWidth = 150;
  FHeight = 19;
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = STATUSCLASSNAMEW;
  P.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY | (FSizeGrip ? SBARS_SIZEGRIP : 0);
}

void TStatusBar::InitWnd() { UpdatePanels(); }

void TStatusBar::Resize() {
  TWinControl::Resize();
  UpdatePanels();
  // The control repaints only what a larger size uncovers: the size grip it drew at the
  // old corner (and the old last panel's edge) would stay.
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, TRUE);
}

void TStatusBar::SetSimplePanel(bool Value) {
  FSimplePanel = Value;
  UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& Value) {
  FSimpleText = Value;
  if (FHandle != nullptr && FSimplePanel)
    SendMessageW(FHandle, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(ToWide(Value).c_str()));
}

void TStatusBar::SetSizeGrip(bool Value) {
  FSizeGrip = Value;
  RecreateWnd();
}

void TStatusBar::UpdatePanels() {
  if (FHandle == nullptr) return;
  SendMessageW(FHandle, SB_SIMPLE, FSimplePanel, 0);
  if (FSimplePanel) {
    SendMessageW(FHandle, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(ToWide(FSimpleText).c_str()));
    return;
  }
  int N = std::min(FPanels->Count(), 255);
  std::vector<int> Edges(std::max(N, 1));
  int X = 0;
  for (int I = 0; I < N; ++I) {
    X += FPanels->Items(I)->Width();
    Edges[I] = X;
  }
  if (N > 0) Edges[N - 1] = -1;  // the last panel takes the rest
  else Edges[0] = -1;
  SendMessageW(FHandle, SB_SETPARTS, std::max(N, 1), reinterpret_cast<LPARAM>(Edges.data()));
  for (int I = 0; I < N; ++I) {
    TStatusPanel* P = FPanels->Items(I);
    std::string Text = P->Text();
    // The control centres or right-aligns text after tab characters.
    if (P->Alignment() == taCenter) Text = "\t" + Text;
    else if (P->Alignment() == taRightJustify) Text = "\t\t" + Text;
    UINT Flags = P->Bevel() == pbNone ? SBT_NOBORDERS : P->Bevel() == pbRaised ? SBT_POPOUT : 0;
    if (P->Style() == psOwnerDraw) Flags |= SBT_OWNERDRAW;
    SendMessageW(FHandle, SB_SETTEXTW, I | Flags, reinterpret_cast<LPARAM>(ToWide(Text).c_str()));
  }
}

// ---------------------------------------------------------------------------------------
// Animation

template <> const TTypeInfo* TypeInfoOf<TCommonAVI>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TCommonAVI", {"aviNone", "aviFindFolder", "aviFindFile", "aviFindComputer", "aviCopyFiles",
                                  "aviCopyFile", "aviRecycleFile", "aviEmptyRecycle", "aviDeleteFile"});
  return &Info;
}

const TClassInfo* TAnimate::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TAnimate, TWinControl>("TAnimate")
                                     .Prop("CommonAVI", &TAnimate::CommonAVI, &TAnimate::SetCommonAVI)
                                     .Prop("Active", &TAnimate::Active, &TAnimate::SetActive)
                                     .Build();
  return &Info;
}

TAnimate::TAnimate(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 100;
  FHeight = 80;
}

void TAnimate::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = ANIMATE_CLASSW;
  P.Style |= ACS_TRANSPARENT | ACS_CENTER;
}

void TAnimate::InitWnd() {
  OpenClip();
  if (FActive && FOpened) Animate_Play(FHandle, 0, -1, -1);
}

// The clips are resources of the shell library, numbered as the shell numbers them.
void TAnimate::OpenClip() {
  FOpened = false;
  if (FHandle == nullptr) return;
  static const int Ids[] = {0, 150, 151, 152, 160, 161, 162, 163, 164};
  if (FCommonAVI == aviNone) {
    Animate_Close(FHandle);
    return;
  }
  HMODULE Shell = GetModuleHandleW(L"shell32.dll");
  if (Shell == nullptr) Shell = LoadLibraryW(L"shell32.dll");
  FOpened = Shell != nullptr && SendMessageW(FHandle, ACM_OPENW, reinterpret_cast<WPARAM>(Shell),
                                             reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(Ids[FCommonAVI]))) != 0;
  if (!FOpened) FActive = false;
}

void TAnimate::SetCommonAVI(TCommonAVI Value) {
  FCommonAVI = Value;
  if (FHandle == nullptr) return;
  OpenClip();
  if (FActive && FOpened) Animate_Play(FHandle, 0, -1, -1);
}

void TAnimate::SetActive(bool Value) {
  FActive = Value;
  if (FHandle == nullptr) return;
  if (!Value) {
    Animate_Stop(FHandle);
  } else if (FOpened) {
    Animate_Play(FHandle, 0, -1, -1);
  } else {
    FActive = false;
  }
}

// ---------------------------------------------------------------------------------------
// Progress bar

const TClassInfo* TProgressBar::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TProgressBar, TWinControl>("TProgressBar")
                                     .Prop("Min", &TProgressBar::Min, &TProgressBar::SetMin)
                                     .Prop("Max", &TProgressBar::Max, &TProgressBar::SetMax)
                                     .Prop("Position", &TProgressBar::Position, &TProgressBar::SetPosition)
                                     .Prop("Step", &TProgressBar::Step, &TProgressBar::SetStep)
                                     .Prop("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth)
                                     .Build();
  return &Info;
}

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FHeight = 16;
}

void TProgressBar::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = PROGRESS_CLASSW;
  if (FSmooth) P.Style |= PBS_SMOOTH;
}

void TProgressBar::InitWnd() {
  SendMessageW(FHandle, PBM_SETRANGE32, FMin, FMax);
  SendMessageW(FHandle, PBM_SETSTEP, FStep, 0);
  SendMessageW(FHandle, PBM_SETPOS, FPosition, 0);
}

void TProgressBar::SetMin(int Value) {
  FMin = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, PBM_SETRANGE32, FMin, FMax);
}

void TProgressBar::SetMax(int Value) {
  FMax = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, PBM_SETRANGE32, FMin, FMax);
}

int TProgressBar::Position() const {
  if (FHandle != nullptr) return int(SendMessageW(FHandle, PBM_GETPOS, 0, 0));
  return FPosition;
}

void TProgressBar::SetPosition(int Value) {
  FPosition = std::clamp(Value, FMin, std::max(FMin, FMax));
  if (FHandle != nullptr) SendMessageW(FHandle, PBM_SETPOS, FPosition, 0);
}

void TProgressBar::SetStep(int Value) {
  FStep = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, PBM_SETSTEP, Value, 0);
}

void TProgressBar::StepIt() {
  int P = Position() + FStep;
  if (P > FMax) P = FMin + (P - FMax) % std::max(1, FMax - FMin);  // the control wraps round
  SetPosition(P);
}

void TProgressBar::SetSmooth(bool Value) {
  FSmooth = Value;
  RecreateWnd();
}

// ---------------------------------------------------------------------------------------
// Track bar

const TClassInfo* TTrackBar::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTrackBar, TWinControl>("TTrackBar")
                                     .Prop("Min", &TTrackBar::Min, &TTrackBar::SetMin)
                                     .Prop("Max", &TTrackBar::Max, &TTrackBar::SetMax)
                                     .Prop("Position", &TTrackBar::Position, &TTrackBar::SetPosition)
                                     .Prop("OnChange", &TTrackBar::OnChange)
                                     .Build();
  return &Info;
}

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FHeight = 45;
  FTabStop = true;
}

void TTrackBar::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = TRACKBAR_CLASSW;
  P.Style |= TBS_HORZ | TBS_AUTOTICKS;
}

void TTrackBar::InitWnd() {
  SendMessageW(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(FHandle, TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageW(FHandle, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::SetMin(int Value) {
  FMin = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, TBM_SETRANGEMIN, TRUE, FMin);
  SetPosition(FPosition);
}

void TTrackBar::SetMax(int Value) {
  FMax = Value;
  if (FHandle != nullptr) SendMessageW(FHandle, TBM_SETRANGEMAX, TRUE, FMax);
  SetPosition(FPosition);
}

void TTrackBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, std::max(FMin, FMax));
  if (FHandle != nullptr && int(SendMessageW(FHandle, TBM_GETPOS, 0, 0)) != Value)
    SendMessageW(FHandle, TBM_SETPOS, TRUE, Value);
  if (Value == FPosition) return;
  FPosition = Value;
  if (!ComponentState().Contains(csLoading) && OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& M) {
  if (M.Msg == CN_HSCROLL || M.Msg == CN_BASE + WM_VSCROLL) {
    SetPosition(int(SendMessageW(FHandle, TBM_GETPOS, 0, 0)));
    return;
  }
  TWinControl::WndProc(M);
}
