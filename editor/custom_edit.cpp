#include "editor/custom_edit.h"

#include <algorithm>
#include <climits>

#include "classlib/win/graphics.h"
#include "classlib/win/image_list.h"
#include "classlib/win/timer.h"
#include "classlib/win/wide_string.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor/core/dcj_java_syn.h"
#include "editor/core/dcj_perl_syn.h"
#include "editor/core/mw_general_syn.h"
#include "editor/core/mw_pas_syn.h"
#include "editor/win_clipboard.h"
#include "classlib/win/scroll_request.h"

namespace {

// Pixels between the gutter and column 1 when not scrolled.
constexpr int kTextMargin = 2;
// The drag cursor of a copy.
constexpr TCursor crMultiDrag = TCursor(-16);
// The transparent colour of the bookmark glyphs.
constexpr COLORREF kGlyphKey = RGB(255, 0, 255);

COLORREF GdiColor(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

TEXTMETRICW ScreenMetrics(const TFont& Font) {
  TEXTMETRICW Tm{};
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(Font));
  GetTextMetricsW(DC, &Tm);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return Tm;
}

int StyleIndex(TFontStyles Style) {
  return (Style.Contains(fsBold) ? 1 : 0) | (Style.Contains(fsItalic) ? 2 : 0) | (Style.Contains(fsUnderline) ? 4 : 0) |
         (Style.Contains(fsStrikeOut) ? 8 : 0);
}

// What the highlighter sets for each token: recorded, then drawn by the editor.
class TTokenCanvas : public TmwCanvas {
public:
  void SetBrushColor(TColor Value) override { Brush = Value; }
  void SetFontColor(TColor Value) override { Font = Value; }
  void SetFontStyle(TFontStyles Value) override { Style = Value; }
  TColor Brush = clWindow;
  TColor Font = clWindowText;
  TFontStyles Style;
};

// Hands the canvas back when painting ends, however it ends: the highlighter also scans
// without painting, for the stored ranges.
class TCanvasGuard {
public:
  TCanvasGuard(TmwCustomHighLighter* H, TmwCanvas* C) : FH(H) { FH->SetCanvas(C); }
  ~TCanvasGuard() { FH->SetCanvas(nullptr); }

private:
  TmwCustomHighLighter* FH;
};

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TCaretType>() {
  static const TTypeInfo Info = EnumTypeInfo("TCaretType", {"ctVerticalLine", "ctHorizontalLine", "ctHalfBlock", "ctBlock"});
  return &Info;
}

// Columns First..Last-1 of a line in one set of colours and one font style.
struct TmwCustomEdit::TRun {
  int First;
  int Last;
  COLORREF Fore;
  COLORREF Back;
  TFontStyles Style;
};

// The off-screen picture that a paint draws on before one copy to the window, so that the
// text never flickers.
class TmwCustomEdit::TBackBuffer {
public:
  TBackBuffer() = default;
  TBackBuffer(const TBackBuffer&) = delete;
  TBackBuffer& operator=(const TBackBuffer&) = delete;
  ~TBackBuffer() { Free(); }

  HDC Get(HDC Compatible, int Width, int Height) {
    if (FDC == nullptr || Width != FWidth || Height != FHeight) {
      Free();
      FDC = CreateCompatibleDC(Compatible);
      FBitmap = CreateCompatibleBitmap(Compatible, Width, Height);
      FOldBitmap = SelectObject(FDC, FBitmap);
      FWidth = Width;
      FHeight = Height;
    }
    return FDC;
  }

private:
  void Free() {
    if (FDC == nullptr) return;
    SelectObject(FDC, FOldBitmap);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
    FDC = nullptr;
  }

  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  int FWidth = 0;
  int FHeight = 0;
};

// ---------------------------------------------------------------------------------------
// TmwSelectedColor

const TClassInfo* TmwSelectedColor::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TmwSelectedColor, TPersistent>("TmwSelectedColor")
          .Prop("Background", &TmwSelectedColor::Background, &TmwSelectedColor::SetBackground)
          .Prop("Foreground", &TmwSelectedColor::Foreground, &TmwSelectedColor::SetForeground)
          .Build();
  return &Info;
}

void TmwSelectedColor::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TmwSelectedColor*>(Source)) {
    SetBackground(S->FBackground);
    SetForeground(S->FForeground);
    return;
  }
  TPersistent::Assign(Source);
}

void TmwSelectedColor::SetBackground(TColor Value) {
  if (FBackground == Value) return;
  FBackground = Value;
  FOwner->Invalidate();
}

void TmwSelectedColor::SetForeground(TColor Value) {
  if (FForeground == Value) return;
  FForeground = Value;
  FOwner->Invalidate();
}

// ---------------------------------------------------------------------------------------
// TmwCustomEdit

const TClassInfo* TmwCustomEdit::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TmwCustomEdit, TCustomControl>("TmwCustomEdit")
          .Prop("BookMarkOptions", &TmwCustomEdit::BookMarkOptions, nullptr)
          .Prop("BookmarkImages", &TmwCustomEdit::BookmarkImages, &TmwCustomEdit::SetBookmarkImages)
          .Prop("BorderStyle", &TmwCustomEdit::BorderStyle, &TmwCustomEdit::SetBorderStyle)
          .Prop("ScrollBars", &TmwCustomEdit::ScrollBars, &TmwCustomEdit::SetScrollBars)
          .Prop("ExtraLineSpacing", &TmwCustomEdit::ExtraLineSpacing, &TmwCustomEdit::SetExtraLineSpacing)
          .Prop("GutterColor", &TmwCustomEdit::GutterColor, &TmwCustomEdit::SetGutterColor)
          .Prop("GutterWidth", &TmwCustomEdit::GutterWidth, &TmwCustomEdit::SetGutterWidth)
          .Prop("HideSelection", &TmwCustomEdit::HideSelection, &TmwCustomEdit::SetHideSelection)
          .Prop("InsertCaret", &TmwCustomEdit::InsertCaret, &TmwCustomEdit::SetInsertCaret)
          .Prop("OverwriteCaret", &TmwCustomEdit::OverwriteCaret, &TmwCustomEdit::SetOverwriteCaret)
          .Prop("RightEdge", &TmwCustomEdit::RightEdge, &TmwCustomEdit::SetRightEdge)
          .Prop("CanRedo", &TmwCustomEdit::CanRedo, nullptr)
          .Prop("CanUndo", &TmwCustomEdit::CanUndo, nullptr)
          .Prop("HighLighter", &TmwCustomEdit::HighLighter, &TmwCustomEdit::SetHighLighter)
          .Prop("InsertMode", &TmwCustomEdit::InsertMode, &TmwCustomEdit::SetInsertMode)
          .Prop("Keystrokes", &TmwCustomEdit::Keystrokes, &TmwCustomEdit::SetKeystrokes)
          .Prop("LeftChar", &TmwCustomEdit::LeftChar, &TmwCustomEdit::SetLeftChar)
          .Prop("Lines", [](const TmwCustomEdit& E) -> TStrings* { return E.Lines(); }, &TmwCustomEdit::SetLines)
          .Prop("LineCount", &TmwCustomEdit::LineCount, nullptr)
          .Prop("MaxUndo", &TmwCustomEdit::MaxUndo, &TmwCustomEdit::SetMaxUndo)
          .Prop("ReadOnly", &TmwCustomEdit::ReadOnly, &TmwCustomEdit::SetReadOnly)
          .Prop("ScrollPastEOL", &TmwCustomEdit::ScrollPastEOL, &TmwCustomEdit::SetScrollPastEOL)
          .Prop("SelectedColor", &TmwCustomEdit::SelectedColor, &TmwCustomEdit::SetSelectedColor)
          .Prop("TopLine", &TmwCustomEdit::TopLine, &TmwCustomEdit::SetTopLine)
          .Prop("OnChange", &TmwCustomEdit::OnChange)
          .Prop("OnPaint", &TmwCustomEdit::OnPaint)
          .Prop("OnPlaceBookmark", &TmwCustomEdit::OnPlaceBookmark)
          .Prop("OnProcessCommand", &TmwCustomEdit::OnProcessCommand)
          .Prop("OnProcessUserCommand", &TmwCustomEdit::OnProcessUserCommand)
          .Prop("OnDragOver", &TmwCustomEdit::OnDragOver)
          .Prop("OnDragDrop", &TmwCustomEdit::OnDragDrop)
          .Build();
  return &Info;
}


TmwCustomEdit::TmwCustomEdit(TComponent* AOwner)
    : TCustomControl(AOwner),
      FModel(std::make_unique<TmwEditModel>()),
      FClipboard(std::make_unique<TWinClipboard>()),
      FOwnFont(std::make_unique<TFont>()),
      FSelectedColor(std::make_unique<TmwSelectedColor>(this)),
      FBuffer(std::make_unique<TBackBuffer>()) {
  FModel->SetHost(this);
  FModel->SetClipboard(FClipboard.get());
  // The model's events reach the editor's owner with the editor as their sender.
  FModel->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
  FModel->OnPlaceBookmark = [this](TObject*, TMark*& Mark) {
    if (OnPlaceBookmark) OnPlaceBookmark(this, Mark);
  };
  FModel->OnProcessCommand = [this](TObject*, TmwEditorCommand& Command, char& AChar, void* Data) {
    if (OnProcessCommand) OnProcessCommand(this, Command, AChar, Data);
  };
  FModel->OnProcessUserCommand = [this](TObject*, TmwEditorCommand& Command, char& AChar, void* Data) {
    if (OnProcessUserCommand) OnProcessUserCommand(this, Command, AChar, Data);
  };
  SetBounds(FLeft, FTop, 200, 150);
  SetColor(clWindow);
  FTabStop = true;
  FCursor = crIBeam;
  FOwnFont->SetName("Courier New");
  FOwnFont->SetSize(10);
  FOwnFont->SetPitch(fpFixed);
  Font()->Assign(FOwnFont.get());
  MeasureFont();

  // The ten glyphs of the bookmarks, drawn over the gutter's colour.
  HINSTANCE Module = GetModuleHandleW(nullptr);
  for (int N = 0; N < 10; ++N) {
    std::wstring Name = L"MARK_" + std::to_wstring(N);
    HBITMAP Bitmap = static_cast<HBITMAP>(LoadImageW(Module, Name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (Bitmap == nullptr) continue;
    if (FGlyphs == nullptr) {
      BITMAP Info{};
      GetObjectW(Bitmap, sizeof Info, &Info);
      FGlyphs = ImageList_Create(Info.bmWidth, Info.bmHeight, ILC_COLOR24 | ILC_MASK, 10, 0);
    }
    // An index per glyph even when one is missing, so that glyph N stays image N.
    while (FGlyphs != nullptr && ImageList_GetImageCount(FGlyphs) < N) ImageList_AddMasked(FGlyphs, Bitmap, kGlyphKey);
    if (FGlyphs != nullptr) ImageList_AddMasked(FGlyphs, Bitmap, kGlyphKey);
    DeleteObject(Bitmap);
  }

  // Paces the scrolling while the mouse selects outside the text.
  FScrollTimer = new TTimer(this);
  FScrollTimer->SetEnabled(false);
  FScrollTimer->SetInterval(100);
  FScrollTimer->OnTimer = [this](TObject*) { AutoScrollTick(); };
}

TmwCustomEdit::~TmwCustomEdit() {
  if (FCaretCreated && TWinControl::HandleAllocated() && GetFocus() == FHandle) DestroyCaret();
  if (FGlyphs != nullptr) ImageList_Destroy(FGlyphs);
  SetBookmarkImages(nullptr);
  FModel->SetHost(nullptr);
  FModel->SetClipboard(nullptr);
}

void TmwCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FBorderStyle != bsNone) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TmwCustomEdit::InitWnd() {
  TCustomControl::InitWnd();
  FVertBar.fill(-1);
  FHorzBar.fill(-1);
  UpdateWindowSize();
}

void TmwCustomEdit::Invalidate() {
  if (TWinControl::HandleAllocated()) InvalidateRect(FHandle, nullptr, FALSE);
}

void TmwCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FBookmarkImages) {
    FBookmarkImages = nullptr;
    FModel->SetHasBookmarkImages(false);
    Invalidate();
  }
}

// ---------------------------------------------------------------------------------------
// Properties of the look

void TmwCustomEdit::SetGutterWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == FGutterWidth) return;
  FGutterWidth = Value;
  GridChanged();
}

void TmwCustomEdit::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (TWinControl::HandleAllocated()) RecreateWnd();
}

void TmwCustomEdit::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (TWinControl::HandleAllocated()) RecreateWnd();
}

void TmwCustomEdit::SetGutterColor(TColor Value) {
  if (Value == FGutterColor) return;
  FGutterColor = Value;
  Invalidate();
}

void TmwCustomEdit::SetRightEdge(int Value) {
  if (Value == FRightEdge) return;
  FRightEdge = Value;
  Invalidate();
}

void TmwCustomEdit::SetHideSelection(bool Value) {
  if (Value == FHideSelection) return;
  FHideSelection = Value;
  Invalidate();
}

void TmwCustomEdit::SetExtraLineSpacing(int Value) {
  FExtraLineSpacing = Value;
  MeasureFont();
}

void TmwCustomEdit::SetInsertCaret(TCaretType Value) {
  if (Value == FInsertCaret) return;
  FInsertCaret = Value;
  UpdateCaret();
}

void TmwCustomEdit::SetOverwriteCaret(TCaretType Value) {
  if (Value == FOverwriteCaret) return;
  FOverwriteCaret = Value;
  UpdateCaret();
}

void TmwCustomEdit::SetBookmarkImages(TCustomImageList* Value) {
  if (Value == FBookmarkImages) return;
  if (FBookmarkImages != nullptr) FBookmarkImages->RemoveFreeNotification(this);
  FBookmarkImages = Value;
  if (FBookmarkImages != nullptr) FBookmarkImages->FreeNotification(this);
  FModel->SetHasBookmarkImages(FBookmarkImages != nullptr);
  Invalidate();
}

// ---------------------------------------------------------------------------------------
// Font and grid

void TmwCustomEdit::SetFont(const TFont* Value) {
  if (Value == nullptr) return;
  TEXTMETRICW Tm = ScreenMetrics(*Value);
  if (Tm.tmAveCharWidth == Tm.tmMaxCharWidth) {
    Font()->Assign(Value);
    return;
  }
  // A proportional typeface would break the character grid.
  FOwnFont->SetColor(Value->Color());
  FOwnFont->SetSize(Value->Size());
  FOwnFont->SetStyle(Value->Style());
  FOwnFont->SetPitch(fpFixed);
  Font()->Assign(FOwnFont.get());
}

void TmwCustomEdit::FontChanged() {
  TCustomControl::FontChanged();
  MeasureFont();
}

// Measured bold and italic, the widest the font gets, so that every style a token may take
// fits the same cells.
void TmwCustomEdit::MeasureFont() {
  TFont Probe;
  Probe.Assign(Font());
  Probe.SetStyle(Probe.Style() + TFontStyles{fsBold, fsItalic});
  TEXTMETRICW Tm = ScreenMetrics(Probe);
  FCharWidth = std::max<int>(Tm.tmAveCharWidth, 1);
  FLineHeight = std::max<int>(Tm.tmHeight + Tm.tmExternalLeading + FExtraLineSpacing, 1);
  FAdvances.assign(FModel->MaxLeftChar(), FCharWidth);
  FStyledFonts.fill(nullptr);
  GridChanged();
}

// The cell size or the gutter changed: the window holds other numbers of lines and columns,
// and the caret takes the new cell's size.
void TmwCustomEdit::GridChanged() {
  UpdateWindowSize();
  DestroyCaretShape();
  UpdateCaret();
  Invalidate();
}

HFONT TmwCustomEdit::StyledFont(TFontStyles Style) {
  HFONT& F = FStyledFonts[StyleIndex(Style)];
  if (F == nullptr) {
    TFont Styled;
    Styled.Assign(Font());
    Styled.SetStyle(Style);
    F = FontHandle(Styled);
  }
  return F;
}

int TmwCustomEdit::TextOffset() const { return FGutterWidth + kTextMargin - (FModel->LeftChar() - 1) * FCharWidth; }

TmwPoint TmwCustomEdit::PixelsToCaret(int X, int Y) const {
  int Line = FModel->TopLine() + (Y >= 0 ? Y / FLineHeight : -1);
  int Column = (FModel->LeftChar() * FCharWidth + X - FGutterWidth - kTextMargin) / FCharWidth;
  return {Column, Line};
}

void TmwCustomEdit::UpdateWindowSize() {
  if (!TWinControl::HandleAllocated()) return;
  RECT R;
  GetClientRect(FHandle, &R);
  FModel->SetWindowSize(std::max<int>((R.right - FGutterWidth - kTextMargin) / FCharWidth, 0), R.bottom / FLineHeight);
  // Wider than the advance array: the visible columns still get one entry each.
  std::size_t Visible = static_cast<std::size_t>(FModel->CharsInWindow()) + 2;
  if (FAdvances.size() < Visible) FAdvances.resize(Visible, FCharWidth);
  UpdateScrollBars();
}

bool TmwCustomEdit::OverTextArea(int X, int Y) const {
  if (!TWinControl::HandleAllocated()) return false;
  RECT R;
  GetClientRect(FHandle, &R);
  return X >= FGutterWidth && X < R.right && Y >= 0 && Y < R.bottom;
}

// ---------------------------------------------------------------------------------------
// Scroll bars

// A bar is set only when its numbers change: redrawing one costs far more than painting
// the text, and most edits and caret moves leave both bars as they are.
void TmwCustomEdit::UpdateScrollBars() {
  if (!TWinControl::HandleAllocated() || FModel->PaintLock() > 0) return;
  auto Set = [&](int Bar, int Max, int Page, int Pos, std::array<int, 3>& Last) {
    std::array<int, 3> Now{Max, Page, Pos};
    if (Now == Last) return;
    Last = Now;
    SCROLLINFO Si{};
    Si.cbSize = sizeof Si;
    Si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    Si.nMin = 1;
    Si.nMax = Max;
    Si.nPage = Page;
    Si.nPos = Pos;
    SetScrollInfo(FHandle, Bar, &Si, TRUE);
  };
  if (FScrollBars == ssVertical || FScrollBars == ssBoth)
    Set(SB_VERT, std::max(FModel->LineCount(), 1), FModel->LinesInWindow(), FModel->TopLine(), FVertBar);
  // The thumb's last position is the last first column that LeftChar allows.
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
    Set(SB_HORZ, FModel->MaxLeftChar() - 1, FModel->CharsInWindow(), FModel->LeftChar(), FHorzBar);
}

void TmwCustomEdit::Scroll(int Bar, int Code) {
  bool Vertical = Bar == SB_VERT;
  int Current = Vertical ? FModel->TopLine() : FModel->LeftChar();
  int Page = Vertical ? FModel->LinesInWindow() : FModel->CharsInWindow();
  int Value;
  if (!ScrollRequestTarget(FHandle, Bar, Code, Current, Page, 1, Vertical ? FModel->LineCount() : FModel->MaxLeftChar(), Value)) return;
  if (Vertical)
    FModel->SetTopLine(Value);
  else
    FModel->SetLeftChar(Value);
}

// ---------------------------------------------------------------------------------------
// Caret

void TmwCustomEdit::DestroyCaretShape() {
  if (FCaretCreated && TWinControl::HandleAllocated() && GetFocus() == FHandle) DestroyCaret();
  FCaretCreated = false;
  FCaretShown = false;
}

void TmwCustomEdit::CreateCaretShape() {
  DestroyCaretShape();
  FCaretType = FModel->InsertMode() ? FInsertCaret : FOverwriteCaret;
  int Tall = std::max(FLineHeight - 2, 1);
  switch (FCaretType) {
    case ctHorizontalLine:
      FCaretSize = {FCharWidth, 2};
      FCaretOffset = {0, FLineHeight - 2};
      break;
    case ctHalfBlock:
      FCaretSize = {FCharWidth, std::max(Tall / 2, 1)};
      FCaretOffset = {0, Tall / 2};
      break;
    case ctBlock:
      FCaretSize = {FCharWidth, Tall};
      FCaretOffset = {0, 0};
      break;
    default:
      FCaretSize = {2, Tall};
      FCaretOffset = {-1, 0};  // between two cells
  }
  CreateCaret(FHandle, nullptr, FCaretSize.cx, FCaretSize.cy);
  FCaretCreated = true;
}

void TmwCustomEdit::UpdateCaret() {
  if (!TWinControl::HandleAllocated() || GetFocus() != FHandle) return;
  TCaretType Wanted = FModel->InsertMode() ? FInsertCaret : FOverwriteCaret;
  if (!FCaretCreated || FCaretType != Wanted) CreateCaretShape();
  int X = (FModel->GetCaretX() - 1) * FCharWidth + TextOffset();
  int Y = (FModel->GetCaretY() - FModel->TopLine()) * FLineHeight + 1;
  RECT R;
  GetClientRect(FHandle, &R);
  // Shown only over the text area and on a whole line.
  bool Inside = X >= FGutterWidth && X <= R.right && Y >= 0 && Y <= R.bottom - FLineHeight;
  POINT At{X + FCaretOffset.x, Y + FCaretOffset.y}, Was;
  if (!GetCaretPos(&Was) || Was.x != At.x || Was.y != At.y) SetCaretPos(At.x, At.y);
  if (Inside != FCaretShown) {
    if (Inside)
      ShowCaret(FHandle);
    else
      HideCaret(FHandle);
    FCaretShown = Inside;
  }
}

// ---------------------------------------------------------------------------------------
// Painting

bool TmwCustomEdit::SelectionShown() const {
  return FModel->SelAvail() && (!FHideSelection || (TWinControl::HandleAllocated() && GetFocus() == FHandle));
}

void TmwCustomEdit::PaintWindow(HDC DC) {
  if (FModel->PaintLock() > 0) return;  // the lock's release repaints
  RECT R;
  GetClientRect(FHandle, &R);
  TRect Client(R);
  if (Client.Width() <= 0 || Client.Height() <= 0) return;
  HDC B = FBuffer->Get(DC, Client.Width(), Client.Height());
  FillRect(B, &R, ColorBrush());
  HGDIOBJ OldFont = SelectObject(B, FontHandle(*Font()));
  if (FModel->LineCount() > 0) {
    if (FModel->HighLighter() != nullptr)
      PaintHighlightedLines(B, Client);
    else
      PaintTextLines(B, Client);
  }
  SelectObject(B, OldFont);
  int Edge = RightEdgeX();
  if (Edge >= FGutterWidth && Edge < Client.Right) {
    RECT Line{Edge, 0, Edge + 1, Client.Bottom};
    SetBkColor(B, RGB(0xC0, 0xC0, 0xC0));
    ExtTextOutW(B, 0, 0, ETO_OPAQUE, &Line, nullptr, 0, nullptr);
  }
  PaintGutter(B, Client);
  if (OnPaint) {
    TCanvas Canvas;
    Canvas.SetHandle(B);
    try {
      OnPaint(this, &Canvas);
    } catch (...) {
      Canvas.SetHandle(nullptr);
      throw;
    }
    Canvas.SetHandle(nullptr);
  }
  BitBlt(DC, 0, 0, Client.Width(), Client.Height(), B, 0, 0, SRCCOPY);
  UpdateCaret();
}

void TmwCustomEdit::PaintLine(HDC DC, const TRect& Client, int Line, const std::string& Text, std::vector<TRun>& Runs) {
  const TmwEditModel& M = *FModel;
  int Y = (Line - M.TopLine()) * FLineHeight;
  int FirstColumn = M.LeftChar();
  int EndColumn = FirstColumn + M.CharsInWindow() + 1;  // one partial column more; not included
  int Length = static_cast<int>(Text.size());

  // The selected columns of this line: SelLast INT_MAX when the selection goes on below.
  int SelFirst = 0, SelLast = 0;
  if (SelectionShown()) {
    TmwPoint B = M.GetBlockBegin(), E = M.GetBlockEnd();
    if (Line >= B.Y && Line <= E.Y) {
      SelFirst = Line == B.Y ? B.X : 1;
      SelLast = Line == E.Y ? E.X : INT_MAX;
    }
  }
  COLORREF SelFore = GdiColor(FSelectedColor->Foreground()), SelBack = GdiColor(FSelectedColor->Background());

  auto Draw = [&](int First, int Last, COLORREF Fore, COLORREF Back, TFontStyles Style) {
    // Only the visible cells: a token may be far longer than the window.
    First = std::max(First, FirstColumn);
    Last = std::min({Last, EndColumn, Length + 1});
    if (Last <= First) return;
    std::wstring W = ToWide(std::string_view(Text).substr(First - 1, Last - First));
    int X = TextOffset() + (First - 1) * FCharWidth;
    RECT Cells{X, Y, X + (Last - First) * FCharWidth, Y + FLineHeight};
    if (First == FirstColumn) Cells.left = FGutterWidth;  // the margin before column 1
    if (W.size() > FAdvances.size()) FAdvances.resize(W.size(), FCharWidth);
    SetTextColor(DC, Fore);
    SetBkColor(DC, Back);
    SelectObject(DC, StyledFont(Style));
    ExtTextOutW(DC, X, Y, ETO_OPAQUE, &Cells, W.c_str(), static_cast<UINT>(W.size()), FAdvances.data());
  };

  for (const TRun& R : Runs) {
    if (SelLast <= SelFirst || R.Last <= SelFirst || R.First >= SelLast) {
      Draw(R.First, R.Last, R.Fore, R.Back, R.Style);
      continue;
    }
    Draw(R.First, SelFirst, R.Fore, R.Back, R.Style);
    Draw(std::max(R.First, SelFirst), std::min(R.Last, SelLast), SelFore, SelBack, R.Style);
    if (SelLast != INT_MAX) Draw(SelLast, R.Last, R.Fore, R.Back, R.Style);
  }
  // A selection that goes on below fills the rest of the row, even of an empty line.
  if (SelLast == INT_MAX) {
    int From = std::max({Length + 1, SelFirst, FirstColumn});
    if (From < EndColumn) {
      int X = From == FirstColumn ? FGutterWidth : TextOffset() + (From - 1) * FCharWidth;
      RECT Fill{X, Y, Client.Right, Y + FLineHeight};
      SetBkColor(DC, SelBack);
      ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &Fill, nullptr, 0, nullptr);
    }
  }
}

// Visible lines: from TopLine, one partial line more than fits; of each, the columns from
// LeftChar, one partial column more than fits.
void TmwCustomEdit::PaintTextLines(HDC DC, const TRect& Client) {
  const TmwEditModel& M = *FModel;
  int Last = std::min(M.LineCount(), M.TopLine() + M.LinesInWindow());
  COLORREF Fore = GdiColor(Font()->Color()), Back = GdiColor(Color());
  for (int L = M.TopLine(); L <= Last; ++L) {
    const std::string& S = M.Lines()->LineOrEmpty(L - 1);
    FRuns.assign(1, TRun{1, static_cast<int>(S.size()) + 1, Fore, Back, Font()->Style()});
    PaintLine(DC, Client, L, S, FRuns);
  }
}

// Each line is scanned from its stored range, so that what lies beyond the window (or a
// line scrolled off) never changes how a visible line is coloured; tokens past the right
// side are not scanned at all.
void TmwCustomEdit::PaintHighlightedLines(HDC DC, const TRect& Client) {
  const TmwEditModel& M = *FModel;
  TmwCustomHighLighter* H = M.HighLighter();
  TTokenCanvas Canvas;
  TCanvasGuard Guard(H, &Canvas);
  int Last = std::min(M.LineCount(), M.TopLine() + M.LinesInWindow());
  int EndColumn = M.LeftChar() + M.CharsInWindow() + 1;
  for (int L = M.TopLine(); L <= Last; ++L) {
    const std::string& S = M.Lines()->LineOrEmpty(L - 1);
    H->SetRange(M.Lines()->GetRange(L - 1));
    H->SetLine(S);
    FRuns.clear();
    while (!H->GetEol()) {
      int Pos = H->GetTokenPos();
      if (Pos + 1 >= EndColumn) break;
      int End = Pos + 1 + static_cast<int>(H->GetToken().size());
      if (End > M.LeftChar())
        FRuns.push_back(TRun{Pos + 1, End, GdiColor(Canvas.Font), GdiColor(Canvas.Brush), Canvas.Style});
      H->Next();
    }
    PaintLine(DC, Client, L, S, FRuns);
  }
}

void TmwCustomEdit::PaintGutter(HDC DC, const TRect& Client) {
  auto Fill = [&](int Left, int Right, COLORREF Color) {
    RECT R{Left, 0, Right, Client.Bottom};
    SetBkColor(DC, Color);
    ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &R, nullptr, 0, nullptr);
  };
  Fill(0, FGutterWidth, GdiColor(FGutterColor));
  Fill(FGutterWidth - 2, FGutterWidth - 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  Fill(FGutterWidth - 1, FGutterWidth, GetSysColor(COLOR_BTNSHADOW));
  Fill(FGutterWidth, FGutterWidth + 2, GdiColor(Color()));

  const TmwBookMarkOpt& Options = *BookMarkOptions();
  if (!Options.GlyphsVisible()) return;
  const TmwEditModel& M = *FModel;
  int Top = M.TopLine(), Rows = std::max(M.LinesInWindow(), 0);
  std::vector<int> Offsets(Rows, 0);
  TMarkList& Marks = FModel->Marks();
  // Bookmarks first, then the other marks, side by side on their lines.
  for (bool Bookmarks : {true, false}) {
    for (int I = 0; I < Marks.Count(); ++I) {
      TMark* Mark = Marks.Items(I);
      if (Mark->IsBookmark() != Bookmarks || !Mark->Visible()) continue;
      int Row = Mark->Line() - Top;
      if (Row < 0 || Row >= Rows) continue;
      int X = Options.LeftMargin() + Offsets[Row], Y = Row * FLineHeight;
      int Index = Mark->ImageIndex();
      if (FBookmarkImages != nullptr && !Mark->InternalImage()) {
        if (Index >= 0 && Index < FBookmarkImages->Count())
          ImageList_Draw(FBookmarkImages->Handle(), Index, DC, X, Y, ILD_TRANSPARENT);
      } else if (FGlyphs != nullptr && Index >= 0 && Index <= 9) {
        ImageList_Draw(FGlyphs, Index, DC, X, Y, ILD_TRANSPARENT);
      }
      Offsets[Row] += Options.Xoffset();
    }
  }
}

// ---------------------------------------------------------------------------------------
// Keyboard

void TmwCustomEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (FModel->KeyDown(Key, Shift)) FModel->EnsureCursorPosVisible();
}

void TmwCustomEdit::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == 0) return;  // the handler took it
  FModel->KeyPress(Key);
  FModel->EnsureCursorPosVisible();
}

// ---------------------------------------------------------------------------------------
// Mouse

void TmwCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssDouble)) return;
  if (Button == mbRight && PopupMenu() != nullptr) return;
  FHadSelection = FModel->SelAvail();
  if (FHadSelection) {
    FDownBegin = FModel->GetBlockBegin();
    FDownEnd = FModel->GetBlockEnd();
  }
  FDownPoint = {X, Y};
  FMousePoint = FDownPoint;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  SetCapture(FHandle);
  FModel->SetCaretXY(PixelsToCaret(X, Y));
  FDownCaret = FModel->GetCaretXY();
  FDragPending = false;
  TmwPoint C = FDownCaret;
  if (FHadSelection && !PointBefore(C, FDownBegin) && PointBefore(C, FDownEnd)) {
    FDragPending = true;  // a click inside the selection keeps it until the release
  } else if (!FDoubleClicked) {
    if (Shift.Contains(ssShift))
      FModel->SetBlockEnd(C);
    else
      FModel->SetBlockBegin(C);
  }
  FSelecting = Button == mbLeft && !FDragPending;
  if (CanFocus()) SetFocus();
}

void TmwCustomEdit::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  bool Captured = GetCapture() == FHandle;
  if (Captured && FDragPending && !FModel->ReadOnly()) {
    if (std::abs(X - FDownPoint.x) >= GetSystemMetrics(SM_CXDRAG) ||
        std::abs(Y - FDownPoint.y) >= GetSystemMetrics(SM_CYDRAG)) {
      FDragPending = false;
      FDragging = true;
    } else {
      return;
    }
  }
  if (FDragging) {
    bool Accept = false;
    DragOver(this, X, Y, Accept);
    FCursor = Accept ? (Shift.Contains(ssCtrl) ? crMultiDrag : crDrag) : crNoDrop;
    ::SetCursor(CursorHandle(FCursor));
    return;
  }
  FCursor = X >= FGutterWidth ? crIBeam : crArrow;
  if (!FSelecting || !Captured) return;
  FMousePoint = {X, Y};
  if (OverTextArea(X, Y)) {
    FScrollTimer->SetEnabled(false);
    FModel->SetCaretXY(PixelsToCaret(X, Y));
    FModel->SetBlockEnd(FModel->GetCaretXY());
  } else {
    // Outside the text the timer scrolls towards the mouse, one step a tick, so that the
    // speed does not depend on how often the mouse reports.
    FScrollTimer->SetEnabled(true);
  }
}

void TmwCustomEdit::AutoScrollTick() {
  if (!FSelecting || GetCapture() != FHandle) {
    FScrollTimer->SetEnabled(false);
    return;
  }
  int X = FMousePoint.x, Y = FMousePoint.y;
  if (OverTextArea(X, Y)) return;
  RECT R;
  GetClientRect(FHandle, &R);
  TmwEditModel& M = *FModel;
  M.BeginUpdate();
  try {
    if (X < FGutterWidth) {
      M.SetLeftChar(M.LeftChar() - 1);
      M.SetCaretX(M.LeftChar());
    } else if (X >= R.right) {
      M.SetLeftChar(M.LeftChar() + 1);
      M.SetCaretX(M.LeftChar() + M.CharsInWindow() - 1);
    }
    int Lines = std::max(M.LinesInWindow(), 1);
    if (Y < 0) {
      M.SetTopLine(M.TopLine() - (Y < -10 ? Lines : 1));
      M.SetCaretY(M.TopLine());
    } else if (Y >= R.bottom) {
      M.SetTopLine(M.TopLine() + (Y > R.bottom + 10 ? Lines : 1));
      M.SetCaretY(M.TopLine() + Lines - 1);
    }
    M.SetBlockEnd(M.GetCaretXY());
  } catch (...) {
    M.EndUpdate();
    throw;
  }
  M.EndUpdate();
}

void TmwCustomEdit::EndMouseSelection() {
  FSelecting = false;
  FScrollTimer->SetEnabled(false);
  if (GetCapture() == FHandle) ReleaseCapture();
}

void TmwCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbRight && PopupMenu() != nullptr) return;
  bool Dragging = FDragging;
  FDragging = false;  // before the capture goes, which would cancel the drag
  EndMouseSelection();
  if (Dragging) {
    FCursor = crIBeam;
    bool Accept = false;
    RECT R;
    GetClientRect(FHandle, &R);
    if (X >= 0 && Y >= 0 && X < R.right && Y < R.bottom) DragOver(this, X, Y, Accept);
    FDropCopy = Shift.Contains(ssCtrl);
    if (Accept) DragDrop(this, X, Y);
    FDropCopy = false;
    if (!Accept) FModel->SetCaretXY(FDownCaret);
  } else if (FDragPending && !FDoubleClicked) {
    FModel->SetCaretXY(PixelsToCaret(X, Y));
    FModel->SetBlockBegin(FModel->GetCaretXY());
  }
  FDragPending = false;
  FDoubleClicked = false;
}

void TmwCustomEdit::DblClick() {
  FModel->SelectWordAt(FModel->GetCaretXY());
  TCustomControl::DblClick();
  FDoubleClicked = true;
}

void TmwCustomEdit::DragOver(TObject* Source, int X, int Y, bool& Accept) {
  if (OnDragOver) OnDragOver(this, Source, X, Y, Accept);
  if (!Accept && dynamic_cast<TmwCustomEdit*>(Source) == nullptr) return;
  Accept = true;
  RECT R;
  GetClientRect(FHandle, &R);
  if (X >= 0 && Y >= 0 && X < R.right && Y < R.bottom)
    FModel->SetCaretXY(PixelsToCaret(X, Y));
  else
    FModel->SetCaretXY(FDownCaret);  // left the editor: the caret goes back
}

void TmwCustomEdit::DragDrop(TObject* Source, int X, int Y) {
  if (FModel->ReadOnly()) return;
  FModel->BeginUpdate();
  try {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
    if (Source == this && FModel->SelAvail()) {
      FModel->SetCaretXY(PixelsToCaret(X, Y));
      TmwPoint D = FModel->GetCaretXY();
      // Onto the selection as it was when the drag began: nothing moves.
      if (PointBefore(D, FDownBegin) || PointBefore(FDownEnd, D))
        FModel->DropSelection(D, FDropCopy || (GetKeyState(VK_CONTROL) & 0x8000) != 0);
    }
  } catch (...) {
    FModel->EndUpdate();
    throw;
  }
  FModel->EndUpdate();
}

void TmwCustomEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // the paint covers every pixel
      return;
    case WM_GETDLGCODE:
      // Not Tab, so that Tab still moves the focus.
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_SYSCHAR:
      // Alt+Backspace is Undo: no beep for the character it leaves behind.
      if (M.WParam == VK_BACK && (M.LParam & 0x20000000) != 0) {
        M.Result = 0;
        return;
      }
      break;
    case WM_SIZE:
      TCustomControl::WndProc(M);
      UpdateWindowSize();
      return;
    case WM_SETFOCUS:
      TCustomControl::WndProc(M);
      FCaretCreated = false;  // the focus lost took the caret with it
      UpdateCaret();
      if (FHideSelection && FModel->SelAvail()) Invalidate();
      return;
    case WM_KILLFOCUS:
      TCustomControl::WndProc(M);
      if (FCaretCreated) DestroyCaret();
      FCaretCreated = false;
      FCaretShown = false;
      if (FHideSelection && FModel->SelAvail()) Invalidate();
      return;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      if (M.Msg == WM_CANCELMODE || reinterpret_cast<HWND>(M.LParam) != FHandle) {
        FSelecting = false;
        FScrollTimer->SetEnabled(false);
        if (FDragging) {
          FDragging = false;
          FModel->SetCaretXY(FDownCaret);
        }
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(M.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(M.WParam));
      M.Result = 0;
      return;
  }
  TCustomControl::WndProc(M);
}

void RegisterEditorClasses() {
  RegisterMissingClasses<TmwCustomEdit, TDcjCppSyn, TmwPasSyn, TDcjPerlSyn, TDcjJavaSyn, TmwGeneralSyn>();
}
