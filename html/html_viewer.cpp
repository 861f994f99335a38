#include "html/html_viewer.h"

#include <algorithm>
#include <cmath>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"

namespace {

constexpr UINT WM_FORM_SUBMIT = WM_USER + 100;
constexpr UINT WM_DRAW_BORDER = WM_USER + 101;
constexpr UINT WM_AUTO_SCROLL = WM_USER + 102;
constexpr UINT_PTR AnimationTimer = 1;
constexpr UINT_PTR AutoScrollTimer = 2;

// The program's palette, on screens of 256 colours only (nullptr elsewhere): made once.
HPALETTE ProgramPalette() {
  static HPALETTE palette = [] {
    HDC dc = GetDC(nullptr);
    HPALETTE made = nullptr;
    if (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) {
      PALETTEENTRY entries[256] = {};
      GetSystemPaletteEntries(dc, 0, 256, entries);
      std::vector<std::uint32_t> system(256);
      for (int i = 0; i < 256; ++i)
        system[std::size_t(i)] = std::uint32_t(entries[i].peRed) << 16 | std::uint32_t(entries[i].peGreen) << 8 |
                                 entries[i].peBlue;
      std::vector<std::uint32_t> colors = ScreenPaletteColors(system);
      std::vector<std::uint8_t> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
      auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
      lp->palVersion = 0x300;
      lp->palNumEntries = 256;
      for (int i = 0; i < 256; ++i) {
        std::uint32_t c = colors[std::size_t(i)];
        lp->palPalEntry[i] = {BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 0};
      }
      made = CreatePalette(lp);
    }
    ReleaseDC(nullptr, dc);
    return made;
  }();
  return palette;
}


}  // namespace

// ---- the scroll bar

const TClassInfo* T32ScrollBar::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<T32ScrollBar, TWinControl>("T32ScrollBar").Build();
  return &Info;
}

T32ScrollBar::T32ScrollBar(TComponent* AOwner, bool AVertical) : TWinControl(AOwner), FVertical(AVertical) {}

void T32ScrollBar::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.SysClass = L"SCROLLBAR";
  P.Style |= FVertical ? SBS_VERT : SBS_HORZ;
  P.Style &= ~DWORD(WS_TABSTOP);
}

void T32ScrollBar::InitWnd() {
  TWinControl::InitWnd();
  SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, FMax, UINT(FPage), FPosition, 0};
  SetScrollInfo(FHandle, SB_CTL, &si, TRUE);
}

void T32ScrollBar::SetParams(int APosition, int AMax, int APage) {
  AMax = std::max(AMax, 0);
  APage = std::max(APage, 0);
  APosition = std::clamp(APosition, 0, std::max(0, AMax - APage));
  if (APosition == FPosition && AMax == FMax && APage == FPage) return;
  FPosition = APosition;
  FMax = AMax;
  FPage = APage;
  if (!HandleAllocated()) return;
  SCROLLINFO si{sizeof si, SIF_ALL, 0, FMax, UINT(FPage), FPosition, 0};
  SetScrollInfo(FHandle, SB_CTL, &si, TRUE);
}

void T32ScrollBar::WndProc(TMessage& M) {
  if (M.Msg == CN_VSCROLL || M.Msg == CN_HSCROLL) {
    int code = LOWORD(M.WParam), track = FPosition;
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      if (GetScrollInfo(FHandle, SB_CTL, &si)) track = si.nTrackPos;
    }
    if (OnScroll) OnScroll(code, track);
    M.Result = 0;
    return;
  }
  TWinControl::WndProc(M);
}

// ---- the paint panel

const TClassInfo* TPaintPanel::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPaintPanel, TWinControl>("TPaintPanel").Build();
  return &Info;
}

TPaintPanel::TPaintPanel(THTMLViewer* AViewer) : TWinControl(AViewer), FViewer(AViewer) {}

void TPaintPanel::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FHandle, &ps);
      try {
        if (ps.rcPaint.right > ps.rcPaint.left && ps.rcPaint.bottom > ps.rcPaint.top)
          FViewer->PaintDocument(dc, ps.rcPaint);
      } catch (...) {
        EndPaint(FHandle, &ps);
        throw;
      }
      EndPaint(FHandle, &ps);
      M.Result = 0;
      return;
    }
    case WM_MOUSEACTIVATE:
      break;
  }
  TWinControl::WndProc(M);
}

void TPaintPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWinControl::MouseDown(Button, Shift, X, Y);
  // The press of a double click has made its word selection (DblClick): it starts none.
  if (Button == mbLeft && !Shift.Contains(ssDouble)) FViewer->PanelMouseDown(X, Y);
}

void TPaintPanel::MouseMove(TShiftState Shift, int X, int Y) {
  TWinControl::MouseMove(Shift, X, Y);
  FViewer->PanelMouseMove(Shift, X, Y);
}

void TPaintPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TWinControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) FViewer->PanelMouseUp(X, Y);
}

void TPaintPanel::DblClick() {
  TWinControl::DblClick();
  FViewer->PanelDblClick();
}

// ---- the viewer

const TClassInfo* THTMLViewer::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<THTMLViewer, TWinControl>("THTMLViewer")
          .Prop("DefBackground", &THTMLViewer::DefBackground, &THTMLViewer::SetDefBackground)
          .Prop("DefFontName", &THTMLViewer::DefFontName, &THTMLViewer::SetDefFontName)
          .Prop("DefPreFontName", &THTMLViewer::DefPreFontName, &THTMLViewer::SetDefPreFontName)
          .Prop("DefFontSize", &THTMLViewer::DefFontSize, &THTMLViewer::SetDefFontSize)
          .Prop("DefFontColor", &THTMLViewer::DefFontColor, &THTMLViewer::SetDefFontColor)
          .Prop("DefHotSpotColor", &THTMLViewer::DefHotSpotColor, &THTMLViewer::SetDefHotSpotColor)
          .Prop("HistoryMaxCount", &THTMLViewer::HistoryMaxCount, &THTMLViewer::SetHistoryMaxCount)
          .Prop("ImageCacheCount", &THTMLViewer::ImageCacheCount, &THTMLViewer::SetImageCacheCount)
          .Prop("NoSelect", &THTMLViewer::NoSelect, &THTMLViewer::SetNoSelect)
          .Prop("ScrollBars", &THTMLViewer::ScrollBars, &THTMLViewer::SetScrollBars)
          .Prop("ViewImages", &THTMLViewer::ViewImages, &THTMLViewer::SetViewImages)
          .Prop("MarginHeight", &THTMLViewer::MarginHeight, &THTMLViewer::SetMarginHeight)
          .Prop("MarginWidth", &THTMLViewer::MarginWidth, &THTMLViewer::SetMarginWidth)
          .Prop("ServerRoot", &THTMLViewer::ServerRoot, &THTMLViewer::SetServerRoot)
          .Build();
  return &Info;
}

THTMLViewer::THTMLViewer(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = FHeight = 150;
  FTabStop = true;
  FColor = clBtnFace;
  FMeasureDC = CreateCompatibleDC(nullptr);
  FHost = std::make_unique<TGdiHost>(FMeasureDC);
  FCore = std::make_unique<THtmlViewerCore>(*FHost);
  FPanel = new TPaintPanel(this);
  FPanel->SetParent(this);
  FVBar = new T32ScrollBar(this, true);
  FVBar->SetVisible(false);
  FVBar->SetParent(this);
  FHBar = new T32ScrollBar(this, false);
  FHBar->SetVisible(false);
  FHBar->SetParent(this);
  FVBar->OnScroll = [this](int Code, int Track) {
    int y = Position();
    switch (Code) {
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: y = Track; break;
      case SB_LINEUP: y -= FVBar->SmallChange; break;
      case SB_LINEDOWN: y += FVBar->SmallChange; break;
      case SB_PAGEUP: y -= FVBar->LargeChange; break;
      case SB_PAGEDOWN: y += FVBar->LargeChange; break;
      case SB_TOP: y = 0; break;
      case SB_BOTTOM: y = FCore->MaxPosition(); break;
      default: return;
    }
    ScrollTo(y);
  };
  FHBar->OnScroll = [this](int Code, int Track) {
    int x = FCore->HScroll();
    switch (Code) {
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: x = Track; break;
      case SB_LINELEFT: x -= FHBar->SmallChange; break;
      case SB_LINERIGHT: x += FHBar->SmallChange; break;
      case SB_PAGELEFT: x -= FHBar->LargeChange; break;
      case SB_PAGERIGHT: x += FHBar->LargeChange; break;
      default: return;
    }
    FCore->SetHScroll(x);
    FHBar->SetPosition(FCore->HScroll());
    FPanel->Invalidate();
  };
  FCore->OnProcessing = [this](bool On) {
    if (OnProcessing) OnProcessing(this, On);
  };
  FCore->OnHistoryChange = [this] {
    if (OnHistoryChange) OnHistoryChange(this);
  };
  FCore->OnHotSpotClick = [this](const std::string& U, bool& Handled) {
    if (OnHotSpotClick) OnHotSpotClick(this, U, Handled);
  };
  FCore->OnLaidOut = [this] {
    SetupScrollBars();
    StartAnimationTimer();
  };
  FCore->OnScrolled = [this](int OldY, int NewY) { Scrolled(OldY, NewY); };
  FCore->OnInvalidate = [this] {
    if (FPanel->HandleAllocated()) FPanel->Invalidate();
  };
  FCore->OnBusyCursor = [this](bool Busy) {
    if (!Screen) return;
    if (Busy) {
      FSavedCursor = Screen->Cursor();
      Screen->SetCursor(crHourGlass);
    } else {
      Screen->SetCursor(FSavedCursor);
    }
  };
}

THTMLViewer::~THTMLViewer() {
  if (HandleAllocated()) {
    KillTimer(FHandle, AnimationTimer);
    KillTimer(FHandle, AutoScrollTimer);
  }
  FCore.reset();  // the document's control windows go before the panel
  FHost.reset();
  if (FMeasureDC) DeleteDC(FMeasureDC);
}

void THTMLViewer::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.ClassStyle = CS_DBLCLKS;
}

void THTMLViewer::InitWnd() {
  TWinControl::InitWnd();
  SetupScrollBars();
}

template <typename F> void THTMLViewer::Loading(F Load) {
  PrepareHost();
  Load();
  if (HandleAllocated()) SetupScrollBars();
}

void THTMLViewer::PrepareHost() {
  if (!FPanel->HandleAllocated() && Parent()) FPanel->HandleNeeded();
  FHost->SetParent(FPanel->HandleAllocated() ? FPanel->Handle() : nullptr);
  // The geometry the layout works with.
  int w = std::max(FWidth - 2, 0), h = std::max(FHeight - 2, 0);
  FCore->ViewWidth = w;
  FCore->ScrollBarWidth = (FScrollBars == ssVertical || FScrollBars == ssBoth) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  FCore->ScrollBarMarginTwice = FScrollBars == ssVertical || FScrollBars == ssBoth;
  if (FCore->PanelWidth == 0) FCore->PanelWidth = w;
  if (FCore->PanelHeight == 0) FCore->PanelHeight = h;
}

void THTMLViewer::LoadFromFile(const std::string& Name) { Loading([&] { FCore->LoadFromFile(Name); }); }
void THTMLViewer::LoadTextFile(const std::string& Name) { Loading([&] { FCore->LoadTextFile(Name); }); }
void THTMLViewer::LoadImageFile(const std::string& Name) { Loading([&] { FCore->LoadImageFile(Name); }); }
void THTMLViewer::LoadFromString(const std::string& Html) { Loading([&] { FCore->LoadFromString(Html); }); }
void THTMLViewer::LoadFromStrings(const TStrings* Strings, int Type) {
  Loading([&] { FCore->LoadFromStrings(Strings, Type); });
}
void THTMLViewer::LoadFromBuffer(const char* Buffer, std::size_t Size) {
  Loading([&] { FCore->LoadFromBuffer(Buffer, Size); });
}
void THTMLViewer::LoadFromStream(TStream* Stream) { Loading([&] { FCore->LoadFromStream(Stream); }); }

void THTMLViewer::Clear() {
  FCore->Clear();
  SetupScrollBars();
}

void THTMLViewer::SetupScrollBars() {
  if (Destroying()) return;
  int w = std::max(FWidth - 2, 0), h = std::max(FHeight - 2, 0);
  bool vAllowed = FScrollBars == ssVertical || FScrollBars == ssBoth;
  bool hAllowed = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  int sbw = GetSystemMetrics(SM_CXVSCROLL), sbh = GetSystemMetrics(SM_CYHSCROLL);
  int docWidth = FCore->ScrollWidth() + 2 * FCore->MarginWidth;
  bool showV = vAllowed && FCore->MaxVertical() > h;
  bool showH = hAllowed && docWidth > w - (showV ? sbw : 0);
  if (showH && vAllowed && !showV && FCore->MaxVertical() > h - sbh) showV = true;
  int pw = std::max(w - (showV ? sbw : 0), 0), ph = std::max(h - (showH ? sbh : 0), 0);
  FCore->ViewWidth = w;
  FCore->PanelWidth = pw;
  FCore->PanelHeight = ph;
  FPanel->SetBounds(1, 1, pw, ph);
  FVBar->SetBounds(1 + pw, 1, sbw, ph);
  FHBar->SetBounds(1, 1 + ph, pw, sbh);
  FVBar->SmallChange = 16;
  FVBar->LargeChange = std::max(ph - FVBar->SmallChange, 1);
  FHBar->SmallChange = 16;
  FHBar->LargeChange = std::max(pw - FHBar->SmallChange, 1);
  // The position stays within the new range.
  if (FCore->Position() > FCore->MaxPosition()) FCore->SetPosition(FCore->MaxPosition());
  FCore->SetHScroll(FCore->HScroll());
  FVBar->SetParams(FCore->Position(), FCore->MaxVertical(), ph);
  FHBar->SetParams(FCore->HScroll(), docWidth, pw);
  FVBar->SetVisible(showV);
  FHBar->SetVisible(showH);
}

void THTMLViewer::Resize() {
  TWinControl::Resize();
  if (!FCore) return;
  int w = std::max(FWidth - 2, 0);
  if (w != FLastWidth && !Processing() && FCore->Document().Count() > 0) {
    FLastWidth = w;
    FCore->ViewWidth = w;
    SetupScrollBars();
    FCore->Relayout();
    FPanel->EraseNeeded = true;
  } else {
    FLastWidth = w;
    SetupScrollBars();
  }
  if (FPanel->HandleAllocated()) FPanel->Invalidate();
}

void THTMLViewer::ScrollTo(int Y) { FCore->SetPosition(Y); }

void THTMLViewer::SetPosition(int Value) { FCore->SetPosition(Value); }
void THTMLViewer::SetPosition(const TViewPosition& P) { FCore->SetPosition(P); }
bool THTMLViewer::PositionTo(const std::string& Dest) { return FCore->PositionTo(Dest); }
bool THTMLViewer::Find(const std::string& Text, bool MatchCase) { return FCore->Find(Text, MatchCase); }

void THTMLViewer::Scrolled(int OldY, int NewY) {
  FVBar->SetParams(NewY, FCore->MaxVertical(), FCore->PanelHeight);
  if (!FPanel->HandleAllocated() || OldY == NewY) return;
  if (std::abs(NewY - OldY) == FVBar->SmallChange) {
    // One line: the pixels move and only the uncovered strip is drawn.
    ScrollWindowEx(FPanel->Handle(), 0, OldY - NewY, nullptr, nullptr, nullptr, nullptr,
                   SW_INVALIDATE | SW_SCROLLCHILDREN);
  } else {
    FPanel->Invalidate();
  }
}

void THTMLViewer::PaintDocument(HDC DC, const RECT& R) {
  int w = R.right - R.left, h = R.bottom - R.top;
  HDC mem = CreateCompatibleDC(DC);
  HBITMAP bmp = mem ? CreateCompatibleBitmap(DC, w, h) : nullptr;
  if (!bmp) {
    if (mem) DeleteDC(mem);
    throw EOutOfResources("Out of Resources");
  }
  HGDIOBJ old = SelectObject(mem, bmp);
  SetWindowOrgEx(mem, R.left, R.top, nullptr);
  HPALETTE palette = ProgramPalette(), oldMemPalette = nullptr, oldPalette = nullptr;
  if (palette) {
    oldMemPalette = SelectPalette(mem, palette, FALSE);
    RealizePalette(mem);
    oldPalette = SelectPalette(DC, palette, FALSE);
    RealizePalette(DC);
  }
  {
    TGdiHost host(mem, FPanel->Handle());
    FPanel->EraseNeeded = false;
    FCore->Paint(host, {R.left, R.top, R.right, R.bottom});
  }
  BitBlt(DC, R.left, R.top, w, h, mem, R.left, R.top, SRCCOPY);
  if (palette) {
    SelectPalette(mem, oldMemPalette, FALSE);
    SelectPalette(DC, oldPalette, FALSE);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  if (HandleAllocated()) PostMessageW(FHandle, WM_DRAW_BORDER, 0, 0);
}

void THTMLViewer::DrawBorder() {
  if (!HandleAllocated()) return;
  HDC dc = GetDC(FHandle);
  RECT r;
  GetClientRect(FHandle, &r);
  bool visible = FBorderStyle == htSingle || (FBorderStyle == htFocused && GetFocus() == FHandle);
  TColor c = visible ? clBtnText : FCore->Document().Background;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(c));
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
  ReleaseDC(FHandle, dc);
}

void THTMLViewer::DoEnter() {
  TWinControl::DoEnter();
  DrawBorder();
}

void THTMLViewer::DoExit() {
  TWinControl::DoExit();
  DrawBorder();
}

bool THTMLViewer::WantsKey(uint16_t Key) {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN || TWinControl::WantsKey(Key);
}

void THTMLViewer::KeyDown(uint16_t& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  int y = Position();
  switch (Key) {
    case VK_PRIOR: y -= FVBar->LargeChange; break;
    case VK_NEXT: y += FVBar->LargeChange; break;
    case VK_UP: y -= FVBar->SmallChange; break;
    case VK_DOWN: y += FVBar->SmallChange; break;
    case VK_HOME: y = 0; break;
    case VK_END: y = FCore->MaxVertical(); break;
    case VK_LEFT:
    case VK_RIGHT:
      FCore->SetHScroll(FCore->HScroll() + (Key == VK_LEFT ? -FHBar->SmallChange : FHBar->SmallChange));
      FHBar->SetPosition(FCore->HScroll());
      FPanel->Invalidate();
      return;
    default: return;
  }
  ScrollTo(y);
}

// ---- the mouse

void THTMLViewer::PanelMouseDown(int X, int Y) {
  FMouseCaptured = Focused();
  if (CanFocus()) SetFocus();
  FHotSpotClicked = false;
  FLeftButtonDown = true;
  FMouseX = X;
  FMouseY = Y;
  if (FMouseCaptured) FCore->MouseDownAt(X, Y);
}

void THTMLViewer::PanelMouseMove(TShiftState Shift, int X, int Y) {
  FMouseX = X;
  FMouseY = Y;
  TUrlTarget link;
  bool over = FCore->LinkAt(X, Y, link);
  FPanel->SetCursor(over ? crHandPoint : Cursor());
  if (over && FPanel->HandleAllocated()) ::SetCursor(CursorHandle(crHandPoint));
  std::string u = over ? link.URL : std::string();
  if (u != FCore->URL) {
    FCore->URL = u;
    FCore->Target = over ? link.Target : std::string();
    if (OnHotSpotCovered) OnHotSpotCovered(this, u);
  }
  if (Shift.Contains(ssLeft) && FLeftButtonDown) {
    if ((Y < 1 || Y > FCore->PanelHeight) && !FAutoScrollPending) {
      FAutoScrollPending = true;
      PostMessageW(Handle(), WM_AUTO_SCROLL, 0, 0);
    }
    if (FMouseCaptured && !NoSelect()) FCore->ExtendSelectionTo(X, Y);
  }
}

void THTMLViewer::PanelMouseUp(int X, int Y) {
  if (FMouseCaptured && !NoSelect()) FCore->ExtendSelectionTo(X, Y);
  FMouseCaptured = false;
  FAutoScrollPending = false;
  if (HandleAllocated()) KillTimer(FHandle, AutoScrollTimer);
  if (FLeftButtonDown && FCore->SelLength() == 0) {
    TUrlTarget link;
    TFormControlObj* button = nullptr;
    if (FCore->LinkAt(X, Y, link, &button) && button) {
      FLeftButtonDown = false;
      FHotSpotClicked = true;
      button->Click();  // submits the point on the picture
      return;
    }
    if (FCore->LinkAt(X, Y, link)) {
      FCore->URL = link.URL;
      FCore->Target = link.Target;
      FHotSpotClicked = true;
      FLeftButtonDown = false;
      HotSpotClick(link.URL);
      return;
    }
  }
  FLeftButtonDown = false;
}

void THTMLViewer::PanelDblClick() {
  if (NoSelect() || Processing() || FHotSpotClicked) return;
  FCore->SelectWordAt(FMouseX, FMouseY);
}

void THTMLViewer::AutoScrollStep() {
  POINT p;
  GetCursorPos(&p);
  ::ScreenToClient(FPanel->Handle(), &p);
  bool down = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
  int h = FCore->PanelHeight;
  if (!FAutoScrollPending || !down || (p.y >= 0 && p.y < h)) {
    FAutoScrollPending = false;
    KillTimer(FHandle, AutoScrollTimer);
    return;
  }
  ScrollTo(Position() + AutoScrollDelta(p.y, h, FVBar->SmallChange));
  FCore->ExtendSelectionTo(p.x, p.y);
}

void THTMLViewer::StartAnimationTimer() {
  if (!HandleAllocated()) return;
  if (!FCore->Document().AnimatedImages.empty()) {
    FCore->Document().StartAnimations(GetTickCount());
    SetTimer(FHandle, AnimationTimer, 50, nullptr);
  } else {
    KillTimer(FHandle, AnimationTimer);
  }
}

void THTMLViewer::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(FHandle, &ps);
      EndPaint(FHandle, &ps);
      DrawBorder();
      M.Result = 0;
      return;
    }
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case WM_DRAW_BORDER:
      DrawBorder();
      return;
    case WM_AUTO_SCROLL:
      if (FAutoScrollPending) {
        AutoScrollStep();
        if (FAutoScrollPending) SetTimer(FHandle, AutoScrollTimer, 100, nullptr);
      }
      return;
    case WM_FORM_SUBMIT:
      if (OnFormSubmit) {
        std::string action = std::move(FSubmitAction), method = std::move(FSubmitMethod);
        std::vector<std::string> results = std::move(FSubmitResults);
        OnFormSubmit(this, action, method, results);
      }
      return;
    case WM_TIMER:
      if (M.WParam == AutoScrollTimer) {
        AutoScrollStep();
        return;
      }
      if (M.WParam == AnimationTimer) {
        std::vector<THtmlRect> invalid;
        if (FCore->Document().AnimationStep(GetTickCount(), invalid) && FPanel->HandleAllocated())
          for (const THtmlRect& r : invalid) {
            RECT rc{r.Left, r.Top, r.Right, r.Bottom};
            InvalidateRect(FPanel->Handle(), &rc, FALSE);
          }
        return;
      }
      break;
  }
  TWinControl::WndProc(M);
}

// ---- properties

void THTMLViewer::SetOnFormSubmit(decltype(OnFormSubmit) Handler) {
  OnFormSubmit = std::move(Handler);
  if (OnFormSubmit)
    FCore->OnFormSubmit = [this](const std::string& Action, const std::string& Method,
                                 const std::vector<std::string>& Results) {
      FSubmitAction = Action;
      FSubmitMethod = Method;
      FSubmitResults = Results;
      if (HandleAllocated()) PostMessageW(FHandle, WM_FORM_SUBMIT, 0, 0);
    };
  else
    FCore->OnFormSubmit = nullptr;
  FCore->Document().OnFormSubmit = nullptr;
  if (FCore->OnFormSubmit) {
    THtmlViewerCore* core = FCore.get();
    FCore->Document().OnFormSubmit = [core](const std::string& A, const std::vector<std::string>& F,
                                            const std::string& Method) { core->OnFormSubmit(A, Method, F); };
  }
}

void THTMLViewer::SetOnImageRequest(
    std::function<bool(const std::string& Source, std::vector<std::uint8_t>& Data)> Handler) {
  FCore->OnImageRequest = Handler;
  FCore->Document().OnImageRequest = std::move(Handler);
}

void THTMLViewer::RelayoutKeepingPlace(bool Reread) {
  if (FCore->Document().Count() > 0) {
    PrepareHost();
    THourGlass Busy;
    if (Reread) FCore->Refresh();
    else FCore->Relayout();
  }
  if (FPanel->HandleAllocated()) FPanel->Invalidate();
}

void THTMLViewer::SetDefBackground(TColor Value) {
  if (Processing()) return;
  FCore->DefBackground = Value;
  FCore->Document().SetBackground(Value);
  FPanel->SetColor(Value);
  if (FPanel->HandleAllocated()) FPanel->Invalidate();
}

void THTMLViewer::SetBorderStyle(THTMLBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  DrawBorder();
}

void THTMLViewer::SetDefFontName(const std::string& Value) {
  if (SameText(Value, FCore->DefFontName)) return;
  FCore->DefFontName = Value;
  RelayoutKeepingPlace(true);
}

void THTMLViewer::SetDefPreFontName(const std::string& Value) {
  if (SameText(Value, FCore->DefPreFontName)) return;
  FCore->DefPreFontName = Value;
  RelayoutKeepingPlace(true);
}

void THTMLViewer::SetDefFontSize(int Value) {
  FCore->DefFontSize = std::max(Value, 6);
  RelayoutKeepingPlace(true);
}

void THTMLViewer::SetCharSet(TFontCharset Value) {
  FCore->CharSet = Value;
  RelayoutKeepingPlace(true);
}

void THTMLViewer::SetDefFontColor(TColor Value) {
  FCore->DefFontColor = Value;
  FCore->Document().FontColor = Value;
  if (FPanel->HandleAllocated()) FPanel->Invalidate();
}

void THTMLViewer::SetDefHotSpotColor(TColor Value) {
  FCore->DefHotSpotColor = Value;
  FCore->Document().LinkColor = Value;
  if (FPanel->HandleAllocated()) FPanel->Invalidate();
}

void THTMLViewer::SetViewImages(bool Value) {
  if (Value == FCore->ViewImages || Processing()) return;
  FCore->ViewImages = Value;
  RelayoutKeepingPlace(true);
}

void THTMLViewer::SetNoSelect(bool Value) {
  if (Value == FCore->NoSelect) return;
  FCore->NoSelect = Value;
  if (Value) {
    FCore->Document().SelStart = FCore->Document().SelEnd = -1;
    if (FPanel->HandleAllocated()) FPanel->Invalidate();
  }
}

void THTMLViewer::SetImageCacheCount(int Value) {
  Value = std::clamp(Value, 0, 20);
  if (Value == FImageCacheCount) return;
  FImageCacheCount = Value;
  SetImageCacheLimit(Value);
}

void THTMLViewer::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (!Processing() && HandleAllocated()) SetupScrollBars();
}

void THTMLViewer::SetMarginWidth(int Value) {
  if (Value < 0 || Value > 50 || Value == FCore->MarginWidth || Processing()) return;
  FCore->MarginWidth = Value;
  RelayoutKeepingPlace(false);
}

void THTMLViewer::SetMarginHeight(int Value) {
  if (Value < 0 || Value > 50 || Value == FCore->MarginHeight || Processing()) return;
  FCore->MarginHeight = Value;
  RelayoutKeepingPlace(false);
}

void THTMLViewer::SetServerRoot(const std::string& Value) {
  std::string s = Trim(Value);
  if (!s.empty() && s.back() == '\\') s.pop_back();
  FCore->ServerRoot = s;
}

// ---- printing

namespace {

// The canvas of the page being printed, whichever host the device gives for it.
class TPageCanvas : public THtmlHost {
public:
  explicit TPageCanvas(TvwPrinter& APrinter) : FPrinter(APrinter) {}
  THtmlFontMetrics FontMetrics(const TFont& Font) override { return C().FontMetrics(Font); }
  int TextWidth(const TFont& Font, std::string_view Text) override { return C().TextWidth(Font, Text); }
  bool Monochrome() const override { return FPrinter.Canvas().Monochrome(); }
  void DrawText(const TFont& Font, int X, int Y, std::string_view Text) override { C().DrawText(Font, X, Y, Text); }
  void FillRect(const THtmlRect& R, TColor Color) override { C().FillRect(R, Color); }
  void DrawLine(int X1, int Y1, int X2, int Y2, TColor Color) override { C().DrawLine(X1, Y1, X2, Y2, Color); }
  void DrawPicture(const THtmlPicture& P, int X, int Y, int W, int H) override { C().DrawPicture(P, X, Y, W, H); }
  void PushClip(const THtmlRect& R) override { C().PushClip(R); }
  void PopClip() override { C().PopClip(); }
  std::unique_ptr<THtmlControl> CreateControl(THtmlControlKind) override { return nullptr; }

private:
  THtmlHost& C() { return FPrinter.Canvas(); }
  TvwPrinter& FPrinter;
};

// A job on a device that the caller keeps (to look at its pages afterwards).
class TBorrowedDevice : public TPrintDevice {
public:
  explicit TBorrowedDevice(TPrintDevice& ADevice) : D(ADevice) {}
  bool CreateContext(bool Information) override { return D.CreateContext(Information); }
  void DeleteContext() override { D.DeleteContext(); }
  int StartDoc(const std::string& Title, const std::function<bool()>& Aborted) override {
    return D.StartDoc(Title, Aborted);
  }
  int StartPage() override { return D.StartPage(); }
  int EndPage() override { return D.EndPage(); }
  int EndDoc() override { return D.EndDoc(); }
  int AbortDoc() override { return D.AbortDoc(); }
  int PageWidth() override { return D.PageWidth(); }
  int PageHeight() override { return D.PageHeight(); }
  THtmlHost& Canvas() override { return D.Canvas(); }

private:
  TPrintDevice& D;
};

int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi > 0 ? ppi : 96;
}

HDC CanvasDC(TvwPrinter& Printer) {
  auto* gdi = dynamic_cast<TGdiHost*>(&Printer.Canvas());
  return gdi ? gdi->DC() : nullptr;
}

}  // namespace

int THTMLViewer::Print(int FromPage, int ToPage) {
  TGdiPrintDevice device;
  return PrintTo(device, FromPage, ToPage);
}

int THTMLViewer::PrintTo(TPrintDevice& Device, int FromPage, int ToPage) {
  if (Processing() || FCore->Document().Count() == 0 || ToPage < FromPage) return 0;
  TvwPrinter printer(std::make_unique<TBorrowedDevice>(Device));
  printer.Title = !DocumentTitle().empty() ? DocumentTitle() : ExtractFileName(CurrentFile());
  printer.BeginDoc();
  const int screenPpi = ScreenPixelsPerInch();
  HDC dc = CanvasDC(printer);
  int ppiX = dc ? GetDeviceCaps(dc, LOGPIXELSX) : screenPpi, ppiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : screenPpi;
  if (ppiX <= 0) ppiX = screenPpi;
  if (ppiY <= 0) ppiY = screenPpi;
  int pageW = printer.PageWidth(), pageH = printer.PageHeight();
  int offX = dc ? GetDeviceCaps(dc, PHYSICALOFFSETX) : 0, offY = dc ? GetDeviceCaps(dc, PHYSICALOFFSETY) : 0;
  int physW = dc ? GetDeviceCaps(dc, PHYSICALWIDTH) : 0, physH = dc ? GetDeviceCaps(dc, PHYSICALHEIGHT) : 0;
  if (physW <= 0) physW = pageW;
  if (physH <= 0) physH = pageH;
  // Margins are centimetres from the paper's edge, in device pixels inside the printable area.
  auto px = [](double Cm, int Ppi) { return int(std::lround(Cm * 0.3937007874 * Ppi)); };
  int left = std::max(px(PrintMarginLeft, ppiX) - offX, 0);
  int top = std::max(px(PrintMarginTop, ppiY) - offY, 0);
  int right = std::min(physW - px(PrintMarginRight, ppiX) - offX, pageW);
  int bottom = std::min(physH - px(PrintMarginBottom, ppiY) - offY, pageH);
  // Everything from here is in screen units: the copy is laid out as on the screen.
  auto toScreenX = [&](int V) { return MulDiv(V, screenPpi, ppiX); };
  auto toScreenY = [&](int V) { return MulDiv(V, screenPpi, ppiY); };
  THtmlRect area{toScreenX(left), toScreenY(top), toScreenX(right), toScreenY(bottom)};
  int paperW = toScreenX(pageW), paperH = toScreenY(pageH);
  auto mapPage = [&] {
    if (HDC d = CanvasDC(printer)) {
      SetMapMode(d, MM_ANISOTROPIC);
      SetWindowExtEx(d, screenPpi, screenPpi, nullptr);
      SetViewportExtEx(d, GetDeviceCaps(d, LOGPIXELSX), GetDeviceCaps(d, LOGPIXELSY), nullptr);
    }
  };
  mapPage();
  TPageCanvas canvas(printer);
  std::unique_ptr<TSectionList> copy = FCore->CreatePrintCopy(canvas);
  int layoutWidth = std::max(area.Width() - 2 * FCore->MarginWidth, 10);
  copy->LayOut(canvas, layoutWidth);
  bool first = true, done = false;
  int last = 0;
  try {
    last = PrintPages(*copy, canvas, area, FCore->MarginWidth, FromPage, ToPage,
                      [&](int) {
                        if (!first) printer.NewPage();
                        first = false;
                        mapPage();
                      },
                      [&](int Page) {
                        // Header and footer with the canvas moved to their margins.
                        HDC d = CanvasDC(printer);
                        if (OnPrintHeader && d) {
                          POINT old;
                          SetWindowOrgEx(d, -area.Left, 0, &old);
                          OnPrintHeader(this, canvas, Page, area.Width(), area.Top, done);
                          SetWindowOrgEx(d, old.x, old.y, nullptr);
                        }
                        if (OnPrintFooter && d) {
                          POINT old;
                          SetWindowOrgEx(d, -area.Left, -area.Bottom, &old);
                          OnPrintFooter(this, canvas, Page, area.Width(), paperH - area.Bottom, done);
                          SetWindowOrgEx(d, old.x, old.y, nullptr);
                        }
                        return done;
                      });
  } catch (...) {
    if (printer.Printing()) printer.Abort();
    throw;
  }
  (void)paperW;
  if (last == 0) printer.Abort();
  else printer.EndDoc();
  return last;
}

void RegisterHtmlViewerClasses() {
  RegisterMissingClasses<THTMLViewer>();
}
