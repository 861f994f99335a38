#include "editor/custom_edit.h"

#include <algorithm>
#include <climits>

#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"
#include "editor/win_clipboard.h"

namespace {

// Pixels between the left side of the text area and column 1 when not scrolled.
constexpr int kTextMargin = 2;

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

}  // namespace

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
}

TmwCustomEdit::~TmwCustomEdit() {
  if (FCaretShape != TCaretShape::None && TWinControl::HandleAllocated() && GetFocus() == FHandle) DestroyCaret();
  FModel->SetHost(nullptr);
  FModel->SetClipboard(nullptr);
}

void TmwCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_VSCROLL | WS_HSCROLL;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TmwCustomEdit::InitWnd() {
  TCustomControl::InitWnd();
  UpdateWindowSize();
}

void TmwCustomEdit::Invalidate() {
  if (TWinControl::HandleAllocated()) InvalidateRect(FHandle, nullptr, FALSE);
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
  FLineHeight = std::max<int>(Tm.tmHeight + Tm.tmExternalLeading, 1);
  FAdvances.assign(FModel->MaxLeftChar(), FCharWidth);
  UpdateWindowSize();
  if (FCaretShape != TCaretShape::None) {
    FCaretShape = TCaretShape::None;  // its size follows the cell
    UpdateCaret();
  }
  Invalidate();
}

int TmwCustomEdit::TextOffset() const { return kTextMargin - (FModel->LeftChar() - 1) * FCharWidth; }

TmwPoint TmwCustomEdit::PixelsToCaret(int X, int Y) const {
  int Line = FModel->TopLine() + (Y >= 0 ? Y / FLineHeight : -1);
  int Column = (FModel->LeftChar() * FCharWidth + X - kTextMargin) / FCharWidth;
  return {Column, Line};
}

void TmwCustomEdit::UpdateWindowSize() {
  if (!TWinControl::HandleAllocated()) return;
  RECT R;
  GetClientRect(FHandle, &R);
  FModel->SetWindowSize(std::max<int>((R.right - kTextMargin) / FCharWidth, 0), R.bottom / FLineHeight);
  UpdateScrollBars();
}

// ---------------------------------------------------------------------------------------
// Scroll bars

void TmwCustomEdit::UpdateScrollBars() {
  if (!TWinControl::HandleAllocated() || FModel->PaintLock() > 0) return;
  SCROLLINFO Si{};
  Si.cbSize = sizeof Si;
  Si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  Si.nMin = 1;
  Si.nMax = std::max(FModel->LineCount(), 1);
  Si.nPage = FModel->LinesInWindow();
  Si.nPos = FModel->TopLine();
  SetScrollInfo(FHandle, SB_VERT, &Si, TRUE);
  // The thumb's last position is the last first column that LeftChar allows.
  Si.nMax = FModel->MaxLeftChar() - 1;
  Si.nPage = FModel->CharsInWindow();
  Si.nPos = FModel->LeftChar();
  SetScrollInfo(FHandle, SB_HORZ, &Si, TRUE);
}

void TmwCustomEdit::Scroll(int Bar, int Code) {
  bool Vertical = Bar == SB_VERT;
  int Current = Vertical ? FModel->TopLine() : FModel->LeftChar();
  int Page = Vertical ? FModel->LinesInWindow() : FModel->CharsInWindow();
  int Value;
  switch (Code) {
    case SB_LINEUP: Value = Current - 1; break;
    case SB_LINEDOWN: Value = Current + 1; break;
    case SB_PAGEUP: Value = Current - Page; break;
    case SB_PAGEDOWN: Value = Current + Page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The message carries 16 bits only; the bar knows the whole position.
      SCROLLINFO Si{};
      Si.cbSize = sizeof Si;
      Si.fMask = SIF_TRACKPOS;
      GetScrollInfo(FHandle, Bar, &Si);
      Value = Si.nTrackPos;
      break;
    }
    case SB_TOP: Value = 1; break;
    case SB_BOTTOM: Value = Vertical ? FModel->LineCount() : FModel->MaxLeftChar(); break;
    default: return;
  }
  if (Vertical)
    FModel->SetTopLine(Value);
  else
    FModel->SetLeftChar(Value);
}

// ---------------------------------------------------------------------------------------
// Caret

void TmwCustomEdit::CreateCaretShape() {
  if (FCaretShape != TCaretShape::None) DestroyCaret();
  FCaretShown = false;
  if (FModel->InsertMode()) {
    CreateCaret(FHandle, nullptr, 2, std::max(FLineHeight - 2, 1));
    FCaretShape = TCaretShape::VerticalLine;
  } else {
    CreateCaret(FHandle, nullptr, FCharWidth, std::max(FLineHeight - 2, 1));
    FCaretShape = TCaretShape::Block;
  }
}

void TmwCustomEdit::UpdateCaret() {
  if (!TWinControl::HandleAllocated() || GetFocus() != FHandle) return;
  TCaretShape Wanted = FModel->InsertMode() ? TCaretShape::VerticalLine : TCaretShape::Block;
  if (FCaretShape != Wanted) CreateCaretShape();
  int X = (FModel->GetCaretX() - 1) * FCharWidth + TextOffset();
  int Y = (FModel->GetCaretY() - FModel->TopLine()) * FLineHeight + 1;
  if (FCaretShape == TCaretShape::VerticalLine) X -= 1;  // between two cells
  RECT R;
  GetClientRect(FHandle, &R);
  bool Inside = X >= 0 && X <= R.right && Y >= 0 && Y <= R.bottom - FLineHeight;
  SetCaretPos(X, Y);
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

void TmwCustomEdit::PaintWindow(HDC DC) {
  if (FModel->PaintLock() > 0) return;  // the lock's release repaints
  RECT R;
  GetClientRect(FHandle, &R);
  TRect Client(R);
  if (Client.Width() <= 0 || Client.Height() <= 0) return;
  HDC B = FBuffer->Get(DC, Client.Width(), Client.Height());
  FillRect(B, &R, ColorBrush());
  HGDIOBJ OldFont = SelectObject(B, FontHandle(*Font()));
  if (FModel->LineCount() > 0) PaintTextLines(B, Client);
  SelectObject(B, OldFont);
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

void TmwCustomEdit::PaintCells(HDC DC, const TRect& Client, const std::string& Line, int Y, int First, int Last,
                               bool Selected) {
  int Length = static_cast<int>(Line.size());
  int VisibleEnd = FModel->LeftChar() + FModel->CharsInWindow() + 1;
  int TextEnd = std::min({Last, Length + 1, VisibleEnd});
  std::wstring Text = First < TextEnd ? ToWide(std::string_view(Line).substr(First - 1, TextEnd - First)) : L"";
  int X = TextOffset() + (First - 1) * FCharWidth;
  RECT Cells{X, Y, X + static_cast<int>(Text.size()) * FCharWidth, Y + FLineHeight};
  if (Selected) {
    Cells.right = Last == INT_MAX ? Client.Right : TextOffset() + (Last - 1) * FCharWidth;
    // A selection that starts in the first visible column also takes the margin before it.
    if (First == FModel->LeftChar()) Cells.left = 0;
  }
  if (Cells.right <= Cells.left) return;
  if (Text.size() > FAdvances.size()) FAdvances.resize(Text.size(), FCharWidth);
  ExtTextOutW(DC, X, Y, ETO_OPAQUE, &Cells, Text.c_str(), static_cast<UINT>(Text.size()), FAdvances.data());
}

// Visible lines: from TopLine, one partial line more than fits; of each, the columns from
// LeftChar, one partial column more than fits. The selection is drawn over the line in its
// own colours, to the right side of the window where it goes on to the next line.
void TmwCustomEdit::PaintTextLines(HDC DC, const TRect& Client) {
  const TmwEditModel& M = *FModel;
  int Top = M.TopLine();
  int Last = std::min(M.LineCount(), Top + M.LinesInWindow());
  int FirstColumn = M.LeftChar();
  int EndColumn = FirstColumn + M.CharsInWindow() + 1;  // not included
  bool Sel = M.SelAvail();
  TmwPoint B = M.GetBlockBegin(), E = M.GetBlockEnd();
  for (int L = Top; L <= Last; ++L) {
    int Y = (L - Top) * FLineHeight;
    const std::string& S = M.Lines()->LineOrEmpty(L - 1);
    SetTextColor(DC, GdiColor(Font()->Color()));
    SetBkColor(DC, GdiColor(Color()));
    PaintCells(DC, Client, S, Y, FirstColumn, EndColumn, false);
    if (!Sel || L < B.Y || L > E.Y) continue;
    int SelFirst = L == B.Y ? B.X : 1;
    int SelLast = L == E.Y ? E.X : INT_MAX;  // INT_MAX: on to the next line
    int First = std::max(SelFirst, FirstColumn);
    int End = SelLast == INT_MAX ? INT_MAX : std::min(SelLast, EndColumn);
    if (First >= EndColumn || End <= First) continue;
    SetTextColor(DC, GdiColor(FSelectedColor->Foreground()));
    SetBkColor(DC, GdiColor(FSelectedColor->Background()));
    PaintCells(DC, Client, S, Y, First, End, true);
  }
}

// ---------------------------------------------------------------------------------------
// Keyboard and mouse

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

void TmwCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssDouble)) return;
  if (Button == mbRight && PopupMenu() != nullptr) return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  FModel->SetCaretXY(PixelsToCaret(X, Y));
  FModel->SetBlockBegin(FModel->GetCaretXY());
  if (CanFocus()) SetFocus();
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
      FCaretShape = TCaretShape::None;  // the focus lost took the caret with it
      UpdateCaret();
      return;
    case WM_KILLFOCUS:
      TCustomControl::WndProc(M);
      if (FCaretShape != TCaretShape::None) DestroyCaret();
      FCaretShape = TCaretShape::None;
      FCaretShown = false;
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(M.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(M.WParam));
      M.Result = 0;
      return;
  }
  TCustomControl::WndProc(M);
}

void RegisterEditorClasses() {
  static const bool Done = [] {
    if (GetClass(TmwCustomEdit::StaticClassInfo()->Name) == nullptr) RegisterClasses<TmwCustomEdit>();
    return true;
  }();
  (void)Done;
}
