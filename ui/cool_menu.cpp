#include "ui/cool_menu.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "classlib/core/exception.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"
#include "ui/vcl_utils.h"

// ---------------------------------------------------------------------------------------
// Type information

template <> const TTypeInfo* TypeInfoOf<TRefreshAction>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TRefreshAction", {"RA_NONE", "RA_REFRESH", "RA_REFRESHWITHBAR", "RA_RESTORE", "RA_RESTOREWITHBAR", "RA_REFRESHNOBAR"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TMenuStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TMenuStyle", {"msNormal", "msMDIChildMain", "msMDIChildPopup"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TMenuOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TMenuOption",
      {"omAlwaysDefFont", "omAlwaysDefFontColor", "omAlwaysDefFontSize", "omFixedImgSize", "omDrawBarIfNeeded",
       "omPaintWallpaper", "omPaintSelWallpaper", "omTileWallpaper", "omTileSelWallpaper", "omBevelOnlyIfSel",
       "omNoHighlightImage", "omNoHighlightDisabled", "omNoHighlightEnabled", "omNoHighlightEnabledButDoText",
       "omNoHighlightEnabledButDoRoundRect", "omNoImageAttached", "omOffice97MenuBarItem", "omRightJustified",
       "omNoTextAttached", "om32x16Image"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TBevelStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TBevelStyle", {"bsBevelBoth", "bsBevelOnlyImage", "bsBevelOnlyText"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TBevelType>() {
  static const TTypeInfo Info = EnumTypeInfo("TBevelType", {"btRectangle", "btRoundedRect"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TCaptionAlign>() {
  static const TTypeInfo Info = EnumTypeInfo("TCaptionAlign", {"alUp", "alDown", "alCenter"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TPaintOption>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TPaintOption", {"opDrawWallpaper", "opDrawBevels", "opDrawGradient", "opDrawSeparator"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TShadowOption>() {
  static const TTypeInfo Info = EnumTypeInfo("TShadowOption", {"soNoShadowIfNormal", "soNoShadowIfSel"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TShadowPosition>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TShadowPosition", {"spLeftTop", "spLeftBottom", "spRightBottom", "spRightTop"});
  return &Info;
}

namespace {

COLORREF Rgb(TColor C) { return COLORREF(ColorToRGB(C)) & 0xFFFFFF; }

UINT InnerEdge(TPanelBevel B) { return B == bvLowered ? BDR_SUNKENINNER : B == bvRaised ? BDR_RAISEDINNER : 0; }
UINT OuterEdge(TPanelBevel B) { return B == bvLowered ? BDR_SUNKENOUTER : B == bvRaised ? BDR_RAISEDOUTER : 0; }

// A DC for measuring text with a font, released with it.
struct TMeasureDC {
  HDC DC = CreateCompatibleDC(nullptr);
  HGDIOBJ Old = nullptr;
  explicit TMeasureDC(HFONT Font) { Old = SelectObject(DC, Font); }
  ~TMeasureDC() {
    SelectObject(DC, Old);
    DeleteDC(DC);
  }
  SIZE Extent(const std::string& Text) const {
    std::wstring W = ToWide(Text);
    SIZE S{0, 0};
    GetTextExtentPoint32W(DC, W.c_str(), int(W.size()), &S);
    if (S.cy == 0) {
      TEXTMETRICW TM;
      GetTextMetricsW(DC, &TM);
      S.cy = TM.tmHeight;
    }
    return S;
  }
};

// The font of an item as drawn: bold for the default item, turned by its angle.
HFONT ItemFont(const TCoolMenuItem* Item, bool Bold) {
  TFont F;
  F.Assign(Item->Font());
  if (Bold) F.SetStyle(F.Style() + TFontStyles{fsBold});
  if (Item->Angle() != 0) return CreateAngledFont(F, Item->Angle());
  LOGFONTW LF;
  FontToLogFont(F, LF);
  return CreateFontIndirectW(&LF);
}

std::string ShortCutText(const TMenuItem* Item) {
  return Item->ShortCut() != scNone ? ShortCutToText(Item->ShortCut()) : std::string();
}

// The mark of a check or radio item, drawn by the platform into a bitmap of our own.
std::unique_ptr<TBitmap> MakeMarkBitmap(UINT State) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(16, 16);
  HDC DC = B->Canvas()->Handle();
  RECT R{0, 0, 16, 16};
  FillRect(DC, &R, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT M{3, 3, 13, 13};
  DrawFrameControl(DC, &M, DFC_MENU, State);
  return B;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Drawing routines

void TileBitmap(HDC DC, TBitmap* Bitmap, const RECT& R, DWORD Rop, bool Tile) {
  if (Bitmap == nullptr || Bitmap->Empty()) return;
  HDC Src = Bitmap->Canvas()->Handle();
  const int BW = Bitmap->Width(), BH = Bitmap->Height();
  if (!Tile) {
    BitBlt(DC, R.left, R.top, R.right - R.left, R.bottom - R.top, Src, R.left, R.top, Rop);
    return;
  }
  for (int Y = R.top; Y < R.bottom; Y += BH)
    for (int X = R.left; X < R.right; X += BW)
      BitBlt(DC, X, Y, std::min(BW, int(R.right - X)), std::min(BH, int(R.bottom - Y)), Src, 0, 0, Rop);
}

void GradientFill(HDC DC, const RECT& R, TColor From, int Steps, TColor To) {
  for (const TGradientBand& B : GradientBands(R.bottom - R.top, Rgb(From), Steps, Rgb(To))) {
    HBRUSH Br = CreateSolidBrush(B.Color);
    HGDIOBJ Old = SelectObject(DC, Br);
    PatBlt(DC, R.left, R.top + B.Top, R.right - R.left, B.Bottom - B.Top, PATCOPY);
    SelectObject(DC, Old);
    DeleteObject(Br);
  }
}

TColor InvertedColor(TColor Color) {
  COLORREF C = Rgb(Color);
  return TColor(RGB(255 - GetRValue(C), 255 - GetGValue(C), 255 - GetBValue(C)));
}

HFONT CreateAngledFont(const TFont& Font, int Angle) {
  LOGFONTW LF;
  FontToLogFont(Font, LF);
  LF.lfEscapement = LF.lfOrientation = Angle * 10;
  return CreateFontIndirectW(&LF);
}

bool IsTrueTypeFont(const TFont& Font) {
  TMeasureDC M(FontHandle(Font));
  TEXTMETRICW TM;
  return GetTextMetricsW(M.DC, &TM) && (TM.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

void GetSystemMenuFont(TFont& Font) {
  NONCLIENTMETRICSW M{};
  M.cbSize = sizeof M;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof M, &M, 0)) LogFontToFont(M.lfMenuFont, Font);
}

void DrawRoundedBevel(HDC DC, RECT R, TColor Fill, TPanelBevel Inner, TPanelBevel Outer, int Corner, TColor Light,
                      TColor Dark) {
  HGDIOBJ OldBrush = SelectObject(DC, GetStockObject(NULL_BRUSH));
  auto Round = [&](int L, int T, int Rr, int B, TColor C) {
    HPEN P = CreatePen(PS_SOLID, 1, Rgb(C));
    HGDIOBJ Old = SelectObject(DC, P);
    RoundRect(DC, L, T, Rr, B, Corner, Corner);
    SelectObject(DC, Old);
    DeleteObject(P);
  };
  if (Inner == bvRaised) Round(R.left, R.top, R.right - 2, R.bottom - 2, Light);
  else if (Inner == bvLowered) Round(R.left, R.top, R.right - 2, R.bottom - 2, Dark);
  if (Outer == bvLowered) Round(R.left + 1, R.top + 1, R.right - 1, R.bottom - 1, Light);
  else if (Outer == bvRaised) Round(R.left + 1, R.top + 1, R.right - 1, R.bottom - 1, Dark);
  if (Inner != bvNone || Outer != bvNone) Round(R.left + 1, R.top + 1, R.right - 2, R.bottom - 2, Fill);
  SelectObject(DC, OldBrush);
}

void RotateBitmapQuarter(TBitmap* Bitmap) {
  if (Bitmap == nullptr || Bitmap->Empty()) return;
  const int W = Bitmap->Width(), H = Bitmap->Height();
  TBitmap Src;
  Src.Assign(Bitmap);
  Src.SetPixelFormat(pf32bit);
  TBitmap Dst;
  Dst.SetPixelFormat(pf32bit);
  Dst.SetSize(H, W);
  HDC S = Src.Canvas()->Handle(), D = Dst.Canvas()->Handle();
  // Whole rows through DIB sections would be faster; menu pictures are 16 pixels square.
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) SetPixel(D, H - 1 - Y, X, GetPixel(S, X, Y));
  Bitmap->Assign(&Dst);
}

void DrawShadowText(const TShadowText* Shadow, HDC DC, const std::string& Text, bool Selected, UINT Format,
                    RECT R) {
  std::wstring W = ToWide(Text);
  const bool Plain = Shadow == nullptr || !Shadow->Active() ||
                     (Selected && Shadow->Options().Contains(soNoShadowIfSel)) ||
                     (!Selected && Shadow->Options().Contains(soNoShadowIfNormal));
  if (Plain) {
    DrawTextW(DC, W.c_str(), int(W.size()), &R, Format);
    return;
  }
  const TColor Color = Selected ? Shadow->SelShadowColor() : Shadow->ShadowColor();
  const TShadowPosition Pos = Selected ? Shadow->SelShadowPos() : Shadow->ShadowPos();
  const int S = Selected ? Shadow->SelShadowSize() : Shadow->ShadowSize();
  RECT T = R, Sh = R;
  switch (Pos) {
    case spLeftTop: OffsetRect(&T, S, S); break;
    case spLeftBottom: OffsetRect(&T, S, 0), OffsetRect(&Sh, 0, S); break;
    case spRightBottom: OffsetRect(&Sh, S, S); break;
    case spRightTop: OffsetRect(&T, 0, S), OffsetRect(&Sh, S, 0); break;
  }
  COLORREF Old = SetTextColor(DC, Rgb(Color));
  DrawTextW(DC, W.c_str(), int(W.size()), &Sh, Format);
  SetTextColor(DC, Old);
  DrawTextW(DC, W.c_str(), int(W.size()), &T, Format);
}

// ---------------------------------------------------------------------------------------
// TShadowText

const TClassInfo* TShadowText::StaticClassInfo() {
  using C = TShadowText;
  static const TClassInfo Info = TClassBuilder<C, TPersistent>("TShadowText")
                                     .Prop("Active", &C::Active, &C::SetActive)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Prop("ShadowColor", &C::ShadowColor, &C::SetShadowColor)
                                     .Prop("SelShadowColor", &C::SelShadowColor, &C::SetSelShadowColor)
                                     .Prop("ShadowSize", &C::ShadowSize, &C::SetShadowSize)
                                     .Prop("SelShadowSize", &C::SelShadowSize, &C::SetSelShadowSize)
                                     .Prop("ShadowPos", &C::ShadowPos, &C::SetShadowPos)
                                     .Prop("SelShadowPos", &C::SelShadowPos, &C::SetSelShadowPos)
                                     .Build();
  return &Info;
}

void TShadowText::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TShadowText*>(Source)) {
    FActive = S->FActive;
    FOptions = S->FOptions;
    FShadowColor = S->FShadowColor;
    FSelShadowColor = S->FSelShadowColor;
    FShadowSize = S->FShadowSize;
    FSelShadowSize = S->FSelShadowSize;
    FShadowPos = S->FShadowPos;
    FSelShadowPos = S->FSelShadowPos;
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// TCoolMenuBar

const TClassInfo* TCoolMenuBar::StaticClassInfo() {
  using C = TCoolMenuBar;
  static const TClassInfo Info = TClassBuilder<C, TPersistent>("TCoolMenuBar")
                                     .Prop("Active", &C::Active, &C::SetActive)
                                     .Prop("Caption", &C::Caption, &C::SetCaption)
                                     .Prop("Font", &C::Font, &C::SetFont)
                                     .Prop("Space", &C::Space, &C::SetSpace)
                                     .Prop("BackFrom", &C::BackFrom, &C::SetBackFrom)
                                     .Prop("BackTo", &C::BackTo, &C::SetBackTo)
                                     .Prop("CaptionAlign", &C::CaptionAlign, &C::SetCaptionAlign)
                                     .Prop("BarAlign", &C::BarAlign, &C::SetBarAlign)
                                     .Prop("PaintOptions", &C::PaintOptions, &C::SetPaintOptions)
                                     .Prop("BevelInner", &C::BevelInner, &C::SetBevelInner)
                                     .Prop("BevelOuter", &C::BevelOuter, &C::SetBevelOuter)
                                     .Prop("OnChanged", &C::OnChanged)
                                     .Build();
  return &Info;
}

TCoolMenuBar::TCoolMenuBar() : FFont(std::make_unique<TFont>()) {
  FFont->SetName("Arial");
  FFont->SetColor(clWhite);
  FFont->SetSize(10);
}

TCoolMenuBar::~TCoolMenuBar() = default;

void TCoolMenuBar::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TCoolMenuBar*>(Source)) {
    FActive = S->FActive;
    FCaption = S->FCaption;
    FFont->Assign(S->FFont.get());
    FSpace = S->FSpace;
    FBackFrom = S->FBackFrom;
    FBackTo = S->FBackTo;
    FCaptionAlign = S->FCaptionAlign;
    FBarAlign = S->FBarAlign;
    FPaintOptions = S->FPaintOptions;
    FBevelInner = S->FBevelInner;
    FBevelOuter = S->FBevelOuter;
    OnChanged = S->OnChanged;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TCoolMenuBar::Changed() {
  if (OnChanged) OnChanged(this);
}

void TCoolMenuBar::SetActive(bool V) { FActive = V, Changed(); }
void TCoolMenuBar::SetCaption(const std::string& V) { FCaption = V, Changed(); }
void TCoolMenuBar::SetSpace(uint16_t V) { FSpace = V, Changed(); }
void TCoolMenuBar::SetBackFrom(TColor V) { FBackFrom = V, Changed(); }
void TCoolMenuBar::SetBackTo(TColor V) { FBackTo = V, Changed(); }
void TCoolMenuBar::SetCaptionAlign(TCaptionAlign V) { FCaptionAlign = V, Changed(); }
void TCoolMenuBar::SetBarAlign(TAlign V) { FBarAlign = V == alRight ? alRight : alLeft, Changed(); }
void TCoolMenuBar::SetPaintOptions(TPaintOptions V) { FPaintOptions = V, Changed(); }
void TCoolMenuBar::SetBevelInner(TPanelBevel V) { FBevelInner = V, Changed(); }
void TCoolMenuBar::SetBevelOuter(TPanelBevel V) { FBevelOuter = V, Changed(); }

void TCoolMenuBar::SetFont(TFont* V) {
  if (V == nullptr || V == FFont.get()) return;
  if (!IsTrueTypeFont(*V)) throw EInvalidOperation("Use True Type fonts for TCoolMenuBar...");
  FFont->Assign(V);
  Changed();
}

TCoolBarCaptionData* TCoolMenuBar::Captions(int Index) const {
  if (Index < 0 || Index >= int(FCaptions.size())) return nullptr;
  return FCaptions[size_t(Index)].get();
}

void TCoolMenuBar::AddCaption(const std::string& Text, const TFont* Font) {
  auto D = std::make_unique<TCoolBarCaptionData>();
  D->Text = Text;
  D->Font = std::make_unique<TFont>();
  D->Font->Assign(Font != nullptr ? Font : FFont.get());
  FCaptions.push_back(std::move(D));
  Changed();
}

int TCoolMenuBar::StripWidth() const {
  TMeasureDC M(FontHandle(*FFont));
  return M.Extent("Wg").cy + 2 * FSpace + 4;
}

void TCoolMenuBar::Render(TBitmap* Strip, int Height, TBitmap* Wallpaper) const {
  const int W = StripWidth();
  Strip->SetPixelFormat(pfDevice);
  Strip->SetSize(W, std::max(1, Height));
  HDC DC = Strip->Canvas()->Handle();
  RECT R{0, 0, W, std::max(1, Height)};
  if (FPaintOptions.Contains(opDrawGradient)) {
    GradientFill(DC, R, FBackFrom == clNone ? clBtnShadow : FBackFrom, 32, FBackTo == clNone ? clBtnShadow : FBackTo);
  } else {
    HBRUSH B = CreateSolidBrush(Rgb(FBackFrom == clNone ? clBtnShadow : FBackFrom));
    FillRect(DC, &R, B);
    DeleteObject(B);
  }
  if (FPaintOptions.Contains(opDrawWallpaper) && Wallpaper != nullptr && !Wallpaper->Empty())
    TileBitmap(DC, Wallpaper, R, SRCCOPY, true);
  if (FPaintOptions.Contains(opDrawBevels) && (FBevelInner != bvNone || FBevelOuter != bvNone))
    DrawEdge(DC, &R, InnerEdge(FBevelInner) | OuterEdge(FBevelOuter), BF_RECT);
  // The captions read upwards, from the bottom (alDown), from the top (alUp) or centred.
  SetBkMode(DC, TRANSPARENT);
  auto Draw = [&](const std::string& Text, const TFont& F, int X) {
    if (Text.empty()) return;
    if (!IsTrueTypeFont(F)) throw EInvalidOperation("Use True Type fonts for TCoolBarCaptionData...");
    HFONT Font = CreateAngledFont(F, 90);
    HGDIOBJ Old = SelectObject(DC, Font);
    std::wstring T = ToWide(Text);
    SIZE S;
    GetTextExtentPoint32W(DC, T.c_str(), int(T.size()), &S);
    int Y = FCaptionAlign == alUp     ? S.cx + 4 + FSpace
            : FCaptionAlign == alDown ? R.bottom - 4 - FSpace
                                      : (R.bottom + S.cx) / 2;
    SetTextColor(DC, Rgb(F.Color()));
    TextOutW(DC, X, Y, T.c_str(), int(T.size()));
    SelectObject(DC, Old);
    DeleteObject(Font);
  };
  Draw(FCaption, *FFont, 2 + FSpace);
  for (const auto& C : FCaptions) Draw(C->Text, *C->Font, 2 + FSpace);
}

// ---------------------------------------------------------------------------------------
// TMainMenuBar

const TClassInfo* TMainMenuBar::StaticClassInfo() {
  using C = TMainMenuBar;
  static const TClassInfo Info = TClassBuilder<C, TPersistent>("TMainMenuBar")
                                     .Prop("Active", &C::Active, &C::SetActive)
                                     .Prop("Color", &C::Color, &C::SetColor)
                                     .Prop("BevelInner", &C::BevelInner, &C::SetBevelInner)
                                     .Prop("BevelOuter", &C::BevelOuter, &C::SetBevelOuter)
                                     .Prop("PaintOptions", &C::PaintOptions, &C::SetPaintOptions)
                                     .Prop("OnChanged", &C::OnChanged)
                                     .Build();
  return &Info;
}

void TMainMenuBar::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TMainMenuBar*>(Source)) {
    FActive = S->FActive;
    FColor = S->FColor;
    FBevelInner = S->FBevelInner;
    FBevelOuter = S->FBevelOuter;
    FPaintOptions = S->FPaintOptions;
    OnChanged = S->OnChanged;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TMainMenuBar::Changed() {
  if (OnChanged) OnChanged(this);
}
void TMainMenuBar::SetActive(bool V) { FActive = V, Changed(); }
void TMainMenuBar::SetColor(TColor V) { FColor = V, Changed(); }
void TMainMenuBar::SetBevelInner(TPanelBevel V) { FBevelInner = V, Changed(); }
void TMainMenuBar::SetBevelOuter(TPanelBevel V) { FBevelOuter = V, Changed(); }
void TMainMenuBar::SetPaintOptions(TPaintOptions V) { FPaintOptions = V, Changed(); }

RECT TMainMenuBar::BarRect() const {
  RECT R{0, 0, 0, 0};
  if (FForm == nullptr || !FForm->HandleAllocated()) return R;
  HWND Wnd = FForm->Handle();
  RECT W;
  GetWindowRect(Wnd, &W);
  R = RECT{0, 0, W.right - W.left, W.bottom - W.top};
  const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  const LONG ExStyle = GetWindowLongW(Wnd, GWL_EXSTYLE);
  int FX = 0, FY = 0;
  if (Style & WS_THICKFRAME) FX = GetSystemMetrics(SM_CXFRAME), FY = GetSystemMetrics(SM_CYFRAME);
  else if (Style & (WS_DLGFRAME | WS_BORDER)) FX = GetSystemMetrics(SM_CXDLGFRAME), FY = GetSystemMetrics(SM_CYDLGFRAME);
  InflateRect(&R, -FX, -FY);
  if ((Style & WS_CAPTION) == WS_CAPTION)
    R.top += (ExStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
  RECT C;
  GetClientRect(Wnd, &C);
  R.bottom -= C.bottom;
  if (C.bottom != 0) R.bottom -= 1;
  if (Style & WS_HSCROLL) {
    POINT P{0, C.bottom};
    ClientToScreen(Wnd, &P);
    if (W.bottom - P.y > GetSystemMetrics(SM_CYHSCROLL)) R.bottom -= GetSystemMetrics(SM_CXHTHUMB);
  }
  return R;
}

void TMainMenuBar::PaintBackground(HDC DC, const RECT& R) {
  TBitmap* Wall = FMenu != nullptr ? FMenu->Wallpaper() : nullptr;
  if (Wall != nullptr && !Wall->Empty() && FPaintOptions.Contains(opDrawWallpaper)) {
    TileBitmap(DC, Wall, R, SRCCOPY, true);
  } else {
    HBRUSH B = CreateSolidBrush(Rgb(FColor));
    FillRect(DC, &R, B);
    DeleteObject(B);
  }
  if ((FBevelInner != bvNone || FBevelOuter != bvNone) && FPaintOptions.Contains(opDrawBevels)) {
    RECT E = R;
    DrawEdge(DC, &E, InnerEdge(FBevelInner) | OuterEdge(FBevelOuter), BF_RECT);
  }
}

LRESULT TMainMenuBar::NCPaint(HWND Wnd, WPARAM WParam, LPARAM LParam) {
  if (!Ready()) return DefWindowProcW(Wnd, WM_NCPAINT, WParam, LParam);
  RECT WR;
  GetWindowRect(Wnd, &WR);
  // The region to update, in window coordinates.
  HRGN Region = CreateRectRgn(0, 0, WR.right - WR.left, WR.bottom - WR.top);
  if (WParam > 1) {
    CombineRgn(Region, reinterpret_cast<HRGN>(WParam), nullptr, RGN_COPY);
    OffsetRgn(Region, -WR.left, -WR.top);
  }
  HDC DC = GetWindowDC(Wnd);
  RECT Bar = BarRect();
  PaintBackground(DC, Bar);
  // What the platform paints below is only the items: the bar's empty stretches are ours.
  HMENU Menu = GetMenu(Wnd);
  const int RowHeight = GetSystemMetrics(SM_CYMENU) - 1;
  for (int Top = Bar.top; Top < Bar.bottom; Top += RowHeight) {
    HRGN Row = CreateRectRgn(Bar.left, Top, Bar.right, std::min(Top + RowHeight, int(Bar.bottom)));
    for (int I = 0, N = Menu != nullptr ? GetMenuItemCount(Menu) : 0; I < N; ++I) {
      RECT IR;
      if (!GetMenuItemRect(Wnd, Menu, UINT(I), &IR)) continue;
      OffsetRect(&IR, -WR.left, -WR.top);
      HRGN ItemRgn = CreateRectRgnIndirect(&IR);
      CombineRgn(Row, Row, ItemRgn, RGN_DIFF);
      DeleteObject(ItemRgn);
    }
    CombineRgn(Region, Region, Row, RGN_DIFF);
    DeleteObject(Row);
  }
  ReleaseDC(Wnd, DC);
  OffsetRgn(Region, WR.left, WR.top);
  LRESULT Result = DefWindowProcW(Wnd, WM_NCPAINT, reinterpret_cast<WPARAM>(Region), LParam);
  DeleteObject(Region);
  return Result;
}

// ---------------------------------------------------------------------------------------
// TCoolMenuItem

const TClassInfo* TCoolMenuItem::StaticClassInfo() {
  using C = TCoolMenuItem;
  static const TClassInfo Info = TClassBuilder<C, TComponent>("TCoolMenuItem")
                                     .Prop("Font", &C::Font, &C::SetFont)
                                     .Prop("Picture", &C::Picture, &C::SetPicture)
                                     .Prop("DisabledPicture", &C::DisabledPicture, &C::SetDisabledPicture)
                                     .Prop("TrColor", &C::TrColor, &C::SetTrColor)
                                     .Prop("SelColor", &C::SelColor, &C::SetSelColor)
                                     .Prop("NormColor", &C::NormColor, &C::SetNormColor)
                                     .Prop("TextAlign", &C::TextAlign, &C::SetTextAlign)
                                     .Prop("Options", &C::Options, &C::SetOptions)
                                     .Prop("CustomImgSize", &C::CustomImgSize, &C::SetCustomImgSize)
                                     .Prop("Menu", &C::Menu, &C::SetMenu)
                                     .Prop("MenuItem", &C::MenuItem, &C::SetMenuItem)
                                     .Prop("BevelInner", &C::BevelInner, &C::SetBevelInner)
                                     .Prop("BevelOuter", &C::BevelOuter, &C::SetBevelOuter)
                                     .Prop("BevelStyle", &C::BevelStyle, &C::SetBevelStyle)
                                     .Prop("BevelType", &C::BevelType, &C::SetBevelType)
                                     .Prop("SeparatorText", &C::SeparatorText, &C::SetSeparatorText)
                                     .Prop("ImageIndex", &C::ImageIndex, &C::SetImageIndex)
                                     .Prop("SelTextColor", &C::SelTextColor, &C::SetSelTextColor)
                                     .Prop("Shadow", &C::Shadow, &C::SetShadow)
                                     .Build();
  return &Info;
}

TCoolMenuItem::TCoolMenuItem(TComponent* AOwner)
    : TComponent(AOwner),
      FFont(std::make_unique<TFont>()),
      FPicture(std::make_unique<TPicture>()),
      FDisabledPicture(std::make_unique<TPicture>()),
      FShadow(std::make_unique<TShadowText>()) {
  GetSystemMenuFont(*FFont);
  CheckWidth = LOWORD(GetMenuCheckMarkDimensions());
}

TCoolMenuItem::~TCoolMenuItem() {
  if (FCoolMenu != nullptr) {
    const TComponent* Form = FCoolMenu->Owner();
    if (IsAttached() && !FCoolMenu->ComponentState().Contains(csDestroying) &&
        (Form == nullptr || !Form->ComponentState().Contains(csDestroying)))
      FCoolMenu->RefreshMenus(this, RA_RESTOREWITHBAR);
    FCoolMenu->RemoveItem(this);
  }
}

TComponent* TCoolMenuItem::GetParentComponent() const { return FCoolMenu; }

void TCoolMenuItem::SetParentComponent(TComponent* AParent) {
  if (FCoolMenu != nullptr) FCoolMenu->RemoveItem(this);
  if (auto* M = dynamic_cast<TCoolMenu*>(AParent)) M->AddItem(this);
}

void TCoolMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) FMenu = nullptr;
  if (AComponent == FMenuItem) FMenuItem = nullptr;
}

bool TCoolMenuItem::IsAttached() const { return FMenuItem != nullptr && FMenuItem->Parent() != nullptr && FMenu != nullptr; }

bool TCoolMenuItem::IsMenuBarItem() const {
  return FCoolMenu != nullptr && FCoolMenu->Owner() != nullptr && dynamic_cast<TMainMenu*>(FMenu) != nullptr &&
         FMenuItem != nullptr && FMenuItem->Parent() == FMenu->Items();
}

void TCoolMenuItem::Detach() {
  if (FCoolMenu == nullptr) return;
  if (IsAttached()) FCoolMenu->RefreshMenus(this, RA_RESTOREWITHBAR);
  FCoolMenu->RemoveItem(this);
}

void TCoolMenuItem::SetFont(TFont* V) { FFont->Assign(V); }
void TCoolMenuItem::SetDisabledPicture(TPicture* V) { FDisabledPicture->Assign(V); }
void TCoolMenuItem::SetShadow(TShadowText* V) { FShadow->Assign(V); }

void TCoolMenuItem::SetPicture(TPicture* V) {
  FPicture->Assign(V);
  if (auto* B = dynamic_cast<TBitmap*>(FPicture->Graphic()); B != nullptr && !B->Empty())
    FTrColor = TColor(GetPixel(B->Canvas()->Handle(), 0, B->Height() - 1) & 0xFFFFFF);
  FOptions >> om32x16Image;
}

void TCoolMenuItem::SetOptions(TMenuOptions V) {
  FOptions = V;
  if (FOptions.Contains(om32x16Image)) {
    // A strip of two 16 x 16 pictures: the right one is the disabled look.
    auto* B = dynamic_cast<TBitmap*>(FPicture->Graphic());
    if (B != nullptr && B->Width() >= 32) {
      TBitmap Disabled;
      Disabled.SetPixelFormat(pf24bit);
      Disabled.SetSize(16, 16);
      HBRUSH Br = CreateSolidBrush(Rgb(FTrColor == clNone ? clMenu : FTrColor));
      RECT R{0, 0, 16, 16};
      FillRect(Disabled.Canvas()->Handle(), &R, Br);
      DeleteObject(Br);
      BitBlt(Disabled.Canvas()->Handle(), 0, 0, 16, 16, B->Canvas()->Handle(), 16, 0, SRCCOPY);
      FDisabledPicture->SetGraphic(&Disabled);
      TBitmap Left;
      Left.Assign(B);
      Left.SetSize(16, B->Height());
      FPicture->SetGraphic(&Left);
    }
  }
  if (FCoolMenu != nullptr && IsAttached()) FCoolMenu->RefreshMenus(this, RA_REFRESHWITHBAR);
}

void TCoolMenuItem::SetMenu(TMenu* V) {
  if (V == FMenu) return;
  if (FCoolMenu != nullptr && IsAttached()) FCoolMenu->RefreshMenus(this, RA_RESTOREWITHBAR);
  if (FMenu != nullptr) FMenu->RemoveFreeNotification(this);
  FMenu = V;
  if (FMenu != nullptr) FMenu->FreeNotification(this);
}

void TCoolMenuItem::SetMenuItem(TMenuItem* V) {
  if (V == FMenuItem) return;
  if (FCoolMenu != nullptr && IsAttached()) FCoolMenu->RefreshMenus(this, RA_RESTOREWITHBAR);
  if (FMenuItem != nullptr) FMenuItem->RemoveFreeNotification(this);
  FMenuItem = V;
  if (V == nullptr) return;
  V->FreeNotification(this);
  // The form's menu that holds the item.
  TComponent* Form = FCoolMenu != nullptr ? FCoolMenu->Owner() : Owner();
  TMenu* Found = V->GetParentMenu();
  if (Form != nullptr)
    for (int I = 0; I < Form->ComponentCount(); ++I)
      if (auto* M = dynamic_cast<TMenu*>(Form->Components(I)); M != nullptr && M->FindItem(V->Command()) == V) {
        Found = M;
        break;
      }
  SetMenu(Found);
}

void TCoolMenuItem::TakeFromList(TCustomImageList* List, TPicture* Target, bool SetTr) {
  if (List == nullptr) return;
  if (FImageIndex < 0 || FImageIndex >= List->Count()) {
    Target->SetGraphic(nullptr);
    return;
  }
  TBitmap B;
  B.SetPixelFormat(pf24bit);
  B.SetSize(List->Width(), List->Height());
  HDC DC = B.Canvas()->Handle();
  // A key colour under the image's transparent pixels.
  HBRUSH Key = CreateSolidBrush(RGB(255, 0, 255));
  RECT R{0, 0, List->Width(), List->Height()};
  FillRect(DC, &R, Key);
  DeleteObject(Key);
  ImageList_Draw(List->Handle(), FImageIndex, DC, 0, 0, ILD_TRANSPARENT);
  // Read before the picture takes the bitmap: that can leave DC without it.
  if (SetTr) FTrColor = TColor(GetPixel(DC, 0, List->Height() - 1) & 0xFFFFFF);
  Target->SetGraphic(&B);
}

void TCoolMenuItem::SetImageIndex(int V) {
  FImageIndex = V;
  if (FCoolMenu == nullptr) return;
  TakeFromList(FCoolMenu->Images(), FPicture.get(), true);
  TakeFromList(FCoolMenu->DisabledImages(), FDisabledPicture.get(), false);
}

void TCoolMenuItem::SetAngle(int V) {
  if (V != 0 && !IsTrueTypeFont(*FFont)) throw EInvalidOperation("Can not change angle for non True Type fonts");
  FAngle = V;
  if (FCoolMenu != nullptr) FCoolMenu->RefreshMenus(this, RA_REFRESH);
}

// ---------------------------------------------------------------------------------------
// TCoolMenu

const TClassInfo* TCoolMenu::StaticClassInfo() {
  using C = TCoolMenu;
  static const TClassInfo Info = TClassBuilder<C, TComponent>("TCoolMenu")
                                     .Prop("CoolMenuBar", &C::CoolMenuBar, &C::SetCoolMenuBar)
                                     .Prop("Wallpaper", &C::Wallpaper, &C::SetWallpaper)
                                     .Prop("SelWallpaper", &C::SelWallpaper, &C::SetSelWallpaper)
                                     .Prop("Active", &C::Active, &C::SetActive)
                                     .Prop("MenuRefresh", &C::MenuRefresh, &C::SetMenuRefresh)
                                     .Prop("Cursor", &C::Cursor, &C::SetCursor)
                                     .Prop("HSpace", &C::HSpace, &C::SetHSpace)
                                     .Prop("VSpace", &C::VSpace, &C::SetVSpace)
                                     .Prop("MainMenuBar", &C::MainMenuBar, &C::SetMainMenuBar)
                                     .Prop("Images", &C::Images, &C::SetImages)
                                     .Prop("DisabledImages", &C::DisabledImages, &C::SetDisabledImages)
                                     .Prop("CheckedBitmap", &C::CheckedBitmap, &C::SetCheckedBitmap)
                                     .Prop("RadioBitmap", &C::RadioBitmap, &C::SetRadioBitmap)
                                     .Prop("MenuStyle", &C::MenuStyle, &C::SetMenuStyle)
                                     .Build();
  return &Info;
}

void RegisterCoolMenu() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TCoolMenu, TCoolMenuItem>();
}

TCoolMenu::TCoolMenu(TComponent* AOwner)
    : TComponent(AOwner),
      FCoolMenuBar(std::make_unique<TCoolMenuBar>()),
      FMainMenuBar(std::make_unique<TMainMenuBar>()),
      FWallpaper(std::make_unique<TBitmap>()),
      FSelWallpaper(std::make_unique<TBitmap>()),
      FCheckedBitmap(MakeMarkBitmap(DFCS_MENUCHECK)),
      FRadioBitmap(MakeMarkBitmap(DFCS_MENUBULLET)),
      FStrip(std::make_unique<TBitmap>()) {
  if (dynamic_cast<TWinControl*>(AOwner) == nullptr) throw EComponentError("Owner should be TWinControl's descendant");
  FSpacing = TCoolSpacing{5, 2, 5, GetSystemMetrics(SM_CXMENUCHECK)};
  FCoolMenuBar->OnChanged = [this](TObject* S) { BarChanged(S); };
  FMainMenuBar->OnChanged = [this](TObject*) {
    if (HWND W = MenuWindow()) DrawMenuBar(W);
  };
  FMainMenuBar->SetOwners(OwnerForm(), this);
  // A form being read from its resource gets its window later; the hook waits for Loaded.
  if (!AOwner->ComponentState().Contains(csLoading)) HookWindow(MenuWindow());
}

TCoolMenu::~TCoolMenu() {
  RefreshMenus(this, RA_RESTOREWITHBAR);
  while (!FItems.empty()) delete FItems.back();
  if (FMainMenuBar->Active()) {
    FMainMenuBar->OnChanged = nullptr;
    FMainMenuBar->SetActive(false);
    if (HWND W = MenuWindow()) DrawMenuBar(W);
  }
  UnhookWindow(MenuWindow());
}

TCustomForm* TCoolMenu::OwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

HWND TCoolMenu::MenuWindow() const {
  auto* Control = dynamic_cast<TWinControl*>(Owner());
  if (FMenuStyle == msMDIChildMain && !ComponentState().Contains(csDesigning)) {
    // The MDI frame among the application's forms.
    for (int I = 0; Screen != nullptr && I < Screen->FormCount(); ++I)
      if (Screen->Forms(I)->FormStyle() == fsMDIForm)
        return Screen->Forms(I)->HandleAllocated() ? Screen->Forms(I)->Handle() : nullptr;
    return nullptr;
  }
  if (Control == nullptr) return nullptr;
  // A form on its way out gets no new window for our sake.
  if (Control->ComponentState().Contains(csDestroying) || ComponentState().Contains(csDestroying))
    return Control->HandleAllocated() ? Control->Handle() : nullptr;
  return Control->Handle();
}

void TCoolMenu::HookWindow(HWND Wnd) {
  if (Wnd == nullptr) return;
  auto* Control = FindControl(Wnd);
  if (Control == nullptr) return;
  if (FHook == nullptr) {
    FHook = new TRxWindowHook(this);
    FHook->BeforeMessage = [this](TObject*, TMessage& M, bool& Handled) {
      try {
        Handled = HookWndProc(M);
      } catch (...) {
        Handled = true;
        if (Application != nullptr) Application->HandleException(this);
      }
    };
  }
  FHook->SetWinControl(Control);
}

void TCoolMenu::UnhookWindow(HWND) {
  // Our place in the window's one chain of hooks goes, whoever came before or after.
  if (FHook != nullptr) FHook->SetWinControl(nullptr);
}

void TCoolMenu::Rehook() {
  HWND W = MenuWindow();
  UnhookWindow(W);
  HookWindow(W);
}

void TCoolMenu::SetMenuStyle(TMenuStyle V) {
  if (V == FMenuStyle) return;
  UnhookWindow(MenuWindow());
  FMenuStyle = V;
  HookWindow(MenuWindow());
}

void TCoolMenu::SetCoolMenuBar(TCoolMenuBar* V) {
  auto Keep = FCoolMenuBar->OnChanged;
  FCoolMenuBar->Assign(V);
  FCoolMenuBar->OnChanged = Keep;
}

void TCoolMenu::SetMainMenuBar(TMainMenuBar* V) {
  auto Keep = FMainMenuBar->OnChanged;
  FMainMenuBar->Assign(V);
  FMainMenuBar->OnChanged = Keep;
  if (HWND W = MenuWindow()) DrawMenuBar(W);
}

void TCoolMenu::SetWallpaper(TBitmap* V) { FWallpaper->Assign(V); }
void TCoolMenu::SetSelWallpaper(TBitmap* V) { FSelWallpaper->Assign(V); }
void TCoolMenu::SetHSpace(int V) { FSpacing.H = std::clamp(V, 0, 5); }
void TCoolMenu::SetVSpace(int V) { FSpacing.V = std::clamp(V, 0, 5); }

void TCoolMenu::SetActive(bool V) {
  FActive = V;
  if (ComponentState().Contains(csLoading)) return;
  RefreshMenus(this, V ? RA_REFRESHWITHBAR : RA_RESTOREWITHBAR);
}

void TCoolMenu::Loaded() {
  TComponent::Loaded();
  if (FHook == nullptr || FHook->WinControl() == nullptr) HookWindow(MenuWindow());
  if (FActive) RefreshMenus(this, RA_REFRESHWITHBAR);
}

void TCoolMenu::AddItem(TCoolMenuItem* Item) {
  if (Item->FCoolMenu == this) return;
  FItems.push_back(Item);
  Item->FCoolMenu = this;
}

void TCoolMenu::RemoveItem(TCoolMenuItem* Item) {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), Item), FItems.end());
  if (Item->FCoolMenu == this) Item->FCoolMenu = nullptr;
}

TCoolMenuItem* TCoolMenu::FindItem(UINT Command) const {
  for (TCoolMenuItem* I : FItems)
    if (I->IsAttached() && I->MenuItem()->Command() == Command) return I;
  return nullptr;
}

void TCoolMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FImages.Removed(AComponent)) {
    for (TCoolMenuItem* I : FItems) I->SetPicture(I->Picture());
    if (FActive) RefreshMenus(this, FMenuRefresh);
  }
  if (FDisabledImages.Removed(AComponent)) {
    for (TCoolMenuItem* I : FItems) I->SetDisabledPicture(I->DisabledPicture());
    if (FActive) RefreshMenus(this, FMenuRefresh);
  }
}

void TCoolMenu::ImagesChanged(bool Disabled) {
  TCustomImageList* List = Disabled ? DisabledImages() : Images();
  if (List == nullptr) return;
  const int N = std::min(std::max(Images() ? Images()->Count() : 0, DisabledImages() ? DisabledImages()->Count() : 0),
                         ItemCount());
  for (int I = 0; I < N; ++I) {
    TCoolMenuItem* Item = FItems[size_t(I)];
    if (!Item->IsAttached()) continue;
    Item->TakeFromList(Images(), Item->Picture(), true);
    Item->TakeFromList(DisabledImages(), Item->DisabledPicture(), false);
  }
}

void TCoolMenu::BarChanged(TObject* Sender) {
  if (FInEvent) return;
  FStrip->SetSize(0, 0);
  auto* Parent = dynamic_cast<TMenuItem*>(Sender);
  for (TCoolMenuItem* I : FItems)
    if (I->Options().Contains(omDrawBarIfNeeded) && I->IsAttached() &&
        (Parent == nullptr || I->MenuItem()->Parent() == Parent))
      RefreshMenus(I, FMenuRefresh);
}

// The item's flags in the system menu: what ModifyMenu would set, given through
// SetMenuItemInfo, which keeps an item's submenu (ModifyMenu would destroy it).
void TCoolMenu::RefreshItem(TCoolMenuItem* Item) {
  if (!Item->IsAttached() || !FActive) return;
  TMenuItem* MI = Item->MenuItem();
  if (Item->Options().Contains(omAlwaysDefFont)) {
    GetSystemMenuFont(*Item->Font());
  } else if (Item->Options().Contains(omAlwaysDefFontSize)) {
    TFont Sys;
    GetSystemMenuFont(Sys);
    Item->Font()->SetHeight(Sys.Height());
  }
  const bool Bar = Item->IsMenuBarItem();
  if (Bar) Item->FOptions >> omDrawBarIfNeeded;
  if (Item->Options().Contains(omNoTextAttached)) Item->FOptions >> omFixedImgSize;
  HMENU Menu = Item->Menu()->Handle();
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_BITMAP;
  Info.fType = MFT_OWNERDRAW | (MI->IsLine() ? MFT_SEPARATOR : 0) | (MI->RadioItem() ? MFT_RADIOCHECK : 0);
  if (Bar && Item->Options().Contains(omRightJustified)) Info.fType |= MFT_RIGHTJUSTIFY;
  Info.fState = (MI->Enabled() ? 0 : MFS_GRAYED) | (MI->Checked() ? MFS_CHECKED : 0) | (MI->Default() ? MFS_DEFAULT : 0);
  Info.dwItemData = 0;  // drawing finds the item by its command
  Info.hbmpItem = nullptr;
  SetMenuItemInfoW(Menu, MI->Command(), FALSE, &Info);
}

void TCoolMenu::RestoreItem(TCoolMenuItem* Item) {
  if (!Item->IsAttached()) return;
  TMenuItem* MI = Item->MenuItem();
  HMENU Menu = Item->Menu()->Handle();
  std::string Text = MI->Caption();
  if (MI->ShortCut() != scNone) Text += "\t" + ShortCutText(MI);
  std::wstring W = ToWide(Text);
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
  Info.fType = (MI->IsLine() ? MFT_SEPARATOR : MFT_STRING) | (MI->RadioItem() ? MFT_RADIOCHECK : 0);
  if (Item->IsMenuBarItem() && Item->Options().Contains(omRightJustified)) Info.fType |= MFT_RIGHTJUSTIFY;
  Info.fState = (MI->Enabled() ? 0 : MFS_GRAYED) | (MI->Checked() ? MFS_CHECKED : 0) | (MI->Default() ? MFS_DEFAULT : 0);
  Info.dwTypeData = W.data();
  SetMenuItemInfoW(Menu, MI->Command(), FALSE, &Info);
}

void TCoolMenu::ForEachTarget(TObject* Target, bool Refresh) {
  auto Do = [&](TCoolMenuItem* I) { Refresh ? RefreshItem(I) : RestoreItem(I); };
  if (auto* CI = dynamic_cast<TCoolMenuItem*>(Target)) {
    Do(CI);
  } else if (auto* T = dynamic_cast<TMenuItem*>(Target)) {
    // The items of the menu item's own submenus: none that sits beside T or above it.
    for (TCoolMenuItem* I : std::vector<TCoolMenuItem*>(FItems)) {
      if (I->MenuItem() == nullptr) continue;
      bool Beside = false;
      for (TMenuItem* A = T->Parent(); A != nullptr && !Beside; A = A->Parent())
        Beside = A->IndexOf(I->MenuItem()) >= 0;
      if (!Beside) Do(I);
    }
  } else {
    if (FInEvent && Refresh)
      throw EInvalidOperation(
          "You can not refresh menus within messages' events unless you have specified exact menu item whose "
          "submenus will be updated");
    for (TCoolMenuItem* I : std::vector<TCoolMenuItem*>(FItems)) Do(I);
  }
}

void TCoolMenu::RefreshMenus(TObject* Target, TRefreshAction Action) {
  switch (Action) {
    case RA_NONE: break;
    case RA_REFRESH: ForEachTarget(Target, true); break;
    case RA_RESTORE: ForEachTarget(Target, false); break;
    case RA_REFRESHWITHBAR:
    case RA_RESTOREWITHBAR:
      if (HWND W = MenuWindow()) {
        RefreshMenus(Target, Action == RA_REFRESHWITHBAR ? RA_REFRESH : RA_RESTORE);
        DrawMenuBar(W);
      }
      break;
    case RA_REFRESHNOBAR:
      for (TCoolMenuItem* I : std::vector<TCoolMenuItem*>(FItems))
        if (I->IsAttached() && !I->IsMenuBarItem()) RefreshItem(I);
      break;
  }
}

void TCoolMenu::ApplyItemParams(const TCoolItemParams& P, uint32_t Mask) {
  auto Has = [&](uint32_t Bit) { return Mask == 0 || (Mask & Bit) != 0; };
  for (TCoolMenuItem* I : FItems) {
    if (Has(1) && P.Font != nullptr) I->FFont->Assign(P.Font);
    if (Has(2)) I->FNormColor = P.NormColor;
    if (Has(4)) I->FSelColor = P.SelColor;
    if (Has(8)) I->FTrColor = P.TrColor;
    if (Has(16)) I->FSelTextColor = P.SelTextColor;
    if (Has(32)) I->FTextAlign = P.TextAlign;
    if (Has(64)) I->FCustomImgSize = P.CustomImgSize;
    if (Mask == 0 || (Mask & 128)) I->FOptions = P.Options;
    if (Mask & 256) I->FOptions = I->FOptions + P.Options;
    if (Mask & 512) I->FOptions = I->FOptions - P.Options;
    if (Has(1024)) I->FBevelInner = P.BevelInner;
    if (Has(2048)) I->FBevelOuter = P.BevelOuter;
    if (Has(4096)) I->FBevelStyle = P.BevelStyle;
    if (Has(8192)) I->FBevelType = P.BevelType;
    if (Has(16384)) {
      I->FAngle = P.Angle != 0 && IsTrueTypeFont(*I->FFont) ? P.Angle : 0;
    }
    if (Has(32768)) I->FImageAngle = P.ImageAngle;
    if (Has(262144)) I->FSeparatorText = P.SeparatorText;
  }
  if (FActive) RefreshMenus(this, FMenuRefresh);
}

void TCoolMenu::ApplyShadowParams(const TShadowParams& P, uint32_t Mask) {
  auto Has = [&](uint32_t Bit) { return Mask == 0 || (Mask & Bit) != 0; };
  for (TCoolMenuItem* I : FItems) {
    TShadowText* S = I->Shadow();
    if (Has(1)) S->SetActive(P.Active);
    if (Has(2)) S->SetShadowColor(P.ShadowColor);
    if (Has(4)) S->SetSelShadowColor(P.SelShadowColor);
    if (Has(8)) S->SetShadowPos(P.ShadowPos);
    if (Has(16)) S->SetSelShadowPos(P.SelShadowPos);
    if (Has(32)) S->SetShadowSize(P.ShadowSize);
    if (Has(64)) S->SetSelShadowSize(P.SelShadowSize);
    if (Mask == 0 || (Mask & 128)) S->SetOptions(P.Options);
    if (Mask & 256) S->SetOptions(S->Options() + P.Options);
    if (Mask & 512) S->SetOptions(S->Options() - P.Options);
  }
}

void TCoolMenu::RunEvent(const TMenuEvent& Event, HMENU Menu, int Value) {
  if (!Event) return;
  FInEvent = true;
  try {
    Event(this, Menu, Value);
  } catch (...) {
    FInEvent = false;
    throw;
  }
  FInEvent = false;
}

bool TCoolMenu::ItemInPopup(TCoolMenuItem* Item, HMENU Popup) const {
  if (Popup == nullptr) return false;
  const UINT Cmd = Item->MenuItem()->Command();
  for (int I = 0, N = GetMenuItemCount(Popup); I < N; ++I)
    if (GetMenuItemID(Popup, I) == Cmd) return true;
  // Items with a submenu have no ID for GetMenuItemID: ask for theirs.
  for (int I = 0, N = GetMenuItemCount(Popup); I < N; ++I) {
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof Info;
    Info.fMask = MIIM_ID;
    if (GetMenuItemInfoW(Popup, UINT(I), TRUE, &Info) && Info.wID == Cmd) return true;
  }
  return false;
}

void TCoolMenu::MeasureItem(TCoolMenuItem* Item, MEASUREITEMSTRUCT* MS) {
  TMenuItem* MI = Item->MenuItem();
  HFONT Font = ItemFont(Item, MI->Default());
  TCoolMeasureInput In;
  {
    TMeasureDC DC(Font);
    const std::string Caption = MI->Caption();
    SIZE Text = DC.Extent(Caption.empty() ? std::string(" ") : Caption);
    In.TextWidth = Caption.empty() ? 0 : int(Text.cx);
    In.TextHeight = int(Text.cy);
    In.ShortCutWidth = int(DC.Extent(ShortCutText(MI)).cx);
    if (Caption.empty() || MI->IsLine()) In.ShortCutWidth = 0;
    In.MenuBarItem = Item->IsMenuBarItem();
    if (In.MenuBarItem && Caption.find('&') != std::string::npos) In.AmpWidth = int(DC.Extent("&").cx);
  }
  DeleteObject(Font);
  const TMenuOptions O = Item->Options();
  In.TextSide = Item->TextAlign() >= alTop && Item->TextAlign() <= alRight ? int(Item->TextAlign()) : ctsRight;
  In.FixedImgSize = O.Contains(omFixedImgSize);
  In.CustomImgSize = Item->CustomImgSize();
  In.NoTextAttached = O.Contains(omNoTextAttached);
  In.NoImageAttached = O.Contains(omNoImageAttached);
  In.HasSubItems = MI->Count() > 0;
  In.HasText = !MI->Caption().empty() && !MI->IsLine();
  In.PictureWidth = Item->Picture()->Width();
  In.PictureHeight = Item->Picture()->Height();
  In.Bevel = Item->BevelInner() != bvNone || Item->BevelOuter() != bvNone;
  if (!FStrip->Empty() && O.Contains(omDrawBarIfNeeded)) {
    In.StripWidth = FStrip->Width();
    In.StripRight = FCoolMenuBar->BarAlign() == alRight;
    if (TMenuItem* P = MI->Parent())
      for (int I = 0; I < P->Count(); ++I) In.SiblingHasSubItems |= P->Items(I)->Count() > 0;
  }
  if (MI->IsLine()) {
    // A separator is a thin line, or a line of its own text.
    In.TextHeight = Item->SeparatorText().empty() ? 0 : In.TextHeight;
  }
  Item->TextHeight = In.TextHeight;
  Item->ShortCutWidth = In.ShortCutWidth;
  Item->Metrics = MeasureCoolItem(In, FSpacing, FMax);
  if (MI->IsLine() && Item->SeparatorText().empty()) Item->Metrics.Height = 2 * FSpacing.V + 2;
  if (MS != nullptr) {
    MS->itemWidth = UINT(std::max(0, Item->Metrics.Width));
    MS->itemHeight = UINT(std::max(1, Item->Metrics.Height));
  }
}

void TCoolMenu::MeasurePopup(HMENU Popup) {
  FMax = TCoolPopupMaxima{};
  bool NeedStrip = false;
  for (TCoolMenuItem* I : FItems) {
    if (!I->IsAttached() || !I->MenuItem()->Visible() || !ItemInPopup(I, Popup)) continue;
    MeasureItem(I, nullptr);
    NeedStrip |= I->Options().Contains(omDrawBarIfNeeded);
  }
  if (NeedStrip && FCoolMenuBar->Active()) {
    FCoolMenuBar->Render(FStrip.get(), FMax.Height, FWallpaper.get());
    for (TCoolMenuItem* I : FItems)
      if (I->Options().Contains(omDrawBarIfNeeded)) I->FNormColor = FCoolMenuBar->BackFrom();
    // Measured again, now with the strip's width.
    FMax = TCoolPopupMaxima{};
    for (TCoolMenuItem* I : FItems)
      if (I->IsAttached() && I->MenuItem()->Visible() && ItemInPopup(I, Popup)) MeasureItem(I, nullptr);
  }
  RunEvent(OnMeasure, Popup, FMax.Height);
  FPopupMeasured = true;
}

void TCoolMenu::DrawItem(TCoolMenuItem* Item, DRAWITEMSTRUCT* DS) {
  TMenuItem* MI = Item->MenuItem();
  HDC DC = DS->hDC;
  RECT R = DS->rcItem;
  Item->ItemRect = R;
  const TMenuOptions O = Item->Options();
  const bool Disabled = (DS->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  bool Selected = (DS->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
  const bool WasSelected = Selected;
  if (Selected && ((Disabled && O.Contains(omNoHighlightDisabled)) || (!Disabled && O.Contains(omNoHighlightEnabled))))
    Selected = false;
  const bool Checked = (DS->itemState & ODS_CHECKED) != 0;
  const bool Bar = Item->IsMenuBarItem();

  // The strip beside the items, its slice at this item's height.
  if (!FStrip->Empty() && O.Contains(omDrawBarIfNeeded)) {
    const int SW = FStrip->Width();
    if (FCoolMenuBar->BarAlign() == alRight) {
      BitBlt(DC, R.right - SW, R.top, SW, R.bottom - R.top, FStrip->Canvas()->Handle(), 0, R.top, SRCCOPY);
      R.right -= SW;
    } else {
      BitBlt(DC, R.left, R.top, SW, R.bottom - R.top, FStrip->Canvas()->Handle(), 0, R.top, SRCCOPY);
      R.left += SW;
    }
  }

  // Background.
  if (Selected && O.Contains(omPaintSelWallpaper) && !FSelWallpaper->Empty()) {
    TileBitmap(DC, FSelWallpaper.get(), R, SRCCOPY, O.Contains(omTileSelWallpaper));
  } else if (!Selected && O.Contains(omPaintWallpaper) && !FWallpaper->Empty()) {
    TileBitmap(DC, FWallpaper.get(), R, SRCCOPY, O.Contains(omTileWallpaper));
  } else {
    HBRUSH B = CreateSolidBrush(Rgb(Selected && !Bar ? Item->SelColor() : Item->NormColor()));
    FillRect(DC, &R, B);
    DeleteObject(B);
  }
  if (WasSelected && !Selected && !Disabled && O.Contains(omNoHighlightEnabledButDoRoundRect)) {
    HPEN P = CreatePen(PS_SOLID, 1, Rgb(Item->SelColor()));
    HGDIOBJ OP = SelectObject(DC, P), OB = SelectObject(DC, GetStockObject(NULL_BRUSH));
    RoundRect(DC, R.left, R.top, R.right, R.bottom, 6, 6);
    SelectObject(DC, OP), SelectObject(DC, OB);
    DeleteObject(P);
  }

  // Separators: a line, or their text between two lines.
  if (MI->IsLine()) {
    const int Mid = (R.top + R.bottom) / 2;
    RECT Line{R.left + 1, Mid - 1, R.right - 1, Mid + 1};
    if (Item->SeparatorText().empty()) {
      DrawEdge(DC, &Line, EDGE_ETCHED, BF_TOP);
      return;
    }
    HFONT F = ItemFont(Item, false);
    HGDIOBJ OF = SelectObject(DC, F);
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, Rgb(clGrayText));
    std::wstring W = ToWide(Item->SeparatorText());
    SIZE S;
    GetTextExtentPoint32W(DC, W.c_str(), int(W.size()), &S);
    const int TX = (R.left + R.right - S.cx) / 2;
    RECT L1{R.left + 1, Mid - 1, TX - 4, Mid + 1}, L2{TX + S.cx + 4, Mid - 1, R.right - 1, Mid + 1};
    DrawEdge(DC, &L1, EDGE_ETCHED, BF_TOP);
    DrawEdge(DC, &L2, EDGE_ETCHED, BF_TOP);
    TextOutW(DC, TX, Mid - S.cy / 2, W.c_str(), int(W.size()));
    SelectObject(DC, OF);
    DeleteObject(F);
    return;
  }

  if ((Item->Angle() != 0 || Item->ImageAngle() != 0) && Item->TextAlign() != alLeft && Item->TextAlign() != alRight)
    throw EInvalidOperation("Advanced features available only for horisontal aligned items");
  if (Item->ImageAngle() % 90 != 0 || Item->ImageAngle() < 0 || Item->ImageAngle() > 270)
    throw EInvalidOperation("Only 0, 90, 180 and 270 degrees allowed");

  TCoolLayoutInput LI;
  LI.TextSide = Item->TextAlign() >= alTop && Item->TextAlign() <= alRight ? int(Item->TextAlign()) : ctsRight;
  LI.FixedImgSize = O.Contains(omFixedImgSize);
  LI.NoTextAttached = O.Contains(omNoTextAttached);
  LI.NoImageAttached = O.Contains(omNoImageAttached);
  LI.MenuBarItem = Bar;
  LI.Bevel = Item->BevelInner() != bvNone || Item->BevelOuter() != bvNone;
  LI.Left = R.left;
  LI.Top = R.top;
  LI.RectWidth = R.right - R.left;
  LI.M = Item->Metrics;
  if (LI.M.Height == 0) LI.M.Height = R.bottom - R.top;
  LI.TextHeight = Item->TextHeight;
  Item->Layout = LayoutCoolItem(LI, FSpacing);
  const TCoolLayout& L = Item->Layout;
  const int I = Item->Metrics.ImageSize;

  // The picture: the disabled one (or a grey copy) for a disabled item, turned as asked.
  TGraphic* G = Item->Picture()->Graphic();
  if (Disabled && Item->DisabledPicture()->Graphic() != nullptr) G = Item->DisabledPicture()->Graphic();
  const bool HasPicture = G != nullptr && !G->Empty() && !O.Contains(omNoImageAttached);
  RECT ImageRect{L.ImageX, L.ImageY, L.ImageX + I, L.ImageY + I};
  if (LI.NoTextAttached && G != nullptr) ImageRect = RECT{L.ImageX, L.ImageY, L.ImageX + G->Width(), L.ImageY + G->Height()};
  if (HasPicture) {
    auto* B = dynamic_cast<TBitmap*>(G);
    if (B == nullptr && Item->ImageAngle() != 0) throw EInvalidOperation("Only Bitmaps can be rotated");
    TBitmap Work;
    if (B != nullptr) {
      Work.Assign(B);
      for (int Turn = Item->ImageAngle() / 90; Turn > 0; --Turn) RotateBitmapQuarter(&Work);
      TColor Tr = Item->TrColor() == clNone ? TColor(GetPixel(Work.Canvas()->Handle(), 0, Work.Height() - 1) & 0xFFFFFF)
                                            : Item->TrColor();
      if (Disabled && G == Item->Picture()->Graphic()) {
        std::unique_ptr<TBitmap> Grey = CreateDisabledBitmap(&Work, clNone);
        Work.Assign(Grey.get());
        Tr = clBtnFace;
      }
      const int DW = LI.FixedImgSize ? I : Work.Width(), DH = LI.FixedImgSize ? I : Work.Height();
      TransparentBlt(DC, ImageRect.left, ImageRect.top, DW, DH, Work.Canvas()->Handle(), 0, 0, Work.Width(),
                     Work.Height(), UINT(Rgb(Tr)));
    } else {
      TCanvas C;
      C.SetHandle(DC);
      C.StretchDraw(TRect(ImageRect), G);
      C.SetHandle(nullptr);
    }
    if (Checked) {
      RECT Frame = ImageRect;
      InflateRect(&Frame, 1, 1);
      DrawEdge(DC, &Frame, BDR_SUNKENOUTER, BF_RECT);
    }
  } else if (Checked && !LI.NoTextAttached) {
    TBitmap* Mark = MI->RadioItem() ? FRadioBitmap.get() : FCheckedBitmap.get();
    if (!Mark->Empty()) {
      const int X = L.ImageX + (I - Mark->Width()) / 2, Y = R.top + (R.bottom - R.top - Mark->Height()) / 2;
      TransparentBlt(DC, X, Y, Mark->Width(), Mark->Height(), Mark->Canvas()->Handle(), 0, 0, Mark->Width(),
                     Mark->Height(), RGB(255, 255, 255));
    }
  }

  // The text, with its shortcut at the right.
  RECT TextRect{L.TextX, L.TextY, std::max(L.TextX, int(R.right) - FSpacing.H), L.TextY + Item->TextHeight};
  if (!LI.NoTextAttached) {
    HFONT F = ItemFont(Item, MI->Default());
    HGDIOBJ OF = SelectObject(DC, F);
    SetBkMode(DC, TRANSPARENT);
    const bool SelText = Selected || (WasSelected && !Disabled && O.Contains(omNoHighlightEnabledButDoText));
    TColor TextColor = Disabled ? clGrayText : SelText && !Bar ? Item->SelTextColor() : Item->Font()->Color();
    if (Disabled) {
      // Engraved, as the platform draws disabled text.
      SetTextColor(DC, Rgb(clBtnHighlight));
      RECT E = TextRect;
      OffsetRect(&E, 1, 1);
      DrawShadowText(nullptr, DC, MI->Caption(), false, DT_LEFT | DT_SINGLELINE | DT_NOCLIP, E);
    }
    SetTextColor(DC, Rgb(TextColor));
    if (Item->Angle() != 0) {
      // Turned text goes out through TextOut, which shows "&" as it is.
      std::string Plain;
      const std::string& C = MI->Caption();
      for (size_t K = 0; K < C.size(); ++K) {
        if (C[K] == '&') {
          if (K + 1 >= C.size()) break;
          ++K;
        }
        Plain += C[K];
      }
      std::wstring W = ToWide(Plain);
      TextOutW(DC, TextRect.left, TextRect.bottom, W.c_str(), int(W.size()));
    } else {
      DrawShadowText(Item->Shadow(), DC, MI->Caption(), SelText, DT_LEFT | DT_SINGLELINE | DT_NOCLIP, TextRect);
    }
    const std::string SC = ShortCutText(MI);
    if (!SC.empty() && !Bar) {
      RECT SR{R.left, TextRect.top, R.right - FSpacing.H - FSpacing.C, TextRect.bottom};
      DrawShadowText(Item->Shadow(), DC, SC, SelText, DT_RIGHT | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX, SR);
    }
    SelectObject(DC, OF);
    DeleteObject(F);
  }

  // Bevels round the picture, the text or both.
  if (LI.Bevel && (!O.Contains(omBevelOnlyIfSel) || WasSelected)) {
    RECT BR = R;
    if (Item->BevelStyle() == bsBevelOnlyImage) BR = ImageRect, InflateRect(&BR, 2, 2);
    else if (Item->BevelStyle() == bsBevelOnlyText) BR = TextRect, InflateRect(&BR, 2, 1);
    if (Item->BevelType() == btRoundedRect)
      DrawRoundedBevel(DC, BR, Selected ? Item->SelColor() : Item->NormColor(), Item->BevelInner(), Item->BevelOuter(),
                       6, clBtnHighlight, clBtnShadow);
    else
      DrawEdge(DC, &BR, InnerEdge(Item->BevelInner()) | OuterEdge(Item->BevelOuter()), BF_RECT);
  }
  // The platform draws its own check mark on an owner-drawn item after us: the item's
  // rectangle is ours alone.
  ExcludeClipRect(DC, DS->rcItem.left, DS->rcItem.top, DS->rcItem.right, DS->rcItem.bottom);
}

bool TCoolMenu::HookWndProc(TMessage& M) {
  HWND Wnd = MenuWindow();
  switch (M.Msg) {
    case WM_SIZE:
      if (FActive && FMainMenuBar->Active() && (M.WParam == SIZE_MAXIMIZED || M.WParam == SIZE_RESTORED) && Wnd)
        DrawMenuBar(Wnd);
      return false;
    case WM_SYSCOLORCHANGE:
    case CM_MENUCHANGED:
      if (FActive) RefreshMenus(this, FMenuRefresh);
      return false;
    case WM_SETCURSOR:
      if (!FActive) return false;
      if (FCursor != TCursor(0) && FCursor != crArrow && HIWORD(M.LParam) == 0) {
        ::SetCursor(CursorHandle(FCursor));
        M.Result = 1;
        return true;
      }
      if ((LOWORD(M.LParam) == HTNOWHERE || LOWORD(M.LParam) == HTCLIENT) && !FBarReset) {
        for (TCoolMenuItem* I : FItems)
          if (I->IsAttached() && I->IsMenuBarItem() && I->Options().Contains(omOffice97MenuBarItem)) {
            I->FOptions >> omBevelOnlyIfSel;
            I->FBevelInner = I->FBevelOuter = bvNone;
          }
        FHotItem = nullptr;
        FBarReset = true;
        if (Wnd) DrawMenuBar(Wnd);
      }
      if (LOWORD(M.LParam) == HTMENU) FBarReset = false;
      return false;
    case WM_NCMOUSEMOVE: {
      if (!FActive || Wnd == nullptr) return false;
      POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
      int Index = MenuItemFromPoint(Wnd, GetMenu(Wnd), P);
      TMenuItem* Hot = nullptr;
      if (TCustomForm* F = OwnerForm(); F != nullptr && F->Menu() != nullptr && Index >= 0) {
        int Visible = -1;
        TMenuItem* Root = F->Menu()->Items();
        for (int I = 0; I < Root->Count() && Hot == nullptr; ++I)
          if (Root->Items(I)->Visible() && ++Visible == Index) Hot = Root->Items(I);
      }
      if (Hot == FHotItem) return false;
      FHotItem = Hot;
      bool Any = false;
      for (TCoolMenuItem* I : FItems)
        if (I->IsAttached() && I->IsMenuBarItem() && I->Options().Contains(omOffice97MenuBarItem)) {
          I->FBevelInner = I->MenuItem() == Hot ? bvRaised : bvNone;
          I->FBevelOuter = bvNone;
          I->FOptions >> omBevelOnlyIfSel;
          Any = true;
        }
      if (Any) DrawMenuBar(Wnd);
      return false;
    }
    case WM_ENTERMENULOOP: {
      if (!FActive) return false;
      FBarReset = false;
      bool Changed = false;
      for (TCoolMenuItem* I : std::vector<TCoolMenuItem*>(FItems)) {
        if (!I->IsAttached()) continue;
        if (dynamic_cast<TPopupMenu*>(I->Menu()) != nullptr) RefreshMenus(I, FMenuRefresh);
        if (I->IsMenuBarItem() && I->Options().Contains(omOffice97MenuBarItem)) {
          I->FOptions = I->FOptions + TMenuOptions{omBevelOnlyIfSel, omNoHighlightDisabled, omNoHighlightEnabled};
          I->FBevelInner = bvRaised;
          I->FBevelOuter = bvNone;
          Changed = true;
        }
      }
      if (Changed && Wnd) DrawMenuBar(Wnd);
      return false;
    }
    case WM_INITMENUPOPUP: {
      if (!FActive) return false;
      FPopupMeasured = false;
      HMENU Popup = reinterpret_cast<HMENU>(M.WParam);
      bool Changed = false;
      for (TCoolMenuItem* I : FItems)
        if (I->IsAttached() && I->IsMenuBarItem() && I->Options().Contains(omOffice97MenuBarItem)) {
          MENUITEMINFOW Info{};
          Info.cbSize = sizeof Info;
          Info.fMask = MIIM_SUBMENU;
          bool Opens = GetMenuItemInfoW(I->Menu()->Handle(), I->MenuItem()->Command(), FALSE, &Info) &&
                       Info.hSubMenu == Popup;
          I->FBevelInner = bvNone;
          I->FBevelOuter = Opens ? bvLowered : bvNone;
          Changed = true;
        }
      RunEvent(OnPopup, Popup, int(int16_t(LOWORD(M.LParam))));
      FLastPopup = Popup;
      if (Changed && Wnd) DrawMenuBar(Wnd);
      return false;
    }
    case WM_MEASUREITEM: {
      auto* MS = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
      if (!FActive || MS == nullptr || MS->CtlType != ODT_MENU) return false;
      if (!FPopupMeasured) MeasurePopup(FLastPopup);
      TCoolMenuItem* Item = FindItem(MS->itemID);
      if (Item == nullptr) return false;
      MeasureItem(Item, MS);
      M.Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* DS = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
      if (!FActive || DS == nullptr || DS->CtlType != ODT_MENU) return false;
      TCoolMenuItem* Item = FindItem(DS->itemID);
      if (Item == nullptr) return false;
      const int Saved = SaveDC(DS->hDC);
      try {
        DrawItem(Item, DS);
      } catch (...) {
        RestoreDC(DS->hDC, Saved);
        throw;
      }
      RestoreDC(DS->hDC, Saved);
      M.Result = TRUE;
      return true;
    }
    case WM_MENUSELECT: {
      if (!FActive) return false;
      for (TCoolMenuItem* I : std::vector<TCoolMenuItem*>(FItems))
        if (I->IsAttached()) RunEvent(OnItemSelect, reinterpret_cast<HMENU>(M.LParam), LOWORD(M.WParam));
      // The item's hint goes to the application, popup or not.
      const UINT Flags = HIWORD(M.WParam);
      if (!(Flags & MF_POPUP) && Flags != 0xFFFF)
        if (TMenuItem* MI = FindMenuItemByCommand(LOWORD(M.WParam)); MI != nullptr && Application != nullptr)
          Application->SetHint(MI->Hint().substr(MI->Hint().find('|') == std::string::npos ? 0 : MI->Hint().find('|') + 1));
      return false;
    }
    case WM_MENUCHAR: {
      if (!FActive) return false;
      const char Typed = static_cast<char>(LOWORD(M.WParam));
      HMENU Menu = reinterpret_cast<HMENU>(M.LParam);
      for (TCoolMenuItem* I : FItems) {
        if (!I->IsAttached()) continue;
        TMenuItem* MI = I->MenuItem();
        const std::string& C = MI->Caption();
        size_t Amp = C.find('&');
        while (Amp != std::string::npos && Amp + 1 < C.size() && C[Amp + 1] == '&') Amp = C.find('&', Amp + 2);
        if (Amp == std::string::npos || Amp + 1 >= C.size()) continue;
        if (AnsiUpperCase(std::string(1, C[Amp + 1])) != AnsiUpperCase(std::string(1, Typed))) continue;
        if (!MI->Enabled() || !MI->Visible() || MI->Parent() == nullptr) continue;
        // In the menu that is open: one of its items has this command.
        int Pos = -1;
        for (int K = 0, N = GetMenuItemCount(Menu); K < N && Pos < 0; ++K) {
          MENUITEMINFOW Info{};
          Info.cbSize = sizeof Info;
          Info.fMask = MIIM_ID;
          if (GetMenuItemInfoW(Menu, UINT(K), TRUE, &Info) && Info.wID == MI->Command()) Pos = K;
        }
        if (Pos < 0) continue;
        M.Result = MAKELRESULT(Pos, MNC_EXECUTE);
        return true;
      }
      return false;
    }
    case WM_NCPAINT:
      if (!FActive || !FMainMenuBar->Active() || Wnd == nullptr) return false;
      M.Result = FMainMenuBar->NCPaint(Wnd, M.WParam, M.LParam);
      return true;
    default:
      return false;
  }
}
