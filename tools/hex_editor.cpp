#include "tools/hex_editor.h"

#include <algorithm>

#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"
#include "classlib/win/scroll_request.h"

template <> const TTypeInfo* TypeInfoOf<TCaretStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TCaretStyle", {"csFull", "csLeftLine", "csBottomLine"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TTranslationType>() {
  static const TTypeInfo Info = EnumTypeInfo("TTranslationType", {"ttAnsi", "ttDos8", "ttASCII", "ttMac", "ttEBCDIC"});
  return &Info;
}
template <> const TTypeInfo* TypeInfoOf<TOffsetDisplayStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TOffsetDisplayStyle", {"odHex", "odDec", "odOctal", "odNone"});
  return &Info;
}

namespace {

std::string TempFolder() {
  wchar_t Buf[MAX_PATH + 1];
  DWORD N = GetTempPathW(MAX_PATH, Buf);
  return N > 0 && N <= MAX_PATH ? FromWide(std::wstring_view(Buf, N)) : std::string(".\\");
}

COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }

}  // namespace

TColor InvertColor(TColor Color) {
  auto C = static_cast<std::uint32_t>(ColorToRGB(Color));
  return TColor(static_cast<std::int32_t>((~C) & 0xFFFFFF));
}

// ---------------------------------------------------------------------------------------
// TColors

const TClassInfo* TColors::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TColors, TPersistent>("TColors")
                                     .Prop("Background", &TColors::Background, &TColors::SetBackground)
                                     .Prop("PositionBackground", &TColors::PositionBackground,
                                           &TColors::SetPositionBackground)
                                     .Prop("PositionText", &TColors::PositionText, &TColors::SetPositionText)
                                     .Prop("ChangedBackground", &TColors::ChangedBackground,
                                           &TColors::SetChangedBackground)
                                     .Prop("ChangedText", &TColors::ChangedText, &TColors::SetChangedText)
                                     .Prop("CursorFrame", &TColors::CursorFrame, &TColors::SetCursorFrame)
                                     .Prop("Offset", &TColors::Offset, &TColors::SetOffset)
                                     .Prop("OddColumn", &TColors::OddColumn, &TColors::SetOddColumn)
                                     .Prop("EvenColumn", &TColors::EvenColumn, &TColors::SetEvenColumn)
                                     .Build();
  return &Info;
}

void TColors::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TColors*>(Source)) {
    std::copy(std::begin(S->FColors), std::end(S->FColors), std::begin(FColors));
    FOwner->Invalidate();
    return;
  }
  TPersistent::Assign(Source);
}

void TColors::Set(int Index, TColor Value) {
  FColors[Index] = Value;
  FOwner->Invalidate();
}

TColor TColors::InvertedOddColumn() const { return InvertColor(OddColumn()); }
TColor TColors::InvertedEvenColumn() const { return InvertColor(EvenColumn()); }

// ---------------------------------------------------------------------------------------
// THexEditor

const TClassInfo* THexEditor::StaticClassInfo() {
  using H = THexEditor;
  static const TClassInfo Info =
      TClassBuilder<H, TCustomControl>("THexEditor")
          .Prop("ShowMarkerColumn", &H::ShowMarkerColumn, &H::SetShowMarkerColumn)
          .Prop("BytesPerColumn", &H::BytesPerColumn, &H::SetBytesPerColumn)
          .Prop("OnStateChanged", &H::OnStateChanged)
          .Prop("Translation", &H::Translation, &H::SetTranslation)
          .Prop("CreateBackup", &H::CreateBackup, &H::SetCreateBackup)
          .Prop("BackupExtension", &H::BackupExtension, &H::SetBackupExtension)
          .Prop("OffsetDisplay", &H::OffsetDisplay, &H::SetOffsetDisplay)
          .Prop("BytesPerLine", &H::BytesPerLine, &H::SetBytesPerLine)
          .Prop("CaretStyle", &H::CaretStyle, &H::SetCaretStyle)
          .Prop("Colors", &H::Colors, &H::SetColors)
          .Prop("FocusFrame", &H::FocusFrame, &H::SetFocusFrame)
          .Prop("GridLineWidth", &H::GridLineWidth, &H::SetGridLineWidth)
          .Prop("OffsetSeparator", &H::OffsetSeparator, &H::SetOffsetSeparator)
          .Prop("SwapNibbles", &H::SwapNibbles, &H::SetSwapNibbles)
          .Prop("MaskWhiteSpaces", &H::MaskWhiteSpaces, &H::SetMaskWhiteSpaces)
          .Prop("MaskChar", &H::MaskChar, &H::SetMaskChar)
          .Prop("NoSizeChange", &H::NoSizeChange, &H::SetNoSizeChange)
          .Prop("AllowInsertMode", &H::AllowInsertMode, &H::SetAllowInsertMode)
          .Prop("AutoCaretMode", &H::AutoCaretMode, &H::SetAutoCaretMode)
          .Prop("BorderStyle", &H::BorderStyle, &H::SetBorderStyle)
          .Prop("ScrollBars", &H::ScrollBars, &H::SetScrollBars)
          .Build();
  return &Info;
}

THexEditor::THexEditor(TComponent* AOwner)
    : TCustomControl(AOwner),
      FModel(std::make_unique<THexModel>(THexModel::NewWorkFileName(TempFolder(), GetTickCount()))),
      FColors(std::make_unique<TColors>(this)) {
  FModel->OnStateChanged = [this] { ModelStateChanged(); };
  SetParentFont(false);
  Font()->SetName("Courier");
  Font()->SetSize(12);
  SetColor(clWindow);
  SetCursor(crIBeam);
  SetTabStop(true);
  SetBounds(0, 0, 300, 200);
  Relayout();
}

THexEditor::~THexEditor() {
  FModel->OnStateChanged = nullptr;
  DestroyCaretShape();
  if (FCaretBitmap) DeleteObject(FCaretBitmap);
  if (FMarkerFont) DeleteObject(FMarkerFont);
  if (FBackDC) {
    SelectObject(FBackDC, FBackOld);
    DeleteObject(FBackBitmap);
    DeleteDC(FBackDC);
  }
}

void THexEditor::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FBorderStyle != bsNone) Params.Style |= WS_BORDER;
}

bool THexEditor::EmptyDocumentOnStart() {
  if (FModel->FileName() != "---") return false;
  FModel->CreateEmptyFile("Untitled");
  return true;
}

void THexEditor::Loaded() {
  TCustomControl::Loaded();
  EmptyDocumentOnStart();
  Relayout();
}

void THexEditor::InitWnd() {
  TCustomControl::InitWnd();
  std::fill(std::begin(FVertBar), std::end(FVertBar), -1);  // a new window's bars are blank
  std::fill(std::begin(FHorzBar), std::end(FHorzBar), -1);
  EmptyDocumentOnStart();
  Relayout();
}

// ---------------------------------------------------------------------------------------
// Document operations

bool THexEditor::LoadFromFile(const std::string& FileName) {
  bool Ok;
  {
    THourGlass Wait;
    Ok = FModel->LoadFromFile(FileName);
  }
  if (Ok) {
    FTopRow = 0;
    FLeftCol = 2;
    Relayout();
  }
  return Ok;
}

bool THexEditor::SaveToFile(const std::string& FileName) {
  bool Ok;
  {
    THourGlass Wait;
    Ok = FModel->SaveToFile(FileName);
  }
  Changed();
  return Ok;
}

void THexEditor::CreateEmptyFile(const std::string& Name) {
  FModel->CreateEmptyFile(Name);
  FTopRow = 0;
  FLeftCol = 2;
  Relayout();
}

void THexEditor::SetModified(bool Value) {
  FModel->SetModified(Value);
  Invalidate();
}

void THexEditor::SetSelStart(int Value) {
  FModel->SetSelStart(Value);
  Changed();
}

void THexEditor::SetSelEnd(int Value) {
  FModel->SetSelEnd(Value);
  Changed();
}

bool THexEditor::Seek(int Offset, int Origin, bool FailIfOutside) {
  bool Ok = FModel->Seek(Offset, Origin, FailIfOutside);
  if (Ok) Changed();
  return Ok;
}

int THexEditor::Find(const std::string& Data, int FromOffset, int ToOffset, bool Translate, bool IgnoreCase) {
  THourGlass Wait;
  return FModel->Find(Data, FromOffset, ToOffset, Translate, IgnoreCase);
}

bool THexEditor::DeleteSelection() {
  bool Ok = FModel->DeleteSelection();
  Changed();
  return Ok;
}

bool THexEditor::Undo() {
  bool Ok = FModel->Undo();
  Changed();
  return Ok;
}

bool THexEditor::GotoMarker(int Index) {
  bool Ok = FModel->GotoMarker(Index);
  if (Ok) Changed();
  return Ok;
}

void THexEditor::ModelStateChanged() {
  if (HandleAllocated()) PostMessageW(FHandle, WM_HEXSTATE, 7, 7);
}

// ---------------------------------------------------------------------------------------
// Properties

void THexEditor::SetShowMarkerColumn(bool Value) {
  FShowMarkerColumn = Value;
  Relayout();
}

void THexEditor::SetBytesPerColumn(int Value) {
  FBytesPerColumn = std::max(1, Value);
  Relayout();
}

void THexEditor::SetTranslation(TTranslationType Value) {
  FModel->Translation = Value;
  Invalidate();
}

void THexEditor::SetOffsetDisplay(TOffsetDisplayStyle Value) {
  FOffsetDisplay = Value;
  Relayout();
}

void THexEditor::SetBytesPerLine(int Value) {
  FModel->SetBytesPerLine(Value);  // raises for a bad value before anything changes
  FLeftCol = 2;
  Relayout();
  ScrollToCursor();
}

void THexEditor::SetCaretStyle(TCaretStyle Value) {
  FCaretStyle = Value;
  DestroyCaretShape();
  UpdateCaret();
}

void THexEditor::SetFocusFrame(bool Value) {
  FFocusFrame = Value;
  Invalidate();
}

void THexEditor::SetGridLineWidth(int Value) {
  FGridLineWidth = std::max(0, Value);
  Relayout();
}

void THexEditor::SetOffsetSeparator(char Value) {
  FOffsetSeparator = Value;
  Invalidate();
}

void THexEditor::SetSwapNibbles(bool Value) {
  FModel->SwapNibbles = Value;
  Invalidate();
}

void THexEditor::SetMaskWhiteSpaces(bool Value) {
  FModel->MaskWhiteSpaces = Value;
  Invalidate();
}

void THexEditor::SetMaskChar(char Value) {
  FModel->MaskChar = Value;
  Invalidate();
}

void THexEditor::SetNoSizeChange(bool Value) {
  FModel->SetNoSizeChange(Value);
  Changed();
}

void THexEditor::SetAllowInsertMode(bool Value) {
  FModel->SetAllowInsertMode(Value);
  Invalidate();
}

void THexEditor::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void THexEditor::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (HandleAllocated()) RecreateWnd();
}

void THexEditor::FontChanged() {
  TCustomControl::FontChanged();
  Relayout();
}

// ---------------------------------------------------------------------------------------
// Layout

void THexEditor::Relayout() {
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  SIZE W{}, Y{};
  GetTextExtentPoint32W(DC, L"w", 1, &W);
  GetTextExtentPoint32W(DC, L"yY", 2, &Y);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  FCharWidth = std::max<int>(W.cx, 1);
  FRowHeight = std::max<int>(Y.cy + 2, 3);
  if (FMarkerFont) DeleteObject(FMarkerFont);
  FMarkerFont = CreateFontW(-std::max(FRowHeight - 6, 6), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            L"Arial");

  int BPL = FModel->BytesPerLine();
  FOffsetChars = FModel->OffsetWidth(FOffsetDisplay);
  FColWidths.assign(ColCount(), FCharWidth);
  FColWidths[0] = FCharWidth * FOffsetChars;
  FColWidths[1] = FShowMarkerColumn ? FCharWidth : 0;
  for (int c = 2; c <= 2 * BPL + 1; ++c)
    if (c % (2 * FBytesPerColumn) == 1) FColWidths[c] = 2 * FCharWidth;
  FLeftCol = std::clamp(FLeftCol, 2, ColCount() - 1);
  SetTopRow(FTopRow);
  DestroyCaretShape();
  UpdateScrollBars();
  UpdateCaret();
  Invalidate();
}

// After an edit or a cursor move: the offset column may have grown, the cursor must be in
// view, the caret at its cell.
void THexEditor::Changed() {
  if (FModel->OffsetWidth(FOffsetDisplay) != FOffsetChars) {
    Relayout();
  } else {
    SetTopRow(FTopRow);
    UpdateScrollBars();
  }
  ScrollToCursor();
  UpdateCaret();
  Invalidate();
}

int THexEditor::RowCount() {
  int BPL = FModel->BytesPerLine();
  int Size = FModel->DataSize();
  int Rows = std::max(1, static_cast<int>((static_cast<std::int64_t>(Size) + BPL - 1) / BPL));
  // The append position after a full last row has a row of its own.
  return std::max(Rows, FModel->CursorOffset() / BPL + 1);
}

int THexEditor::VisibleRowCount() {
  if (!HandleAllocated()) return 1;
  RECT R;
  GetClientRect(FHandle, &R);
  return std::max(1, static_cast<int>(R.bottom) / (FRowHeight + FGridLineWidth));
}

void THexEditor::SetTopRow(int Value) {
  int Max = std::max(0, RowCount() - VisibleRowCount());
  Value = std::clamp(Value, 0, Max);
  if (Value == FTopRow) return;
  FTopRow = Value;
  UpdateScrollBars();
  UpdateCaret();
  Invalidate();
}

int THexEditor::ColWidth(int Col) const {
  return Col >= 0 && Col < static_cast<int>(FColWidths.size()) ? FColWidths[Col] : 0;
}

int THexEditor::ColLeft(int Col) const {
  int X = 0;
  for (int c = 0; c < 2 && c < Col; ++c) X += FColWidths[c] + FGridLineWidth;
  if (Col < 2) return X;
  if (Col < FLeftCol) return -1;
  for (int c = FLeftCol; c < Col; ++c) X += FColWidths[c] + FGridLineWidth;
  return X;
}

TRect THexEditor::CellRect(int Col, int Row) {
  if (Col < 0 || Col >= ColCount() || Row < FTopRow || Row > FTopRow + VisibleRowCount()) return TRect();
  int X = ColLeft(Col);
  if (X < 0) return TRect();
  int Y = (Row - FTopRow) * (FRowHeight + FGridLineWidth);
  return TRect(X, Y, X + FColWidths[Col], Y + FRowHeight);
}

bool THexEditor::MouseToCell(int X, int Y, int& Col, int& Row) {
  if (X < 0 || Y < 0) return false;
  Row = FTopRow + Y / (FRowHeight + FGridLineWidth);
  for (int c = 0; c < ColCount(); ++c) {
    if (c >= 2 && c < FLeftCol) continue;
    int L = ColLeft(c);
    if (X >= L && X < L + FColWidths[c] + FGridLineWidth) {
      Col = c;
      return true;
    }
  }
  return false;
}

int THexEditor::CursorCol() const {
  int BPL = FModel->BytesPerLine();
  int InRow = FModel->CursorOffset() % BPL;
  return FModel->InCharField() ? 2 * BPL + 3 + InRow : 2 + 2 * InRow + FModel->CursorNibble();
}

int THexEditor::CursorRow() const { return FModel->CursorOffset() / FModel->BytesPerLine(); }

int THexEditor::ScrollableWidth() const {
  if (!HandleAllocated()) return 0;
  RECT R;
  GetClientRect(FHandle, &R);
  return R.right - (FColWidths[0] + FColWidths[1] + 2 * FGridLineWidth);
}

void THexEditor::ScrollToCursor() {
  int Row = CursorRow();
  int Visible = VisibleRowCount();
  if (Row < FTopRow)
    SetTopRow(Row);
  else if (Row >= FTopRow + Visible)
    SetTopRow(Row - Visible + 1);
  int Col = CursorCol();
  int Width = ScrollableWidth();
  if (Col < FLeftCol) FLeftCol = Col;
  auto Span = [&] {
    int W = 0;
    for (int c = FLeftCol; c <= Col; ++c) W += FColWidths[c] + FGridLineWidth;
    return W;
  };
  while (FLeftCol < Col && Span() > Width) ++FLeftCol;
  UpdateScrollBars();
}

std::string THexEditor::CellText(int Col, int Row) {
  int BPL = FModel->BytesPerLine();
  int Size = FModel->DataSize();
  std::int64_t RowStart = std::int64_t(Row) * BPL;
  if (Col == 0)
    return THexModel::OffsetText(static_cast<int>(RowStart), FOffsetDisplay, FOffsetChars, FOffsetSeparator,
                                 Size == 0 && Row == 0);
  if (Col == 1) {
    for (int i = 0; i < 10; ++i)
      if (FModel->Marker(i) == Row) return std::string(1, static_cast<char>('0' + i));
    return {};
  }
  if (Col <= 2 * BPL + 1) {
    std::int64_t Off = RowStart + (Col - 2) / 2;
    if (Off >= Size) return {};
    unsigned char B = FModel->GetByte(static_cast<int>(Off));
    bool High = (((Col - 2) % 2) == 0) != FModel->SwapNibbles;
    return std::string(1, "0123456789ABCDEF"[High ? B >> 4 : B & 15]);
  }
  if (Col == 2 * BPL + 2) return {};
  std::int64_t Off = RowStart + Col - (2 * BPL + 3);
  if (Off >= Size) return {};
  return std::string(1, HexDisplayChar(FModel->GetByte(static_cast<int>(Off)), FModel->Translation,
                                       FModel->MaskWhiteSpaces, FModel->MaskChar));
}

// ---------------------------------------------------------------------------------------
// Scroll bars

void THexEditor::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  SCROLLINFO Si{};
  Si.cbSize = sizeof Si;
  Si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
    Si.nMin = 0;
    Si.nMax = RowCount() - 1;
    Si.nPage = VisibleRowCount();
    Si.nPos = FTopRow;
    if (Si.nMax != FVertBar[0] || int(Si.nPage) != FVertBar[1] || Si.nPos != FVertBar[2]) {
      FVertBar[0] = Si.nMax;
      FVertBar[1] = int(Si.nPage);
      FVertBar[2] = Si.nPos;
      SetScrollInfo(FHandle, SB_VERT, &Si, TRUE);
    }
  }
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    // Columns that fit beside the fixed ones, counted from the right end.
    int Width = ScrollableWidth();
    int Fit = 0;
    for (int c = ColCount() - 1, W = 0; c >= 2; --c) {
      W += FColWidths[c] + FGridLineWidth;
      if (W > Width) break;
      ++Fit;
    }
    Si.nMin = 2;
    Si.nMax = ColCount() - 1;
    Si.nPage = std::max(1, Fit);
    Si.nPos = FLeftCol;
    if (Si.nMax != FHorzBar[0] || int(Si.nPage) != FHorzBar[1] || Si.nPos != FHorzBar[2]) {
      FHorzBar[0] = Si.nMax;
      FHorzBar[1] = int(Si.nPage);
      FHorzBar[2] = Si.nPos;
      SetScrollInfo(FHandle, SB_HORZ, &Si, TRUE);
    }
  }
}

void THexEditor::Scroll(int Bar, int Code) {
  bool Vertical = Bar == SB_VERT;
  int Current = Vertical ? FTopRow : FLeftCol;
  int Page = Vertical ? VisibleRowCount() : 4;
  int Value;
  if (!ScrollRequestTarget(FHandle, Bar, Code, Current, Page, 0, Vertical ? RowCount() : ColCount(), Value)) return;
  if (Vertical) {
    SetTopRow(Value);
  } else {
    FLeftCol = std::clamp(Value, 2, ColCount() - 1);
    UpdateScrollBars();
    UpdateCaret();
    Invalidate();
  }
}

// ---------------------------------------------------------------------------------------
// Caret

void THexEditor::DestroyCaretShape() {
  if (FCaretCreated && HandleAllocated() && GetFocus() == FHandle) DestroyCaret();
  FCaretCreated = false;
  FCaretShown = false;
}

// The shape in CursorFrame's inverse on black: the caret inverts the cell with it, so the
// shape shows in CursorFrame over a white cell.
void THexEditor::UpdateCaret() {
  if (!HandleAllocated() || GetFocus() != FHandle) return;
  int W = FCharWidth, H = std::max(FRowHeight - 2, 1);
  if (!FCaretCreated) {
    if (FCaretBitmap) DeleteObject(FCaretBitmap);
    HDC Screen = GetDC(nullptr);
    HDC DC = CreateCompatibleDC(Screen);
    FCaretBitmap = CreateCompatibleBitmap(Screen, W, H);
    HGDIOBJ Old = SelectObject(DC, FCaretBitmap);
    RECT All{0, 0, W, H};
    FillRect(DC, &All, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT Shape = All;
    if (FCaretStyle == csLeftLine) Shape.right = std::min(2, W);
    if (FCaretStyle == csBottomLine) Shape.top = std::max(0, H - 2);
    HBRUSH B = CreateSolidBrush(Rgb(InvertColor(FColors->CursorFrame())));
    FillRect(DC, &Shape, B);
    DeleteObject(B);
    SelectObject(DC, Old);
    DeleteDC(DC);
    ReleaseDC(nullptr, Screen);
    CreateCaret(FHandle, FCaretBitmap, W, H);
    FCaretCreated = true;
    FCaretShown = false;
  }
  TRect R = CellRect(CursorCol(), CursorRow());
  RECT C;
  GetClientRect(FHandle, &C);
  bool Inside = R.Width() > 0 && R.Bottom <= C.bottom && R.Left < C.right;
  if (Inside)
    SetCaretPos(R.Left, R.Top + 1);
  else
    SetCaretPos(-50, -50);
  if (!FCaretShown) {
    ShowCaret(FHandle);
    FCaretShown = true;
  }
}

// ---------------------------------------------------------------------------------------
// Painting

void THexEditor::PaintCell(HDC DC, int Col, int Row, const TRect& R) {
  int BPL = FModel->BytesPerLine();
  TColor Text = Font()->Color();
  TColor Back = FColors->Background();
  HFONT CellFont = nullptr;
  if (Col == 0) {
    Text = FColors->Offset();
  } else if (Col == 1) {
    if (!CellText(Col, Row).empty()) {
      Text = FColors->PositionText();
      Back = FColors->PositionBackground();
      CellFont = FMarkerFont;
    }
  } else if (Col != 2 * BPL + 2) {
    bool Hex = Col <= 2 * BPL + 1;
    std::int64_t Off = std::int64_t(Row) * BPL + (Hex ? (Col - 2) / 2 : Col - (2 * BPL + 3));
    if (Off < FModel->DataSize()) {
      int O = static_cast<int>(Off);
      bool OddGroup = (((Col - 2) / 2) / FBytesPerColumn) % 2 == 0;
      if (FModel->ByteChanged(O) && !FModel->EffectiveInsertMode()) {
        Text = FColors->ChangedText();
        Back = FColors->ChangedBackground();
      } else if (Hex) {
        Text = OddGroup ? FColors->OddColumn() : FColors->EvenColumn();
      }
      if (FModel->IsSelected(O)) {
        if (Hex && !FModel->ByteChanged(O)) {
          Back = Text;
          Text = OddGroup ? FColors->InvertedOddColumn() : FColors->InvertedEvenColumn();
        } else {
          std::swap(Text, Back);
        }
      }
    }
  }
  std::wstring W = ToWide(CellText(Col, Row));
  SetTextColor(DC, Rgb(Text));
  SetBkColor(DC, Rgb(Back));
  HGDIOBJ Old = CellFont ? SelectObject(DC, CellFont) : nullptr;
  RECT Rc = R;
  ExtTextOutW(DC, R.Left, R.Top + 1, ETO_OPAQUE | ETO_CLIPPED, &Rc, W.c_str(), static_cast<UINT>(W.size()), nullptr);
  if (Old) SelectObject(DC, Old);
}

void THexEditor::PaintWindow(HDC Target) {
  RECT C;
  GetClientRect(FHandle, &C);
  if (C.right <= 0 || C.bottom <= 0) return;
  if (FBackDC == nullptr || C.right != FBackWidth || C.bottom != FBackHeight) {
    if (FBackDC) {
      SelectObject(FBackDC, FBackOld);
      DeleteObject(FBackBitmap);
      DeleteDC(FBackDC);
    }
    FBackDC = CreateCompatibleDC(Target);
    FBackBitmap = CreateCompatibleBitmap(Target, C.right, C.bottom);
    FBackOld = SelectObject(FBackDC, FBackBitmap);
    FBackWidth = C.right;
    FBackHeight = C.bottom;
  }
  HDC DC = FBackDC;
  HBRUSH Bg = CreateSolidBrush(Rgb(FColors->Background()));
  HGDIOBJ OldFont = SelectObject(DC, FontHandle(*Font()));
  int Rows = VisibleRowCount() + 1;
  int Last = RowCount() - 1;
  int Painted = 0;
  for (int r = FTopRow; r <= std::min(Last, FTopRow + Rows); ++r) {
    int Y = (r - FTopRow) * (FRowHeight + FGridLineWidth);
    int X = 0;
    for (int c = 0; c < ColCount() && X < C.right; ++c) {
      if (c >= 2 && c < FLeftCol) continue;
      TRect R(X, Y, X + FColWidths[c], Y + FRowHeight);
      if (R.Width() > 0) PaintCell(DC, c, r, R);
      if (FGridLineWidth > 0) {
        RECT Line{R.Right, Y, R.Right + FGridLineWidth, Y + FRowHeight + FGridLineWidth};
        FillRect(DC, &Line, Bg);
      }
      X += FColWidths[c] + FGridLineWidth;
    }
    if (X < C.right) {
      RECT Rest{X, Y, C.right, Y + FRowHeight + FGridLineWidth};
      FillRect(DC, &Rest, Bg);
    }
    Painted = Y + FRowHeight + FGridLineWidth;
  }
  if (Painted < C.bottom) {
    RECT Rest{0, Painted, C.right, C.bottom};
    FillRect(DC, &Rest, Bg);
  }
  // The cursor's twin in the other field is outlined.
  int BPL = FModel->BytesPerLine();
  int InRow = FModel->CursorOffset() % BPL;
  int Twin = FModel->InCharField() ? 2 + 2 * InRow : 2 * BPL + 3 + InRow;
  TRect T = CellRect(Twin, CursorRow());
  if (T.Width() > 0 && FModel->InCharField()) T.Right = T.Left + 2 * FCharWidth;  // both nibbles
  if (T.Width() > 0) {
    RECT Rc = T;
    if (FFocusFrame) {
      SetTextColor(DC, RGB(0, 0, 0));
      SetBkColor(DC, RGB(255, 255, 255));
      DrawFocusRect(DC, &Rc);
    } else {
      HBRUSH F = CreateSolidBrush(Rgb(FColors->CursorFrame()));
      FrameRect(DC, &Rc, F);
      DeleteObject(F);
    }
  }
  SelectObject(DC, OldFont);
  DeleteObject(Bg);
  BitBlt(Target, 0, 0, C.right, C.bottom, DC, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------
// Keys and mouse

void THexEditor::MoveCursorBy(int Delta, TShiftState Shift) {
  std::int64_t Target = std::int64_t(FModel->CursorOffset()) + Delta;
  if (Target < 0) return;
  FModel->MoveTo(static_cast<int>(std::min<std::int64_t>(Target, 0x7FFFFFFF)), FModel->CursorNibble(),
                 Shift.Contains(ssShift));
}

void THexEditor::MoveToCell(int Col, int Row, bool Extend) {
  int BPL = FModel->BytesPerLine();
  if (Col < 2 || Col == 2 * BPL + 2) return;
  bool Hex = Col <= 2 * BPL + 1;
  std::int64_t Off = std::int64_t(Row) * BPL + (Hex ? (Col - 2) / 2 : Col - (2 * BPL + 3));
  FModel->SetInCharField(!Hex);
  FModel->MoveTo(static_cast<int>(std::min<std::int64_t>(Off, 0x7FFFFFFF)), Hex ? (Col - 2) % 2 : 0, Extend);
}

void THexEditor::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  int BPL = FModel->BytesPerLine();
  bool Ctrl = Shift.Contains(ssCtrl);
  bool Ext = Shift.Contains(ssShift);
  int Cursor = FModel->CursorOffset();
  bool Handled = true;
  switch (Key) {
    case VK_LEFT: FModel->MoveLeft(Ext); break;
    case VK_RIGHT: FModel->MoveRight(Ext); break;
    case VK_UP:
      if (Cursor >= BPL) MoveCursorBy(-BPL, Shift);
      break;
    case VK_DOWN: MoveCursorBy(BPL, Shift); break;
    case VK_PRIOR: MoveCursorBy(-std::min(Cursor / BPL, VisibleRowCount()) * BPL, Shift); break;
    case VK_NEXT: MoveCursorBy(VisibleRowCount() * BPL, Shift); break;
    case VK_HOME:
      FModel->MoveTo(Ctrl ? 0 : Cursor - Cursor % BPL, 0, Ext);
      break;
    case VK_END:
      FModel->MoveTo(Ctrl ? std::max(0, FModel->DataSize() - 1)
                          : std::min(Cursor - Cursor % BPL + BPL - 1, std::max(0, FModel->DataSize() - 1)),
                     1, Ext);
      break;
    case VK_INSERT:
      FModel->ToggleInsertMode();
      if (FAutoCaretMode) SetCaretStyle(FModel->EffectiveInsertMode() ? csLeftLine : csFull);
      break;
    case VK_BACK: FModel->Backspace(); break;
    case VK_DELETE: FModel->DeleteKey(Ctrl); break;
    case VK_TAB: FModel->ToggleField(); break;
    default:
      if (Ctrl && Key == 'T') {
        FModel->ToggleField();
      } else if (Ctrl && Key >= '0' && Key <= '9') {
        if (Ext)
          FModel->SetMarker(Key - '0', CursorRow());
        else
          FModel->GotoMarker(Key - '0');
      } else {
        Handled = false;
      }
  }
  if (Handled) {
    Key = 0;
    Changed();
  }
}

void THexEditor::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  auto U = static_cast<unsigned char>(Key);
  if (U < 32) return;  // control characters come through KeyDown
  if (FModel->InCharField())
    FModel->TypeChar(Key);
  else
    FModel->TypeNibble(Key);
  Key = 0;
  Changed();
}

void THexEditor::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (CanFocus()) SetFocus();
  int Col, Row;
  if (Button != mbLeft || !MouseToCell(X, Y, Col, Row)) return;
  MoveToCell(Col, Row, Shift.Contains(ssShift));
  FMouseSelecting = true;
  SetCapture(FHandle);
  Changed();
}

void THexEditor::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  int Col, Row;
  if (!FMouseSelecting || !MouseToCell(std::max(X, 0), std::max(Y, 0), Col, Row)) return;
  MoveToCell(Col, Row, true);
  Changed();
}

void THexEditor::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (FMouseSelecting) ReleaseCapture();
  FMouseSelecting = false;
}

void THexEditor::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // the paint covers every pixel
      return;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
      return;
    case WM_HEXSTATE:
      if (M.WParam == 7 && OnStateChanged) OnStateChanged(this);
      M.Result = 0;
      return;
    case WM_SIZE:
      TCustomControl::WndProc(M);
      SetTopRow(FTopRow);
      UpdateScrollBars();
      UpdateCaret();
      Invalidate();
      return;
    case WM_SETFOCUS:
      TCustomControl::WndProc(M);
      FCaretCreated = false;
      UpdateCaret();
      return;
    case WM_KILLFOCUS:
      TCustomControl::WndProc(M);
      if (FCaretCreated) DestroyCaret();
      FCaretCreated = false;
      FCaretShown = false;
      FMouseSelecting = false;
      return;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(M.LParam) != FHandle) FMouseSelecting = false;
      break;
    case WM_MOUSEWHEEL:
      SetTopRow(FTopRow - 3 * GET_WHEEL_DELTA_WPARAM(M.WParam) / WHEEL_DELTA);
      M.Result = 0;
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(M.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(M.WParam));
      M.Result = 0;
      return;
  }
  TCustomControl::WndProc(M);
}

void RegisterHexEditorClasses() {
  RegisterMissingClasses<THexEditor, TColors, THexToCanvas>();
}


// ---------------------------------------------------------------------------------------
// Printing

const TClassInfo* THexToCanvas::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<THexToCanvas, TComponent>("THexToCanvas")
                                     .Prop("HexEditor", &THexToCanvas::HexEditor, &THexToCanvas::SetHexEditor)
                                     .Prop("Font", &THexToCanvas::Font, &THexToCanvas::SetFont)
                                     .Build();
  return &Info;
}

THexToCanvas::THexToCanvas(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->SetName("Courier New");
  FFont->SetSize(10);
}

THexToCanvas::~THexToCanvas() = default;

void THexToCanvas::SetHexEditor(THexEditor* Value) {
  if (FHexEditor != nullptr) FHexEditor->RemoveFreeNotification(this);
  FHexEditor = Value;
  if (FHexEditor != nullptr) FHexEditor->FreeNotification(this);
}

void THexToCanvas::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FHexEditor) FHexEditor = nullptr;
}

std::string THexToCanvas::RowText(int Row) {
  THexEditor* E = FHexEditor;
  const int BPL = E->BytesPerLine();
  const int Group = std::max(1, E->BytesPerColumn());
  std::string S = E->CellText(0, Row);
  S += "  ";
  for (int I = 0; I < BPL; ++I) {
    std::string Pair = E->CellText(2 + 2 * I, Row) + E->CellText(3 + 2 * I, Row);
    S += Pair.empty() ? std::string("  ") : Pair;
    if ((I + 1) % Group == 0 && I + 1 < BPL) S += ' ';
  }
  S += "  ";
  for (int I = 0; I < BPL; ++I) {
    std::string C = E->CellText(2 * BPL + 3 + I, Row);
    if (C.empty()) break;
    S += C;
  }
  return S;
}

int THexToCanvas::Execute() {
  TSpoolerPrintTarget Printer;
  return Print(Printer);
}

int THexToCanvas::Print(TPrintTarget& Target) {
  if (FHexEditor == nullptr) throw EPrintError("No hex editor to print");
  const std::string Header = "Qolm HexEditor: " + FHexEditor->FileName();
  const int Rows = FHexEditor->RowCount();
  TFont F;
  int PH = 0, MarginX = 0, MarginY = 0, LineH = 1, PerPage = 1;
  auto Layout = [&] {
    const int PW = Target.PageWidth();
    PH = Target.PageHeight();
    // The font scaled to the device, and smaller when a row would not fit the width.
    HDC Measure = Target.DC();
    F.Assign(FFont.get());
    F.SetHeight(-MulDiv(FFont->Size(), GetDeviceCaps(Measure, LOGPIXELSY), 72));
    MarginX = PW / 20;
    MarginY = PH / 20;
    const std::wstring Widest = ToWide(RowText(0));
    for (;;) {
      HGDIOBJ Old = SelectObject(Measure, FontHandle(F));
      SIZE Ext{0, 0};
      GetTextExtentPoint32W(Measure, Widest.c_str(), int(Widest.size()), &Ext);
      SelectObject(Measure, Old);
      if (Ext.cx <= PW - 2 * MarginX || F.Height() >= -4) break;
      F.SetHeight(std::min(-4, int(int64_t(F.Height()) * (PW - 2 * MarginX) / std::max<int64_t>(1, Ext.cx))));
    }
    HGDIOBJ OldM = SelectObject(Measure, FontHandle(F));
    TEXTMETRICW TM{};
    GetTextMetricsW(Measure, &TM);
    SelectObject(Measure, OldM);
    LineH = std::max<int>(1, TM.tmHeight + TM.tmExternalLeading);
    // Header, a blank line, the rows, a blank line and the foot.
    PerPage = std::max(1, (PH - 2 * MarginY) / LineH - 4);
    return std::max(1, (Rows + PerPage - 1) / PerPage);
  };
  auto DrawPage = [&](HDC DC, int Page) {
    HGDIOBJ Old = SelectObject(DC, FontHandle(F));
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, RGB(0, 0, 0));
    auto Out = [&](int Y, const std::string& Text) {
      std::wstring W = ToWide(Text);
      TextOutW(DC, MarginX, Y, W.c_str(), int(W.size()));
    };
    Out(MarginY, Header);
    int Y = MarginY + 2 * LineH;
    for (int Row = Page * PerPage; Row < std::min(Rows, (Page + 1) * PerPage); ++Row, Y += LineH) Out(Y, RowText(Row));
    Out(PH - MarginY - LineH, " Page " + std::to_string(Page + 1));
    SelectObject(DC, Old);
  };
  return RunPrintJob(Target, Header, Layout, DrawPage);
}
