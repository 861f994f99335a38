// The source editor control: a window that hosts the editing model, turns the keys and
// the mouse it receives into the model's commands, shows the model's caret and paints the
// visible lines on a fixed character grid (every column one character width, every line
// one line height), coloured by the highlighter when there is one, with a gutter of line
// marks on the left. Text, caret, selection, undo, bookmarks and key bindings all live in
// the model (editor/core/edit_model.h); this is the one unit of the editor that touches
// the window.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>

#include "classlib/win/controls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "editor/core/edit_model.h"

class TCanvas;
class TCustomImageList;
class TmwCustomEdit;
class TTimer;
class TWinClipboard;

// The caret's shapes, for insert and for overwrite mode.
enum TCaretType { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };
template <> const TTypeInfo* TypeInfoOf<TCaretType>();

// The colours of selected text.
class TmwSelectedColor : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwSelectedColor(TmwCustomEdit* AOwner) : FOwner(AOwner) {}
  void Assign(const TPersistent* Source) override;

  TColor Background() const { return FBackground; }
  void SetBackground(TColor Value);
  TColor Foreground() const { return FForeground; }
  void SetForeground(TColor Value);

private:
  TmwCustomEdit* FOwner;
  TColor FBackground = clHighlight;
  TColor FForeground = clHighlightText;
};

// Drawing over the text before it reaches the screen: the canvas of the off-screen picture.
using TmwPaintEvent = std::function<void(TObject* Sender, TCanvas* ACanvas)>;

class TmwCustomEdit : public TCustomControl, private TmwEditHost {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwCustomEdit(TComponent* AOwner);
  ~TmwCustomEdit() override;

  // Everything else the editor knows of its text.
  TmwEditModel& Model() { return *FModel; }
  const TmwEditModel& Model() const { return *FModel; }

  // --- text
  TmwEditList* Lines() const { return FModel->Lines(); }
  // Replaces the whole text; kept also when the window does not exist yet.
  void SetLines(const TStrings* Value) { FModel->SetLines(Value); }
  int LineCount() const { return FModel->LineCount(); }
  // The lines joined by CR LF; the last one ends with a break only when the text
  // that was set did.
  std::string GetLinesText() const { return FModel->GetLinesText(); }
  void SetLinesText(const std::string& Value) { FModel->SetLinesText(Value); }
  void ClearAll() { FModel->ClearAll(); }
  bool Modified() const { return FModel->Modified(); }
  void SetModified(bool Value) { FModel->SetModified(Value); }

  // --- caret, 1-based
  int GetCaretX() const { return FModel->GetCaretX(); }
  int GetCaretY() const { return FModel->GetCaretY(); }
  void SetCaretX(int Value) { FModel->SetCaretX(Value); }
  void SetCaretY(int Value) { FModel->SetCaretY(Value); }
  TmwPoint GetCaretXY() const { return FModel->GetCaretXY(); }
  void SetCaretXY(TmwPoint Value) { FModel->SetCaretXY(Value); }
  // A 1-based offset into the whole text, each line break counting 2 characters.
  void CaretToCharOffset(int Offset) { FModel->CaretToCharOffset(Offset); }
  // Scrolls so that the caret's cell is in the window.
  void EnsureCursorPosVisible() { FModel->EnsureCursorPosVisible(); }

  // --- selection
  TmwPoint GetBlockBegin() const { return FModel->GetBlockBegin(); }
  TmwPoint GetBlockEnd() const { return FModel->GetBlockEnd(); }
  void SetBlockBegin(TmwPoint Value) { FModel->SetBlockBegin(Value); }
  void SetBlockEnd(TmwPoint Value) { FModel->SetBlockEnd(Value); }
  bool SelAvail() const { return FModel->SelAvail(); }
  std::string GetSelText() const { return FModel->GetSelText(); }
  void SetSelText(const std::string& Value) { FModel->SetSelText(Value); }
  void SelectAll() { FModel->SelectAll(); }

  // --- clipboard, undo, commands
  void CopyToClipboard() { FModel->CopyToClipboard(); }
  void CutToClipboard() { FModel->CutToClipboard(); }
  void PasteFromClipboard() { FModel->PasteFromClipboard(); }
  void Undo() { FModel->Undo(); }
  void Redo() { FModel->Redo(); }
  bool CanUndo() const { return FModel->CanUndo(); }
  bool CanRedo() const { return FModel->CanRedo(); }
  int MaxUndo() const { return FModel->MaxUndo(); }
  void SetMaxUndo(int Value) { FModel->SetMaxUndo(Value); }
  void CommandProcessor(TmwEditorCommand Command, char AChar, void* Data) {
    FModel->CommandProcessor(Command, AChar, Data);
  }
  // The paint lock: no repaint and no scroll-bar update while held.
  void BeginUpdate() { FModel->BeginUpdate(); }
  void EndUpdate() { FModel->EndUpdate(); }

  // --- settings kept by the model
  TmwCustomHighLighter* HighLighter() const { return FModel->HighLighter(); }
  void SetHighLighter(TmwCustomHighLighter* Value) { FModel->SetHighLighter(Value); }
  TmwKeyStrokes* Keystrokes() const { return FModel->Keystrokes(); }
  void SetKeystrokes(const TmwKeyStrokes* Value) { FModel->SetKeystrokes(Value); }
  TmwBookMarkOpt* BookMarkOptions() const { return &FModel->BookMarkOptions(); }
  bool ReadOnly() const { return FModel->ReadOnly(); }
  void SetReadOnly(bool Value) { FModel->SetReadOnly(Value); }
  bool InsertMode() const { return FModel->InsertMode(); }
  void SetInsertMode(bool Value) { FModel->SetInsertMode(Value); }
  bool ScrollPastEOL() const { return FModel->ScrollPastEOL(); }
  void SetScrollPastEOL(bool Value) { FModel->SetScrollPastEOL(Value); }
  int TopLine() const { return FModel->TopLine(); }
  void SetTopLine(int Value) { FModel->SetTopLine(Value); }
  int LeftChar() const { return FModel->LeftChar(); }
  void SetLeftChar(int Value) { FModel->SetLeftChar(Value); }
  int LinesInWindow() const { return FModel->LinesInWindow(); }
  int CharsInWindow() const { return FModel->CharsInWindow(); }

  // --- look
  // The editor keeps a fixed-pitch font: a proportional font lends it only its colour,
  // size and style.
  void SetFont(const TFont* Value);
  TmwSelectedColor* SelectedColor() const { return FSelectedColor.get(); }
  void SetSelectedColor(const TmwSelectedColor* Value) { FSelectedColor->Assign(Value); }
  // The gutter on the left: its width in pixels (negative counts as 0) and colour.
  int GutterWidth() const { return FGutterWidth; }
  void SetGutterWidth(int Value);
  TColor GutterColor() const { return FGutterColor; }
  void SetGutterColor(TColor Value);
  // The column of the right-margin line.
  int RightEdge() const { return FRightEdge; }
  void SetRightEdge(int Value);
  // Hides the selection while the editor does not have the focus.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  int ExtraLineSpacing() const { return FExtraLineSpacing; }
  void SetExtraLineSpacing(int Value);
  TCaretType InsertCaret() const { return FInsertCaret; }
  void SetInsertCaret(TCaretType Value);
  TCaretType OverwriteCaret() const { return FOverwriteCaret; }
  void SetOverwriteCaret(TCaretType Value);
  // Which scroll bars the window has, and its border (bsSingle: a sunken client edge; every
  // other value but bsNone counts as bsSingle). Both recreate the window.
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  // Glyphs for the marks whose InternalImage is false; the editor's own ten otherwise.
  TCustomImageList* BookmarkImages() const { return FBookmarkImages; }
  void SetBookmarkImages(TCustomImageList* Value);

  // --- the character grid, in pixels
  int CharWidth() const { return FCharWidth; }
  int LineHeight() const { return FLineHeight; }
  // The x of column 1: GutterWidth + 2 when not scrolled, less when scrolled to the right.
  int TextOffset() const;
  // The x of the right-margin line.
  int RightEdgeX() const { return TextOffset() + FRightEdge * FCharWidth; }
  // The cell under a client point, as a caret position (not clamped to the text).
  TmwPoint PixelsToCaret(int X, int Y) const;
  // The caret's size as it was last made.
  SIZE CaretSize() const { return FCaretSize; }

  // Dragging text: an editor accepts text dragged from itself, or from a source that the
  // drag-over handler (OnDragOver) accepted. Drag over moves the caret to the cell under the
  // point; a drop moves the selection there, or copies it with Ctrl held.
  virtual void DragOver(TObject* Source, int X, int Y, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);
  std::function<void(TObject* Sender, TObject* Source, int X, int Y, bool& Accept)> OnDragOver;
  std::function<void(TObject* Sender, TObject* Source, int X, int Y)> OnDragDrop;

  // TmwEditHost, and the control's own repaint.
  bool HandleAllocated() const override { return TWinControl::HandleAllocated(); }
  void Invalidate() override;

  TNotifyEvent OnChange;
  TmwPaintEvent OnPaint;
  TPlaceMarkEvent OnPlaceBookmark;
  TProcessCommandEvent OnProcessCommand;
  TProcessCommandEvent OnProcessUserCommand;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void PaintWindow(HDC DC) override;
  void FontChanged() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  // Draws the visible lines without a highlighter on the off-screen picture.
  virtual void PaintTextLines(HDC DC, const TRect& Client);
  // Draws the visible lines in the highlighter's colours.
  virtual void PaintHighlightedLines(HDC DC, const TRect& Client);
  // Draws the gutter and its marks over the text.
  virtual void PaintGutter(HDC DC, const TRect& Client);

private:
  class TBackBuffer;
  struct TRun;

  // TmwEditHost
  void UpdateScrollBars() override;
  void UpdateCaret() override;

  void MeasureFont();
  void UpdateWindowSize();
  void GridChanged();
  void CreateCaretShape();
  void DestroyCaretShape();
  void Scroll(int Bar, int Code);
  bool SelectionShown() const;
  // One line's runs, split at the selection and clipped to the visible columns, drawn in
  // their colours; the selection goes on to the right side where it continues below.
  void PaintLine(HDC DC, const TRect& Client, int Line, const std::string& Text, std::vector<TRun>& Runs);
  HFONT StyledFont(TFontStyles Style);
  bool OverTextArea(int X, int Y) const;
  void AutoScrollTick();
  void EndMouseSelection();

  std::unique_ptr<TmwEditModel> FModel;
  std::unique_ptr<TWinClipboard> FClipboard;
  std::unique_ptr<TFont> FOwnFont;
  std::unique_ptr<TmwSelectedColor> FSelectedColor;
  std::unique_ptr<TBackBuffer> FBuffer;
  std::vector<INT> FAdvances;  // one character width per cell, for the text output
  std::vector<TRun> FRuns;
  std::array<HFONT, 16> FStyledFonts{};
  HIMAGELIST FGlyphs = nullptr;  // MARK_0..MARK_9
  TCustomImageList* FBookmarkImages = nullptr;
  int FCharWidth = 8;
  int FLineHeight = 16;
  int FGutterWidth = 30;
  TColor FGutterColor = clBtnFace;
  int FRightEdge = 80;
  bool FHideSelection = false;
  int FExtraLineSpacing = 0;
  TScrollStyle FScrollBars = ssBoth;
  TFormBorderStyle FBorderStyle = bsSingle;
  TCaretType FInsertCaret = ctVerticalLine;
  TCaretType FOverwriteCaret = ctBlock;
  bool FCaretCreated = false;
  TCaretType FCaretType = ctVerticalLine;
  POINT FCaretOffset{0, 0};
  SIZE FCaretSize{0, 0};
  bool FCaretShown = false;
  std::array<int, 3> FVertBar{-1, -1, -1};  // what the bars were last set to: max, page, position
  std::array<int, 3> FHorzBar{-1, -1, -1};

  // The mouse: the selection when the button went down, where it went down, and what the
  // press may still become.
  TTimer* FScrollTimer = nullptr;
  bool FHadSelection = false;
  TmwPoint FDownBegin, FDownEnd;
  POINT FDownPoint{0, 0};
  TmwPoint FDownCaret;
  bool FSelecting = false;     // a button is down and the selection follows the mouse
  bool FDragPending = false;   // pressed inside the selection: a click or a drag
  bool FDragging = false;      // the selection is being dragged
  bool FDoubleClicked = false; // the next release keeps the word selection
  bool FDropCopy = false;      // Ctrl was held at the release that drops
  POINT FMousePoint{0, 0};     // the last point seen while selecting
};

// Registers the editor's and the highlighters' classes for form resources (once).
void RegisterEditorClasses();
