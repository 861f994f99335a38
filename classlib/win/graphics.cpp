#include "classlib/win/graphics.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"

// ---------------------------------------------------------------------------------------
// Colours.

int32_t ColorToRGB(TColor Color) {
  int32_t C = static_cast<int32_t>(Color);
  if (C < 0) return static_cast<int32_t>(GetSysColor(C & 0xFF));
  return C;
}

namespace {

// A colour as GDI takes it (clNone and other flag values reduced to RGB).
COLORREF GdiColor(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Fonts.

void FontToLogFont(const TFont& Font, LOGFONTW& LogFont) {
  std::memset(&LogFont, 0, sizeof LogFont);
  LogFont.lfHeight = Font.Height();
  TFontStyles Style = Font.Style();
  LogFont.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  LogFont.lfItalic = Style.Contains(fsItalic);
  LogFont.lfUnderline = Style.Contains(fsUnderline);
  LogFont.lfStrikeOut = Style.Contains(fsStrikeOut);
  LogFont.lfCharSet = Font.Charset();
  LogFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  LogFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  LogFont.lfQuality = DEFAULT_QUALITY;
  switch (Font.Pitch()) {
    case fpVariable: LogFont.lfPitchAndFamily = VARIABLE_PITCH; break;
    case fpFixed: LogFont.lfPitchAndFamily = FIXED_PITCH; break;
    default: LogFont.lfPitchAndFamily = DEFAULT_PITCH;
  }
  std::wstring Name = ToWide(Font.Name());
  std::size_t N = std::min<std::size_t>(Name.size(), LF_FACESIZE - 1);
  std::memcpy(LogFont.lfFaceName, Name.data(), N * sizeof(wchar_t));
}

void LogFontToFont(const LOGFONTW& LogFont, TFont& Font) {
  TFont Tmp;
  Tmp.SetPixelsPerInch(Font.PixelsPerInch());
  Tmp.SetColor(Font.Color());
  Tmp.SetHeight(LogFont.lfHeight);
  Tmp.SetName(FromWideBuf(LogFont.lfFaceName, LF_FACESIZE));
  TFontStyles Style;
  if (LogFont.lfWeight >= FW_BOLD) Style.Include(fsBold);
  if (LogFont.lfItalic) Style.Include(fsItalic);
  if (LogFont.lfUnderline) Style.Include(fsUnderline);
  if (LogFont.lfStrikeOut) Style.Include(fsStrikeOut);
  Tmp.SetStyle(Style);
  Tmp.SetCharset(LogFont.lfCharSet);
  switch (LogFont.lfPitchAndFamily & 3) {
    case VARIABLE_PITCH: Tmp.SetPitch(fpVariable); break;
    case FIXED_PITCH: Tmp.SetPitch(fpFixed); break;
    default: Tmp.SetPitch(fpDefault);
  }
  Font.Assign(&Tmp);
}

HFONT FontHandle(const TFont& Font) {
  static std::mutex Lock;
  static std::map<std::string, HFONT> Cache;
  LOGFONTW Lf;
  FontToLogFont(Font, Lf);
  std::string Key(reinterpret_cast<const char*>(&Lf), sizeof Lf);
  std::lock_guard<std::mutex> Guard(Lock);
  auto It = Cache.find(Key);
  if (It != Cache.end()) return It->second;
  HFONT F = CreateFontIndirectW(&Lf);
  if (F == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  Cache.emplace(std::move(Key), F);
  return F;
}

// ---------------------------------------------------------------------------------------
// Pens and brushes.

template <>
const TTypeInfo* TypeInfoOf<TPenStyle>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TPenMode>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                                "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                                "pmNotMask", "pmXor", "pmNotXor"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TBrushStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                                             "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"});
  return &Info;
}

const TClassInfo* TGraphicsObject::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TGraphicsObject, TPersistent>("TGraphicsObject").Build();
  return &Info;
}

TGraphicsObject::~TGraphicsObject() {
  if (FHandle != nullptr) DeleteObject(FHandle);
}

void TGraphicsObject::Changed() {
  HGDIOBJ Old = FHandle;
  FHandle = nullptr;
  if (OnChange) OnChange(this);
  if (Old != nullptr) DeleteObject(Old);
}

const TClassInfo* TPen::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPen, TGraphicsObject>("TPen")
                                     .Prop("Color", &TPen::Color, &TPen::SetColor)
                                     .Prop("Mode", &TPen::Mode, &TPen::SetMode)
                                     .Prop("Style", &TPen::Style, &TPen::SetStyle)
                                     .Prop("Width", &TPen::Width, &TPen::SetWidth)
                                     .Build();
  return &Info;
}

void TPen::Assign(const TPersistent* Source) {
  if (auto* P = dynamic_cast<const TPen*>(Source)) {
    if (P == this) return;
    FColor = P->FColor;
    FWidth = P->FWidth;
    FStyle = P->FStyle;
    FMode = P->FMode;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

HPEN TPen::Handle() {
  if (FHandle == nullptr) {
    static const UINT Styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN Lp{};
    Lp.lopnStyle = Styles[FStyle];
    Lp.lopnWidth.x = FWidth;
    Lp.lopnColor = GdiColor(FColor);
    FHandle = CreatePenIndirect(&Lp);
  }
  return static_cast<HPEN>(FHandle);
}

const TClassInfo* TBrush::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TBrush, TGraphicsObject>("TBrush")
                                     .Prop("Color", &TBrush::Color, &TBrush::SetColor)
                                     .Prop("Style", &TBrush::Style, &TBrush::SetStyle)
                                     .Build();
  return &Info;
}

void TBrush::Assign(const TPersistent* Source) {
  if (auto* B = dynamic_cast<const TBrush*>(Source)) {
    if (B == this) return;
    FColor = B->FColor;
    FStyle = B->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (FHandle == nullptr) {
    static const int Hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    LOGBRUSH Lb{};
    Lb.lbColor = GdiColor(FColor);
    if (FStyle == bsSolid)
      Lb.lbStyle = BS_SOLID;
    else if (FStyle == bsClear)
      Lb.lbStyle = BS_HOLLOW;
    else {
      Lb.lbStyle = BS_HATCHED;
      Lb.lbHatch = Hatches[FStyle];
    }
    FHandle = CreateBrushIndirect(&Lb);
  }
  return static_cast<HBRUSH>(FHandle);
}

// ---------------------------------------------------------------------------------------
// TGraphic.

const TClassInfo* TGraphic::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TGraphic, TPersistent>("TGraphic").Build();
  return &Info;
}

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed();
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed();
  else
    FModified = false;
}

void TGraphic::Changed() {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE) { throw EInvalidGraphic("Unsupported clipboard format"); }

void TGraphic::SaveToClipboardFormat(UINT&, HANDLE&) { throw EInvalidGraphic("Unsupported clipboard format"); }

// ---------------------------------------------------------------------------------------
// TCanvas.

TCanvas::TCanvas() {
  FFont.OnChange = [this](TObject*) { FontChanged(); };
  FPen.OnChange = [this](TObject*) { PenChanged(); };
  FBrush.OnChange = [this](TObject*) { BrushChanged(); };
}

TCanvas::~TCanvas() {
  // The derived canvas has already let go of a context it owned; this one is foreign.
  DeselectHandles();
  FHandle = nullptr;
}

HDC TCanvas::Handle() {
  RequiredState(csHandleValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  FreeHandle();
  if (Value != nullptr) {
    FHandle = Value;
    FState |= csHandleValid;
    MoveToEx(FHandle, FPenPos.X, FPenPos.Y, nullptr);
  }
}

void TCanvas::CreateHandle() {}

void TCanvas::FreeHandle() {
  if (FHandle == nullptr) return;
  DeselectHandles();
  FHandle = nullptr;
  FState &= ~unsigned(csHandleValid);
}

void TCanvas::DeselectHandles() {
  if (FHandle == nullptr) return;
  POINT P;
  if (GetCurrentPositionEx(FHandle, &P)) FPenPos = P;
  if (FOldFont != nullptr) SelectObject(FHandle, FOldFont);
  if (FOldPen != nullptr) SelectObject(FHandle, FOldPen);
  if (FOldBrush != nullptr) SelectObject(FHandle, FOldBrush);
  FOldFont = FOldPen = FOldBrush = nullptr;
  FState &= ~unsigned(csFontValid | csPenValid | csBrushValid);
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::FontChanged() {
  if ((FState & csFontValid) == 0) return;
  FState &= ~unsigned(csFontValid);
  if (FOldFont != nullptr) SelectObject(FHandle, FOldFont);
  FOldFont = nullptr;
}

void TCanvas::PenChanged() {
  if ((FState & csPenValid) == 0) return;
  FState &= ~unsigned(csPenValid);
  if (FOldPen != nullptr) SelectObject(FHandle, FOldPen);  // before the pen deletes its object
  FOldPen = nullptr;
}

void TCanvas::BrushChanged() {
  if ((FState & csBrushValid) == 0) return;
  FState &= ~unsigned(csBrushValid);
  if (FOldBrush != nullptr) SelectObject(FHandle, FOldBrush);
  FOldBrush = nullptr;
}

void TCanvas::RequiredState(unsigned State) {
  unsigned Need = State & ~FState;
  if (Need == 0) return;
  if ((Need & csHandleValid) != 0 || FHandle == nullptr) {
    CreateHandle();
    if (FHandle == nullptr) throw EInvalidOperation("Canvas does not allow drawing");
    FState |= csHandleValid;
    MoveToEx(FHandle, FPenPos.X, FPenPos.Y, nullptr);
  }
  if ((Need & csFontValid) != 0) {
    HGDIOBJ Old = SelectObject(FHandle, FontHandle(FFont));
    if (FOldFont == nullptr) FOldFont = Old;
    SetTextColor(FHandle, GdiColor(FFont.Color()));
    FState |= csFontValid;
  }
  if ((Need & csPenValid) != 0) {
    HGDIOBJ Old = SelectObject(FHandle, FPen.Handle());
    if (FOldPen == nullptr) FOldPen = Old;
    static const int Rop2[] = {R2_BLACK,       R2_WHITE,       R2_NOP,         R2_NOT,
                               R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                               R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,    R2_NOTMERGEPEN,
                               R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};
    SetROP2(FHandle, Rop2[FPen.Mode()]);
    FState |= csPenValid;
  }
  if ((Need & csBrushValid) != 0) {
    HGDIOBJ Old = SelectObject(FHandle, FBrush.Handle());
    if (FOldBrush == nullptr) FOldBrush = Old;
    if (FBrush.Style() == bsSolid) {
      SetBkColor(FHandle, GdiColor(FBrush.Color()));
      SetBkMode(FHandle, OPAQUE);
    } else {
      // Hatches show the background between their lines; some systems draw no hatch
      // at all when the background colour equals the brush colour.
      SetBkColor(FHandle, ~GdiColor(FBrush.Color()) & 0xFFFFFF);
      SetBkMode(FHandle, TRANSPARENT);
    }
    FState |= csBrushValid;
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  if (FHandle != nullptr) {
    POINT P;
    if (GetCurrentPositionEx(FHandle, &P)) FPenPos = P;
  }
  return FPenPos;
}

TRect TCanvas::ClipRect() {
  RequiredState(csHandleValid);
  RECT R{};
  GetClipBox(FHandle, &R);
  return R;
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, X, Y, nullptr);
  FPenPos = TPoint(X, Y);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(FHandle, X, Y);
  FPenPos = TPoint(X, Y);
  Changed();
}

namespace {
std::vector<POINT> ToPoints(const std::vector<TPoint>& Points) {
  std::vector<POINT> P(Points.size());
  for (std::size_t I = 0; I < Points.size(); ++I) P[I] = Points[I];
  return P;
}
}  // namespace

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  std::vector<POINT> P = ToPoints(Points);
  ::Polyline(FHandle, P.data(), int(P.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  std::vector<POINT> P = ToPoints(Points);
  ::Polygon(FHandle, P.data(), int(P.size()));
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  RECT R = Rect;
  ::FillRect(FHandle, &R, FBrush.Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  RECT R = Rect;
  ::FrameRect(FHandle, &R, FBrush.Handle());
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  std::wstring W = ToWide(Text);
  ExtTextOutW(FHandle, X, Y, 0, nullptr, W.c_str(), UINT(W.size()), nullptr);
  SIZE S{};
  GetTextExtentPoint32W(FHandle, W.c_str(), int(W.size()), &S);
  MoveTo(X + S.cx, Y);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::string& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  std::wstring W = ToWide(Text);
  RECT R = Rect;
  UINT Options = ETO_CLIPPED | (FBrush.Style() == bsSolid ? ETO_OPAQUE : 0);
  ExtTextOutW(FHandle, X, Y, Options, &R, W.c_str(), UINT(W.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequiredState(csHandleValid | csFontValid);
  std::wstring W = ToWide(Text);
  SIZE S{};
  GetTextExtentPoint32W(FHandle, W.c_str(), int(W.size()), &S);
  return TSize{S.cx, S.cy};
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  Changing();
  RequiredState(csHandleValid);
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  Changing();
  RequiredState(csHandleValid);
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  Canvas->RequiredState(csHandleValid | csBrushValid);
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left, Source.Top,
             Source.Width(), Source.Height(), FCopyMode);
  Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState(csHandleValid);
  COLORREF C = GetPixel(FHandle, X, Y);
  if (C == CLR_INVALID) return clNone;  // outside the clipping region
  return TColor(C);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, X, Y, GdiColor(Value));
  Changed();
}

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}

void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

// ---------------------------------------------------------------------------------------
// TWindowCanvas.

TWindowCanvas::~TWindowCanvas() { FreeHandle(); }

void TWindowCanvas::SetWindow(HWND Value) {
  if (Value == FWindow) return;
  FreeHandle();
  FWindow = Value;
}

void TWindowCanvas::CreateHandle() {
  if (FWindow == nullptr) return;
  FOwnDC = GetDC(FWindow);
  FHandle = FOwnDC;
}

void TWindowCanvas::FreeHandle() {
  HDC Own = FOwnDC;
  TCanvas::FreeHandle();
  if (Own != nullptr) ReleaseDC(FWindow, Own);
  FOwnDC = nullptr;
}
