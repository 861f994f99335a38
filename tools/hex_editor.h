// The hex editor control: a grid over the hex editor's document (THexModel) with an offset
// column, a marker column, one cell per nibble of each byte and one cell per byte as a
// character. It lays the document out, paints it, moves the caret and turns keys and mouse
// clicks into the document's operations. Only the visible rows are ever read, so a file of
// any size that the document takes opens and scrolls at once.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/win/controls.h"
#include "classlib/win/forms.h"
#include "classlib/win/print_target.h"
#include "classlib/win/std_ctrls.h"
#include "tools/core/hex_model.h"

class THexEditor;

enum TCaretStyle { csFull, csLeftLine, csBottomLine };
template <> const TTypeInfo* TypeInfoOf<TCaretStyle>();
template <> const TTypeInfo* TypeInfoOf<TTranslationType>();
template <> const TTypeInfo* TypeInfoOf<TOffsetDisplayStyle>();

// The editor's colours; every change repaints it.
class TColors : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TColors(THexEditor* Owner) : FOwner(Owner) {}
  void Assign(const TPersistent* Source) override;

  TColor Background() const { return FColors[0]; }
  void SetBackground(TColor V) { Set(0, V); }
  TColor PositionBackground() const { return FColors[1]; }
  void SetPositionBackground(TColor V) { Set(1, V); }
  TColor PositionText() const { return FColors[2]; }
  void SetPositionText(TColor V) { Set(2, V); }
  TColor ChangedBackground() const { return FColors[3]; }
  void SetChangedBackground(TColor V) { Set(3, V); }
  TColor ChangedText() const { return FColors[4]; }
  void SetChangedText(TColor V) { Set(4, V); }
  TColor CursorFrame() const { return FColors[5]; }
  void SetCursorFrame(TColor V) { Set(5, V); }
  TColor Offset() const { return FColors[6]; }
  void SetOffset(TColor V) { Set(6, V); }
  TColor OddColumn() const { return FColors[7]; }
  void SetOddColumn(TColor V) { Set(7, V); }
  TColor EvenColumn() const { return FColors[8]; }
  void SetEvenColumn(TColor V) { Set(8, V); }
  // The group colours with red, green and blue each replaced by 255 minus it: the text of
  // selected hex cells.
  TColor InvertedOddColumn() const;
  TColor InvertedEvenColumn() const;

private:
  void Set(int Index, TColor Value);
  THexEditor* FOwner;
  TColor FColors[9] = {clWindow, clMaroon, clWhite, TColor(11075583), clMaroon, clNavy, clBlack, clBlue, clNavy};
};

// The red, green and blue bytes of a colour each replaced by 255 minus it.
TColor InvertColor(TColor Color);

class THexEditor : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THexEditor(TComponent* AOwner);
  ~THexEditor() override;

  // The document underneath: loading, saving, editing, find and undo.
  THexModel* Model() const { return FModel.get(); }

  bool LoadFromFile(const std::string& FileName);
  bool SaveToFile(const std::string& FileName);
  void CreateEmptyFile(const std::string& Name);
  int DataSize() { return FModel->DataSize(); }
  const std::string& FileName() const { return FModel->FileName(); }
  bool Modified() const { return FModel->Modified(); }
  void SetModified(bool Value);
  bool ReadOnlyFile() const { return FModel->ReadOnlyFile(); }
  void SetReadOnlyFile(bool Value) { FModel->SetReadOnlyFile(Value); }
  int SelStart() { return FModel->GetSelStart(); }
  void SetSelStart(int Value);
  int SelEnd() { return FModel->GetSelEnd(); }
  void SetSelEnd(int Value);
  int GetCursorPos() { return FModel->GetCursorPos(); }
  bool Seek(int Offset, int Origin, bool FailIfOutside);
  // The first offset of Data between the two offsets, or -1; the hourglass shows meanwhile.
  int Find(const std::string& Data, int FromOffset, int ToOffset, bool Translate, bool IgnoreCase);
  bool DeleteSelection();
  bool Undo();
  std::string UndoDescription() const { return FModel->UndoDescription(); }
  void SetMarker(int Index, int Row) { FModel->SetMarker(Index, Row); Invalidate(); }
  bool GotoMarker(int Index);

  // Published properties.
  bool ShowMarkerColumn() const { return FShowMarkerColumn; }
  void SetShowMarkerColumn(bool Value);
  int BytesPerColumn() const { return FBytesPerColumn; }
  void SetBytesPerColumn(int Value);
  TTranslationType Translation() const { return FModel->Translation; }
  void SetTranslation(TTranslationType Value);
  bool CreateBackup() const { return FModel->CreateBackup; }
  void SetCreateBackup(bool Value) { FModel->CreateBackup = Value; }
  std::string BackupExtension() const { return FModel->BackupExtension; }
  void SetBackupExtension(const std::string& Value) { FModel->BackupExtension = Value; }
  TOffsetDisplayStyle OffsetDisplay() const { return FOffsetDisplay; }
  void SetOffsetDisplay(TOffsetDisplayStyle Value);
  int BytesPerLine() const { return FModel->BytesPerLine(); }
  void SetBytesPerLine(int Value);
  TCaretStyle CaretStyle() const { return FCaretStyle; }
  void SetCaretStyle(TCaretStyle Value);
  TColors* Colors() const { return FColors.get(); }
  void SetColors(TColors* Value) { FColors->Assign(Value); }
  bool FocusFrame() const { return FFocusFrame; }
  void SetFocusFrame(bool Value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int Value);
  char OffsetSeparator() const { return FOffsetSeparator; }
  void SetOffsetSeparator(char Value);
  bool SwapNibbles() const { return FModel->SwapNibbles; }
  void SetSwapNibbles(bool Value);
  bool MaskWhiteSpaces() const { return FModel->MaskWhiteSpaces; }
  void SetMaskWhiteSpaces(bool Value);
  char MaskChar() const { return FModel->MaskChar; }
  void SetMaskChar(char Value);
  bool NoSizeChange() const { return FModel->NoSizeChange(); }
  void SetNoSizeChange(bool Value);
  bool AllowInsertMode() const { return FModel->AllowInsertMode(); }
  void SetAllowInsertMode(bool Value);
  bool AutoCaretMode() const { return FAutoCaretMode; }
  void SetAutoCaretMode(bool Value) { FAutoCaretMode = Value; }
  bool InsertMode() const { return FModel->EffectiveInsertMode(); }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);

  // The grid: rows of BytesPerLine bytes, 3 * BytesPerLine + 3 columns.
  int RowCount();
  int ColCount() const { return 3 * FModel->BytesPerLine() + 3; }
  int TopRow() const { return FTopRow; }
  void SetTopRow(int Value);
  int LeftCol() const { return FLeftCol; }
  int VisibleRowCount();
  int ColWidth(int Col) const;
  int RowHeight() const { return FRowHeight; }
  int CharWidth() const { return FCharWidth; }
  // The cursor's cell, and the text a cell shows.
  int CursorCol() const;
  int CursorRow() const;
  std::string CellText(int Col, int Row);
  // The cell under a client point: false outside the cells.
  bool MouseToCell(int X, int Y, int& Col, int& Row);
  // The client rectangle of a cell (empty when it is scrolled out of view).
  TRect CellRect(int Col, int Row);
  // Scrolls so that the cursor's cell is in view.
  void ScrollToCursor();

  // Insert mode, selection, modified and read-only changes, delivered through the message
  // the control posts to itself.
  TNotifyEvent OnStateChanged;

  static constexpr UINT WM_HEXSTATE = WM_USER + 2;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void Loaded() override;
  void PaintWindow(HDC DC) override;
  void FontChanged() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;

private:
  void ModelStateChanged();
  void Relayout();
  void Changed();  // after an edit: layout, view and caret follow the document
  void UpdateScrollBars();
  void Scroll(int Bar, int Code);
  void UpdateCaret();
  void DestroyCaretShape();
  void PaintCell(HDC DC, int Col, int Row, const TRect& R);
  int ColLeft(int Col) const;
  int ScrollableWidth() const;
  void MoveCursorBy(int Delta, TShiftState Shift);
  void MoveToCell(int Col, int Row, bool Extend);
  bool EmptyDocumentOnStart();

  std::unique_ptr<THexModel> FModel;
  std::unique_ptr<TColors> FColors;
  bool FShowMarkerColumn = true;
  int FBytesPerColumn = 4;
  TOffsetDisplayStyle FOffsetDisplay = odHex;
  TCaretStyle FCaretStyle = csFull;
  bool FFocusFrame = false;
  int FGridLineWidth = 0;
  char FOffsetSeparator = ':';
  bool FAutoCaretMode = true;
  TFormBorderStyle FBorderStyle = bsSingle;
  TScrollStyle FScrollBars = ssBoth;

  int FCharWidth = 8;
  int FRowHeight = 16;
  int FOffsetChars = 0;
  std::vector<int> FColWidths;
  int FTopRow = 0;
  int FLeftCol = 2;
  bool FMouseSelecting = false;
  bool FStatePosted = false;

  // The last numbers given to each scroll bar: a bar is set only when they change, since
  // redrawing one costs more than painting the cells.
  int FVertBar[3] = {-1, -1, -1};
  int FHorzBar[3] = {-1, -1, -1};
  // The picture a paint draws before one copy to the window.
  HDC FBackDC = nullptr;
  HBITMAP FBackBitmap = nullptr;
  HGDIOBJ FBackOld = nullptr;
  int FBackWidth = 0, FBackHeight = 0;

  HBITMAP FCaretBitmap = nullptr;
  bool FCaretCreated = false;
  bool FCaretShown = false;
  HFONT FMarkerFont = nullptr;
};

// Prints the hex editor's rows as it shows them: "Qolm HexEditor:" and the file name at the
// top of each page, " Page " and the page's number at its foot, whole rows between.
class THexToCanvas : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THexToCanvas(TComponent* AOwner);
  ~THexToCanvas() override;

  THexEditor* HexEditor() const { return FHexEditor; }
  void SetHexEditor(THexEditor* Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  // The text of one row: offset, the bytes in hex grouped as the editor groups them, and
  // the characters.
  std::string RowText(int Row);
  // Prints every row on Target; the number of pages. EPrintError with the reason when the
  // device refuses; a job that failed half-way is aborted.
  int Print(TPrintTarget& Target);
  // On the default printer.
  int Execute();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  THexEditor* FHexEditor = nullptr;
  std::unique_ptr<TFont> FFont;
};

// Makes THexEditor, TColors and THexToCanvas known to form resources.
void RegisterHexEditorClasses();
